// The real module started in a simulated player, as the demo and the screenshots run it.
#pragma once
#include <windows.h>
#include <string>
#include "hostsim/dialog_watcher.h"
#include "hostsim/host_simulator.h"
#include "hostsim/plugin_loader.h"

struct DemoHost {
    HostSimulator* host = nullptr;
    LoadedPlugin plugin;
    UINT commandId = 0;  // what the player handed out for the menu command
};

// The module beside the program: `relative` is its path from the program's folder.
std::wstring BesideProgram(const char* relative);

// Starts the player with its settings folder (made, with its Plugins folder, if missing),
// loads the module and starts it. `watcher` must be watching already: start-up may show a
// box. False, with `problem` saying why, when the module could not be loaded or refused.
bool StartDemoHost(const std::wstring& module, const std::wstring& settingsFolder, DemoHost* demo,
                   std::wstring* problem);
// The player window first, while the module may still have it subclassed; then the module.
void StopDemoHost(DemoHost* demo);

// The menu text of the plug-in's command in the player's menu.
std::wstring CommandMenuText(const DemoHost& demo);

// Writes text to the standard output as UTF-8.
void PrintText(const std::wstring& text);
