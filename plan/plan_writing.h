// Writing a plan: for the code that makes it and adds to it, not for those that read it.
#pragma once
#include "plan/copy_plan.h"

// Appends `text` (and its terminator) to the texts; its offset, or NoText without memory.
uint32_t AddPlanText(CopyPlan* plan, const wchar_t* text, size_t length);
// Makes room for `units` more in the texts; false without memory. Pointers into the texts are
// stale afterwards; offsets stay.
bool ReservePlanText(CopyPlan* plan, size_t units);
// Adds a copy from the texts at `source` and `destination`; its index, or NoCopy when the
// records are full.
uint32_t AddPlannedCopy(CopyPlan* plan, uint32_t source, uint32_t destination, uint64_t size);
