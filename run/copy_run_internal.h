// The run's parts, apart so that the benchmark weighs their costs against each other.
#pragma once
#include "order/play_order.h"
#include "plan/copy_plan.h"
#include "run/copy_outcome.h"
#include "run/shell_lists.h"
#include "sync/leftovers.h"

struct RunPrompts;

struct PreparedRun {
    bool playlistWritten;  // the playlist file lists the copies as they are to be
    CopyLists lists;
    const RunPrompts* prompts;
    PreviousPlaylist previous;  // the playlist file the run replaces, read before it does
    OrderWork order;
};
// Everything before the shell copy: stops playback and writes the playlist file when one is
// wanted (listing the copies as they are to be, so that it has its room before they take the
// rest), tells in one box which entries are left out, offers to remove the copies that left
// the playlist, says when every copy is there unchanged, and makes the shell's lists. False
// when the run ends there: the playlist file cannot be created, or no memory.
bool PrepareCopy(CopyPlan* plan, const RunPrompts& prompts, PreparedRun* run);
// After the shell copy: checks what came of it, converts the songs the device cannot play,
// reads the copies back when asked to, lists in the playlist file only the copies that are
// there, and tells in one box the copies not made and in another those that came out
// different. Frees what `run` holds.
void FinishCopy(CopyPlan* plan, PreparedRun* run, CopyOutcome* outcome);
