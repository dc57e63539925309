#include "order/play_order.h"
#include <windows.h>
#include <stdlib.h>
#include <wchar.h>
#include "files/block_layout.h"
#include "files/file_facts.h"
#include "naming/copy_name.h"
#include "order/folder_rewrite.h"
#include "playlist/playlist_file.h"

static const uint32_t NoFolder = 0xFFFFFFFF;
static const uint32_t NoRank = 0xFFFFFFFF;
// A copy the playlist has reached, before any folder lists it.
static const uint32_t Reached = 0xFFFFFFFE;
// Wanted entries are copies, or folders with this bit set.
static const uint32_t FolderBit = 0x80000000u;
static const int FileSystemNameCapacity = 16;

struct OrderFolder {
    uint32_t parent;       // NoFolder for the target
    bool existed;          // before the run
    bool heldEntries;      // before the run
    bool changed;          // the run wrote, replaced or removed an entry in it
    bool outOfOrder;       // the playlist reaches its songs or subfolders in another order now
    uint32_t firstReach;   // when the playlist first reaches it, in this run and the last
    uint32_t oldFirstReach;
    uint32_t lastOldRank;       // of its songs met so far, in playlist order
    uint32_t lastChildOldReach; // of its subfolders met so far
};

bool KeepsWrittenOrder(const wchar_t* folder)
{
    wchar_t root[PathCapacity], name[FileSystemNameCapacity] = {};
    if (!GetVolumePathNameW(folder, root, PathCapacity) ||
        !GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, name, FileSystemNameCapacity))
        return false;
    return SameFileName(name, L"FAT", 3) || SameFileName(name, L"exFAT");
}

// --- The folders -------------------------------------------------------------------------------

// A folder's path, without its closing backslash ("F:" for a drive's root).
static bool FolderPath(const OrderWork& work, const CopyPlan& plan, uint32_t folder, wchar_t* path)
{
    return JoinPath(path, plan.texts + work.names.starts[folder], work.names.lengths[folder], L"", 0);
}

static uint32_t FolderOf(OrderWork* work, const CopyPlan& plan, uint32_t start, uint32_t length,
                         uint32_t parent)
{
    bool added;
    uint32_t folder = FindOrAddPrefix(&work->names, plan.texts, start, length, &added);
    if (folder == NoPrefix)
        return NoFolder;
    if (added)
        work->folders[folder] = {parent, false, false, false, false, NoRank, NoRank, NoRank, NoRank};
    return folder;
}

// The deepest folder a copy goes in, every folder above it added on the way.
static uint32_t DeepestFolder(OrderWork* work, const CopyPlan& plan, const PlannedCopy& copy)
{
    const wchar_t* destination = PlanText(plan, copy.destination);
    uint32_t folder = FolderOf(work, plan, copy.destination, (uint32_t)plan.folderLength - 1, NoFolder);
    for (const wchar_t* at = destination + plan.folderLength; *at && folder != NoFolder; ++at)
        if (*at == L'\\')
            folder = FolderOf(work, plan, copy.destination, (uint32_t)(at - destination), folder);
    return folder;
}

static bool NoteAnEntry(void* found, const WIN32_FIND_DATAW&)
{
    *(bool*)found = true;
    return false;
}

static bool HasEntries(const wchar_t* folder)
{
    bool found = false;
    VisitEntries(folder, NoteAnEntry, &found);
    return found;
}

static bool Exists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

// A folder's path as the user knows it: a drive's root with its backslash.
static void ShownFolder(const wchar_t* path, wchar_t* shown)
{
    size_t length = wcslen(path);
    if (!JoinPath(shown, path, length, L"\\", length == 2 && path[1] == L':' ? 1 : 0))
        shown[0] = 0;
}

static bool FolderExists(const wchar_t* path)
{
    wchar_t shown[PathCapacity];
    ShownFolder(path, shown);
    return Exists(shown);
}

void NoteFoldersBefore(const CopyPlan& plan, OrderWork* work)
{
    *work = {};
    if (!plan.onFatVolume || !plan.copyCount || plan.folderLength < 3)
        return;
    size_t copies = plan.copyCount, folders = SizePlus(SizeTimes(copies, 4), 16);
    BlockLayout layout = {};
    size_t records = ReservePart(&layout, SizeTimes(folders, sizeof(OrderFolder)));
    size_t names = ReservePart(&layout, PrefixTableBytes(folders));
    size_t copyFolder = ReservePart(&layout, SizeTimes(copies, sizeof(uint32_t)));
    size_t oldRank = ReservePart(&layout, SizeTimes(copies, sizeof(uint32_t)));
    size_t wanted = ReservePart(&layout, SizeTimes(SizePlus(copies, folders), sizeof(uint32_t)));
    size_t listedFor = ReservePart(&layout, SizeTimes(copies, sizeof(uint32_t)));
    char* block = AllocateBlock(layout);
    if (!block)
        return;
    work->folders = (OrderFolder*)(block + records);
    work->names = PlacePrefixTable(block + names, folders);
    work->copyFolder = (uint32_t*)(block + copyFolder);
    work->oldRank = (uint32_t*)(block + oldRank);
    work->wanted = (uint32_t*)(block + wanted);
    work->listedFor = (uint32_t*)(block + listedFor);
    for (uint32_t i = 0; i < plan.copyCount; ++i)
        work->copyFolder[i] = DeepestFolder(work, plan, plan.copies[i]);
    for (uint32_t i = 0; i < work->names.count; ++i) {
        wchar_t path[PathCapacity];
        OrderFolder& folder = work->folders[i];
        folder.existed = FolderPath(*work, plan, i, path) && FolderExists(path);
        folder.heldEntries = folder.existed && HasEntries(path);
    }
}

