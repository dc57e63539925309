#include <string>
#include "copy/playlist_file.h"
#include "support/case_names.h"
#include "support/plugin_fixture.h"

namespace {

const std::wstring Emoji = L"\xD83D\xDE00";  // U+1F600, a surrogate pair

class PlaylistFile : public PluginFixture {
protected:
    // Runs `write` on a fresh file and returns what landed in it.
    template <typename Write>
    std::string Written(Write write)
    {
        std::wstring path = folder + L"out.m3u";
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        write(file);
        CloseHandle(file);
        return ReadBytes(path);
    }
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

TEST_F(PlaylistFile, HeaderCarriesAMarkOnlyInUtf8)
{
    std::wstring path = folder + L"playlist.m3u";
    for (int m3u8 = 0; m3u8 <= 1; ++m3u8) {
        State.Options.SaveM3U8 = m3u8;
        HANDLE file = CreatePlaylistWithHeader(path.c_str());
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
        EXPECT_EQ(ReadBytes(path), m3u8 ? "\xEF\xBB\xBF#EXTM3U\r\n" : "#EXTM3U\r\n");
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
    SetPlaylist({{L"D:\\a.mp3", L"First", 11}, c.entry, {L"D:\\c.mp3", L"Third", 33}});
    State.Options.SaveM3U8 = c.saveM3U8;
    State.Options.PlaylistSlashes = c.playlistSlashes;
    std::string bytes = Written([&](HANDLE file) { WritePlaylistEntry(file, 1, c.entry.path.c_str(), c.relative); });
    EXPECT_EQ(bytes, ToCodePage(c.expected, c.saveM3U8 ? CP_UTF8 : CP_ACP));
    EXPECT_EQ(host->position, 1) << "the entry stays the host's current one";
}

SimEntry Entry(const std::wstring& title, int seconds, bool hasTitle = true)
{
    SimEntry entry{L"D:\\Music\\b.mp3", title, seconds};
    entry.hasTitle = hasTitle;
    return entry;
}

// Longer than any one conversion, within what the module keeps of a title; and longer than that.
const std::wstring LongTitle = std::wstring(700, L'T') + Emoji + std::wstring(300, L'\x00e9');
const std::wstring OverlongTitle = std::wstring(HostTextCapacity - 2, L'T') + Emoji + L"rest";

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
    {"overlong title cut before its pair", 1, Entry(OverlongTitle, 1), L"b.mp3",
     L"#EXTINF:1," + std::wstring(HostTextCapacity - 2, L'T') + L"\r\nb.mp3\r\n"},
    // A title never makes a line of its own: every control character is written as a space.
    {"line breaks in a title", 1, Entry(L"Two\r\n#EXTINF:1,x\r\nC:\\Windows\\win.ini\t\x1F!", 3), L"b.mp3",
     L"#EXTINF:3,Two  #EXTINF:1,x  C:\\Windows\\win.ini  !\r\nb.mp3\r\n"},
    {"pair across pieces of a title", 1, Entry(std::wstring(345, L'T') + Emoji + L"\n", 2), L"b.mp3",
     L"#EXTINF:2," + std::wstring(345, L'T') + Emoji + L" \r\nb.mp3\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Cases, PlaylistEntries, ::testing::ValuesIn(EntryCases), NameOfCase());

TEST_F(PlaylistFile, EntryAsksPositionThenLengthThenTitle)
{
    SetPlaylist({{L"D:\\a.mp3", L"A", 1}, {L"D:\\b.mp3", L"B", 2}});
    Written([](HANDLE file) { WritePlaylistEntry(file, 1, L"D:\\b.mp3", L"b.mp3"); });
    std::vector<LPARAM> expected = {SetPlaylistPositionCode, CurrentTrackLengthCode, PlaylistTitleCode};
    EXPECT_EQ(LoggedRequests(host), expected);
}

}  // namespace
