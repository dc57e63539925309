// The copy itself, started by the copy dialog once the user has confirmed a target.
#pragma once
#include "copy/copy_lists.h"

// `targetPath` is the dialog's 260-character path buffer; its first `nameOffset` characters
// are the target folder. The run may write the playlist file's name over the rest.
void RunCopy(wchar_t* targetPath, int nameOffset);

// The run's two halves, apart so that their costs can be weighed against each other.
// PrepareCopy does everything before the shell copy: it stops playback and writes the
// playlist file when one is wanted, builds the lists and reports every missing entry. It
// returns false when the run ends there; otherwise the caller owns `lists` and frees them.
bool PrepareCopy(wchar_t* targetPath, int nameOffset, CopyLists* lists);
// One shell copy of both lists, with the shell's own progress, questions and messages.
void ShellCopy(const CopyLists& lists);
