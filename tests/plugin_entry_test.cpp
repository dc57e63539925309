#include <gtest/gtest.h>
#include <map>
#include "hostsim/save_as_driver.h"
#include "resources/resource_ids.h"
#include "support/product_fixture.h"

namespace {

const char HostTooOldText[] =
    "This plug-in requires Winamp v5.53 and up for it to work.\t\n"
    "Please upgrade your Winamp client to be able to use this.";
const UINT Anchor = 40347;
const LRESULT PreviousResult = 77;

class PluginEntry : public ProductFixture {
protected:
    WNDPROC HostProcedure() const { return (WNDPROC)GetWindowLongPtrW(host->window, GWLP_WNDPROC); }

    // Messages the host's own procedure received, other than its requests.
    std::vector<SimMessage> CommandsSeen() const
    {
        std::vector<SimMessage> seen;
        for (const SimMessage& message : host->log)
            if (message.message != WM_USER)
                seen.push_back(message);
        return seen;
    }
};

struct MenuItem {
    UINT type;
    UINT id;
    ULONG_PTR data;
    std::wstring text;
};

MenuItem ReadMenuItem(HMENU menu, int position)
{
    wchar_t text[128] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 128;
    GetMenuItemInfoW(menu, (UINT)position, TRUE, &info);
    return {info.fType, info.wID, info.dwItemData, text};
}

// --- Refusals ------------------------------------------------------------------------------


class RefusedHostVersion : public PluginEntry,
                           public ::testing::WithParamInterface<uint32_t> {};

TEST_P(RefusedHostVersion, ShowsOneInformationBoxAndAsksNothingMore)
{
    host->version = GetParam();
    WNDPROC before = HostProcedure();
    std::vector<UINT> menu = MenuIds(HostFirstSubmenu(host));

    EXPECT_EQ(Start(), 1);

    ASSERT_EQ(watcher.boxes.size(), 1u);
    EXPECT_EQ(Utf8(watcher.boxes[0].text), HostTooOldText);
    EXPECT_EQ(Utf8(watcher.boxes[0].caption), "Corvelle v1.11");
    EXPECT_TRUE(watcher.boxes[0].hasIcon);
    EXPECT_EQ(watcher.boxes[0].owner, host->window);
    EXPECT_EQ(watcher.boxes[0].buttons, std::set<int>{IDOK});
    EXPECT_EQ(LoggedRequests(host), std::vector<LPARAM>{HostVersionCode});
    EXPECT_EQ(HostProcedure(), before);
    EXPECT_EQ(MenuIds(HostFirstSubmenu(host)), menu);
}

INSTANTIATE_TEST_SUITE_P(BelowFiveFiftyThree, RefusedHostVersion,
                         ::testing::Values(0x5052u, 0u, 0x5000u));

class RefusedRegistry : public PluginEntry, public ::testing::WithParamInterface<SimRegistry> {};

TEST_P(RefusedRegistry, RefusesSilentlyAndTouchesNothing)
{
    host->registry = GetParam();
    WNDPROC before = HostProcedure();
    std::vector<UINT> menu = MenuIds(HostFirstSubmenu(host));

    EXPECT_EQ(Start(), 1);

    EXPECT_TRUE(watcher.boxes.empty());
    EXPECT_EQ(LoggedRequests(host), (std::vector<LPARAM>{HostVersionCode, ServiceRegistryCode}));
    EXPECT_EQ(HostProcedure(), before);
    EXPECT_EQ(MenuIds(HostFirstSubmenu(host)), menu);
    EXPECT_TRUE(host->shortcuts.empty());
    EXPECT_STREQ(plugin.record->description, "Corvelle v1.11");
}

INSTANTIATE_TEST_SUITE_P(ZeroOrOne, RefusedRegistry,
                         ::testing::Values(SimRegistry::Zero, SimRegistry::One));

// --- A successful start ----------------------------------------------------------------------

TEST_F(PluginEntry, RecordIsTheSameOnEveryCall)
{
    PluginRecord* first = plugin.getRecord();
    EXPECT_EQ(plugin.getRecord(), first);
    EXPECT_EQ(first->headerVersion, 0x10);
    EXPECT_STREQ(first->description, "Corvelle v1.11");
    EXPECT_EQ(first->hostWindow, nullptr);
    EXPECT_EQ(first->moduleInstance, nullptr);
}

TEST_F(PluginEntry, StartUpAsksTheHostInOrder)
{
    host->version = 0x5053;
    WNDPROC before = HostProcedure();
    EXPECT_EQ(Start(), 0);

    std::vector<LPARAM> expected = {HostVersionCode,    ServiceRegistryCode,   HostMenuCode,
                                    PlaylistWindowCode, RegisterCommandIdCode, IniDirectoryCode};
    EXPECT_EQ(LoggedRequests(host), expected);
    EXPECT_EQ(host->log[2].wParam, (WPARAM)-1);  // the menu
    EXPECT_EQ(host->log[3].wParam, 1u);          // the playlist editor window
    EXPECT_TRUE(watcher.boxes.empty());
    EXPECT_EQ(host->moduleSeen, plugin.module);
    EXPECT_TRUE(IsEqualGUID(host->languageGuidSeen, PluginLanguageGuid));
    EXPECT_STREQ(plugin.record->description, "Corvelle v1.11");
    EXPECT_NE(HostProcedure(), before);
}

TEST_F(PluginEntry, DescriptionAndMenuTextComeFromTheLanguagePack)
{
    host->language = SimLanguage::Pack;
    host->languagePack = LanguagePack();
    ASSERT_NE(host->languagePack, nullptr);
    ASSERT_EQ(Start(), 0);

    EXPECT_STREQ(plugin.record->description, "Kopierer v1.11");
    EXPECT_EQ(Utf8(ReadMenuItem(HostFirstSubmenu(host), 9).text), "Dateien kopieren\tAlt+C");
}

// --- Menu placement ---------------------------------------------------------------------------

struct PlacementCase {
    const char* name;
    std::vector<UINT> before;
    size_t commandAt;
};

void PrintTo(const PlacementCase& c, std::ostream* out) { *out << c.name; }

class MenuPlacement : public PluginEntry, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(MenuPlacement, CommandGoesAboveTheLastItemsWithItsSeparatorBelow)
{
    const PlacementCase& c = GetParam();
    SetHostMenuItems(host, c.before);
    ASSERT_EQ(Start(), 0);

