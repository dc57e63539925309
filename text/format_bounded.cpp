#include "text/format_bounded.h"
#include <stdio.h>
#include <wchar.h>

static const uint32_t LargestCapacity = 0x7FFFFFFF;

static int FormatCounted(wchar_t* destination, size_t count, const wchar_t* format, va_list arguments)
{
    return _vsnwprintf(destination, count, format, arguments);
}

static int FormatCounted(char* destination, size_t count, const char* format, va_list arguments)
{
    return _vsnprintf(destination, count, format, arguments);
}

// The runtime's count-limited formatters write at most `count` characters, terminate only a
// shorter text, and return the length or a negative value for a longer text or a failure;
// the terminator of a text that fills the count exactly, or is cut, is written here.
template <typename Char>
static FormatResult FormatInto(Char* destination, uint32_t capacity, const Char* format,
                               va_list arguments)
{
    if (capacity > LargestCapacity || capacity == 0)
        return FormatInvalidCapacity;
    if (!format) {
        destination[0] = 0;
        return FormatOk;
    }
    uint32_t room = capacity - 1;
    int length = FormatCounted(destination, room, format, arguments);
    if (length >= 0 && (uint32_t)length < room)
        return FormatOk;
    destination[room] = 0;
    return length >= 0 && (uint32_t)length == room ? FormatOk : FormatCut;
}

FormatResult FormatBoundedList(wchar_t* destination, uint32_t capacity, const wchar_t* format,
                               va_list arguments)
{
    return FormatInto(destination, capacity, format, arguments);
}

FormatResult FormatBounded(wchar_t* destination, uint32_t capacity, const wchar_t* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    FormatResult result = FormatBoundedList(destination, capacity, format, arguments);
    va_end(arguments);
    return result;
}

FormatResult FormatBoundedNarrow(char* destination, uint32_t capacity, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    FormatResult result = FormatInto(destination, capacity, format, arguments);
    va_end(arguments);
    return result;
}
