#include <gtest/gtest.h>
#include <string>
#include "naming/name_template.h"
#include "plan/copy_plan.h"
#include "run/make_plan.h"
#include "support/case_names.h"
#include "support/plugin_fixture.h"

namespace {

struct ProblemCase {
    const wchar_t* text;
    TemplateProblem problem;
};

TEST(NameTemplate, ProblemsAreFoundBeforeAnyCopy)
{
    const ProblemCase cases[] = {
        {L"%albumartist%\\%album%\\[%tracknumber% ]%title%", TemplateProblem::None},
        {L"%ARTIST% - %Title%", TemplateProblem::None},
        {L"[[%album%\\]%discnumber%-]%filename%", TemplateProblem::None},
        {L"plain text", TemplateProblem::None},
        {L"", TemplateProblem::Empty},
        {L"   ", TemplateProblem::Empty},
        {L"%composer%\\%title%", TemplateProblem::UnknownField},
        {L"%%", TemplateProblem::UnknownField},
        {L"%title", TemplateProblem::OpenPercent},
        {L"100% %title%", TemplateProblem::UnknownField},
        {L"[%title%", TemplateProblem::OpenBracket},
        {L"[[%title%]", TemplateProblem::OpenBracket},
        {L"%title%]", TemplateProblem::OpenBracket},
    };
    for (const ProblemCase& c : cases)
        EXPECT_EQ(CheckNameTemplate(c.text), c.problem) << Utf8(c.text);
}

struct NamingCase {
    const char* name;
    const wchar_t* nameTemplate;
    const wchar_t* tags;   // null: no reader
    const wchar_t* title;  // the playlist's
    const char* options;   // besides NameByTags
    const wchar_t* copy;   // below the target
};

void PrintTo(const NamingCase& c, std::ostream* out) { *out << c.name; }

const wchar_t Default[] = L"%albumartist%\\%album%\\[%tracknumber% ]%title%";
const wchar_t Full[] = L"artist=Alpha|albumartist=Alpha Band|album=First|title=Rain|track=3|"
                       L"disc=1/2|year=2009|genre=Rock";

const NamingCase NamingCases[] = {
    {"every default field", Default, Full, L"T", "", L"Alpha Band\\First\\03 Rain.mp3"},
    {"number in front of the file name", Default, Full, L"T", "NumberFilenames",
     L"Alpha Band\\First\\1_03 Rain.mp3"},
    {"field names without case", L"%ARTIST%\\%Year% %GENRE%", Full, L"T", "", L"Alpha\\2009 Rock.mp3"},
    {"artist falls back on album artist", L"%artist%", L"albumartist=Beta", L"T", "", L"Beta.mp3"},
    {"album artist falls back on artist", L"%albumartist%", L"artist=Gamma", L"T", "", L"Gamma.mp3"},
    {"title falls back on the playlist's", L"%title%", L"artist=A", L"Shown Title", "", L"Shown Title.mp3"},
    {"then on the file's name", L"%title%", L"artist=A", L"", "", L"source.mp3"},
    {"no reader at all", Default, nullptr, L"Shown", "", L"Shown.mp3"},
    {"file name field", L"%album%\\%filename%", Full, L"T", "", L"First\\source.mp3"},
    {"track of a set, padded", L"%tracknumber%", L"track=3/12", L"T", "", L"03.mp3"},
    {"two digits stay", L"%tracknumber%", L"track=12", L"T", "", L"12.mp3"},
    {"three digits stay", L"%tracknumber%", L"track=112", L"T", "", L"112.mp3"},
    {"disc number unpadded", L"%discnumber%-%title%", Full, L"T", "", L"1-Rain.mp3"},
    {"brackets without a value go", L"[%tracknumber% ]%title%", L"title=Rain", L"T", "", L"Rain.mp3"},
    {"a fallback counts as a value", L"[%artist% - ]%title%", L"albumartist=Band|title=Rain", L"T", "",
     L"Band - Rain.mp3"},
    {"nested brackets", L"%album%[ (%year%[, %genre%])]", L"album=A|year=1999", L"T", "", L"A (1999).mp3"},
    {"a level in brackets", L"[%album%\\]%title%", L"title=Rain", L"T", "", L"Rain.mp3"},
    {"separators in values", L"%artist%\\%album%\\%title%", L"artist=AC/DC|album=Back\\Black|title=x: y",
     L"T", "", L"AC-DC\\Back_Black\\x- y.mp3"},
    {"control characters become spaces", L"%title%", L"title=Tab\there", L"T", "", L"Tab here.mp3"},
    {"the ANSI playlist file's rule", L"%artist%\\%title%", L"artist=\x039A\x03B1|title=Rain", L"T",
     "SavePlaylist", L"__\\Rain.mp3"},
    {"empty level left out", L"%genre%\\%album%\\%title%", L"album=A|title=B", L"T", "", L"A\\B.mp3"},
    {"spaces at the ends go", L"%album%\\%title%", L"album=  Spaced  |title= Rain ", L"T", "",
     L"Spaced\\Rain.mp3"},
    {"empty file name takes the source's", L"%album%\\%genre%", L"album=A", L"T", "", L"A\\source.mp3"},
    {"device and dotted folders", L"%artist%\\%album%\\%title%", L"artist=CON|album=Vol. 2.|title=nul",
     L"T", "", L"CON_\\Vol. 2\\nul_.mp3"},
    {"only the file name is cut", L"%album%\\%title%",
     L"album=A|title=TTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTT"
     L"TTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTT"
     L"TTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTT",
     L"T", "", nullptr},
};

class TagNaming : public PluginFixture, public ::testing::WithParamInterface<NamingCase> {
protected:
    void SetUp() override
    {
        PluginFixture::SetUp();
        ConnectServices();
        source = folder + L"source.mp3";
        WriteBytes(source, "x");
    }

