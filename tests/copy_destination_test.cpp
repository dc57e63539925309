#include <gtest/gtest.h>
#include "support/case_names.h"
#include <random>
#include <regex>
#include <string>
#include <vector>
#include "host/host_link.h"
#include "naming/copy_destination.h"
#include "support/plugin_fixture.h"

namespace {

typedef const char* Options;
const Options Off = "";
const Options Directory = "IncludeDirectory";
const Options Numbered = "NumberFilenames";
const Options DirectoryNumbered = "NumberFilenames IncludeDirectory";
const Options Title = "UsePlaylistTitle";
const Options TitleNumbered = "NumberFilenames UsePlaylistTitle";
const Options Everything = "NumberFilenames UsePlaylistTitle IncludeDirectory";

// What a destination may take, and a guard zone after it that no naming may overwrite.
const size_t Guard = 32;
const wchar_t GuardMark = 0xFDD0;

class DestinationTest : public PluginFixture {
protected:
    void Use(Options options) { State.Options = OptionsOn(options); }

    // The destination a plan into `target` (its folder part) makes for entry `index`, with the
    // path the host gives for it now; empty when no name fits.
    std::wstring DestinationOf(int index, const std::wstring& target, int count)
    {
        CopyPlan plan = {};
        wcscpy(plan.target, target.c_str());
        plan.folderLength = (int)target.size();
        NumberPrefix prefix = MakeNumberPrefix(count, State.Options.NumberFilenames != 0);
        wchar_t path[HostTextCapacity];
        CopyPlaylistFile(index, path);
        std::vector<wchar_t> out(MostPathLength + 1 + Guard, GuardMark);
        size_t length = MakeDestination(plan, prefix, index, path, nullptr, out.data());
        for (size_t i = MostPathLength + 1; i < out.size(); ++i)
            EXPECT_EQ(out[i], GuardMark) << "written past the room of a destination";
        EXPECT_TRUE(!length || out[length] == 0) << "a destination ends with its terminator";
        return std::wstring(out.data(), length);
    }
};

struct NamingCase {
    const char* name;
    const wchar_t* path;
    const wchar_t* title;
    Options options;
    int count;
    int index;
    const wchar_t* destination;  // under the target E:\Stick\ ;
};

const NamingCase NamingCases[] = {
    {"all options off", L"D:\\Music\\Album\\track.mp3", L"T", Off, 12, 3, L"E:\\Stick\\track.mp3"},
    {"parent folder kept", L"D:\\Music\\Album\\track.mp3", L"T", Directory, 12, 3, L"E:\\Stick\\Album\\track.mp3"},
    {"folder and number", L"D:\\Music\\Album\\track.mp3", L"T", DirectoryNumbered, 12, 3, L"E:\\Stick\\Album\\04_track.mp3"},
    {"nine entries, one digit", L"D:\\a\\b.mp3", L"", Numbered, 9, 8, L"E:\\Stick\\9_b.mp3"},
    {"ten entries, two digits", L"D:\\a\\b.mp3", L"", Numbered, 10, 0, L"E:\\Stick\\01_b.mp3"},
    {"ten entries, last", L"D:\\a\\b.mp3", L"", Numbered, 10, 9, L"E:\\Stick\\10_b.mp3"},
    {"120 entries, first", L"D:\\a\\b.mp3", L"", Numbered, 120, 0, L"E:\\Stick\\001_b.mp3"},
    {"120 entries, last", L"D:\\a\\b.mp3", L"", Numbered, 120, 119, L"E:\\Stick\\120_b.mp3"},
    {"folder one level down", L"D:\\Music\\song.mp3", L"", Directory, 1, 0, L"E:\\Stick\\Music\\song.mp3"},
    {"file in a volume root", L"D:\\song.mp3", L"", Directory, 1, 0, L"E:\\Stick\\song.mp3"},
    {"relative folder", L"Music\\song.mp3", L"", Directory, 1, 0, L"E:\\Stick\\Music\\song.mp3"},
    {"no extension", L"D:\\Music\\README", L"", Off, 1, 0, L"E:\\Stick\\README"},
    {"no extension, by title", L"D:\\Music\\README", L"Read me", Title, 1, 0, L"E:\\Stick\\Read me"},
    {"dot only in a folder", L"D:\\My.Music\\track", L"", Off, 1, 0, L"E:\\Stick\\track"},
    {"title replaced characters", L"D:\\m\\x.mp3", L"AC/DC: Back?", Title, 1, 0, L"E:\\Stick\\AC-DC- Back\x00BF.mp3"},
    {"all nine replaced", L"D:\\m\\x.ogg", L"\"*/:<>?\\|", Title, 1, 0, L"E:\\Stick\\'+--\x00AB\x00BB\x00BF_!.ogg"},
    {"file name replaced too", L"D:\\m\\a|b.mp3", L"", Off, 1, 0, L"E:\\Stick\\a!b.mp3"},
    {"folder and extension kept as they are", L"D:\\m\\Best Of!\\a.b c", L"x:y", Everything, 1, 0, L"E:\\Stick\\Best Of!\\1_x-y.b c"},
    {"folder that cannot be a name", L"D:\\m\\Best: Of\\a.mp3", L"", Directory, 1, 0, L"E:\\Stick\\a.mp3"},
    {"slash in the extension", L"D:\\m.x/y", L"", Off, 1, 0, L"E:\\Stick\\m.x-y"},
    {"extension of a dot and a slash", L"D:\\x./", L"", Off, 1, 0, L"E:\\Stick\\x.-"},
    {"empty title, numbered", L"D:\\m\\x.mp3", L"", TitleNumbered, 12, 0, L"E:\\Stick\\01_.mp3"},
    {"surrogate pair title", L"D:\\m\\x.mp3", L"\xD83C\xDFB5 Song", Title, 1, 0, L"E:\\Stick\\\xD83C\xDFB5 Song.mp3"},
    {"stream address", L"http://radio.example/live", L"", Off, 1, 0, L"E:\\Stick\\http---radio.example-live"},
    // A folder that Windows resolves to another place is never kept.
    {"parent named ..", L"D:\\Music\\..\\song.mp3", L"", Directory, 1, 0, L"E:\\Stick\\song.mp3"},
    {"parent named .", L"D:\\Music\\.\\song.mp3", L"", Directory, 1, 0, L"E:\\Stick\\song.mp3"},
    {"parent of dots and spaces", L"D:\\Music\\. .\\song.mp3", L"", Directory, 1, 0, L"E:\\Stick\\song.mp3"},
    {"empty parent", L"D:\\Music\\\\song.mp3", L"", Directory, 1, 0, L"E:\\Stick\\song.mp3"},
    {"drive as parent", L"\\\\?\\C:\\song.mp3", L"", Directory, 1, 0, L"E:\\Stick\\song.mp3"},
    {"long-path prefix", L"\\\\?\\C:\\Music\\song.mp3", L"", Directory, 1, 0, L"E:\\Stick\\Music\\song.mp3"},
    {"slashes in the parent", L"D:/x/../..\\song.mp3", L"", Directory, 1, 0, L"E:\\Stick\\song.mp3"},
    // A name of nothing takes the file's own name; Windows would drop the dots anyway.
    {"title of two dots", L"D:\\m\\x", L"..", Title, 1, 0, L"E:\\Stick\\x"},
    {"empty title, no extension", L"D:\\m\\x", L"", Title, 1, 0, L"E:\\Stick\\x"},
    {"file named ..", L"D:\\m\\..", L"", Off, 1, 0, L"E:\\Stick\\_"},
    {"numbered dots go", L"D:\\m\\x", L"..", TitleNumbered, 1, 0, L"E:\\Stick\\1_"},
    // What Windows would read as a device, in a file name or a folder name.
    {"device title", L"D:\\m\\x.mp3", L"Con", Title, 1, 0, L"E:\\Stick\\Con_.mp3"},
    {"device folder", L"D:\\NUL\\x.mp3", L"", Directory, 1, 0, L"E:\\Stick\\NUL_\\x.mp3"},
    {"folder with a trailing dot", L"D:\\Vol. 2.\\x.mp3", L"", Directory, 1, 0, L"E:\\Stick\\Vol. 2\\x.mp3"},
    {"line breaks in a title", L"D:\\m\\x.mp3", L"Two\r\n#EXTINF:1,x\r\nC:\\Windows\\win.ini", Title, 1, 0,
     L"E:\\Stick\\Two  #EXTINF-1,x  C-_Windows_win.ini.mp3"},
};

void PrintTo(const NamingCase& c, std::ostream* out) { *out << c.name; }

class Naming : public DestinationTest, public ::testing::WithParamInterface<NamingCase> {};

TEST_P(Naming, DestinationFollowsTheOptions)
{
    const NamingCase& c = GetParam();
    Use(c.options);
    std::vector<SimEntry> entries((size_t)c.count, SimEntry{L"D:\\other\\y.mp3", L"other", 1});
    entries[(size_t)c.index] = SimEntry{c.path, c.title, 1};
    SetPlaylist(entries);
    EXPECT_EQ(DestinationOf(c.index, L"E:\\Stick\\", c.count), c.destination);
}

INSTANTIATE_TEST_SUITE_P(Cases, Naming, ::testing::ValuesIn(NamingCases), NameOfCase());

TEST_F(DestinationTest, TenDigitCountsGetTenDigitPrefixes)
{
    Use(Numbered);
    SetPlaylist({{L"D:\\a\\b.mp3", L"", 1}});
    EXPECT_EQ(DestinationOf(0, L"E:\\", 1000000000), L"E:\\0000000001_b.mp3");
}

// A deep target leaves less room: the title is cut to it, and an entry that has not even room
// for its folder, prefix and extension gets no name (the run reports it).
TEST_F(DestinationTest, DestinationsKeepToWhatWindowsTakes)
{
    struct {
        const char* name;
        size_t targetLength;  // the target folder's, with its backslash
        Options options;
        const wchar_t* path;
        size_t length;  // of the destination; 0: none
    } cases[] = {
        {"cut to MAX_PATH", 200, Title, L"D:\\m\\x.mp3", 259},
        {"cut to the longest name", 3, Title, L"D:\\m\\x.mp3", 3 + 255},
        {"folder to create at its limit", 242, Directory, L"D:\\Album\\x.mp3", 242 + 6 + 5},
        {"folder to create past its limit", 243, Directory, L"D:\\Album\\x.mp3", 0},
        {"room for the extension alone", 255, Off, L"D:\\m\\x.mp3", 259},
        {"no room for the number", 255, Numbered, L"D:\\m\\x.mp3", 0},
    };
    for (const auto& c : cases) {
        Use(c.options);
        SetPlaylist({{c.path, std::wstring(300, L't'), 1}});
        std::wstring folder = c.targetLength > 3 ? L"E:\\" + std::wstring(c.targetLength - 4, L'd') + L"\\" : L"E:\\";
        EXPECT_EQ(DestinationOf(0, folder, 1).size(), c.length) << c.name;
    }
}

// --- Many playlists -------------------------------------------------------------------------

std::wstring RandomText(std::mt19937& random, size_t most)
{
    static const wchar_t pieces[] = L"ab .\\/:*?\"<>|x\xE9\t";
    std::wstring text;
    size_t length = random() % (most + 1);
    while (text.size() < length) {
        if (random() % 12 == 0) {
            text += L"\xD83C\xDFB5";  // a surrogate pair
            continue;
        }
        text += pieces[random() % (sizeof pieces / sizeof pieces[0] - 1)];
    }
    return text;
}

std::wstring RandomPath(std::mt19937& random)
{
    static const wchar_t* roots[] = {L"D:\\", L"\\\\server\\share\\", L"", L"C:\\..\\", L"\\\\?\\C:\\"};
    std::wstring path = roots[random() % 5];
    static const wchar_t* devices[] = {L"CON", L"nul.x", L"Com1 ", L"LPT\x00B2"};
    int folders = (int)(random() % 4);
    for (int i = 0; i < folders; ++i) {
        std::wstring name = RandomText(random, 6);
        if (random() % 6 == 0)
            name = devices[random() % 4];
        path += (random() % 5 == 0 ? std::wstring(L"..") : name) + L"\\";
    }
    if (random() % 8 == 0)
        path += random() % 2 ? devices[random() % 4] : std::wstring(200 + random() % 200, L'z');
    path += RandomText(random, 10);
    if (random() % 3)
        path += L".mp3";
    return path;
}

// Windows reads a name as a device when what comes before its first dot, less trailing
// spaces, is one in any case.
bool ReadAsDevice(const std::wstring& name)
{
    static const std::wregex device(
        L"(CON|PRN|AUX|NUL|CONIN\\$|CONOUT\\$|(COM|LPT)[0-9\x00B9\x00B2\x00B3]) *(\\..*)?", std::regex::icase);
    return std::regex_match(name, device);
}

// Every name of a destination below the target is one Windows stores as it is written, and
// the whole path is within what Windows takes.
::testing::AssertionResult WindowsTakes(const std::wstring& destination, size_t targetLength)
{
    if (destination.size() > MostPathLength)
        return ::testing::AssertionFailure() << "longer than MAX_PATH allows: " << Utf8(destination);
    for (size_t start = targetLength; start < destination.size();) {
        size_t end = destination.find(L'\\', start);
        end = end == std::wstring::npos ? destination.size() : end;
        std::wstring name = destination.substr(start, end - start);
        bool control = false;
        for (wchar_t ch : name)
            control = control || ch < 0x20;
        if (name.empty() || name.size() > MostNameLength || control || name.back() == L'.' ||
            name.back() == L' ' || ReadAsDevice(name))
            return ::testing::AssertionFailure() << "a name Windows does not take: " << Utf8(destination);
        start = end + 1;
    }
    return ::testing::AssertionSuccess();
}

// True when the path, resolved as Windows resolves it, names something inside the folder.
bool StaysInside(const std::wstring& folder, const std::wstring& path)
{
    wchar_t full[1024];
    DWORD length = GetFullPathNameW(path.c_str(), 1024, full, nullptr);
    std::wstring resolved(full, length);
    return resolved.size() > folder.size() && resolved.compare(0, folder.size(), folder) == 0;
}

TEST_F(DestinationTest, ManyRandomPlaylistsStayBoundedAndInsideTheTarget)
{
    std::mt19937 random(20261208);
    const std::wstring targetFolder = L"E:\\Stick\\";
    for (int round = 0; round < 400; ++round) {
        State.Options = OptionsOn("");
        State.Options.IncludeDirectory = random() % 2 == 0;
        State.Options.NumberFilenames = random() % 2 == 0;
        State.Options.UsePlaylistTitle = random() % 2 == 0;
        std::vector<SimEntry> entries(random() % 40);
        for (SimEntry& entry : entries) {
            entry.path = RandomPath(random);
            entry.title = RandomText(random, 12);
            entry.hasTitle = random() % 10 != 0;
        }
        SetPlaylist(entries);
        // Now and then a target folder so deep that names must be cut to fit.
        std::wstring deep = targetFolder;
        if (random() % 4 == 0)
            deep += std::wstring(180 + random() % 66, L'd') + L"\\";
        for (int i = 0; i < State.PlaylistCount; ++i) {
            std::wstring destination = DestinationOf(i, deep, State.PlaylistCount);
            if (destination.empty())
                continue;
            ASSERT_TRUE(StaysInside(deep, destination)) << Utf8(destination);
            ASSERT_TRUE(WindowsTakes(destination, deep.size())) << "round " << round;
        }
    }
}

}  // namespace
