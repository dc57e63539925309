#include <gtest/gtest.h>
#include <functional>
#include "host/host_link.h"
#include "host/host_link_internal.h"
#include "resources/resource_ids.h"
#include "support/plugin_fixture.h"

namespace {

class HostLinkTest : public PluginFixture {};

// The host's message numbers and wParams, written out as the host documents them, so that
// a slip in the module's named constants shows here.
TEST_F(HostLinkTest, EachRequestSendsTheHostsNumbers)
{
    SetPlaylist({{L"D:\\a.mp3", L"A", 7}, {L"D:\\b.mp3", L"B", 9}});
    struct {
        const char* name;
        std::function<void()> ask;
        WPARAM wParam;
        LPARAM code;
    } cases[] = {
        {"HostVersion", [&] { HostVersion(host->window); }, 0, 0},
        {"PlaylistLength", [] { PlaylistLength(); }, 0, 124},
        {"PlaylistFile", [] { wchar_t text[HostTextCapacity]; CopyPlaylistFile(1, text); }, 1, 214},
        {"PlaylistTitle", [] { wchar_t text[HostTextCapacity]; CopyPlaylistTitle(1, text); }, 1, 213},
        {"SetPlaylistPosition", [] { SetPlaylistPosition(1); }, 1, 121},
        {"PlaylistPosition", [] { PlaylistPosition(); }, 0, 125},
        {"CurrentTrackLength", [] { CurrentTrackLength(); }, 1, 105},
        {"PlayerIsStopped", [] { PlayerIsStopped(); }, 0, 104},
        {"PlaylistWindow", [] { PlaylistWindow(); }, 1, 260},
        {"HostMainMenu", [] { HostMainMenu(); }, (WPARAM)-1, 281},
        {"IniDirectory", [] { IniDirectory(); }, 0, 335},
        {"RegisterCommandId", [] { RegisterCommandId(); }, 0, 3019},
        {"ServiceRegistry", [] { ServiceRegistryAnswer(); }, 0, 3025},
    };
    for (const auto& c : cases) {
        host->log.clear();
        c.ask();
        ASSERT_EQ(host->log.size(), 1u) << c.name;
        EXPECT_EQ(host->log[0].message, (UINT)WM_USER) << c.name;
        EXPECT_EQ(host->log[0].wParam, c.wParam) << c.name;
        EXPECT_EQ(host->log[0].lParam, c.code) << c.name;
    }
}

TEST_F(HostLinkTest, AnswersComeBackAsTheHostGaveThem)
{
    SetPlaylist({{L"D:\\a.mp3", L"A", 7}, {L"D:\\b.mp3", L"B", 9}});
    host->version = 0x5066;
    EXPECT_EQ(HostVersion(host->window), 0x5066u);
    EXPECT_EQ(PlaylistLength(), 2);
    wchar_t path[HostTextCapacity], title[HostTextCapacity];
    ASSERT_TRUE(CopyPlaylistFile(1, path));
    ASSERT_TRUE(CopyPlaylistTitle(0, title));
    // Each answer is the module's own copy: asking the next does not change it.
    EXPECT_STREQ(path, L"D:\\b.mp3");
    EXPECT_STREQ(title, L"A");
    EXPECT_FALSE(CopyPlaylistFile(5, path));
    EXPECT_STREQ(path, L"");
    SetPlaylistPosition(1);
    EXPECT_EQ(PlaylistPosition(), 1);
    host->playing = false;
    EXPECT_EQ(CurrentTrackLength(), 9);
    EXPECT_EQ(PlaylistWindow(), host->playlistEditor);
    EXPECT_STREQ(IniDirectory(), host->iniDirectory.c_str());
    int first = RegisterCommandId();
    EXPECT_NE(RegisterCommandId(), first);
}

// A path that does not fit is refused, never cut: a cut one names another file. A title is cut
// to fit, keeping its surrogate pairs whole.
TEST_F(HostLinkTest, APathTooLongIsRefusedAndATitleCutWhole)
{
    const size_t most = HostTextCapacity - 1;
    std::wstring fits = L"D:\\" + std::wstring(most - 3, L'p');
    std::wstring pairAtTheCut = std::wstring(most - 1, L't') + L"\xD83C\xDFB5";
    SetPlaylist({{fits, L"", 1}, {fits + L"q", pairAtTheCut, 1}});
    wchar_t path[HostTextCapacity], title[HostTextCapacity];
    EXPECT_TRUE(CopyPlaylistFile(0, path));
    EXPECT_EQ(std::wstring(path), fits);
    EXPECT_FALSE(CopyPlaylistFile(1, path));
    EXPECT_TRUE(CopyPlaylistTitle(1, title));
    EXPECT_EQ(std::wstring(title), std::wstring(most - 1, L't'));
    EXPECT_FALSE(CopyPlaylistTitle(0, title)) << "an empty title is none";
}

// A host that does not know a request answers 1, and some requests answer -1 for none: neither
// is a text. 281 with -1 answers null on hosts of 2008, and 0 then names the main menu itself.
TEST_F(HostLinkTest, UnknownRequestsGiveNoTextAndTheMenuComesFromZero)
{
    host->playlist = {{L"D:\\a.mp3", L"A", 7}};
    host->fileTags[L"D:\\a.mp3"] = TagsOf(L"artist=Ann");
    const std::set<LPARAM> texts = {PlaylistFileCode, PlaylistTitleCode, IniDirectoryCode};
    wchar_t text[HostTextCapacity] = L"stale";
    for (bool none : {false, true}) {
        (none ? host->noneRequests : host->unknownRequests) = texts;
        EXPECT_FALSE(CopyPlaylistFile(0, text)) << none;
        EXPECT_FALSE(CopyPlaylistTitle(0, text)) << none;
        EXPECT_EQ(IniDirectory(), nullptr) << none;
        host->unknownRequests = host->noneRequests = {};
    }
    host->unknownRequests = {FileMetadataCode};
    wcscpy(text, L"stale");
    EXPECT_TRUE(FileMetadata(L"D:\\a.mp3", L"artist", text, 32)) << "1 reads as answered";
    EXPECT_STREQ(text, L"") << "but the cleared buffer holds no value";

    host->menuHolderUnknown = true;
    host->log.clear();
    EXPECT_EQ(HostMainMenu(), HostFirstSubmenu(host));
    ASSERT_EQ(host->log.size(), 2u);
    EXPECT_EQ(host->log[1].wParam, 0u);
    host->menuHolderUnknown = false;
    EXPECT_EQ(HostMainMenu(), HostFirstSubmenu(host));
}

enum class Player { Playing, Paused, Stopped };
const Player EveryState[] = {Player::Playing, Player::Paused, Player::Stopped};
const char* const StateNames[] = {"playing", "paused", "stopped"};

class EntryLengths : public HostLinkTest {
protected:
    void Put(Player state)
    {
        host->playing = state != Player::Stopped;
        host->paused = state == Player::Paused;
    }

