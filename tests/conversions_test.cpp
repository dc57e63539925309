// Converting what the device cannot play, through the DLL and the simulated player's encoders:
// names, playlist lines and lyrics; Cancel midway; sources that fail; kept in step; no encoder;
// a language pack without the controls; the player's thread never blocked; onto real sticks.
#include <gtest/gtest.h>
#include <map>
#include "host/encoders.h"
#include "hostsim/encoder_simulator.h"
#include "hostsim/save_as_driver.h"
#include "resources/resource_ids.h"
#include "support/case_names.h"
#include "support/stick_fixture.h"

namespace {

class Conversions : public SongsFixture {
protected:
    // A song of 4 KiB of its own.
    std::wstring Song(const std::wstring& name, size_t bytes = 4096) { return SongsFixture::Song(name, bytes); }

    // The boxes: a playlist file, numbers, and the conversion on, with the rest as given.
    SaveAsRun Copy(std::map<int, bool> boxes = {}, int answer = IDOK)
    {
        std::map<int, bool> all = {{SavePlaylistBox, true}, {SaveM3U8Box, false}, {NumberFilenamesBox, true},
                                   {UsePlaylistTitleBox, false}, {IncludeDirectoryBox, false},
                                   {SkipUnchangedBox, false}, {ConvertBox, true}};
        for (const auto& box : boxes)
            all[box.first] = box.second;
        return CopyThroughTheDialog(all, target, answer);
    }

    // A converted copy holds what the encoder wrote for its source.
    void ExpectConversion(const std::wstring& copy, const char* format, const std::wstring& source)
    {
        std::string header = ConversionHeader(format, source);
        EXPECT_EQ(ReadBytes(target + copy).substr(0, header.size()), header) << Utf8(copy);
    }

};

// Numbers, names by tags and m3u8: the song the device plays is copied, the others converted
// under the encoder's extension, their lyrics named after them, the playlist listing them so.
TEST_F(Conversions, TheSongsTheDeviceCannotPlayAreConvertedUnderTheirNewNames)
{
    ASSERT_EQ(Start(), 0);
    std::wstring a = Song(L"a.MP3"), b = Song(L"b.flac"), c = Song(L"c.ogg");
    WriteBytes(music + L"b.lrc", "[00:01.00]B");
    host->playlist = {{a, L"A", 1}, {b, L"B", 2}, {c, L"C", 3}};
    host->fileTags[a] = TagsOf(L"artist=Ann|album=One|title=Alpha");
    host->fileTags[b] = TagsOf(L"artist=Ann|album=One|title=Beta");
    host->fileTags[c] = TagsOf(L"artist=Ann|album=One|title=Gamma");
    SaveAsRun copy = Copy({{SaveM3U8Box, true}, {NameByTagsBox, true}, {CopyCompanionsBox, true}});

    ASSERT_TRUE(copy.pressed && !copy.refused);
    EXPECT_EQ(OurTexts(), std::vector<std::wstring>{});
    EXPECT_EQ(ListFiles(target), (std::vector<std::wstring>{L"Ann\\One\\1_Alpha.MP3", L"Ann\\One\\2_Beta.lrc",
                                                            L"Ann\\One\\2_Beta.mp3", L"Ann\\One\\3_Gamma.mp3",
                                                            L"playlist.m3u8"}));
    EXPECT_EQ(ReadBytes(target + L"Ann\\One\\1_Alpha.MP3"), ReadBytes(a));
    ExpectConversion(L"Ann\\One\\2_Beta.mp3", "MP3l", b);
    ExpectConversion(L"Ann\\One\\3_Gamma.mp3", "MP3l", c);
    EXPECT_EQ(ReadBytes(target + L"Ann\\One\\2_Beta.lrc"), "[00:01.00]B");
    EXPECT_EQ(ListedPaths(ReadBytes(target + L"playlist.m3u8"), CP_UTF8),
              (std::vector<std::wstring>{L"Ann\\One\\1_Alpha.MP3", L"Ann\\One\\2_Beta.mp3", L"Ann\\One\\3_Gamma.mp3"}));
    EXPECT_EQ(host->encoders.started, 2);
    EXPECT_EQ(host->encoders.ended, 2) << "every conversion ended";
    ASSERT_EQ(host->encoders.tagsCopied.size(), 2u);
    EXPECT_EQ(host->encoders.tagsCopied[0].first, b);
}

// A conversion is weighed by its length at 320 kbit/s where that is less than its source: a
// song of 900 KiB lasting 10 s takes 400,000 bytes, and with another of 500 KiB it fits a drive
// of 1 MiB, which the sources' sizes would not.
TEST_F(Conversions, AConversionIsWeighedByItsLength)
{
    std::string why;
    std::wstring drive = SmallDrive(&why);
    if (drive.empty())
        GTEST_SKIP() << "no small drive to fill: " << why;
    ASSERT_EQ(Start(), 0);
    target = FolderOn(drive);
    std::wstring played = Song(L"a.mp3", 500 * 1024), converted = Song(L"b.flac", 900 * 1024);
    host->playlist = {{played, L"A", 1}, {converted, L"B", 10}};
    host->fileTags[converted] = TagsOf(L"length=10000");
    host->encoders.outputBytes[converted] = 400000;
    Copy();

    EXPECT_EQ(OurTexts(), std::vector<std::wstring>{}) << "no question, and nothing failed";
    EXPECT_EQ(ListFiles(target), (std::vector<std::wstring>{L"1_a.mp3", L"2_b.mp3", L"playlist.m3u"}));
}

// What another program asks the player while it converts, and how long the answer took.
HWND Player = nullptr;
DWORD AnsweredIn = INFINITE;

DWORD WINAPI AskThePlayer(LPVOID)
{
    DWORD start = GetTickCount();
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(Player, WM_USER, 0, PlaylistLengthCode, SMTO_BLOCK, 5000, &result))
        AnsweredIn = GetTickCount() - start;
    return 0;
}

