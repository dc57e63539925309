#include "copy/copy_lists.h"
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include "copy/file_facts.h"
#include "copy/name_template.h"
#include "host/host_link.h"
#include "state/plugin_state.h"
#include "text/format_bounded.h"

// A parent folder part is looked for only when at least this many characters precede the
// file name, so that a file in a volume root (D:\song.mp3) keeps none.
static const size_t ParentFolderMinimumOffset = 5;

// The parent folder part as the measuring counts it: the folder that directly holds the
// file, with its closing backslash. Empty when the path has none.
struct FolderPart {
    const wchar_t* start;
    size_t length;
};

static FolderPart FindParentFolderPart(const wchar_t* path, const wchar_t* fileName)
{
    size_t nameAt = (size_t)(fileName - path);
    if (nameAt < ParentFolderMinimumOffset)
        return {nullptr, 0};
    const wchar_t* start = path;
    for (const wchar_t* at = fileName - 2; at >= path; --at) {
        if (*at == L'\\') {
            start = at + 1;
            break;
        }
    }
    return {start, (size_t)(fileName - start)};
}

// What an entry's destination can need, for its path of `pathLength` units as it is split.
static size_t MeasureDestination(int index, const wchar_t* path, const wchar_t* fileName,
                                 const wchar_t* extension, size_t pathLength, size_t fixed)
{
    const CopyOptions& options = State.Options;
    // No tag is asked before the filling: a destination is bounded all the same.
    if (options.NameByTags)
        return MostPathLength + 1;
    size_t extensionLength = (size_t)(path + pathLength - extension);
    // A title that leaves nothing gives way to the file's own base name.
    size_t base = (size_t)(extension - fileName);
    if (options.UsePlaylistTitle) {
        wchar_t title[HostTextCapacity];
        CopyPlaylistTitle(index, title);
        size_t titleLength = wcslen(title);
        base = titleLength > base ? titleLength : base;
    }
    if (options.IncludeDirectory) {
        FolderPart part = FindParentFolderPart(path, fileName);
        if (part.length)
            base += part.length + 1;
    }
    // One more for the "_" of a device name or of a name of nothing.
    size_t destination = extensionLength + base + fixed + 1;
    // No destination is longer than Windows takes.
    return destination < MostPathLength + 1 ? destination : MostPathLength + 1;
}

CopyListSizes MeasureCopyLists(const wchar_t* targetPath, const NumberPrefix& prefix)
{
    // The target, the number, the terminator and, keeping in step, the longest " (n)".
    size_t fixed = wcslen(targetPath) + (size_t)prefix.length + 1;
    if (State.Options.SkipUnchanged)
        fixed += MostSuffixLength;
    CopyListSizes sizes = {0, 0, 0};
    wchar_t path[HostTextCapacity];
    for (int i = 0; i < State.PlaylistCount; ++i) {
        if (!CopyPlaylistFile(i, path))
            continue;
        const wchar_t *fileName, *extension;
        size_t pathLength = SplitPath(path, &fileName, &extension);
        sizes.sourceChars += pathLength + 1;
        sizes.destinationChars +=
            MeasureDestination(i, path, fileName, extension, pathLength, fixed);
        sizes.entries++;
    }
    return sizes;
}

CopyLists AllocateCopyLists(CopyListSizes sizes, size_t indexEntries)
{
    CopyLists lists = {};
    lists.sourceList = (wchar_t*)malloc((sizes.sourceChars + 1) * sizeof(wchar_t));
    lists.destinationList = (wchar_t*)malloc((sizes.destinationChars + 1) * sizeof(wchar_t));
    void* index = indexEntries ? malloc(CopyIndexBytes(indexEntries)) : nullptr;
    if (index)
        lists.index = PlaceCopyIndex(index, indexEntries);
    if (!lists.sourceList || !lists.destinationList || (indexEntries && !index)) {
        FreeCopyLists(&lists);
        return lists;
    }
    lists.sourceCapacity = sizes.sourceChars + 1;
    lists.destinationCapacity = sizes.destinationChars + 1;
    lists.sourceWrite = lists.sourceList;
    lists.destinationWrite = lists.destinationList;
    *lists.sourceWrite = 0;
    *lists.destinationWrite = 0;
    return lists;
}

void FreeCopyLists(CopyLists* lists)
{
    free(lists->sourceList);
    free(lists->destinationList);
    free(lists->index.records);
    *lists = {};
}

static size_t RoomLeft(const wchar_t* list, const wchar_t* write, size_t capacity)
{
    return capacity - (size_t)(write - list);
}

static wchar_t* Append(wchar_t* at, const wchar_t* text, size_t length)
{
    memcpy(at, text, length * sizeof(wchar_t));
    return at + length;
}

static bool IsNameTaken(const CopyLists& lists, const wchar_t* destination)
{
    return FindByDestination(lists.index, lists.destinationList, destination) ||
           (lists.reservedName && SameFileName(destination, lists.reservedName));
}

