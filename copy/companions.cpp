#include "copy/companions.h"
#include <windows.h>
#include <stdlib.h>
#include <wchar.h>
#include "copy/copy_index.h"
#include "copy/file_facts.h"
#include "state/plugin_state.h"

static const wchar_t LyricsExtension[] = L".lrc";
static const size_t LyricsExtensionLength = 4;
// In the order a folder's cover is looked for.
static const wchar_t* const CoverNames[] = {L"cover.jpg", L"folder.jpg", L"front.jpg",
                                            L"cover.png", L"folder.png", L"front.png"};
static const size_t LongestCoverName = 10;

CopyListSizes WithCompanions(CopyListSizes songs)
{
    // Each song's path or destination, its terminator counted, stands for the pair's own.
    size_t more = songs.entries * (LyricsExtensionLength + LongestCoverName);
    return {3 * songs.sourceChars + more, 3 * songs.destinationChars + more, songs.entries};
}

bool IsCoverName(const wchar_t* name)
{
    for (const wchar_t* cover : CoverNames)
        if (SameFileName(name, cover))
            return true;
    return false;
}

bool LyricsPathOf(const wchar_t* path, wchar_t* lyrics)
{
    const wchar_t* extension;
    SplitPath(path, nullptr, &extension);
    size_t kept = (size_t)(extension - path);
    if (kept + LyricsExtensionLength >= (size_t)PathCapacity)
        return false;
    wmemcpy(lyrics, path, kept);
    wmemcpy(lyrics + kept, LyricsExtension, LyricsExtensionLength + 1);
    return true;
}

// --- Lyrics ----------------------------------------------------------------------------------

// Two songs of one name but for their extensions share their lyrics: one copy of them is
// enough, and a second would have the shell ask whether to replace the first.
static void AppendLyrics(CopyLists* lists, TextSet* named, const wchar_t* source,
                         const wchar_t* destination)
{
    wchar_t lyrics[PathCapacity], copy[PathCapacity];
    FileFacts facts;
    if (!LyricsPathOf(source, lyrics) || SameFileName(lyrics, source) ||
        !QueryFileFacts(lyrics, &facts) || !LyricsPathOf(destination, copy) ||
        FindInTextSet(*named, lists->destinationList, copy) >= 0)
        return;
    uint32_t at = (uint32_t)(lists->destinationWrite - lists->destinationList);
    if (AppendPair(lists, lyrics, copy))
        AddText(named, lists->destinationList, at);
}

// --- The covers of the folders of copies ------------------------------------------------------

// A folder's cover: the first of CoverNames found there, under the name it has.
struct FoundCover {
    bool found;
    wchar_t name[LongestCoverName + 1];
    uint64_t size;
};

static FoundCover FindCover(const wchar_t* folder, size_t folderLength)
{
    FoundCover cover = {};
    wchar_t path[PathCapacity];
    for (const wchar_t* name : CoverNames) {
        size_t nameLength = wcslen(name);
        if (folderLength + nameLength >= (size_t)PathCapacity)
            return cover;
        wmemcpy(path, folder, folderLength);
        wmemcpy(path + folderLength, name, nameLength + 1);
        FileFacts facts;
        if (!QueryFileFacts(path, &facts))
            continue;
        // Its own name, in the case it has; a lookup by a short name would find another.
        WIN32_FIND_DATAW data;
        HANDLE search = FindFirstFileW(path, &data);
        if (search == INVALID_HANDLE_VALUE)
            continue;
        FindClose(search);
        if (!IsCoverName(data.cFileName))
            continue;
        cover = {true, {}, facts.size};
        wmemcpy(cover.name, data.cFileName, wcslen(data.cFileName) + 1);
        return cover;
    }
    return cover;
}

// A folder of copies and the cover every one of its songs' folders has, if they share one.
struct FolderCover {
    uint32_t folder, folderLength;  // in the destination list, with its backslash
    uint32_t source, sourceLength;  // the folder of a song holding the cover, in the source list
    FoundCover cover;
    bool shared;
};

// The folders of copies, in the order they are first met, and a table to find them by name.
struct FolderCovers {
    FolderCover* folders;
    uint32_t count;
    uint32_t* slots;  // index + 1, 0 for a free slot
    uint32_t mask;
};

