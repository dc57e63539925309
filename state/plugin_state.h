// The module's one set of globals and the record it hands to the host. Every subsystem
// reads them, so they sit below all of them and include none.
#pragma once
#include <windows.h>
#include <stdint.h>

struct HostService;  // a host service object (host/host_link.h)

// The record the host asks for with winampGetGeneralPurposePlugin. Its layout is the host's.
struct PluginRecord {
    int32_t headerVersion;
    const char* description;
    int32_t (*startUp)();
    void (*configure)();
    void (*shutDown)();
    HWND hostWindow;        // filled in by the host before startUp
    HINSTANCE moduleInstance;  // filled in by the host before startUp
};
#if defined(__i386__)
static_assert(sizeof(PluginRecord) == 28, "the host reads a 28-byte record on i686");
#endif

const int PathCapacity = 260;
// A naming template of at most 259 characters, and its terminator.
const int NameTemplateCapacity = 260;
const int CaptionCapacity = 256;
const int NarrowBufferSize = 1040;

// The copy dialog's options (settings/option_table.h lists them): flags, nonzero meaning on,
// and the naming template. Every option added after the first five is off out of the box,
// and with it off a run is what it was without it.
struct CopyOptions {
    int32_t SavePlaylist = 0;
    int32_t SaveM3U8 = 0;
    int32_t NumberFilenames = 1;
    int32_t UsePlaylistTitle = 0;
    int32_t IncludeDirectory = 0;
    int32_t KeepInStep = 0;  // leave out copies that are there already and unchanged
    int32_t RemoveDropped = 0;  // offer to remove copies the previous playlist file named
    int32_t VerifyCopies = 0;   // read the copies back from the stick (verify/verify_copies.h)
    // Folders and file names from the tags, by the template (naming/name_template.h).
    int32_t NameByTags = 0;
    wchar_t NameTemplate[NameTemplateCapacity] = L"%albumartist%\\%album%\\[%tracknumber% ]%title%";
    int32_t CopyCompanions = 0;   // cover art and lyrics go with the copies (companions/companions.h)
    int32_t PlaylistSlashes = 0;  // the playlist file separates folders with "/"
    // Files the device cannot play, by their extensions, are converted to a format of the
    // player's encoders (host/encoders.h), named by its code.
    int32_t ConvertForDevice = 0;
    wchar_t ConvertFormat[NameTemplateCapacity] = L"MP3l";
    wchar_t DevicePlays[NameTemplateCapacity] = L"mp3 wma";
    // Only the entries selected in the playlist editor. A selection is of the moment: the box
    // is clear at every opening of the dialog, and this is never stored.
    int32_t OnlySelected = 0;
};

struct PluginState {
    // Written by start-up only.
    HWND HostWindow = nullptr;  // the host main window, as the host filled it into the record
    uint32_t HostVersionCache = 0xFFFFFFFF;  // 0xFFFFFFFF: not asked yet
    int32_t CommandId = 0;
    WNDPROC PreviousHostWindowProc = nullptr;
    HWND PlaylistEditorWindow = nullptr;
    HostService* ServiceRegistry = nullptr;
    HostService* LanguageService = nullptr;
    HostService* ApplicationService = nullptr;
    HINSTANCE LanguageInstance = nullptr;   // where strings and dialog 102 come from
    HINSTANCE ModuleInstance = nullptr;
    char LocalisedDescription[PathCapacity] = {};
    wchar_t SettingsPath[PathCapacity] = {};

    // Stored by the copy dialog each time it opens; read by the counter and the copy run.
    int32_t PlaylistCount = 0;
    // The entries selected in the playlist editor, when the host tells them and they are some
    // but not all; else 0.
    int32_t SelectedCount = 0;
    // The formats the player's encoders offered when the dialog opened; none: no conversion.
    int32_t FormatCount = 0;
    // Set while a copy runs: the run takes messages, and the command waits for it to end.
    int32_t CopyRunning = 0;
    CopyOptions Options;
    // The size counter's last totals, of the whole playlist [0] and of the selection [1], in
    // KiB, as the copy dialog shows them (its thread alone reads and writes them).
    uint32_t CountedKib[2] = {};
    bool CountedFinal[2] = {}, CountedAny[2] = {};
    // A bit (1 << group) for each group of options whose controls the dialog's template, as
    // last opened, lacks. A language pack's older template lacks the later ones: their
    // options are then off for the run, and their stored values are neither read nor written.
    uint32_t MissingOptionGroups = 0;

    wchar_t SharedCaption[CaptionCapacity] = {};  // empty until built
    int32_t AboutBoxOpen = 0;
    char NarrowBuffer[NarrowBufferSize] = {};      // every playlist text conversion lands here
};

extern PluginState State;
