// The about box behind the plug-in record's configure operation.
#pragma once

// Shows the about box; while it is open, a further call only brings it forward.
void ShowAboutBox();
