// What the windows that show a long task share (the conversions', the checking's): a bar, the
// window from the language pack or the module's own, and the thread's messages taken meanwhile
// so that the player stays usable.
#pragma once
#include <windows.h>

// The modeless window of `templateId`, owned by the host window, from the language pack, or
// where a pack made before it lacks it, from the module; shown. Null when neither makes it.
HWND OpenProgressWindow(int templateId, DLGPROC procedure, LPARAM parameter);
// What both windows answer alike: the caption as built at the start (the work in lParam kept
// as the window's), their owner-drawn `bar` at `percent`, and Cancel or the close box as a
// cancel. `cancelled` is null until the window has its work.
INT_PTR AnswerProgressMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int bar, int percent,
                              bool* cancelled);
// Takes the messages waiting, the window's keys to it. False when the player is closing: its
// quit is posted again, for its own loop.
bool TakeWaitingMessages(HWND window);
