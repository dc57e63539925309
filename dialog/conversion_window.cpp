#include "dialog/conversion_window.h"
#include "dialog/progress_window.h"
#include "resources/resource_ids.h"
#include "text/format_bounded.h"
#include "text/localised_text.h"

static const int LineCapacity = 512;
static const int FormatCapacity = 128;
static const UINT PollMilliseconds = 100;
// The player may say how far it is many times a second; the window shows it at most this often.
static const DWORD ShowEveryMilliseconds = 100;

static void ShowCount(HWND window, const ConversionWork& work)
{
    wchar_t text[FormatCapacity] = {};
    FormatBounded(text, FormatCapacity, work.countFormat, (unsigned)work.percent, (unsigned)work.done,
                  (unsigned)work.count);
    SetDlgItemTextW(window, ConversionCount, text);
}

static void FetchFormats(ConversionWork* work)
{
    const int capacity = (int)(sizeof work->lineFormat / sizeof work->lineFormat[0]);
    if (!FetchTextOrOwn(ConvertingString, work->lineFormat, capacity))
        work->lineFormat[0] = 0;
    if (!FetchTextOrOwn(ConvertedCountString, work->countFormat, capacity))
        work->countFormat[0] = 0;
}

// The player says how far it is (ConversionProgressCode, sent from its thread) and that it has
// ended (ConversionEndedCode, posted); both come as WM_USER, which a dialog also knows as DM_GETDEFID with no lParam.
static bool OnPlayerWord(HWND window, ConversionWork* work, WPARAM wParam, LPARAM lParam)
{
    if (lParam == ConversionEndedCode) {
        work->ended = true;
        return true;
    }
    if (lParam != ConversionProgressCode)
        return false;
    int percent = (int)wParam;
    work->percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    work->lastSign = GetTickCount();
    if (work->lastSign - work->lastShown < ShowEveryMilliseconds && work->percent < 100)
        return true;
    work->lastShown = work->lastSign;
    InvalidateRect(GetDlgItem(window, ConversionBar), nullptr, FALSE);
    ShowCount(window, *work);
    return true;
}

static INT_PTR CALLBACK ConversionProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ConversionWork* work = (ConversionWork*)GetWindowLongPtrW(window, DWLP_USER);
    if (message == WM_USER)
        return work && OnPlayerWord(window, work, wParam, lParam);
    return AnswerProgressMessage(window, message, wParam, lParam, ConversionBar, work ? work->percent : 0,
                                 work ? &work->cancelled : nullptr);
}

static bool OpenConversionWindow(ConversionWork* work)
{
    FetchFormats(work);
    work->window = OpenProgressWindow(ConversionWindowTemplate, ConversionProcedure, (LPARAM)work);
    return work->window != nullptr;
}

static void ShowConversion(ConversionWork* work, const wchar_t* title)
{
    wchar_t line[LineCapacity] = {};
    FormatBounded(line, LineCapacity, work->lineFormat, (unsigned)(work->done + 1), (unsigned)work->count, title);
    SetDlgItemTextW(work->window, ConversionLine, line);
    InvalidateRect(GetDlgItem(work->window, ConversionBar), nullptr, FALSE);
    ShowCount(work->window, *work);
}

// Once the player is told to stop, a cancel changes nothing: the wait is for the end.
static bool StillAwaited(const ConversionWork& work, DWORD limit)
{
    if (work.ended || GetTickCount() - work.lastSign >= limit)
        return false;
    return work.request.killswitch || !work.cancelled;
}

static void AwaitConversion(ConversionWork* work, DWORD limit)
{
    while (StillAwaited(*work, limit)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, PollMilliseconds, QS_ALLINPUT);
        // The player is closing: the conversion ends.
        if (!TakeWaitingMessages(work->window)) {
            work->cancelled = true;
            return;
        }
    }
}

static void CloseConversionWindow(ConversionWork* work)
{
    if (work->window)
        DestroyWindow(work->window);
    work->window = nullptr;
}

const ConversionView ConversionWindow = {OpenConversionWindow, ShowConversion, AwaitConversion,
                                         CloseConversionWindow};