// Writes the file name after the folder part of `destination` and ends the destination.
// Keeping a folder in step, " (2)", " (3)" ... go before the extension until no other copy of
// the run has the name. Returns the name's length, 0 when no name fits in `most`.
static size_t NameCopy(const CopyLists& lists, FileNameParts parts, const NamingRules& rules,
                       wchar_t* destination, wchar_t* name, size_t most)
{
    for (uint32_t number = 2;; ++number) {
        size_t length = MakeFileName(parts, rules, most, name);
        if (length == 0)
            return 0;
        name[length] = 0;
        if (!lists.keepsInStep || !IsNameTaken(lists, destination))
            return length;
        parts.copyNumber = number;
    }
}

// The parent folder kept under the target, with its backslash, in `folder`; its length, 0
// when there is none or it is not kept.
static size_t ParentFolderName(const wchar_t* path, const wchar_t* fileName,
                               const NamingRules& rules, wchar_t* folder)
{
    if (!State.Options.IncludeDirectory)
        return 0;
    FolderPart part = FindParentFolderPart(path, fileName);
    if (!part.length)
        return 0;
    size_t length = MakeFolderName(part.start, part.length - 1, rules, folder);
    if (length)
        folder[length++] = L'\\';
    return length;
}

static void IndexCopy(CopyLists* lists, const wchar_t* source, const wchar_t* destination)
{
    if (!lists->index.records)
        return;
    AddCopyRecord(&lists->index, lists->sourceList, lists->destinationList,
                  (uint32_t)(source - lists->sourceList),
                  (uint32_t)(destination - lists->destinationList));
    if (lists->keepsInStep && IsUnchangedCopy(source, destination))
        lists->index.records[lists->index.count - 1].unchanged = 1;
}

static void AppendSource(CopyLists* lists, const wchar_t* path, size_t pathLength)
{
    wchar_t* at = Append(lists->sourceWrite, path, pathLength);
    *at++ = 0;
    *at = 0;
    lists->sourceWrite = at;
}

// What comes between the target and the file name, and the base of the file name.
struct EntryName {
    const wchar_t* folders;  // each folder with its backslash
    size_t foldersLength;
    wchar_t parent[MostNameLength + 2];  // the parent folder kept, when the options keep it
    wchar_t title[HostTextCapacity];     // the playlist's title, when the options name by it
    TemplateName tagged;                 // the name by tags, when the options name by tags
};

// The parent folder (when kept) and the title or the file's own base name.
static void NameByPath(int index, const wchar_t* path, const NamingRules& rules,
                       FileNameParts* parts, EntryName* name)
{
    name->foldersLength = ParentFolderName(path, parts->ownBase, rules, name->parent);
    name->folders = name->parent;
    if (State.Options.UsePlaylistTitle) {
        CopyPlaylistTitle(index, name->title);
        parts->base = name->title;
        parts->baseLength = wcslen(name->title);
    }
}

// Folders and base by the template. The folders are cut to leave the target's folders within
// what the shell creates and the shortest file name within the path: the file name is cut
// first, then the folders.
static bool NameByTags(int index, const wchar_t* path, const NamingRules& rules, size_t most,
                       size_t targetLength, FileNameParts* parts, EntryName* name)
{
    size_t shortest = ShortestFileName(*parts, rules);
    if (targetLength + shortest > most)
        return false;
    size_t foldersMost = most - targetLength - shortest;
    // A target too deep for the shell to create folders in takes the file alone.
    size_t created = targetLength <= MostFolderLength + 1 ? MostFolderLength + 1 - targetLength : 0;
    foldersMost = foldersMost < created ? foldersMost : created;
    if (!NameByTemplate(State.Options.NameTemplate, index, path, rules, foldersMost, &name->tagged))
        return false;
    name->folders = name->tagged.folders;
    name->foldersLength = name->tagged.foldersLength;
    // A file name of nothing takes the source's own.
    if (name->tagged.baseLength) {
        parts->base = name->tagged.base;
        parts->baseLength = name->tagged.baseLength;
    }
    return true;
}

