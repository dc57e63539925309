// The copy command's dialog: the system Save As dialog extended with a child area (template
// 102 of the language resource instance) showing the playlist's file count and total size,
// the free space of the folder shown and the option check boxes. Only the folder of the
// confirmed path matters.
#pragma once
#include <windows.h>

// Runs the dialog modally, owned by the host main window, and starts the copy into the
// confirmed folder once it has closed. Nothing happens on cancel.
void ShowCopyDialog();

// The hook of the child area (not of the Save As window itself, which is its parent).
UINT_PTR CALLBACK CopyDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Stores the playlist count, starts the size counter, shows the count, notes whether the
// template has the boxes of the last two options and sets the check boxes from the options
// as loaded from the settings file.
void InitCopyDialog(HWND dialog);

// Reads the check boxes into the options.
void ReadDialogOptions(HWND dialog);
// Reads the check boxes into the options and saves them; confirmed or cancelled alike.
void StoreDialogOptions(HWND dialog);
