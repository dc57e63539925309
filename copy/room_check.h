// The room on the target, weighed when the user confirms it in the copy dialog, before
// anything is written.
#pragma once
#include <windows.h>
#include "copy/copy_target.h"

// When what the copies would add to the target (their sources' sizes, less what is left out
// as unchanged and less the files they replace) exceeds its free space, asks `owner` whether
// to copy anyway. False when the user says No; true otherwise, also when the free space
// cannot be had. `confirmed` is left as it is.
bool ConfirmTargetSpace(HWND owner, CopyTarget confirmed);
