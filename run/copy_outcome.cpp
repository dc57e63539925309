#include "run/copy_outcome.h"
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include "files/block_layout.h"
#include "state/plugin_state.h"

CopyOutcome NoteDestinations(const CopyLists& lists)
{
    CopyOutcome outcome = {};
    size_t count = lists.pairs;
    // The noted copies first: the outcome frees its block through them.
    BlockLayout layout = {};
    size_t noted = ReservePart(&layout, SizeTimes(count, sizeof(NotedCopy)));
    size_t placed = ReservePart(&layout, TextSetBytes(count));
    size_t sources = ReservePart(&layout, TextSetBytes(count));
    char* block = AllocateBlock(layout);
    if (!block)
        return outcome;
    outcome.copies = (NotedCopy*)(block + noted);
    outcome.placed = PlaceTextSet(block + placed, count);
    outcome.sources = PlaceTextSet(block + sources, count);
    const wchar_t* destination = lists.destinationList;
    for (const wchar_t* source = lists.sourceList; *source && outcome.count < count;
         source = NextPath(source), destination = NextPath(destination)) {
        NotedCopy& copy = outcome.copies[outcome.count++];
        copy.sourceFound = QueryFileFacts(source, &copy.source);
        copy.existed = QueryFileFacts(destination, &copy.destination);
        copy.inPlace = copy.written = 0;
        AddText(&outcome.sources, lists.sourceList, (uint32_t)(source - lists.sourceList));
    }
    outcome.songs = lists.songs;
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

// What the shell left as it was counts as written when it stands there as the source's copy,
// of its size and time: a replace that changed neither cannot be told from a declined one. A
// file of the user's that they declined to replace stays theirs.
static bool WrittenOrACopy(const NotedCopy& copy, const FileFacts& now)
{
    return WrittenByTheShell(copy, now) || SameWriteTime(copy.destination.writeTime, copy.source.writeTime);
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
        // A target folder may hold sources, a copy even be its own: those are the user's,
        // however they read back.
        copy.written = copy.inPlace && WrittenOrACopy(copy, now) &&
                       FindInTextSet(outcome->sources, lists.sourceList, destination) < 0;
        if (copy.inPlace)
            AddText(&outcome->placed, lists.destinationList, OffsetIn(lists.destinationList, destination));
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

void NoteCopiesInPlace(const CopyOutcome& outcome, const CopyLists& lists, CopyPlan* plan)
{
    for (uint32_t i = 0; i < outcome.count && i < lists.pairs; ++i) {
        const NotedCopy& noted = outcome.copies[i];
        PlannedCopy& copy = plan->copies[lists.copyOf[i]];
        copy.inPlace = noted.inPlace != 0;
        copy.written = noted.written != 0;
        copy.writtenSize = noted.written ? noted.source.size : 0;
    }
}
