#include "text/message_box.h"
#include <stdarg.h>
#include "resources/resource_ids.h"
#include "state/plugin_state.h"
#include "text/format_bounded.h"
#include "text/localised_text.h"

// Strings from this number on came after the first language packs were made.
static const uint32_t FirstAddedString = SpaceShortString;

// The text lands in `buffer`: a box's text must outlive the fetches made while it opens.
static const wchar_t* FetchBoxText(uint32_t number, wchar_t* buffer, int capacity)
{
    if (number < FirstAddedString)
        return FetchText(number, buffer, capacity);
    return FetchTextOrOwn(number, buffer, capacity);
}

static int ShowCaptioned(HWND owner, const wchar_t* text, UINT style)
{
    return MessageBoxW(owner, text, State.SharedCaption, style);
}

int ShowBox(HWND owner, UINT style, uint32_t number)
{
    wchar_t text[BoxTextCapacity] = {};
    EnsureCaption();
    return ShowCaptioned(owner, FetchBoxText(number, text, BoxTextCapacity), style);
}

int ShowFormattedBox(HWND owner, UINT style, uint32_t number, uint32_t capacity, ...)
{
    wchar_t format[BoxTextCapacity] = {}, text[MostBoxTextCapacity] = {};
    EnsureCaption();
    const wchar_t* fetched = FetchBoxText(number, format, BoxTextCapacity);
    va_list arguments;
    va_start(arguments, capacity);
    FormatBoundedList(text, capacity < MostBoxTextCapacity ? capacity : MostBoxTextCapacity,
                      fetched, arguments);
    va_end(arguments);
    return ShowCaptioned(owner, text, style);
}

void FetchSystemReason(DWORD error, wchar_t* reason, uint32_t capacity)
{
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reason, capacity, nullptr);
    while (length && (reason[length - 1] == L'\n' || reason[length - 1] == L'\r'))
        --length;
    reason[length] = 0;
}

int ShowSystemErrorBox(HWND owner, DWORD error)
{
    wchar_t reason[BoxTextCapacity];
    FetchSystemReason(error, reason, BoxTextCapacity);
    EnsureCaption();
    return ShowCaptioned(owner, reason, MB_OK | MB_ICONERROR);
}
