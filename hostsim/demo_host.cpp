#include "hostsim/demo_host.h"
#include <stdio.h>
#include "hostsim/disk_files.h"

std::wstring BesideProgram(const char* relative)
{
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring path = program;
    path.resize(path.find_last_of(L'\\') + 1);
    for (const char* at = relative; *at; ++at)
        path += *at == '/' ? L'\\' : (wchar_t)*at;
    wchar_t full[MAX_PATH] = {};
    return GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr) ? full : path;
}

static std::string Ansi(const std::wstring& text)
{
    int bytes = WideCharToMultiByte(CP_ACP, 0, text.c_str(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string out((size_t)bytes, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), (int)text.size(), &out[0], bytes, nullptr, nullptr);
    return out;
}

bool StartDemoHost(const std::wstring& module, const std::wstring& settingsFolder, DemoHost* demo,
                   std::wstring* problem)
{
    CreateFolders(settingsFolder + L"Plugins");
    demo->host = StartHostSimulator();
    // The player hands out its settings folder without the closing backslash.
    demo->host->iniDirectory = Ansi(settingsFolder.substr(0, settingsFolder.size() - 1));
    if (!LoadPlugin(module, &demo->plugin)) {
        *problem = L"could not load " + module;
        return false;
    }
    demo->commandId = (UINT)demo->host->nextCommandId;
    if (StartPlugin(demo->host, &demo->plugin) != 0) {
        *problem = L"the plug-in refused to start";
        return false;
    }
    return true;
}

void StopDemoHost(DemoHost* demo)
{
    if (demo->host)
        StopHostSimulator(demo->host);
    demo->host = nullptr;
    UnloadPlugin(&demo->plugin);
}

std::wstring CommandMenuText(const DemoHost& demo)
{
    wchar_t text[128] = {};
    GetMenuStringW(HostFirstSubmenu(demo.host), demo.commandId, text, 128, MF_BYCOMMAND);
    return text;
}

void PrintText(const std::wstring& text)
{
    std::string bytes = Utf8(text);
    fwrite(bytes.data(), 1, bytes.size(), stdout);
    fflush(stdout);
}
