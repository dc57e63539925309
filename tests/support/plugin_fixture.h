// The common ground of the tests: fresh module state, a simulated host wired to it as the
// host would wire it, and a fresh folder on disk.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "hostsim/disk_files.h"
#include "hostsim/host_simulator.h"
#include "state/plugin_state.h"

class PluginFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Points the module's services at the simulator's, as start-up would, with the test
    // program standing in for the module and its own language.
    void ConnectServices();

    // Installs the tests' language pack in the host, as if the user had picked it: the
    // host hands it out as the language resource instance. Needs ConnectServices first.
    HINSTANCE InstallLanguagePack();

    // Sets the playlist from (path, title, length) triples.
    void SetPlaylist(const std::vector<SimEntry>& entries);

    // A fresh, empty folder of this test's own on `drive` (a drive other tests share), with
    // a closing backslash; removed when the test ends.
    std::wstring FolderOn(const std::wstring& drive);

    HostSimulator* host = nullptr;
    std::wstring folder;  // fresh and empty for every test, with a closing backslash
    std::vector<std::wstring> foldersElsewhere;
};

// The keys of the options added after the first seven, as a save writes them with those
// options as they come out of the box: naming by tags, cover art and lyrics, "/", converting.
extern const char SavedLaterKeys[];

// Options with exactly the ones named on, by their settings keys; a key may carry a value:
// "SavePlaylist NumberFilenames UsePlaylistTitle=5".
CopyOptions OptionsOn(const std::string& keys);
// The options that are on, in the option table's order, as OptionsOn takes them.
std::string OptionsText(const CopyOptions& options);

// The tests' language pack, loaded once from beside the test program.
HINSTANCE LanguagePack();

// Writes a file, failing the test when it cannot be created.
void WriteBytes(const std::wstring& path, const std::string& bytes);

// The lines of a playlist file (after its byte order mark, if any), read in `codePage`.
std::vector<std::wstring> PlaylistLines(const std::string& bytes, UINT codePage);
// The paths a playlist file lists, one for each entry: every line after an "#EXTINF:" line.
std::vector<std::wstring> ListedPaths(const std::string& bytes, UINT codePage);

// The root of a drive that the test script mounts and maps where it may ("S:\"), named by the
// environment `variable`; empty, with `why` saying why, where it could not (the script then
// sets `variable`_REFUSED).
std::wstring TestDrive(const char* variable, std::string* why);
// The drive of 1 MiB that the tests fill.
inline std::wstring SmallDrive(std::string* why) { return TestDrive("CORVELLE_SMALL_DRIVE", why); }

// Ends the test program, saying what hung, when the steps in its scope take longer than
// `seconds`: Wine's shell copy hangs on some names instead of refusing them, and a clear
// failure beats the test runner's time limit.
struct TimeLimit {
    TimeLimit(const char* what, DWORD seconds);
    ~TimeLimit();
    HANDLE done, thread;
    const char* what;
    DWORD seconds;
};
