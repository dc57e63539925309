// The plan of a copy through the DLL: what fits on a drive that is too small, in whole
// clusters, with the songs' companions; only the selected entries; a playlist file that cannot
// be written whole; no plan at all.
#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include "host/host_link.h"
#include "hostsim/save_as_driver.h"
#include "plan/copy_plan.h"
#include "resources/resource_ids.h"
#include "run/make_plan.h"
#include "support/product_fixture.h"

namespace {

class PlanFixture : public SongsFixture {
protected:
    // The user saves into `target` at once with the first seven boxes as given (numbers,
    // titles, folders off unless asked) and every later box answered `answer`.
    SaveAsRun Save(const std::wstring& target, int answer, std::map<int, bool> boxes = {})
    {
        std::map<int, bool> all = {{SavePlaylistBox, true}, {SaveM3U8Box, false},
                                   {NumberFilenamesBox, false}, {UsePlaylistTitleBox, false},
                                   {IncludeDirectoryBox, false}, {SkipUnchangedBox, false},
                                   {RemoveDroppedBox, false}};
        for (const auto& box : boxes)
            all[box.first] = box.second;
        return CopyThroughTheDialog(all, target, answer);
    }

    // The boxes of ours (not the Save As window, not the shell's).
    std::vector<CapturedBox> OurBoxes() const
    {
        std::vector<CapturedBox> ours;
        for (const CapturedBox& box : watcher.boxes)
            if (box.caption == L"Corvelle v1.11" || box.caption == L"Kopierer v1.11")
                ours.push_back(box);
        return ours;
    }

};

// --- What fits ---------------------------------------------------------------------------

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
    }

    uint64_t Free() const
    {
        ULARGE_INTEGER available = {};
        EXPECT_TRUE(GetDiskFreeSpaceExW(stick.c_str(), &available, nullptr, nullptr));
        return available.QuadPart;
    }

    // The playlist file's clusters for `bytes`: one at least.
    uint64_t PlaylistClusters(uint64_t bytes) const
    {
        return std::max(Clusters(bytes, cluster), cluster);
    }

    // Songs of the playlist, each titled by its name and of `seconds`, taken in order while
    // they fit what is free with their lines in the playlist file: their names.
    std::vector<std::wstring> Fitting(const std::vector<std::pair<std::wstring, uint64_t>>& songs,
                                      int seconds)
    {
        uint64_t lines = 9;  // "#EXTM3U" and its line break
        int64_t budget = (int64_t)Free() - (int64_t)PlaylistClusters(lines);
        std::vector<std::wstring> taken;
        for (const auto& song : songs) {
            std::string name = Utf8(song.first);
            uint64_t more = ("#EXTINF:" + std::to_string(seconds) + "," + name + "\r\n" + name + "\r\n").size();
            int64_t takes = (int64_t)Clusters(song.second, cluster) +
                            (int64_t)(PlaylistClusters(lines + more) - PlaylistClusters(lines));
            if (takes > budget)
                continue;
            budget -= takes;
            lines += more;
            taken.push_back(song.first);
        }
        return taken;
    }

    std::wstring stick;
    uint64_t cluster = 0;
};

// Six songs of odd sizes onto a drive of 1 MiB: Yes copies those that fit, taken in playlist
// order in whole clusters (a large one left out does not stop smaller ones after it), and the
// playlist file lists them.
TEST_F(WhatFits, TheDriveIsFilledByWhatFitsInWholeClusters)
{
    ASSERT_EQ(Start(), 0);
    const std::vector<std::pair<std::wstring, uint64_t>> songs = {
        {L"a.mp3", 300 * 1024 + 1}, {L"b.mp3", 500 * 1024}, {L"c.mp3", 200 * 1024 - 7},
        {L"d.mp3", 100 * 1024}, {L"e.mp3", 400 * 1024 + 100}, {L"f.mp3", 50 * 1024 + 1}};
    for (const auto& song : songs)
        host->playlist.push_back({Song(song.first, song.second), song.first, 60});
    std::vector<std::wstring> fitting = Fitting(songs, 60);
    ASSERT_GT(fitting.size(), 0u);
    ASSERT_LT(fitting.size(), songs.size());
    SaveAsRun copy = Save(stick, IDYES);

    ASSERT_TRUE(copy.pressed && !copy.refused);
    std::vector<CapturedBox> ours = OurBoxes();
    ASSERT_EQ(ours.size(), 1u) << "the question, and no copy failed";
    EXPECT_EQ(ours[0].buttons, (std::set<int>{IDYES, IDNO, IDCANCEL}));
    std::wstring offer = L"Yes: copy the " + std::to_wstring(fitting.size()) + L" of 6 files that fit.";
    EXPECT_NE(ours[0].text.find(offer), std::wstring::npos) << Utf8(ours[0].text);
    std::vector<std::wstring> expected = fitting;
    expected.push_back(L"playlist.m3u");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ListFiles(stick), expected);
    EXPECT_EQ(ListedPaths(ReadBytes(stick + L"playlist.m3u"), CP_ACP), fitting);
}

