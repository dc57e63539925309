#include "room/room.h"
#include "room/room_internal.h"
#include <stdlib.h>
#include <wchar.h>
#include "files/block_layout.h"
#include "files/file_facts.h"
#include "playlist/playlist_file.h"

// Where a volume does not tell its clusters.
static const uint64_t UsualCluster = 4096;
static const uint32_t NoFolder = 0xFFFFFFFF;

// A folder a copy goes in, at every level below the target: a new one takes a cluster. Its
// name is the weighing's, at the same index.
struct RoomFolder {
    uint32_t parent;  // the folder above it, NoFolder at the target
    bool isNew;       // not there before the run
    bool counted;     // its cluster is counted already
};

static uint64_t Clusters(uint64_t bytes, uint64_t cluster) { return (bytes + cluster - 1) / cluster * cluster; }

static uint64_t ClusterOf(const wchar_t* folder)
{
    wchar_t root[PathCapacity];
    DWORD sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
    if (!GetVolumePathNameW(folder, root, PathCapacity) ||
        !GetDiskFreeSpaceW(root, &sectors, &bytes, &freeClusters, &clusters) || !sectors || !bytes)
        return UsualCluster;
    return (uint64_t)sectors * bytes;
}

// --- Folders ---------------------------------------------------------------------------------

