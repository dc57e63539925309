// The host's two other ways into the plug-in: the about box behind the record's configure
// operation, and the question at uninstall whether the saved options go too.
#pragma once
#include <windows.h>

// Shows the about box; while it is open, a further call only brings it forward.
void ShowAboutBox();

// Called by the host when the user removes the plug-in. Only `owner` is used: it owns the
// question. Always answers 0.
extern "C" int __cdecl winampUninstallPlugin(HINSTANCE module, HWND owner, int parameter);