void FreeOrderWork(OrderWork* work)
{
    free(work->folders);
    *work = {};
}

// --- What the run did ------------------------------------------------------------------------

// Each copy the run made or tried to make, and each folder it made, changed its folder.
static void NoteWhatWasWritten(const CopyPlan& plan, OrderWork* work)
{
    for (uint32_t i = 0; i < plan.copyCount; ++i)
        if (IsToCopy(plan.copies[i]) && work->copyFolder[i] != NoFolder)
            work->folders[work->copyFolder[i]].changed = true;
    for (uint32_t i = 0; i < work->names.count; ++i) {
        const OrderFolder& folder = work->folders[i];
        if (!folder.existed && folder.parent != NoFolder)
            work->folders[folder.parent].changed = true;
    }
}

// The folder of the table that `path` (`length` units of it) names; NoFolder when none does.
static uint32_t FolderNamed(const OrderWork& work, const CopyPlan& plan, const wchar_t* path,
                            size_t length)
{
    for (uint32_t i = 0; i < work.names.count; ++i)
        if (work.names.lengths[i] == length &&
            SameFileName(plan.texts + work.names.starts[i], path, length))
            return i;
    return NoFolder;
}

// A file the previous playlist file named that is gone changed the deepest folder above it that
// is still there (a folder emptied and removed is an entry gone from its parent).
static void NoteRemoved(const CopyPlan& plan, OrderWork* work, const wchar_t* full)
{
    wchar_t path[PathCapacity];
    lstrcpynW(path, full, PathCapacity);
    for (size_t length = wcslen(path); length > (size_t)plan.folderLength - 1;) {
        while (length > 0 && path[length - 1] != L'\\')
            --length;
        if (!length)
            return;
        path[--length] = 0;
        uint32_t folder = FolderNamed(*work, plan, path, length);
        if (folder != NoFolder && FolderExists(path)) {
            work->folders[folder].changed = true;
            return;
        }
    }
}

// Each copy's place in the previous playlist file, and when that file first reached each folder;
// a file it named that is gone changed its folder.
static void RankPrevious(const CopyPlan& plan, const PreviousPlaylist& previous, OrderWork* work)
{
    for (uint32_t i = 0; i < plan.copyCount; ++i)
        work->oldRank[i] = NoRank;
    if (!previous.file.bytes)
        return;
    PlaylistLines reader = ReadPlaylistLines(previous.file, previous.codePage);
    wchar_t wide[PathCapacity], relative[PathCapacity], full[PathCapacity];
    uint32_t rank = 0;
    while (NextListedPath(&reader, wide)) {
        if (!ResolveListedPath(wide, relative, PathCapacity) ||
            !JoinPath(full, plan.target, (size_t)plan.folderLength, relative, wcslen(relative)))
            continue;
        uint32_t copy = FindCopyByDestination(plan, full);
        if (copy == NoCopy || work->copyFolder[copy] == NoFolder) {
            if (!Exists(full))
                NoteRemoved(plan, work, full);
            continue;
        }
        if (work->oldRank[copy] != NoRank)
            continue;
        work->oldRank[copy] = rank++;
        for (uint32_t f = work->copyFolder[copy]; f != NoFolder && work->folders[f].oldFirstReach == NoRank;
             f = work->folders[f].parent)
            work->folders[f].oldFirstReach = rank - 1;
    }
}

// A song met before one the previous playlist file listed ahead of it puts its folder out of
// order; so does a subfolder reached before one reached ahead of it then.
static void NoteSongRank(OrderFolder* folder, uint32_t rank)
{
    if (rank == NoRank)
        return;
    if (folder->lastOldRank != NoRank && rank < folder->lastOldRank)
        folder->outOfOrder = true;
    else
        folder->lastOldRank = rank;
}

