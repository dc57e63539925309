#include "dialog/size_counter.h"
#include "copy/file_facts.h"
#include "host/host_link.h"
#include "state/plugin_state.h"
#include "resources/resource_ids.h"
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

// False when the dialog is gone; an entry without a file adds nothing.
static bool AddEntrySize(HWND dialog, int index, uint32_t* total)
{
    CounterPath asked;
    asked.answered = asked.named = false;
    SendMessageW(dialog, CounterPathMessage, (WPARAM)index, (LPARAM)&asked);
    if (!asked.answered)
        return false;
    uint64_t size = 0;
    if (asked.named)
        QueryFileSize(asked.path, &size);
    *total = AddFileSize(*total, size);
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

static void CountPlaylistSizes(HWND dialog)
{
    uint32_t total = 0;
    // The count is read anew at every pass: a later opening of the dialog may store a new one.
    for (int index = 0; index < State.PlaylistCount; ++index) {
        if (!AddEntrySize(dialog, index, &total))
            return;
        if (!IsProgressPoint(index, State.PlaylistCount))
            continue;
        if (!IsWindow(dialog))
            return;
        PostMessageW(dialog, SizeProgressMessage, total, 1);
    }
    if (IsWindow(dialog))
        PostMessageW(dialog, SizeProgressMessage, total, 0);
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

void ShowSizeProgress(HWND dialog, WPARAM total, LPARAM counting)
{
    wchar_t text[ReadoutCapacity] = {};
    FormatSizeText(text, ReadoutCapacity, (uint32_t)total, counting != 0);
    SetDlgItemTextW(dialog, SizeReadout, text);
}
