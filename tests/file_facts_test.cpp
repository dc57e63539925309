#include <gtest/gtest.h>
#include <map>
#include <string>
#include "files/file_facts.h"
#include "resources/resource_ids.h"
#include "support/case_names.h"
#include "support/plugin_fixture.h"
#include "support/stick_fixture.h"

namespace {

class FileFactsTest : public PluginFixture {};

TEST(FileNames, CompareAsTheFileSystemDoes)
{
    struct Case {
        const wchar_t *a, *b;
        bool same;
    } cases[] = {
        {L"E:\\Stick\\a.mp3", L"e:\\STICK\\A.MP3", true},
        {L"\x00e9t\x00e9.mp3", L"\x00c9T\x00c9.MP3", true},
        {L"\x03b1\x03b2.mp3", L"\x0391\x0392.mp3", true},
        {L"a.mp3", L"a.mp3 ", false},
        {L"a.mp3", L"a.mp", false},
        {L"", L"", true},
        {L"a_b", L"a-b", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SameFileName(c.a, c.b), c.same) << testing::PrintToString(std::wstring(c.a));
        EXPECT_EQ(SameFileName(c.b, c.a), c.same) << testing::PrintToString(std::wstring(c.b));
    }
}

// The prefix form compares a folder part alone; a name ends where its terminator stands.
TEST(FileNames, ComparePrefixesAndFieldsTheSameWay)
{
    EXPECT_TRUE(SameFileName(L"E:\\Stick\\a.mp3", L"e:\\STICK\\b.mp3", 9));
    EXPECT_FALSE(SameFileName(L"E:\\Stick\\a.mp3", L"e:\\STICK\\b.mp3", 10));
    EXPECT_TRUE(SameFileName(L"ab", L"AB", 5)) << "both end before the length";
    EXPECT_FALSE(SameFileName(L"ab", L"abc", 5));
}

// A folder and a name make a path only whole: one unit over the limit is refused, and the
// buffer keeps what it held (the dialog's own path is joined in place).
TEST(JoinPath, WholeOrNotAtAll)
{
    const std::wstring folder = L"E:\\" + std::wstring(PathCapacity - 10, L'f') + L"\\";
    struct Case {
        const char* name;
        std::wstring tail;
        bool joined;
    } cases[] = {
        {"fits to the last unit", std::wstring(PathCapacity - 1 - folder.size(), L'n'), true},
        {"one unit over", std::wstring(PathCapacity - folder.size(), L'n'), false},
        {"empty name", L"", true},
    };
    for (const Case& c : cases) {
        wchar_t path[PathCapacity + 1];
        wmemset(path, L'#', PathCapacity + 1);
        wcscpy(path, folder.c_str());
        bool joined = JoinPath(path, path, folder.size(), c.tail.c_str(), c.tail.size());
        EXPECT_EQ(joined, c.joined) << c.name;
        EXPECT_EQ(std::wstring(path), c.joined ? folder + c.tail : folder) << c.name;
        EXPECT_EQ(path[PathCapacity], L'#') << c.name << ": written past the buffer";
    }
    wchar_t lyrics[PathCapacity];
    const wchar_t song[] = L"D:\\Music\\01 Rain.flac";
    ASSERT_TRUE(JoinPath(lyrics, song, wcslen(song) - 4, L"lrc", 3));
    EXPECT_STREQ(lyrics, L"D:\\Music\\01 Rain.lrc");
}

TEST(SplitPath, FindsNameAndExtension)
{
    struct {
        const wchar_t* path;
        size_t nameAt, extensionAt, length;
    } cases[] = {
        {L"D:\\Music\\track.mp3", 9, 14, 18},
        {L"D:\\My.Music\\track", 12, 17, 17},
        {L"song.tar.gz", 0, 8, 11},
        {L"stream", 0, 6, 6},
        {L"D:\\dir\\", 7, 7, 7},
        {L"", 0, 0, 0},
    };
    for (const auto& c : cases) {
        const wchar_t *name, *extension;
        EXPECT_EQ(SplitPath(c.path, &name, &extension), c.length);
        EXPECT_EQ((size_t)(name - c.path), c.nameAt) << Utf8(c.path);
        EXPECT_EQ((size_t)(extension - c.path), c.extensionAt) << Utf8(c.path);
    }
}


TEST_F(FileFactsTest, PresenceAndSizeOfSources)
{
    WriteBytes(folder + L"empty.mp3", "");
    WriteBytes(folder + L"five.mp3", std::string(5000, 'x'));
    CreateFolders(folder + L"Album");
    struct {
        std::wstring path;
        bool present;
        uint64_t size;
    } cases[] = {
        {folder + L"five.mp3", true, 5000},
        {folder + L"empty.mp3", true, 0},
        {folder + L"Album", false, 0},
        {folder + L"nothing.mp3", false, 0},
        {folder + L"*.mp3", false, 0},
        {folder + L"f?ve.mp3", false, 0},
        {folder + L"five<mp3", false, 0},
        {L"http://radio.example/live", false, 0},
        {L"", false, 0},
    };
    for (const auto& c : cases) {
        uint64_t size = 123;
        EXPECT_EQ(QueryFileSize(c.path.c_str(), &size), c.present) << Utf8(c.path);
        EXPECT_EQ(size, c.size) << Utf8(c.path);
    }
}

// Kept in step across a clock change: where a volume keeps local time (FAT, exFAT), a copy an
// hour older than its source, within FAT's two seconds, is unchanged; an hour and six seconds
// is a change, and so is an hour anywhere else. A conversion may be an hour older there too.
TEST_F(FileFactsTest, ACopyAnHourOffIsUnchangedWhereTimesAreLocal)
{
    const int64_t Second = 10000000, Hour = 3600 * Second;
    struct {
        const char* name;
        int64_t copyAhead;  // the copy's time less its source's
        bool sameSize, localTimes, unchanged, converted;
    } cases[] = {
        {"same time", 0, true, false, true, true},
        {"an hour newer", Hour, true, false, true, true},
        {"an hour older, local times", -Hour, true, true, true, true},
        {"an hour older and a second, local times", -Hour - Second, true, true, true, true},
        {"an hour older and six seconds, local times", -Hour - 6 * Second, true, true, false, false},
        {"an hour older elsewhere", -Hour, true, false, false, false},
        {"half an hour older, local times", -Hour / 2, true, true, false, true},
        {"an hour older, another size", -Hour, false, true, false, true},
    };
    std::wstring source = folder + L"song.mp3", copy = folder + L"copy.mp3";
    WriteBytes(source, "12345");
    FileFacts facts;
    ASSERT_TRUE(QueryFileFacts(source.c_str(), &facts));
    for (const auto& c : cases) {
        WriteBytes(copy, c.sameSize ? "abcde" : "abc");
        HANDLE file = CreateFileW(copy.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ULARGE_INTEGER time;
        time.QuadPart = facts.writeTime + (uint64_t)c.copyAhead;
        FILETIME written = {time.LowPart, time.HighPart};
        ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &written)) << c.name;
        CloseHandle(file);
        EXPECT_EQ(IsUnchangedCopyOf(facts, copy.c_str(), c.localTimes), c.unchanged) << c.name;
        EXPECT_EQ(IsConversionOf(facts, copy.c_str(), c.localTimes), c.converted) << c.name;
    }
}

