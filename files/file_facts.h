// What a run, and the copy dialog, learn of paths and files: how a path splits and joins, a file's size
// and write time, whether a copy is unchanged, a folder's free space, file names compared as
// Windows compares them, and the runs of NUL-terminated paths the shell copy takes.
#pragma once
#include <stddef.h>
#include <stdint.h>

// Returns the path's length; the file-name part starts after the last backslash (the whole
// path without one) and the extension at the last dot of the file-name part (at the path's
// end when there is none). Either out-parameter may be null.
size_t SplitPath(const wchar_t* path, const wchar_t** fileName, const wchar_t** extension);
// Writes the first `headLength` units of `head` (a folder with its closing backslash, or a path
// up to its extension) and then `tail`'s `tailLength` units into `path` (PathCapacity units;
// `head` may be `path` itself), ended. False, with `path` as it was, when the whole does not fit:
// a cut path names another file.
bool JoinPath(wchar_t* path, const wchar_t* head, size_t headLength, const wchar_t* tail,
              size_t tailLength);

// What a copy run weighs of a file: its full size and its last write time.
struct FileFacts {
    uint64_t size;
    uint64_t writeTime;  // in 100-nanosecond steps, as the file system keeps it
};
// Looks the path up in its folder: false, and zero facts, for a path that finds no file (a
// folder, or a file name with wildcard characters, finds none).
bool QueryFileFacts(const wchar_t* path, FileFacts* facts);
// A source is present when the lookup finds it; `size` receives its full size (0 when not).
bool QueryFileSize(const wchar_t* path, uint64_t* size);
// Two write times that are the same within the two seconds a FAT stick rounds to.
bool SameWriteTime(uint64_t a, uint64_t b);
// A copy that is there already as a file of its source's size, written no earlier than its
// source (within the two seconds a FAT stick rounds to). A copy that cannot be examined
// counts as changed. FAT and exFAT keep local time, so once the clocks change for daylight
// saving Windows reports every copy there an hour older or newer: with `localTimes`, a copy
// exactly an hour from its source's time (within the two seconds) is unchanged too.
bool IsUnchangedCopyOf(const FileFacts& source, const wchar_t* copy, bool localTimes);
// A conversion of a source, whose size differs by nature: there, and written no earlier than
// its source (an hour earlier, with `localTimes`).
bool IsConversionOf(const FileFacts& source, const wchar_t* conversion, bool localTimes);

// Calls `visit` with each entry of `folder` (no closing backslash; "F:" for a drive's root) but
// "." and "..", in the order the system lists them (on FAT, the order they stand in), until it
// answers false. False when `folder` cannot be listed or `visit` stopped it.
struct _WIN32_FIND_DATAW;
bool VisitEntries(const wchar_t* folder, bool (*visit)(void* context, const _WIN32_FIND_DATAW& entry),
                  void* context);

// The bytes the caller may still write in `folder`. False when they cannot be had, also for
// a volume that reports a total size of 0 (FUSE's FAT driver does): its free space says
// nothing.
bool QueryFreeSpace(const wchar_t* folder, uint64_t* available);

// A character in upper case, as the file system compares names.
wchar_t FoldCase(wchar_t ch);
// Compares two texts as file names, ignoring case: to their ends, or their first `length`
// units (a folder part, say).
const size_t WholeName = (size_t)-1;
bool SameFileName(const wchar_t* a, const wchar_t* b, size_t length = WholeName);
// A hash of `length` units of a text, the same for texts that compare as the same name.
uint32_t FoldedHash(const wchar_t* text, size_t length);

// The path after `path` in a run of NUL-terminated paths; the run ends at an empty one.
inline const wchar_t* NextPath(const wchar_t* path)
{
    while (*path)
        ++path;
    return path + 1;
}
