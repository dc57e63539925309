// Cover art and lyrics that go with the copies, for players that show what they find beside a
// song: "song.lrc" beside "song.mp3", and "folder.jpg" or its like in the folder. They go in
// the same shell copy as the songs, after them, and the playlist file does not list them.
#pragma once
#include <stddef.h>
#include "copy/copy_lists.h"

// The measured songs' sizes with room for the companions of every one: its lyrics (its path
// with ".lrc" for an extension) and its folder's cover (a folder and a name) on both sides.
CopyListSizes WithCompanions(CopyListSizes songs);

// Appends the companions of the songs in `lists`: each song's lyrics, named after its copy,
// and for each folder of copies the cover its songs' folders share (the same name and size in
// every one), under its own name. One heap block while it works; false when there is none.
bool AppendCompanions(CopyLists* lists);

// The lyrics that go with `path`: the same path with ".lrc" for its extension, in `lyrics`
// (PathCapacity units). False when that does not fit.
bool LyricsPathOf(const wchar_t* path, wchar_t* lyrics);
// A cover's name: cover, folder or front, .jpg or .png, in any case.
bool IsCoverName(const wchar_t* name);
