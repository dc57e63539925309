// The options' controls in the copy dialog's child area, as the option table lists them: a
// check box for each flag, an edit box for each text.
#pragma once
#include <windows.h>

// Notes which groups of options the template lacks, loads the options and shows them, with the
// selection box clear (State.SelectedCount tells whether it is offered).
void ShowOptionBoxes(HWND dialog);
// Reads the controls into the options. A control the template lacks reads as clear, so its
// option stays off for the run; a text keeps its value.
void ReadOptionBoxes(HWND dialog);
// Enables each control whose row follows a check box by that box's state; with only the
// selected entries, removing copies no longer in the playlist is not offered.
void FollowOptionBoxes(HWND dialog);