TEST_F(FileFactsTest, FilesOfWholeGibibytesArePresentWithTheirFullSize)
{
    for (uint64_t size : {4ull << 30, (4ull << 30) + (2ull << 20)}) {
        std::wstring path = folder + L"big.bin";
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LARGE_INTEGER end;
        end.QuadPart = (LONGLONG)size;
        ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(file));
        CloseHandle(file);
        uint64_t found = 0;
        EXPECT_TRUE(QueryFileSize(path.c_str(), &found));
        EXPECT_EQ(found, size);
        DeleteFileW(path.c_str());
    }
}

}  // namespace

namespace {

// Through the DLL on each stick: a copy kept in step and then an hour older than its source (the
// clocks changed) is left alone on FAT32 and exFAT, and copied again on NTFS; an hour and six
// seconds apart is a change everywhere. FUSE's FAT and exFAT drivers take no write time from
// Wine, so the source's time is moved instead of the copy's. A change shows as the shell's
// question before it replaces the copy, answered No (FUSE's FAT driver cannot replace a file).
class ClockChangeOnAStick : public StickFixture {};

TEST_P(ClockChangeOnAStick, ACopyAnHourOlderIsUnchangedWhereTimesAreLocal)
{
    TimeLimit limit("kept in step across a clock change", StickTestLimit);
    const int64_t Second = 10000000, Hour = 3600 * Second;
    bool localTimes = std::string(GetParam().name) != "NTFS";
    const struct {
        const wchar_t* name;
        int64_t copyAhead;  // the copy's time less its source's
        bool unchangedWhereLocal, unchangedElsewhere;
    } cases[] = {{L"older", -Hour, true, false}, {L"newer", Hour, true, true},
                 {L"apart", -Hour - 6 * Second, false, false}};
    const std::map<int, bool> boxes = {{SavePlaylistBox, false}, {SkipUnchangedBox, true}};
    for (const auto& c : cases) {
        std::wstring into = drive + L"t\\" + c.name + L"\\", source = folder + c.name + L".mp3";
        CreateFolders(into);
        WriteBytes(source, std::string(700, 's'));
        host->playlist = {{source, L"Song", 60}};
        CopyThroughTheDialog(boxes, into, IDNO);
        WIN32_FILE_ATTRIBUTE_DATA copied;
        ASSERT_TRUE(GetFileAttributesExW((into + L"1_" + c.name + L".mp3").c_str(), GetFileExInfoStandard, &copied));
        ULARGE_INTEGER time = {{copied.ftLastWriteTime.dwLowDateTime, copied.ftLastWriteTime.dwHighDateTime}};
        time.QuadPart -= (uint64_t)c.copyAhead;
        FILETIME moved = {time.LowPart, time.HighPart};
        HANDLE file = CreateFileW(source.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &moved));
        CloseHandle(file);

        CopyThroughTheDialog(boxes, into, IDNO);
        // After the Save As window: ours, or the shell's question (a copy of its source's size
        // that the user chose not to replace counts as there).
        bool unchanged = localTimes ? c.unchangedWhereLocal : c.unchangedElsewhere;
        ASSERT_EQ(watcher.boxes.size(), 2u) << Utf8(c.name);
        const CapturedBox& box = watcher.boxes.back();
        if (unchanged)
            EXPECT_EQ(box.text, L"All 1 files are already there and unchanged.") << Utf8(c.name);
        else
            EXPECT_NE(box.caption, L"Corvelle v1.11") << Utf8(c.name) << ": the shell asks to replace it";
    }
}

INSTANTIATE_TEST_SUITE_P(Sticks, ClockChangeOnAStick, ::testing::ValuesIn(Sticks), NameOfCase());

}  // namespace