void CALLBACK PressCancel(HWND window, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(window, timer);
    PressButton(window, IDCANCEL);
}

// Cancel during a long conversion: it ends, its cut output goes, the next is not begun, and
// one box says so. Meanwhile the player's thread answers another program within a second.
TEST_F(Conversions, CancelEndsTheRunningOneAndConvertsNoMore)
{
    ASSERT_EQ(Start(), 0);
    std::wstring slow = Song(L"slow.flac"), next = Song(L"next.flac");
    host->encoders.sources[slow] = SimSource::Slow;
    host->playlist = {{slow, L"Slow", 1}, {next, L"Next", 2}};
    Player = host->window;
    AnsweredIn = INFINITE;
    CopyThroughTheDialog({{SavePlaylistBox, true}, {NumberFilenamesBox, false}, {ConvertBox, true}}, target, IDOK,
                         [](HWND dialog) {
                             if (!GetDlgItem(dialog, ConversionLine))
                                 return false;
                             CloseHandle(CreateThread(nullptr, 0, AskThePlayer, nullptr, 0, nullptr));
                             SetTimer(dialog, 1, 1000, PressCancel);
                             return true;
                         });

    EXPECT_LT(AnsweredIn, 1000u) << "the player's thread took messages while it converted";
    EXPECT_EQ(OurTexts(), std::vector<std::wstring>{L"2 of 2 files could not be copied."});
    EXPECT_EQ(ListFiles(target), std::vector<std::wstring>{L"playlist.m3u"}) << "no cut file, no part file";
    EXPECT_EQ(ListedPaths(ReadBytes(target + L"playlist.m3u"), CP_ACP), std::vector<std::wstring>{});
    EXPECT_EQ(host->encoders.started, 1);
    EXPECT_EQ(host->encoders.ended, 1);
}

