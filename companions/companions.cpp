#include "companions/companions.h"
#include <windows.h>
#include <stdlib.h>
#include <wchar.h>
#include "files/block_layout.h"
#include "files/file_facts.h"
#include "files/text_set.h"
#include "naming/copy_name.h"
#include "plan/plan_writing.h"
#include "state/plugin_state.h"

static const wchar_t LyricsExtension[] = L".lrc";
static const size_t LyricsExtensionLength = 4;
// In the order a folder's cover is looked for.
static const wchar_t* const CoverNames[] = {L"cover.jpg", L"folder.jpg", L"front.jpg",
                                            L"cover.png", L"folder.png", L"front.png"};
static const size_t LongestCoverName = 10;

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
    return JoinPath(lyrics, path, (size_t)(extension - path), LyricsExtension, LyricsExtensionLength);
}

// --- Lyrics ----------------------------------------------------------------------------------

// Adds a companion from its paths; its copy, or NoCopy when the records or the texts are full.
static uint32_t AddCompanion(CopyPlan* plan, const wchar_t* source, const wchar_t* destination,
                             const FileFacts& facts)
{
    size_t sourceLength = wcslen(source), destinationLength = wcslen(destination);
    if (destinationLength > MostPathLength ||
        !ReservePlanText(plan, sourceLength + destinationLength + 2))
        return NoCopy;
    uint32_t from = AddPlanText(plan, source, sourceLength);
    uint32_t to = AddPlanText(plan, destination, destinationLength);
    uint32_t copy = AddPlannedCopy(plan, from, to, facts.size);
    if (copy != NoCopy && plan->keepInStep)
        plan->copies[copy].unchanged = IsUnchangedCopyOf(facts, destination, plan->onFatVolume);
    return copy;
}

// A song's lyrics. Two songs of one name but for their extensions share their lyrics: one copy
// of them is enough, and a second would have the shell ask whether to replace the first.
static void PlanLyrics(CopyPlan* plan, TextSet* named, uint32_t song)
{
    wchar_t lyrics[PathCapacity], copy[PathCapacity];
    FileFacts facts;
    const wchar_t* source = PlanText(*plan, plan->copies[song].source);
    if (!LyricsPathOf(source, lyrics) || SameFileName(lyrics, source) ||
        !QueryFileFacts(lyrics, &facts) ||
        !LyricsPathOf(PlanText(*plan, plan->copies[song].destination), copy))
        return;
    int64_t listed = FindInTextSet(*named, plan->texts, copy);
    uint32_t companion = listed >= 0 ? CopyWithDestinationAt(*plan, listed)
                                     : AddCompanion(plan, lyrics, copy, facts);
    if (companion != NoCopy && listed < 0)
        AddText(named, plan->texts, plan->copies[companion].destination);
    plan->copies[song].lyrics = companion;
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
        if (!JoinPath(path, folder, folderLength, name, wcslen(name)))
            return cover;
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
// Its name is the table's, at the same index.
struct FolderCover {
    uint32_t source, sourceLength;  // the source of a song whose folder holds the cover
    FoundCover cover;
    bool shared;
    uint32_t copy;  // the cover's copy, once added
};

// The folders of copies, in the order they are first met, with their names.
struct FolderCovers {
    FolderCover* folders;
    PrefixTable names;
};

// The folder part of a path, its last backslash included; 0 when it has none.
static size_t FolderLength(const wchar_t* path)
{
    const wchar_t* slash = wcsrchr(path, L'\\');
    return slash ? (size_t)(slash - path) + 1 : 0;
}

// The songs of one folder follow each other: its cover is looked for once.
struct LastFolder {
    uint32_t source;
    size_t length;
    FoundCover cover;
    bool known;
};

static const FoundCover& CoverOf(LastFolder* last, const wchar_t* texts, uint32_t source)
{
    size_t length = FolderLength(texts + source);
    if (!last->known || last->length != length ||
        !SameFileName(texts + last->source, texts + source, length)) {
        *last = {source, length, length ? FindCover(texts + source, length) : FoundCover{}, true};
    }
    return last->cover;
}

// A folder of copies keeps a cover only while every song's folder has the same one. Returns
// the song's folder of copies, or NoCopy for a destination with none.
static uint32_t NoteCover(FolderCovers* covers, const CopyPlan& plan, const PlannedCopy& song,
                          LastFolder* last)
{
    size_t folderLength = FolderLength(PlanText(plan, song.destination));
    if (!folderLength)
        return NoCopy;
    const FoundCover& cover = CoverOf(last, plan.texts, song.source);
    // A folder for each song at the most: the table never fills.
    bool made;
    uint32_t index = FindOrAddPrefix(&covers->names, plan.texts, song.destination, (uint32_t)folderLength, &made);
    FolderCover& folder = covers->folders[index];
    if (made) {
        folder = {song.source, (uint32_t)last->length, cover, cover.found, NoCopy};
    } else if (folder.shared && !(cover.found && folder.cover.size == cover.size &&
                                  SameFileName(folder.cover.name, cover.name))) {
        folder.shared = false;
    }
    return index;
}

static void AddCover(CopyPlan* plan, const FolderCovers& covers, uint32_t index)
{
    FolderCover* folder = &covers.folders[index];
    uint32_t folderLength = covers.names.lengths[index];
    wchar_t source[PathCapacity], destination[PathCapacity];
    const wchar_t* name = folder->cover.name;
    size_t nameLength = wcslen(name);
    if (!folder->shared ||
        !JoinPath(source, PlanText(*plan, folder->source), folder->sourceLength, name, nameLength) ||
        !JoinPath(destination, PlanText(*plan, covers.names.starts[index]), folderLength, name,
                  nameLength))
        return;
    FileFacts facts;
    if (QueryFileFacts(source, &facts))
        folder->copy = AddCompanion(plan, source, destination, facts);
}

// What the walk over the songs needs: the folders of copies with their table, the lyrics
// listed, and each song's folder.
struct CompanionWork {
    FolderCovers covers;
    TextSet lyrics;
    uint32_t* songFolders;
};

static char* PlaceCompanionWork(size_t songs, CompanionWork* work)
{
    BlockLayout layout = {};
    size_t folders = ReservePart(&layout, SizeTimes(songs, sizeof(FolderCover)));
    size_t table = ReservePart(&layout, PrefixTableBytes(songs));
    size_t lyrics = ReservePart(&layout, TextSetBytes(songs));
    size_t songFolders = ReservePart(&layout, SizeTimes(songs, sizeof(uint32_t)));
    char* block = AllocateBlock(layout);
    if (!block)
        return nullptr;
    work->covers = {(FolderCover*)(block + folders), PlacePrefixTable(block + table, songs)};
    work->lyrics = PlaceTextSet(block + lyrics, songs);
    work->songFolders = (uint32_t*)(block + songFolders);
    return block;
}

bool AppendCompanions(CopyPlan* plan)
{
    uint32_t songs = plan->songCount;
    CompanionWork work;
    char* block = PlaceCompanionWork(songs, &work);
    if (!block)
        return false;
    LastFolder last = {};
    for (uint32_t song = 0; song < songs; ++song) {
        PlanLyrics(plan, &work.lyrics, song);
        work.songFolders[song] = NoteCover(&work.covers, *plan, plan->copies[song], &last);
    }
    for (uint32_t i = 0; i < work.covers.names.count; ++i)
        AddCover(plan, work.covers, i);
    for (uint32_t song = 0; song < songs; ++song)
        if (work.songFolders[song] != NoCopy)
            plan->copies[song].cover = work.covers.folders[work.songFolders[song]].copy;
    free(block);
    return true;
}
