// Reading the copies back: in the test program, copies damaged after the copy, the user's own
// file left alone, Cancel; through the DLL onto the stick that lies (scripts/stick-drives), a
// stick that holds less than it claims, a flipped byte, a conversion cut short, Cancel in the
// window, and what is read at all.
#include <map>
#include <sstream>
#include "dialog/conversion_window.h"
#include "dialog/verify_window.h"
#include "resources/resource_ids.h"
#include "run/copy_run.h"
#include "support/case_names.h"
#include "support/product_fixture.h"
#include "support/run_fixture.h"

namespace {

const char DifferText[] = " copies came out different from their files and were removed. The stick may be "
                          "failing, or hold less than it claims.";

std::wstring DifferBox(uint32_t bad, uint32_t checked)
{
    std::string text = std::to_string(bad) + " of " + std::to_string(checked) + DifferText;
    return std::wstring(text.begin(), text.end());
}

// --- In the test program, with a checking of the test's own ----------------------------------

struct Checking {
    std::function<void()> damage;  // done as the checking opens, once every copy is written
    uint32_t opened, updates, cancelAfter;
    uint32_t bad, checked;         // as told
} checking;

const VerifyView Checker = {
    [](VerifyWork*) {
        ++checking.opened;
        if (checking.damage)
            checking.damage();
        return false;
    },
    [](VerifyWork* work) {
        if (++checking.updates >= checking.cancelAfter)
            work->cancelled = true;
    },
    [](VerifyWork*) { ADD_FAILURE() << "closed a window it did not open"; },
};

RunPrompts Checked()
{
    RunPrompts prompts = RunBoxes;
    prompts.verifying = &Checker;
    prompts.tellCopiesDiffer = [](uint32_t bad, uint32_t checked) {
        checking.bad = bad;
        checking.checked = checked;
    };
    return prompts;
}

class ReadingBack : public RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        checking = {nullptr, 0, 0, UINT32_MAX, 0, 0};
        State.Options = OptionsOn("SavePlaylist VerifyCopies");
    }
    std::wstring Source(const std::wstring& name, const std::string& bytes)
    {
        WriteBytes(source + name, bytes);
        return source + name;
    }
    void Run(const RunPrompts& prompts = Checked())
    {
        wchar_t path[PathCapacity] = {};
        wcscpy(path, (target + L"x").c_str());
        PlanAndRun({path, (int)target.size()}, prompts);
    }
    std::vector<std::wstring> Listed() { return ListedPaths(ReadBytes(target + L"playlist.m3u"), CP_ACP); }
};

// A byte changed and a copy cut after the shell wrote them: both go, the playlist file names
// the rest, and the box counts them among all read back.
TEST_F(ReadingBack, CopiesThatDifferFromTheirFilesAreRemovedAndLeftOutOfThePlaylist)
{
    SetPlaylist({{Source(L"a.mp3", std::string(3000, 'a')), L"A", 1},
                 {Source(L"b.mp3", std::string(3000, 'b')), L"B", 2},
                 {Source(L"c.mp3", std::string(3000, 'c')), L"C", 3},
                 {Source(L"d.mp3", std::string(3000, 'd')), L"D", 4}});
    checking.damage = [this] {
        std::string flipped(3000, 'b');
        flipped[2999] = 'x';
        WriteBytes(target + L"b.mp3", flipped);
        WriteBytes(target + L"c.mp3", std::string(2999, 'c'));
    };
    Run();

    EXPECT_EQ(ListFiles(target), (std::vector<std::wstring>{L"a.mp3", L"d.mp3", L"playlist.m3u"}));
    EXPECT_EQ(Listed(), (std::vector<std::wstring>{L"a.mp3", L"d.mp3"}));
    EXPECT_EQ(checking.bad, 2u);
    EXPECT_EQ(checking.checked, 4u);
}