// A source the encoder refuses and one that breaks off count as not copied; a player before
// 5.55 is not asked to test a conversion first.
TEST_F(Conversions, SourcesThatFailAreNotCopied)
{
    host->version = 0x5054;
    ASSERT_EQ(Start(), 0);
    std::wstring refused = Song(L"u.flac"), broken = Song(L"v.flac"), fine = Song(L"w.flac");
    host->encoders.sources[refused] = SimSource::Undecodable;
    host->encoders.sources[broken] = SimSource::Broken;
    host->playlist = {{refused, L"U", 1}, {broken, L"V", 2}, {fine, L"W", 3}};
    Copy();

    EXPECT_EQ(OurTexts(), std::vector<std::wstring>{L"2 of 3 files could not be copied."});
    EXPECT_EQ(ListFiles(target), (std::vector<std::wstring>{L"3_w.mp3", L"playlist.m3u"}));
    EXPECT_EQ(ListedPaths(ReadBytes(target + L"playlist.m3u"), CP_ACP), std::vector<std::wstring>{L"3_w.mp3"});
    EXPECT_EQ(host->encoders.started, host->encoders.ended);
}

// Written before the copy, the playlist file lists every copy to be made. When a conversion
// fails and the file cannot be opened again to be written without it (another program holds
// it), it goes, with the reason told, rather than name a copy that is not there.
TEST_F(Conversions, APlaylistFileThatCannotBeWrittenAgainIsToldAndRemoved)
{
    ASSERT_EQ(Start(), 0);
    std::wstring refused = Song(L"u.flac"), fine = Song(L"w.mp3");
    host->encoders.sources[refused] = SimSource::Undecodable;
    host->playlist = {{refused, L"U", 1}, {fine, L"W", 2}};
    std::wstring playlist = target + L"playlist.m3u";
    HANDLE held = INVALID_HANDLE_VALUE;
    host->onMessage = [&](HostSimulator&, const SimMessage& message) {
        bool converting = message.lParam == TestConversionCode || message.lParam == ConvertFileCode;
        if (message.message == WM_USER && converting && held == INVALID_HANDLE_VALUE)
            held = CreateFileW(playlist.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    };
    Copy();
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << "the file was there once the copy began";
    CloseHandle(held);
    host->onMessage = nullptr;

    std::vector<std::wstring> texts = OurTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].substr(0, 51), L"The playlist file could not be written completely: ");
    EXPECT_GT(texts[0].size(), 51u) << "with the system's reason";
    EXPECT_EQ(texts[1], L"1 of 2 files could not be copied.");
    EXPECT_EQ(ListFiles(target), std::vector<std::wstring>{L"2_w.mp3"});
}

// Kept in step, a conversion there and no older than its source is left alone; a changed source
// is converted again. The format chosen last time is the one the list shows.
TEST_F(Conversions, KeptInStepOnlyAChangedSourceIsConvertedAgain)
{
    WriteBytes(SettingsFile(), "[Corvelle]\r\nConvertFormat=AACf\r\n");
    ASSERT_EQ(Start(), 0);
    std::wstring song = Song(L"s.flac");
    host->playlist = {{song, L"S", 1}};
    const std::map<int, bool> inStep = {{SkipUnchangedBox, true}};
    Copy(inStep);
    ASSERT_EQ(ListFiles(target), (std::vector<std::wstring>{L"1_s.m4a", L"playlist.m3u"}));
    ExpectConversion(L"1_s.m4a", "AACf", song);
    Copy(inStep);
    EXPECT_EQ(host->encoders.started, 1) << "nothing new";
    EXPECT_EQ(OurTexts(), std::vector<std::wstring>{L"All 1 files are already there and unchanged."});

    FILETIME later;
    GetSystemTimeAsFileTime(&later);
    ULARGE_INTEGER stamp = {{later.dwLowDateTime, later.dwHighDateTime}};
    stamp.QuadPart += 60 * 10000000ull;
    later = {stamp.LowPart, stamp.HighPart};
    HANDLE file = CreateFileW(song.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &later);
    CloseHandle(file);
    Copy(inStep);
    EXPECT_EQ(host->encoders.started, 2) << "the changed source is converted again";
}

