#include "hostsim/save_as_driver.h"
#include <commdlg.h>
#include "resources/resource_ids.h"
#include "settings/option_table.h"

static const wchar_t RunProperty[] = L"CorvelleSaveAsRun";
static const UINT_PTR StepTimer = 0xC0;
static const UINT StepMilliseconds = 20;

std::wstring ControlText(HWND dialog, int control)
{
    return WindowTextOf(GetDlgItem(dialog, control));
}

HWND FindCopyDialogArea(HWND saveAs)
{
    for (HWND child = GetWindow(saveAs, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgItem(child, FileCountReadout))
            return child;
    return nullptr;
}

std::wstring FolderShown(HWND saveAs)
{
    wchar_t folder[MAX_PATH] = {};
    if (SendMessageW(saveAs, CDM_GETFOLDERPATH, MAX_PATH, (LPARAM)folder) <= 0)
        return std::wstring();
    return folder;
}

bool ShowsFinalTotal(HWND area)
{
    std::wstring size = ControlText(area, SizeReadout);
    return !size.empty() && size[0] != L'+';
}

static void Observe(SaveAsRun& run, HWND area)
{
    run.title = WindowTextOf(run.saveAs);
    run.fileNameShown = ControlText(run.saveAs, SaveAsFileNameCombo);
    run.countText = ControlText(area, FileCountReadout);
    run.sizeText = ControlText(area, SizeReadout);
    run.firstLabel = WindowTextOf(GetWindow(area, GW_CHILD));
    for (size_t i = 0; i < OptionCount; ++i) {
        std::string key;
        for (const wchar_t* at = OptionTable[i].key; *at; ++at)
            key += (char)*at;
        if (OptionTable[i].text)
            run.texts[key] = ControlText(area, OptionTable[i].control);
        else if (IsDlgButtonChecked(area, OptionTable[i].control) == BST_CHECKED)
            run.ticked += (run.ticked.empty() ? "" : " ") + key;
    }
    HWND types = GetDlgItem(run.saveAs, SaveAsFileTypeCombo);
    int count = (int)SendMessageW(types, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        wchar_t text[300] = {};
        SendMessageW(types, CB_GETLBTEXT, i, (LPARAM)text);
        run.fileTypes.push_back(text);
    }
    GetWindowRect(run.saveAs, &run.frame);
}

// The same folder, with or without its closing backslash, in any case.
static bool SameFolder(std::wstring a, std::wstring b)
{
    if (!a.empty() && a.back() == L'\\')
        a.pop_back();
    if (!b.empty() && b.back() == L'\\')
        b.pop_back();
    return lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

// Opens the next folder of browseTo once the last one is shown; true when all have been. A
// folder shown already is not opened again: the window would not change, and nothing tells
// that it had been asked.
static bool BrowseOn(SaveAsRun& run, HWND area, bool late)
{
    // Every folder opened already, the steps that wait for the final total see nothing new.
    if (!run.browsing && run.foldersSeen.size() > run.browseTo.size())
        return true;
    std::wstring shown = FolderShown(run.saveAs);
    if (run.browsing && shown == run.foldersSeen.back() && !late)
        return false;
    run.browsing = false;
    run.foldersSeen.push_back(shown);
    run.freeSpaceSeen.push_back(ControlText(area, FreeSpaceReadout));
    size_t next = run.foldersSeen.size() - 1;
    if (next >= run.browseTo.size())
        return true;
    if (SameFolder(run.browseTo[next], shown)) {
        run.browsing = false;
        return BrowseOn(run, area, late);
    }
    if (run.browseTo[next] == L"..") {
        PressButton(run.saveAs, SaveAsUpOneLevel);
    } else {
        SetDlgItemTextW(run.saveAs, SaveAsFileNameCombo, run.browseTo[next].c_str());
        PressButton(run.saveAs, IDOK);
    }
    run.browsing = true;
    return false;
}

static void Act(SaveAsRun& run, HWND area)
{
    for (int box : run.toggles)
        CheckDlgButton(area, box, IsDlgButtonChecked(area, box) ? BST_UNCHECKED : BST_CHECKED);
    for (const auto& box : run.setBoxes)
        CheckDlgButton(area, box.first, box.second ? BST_CHECKED : BST_UNCHECKED);
    for (const auto& text : run.setTexts)
        SetDlgItemTextW(area, text.first, text.second.c_str());
    if (!run.fileName.empty())
        SetDlgItemTextW(run.saveAs, SaveAsFileNameCombo, run.fileName.c_str());
    PressButton(run.saveAs, run.button);
    run.pressed = true;
    run.deadline = GetTickCount() + run.closePatience;
}

static void CALLBACK Step(HWND saveAs, UINT, UINT_PTR timer, DWORD)
{
    SaveAsRun* run = (SaveAsRun*)GetPropW(saveAs, RunProperty);
    if (!run)
        return;
    bool late = (LONG)(GetTickCount() - run->deadline) > 0;
    if (run->pressed) {
        HWND area = FindCopyDialogArea(saveAs);
        bool done = area && run->whileOpen && run->whileOpen(saveAs, area);
        // Still open long after the button: the system refused the path. Give up rather
        // than hang.
        if (late || done) {
            run->refused = true;
            KillTimer(saveAs, timer);
            RemovePropW(saveAs, RunProperty);
            PressButton(saveAs, IDCANCEL);
        }
        return;
    }
    HWND area = FindCopyDialogArea(saveAs);
    if (area && run->onStep)
        run->onStep(saveAs, area);
    if (!area || !BrowseOn(*run, area, late))
        return;
    if (run->waitForFinalTotal && !ShowsFinalTotal(area) && !late)
        return;
    Observe(*run, area);
    Act(*run, area);
}

DialogHandler DriveSaveAs(SaveAsRun* run)
{
    return [run](HWND dialog) {
        if (run->saveAs)
            return false;
        run->saveAs = dialog;
        run->deadline = GetTickCount() + run->patience;
        SetPropW(dialog, RunProperty, run);
        SetTimer(dialog, StepTimer, StepMilliseconds, Step);
        return true;
    };
}
