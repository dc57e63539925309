// What the windows that show a long task share (the conversions', the checking's): a bar, the
// window from the language pack or the module's own, and the thread's messages taken meanwhile
// so that the player stays usable.
#pragma once
#include <windows.h>

// A frame filled as far as the percent.
void DrawProgressBar(const DRAWITEMSTRUCT& item, int percent);
// The modeless window of `templateId`, owned by the host window, from the language pack, or
// where a pack made before it lacks it, from the module; shown. Null when neither makes it.
HWND OpenProgressWindow(int templateId, DLGPROC procedure, LPARAM parameter);
// Takes the messages waiting, the window's keys to it. False when the player is closing: its
// quit is posted again, for its own loop.
bool TakeWaitingMessages(HWND window);
