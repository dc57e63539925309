#include "plugin/plugin_entry.h"
#include "dialog/copy_dialog.h"
#include "host/host_link.h"
#include "plugin/about_box.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "text/format_bounded.h"
#include "text/localised_text.h"
#include "text/message_box.h"

static const char BuiltInDescription[] = "Corvelle v1.11";
static const int32_t RecordHeaderVersion = 0x10;
static const int32_t StartedUp = 0;
static const int32_t Refused = 1;

static const uint32_t NotAskedYet = 0xFFFFFFFF;
static const uint32_t MinimumHostVersion = 0x5053;
static const char HostTooOldText[] =
    "This plug-in requires Winamp v5.53 and up for it to work.\t\n"
    "Please upgrade your Winamp client to be able to use this.";
// Some hosts answer 1 instead of 0 when they have no registry.
static const LRESULT NoRegistryMarker = 1;

// The host's "Preferences" item, three from the end of its menu when present.
static const UINT MenuAnchorId = 40347;
static const int OffsetWithAnchor = 3;
static const int OffsetWithoutAnchor = 4;
static const int ShortcutMode = 1;
static const BYTE ShortcutFlags = FALT | FVIRTKEY;
// The system keeps flags of its own in the low four bits of a system command; the host's
// identifiers have bits set there, and the system menu hands them over exactly.
static const WPARAM SystemCommandMask = 0xFFF0;

static const wchar_t SettingsPathFormat[] = L"%hs\\Plugins\\plugin.ini";

static int32_t StartUp();
static void Configure();
static void ShutDown();
static LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The one record handed to the host. Its description names the about box's window.
static PluginRecord Record = {
    RecordHeaderVersion,
    BuiltInDescription,
    StartUp,
    Configure,
    ShutDown,
    nullptr,
    nullptr,
};

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reason;
    (void)reserved;
    DisableThreadLibraryCalls(instance);
    return TRUE;
}

static void Configure() { ShowAboutBox(Record.description); }

extern "C" PluginRecord* winampGetGeneralPurposePlugin()
{
    return &Record;
}

extern "C" int __cdecl winampUninstallPlugin(HINSTANCE module, HWND owner, int parameter)
{
    (void)module;
    (void)parameter;
    if (ShowBox(owner, MB_YESNO, UninstallQuestionString) == IDYES)
        EraseSavedOptions();
    return 0;
}

static uint32_t CachedHostVersion(HWND host)
{
    if (State.HostVersionCache == NotAskedYet)
        State.HostVersionCache = HostVersion(host);
    return State.HostVersionCache;
}

// The host keeps `tables` accelerator tables from the slot on and translates keys with each:
// one table holds every key, so it is handed over as one.
static void RegisterShortcuts(HWND window, ACCEL* entries, int count, int mode)
{
    if (!State.ApplicationService)
        LookUpService(&State.ApplicationService, ApplicationServiceGuid);
    // A registry without the service: the menu command still works, only the keys do not.
    if (!State.ApplicationService)
        return;
    HACCEL table = CreateAcceleratorTableW(entries, count);
    if (!table)
        return;
    HACCEL* tableSlot = &table;
    int tables = 1;
    void* parameters[] = {&window, &tableSlot, &tables, &mode};
    DispatchCall(State.ApplicationService, ApplicationRegisterShortcuts, nullptr, parameters, 4);
}

// A menu shorter than the offset would give a negative position; the command then goes to
// the top, still with its separator right below it.
static UINT InsertPosition(HMENU menu, int fromEnd)
{
    int position = GetMenuItemCount(menu) - fromEnd;
    return position > 0 ? (UINT)position : 0;
}

