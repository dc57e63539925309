#include "dialog/size_counter.h"
#include "dialog/size_counter_internal.h"
#include "files/file_facts.h"
#include "host/host_link.h"
#include "resources/resource_ids.h"
#include "state/plugin_state.h"
#include "text/format_bounded.h"
#include "text/localised_text.h"

static const int ReadoutCapacity = 255;
static const uint32_t SaturatedTotal = 0xFFFFFFFF;
// Lists longer than this get partial totals, thinned to about ten.
static const int32_t ProgressThreshold = 10;

// Each file is cut to whole KiB on its own; the total stops at the largest 32-bit value
// rather than wrapping round to a small number.
static uint32_t AddFileSize(uint32_t total, uint64_t bytes)
{
    uint64_t sum = (uint64_t)total + (bytes >> 10);
    return sum > SaturatedTotal ? SaturatedTotal : (uint32_t)sum;
}

struct CounterPath {
    bool answered;  // false when the dialog did not answer
    bool named;     // the host gave a path that fits
    wchar_t path[HostTextCapacity];
};

// False when the dialog is gone; an entry without a file has no size.
static bool EntrySize(HWND dialog, int index, uint64_t* size)
{
    CounterPath asked;
    asked.answered = asked.named = false;
    SendMessageW(dialog, CounterPathMessage, (WPARAM)index, (LPARAM)&asked);
    *size = 0;
    if (!asked.answered)
        return false;
    if (asked.named)
        QueryFileSize(asked.path, size);
    return true;
}

void AnswerCounterPath(WPARAM entry, LPARAM request)
{
    CounterPath* asked = (CounterPath*)request;
    if (!asked)
        return;
    asked->named = CopyPlaylistFile((int)entry, asked->path);
    asked->answered = true;
}

static bool IsProgressPoint(int index, int32_t count)
{
    return count > ProgressThreshold && index % (count / ProgressThreshold) == 0;
}

// The totals, posted: the selection's only when the dialog counted one.
static void PostTotals(HWND dialog, const uint32_t* totals, LPARAM counting)
{
    PostMessageW(dialog, SizeProgressMessage, totals[0], counting);
    if (State.SelectedCount > 0)
        PostMessageW(dialog, SelectionProgressMessage, totals[1], counting);
}

static void CountPlaylistSizes(HWND dialog)
{
    uint32_t totals[2] = {0, 0};
    int selected = State.SelectedCount > 0 ? NextSelectedEntry(-1, State.PlaylistCount) : -1;
    // The count is read anew at every pass: a later opening of the dialog may store a new one.
    for (int index = 0; index < State.PlaylistCount; ++index) {
        uint64_t size;
        if (!EntrySize(dialog, index, &size))
            return;
        totals[0] = AddFileSize(totals[0], size);
        if (index == selected) {
            totals[1] = AddFileSize(totals[1], size);
            selected = NextSelectedEntry(index, State.PlaylistCount);
        }
        if (!IsProgressPoint(index, State.PlaylistCount))
            continue;
        if (!IsWindow(dialog))
            return;
        PostTotals(dialog, totals, 1);
    }
    if (IsWindow(dialog))
        PostTotals(dialog, totals, 0);
}

static HMODULE CounterModule(DWORD flags)
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | flags,
                       (LPCWSTR)(void*)&SizeCounterThread, &module);
    return module;
}

DWORD WINAPI SizeCounterThread(LPVOID dialog)
{
    CountPlaylistSizes((HWND)dialog);
    // The host may unload the module while a counter is still finishing; the reference taken
    // at the start keeps this code mapped until the thread is out of it.
    FreeLibraryAndExitThread(CounterModule(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT), 0);
    return 0;
}

bool StartSizeCounter(HWND dialog)
{
    HMODULE module = CounterModule(0);
    HANDLE thread = CreateThread(nullptr, 0, SizeCounterThread, dialog, 0, nullptr);
    if (!thread) {
        FreeLibrary(module);
        return false;
    }
    CloseHandle(thread);
    return true;
}

void ShowCountedSize(HWND dialog)
{
    int shown = IsDlgButtonChecked(dialog, OnlySelectedBox) == BST_CHECKED ? 1 : 0;
    wchar_t text[ReadoutCapacity] = {};
    if (State.CountedAny[shown])
        FormatSizeText(text, ReadoutCapacity, State.CountedKib[shown], !State.CountedFinal[shown]);
    SetDlgItemTextW(dialog, SizeReadout, text);
}

static void NoteTotal(HWND dialog, int which, WPARAM total, LPARAM counting)
{
    State.CountedKib[which] = (uint32_t)total;
    State.CountedFinal[which] = counting == 0;
    State.CountedAny[which] = true;
    ShowCountedSize(dialog);
}

void ShowSizeProgress(HWND dialog, WPARAM total, LPARAM counting) { NoteTotal(dialog, 0, total, counting); }
void ShowSelectionProgress(HWND dialog, WPARAM total, LPARAM counting) { NoteTotal(dialog, 1, total, counting); }
