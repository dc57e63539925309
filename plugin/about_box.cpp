#include "plugin/about_box.h"
#include <windows.h>
#include "resources/resource_ids.h"
#include "state/plugin_state.h"
#include "text/message_box.h"

static const char DialogWindowClass[] = "#32770";
static const uint32_t AboutTextCapacity = 512;
// Stays above every window and needs no owner, so the host stays usable while it is shown.
static const UINT AboutBoxStyle = MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL | MB_RIGHT;

void ShowAboutBox(const char* description)
{
    if (State.AboutBoxOpen) {
        SetActiveWindow(FindWindowA(DialogWindowClass, description));
        return;
    }
    State.AboutBoxOpen = 1;
    ShowFormattedBox(nullptr, AboutBoxStyle, AboutTextString, AboutTextCapacity, State.SharedCaption);
    State.AboutBoxOpen = 0;
}