    std::vector<UINT> expected = c.before;
    expected.insert(expected.begin() + (long)c.commandAt, {(UINT)host->nextCommandId - 1, 0});
    EXPECT_EQ(MenuIds(HostFirstSubmenu(host)), expected);
}

const std::vector<UINT> Twelve = {40001, 40002, 0, 40040, 40041, 40042, 0, 40012, 40013, Anchor, 0, 40101};
const std::vector<UINT> TwelveNoAnchor = {40001, 40002, 0, 40040, 40041, 40042, 0, 40012, 40013, 40014, 0, 40101};

INSTANTIATE_TEST_SUITE_P(
    Menus, MenuPlacement,
    ::testing::Values(PlacementCase{"anchor three from the end", Twelve, 9},
                      PlacementCase{"no anchor", TwelveNoAnchor, 8},
                      PlacementCase{"anchor elsewhere", {Anchor, 1, 2, 3, 4, 5}, 2},
                      PlacementCase{"three items, anchor first", {Anchor, 40002, 40003}, 0},
                      PlacementCase{"short menu", {40001, 40002}, 0},
                      PlacementCase{"empty menu", {}, 0}),
    [](const ::testing::TestParamInfo<PlacementCase>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (!isalnum((unsigned char)c))
                c = '_';
        return name;
    });

TEST_F(PluginEntry, CommandItemAndSeparatorCarryTheirTextIdAndNoData)
{
    ASSERT_EQ(Start(), 0);
    HMENU menu = HostFirstSubmenu(host);

    MenuItem command = ReadMenuItem(menu, 9);
    EXPECT_EQ(command.type, (UINT)MFT_STRING);
    EXPECT_EQ(command.id, HostCommand);
    EXPECT_EQ(command.data, 0u);
    EXPECT_EQ(Utf8(command.text), "Copy playlist files\tAlt+C");

    MenuItem separator = ReadMenuItem(menu, 10);
    EXPECT_EQ(separator.type, (UINT)MFT_SEPARATOR);
    EXPECT_EQ(separator.id, 0u);
    EXPECT_EQ(separator.data, 0u);
}

// --- Shortcuts ----------------------------------------------------------------------------------

TEST_F(PluginEntry, RegistersAltCAndAltRForThePlaylistEditor)
{
    host->nextCommandId = 0x1A000;  // only the low 16 bits fit an accelerator
    ASSERT_EQ(Start(), 0);

    ASSERT_EQ(host->shortcuts.size(), 1u);
    const SimShortcutRegistration& registered = host->shortcuts[0];
    EXPECT_EQ(registered.window, host->playlistEditor);
    // The count is of tables: one holds both keys. The host checks each handle it keeps.
    EXPECT_EQ(registered.count, 1);
    EXPECT_EQ(registered.tables.size(), 1u);
    EXPECT_EQ(registered.mode, 1);
    ASSERT_EQ(registered.entries.size(), 2u);
    const WORD keys[] = {'C', 'R'};
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(registered.entries[i].fVirt & 0x7F, FALT | FVIRTKEY) << i;
        EXPECT_EQ(registered.entries[i].key, keys[i]) << i;
        EXPECT_EQ(registered.entries[i].cmd, 0xA000) << i;
    }
}

