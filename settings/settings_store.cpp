#include "settings/settings_store.h"
#include <windows.h>
#include "state/plugin_state.h"
#include "text/format_bounded.h"

const wchar_t SettingsSection[] = L"Corvelle";

static const int ValueCapacity = 32;

struct OptionKey {
    const wchar_t* key;
    int32_t CopyOptions::*option;
    bool needsSyncBoxes;  // only a dialog with those boxes can show and change it
};

// The order of every load, save and dialog transfer.
static const OptionKey OptionKeys[] = {
    {L"SavePlaylist", &CopyOptions::SavePlaylist, false},
    {L"SaveM3U8", &CopyOptions::SaveM3U8, false},
    {L"NumberFilenames", &CopyOptions::NumberFilenames, false},
    {L"UsePlaylistTitle", &CopyOptions::UsePlaylistTitle, false},
    {L"IncludeDirectory", &CopyOptions::IncludeDirectory, false},
    {L"SkipUnchanged", &CopyOptions::SkipUnchanged, true},
    {L"RemoveDropped", &CopyOptions::RemoveDropped, true},
};

static bool IsStoredNow(const OptionKey& entry)
{
    return !entry.needsSyncBoxes || State.SyncBoxesShown;
}

void LoadOptions()
{
    for (const OptionKey& entry : OptionKeys) {
        int32_t& option = State.Options.*entry.option;
        // The user could not see the option, so it cannot be on for this run.
        if (!IsStoredNow(entry))
            option = 0;
        else
            option = (int32_t)GetPrivateProfileIntW(SettingsSection, entry.key, option,
                                                    State.SettingsPath);
    }
}

void SaveOptions()
{
    wchar_t value[ValueCapacity] = {};
    for (const OptionKey& entry : OptionKeys) {
        if (!IsStoredNow(entry))
            continue;
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
