// The copy itself, started by the copy dialog once the user has confirmed a target.
#pragma once
#include "copy/copy_lists.h"
#include "copy/copy_target.h"

// Copies every present entry of the playlist into `target`'s folder, named by the options.
void RunCopy(CopyTarget target);

// The run's two halves, apart so that their costs can be weighed against each other.
// PrepareCopy does everything before the shell copy: it stops playback and writes the
// playlist file when one is wanted, builds the lists and tells in one box which entries it
// leaves out; keeping a folder in step, it offers to remove the copies that left the playlist
// and leaves the unchanged ones out. It returns false when the run ends there; otherwise the caller owns
// `lists` and frees them.
bool PrepareCopy(CopyTarget target, CopyLists* lists);
// One shell copy of both lists, with the shell's own progress, questions and messages.
void ShellCopy(const CopyLists& lists);
