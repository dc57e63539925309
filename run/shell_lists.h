// The shell copy's two lists, made from a plan when the run copies: its source paths and its
// destination paths, each a run of NUL-terminated paths ended by an empty one, pair by pair,
// of the copies to be made (not those unchanged, left out for room or converted), the songs
// first.
#pragma once
#include <stdint.h>
#include "plan/copy_plan.h"

struct CopyLists {
    wchar_t* sourceList;  // null: no lists (no memory); one block holds all three
    wchar_t* destinationList;
    uint32_t* copyOf;  // each pair's copy in the plan
    uint32_t pairs;
    uint32_t songs;    // the first pairs, which the playlist file lists
};

// One heap block; false without memory.
bool MakeShellLists(const CopyPlan& plan, CopyLists* lists);
void FreeShellLists(CopyLists* lists);

// One shell copy of both lists, with the shell's own progress, questions and messages.
void ShellCopy(const CopyLists& lists);
