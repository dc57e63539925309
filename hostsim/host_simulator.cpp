#include "hostsim/host_simulator.h"
#include <string.h>
#include <wchar.h>
#include <algorithm>
#include <string>

static const wchar_t MainClass[] = L"CorvelleSimulatedHost";
static const wchar_t EditorClass[] = L"CorvelleSimulatedPlaylistEditor";

SimTags TagsOf(const wchar_t* text)
{
    SimTags tags;
    std::wstring all = text;
    for (size_t start = 0; start < all.size();) {
        size_t end = all.find(L'|', start);
        end = end == std::wstring::npos ? all.size() : end;
        std::wstring field = all.substr(start, end - start);
        size_t equals = field.find(L'=');
        tags[field.substr(0, equals)] = field.substr(equals + 1);
        start = end + 1;
    }
    return tags;
}

// --- Window messages ---------------------------------------------------------------------

static const SimEntry* EntryAt(const HostSimulator* host, WPARAM index)
{
    if (index >= host->playlist.size())
        return nullptr;
    return &host->playlist[index];
}

// The playlist entry of a file, looked for first where the last path was asked: a reader is
// most often asked about the entry whose path was just asked.
static const SimEntry* EntryOfFile(HostSimulator* host, const wchar_t* path)
{
    const SimEntry* hinted = EntryAt(host, host->lastFileAsked);
    if (hinted && hinted->path == path)
        return hinted;
    for (const SimEntry& entry : host->playlist)
        if (entry.path == path)
            return &entry;
    return nullptr;
}

// A field's value, cut to the caller's buffer as a reader would cut it. A file's reader is
// there when the file has tags or is a readable entry of the playlist; it gives the entry's
// length in milliseconds unless the tags say otherwise.
static LRESULT AnswerMetadata(HostSimulator* host, FileMetadataRequest* request)
{
    if (!request->filename || !request->metadata || !request->ret || !request->retlen)
        return 0;
    auto file = host->fileTags.find(request->filename);
    const SimTags* tags = file != host->fileTags.end() ? &file->second : nullptr;
    const SimEntry* entry = EntryOfFile(host, request->filename);
    bool readable = entry && entry->readable;
    if (!tags && !readable)
        return 0;
    std::wstring value;
    if (tags && tags->count(request->metadata))
        value = tags->at(request->metadata);
    else if (readable && wcscmp(request->metadata, L"length") == 0)
        value = std::to_wstring((int64_t)entry->lengthSeconds * 1000);
    size_t length = std::min(value.size(), request->retlen - 1);
    wmemcpy(request->ret, value.c_str(), length);
    request->ret[length] = 0;
    return 1;
}

// The player copies a path or title into its one buffer and answers a pointer to it: the next
// answer overwrites it.
static LRESULT AnswerSharedText(HostSimulator* host, const std::wstring* text)
{
    if (!text)
        return 0;
    size_t length = std::min(text->size(), SimSharedTextCapacity - 1);
    wmemcpy(host->sharedText, text->c_str(), length);
    host->sharedText[length] = 0;
    return (LRESULT)host->sharedText;
}

// The player's windows and other plug-ins ask titles as well, on the player's thread, through
// the same buffer.
static void CALLBACK OthersAsk(HWND window, UINT, UINT_PTR, DWORD)
{
    HostSimulator* host = (HostSimulator*)GetWindowLongPtrW(window, GWLP_USERDATA);
    const SimEntry* current = host ? EntryAt(host, (WPARAM)host->position) : nullptr;
    if (current)
        AnswerSharedText(host, &current->title);
}

// wParam -1: a menu holding the main menu at position 0 (null where a host of 2008 does not
// know it); 0: the main menu itself.
static LRESULT AnswerMenu(HostSimulator* host, WPARAM which)
{
    if (which == (WPARAM)-1)
        return host->menuHolderUnknown ? 0 : (LRESULT)host->mainMenu;
    return which == 0 ? (LRESULT)HostFirstSubmenu(host) : 0;
}

// While it plays or is paused, the playing song's length from its decoder (wParam 1 seconds, 2
// milliseconds, 0 the time played); stopped, the current entry's stored length, -1 (or -1000)
// where the entry was never read, and -1 for the time played.
static LRESULT AnswerLength(HostSimulator* host, WPARAM format)
{
    if (format > 2)
        return -1;
    if (host->playing) {
        int64_t seconds = format == 0 ? 61 : host->playingLengthSeconds;
        return (LRESULT)(format == 1 ? seconds : seconds * 1000);
    }
    const SimEntry* current = EntryAt(host, (WPARAM)host->position);
    if (format == 0 || !current)
        return -1;
    int seconds = current->unread ? -1 : current->lengthSeconds;
    return format == 1 ? seconds : (LRESULT)seconds * 1000;
}

