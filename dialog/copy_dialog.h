// The copy command's dialog: the system Save As dialog extended with a child area (template
// 102 of the language resource instance) showing the playlist's file count and total size,
// the free space of the folder shown and the option check boxes. Only the folder of the
// confirmed path matters.
#pragma once

// Runs the dialog modally, owned by the host main window, and starts the copy into the
// confirmed folder once it has closed. Nothing happens on cancel.
void ShowCopyDialog();
