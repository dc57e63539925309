#include "dialog/option_boxes.h"
#include "settings/option_table.h"
#include "settings/settings_store.h"
#include "state/plugin_state.h"

// Only with every control of its group can the user see a group's options; a template missing
// any leaves their keys in the settings file as they are.
static uint32_t MissingGroups(HWND dialog)
{
    uint32_t missing = 0;
    for (size_t i = 0; i < OptionCount; ++i)
        if (OptionTable[i].group != EveryTemplate && !GetDlgItem(dialog, OptionTable[i].control))
            missing |= 1u << OptionTable[i].group;
    return missing;
}

static void ShowOption(HWND dialog, const OptionRow& row)
{
    if (!row.text) {
        CheckDlgButton(dialog, row.control, (UINT)(State.Options.*row.flag));
        return;
    }
    SendDlgItemMessageW(dialog, row.control, EM_LIMITTEXT, NameTemplateCapacity - 1, 0);
    SetDlgItemTextW(dialog, row.control, State.Options.*row.text);
}

void ShowOptionBoxes(HWND dialog)
{
    // Known before the load, which leaves the options of missing boxes off.
    State.MissingOptionGroups = MissingGroups(dialog);
    LoadOptions();
    for (size_t i = 0; i < OptionCount; ++i)
        ShowOption(dialog, OptionTable[i]);
    FollowOptionBoxes(dialog);
}

void ReadOptionBoxes(HWND dialog)
{
    for (size_t i = 0; i < OptionCount; ++i) {
        const OptionRow& row = OptionTable[i];
        if (!row.text)
            State.Options.*row.flag = IsDlgButtonChecked(dialog, row.control) == BST_CHECKED;
        else if (GetDlgItem(dialog, row.control))
            GetDlgItemTextW(dialog, row.control, State.Options.*row.text, NameTemplateCapacity);
    }
}

void FollowOptionBoxes(HWND dialog)
{
    for (size_t i = 0; i < OptionCount; ++i) {
        const OptionRow& row = OptionTable[i];
        if (!row.enabledBy)
            continue;
        bool ticked = IsDlgButtonChecked(dialog, row.enabledBy) == BST_CHECKED;
        EnableWindow(GetDlgItem(dialog, row.control), ticked != row.whileClear);
    }
}
