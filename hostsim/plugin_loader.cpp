#include "hostsim/plugin_loader.h"
#include <tlhelp32.h>

static const DWORD LongestThreadWait = 5000;
static const ULONG ThreadStartAddressClass = 9;  // ThreadQuerySetWin32StartAddress

typedef LONG(WINAPI* QueryThreadFunction)(HANDLE thread, ULONG kind, void* answer, ULONG size,
                                          ULONG* written);

bool LoadPlugin(const std::wstring& path, LoadedPlugin* plugin)
{
    *plugin = LoadedPlugin();
    HMODULE module = LoadLibraryW(path.c_str());
    if (!module)
        return false;
    plugin->getRecord = (GetRecordExport)(void*)GetProcAddress(module, "winampGetGeneralPurposePlugin");
    plugin->uninstall = (UninstallExport)(void*)GetProcAddress(module, "winampUninstallPlugin");
    if (!plugin->getRecord || !plugin->uninstall) {
        FreeLibrary(module);
        *plugin = LoadedPlugin();
        return false;
    }
    plugin->module = module;
    return true;
}

int StartPlugin(HostSimulator* host, LoadedPlugin* plugin)
{
    plugin->record = plugin->getRecord();
    plugin->record->hostWindow = host->window;
    plugin->record->moduleInstance = plugin->module;
    return plugin->record->startUp();
}

int UninstallPlugin(LoadedPlugin* plugin, HWND owner)
{
    return plugin->uninstall(plugin->module, owner, 0);
}

static IMAGE_NT_HEADERS* HeadersOf(HMODULE module)
{
    BYTE* base = (BYTE*)module;
    return (IMAGE_NT_HEADERS*)(base + ((IMAGE_DOS_HEADER*)base)->e_lfanew);
}

static void** FindImportSlot(HMODULE module, const char* library, const char* function)
{
    BYTE* base = (BYTE*)module;
    IMAGE_DATA_DIRECTORY imports = HeadersOf(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress)
        return nullptr;
    for (IMAGE_IMPORT_DESCRIPTOR* from = (IMAGE_IMPORT_DESCRIPTOR*)(base + imports.VirtualAddress);
         from->Name; ++from) {
        if (lstrcmpiA((const char*)(base + from->Name), library) != 0)
            continue;
        IMAGE_THUNK_DATA* names = (IMAGE_THUNK_DATA*)(base + from->OriginalFirstThunk);
        void** slots = (void**)(base + from->FirstThunk);
        for (size_t i = 0; names[i].u1.AddressOfData; ++i) {
            if (IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal))
                continue;
            IMAGE_IMPORT_BY_NAME* named = (IMAGE_IMPORT_BY_NAME*)(base + names[i].u1.AddressOfData);
            if (lstrcmpA((const char*)named->Name, function) == 0)
                return &slots[i];
        }
    }
    return nullptr;
}

void* ReplaceImport(HMODULE module, const char* library, const char* function, void* replacement)
{
    void** slot = FindImportSlot(module, library, function);
    if (!slot)
        return nullptr;
    DWORD protection = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    void* former = *slot;
    *slot = replacement;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    return former;
}

static bool StartedInside(HANDLE thread, BYTE* base, SIZE_T size)
{
    static QueryThreadFunction query = (QueryThreadFunction)(void*)GetProcAddress(
        GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread");
    void* start = nullptr;
    if (!query || query(thread, ThreadStartAddressClass, &start, sizeof start, nullptr) != 0)
        return false;
    return (BYTE*)start >= base && (BYTE*)start < base + size;
}

// Threads of this process whose start address lies inside the module.
static int ThreadsStartedIn(HMODULE module)
{
    BYTE* base = (BYTE*)module;
    SIZE_T size = HeadersOf(module)->OptionalHeader.SizeOfImage;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    int found = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId())
            continue;
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        if (!thread)
            continue;
        if (StartedInside(thread, base, size))
            ++found;
        CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return found;
}

static void ProcessMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void UnloadPlugin(LoadedPlugin* plugin)
{
    if (!plugin->module)
        return;
    // A size counter may still be asking the host (this thread) for paths.
    DWORD start = GetTickCount();
    while (ThreadsStartedIn(plugin->module) > 0 && GetTickCount() - start < LongestThreadWait) {
        ProcessMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    FreeLibrary(plugin->module);
    *plugin = LoadedPlugin();
}
