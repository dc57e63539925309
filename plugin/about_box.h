// The about box behind the plug-in record's configure operation.
#pragma once

// Shows the about box; while it is open, a further call only brings it forward. Its title is
// the caption, made from the same string and version as the record's `description`, which
// finds the open box.
void ShowAboutBox(const char* description);
