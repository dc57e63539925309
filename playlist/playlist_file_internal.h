// For the tests of the playlist file: its text conversion one piece at a time.
#pragma once
#include <windows.h>

// Converts the leading part of `text` into State.NarrowBuffer and returns the buffer: the
// whole text when its converted form fits, otherwise the longest part that surely fits,
// never ending inside a surrogate pair. `rest` receives where the part not yet converted
// starts, or null when nothing is left. A null text, one that is a small number rather
// than a pointer, and an empty text give the empty narrow text.
const char* NarrowText(const wchar_t* text, UINT codePage, const wchar_t** rest);
