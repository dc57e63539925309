#include "copy/copy_outcome.h"
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include "copy/playlist_file.h"
#include "state/plugin_state.h"

// The block's parts: the noted copies, then the three sets, each on a 4-byte boundary.
static size_t NotedBytes(size_t count) { return (count * sizeof(NotedCopy) + 7) & ~(size_t)7; }

CopyOutcome NoteDestinations(const CopyLists& lists)
{
    CopyOutcome outcome = {};
    size_t count = (size_t)(lists.entries > 0 ? lists.entries : 0) +
                   (size_t)(lists.companions > 0 ? lists.companions : 0);
    size_t setBytes = TextSetBytes(count);
    char* block = (char*)malloc(NotedBytes(count) + 3 * setBytes);
    if (!block)
        return outcome;
    outcome.copies = (NotedCopy*)block;
    char* sets = block + NotedBytes(count);
    outcome.failed = PlaceTextSet(sets, count);
    outcome.placed = PlaceTextSet(sets + setBytes, count);
    outcome.sources = PlaceTextSet(sets + 2 * setBytes, count);
    const wchar_t* destination = lists.destinationList;
    for (const wchar_t* source = lists.sourceList; *source && outcome.count < count;
         source = NextPath(source), destination = NextPath(destination)) {
        NotedCopy& copy = outcome.copies[outcome.count++];
        copy.sourceFound = QueryFileFacts(source, &copy.source);
        copy.existed = QueryFileFacts(destination, &copy.destination);
        copy.inPlace = 0;
        AddText(&outcome.sources, lists.sourceList, (uint32_t)(source - lists.sourceList));
    }
    outcome.songs = lists.entries > 0 ? (uint32_t)lists.entries : 0;
    return outcome;
}

void FreeCopyOutcome(CopyOutcome* outcome)
{
    free(outcome->copies);
    *outcome = {};
}

// The shell wrote to a destination that was not there, or that changed under it.
static bool WrittenByTheShell(const NotedCopy& copy, const FileFacts& now)
{
    return !copy.existed || now.size != copy.destination.size ||
           now.writeTime != copy.destination.writeTime;
}

static uint32_t OffsetIn(const wchar_t* list, const wchar_t* text) { return (uint32_t)(text - list); }

uint32_t CheckCopies(CopyOutcome* outcome, const CopyLists& lists)
{
    const wchar_t* destination = lists.destinationList;
    for (uint32_t i = 0; i < outcome->count; ++i, destination = NextPath(destination)) {
        NotedCopy& copy = outcome->copies[i];
        FileFacts now;
        copy.inPlace = QueryFileFacts(destination, &now) && copy.sourceFound &&
                       now.size == copy.source.size;
        AddText(copy.inPlace ? &outcome->placed : &outcome->failed, lists.destinationList,
                OffsetIn(lists.destinationList, destination));
        outcome->missing += copy.inPlace || i >= outcome->songs ? 0 : 1;
    }
    destination = lists.destinationList;
    for (uint32_t i = 0; i < outcome->count; ++i, destination = NextPath(destination)) {
        const NotedCopy& copy = outcome->copies[i];
        FileFacts now;
        // A target folder may hold sources: those are the user's, whatever became of them.
        if (!copy.inPlace && QueryFileFacts(destination, &now) && WrittenByTheShell(copy, now) &&
            FindInTextSet(outcome->placed, lists.destinationList, destination) < 0 &&
            FindInTextSet(outcome->sources, lists.sourceList, destination) < 0)
            DeleteFileW(destination);
    }
    return outcome->missing;
}

// --- The playlist file, anew -----------------------------------------------------------------

// What the rewritten playlist file asks of each entry.
struct InPlaceCheck {
    const CopyOutcome* outcome;
    const CopyLists* lists;
    CopyTarget target;
};

// Without a folder kept in step every entry is a copy of its own, in the lists' order; in
// step, each destination is one copy's alone, and a copy left out as unchanged is there. An
// entry whose line cannot be told keeps its place.
static bool IsEntryInPlace(const void* context, uint32_t entry, const wchar_t* listed)
{
    const InPlaceCheck& check = *(const InPlaceCheck*)context;
    const CopyOutcome& outcome = *check.outcome;
    if (!check.lists->keepsInStep)
        return entry >= outcome.count || outcome.copies[entry].inPlace;
    size_t folderLength = (size_t)check.target.folderLength;
    if (!listed || folderLength + wcslen(listed) >= (size_t)PathCapacity)
        return true;
    wchar_t destination[PathCapacity];
    wmemcpy(destination, check.target.path, folderLength);
    wcscpy(destination + folderLength, listed);
    // A file written with "/" between folders names the same copies; no copy's name holds one.
    for (wchar_t* at = destination + folderLength; *at; ++at)
        if (*at == L'/')
            *at = L'\\';
    return FindInTextSet(outcome.failed, check.lists->destinationList, destination) < 0;
}

void ListOnlyCopiesInPlace(const CopyOutcome& outcome, const CopyLists& lists, CopyTarget target,
                           UINT codePage)
{
    InPlaceCheck check = {&outcome, &lists, target};
    RewritePlaylist(target.path, codePage, IsEntryInPlace, &check);
}
