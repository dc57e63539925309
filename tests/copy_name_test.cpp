#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "copy/copy_name.h"
#include "support/case_names.h"

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

}  // namespace
