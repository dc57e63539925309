// The copy options in the host's plug-in settings file, section "Corvelle". The copy dialog
// loads them when it opens and saves them when it closes; uninstall erases them. While
// SyncBoxesShown is 0 the last two keys stay as they are in the file.
#pragma once

extern const wchar_t SettingsSection[];  // "Corvelle"

// Replaces each option with its stored value; an option without a stored key keeps its
// value in memory. While SyncBoxesShown is 0 the last two options become 0 instead.
void LoadOptions();
// Writes the options as decimal text, in their fixed order; while SyncBoxesShown is 0 only
// the first five.
void SaveOptions();
// Removes the section and its keys from the file; the options in memory stay as they are.
void EraseSavedOptions();
