// Cover art and lyrics that go with the copies, for players that show what they find beside a
// song: "song.lrc" beside "song.mp3", and "folder.jpg" or its like in the folder. They go in
// the same shell copy as the songs, after them, and the playlist file does not list them. A
// song copied takes its companions with it; one left out for room leaves them out too.
#pragma once
#include <stddef.h>
#include "plan/copy_plan.h"

// Adds the companions of the plan's songs: each song's lyrics, named after its copy, and for
// each folder of copies the cover its songs' folders share (the same name and size in every
// one), under its own name; each song notes its own. One heap block while it works; false
// when there is none, and then no song has companions.
bool AppendCompanions(CopyPlan* plan);

// The lyrics that go with `path`: the same path with ".lrc" for its extension, in `lyrics`
// (PathCapacity units). False when that does not fit.
bool LyricsPathOf(const wchar_t* path, wchar_t* lyrics);
// A cover's name: cover, folder or front, .jpg or .png, in any case.
bool IsCoverName(const wchar_t* name);
