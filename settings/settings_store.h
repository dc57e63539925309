// The five copy options in the host's plug-in settings file, section "Corvelle". The copy
// dialog loads them when it opens and saves them when it closes; uninstall erases them.
#pragma once

extern const wchar_t SettingsSection[];  // "Corvelle"

// Replaces each option with its stored value; an option without a stored key keeps its
// value in memory.
void LoadOptions();
// Writes all five options as decimal text, in their fixed order.
void SaveOptions();
// Removes the section and its keys from the file; the options in memory stay as they are.
void EraseSavedOptions();
