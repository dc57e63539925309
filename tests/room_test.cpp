// What fits on a drive too small for every copy, and the question the user is asked about it:
// through the DLL onto the small drive, in whole clusters, with the songs' companions and the
// playlist file's lines; and a plan weighed in the test program as the dialog weighs it.
#include <gtest/gtest.h>
#include <map>
#include "dialog/room_question.h"
#include "hostsim/dialog_watcher.h"
#include "hostsim/save_as_driver.h"
#include "plan/copy_plan.h"
#include "resources/resource_ids.h"
#include "room/room.h"
#include "run/make_plan.h"
#include "support/product_fixture.h"
#include "support/run_fixture.h"

namespace {

uint64_t Clusters(uint64_t bytes, uint64_t cluster) { return (bytes + cluster - 1) / cluster * cluster; }

class WhatFits : public PlanFixture {
protected:
    void SetUp() override
    {
        PlanFixture::SetUp();
        std::string why;
        std::wstring drive = SmallDrive(&why);
        if (drive.empty())
            GTEST_SKIP() << "no small drive to fill: " << why;
        stick = FolderOn(drive);
        DWORD sectors = 0, bytes = 0, free = 0, total = 0;
        ASSERT_TRUE(GetDiskFreeSpaceW(drive.c_str(), &sectors, &bytes, &free, &total));
        cluster = (uint64_t)sectors * bytes;
        // What the tests count on is the drive scripts/small-drive makes: 256 clusters of 4 KiB.
        ASSERT_EQ(cluster, 4096u);
        ASSERT_EQ(Free(), 256 * cluster) << "the small drive is not 1 MiB, all of it free";
    }

    uint64_t Free() const
    {
        ULARGE_INTEGER available = {};
        EXPECT_TRUE(GetDiskFreeSpaceExW(stick.c_str(), &available, nullptr, nullptr));
        return available.QuadPart;
    }