// 3030: how many entries are selected; 3029: the next selected one after wParam (-1 for the
// first), or -1.
static LRESULT AnswerSelection(const HostSimulator* host, WPARAM wParam, LPARAM code)
{
    int count = 0;
    for (size_t i = 0; i < host->playlist.size(); ++i) {
        if (!host->playlist[i].selected)
            continue;
        if (code == NextSelectedCode && (int)i > (int)wParam)
            return (LRESULT)i;
        ++count;
    }
    return code == SelectedCountCode ? count : -1;
}

static LRESULT AnswerRequest(HostSimulator* host, WPARAM wParam, LPARAM code)
{
    const SimEntry* entry = EntryAt(host, wParam);
    if (host->unknownRequests.count(code))
        return 1;
    if (host->noneRequests.count(code))
        return -1;
    LRESULT answer;
    if (AnswerEncoderRequest(&host->encoders, host->version, wParam, code, &answer, &host->faults))
        return answer;
    switch (code) {
    case HostVersionCode: return (LRESULT)host->version;
    case PlaybackStatusCode: return host->playing ? (host->paused ? 3 : 1) : 0;
    case PlaylistLengthCode: return (LRESULT)host->playlist.size();
    case PlaylistFileCode:
        host->lastFileAsked = wParam;
        return AnswerSharedText(host, entry && entry->hasPath ? &entry->path : nullptr);
    case PlaylistTitleCode:
        return AnswerSharedText(host, entry && entry->hasTitle ? &entry->title : nullptr);
    case SetPlaylistPositionCode:
        host->position = (int)wParam;
        return 0;
    case PlaylistPositionCode: return host->position;
    case CurrentTrackLengthCode: return AnswerLength(host, wParam);
    case PlaylistWindowCode: return (LRESULT)host->playlistEditor;
    case HostMenuCode: return AnswerMenu(host, wParam);
    case IniDirectoryCode: return (LRESULT)host->iniDirectory.c_str();
    case RegisterCommandIdCode: return host->nextCommandId++;
    case FileMetadataCode: return AnswerMetadata(host, (FileMetadataRequest*)wParam);
    case SelectedCountCode:
    case NextSelectedCode: return AnswerSelection(host, wParam, code);
    case ServiceRegistryCode:
        switch (host->registry) {
        case SimRegistry::Zero: return 0;
        case SimRegistry::One: return 1;
        default: return (LRESULT)&host->registryObject.object;
        }
    // What the player does not know it answers with 1.
    default: return 1;
    }
}

static LRESULT CALLBACK HostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    HostSimulator* host = (HostSimulator*)GetWindowLongPtrW(window, GWLP_USERDATA);
    if (!host || (message != WM_USER && message != WM_COMMAND && message != WM_SYSCOMMAND))
        return DefWindowProcW(window, message, wParam, lParam);
    SimMessage logged = {message, wParam, lParam};
    host->log.push_back(logged);
    if (host->onMessage)
        host->onMessage(*host, logged);
    if (message == WM_USER)
        return AnswerRequest(host, wParam, lParam);
    if (message == WM_COMMAND && LOWORD(wParam) == StopPlaybackCommand)
        host->playing = host->paused = false;
    return host->commandResult;
}

// --- Service objects ---------------------------------------------------------------------

static HostSimulator* HostOf(HostService* self) { return ((SimService*)self)->host; }

template <typename T>
static void Answer(void* result, T value)
{
    if (result)
        *(T*)result = value;
}

static int HOST_THISCALL RegistryDispatch(HostService* self, int message, void* result,
                                          void** parameters, int count)
{
    HostSimulator* host = HostOf(self);
    if (message != RegistryFindFactory || count != 1)
        return 0;
    const GUID* wanted = (const GUID*)parameters[0];
    if (IsEqualGUID(*wanted, LanguageServiceGuid) && host->offersLanguageService) {
        Answer(result, &host->languageFactory.object);
        return 1;
    }
    if (IsEqualGUID(*wanted, ApplicationServiceGuid) && host->offersApplicationService) {
        Answer(result, &host->applicationFactory.object);
        return 1;
    }
    return 0;
}

