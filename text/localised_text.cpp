#include "text/localised_text.h"
#include "host/host_link.h"
#include "resources/resource_ids.h"
#include "state/plugin_state.h"
#include "text/format_bounded.h"

const wchar_t VersionText[] = L"1.11";
const char VersionTextNarrow[] = "1.11";

static const void* FetchFromService(int message, uint32_t number, void* buffer, int capacity)
{
    // A start-up that found no language service leaves every text missing, as an unhandled
    // fetch would.
    if (!State.LanguageService)
        return nullptr;
    HINSTANCE languageInstance = State.LanguageInstance;
    HINSTANCE module = State.ModuleInstance;
    void* parameters[] = {&languageInstance, &module, &number, &buffer, &capacity};
    const void* text = nullptr;
    if (!DispatchCall(State.LanguageService, message, &text, parameters, 5))
        return nullptr;
    return text;
}

const wchar_t* FetchText(uint32_t number)
{
    return (const wchar_t*)FetchFromService(LanguageWideString, number, nullptr, 0);
}

const wchar_t* FetchText(uint32_t number, wchar_t* buffer, int capacity)
{
    return (const wchar_t*)FetchFromService(LanguageWideString, number, buffer, capacity);
}

const char* FetchTextNarrow(uint32_t number)
{
    return (const char*)FetchFromService(LanguageNarrowString, number, nullptr, 0);
}

const wchar_t* FetchTextOrOwn(uint32_t number, wchar_t* buffer, int capacity)
{
    if (capacity <= 0)
        return nullptr;
    buffer[0] = 0;
    const wchar_t* text = FetchText(number, buffer, capacity);
    if (text && *text) {
        // A service that answers its own text rather than filling the buffer shares it with
        // the next fetch: the caller keeps a copy.
        if (text != buffer)
            lstrcpynW(buffer, text, capacity);
        return buffer;
    }
    // The table's own texts are not terminated where they lie, hence the copy.
    if (LoadStringW(State.ModuleInstance, number, buffer, capacity) <= 0)
        return nullptr;
    return buffer;
}

// Up to this many KiB (1024 MiB) a size has no thousands separator.
static const uint32_t ShortFormLimit = 0x100000;

uint32_t WholeKib(uint64_t bytes)
{
    uint64_t kib = bytes >> 10;
    return kib > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)kib;
}

// `tenths` of a MiB as "12.3 MiB", or "1,536.0 MiB" beyond the short form.
static void FormatTenths(wchar_t* text, uint32_t capacity, uint64_t tenths, bool shortForm,
                         bool counting)
{
    uint64_t wholeMib = tenths / 10;
    uint32_t whole = wholeMib > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)wholeMib;
    uint32_t digit = (uint32_t)(tenths % 10);
    const wchar_t* prefix = counting ? L"+" : L"";
    const wchar_t* unit = FetchText(SizeUnitString);
    if (shortForm)
        FormatBounded(text, capacity, unit ? L"%s%u.%u %s" : L"%s%u.%u", prefix, whole, digit, unit);
    else
        FormatBounded(text, capacity, unit ? L"%s%u,%03u.%u %s" : L"%s%u,%03u.%u", prefix,
                      whole / 1000, whole % 1000, digit, unit);
}

void FormatSizeText(wchar_t* text, uint32_t capacity, uint32_t kib, bool counting)
{
    FormatTenths(text, capacity, ((uint64_t)kib * 10 + 512) / 1024, kib <= ShortFormLimit, counting);
}

void FormatByteSize(wchar_t* text, uint32_t capacity, uint64_t bytes, SizeRounding rounding)
{
    const uint64_t Mib = 1 << 20;
    uint64_t rest = (bytes % Mib) * 10;
    uint64_t tenths = bytes / Mib * 10;
    if (rounding == SizeRounding::Up)
        tenths += (rest + Mib - 1) / Mib;
    else
        tenths += rest / Mib;
    FormatTenths(text, capacity, tenths, WholeKib(bytes) <= ShortFormLimit, false);
}

void EnsureCaption()
{
    if (State.SharedCaption[0])
        return;
    FormatBounded(State.SharedCaption, CaptionCapacity, FetchText(CaptionString), VersionText);
}
