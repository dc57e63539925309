// End to end through the DLL, against the ways the player answers that a kinder host would
// hide: one buffer for every path and title, whichever thread asks; lengths it has not read
// yet; the current entry moved by reading them; strings through one buffer per thread; no
// main menu from 281 with -1 on older hosts; 1 for a request it does not know.
#include <gtest/gtest.h>
#include <map>
#include "hostsim/save_as_driver.h"
#include "resources/resource_ids.h"
#include "support/product_fixture.h"

namespace {

// The boxes of the first seven options, with the three namings given.
std::map<int, bool> Boxes(bool numbers, bool titles, bool folders)
{
    return {{SavePlaylistBox, true},     {SaveM3U8Box, false},          {NumberFilenamesBox, numbers},
            {UsePlaylistTitleBox, titles}, {IncludeDirectoryBox, folders}, {SkipUnchangedBox, false},
            {RemoveDroppedBox, false}};
}

class PlayerAnswers : public SongsFixture {
protected:
    SaveAsRun Copy(const std::map<int, bool>& boxes) { return Copy(boxes, target); }
    SaveAsRun Copy(const std::map<int, bool>& boxes, const std::wstring& into)
    {
        SaveAsRun copy = CopyThroughTheDialog(boxes, into);
        EXPECT_TRUE(copy.pressed && !copy.refused);
        return copy;
    }
};

// A title asked after the path used to take the path's place: the copies got the wrong files
// or none.
TEST_F(PlayerAnswers, TitlesWithParentFoldersAndNumbersNameTheRightFiles)
{
    ASSERT_EQ(Start(), 0);
    host->playlist = {{Song(L"Alpha\\a.mp3", "first"), L"First Song", 61},
                      {Song(L"Beta\\b.ogg", "second"), L"Second Song", 62},
                      {Song(L"Gamma\\c.flac", "third"), L"Third", 63}};
    SaveAsRun copy = Copy(Boxes(true, true, true));

    EXPECT_EQ(copy.title, L"Select location to save files to...");
    EXPECT_EQ(ReadBytes(target + L"Alpha\\1_First Song.mp3"), "first");
    EXPECT_EQ(ReadBytes(target + L"Beta\\2_Second Song.ogg"), "second");
    EXPECT_EQ(ReadBytes(target + L"Gamma\\3_Third.flac"), "third");
    EXPECT_EQ(ReadBytes(target + L"playlist.m3u"),
              "#EXTM3U\r\n#EXTINF:61,First Song\r\nAlpha\\1_First Song.mp3\r\n"
              "#EXTINF:62,Second Song\r\nBeta\\2_Second Song.ogg\r\n"
              "#EXTINF:63,Third\r\nGamma\\3_Third.flac\r\n");
}

// A file without a title tag takes the playlist's title, asked after its path.
TEST_F(PlayerAnswers, TagsWithoutATitleTakeThePlaylistsTitleForTheRightFile)
{
    ASSERT_EQ(Start(), 0);
    std::wstring a = Song(L"a.mp3", "untitled"), b = Song(L"b.mp3", "titled");
    host->playlist = {{a, L"Shown A", 61}, {b, L"Shown B", 62}};
    host->fileTags[a] = TagsOf(L"artist=Ann|album=First|track=1");
    host->fileTags[b] = TagsOf(L"artist=Ann|album=First|track=2|title=Tagged");
    std::map<int, bool> boxes = Boxes(false, false, false);
    boxes[NameByTagsBox] = true;
    Copy(boxes);

    EXPECT_EQ(ReadBytes(target + L"Ann\\First\\01 Shown A.mp3"), "untitled");
    EXPECT_EQ(ReadBytes(target + L"Ann\\First\\02 Tagged.mp3"), "titled");
}

// Users copy while they listen: playing or paused, the player's 105 answers the playing song's
// length (SimPlayingLengthSeconds) whatever entry is current, and moving the current entry
// changes what plays next. Each entry's length comes from its reader then, and the user's entry
// stays; stopped, the stored lengths are read by making each entry current, and the user's comes
// back. An entry the player has not read and no reader takes is -1 every way.
TEST_F(PlayerAnswers, LengthsAreTheEntriesOwnWhetherThePlayerPlaysIsPausedOrStopped)
{
    ASSERT_EQ(Start(), 0);
    host->playlist = {{Song(L"a.mp3", "a"), L"A", 61}, {Song(L"b.mp3", "b"), L"B", 0},
                      {Song(L"c.mp3", "c"), L"C", 0}};
    host->playlist[1].unread = host->playlist[2].unread = true;
    host->playlist[2].readable = false;
    host->fileTags[host->playlist[1].path] = TagsOf(L"length=183500");
    const struct {
        const wchar_t* name;
        bool playing, paused;
    } states[] = {{L"playing", true, false}, {L"paused", true, true}, {L"stopped", false, false}};
    for (const auto& state : states) {
        host->playing = state.playing;
        host->paused = state.paused;
        host->position = 1;
        host->log.clear();
        std::wstring into = target + state.name + L"\\";
        CreateFolders(into);
        Copy(Boxes(false, false, false), into);

        EXPECT_EQ(ReadBytes(into + L"playlist.m3u"),
                  "#EXTM3U\r\n#EXTINF:61,A\r\na.mp3\r\n#EXTINF:184,B\r\nb.mp3\r\n"
                  "#EXTINF:-1,C\r\nc.mp3\r\n") << state.name;
        EXPECT_EQ(host->position, 1) << state.name;
        EXPECT_EQ(CountRequests(host, SetPlaylistPositionCode) > 0, !state.playing) << state.name;
        EXPECT_FALSE(host->playing) << state.name << ": the playlist file stops it";
    }
}

// Hosts of 2008 answer null for the menu holder; the main menu itself still takes the command.
TEST_F(PlayerAnswers, WithoutTheMenuHolderTheCommandStillLandsInTheMainMenu)
{
    host->menuHolderUnknown = true;
    ASSERT_EQ(Start(), 0);
    std::vector<UINT> ids = MenuIds(HostFirstSubmenu(host));
    ASSERT_EQ(ids.size(), 14u);
    EXPECT_EQ(ids[9], HostCommand);
    EXPECT_EQ(ids[10], 0u);
}

// A host that does not know the settings folder or the readers answers 1: no text is read from
// it. The options live for the session, and names come from the playlist.
TEST_F(PlayerAnswers, RequestsTheHostDoesNotKnowGiveNoText)
{
    host->unknownRequests = {IniDirectoryCode, FileMetadataCode};
    ASSERT_EQ(Start(), 0);
    host->playlist = {{Song(L"a.mp3", "a"), L"Shown A", 61}};
    std::map<int, bool> boxes = Boxes(false, false, false);
    boxes[NameByTagsBox] = true;
    Copy(boxes);

    EXPECT_EQ(ListFiles(target), (std::vector<std::wstring>{L"Shown A.mp3", L"playlist.m3u"}));
    EXPECT_EQ(ListFiles(folder + L"Plugins\\"), std::vector<std::wstring>{}) << "no settings file";
}

// --- The size counter while the user works ------------------------------------------------

const int LongPlaylist = 10000;
const int DistinctSongs = 20;

// The counter counts a long playlist while Save is pressed at once, and the run (or the room
// question) asks paths and titles meanwhile, on the other thread.
class CountWhileSaving : public PlayerAnswers {
protected:
    // Each song k (1 to 20) is k times 4 KiB, so that a size read for another entry shows.
    void LongPlaylistOfSongs(bool missingBetween)
    {
        std::vector<std::wstring> songs;
        for (int k = 1; k <= DistinctSongs; ++k)
            songs.push_back(Song(L"s" + std::to_wstring(k) + L".mp3", std::string(k * 4096, 'a' + k)));
        host->playlist.clear();
        for (int i = 0; i < LongPlaylist; ++i) {
            bool present = !missingBetween || i % 1000 == 0;
            std::wstring path = present ? songs[(size_t)(i % DistinctSongs)]
                                        : music + L"gone" + std::to_wstring(i) + L".mp3";
            host->playlist.push_back({path, L"Title " + std::to_wstring(i), 60});
        }
    }

