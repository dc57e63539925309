#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include <algorithm>
#include "naming/copy_name.h"
#include "naming/copy_name_internal.h"
#include "resources/resource_ids.h"
#include "support/case_names.h"
#include "support/stick_fixture.h"

namespace {

const std::wstring Note = L"\xD83C\xDFB5";  // U+1F3B5, a surrogate pair
const std::wstring Greek = L"\x039A\x03B1\x03BB\x03B7\x03BC\x03AD\x03C1\x03B1";  // Καλημέρα

// One file name: its pieces, the room it has and what it becomes (empty: no name fits).
struct FileNameCase {
    const char* name;
    std::wstring prefix, base, ownBase, extension;
    uint32_t copyNumber;
    bool ansiPlaylist;  // the rows that say so assume Windows-1252, Wine's own code page
    size_t most;
    std::wstring expected;
};

void PrintTo(const FileNameCase& c, std::ostream* out) { *out << c.name; }

const size_t Any = MostNameLength;

const std::vector<FileNameCase> FileNameCases = {
    // Look-alikes, in the base and the extension.
    {"look-alikes", L"", L"AC/DC: \"Back\"? <1> *|\\", L"x", L".mp3", 0, false, Any,
     L"AC-DC- 'Back'\x00BF \x00AB" L"1\x00BB +!_.mp3"},
    {"look-alike in the extension", L"", L"m", L"m", L".x/y", 0, false, Any, L"m.x-y"},
    // Control characters become spaces.
    {"tab and line breaks", L"", L"Tab\there\r\nx", L"x", L".mp3", 0, false, Any, L"Tab here  x.mp3"},
    {"delete", L"", L"a\x7F", L"x", L".mp3", 0, false, Any, L"a .mp3"},
    {"control in the extension", L"", L"a", L"a", L".mp\x01" L"3", 0, false, Any, L"a.mp 3"},
    // No trailing dot or space; inside a name they stay.
    {"trailing dot, no extension", L"", L"Ends with a dot.", L"x", L"", 0, false, Any, L"Ends with a dot"},
    {"trailing dots and spaces", L"", L"x . .", L"y", L"", 0, false, Any, L"x"},
    {"trailing tab", L"", L"x\t", L"y", L"", 0, false, Any, L"x"},
    {"dot before the extension stays", L"", L"Vol. ", L"x", L".mp3", 0, false, Any, L"Vol. .mp3"},
    {"extension of a dot alone", L"", L"x", L"x", L".", 0, false, Any, L"x"},
    {"extension ending in a space", L"", L"x", L"x", L".mp3 ", 0, false, Any, L"x.mp3"},
    // A name of nothing takes the source's own base name, else "_".
    {"title of two dots", L"", L"..", L"song", L"", 0, false, Any, L"song"},
    {"empty title", L"", L"", L"song", L"", 0, false, Any, L"song"},
    {"title of spaces", L"", L"   ", L"song", L"", 0, false, Any, L"song"},
    {"own base nothing too", L"", L"..", L".", L"", 0, false, Any, L"_"},
    {"empty title, an extension", L"", L"", L"song", L".mp3", 0, false, Any, L".mp3"},
    {"empty title, numbered", L"01_", L"", L"song", L".mp3", 0, false, Any, L"01_.mp3"},
    {"numbered dots", L"1_", L"..", L"song", L"", 0, false, Any, L"1_"},
    // Device names get "_" where their part ends.
    {"CON", L"", L"CON", L"x", L".mp3", 0, false, Any, L"CON_.mp3"},
    {"nul", L"", L"nul", L"x", L".flac", 0, false, Any, L"nul_.flac"},
    {"device with a trailing space", L"", L"Prn ", L"x", L".mp3", 0, false, Any, L"Prn _.mp3"},
    {"device before an inner dot", L"", L"CON.tar", L"x", L".gz", 0, false, Any, L"CON_.tar.gz"},
    {"COM1 alone", L"", L"COM1", L"x", L"", 0, false, Any, L"COM1_"},
    {"lpt9", L"", L"lpt9", L"x", L".mp3", 0, false, Any, L"lpt9_.mp3"},
    {"COM0 and LPT0", L"", L"LPT0", L"x", L".mp3", 0, false, Any, L"LPT0_.mp3"},
    {"superscript one", L"", L"COM\x00B9", L"x", L".mp3", 0, false, Any, L"COM\x00B9_.mp3"},
    {"CONOUT$", L"", L"conout$", L"x", L".txt", 0, false, Any, L"conout$_.txt"},
    {"own base a device", L"", L"", L"aux", L"", 0, false, Any, L"aux_"},
    {"numbered device is none", L"01_", L"CON", L"x", L".mp3", 0, false, Any, L"01_CON.mp3"},
    {"COM10 is none", L"", L"COM10", L"x", L".mp3", 0, false, Any, L"COM10.mp3"},
    {"CONSOLE is none", L"", L"CONSOLE", L"x", L".mp3", 0, false, Any, L"CONSOLE.mp3"},
    {"suffix after a device", L"", L"CON", L"x", L".mp3", 2, false, Any, L"CON (2).mp3"},
    // Lengths: the base alone is cut, never half a pair, and the rules apply again.
    {"long title", L"", std::wstring(300, L'a'), L"x", L".mp3", 0, false, Any, std::wstring(251, L'a') + L".mp3"},
    {"cut before a pair", L"", std::wstring(250, L'a') + Note, L"x", L".mp3", 0, false, Any,
     std::wstring(250, L'a') + L".mp3"},
    {"cut keeps prefix and suffix", L"07_", std::wstring(300, L'a'), L"x", L".mp3", 3, false, Any,
     L"07_" + std::wstring(244, L'a') + L" (3).mp3"},
    {"cut to a trailing dot", L"", L"abc. def", L"x", L"", 0, false, 4, L"abc"},
    {"cut to a device", L"", L"CONSOLE", L"x", L".mp3", 0, false, 7, L"CO.mp3"},
    {"cut to nothing", L"", L"....xyz", L"song", L"", 0, false, 4, L"song"},
    {"cut own base", L"", L"", L"songbook", L"", 0, false, 4, L"song"},
    {"room for the extension alone", L"", L"abc", L"x", L".mp3", 0, false, 4, L".mp3"},
    {"no room for the extension", L"01_", L"abc", L"x", L".mp3", 0, false, 6, L""},
    {"no room at all", L"", L"abc", L"x", L"", 0, false, 0, L""},
    {"extension longer than a name", L"", L"a", L"a", L"." + std::wstring(255, L'e'), 0, false, 300, L""},
    // Under the ANSI playlist, what Windows-1252 cannot write exactly becomes "_".
    {"Greek in the ANSI playlist", L"", Greek, L"x", L".mp3", 0, true, Any, L"________.mp3"},
    {"Latin-1 stays", L"", L"Caf\x00E9 \x00B5 \x00AB", L"x", L".mp3", 0, true, Any, L"Caf\x00E9 \x00B5 \x00AB.mp3"},
    {"mu is no micro sign", L"", L"\x03BC", L"x", L".mp3", 0, true, Any, L"_.mp3"},
    {"a pair is one character", L"", Note + L" Song", L"x", L".mp3", 0, true, Any, L"_ Song.mp3"},
    {"extension too", L"", L"a", L"a", L".\x03BC", 0, true, Any, L"a._"},
    {"m3u8 keeps everything", L"", Greek + Note, L"x", L".mp3", 0, false, Any, Greek + Note + L".mp3"},
};

class FileName : public ::testing::TestWithParam<FileNameCase> {};

TEST_P(FileName, FollowsTheRules)
{
    const FileNameCase& c = GetParam();
    if (c.ansiPlaylist && GetACP() != 1252)
        GTEST_SKIP() << "the row assumes Windows-1252; this system's ANSI code page is " << GetACP();
    FileNameParts parts = {c.prefix.c_str(), c.prefix.size(), c.base.c_str(), c.base.size(),
                           c.ownBase.c_str(), c.ownBase.size(), c.extension.c_str(), c.extension.size(),
                           c.copyNumber};
    std::vector<wchar_t> out(c.most + 8, L'#');
    size_t length = MakeFileName(parts, NamingRules{c.ansiPlaylist}, c.most, out.data());
    EXPECT_EQ(std::wstring(out.data(), length), c.expected);
    EXPECT_LE(length, c.most);
    for (size_t i = c.most; i < out.size(); ++i)
        ASSERT_EQ(out[i], L'#') << "written past the room at " << i;
}

INSTANTIATE_TEST_SUITE_P(Rules, FileName, ::testing::ValuesIn(FileNameCases), NameOfCase());

// The parent folder kept under the target; empty: not kept.
struct FolderNameCase {
    const char* name;
    std::wstring folder;
    bool ansiPlaylist;
    std::wstring expected;
};

void PrintTo(const FolderNameCase& c, std::ostream* out) { *out << c.name; }

const std::vector<FolderNameCase> FolderNameCases = {
    {"plain", L"First Album", false, L"First Album"},
    {"device", L"CON", false, L"CON_"},
    {"device before a dot", L"aux.x", false, L"aux_.x"},
    {"trailing dot", L"Vol. 2.", false, L"Vol. 2"},
    {"dots and spaces", L". .", false, L""},
    {"reserved character", L"Best: Of", false, L""},
    {"control character", L"a\tb", false, L""},
    {"longest", std::wstring(255, L'f'), false, std::wstring(255, L'f')},
    {"too long", std::wstring(256, L'f'), false, L""},
    {"device at the longest", L"CON." + std::wstring(251, L'f'), false, L""},
    {"Greek in the ANSI playlist", Greek, true, L"________"},
    {"Greek in m3u8", Greek, false, Greek},
};

class FolderName : public ::testing::TestWithParam<FolderNameCase> {};

TEST_P(FolderName, FollowsTheRules)
{
    const FolderNameCase& c = GetParam();
    if (c.ansiPlaylist && GetACP() != 1252)
        GTEST_SKIP() << "the row assumes Windows-1252; this system's ANSI code page is " << GetACP();
    wchar_t out[MostNameLength + 1];
    size_t length = MakeFolderName(c.folder.c_str(), c.folder.size(), NamingRules{c.ansiPlaylist}, out);
    EXPECT_EQ(std::wstring(out, length), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, FolderName, ::testing::ValuesIn(FolderNameCases), NameOfCase());

// --- On real sticks, through the player --------------------------------------------------------

class OnAStick : public StickFixture {
protected:
    // Every entry has its copy under the name given, with its source's bytes, and the playlist
    // file names each of them, and nothing else is below the target or on the stick.
    void ExpectEveryCopyListed(const std::vector<Hostile>& entries, const std::wstring& target)
    {
        std::string playlist = ReadBytes(target + L"playlist.m3u8");
        std::vector<std::wstring> listed = ListedPaths(playlist, CP_UTF8);
        EXPECT_EQ(PlaylistLines(playlist, CP_UTF8).size(), 1 + 2 * entries.size());
        ASSERT_EQ(listed.size(), entries.size());
        std::vector<std::wstring> expected = {L"playlist.m3u8"};
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(listed[i], entries[i].copy);
            EXPECT_EQ(ReadBytes(target + listed[i]), "entry " + std::to_string(i)) << Utf8(listed[i]);
            EXPECT_LE(target.size() + listed[i].size(), MostPathLength) << Utf8(listed[i]);
            expected.push_back(listed[i]);
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(ListFiles(target), expected);
        std::wstring below = target.substr(drive.size());
        for (const std::wstring& file : ListFiles(drive))
            EXPECT_EQ(file.compare(0, below.size(), below), 0) << "outside the target: " << Utf8(file);
    }
};

// Titles that Windows would refuse as names, or read as another name.
const std::vector<Hostile> HostileTitles = {
    {L"t1.mp3", L"Tab\there", L"Tab here.mp3"},
    {L"t2.mp3", L"CON", L"CON_.mp3"},
    {L"t3.flac", L"nul", L"nul_.flac"},
    {L"t4.mp3", L"Aux", L"Aux_.mp3"},
    {L"t5.mp3", L"COM1", L"COM1_.mp3"},
    {L"t6.mp3", L"lpt9", L"lpt9_.mp3"},
    {L"t7.mp3", L"Prn ", L"Prn _.mp3"},
    {L"t8.mp3", std::wstring(300, L'L'), std::wstring(250, L'L') + L".mp3"},
    {L"dotted", L"Ends with a dot.", L"Ends with a dot"},
    {L"dots", L"..", L"dots"},
    {L"empty", L"", L"empty"},
    {L"spaces", L"   ", L"spaces"},
    {L"t9.mp3", L"Two\r\n#EXTINF:1,x\r\nC:\\Windows\\win.ini", L"Two  #EXTINF-1,x  C-_Windows_win.ini.mp3"},
};

// With "Use playlist title", into a target whose path is 5 characters long: the long title is
// cut so that the destination is 259 characters. Kept in step, the second run copies nothing.
TEST_P(OnAStick, HostileTitlesEachGetACopyTheListNames)
{
    TimeLimit limit("copying hostile titles onto a stick", StickTestLimit);
    std::wstring target = drive + L"t\\";
    CreateFolders(target);
    SetHostilePlaylist(HostileTitles);
    const std::map<int, bool> boxes = {{SavePlaylistBox, true}, {SaveM3U8Box, true},
                                       {NumberFilenamesBox, false}, {UsePlaylistTitleBox, true},
                                       {IncludeDirectoryBox, false}, {SkipUnchangedBox, true},
                                       {RemoveDroppedBox, false}};
    SaveAsRun first = CopyThroughTheDialog(boxes, target);
    ASSERT_TRUE(first.pressed && !first.refused);
    ASSERT_EQ(first.freeSpaceSeen.size(), 2u);
    EXPECT_EQ(first.freeSpaceSeen[1].empty(), !GetParam().reportsItsSize)
        << "a stick that reports no size shows no free space: " << Utf8(first.freeSpaceSeen[1]);
    EXPECT_EQ(watcher.boxes.size(), 1u) << "nothing but the Save As window";
    ExpectEveryCopyListed(HostileTitles, target);

    WIN32_FILE_ATTRIBUTE_DATA facts = {};
    GetFileAttributesExW((target + L"CON_.mp3").c_str(), GetFileExInfoStandard, &facts);
    FILETIME written = facts.ftLastWriteTime;
    if (!GetParam().replacesFiles)
        DeleteFileW((target + L"playlist.m3u8").c_str());
    CopyThroughTheDialog(boxes, target);
    ASSERT_EQ(watcher.boxes.size(), 2u) << "the Save As window and the word that all is there";
    EXPECT_EQ(watcher.boxes[1].text, L"All 13 files are already there and unchanged.");
    GetFileAttributesExW((target + L"CON_.mp3").c_str(), GetFileExInfoStandard, &facts);
    EXPECT_EQ(CompareFileTime(&facts.ftLastWriteTime, &written), 0) << "copied again";
    ExpectEveryCopyListed(HostileTitles, target);
}

// Folders Windows would read as devices and a long name, with their parent folders kept, into a target 196
// characters deep: the long name is cut to 259. A file name that Windows itself reads as a
// device or without its trailing dot is out of the shell copy's reach, as it is out of
// Windows' (only a \\?\ path names it); titles bring those.
TEST_P(OnAStick, HostileFileNamesEachGetACopyTheListNames)
{
    TimeLimit limit("copying hostile file names onto a stick", StickTestLimit);
    std::wstring target = drive + L"t\\" + std::wstring(190, L'd') + L"\\";
    CreateFolders(target);
    const std::vector<Hostile> names = {
        {L"CON\\a.mp3", L"A", L"CON_\\a.mp3"},
        {L"nul\\b.mp3", L"B", L"nul_\\b.mp3"},
        {L"Com1\\c.mp3", L"C", L"Com1_\\c.mp3"},
        {L"Lpt1.x\\d.mp3", L"D", L"Lpt1_.x\\d.mp3"},
        {L"n\\" + std::wstring(240, L'z') + L".mp3", L"F", L"n\\" + std::wstring(57, L'z') + L".mp3"},
    };
    SetHostilePlaylist(names);
    const std::map<int, bool> boxes = {{SavePlaylistBox, true}, {SaveM3U8Box, true},
                                       {NumberFilenamesBox, false}, {UsePlaylistTitleBox, false},
                                       {IncludeDirectoryBox, true}, {SkipUnchangedBox, false},
                                       {RemoveDroppedBox, false}};
    SaveAsRun copy = CopyThroughTheDialog(boxes, target);
    ASSERT_TRUE(copy.pressed && !copy.refused);
    EXPECT_EQ(watcher.boxes.size(), 1u) << "nothing but the Save As window";
    ExpectEveryCopyListed(names, target);
}

// Named by the tags with the template out of the box, into folders by artist and album; an
// entry the player has no reader for keeps its playlist title. Kept in step, the second run
// copies nothing.
TEST_P(OnAStick, TaggedCopiesAreLaidOutByArtistAndAlbum)
{
    TimeLimit limit("copying by tags onto a stick", StickTestLimit);
    std::wstring target = drive + L"t\\";
    CreateFolders(target);
    const std::vector<Hostile> tagged = {
        {L"a\\1.mp3", L"A", L"Alpha Band\\First Album\\01 Opening.mp3"},
        {L"a\\2.flac", L"B", L"AC-DC\\Back- In Black\\02 Who+.flac"},
        {L"b\\3.ogg", L"Untagged Song", L"Untagged Song.ogg"},
        {L"b\\4.mp3", L"D", L"Solo\\Alone.mp3"},
        {L"b\\5.mp3", L"E", L"CON_\\Vol. 2\\nul_.mp3"},
    };
    SetHostilePlaylist(tagged);
    const SimTags tags[] = {
        {{L"artist", L"Alpha"}, {L"albumartist", L"Alpha Band"}, {L"album", L"First Album"},
         {L"track", L"1"}, {L"title", L"Opening"}},
        {{L"artist", L"AC/DC"}, {L"album", L"Back: In Black"}, {L"track", L"2/10"}, {L"title", L"Who*"}},
        {},
        {{L"albumartist", L"Solo"}, {L"title", L"Alone"}},
        {{L"artist", L"CON"}, {L"album", L"Vol. 2."}, {L"title", L"nul"}},
    };
    for (size_t i = 0; i < tagged.size(); ++i)
        if (!tags[i].empty())
            host->fileTags[host->playlist[i].path] = tags[i];
    const std::map<int, bool> boxes = {{SavePlaylistBox, true}, {SaveM3U8Box, true},
                                       {NumberFilenamesBox, false}, {NameByTagsBox, true},
                                       {SkipUnchangedBox, true}};
    SaveAsRun first = CopyThroughTheDialog(boxes, target);
    ASSERT_TRUE(first.pressed && !first.refused);
    EXPECT_EQ(watcher.boxes.size(), 1u) << "nothing but the Save As window";
    ExpectEveryCopyListed(tagged, target);

    if (!GetParam().replacesFiles)
        DeleteFileW((target + L"playlist.m3u8").c_str());
    CopyThroughTheDialog(boxes, target);
    ASSERT_EQ(watcher.boxes.size(), 2u);
    EXPECT_EQ(watcher.boxes[1].text, L"All 5 files are already there and unchanged.");
    ExpectEveryCopyListed(tagged, target);
}

INSTANTIATE_TEST_SUITE_P(Sticks, OnAStick, ::testing::ValuesIn(Sticks), NameOfCase());

TEST(NumberPrefix, WidthFollowsTheDigitsOfTheCount)
{
    struct {
        int count, width;
        const wchar_t* format;
    } cases[] = {
        {0, 1, L"%01d_"},         {9, 1, L"%01d_"},          {10, 2, L"%02d_"},
        {99, 2, L"%02d_"},        {100, 3, L"%03d_"},        {999999999, 9, L"%09d_"},
        {1000000000, 10, L"%010d_"}, {2147483647, 10, L"%010d_"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NumberWidth(c.count), c.width) << c.count;
        NumberPrefix prefix = MakeNumberPrefix(c.count, true);
        EXPECT_STREQ(prefix.format, c.format) << c.count;
        EXPECT_EQ(prefix.length, c.width + 1);
    }
    EXPECT_EQ(MakeNumberPrefix(120, false).length, 0);
}

}  // namespace
