#include "text/about_box.h"
#include "state/plugin_state.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "text/format_bounded.h"
#include "text/localised_text.h"

static const char DialogWindowClass[] = "#32770";
static const int AboutTextCapacity = 512;
// Stays above every window and needs no owner, so the host stays usable while it is shown.
static const UINT AboutBoxStyle = MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL | MB_RIGHT;
static const UINT UninstallQuestionStyle = MB_YESNO;

// The box's title is the caption, made from the same string and version as the record's
// description, so the description finds it.
static void BringAboutBoxForward()
{
    SetActiveWindow(FindWindowA(DialogWindowClass, Record.description));
}

void ShowAboutBox()
{
    if (State.AboutBoxOpen) {
        BringAboutBoxForward();
        return;
    }
    wchar_t text[AboutTextCapacity] = {};
    State.AboutBoxOpen = 1;
    EnsureCaption();
    FormatBounded(text, AboutTextCapacity, FetchText(AboutTextString), State.SharedCaption);
    MessageBoxW(nullptr, text, State.SharedCaption, AboutBoxStyle);
    State.AboutBoxOpen = 0;
}

extern "C" int __cdecl winampUninstallPlugin(HINSTANCE module, HWND owner, int parameter)
{
    (void)module;
    (void)parameter;
    EnsureCaption();
    const wchar_t* question = FetchText(UninstallQuestionString);
    if (MessageBoxW(owner, question, State.SharedCaption, UninstallQuestionStyle) == IDYES)
        EraseSavedOptions();
    return 0;
}
