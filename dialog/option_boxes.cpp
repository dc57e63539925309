#include "dialog/option_boxes.h"
#include "host/encoders.h"
#include "resources/resource_ids.h"
#include "settings/option_table.h"
#include "settings/settings_store.h"
#include "state/plugin_state.h"
#include "text/format_bounded.h"
#include "text/localised_text.h"

static const int SelectionLabelCapacity = 128;
static const int FormatTextCapacity = 128;
static const wchar_t PreferredFormat[] = L"MP3l";

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

// --- The formats of the player's encoders ------------------------------------------------

// Each format an encoder offers, listed by its description, with its code beside it.
static void __cdecl AddFormat(intptr_t list, const char* description, int code)
{
    wchar_t text[FormatTextCapacity] = {};
    if (description)
        MultiByteToWideChar(CP_ACP, 0, description, -1, text, FormatTextCapacity - 1);
    LRESULT at = SendMessageW((HWND)list, CB_ADDSTRING, 0, (LPARAM)text);
    if (at >= 0)
        SendMessageW((HWND)list, CB_SETITEMDATA, (WPARAM)at, (LPARAM)code);
}

static void ListEncoderFormats(HWND dialog)
{
    HWND list = GetDlgItem(dialog, ConvertFormatList);
    State.FormatCount = 0;
    if (!list)
        return;
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    ListFormats(AddFormat, (intptr_t)list);
    LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    State.FormatCount = count > 0 ? (int32_t)count : 0;
}

// The format stored, else MP3 where it is offered, else the first.
static void SelectFormat(HWND list, const wchar_t* characters)
{
    int wanted = FormatCode(characters), preferred = FormatCode(PreferredFormat), chosen = -1;
    for (int i = 0; i < State.FormatCount && chosen < 0; ++i)
        if ((int)SendMessageW(list, CB_GETITEMDATA, (WPARAM)i, 0) == wanted)
            chosen = i;
    for (int i = 0; i < State.FormatCount && chosen < 0; ++i)
        if ((int)SendMessageW(list, CB_GETITEMDATA, (WPARAM)i, 0) == preferred)
            chosen = i;
    SendMessageW(list, CB_SETCURSEL, (WPARAM)(chosen < 0 ? 0 : chosen), 0);
}

static void ReadFormat(HWND list, wchar_t* characters)
{
    LRESULT at = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (at >= 0)
        FormatCharacters((int)SendMessageW(list, CB_GETITEMDATA, (WPARAM)at, 0), characters);
}

// --- The options ---------------------------------------------------------------------------

static void ShowOption(HWND dialog, const OptionRow& row)
{
    if (!row.text) {
        CheckDlgButton(dialog, row.control, (UINT)(State.Options.*row.flag));
        return;
    }
    if (row.control == ConvertFormatList) {
        SelectFormat(GetDlgItem(dialog, row.control), State.Options.*row.text);
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
    ListEncoderFormats(dialog);
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
        else if (row.control == ConvertFormatList && GetDlgItem(dialog, row.control))
            ReadFormat(GetDlgItem(dialog, row.control), State.Options.*row.text);
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
    // Without an encoder there is nothing to convert to.
    const int conversionControls[] = {ConvertBox, ConvertFormatList, DevicePlaysEdit};
    if (!State.FormatCount)
        for (int control : conversionControls)
            EnableWindow(GetDlgItem(dialog, control), FALSE);
}
