// The copy itself, started by the copy dialog once the user has confirmed a target.
#pragma once
#include "copy/copy_lists.h"

// `targetPath` is the dialog's 260-character path buffer; its first `nameOffset` characters
// are the target folder. The run may write the playlist file's name over the rest.
void RunCopy(wchar_t* targetPath, int nameOffset);

// The run's two halves, apart so that their costs can be weighed against each other.
// PrepareCopy does everything before the shell copy: it stops playback and writes the
// playlist file when one is wanted, builds the lists and reports every missing entry; keeping
// a folder in step, it offers to remove the copies that left the playlist and leaves the
// unchanged ones out. It returns false when the run ends there; otherwise the caller owns
// `lists` and frees them.
bool PrepareCopy(wchar_t* targetPath, int nameOffset, CopyLists* lists);
// One shell copy of both lists, with the shell's own progress, questions and messages.
void ShellCopy(const CopyLists& lists);
// The shell copy, and a look at what came of it: when any copy is not in place, what the shell
// left cut is removed, the playlist file (`targetPath`, when one is written) lists only the
// copies that are there, and one box says how many could not be copied.
void CopyAndLook(const CopyLists& lists, const wchar_t* targetPath, int nameOffset);

// The bytes the caller may still write in `folder`. False when they cannot be had, also for
// a volume that reports a total size of 0 (FUSE's FAT driver does): its free space says
// nothing.
bool QueryFreeSpace(const wchar_t* folder, uint64_t* available);

// Asked when the user confirms a target, before anything is written: when what the copies
// would add to the target (their sources' sizes, less what is left out as unchanged and
// less the files they replace) exceeds its free space, asks `owner` whether to copy anyway.
// False when the user says No; true otherwise, also when the free space cannot be had.
bool ConfirmTargetSpace(HWND owner, const wchar_t* confirmedPath, int nameOffset);
