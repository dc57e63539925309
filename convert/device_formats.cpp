#include "convert/device_formats.h"
#include <wchar.h>
#include "files/file_facts.h"
#include "host/encoders.h"
#include "host/host_link.h"

// 320 kbit/s, in bytes a millisecond.
static const uint64_t BytesPerMillisecond = 40;
static const size_t ExtensionCapacity = 8;

void ChooseConversion(CopyPlan* plan)
{
    plan->convertTo = 0;
    plan->convertedExtension[0] = 0;
    if (!State.Options.ConvertForDevice || State.FormatCount <= 0)
        return;
    plan->convertTo = FormatCode(State.Options.ConvertFormat);
    wchar_t extension[ExtensionCapacity] = {};
    FormatExtension(plan->convertTo, extension);
    plan->convertedExtension[0] = L'.';
    lstrcpynW(plan->convertedExtension + 1, extension, ExtensionCapacity);
}

static bool IsSeparator(wchar_t ch) { return ch == L' ' || ch == L',' || ch == L';' || ch == L'\t'; }

bool DevicePlays(const wchar_t* path)
{
    const wchar_t* extension;
    SplitPath(path, nullptr, &extension);
    if (*extension == L'.')
        ++extension;
    size_t length = wcslen(extension);
    for (const wchar_t* at = State.Options.DevicePlays; *at;) {
        while (IsSeparator(*at) || *at == L'.')
            ++at;
        const wchar_t* start = at;
        while (*at && !IsSeparator(*at))
            ++at;
        size_t listed = (size_t)(at - start);
        if (listed && listed == length && SameFileName(start, extension, length))
            return true;
    }
    return false;
}

uint64_t ConvertedSizeGuess(const wchar_t* path, uint64_t sourceSize)
{
    uint64_t milliseconds;
    if (!ReaderLength(path, &milliseconds))
        return sourceSize;
    uint64_t guess = milliseconds * BytesPerMillisecond;
    return guess && guess < sourceSize ? guess : sourceSize;
}