static bool FolderExists(const wchar_t* folder, uint32_t length)
{
    wchar_t path[PathCapacity];
    if (length >= (uint32_t)PathCapacity)
        return false;
    wmemcpy(path, folder, length);
    path[length] = 0;
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder `length` units of the destination at `start` name, made when first met.
static uint32_t FolderNamed(RoomWeighing* work, const wchar_t* texts, uint32_t start, uint32_t length,
                            uint32_t parent)
{
    bool added;
    uint32_t folder = FindOrAddPrefix(&work->names, texts, start, length, &added);
    // Past what the table holds a folder goes uncounted, as a folder there already would.
    if (folder == NoPrefix)
        return parent;
    if (added)
        work->folders[folder] = {parent, !FolderExists(texts + start, length), false};
    return folder;
}

// The deepest folder below the target that a destination goes in; NoFolder for the target.
static uint32_t DeepestFolder(RoomWeighing* work, const CopyPlan& plan, const PlannedCopy& copy)
{
    const wchar_t* destination = PlanText(plan, copy.destination);
    uint32_t folder = NoFolder;
    for (const wchar_t* at = destination + plan.folderLength; *at; ++at)
        if (*at == L'\\')
            folder = FolderNamed(work, plan.texts, copy.destination,
                                 (uint32_t)(at - destination), folder);
    return folder;
}

// The clusters of the new folders above `folder` not counted yet; counts them when `count`.
static uint64_t NewFolders(RoomWeighing* work, uint32_t folder, uint64_t cluster, bool count)
{
    uint64_t bytes = 0;
    for (; folder != NoFolder && !work->folders[folder].counted; folder = work->folders[folder].parent) {
        if (work->folders[folder].isNew)
            bytes += cluster;
        if (count)
            work->folders[folder].counted = true;
    }
    return bytes;
}

// --- The playlist file ---------------------------------------------------------------------

static void WeighLines(CopyPlan* plan)
{
    for (uint32_t i = 0; i < plan->entryCount; ++i) {
        PlannedEntry& entry = plan->entries[i];
        entry.lineBytes = plan->writesPlaylist && entry.song != NoCopy ? PlaylistEntryBytes(*plan, entry) : 0;
    }
}

// The clusters a playlist file of `bytes` takes: one at least.
static uint64_t PlaylistClusters(uint64_t bytes, uint64_t cluster)
{
    uint64_t clusters = Clusters(bytes, cluster);
    return clusters ? clusters : cluster;
}

// --- Weighing --------------------------------------------------------------------------------

static bool PlaceFolders(size_t copies, RoomWeighing* weighing)
{
    // Most copies share their folders; a few levels each leave room for templates that nest.
    size_t folders = SizePlus(SizeTimes(copies, 4), 16);
    BlockLayout layout = {};
    size_t records = ReservePart(&layout, SizeTimes(folders, sizeof(RoomFolder)));
    size_t names = ReservePart(&layout, PrefixTableBytes(folders));
    char* block = AllocateBlock(layout);
    if (!block)
        return false;
    weighing->folders = (RoomFolder*)(block + records);
    weighing->names = PlacePrefixTable(block + names, folders);
    return true;
}

// What each copy to be made takes, less what the file it replaces takes, and its folder.
static void WeighCopies(RoomWeighing* work, CopyPlan* plan)
{
    for (uint32_t i = 0; i < plan->copyCount; ++i) {
        PlannedCopy& copy = plan->copies[i];
        copy.takes = 0;
        copy.folder = NoFolder;
        if (copy.unchanged)
            continue;
        FileFacts replaced;
        uint64_t freed = QueryFileFacts(PlanText(*plan, copy.destination), &replaced)
                             ? Clusters(replaced.size, work->cluster) : 0;
        copy.takes = (int64_t)Clusters(copy.size, work->cluster) - (int64_t)freed;
        copy.folder = DeepestFolder(work, *plan, copy);
    }
}

static void ForgetCounted(RoomWeighing* work)
{
    for (uint32_t i = 0; i < work->names.count; ++i)
        work->folders[i].counted = false;
}

// Every copy to be made, its new folders and the playlist file, less what they replace.
static uint64_t NeededForAll(RoomWeighing* work, const CopyPlan& plan)
{
    uint64_t lines = PlaylistHeaderBytes();
    for (uint32_t i = 0; i < plan.entryCount; ++i)
        lines += plan.entries[i].lineBytes;
    int64_t needed = plan.writesPlaylist ? (int64_t)PlaylistClusters(lines, work->cluster) : 0;
    for (uint32_t i = 0; i < plan.copyCount; ++i)
        if (!plan.copies[i].unchanged)
            needed += plan.copies[i].takes + (int64_t)NewFolders(work, plan.copies[i].folder, work->cluster, true);
    ForgetCounted(work);
    return needed > 0 ? (uint64_t)needed : 0;
}

bool WeighRoom(CopyPlan* plan, RoomWeighing* weighing)
{
    *weighing = {};
    wchar_t folder[PathCapacity];
    if (plan->folderLength <= 0 || plan->folderLength >= PathCapacity)
        return false;
    lstrcpynW(folder, plan->target, plan->folderLength + 1);
    if (!QueryFreeSpace(folder, &weighing->available) || !PlaceFolders(plan->copyCount, weighing))
        return false;
    weighing->cluster = ClusterOf(folder);
    WeighCopies(weighing, plan);
    WeighLines(plan);
    weighing->needed = NeededForAll(weighing, *plan);
    for (uint32_t i = 0; i < plan->songCount; ++i)
        weighing->songs += plan->copies[i].unchanged ? 0 : 1;
    return true;
}

void FreeRoomWeighing(RoomWeighing* weighing)
{
    free(weighing->folders);
    weighing->folders = nullptr;
    weighing->names = {};
}

// --- What fits -------------------------------------------------------------------------------

// A copy not taken yet is marked left out: every one to be made starts so.
static bool IsTaken(const PlannedCopy& copy) { return !copy.leftOut; }

// What a song takes with its companions not taken yet and its new folders not counted yet.
static int64_t SongTakes(RoomWeighing* work, const CopyPlan& plan, const PlannedCopy& song)
{
    int64_t takes = song.unchanged ? 0 : song.takes;
    const uint32_t companions[] = {song.lyrics, song.cover};
    for (uint32_t companion : companions)
        if (companion != NoCopy && !IsTaken(plan.copies[companion]))
            takes += plan.copies[companion].takes;
    return takes + (int64_t)NewFolders(work, song.folder, work->cluster, false);
}

static void TakeSong(RoomWeighing* work, CopyPlan* plan, PlannedCopy* song)
{
    song->leftOut = false;
    const uint32_t companions[] = {song->lyrics, song->cover};
    for (uint32_t companion : companions)
        if (companion != NoCopy)
            plan->copies[companion].leftOut = false;
    NewFolders(work, song->folder, work->cluster, true);
}

// An entry whose copy is left out does not fit.
static void NoteWhatDoesNotFit(CopyPlan* plan)
{
    for (uint32_t i = 0; i < plan->entryCount; ++i) {
        PlannedEntry& entry = plan->entries[i];
        if (entry.song != NoCopy && plan->copies[entry.song].leftOut)
            entry.fate = EntryFate::DoesNotFit;
    }
}

// What the playlist file grows by, in clusters, with `more` bytes of lines.
static int64_t PlaylistGrowth(const CopyPlan& plan, uint64_t bytes, uint64_t more, uint64_t cluster)
{
    if (!plan.writesPlaylist)
        return 0;
    return (int64_t)(PlaylistClusters(bytes + more, cluster) - PlaylistClusters(bytes, cluster));
}

uint32_t FitToRoom(CopyPlan* plan, RoomWeighing* weighing)
{
    for (uint32_t i = 0; i < plan->copyCount; ++i)
        plan->copies[i].leftOut = !plan->copies[i].unchanged;
    uint64_t lines = PlaylistHeaderBytes(), cluster = weighing->cluster;
    int64_t budget = (int64_t)weighing->available -
                     (plan->writesPlaylist ? (int64_t)PlaylistClusters(lines, cluster) : 0);
    uint32_t fitting = 0;
    // An unchanged song takes nothing itself, but its companions and its lines may; an entry
    // whose copy an earlier one took is listed all the same.
    for (uint32_t i = 0; i < plan->entryCount; ++i) {
        const PlannedEntry& entry = plan->entries[i];
        if (entry.song == NoCopy)
            continue;
        PlannedCopy& song = plan->copies[entry.song];
        int64_t growth = PlaylistGrowth(*plan, lines, entry.lineBytes, cluster);
        bool taken = !song.unchanged && IsTaken(song);
        int64_t takes = growth + (taken ? 0 : SongTakes(weighing, *plan, song));
        if (takes > budget && !taken)
            continue;
        budget -= takes;
        lines += entry.lineBytes;
        if (taken)
            continue;
        fitting += song.unchanged ? 0 : 1;
        TakeSong(weighing, plan, &song);
    }
    ForgetCounted(weighing);
    NoteWhatDoesNotFit(plan);
    weighing->fitting = fitting;
    return fitting;
}

void CopyEverySong(CopyPlan* plan)
{
    for (uint32_t i = 0; i < plan->copyCount; ++i)
        plan->copies[i].leftOut = false;
    for (uint32_t i = 0; i < plan->entryCount; ++i)
        if (plan->entries[i].fate == EntryFate::DoesNotFit)
            plan->entries[i].fate = EntryFate::Copied;
}

bool FindShortfall(CopyPlan* plan, RoomShortfall* shortfall)
{
    RoomWeighing weighing;
    // A place whose free space cannot be had is not held up here; the shell copy reports.
    if (!WeighRoom(plan, &weighing))
        return false;
    bool roomy = weighing.needed <= weighing.available;
    if (!roomy)
        FitToRoom(plan, &weighing);
    FreeRoomWeighing(&weighing);
    *shortfall = {weighing.needed, weighing.available, weighing.fitting, weighing.songs};
    return !roomy;
}