HACCEL WINAPI RefuseAcceleratorTable(ACCEL*, int) { return nullptr; }

TEST_F(PluginEntry, WithoutAnAcceleratorTableStartsWithoutShortcuts)
{
    ASSERT_NE(ReplaceImport(plugin.module, "USER32.dll", "CreateAcceleratorTableW",
                            (void*)RefuseAcceleratorTable),
              nullptr);
    WNDPROC before = HostProcedure();
    ASSERT_EQ(Start(), 0);

    EXPECT_TRUE(host->shortcuts.empty());
    EXPECT_EQ(MenuIds(HostFirstSubmenu(host))[9], HostCommand);
    EXPECT_NE(HostProcedure(), before);
}

// A registry that lacks a service: nothing is called through a missing object.
TEST_F(PluginEntry, WithoutApplicationServiceStartsWithoutShortcuts)
{
    host->offersApplicationService = false;
    WNDPROC before = HostProcedure();
    ASSERT_EQ(Start(), 0);

    EXPECT_TRUE(host->shortcuts.empty());
    EXPECT_EQ(MenuIds(HostFirstSubmenu(host))[9], HostCommand);
    EXPECT_NE(HostProcedure(), before);
}

TEST_F(PluginEntry, WithoutLanguageServiceStartsWithoutTexts)
{
    host->offersLanguageService = false;
    ASSERT_EQ(Start(), 0);

    EXPECT_EQ(host->moduleSeen, nullptr);  // language support never started
    EXPECT_STREQ(plugin.record->description, "");
    MenuItem command = ReadMenuItem(HostFirstSubmenu(host), 9);
    EXPECT_EQ(command.id, HostCommand);
    EXPECT_EQ(command.text, L"");
    EXPECT_EQ(host->shortcuts.size(), 1u);
}

TEST_F(PluginEntry, UnhandledLanguageStartStillStarts)
{
    host->language = SimLanguage::Unhandled;
    ASSERT_EQ(Start(), 0);
    EXPECT_EQ(host->moduleSeen, plugin.module);
    // Strings then come from the module itself.
    EXPECT_STREQ(plugin.record->description, "Corvelle v1.11");
    EXPECT_EQ(Utf8(ReadMenuItem(HostFirstSubmenu(host), 9).text), "Copy playlist files\tAlt+C");
}


