#include "host/host_link.h"
#include <stddef.h>
#include "host/host_link_internal.h"
#include "state/plugin_state.h"

const GUID LanguageServiceGuid = {
    0x30AED4E5, 0xEF10, 0x4277, {0x8D, 0x49, 0x27, 0xAB, 0x55, 0x70, 0xE8, 0x91}};
const GUID ApplicationServiceGuid = {
    0x23B96771, 0x09D7, 0x46D3, {0x9A, 0xE2, 0x20, 0xDC, 0xEA, 0x6C, 0x86, 0xEA}};
const GUID PluginLanguageGuid = {
    0x5E31A0C4, 0x7D2B, 0x4f18, {0xA6, 0xC9, 0x0B, 0x8E, 0x4F, 0x27, 0xD5, 0x13}};

// What HostMenuCode answers for wParam -1 (a menu whose first submenu is the main menu) and 0
// (the main menu itself). Hosts of 2008 know only 0 to 4 and answer null for -1.
static const WPARAM MenuHolderOfMainMenu = (WPARAM)-1;
static const WPARAM MainMenuItself = 0;

static LRESULT SendHostRequest(HWND host, WPARAM wParam, HostCode code)
{
    return SendMessageW(host, WM_USER, wParam, code);
}

static LRESULT AskHost(WPARAM wParam, HostCode code)
{
    return SendHostRequest(State.HostWindow, wParam, code);
}

// The player reads the tag request at the offsets of its own build (see host/encoders.cpp).
#if defined(__i386__)
static_assert(sizeof(FileMetadataRequest) == 16, "the player's tag request on i686");
#elif defined(__x86_64__)
static_assert(sizeof(FileMetadataRequest) == 32, "the tag request on x86_64");
#endif
static_assert(offsetof(FileMetadataRequest, metadata) == sizeof(void*) &&
                  offsetof(FileMetadataRequest, ret) == 2 * sizeof(void*) &&
                  offsetof(FileMetadataRequest, retlen) == 3 * sizeof(void*),
              "the tag request's fields, a word each");

// Below this an answer is a number, not a pointer: a host that does not know a request
// answers 1. -1, which some requests give for "none", lies above it on both widths.
static const ULONG_PTR SmallestTextAddress = 0x10000;
static const LRESULT NoneAnswer = -1;

static const void* HostPointer(LRESULT answer)
{
    return (ULONG_PTR)answer < SmallestTextAddress || answer == NoneAnswer ? nullptr : (const void*)answer;
}

uint32_t HostVersion(HWND host) { return (uint32_t)SendHostRequest(host, 0, HostVersionCode); }
int PlaylistLength() { return (int)AskHost(0, PlaylistLengthCode); }

// The host's text is copied before anything else is asked: its buffer is shared.
static size_t CopyHostText(HostCode code, int index, wchar_t* text)
{
    text[0] = 0;
    const wchar_t* answer = (const wchar_t*)HostPointer(AskHost((WPARAM)index, code));
    if (!answer)
        return 0;
    size_t length = 0;
    while (answer[length] && length < HostTextCapacity - 1) {
        text[length] = answer[length];
        ++length;
    }
    text[length] = 0;
    return answer[length] ? HostTextCapacity : length;
}

bool CopyPlaylistFile(int index, wchar_t* path)
{
    size_t length = CopyHostText(PlaylistFileCode, index, path);
    return length > 0 && length < HostTextCapacity;
}

bool CopyPlaylistTitle(int index, wchar_t* title)
{
    size_t length = CopyHostText(PlaylistTitleCode, index, title);
    if (length == HostTextCapacity && IS_HIGH_SURROGATE(title[HostTextCapacity - 2]))
        title[HostTextCapacity - 2] = 0;
    return title[0] != 0;
}

int PlaylistPosition() { return (int)AskHost(0, PlaylistPositionCode); }
void SetPlaylistPosition(int index) { AskHost((WPARAM)index, SetPlaylistPositionCode); }
int CurrentTrackLength() { return (int)AskHost(1, CurrentTrackLengthCode); }
bool PlayerIsStopped() { return AskHost(0, PlaybackStatusCode) == 0; }

static int AskNextSelected(int after) { return (int)AskHost((WPARAM)after, NextSelectedCode); }

int NextSelectedEntry(int after, int count)
{
    int next = AskNextSelected(after);
    return next > after && next < count ? next : -1;
}

// Walking the selection must find as many entries as the host counts, each after the one
// before and inside the playlist, and then the end: a host that does not know the requests
// answers 1 to both.
int SelectedEntryCount(int count)
{
    int selected = (int)AskHost(0, SelectedCountCode);
    if (selected < 1 || selected >= count)
        return 0;
    int previous = -1;
    for (int found = 0; found < selected; ++found) {
        previous = NextSelectedEntry(previous, count);
        if (previous < 0)
            return 0;
    }
    return AskNextSelected(previous) == -1 ? selected : 0;
}
HWND PlaylistWindow() { return (HWND)AskHost(1, PlaylistWindowCode); }

HMENU HostMainMenu()
{
    HMENU holder = (HMENU)AskHost(MenuHolderOfMainMenu, HostMenuCode);
    if (IsMenu(holder))
        return GetSubMenu(holder, 0);
    HMENU main = (HMENU)AskHost(MainMenuItself, HostMenuCode);
    return IsMenu(main) ? main : nullptr;
}

const char* IniDirectory() { return (const char*)HostPointer(AskHost(0, IniDirectoryCode)); }
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

// Room for the milliseconds of any length a playlist line can give.
static const size_t LengthValueCapacity = 32;

bool ReaderLength(const wchar_t* path, uint64_t* milliseconds)
{
    wchar_t value[LengthValueCapacity];
    if (!FileMetadata(path, L"length", value, LengthValueCapacity) || !*value)
        return false;
    uint64_t total = 0;
    for (const wchar_t* at = value; *at; ++at) {
        if (*at < L'0' || *at > L'9' || total > (uint64_t)INT32_MAX * 1000)
            return false;
        total = total * 10 + (uint64_t)(*at - L'0');
    }
    *milliseconds = total;
    return true;
}

int ReaderSeconds(const wchar_t* path)
{
    uint64_t milliseconds;
    if (!path || !*path || !ReaderLength(path, &milliseconds))
        return -1;
    uint64_t rounded = (milliseconds + 500) / 1000;
    return rounded > (uint64_t)INT32_MAX ? -1 : (int)rounded;
}

LengthReading StartReadingLengths()
{
    bool stopped = PlayerIsStopped();
    return {stopped, stopped ? PlaylistPosition() : 0};
}

// The player may start between two entries (another plug-in, a remote): from then on its
// CurrentTrackLengthCode is the playing song's, so it is asked before each stored length.
int EntryLength(LengthReading* reading, int index, const wchar_t* path)
{
    if (reading->byPosition && !PlayerIsStopped()) {
        EndReadingLengths(*reading);
        reading->byPosition = false;
    }
    if (!reading->byPosition)
        return ReaderSeconds(path);
    SetPlaylistPosition(index);
    int seconds = CurrentTrackLength();
    return seconds >= 0 ? seconds : ReaderSeconds(path);
}

void EndReadingLengths(const LengthReading& reading)
{
    if (reading.byPosition)
        SetPlaylistPosition(reading.userPosition);
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
