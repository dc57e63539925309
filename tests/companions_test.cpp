#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "hostsim/dialog_watcher.h"
#include "resources/resource_ids.h"
#include "run/copy_run.h"
#include "support/case_names.h"
#include "support/run_fixture.h"
#include "support/stick_fixture.h"

namespace {

class Companions : public RunFixture {
protected:
    // Files below src\ as "relative=bytes"; the playlist is every file given with "!" in front.
    void MakeSources(const std::vector<std::wstring>& files)
    {
        std::vector<SimEntry> playlist;
        for (std::wstring file : files) {
            bool listed = file[0] == L'!';
            file = file.substr(listed ? 1 : 0);
            size_t equals = file.find(L'=');
            std::wstring path = source + file.substr(0, equals);
            CreateFolders(path.substr(0, path.rfind(L'\\') + 1));
            WriteBytes(path, Utf8(file.substr(equals + 1)));
            if (listed)
                playlist.push_back({path, L"T", 1});
        }
        SetPlaylist(playlist);
    }

    void Run(const std::wstring& into)
    {
        std::vector<wchar_t> path(into.begin(), into.end());
        path.resize(PathCapacity, 0);
        watcher.boxes.clear();
        PlanAndRun({path.data(), (int)into.size()});
    }
    void Run() { Run(target); }

};

struct RuleCase {
    const char* name;
    const char* options;  // besides CopyCompanions
    std::vector<std::wstring> files;
    std::vector<std::wstring> copies;  // every file below the target
};

void PrintTo(const RuleCase& c, std::ostream* out) { *out << c.name; }

const RuleCase RuleCases[] = {
    {"lyrics named after the copy", "NumberFilenames IncludeDirectory",
     {L"!A\\01 Rain.flac=r", L"A\\01 Rain.lrc=l", L"!A\\02 Sun.flac=s"},
     {L"A\\1_01 Rain.flac", L"A\\1_01 Rain.lrc", L"A\\2_02 Sun.flac"}},
    {"lyrics in any case", "", {L"!B\\x.mp3=x", L"B\\x.LRC=l"}, {L"x.lrc", L"x.mp3"}},
    {"lyrics two songs share, once", "", {L"!E\\a.mp3=a", L"!E\\a.flac=f", L"E\\a.lrc=l"},
     {L"a.flac", L"a.lrc", L"a.mp3"}},
    {"none to go with", "IncludeDirectory", {L"!A\\a.mp3=a", L"A\\b.lrc=l", L"A\\art.jpg=c"},
     {L"A\\a.mp3"}},
    {"an album's cover", "IncludeDirectory", {L"!A\\a.mp3=a", L"!A\\b.mp3=b", L"A\\folder.jpg=c"},
     {L"A\\a.mp3", L"A\\b.mp3", L"A\\folder.jpg"}},
    {"the first name found", "IncludeDirectory",
     {L"!A\\a.mp3=a", L"A\\cover.png=p", L"A\\folder.jpg=f", L"A\\front.jpg=j"},
     {L"A\\a.mp3", L"A\\folder.jpg"}},
    {"a cover under its own name", "IncludeDirectory", {L"!A\\a.mp3=a", L"A\\Folder.JPG=c"},
     {L"A\\Folder.JPG", L"A\\a.mp3"}},
    {"two discs share one", "", {L"!D1\\a.mp3=a", L"D1\\cover.jpg=cc", L"!D2\\b.mp3=b", L"D2\\COVER.jpg=dd"},
     {L"a.mp3", L"b.mp3", L"cover.jpg"}},
    {"covers of two sizes", "", {L"!D1\\a.mp3=a", L"D1\\cover.jpg=cc", L"!D2\\b.mp3=b", L"D2\\cover.jpg=ddd"},
     {L"a.mp3", L"b.mp3"}},
    {"covers of two names", "", {L"!D1\\a.mp3=a", L"D1\\cover.jpg=cc", L"!D2\\b.mp3=b", L"D2\\front.jpg=dd"},
     {L"a.mp3", L"b.mp3"}},
    {"a folder without one", "", {L"!D1\\a.mp3=a", L"D1\\cover.jpg=cc", L"!D2\\b.mp3=b"},
     {L"a.mp3", L"b.mp3"}},
};

class CompanionRules : public Companions, public ::testing::WithParamInterface<RuleCase> {};

// Companions come with the songs and the playlist file lists the songs alone.
TEST_P(CompanionRules, CoverAndLyricsGoWithTheirSongs)
{
    const RuleCase& c = GetParam();
    MakeSources(c.files);
    State.Options = OptionsOn(std::string("SavePlaylist CopyCompanions ") + c.options);
    Run();
    std::vector<std::wstring> copies = c.copies;
    copies.push_back(L"playlist.m3u");
    std::sort(copies.begin(), copies.end());
    EXPECT_EQ(ListFiles(target), copies);
    EXPECT_EQ(ListedPaths(ReadBytes(target + L"playlist.m3u"), CP_ACP).size(), host->playlist.size());
    EXPECT_TRUE(watcher.boxes.empty());
    if (std::find(c.copies.begin(), c.copies.end(), L"cover.jpg") != c.copies.end()) {
        EXPECT_EQ(ReadBytes(target + L"cover.jpg"), "cc") << "the first folder's";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CompanionRules, ::testing::ValuesIn(RuleCases), NameOfCase());

// Kept in step, an unchanged companion is left alone, and a changed one is copied again.
TEST_F(Companions, KeptInStepACompanionIsCopiedOnlyWhenChanged)
{
    MakeSources({L"!A\\a.mp3=aaaa", L"A\\a.lrc=lyric", L"A\\folder.jpg=cover"});
    State.Options = OptionsOn("SavePlaylist IncludeDirectory SkipUnchanged CopyCompanions");
    Run();
    MarkCopy(target + L"A\\folder.jpg");
    MarkCopy(target + L"A\\a.lrc");
    WriteBytes(source + L"A\\a.lrc", "lyrics, corrected");
    Run();
    EXPECT_EQ(ReadBytes(target + L"A\\folder.jpg"), "KKKKK") << "left alone";
    EXPECT_EQ(ReadBytes(target + L"A\\a.lrc"), "lyrics, corrected");
    ASSERT_EQ(watcher.boxes.size(), 2u);
    EXPECT_EQ(watcher.boxes[0].text, L"All 1 files are already there and unchanged.");
}

// A copy that left the playlist goes with its lyrics, and a cover left alone in its folder goes
// with the folder; a playlist file with "/" between folders is read as well.
TEST_F(Companions, RemovedCopiesTakeTheirLyricsAndALoneCover)
{
    MakeSources({L"!A\\a.mp3=a", L"A\\a.lrc=l", L"!B\\b.mp3=b", L"B\\b.lrc=m", L"B\\folder.jpg=c",
                 L"!B\\c.mp3=c"});
    State.Options = OptionsOn("SavePlaylist IncludeDirectory RemoveDropped CopyCompanions PlaylistSlashes");
    Run();
    ASSERT_EQ(ListFiles(target), (std::vector<std::wstring>{L"A\\a.lrc", L"A\\a.mp3", L"B\\b.lrc", L"B\\b.mp3",
                                                            L"B\\c.mp3", L"B\\folder.jpg", L"playlist.m3u"}));
    EXPECT_EQ(ListedPaths(ReadBytes(target + L"playlist.m3u"), CP_ACP),
              (std::vector<std::wstring>{L"A/a.mp3", L"B/b.mp3", L"B/c.mp3"}));
    host->playlist.erase(host->playlist.begin() + 1, host->playlist.end());
    State.PlaylistCount = 1;
    Run();
    EXPECT_EQ(ListFiles(target), (std::vector<std::wstring>{L"A\\a.lrc", L"A\\a.mp3", L"playlist.m3u"}));
    EXPECT_FALSE(FileExists(target + L"B")) << "the folder went with its last copy";
    ASSERT_FALSE(watcher.boxes.empty());
    EXPECT_EQ(watcher.boxes[0].text, L"Remove 2 copies that are no longer in the playlist?");
}

// A cover the stick has no room for is removed like a cut song, and the songs' word says
// nothing of it.
TEST_F(Companions, ACutCoverIsRemovedAndNotCounted)
{
    std::string why;
    std::wstring drive = SmallDrive(&why);
    if (drive.empty())
        GTEST_SKIP() << "no small drive to fill: " << why;
    std::wstring small = FolderOn(drive);
    MakeSources({L"!A\\a.mp3=a", L"A\\folder.jpg=" + std::wstring(1200 * 1024, L'c')});
    State.Options = OptionsOn("SavePlaylist IncludeDirectory CopyCompanions");
    Run(small);
    EXPECT_EQ(ListFiles(small), (std::vector<std::wstring>{L"A\\a.mp3", L"playlist.m3u"}));
    for (const CapturedBox& box : watcher.boxes)
        EXPECT_EQ(box.text.find(L"could not be copied"), std::wstring::npos) << Utf8(box.text);
}

// --- On real sticks, through the player --------------------------------------------------------

class CompanionsOnAStick : public StickFixture {};

// Cover art and lyrics go with the songs, and the playlist file separates folders with "/";
// kept in step, the second run copies nothing.
TEST_P(CompanionsOnAStick, CoverAndLyricsGoWithTheirSongs)
{
    TimeLimit limit("copying cover art and lyrics onto a stick", StickTestLimit);
    std::wstring target = drive + L"t\\";
    CreateFolders(target);
    const std::vector<Hostile> songs = {{L"Album\\01 Rain.flac", L"A", L"Album/01 Rain.flac"},
                                        {L"Album\\02 Sun.mp3", L"B", L"Album/02 Sun.mp3"}};
    SetHostilePlaylist(songs);
    WriteBytes(folder + L"Album\\01 Rain.LRC", "[00:01.00]Rain");
    WriteBytes(folder + L"Album\\Folder.jpg", "cover");
    const std::map<int, bool> boxes = {{SavePlaylistBox, true}, {SaveM3U8Box, true},
                                       {NumberFilenamesBox, false}, {IncludeDirectoryBox, true},
                                       {SkipUnchangedBox, true}, {CopyCompanionsBox, true},
                                       {PlaylistSlashesBox, true}};
    for (int run = 0; run < 2; ++run) {
        if (run == 1 && !GetParam().replacesFiles)
            DeleteFileW((target + L"playlist.m3u8").c_str());
        SaveAsRun copy = CopyThroughTheDialog(boxes, target);
        ASSERT_TRUE(copy.pressed && !copy.refused);
        EXPECT_EQ(ListFiles(target),
                  (std::vector<std::wstring>{L"Album\\01 Rain.flac", L"Album\\01 Rain.lrc",
                                             L"Album\\02 Sun.mp3", L"Album\\Folder.jpg", L"playlist.m3u8"}));
        EXPECT_EQ(ReadBytes(target + L"Album\\01 Rain.lrc"), "[00:01.00]Rain");
        EXPECT_EQ(ReadBytes(target + L"Album\\Folder.jpg"), "cover");
        EXPECT_EQ(ListedPaths(ReadBytes(target + L"playlist.m3u8"), CP_UTF8),
                  (std::vector<std::wstring>{songs[0].copy, songs[1].copy}));
    }
    ASSERT_EQ(watcher.boxes.size(), 2u);
    EXPECT_EQ(watcher.boxes[1].text, L"All 2 files are already there and unchanged.");
}

INSTANTIATE_TEST_SUITE_P(Sticks, CompanionsOnAStick, ::testing::ValuesIn(Sticks), NameOfCase());

}  // namespace