static bool SameFolder(const wchar_t* a, const wchar_t* b, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        if (a[i] != b[i] && FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

static uint32_t FolderHash(const wchar_t* folder, size_t length)
{
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < length; ++i)
        hash = (hash ^ FoldCase(folder[i])) * 16777619u;
    return hash;
}

// The record of a folder of copies, made when it is first met.
static FolderCover* FolderOf(FolderCovers* covers, const wchar_t* list, const wchar_t* folder,
                             size_t length, bool* made)
{
    uint32_t at = FolderHash(folder, length) & covers->mask;
    for (; covers->slots[at]; at = (at + 1) & covers->mask) {
        FolderCover* known = &covers->folders[covers->slots[at] - 1];
        if (known->folderLength == length && SameFolder(list + known->folder, folder, length)) {
            *made = false;
            return known;
        }
    }
    FolderCover* record = &covers->folders[covers->count++];
    covers->slots[at] = covers->count;
    *record = {(uint32_t)(folder - list), (uint32_t)length, 0, 0, {}, false};
    *made = true;
    return record;
}

// The folder part of a path, its last backslash included; 0 when it has none.
static size_t FolderLength(const wchar_t* path)
{
    const wchar_t* slash = wcsrchr(path, L'\\');
    return slash ? (size_t)(slash - path) + 1 : 0;
}

// The songs of one folder follow each other: its cover is looked for once.
struct LastFolder {
    const wchar_t* path;
    size_t length;
    FoundCover cover;
};

static const FoundCover& CoverOf(LastFolder* last, const wchar_t* source)
{
    size_t length = FolderLength(source);
    if (!last->path || last->length != length || !SameFolder(last->path, source, length)) {
        last->path = source;
        last->length = length;
        last->cover = length ? FindCover(source, length) : FoundCover{};
    }
    return last->cover;
}

// A folder of copies keeps a cover only while every song's folder has the same one.
static void NoteCover(FolderCovers* covers, const CopyLists& lists, const wchar_t* source,
                      const wchar_t* destination, LastFolder* last)
{
    size_t folderLength = FolderLength(destination);
    if (!folderLength)
        return;
    const FoundCover& cover = CoverOf(last, source);
    bool made;
    FolderCover* folder = FolderOf(covers, lists.destinationList, destination, folderLength, &made);
    if (made) {
        folder->source = (uint32_t)(source - lists.sourceList);
        folder->sourceLength = (uint32_t)last->length;
        folder->cover = cover;
        folder->shared = cover.found;
    } else if (folder->shared && !(cover.found && folder->cover.size == cover.size &&
                                   SameFileName(folder->cover.name, cover.name))) {
        folder->shared = false;
    }
}

static void AppendCovers(CopyLists* lists, const FolderCovers& covers)
{
    wchar_t source[PathCapacity], destination[PathCapacity];
    for (uint32_t i = 0; i < covers.count; ++i) {
        const FolderCover& folder = covers.folders[i];
        size_t nameLength = wcslen(folder.cover.name) + 1;
        if (!folder.shared || folder.sourceLength + nameLength > (size_t)PathCapacity ||
            folder.folderLength + nameLength > (size_t)PathCapacity)
            continue;
        wmemcpy(source, lists->sourceList + folder.source, folder.sourceLength);
        wmemcpy(source + folder.sourceLength, folder.cover.name, nameLength);
        wmemcpy(destination, lists->destinationList + folder.folder, folder.folderLength);
        wmemcpy(destination + folder.folderLength, folder.cover.name, nameLength);
        AppendPair(lists, source, destination);
    }
}

bool AppendCompanions(CopyLists* lists)
{
    size_t songs = lists->entries > 0 ? (size_t)lists->entries : 0;
    // The table of folders has as many slots as a set of as many texts: it is placed as one.
    size_t folderBytes = songs * sizeof(FolderCover), setBytes = TextSetBytes(songs);
    char* block = (char*)malloc(folderBytes + 2 * setBytes);
    if (!block)
        return false;
    TextSet slots = PlaceTextSet(block + folderBytes, songs);
    FolderCovers covers = {(FolderCover*)block, 0, slots.slots, slots.mask};
    TextSet lyrics = PlaceTextSet(block + folderBytes + setBytes, songs);
    LastFolder last = {};
    const wchar_t* source = lists->sourceList;
    const wchar_t* destination = lists->destinationList;
    for (size_t i = 0; i < songs;
         ++i, source = NextPath(source), destination = NextPath(destination)) {
        AppendLyrics(lists, &lyrics, source, destination);
        NoteCover(&covers, *lists, source, destination, &last);
    }
    AppendCovers(lists, covers);
    free(block);
    return true;
}
