#include <string>
#include <vector>
#include "playlist/playlist_file.h"
#include "playlist/playlist_file_internal.h"
#include "support/case_names.h"
#include "support/plugin_fixture.h"

namespace {

const std::wstring Emoji = L"\xD83D\xDE00";  // U+1F600, a surrogate pair

// A plan made by hand, of entries whose copies are in place, for the file written from it.
struct HandMadePlan {
    CopyPlan plan = {};
    std::vector<PlannedEntry> entries;
    std::vector<PlannedCopy> copies;
    std::wstring texts;

    HandMadePlan(const std::wstring& target, size_t folderLength) : texts(target + L'\0')
    {
        wcscpy(plan.target, target.c_str());
        plan.folderLength = (int)folderLength;
        plan.writesPlaylist = true;
    }

    // An entry with a title (none: NoText) and a length, copied to `relative` below the target.
    void Add(const std::wstring* title, int seconds, const std::wstring& relative,
             EntryFate fate = EntryFate::Copied, bool inPlace = true)
    {
        uint32_t destination = (uint32_t)texts.size();
        texts += std::wstring(plan.target, (size_t)plan.folderLength) + relative + L'\0';
        uint32_t titleAt = title ? (uint32_t)texts.size() : NoText;
        if (title)
            texts += *title + L'\0';
        copies.push_back({0, destination, 1, NoCopy, NoCopy, false, fate == EntryFate::Unchanged, false, inPlace,
                          0, NoCopy, false, 0});
        entries.push_back({(int32_t)entries.size(), fate, (uint32_t)copies.size() - 1, titleAt, seconds, 0});
    }

    const CopyPlan& Done()
    {
        plan.entries = entries.data();
        plan.entryCount = (uint32_t)entries.size();
        plan.copies = copies.data();
        plan.copyCount = plan.songCount = (uint32_t)copies.size();
        plan.texts = &texts[0];
        return plan;
    }
};

class PlaylistFile : public PluginFixture {
protected:
    // Writes the file from `plan` at its target and returns what landed in it.
    std::string Written(const CopyPlan& plan)
    {
        DWORD error = 1;
        EXPECT_EQ(WritePlaylistFile(plan, &error), PlaylistWrite::Written);
        EXPECT_EQ(error, 0u);
        return ReadBytes(plan.target);
    }

