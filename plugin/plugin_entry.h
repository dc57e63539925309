// The module's face to the host: its entry, the two exports, the record with its start-up,
// and the window procedure through which the menu command and the shortcuts reach the copy
// dialog.
#pragma once
#include <windows.h>
#include "state/plugin_state.h"

extern "C" PluginRecord* winampGetGeneralPurposePlugin();
// Called by the host when the user removes the plug-in. Only `owner` is used: it owns the
// question whether the saved options go too. Always answers 0.
extern "C" int __cdecl winampUninstallPlugin(HINSTANCE module, HWND owner, int parameter);
