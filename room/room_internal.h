// The weighing step by step, for the benchmark and the tests that weigh a plan's parts.
#pragma once
#include <stdint.h>
#include "files/text_set.h"
#include "plan/copy_plan.h"

struct RoomFolder;

struct RoomWeighing {
    uint64_t cluster;    // bytes a file's size is rounded up to
    uint64_t available;  // what the user may still write there
    uint64_t needed;     // what every copy to be made takes, less what it frees
    uint32_t songs;      // the songs the shell is to copy
    uint32_t fitting;    // of those, the ones that fit (FitToRoom)
    // The folders the copies go in, every level below the target, and their names; one heap
    // block.
    RoomFolder* folders;
    PrefixTable names;
};

// Weighs every copy of the plan on its target (each copy's `takes` and `folder`, each entry's
// `lineBytes`). False, with nothing kept, when the target's free space cannot be had or there
// is no memory.
bool WeighRoom(CopyPlan* plan, RoomWeighing* weighing);
// Takes the songs in playlist order while they fit, each with its lyrics, its folder's cover,
// the new folders it needs and its lines in the playlist file (a large one left out does not
// stop smaller ones after it), and marks the others, and the companions no song takes, left
// out. Returns how many of the songs to be copied fit.
uint32_t FitToRoom(CopyPlan* plan, RoomWeighing* weighing);
void FreeRoomWeighing(RoomWeighing* weighing);
