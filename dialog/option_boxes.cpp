#include "dialog/option_boxes.h"
#include "resources/resource_ids.h"
#include "settings/option_table.h"
#include "settings/settings_store.h"
#include "state/plugin_state.h"
#include "text/format_bounded.h"
#include "text/localised_text.h"

static const int SelectionLabelCapacity = 128;

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

// The selection box: its label with the number, clear, and enabled only for some but not all
// of the entries. A selection is of the moment, so it is never stored.
static void ShowSelectionBox(HWND dialog)
{
    State.Options.OnlySelected = 0;
    HWND box = GetDlgItem(dialog, OnlySelectedBox);
    if (!box)
        return;
    wchar_t format[SelectionLabelCapacity] = {}, label[SelectionLabelCapacity] = {};
    if (FetchTextOrOwn(OnlySelectedString, format, SelectionLabelCapacity)) {
        FormatBounded(label, SelectionLabelCapacity, format, (unsigned)State.SelectedCount);
        SetWindowTextW(box, label);
    }
    CheckDlgButton(dialog, OnlySelectedBox, BST_UNCHECKED);
    EnableWindow(box, State.SelectedCount > 0);
}

void ShowOptionBoxes(HWND dialog)
{
    // Known before the load, which leaves the options of missing boxes off.
    State.MissingOptionGroups = MissingGroups(dialog);
    LoadOptions();
    for (size_t i = 0; i < OptionCount; ++i)
        ShowOption(dialog, OptionTable[i]);
    ShowSelectionBox(dialog);
    FollowOptionBoxes(dialog);
}

void ReadOptionBoxes(HWND dialog)
{
    State.Options.OnlySelected = State.SelectedCount > 0 &&
                                 IsDlgButtonChecked(dialog, OnlySelectedBox) == BST_CHECKED;
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
    // A selection is not the playlist: no copy leaves the playlist for being unselected.
    if (IsDlgButtonChecked(dialog, OnlySelectedBox) == BST_CHECKED)
        EnableWindow(GetDlgItem(dialog, RemoveDroppedBox), FALSE);
}
