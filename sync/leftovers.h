// Copies that an earlier run made and this one no longer makes. The playlist file the run
// replaces names them; before it is replaced, its bytes are kept, and once the new copies are
// listed, every file it names inside the target folder that this run does not make again is
// a leftover, offered for removal.
#pragma once
#include <windows.h>
#include <stddef.h>
#include "plan/copy_plan.h"
#include "plan/copy_target.h"
#include "playlist/playlist_file.h"

// The bytes of the playlist file that a run replaces.
struct PreviousPlaylist {
    PlaylistBytes file;  // `bytes` null: there was none, or it could not be read
    UINT codePage;       // what it was written in: UTF-8 for "playlist.m3u8", else the ANSI one
};

// Reads the file at `path` into one heap block; beyond the first 16 MiB nothing is read, so
// nothing named there is ever removed.
PreviousPlaylist ReadPreviousPlaylist(const wchar_t* path, UINT codePage);

// Makes the path a playlist line names, relative to the target folder, plain in `relative`
// (backslashes only, no "." or ".." left). False for a line that names no file inside the
// folder: a comment, an empty line, a drive, a leading slash, a ".." that climbs out, a
// wildcard or other reserved character, a name Windows would read otherwise (trailing dots or
// spaces, device names), or a path too long for `capacity`.
bool ResolveListedPath(const wchar_t* line, wchar_t* relative, size_t capacity);

// Finds the leftovers of `previous`: existing files (not folders, not reached through a link)
// inside the plan's target that no copy of the plan (unchanged, or left out for room, alike)
// goes to or comes from, and that are not a playlist file. When there are any, asks whether to
// remove them, and on yes puts them in the Recycle Bin where the drive has one, in one shell
// delete, then removes the folders inside the target that they leave empty.
void RemoveLeftovers(const PreviousPlaylist& previous, const CopyPlan& plan,
                     bool (*askToRemove)(uint32_t count));
