#include "host/host_link.h"
#include "state/plugin_state.h"

const GUID LanguageServiceGuid = {
    0x30AED4E5, 0xEF10, 0x4277, {0x8D, 0x49, 0x27, 0xAB, 0x55, 0x70, 0xE8, 0x91}};
const GUID ApplicationServiceGuid = {
    0x23B96771, 0x09D7, 0x46D3, {0x9A, 0xE2, 0x20, 0xDC, 0xEA, 0x6C, 0x86, 0xEA}};
const GUID PluginLanguageGuid = {
    0x5E31A0C4, 0x7D2B, 0x4f18, {0xA6, 0xC9, 0x0B, 0x8E, 0x4F, 0x27, 0xD5, 0x13}};

static LRESULT SendHostRequest(HWND host, WPARAM wParam, HostCode code)
{
    return SendMessageW(host, WM_USER, wParam, code);
}

static LRESULT AskHost(WPARAM wParam, HostCode code)
{
    return SendHostRequest(State.HostWindow, wParam, code);
}

uint32_t HostVersion(HWND host) { return (uint32_t)SendHostRequest(host, 0, HostVersionCode); }
int PlaylistLength() { return (int)AskHost(0, PlaylistLengthCode); }

const wchar_t* PlaylistFile(int index)
{
    return (const wchar_t*)AskHost((WPARAM)index, PlaylistFileCode);
}

const wchar_t* PlaylistTitle(int index)
{
    return (const wchar_t*)AskHost((WPARAM)index, PlaylistTitleCode);
}

void SetPlaylistPosition(int index) { AskHost((WPARAM)index, SetPlaylistPositionCode); }
int CurrentTrackLength() { return (int)AskHost(1, CurrentTrackLengthCode); }
HWND PlaylistWindow() { return (HWND)AskHost(1, PlaylistWindowCode); }
HMENU HostMenu() { return (HMENU)AskHost((WPARAM)-1, HostMenuCode); }
const char* IniDirectory() { return (const char*)AskHost(0, IniDirectoryCode); }
int RegisterCommandId() { return (int)AskHost(0, RegisterCommandIdCode); }
LRESULT ServiceRegistryAnswer() { return AskHost(0, ServiceRegistryCode); }

void StopPlayback() { SendMessageW(State.HostWindow, WM_COMMAND, StopPlaybackCommand, 0); }

bool FileMetadata(const wchar_t* path, const wchar_t* field, wchar_t* value, size_t capacity)
{
    if (!capacity)
        return false;
    value[0] = 0;
    FileMetadataRequest request = {path, field, value, capacity};
    bool answered = AskHost((WPARAM)&request, FileMetadataCode) != 0;
    // The value is the host's to end; a reader that filled the buffer to its last element
    // leaves no terminator.
    value[capacity - 1] = 0;
    if (!answered)
        value[0] = 0;
    return answered;
}

int DispatchCall(HostService* service, int message, void* result, void** parameters, int count)
{
    return service->table->DispatchCall(service, message, result, parameters, count);
}

void LookUpService(HostService** slot, GUID service)
{
    if (!State.ServiceRegistry)
        return;
    void* registryParameters[] = {&service};
    HostService* factory = nullptr;
    if (!DispatchCall(State.ServiceRegistry, RegistryFindFactory, &factory, registryParameters, 1) ||
        !factory)
        return;
    int instanceKind = 1;
    void* factoryParameters[] = {&instanceKind};
    HostService* found = nullptr;
    *slot = DispatchCall(factory, FactoryGetService, &found, factoryParameters, 1) ? found : nullptr;
}
