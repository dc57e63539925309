// A stand-in for the host player, for tests and the demo: a real, hidden main window on the
// calling thread that answers the host's window messages from an in-memory playlist, the
// host's service objects, a main menu and a playlist editor window. It records every host
// message it is sent, in order.
//
// It answers as the published player does, harsh parts included: an entry's path (214) and
// title (213) come through one buffer that the next 213 or 214 overwrites, whichever thread
// asked; a string fetched without a buffer comes through one buffer per thread; command
// identifiers have low bits set; it plays, and while it plays or is paused 105 answers the
// playing song's length whatever entry is current; stopped, 105 answers -1 for an entry not read
// yet; a request it does not know answers 1. Others ask too: every few milliseconds, whenever its thread takes
// messages, the player (or another plug-in) asks the current entry's title through the same
// buffer. What the module does that the player would suffer from (an accelerator
// table that is not one, say) is noted in `faults`, which the tests' fixture checks.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>
#include "host/host_link.h"
#include "hostsim/encoder_simulator.h"

// A file's tags, by field name ("artist", "track" ...), as the player's reader would give them.
typedef std::map<std::wstring, std::wstring> SimTags;

// Tags written "field=value|field=value".
SimTags TagsOf(const wchar_t* text);

struct SimEntry {
    std::wstring path;
    std::wstring title;
    int lengthSeconds = 0;
    bool hasPath = true;   // false: the host answers a null path
    bool hasTitle = true;  // false: the host answers a null title
    bool unread = false;   // the player has not read the file yet: 105 answers -1
    bool readable = true;  // an input plug-in reads the file: 3026 answers, its length too
    bool selected = false; // selected in the playlist editor (3029, 3030)
};

// The one buffer the player copies paths and titles into, and the one per thread for strings.
const size_t SimSharedTextCapacity = 4096;
const size_t SimLanguageBufferCapacity = 1024;
// The length of the song playing, which no entry of a test has.
const int SimPlayingLengthSeconds = 4321;
// How often the player's own thread asks a title of its own.
const UINT SimOthersAskMilliseconds = 5;

// One message the host main window received: WM_USER requests, WM_COMMAND, WM_SYSCOMMAND.
struct SimMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

enum class SimRegistry { Object, Zero, One };
enum class SimLanguage { Module, Pack, Unhandled };

struct SimShortcutRegistration {
    HWND window;
    std::vector<HACCEL> tables;  // the `count` handles kept from the slot on
    std::vector<ACCEL> entries;  // as read back from the tables, one after another
    int count;
    int mode;
};

struct HostSimulator;

// The service objects carry a pointer back to their simulator.
struct SimService {
    HostService object;
    HostSimulator* host;
    HostService* product;  // for factories: the service they hand out
};

struct HostSimulator {
    HWND window = nullptr;
    HWND playlistEditor = nullptr;
    HMENU mainMenu = nullptr;

    std::vector<SimEntry> playlist;
    // The tags of files the player can read, by path; a file not listed has no reader.
    std::map<std::wstring, SimTags> fileTags;
    int position = 0;  // the current entry: 121 sets it, 125 answers it
    uint32_t version = 0x5066;
    bool playing = true;  // 104 answers 1, or 3 when paused; 0 once 40047 has stopped it
    bool paused = false;
    int playingLengthSeconds = SimPlayingLengthSeconds;  // what 105 answers while it plays
    std::string iniDirectory = "C:\\users\\Public\\Winamp";
    int nextCommandId = 40471;  // 0x9E17, as the player's first
    bool menuHolderUnknown = false;  // 281 with -1 answers null, as hosts of 2008 do
    std::set<LPARAM> unknownRequests;  // requests answered 1, as by a player that lacks them
    std::set<LPARAM> noneRequests;     // requests answered -1, "none" as some requests say it
    wchar_t sharedText[SimSharedTextCapacity] = {};  // every 213 and 214 answer, cut to fit
    size_t lastFileAsked = 0;  // where a reader looks first for the entry of a path
    std::vector<std::string> faults;
    EncoderSimulator encoders;  // the player's encoders (510, 514 to 518, 1299)

    SimRegistry registry = SimRegistry::Object;
    bool offersLanguageService = true;
    bool offersApplicationService = true;
    SimLanguage language = SimLanguage::Module;
    HINSTANCE languagePack = nullptr;      // what message 30 answers in Pack mode
    // String numbers the service does not handle. The player handles every one, falling back
    // on the module's own string; a test sets this to see what an unhandled fetch does.
    std::set<UINT> unhandledStrings;
    std::map<UINT, std::wstring> replacedStrings;  // answered instead of the instance's text
    std::vector<UINT> fetchedStrings;      // every number asked for (10 and 11), in order
    GUID languageGuidSeen = {};            // the GUID message 30 was given
    HINSTANCE moduleSeen = nullptr;        // the module instance message 30 was given
    std::vector<SimShortcutRegistration> shortcuts;

    std::vector<SimMessage> log;
    // Called for every logged message before it is answered (a test may change the
    // playlist between two passes, for example).
    std::function<void(HostSimulator&, const SimMessage&)> onMessage;
    // Answers WM_COMMAND and WM_SYSCOMMAND that the plug-in passes on; returns the result.
    LRESULT commandResult = 0;

    SimService registryObject, languageFactory, applicationFactory;
    SimService languageService, applicationService;
    size_t textsWithoutBuffer = 0;  // strings handed out through the thread's buffer
};

// Creates the windows, menu and services on the calling thread.
HostSimulator* StartHostSimulator();
void StopHostSimulator(HostSimulator* host);

// Replaces the items of the main menu's first submenu: one item per identifier, 0 making
// a separator.
void SetHostMenuItems(HostSimulator* host, const std::vector<UINT>& identifiers);
HMENU HostFirstSubmenu(HostSimulator* host);

// The logged WM_USER request codes, in order.
std::vector<LPARAM> LoggedRequests(const HostSimulator* host);
size_t CountRequests(const HostSimulator* host, LPARAM code);