    std::wstring stick;
    uint64_t cluster = 0;
};

// Six songs of odd sizes onto the empty drive: Yes copies those that fit, taken in playlist
// order in whole clusters, and the playlist file lists them. Of the 256 clusters the playlist
// file takes one, a 76, b 125 and c 50, which leaves 4: d (5 clusters) would fit in bytes, not
// in clusters; e is left out, and f after it, 2.5 clusters rounded up to 3, still fits.
TEST_F(WhatFits, TheDriveIsFilledByWhatFitsInWholeClusters)
{
    ASSERT_EQ(Start(), 0);
    const std::pair<std::wstring, uint64_t> songs[] = {
        {L"a.mp3", 300 * 1024 + 1}, {L"b.mp3", 500 * 1024}, {L"c.mp3", 200 * 1024 - 7},
        {L"d.mp3", 20 * 1024}, {L"e.mp3", 400 * 1024 + 100}, {L"f.mp3", 10 * 1024 + 1}};
    for (const auto& song : songs)
        host->playlist.push_back({Song(song.first, song.second), song.first, 60});
    SaveAsRun copy = Save(stick, IDYES);

    ASSERT_TRUE(copy.pressed && !copy.refused);
    std::vector<CapturedBox> ours = OurBoxes();
    ASSERT_EQ(ours.size(), 1u) << "the question, and no copy failed";
    EXPECT_EQ(ours[0].buttons, (std::set<int>{IDYES, IDNO, IDCANCEL}));
    EXPECT_NE(ours[0].text.find(L"Yes: copy the 4 of 6 files that fit."), std::wstring::npos)
        << Utf8(ours[0].text);
    EXPECT_EQ(ListFiles(stick),
              (std::vector<std::wstring>{L"a.mp3", L"b.mp3", L"c.mp3", L"f.mp3", L"playlist.m3u"}));
    EXPECT_EQ(ListedPaths(ReadBytes(stick + L"playlist.m3u"), CP_ACP),
              (std::vector<std::wstring>{L"a.mp3", L"b.mp3", L"c.mp3", L"f.mp3"}));
}

// Three hundred songs of 100 bytes take a cluster each: more than the drive holds, though their
// bytes are a fraction of it. Listing 254 of them, the playlist file holds 7,409 bytes (9 of
// header, then 26 for each of s0 to s9, 28 to s99, 30 from s100 on): two clusters, and the
// 254 songs fill the rest.
TEST_F(WhatFits, SmallFilesTakeAClusterEach)
{
    ASSERT_EQ(Start(), 0);
    for (int i = 0; i < 300; ++i) {
        std::wstring name = L"s" + std::to_wstring(i) + L".mp3";
        host->playlist.push_back({Song(name, 100), name, 1});
    }
    Save(stick, IDYES);

    std::vector<CapturedBox> ours = OurBoxes();
    ASSERT_EQ(ours.size(), 1u);
    EXPECT_NE(ours[0].text.find(L"Yes: copy the 254 of 300 files that fit."), std::wstring::npos)
        << Utf8(ours[0].text);
    EXPECT_EQ(ListFiles(stick).size(), 255u) << "the songs that fit and the playlist file";
}

// A song goes with its lyrics and its folder's cover, or none of them: the second song and its
// lyrics do not fit after the first, the third and its lyrics do; the cover goes with the first.
TEST_F(WhatFits, SongsTakeTheirCompanionsOrLeaveThemOut)
{
    ASSERT_EQ(Start(), 0);
    const uint64_t k = 1024;
    uint64_t budget = Free() - cluster;
    uint64_t first = Clusters(budget / 3, cluster), cover = 4 * cluster;
    host->playlist = {{Song(L"a.mp3", first), L"A", 1}, {Song(L"b.mp3", budget / 2), L"B", 2},
                      {Song(L"c.mp3", 10 * k), L"C", 3}};
    Song(L"a.lrc", 2 * k);
    Song(L"b.lrc", budget / 4);
    Song(L"c.lrc", 3 * k);
    Song(L"cover.jpg", cover);
    SaveAsRun copy = Save(stick, IDYES, {{CopyCompanionsBox, true}});

    ASSERT_TRUE(copy.pressed && !copy.refused);
    ASSERT_EQ(OurBoxes().size(), 1u);
    EXPECT_NE(OurBoxes()[0].text.find(L"copy the 2 of 3 files"), std::wstring::npos);
    EXPECT_EQ(ListFiles(stick), (std::vector<std::wstring>{L"a.lrc", L"a.mp3", L"c.lrc", L"c.mp3",
                                                           L"cover.jpg", L"playlist.m3u"}));
    EXPECT_EQ(ListedPaths(ReadBytes(stick + L"playlist.m3u"), CP_ACP),
              (std::vector<std::wstring>{L"a.mp3", L"c.mp3"}));
}

// Copied all anyway, the drive fills while the playlist file is written: the file is not left
// looking whole, and a box says why.
TEST_F(WhatFits, APlaylistFileNotWrittenWholeIsToldAndRemoved)
{
    ASSERT_EQ(Start(), 0);
    for (int i = 0; i < 100; ++i)
        host->playlist.push_back({Song(L"e" + std::to_wstring(i) + L".mp3", 0), std::wstring(600, L't'), 1});
    // What is left holds a few clusters, not the playlist file's 60 KB.
    WriteBytes(stick + L"filler", std::string(Free() - 4 * cluster, 'f'));
    Save(stick, IDNO);

    std::vector<CapturedBox> ours = OurBoxes();
    ASSERT_EQ(ours.size(), 2u) << "the question, and the playlist file";
    EXPECT_EQ(ours[0].buttons, (std::set<int>{IDYES, IDNO, IDCANCEL}));
    const std::wstring said = L"The playlist file could not be written completely: ";
    EXPECT_EQ(ours[1].text.substr(0, said.size()), said);
    EXPECT_GT(ours[1].text.size(), said.size()) << "the system's reason";
    EXPECT_FALSE(FileExists(stick + L"playlist.m3u"));
    EXPECT_EQ(ListFiles(stick).size(), 101u) << "the songs and the filler";
}

// A language pack made before the selection and the question of what fits: no selection box,
// the whole playlist, and the module's own words in the pack's caption.
TEST_F(WhatFits, ALanguagePackWithoutTheNewTextsGetsTheModulesOwn)
{
    host->language = SimLanguage::Pack;
    host->languagePack = LanguagePack();
    ASSERT_NE(host->languagePack, nullptr);
    ASSERT_EQ(Start(), 0);
    host->playlist = {{Song(L"a.mp3", 300 * 1024), L"A", 1}, {Song(L"b.mp3", 900 * 1024), L"B", 2}};
    host->playlist[0].selected = true;
    bool selectionBox = true;
    SaveAsRun copy;
    copy.browseTo = {stick};
    copy.fileName = stick + L"x";
    copy.button = IDOK;
    copy.setBoxes = {{SavePlaylistBox, true}, {NumberFilenamesBox, false}};
    copy.onStep = [&selectionBox](HWND, HWND area) { selectionBox = GetDlgItem(area, OnlySelectedBox) != nullptr; };
    PlayTheCommand(&copy, IDYES);

    EXPECT_FALSE(selectionBox);
    std::vector<CapturedBox> ours = OurBoxes();
    ASSERT_EQ(ours.size(), 1u);
    EXPECT_EQ(ours[0].caption, L"Kopierer v1.11");
    EXPECT_NE(ours[0].text.find(L"Yes: copy the 1 of 2 files that fit."), std::wstring::npos);
    EXPECT_EQ(ListFiles(stick), (std::vector<std::wstring>{L"a.mp3", L"playlist.m3u"}));
}

// Kept in step, a changed song that no longer fits is left out and its old copy stays: it is
// still in the playlist, so it is never offered for removal; the playlist file lists what is
// there of this run's copies.
TEST_F(WhatFits, KeptInStepACopyLeftOutForRoomIsNeverALeftover)
{
    ASSERT_EQ(Start(), 0);
    host->playlist = {{Song(L"a.mp3", 100 * 1024), L"A", 1}, {Song(L"b.mp3", 100 * 1024), L"B", 2}};
    const std::map<int, bool> inStep = {{SkipUnchangedBox, true}, {RemoveDroppedBox, true}};
    Save(stick, IDYES, inStep);
    ASSERT_EQ(ReadBytes(stick + L"b.mp3").size(), 100u * 1024);
    Song(L"b.mp3", Free() + 300 * 1024);
    host->playlist.push_back({Song(L"c.mp3", 10 * 1024), L"C", 3});
    Save(stick, IDYES, inStep);

    std::vector<CapturedBox> ours = OurBoxes();
    ASSERT_EQ(ours.size(), 1u) << "the question, and no word of copies to remove";
    EXPECT_NE(ours[0].text.find(L"copy the 1 of 2 files"), std::wstring::npos) << Utf8(ours[0].text);
    EXPECT_EQ(ReadBytes(stick + L"b.mp3").size(), 100u * 1024) << "the old copy stays";
    EXPECT_EQ(ListedPaths(ReadBytes(stick + L"playlist.m3u"), CP_ACP),
              (std::vector<std::wstring>{L"a.mp3", L"c.mp3"}));
}

// 2 MiB and the playlist file's cluster do not fit a drive of 1 MiB, and nothing fits: the
// dialog asks whether to copy anyway, and No leaves the user in the dialog, where Cancel ends
// it with nothing written.
TEST_F(WhatFits, CopiesThatDoNotFitAreAskedAboutAndNoReturnsToTheDialog)
{
    ASSERT_EQ(Start(), 0);
    host->playlist = {{Song(L"big.mp3", std::string(2 * 1024 * 1024, 'b')), L"Big", 61}};
    SaveAsRun copy;
    copy.setBoxes[SavePlaylistBox] = true;
    copy.fileName = stick + L"ignored.name";
    copy.button = IDOK;
    DialogHandler saveAs = DriveSaveAs(&copy);
    watcher.handler = [&](HWND dialog) {
        if (saveAs(dialog))
            return true;
        PressButton(dialog, IDNO);
        PostMessageW(copy.saveAs, WM_COMMAND, IDCANCEL, 0);
        return true;
    };
    SendToHost(WM_COMMAND, HostCommand);

    ASSERT_EQ(watcher.boxes.size(), 2u);
    const CapturedBox& question = watcher.boxes[1];
    EXPECT_EQ(question.caption, L"Corvelle v1.11");
    EXPECT_EQ(question.text.substr(0, 34), L"The copies need 2.1 MiB, but only ");
    EXPECT_EQ(question.owner, copy.saveAs);
    EXPECT_EQ(question.buttons, (std::set<int>{IDYES, IDNO}));
    EXPECT_TRUE(host->playing) << "nothing of the run began";
    EXPECT_EQ(ListFiles(stick), std::vector<std::wstring>{});
}

// --- Weighed when the user confirms a target ---------------------------------------------------

class RoomQuestion : public RunFixture {};

TEST_F(RoomQuestion, CopiesThatDoNotFitAreAskedAboutOnConfirmation)
{
    // The question says nothing of entries left out: the run tells them.
    WriteBytes(source + L"big.mp3", std::string(2 * 1024 * 1024, 'b'));
    SetPlaylist({{source + L"big.mp3", L"Big", 1}, {source + L"gone.mp3", L"Gone", 2}});
    State.Options = OptionsOn("");
    HWND owner = host->window;
    watcher.handler = [](HWND dialog) {
        PressButton(dialog, IDNO);
        return true;
    };
    // The plan for a folder, weighed as the dialog weighs it when the user confirms it.
    auto confirm = [owner](const std::wstring& folder) {
        std::wstring confirmed = folder + L"x";
        CopyPlan plan;
        EXPECT_TRUE(MakeCopyPlan({&confirmed[0], (int)folder.size()}, &plan));
        bool confirmedThere = ConfirmRoom(owner, &plan);
        FreeCopyPlan(&plan);
        return confirmedThere;
    };
    EXPECT_TRUE(confirm(target));
    EXPECT_TRUE(watcher.boxes.empty()) << "plenty of room";

    std::string why;
    std::wstring drive = SmallDrive(&why);
    if (drive.empty())
        GTEST_SKIP() << "no small drive to fill: " << why;
    // Tests of both widths share the drive: each asks in a folder of its own.
    std::wstring small = FolderOn(drive);
    EXPECT_FALSE(confirm(small));
    ASSERT_EQ(watcher.boxes.size(), 1u);
    EXPECT_EQ(watcher.boxes[0].text.substr(0, 16), L"The copies need ");
    EXPECT_NE(watcher.boxes[0].text.find(L"2.0 MiB, but only "), std::wstring::npos) << Utf8(watcher.boxes[0].text);
    EXPECT_EQ(watcher.boxes[0].owner, owner);
    EXPECT_EQ(watcher.boxes[0].buttons, (std::set<int>{IDYES, IDNO}));
    EXPECT_EQ(ListFiles(small), std::vector<std::wstring>{}) << "nothing written";
}

}  // namespace
