#include <string>
#include <vector>
#include "run/copy_outcome.h"
#include "support/case_names.h"
#include "support/plugin_fixture.h"

namespace {

// Lists as a run hands them to the shell, from pairs of paths.
struct PairLists {
    std::vector<wchar_t> sources, destinations;
    CopyLists lists = {};

    explicit PairLists(const std::vector<std::pair<std::wstring, std::wstring>>& pairs)
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
        lists.pairs = lists.songs = (uint32_t)pairs.size();
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
    PairLists pairs({{source, destination}, {other, folder + L"second.mp3"}});

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

}  // namespace
