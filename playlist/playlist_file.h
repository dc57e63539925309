// The playlist file beside the copies: "playlist.m3u" in the ANSI code page or
// "playlist.m3u8" in UTF-8 with a byte order mark, an extended M3U list naming every copy by
// its path relative to the target folder. Everything that reads or writes one is here: the
// run's new file, written from the plan once the copies are checked, and the previous one a
// folder kept in step remembers.
#pragma once
#include <windows.h>
#include <stddef.h>
#include <stdint.h>
#include "plan/copy_plan.h"
#include "plan/copy_target.h"

// The playlist file's names and its code page, chosen by SaveM3U8.
extern const wchar_t PlaylistFileName[];      // "playlist.m3u"
extern const wchar_t PlaylistFileNameUtf8[];  // "playlist.m3u8"
UINT PlaylistCodePage();

// Puts the playlist file's name after the target's folder part; false, with the path as it
// was, when the name would not fit the path buffer.
bool NamePlaylistFile(CopyTarget target);

// Writes the playlist file at the plan's target anew: the byte order mark (for
// "playlist.m3u8"), "#EXTM3U", then for each entry whose copy is there (made and in place, or
// unchanged), in playlist order, "#EXTINF:<seconds>,<title>" and its relative path, with "/"
// between folders when PlaylistSlashes is on. A file not written whole is removed, as a player
// would take it for whole. `error` receives the system's error code when it fails.
enum class PlaylistWrite { Written, NotOpened, NotWhole };
PlaylistWrite WritePlaylistFile(const CopyPlan& plan, DWORD* error);

// The bytes WritePlaylistFile writes before the entries, and for one entry (whose copy must
// have its destination): what the file takes before it is written.
uint64_t PlaylistHeaderBytes();
uint32_t PlaylistEntryBytes(const CopyPlan& plan, const PlannedEntry& entry);

// A playlist file's bytes in one heap block: its first `most` bytes at the most. `bytes` is
// null when there is no such file, it is empty or it could not be read; `whole` tells whether
// the file held no more than was read.
struct PlaylistBytes {
    char* bytes;
    size_t length;
    bool whole;
};
PlaylistBytes ReadPlaylistBytes(const wchar_t* path, size_t most);
void FreePlaylistBytes(PlaylistBytes* file);

// Reads a playlist file's lines one after another, after its byte order mark.
struct PlaylistLines {
    const char* at;  // where the next line starts
    const char* end;
    UINT codePage;   // what the file was written in
};
PlaylistLines ReadPlaylistLines(const PlaylistBytes& file, UINT codePage);
// The next line that can name a path (not empty, not a comment, no NUL, short enough), in
// UTF-16 in `path` of PathCapacity characters; false at the end.
bool NextListedPath(PlaylistLines* lines, wchar_t* path);
