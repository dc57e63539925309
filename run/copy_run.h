// The copy itself, started by the copy dialog once the user has confirmed a target and its plan
// is made.
#pragma once
#include <windows.h>
#include "convert/conversions.h"
#include "plan/copy_plan.h"
#include "plan/skipped_entries.h"
#include "run/copy_outcome.h"
#include "run/shell_lists.h"
#include "verify/verify_copies.h"

// How the run asks the user and tells what came of it. The copy dialog fills it with its boxes
// and the conversions' window (dialog/run_boxes.h); a test may answer with its own.
struct RunPrompts {
    // The entries left out, before the copy, of the `considered` ones gone through.
    void (*tellSkippedEntries)(const SkippedEntries& skipped, int considered);
    // Whether the `count` copies no longer in the playlist go.
    bool (*askToRemoveLeftovers)(uint32_t count);
    // Kept in step, none of the `songs` needs copying.
    void (*tellAllUnchanged)(uint32_t songs);
    // The playlist file could not be created: the run ends there.
    void (*tellPlaylistNotCreated)();
    // The playlist file could not be written whole, for the system's `error`: it is removed.
    void (*tellPlaylistNotWhole)(DWORD error);
    // After the copy, `missing` of the `songs` to be copied are not there.
    void (*tellCopiesMissing)(uint32_t missing, uint32_t songs);
    // The entries of `folder` could not all be put in play order; none is lost.
    void (*tellNotInPlayOrder)(const wchar_t* folder);
    // Read back, `bad` of the `checked` copies came out different and were removed.
    void (*tellCopiesDiffer)(uint32_t bad, uint32_t checked);
    const ConversionView* conversions;
    const VerifyView* verifying;
};

// Copies what the plan says into its target. The plan stays the caller's.
void RunCopy(CopyPlan* plan, const RunPrompts& prompts);
