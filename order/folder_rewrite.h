// Putting one folder's entries in a given order on a volume that keeps them in the order they
// were written (FAT, exFAT), with moves alone: every entry goes out into a holding folder of the
// module's own, and comes back one by one in the order wanted. The emptied folder's freed entries
// are taken again from its start, so they stand in the order they came back. The folder itself
// stays where it is among its neighbours.
//
// The holding folder stands beside the folder (in its parent; a drive's root holds its own), is
// hidden, and holds one folder named after the one rewritten (~ROOT for a drive's root), so that
// a rewrite cut short is found and undone by the next run.
#pragma once
#include <stdint.h>

// Names the entries to bring back first, in order: the `index`th, or null past the last. An
// entry named that is not in the folder is passed over.
struct WantedOrder {
    const wchar_t* (*nameAt)(void* context, uint32_t index);
    void* context;
};

enum class Rewrite {
    Done,
    NotMoved,  // a move out failed: what had moved is back, in no particular order
    Stranded,  // a move back failed: what could not come back waits in the holding folder
};

// Rewrites `folder` (no closing backslash; "F:" for a drive's root): the named entries first, in
// their order, then the rest in the order they stood. A folder that cannot be held (a holding
// folder there already, a path too long) is left as it is, as NotMoved.
Rewrite RewriteFolder(const wchar_t* folder, bool isRoot, WantedOrder wanted);

// Moves back what a rewrite cut short left in the holding folders beside `target` and below it,
// and removes those folders. True when there was anything to move back.
bool RecoverHeldEntries(const wchar_t* target, bool isRoot);
