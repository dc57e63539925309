#include <gtest/gtest.h>
#include <algorithm>
#include <regex>
#include "dialog/copy_dialog.h"
#include "dialog/size_counter.h"
#include "hostsim/dialog_watcher.h"
#include "hostsim/save_as_driver.h"
#include "resources/resource_ids.h"
#include "settings/option_table.h"
#include "settings/settings_store.h"
#include "support/plugin_fixture.h"
#include "text/format_bounded.h"

namespace {

class CopyDialogTest : public PluginFixture {
protected:
    void SetUp() override
    {
        PluginFixture::SetUp();
        ConnectServices();
        settingsFile = folder + L"plugin.ini";
        FormatBounded(State.SettingsPath, PathCapacity, L"%s", settingsFile.c_str());
        target = folder + L"target\\";
        CreateFolders(target);
    }

    // Opens the dialog as the copy command would and plays `run` in it.
    void Open(SaveAsRun& run)
    {
        DialogWatcher watcher;
        watcher.handler = DriveSaveAs(&run);  // the shell's own boxes get the default answer
        StartWatchingDialogs(&watcher);
        ShowCopyDialog();
        StopWatchingDialogs(&watcher);
        boxes = watcher.boxes;
        ASSERT_NE(run.saveAs, nullptr) << "no dialog was shown";
        ASSERT_FALSE(run.refused);
    }

    // Entries naming files made in `folder`.
    void SetFilePlaylist(const std::vector<std::wstring>& names)
    {
        std::vector<SimEntry> entries;
        for (const std::wstring& name : names) {
            WriteBytes(folder + name, "data of " + Utf8(name));
            entries.push_back({folder + name, name, 60});
        }
        SetPlaylist(entries);
    }