static void NoteFirstReach(OrderWork* work, uint32_t folder, uint32_t* reach)
{
    for (; folder != NoFolder && work->folders[folder].firstReach == NoRank; folder = work->folders[folder].parent) {
        OrderFolder& reached = work->folders[folder];
        reached.firstReach = (*reach)++;
        if (reached.parent == NoFolder || reached.oldFirstReach == NoRank)
            continue;
        OrderFolder& parent = work->folders[reached.parent];
        if (parent.lastChildOldReach != NoRank && reached.oldFirstReach < parent.lastChildOldReach)
            parent.outOfOrder = true;
        else
            parent.lastChildOldReach = reached.oldFirstReach;
    }
}

static void NoteOrderChanges(const CopyPlan& plan, OrderWork* work)
{
    uint32_t reach = 0;
    for (uint32_t i = 0; i < plan.copyCount; ++i)
        work->listedFor[i] = NoFolder;
    for (uint32_t i = 0; i < plan.entryCount; ++i) {
        uint32_t copy = plan.entries[i].song;
        // An entry of a song met before is where it was.
        if (copy == NoCopy || work->copyFolder[copy] == NoFolder || work->listedFor[copy] != NoFolder)
            continue;
        work->listedFor[copy] = Reached;
        NoteSongRank(&work->folders[work->copyFolder[copy]], work->oldRank[copy]);
        NoteFirstReach(work, work->copyFolder[copy], &reach);
    }
}

// --- The rewrite -------------------------------------------------------------------------------

// A folder's songs in playlist order, each with its lyrics, then its subfolders in the order
// the playlist first reaches them.
static uint32_t ListWanted(const CopyPlan& plan, OrderWork* work, uint32_t folder)
{
    uint32_t count = 0;
    for (uint32_t i = 0; i < plan.entryCount; ++i) {
        uint32_t copy = plan.entries[i].song;
        if (copy == NoCopy || work->copyFolder[copy] != folder || work->listedFor[copy] == folder)
            continue;
        work->listedFor[copy] = folder;
        work->wanted[count++] = copy;
        uint32_t lyrics = plan.copies[copy].lyrics;
        if (lyrics != NoCopy && work->copyFolder[lyrics] == folder)
            work->wanted[count++] = lyrics;
    }
    uint32_t firstFolder = count;
    for (uint32_t i = 0; i < work->names.count; ++i) {
        if (work->folders[i].parent != folder || work->folders[i].firstReach == NoRank)
            continue;
        uint32_t at = count++;
        for (; at > firstFolder && work->folders[work->wanted[at - 1] & ~FolderBit].firstReach >
                                       work->folders[i].firstReach; --at)
            work->wanted[at] = work->wanted[at - 1];
        work->wanted[at] = i | FolderBit;
    }
    return count;
}

struct WantedNames {
    const CopyPlan* plan;
    const OrderWork* work;
    uint32_t count;
    wchar_t name[MostNameLength + 1];
};

static const wchar_t* WantedNameAt(void* context, uint32_t index)
{
    WantedNames* names = (WantedNames*)context;
    if (index >= names->count)
        return nullptr;
    uint32_t wanted = names->work->wanted[index];
    const wchar_t* name;
    if (!(wanted & FolderBit)) {
        SplitPath(PlanText(*names->plan, names->plan->copies[wanted].destination), &name, nullptr);
        return name;
    }
    uint32_t folder = wanted & ~FolderBit;
    const wchar_t* start = names->plan->texts + names->work->names.starts[folder];
    size_t length = names->work->names.lengths[folder], from = length;
    while (from > 0 && start[from - 1] != L'\\')
        --from;
    if (!JoinPath(names->name, start + from, length - from, L"", 0))
        return L"";
    return names->name;
}

static Rewrite RewriteInPlayOrder(const CopyPlan& plan, OrderWork* work, uint32_t folder, const wchar_t* path)
{
    WantedNames names = {&plan, work, ListWanted(plan, work, folder), {}};
    return RewriteFolder(path, folder == 0 && IsDriveRoot(plan), {WantedNameAt, &names});
}

// A folder held entries before the run and the run changed it or the playlist reaches it in
// another order; after a rewrite cut short, every folder that holds entries.
static bool NeedsRewrite(const CopyPlan& plan, const OrderFolder& folder)
{
    return folder.heldEntries && (plan.reorderEveryFolder || folder.changed || folder.outOfOrder);
}

bool PutInPlayOrder(const CopyPlan& plan, const PreviousPlaylist& previous, OrderWork* work,
                    wchar_t* failed)
{
    failed[0] = 0;
    if (!work->folders)
        return true;
    NoteWhatWasWritten(plan, work);
    RankPrevious(plan, previous, work);
    NoteOrderChanges(plan, work);
    for (uint32_t i = 0; i < work->names.count; ++i) {
        wchar_t path[PathCapacity];
        if (!NeedsRewrite(plan, work->folders[i]) || !FolderPath(*work, plan, i, path) || !FolderExists(path))
            continue;
        if (RewriteInPlayOrder(plan, work, i, path) != Rewrite::Done && !failed[0])
            ShownFolder(path, failed);
    }
    return !failed[0];
}
