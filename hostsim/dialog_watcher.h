// Answers the dialogs and message boxes that the plug-in opens on the watching thread,
// the way a user would: a thread CBT hook sees each new dialog window (class #32770) as
// it is activated, or a thread timer finds it shown, and hands it to a handler, which reads
// it and posts the button it wants.
#pragma once
#include <windows.h>
#include <functional>
#include <set>
#include <string>
#include <vector>

struct CapturedBox {
    std::wstring caption;
    std::wstring text;     // the text of control 0xFFFF; empty for boxes that paint theirs
    HWND owner;
    bool rightAligned;     // the text control has SS_RIGHT
    bool topmost;          // WS_EX_TOPMOST, as a system-modal box is
    bool hasIcon;          // an icon is shown
    std::set<int> buttons; // IDOK, IDCANCEL, IDYES, IDNO ... present
};

// The text a window shows (empty for no window).
std::wstring WindowTextOf(HWND window);

// Reads what a user sees of a dialog window.
CapturedBox ReadBox(HWND dialog);

// A handler returns true when it has dealt with the window (posted a button, for example).
typedef std::function<bool(HWND dialog)> DialogHandler;

struct DialogWatcher {
    std::vector<CapturedBox> boxes;  // every dialog seen, in order
    DialogHandler handler;           // null: press the default answer below
    int defaultAnswer = IDOK;
    HHOOK hook = nullptr;
    UINT_PTR poll = 0;
    std::set<HWND> seen;
};

// Only one watcher per thread at a time.
void StartWatchingDialogs(DialogWatcher* watcher);
void StopWatchingDialogs(DialogWatcher* watcher);

// Posts a button press to a dialog.
void PressButton(HWND dialog, int button);