    std::wstring settingsFile, target;
    std::vector<CapturedBox> boxes;
};

TEST_F(CopyDialogTest, CountReadoutHasOneSeparatorAboveAThousand)
{
    struct Case {
        int entries;
        const wchar_t* text;
    };
    const Case cases[] = {{0, L"0"}, {3, L"3"}, {1000, L"1000"}, {1001, L"1,001"}, {12345, L"12,345"}};
    for (const Case& c : cases) {
        SetPlaylist(std::vector<SimEntry>((size_t)c.entries, SimEntry{L"C:\\none\\x.mp3", L"x", 1}));
        State.PlaylistCount = -1;
        SaveAsRun run;
        run.waitForFinalTotal = c.entries <= 1000;
        Open(run);
        EXPECT_EQ(run.countText, c.text) << c.entries;
        EXPECT_EQ(State.PlaylistCount, c.entries);
        if (run.waitForFinalTotal) {
            EXPECT_EQ(run.sizeText, L"0.0 MiB") << c.entries;
        }
    }
}

TEST_F(CopyDialogTest, ClosingDuringTheCountEndsTheCounterEarly)
{
    SetPlaylist(std::vector<SimEntry>(12345, SimEntry{L"C:\\none\\x.mp3", L"x", 1}));
    SaveAsRun run;
    run.waitForFinalTotal = false;
    Open(run);
    // The counter goes on to its next progress point, finds the dialog gone and ends.
    size_t asked = 0;
    DWORD end = GetTickCount() + 20000;
    do {
        asked = CountRequests(host, PlaylistFileCode);
        PumpMessagesFor(300);
    } while (CountRequests(host, PlaylistFileCode) != asked && (LONG)(end - GetTickCount()) > 0);
    EXPECT_LT(asked, 12345u / 10 * 2);
}

TEST_F(CopyDialogTest, SizeReadoutShowsTheFinalTotal)
{
    WriteBytes(folder + L"a.mp3", std::string(700 * 1024, 'a'));
    WriteBytes(folder + L"b.mp3", std::string(500 * 1024, 'b'));
    SetPlaylist({{folder + L"a.mp3", L"a", 1}, {folder + L"b.mp3", L"b", 1}, {L"", L"", 1}});
    SaveAsRun run;
    Open(run);
    EXPECT_EQ(run.sizeText, L"1.2 MiB");  // 1200 KiB
    EXPECT_EQ(run.countText, L"3");
}

std::wstring StoredText(const std::wstring& file, const wchar_t* key)
{
    wchar_t text[32] = {};
    GetPrivateProfileStringW(L"Corvelle", key, L"(none)", text, 32, file.c_str());
    return text;
}

TEST_F(CopyDialogTest, CheckBoxesFollowTheSettingsFile)
{
    struct Case {
        const char* file;  // null: no settings file
        const char* ticked;
    };
    const Case cases[] = {
        {nullptr, "NumberFilenames"},
        {"[Corvelle]\r\nIncludeDirectory=1\r\nSaveM3U8=1\r\nRemoveDropped=1\r\n",
         "SaveM3U8 NumberFilenames IncludeDirectory RemoveDropped"},
        {"[Corvelle]\r\nSavePlaylist=5\r\nNumberFilenames=0\r\nSkipUnchanged=3\r\n",
         "SavePlaylist SkipUnchanged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "no file");
        State.Options = CopyOptions();
        DeleteFileW(settingsFile.c_str());
        if (c.file)
            WriteBytes(settingsFile, c.file);
        SaveAsRun run;
        Open(run);
        EXPECT_EQ(run.ticked, c.ticked);
        // The cancelled dialog wrote every box back as 0 or 1.
        CopyOptions stored = OptionsOn(c.ticked);
        for (size_t i = 0; i < OptionCount; ++i) {
            if (OptionTable[i].flag) {
                EXPECT_EQ(StoredText(settingsFile, OptionTable[i].key),
                          stored.*OptionTable[i].flag ? L"1" : L"0")
                    << Utf8(OptionTable[i].key);
            }
        }
    }
}

TEST_F(CopyDialogTest, CancellingSavesTheBoxesAndCopiesNothing)
{
    SetFilePlaylist({L"a.mp3", L"b.mp3"});
    SaveAsRun run;
    run.toggles = {SavePlaylistBox, NumberFilenamesBox, IncludeDirectoryBox};
    run.fileName = target + L"name.mp3";
    Open(run);
    EXPECT_EQ(ReadBytes(settingsFile), "[Corvelle]\r\nSavePlaylist=1\r\nSaveM3U8=0\r\n"
                                       "NumberFilenames=0\r\nUsePlaylistTitle=0\r\n"
                                       "IncludeDirectory=1\r\nSkipUnchanged=0\r\n"
                                       "RemoveDropped=0\r\n" +
                                       std::string(SavedLaterKeys));
    EXPECT_TRUE(ListFiles(target).empty());
    EXPECT_TRUE(host->playing);

    // The next opening shows what was left; after an erase, what is still in memory.
    EraseSavedOptions();
    SaveAsRun again;
    Open(again);
    EXPECT_EQ(again.ticked, "SavePlaylist IncludeDirectory");
}

// Removing dropped copies reads the previous playlist file, and "/" is for the playlist file:
// both are offered only while one is created.
TEST_F(CopyDialogTest, PlaylistOptionsAreOfferedOnlyWhileAPlaylistIsCreated)
{
    struct Case {
        const char* file;
        std::vector<bool> enabled;  // as opened, then after each of two clicks on Create playlist
        const char* ticked;         // as loaded: two clicks change nothing else
    };
    const Case cases[] = {
        {"[Corvelle]\r\nSavePlaylist=0\r\nRemoveDropped=1\r\n", {false, true, false},
         "NumberFilenames RemoveDropped"},
        {"[Corvelle]\r\nSavePlaylist=1\r\n", {true, false, true}, "SavePlaylist NumberFilenames"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        State.Options = CopyOptions();
        WriteBytes(settingsFile, c.file);
        std::vector<bool> enabled, slashes;
        SaveAsRun run;
        run.onStep = [&enabled, &slashes](HWND, HWND area) {
            if (!enabled.empty())
                return;  // the first step only
            HWND playlist = GetDlgItem(area, SavePlaylistBox);
            for (int click = 0; click <= 2; ++click) {
                if (click)
                    SendMessageW(playlist, BM_CLICK, 0, 0);
                enabled.push_back(IsWindowEnabled(GetDlgItem(area, RemoveDroppedBox)) != FALSE);
                slashes.push_back(IsWindowEnabled(GetDlgItem(area, PlaylistSlashesBox)) != FALSE);
            }
        };
        Open(run);
        EXPECT_EQ(enabled, c.enabled);
        EXPECT_EQ(slashes, c.enabled);
        EXPECT_EQ(run.ticked, c.ticked);
    }
}

// The free space in KiB, as the read-out counts it.
uint32_t FreeKib(const std::wstring& path)
{
    ULARGE_INTEGER available = {};
    EXPECT_TRUE(GetDiskFreeSpaceExW(path.c_str(), &available, nullptr, nullptr)) << Utf8(path);
    return (uint32_t)std::min<uint64_t>(available.QuadPart >> 10, 0xFFFFFFFF);
}

// KiB in tenths of a MiB, to the nearest.
uint64_t Tenths(uint32_t kib)
{
    return ((uint64_t)kib * 10 + 512) / 1024;
}

// The read-out's form, "12.3 MiB" or past 1024 MiB "1,536.0 MiB", and the free space read
// before and after the dialog to within a hundredth: other programs on the machine write and
// delete files on the same disk while the dialog is open, so the free space it read need not
// lie between the two.
void ExpectFreeSpaceText(const std::wstring& shown, uint32_t before, uint32_t after)
{
    std::wsmatch parts;
    ASSERT_TRUE(std::regex_match(shown, parts, std::wregex(L"([1-9][0-9]*|0)(,([0-9]{3}))?\\.([0-9]) MiB")))
        << Utf8(shown);
    bool separated = parts[2].matched;
    uint64_t mib = std::stoull(parts[1].str());
    if (separated)
        mib = mib * 1000 + std::stoull(parts[3].str());
    uint64_t tenths = mib * 10 + std::stoull(parts[4].str());
    // Up to 1,048,576 KiB there is no separator, so 1024.0 MiB may be written either way.
    if (tenths != 10240) {
        EXPECT_EQ(separated, tenths > 10240) << Utf8(shown);
    }
    uint64_t low = Tenths(std::min(before, after)), high = Tenths(std::max(before, after));
    EXPECT_GE(tenths, low - low / 100) << Utf8(shown);
    EXPECT_LE(tenths, high + high / 100) << Utf8(shown);
}

TEST_F(CopyDialogTest, FreeSpaceReadoutFollowsTheFolderShown)
{
    SaveAsRun run;
    // Above the drives is a place that is no file-system folder.
    run.browseTo = {L"C:\\", L"..", target};
    uint32_t before[] = {FreeKib(L"C:\\"), FreeKib(target)};
    Open(run);
    uint32_t after[] = {FreeKib(L"C:\\"), FreeKib(target)};
    ASSERT_EQ(run.freeSpaceSeen.size(), 4u);
    EXPECT_EQ(run.foldersSeen[1], L"C:\\");
    ExpectFreeSpaceText(run.freeSpaceSeen[1], before[0], after[0]);
    EXPECT_EQ(run.freeSpaceSeen[2], L"") << Utf8(run.foldersSeen[2]);
    EXPECT_EQ(run.foldersSeen[3] + L"\\", target);
    ExpectFreeSpaceText(run.freeSpaceSeen[3], before[1], after[1]);
}

TEST_F(CopyDialogTest, ATemplateWithoutTheNewBoxesLeavesTheirOptionsOffAndTheirKeysAlone)
{
    const std::string later = "[Corvelle]\r\nSkipUnchanged=1\r\nRemoveDropped=1\r\nNameByTags=1\r\n"
                              "NameTemplate=%title%\r\nCopyCompanions=1\r\nPlaylistSlashes=1\r\n";
    WriteBytes(settingsFile, later);
    State.Options.KeepInStep = 1;  // left by an earlier opening
    State.Options.NameByTags = 1;
    ASSERT_NE(InstallLanguagePack(), nullptr);
    SaveAsRun old;
    old.toggles = {SavePlaylistBox};
    Open(old);
    EXPECT_EQ(OptionsText(State.Options), "SavePlaylist NumberFilenames");
    EXPECT_EQ(ReadBytes(settingsFile), later + "SavePlaylist=1\r\nSaveM3U8=0\r\nNumberFilenames=1\r\n"
                                               "UsePlaylistTitle=0\r\nIncludeDirectory=0\r\n");

    // Back with the module's own template, the stored values count again.
    host->language = SimLanguage::Module;
    State.LanguageInstance = State.ModuleInstance;
    SaveAsRun own;
    Open(own);
    EXPECT_EQ(own.ticked, "SavePlaylist NumberFilenames SkipUnchanged RemoveDropped NameByTags "
                          "CopyCompanions PlaylistSlashes");
    EXPECT_EQ(own.texts["NameTemplate"], L"%title%");
}

// While names come from the tags, the title and folder boxes have no say, and the template
// has no say while they do; what each holds stays.
TEST_F(CopyDialogTest, NamingByTagsGreysTheOtherNamings)
{
    WriteBytes(settingsFile, "[Corvelle]\r\nUsePlaylistTitle=1\r\n");
    std::vector<std::vector<bool>> enabled;  // title, folder, template: as opened, then clicked
    SaveAsRun run;
    run.onStep = [&enabled](HWND, HWND area) {
        if (!enabled.empty())
            return;
        for (int click = 0; click < 2; ++click) {
            std::vector<bool> now;
            for (int control : {UsePlaylistTitleBox, IncludeDirectoryBox, NameTemplateEdit})
                now.push_back(IsWindowEnabled(GetDlgItem(area, control)) != FALSE);
            enabled.push_back(now);
            if (click == 0)
                SendMessageW(GetDlgItem(area, NameByTagsBox), BM_CLICK, 0, 0);
        }
    };
    Open(run);
    EXPECT_EQ(enabled, (std::vector<std::vector<bool>>{{true, true, false}, {false, false, true}}));
    EXPECT_EQ(run.ticked, "NumberFilenames UsePlaylistTitle NameByTags");
}

TEST_F(CopyDialogTest, ATemplateThatCannotBeUsedKeepsTheDialogOpen)
{
    SetFilePlaylist({L"a.mp3"});
    for (const wchar_t* typed : {L"", L"%composer%\\%title%", L"%title", L"[%album%\\%title%"}) {
        SaveAsRun run;
        run.browseTo = {target};
        run.setBoxes = {{NameByTagsBox, true}};
        run.setTexts = {{NameTemplateEdit, typed}};
        run.fileName = target + L"x";
        run.button = IDOK;
        DialogWatcher watcher;
        DialogHandler saveAs = DriveSaveAs(&run);
        // The word about the template is answered, and then the user gives up.
        watcher.handler = [&run, saveAs](HWND dialog) {
            if (saveAs(dialog))
                return true;
            PressButton(dialog, IDOK);
            PressButton(run.saveAs, IDCANCEL);
            return true;
        };
        StartWatchingDialogs(&watcher);
        ShowCopyDialog();
        StopWatchingDialogs(&watcher);
        ASSERT_EQ(watcher.boxes.size(), 2u) << Utf8(typed);
        EXPECT_EQ(watcher.boxes[1].text,
                  L"The naming template cannot be used:\n\n" + std::wstring(typed) +
                      L"\n\nFields: %artist% %albumartist% %album% %title% %tracknumber% %discnumber% "
                      L"%year% %genre% %filename%. Text in [ ] is left out when its fields are empty.");
        EXPECT_EQ(watcher.boxes[1].owner, run.saveAs);
        EXPECT_TRUE(ListFiles(target).empty()) << "nothing copied";
    }
}

TEST_F(CopyDialogTest, ConfirmingCopiesIntoTheFolderWhateverNameWasTyped)
{
    SetFilePlaylist({L"a.mp3", L"b.ogg"});
    SaveAsRun run;
    run.toggles = {SavePlaylistBox};
    run.fileName = target + L"any name.txt";
    run.button = IDOK;
    Open(run);
    EXPECT_EQ(run.fileNameShown, L"(Filename Ignored)");
    EXPECT_EQ(ListFiles(target), (std::vector<std::wstring>{L"1_a.mp3", L"2_b.ogg", L"playlist.m3u"}));
    EXPECT_EQ(ReadBytes(target + L"1_a.mp3"), "data of a.mp3");
    EXPECT_EQ(State.Options.SavePlaylist, 1);
    EXPECT_EQ(GetPrivateProfileIntW(L"Corvelle", L"SavePlaylist", 0, settingsFile.c_str()), 1u);
}

TEST_F(CopyDialogTest, AnEmptyPlaylistStillRunsTheCopy)
{
    SetPlaylist({});
    SaveAsRun run;
    run.toggles = {SavePlaylistBox};
    run.fileName = target + L"x";
    run.button = IDOK;
    Open(run);
    EXPECT_EQ(run.countText, L"0");
    EXPECT_EQ(run.sizeText, L"0.0 MiB");
    EXPECT_EQ(ListFiles(target), (std::vector<std::wstring>{L"playlist.m3u"}));
    EXPECT_FALSE(host->playing);
}

TEST_F(CopyDialogTest, TheSaveAsWindowIsCentredOnTheScreen)
{
    SaveAsRun run;
    Open(run);
    int width = run.frame.right - run.frame.left, height = run.frame.bottom - run.frame.top;
    EXPECT_EQ(run.frame.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(run.frame.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
}

TEST_F(CopyDialogTest, TextsComeFromTheLanguage)
{
    SaveAsRun own;
    Open(own);
    EXPECT_EQ(own.title, L"Select location to save files to...");
    EXPECT_EQ(own.firstLabel, L"Files to copy:");
    EXPECT_EQ(own.fileTypes, (std::vector<std::wstring>{L"All Files"}));

    ASSERT_NE(InstallLanguagePack(), nullptr);
    SaveAsRun pack;
    Open(pack);
    EXPECT_EQ(pack.title, L"Zielordner waehlen...");
    EXPECT_EQ(pack.firstLabel, L"Dateien:");
    EXPECT_EQ(pack.fileNameShown, L"(Name egal)");
    EXPECT_EQ(pack.sizeText, L"0.0 MiBy");
}

TEST_F(CopyDialogTest, ALongFilterTextIsCutAndStaysOneFileType)
{
    host->replacedStrings[FilterString] = std::wstring(40, L'F');
    SaveAsRun run;
    Open(run);
    EXPECT_EQ(run.fileTypes, (std::vector<std::wstring>{std::wstring(29, L'F')}));
}

TEST_F(CopyDialogTest, MissingTextsLeaveTheSystemDefaults)
{
    host->unhandledStrings = {SaveAsTitleString, FilterString, IgnoredFileNameString};
    SaveAsRun run;
    Open(run);
    EXPECT_EQ(run.fileNameShown, L"");
    EXPECT_TRUE(run.fileTypes.empty());
}

// Template 102 of the module's own resources, read back field by field.
struct TemplateReader {
    const BYTE* at;
    WORD Word() { WORD v; memcpy(&v, at, 2); at += 2; return v; }
    DWORD Dword() { DWORD v; memcpy(&v, at, 4); at += 4; return v; }
    std::wstring NameOrOrdinal()
    {
        if (*(const WORD*)at == 0xFFFF) {
            at += 2;
            switch (Word()) {
            case 0x80: return L"BUTTON";
            case 0x81: return L"EDIT";
            case 0x82: return L"STATIC";
            case 0x85: return L"COMBOBOX";
            default: return L"?";
            }
        }
        std::wstring text((const wchar_t*)at);
        at += (text.size() + 1) * 2;
        return text;
    }
    void AlignDword(const BYTE* base) { at += (4 - (at - base) % 4) % 4; }
};

struct TemplateControl {
    int id;
    std::wstring kind, text;
    short x, y, cx, cy;
    DWORD style, exStyle;
};

// The next control of a DIALOGEX template.
TemplateControl ReadControl(TemplateReader& read, const BYTE* base)
{
    TemplateControl control;
    read.AlignDword(base);
    read.Dword();  // help id
    control.exStyle = read.Dword();
    control.style = read.Dword();
    control.x = (short)read.Word();
    control.y = (short)read.Word();
    control.cx = (short)read.Word();
    control.cy = (short)read.Word();
    control.id = (int)read.Dword();
    control.kind = read.NameOrOrdinal();
    CharUpperW(&control.kind[0]);  // class names are matched without regard to case
    control.text = read.NameOrOrdinal();
    read.at += read.Word();  // creation data
    return control;
}

// The header of a child area with the Save As window's font; returns its control count.
WORD ExpectChildAreaHeader(TemplateReader& read, const std::vector<short>& frame)
{
    EXPECT_EQ(read.Word(), 1);  // DIALOGEX
    EXPECT_EQ(read.Word(), 0xFFFF);
    read.Dword();
    EXPECT_EQ(read.Dword(), 0u);
    EXPECT_EQ(read.Dword(), (DWORD)(WS_CHILD | WS_CLIPSIBLINGS | DS_CONTROL | DS_3DLOOK |
                                    DS_SETFONT | DS_FIXEDSYS));
    WORD count = read.Word();
    std::vector<short> shown(4);
    for (short& v : shown)
        v = (short)read.Word();
    EXPECT_EQ(shown, frame);
    EXPECT_EQ(read.NameOrOrdinal(), L"");  // no menu
    EXPECT_EQ(read.NameOrOrdinal(), L"");  // no class
    EXPECT_EQ(read.NameOrOrdinal(), L"");  // no caption
    EXPECT_EQ(read.Word(), 8);
    EXPECT_EQ(read.Word(), 0);  // weight
    EXPECT_EQ(read.Word(), 0);  // not italic, character set 0
    EXPECT_EQ(read.NameOrOrdinal(), L"MS Shell Dlg");
    return count;
}

TEST_F(CopyDialogTest, Template102IsTheChildAreaOfTheTable)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceExW(module, (LPCWSTR)RT_DIALOG, MAKEINTRESOURCEW(CopyDialogTemplate),
                                  MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(found, nullptr);
    const BYTE* base = (const BYTE*)LockResource(LoadResource(module, found));
    TemplateReader read{base};
    WORD count = ExpectChildAreaHeader(read, {0, 0, 372, 123});

    const DWORD shown = WS_CHILD | WS_VISIBLE, box = shown | BS_AUTOCHECKBOX | WS_TABSTOP;
    const DWORD readout = shown | ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP;
    const TemplateControl expected[] = {
        {-1, L"STATIC", L"Files to copy:", 89, 5, 45, 8, shown | SS_RIGHT | WS_GROUP, 0},
        {1004, L"EDIT", L"", 139, 6, 41, 12, readout, 0},
        {-1, L"STATIC", L"Total playlist file size:", 64, 18, 70, 8, shown | SS_RIGHT | WS_GROUP, 0},
        {1002, L"EDIT", L"", 139, 18, 41, 12, readout, 0},
        {1000, L"BUTTON", L"Create &playlist", 92, 30, 60, 8, box, 0},
        {1003, L"BUTTON", L"Use playlist &title instead of filename", 201, 6, 130, 8, box, 0},
        {1001, L"BUTTON", L"Add &number to beginning of filename", 201, 18, 130, 8, box, 0},
        {1005, L"BUTTON", L"Keep parent &directory", 201, 30, 85, 8, box, 0},
        {1018, L"BUTTON", L"&Verify copies", 297, 30, 70, 8, box, 0},
        {1006, L"BUTTON", L"&m3u8", 101, 42, 35, 8, box, 0},
        {-1, L"STATIC", L"Free space:", 64, 54, 70, 8, shown | SS_RIGHT | WS_GROUP, 0},
        {1009, L"EDIT", L"", 139, 54, 58, 12, readout, 0},
        {1007, L"BUTTON", L"Only copy &new or changed files", 201, 42, 150, 8, box, 0},
        {1008, L"BUTTON", L"&Remove copies no longer in the playlist", 201, 54, 150, 8, box, 0},
        {1010, L"BUTTON", L"Name &by tags:", 92, 69, 60, 8, box, 0},
        {1011, L"EDIT", L"", 155, 67, 196, 12, shown | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 0},
        {1013, L"BUTTON", L"&Use / in playlist", 101, 83, 90, 8, box, 0},
        {1012, L"BUTTON", L"Cover &art and lyrics", 201, 83, 150, 8, box, 0},
        {1014, L"BUTTON", L"Only the selected entries", 92, 95, 150, 8, box, 0},
        {1015, L"BUTTON", L"&Convert what the device cannot play to:", 92, 109, 140, 8, box, 0},
        {1016, L"COMBOBOX", L"", 235, 107, 60, 60, shown | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0},
        {-1, L"STATIC", L"Plays:", 297, 109, 22, 8, shown | SS_RIGHT | WS_GROUP, 0},
        {1017, L"EDIT", L"", 321, 107, 47, 12, shown | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 0},
    };
    ASSERT_EQ(count, sizeof expected / sizeof expected[0]);
    for (const TemplateControl& want : expected) {
        TemplateControl control = ReadControl(read, base);
        SCOPED_TRACE(control.id);
        EXPECT_EQ(control.id, want.id);
        EXPECT_EQ(control.kind, want.kind);
        EXPECT_EQ(control.text, want.text);
        EXPECT_EQ((std::vector<short>{control.x, control.y, control.cx, control.cy}),
                  (std::vector<short>{want.x, want.y, want.cx, want.cy}));
        EXPECT_EQ(control.style, want.style);
        EXPECT_EQ(control.exStyle, want.exStyle);
    }
}

}  // namespace
