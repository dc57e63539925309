// The playlist entries a run leaves out (no file found, a folder, or no name Windows takes
// fits), told in one box before the copy, however many they are: the first paths (a long one
// shortened in its middle) and how many more.
#pragma once
#include <stddef.h>
#include <stdint.h>

// The box lists this many paths at the most, each of at most ShownPathLength characters.
const uint32_t ListedSkipsMost = 10;
const size_t ShownPathLength = 120;
// What a box with a single entry shows of its path: its message is cut there anyway.
const size_t FirstPathCapacity = 280;

// Kept on the caller's stack: no heap, whatever the playlist's length.
struct SkippedEntries {
    uint32_t count;
    wchar_t first[FirstPathCapacity];  // the first path, as the host gave it
    wchar_t shown[ListedSkipsMost][ShownPathLength + 1];  // the first ones, shortened
};

// Notes an entry left out, with its path as the host gives it (null for none).
void NoteSkippedEntry(SkippedEntries* skipped, const wchar_t* path);
