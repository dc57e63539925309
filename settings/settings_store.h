// The copy options in the host's plug-in settings file, section "Corvelle". The copy dialog
// loads them when it opens and saves them when it closes; uninstall erases them. An option
// the dialog did not show (settings/option_table.h) keeps its key in the file as it is.
#pragma once

// Replaces each option with its stored value; an option without a stored key keeps its
// value in memory, and one the dialog does not show becomes 0.
void LoadOptions();
// Writes the options the dialog shows as decimal text, in the table's order.
void SaveOptions();
// Removes the section and its keys from the file; the options in memory stay as they are.
void EraseSavedOptions();