    // The lengths of entries 1 and up, read as a plan reads them, from the user's entry 0.
    std::vector<int> Read(Player state)
    {
        Put(state);
        host->position = 0;
        host->log.clear();
        LengthReading reading = StartReadingLengths();
        std::vector<int> seconds;
        for (size_t i = 1; i < host->playlist.size(); ++i)
            seconds.push_back(EntryLength(&reading, (int)i, host->playlist[i].path.c_str()));
        EndReadingLengths(reading);
        return seconds;
    }
};

struct LengthCase {
    const char* name;
    bool unread;    // the player has no stored length
    bool readable;  // a reader takes the file
    const wchar_t* tags;  // the reader's fields beside the length of the file
    int seconds;
};

// Playing or paused, the player's 105 is the playing song's: every length comes from the
// entry's reader and the user's entry never moves. Stopped, the stored length, or the
// reader's where there is none, and the user's entry comes back. Each way gives the same.
TEST_F(EntryLengths, AreTheEntrysOwnWhateverThePlayerDoes)
{
    const LengthCase cases[] = {
        {"read", false, true, L"length=61400", 61},
        {"unread", true, true, L"length=183500", 184},
        {"unread_just_below_half", true, true, L"length=183499", 183},
        {"unread_length_of_the_file", true, true, nullptr, 61},
        {"unread_no_reader", true, false, nullptr, -1},
        {"unread_empty_length", true, true, L"artist=A|length=", -1},
        {"unread_not_a_number", true, true, L"length=3:05", -1},
        {"unread_negative", true, true, L"length=-1000", -1},
    };
    for (const LengthCase& c : cases)
        for (Player state : EveryState) {
            std::string name = std::string(c.name) + ", " + StateNames[(int)state];
            SetPlaylist({{L"D:\\x.mp3", L"X", 1}, {L"D:\\a.mp3", L"A", 61}});
            host->playlist[1].unread = c.unread;
            host->playlist[1].readable = c.readable;
            host->fileTags.clear();
            if (c.tags)
                host->fileTags[L"D:\\a.mp3"] = TagsOf(c.tags);
            EXPECT_EQ(Read(state), std::vector<int>{c.seconds}) << name;
            EXPECT_EQ(host->position, 0) << name;
            if (state != Player::Stopped) {
                EXPECT_EQ(CountRequests(host, SetPlaylistPositionCode), 0u) << name;
                EXPECT_EQ(CountRequests(host, CurrentTrackLengthCode), 0u) << name;
            }
        }
}

// Stopped, the lengths are the cheap stored ones; a player that starts between two entries
// answers the playing song's from then on, so its readers are asked instead.
TEST_F(EntryLengths, APlayerThatStartsOnTheWayIsNotAskedAgain)
{
    SetPlaylist({{L"D:\\x.mp3", L"X", 1}, {L"D:\\a.mp3", L"A", 61}, {L"D:\\b.mp3", L"B", 62},
                 {L"D:\\c.mp3", L"C", 63}});
    for (SimEntry& entry : host->playlist)
        entry.readable = false;
    host->playlist[3].readable = true;
    EXPECT_EQ(Read(Player::Stopped), (std::vector<int>{61, 62, 63}));
    EXPECT_EQ(CountRequests(host, CurrentTrackLengthCode), 3u);
    EXPECT_EQ(host->position, 0);

    // It starts once entry 1 is read, before the module asks again.
    host->onMessage = [](HostSimulator& player, const SimMessage& message) {
        if (message.message == WM_USER && message.lParam == PlaybackStatusCode && player.position == 1)
            player.playing = true;
    };
    EXPECT_EQ(Read(Player::Stopped), (std::vector<int>{61, -1, 63}));
    EXPECT_EQ(CountRequests(host, CurrentTrackLengthCode), 1u);
    EXPECT_EQ(host->position, 0);
    host->onMessage = nullptr;
}

TEST_F(HostLinkTest, StopPlaybackIsTheHostsStopCommand)
{
    StopPlayback();
    ASSERT_EQ(host->log.size(), 1u);
    EXPECT_EQ(host->log[0].message, (UINT)WM_COMMAND);
    EXPECT_EQ(host->log[0].wParam, 40047u);
    EXPECT_EQ(host->log[0].lParam, 0);
    EXPECT_FALSE(host->playing);
}

std::wstring GuidText(const GUID& guid)
{
    wchar_t text[64];
    wsprintfW(text, L"{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1,
              guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2],
              guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

TEST(HostGuids, MatchTheirPublishedTexts)
{
    EXPECT_EQ(GuidText(LanguageServiceGuid), L"{30AED4E5-EF10-4277-8D49-27AB5570E891}");
    EXPECT_EQ(GuidText(ApplicationServiceGuid), L"{23B96771-09D7-46D3-9AE2-20DCEA6C86EA}");
    // Language packs find the plug-in's texts by the GUID in its string table, so the two
    // must name the same GUID.
    wchar_t text[64] = {};
    ASSERT_GT(LoadStringW(GetModuleHandleW(nullptr), LanguageGuidString, text, 64), 0);
    EXPECT_EQ(lstrcmpiW(GuidText(PluginLanguageGuid).c_str(), text), 0);
}

}  // namespace
