// Making the plan of a copy, when the user confirms a target in the copy dialog.
#pragma once
#include "plan/copy_plan.h"

// Makes the plan for `target` with the options the dialog stored: of the selected entries only
// when OnlySelected is on. Asks the host each entry's path, title, length and tags once, and
// gives each present entry its destination. False, with nothing kept, when there is no memory
// for it (the playlist file then keeps what it held).
bool MakeCopyPlan(CopyTarget target, CopyPlan* plan);
