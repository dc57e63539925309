// The lists of one run, built from the playlist as the options ask: the songs, each listed in
// the playlist file as it is appended, the entries left out, then the cover art and lyrics.
#pragma once
#include <windows.h>
#include "copy/copy_lists.h"
#include "copy/copy_target.h"
#include "copy/skipped_entries.h"

// Measures, allocates and fills the lists for `target` as it is now: with the playlist file's
// name in it when one is wanted, which no copy of a folder kept in step may take. Lists every
// present entry in `playlist` (when it is a file) and notes every other in `skipped` (when
// given); then, when they are wanted, appends the songs' cover art and lyrics. False, with
// nothing allocated, when there is no memory.
bool BuildCopyLists(CopyTarget target, HANDLE playlist, SkippedEntries* skipped, CopyLists* lists);
