// The module's face to the host: its entry, the exported record, start-up, and the window
// procedure through which the menu command and the shortcuts reach the copy dialog.
#pragma once
#include "host/host_link.h"
#include "state/plugin_state.h"

// The one record, the same on every call.
extern "C" PluginRecord* winampGetGeneralPurposePlugin();

// The record's operations. StartUp answers 0 when the plug-in is hooked into the host and 1
// when it refuses (a host below 5.53, or one without a service registry).
int32_t StartUp();
void ShutDown();

// The host's version, asked of `host` only the first time.
uint32_t CachedHostVersion(HWND host);
// Stores the service registered under `service` into `slot`; leaves the slot alone when
// there is no registry or no factory.
void LookUpService(HostService** slot, GUID service);
// Hands the host an accelerator table made from `entries` for `window`. Does nothing when
// the host has no application service or the table cannot be made.
void RegisterShortcuts(HWND window, ACCEL* entries, int count, int mode);
// Puts the command and a separator below it above the last items of `menu`.
void PlaceMenuCommand(HMENU menu);

// Installed on the host main window; opens the copy dialog for the plug-in's command.
LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