    std::wstring Target() const { return folder + L"playlist.m3u"; }
};

TEST_F(PlaylistFile, NothingToConvertGivesTheEmptyText)
{
    const wchar_t* rest = L"x";
    const wchar_t* small = (const wchar_t*)(ULONG_PTR)0x10000;
    for (const wchar_t* text : {(const wchar_t*)nullptr, small, L""}) {
        State.NarrowBuffer[0] = 'x';
        EXPECT_STREQ(NarrowText(text, CP_UTF8, &rest), "");
        EXPECT_EQ(rest, nullptr);
    }
}

TEST_F(PlaylistFile, ShortTextIsConvertedWhole)
{
    const wchar_t* rest = L"x";
    EXPECT_STREQ(NarrowText(L"Caf\x00e9 " L"\xD83D\xDE00", CP_UTF8, &rest),
                 "Caf\xC3\xA9 \xF0\x9F\x98\x80");
    EXPECT_EQ(rest, nullptr);
}

// Texts whose converted form is far beyond the 1,040-byte buffer, with surrogate pairs at
// every possible piece boundary: the pieces together are exactly the whole conversion.
TEST_F(PlaylistFile, LongTextIsConvertedInPiecesThatKeepPairsTogether)
{
    for (UINT codePage : {(UINT)CP_UTF8, (UINT)CP_ACP}) {
        for (int lead = 0; lead < 4; ++lead) {
            std::wstring text(lead, L'a');
            for (int i = 0; i < 1500; ++i)
                text += i % 3 ? Emoji : std::wstring(L"\x00e9");
            std::string joined;
            int pieces = 0;
            for (const wchar_t* at = text.c_str(); at; ++pieces) {
                const char* narrow = NarrowText(at, codePage, &at);
                ASSERT_LT(strlen(narrow), (size_t)NarrowBufferSize);
                joined += narrow;
                if (at) {
                    ASSERT_FALSE(IS_LOW_SURROGATE(*at)) << "a pair split at piece " << pieces;
                }
            }
            EXPECT_GT(pieces, 1);
            EXPECT_EQ(joined, ToCodePage(text, codePage)) << "code page " << codePage << " lead " << lead;
        }
    }
}

// The file is written anew over what was there, with a mark only in UTF-8.
TEST_F(PlaylistFile, HeaderCarriesAMarkOnlyInUtf8)
{
    WriteBytes(Target(), std::string(5000, 'o'));
    for (int m3u8 = 0; m3u8 <= 1; ++m3u8) {
        State.Options.SaveM3U8 = m3u8;
        HandMadePlan plan(Target(), folder.size());
        EXPECT_EQ(Written(plan.Done()), m3u8 ? "\xEF\xBB\xBF#EXTM3U\r\n" : "#EXTM3U\r\n");
    }
}

struct EntryCase {
    const char* name;
    int saveM3U8;
    SimEntry entry;
    const wchar_t* relative;
    std::wstring expected;  // converted in the case's code page
    int playlistSlashes = 0;
};

void PrintTo(const EntryCase& c, std::ostream* out) { *out << c.name; }

class PlaylistEntries : public PlaylistFile, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(PlaylistEntries, TwoLinesPerEntry)
{
    const EntryCase& c = GetParam();
    State.Options.SaveM3U8 = c.saveM3U8;
    State.Options.PlaylistSlashes = c.playlistSlashes;
    HandMadePlan plan(Target(), folder.size());
    plan.Add(c.entry.hasTitle ? &c.entry.title : nullptr, c.entry.lengthSeconds, c.relative);
    std::string header = c.saveM3U8 ? "\xEF\xBB\xBF#EXTM3U\r\n" : "#EXTM3U\r\n";
    const CopyPlan& done = plan.Done();
    std::string written = Written(done);
    EXPECT_EQ(written, header + ToCodePage(c.expected, c.saveM3U8 ? CP_UTF8 : CP_ACP));
    // What fits on the drive is weighed by these bytes before the file is written.
    EXPECT_EQ(PlaylistHeaderBytes() + PlaylistEntryBytes(done, done.entries[0]), written.size());
}

SimEntry Entry(const std::wstring& title, int seconds, bool hasTitle = true)
{
    SimEntry entry{L"D:\\Music\\b.mp3", title, seconds};
    entry.hasTitle = hasTitle;
    return entry;
}

// Longer than any one conversion, within what the module keeps of a title.
const std::wstring LongTitle = std::wstring(700, L'T') + Emoji + std::wstring(300, L'\x00e9');

const EntryCase EntryCases[] = {
    {"ansi", 0, Entry(L"Song", 215), L"Album\\02_b.mp3", L"#EXTINF:215,Song\r\nAlbum\\02_b.mp3\r\n"},
    {"slashes between folders", 1, Entry(L"A\\B", 215), L"Artist\\Album\\02_b.mp3",
     L"#EXTINF:215,A\\B\r\nArtist/Album/02_b.mp3\r\n", 1},
    {"utf8", 1, Entry(L"\x65e5\x672c " + Emoji, 5), L"b.mp3",
     L"#EXTINF:5,\x65e5\x672c " + Emoji + L"\r\nb.mp3\r\n"},
    {"negative length", 0, Entry(L"Stream", -1), L"b.mp3", L"#EXTINF:-1,Stream\r\nb.mp3\r\n"},
    {"empty title", 1, Entry(L"", 7), L"b.mp3", L"#EXTINF:7,\r\nb.mp3\r\n"},
    {"no title from the host", 0, Entry(L"", 7, false), L"b.mp3", L"#EXTINF:7,\r\nb.mp3\r\n"},
    {"long title, utf8", 1, Entry(LongTitle, 1), L"b.mp3", L"#EXTINF:1," + LongTitle + L"\r\nb.mp3\r\n"},
    {"long title, ansi", 0, Entry(LongTitle, 1), L"b.mp3", L"#EXTINF:1," + LongTitle + L"\r\nb.mp3\r\n"},
    // A title never makes a line of its own: every control character is written as a space.
    {"line breaks in a title", 1, Entry(L"Two\r\n#EXTINF:1,x\r\nC:\\Windows\\win.ini\t\x1F!", 3), L"b.mp3",
     L"#EXTINF:3,Two  #EXTINF:1,x  C:\\Windows\\win.ini  !\r\nb.mp3\r\n"},
    {"pair across pieces of a title", 1, Entry(std::wstring(511, L'T') + Emoji + L"\n", 2), L"b.mp3",
     L"#EXTINF:2," + std::wstring(511, L'T') + Emoji + L" \r\nb.mp3\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Cases, PlaylistEntries, ::testing::ValuesIn(EntryCases), NameOfCase());

// Only the copies that are there are listed: in place, or unchanged; in playlist order, an
// entry that shares its copy with another listed with it.
TEST_F(PlaylistFile, ListsTheCopiesThatAreThere)
{
    const std::wstring a = L"A", b = L"B", c = L"C", d = L"D";
    HandMadePlan plan(Target(), folder.size());
    plan.Add(&a, 1, L"a.mp3");
    plan.Add(&b, 2, L"b.mp3", EntryFate::Copied, false);
    plan.Add(&c, 3, L"c.mp3", EntryFate::Unchanged, false);
    plan.Add(&d, 4, L"d.mp3", EntryFate::DoesNotFit, false);
    plan.entries.push_back({4, EntryFate::Copied, 0, NoText, 5, 0});
    EXPECT_EQ(Written(plan.Done()), "#EXTM3U\r\n#EXTINF:1,A\r\na.mp3\r\n#EXTINF:3,C\r\nc.mp3\r\n"
                                    "#EXTINF:5,\r\na.mp3\r\n");
}

// A file that cannot be written whole is not left to look whole: it goes. One that cannot be
// created says so, and the folder stays as it was.
TEST_F(PlaylistFile, AFileNotWrittenWholeIsRemoved)
{
    std::string why;
    std::wstring drive = SmallDrive(&why);
    if (drive.empty())
        GTEST_SKIP() << "no small drive to fill: " << why;
    std::wstring there = FolderOn(drive);
    // Nearly all of the drive is taken, and the file needs far more than the rest.
    WriteBytes(there + L"filler", std::string(1024 * 1024 - 64 * 1024, 'f'));
    HandMadePlan plan(there + L"playlist.m3u", there.size());
    const std::wstring title(1000, L't');
    for (int i = 0; i < 200; ++i)
        plan.Add(&title, i, L"song" + std::to_wstring(i) + L".mp3");
    DWORD error = 0;
    EXPECT_EQ(WritePlaylistFile(plan.Done(), &error), PlaylistWrite::NotWhole);
    EXPECT_NE(error, 0u);
    EXPECT_FALSE(FileExists(there + L"playlist.m3u"));

    HandMadePlan nowhere(folder + L"missing\\playlist.m3u", folder.size() + 8);
    EXPECT_EQ(WritePlaylistFile(nowhere.Done(), &error), PlaylistWrite::NotOpened);
}

}  // namespace
