// Turns the host's playlist, the options and the confirmed target into the parallel source
// and destination lists of one shell copy, naming every copy on the way.
//
// Two passes: MeasureCopyLists counts what both lists can need, AllocateCopyLists makes the
// only two heap blocks of a run, and AppendCopyEntry appends one present entry at a time.
#pragma once
#include <windows.h>
#include <stddef.h>
#include <stdint.h>
#include "copy/copy_index.h"
#include "copy/copy_name.h"

// Position of the last `ch` in a NUL-terminated text, or null when it does not occur.
const wchar_t* FindLastChar(const wchar_t* text, wchar_t ch);

// Returns the path's length; the file-name part starts after the last backslash (the whole
// path without one) and the extension at the last dot of the file-name part (at the path's
// end when there is none). Either out-parameter may be null.
size_t SplitPath(const wchar_t* path, const wchar_t** fileName, const wchar_t** extension);

// Looks the path up in its folder. A source is present when the lookup finds it and it is
// not a folder; `size` receives its full size (0 when missing). Wildcard characters in the
// file name make a path missing rather than matching some other file.
bool QueryFileSize(const wchar_t* path, uint64_t* size);

// What a copy run weighs of a file: its full size and its last write time.
struct FileFacts {
    uint64_t size;
    uint64_t writeTime;  // in 100-nanosecond steps, as the file system keeps it
};
// The same lookup as QueryFileSize: false, and zero facts, for a path that finds no file.
bool QueryFileFacts(const wchar_t* path, FileFacts* facts);
// A copy that is there already as a file of its source's size, written no earlier than its
// source (within the two seconds a FAT stick rounds to). A copy that cannot be examined
// counts as changed.
bool IsUnchangedCopy(const wchar_t* source, const wchar_t* copy);

// Decimal digits of the entry count (at least 1).
int NumberWidth(int count);

// The "%0Nd_" format for the entry-number prefix and the prefix's length (0 when off).
struct NumberPrefix {
    wchar_t format[8];
    int length;
};
NumberPrefix MakeNumberPrefix(int count, bool numberFilenames);

struct CopyListSizes {
    size_t sourceChars;       // S
    size_t destinationChars;  // D
};

struct CopyLists {
    wchar_t* sourceList;       // null when allocation failed
    wchar_t* destinationList;
    wchar_t* sourceWrite;      // on the list's closing NUL
    wchar_t* destinationWrite;
    size_t sourceCapacity;     // in characters
    size_t destinationCapacity;
    int entries;               // appended so far
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

// Appends entry `index`. Returns where its destination's relative part starts (valid until
// the lists are freed), or null when it was not appended: the host has no (or an empty)
// path for it any more, its path grew since measuring and no longer fits, or no name that
// Windows takes fits the target (copy/copy_name.h). Keeping in
// step, a source listed before is not appended again: the earlier copy's part is returned.
const wchar_t* AppendCopyEntry(CopyLists* lists, const NumberPrefix& prefix, int index,
                               const wchar_t* targetPath, int nameOffset);

// Takes the copies marked unchanged out of both lists, which stay parallel; the index is of
// no use afterwards. Returns how many copies were kept.
int LeaveOutUnchanged(CopyLists* lists);