    // Save at once, with every box after the Save As window answered `answer`.
    SaveAsRun SaveAtOnce(const std::wstring& into, const std::map<int, bool>& boxes, int answer,
                         std::wstring* finalTotal)
    {
        SaveAsRun copy;
        copy.browseTo = {into};
        copy.setBoxes = boxes;
        copy.fileName = into + L"ignored.name";
        copy.button = IDOK;
        copy.waitForFinalTotal = false;
        copy.closePatience = 60000;
        // Back in the dialog after a No, the user waits for the count and leaves.
        copy.whileOpen = [finalTotal](HWND saveAs, HWND area) {
            if (!finalTotal || !IsWindowEnabled(saveAs) || !ShowsFinalTotal(area))
                return false;
            *finalTotal = ControlText(area, SizeReadout);
            return true;
        };
        PlayTheCommand(&copy, answer);
        return copy;
    }
};

// 10,000 entries of 20 songs, 500 times each: 420,000 KiB. Saved onto a drive of 1 MiB, the
// room question comes while the counter counts; back in the dialog the count ends right.
TEST_F(CountWhileSaving, TheCountIsRightWhenTheRoomIsWeighedWhileItRuns)
{
    std::string why;
    std::wstring drive = SmallDrive(&why);
    if (drive.empty())
        GTEST_SKIP() << "no small drive to fill: " << why;
    TimeLimit limit("counting while the room is weighed", 120);
    ASSERT_EQ(Start(), 0);
    LongPlaylistOfSongs(false);
    std::wstring small = FolderOn(drive);
    for (int round = 0; round < 3; ++round) {
        std::wstring total;
        SaveAsRun copy = SaveAtOnce(small, Boxes(true, false, false), IDCANCEL, &total);
        ASSERT_TRUE(copy.pressed) << round;
        ASSERT_EQ(watcher.boxes.size(), 2u) << round << ": the Save As window and the question";
        EXPECT_EQ(watcher.boxes[1].text.substr(0, 16), L"The copies need ") << round;
        EXPECT_EQ(total, L"410.2 MiB") << round;
        EXPECT_EQ(ListFiles(small), std::vector<std::wstring>{}) << round;
    }
}

// Saved at once while the count runs, with titles: each of the ten songs there is copies its
// own file under its own title, whatever the counter asked meanwhile.
TEST_F(CountWhileSaving, SavingAtOnceCopiesTheRightFiles)
{
    TimeLimit limit("copying while counting", 120);
    ASSERT_EQ(Start(), 0);
    LongPlaylistOfSongs(true);
    for (int round = 0; round < 3; ++round) {
        std::wstring into = target + L"round" + std::to_wstring(round) + L"\\";
        CreateFolders(into);
        SaveAsRun copy = SaveAtOnce(into, Boxes(true, true, false), IDOK, nullptr);
        ASSERT_TRUE(copy.pressed && !copy.refused) << round;
        std::vector<std::wstring> expected;
        for (int i = 0; i < LongPlaylist; i += 1000) {
            wchar_t name[32];
            wsprintfW(name, L"%05d_Title %d.mp3", i + 1, i);
            expected.push_back(name);
            EXPECT_EQ(ReadBytes(into + name), ReadBytes(host->playlist[(size_t)i].path)) << round;
        }
        expected.push_back(L"playlist.m3u");
        EXPECT_EQ(ListFiles(into), expected) << round;
    }
}

}  // namespace