// Writes the destination of entry `index` at the list's write position and returns where its
// relative part starts; null when it does not fit the list or what Windows takes: a folder to
// create over MostFolderLength, or not even an empty base within MostPathLength.
static wchar_t* WriteDestination(CopyLists* lists, const NumberPrefix& prefix, int index,
                                 const wchar_t* path, CopyTarget target)
{
    const wchar_t *fileName, *extension;
    size_t pathLength = SplitPath(path, &fileName, &extension);
    NamingRules rules = NamingRulesForRun();
    // Each list keeps its closing NUL at the write position; an entry adds its own NUL.
    size_t room = RoomLeft(lists->destinationList, lists->destinationWrite,
                           lists->destinationCapacity);
    size_t most = room < 2 ? 0 : room - 2;
    most = most < MostPathLength ? most : MostPathLength;
    if ((size_t)target.folderLength >= most)
        return nullptr;

    wchar_t number[16] = {};
    if (prefix.length)
        FormatBounded(number, (uint32_t)prefix.length + 1, prefix.format, index + 1);
    FileNameParts parts = {number, wcslen(number), fileName, (size_t)(extension - fileName),
                           fileName, (size_t)(extension - fileName),
                           extension, (size_t)(path + pathLength - extension), 0};
    EntryName name;
    if (!State.Options.NameByTags)
        NameByPath(index, path, rules, &parts, &name);
    else if (!NameByTags(index, path, rules, most, (size_t)target.folderLength, &parts, &name))
        return nullptr;
    size_t before = (size_t)target.folderLength + name.foldersLength;
    if (before >= most || (name.foldersLength && before - 1 > MostFolderLength))
        return nullptr;

    wchar_t* destination = lists->destinationWrite;
    wchar_t* relative = Append(destination, target.path, (size_t)target.folderLength);
    wchar_t* fileNameAt = Append(relative, name.folders, name.foldersLength);
    size_t nameMost = MostNameLength < most - before ? MostNameLength : most - before;
    size_t nameLength = NameCopy(*lists, parts, rules, destination, fileNameAt, nameMost);
    if (!nameLength)
        return nullptr;
    fileNameAt[nameLength + 1] = 0;
    lists->destinationWrite = fileNameAt + nameLength + 1;
    return relative;
}

const wchar_t* AppendCopyEntry(CopyLists* lists, const NumberPrefix& prefix, int index,
                               const wchar_t* path, CopyTarget target)
{
    // An empty path would read as the end of the list and cut off every later entry.
    if (!path || !*path || !lists->sourceList)
        return nullptr;
    if (lists->keepsInStep) {
        const CopyRecord* earlier = FindBySource(lists->index, lists->sourceList, path);
        if (earlier)
            return lists->destinationList + earlier->destination + target.folderLength;
    }
    size_t pathLength = wcslen(path);
    if (pathLength + 2 > RoomLeft(lists->sourceList, lists->sourceWrite, lists->sourceCapacity))
        return nullptr;
    wchar_t* destination = lists->destinationWrite;
    const wchar_t* relative = WriteDestination(lists, prefix, index, path, target);
    if (!relative) {
        // Nothing of the entry stays; the list is ended where it was.
        *destination = 0;
        return nullptr;
    }
    wchar_t* source = lists->sourceWrite;
    AppendSource(lists, path, pathLength);
    lists->entries++;
    IndexCopy(lists, source, destination);
    return relative;
}

bool AppendPair(CopyLists* lists, const wchar_t* source, const wchar_t* destination)
{
    size_t sourceLength = wcslen(source), destinationLength = wcslen(destination);
    if (!lists->sourceList || destinationLength > MostPathLength ||
        sourceLength + 2 > RoomLeft(lists->sourceList, lists->sourceWrite, lists->sourceCapacity) ||
        destinationLength + 2 > RoomLeft(lists->destinationList, lists->destinationWrite,
                                         lists->destinationCapacity))
        return false;
    AppendSource(lists, source, sourceLength);
    wchar_t* at = Append(lists->destinationWrite, destination, destinationLength);
    *at++ = 0;
    *at = 0;
    lists->destinationWrite = at;
    lists->companions++;
    return true;
}

// Moving each kept path down to the write position never overtakes a path not yet moved.
static wchar_t* MoveDown(wchar_t* to, const wchar_t* from)
{
    size_t length = (size_t)(NextPath(from) - from);
    memmove(to, from, length * sizeof(wchar_t));
    return to + length;
}

// Moves the cover art and lyrics that are not there unchanged down after the songs kept.
static int KeepChangedCompanions(CopyLists* lists, wchar_t** source, wchar_t** destination)
{
    const wchar_t* from = lists->sourceList + lists->companionSources;
    const wchar_t* to = lists->destinationList + lists->companionDestinations;
    int kept = 0;
    for (int i = 0; i < lists->companions; ++i) {
        const wchar_t* nextFrom = NextPath(from);
        const wchar_t* nextTo = NextPath(to);
        if (!IsUnchangedCopy(from, to)) {
            *source = MoveDown(*source, from);
            *destination = MoveDown(*destination, to);
            ++kept;
        }
        from = nextFrom;
        to = nextTo;
    }
    return kept;
}

int LeaveOutUnchanged(CopyLists* lists)
{
    // Only a folder kept in step marks copies unchanged.
    if (!lists->keepsInStep || !lists->index.records || !lists->sourceList)
        return lists->entries;
    wchar_t* source = lists->sourceList;
    wchar_t* destination = lists->destinationList;
    int kept = 0;
    for (uint32_t i = 0; i < lists->index.count; ++i) {
        const CopyRecord& record = lists->index.records[i];
        if (record.unchanged)
            continue;
        source = MoveDown(source, lists->sourceList + record.source);
        destination = MoveDown(destination, lists->destinationList + record.destination);
        ++kept;
    }
    lists->companions = KeepChangedCompanions(lists, &source, &destination);
    *source = 0;
    *destination = 0;
    lists->sourceWrite = source;
    lists->destinationWrite = destination;
    lists->entries = kept;
    lists->index.count = 0;
    return kept;
}
