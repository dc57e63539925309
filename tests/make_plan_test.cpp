// Making the plan of a copy: no plan at all without memory, only the selected entries, through
// the DLL; each entry's fate, a file kept in step, in the test program.
#include <gtest/gtest.h>
#include "host/host_link.h"
#include "hostsim/save_as_driver.h"
#include "plan/copy_plan.h"
#include "resources/resource_ids.h"
#include "run/make_plan.h"
#include "support/product_fixture.h"

namespace {

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

// The host may answer any count. One past what this width can plan for fails as no memory does,
// before a block is made that a wrapped size would leave too small: with companions, its copies
// outnumber what 32 bits count on either width; without, on i686 its records pass 4 GiB.
TEST_F(CopyPlanTest, ACountPastWhatTheWidthHoldsIsNoMemory)
{
    const struct {
        const char* options;
        bool thisWidth;
    } cases[] = {{"SavePlaylist SkipUnchanged RemoveDropped CopyCompanions NameByTags", true},
                 {"SavePlaylist NumberFilenames", sizeof(void*) == 4}};
    State.PlaylistCount = 0x7FFFFFFF;
    for (const auto& c : cases) {
        if (!c.thisWidth)
            continue;
        State.Options = OptionsOn(c.options);
        std::wstring path = target + L"x";
        CopyPlan plan;
        EXPECT_FALSE(MakeCopyPlan({&path[0], (int)target.size()}, &plan)) << c.options;
        EXPECT_EQ(plan.entries, nullptr);
        EXPECT_EQ(plan.texts, nullptr);
    }
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
