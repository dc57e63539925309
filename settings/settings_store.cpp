#include "settings/settings_store.h"
#include <windows.h>
#include "settings/option_table.h"
#include "state/plugin_state.h"
#include "text/format_bounded.h"

static const wchar_t SettingsSection[] = L"Corvelle";
static const int ValueCapacity = 32;

// A text missing from the file keeps its value in memory.
static void LoadText(const OptionRow& row)
{
    wchar_t* option = State.Options.*row.text;
    wchar_t stored[NameTemplateCapacity] = {};
    GetPrivateProfileStringW(SettingsSection, row.key, option, stored, NameTemplateCapacity,
                             State.SettingsPath);
    lstrcpynW(option, stored, NameTemplateCapacity);
}

void LoadOptions()
{
    for (size_t i = 0; i < OptionCount; ++i) {
        const OptionRow& row = OptionTable[i];
        // Without a settings file (a host that named no settings folder) the options in
        // memory hold; the profile functions would read win.ini instead.
        bool stored = State.SettingsPath[0] != 0;
        if (row.text) {
            if (IsOptionShown(row) && stored)
                LoadText(row);
            continue;
        }
        int32_t& option = State.Options.*row.flag;
        // The user could not see the option, so it cannot be on for this run.
        if (!IsOptionShown(row))
            option = 0;
        else if (stored)
            option = (int32_t)GetPrivateProfileIntW(SettingsSection, row.key, option,
                                                    State.SettingsPath);
    }
}

void SaveOptions()
{
    if (!State.SettingsPath[0])
        return;
    wchar_t value[ValueCapacity] = {};
    for (size_t i = 0; i < OptionCount; ++i) {
        const OptionRow& row = OptionTable[i];
        if (!IsOptionShown(row))
            continue;
        const wchar_t* text = value;
        if (row.text)
            text = State.Options.*row.text;
        else
            FormatBounded(value, ValueCapacity, L"%d", State.Options.*row.flag);
        WritePrivateProfileStringW(SettingsSection, row.key, text, State.SettingsPath);
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
