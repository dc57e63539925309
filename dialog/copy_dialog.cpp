#include "dialog/copy_dialog.h"
#include <windows.h>
#include <commdlg.h>
#include "dialog/option_boxes.h"
#include "dialog/room_question.h"
#include "dialog/run_boxes.h"
#include "dialog/size_counter.h"
#include "files/file_facts.h"
#include "host/host_link.h"
#include "naming/name_template.h"
#include "plan/copy_plan.h"
#include "resources/resource_ids.h"
#include "room/room.h"
#include "run/copy_run.h"
#include "run/make_plan.h"
#include "settings/settings_store.h"
#include "state/plugin_state.h"
#include "text/format_bounded.h"
#include "text/localised_text.h"
#include "text/message_box.h"

#if defined(__i386__)
static_assert(sizeof(OPENFILENAMEW) == 88, "the full request, trailing members included");
#endif

// No overwrite prompt: the file name is ignored anyway.
static const DWORD CopyDialogFlags = OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE |
                                     OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING;
static_assert(CopyDialogFlags == 0x880864, "the dialog's flags");

static const int FilterCapacity = 32;
static const int TitleCapacity = 256;
static const int ReadoutCapacity = 255;
// Up to this count the read-out has no thousands separator.
static const int32_t CountShortFormLimit = 1000;

static UINT_PTR CALLBACK CopyDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The plan is made when the user confirms a target, and this is where it lives until the run
// is over; going back to the dialog frees it there.
void ShowCopyDialog()
{
    CopyPlan plan = {};
    OPENFILENAMEW request = {};
    wchar_t targetPath[PathCapacity] = {};
    wchar_t filterText[FilterCapacity] = {}, title[TitleCapacity] = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = State.HostWindow;
    request.hInstance = State.LanguageInstance;
    // Fetched into a buffer of the dialog's own: the host's would be overwritten by the fetches
    // made while the window opens.
    request.lpstrTitle = FetchText(SaveAsTitleString, title, TitleCapacity);
    // The filter list ends with an empty pattern and an empty description: the two last
    // characters stay NUL whatever length of text a language pack supplies.
    request.lpstrFilter = FetchText(FilterString, filterText, FilterCapacity - 2);
    FetchText(IgnoredFileNameString, targetPath, PathCapacity);
    request.lpstrFile = targetPath;
    request.nMaxFile = PathCapacity;
    request.Flags = CopyDialogFlags;
    request.lpfnHook = CopyDialogHook;
    request.lpTemplateName = MAKEINTRESOURCEW(CopyDialogTemplate);
    request.lCustData = (LPARAM)&plan;
    // The run takes messages while it converts: the command waits for it to end.
    State.CopyRunning = 1;
    if (GetSaveFileNameW(&request) && plan.entries)
        RunCopy(&plan, RunBoxes);
    FreeCopyPlan(&plan);
    State.CopyRunning = 0;
}