    // The relative part the one entry's copy gets below `target`, or "(none)".
    std::wstring CopyOf(const std::wstring& target)
    {
        std::vector<wchar_t> path(target.begin(), target.end());
        path.resize(PathCapacity, 0);
        CopyPlan plan;
        EXPECT_TRUE(MakeCopyPlan({path.data(), (int)target.size()}, &plan));
        std::wstring copy = plan.songCount ? RelativeDestination(plan, plan.copies[0]) : L"(none)";
        FreeCopyPlan(&plan);
        return copy;
    }

    std::wstring source;
};

TEST_P(TagNaming, CopyIsNamedByTheTemplate)
{
    const NamingCase& c = GetParam();
    SetPlaylist({{source, c.title, 1}});
    if (c.tags)
        host->fileTags[source] = TagsOf(c.tags);
    State.Options = OptionsOn(std::string("NameByTags ") + c.options);
    wcscpy(State.Options.NameTemplate, c.nameTemplate);
    std::wstring copy = CopyOf(L"E:\\Stick\\");
    if (c.copy) {
        EXPECT_EQ(copy, c.copy);
    } else {
        EXPECT_EQ(copy.substr(0, 2), L"A\\");
        EXPECT_EQ(copy.size(), MostPathLength - 9) << "a path of 259 units";
        EXPECT_EQ(copy.substr(copy.size() - 4), L".mp3");
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, TagNaming, ::testing::ValuesIn(NamingCases), NameOfCase());

// Past the limits the file name is cut first, then the folders from the deepest; the target,
// the number and the extension never.
TEST_F(TagNaming, DeepTargetsCutTheFileNameThenTheDeepestFolder)
{
    SetPlaylist({{source, L"T", 1}});
    host->fileTags[source] = TagsOf((L"artist=" + std::wstring(100, L'a') + L"|album=" +
                                     std::wstring(100, L'b') + L"|title=" + std::wstring(100, L't'))
                                        .c_str());
    State.Options = OptionsOn("NameByTags NumberFilenames");
    wcscpy(State.Options.NameTemplate, L"%artist%\\%album%\\%title%");
    struct Case {
        size_t targetLength;
        std::wstring copy;
    } cases[] = {
        // The title takes what is left of 259.
        {9, std::wstring(100, L'a') + L"\\" + std::wstring(100, L'b') + L"\\1_" + std::wstring(42, L't') + L".mp3"},
        {40, std::wstring(100, L'a') + L"\\" + std::wstring(100, L'b') + L"\\1_" + std::wstring(11, L't') + L".mp3"},
        // The folders to create may take 247: the deepest is cut.
        {60, std::wstring(100, L'a') + L"\\" + std::wstring(86, L'b') + L"\\1_" + std::wstring(5, L't') + L".mp3"},
        // The deepest down to one unit, then the one above it.
        {240, L"aaaaa\\b\\1_ttttt.mp3"},
        // No folder can be made there; the file name alone would fit, but not its folders.
        {250, L"(none)"},
    };
    for (const Case& c : cases) {
        std::wstring target = L"E:\\" + std::wstring(c.targetLength - 4, L'd') + L"\\";
        EXPECT_EQ(CopyOf(target), c.copy) << c.targetLength;
    }
}

// The plan asks each tag the template needs once an entry.
TEST_F(TagNaming, EachTagIsAskedOnceAnEntry)
{
    SetPlaylist({{source, L"T", 1}, {source, L"T", 2}});
    host->fileTags[source] = TagsOf(L"albumartist=Band|title=Rain");
    State.Options = OptionsOn("NameByTags");
    wcscpy(State.Options.NameTemplate, L"%artist%\\%artist% %title%\\[%album%]%title%");
    CopyOf(L"E:\\Stick\\");
    EXPECT_EQ(CountRequests(host, FileMetadataCode), 2u * 4u) << "artist, albumartist, title, album";
}

}  // namespace
