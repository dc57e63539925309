#include "text/format_bounded.h"
#include <stdio.h>
#include <wchar.h>

static const uint32_t LargestCapacity = 0x7FFFFFFF;

// The runtime's count-limited formatters write at most `count` characters, terminate only a
// shorter text, and return the length or a negative value for a longer text or a failure.
template <typename Char>
static FormatResult FinishBounded(Char* destination, uint32_t capacity, int length)
{
    uint32_t room = capacity - 1;
    if (length >= 0 && (uint32_t)length < room)
        return FormatOk;
    destination[room] = 0;
    return length >= 0 && (uint32_t)length == room ? FormatOk : FormatCut;
}

FormatResult FormatBoundedList(wchar_t* destination, uint32_t capacity, const wchar_t* format,
                               va_list arguments)
{
    if (capacity > LargestCapacity || capacity == 0)
        return FormatInvalidCapacity;
    if (!format) {
        destination[0] = 0;
        return FormatOk;
    }
    int length = _vsnwprintf(destination, capacity - 1, format, arguments);
    return FinishBounded(destination, capacity, length);
}

FormatResult FormatBounded(wchar_t* destination, uint32_t capacity, const wchar_t* format, ...)
{
    if (capacity > LargestCapacity || capacity == 0)
        return FormatInvalidCapacity;
    va_list arguments;
    va_start(arguments, format);
    FormatResult result = FormatBoundedList(destination, capacity, format, arguments);
    va_end(arguments);
    return result;
}

FormatResult FormatBoundedNarrowList(char* destination, uint32_t capacity, const char* format,
                                     va_list arguments)
{
    if (capacity > LargestCapacity || capacity == 0)
        return FormatInvalidCapacity;
    if (!format) {
        destination[0] = 0;
        return FormatOk;
    }
    int length = _vsnprintf(destination, capacity - 1, format, arguments);
    return FinishBounded(destination, capacity, length);
}

FormatResult FormatBoundedNarrow(char* destination, uint32_t capacity, const char* format, ...)
{
    if (capacity > LargestCapacity || capacity == 0)
        return FormatInvalidCapacity;
    va_list arguments;
    va_start(arguments, format);
    FormatResult result = FormatBoundedNarrowList(destination, capacity, format, arguments);
    va_end(arguments);
    return result;
}