static void CentreOnScreen(HWND window)
{
    RECT frame;
    GetWindowRect(window, &frame);
    int x = (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2;
    SetWindowPos(window, HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
}

// A naming template that cannot be used is shown back as typed, with the fields there are.
static bool IsNamingUsable(HWND owner)
{
    const wchar_t* text = State.Options.NameTemplate;
    if (!State.Options.NameByTags || CheckNameTemplate(text) == TemplateProblem::None)
        return true;
    ShowFormattedBox(owner, MB_OK, BadTemplateString, BoxTextCapacity, text);
    return false;
}

// The plan is made with the boxes as they are now and weighed against the room there;
// refusing keeps the dialog open, so that the user can mend the template or pick another
// folder, and frees the plan.
static bool MakeAndWeighPlan(HWND owner, const OPENFILENAMEW& request, CopyPlan* plan)
{
    FreeCopyPlan(plan);
    // Without memory for the plan nothing is copied and nothing written; the system says why.
    if (!MakeCopyPlan({request.lpstrFile, request.nFileOffset}, plan)) {
        ShowSystemErrorBox(owner, ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    if (ConfirmRoom(owner, plan))
        return true;
    FreeCopyPlan(plan);
    return false;
}

static UINT_PTR ConfirmTarget(HWND dialog, const OPENFILENAMEW& request)
{
    ReadOptionBoxes(dialog);
    HWND saveAs = GetParent(dialog);
    if (!IsNamingUsable(saveAs) || !MakeAndWeighPlan(saveAs, request, (CopyPlan*)request.lCustData))
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 1);
    return 1;
}

// The folder the Save As window shows; false for an error, an empty path or one too long for
// the buffer (a cut path names another folder). For a place that is not a file-system folder
// Windows gives no path, while Wine gives the shell's parsing name ("::{20d04fe0-...}" for My
// Computer), which the disk query then refuses.
static bool FetchShownFolder(HWND dialog, wchar_t* folder)
{
    HWND saveAs = GetParent(dialog);
    LRESULT length = SendMessageW(saveAs, CDM_GETFOLDERPATH, PathCapacity, (LPARAM)folder);
    return length > 1 && length <= PathCapacity;
}

// What the user may still write there, quotas included, in the form of the size read-out.
static void ShowFreeSpace(HWND dialog)
{
    wchar_t folder[PathCapacity] = {};
    wchar_t text[ReadoutCapacity] = {};
    uint64_t available = 0;
    if (FetchShownFolder(dialog, folder) && QueryFreeSpace(folder, &available))
        FormatSizeText(text, ReadoutCapacity, WholeKib(available), false);
    SetDlgItemTextW(dialog, FreeSpaceReadout, text);
}

static UINT_PTR OnSaveAsNotice(HWND dialog, const NMHDR* notice)
{
    switch (notice->code) {
    case CDN_INITDONE:
        // Centred once the system has laid the Save As window out; the user moves it freely after.
        CentreOnScreen(GetParent(dialog));
        ShowFreeSpace(dialog);
        break;
    case CDN_FOLDERCHANGE:
        ShowFreeSpace(dialog);
        break;
    case CDN_FILEOK:
        return ConfirmTarget(dialog, *((const OFNOTIFYW*)notice)->lpOFN);
    }
    return 1;
}

static void InitCopyDialog(HWND dialog);
static void ShowReadouts(HWND dialog);
static void StoreDialogOptions(HWND dialog);

static UINT_PTR CALLBACK CopyDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitCopyDialog(dialog);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            FollowOptionBoxes(dialog);
        if (LOWORD(wParam) == OnlySelectedBox)
            ShowReadouts(dialog);
        return 0;
    case WM_NOTIFY:
        return OnSaveAsNotice(dialog, (const NMHDR*)lParam);
    case SizeProgressMessage:
        ShowSizeProgress(dialog, wParam, lParam);
        return 1;
    case SelectionProgressMessage:
        ShowSelectionProgress(dialog, wParam, lParam);
        return 1;
    case CounterPathMessage:
        AnswerCounterPath(wParam, lParam);
        return 1;
    case WM_DESTROY:
        StoreDialogOptions(dialog);
        return 0;
    default:
        return 0;
    }
}

// "Files to copy" and the size follow the selection box.
static void ShowFileCount(HWND dialog)
{
    wchar_t text[ReadoutCapacity] = {};
    bool selection = IsDlgButtonChecked(dialog, OnlySelectedBox) == BST_CHECKED;
    int32_t count = selection ? State.SelectedCount : State.PlaylistCount;
    if (count <= CountShortFormLimit)
        FormatBounded(text, ReadoutCapacity, L"%d", count);
    else
        FormatBounded(text, ReadoutCapacity, L"%d,%03d", count / 1000, count % 1000);
    SetDlgItemTextW(dialog, FileCountReadout, text);
}

static void ShowReadouts(HWND dialog)
{
    ShowFileCount(dialog);
    ShowCountedSize(dialog);
}

static void InitCopyDialog(HWND dialog)
{
    // The counter reads the counts from the state, so they are stored first. The selection is
    // asked only where the template offers its box.
    State.PlaylistCount = PlaylistLength();
    State.SelectedCount = GetDlgItem(dialog, OnlySelectedBox) ? SelectedEntryCount(State.PlaylistCount) : 0;
    for (int which = 0; which < 2; ++which)
        State.CountedAny[which] = State.CountedFinal[which] = false;
    StartSizeCounter(dialog);
    ShowOptionBoxes(dialog);
    ShowReadouts(dialog);
}

static void StoreDialogOptions(HWND dialog)
{
    ReadOptionBoxes(dialog);
    SaveOptions();
}
