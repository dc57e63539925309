#include "plugin/about_box.h"
#include <windows.h>
#include "plugin/plugin_entry.h"
#include "resources/resource_ids.h"
#include "state/plugin_state.h"
#include "text/message_box.h"

static const char DialogWindowClass[] = "#32770";
static const uint32_t AboutTextCapacity = 512;
// Stays above every window and needs no owner, so the host stays usable while it is shown.
static const UINT AboutBoxStyle = MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL | MB_RIGHT;

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
    State.AboutBoxOpen = 1;
    ShowFormattedBox(nullptr, AboutBoxStyle, AboutTextString, AboutTextCapacity, State.SharedCaption);
    State.AboutBoxOpen = 0;
}
