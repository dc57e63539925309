// Play order on the stick. Many car stereos and portable players do not sort: they play a
// folder's files, and its folders, in the order their directory entries stand on a FAT or exFAT
// stick, which is the order they were written, a freed entry taken by the next file written. A
// first copy stands in play order; a sync breaks it. So after the copy, each folder the run
// changed whose entries no longer stand in play order is rewritten in it (order/folder_rewrite.h).
//
// Play order in a folder: its songs in playlist order, each song's lyrics right after it; then
// its subfolders in the order the playlist first reaches them; then everything else (covers, the
// playlist file, files of the user's own) as it stood.
//
// Which folders need it is decided from what the run did, not from a listing (which Wine, for
// one, sorts): a folder that held entries before the run and got a new, replaced or removed copy,
// or whose songs or subfolders the playlist now reaches in another order than the previous
// playlist file did.
#pragma once
#include <stdint.h>
#include "files/text_set.h"
#include "plan/copy_plan.h"
#include "sync/leftovers.h"

// Whether the volume of `folder` keeps entries in the order they were written: FAT12, FAT16,
// FAT32 and exFAT. NTFS lists by name.
bool KeepsWrittenOrder(const wchar_t* folder);

struct OrderFolder;

// What the run knows of the folders its copies go in, in one heap block: the target (0) and
// every folder below it that a copy goes in, with whether each held entries before the run.
struct OrderWork {
    OrderFolder* folders;
    PrefixTable names;
    uint32_t* copyFolder;  // each copy's folder
    uint32_t* oldRank;     // each copy's place in the previous playlist file
    uint32_t* wanted;      // a folder's entries in play order, while it is rewritten
    uint32_t* listedFor;   // the folder a copy was last listed for, so that it is listed once
};

// Before anything is written: notes which folders held entries. Nothing is noted (and nothing
// will be rewritten) where the volume lists by name, or without memory.
void NoteFoldersBefore(const CopyPlan& plan, OrderWork* work);
// After the copy: rewrites every folder that needs it. False, with `failed` (PathCapacity units)
// naming the first folder that could not be put in play order, when a move failed; no file is
// lost either way.
bool PutInPlayOrder(const CopyPlan& plan, const PreviousPlaylist& previous, OrderWork* work,
                    wchar_t* failed);
void FreeOrderWork(OrderWork* work);
