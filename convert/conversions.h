// The songs the device cannot play, converted one at a time by the player's encoder once the
// shell has copied the rest: each into a file beside its copy, its tags copied, and then moved
// into place. A window the caller provides shows how far it is, with Cancel; the player stays
// usable meanwhile, as the window takes the thread's messages.
#pragma once
#include <windows.h>
#include <stdint.h>
#include "host/encoders.h"
#include "plan/copy_plan.h"

// What the conversions keep while they run. It lies in the plan's records block, where the
// player reads each request until it has ended.
struct ConversionWork {
    ConvertFileRequest request;
    wchar_t part[PathCapacity];  // the file the player writes, beside the copy
    HWND window;
    int percent;
    bool ended, cancelled;
    DWORD lastSign;  // when the player last said how far it is
    DWORD lastShown; // when the window last showed it
    uint32_t done, count;
    // The window's texts as the language gives them, fetched once for all the conversions.
    wchar_t lineFormat[128], countFormat[128];
};

// The window the conversions show. The player tells it how far a conversion is and when it has
// ended, so it is what waits for them.
struct ConversionView {
    bool (*open)(ConversionWork* work);  // false: no window, and nothing is converted
    // Shows the conversion about to start: its number among the count, and its title.
    void (*show)(ConversionWork* work, const wchar_t* title);
    // Takes the thread's messages until the conversion has ended, the user cancelled (unless
    // the player was told to stop it already), or the player gave no sign for `limit` ms.
    void (*await)(ConversionWork* work, DWORD limit);
    void (*close)(ConversionWork* work);
};

// The converted songs the run is to make.
uint32_t CountConversions(const CopyPlan& plan);
// Converts them, and marks those in place that were made whole; returns how many were not:
// would not start, ended short (under 1 KiB), gave no sign for a minute, or were not begun
// after Cancel. Every conversion that starts is ended (EndConversionCode), and what it left cut
// removed.
uint32_t RunConversions(CopyPlan* plan, const ConversionView& view);