// A bad copy held open elsewhere cannot be removed: it is left out of the playlist file, and
// the next run kept in step copies it again.
TEST_F(ReadingBack, ABadCopyThatCannotGoIsCopiedAgainNextTime)
{
    State.Options = OptionsOn("SavePlaylist VerifyCopies SkipUnchanged");
    SetPlaylist({{Source(L"a.mp3", "aaaa"), L"A", 1}});
    HANDLE held = INVALID_HANDLE_VALUE;
    checking.damage = [&] {
        WriteBytes(target + L"a.mp3", "aaax");
        held = CreateFileW((target + L"a.mp3").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    };
    Run();
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    CloseHandle(held);
    EXPECT_EQ(Listed(), std::vector<std::wstring>{});
    EXPECT_EQ(checking.bad, 1u);

    checking.damage = nullptr;
    Run();
    EXPECT_EQ(ReadBytes(target + L"a.mp3"), "aaaa");
    EXPECT_EQ(Listed(), std::vector<std::wstring>{L"a.mp3"});
}

// Only what the run wrote is read: not the user's file of the copy's size that the shell was
// told not to replace, not a copy kept in step; and with the box unticked, nothing.
TEST_F(ReadingBack, OnlyWhatTheRunWroteIsReadBack)
{
    // The user's own file, of the source's size but a day older.
    WriteBytes(target + L"a.mp3", "the user's");
    FILETIME dayAgo = {};
    ULARGE_INTEGER time;
    GetSystemTimeAsFileTime(&dayAgo);
    time = {{dayAgo.dwLowDateTime, dayAgo.dwHighDateTime}};
    time.QuadPart -= 24 * 3600 * 10000000ull;
    dayAgo = {time.LowPart, time.HighPart};
    HANDLE own = CreateFileW((target + L"a.mp3").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_TRUE(SetFileTime(own, nullptr, nullptr, &dayAgo));
    CloseHandle(own);
    SetPlaylist({{Source(L"a.mp3", "new bytes!"), L"A", 1}});
    DialogHandler yes = watcher.handler;
    watcher.handler = [](HWND dialog) {
        PressButton(dialog, GetDlgItem(dialog, IDNO) ? IDNO : IDOK);
        return true;
    };
    Run();
    EXPECT_EQ(ReadBytes(target + L"a.mp3"), "the user's") << "declined, and not read back";
    EXPECT_EQ(checking.opened, 0u);

    watcher.handler = yes;
    DeleteFileW((target + L"a.mp3").c_str());
    State.Options = OptionsOn("SavePlaylist VerifyCopies SkipUnchanged");
    Run();
    EXPECT_EQ(checking.opened, 1u) << "the new copy is read back";
    Run();
    EXPECT_EQ(checking.opened, 1u) << "the copy kept in step is not";
    State.Options = OptionsOn("SavePlaylist");
    Source(L"a.mp3", "newer bytes");
    Run();
    EXPECT_EQ(checking.opened, 1u) << "unticked, nothing is";
    EXPECT_EQ(ReadBytes(target + L"a.mp3"), "newer bytes");
}

// Cancelled, the copies not yet checked stay, damaged or not, and no box counts them.
TEST_F(ReadingBack, CancelLeavesWhatIsNotCheckedAsItIs)
{
    SetPlaylist({{Source(L"a.mp3", "aaaa"), L"A", 1}, {Source(L"b.mp3", "bbbb"), L"B", 2}});
    checking.damage = [this] { WriteBytes(target + L"b.mp3", "bbbx"); };
    checking.cancelAfter = 2;  // as a.mp3 is read
    checking.bad = UINT32_MAX;
    Run();

    EXPECT_EQ(ReadBytes(target + L"b.mp3"), "bbbx");
    EXPECT_EQ(Listed(), (std::vector<std::wstring>{L"a.mp3", L"b.mp3"}));
    EXPECT_EQ(checking.bad, UINT32_MAX) << "no box";
}

// A language pack made before the copies were read back has neither the window nor the box's
// text: the module's own stand in, under the pack's caption.
TEST_F(ReadingBack, APackWithoutTheCheckingGetsTheModulesOwnWindowAndText)
{
    ASSERT_NE(InstallLanguagePack(), nullptr);
    SetPlaylist({{Source(L"a.mp3", "aaaa"), L"A", 1}, {Source(L"b.mp3", "bbbb"), L"B", 2}});
    bool windowSeen = false;
    watcher.handler = [&](HWND dialog) {
        if (!GetDlgItem(dialog, VerifyLine))
            return false;
        windowSeen = true;
        WriteBytes(target + L"b.mp3", "bbbx");
        return true;
    };
    Run(RunBoxes);

    EXPECT_TRUE(windowSeen);
    ASSERT_EQ(watcher.boxes.size(), 2u);
    EXPECT_EQ(watcher.boxes[1].caption, L"Kopierer v1.11");
    EXPECT_EQ(watcher.boxes[1].text, DifferBox(1, 2));
    EXPECT_EQ(ListFiles(target), (std::vector<std::wstring>{L"a.mp3", L"playlist.m3u"}));
}

// --- Through the DLL, onto the stick that lies -----------------------------------------------

class LyingStick : public SongsFixture {
protected:
    void SetUp() override
    {
        SongsFixture::SetUp();
        std::string why;
        drive = TestDrive("CORVELLE_STICK_LYING", &why);
        if (drive.empty())
            GTEST_SKIP() << "no lying stick: " << why;
        stick = drive + L"t\\";
        Lie("");
        RemoveFolder(stick);
        CreateFolders(stick);
        ASSERT_EQ(Start(), 0);
    }
    void TearDown() override
    {
        if (!drive.empty()) {
            Lie("");
            RemoveFolder(stick);
        }
        SongsFixture::TearDown();
    }

    // What the stick lies about from now on ("keep BYTES", "flip NAME OFFSET", "cut NAME
    // BYTES", a line each); its counts start again.
    void Lie(const std::string& lines) { WriteBytes(drive + L".lie", lines); }
    // A count the stick keeps since: reads, read_bytes, kept, dropped.
    uint64_t Count(const std::string& name)
    {
        std::istringstream status(ReadBytes(drive + L".lie"));
        std::string word;
        uint64_t value = 0;
        while (status >> word >> value)
            if (word == name)
                return value;
        ADD_FAILURE() << "the stick keeps no count of " << name;
        return 0;
    }

    // Through the dialog, every question answered Yes and every box OK, unless `first` deals
    // with it.
    SaveAsRun Copy(bool verify, std::map<int, bool> more = {}, DialogHandler first = nullptr)
    {
        std::map<int, bool> boxes = {{SavePlaylistBox, true}, {SaveM3U8Box, false}, {NumberFilenamesBox, true},
                                     {UsePlaylistTitleBox, false}, {IncludeDirectoryBox, false},
                                     {SkipUnchangedBox, false}, {VerifyCopiesBox, verify}};
        for (const auto& box : more)
            boxes[box.first] = box.second;
        return CopyThroughTheDialog(boxes, stick, IDYES, first);
    }
    std::vector<std::wstring> Listed() { return ListedPaths(ReadBytes(stick + L"playlist.m3u"), CP_ACP); }

    std::wstring drive, stick;
};

const size_t SongBytes = 256 * 1024;

struct LieCase {
    const char* name;
    const char* lie;
    const char* whileChecking;  // the lie once the copies are written
    bool converts;
    std::vector<std::wstring> good;  // the copies that stay, in playlist order
};

const LieCase LieCases[] = {
    // Room for the playlist file and three and a half songs: what follows reads back as zeros.
    {"HoldsLessThanItClaims", "keep 917504", "", false, {L"1_a.mp3", L"2_b.mp3", L"3_c.mp3"}},
    {"GivesBackAFlippedByte", "flip 5_e.mp3 200000", "flip 5_e.mp3 200000", false,
     {L"1_a.mp3", L"2_b.mp3", L"3_c.mp3", L"4_d.mp3", L"6_f.mp3"}},
    {"CannotReadAConversionToItsEnd", "cut 2_b.mp3 512", "cut 2_b.mp3 512", true,
     {L"1_a.mp3", L"3_c.mp3", L"4_d.mp3", L"5_e.mp3", L"6_f.mp3"}},
};

void PrintTo(const LieCase& c, std::ostream* out) { *out << c.name; }

class LyingSticks : public LyingStick, public ::testing::WithParamInterface<LieCase> {};

// Every damaged copy is found and removed, every good one kept; the playlist file names the good
// ones and one box counts the others. The stick's room is freed once the checking begins, so
// that the playlist file written after it lands.
TEST_P(LyingSticks, EveryDamagedCopyIsFoundAndEveryGoodOneKept)
{
    TimeLimit limit("reading copies back from the lying stick", 90);
    const LieCase& c = GetParam();
    const wchar_t* names[] = {L"a", L"b", L"c", L"d", L"e", L"f"};
    host->playlist.clear();
    for (const wchar_t* name : names)
        host->playlist.push_back(
            {Song(std::wstring(name) + (c.converts && name[0] == L'b' ? L".flac" : L".mp3"), SongBytes), name, 60});
    Lie(c.lie);
    SaveAsRun copy = Copy(true, {{ConvertBox, c.converts}}, [&](HWND dialog) {
        if (GetDlgItem(dialog, VerifyLine))
            Lie(c.whileChecking);
        return false;
    });
    ASSERT_TRUE(copy.pressed && !copy.refused);

    std::vector<std::wstring> stays = c.good;
    stays.push_back(L"playlist.m3u");
    EXPECT_EQ(ListFiles(stick), stays);
    EXPECT_EQ(Listed(), c.good);
    EXPECT_EQ(OurTexts(), std::vector<std::wstring>{DifferBox(6 - (uint32_t)c.good.size(), 6)});
    for (const std::wstring& good : c.good)
        EXPECT_EQ(ReadBytes(stick + good), ReadBytes(music + good.substr(2))) << Utf8(good);
}

INSTANTIATE_TEST_SUITE_P(Lies, LyingSticks, ::testing::ValuesIn(LieCases), NameOfCase());

// Unticked, no copy is read back; ticked, each once to its end; kept in step, the copies left
// alone are not read.
TEST_F(LyingStick, WhatIsReadBackIsWhatTheRunWrote)
{
    TimeLimit limit("counting what is read back", 90);
    host->playlist = {{Song(L"a.mp3", SongBytes), L"A", 60}, {Song(L"b.mp3", SongBytes / 2), L"B", 60}};
    const struct {
        bool verify, keepInStep;
        uint64_t readBytes;
    } runs[] = {{false, false, 0}, {true, false, SongBytes * 3 / 2}, {true, true, 0}};
    for (const auto& run : runs) {
        Lie("");
        Copy(run.verify, {{SkipUnchangedBox, run.keepInStep}});
        EXPECT_EQ(Count("read_bytes"), run.readBytes) << run.verify << run.keepInStep;
        EXPECT_EQ(OurTexts(), std::vector<std::wstring>(run.keepInStep, L"All 2 files are already there and unchanged."));
    }
}

// Copied onto itself, a song on the stick reads back cut: it is the user's only file, and stays.
TEST_F(LyingStick, ASourceIsNeverRemoved)
{
    TimeLimit limit("a source read back", 90);
    std::string song(4096, 's');
    WriteBytes(stick + L"a.mp3", song);
    host->playlist = {{stick + L"a.mp3", L"A", 60}};
    Lie("cut a.mp3 100");
    Copy(true, {{NumberFilenamesBox, false}, {SavePlaylistBox, false}});
    Lie("");
    EXPECT_TRUE(ReadBytes(stick + L"a.mp3") == song) << "the source is there, whole";
    for (const std::wstring& text : OurTexts())
        EXPECT_EQ(text.find(L"came out different"), std::wstring::npos) << Utf8(text);
}

// Cancel as the checking's window shows: the copies stay, the damaged one too, and no box.
TEST_F(LyingStick, CancelInTheWindowStopsTheCheckingAtOnce)
{
    TimeLimit limit("cancelling the checking", 90);
    host->playlist = {{Song(L"a.mp3", 4 * SongBytes), L"A", 60}, {Song(L"b.mp3", 4 * SongBytes), L"B", 60}};
    Lie("flip 2_b.mp3 10");
    bool windowSeen = false;
    Copy(true, {}, [&](HWND dialog) {
        if (!GetDlgItem(dialog, VerifyLine))
            return false;
        windowSeen = true;
        PressButton(dialog, IDCANCEL);
        return true;
    });

    EXPECT_TRUE(windowSeen);
    EXPECT_EQ(Listed(), (std::vector<std::wstring>{L"1_a.mp3", L"2_b.mp3"}));
    EXPECT_EQ(OurTexts(), std::vector<std::wstring>{});
    EXPECT_LT(Count("read_bytes"), 4 * SongBytes) << "not even the first copy read to its end";
}

}  // namespace
