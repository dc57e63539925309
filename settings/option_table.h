// Every copy option in one table: its settings key, its control in the copy dialog's child
// area and its member of CopyOptions. The settings store and the copy dialog walk it, so an
// option is added in one row.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include "state/plugin_state.h"

// Options added after language packs were made come in groups whose controls a pack's older
// template may lack. A group the dialog did not show is off for that use, and its keys are
// neither read nor written (State.MissingOptionGroups).
enum OptionGroup : uint32_t {
    EveryTemplate = 0,    // every template has these controls
    KeepInStepGroup = 1,  // keeping a folder in step
    TagGroup = 2,         // naming copies from their tags
    CompanionGroup = 3,   // cover art and lyrics
    SlashGroup = 4,       // "/" in the playlist file
    ConvertGroup = 5,     // converting what the device cannot play
    VerifyGroup = 6,      // reading the copies back
};

typedef wchar_t (CopyOptions::*TextOption)[NameTemplateCapacity];

struct OptionRow {
    const wchar_t* key;  // in the settings file
    int control;         // its check box, or its edit box (or list) for a text
    int32_t CopyOptions::*flag;  // null for a text
    TextOption text;             // null for a flag
    OptionGroup group;
    // The check box whose state the control follows (0: none): it is enabled while that box
    // is ticked, or, for `whileClear`, while it is not. Its value stays as it is.
    int enabledBy;
    bool whileClear;
};

// In the order of every load, save and dialog transfer.
extern const OptionRow OptionTable[];
extern const size_t OptionCount;

// Whether the dialog, as last opened, showed the row's option.
bool IsOptionShown(const OptionRow& row);