static void PlaceMenuCommand(HMENU menu)
{
    int count = GetMenuItemCount(menu);
    int offset = GetMenuItemID(menu, count - OffsetWithAnchor) == MenuAnchorId ? OffsetWithAnchor
                                                                               : OffsetWithoutAnchor;
    MENUITEMINFOW item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_TYPE | MIIM_DATA;
    item.fType = MFT_SEPARATOR;
    InsertMenuItemW(menu, InsertPosition(menu, offset), TRUE, &item);

    const wchar_t* text = FetchText(MenuCommandString);
    item.wID = (UINT)State.CommandId;
    item.fType = MFT_STRING;
    item.dwTypeData = (LPWSTR)text;
    item.cch = text ? (UINT)lstrlenW(text) + 1 : 0;
    InsertMenuItemW(menu, InsertPosition(menu, offset + 1), TRUE, &item);
}

// Language support answers the instance that strings and the dialog template come from.
static HINSTANCE StartLanguageSupport()
{
    if (!State.LanguageService)
        return nullptr;
    HINSTANCE module = State.ModuleInstance;
    GUID language = PluginLanguageGuid;
    void* parameters[] = {&module, &language};
    HINSTANCE languageInstance = nullptr;
    if (!DispatchCall(State.LanguageService, LanguageStart, &languageInstance, parameters, 2))
        return nullptr;
    return languageInstance;
}

static void LocaliseDescription()
{
    FormatBoundedNarrow(State.LocalisedDescription, PathCapacity, FetchTextNarrow(CaptionString),
                        VersionTextNarrow);
    Record.description = State.LocalisedDescription;
}

static void RegisterCommand()
{
    State.CommandId = RegisterCommandId();
    WORD command = LOWORD(State.CommandId);
    ACCEL shortcuts[] = {{ShortcutFlags, 'C', command}, {ShortcutFlags, 'R', command}};
    RegisterShortcuts(State.PlaylistEditorWindow, shortcuts, 2, ShortcutMode);
}

static bool FindServiceRegistry()
{
    LRESULT answer = ServiceRegistryAnswer();
    State.ServiceRegistry = answer == NoRegistryMarker ? nullptr : (HostService*)answer;
    return State.ServiceRegistry != nullptr;
}

static int32_t StartUp()
{
    // The host has filled the record in by now; every later request goes to this window.
    State.HostWindow = Record.hostWindow;
    if (CachedHostVersion(Record.hostWindow) < MinimumHostVersion) {
        MessageBoxA(Record.hostWindow, HostTooOldText, Record.description, MB_OK | MB_ICONINFORMATION);
        return Refused;
    }
    if (!FindServiceRegistry())
        return Refused;
    HMENU menu = HostMainMenu();
    LookUpService(&State.LanguageService, LanguageServiceGuid);
    State.ModuleInstance = Record.moduleInstance;
    State.LanguageInstance = StartLanguageSupport();
    LocaliseDescription();
    State.PlaylistEditorWindow = PlaylistWindow();
    RegisterCommand();
    PlaceMenuCommand(menu);
    // Without the host's settings folder the options live for the session only.
    if (const char* folder = IniDirectory())
        FormatBounded(State.SettingsPath, PathCapacity, SettingsPathFormat, folder);
    // The command identifier is set by now, so every message the procedure sees compares
    // with the host's answer.
    State.PreviousHostWindowProc = (WNDPROC)SetWindowLongPtrW(Record.hostWindow, GWLP_WNDPROC,
                                                              (LONG_PTR)HostWindowProc);
    return StartedUp;
}

// Everything start-up installed stays until the host ends.
static void ShutDown() {}

static LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    uint32_t command = (uint32_t)State.CommandId;
    // While a copy runs (and takes messages) the command opens nothing.
    if (message == WM_SYSCOMMAND && (wParam == command || (wParam & SystemCommandMask) == command)) {
        if (!State.CopyRunning)
            ShowCopyDialog();
        return 0;
    }
    // The host sees its menu command as well.
    if (message == WM_COMMAND && LOWORD(wParam) == command && !State.CopyRunning)
        ShowCopyDialog();
    return CallWindowProcW(State.PreviousHostWindowProc, window, message, wParam, lParam);
}
