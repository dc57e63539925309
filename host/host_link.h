// The boundary with the host player: its main window's messages and its service objects.
// Every host request of the module goes through here.
#pragma once
#include <windows.h>
#include <stdint.h>

// --- Host window messages: SendMessageW(host, WM_USER, wParam, code) ------------------

enum HostCode : LPARAM {
    HostVersionCode = 0,
    PlaylistLengthCode = 124,
    PlaylistFileCode = 214,
    PlaylistTitleCode = 213,
    SetPlaylistPositionCode = 121,
    CurrentTrackLengthCode = 105,
    PlaylistWindowCode = 260,
    HostMenuCode = 281,
    IniDirectoryCode = 335,
    RegisterCommandIdCode = 3019,
    ServiceRegistryCode = 3025,
    FileMetadataCode = 3026,  // hosts from 5.13 on
};

// The host's "stop" menu command, sent as WM_COMMAND.
const WPARAM StopPlaybackCommand = 40047;

// Asks `host` its version; start-up asks before it keeps the host main window.
uint32_t HostVersion(HWND host);
// The operations below all address the host main window (State.HostWindow).
int PlaylistLength();
const wchar_t* PlaylistFile(int index);   // null when the host has no path for it
const wchar_t* PlaylistTitle(int index);  // null when the host has no title for it
void SetPlaylistPosition(int index);
int CurrentTrackLength();
HWND PlaylistWindow();
HMENU HostMenu();
const char* IniDirectory();
int RegisterCommandId();
LRESULT ServiceRegistryAnswer();
void StopPlayback();

// What FileMetadataCode asks, handed over by address in wParam. The layout is the host's.
struct FileMetadataRequest {
    const wchar_t* filename;  // the entry's full path
    const wchar_t* metadata;  // the field: "artist", "albumartist", "album", "title", "track",
                              // "disc", "year", "genre"
    wchar_t* ret;             // receives the value, which may be empty
    size_t retlen;            // its capacity in characters
};
// Asks the host's reader of `path` for one field into `value`; false (and `value` empty) when
// no reader answered. Only on the host's thread.
bool FileMetadata(const wchar_t* path, const wchar_t* field, wchar_t* value, size_t capacity);

// --- Host service objects --------------------------------------------------------------
// Each object's first (and only used) virtual-table entry is DispatchCall. Hosts are built
// with Microsoft's compiler, which calls member functions with __thiscall on i686; on
// x86_64 there is only one convention.

#if defined(__i386__)
#define HOST_THISCALL __attribute__((thiscall))
#else
#define HOST_THISCALL
#endif

struct HostService;

struct HostServiceTable {
    // Nonzero when the object handled the message; only then is *result meaningful.
    int(HOST_THISCALL* DispatchCall)(HostService* self, int message, void* result,
                                     void** parameters, int count);
};

struct HostService {
    const HostServiceTable* table;
};

// Service message numbers.
enum ServiceMessage : int {
    RegistryFindFactory = 50,
    FactoryGetService = 300,
    LanguageStart = 30,
    LanguageNarrowString = 10,
    LanguageWideString = 11,
    ApplicationRegisterShortcuts = 240,
};

// Calls the object's DispatchCall; returns its handled flag.
int DispatchCall(HostService* service, int message, void* result, void** parameters, int count);

// Stores the service registered under `service` into `slot`, found through the registry that
// start-up keeps; leaves the slot alone when there is no registry or no factory.
void LookUpService(HostService** slot, GUID service);

// Service and language identifiers.
extern const GUID LanguageServiceGuid;      // {30AED4E5-EF10-4277-8D49-27AB5570E891}
extern const GUID ApplicationServiceGuid;   // {23B96771-09D7-46D3-9AE2-20DCEA6C86EA}
extern const GUID PluginLanguageGuid;       // {5E31A0C4-7D2B-4f18-A6C9-0B8E4F27D513}
