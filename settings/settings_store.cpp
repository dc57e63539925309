#include "settings/settings_store.h"
#include <windows.h>
#include "state/plugin_state.h"
#include "text/format_bounded.h"

const wchar_t SettingsSection[] = L"Corvelle";

static const int ValueCapacity = 32;

struct OptionKey {
    const wchar_t* key;
    int32_t CopyOptions::*option;
};

// The order of every load, save and dialog transfer.
static const OptionKey OptionKeys[] = {
    {L"SavePlaylist", &CopyOptions::SavePlaylist},
    {L"SaveM3U8", &CopyOptions::SaveM3U8},
    {L"NumberFilenames", &CopyOptions::NumberFilenames},
    {L"UsePlaylistTitle", &CopyOptions::UsePlaylistTitle},
    {L"IncludeDirectory", &CopyOptions::IncludeDirectory},
};

void LoadOptions()
{
    for (const OptionKey& entry : OptionKeys) {
        int32_t& option = State.Options.*entry.option;
        option = (int32_t)GetPrivateProfileIntW(SettingsSection, entry.key, option,
                                                State.SettingsPath);
    }
}

void SaveOptions()
{
    wchar_t value[ValueCapacity] = {};
    for (const OptionKey& entry : OptionKeys) {
        FormatBounded(value, ValueCapacity, L"%d", State.Options.*entry.option);
        WritePrivateProfileStringW(SettingsSection, entry.key, value, State.SettingsPath);
    }
}

void EraseSavedOptions()
{
    // Without a settings path the profile functions would fall back on win.ini in the
    // Windows folder; an uninstall after a failed start-up must not touch that.
    if (!State.SettingsPath[0])
        return;
    WritePrivateProfileStringW(SettingsSection, nullptr, nullptr, State.SettingsPath);
}