// --- Routing the command ------------------------------------------------------------------------

struct Routed {
    const char* name;
    UINT message;
    WPARAM wParam;
    bool opensDialog;
    bool reachesHost;
};

void PrintTo(const Routed& c, std::ostream* out) { *out << c.name; }

// The host hands out 40471 (0x9E17), whose low four bits are set.
const WPARAM Command = HostCommand;

class RoutedEntry : public PluginEntry {
protected:
    void StartRouted()
    {
        ASSERT_EQ(Start(), 0);
        host->log.clear();
        host->commandResult = PreviousResult;
        watcher.defaultAnswer = IDCANCEL;
        // When the host's own procedure gets the message, has the dialog come and gone?
        host->onMessage = [this](HostSimulator&, const SimMessage& message) {
            if (message.message != WM_USER)
                dialogsBeforeHost.push_back(watcher.boxes.size());
        };
    }

    std::vector<size_t> dialogsBeforeHost;
};

class Routing : public RoutedEntry, public ::testing::WithParamInterface<Routed> {};

TEST_P(Routing, OpensTheDialogOnlyForItsCommand)
{
    const Routed& c = GetParam();
    StartRouted();

    LRESULT result = SendToHost(c.message, c.wParam);

    ASSERT_EQ(watcher.boxes.size(), c.opensDialog ? 1u : 0u);
    if (c.opensDialog) {
        EXPECT_EQ(Utf8(watcher.boxes[0].caption), "Select location to save files to...");
        EXPECT_EQ(watcher.boxes[0].owner, host->window);
    }
    if (c.reachesHost) {
        EXPECT_EQ(result, PreviousResult);
        ASSERT_EQ(CommandsSeen().size(), 1u);
        EXPECT_EQ(CommandsSeen()[0].message, c.message);
        EXPECT_EQ(CommandsSeen()[0].wParam, c.wParam);
        EXPECT_EQ(dialogsBeforeHost, std::vector<size_t>{watcher.boxes.size()});
    } else {
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(CommandsSeen().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Messages, Routing,
    ::testing::Values(
        Routed{"menu_command", WM_COMMAND, Command, true, true},
        Routed{"shortcut", WM_COMMAND, MAKEWPARAM(Command, 1), true, true},
        Routed{"system_menu", WM_SYSCOMMAND, Command, true, false},
        Routed{"neighbour_system_command", WM_SYSCOMMAND, Command + 1, false, true},
        Routed{"other_command", WM_COMMAND, 40001, false, true},
        Routed{"neighbour_command", WM_COMMAND, Command + 1, false, true},
        Routed{"other_system_command", WM_SYSCOMMAND, SC_RESTORE, false, true},
        Routed{"system_command_above", WM_SYSCOMMAND, Command + 0x10, false, true}),
    [](const ::testing::TestParamInfo<Routed>& info) { return std::string(info.param.name); });

// Both tests compare with the whole identifier, not just the bits a message can carry. The
// system menu hands the identifier over exactly; the form with the system's four low bits
// cleared is taken as well.
struct IdCase {
    const char* name;
    int commandId;
    UINT message;
    WPARAM wParam;
    bool opensDialog;
};

void PrintTo(const IdCase& c, std::ostream* out) { *out << c.name; }

class CommandIds : public RoutedEntry, public ::testing::WithParamInterface<IdCase> {};

TEST_P(CommandIds, OpenTheDialogOnlyForTheirCommand)
{
    const IdCase& c = GetParam();
    host->nextCommandId = c.commandId;
    StartRouted();

    LRESULT result = SendToHost(c.message, c.wParam);

    EXPECT_EQ(watcher.boxes.size(), c.opensDialog ? 1u : 0u);
    if (c.opensDialog) {
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(CommandsSeen().empty());
        return;
    }
    EXPECT_EQ(result, PreviousResult);
    ASSERT_EQ(CommandsSeen().size(), 1u);
    EXPECT_EQ(CommandsSeen()[0].wParam, c.wParam);
}

INSTANTIATE_TEST_SUITE_P(
    Identifiers, CommandIds,
    ::testing::Values(IdCase{"low_bits_set_exact_system_command", 40961, WM_SYSCOMMAND, 40961, true},
                      IdCase{"low_bits_clear_with_system_flags", 40960, WM_SYSCOMMAND, 40960 | 0xF, true},
                      IdCase{"low_bits_set_cleared", 40961, WM_SYSCOMMAND, 40960, false},
                      IdCase{"above_16_bits_command", 0x1A000, WM_COMMAND, 0xA000, false},
                      IdCase{"above_16_bits_system_command", 0x1A000, WM_SYSCOMMAND, 0xA000, false}),
    [](const ::testing::TestParamInfo<IdCase>& info) { return std::string(info.param.name); });

TEST_F(PluginEntry, ShutDownLeavesEverythingInPlace)
{
    ASSERT_EQ(Start(), 0);
    WNDPROC installed = HostProcedure();
    std::vector<UINT> menu = MenuIds(HostFirstSubmenu(host));
    size_t requests = host->log.size();
    watcher.defaultAnswer = IDCANCEL;

    plugin.record->shutDown();

    EXPECT_EQ(HostProcedure(), installed);
    EXPECT_EQ(MenuIds(HostFirstSubmenu(host)), menu);
    EXPECT_EQ(host->log.size(), requests);
    SendToHost(WM_COMMAND, Command);
    EXPECT_EQ(watcher.boxes.size(), 1u);
}

// --- A whole copy from the menu ---------------------------------------------------------------

TEST_F(PluginEntry, MenuCommandCopiesThePlaylistWithItsOptions)
{
    ASSERT_EQ(Start(), 0);
    std::wstring music = folder + L"music\\", target = folder + L"target\\";
    CreateFolders(music);
    CreateFolders(target);
    WriteBytes(music + L"a.mp3", "first");
    WriteBytes(music + L"b.mp3", "second");
    host->playlist = {{music + L"a.mp3", L"A", 61}, {music + L"b.mp3", L"B", 62}};
    // The user ticks "Create playlist", names a file in the target folder and presses Save.
    SaveAsRun copy;
    copy.setBoxes[SavePlaylistBox] = true;
    copy.fileName = target + L"ignored.name";
    copy.button = IDOK;
    watcher.handler = DriveSaveAs(&copy);
    host->commandResult = PreviousResult;

    EXPECT_EQ(SendToHost(WM_COMMAND, Command), PreviousResult);

    ASSERT_TRUE(copy.pressed);
    ASSERT_FALSE(copy.refused);
    EXPECT_EQ(copy.countText, L"2");
    EXPECT_EQ(copy.sizeText, L"0.0 MiB");
    EXPECT_FALSE(host->playing);
    EXPECT_EQ(ListFiles(target), (std::vector<std::wstring>{L"1_a.mp3", L"2_b.mp3", L"playlist.m3u"}));
    EXPECT_EQ(ReadBytes(target + L"1_a.mp3"), "first");
    EXPECT_EQ(ReadBytes(target + L"2_b.mp3"), "second");
    EXPECT_EQ(ReadBytes(target + L"playlist.m3u"),
              "#EXTM3U\r\n#EXTINF:61,A\r\n1_a.mp3\r\n#EXTINF:62,B\r\n2_b.mp3\r\n");
    EXPECT_EQ(ReadBytes(SettingsFile()), "[Corvelle]\r\nSavePlaylist=1\r\nSaveM3U8=0\r\n"
                                         "NumberFilenames=1\r\nUsePlaylistTitle=0\r\n"
                                         "IncludeDirectory=0\r\nSkipUnchanged=0\r\n"
                                         "RemoveDropped=0\r\n" +
                                       std::string(SavedLaterKeys));
    // The host's own procedure saw the command after the copy was over.
    ASSERT_FALSE(CommandsSeen().empty());
    EXPECT_EQ(CommandsSeen().back().wParam, Command);
}

// --- Keeping a folder in step, through the dialog -------------------------------------------

struct Stamp {
    std::string bytes;
    FILETIME written;
};

Stamp StampOf(const std::wstring& path)
{
    Stamp stamp = {ReadBytes(path), {}};
    WIN32_FILE_ATTRIBUTE_DATA facts = {};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &facts);
    stamp.written = facts.ftLastWriteTime;
    return stamp;
}

bool operator==(const Stamp& a, const Stamp& b)
{
    return a.bytes == b.bytes && CompareFileTime(&a.written, &b.written) == 0;
}

class KeptInStep : public PluginEntry {
protected:
    void CopyWith(const std::map<int, bool>& boxes)
    {
        SaveAsRun copy = CopyThroughTheDialog(boxes, target);
        ASSERT_TRUE(copy.pressed && !copy.refused);
    }

    std::wstring Music(const std::wstring& relative, const std::string& bytes)
    {
        std::wstring path = folder + L"music\\" + relative;
        CreateFolders(path.substr(0, path.rfind(L'\\') + 1));
        WriteBytes(path, bytes);
        return path;
    }

    void SetUp() override
    {
        PluginEntry::SetUp();
        target = folder + L"target\\";
        CreateFolders(target);
    }

    std::wstring target;
};

// A first run, then a second after one source changed and one entry joined: only those two
// reach the shell copy, the others keep their bytes and times; names that collide get a
// number, a source listed twice is copied once, and of what the previous playlist file named
// only the leftover inside the target goes.
TEST_F(KeptInStep, SecondRunCopiesOnlyWhatChangedAndRemovesOnlyLeftovers)
{
    ASSERT_EQ(Start(), 0);
    std::wstring first = Music(L"A\\x.mp3", "one");
    host->playlist = {{first, L"A", 1}, {Music(L"B\\x.mp3", "two"), L"B", 2}, {first, L"A again", 3},
                      {Music(L"c.mp3", "three"), L"C", 4}};
    const std::map<int, bool> boxes = {{SavePlaylistBox, true}, {SaveM3U8Box, false},
                                       {NumberFilenamesBox, false}, {SkipUnchangedBox, true},
                                       {RemoveDroppedBox, true}};
    CopyWith(boxes);
    EXPECT_EQ(ListFiles(target), (std::vector<std::wstring>{L"c.mp3", L"playlist.m3u", L"x (2).mp3", L"x.mp3"}));
    std::string listed = "#EXTM3U\r\n#EXTINF:1,A\r\nx.mp3\r\n#EXTINF:2,B\r\nx (2).mp3\r\n"
                         "#EXTINF:3,A again\r\nx.mp3\r\n#EXTINF:4,C\r\nc.mp3\r\n";
    EXPECT_EQ(ReadBytes(target + L"playlist.m3u"), listed);
    EXPECT_EQ(ReadBytes(target + L"x (2).mp3"), "two");

    // The copies that are to stay get other bytes of their size, newer than their sources, so
    // that a copy over them would show.
    WriteBytes(target + L"x.mp3", "ONE");
    WriteBytes(target + L"x (2).mp3", "TWO");
    Stamp kept[] = {StampOf(target + L"x.mp3"), StampOf(target + L"x (2).mp3")};
    Music(L"c.mp3", "three, remastered");
    host->playlist.push_back({Music(L"d.mp3", "four"), L"D", 5});
    WriteBytes(target + L"old.mp3", "old");
    CreateFolders(target + L"Folder\\");
    WriteBytes(folder + L"outside.mp3", "outside");
    WriteBytes(target + L"playlist.m3u", listed + "old.mp3\r\n..\\outside.mp3\r\n" + Utf8(first) +
                                             "\r\nFolder\r\nmissing.mp3\r\nC.MP3\r\n");
    CopyWith(boxes);

    EXPECT_TRUE(StampOf(target + L"x.mp3") == kept[0]);
    EXPECT_TRUE(StampOf(target + L"x (2).mp3") == kept[1]);
    EXPECT_EQ(ReadBytes(target + L"c.mp3"), "three, remastered");
    EXPECT_EQ(ReadBytes(target + L"d.mp3"), "four");
    EXPECT_EQ(ListFiles(target),
              (std::vector<std::wstring>{L"c.mp3", L"d.mp3", L"playlist.m3u", L"x (2).mp3", L"x.mp3"}));
    EXPECT_NE(GetFileAttributesW((target + L"Folder").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadBytes(folder + L"outside.mp3"), "outside");
    EXPECT_EQ(ReadBytes(first), "one");
    // The Save As window, the question about the one leftover, the shell's about c.mp3.
    ASSERT_EQ(watcher.boxes.size(), 3u);
    EXPECT_EQ(watcher.boxes[1].text, L"Remove 1 copies that are no longer in the playlist?");
    EXPECT_EQ(watcher.boxes[2].text, L"") << "the shell's question paints its text";
}

// Three files of 512 KiB onto a drive of 1 MiB, all copied anyway: the shell stops when the
// drive is full. Nothing it left cut stays, the playlist file names only the whole copies, and one
// box of the run's own says how many could not be copied.
TEST_F(PluginEntry, CopiesOntoAFullDriveLeaveNoCutFileAndAPlaylistOfWhatIsThere)
{
    std::string why;
    std::wstring drive = SmallDrive(&why);
    if (drive.empty())
        GTEST_SKIP() << "no small drive to fill: " << why;
    ASSERT_EQ(Start(), 0);
    std::wstring music = folder + L"music\\", target = FolderOn(drive);
    CreateFolders(music);
    const std::wstring names[] = {L"a.mp3", L"b.mp3", L"c.mp3"};
    for (int i = 0; i < 3; ++i) {
        WriteBytes(music + names[i], std::string(512 * 1024, (char)('a' + i)));
        host->playlist.push_back({music + names[i], names[i], 60 + i});
    }
    // Asked, the user has them all copied anyway.
    SaveAsRun copy = CopyThroughTheDialog({{SavePlaylistBox, true}, {SaveM3U8Box, false},
                                           {NumberFilenamesBox, false}, {UsePlaylistTitleBox, false},
                                           {IncludeDirectoryBox, false}, {SkipUnchangedBox, false},
                                           {RemoveDroppedBox, false}}, target, IDNO);
    ASSERT_TRUE(copy.pressed && !copy.refused);

    std::vector<std::wstring> whole;
    for (const std::wstring& file : ListFiles(target)) {
        if (file == L"playlist.m3u")
            continue;
        std::string bytes = ReadBytes(target + file);
        EXPECT_EQ(bytes.size(), 512u * 1024) << "cut: " << Utf8(file);
        EXPECT_TRUE(bytes == ReadBytes(music + file)) << "not its source's bytes: " << Utf8(file);
        whole.push_back(file);
    }
    EXPECT_LT(whole.size(), 3u) << "the drive holds less than the copies";
    EXPECT_EQ(ListedPaths(ReadBytes(target + L"playlist.m3u"), CP_ACP), whole);
    std::vector<std::wstring> ours;
    for (const CapturedBox& box : watcher.boxes)
        if (box.caption == L"Corvelle v1.11")
            ours.push_back(box.text);
    ASSERT_EQ(ours.size(), 2u) << "the question about room, and the word on what is missing";
    EXPECT_EQ(ours[0].substr(0, 16), L"The copies need ");
    EXPECT_EQ(ours[1], std::to_wstring(3 - whole.size()) + L" of 3 files could not be copied.");
    EXPECT_EQ(watcher.boxes.back().owner, host->window);
}

}  // namespace
