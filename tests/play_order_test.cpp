// Play order on the sticks, through the DLL: players that do not sort play a folder's entries in
// the order they stand on a FAT or exFAT stick. The order is read from the volume itself, not
// through Wine, which lists names sorted: fusefat's own listing for FAT32, the image's directory
// entries for exFAT (exfat-fuse lists from its memory).
#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include <string>
#include <vector>
#include "hostsim/plugin_loader.h"
#include "resources/resource_ids.h"
#include "support/case_names.h"
#include "support/stick_fixture.h"

namespace {

// --- Reading the order from the volume ---------------------------------------------------------

std::string Environment(const std::string& name)
{
    char value[512] = {};
    GetEnvironmentVariableA(name.c_str(), value, sizeof value);
    return value;
}

// Runs `command` in the machine's own shell (Wine starts a Unix program as it is) and gives its
// output's lines. Wine gives no handle to wait on for such a program: its output is moved into
// place once whole, and waited for.
std::vector<std::string> UnixLines(const std::string& command)
{
    const std::string output = "/tmp/corvelle-order-" + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(GetTickCount());
    std::string shell = command + " > " + output + ".part; mv " + output + ".part " + output;
    std::wstring line = L"Z:\\bin\\sh -c \"" + std::wstring(shell.begin(), shell.end()) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<wchar_t> text(line.begin(), line.end());
    text.push_back(0);
    if (!CreateProcessW(nullptr, text.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return {};
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    std::wstring unixPath = L"Z:" + std::wstring(output.begin(), output.end());
    for (int waited = 0; GetFileAttributesW(unixPath.c_str()) == INVALID_FILE_ATTRIBUTES && waited < 30000; waited += 10)
        Sleep(10);
    std::string bytes = ReadBytes(unixPath);
    DeleteFileW(unixPath.c_str());
    std::vector<std::string> lines;
    for (size_t start = 0, end; start < bytes.size(); start = end + 1) {
        end = bytes.find('\n', start);
        end = end == std::string::npos ? bytes.size() : end;
        lines.push_back(bytes.substr(start, end - start));
    }
    return lines;
}

uint64_t Little(const std::string& bytes, size_t at, int size)
{
    uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | (uint8_t)bytes[at + (size_t)i];
    return value;
}

// exFAT's directory entries, read from the image: a folder is a run of entry sets (file, stream,
// names), in the order they stand; a freed set has its in-use bit clear.
struct Exfat {
    std::string image;
    uint64_t fat, heap, clusterBytes;

    std::string Cluster(uint32_t cluster) const { return image.substr(heap + (cluster - 2) * clusterBytes, clusterBytes); }

    std::string Folder(uint32_t first, bool contiguous, uint64_t length) const
    {
        std::string bytes;
        for (uint32_t cluster = first; cluster >= 2 && cluster < 0xFFFFFFF7;) {
            bytes += Cluster(cluster);
            if (contiguous)
                cluster = bytes.size() < length ? cluster + 1 : 0;
            else
                cluster = (uint32_t)Little(image, fat + cluster * 4, 4);
        }
        return bytes;
    }

    struct Entry {
        std::wstring name;
        uint32_t first;
        bool contiguous;
        uint64_t length;
    };

    std::vector<Entry> Entries(const std::string& folder) const
    {
        std::vector<Entry> entries;
        for (size_t at = 0; at + 32 <= folder.size() && folder[at]; at += 32) {
            if ((uint8_t)folder[at] != 0x85)
                continue;
            size_t stream = at + 32;
            Entry entry = {L"", (uint32_t)Little(folder, stream + 0x14, 4), (folder[stream + 1] & 2) != 0,
                           Little(folder, stream + 0x18, 8)};
            size_t length = (uint8_t)folder[stream + 3];
            for (size_t name = stream + 32; entry.name.size() < length; name += 32)
                for (size_t i = 0; i < 15 && entry.name.size() < length; ++i)
                    entry.name += (wchar_t)Little(folder, name + 2 + 2 * i, 2);
            entries.push_back(entry);
        }
        return entries;
    }
};

std::vector<std::wstring> Split(const std::wstring& relative)
{
    std::vector<std::wstring> parts;
    for (size_t start = 0, end; start < relative.size(); start = end + 1) {
        end = relative.find(L'\\', start);
        end = end == std::wstring::npos ? relative.size() : end;
        if (end > start)
            parts.push_back(relative.substr(start, end - start));
    }
    return parts;
}

std::vector<std::wstring> ExfatOrder(const std::string& imagePath, const std::wstring& relative)
{
    UnixLines("sync");
    Exfat volume = {ReadBytes(L"Z:" + std::wstring(imagePath.begin(), imagePath.end())), 0, 0, 0};
    const std::string& boot = volume.image;
    int sectorShift = (uint8_t)boot[0x6C], clusterShift = (uint8_t)boot[0x6D];
    volume.fat = Little(boot, 0x50, 4) << sectorShift;
    volume.heap = Little(boot, 0x58, 4) << sectorShift;
    volume.clusterBytes = (uint64_t)1 << (sectorShift + clusterShift);
    std::string folder = volume.Folder((uint32_t)Little(boot, 0x60, 4), false, 0);
    for (const std::wstring& part : Split(relative)) {
        std::vector<Exfat::Entry> entries = volume.Entries(folder);
        auto found = std::find_if(entries.begin(), entries.end(), [&](const Exfat::Entry& entry) {
            return lstrcmpiW(entry.name.c_str(), part.c_str()) == 0;
        });
        if (found == entries.end())
            return {L"no folder " + part};
        folder = volume.Folder(found->first, found->contiguous, found->length);
    }
    std::vector<std::wstring> names;
    for (const Exfat::Entry& entry : volume.Entries(folder))
        names.push_back(entry.name);
    return names;
}

// The entries of `relative` (below the stick's root) in the order they stand on the volume.
std::vector<std::wstring> StandingOrder(const Stick& stick, const std::wstring& relative)
{
    std::string variable = stick.variable;
    if (variable.find("EXFAT") != std::string::npos)
        return ExfatOrder(Environment(variable + "_IMAGE"), relative);
    std::string folder = Environment(variable + "_MOUNT") + "/";
    for (wchar_t ch : relative)
        folder += ch == L'\\' ? '/' : (char)ch;
    std::vector<std::wstring> names;
    for (const std::string& line : UnixLines("ls -U -A '" + folder + "'"))
        if (!line.empty())
            names.push_back(std::wstring(line.begin(), line.end()));
    return names;
}

// --- The runs ---------------------------------------------------------------------------------

typedef std::vector<std::wstring> Names;

// Every move the module makes is counted.
int Moves = 0;
BOOL(WINAPI* RealMoveFile)(LPCWSTR, LPCWSTR) = nullptr;
BOOL WINAPI CountMove(LPCWSTR from, LPCWSTR to)
{
    ++Moves;
    return RealMoveFile(from, to);
}

class PlayOrder : public StickFixture {
protected:
    void SetUp() override
    {
        StickFixture::SetUp();
        if (drive.empty())
            return;
        target = drive + L"t\\";
        CreateFolders(target);
        RealMoveFile = (decltype(RealMoveFile))ReplaceImport(plugin.module, "KERNEL32.dll", "MoveFileW",
                                                             (void*)CountMove);
        ASSERT_NE(RealMoveFile, nullptr);
    }

    // What a test left at the root goes, and a holding folder with it.
    void TearDown() override
    {
        if (!drive.empty()) {
            RemoveFolder(drive + L"~CVORDER\\");
            for (const std::wstring& name : ListFiles(drive))
                if (name.find(L'\\') == std::wstring::npos)
                    DeleteFileW((drive + name).c_str());
        }
        StickFixture::TearDown();
    }

    // A song below music\ (folders of its own when the name holds them) with `bytes`.
    std::wstring Song(const std::wstring& relative, size_t bytes = 600)
    {
        std::wstring path = folder + L"music\\" + relative;
        CreateFolders(path.substr(0, path.rfind(L'\\') + 1));
        WriteBytes(path, std::string(bytes, (char)('a' + relative.size() % 26)));
        return path;
    }

    // The playlist: each title the copy's name.
    void Playlist(const std::vector<std::pair<std::wstring, std::wstring>>& songs)
    {
        host->playlist.clear();
        for (const auto& song : songs)
            host->playlist.push_back({song.first, song.second, 60});
    }

    void Copy(const std::wstring& into, std::map<int, bool> more = {})
    {
        std::map<int, bool> boxes = {{SavePlaylistBox, true}, {SaveM3U8Box, false}, {NumberFilenamesBox, false},
                                     {UsePlaylistTitleBox, true}, {IncludeDirectoryBox, false},
                                     {SkipUnchangedBox, true}, {RemoveDroppedBox, true}};
        for (const auto& box : more)
            boxes[box.first] = box.second;
        Moves = 0;
        SaveAsRun copy = CopyThroughTheDialog(boxes, into, IDYES);
        ASSERT_TRUE(copy.pressed && !copy.refused);
    }

    Names Order(const std::wstring& relative) { return StandingOrder(GetParam(), relative); }

    std::wstring target;
};

const wchar_t* const Titles[] = {L"Zulu", L"Alpha", L"Mike", L"Echo", L"Kilo", L"Delta", L"Bravo", L"Yankee"};

class PlayOrderSongs : public PlayOrder {
protected:
    void SetUp() override
    {
        PlayOrder::SetUp();
        for (const wchar_t* name : Titles)
            songs[name] = Song(std::wstring(name) + L".mp3");
    }

    void Play(const Names& names)
    {
        std::vector<std::pair<std::wstring, std::wstring>> list;
        for (const std::wstring& name : names)
            list.push_back({songs[name], name});
        Playlist(list);
    }

    // FUSE's FAT driver can neither cut nor replace a file (the playlist file among them): there,
    // the playlist file goes before each run, and no song is replaced.
    void CopyAgain(const std::wstring& into)
    {
        if (!GetParam().replacesFiles)
            DeleteFileW((into + L"playlist.m3u").c_str());
        Copy(into);
    }

    std::map<std::wstring, std::wstring> songs;
};

Names Mp3(const Names& titles)
{
    Names names;
    for (const std::wstring& title : titles)
        names.push_back(title + L".mp3");
    return names;
}

// The first copy stands in play order. A sync brings Bravo and Yankee in, moves Mike and Alpha
// later and, where the stick can, takes Mike out and changes Kilo; after it the folder reads in
// play order, then the playlist file and the user's own file. A re-run with nothing changed
// moves nothing.
TEST_P(PlayOrderSongs, ASyncLeavesTheFolderInPlayOrder)
{
    TimeLimit limit("syncs in play order", StickTestLimit);
    Play({L"Zulu", L"Alpha", L"Mike", L"Echo", L"Kilo", L"Delta"});
    Copy(target);
    EXPECT_EQ(Order(L"t"), (Names{L"playlist.m3u", L"Zulu.mp3", L"Alpha.mp3", L"Mike.mp3", L"Echo.mp3",
                                  L"Kilo.mp3", L"Delta.mp3"}));
    EXPECT_EQ(Moves, 0) << "a folder made and filled in order needs nothing";

    WriteBytes(target + L"zz-mine.txt", "the user's own");
    Names synced = {L"Zulu", L"Bravo", L"Echo", L"Kilo", L"Delta", L"Yankee", L"Mike", L"Alpha"};
    if (GetParam().replacesFiles) {
        Song(L"Kilo.mp3", 900);
        synced.erase(synced.begin() + 6);
    }
    Play(synced);
    CopyAgain(target);
    Names expected = Mp3(synced);
    expected.push_back(L"playlist.m3u");
    expected.push_back(L"zz-mine.txt");
    EXPECT_EQ(Order(L"t"), expected);
    EXPECT_EQ(ReadBytes(target + L"Kilo.mp3"), ReadBytes(songs[L"Kilo"]));
    EXPECT_EQ(ReadBytes(target + L"zz-mine.txt"), "the user's own");

    CopyAgain(target);
    EXPECT_EQ(Moves, 0) << "nothing changed, nothing moved";
    Names again = Order(L"t");
    again.resize(synced.size());
    EXPECT_EQ(again, Mp3(synced));
    EXPECT_EQ(ListFiles(drive).size(), synced.size() + 2) << "no holding folder left";
}

// The target at a drive's root cannot be put aside: its entries go out and come back.
TEST_P(PlayOrderSongs, AtADrivesRootTheEntriesComeBackInOrder)
{
    TimeLimit limit("the root in play order", StickTestLimit);
    RemoveFolder(target);
    Play({L"Zulu", L"Alpha", L"Echo"});
    Copy(drive);
    Play({L"Echo", L"Bravo", L"Zulu", L"Alpha"});
    CopyAgain(drive);
    Names order = Order(L"");
    order.resize(4);
    EXPECT_EQ(order, Mp3({L"Echo", L"Bravo", L"Zulu", L"Alpha"}));
    EXPECT_EQ(ListFiles(drive).size(), 5u) << "no holding folder left";
    for (const std::wstring& name : ListFiles(drive))
        DeleteFileW((drive + name).c_str());
}

// A song held open by another program cannot move: the rewrite puts back what moved, nothing is
// lost, and the box names the folder.
TEST_P(PlayOrderSongs, AFileHeldOpenLosesNothingAndIsTold)
{
    TimeLimit limit("a file held open", StickTestLimit);
    Play({L"Zulu", L"Alpha", L"Echo"});
    Copy(target);
    HANDLE held = CreateFileW((target + L"Echo.mp3").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Play({L"Echo", L"Bravo", L"Zulu", L"Alpha"});
    CopyAgain(target);
    CloseHandle(held);

    EXPECT_EQ(ListFiles(drive), (Names{L"t\\Alpha.mp3", L"t\\Bravo.mp3", L"t\\Echo.mp3", L"t\\Zulu.mp3",
                                       L"t\\playlist.m3u"}));
    ASSERT_FALSE(watcher.boxes.empty());
    EXPECT_EQ(watcher.boxes.back().text,
              L"The files in " + target.substr(0, target.size() - 1) +
                  L" could not be put in play order: one may be open in another program. No file "
                  L"was lost; copy again to put them in order.");
}

// A rewrite cut short (the stick pulled) left songs in the holding folder beside the target: the
// next run moves them back before it plans, so nothing is copied again, and puts the folder in
// order.
TEST_P(PlayOrderSongs, ARewriteCutShortIsFinishedByTheNextRun)
{
    TimeLimit limit("a rewrite cut short", StickTestLimit);
    Play({L"Zulu", L"Alpha", L"Echo"});
    Copy(target);
    std::wstring held = drive + L"~CVORDER\\t\\";
    CreateFolders(held);
    for (const wchar_t* name : {L"Zulu.mp3", L"Echo.mp3"})
        ASSERT_TRUE(MoveFileW((target + name).c_str(), (held + name).c_str()));
    CopyAgain(target);

    EXPECT_EQ(Moves, 2 + 2 * 4) << "the two held back, then three songs and the playlist file out and back";
    Names order = Order(L"t");
    order.resize(3);
    EXPECT_EQ(order, Mp3({L"Zulu", L"Alpha", L"Echo"}));
    EXPECT_EQ(ListFiles(drive), (Names{L"t\\Alpha.mp3", L"t\\Echo.mp3", L"t\\Zulu.mp3", L"t\\playlist.m3u"}));
    ASSERT_FALSE(watcher.boxes.empty());
    EXPECT_EQ(watcher.boxes.back().text, L"All 3 files are already there and unchanged.");
}

INSTANTIATE_TEST_SUITE_P(Sticks, PlayOrderSongs, ::testing::Values(Sticks[1], Sticks[2]), NameOfCase());

// Folders follow the order the playlist first reaches them, by parent folder or by the tags'
// template: a new album East and South reached first put South, East, North in that order, the
// songs inside each in playlist order; a playlist that only reaches them in another order does
// the same. On exFAT alone: FUSE's FAT driver empties a folder moved into another one (seen: `mv
// a/North b/North` leaves North empty), a fault of the driver that a stick in Windows has not.
TEST_P(PlayOrder, FoldersStandInTheOrderThePlaylistReachesThem)
{
    TimeLimit limit("folders in play order", StickTestLimit);
    std::wstring n1 = Song(L"North\\n1.mp3"), n2 = Song(L"North\\n2.mp3"), s1 = Song(L"South\\s1.mp3"),
                 e1 = Song(L"East\\e1.mp3");
    host->fileTags[n1] = TagsOf(L"album=North|title=n1");
    host->fileTags[n2] = TagsOf(L"album=North|title=n2");
    host->fileTags[s1] = TagsOf(L"album=South|title=s1");
    host->fileTags[e1] = TagsOf(L"album=East|title=e1");
    const std::map<int, bool> byFolder = {{IncludeDirectoryBox, true}};
    const std::map<int, bool> byTags = {{NameByTagsBox, true}};
    int round = 0;
    for (const auto& naming : {byFolder, byTags}) {
        std::wstring relative = L"t\\" + std::to_wstring(round++), into = drive + relative + L"\\";
        CreateFolders(into);
        Playlist({{n1, L"n1"}, {s1, L"s1"}, {n2, L"n2"}});
        Copy(into, naming);
        Playlist({{s1, L"s1"}, {e1, L"e1"}, {n2, L"n2"}, {n1, L"n1"}});
        Copy(into, naming);
        EXPECT_EQ(Order(relative), (Names{L"South", L"East", L"North", L"playlist.m3u"})) << round;
        EXPECT_EQ(Order(relative + L"\\North"), (Names{L"n2.mp3", L"n1.mp3"})) << round;
        Playlist({{n1, L"n1"}, {e1, L"e1"}, {s1, L"s1"}, {n2, L"n2"}});
        Copy(into, naming);
        EXPECT_EQ(Order(relative), (Names{L"North", L"East", L"South", L"playlist.m3u"})) << round;
        EXPECT_EQ(Order(relative + L"\\North"), (Names{L"n1.mp3", L"n2.mp3"})) << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Sticks, PlayOrder, ::testing::Values(Sticks[2]), NameOfCase());

// NTFS lists by name: nothing is moved, whatever the run changed.
class NtfsOrder : public PlayOrderSongs {};

TEST_P(NtfsOrder, NothingMoves)
{
    TimeLimit limit("nothing moves on NTFS", StickTestLimit);
    Play({L"Zulu", L"Alpha"});
    Copy(target);
    Play({L"Bravo", L"Alpha", L"Zulu"});
    Copy(target);
    EXPECT_EQ(Moves, 0);
    EXPECT_EQ(ListFiles(target), (Names{L"Alpha.mp3", L"Bravo.mp3", L"Zulu.mp3", L"playlist.m3u"}));
}

INSTANTIATE_TEST_SUITE_P(Sticks, NtfsOrder, ::testing::Values(Sticks[0]), NameOfCase());

}  // namespace
