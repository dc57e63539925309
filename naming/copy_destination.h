// Where an entry's copy goes: the one way every naming option takes (the parent folder kept,
// the number, the title or the file's own name, the folders and name from the tags, " (n)"
// keeping a folder in step), bounded by what Windows takes as it is made.
#pragma once
#include <stddef.h>
#include "naming/copy_name.h"
#include "plan/copy_plan.h"

// Writes the destination of entry `index`, whose source is `path`, into `out` (room for
// MostPathLength + 1 units, at the end of the plan's texts) and returns its length with the
// target's folder part; 0 when no name Windows takes fits: a folder to create over
// MostFolderLength, or not even an empty base within MostPathLength. The copy gets the
// source's extension, or `extension` (with its dot) when it is given. Keeping in step, the
// name is one no other copy of the plan has, nor the playlist file.
size_t MakeDestination(const CopyPlan& plan, const NumberPrefix& prefix, int index,
                       const wchar_t* path, const wchar_t* extension, wchar_t* out);