// Without an encoder, or with a language pack's template that lacks the controls, nothing is
// converted and the stored choice stays as it was.
class NoConversion : public Conversions {
protected:
    void ExpectCopiedAsTheyAre()
    {
        WriteBytes(SettingsFile(), "[Corvelle]\r\nConvertForDevice=1\r\n");
        ASSERT_EQ(Start(), 0);
        host->playlist = {{Song(L"b.flac"), L"B", 1}};
        bool offered = true;
        SaveAsRun copy;
        copy.browseTo = {target};
        copy.fileName = target + L"x";
        copy.button = IDOK;
        copy.setBoxes = {{NumberFilenamesBox, false}};
        copy.onStep = [&offered](HWND, HWND area) { offered = IsWindowEnabled(GetDlgItem(area, ConvertBox)) != FALSE; };
        PlayTheCommand(&copy, IDOK);
        EXPECT_FALSE(offered);
        EXPECT_EQ(ListFiles(target), std::vector<std::wstring>{L"b.flac"});
        EXPECT_NE(ReadBytes(SettingsFile()).find("ConvertForDevice=1"), std::string::npos);
        EXPECT_EQ(host->encoders.started, 0);
    }
};

TEST_F(NoConversion, WhenThePlayerListsNoEncoder)
{
    host->encoders.formats.clear();
    ExpectCopiedAsTheyAre();
}

TEST_F(NoConversion, WhenTheLanguagePacksTemplateLacksTheControls)
{
    host->language = SimLanguage::Pack;
    host->languagePack = LanguagePack();
    ExpectCopiedAsTheyAre();
}

// --- On real sticks, through the player --------------------------------------------------------

class ConversionsOnAStick : public StickFixture {};

// What the device cannot play lands converted, its part file moved into place on the stick's
// own file system; kept in step, the second run converts nothing.
TEST_P(ConversionsOnAStick, SongsTheDeviceCannotPlayLandConverted)
{
    TimeLimit limit("converting onto a stick", StickTestLimit);
    std::wstring target = drive + L"t\\";
    CreateFolders(target);
    SetHostilePlaylist({{L"Album\\01 Rain.flac", L"A", L""}, {L"Album\\02 Sun.mp3", L"B", L""}});
    const std::map<int, bool> boxes = {{SavePlaylistBox, true}, {SaveM3U8Box, true},
                                       {NumberFilenamesBox, false}, {IncludeDirectoryBox, true},
                                       {SkipUnchangedBox, true}, {ConvertBox, true}};
    for (int run = 0; run < 2; ++run) {
        if (run == 1 && !GetParam().replacesFiles)
            DeleteFileW((target + L"playlist.m3u8").c_str());
        SaveAsRun copy = CopyThroughTheDialog(boxes, target);
        ASSERT_TRUE(copy.pressed && !copy.refused);
        EXPECT_EQ(ListFiles(target), (std::vector<std::wstring>{L"Album\\01 Rain.mp3", L"Album\\02 Sun.mp3",
                                                                L"playlist.m3u8"}));
        EXPECT_EQ(ListedPaths(ReadBytes(target + L"playlist.m3u8"), CP_UTF8),
                  (std::vector<std::wstring>{L"Album\\01 Rain.mp3", L"Album\\02 Sun.mp3"}));
    }
    std::string converted = ReadBytes(target + L"Album\\01 Rain.mp3");
    EXPECT_EQ(converted.substr(0, 16), "converted to MP3") << converted.substr(0, 40);
    EXPECT_EQ(host->encoders.started, 1) << "kept in step, the conversion is there";
}

INSTANTIATE_TEST_SUITE_P(Sticks, ConversionsOnAStick, ::testing::ValuesIn(Sticks), NameOfCase());

}  // namespace
