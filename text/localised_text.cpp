#include "text/localised_text.h"
#include "host/host_link.h"
#include "state/plugin_state.h"
#include "resources/resource_ids.h"
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

void EnsureCaption()
{
    if (State.SharedCaption[0])
        return;
    FormatBounded(State.SharedCaption, CaptionCapacity, FetchText(CaptionString), VersionText);
}
