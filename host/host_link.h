// The boundary with the host player: its main window's messages and its service objects.
// Every host request of the module goes through here.
#pragma once
#include <windows.h>
#include <stdint.h>

// --- Host window messages: SendMessageW(host, WM_USER, wParam, code) ------------------

enum HostCode : LPARAM {
    HostVersionCode = 0,
    PlaybackStatusCode = 104,
    CurrentTrackLengthCode = 105,
    SetPlaylistPositionCode = 121,
    PlaylistLengthCode = 124,
    PlaylistPositionCode = 125,
    PlaylistTitleCode = 213,
    PlaylistFileCode = 214,
    PlaylistWindowCode = 260,
    HostMenuCode = 281,
    IniDirectoryCode = 335,
    RegisterCommandIdCode = 3019,
    ServiceRegistryCode = 3025,
    FileMetadataCode = 3026,  // hosts from 5.13 on
    NextSelectedCode = 3029,
    SelectedCountCode = 3030,
};

// The host's "stop" menu command, sent as WM_COMMAND.
const WPARAM StopPlaybackCommand = 40047;

// An entry's path or title as the module keeps it, terminator included. The host copies the
// path (PlaylistFileCode) or title (PlaylistTitleCode) into one buffer of its own and answers a
// pointer to it, which the next such request, on any thread, overwrites: so every answer is
// copied out at once, and only on the host's user-interface thread (the size counter asks
// through the copy dialog).
const size_t HostTextCapacity = 1024;

// Asks `host` its version; start-up asks before it keeps the host main window.
uint32_t HostVersion(HWND host);
// The operations below all address the host main window (State.HostWindow).
int PlaylistLength();
// Copies entry `index`'s path into `path` (HostTextCapacity units). False when the host has
// none (`path` empty) or one too long to keep whole (`path` its start, for telling the user): a
// cut path names another file.
bool CopyPlaylistFile(int index, wchar_t* path);
// Copies entry `index`'s title into `title` (HostTextCapacity units), cut to fit without
// parting a surrogate pair. False, and `title` empty, when the host has none.
bool CopyPlaylistTitle(int index, wchar_t* title);
// The entries selected in the playlist editor, when there are some but not all of `count` and
// the host tells them consistently (an older host answers 1 to what it does not know); else 0.
int SelectedEntryCount(int count);
// The next selected entry after `after` (-1: the first) in a playlist of `count` entries; -1
// after the last, or where the host's answer does not go on through the playlist.
int NextSelectedEntry(int after, int count);
HWND PlaylistWindow();
// The main menu (what the menu HostMenuCode answers for -1 holds at position 0), or null.
HMENU HostMainMenu();
const char* IniDirectory();  // null when the host gives no text
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
// no reader answered. A host that does not know the request answers 1 with the buffer as it
// was: the value is cleared before asking, so it reads as empty. Only on the host's thread.
bool FileMetadata(const wchar_t* path, const wchar_t* field, wchar_t* value, size_t capacity);
// The milliseconds the host's reader of `path` gives as its "length"; false when no reader
// answered or the value is not a whole number. Only on the host's thread.
bool ReaderLength(const wchar_t* path, uint64_t* milliseconds);
// How the lengths of a walk through the playlist are read. Stopped, the host's stored length of
// each entry is the cheap answer, but only for the current entry: each is made current in turn,
// and the user's entry comes back at the end. Playing or paused, the current entry is what plays
// next and the host's length is the playing song's: every length comes from its reader, and the
// playlist's index is never moved.
struct LengthReading {
    bool byPosition;  // still stopped at the last entry asked
    int userPosition;
};
LengthReading StartReadingLengths();
// Entry `index`'s length in whole seconds; -1 when neither the host nor the reader knows it.
int EntryLength(LengthReading* reading, int index, const wchar_t* path);
// Puts the user's entry back where the walk moved it.
void EndReadingLengths(const LengthReading& reading);

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
    ApplicationRegisterShortcuts = 240,  // its count is of accelerator tables, not of keys
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
