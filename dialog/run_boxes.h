// What the copy run asks and tells, as the user sees it: OK boxes without an icon, a question
// whether copies go, and the conversions' and the checking's windows, all owned by the host
// window.
#pragma once
#include "run/copy_run.h"

extern const RunPrompts RunBoxes;
