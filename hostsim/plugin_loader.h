// Loads a plug-in DLL the way the player does and drives its record in the player's order:
// winampGetGeneralPurposePlugin, then the host window and module instance filled in, then
// startUp once; later configure, shutDown and, when the user removes it, uninstall.
#pragma once
#include <windows.h>
#include <string>
#include "hostsim/host_simulator.h"
#include "state/plugin_state.h"

typedef PluginRecord* (*GetRecordExport)();
typedef int(__cdecl* UninstallExport)(HINSTANCE module, HWND owner, int parameter);

struct LoadedPlugin {
    HMODULE module = nullptr;
    GetRecordExport getRecord = nullptr;
    UninstallExport uninstall = nullptr;
    PluginRecord* record = nullptr;  // set by StartPlugin
};

// LoadLibraryW and both exports. False (and nothing loaded) when either is missing.
bool LoadPlugin(const std::wstring& path, LoadedPlugin* plugin);
// Asks for the record, fills it in for `host` and calls startUp; returns startUp's answer.
int StartPlugin(HostSimulator* host, LoadedPlugin* plugin);
// The player's plug-in removal: winampUninstallPlugin with the owner of its question.
int UninstallPlugin(LoadedPlugin* plugin, HWND owner);
// Points the module's import of `function` from `library` at `replacement`, the way a
// tool would watch what the module asks of the platform. Returns the former target, or null
// when the module does not import that function by name.
void* ReplaceImport(HMODULE module, const char* library, const char* function, void* replacement);
// Waits (processing this thread's messages) for threads the plug-in started, then frees it.
// Windows subclassed by the plug-in must be gone by then.
void UnloadPlugin(LoadedPlugin* plugin);
