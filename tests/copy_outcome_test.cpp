#include <string>
#include <vector>
#include "copy/copy_outcome.h"
#include "support/case_names.h"
#include "support/plugin_fixture.h"

namespace {

// Lists as a run hands them to the shell, from pairs of paths.
struct PairLists {
    std::vector<wchar_t> sources, destinations;
    CopyLists lists = {};

    PairLists(const std::vector<std::pair<std::wstring, std::wstring>>& pairs, bool keptInStep)
    {
        for (const auto& pair : pairs) {
            sources.insert(sources.end(), pair.first.begin(), pair.first.end());
            sources.push_back(0);
            destinations.insert(destinations.end(), pair.second.begin(), pair.second.end());
            destinations.push_back(0);
        }
        sources.push_back(0);
        destinations.push_back(0);
        lists.sourceList = sources.data();
        lists.destinationList = destinations.data();
        lists.entries = (int)pairs.size();
        lists.keepsInStep = keptInStep;
    }
};

class CopyOutcomeTest : public PluginFixture {};

// What stood at a destination before the shell copy, and what the shell did to it.
enum class Before { Absent, OtherFile, SameSizeFile, TheSource };
enum class Shell { Nothing, WroteWhole, WroteCut, OnlyTouched };

struct CutCase {
    const char* name;
    Before before;
    Shell shell;
    bool inPlace;
    const char* left;  // what the destination holds afterwards; null: no file
};

void PrintTo(const CutCase& c, std::ostream* out) { *out << c.name; }

const std::string SourceBytes = "the whole song";

const CutCase CutCases[] = {
    {"copied whole", Before::Absent, Shell::WroteWhole, true, "the whole song"},
    {"cut where nothing was", Before::Absent, Shell::WroteCut, false, nullptr},
    {"never begun", Before::Absent, Shell::Nothing, false, nullptr},
    {"replace declined", Before::OtherFile, Shell::Nothing, false, "an older file"},
    {"replace cut", Before::OtherFile, Shell::WroteCut, false, nullptr},
    {"replace declined, a file of the same size", Before::SameSizeFile, Shell::Nothing, true, "same size, no!"},
    {"rewritten to the same size", Before::OtherFile, Shell::OnlyTouched, false, nullptr},
    {"a source of the run is never removed", Before::TheSource, Shell::WroteCut, false, "the wh"},
};

class CutCopies : public CopyOutcomeTest, public ::testing::WithParamInterface<CutCase> {};

TEST_P(CutCopies, OnlyWhatTheShellLeftCutGoes)
{
    const CutCase& c = GetParam();
    std::wstring source = folder + L"source.mp3", other = folder + L"other.mp3";
    WriteBytes(source, SourceBytes);
    WriteBytes(other, "another source");
    std::wstring destination = c.before == Before::TheSource ? other : folder + L"copy.mp3";
    if (c.before == Before::OtherFile)
        WriteBytes(destination, "an older file");
    if (c.before == Before::SameSizeFile)
        WriteBytes(destination, "same size, no!");
    // The other source is copied too, so that it is one of the run's.
    PairLists pairs({{source, destination}, {other, folder + L"second.mp3"}}, false);

    CopyOutcome outcome = NoteDestinations(pairs.lists);
    ASSERT_NE(outcome.copies, nullptr);
    WriteBytes(folder + L"second.mp3", "another source");
    if (c.shell == Shell::WroteWhole)
        WriteBytes(destination, SourceBytes);
    if (c.shell == Shell::WroteCut)
        WriteBytes(destination, SourceBytes.substr(0, 6));
    if (c.shell == Shell::OnlyTouched) {
        FILETIME later = {0xFFFFFFFF, 0x01FFFFFF};
        HANDLE file = CreateFileW(destination.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        SetFileTime(file, nullptr, nullptr, &later);
        CloseHandle(file);
    }

    EXPECT_EQ(CheckCopies(&outcome, pairs.lists), c.inPlace ? 0u : 1u);
    EXPECT_EQ(outcome.copies[0].inPlace != 0, c.inPlace);
    EXPECT_TRUE(outcome.copies[1].inPlace);
    EXPECT_EQ(FileExists(destination), c.left != nullptr);
    if (c.left) {
        EXPECT_EQ(ReadBytes(destination), c.left);
    }
    FreeCopyOutcome(&outcome);
}

INSTANTIATE_TEST_SUITE_P(Cases, CutCopies, ::testing::ValuesIn(CutCases), NameOfCase());

// The playlist file a run wrote, and the outcome of its copies: only the entries whose copies
// are in place stay, with their lines as they were.
struct RewriteCase {
    const char* name;
    bool keptInStep;
    UINT codePage;
    std::vector<std::wstring> entries;  // the path lines, in playlist order
    std::vector<std::pair<std::wstring, bool>> handed;  // the shell's destinations, in place or not
    std::vector<std::wstring> kept;
};

void PrintTo(const RewriteCase& c, std::ostream* out) { *out << c.name; }

const std::wstring Greek = L"\x039A\x03B1\x03BB\x03B7\x03BC\x03AD\x03C1\x03B1";

const RewriteCase RewriteCases[] = {
    {"in playlist order", false, CP_UTF8, {L"a.mp3", L"b.mp3", L"c.mp3"},
     {{L"a.mp3", true}, {L"b.mp3", false}, {L"c.mp3", true}}, {L"a.mp3", L"c.mp3"}},
    {"a name twice, the second not in place", false, CP_UTF8, {L"a.mp3", L"a.mp3"},
     {{L"a.mp3", true}, {L"a.mp3", false}}, {L"a.mp3"}},
    {"none in place", false, CP_ACP, {L"a.mp3", L"b.mp3"}, {{L"a.mp3", false}, {L"b.mp3", false}}, {}},
    // In step, copies left out as unchanged are not handed to the shell and are there; an entry
    // listed twice shares its copy.
    {"kept in step", true, CP_UTF8, {L"old.mp3", L"new.mp3", Greek + L"\\x.mp3", L"new.mp3", L"gone.mp3"},
     {{L"new.mp3", true}, {Greek + L"\\x.mp3", true}, {L"gone.mp3", false}},
     {L"old.mp3", L"new.mp3", Greek + L"\\x.mp3", L"new.mp3"}},
    {"kept in step, ANSI, any case", true, CP_ACP, {L"A.mp3", L"b.mp3"}, {{L"a.MP3", false}, {L"b.mp3", true}},
     {L"b.mp3"}},
    {"kept in step, / between folders", true, CP_UTF8, {Greek + L"/x.mp3", Greek + L"/y.mp3"},
     {{Greek + L"\\x.mp3", true}, {Greek + L"\\y.mp3", false}}, {Greek + L"/x.mp3"}},
};

// A playlist file as a run writes it; each entry's title is its path, so that an entry's two
// lines are the same wherever it stands.
std::string PlaylistOf(const std::vector<std::wstring>& paths, UINT codePage)
{
    std::string bytes = codePage == CP_UTF8 ? "\xEF\xBB\xBF#EXTM3U\r\n" : "#EXTM3U\r\n";
    for (const std::wstring& path : paths)
        bytes += "#EXTINF:1," + ToCodePage(path, codePage) + "\r\n" + ToCodePage(path, codePage) + "\r\n";
    return bytes;
}

class PlaylistRewrite : public CopyOutcomeTest, public ::testing::WithParamInterface<RewriteCase> {};

// Each copy handed to the shell has a source of its own size; a copy in place is written whole,
// the others never begun.
TEST_P(PlaylistRewrite, ListsOnlyTheCopiesInPlace)
{
    const RewriteCase& c = GetParam();
    std::wstring playlist = folder + (c.codePage == CP_UTF8 ? L"playlist.m3u8" : L"playlist.m3u");
    WriteBytes(playlist, PlaylistOf(c.entries, c.codePage));
    CreateFolders(folder + Greek);
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    for (size_t i = 0; i < c.handed.size(); ++i) {
        std::wstring source = folder + L"source" + std::to_wstring(i);
        WriteBytes(source, std::string(i + 1, 's'));
        pairs.push_back({source, folder + c.handed[i].first});
    }
    PairLists lists(pairs, c.keptInStep);
    CopyOutcome outcome = NoteDestinations(lists.lists);
    ASSERT_NE(outcome.copies, nullptr);
    for (size_t i = 0; i < c.handed.size(); ++i)
        if (c.handed[i].second)
            WriteBytes(folder + c.handed[i].first, std::string(i + 1, 's'));
    CheckCopies(&outcome, lists.lists);
    for (const auto& copy : c.handed)
        EXPECT_TRUE(!copy.second || FileExists(folder + copy.first)) << "a copy in place is never removed";

    ListOnlyCopiesInPlace(outcome, lists.lists, {&playlist[0], (int)folder.size()}, c.codePage);
    EXPECT_EQ(ReadBytes(playlist), PlaylistOf(c.kept, c.codePage));
    FreeCopyOutcome(&outcome);
}

INSTANTIATE_TEST_SUITE_P(Cases, PlaylistRewrite, ::testing::ValuesIn(RewriteCases), NameOfCase());

}  // namespace
