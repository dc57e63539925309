#include <string>
#include <vector>
#include "dialog/conversion_window.h"
#include "dialog/verify_window.h"
#include "dialog/room_question.h"
#include "host/host_link.h"
#include "hostsim/dialog_watcher.h"
#include "run/copy_run.h"
#include "support/case_names.h"
#include "support/run_fixture.h"

namespace {

const int Guard = 10;
const wchar_t Sentinel = L'#';

std::wstring MissingText(const std::wstring& path)
{
    return L"Error copying file: '" + path + L"', skipping.";
}

class CopyRun : public RunFixture {
protected:
    // A source file under src\ with its own bytes; returns its full path.
    std::wstring Source(const std::wstring& relative, const std::string& bytes)
    {
        std::wstring path = source + relative;
        size_t slash = path.rfind(L'\\');
        CreateFolders(path.substr(0, slash + 1));
        WriteBytes(path, bytes);
        return path;
    }

    // Confirms `folderPart` as the dialog would, with the ignored name after it, and runs.
    void Run(const std::wstring& folderPart, const RunPrompts& prompts = RunBoxes)
    {
        wmemset(path, Sentinel, PathCapacity + Guard);
        std::wstring confirmed = folderPart + L"(Filename Ignored)";
        confirmed.resize(std::min(confirmed.size(), (size_t)PathCapacity - 1));
        wmemcpy(path, confirmed.c_str(), confirmed.size() + 1);
        PlanAndRun({path, (int)folderPart.size()}, prompts);
    }
    void Run() { Run(target); }

    void ExpectGuardUntouched()
    {
        for (int i = PathCapacity; i < PathCapacity + Guard; ++i)
            ASSERT_EQ(path[i], Sentinel) << "written past the path buffer at " << i;
    }

    void ExpectRunBox(const CapturedBox& box, const std::wstring& text,
                      const std::wstring& caption = L"Corvelle v1.11")
    {
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.caption, caption);
        EXPECT_EQ(box.owner, host->window);
        EXPECT_FALSE(box.hasIcon);
        EXPECT_EQ(box.buttons, std::set<int>{IDOK});
    }

    // Each file below the target holds exactly its bytes.
    void ExpectContents(const std::vector<std::pair<std::wstring, std::string>>& files)
    {
        for (const auto& file : files)
            EXPECT_EQ(ReadBytes(target + file.first), file.second) << Utf8(file.first);
    }

    std::string Header() const { return State.Options.SaveM3U8 ? "\xEF\xBB\xBF#EXTM3U\r\n" : "#EXTM3U\r\n"; }

    wchar_t path[PathCapacity + Guard];
};

// --- Copies ------------------------------------------------------------------------------

struct NamingCase {
    const char* name;
    const char* options;
    std::vector<std::wstring> copies;  // in playlist order
};

void PrintTo(const NamingCase& c, std::ostream* out) { *out << c.name; }

class CopyNaming : public CopyRun, public ::testing::WithParamInterface<NamingCase> {};

TEST_P(CopyNaming, CopiesCarryTheSourcesBytesUnderTheirNames)
{
    const NamingCase& c = GetParam();
    SetPlaylist({{Source(L"Album\\track.mp3", "first"), L"AC/DC: Back?", 1},
                 {Source(L"Other\\README", "second"), L"Read me", 2},
                 {Source(L"song.mp3", "third"), L"Song", 3}});
    State.Options = OptionsOn(c.options);
    Run();
    std::vector<std::wstring> expected = c.copies;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ListFiles(target), expected);
    const char* contents[] = {"first", "second", "third"};
    for (size_t i = 0; i < c.copies.size(); ++i)
        EXPECT_EQ(ReadBytes(target + c.copies[i]), contents[i]) << Utf8(c.copies[i]);
    EXPECT_TRUE(watcher.boxes.empty());
}

