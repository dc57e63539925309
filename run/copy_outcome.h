// What the shell copy made of the copies handed to it. It may stop midway (a full stick, a
// replace the user declined, a name it refuses) and say nothing the run could rely on, so the
// run looks for itself: before the copy it notes what each destination was, afterwards a copy
// is in place when its destination is a file of its source's size. A destination the shell
// wrote to without finishing is removed, so that no cut file is left for a whole one; the
// playlist file, written afterwards, lists only what is there.
#pragma once
#include <windows.h>
#include <stdint.h>
#include "files/file_facts.h"
#include "files/text_set.h"
#include "plan/copy_plan.h"
#include "run/shell_lists.h"

// One copy handed to the shell, in the order of the lists.
struct NotedCopy {
    FileFacts source;       // as it was before the copy
    FileFacts destination;  // as it was before the copy, when `existed`
    uint32_t sourceFound;
    uint32_t existed;       // the destination was a file before the copy
    uint32_t inPlace;       // after the copy: a file of the source's size
    uint32_t written;       // after the copy: in place, and the shell wrote it (or it is the
                            // source's copy already), and no source of the run
};

struct CopyOutcome {
    NotedCopy* copies;  // null: nothing noted (no memory), and nothing is judged
    uint32_t count;     // every pair, cover art and lyrics included
    uint32_t songs;     // the first pairs, which the playlist lists
    uint32_t missing;   // songs not in place
    TextSet placed;     // the destinations of the copies in place
    TextSet sources;    // every source, for the files that must never be removed
};

// Notes every pair of `lists` in one heap block, sized once; call it just before the copy.
CopyOutcome NoteDestinations(const CopyLists& lists);
// After the copy: marks the copies in place and removes each destination that is not and that
// the shell wrote to (absent before, or its size or write time changed), unless it is a source
// of the run or another copy of the run is in place there (two entries may derive one name). A
// file the user declined to replace is unchanged and stays. Returns `missing`: cover art and
// lyrics are judged and removed alike, but counted apart from the songs.
uint32_t CheckCopies(CopyOutcome* outcome, const CopyLists& lists);
// Marks the plan's copies in place, and those the shell wrote, as the check found them.
void NoteCopiesInPlace(const CopyOutcome& outcome, const CopyLists& lists, CopyPlan* plan);
void FreeCopyOutcome(CopyOutcome* outcome);