static int HOST_THISCALL FactoryDispatch(HostService* self, int message, void* result,
                                         void** parameters, int count)
{
    if (message != FactoryGetService || count != 1 || *(int*)parameters[0] != 1)
        return 0;
    Answer(result, ((SimService*)self)->product);
    return 1;
}

// The text of the asked number and its length, or -1 when the service does not handle it: only
// for the numbers a test names. The player falls back on the module's own string where the
// language pack lacks one, and answers an empty text where neither has it.
static int LoadText(HostSimulator* host, void** parameters, const wchar_t** text)
{
    HINSTANCE languageInstance = *(HINSTANCE*)parameters[0];
    HINSTANCE module = *(HINSTANCE*)parameters[1];
    UINT number = *(UINT*)parameters[2];
    host->fetchedStrings.push_back(number);
    if (host->unhandledStrings.count(number))
        return -1;
    auto replaced = host->replacedStrings.find(number);
    if (replaced != host->replacedStrings.end()) {
        *text = replaced->second.c_str();
        return (int)replaced->second.size();
    }
    int length = languageInstance ? LoadStringW(languageInstance, number, (LPWSTR)text, 0) : 0;
    if (length <= 0)
        length = LoadStringW(module, number, (LPWSTR)text, 0);
    if (length > 0)
        return length;
    *text = L"";
    return 0;
}

// The player's buffer for strings fetched without one of the caller's: one per thread, which
// the thread's next such fetch overwrites.
static thread_local union {
    wchar_t wide[SimLanguageBufferCapacity];
    char narrow[SimLanguageBufferCapacity];
} LanguageBuffer;

// Message 11: the wide text, into the caller's buffer when one is given.
static int AnswerWideString(HostSimulator* host, void* result, void** parameters)
{
    wchar_t* buffer = *(wchar_t**)parameters[3];
    int capacity = *(int*)parameters[4];
    const wchar_t* text = nullptr;
    int length = LoadText(host, parameters, &text);
    if (length < 0)
        return 0;
    if (!buffer || capacity <= 0) {
        buffer = LanguageBuffer.wide;
        capacity = (int)SimLanguageBufferCapacity;
        host->textsWithoutBuffer++;
    }
    int copied = length < capacity ? length : capacity - 1;
    memcpy(buffer, text, copied * sizeof(wchar_t));
    buffer[copied] = 0;
    Answer(result, buffer);
    return 1;
}

// Message 10: the narrow text in the ANSI code page, through the thread's buffer.
static int AnswerNarrowString(HostSimulator* host, void* result, void** parameters)
{
    const wchar_t* text = nullptr;
    int length = LoadText(host, parameters, &text);
    if (length < 0)
        return 0;
    char* narrow = LanguageBuffer.narrow;
    int bytes = length ? WideCharToMultiByte(CP_ACP, 0, text, length, narrow,
                                             (int)SimLanguageBufferCapacity - 1, nullptr, nullptr)
                       : 0;
    narrow[bytes > 0 ? bytes : 0] = 0;
    host->textsWithoutBuffer++;
    Answer(result, narrow);
    return 1;
}

static int HOST_THISCALL LanguageDispatch(HostService* self, int message, void* result,
                                          void** parameters, int count)
{
    HostSimulator* host = HostOf(self);
    if (message == LanguageStart && count == 2) {
        host->moduleSeen = *(HINSTANCE*)parameters[0];
        host->languageGuidSeen = *(const GUID*)parameters[1];
        if (host->language == SimLanguage::Unhandled)
            return 0;
        Answer(result, host->language == SimLanguage::Pack ? host->languagePack : host->moduleSeen);
        return 1;
    }
    if (message == LanguageWideString && count == 5)
        return AnswerWideString(host, result, parameters);
    if (message == LanguageNarrowString && count == 5)
        return AnswerNarrowString(host, result, parameters);
    return 0;
}

