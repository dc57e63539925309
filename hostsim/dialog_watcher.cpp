#include "hostsim/dialog_watcher.h"

static thread_local DialogWatcher* Watching = nullptr;
static const int MessageBoxTextId = 0xFFFF;
static const UINT PollMilliseconds = 100;
static const int ButtonIds[] = {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO};

std::wstring WindowTextOf(HWND window)
{
    if (!window)
        return std::wstring();
    int length = GetWindowTextLengthW(window);
    std::wstring text((size_t)length + 1, L'\0');
    GetWindowTextW(window, &text[0], length + 1);
    text.resize((size_t)length);
    return text;
}

static bool HasIcon(HWND dialog)
{
    // Message boxes show their icon in a static control with SS_ICON, and hide that control
    // when they have none. The box itself is not visible yet when it is activated, so the
    // control's own style is what tells.
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        LONG style = GetWindowLongW(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON && (style & WS_VISIBLE) &&
            SendMessageW(child, STM_GETICON, 0, 0))
            return true;
    }
    return false;
}

CapturedBox ReadBox(HWND dialog)
{
    CapturedBox box;
    HWND text = GetDlgItem(dialog, MessageBoxTextId);
    box.caption = WindowTextOf(dialog);
    box.text = WindowTextOf(text);
    box.owner = GetWindow(dialog, GW_OWNER);
    box.rightAligned = text && (GetWindowLongW(text, GWL_STYLE) & SS_TYPEMASK) == SS_RIGHT;
    box.topmost = (GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    box.hasIcon = HasIcon(dialog);
    for (int id : ButtonIds)
        if (GetDlgItem(dialog, id))
            box.buttons.insert(id);
    return box;
}

void PressButton(HWND dialog, int button)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog, button));
}

static bool IsDialogWindow(HWND window)
{
    wchar_t type[16] = {};
    GetClassNameW(window, type, 16);
    return lstrcmpW(type, L"#32770") == 0;
}

// Each dialog is handled once, whichever way it is first seen.
static void Meet(DialogWatcher* watcher, HWND window)
{
    if (!watcher || !IsDialogWindow(window) || !watcher->seen.insert(window).second)
        return;
    watcher->boxes.push_back(ReadBox(window));
    if (!watcher->handler || !watcher->handler(window))
        PressButton(window, watcher->defaultAnswer);
}

static LRESULT CALLBACK WatchActivations(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE)
        Meet(Watching, (HWND)wParam);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

static BOOL CALLBACK MeetIfShown(HWND window, LPARAM)
{
    if (IsWindowVisible(window))
        Meet(Watching, window);
    return TRUE;
}

// Activation is the earliest sight of a dialog, but the platform may leave a window of a
// process that is not in the foreground inactive (other test programs run beside this one),
// and a dialog never met would wait for its user forever. A shown one is met all the same.
static void CALLBACK LookForShownDialogs(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), MeetIfShown, 0);
}

void StartWatchingDialogs(DialogWatcher* watcher)
{
    Watching = watcher;
    watcher->hook = SetWindowsHookExW(WH_CBT, WatchActivations, nullptr, GetCurrentThreadId());
    watcher->poll = SetTimer(nullptr, 0, PollMilliseconds, LookForShownDialogs);
}

void StopWatchingDialogs(DialogWatcher* watcher)
{
    if (watcher->hook)
        UnhookWindowsHookEx(watcher->hook);
    if (watcher->poll)
        KillTimer(nullptr, watcher->poll);
    watcher->hook = nullptr;
    watcher->poll = 0;
    Watching = nullptr;
}
