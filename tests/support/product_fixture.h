// The real gen_corvelle.dll loaded into the simulated host, with a watcher answering every
// box and dialog it opens. The DLL keeps its own module state, apart from the test
// program's copy; each test gets a freshly loaded one.
#pragma once
#include <map>
#include <string>
#include "hostsim/dialog_watcher.h"
#include "hostsim/plugin_loader.h"
#include "hostsim/save_as_driver.h"
#include "support/plugin_fixture.h"

class ProductFixture : public PluginFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // The player's start: the record filled in and startUp called.
    int Start() { return StartPlugin(host, &plugin); }
    // Sends a message to the host main window, through whatever procedure it has now.
    LRESULT SendToHost(UINT message, WPARAM wParam, LPARAM lParam = 0);
    // The settings file the plug-in uses for a host whose settings folder is `folder`.
    std::wstring SettingsFile() const { return folder + L"Plugins\\plugin.ini"; }

    // The user picks the command, opens `target` in the Save As window, puts the option boxes
    // in the states given, names a file there and presses Save; every box after the Save As
    // window gets `answer` where it has that button (or OK), unless `first`, shown it before,
    // says it dealt with it. Returns what the user saw.
    SaveAsRun CopyThroughTheDialog(const std::map<int, bool>& boxes, const std::wstring& target,
                                   int answer = IDYES, DialogHandler first = nullptr);
    // The user picks the command and plays `run` in the Save As window; every box after it goes
    // to `first`, and unless it dealt with it gets `answer` where it has that button, else OK.
    void PlayTheCommand(SaveAsRun* run, int answer, DialogHandler first = nullptr);

    // The texts of our boxes: not the Save As window, not a window of ours without a text.
    std::vector<std::wstring> OurTexts() const;

    LoadedPlugin plugin;
    DialogWatcher watcher;
};

// The same with songs of the test's own below music\ and a fresh target\ folder for them.
class SongsFixture : public ProductFixture {
protected:
    void SetUp() override;
    // A song below music\ (in folders of its own, when `relative` names them), with `bytes`, or
    // `size` bytes of its own; returns its path.
    std::wstring Song(const std::wstring& relative, const std::string& bytes);
    std::wstring Song(const std::wstring& relative, size_t size);

    std::wstring music, target;
};

// The same, saving through the dialog, with the module's own boxes told from the others.
class PlanFixture : public SongsFixture {
protected:
    // The user saves into `target` at once with the first seven boxes as given (numbers,
    // titles, folders off unless asked) and every later box answered `answer`.
    SaveAsRun Save(const std::wstring& target, int answer, std::map<int, bool> boxes = {});
    // The boxes of ours (not the Save As window, not the shell's).
    std::vector<CapturedBox> OurBoxes() const;
};

// The command identifier the simulated host hands out first, 0x9E17 as the player's.
const WPARAM HostCommand = 40471;

// The gen_corvelle.dll of this build; in the i686 build, the product itself.
std::wstring ProductPath();
// The ids of a menu's items by position; separators are 0.
std::vector<UINT> MenuIds(HMENU menu);
