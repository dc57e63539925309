// The question when the copies need more room than the target has.
#pragma once
#include <windows.h>
#include "plan/copy_plan.h"

// Weighs the plan and, when the copies need more than is free, asks `owner`: with some that fit,
// Yes leaves the rest out, No copies them all, Cancel goes back; with none that fit, Yes copies
// them all and No goes back. False when the user goes back to the dialog.
bool ConfirmRoom(HWND owner, CopyPlan* plan);