// Three hundred songs of 100 bytes take a cluster each: more than the drive holds, though their
// bytes are a fraction of it; the playlist file listing those that fit takes more than one.
TEST_F(WhatFits, SmallFilesTakeAClusterEach)
{
    ASSERT_EQ(Start(), 0);
    std::vector<std::pair<std::wstring, uint64_t>> songs;
    for (int i = 0; i < 300; ++i) {
        songs.push_back({L"s" + std::to_wstring(i) + L".mp3", 100});
        host->playlist.push_back({Song(songs.back().first, 100), songs.back().first, 1});
    }
    size_t fitting = Fitting(songs, 1).size();
    ASSERT_LT(fitting, songs.size());
    Save(stick, IDYES);

    std::vector<CapturedBox> ours = OurBoxes();
    ASSERT_EQ(ours.size(), 1u);
    std::wstring offer = L"Yes: copy the " + std::to_wstring(fitting) + L" of 300 files that fit.";
    EXPECT_NE(ours[0].text.find(offer), std::wstring::npos) << Utf8(ours[0].text);
    EXPECT_EQ(ListFiles(stick).size(), fitting + 1);
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

// --- No plan ------------------------------------------------------------------------------

void* __cdecl NoMemory(size_t) { return nullptr; }

// Without memory for the plan nothing is copied and the playlist file keeps what it listed; the
// system says why, and the dialog stays open.
TEST_F(PlanFixture, WithoutAPlanThePreviousPlaylistFileStays)
{
    std::wstring target = folder + L"target\\";
    CreateFolders(target);
    const std::string before = "#EXTM3U\r\n#EXTINF:1,Old\r\nold.mp3\r\n";
    WriteBytes(target + L"playlist.m3u", before);
    host->playlist = {{Song(L"a.mp3", 10), L"A", 1}};
    ASSERT_EQ(Start(), 0);
    ASSERT_NE(ReplaceImport(plugin.module, "msvcrt.dll", "malloc", (void*)NoMemory), nullptr);
    SaveAsRun copy;
    copy.browseTo = {target};
    copy.fileName = target + L"x";
    copy.button = IDOK;
    copy.closePatience = 1500;
    PlayTheCommand(&copy, IDOK);

    EXPECT_TRUE(copy.refused) << "the dialog stays open";
    wchar_t reason[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   ERROR_NOT_ENOUGH_MEMORY, 0, reason, 512, nullptr);
    std::wstring said = reason;
    while (!said.empty() && (said.back() == L'\n' || said.back() == L'\r'))
        said.pop_back();
    ASSERT_EQ(OurBoxes().size(), 1u);
    EXPECT_EQ(OurBoxes()[0].text, said);
    EXPECT_EQ(ReadBytes(target + L"playlist.m3u"), before);
    EXPECT_EQ(ListFiles(target), std::vector<std::wstring>{L"playlist.m3u"});
}

// --- Only the selected entries --------------------------------------------------------------

class Selection : public PlanFixture {
protected:
    // The box and the read-outs at the first step, then ticked by a click.
    struct Seen {
        bool enabled = false, ticked = true, removeDroppedAfter = true;
        std::wstring label, countAfter, sizeAfter;
    };

    void ClickTheSelectionBox(SaveAsRun* copy, Seen* seen)
    {
        copy->onStep = [seen](HWND, HWND area) {
            HWND box = GetDlgItem(area, OnlySelectedBox);
            if (!seen->label.empty() || !box)
                return;
            seen->label = WindowTextOf(box);
            seen->enabled = IsWindowEnabled(box) != FALSE;
            seen->ticked = IsDlgButtonChecked(area, OnlySelectedBox) == BST_CHECKED;
            if (seen->enabled)
                SendMessageW(box, BM_CLICK, 0, 0);
            seen->removeDroppedAfter = IsWindowEnabled(GetDlgItem(area, RemoveDroppedBox)) != FALSE;
        };
    }
};

// Three of 10,000 entries selected: the box offers them, the count and the size follow it, the
// copies keep their playlist numbers and the playlist file lists only them. The selection is
// not stored.
TEST_F(Selection, ThreeOfTenThousandEntries)
{
    ASSERT_EQ(Start(), 0);
    std::wstring other = Song(L"other.mp3", 10 * 1024), target = folder + L"target\\";
    CreateFolders(target);
    for (int i = 0; i < 10000; ++i)
        host->playlist.push_back({other, L"Other", 1});
    const int picked[] = {17, 4242, 9999};
    for (int n = 0; n < 3; ++n) {
        int i = picked[n];
        host->playlist[(size_t)i] = {Song(L"s" + std::to_wstring(i) + L".mp3", (size_t)(n + 1) * 100 * 1024),
                                     L"Song " + std::to_wstring(i), 60 + n};
        host->playlist[(size_t)i].selected = true;
    }
    Seen seen;
    SaveAsRun copy;
    copy.browseTo = {target};
    copy.fileName = target + L"x";
    copy.button = IDOK;
    copy.setBoxes = {{SavePlaylistBox, true}, {NumberFilenamesBox, true}, {RemoveDroppedBox, true}};
    ClickTheSelectionBox(&copy, &seen);
    PlayTheCommand(&copy, IDOK);

    EXPECT_EQ(seen.label, L"Only the 3 &selected entries");
    EXPECT_TRUE(seen.enabled);
    EXPECT_FALSE(seen.ticked) << "clear at every opening";
    EXPECT_FALSE(seen.removeDroppedAfter) << "a selection is not the playlist";
    EXPECT_EQ(copy.countText, L"3");
    EXPECT_EQ(copy.sizeText, L"0.6 MiB");
    EXPECT_EQ(ListFiles(target), (std::vector<std::wstring>{L"00018_s17.mp3", L"04243_s4242.mp3",
                                                            L"10000_s9999.mp3", L"playlist.m3u"}));
    EXPECT_EQ(ReadBytes(target + L"playlist.m3u"),
              "#EXTM3U\r\n#EXTINF:60,Song 17\r\n00018_s17.mp3\r\n#EXTINF:61,Song 4242\r\n"
              "04243_s4242.mp3\r\n#EXTINF:62,Song 9999\r\n10000_s9999.mp3\r\n");
    EXPECT_EQ(ReadBytes(SettingsFile()).find("Selected"), std::string::npos);
}

// The box is offered for some but not all entries, by a host that tells them.
TEST_F(Selection, TheBoxIsOfferedOnlyForSomeOfTheEntries)
{
    struct Case {
        const char* name;
        std::vector<bool> selected;
        bool unknownToTheHost;
        bool offered;
    } cases[] = {
        {"one of three", {false, true, false}, false, true},
        {"none", {false, false, false}, false, false},
        {"all", {true, true, true}, false, false},
        {"a host that does not know the requests", {false, true, false}, true, false},
    };
    ASSERT_EQ(Start(), 0);
    std::wstring song = Song(L"a.mp3", 1);
    for (const Case& c : cases) {
        host->playlist.clear();
        for (bool selected : c.selected) {
            host->playlist.push_back({song, L"A", 1});
            host->playlist.back().selected = selected;
        }
        host->unknownRequests.clear();
        if (c.unknownToTheHost)
            host->unknownRequests = {SelectedCountCode, NextSelectedCode};
        Seen seen;
        SaveAsRun look;
        look.button = IDCANCEL;
        ClickTheSelectionBox(&look, &seen);
        PlayTheCommand(&look, IDOK);
        EXPECT_EQ(seen.enabled, c.offered) << c.name;
        EXPECT_EQ(look.countText, c.offered ? L"1" : L"3") << c.name;
    }
}

// --- Each entry's fate --------------------------------------------------------------------

class CopyPlanTest : public PluginFixture {
protected:
    void SetUp() override
    {
        PluginFixture::SetUp();
        ConnectServices();
        target = folder + L"out\\";
        CreateFolders(target);
    }

    // The plan for `into` (the target folder, or a deeper one), with the options given.
    void Plan(const char* options, const std::wstring& into, CopyPlan* plan)
    {
        State.Options = OptionsOn(options);
        std::wstring path = into + L"x";
        ASSERT_TRUE(MakeCopyPlan({&path[0], (int)into.size()}, plan));
    }

    std::vector<EntryFate> Fates(const CopyPlan& plan)
    {
        std::vector<EntryFate> fates;
        for (uint32_t i = 0; i < plan.entryCount; ++i)
            fates.push_back(plan.entries[i].fate);
        return fates;
    }

    std::wstring target;
};

// Why each entry is or is not copied; the left out are noted for the one box, in order.
TEST_F(CopyPlanTest, EachEntryHasItsFate)
{
    std::wstring present = folder + L"a.mp3";
    WriteBytes(present, "a");
    CreateFolders(folder + L"album\\");
    SetPlaylist({{present, L"A", 1}, {folder + L"gone.mp3", L"G", 2}, {folder + L"album", L"F", 3},
                 {L"", L"N", 4}});
    CopyPlan plan;
    Plan("SavePlaylist", target, &plan);
    EXPECT_EQ(Fates(plan), (std::vector<EntryFate>{EntryFate::Copied, EntryFate::Missing,
                                                   EntryFate::Folder, EntryFate::Missing}));
    EXPECT_EQ(plan.songCount, 1u);
    EXPECT_EQ(plan.skipped.count, 3u);
    EXPECT_EQ(std::wstring(PlanText(plan, plan.entries[0].title)), L"A");
    EXPECT_EQ(plan.entries[0].seconds, 1);
    FreeCopyPlan(&plan);

    // A target so deep that no name fits.
    std::wstring deep = target + std::wstring(255 - target.size(), L'd') + L"\\";
    Plan("NumberFilenames", deep, &plan);
    EXPECT_EQ(Fates(plan)[0], EntryFate::NoName);
    FreeCopyPlan(&plan);
}

// Kept in step, a file listed twice is one copy, and a copy already there unchanged stays out
// of the shell's way; the playlist still lists it.
TEST_F(CopyPlanTest, KeptInStepAFileIsOneCopyAndAnUnchangedOneStays)
{
    std::wstring song = folder + L"a.mp3", other = folder + L"b.mp3";
    WriteBytes(song, "a");
    WriteBytes(other, "b");
    WriteBytes(target + L"a.mp3", "a");
    SetPlaylist({{song, L"A", 1}, {other, L"B", 2}, {song, L"A again", 3}});
    CopyPlan plan;
    Plan("SavePlaylist SkipUnchanged", target, &plan);
    EXPECT_EQ(Fates(plan), (std::vector<EntryFate>{EntryFate::Unchanged, EntryFate::Copied,
                                                   EntryFate::Unchanged}));
    EXPECT_EQ(plan.songCount, 2u);
    EXPECT_EQ(plan.entries[2].song, plan.entries[0].song);
    EXPECT_EQ(FindCopyBySource(plan, (folder + L"B.MP3").c_str()), plan.entries[1].song);
    EXPECT_EQ(FindCopyByDestination(plan, (target + L"b.mp3").c_str()), plan.entries[1].song);
    FreeCopyPlan(&plan);
}

// The selected entries alone, walked in playlist order.
TEST_F(CopyPlanTest, OnlyTheSelectedEntries)
{
    std::vector<SimEntry> entries;
    for (int i = 0; i < 6; ++i) {
        WriteBytes(folder + std::to_wstring(i) + L".mp3", "x");
        entries.push_back({folder + std::to_wstring(i) + L".mp3", L"T", 1});
        entries.back().selected = i == 1 || i == 4;
    }
    SetPlaylist(entries);
    State.SelectedCount = SelectedEntryCount(State.PlaylistCount);
    ASSERT_EQ(State.SelectedCount, 2);
    CopyPlan plan;
    State.Options = OptionsOn("NumberFilenames");
    State.Options.OnlySelected = 1;
    std::wstring path = target + L"x";
    ASSERT_TRUE(MakeCopyPlan({&path[0], (int)target.size()}, &plan));
    ASSERT_EQ(plan.entryCount, 2u);
    EXPECT_EQ(plan.entries[0].index, 1);
    EXPECT_EQ(std::wstring(RelativeDestination(plan, plan.copies[plan.entries[1].song])), L"5_4.mp3");
    FreeCopyPlan(&plan);
}

}  // namespace
