#include <gtest/gtest.h>
#include <functional>
#include "host/host_link.h"
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
        {"PlaylistFile", [] { PlaylistFile(1); }, 1, 214},
        {"PlaylistTitle", [] { PlaylistTitle(1); }, 1, 213},
        {"SetPlaylistPosition", [] { SetPlaylistPosition(1); }, 1, 121},
        {"CurrentTrackLength", [] { CurrentTrackLength(); }, 1, 105},
        {"PlaylistWindow", [] { PlaylistWindow(); }, 1, 260},
        {"HostMenu", [] { HostMenu(); }, (WPARAM)-1, 281},
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
    EXPECT_STREQ(PlaylistFile(1), L"D:\\b.mp3");
    EXPECT_STREQ(PlaylistTitle(0), L"A");
    EXPECT_EQ(PlaylistFile(5), nullptr);
    SetPlaylistPosition(1);
    EXPECT_EQ(CurrentTrackLength(), 9);
    EXPECT_EQ(PlaylistWindow(), host->playlistEditor);
    EXPECT_STREQ(IniDirectory(), host->iniDirectory.c_str());
    int first = RegisterCommandId();
    EXPECT_NE(RegisterCommandId(), first);
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