// The player keeps `count` table handles from the slot on and translates keys with each: a
// handle that is not a table is a fault.
static int HOST_THISCALL ApplicationDispatch(HostService* self, int message, void* result,
                                             void** parameters, int count)
{
    (void)result;
    if (message != ApplicationRegisterShortcuts || count != 4)
        return 0;
    HostSimulator* host = HostOf(self);
    SimShortcutRegistration registration;
    registration.window = *(HWND*)parameters[0];
    HACCEL* slot = *(HACCEL**)parameters[1];
    registration.count = *(int*)parameters[2];
    registration.mode = *(int*)parameters[3];
    for (int i = 0; i < registration.count; ++i) {
        int stored = CopyAcceleratorTableW(slot[i], nullptr, 0);
        if (stored <= 0) {
            host->faults.push_back("240: handle " + std::to_string(i) + " of " +
                                   std::to_string(registration.count) + " is not an accelerator table");
            continue;
        }
        registration.tables.push_back(slot[i]);
        size_t at = registration.entries.size();
        registration.entries.resize(at + (size_t)stored);
        CopyAcceleratorTableW(slot[i], registration.entries.data() + at, stored);
    }
    host->shortcuts.push_back(registration);
    return 1;
}

static const HostServiceTable RegistryTable = {RegistryDispatch};
static const HostServiceTable FactoryTable = {FactoryDispatch};
static const HostServiceTable LanguageTable = {LanguageDispatch};
static const HostServiceTable ApplicationTable = {ApplicationDispatch};

static void InitService(SimService* service, HostSimulator* host, const HostServiceTable* table,
                        HostService* product)
{
    service->object.table = table;
    service->host = host;
    service->product = product;
}

// --- Life ----------------------------------------------------------------------------------

static void RegisterClasses()
{
    WNDCLASSW type = {};
    type.lpfnWndProc = HostWindowProcedure;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = MainClass;
    RegisterClassW(&type);
    type.lpfnWndProc = DefWindowProcW;
    type.lpszClassName = EditorClass;
    RegisterClassW(&type);
}

HMENU HostFirstSubmenu(HostSimulator* host) { return GetSubMenu(host->mainMenu, 0); }

void SetHostMenuItems(HostSimulator* host, const std::vector<UINT>& identifiers)
{
    HMENU first = HostFirstSubmenu(host);
    while (GetMenuItemCount(first) > 0)
        DeleteMenu(first, 0, MF_BYPOSITION);
    for (size_t i = 0; i < identifiers.size(); ++i) {
        if (identifiers[i] == 0) {
            AppendMenuW(first, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        wchar_t text[32];
        wsprintfW(text, L"Item %u", (unsigned)i);
        AppendMenuW(first, MF_STRING, identifiers[i], text);
    }
}

HostSimulator* StartHostSimulator()
{
    RegisterClasses();
    HostSimulator* host = new HostSimulator();
    InitService(&host->languageService, host, &LanguageTable, nullptr);
    InitService(&host->applicationService, host, &ApplicationTable, nullptr);
    InitService(&host->languageFactory, host, &FactoryTable, &host->languageService.object);
    InitService(&host->applicationFactory, host, &FactoryTable, &host->applicationService.object);
    InitService(&host->registryObject, host, &RegistryTable, nullptr);

    host->window = CreateWindowExW(0, MainClass, L"Winamp", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(host->window, GWLP_USERDATA, (LONG_PTR)host);
    SetTimer(host->window, 1, SimOthersAskMilliseconds, OthersAsk);
    host->playlistEditor = CreateWindowExW(0, EditorClass, L"Playlist Editor", WS_OVERLAPPEDWINDOW,
                                           0, 0, 200, 200, nullptr, nullptr,
                                           GetModuleHandleW(nullptr), nullptr);
    host->mainMenu = CreateMenu();
    AppendMenuW(host->mainMenu, MF_POPUP, (UINT_PTR)CreatePopupMenu(), L"Winamp");
    // The player's own items, with its "Preferences" anchor three from the end.
    SetHostMenuItems(host, {40001, 40002, 0, 40040, 40041, 40042, 0, 40012, 40013, 40347, 0, 40001 + 100});
    return host;
}

void StopHostSimulator(HostSimulator* host)
{
    if (!host)
        return;
    EndEveryConversion(&host->encoders);
    KillTimer(host->window, 1);
    SetWindowLongPtrW(host->window, GWLP_USERDATA, 0);
    DestroyWindow(host->playlistEditor);
    DestroyWindow(host->window);
    DestroyMenu(host->mainMenu);
    delete host;
}

std::vector<LPARAM> LoggedRequests(const HostSimulator* host)
{
    std::vector<LPARAM> codes;
    for (const SimMessage& message : host->log)
        if (message.message == WM_USER)
            codes.push_back(message.lParam);
    return codes;
}

size_t CountRequests(const HostSimulator* host, LPARAM code)
{
    size_t count = 0;
    for (const SimMessage& message : host->log)
        if (message.message == WM_USER && message.lParam == code)
            ++count;
    return count;
}
