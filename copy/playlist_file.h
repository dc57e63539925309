// The playlist file written beside the copies: "playlist.m3u" in the ANSI code page or
// "playlist.m3u8" in UTF-8 with a byte order mark, an extended M3U list naming every copy
// by its path relative to the target folder. Creating and closing the file are the copy
// run's.
#pragma once
#include <windows.h>

// The playlist file's names and its code page, chosen by SaveM3U8.
extern const wchar_t PlaylistFileName[];      // "playlist.m3u"
extern const wchar_t PlaylistFileNameUtf8[];  // "playlist.m3u8"
UINT PlaylistCodePage();

// Creates the file at `path` for writing, replacing one of that name; INVALID_HANDLE_VALUE
// when it cannot.
HANDLE CreatePlaylistFile(const wchar_t* path);
// Writes bytes as they are; the result is not examined.
void WritePlaylistBytes(HANDLE file, const void* bytes, size_t count);

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
    const char* at;   // where the next line starts
    const char* end;
};
PlaylistLines ReadPlaylistLines(const PlaylistBytes& file);
// The next line without its CR LF (a last line without one counts as well); false at the end.
bool NextPlaylistLine(PlaylistLines* lines, const char** line, size_t* length);

// Converts the leading part of `text` into State.NarrowBuffer and returns the buffer: the
// whole text when its converted form fits, otherwise the longest part that surely fits,
// never ending inside a surrogate pair. `rest` receives where the part not yet converted
// starts, or null when nothing is left. A null text, one that is a small number rather
// than a pointer, and an empty text give the empty narrow text.
const char* NarrowText(const wchar_t* text, UINT codePage, const wchar_t** rest);

// Writes the whole text in the file's encoding, in as many pieces as it takes.
void WritePlaylistText(HANDLE file, const wchar_t* text);
// The byte order mark (for "playlist.m3u8") and "#EXTM3U".
void WritePlaylistHeader(HANDLE file);
// The two lines of a copied entry: "#EXTINF:<seconds>,<title>" and its relative path. Makes
// the entry the host's current one, to ask its length.
void WritePlaylistEntry(HANDLE file, int index, const wchar_t* relativePath);
