// Bounded printf-style formatting into the caller's fixed buffers. Every composed text of
// the module goes through here: nothing is written past the capacity, and the result is
// always terminated (but for an invalid capacity). In a wide format %s takes a wide string
// and %hs a narrow one.
#pragma once
#include <stdarg.h>
#include <stdint.h>

typedef int32_t FormatResult;
const FormatResult FormatOk = 0;
const FormatResult FormatInvalidCapacity = (FormatResult)0x80070057;  // E_INVALIDARG
const FormatResult FormatCut = (FormatResult)0x8007007A;  // insufficient buffer

// A null format yields the empty text.
FormatResult FormatBounded(wchar_t* destination, uint32_t capacity, const wchar_t* format, ...);
FormatResult FormatBoundedList(wchar_t* destination, uint32_t capacity, const wchar_t* format,
                               va_list arguments);
FormatResult FormatBoundedNarrow(char* destination, uint32_t capacity, const char* format, ...);
