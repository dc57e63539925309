// The copy dialog's "Total playlist file size:" read-out. Each opening of the dialog starts
// one counter thread, which walks the playlist, sums the file sizes in KiB, of the whole
// playlist and of the entries selected in the playlist editor, and posts running totals and
// then the final totals to the dialog; the dialog shows the one its selection box asks for.
#pragma once
#include <windows.h>
#include <stdint.h>

// Posted to the dialog's child area: wParam the total in KiB (unsigned 32-bit, saturating),
// lParam 1 for a partial total and 0 for the final one; of the whole playlist, and of the
// selection when there is one.
const UINT SizeProgressMessage = WM_USER + 70;
const UINT SelectionProgressMessage = WM_USER + 72;

// The counter's request for an entry's path, sent to the dialog: wParam the entry, lParam
// where the answer goes. The host answers paths through one buffer that any later request
// overwrites, so the counter reads none itself: the dialog's thread, the host's user-interface
// thread, asks the host and copies the path before it asks anything else. A dialog that is
// gone answers nothing, and the counter ends.
const UINT CounterPathMessage = WM_USER + 71;
// Answers a CounterPathMessage; the dialog's procedure calls it.
void AnswerCounterPath(WPARAM entry, LPARAM request);

// Starts a counter for `dialog`, reading PlaylistCount as it goes. Nobody waits for it; it
// keeps the module loaded until it has ended. False when no thread could be started.
bool StartSizeCounter(HWND dialog);

// Notes a total of the whole playlist, or of the selection, and shows it in the size read-out,
// e.g. "+12.3 MiB" while counting, when it is the one the selection box asks for.
void ShowSizeProgress(HWND dialog, WPARAM total, LPARAM counting);
void ShowSelectionProgress(HWND dialog, WPARAM total, LPARAM counting);
// Shows the last total of what the selection box asks for (nothing before one came).
void ShowCountedSize(HWND dialog);
