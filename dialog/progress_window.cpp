#include "dialog/progress_window.h"
#include "state/plugin_state.h"
#include "text/localised_text.h"

// A frame filled as far as the percent.
static void DrawProgressBar(const DRAWITEMSTRUCT& item, int percent)
{
    RECT whole = item.rcItem, done = item.rcItem;
    FillRect(item.hDC, &whole, GetSysColorBrush(COLOR_WINDOW));
    done.right = done.left + (whole.right - whole.left) * percent / 100;
    FillRect(item.hDC, &done, GetSysColorBrush(COLOR_HIGHLIGHT));
    FrameRect(item.hDC, &whole, GetSysColorBrush(COLOR_BTNSHADOW));
}

HWND OpenProgressWindow(int templateId, DLGPROC procedure, LPARAM parameter)
{
    HINSTANCE sources[] = {State.LanguageInstance, State.ModuleInstance};
    HWND window = nullptr;
    for (HINSTANCE source : sources)
        if (!window && source)
            window = CreateDialogParamW(source, MAKEINTRESOURCEW(templateId), State.HostWindow, procedure,
                                        parameter);
    if (window)
        ShowWindow(window, SW_SHOW);
    return window;
}

INT_PTR AnswerProgressMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int bar, int percent,
                              bool* cancelled)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        EnsureCaption();
        SetWindowTextW(window, State.SharedCaption);
        return TRUE;
    case WM_DRAWITEM:
        if (!cancelled || wParam != (WPARAM)bar)
            return FALSE;
        DrawProgressBar(*(const DRAWITEMSTRUCT*)lParam, percent);
        return TRUE;
    case WM_COMMAND:
        if (!cancelled || LOWORD(wParam) != IDCANCEL)
            return FALSE;
        *cancelled = true;
        return TRUE;
    case WM_CLOSE:
        if (cancelled)
            *cancelled = true;
        return TRUE;
    default:
        return FALSE;
    }
}

bool TakeWaitingMessages(HWND window)
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage((int)message.wParam);
            return false;
        }
        if (!window || !IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return true;
}
