// Turns the host's playlist, the options and the confirmed target into the parallel source
// and destination lists of one shell copy, naming every copy on the way.
//
// Two passes: MeasureCopyLists counts what both lists can need, AllocateCopyLists makes the
// only two heap blocks of a plain run (a run that keeps an index makes a third), and
// AppendCopyEntry appends one present entry at a time (copy/list_builder.h does all three).
#pragma once
#include <windows.h>
#include <stddef.h>
#include "copy/copy_index.h"
#include "copy/copy_name.h"
#include "copy/copy_target.h"

struct CopyListSizes {
    size_t sourceChars;       // S
    size_t destinationChars;  // D
    size_t entries;           // measured: the entries the host has a path for
};

struct CopyLists {
    wchar_t* sourceList;       // null when allocation failed
    wchar_t* destinationList;
    wchar_t* sourceWrite;      // on the list's closing NUL
    wchar_t* destinationWrite;
    size_t sourceCapacity;     // in characters
    size_t destinationCapacity;
    int entries;               // songs appended so far
    // Cover art and lyrics after the songs (copy/companions.h), and where they start.
    int companions;
    size_t companionSources, companionDestinations;
    CopyIndex index;           // every copy by source and destination, when the run keeps one
    // Keeping a folder in step (SkipUnchanged): each source is copied once, no two copies
    // share a name (nor take `reservedName`), and unchanged copies are marked.
    bool keepsInStep;
    const wchar_t* reservedName;  // the playlist file's path, or null
};

// Counts over entries 0 .. PlaylistCount - 1, present or not, for `targetPath` as it is now.
CopyListSizes MeasureCopyLists(const wchar_t* targetPath, const NumberPrefix& prefix);

// Two blocks of S + 1 and D + 1 characters, each already a valid empty list, and, for
// `indexEntries` above 0, a third holding the index of that many copies.
CopyLists AllocateCopyLists(CopyListSizes sizes, size_t indexEntries = 0);
void FreeCopyLists(CopyLists* lists);

// Appends entry `index`, whose source is `path` (the caller's copy of the host's answer).
// Returns where its destination's relative part starts (valid until the lists are freed), or
// null when it was not appended: the path is empty, it grew since measuring and no longer
// fits, or no name that Windows takes fits the target (copy/copy_name.h). Keeping in step, a
// source listed before is not appended again: the earlier copy's part is returned.
const wchar_t* AppendCopyEntry(CopyLists* lists, const NumberPrefix& prefix, int index,
                               const wchar_t* path, CopyTarget target);

// Appends one more pair after the songs, for the cover art and lyrics that go with them; false
// when it does not fit the lists or the destination is longer than Windows takes.
bool AppendPair(CopyLists* lists, const wchar_t* source, const wchar_t* destination);

// Takes the copies marked unchanged, and the cover art and lyrics already there unchanged, out
// of both lists, which stay parallel; the index is of no use afterwards. Returns how many songs
// were kept.
int LeaveOutUnchanged(CopyLists* lists);
