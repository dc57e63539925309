// The room a plan's copies take on its target, weighed when the user confirms the target: each
// file the run writes in whole clusters of the target's volume (the playlist file by the
// lines it will hold, a cluster at least), each new folder a cluster more, a copy the run
// replaces freeing what its file takes, an unchanged copy needing nothing. When the copies need
// more than is free, what fits is found, and the user chooses (dialog/room_question.h).
#pragma once
#include <windows.h>
#include <stdint.h>
#include "plan/copy_plan.h"

// Takes every copy back that was left out for room.
void CopyEverySong(CopyPlan* plan);

// What the copies need beyond the room there.
struct RoomShortfall {
    uint64_t needed, available;
    uint32_t fitting, songs;  // the songs to be copied that fit, of those to be copied
};
// Weighs the plan on its target; when the copies need more than is free, leaves out what does
// not fit (FitToRoom) and says by how much. False when every copy fits, or when the room there
// cannot be had: the shell copy then reports.
bool FindShortfall(CopyPlan* plan, RoomShortfall* shortfall);