const NamingCase NamingCases[] = {
    {"all off", "", {L"track.mp3", L"README", L"song.mp3"}},
    {"numbered", "NumberFilenames", {L"1_track.mp3", L"2_README", L"3_song.mp3"}},
    {"folders created", "NumberFilenames IncludeDirectory",
     {L"Album\\1_track.mp3", L"Other\\2_README", L"src\\3_song.mp3"}},
    {"titles", "UsePlaylistTitle", {L"AC-DC- Back\x00bf.mp3", L"Read me", L"Song.mp3"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, CopyNaming, ::testing::ValuesIn(NamingCases), NameOfCase());

TEST_F(CopyRun, AnExistingCopyIsReplacedOnlyAfterTheShellAsks)
{
    SetPlaylist({{Source(L"A\\same.mp3", "older"), L"", 1}, {Source(L"B\\same.mp3", "newer"), L"", 2}});
    State.Options = OptionsOn("");
    Run();
    EXPECT_EQ(ReadBytes(target + L"same.mp3"), "newer");
    ASSERT_EQ(watcher.boxes.size(), 1u) << "the shell's question about the second copy";
    EXPECT_TRUE(watcher.boxes[0].buttons.count(IDYES));
}

// The user declines to replace a different file of the copy's name: it stays byte for byte,
// the box counts it, and the playlist file does not name it. (Wine's shell then leaves the
// files after it uncopied too; they are counted and left out the same.)
TEST_F(CopyRun, ADeclinedReplaceIsCountedAndLeftOutOfThePlaylist)
{
    WriteBytes(target + L"a.mp3", "the user's own a.mp3");
    SetPlaylist({{Source(L"a.mp3", "new a"), L"A", 1}, {Source(L"b.mp3", "new b"), L"B", 2}});
    State.Options = OptionsOn("SavePlaylist SaveM3U8");
    watcher.handler = [](HWND dialog) {
        if (!GetDlgItem(dialog, IDNO))
            return false;
        PressButton(dialog, IDNO);
        return true;
    };
    Run();

    EXPECT_EQ(ReadBytes(target + L"a.mp3"), "the user's own a.mp3");
    std::vector<std::wstring> whole;
    if (ReadBytes(target + L"b.mp3") == "new b")
        whole.push_back(L"b.mp3");
    EXPECT_EQ(ListedPaths(ReadBytes(target + L"playlist.m3u8"), CP_UTF8), whole);
    ASSERT_EQ(watcher.boxes.size(), 2u) << "the shell's question, then the run's word";
    ExpectRunBox(watcher.boxes[1], std::to_wstring(2 - whole.size()) + L" of 2 files could not be copied.");
}

// A folder kept in step: the unchanged copy, left out of the shell copy, is there, so the
// playlist file written anew still lists it; the copy the shell could not make goes.
TEST_F(CopyRun, AnUnchangedCopyStaysListedWhenAnotherFails)
{
    SetPlaylist({{Source(L"kept.mp3", "kept"), L"Kept", 1}, {Source(L"new.mp3", "new"), L"New", 2}});
    State.Options = OptionsOn("SavePlaylist SkipUnchanged");
    Run();
    ASSERT_EQ(ReadBytes(target + L"new.mp3"), "new");
    // The next run: "new.mp3" has changed, and its copy's place is taken by a folder, which no
    // copy can replace.
    DeleteFileW((target + L"new.mp3").c_str());
    CreateFolders(target + L"new.mp3\\");
    Source(L"new.mp3", "newer");
    watcher.boxes.clear();
    Run();

    EXPECT_EQ(ListedPaths(ReadBytes(target + L"playlist.m3u"), CP_ACP), std::vector<std::wstring>{L"kept.mp3"});
    ASSERT_FALSE(watcher.boxes.empty());
    ExpectRunBox(watcher.boxes.back(), L"1 of 1 files could not be copied.");
}

// --- Playlist file -----------------------------------------------------------------------

TEST_F(CopyRun, PlaylistFileByteForByte)
{
    const std::wstring outside = L"\x0395\x03bb\x03bb\x03ac\x03b4\x03b1 \x65e5\x672c";
    const std::wstring longTitle = std::wstring(800, L'L') + L"\x00e9" + std::wstring(200, L'x');
    SetPlaylist({{Source(L"Album\\one.mp3", "1"), outside, 200},
                 {Source(L"Album\\two.mp3", "2"), L"", -1},
                 {Source(L"three.ogg", "3"), longTitle, 0}});
    for (int m3u8 = 0; m3u8 <= 1; ++m3u8) {
        State.Options = OptionsOn("SavePlaylist NumberFilenames IncludeDirectory");
        State.Options.SaveM3U8 = m3u8;
        Run();
        std::wstring lines = L"#EXTINF:200," + outside + L"\r\nAlbum\\1_one.mp3\r\n"
                             L"#EXTINF:-1,\r\nAlbum\\2_two.mp3\r\n"
                             L"#EXTINF:0," + longTitle + L"\r\nsrc\\3_three.ogg\r\n";
        std::wstring name = m3u8 ? L"playlist.m3u8" : L"playlist.m3u";
        std::string expected = Header() + (m3u8 ? Utf8(lines) : ToCodePage(lines, CP_ACP));
        EXPECT_EQ(ReadBytes(target + name), expected) << Utf8(name);
    }
    bool defaulted = false;
    ToCodePage(outside, CP_ACP, &defaulted);
    EXPECT_TRUE(defaulted) << "the title must lie outside the ANSI code page";
}

// Whatever the titles and names, every entry is two lines and every path line names its copy,
// byte for byte: in the ANSI file a character its code page cannot write is "_" in the copy's
// name too, while m3u8 keeps every character.
TEST_F(CopyRun, EveryPlaylistLineNamesItsCopy)
{
    const std::wstring greek = L"\x039A\x03B1\x03BB\x03B7\x03BC\x03AD\x03C1\x03B1";
    const char* contents[] = {"1", "2", "3", "4"};
    // A device name reaching Wine's shell copy on C: hangs it.
    TimeLimit limit("copies with hostile titles", 60);
    for (int m3u8 = 0; m3u8 <= 1; ++m3u8) {
        for (int title = 0; title <= 1; ++title) {
            RemoveFolder(target);
            CreateFolders(target);
            SetPlaylist({{Source(greek + L"\\" + greek + L".mp3", contents[0]), greek, 1},
                         {Source(L"Lines\\x.mp3", contents[1]), L"Two\r\n#EXTINF:1,x\r\nC:\\Windows\\win.ini", 2},
                         {Source(L"y", contents[2]), L"..", 3},
                         {Source(L"d.mp3", contents[3]), L"CON", 4}});
            State.Options = OptionsOn("SavePlaylist IncludeDirectory");
            State.Options.SaveM3U8 = m3u8;
            State.Options.UsePlaylistTitle = title;
            Run();
            UINT codePage = m3u8 ? CP_UTF8 : CP_ACP;
            std::string playlist = ReadBytes(target + (m3u8 ? L"playlist.m3u8" : L"playlist.m3u"));
            std::vector<std::wstring> paths = ListedPaths(playlist, codePage);
            EXPECT_EQ(PlaylistLines(playlist, codePage).size(), 1 + 2 * paths.size());
            ASSERT_EQ(paths.size(), 4u) << "m3u8 " << m3u8 << ", title " << title;
            for (size_t i = 0; i < paths.size(); ++i)
                EXPECT_EQ(ReadBytes(target + paths[i]), contents[i]) << Utf8(paths[i]);
            EXPECT_EQ(ListFiles(target).size(), 5u);
            EXPECT_EQ(paths[2], L"src\\y");
            EXPECT_EQ(paths[3], title ? L"src\\CON_.mp3" : L"src\\d.mp3");
            std::wstring first = m3u8 ? greek + L"\\" + greek + L".mp3" : L"________\\________.mp3";
            if (m3u8 || GetACP() == 1252) {
                EXPECT_EQ(paths[0], first);
            }
        }
    }
}

TEST_F(CopyRun, ExistingPlaylistFileIsReplaced)
{
    WriteBytes(target + L"playlist.m3u", std::string(5000, 'z'));
    SetPlaylist({{Source(L"a.mp3", "a"), L"A", 3}});
    State.Options = OptionsOn("SavePlaylist");
    Run();
    EXPECT_EQ(ReadBytes(target + L"playlist.m3u"), "#EXTM3U\r\n#EXTINF:3,A\r\na.mp3\r\n");
}

TEST_F(CopyRun, EmptyPlaylistWritesTheHeaderAlone)
{
    SetPlaylist({});
    State.Options = OptionsOn("SavePlaylist SaveM3U8 NumberFilenames");
    Run();
    EXPECT_FALSE(host->playing);
    EXPECT_EQ(ReadBytes(target + L"playlist.m3u8"), "\xEF\xBB\xBF#EXTM3U\r\n");
    EXPECT_EQ(ListFiles(target), std::vector<std::wstring>{L"playlist.m3u8"});
    EXPECT_TRUE(watcher.boxes.empty());
}

TEST_F(CopyRun, WithoutPlaylistNothingStopsAndTheTargetStays)
{
    SetPlaylist({{Source(L"a.mp3", "a"), L"A", 3}});
    State.Options = OptionsOn("SaveM3U8");
    Run();
    EXPECT_TRUE(host->playing);
    EXPECT_EQ(ListFiles(target), std::vector<std::wstring>{L"a.mp3"});
    EXPECT_STREQ(path, (target + L"(Filename Ignored)").c_str());
    EXPECT_EQ(CountRequests(host, SetPlaylistPositionCode), 0u);
}

// --- Missing entries ---------------------------------------------------------------------

// --- Entries left out ---------------------------------------------------------------------

std::wstring SkippedText(size_t skipped, size_t entries, const std::vector<std::wstring>& lines)
{
    std::wstring text = std::to_wstring(skipped) + L" of " + std::to_wstring(entries) +
                        L" files could not be found and are skipped:\n\n";
    for (size_t i = 0; i < lines.size(); ++i)
        text += (i ? L"\n" : L"") + lines[i];
    return text;
}

// One present entry and `missing` entries whose files are not there: however many are left
// out, one box tells them, before anything is copied.
TEST_F(CopyRun, EntriesLeftOutAreToldInOneBox)
{
    struct Case {
        int missing;
        size_t boxes;
        int listed;           // paths the box lists
        const wchar_t* more;  // its last line, after them
    } cases[] = {
        {0, 0, 0, nullptr},  {1, 1, 1, nullptr},  {2, 1, 2, nullptr},
        {10, 1, 10, nullptr}, {11, 1, 10, L"...and 1 more."}, {2000, 1, 10, L"...and 1990 more."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.missing);
        std::vector<SimEntry> entries = {{Source(L"here.mp3", "here"), L"Here", 1}};
        std::vector<std::wstring> lines;
        for (int i = 0; i < c.missing; ++i) {
            entries.push_back({source + L"gone\\" + std::to_wstring(i) + L".mp3", L"", 1});
            if (i < c.listed)
                lines.push_back(entries.back().path);
        }
        if (c.more)
            lines.push_back(c.more);
        SetPlaylist(entries);
        State.Options = OptionsOn("");
        watcher.boxes.clear();
        RemoveFolder(target);  // no question about replacing the copy of the row before
        CreateFolders(target);
        Run();
        EXPECT_EQ(ReadBytes(target + L"here.mp3"), "here");
        ASSERT_EQ(watcher.boxes.size(), c.boxes);
        if (c.missing == 1)
            ExpectRunBox(watcher.boxes[0], MissingText(lines[0]));
        else if (c.missing > 1)
            ExpectRunBox(watcher.boxes[0], SkippedText((size_t)c.missing, entries.size(), lines));
    }
}

TEST_F(CopyRun, MissingEntriesAreListedInPlaylistOrderAndTheRestIsCopied)
{
    std::wstring missing = source + L"gone.mp3";
    std::wstring albumFolder = source + L"Album";
    Source(L"Album\\inside.mp3", "x");
    SetPlaylist({{Source(L"a.mp3", "aaa"), L"A", 1},
                 {missing, L"Gone", 2},
                 {albumFolder, L"Folder", 3},
                 {Source(L"empty.mp3", ""), L"Empty", 4},
                 {L"http://stream.example.org/live", L"Stream", -1}});
    State.Options = OptionsOn("SavePlaylist NumberFilenames");
    host->position = 2;
    Run();
    ASSERT_EQ(watcher.boxes.size(), 1u);
    ExpectRunBox(watcher.boxes[0],
                 SkippedText(3, 5, {missing, albumFolder, L"http://stream.example.org/live"}));
    EXPECT_EQ(ListFiles(target), (std::vector<std::wstring>{L"1_a.mp3", L"4_empty.mp3", L"playlist.m3u"}));
    EXPECT_EQ(ReadBytes(target + L"4_empty.mp3"), "");
    EXPECT_EQ(ReadBytes(target + L"playlist.m3u"),
              "#EXTM3U\r\n#EXTINF:1,A\r\n1_a.mp3\r\n#EXTINF:4,Empty\r\n4_empty.mp3\r\n");
    EXPECT_EQ(host->position, 2) << "the user's entry is put back after the lengths are read";
    EXPECT_FALSE(host->playing);
}

TEST_F(CopyRun, EveryEntryMissingCopiesNothing)
{
    SetPlaylist({{source + L"x.mp3", L"X", 1}, {source + L"y.mp3", L"Y", 2}});
    State.Options = OptionsOn("SavePlaylist");
    Run();
    ASSERT_EQ(watcher.boxes.size(), 1u) << "no message of the shell's own";
    ExpectRunBox(watcher.boxes[0], SkippedText(2, 2, {source + L"x.mp3", source + L"y.mp3"}));
    EXPECT_EQ(ReadBytes(target + L"playlist.m3u"), "#EXTM3U\r\n");
    EXPECT_EQ(ListFiles(target), std::vector<std::wstring>{L"playlist.m3u"});
}

// Alone, a long path is cut with its message; listed with others, it keeps its start and its
// end around "...", never half a surrogate pair, so that the box fits the screen.
TEST_F(CopyRun, LongMissingPathsAreCut)
{
    std::wstring alone = source + std::wstring(300, L'n');
    ASSERT_LT(source.size(), 57u);
    std::wstring paired = source + std::wstring(57 - source.size(), L'p') + L"\xD83C\xDFB5" +
                          std::wstring(100, L'q') + L"end.mp3";
    std::wstring plain = source + std::wstring(130 - source.size(), L'r');
    State.Options = OptionsOn("");
    SetPlaylist({{alone, L"", 1}});
    Run();
    SetPlaylist({{paired, L"", 1}, {plain, L"", 2}});
    Run();
    ASSERT_EQ(watcher.boxes.size(), 2u);
    EXPECT_EQ(watcher.boxes[0].text, MissingText(alone).substr(0, 279));
    std::wstring pairedLine = paired.substr(0, 57) + L"..." + paired.substr(paired.size() - 59);
    std::wstring plainLine = plain.substr(0, 58) + L"..." + plain.substr(plain.size() - 59);
    EXPECT_EQ(plainLine.size(), 120u);
    ExpectRunBox(watcher.boxes[1], SkippedText(2, 2, {pairedLine, plainLine}));
}

// A path longer than the module keeps whole would name another file cut: the entry is told
// among those left out, by its start, and gets no copy and no lines.
TEST_F(CopyRun, APathTooLongToKeepWholeIsToldAndNotCopied)
{
    std::wstring kept = Source(L"a.mp3", "a");
    std::wstring tooLong = source + std::wstring(HostTextCapacity, L'g') + L".mp3";
    SetPlaylist({{kept, L"A", 1}, {tooLong, L"Long", 2}});
    State.Options = OptionsOn("SavePlaylist");
    Run();
    ASSERT_EQ(watcher.boxes.size(), 1u);
    std::wstring start = tooLong.substr(0, HostTextCapacity - 1);
    ExpectRunBox(watcher.boxes[0], MissingText(start).substr(0, 279));
    EXPECT_EQ(ListFiles(target), (std::vector<std::wstring>{L"a.mp3", L"playlist.m3u"}));
}

TEST_F(CopyRun, CaptionIsTriedAgainForEveryBox)
{
    host->unhandledStrings = {1};
    SetPlaylist({{source + L"x.mp3", L"X", 1}});
    State.Options = OptionsOn("");
    watcher.handler = [this](HWND) {
        host->unhandledStrings.clear();
        return false;
    };
    Run();
    Run();
    ASSERT_EQ(watcher.boxes.size(), 2u);
    ExpectRunBox(watcher.boxes[0], MissingText(source + L"x.mp3"), L"");
    ExpectRunBox(watcher.boxes[1], MissingText(source + L"x.mp3"));
}

// --- Playlist file that cannot be made ------------------------------------------------------

TEST_F(CopyRun, UnwritableTargetGivesOneBoxAndCopiesNothing)
{
    struct Case {
        const char* name;
        std::wstring folderPart;
    } cases[] = {
        {"name taken by a folder", target},
        {"folder that does not exist", folder + L"nowhere\\"},
    };
    CreateFolders(target + L"playlist.m3u\\");
    SetPlaylist({{Source(L"a.mp3", "a"), L"A", 1}, {source + L"gone.mp3", L"", 2}});
    State.Options = OptionsOn("SavePlaylist NumberFilenames");
    for (const Case& c : cases) {
        watcher.boxes.clear();
        host->playing = true;
        Run(c.folderPart);
        ASSERT_EQ(watcher.boxes.size(), 1u) << c.name;
        ExpectRunBox(watcher.boxes[0], L"Error creating playlist file.");
        EXPECT_EQ(ListFiles(folder + L"out\\"), std::vector<std::wstring>{}) << c.name;
        EXPECT_FALSE(host->playing) << c.name;
    }
}

// A folder part of `length` characters that exists on disk.
std::wstring DeepFolder(const std::wstring& base, size_t length)
{
    std::wstring deep = base;
    while (deep.size() < length) {
        size_t part = std::min<size_t>(100, length - deep.size() - 1);
        if (length - deep.size() - 1 - part == 1)
            --part;  // leaves no one-character remainder, which could not hold a name
        deep += std::wstring(part ? part : 1, L'd') + L"\\";
    }
    CreateFolders(deep);
    return deep;
}

TEST_F(CopyRun, PlaylistNameMustFitThePathBuffer)
{
    // 247 characters leave room for "playlist.m3u" and its NUL, not for "playlist.m3u8".
    std::wstring deep = DeepFolder(target, PathCapacity - 13);
    ASSERT_EQ(deep.size(), (size_t)PathCapacity - 13);
    SetPlaylist({});
    State.Options = OptionsOn("SavePlaylist");
    Run(deep);
    ExpectGuardUntouched();
    EXPECT_TRUE(watcher.boxes.empty());
    EXPECT_EQ(ReadBytes(deep + L"playlist.m3u"), "#EXTM3U\r\n");

    State.Options = OptionsOn("SavePlaylist SaveM3U8");
    Run(deep);
    ExpectGuardUntouched();
    ASSERT_EQ(watcher.boxes.size(), 1u);
    ExpectRunBox(watcher.boxes[0], L"Error creating playlist file.");
    EXPECT_FALSE(FileExists(deep + L"playlist.m3u8"));
    EXPECT_EQ(path[PathCapacity - 1], 0) << "the confirmed path is left as it was";
}

// --- Keeping a folder in step ---------------------------------------------------------------

// Marks a copy so that a fresh copy over it would show: other bytes of the same size,
// written after its source.
TEST_F(CopyRun, SecondRunCopiesOnlyWhatIsNewOrChanged)
{
    SetPlaylist({{Source(L"a.mp3", "aaaa"), L"A", 1}, {Source(L"b.mp3", "bbbb"), L"B", 2},
                 {Source(L"c.mp3", "cccc"), L"C", 3}});
    State.Options = OptionsOn("SavePlaylist NumberFilenames SkipUnchanged");
    Run();
    ASSERT_EQ(ListFiles(target), (std::vector<std::wstring>{L"1_a.mp3", L"2_b.mp3", L"3_c.mp3", L"playlist.m3u"}));
    MarkCopy(target + L"1_a.mp3");
    MarkCopy(target + L"3_c.mp3");
    Source(L"b.mp3", "bbbbbb");
    host->playlist.push_back({Source(L"d.mp3", "dddd"), L"D", 4});
    State.PlaylistCount = 4;
    watcher.boxes.clear();
    Run();
    ExpectContents({{L"1_a.mp3", "KKKK"}, {L"2_b.mp3", "bbbbbb"}, {L"3_c.mp3", "KKKK"}, {L"4_d.mp3", "dddd"},
                    {L"playlist.m3u", "#EXTM3U\r\n#EXTINF:1,A\r\n1_a.mp3\r\n#EXTINF:2,B\r\n2_b.mp3\r\n"
                                      "#EXTINF:3,C\r\n3_c.mp3\r\n#EXTINF:4,D\r\n4_d.mp3\r\n"}});
    ASSERT_EQ(watcher.boxes.size(), 1u) << "only the changed copy is replaced, after the shell asks";
    EXPECT_TRUE(watcher.boxes[0].buttons.count(IDYES));

    watcher.boxes.clear();
    Run();
    ASSERT_EQ(watcher.boxes.size(), 1u);
    ExpectRunBox(watcher.boxes[0], L"All 4 files are already there and unchanged.");

    // An entry left out is told first.
    host->playlist.push_back({source + L"gone.mp3", L"Gone", 5});
    State.PlaylistCount = 5;
    watcher.boxes.clear();
    Run();
    ASSERT_EQ(watcher.boxes.size(), 2u);
    ExpectRunBox(watcher.boxes[0], MissingText(source + L"gone.mp3"));
    ExpectRunBox(watcher.boxes[1], L"All 4 files are already there and unchanged.");
}

TEST_F(CopyRun, InStepEachSourceIsCopiedOnceUnderANameOfItsOwn)
{
    SetPlaylist({{Source(L"A\\x.mp3", "1"), L"", 1},
                 {Source(L"B\\x.mp3", "2"), L"", 2},
                 {source + L"A\\X.MP3", L"", 3},
                 {Source(L"C\\Playlist.M3U", "4"), L"", 4},
                 {Source(L"D\\X.mp3", "5"), L"", 5}});
    State.Options = OptionsOn("SavePlaylist SkipUnchanged");
    Run();
    EXPECT_EQ(ListFiles(target), (std::vector<std::wstring>{L"Playlist (2).M3U", L"X (3).mp3", L"playlist.m3u",
                                                            L"x (2).mp3", L"x.mp3"}));
    ExpectContents({{L"x.mp3", "1"}, {L"x (2).mp3", "2"}, {L"Playlist (2).M3U", "4"}, {L"X (3).mp3", "5"},
                    {L"playlist.m3u", "#EXTM3U\r\n#EXTINF:1,\r\nx.mp3\r\n#EXTINF:2,\r\nx (2).mp3\r\n"
                                      "#EXTINF:3,\r\nx.mp3\r\n#EXTINF:4,\r\nPlaylist (2).M3U\r\n"
                                      "#EXTINF:5,\r\nX (3).mp3\r\n"}});
    EXPECT_TRUE(watcher.boxes.empty()) << "no copy lands on another";
}

// The previous playlist file names a leftover twice (once through ".."), one in a folder of
// its own, a copy still made (in other case), and what must never go: a file outside the
// target, an absolute path, a source of this run kept in the target, a folder, a missing
// file, a wildcard, a device.
class LeftoverRemoval : public CopyRun, public ::testing::WithParamInterface<int> {};

TEST_P(LeftoverRemoval, OnlyFilesTheOldPlaylistNamesInsideTheTargetGo)
{
    const int answer = GetParam();
    std::wstring kept = Source(L"a.mp3", "new");
    WriteBytes(target + L"old.mp3", "old");
    CreateFolders(target + L"sub\\deep\\");
    WriteBytes(target + L"sub\\deep\\left.mp3", "left");
    WriteBytes(target + L"1_a.mp3", "former");
    WriteBytes(target + L"keep.mp3", "unlisted");
    CreateFolders(target + L"Folder\\");
    WriteBytes(folder + L"outside.mp3", "outside");
    WriteBytes(target + L"mine.mp3", "mine");
    std::string lines = "#EXTM3U\r\n#EXTINF:1,Old\r\nold.mp3\r\nsub/deep/left.mp3\r\n1_A.MP3\r\nmine.mp3\r\n"
                        "..\\outside.mp3\r\n" + Utf8(kept) + "\r\n\\" + Utf8(kept.substr(3)) +
                        "\r\nFolder\r\nmissing.mp3\r\n*.mp3\r\nNUL.mp3\r\nsub\\deep\\..\\deep\\left.mp3";
    WriteBytes(target + L"playlist.m3u8", "\xEF\xBB\xBF" + lines);
    SetPlaylist({{kept, L"A", 1}, {target + L"mine.mp3", L"Mine", 2}});
    State.Options = OptionsOn("SavePlaylist SaveM3U8 NumberFilenames RemoveDropped");
    // The shell's question before it replaces 1_a.mp3 paints its text; ours is a control.
    watcher.handler = [answer](HWND dialog) {
        PressButton(dialog, ReadBox(dialog).text.empty() ? IDYES : answer);
        return true;
    };
    Run();
    ASSERT_GE(watcher.boxes.size(), 1u);
    EXPECT_EQ(watcher.boxes[0].text, L"Remove 2 copies that are no longer in the playlist?");
    EXPECT_EQ(watcher.boxes[0].owner, host->window);
    EXPECT_EQ(watcher.boxes[0].buttons, (std::set<int>{IDYES, IDNO}));
    std::vector<std::wstring> left = {L"1_a.mp3", L"2_mine.mp3", L"keep.mp3", L"mine.mp3", L"playlist.m3u8"};
    if (answer == IDNO)
        left = {L"1_a.mp3",        L"2_mine.mp3",    L"keep.mp3", L"mine.mp3",
                L"old.mp3",        L"playlist.m3u8", L"sub\\deep\\left.mp3"};
    EXPECT_EQ(ListFiles(target), left);
    EXPECT_EQ(GetFileAttributesW((target + L"sub").c_str()) == INVALID_FILE_ATTRIBUTES, answer == IDYES);
    EXPECT_NE(GetFileAttributesW((target + L"Folder").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadBytes(folder + L"outside.mp3"), "outside");
    EXPECT_EQ(ReadBytes(kept), "new");
    EXPECT_EQ(ReadBytes(target + L"1_a.mp3"), "new");
}

INSTANTIATE_TEST_SUITE_P(Answers, LeftoverRemoval, ::testing::Values(IDYES, IDNO));

// What the run asks and tells goes through its prompts: a table of the test's own answers the
// question and hears every report, and no window opens.
struct Told {
    uint32_t skipped, asked, unchanged, missing;
    bool removes;
};
Told told;
const RunPrompts Recorded = {
    [](const SkippedEntries& skipped, int) { told.skipped = skipped.count; },
    [](uint32_t count) { told.asked = count; return told.removes; },
    [](uint32_t songs) { told.unchanged = songs; },
    [] { ADD_FAILURE() << "the playlist file was not created"; },
    [](DWORD) { ADD_FAILURE() << "the playlist file was not written whole"; },
    [](uint32_t missing, uint32_t) { told.missing = missing; },
    [](const wchar_t*) { ADD_FAILURE() << "no folder here keeps the order written"; },
    [](uint32_t, uint32_t) { ADD_FAILURE() << "no copy here is read back"; },
    &ConversionWindow,
    &VerifyWindow,
};

TEST_F(CopyRun, ItsQuestionsAreAnsweredAndItsReportsHeardWithoutAWindow)
{
    std::wstring a = Source(L"a.mp3", "a"), c = Source(L"c.mp3", "c");
    State.Options = OptionsOn("SavePlaylist SkipUnchanged RemoveDropped");
    SetPlaylist({{a, L"A", 1}, {c, L"C", 2}});
    told = {};
    Run(target, Recorded);
    SetPlaylist({{a, L"A", 1}, {source + L"gone.mp3", L"Gone", 2}});
    Run(target, Recorded);

    EXPECT_EQ(told.skipped, 1u);
    EXPECT_EQ(told.asked, 1u) << "c.mp3 left the playlist";
    EXPECT_EQ(told.unchanged, 1u);
    EXPECT_EQ(told.missing, 0u);
    EXPECT_EQ(ListFiles(target), (std::vector<std::wstring>{L"a.mp3", L"c.mp3", L"playlist.m3u"}))
        << "the answer was No";
    EXPECT_TRUE(watcher.boxes.empty());
}

TEST_F(CopyRun, NoPreviousPlaylistOrAHostileOneRemovesNothing)
{
    std::string noise;
    uint32_t seed = 12345;
    for (int i = 0; i < 3 * 1024 * 1024; ++i) {
        seed = seed * 1103515245 + 12345;
        noise += (char)(seed >> 16);
    }
    WriteBytes(target + L"keep.mp3", "k");
    const std::string previous[] = {
        "",  // none at all
        noise,
        std::string(100000, 'k') + "\n" + std::string(5000, '\\') + "\nx\\..\\..\\out\\keep.mp3",
        "keep.mp3\\\n.\\\nC:keep.mp3\n\\\\server\\share\\keep.mp3\nk?ep.mp3\nkeep.mp3.\nkeep.mp3 \n",
    };
    SetPlaylist({{Source(L"a.mp3", "a"), L"A", 1}});
    State.Options = OptionsOn("SavePlaylist RemoveDropped");
    for (const std::string& bytes : previous) {
        DeleteFileW((target + L"playlist.m3u").c_str());
        if (!bytes.empty())
            WriteBytes(target + L"playlist.m3u", bytes);
        watcher.boxes.clear();
        Run();
        // The shell's question about replacing a.mp3 paints its text; a question of ours has one.
        for (const CapturedBox& box : watcher.boxes)
            EXPECT_EQ(box.text, L"") << bytes.size();
        EXPECT_EQ(ListFiles(target), (std::vector<std::wstring>{L"a.mp3", L"keep.mp3", L"playlist.m3u"}));
    }
}

// --- Language pack -------------------------------------------------------------------------

TEST_F(CopyRun, BoxesSpeakTheLanguagePack)
{
    ASSERT_NE(InstallLanguagePack(), nullptr);
    std::wstring missing = source + L"gone.mp3";
    SetPlaylist({{missing, L"", 1}});
    State.Options = OptionsOn("");
    Run();
    State.Options = OptionsOn("SavePlaylist");
    Run(folder + L"nowhere\\");
    // A pack made before strings 15 and 16 gets the module's own text for them.
    std::vector<SimEntry> many(12, SimEntry{missing, L"", 1});
    SetPlaylist(many);
    State.Options = OptionsOn("");
    Run();
    ASSERT_EQ(watcher.boxes.size(), 3u);
    ExpectRunBox(watcher.boxes[0], L"Datei fehlt: <" + missing + L">, weiter.", L"Kopierer v1.11");
    ExpectRunBox(watcher.boxes[1], L"Wiedergabeliste nicht erstellt.", L"Kopierer v1.11");
    std::vector<std::wstring> lines(10, missing);
    lines.push_back(L"...and 2 more.");
    ExpectRunBox(watcher.boxes[2], SkippedText(12, 12, lines), L"Kopierer v1.11");
}

}  // namespace
