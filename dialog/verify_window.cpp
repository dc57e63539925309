#include "dialog/verify_window.h"
#include "dialog/progress_window.h"
#include "resources/resource_ids.h"
#include "text/format_bounded.h"
#include "text/localised_text.h"

static const int LineCapacity = 512;
// A stick reads many small copies a second; the window shows them at most this often.
static const DWORD ShowEveryMilliseconds = 100;
static const DWORD TakeEveryMilliseconds = 20;

static int PercentOf(const VerifyWork& work)
{
    return work.bytes ? (int)(work.bytesDone * 100 / work.bytes) : 0;
}

static INT_PTR CALLBACK VerifyProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    VerifyWork* work = (VerifyWork*)GetWindowLongPtrW(window, DWLP_USER);
    return AnswerProgressMessage(window, message, wParam, lParam, VerifyBar, work ? PercentOf(*work) : 0,
                                 work ? &work->cancelled : nullptr);
}

static bool OpenVerifyWindow(VerifyWork* work)
{
    if (!FetchTextOrOwn(CheckingString, work->lineFormat, (int)(sizeof work->lineFormat / sizeof work->lineFormat[0])))
        work->lineFormat[0] = 0;
    work->window = OpenProgressWindow(VerifyWindowTemplate, VerifyProcedure, (LPARAM)work);
    work->lastShown = GetTickCount() - ShowEveryMilliseconds;
    work->lastTaken = work->lastShown;
    return work->window != nullptr;
}

static void Redraw(VerifyWork* work)
{
    wchar_t line[LineCapacity] = {};
    uint32_t number = work->done < work->count ? work->done + 1 : work->count;
    FormatBounded(line, LineCapacity, work->lineFormat, (unsigned)number, (unsigned)work->count,
                  work->name ? work->name : L"");
    SetDlgItemTextW(work->window, VerifyLine, line);
    InvalidateRect(GetDlgItem(work->window, VerifyBar), nullptr, FALSE);
}

// The player's window keeps answering while the copies are read, and Cancel is heard at once:
// the messages are taken often enough for both, not after every read, which would cost the
// checking a tenth of its time.
static void UpdateVerifyWindow(VerifyWork* work)
{
    if (!work->window)
        return;
    DWORD now = GetTickCount();
    if (now - work->lastTaken < TakeEveryMilliseconds)
        return;
    work->lastTaken = now;
    if (now - work->lastShown >= ShowEveryMilliseconds) {
        work->lastShown = now;
        Redraw(work);
    }
    if (!TakeWaitingMessages(work->window))
        work->cancelled = true;
}

static void CloseVerifyWindow(VerifyWork* work)
{
    if (work->window)
        DestroyWindow(work->window);
    work->window = nullptr;
}

const VerifyView VerifyWindow = {OpenVerifyWindow, UpdateVerifyWindow, CloseVerifyWindow};
