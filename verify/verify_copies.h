// Reading the run's copies back from the stick, so that a stick that lies is found before the
// car: a fake-capacity stick keeps only what fits its real memory and a worn one gives back
// other bytes, and the shell copy reports success either way. Each copy the run wrote is read
// around the system's cache and compared byte for byte with its source; a conversion, which
// has nothing to be compared with, is read whole at the size it was written with. A copy that
// differs or cannot be read is removed, so that the next run copies it again.
#pragma once
#include <windows.h>
#include <stdint.h>
#include "plan/copy_plan.h"

// What the checking keeps while it runs, for the window that shows it.
struct VerifyWork {
    HWND window;
    uint32_t done, count;        // copies checked so far, of those to check
    uint64_t bytesDone, bytes;   // likewise in bytes, for the bar
    const wchar_t* name;         // the copy being checked, below the target
    bool cancelled;              // the user cancelled: what is not checked yet stays
    DWORD lastShown, lastTaken;  // when the window was last redrawn, and took its messages
    wchar_t lineFormat[128];     // the window's text as the language gives it
};

// The window the checking shows. The checking calls `update` after every read, so the window
// decides how often it redraws, and takes the thread's messages there.
struct VerifyView {
    bool (*open)(VerifyWork* work);  // false: no window; the copies are checked all the same
    void (*update)(VerifyWork* work);
    void (*close)(VerifyWork* work);
};

struct VerifyResult {
    uint32_t checked;  // copies read back to their end
    uint32_t bad;      // of those, the ones that differed or could not be read: removed
};

// Reads them back, removes those that came out different and marks them not in place.
VerifyResult VerifyCopies(CopyPlan* plan, const VerifyView& view);
