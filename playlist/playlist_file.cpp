#include "playlist/playlist_file.h"
#include "playlist/playlist_file_internal.h"
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include "files/file_facts.h"
#include "host/host_link.h"
#include "state/plugin_state.h"
#include "text/format_bounded.h"

const wchar_t PlaylistFileName[] = L"playlist.m3u";
const wchar_t PlaylistFileNameUtf8[] = L"playlist.m3u8";

static const char ByteOrderMark[] = {'\xEF', '\xBB', '\xBF'};
static const char LineEnd[] = {'\r', '\n'};
static const wchar_t ExtendedHeader[] = L"#EXTM3U\r\n";
static const int ExtendedInfoCapacity = 50;
static const size_t TitlePieceLength = 512;
static const size_t WriteBufferSize = 8192;
// Below this a "text" the host hands over is a number, not a pointer.
static const ULONG_PTR SmallestTextAddress = 0x10000;
// A line longer than this many bytes names no path that fits PathCapacity.
static const size_t LineLimit = NarrowBufferSize;

// The most bytes one UTF-16 unit can become: three in UTF-8 (a surrogate pair makes four
// from two units), two in a double-byte ANSI code page.
static int MostBytesPerUnit(UINT codePage) { return codePage == CP_UTF8 ? 3 : 2; }

static int ConvertWhole(const wchar_t* text, UINT codePage)
{
    return WideCharToMultiByte(codePage, 0, text, -1, State.NarrowBuffer, NarrowBufferSize,
                               nullptr, nullptr);
}

// A piece that fits whatever its characters, ended before a high surrogate so that the
// pair stays together in the next piece.
static size_t PieceLength(const wchar_t* text, UINT codePage)
{
    size_t length = (size_t)((NarrowBufferSize - 1) / MostBytesPerUnit(codePage));
    size_t left = wcslen(text);
    if (left <= length)
        return left;
    if (IS_HIGH_SURROGATE(text[length - 1]))
        --length;
    return length;
}

const char* NarrowText(const wchar_t* text, UINT codePage, const wchar_t** rest)
{
    State.NarrowBuffer[0] = 0;
    *rest = nullptr;
    if ((ULONG_PTR)text <= SmallestTextAddress || !*text)
        return State.NarrowBuffer;
    if (ConvertWhole(text, codePage) > 0)
        return State.NarrowBuffer;
    size_t length = PieceLength(text, codePage);
    int bytes = WideCharToMultiByte(codePage, 0, text, (int)length, State.NarrowBuffer,
                                    NarrowBufferSize - 1, nullptr, nullptr);
    State.NarrowBuffer[bytes > 0 ? bytes : 0] = 0;
    if (bytes > 0 && text[length])
        *rest = text + length;
    return State.NarrowBuffer;
}

UINT PlaylistCodePage() { return State.Options.SaveM3U8 ? CP_UTF8 : CP_ACP; }

bool NamePlaylistFile(CopyTarget target)
{
    const wchar_t* name = State.Options.SaveM3U8 ? PlaylistFileNameUtf8 : PlaylistFileName;
    return target.folderLength >= 0 &&
           JoinPath(target.path, target.path, (size_t)target.folderLength, name, wcslen(name));
}

// The file's bytes go out through a buffer of its own; the first failed write is kept, and
// nothing is written after it.
struct PlaylistWriter {
    HANDLE file;
    UINT codePage;
    DWORD error;
    size_t used;
    char buffer[WriteBufferSize];
};

static void Flush(PlaylistWriter* writer)
{
    DWORD written = 0;
    if (!writer->error && writer->used &&
        (!WriteFile(writer->file, writer->buffer, (DWORD)writer->used, &written, nullptr) ||
         written != writer->used))
        writer->error = GetLastError() ? GetLastError() : ERROR_DISK_FULL;
    writer->used = 0;
}

static void WriteBytes(PlaylistWriter* writer, const char* bytes, size_t count)
{
    while (count && !writer->error) {
        if (writer->used == WriteBufferSize)
            Flush(writer);
        size_t piece = WriteBufferSize - writer->used;
        piece = piece < count ? piece : count;
        memcpy(writer->buffer + writer->used, bytes, piece);
        writer->used += piece;
        bytes += piece;
        count -= piece;
    }
}

// Writes the whole text in the file's encoding, in as many pieces as it takes.
static void WriteText(PlaylistWriter* writer, const wchar_t* text)
{
    do {
        const char* narrow = NarrowText(text, writer->codePage, &text);
        WriteBytes(writer, narrow, strlen(narrow));
    } while (text);
}

// A line break (or any control character) in a title would start a line of its own, which a
// player reads as another entry: it is written as a space, so an entry is always two lines.
static void WriteTitle(PlaylistWriter* writer, const wchar_t* title)
{
    wchar_t piece[TitlePieceLength + 1];
    while (*title) {
        size_t length = 0;
        for (; title[length] && length < TitlePieceLength; ++length)
            piece[length] = title[length] < 0x20 ? L' ' : title[length];
        // A pair stays together in the next piece.
        if (title[length] && IS_HIGH_SURROGATE(piece[length - 1]))
            --length;
        piece[length] = 0;
        WriteText(writer, piece);
        title += length;
    }
}

// Players outside Windows read "/" between folders, and some devices only "\\": the user chooses.
static const wchar_t* WithChosenSeparators(const wchar_t* relativePath, wchar_t* slashed)
{
    if (!State.Options.PlaylistSlashes)
        return relativePath;
    size_t i = 0;
    for (; relativePath[i] && i < PathCapacity - 1; ++i)
        slashed[i] = relativePath[i] == L'\\' ? L'/' : relativePath[i];
    slashed[i] = 0;
    return slashed;
}

static void FormatExtendedInfo(wchar_t* line, int seconds)
{
    line[0] = 0;
    FormatBounded(line, ExtendedInfoCapacity, L"#EXTINF:%d,", seconds);
}

// The two lines of an entry: "#EXTINF:<seconds>,<title>" and its copy's relative path.
static void WriteEntry(PlaylistWriter* writer, const CopyPlan& plan, const PlannedEntry& entry)
{
    wchar_t line[ExtendedInfoCapacity], slashed[PathCapacity];
    FormatExtendedInfo(line, entry.seconds);
    WriteText(writer, line);
    if (entry.title != NoText)
        WriteTitle(writer, PlanText(plan, entry.title));
    WriteBytes(writer, LineEnd, sizeof LineEnd);
    WriteText(writer, WithChosenSeparators(RelativeDestination(plan, plan.copies[entry.song]), slashed));
    WriteBytes(writer, LineEnd, sizeof LineEnd);
}

static uint32_t ConvertedBytes(const wchar_t* text, UINT codePage)
{
    int bytes = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    return bytes > 1 ? (uint32_t)bytes - 1 : 0;
}

// A title's control characters and the path's separators each stay one byte when written.
uint32_t PlaylistEntryBytes(const CopyPlan& plan, const PlannedEntry& entry)
{
    UINT codePage = PlaylistCodePage();
    wchar_t line[ExtendedInfoCapacity];
    FormatExtendedInfo(line, entry.seconds);
    uint32_t bytes = (uint32_t)wcslen(line) + 2 * sizeof LineEnd;
    if (entry.title != NoText)
        bytes += ConvertedBytes(PlanText(plan, entry.title), codePage);
    return bytes + ConvertedBytes(RelativeDestination(plan, plan.copies[entry.song]), codePage);
}

uint64_t PlaylistHeaderBytes()
{
    return (State.Options.SaveM3U8 ? sizeof ByteOrderMark : 0) + wcslen(ExtendedHeader);
}

// Listed: a copy made and found in place, or one there already and unchanged.
static bool IsListed(const CopyPlan& plan, const PlannedEntry& entry)
{
    if (entry.fate == EntryFate::Unchanged)
        return true;
    return entry.fate == EntryFate::Copied && plan.copies[entry.song].inPlace;
}

PlaylistWrite WritePlaylistFile(const CopyPlan& plan, DWORD* error)
{
    HANDLE file = CreateFileW(plan.target, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return PlaylistWrite::NotOpened;
    }
    PlaylistWriter writer;
    writer.file = file;
    writer.codePage = PlaylistCodePage();
    writer.error = 0;
    writer.used = 0;
    if (State.Options.SaveM3U8)
        WriteBytes(&writer, ByteOrderMark, sizeof ByteOrderMark);
    WriteText(&writer, ExtendedHeader);
    for (uint32_t i = 0; i < plan.entryCount; ++i)
        if (IsListed(plan, plan.entries[i]))
            WriteEntry(&writer, plan, plan.entries[i]);
    Flush(&writer);
    CloseHandle(file);
    *error = writer.error;
    if (!writer.error)
        return PlaylistWrite::Written;
    // A cut playlist file would look whole to a player.
    DeleteFileW(plan.target);
    return PlaylistWrite::NotWhole;
}

PlaylistBytes ReadPlaylistBytes(const wchar_t* path, size_t most)
{
    PlaylistBytes file = {nullptr, 0, false};
    HANDLE handle = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return file;
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(handle, &size) && size.QuadPart > 0) {
        uint64_t whole = (uint64_t)size.QuadPart;
        DWORD wanted = (DWORD)(whole < most ? whole : most);
        DWORD read = 0;
        file.bytes = (char*)malloc(wanted);
        if (file.bytes && ReadFile(handle, file.bytes, wanted, &read, nullptr))
            file.length = read;
        file.whole = file.length == whole;
    }
    CloseHandle(handle);
    if (!file.length)
        FreePlaylistBytes(&file);
    return file;
}

void FreePlaylistBytes(PlaylistBytes* file)
{
    free(file->bytes);
    *file = {nullptr, 0, false};
}

PlaylistLines ReadPlaylistLines(const PlaylistBytes& file, UINT codePage)
{
    PlaylistLines lines = {file.bytes, file.bytes + file.length, codePage};
    if (file.length >= sizeof ByteOrderMark && memcmp(file.bytes, ByteOrderMark, sizeof ByteOrderMark) == 0)
        lines.at += sizeof ByteOrderMark;
    return lines;
}

// The next line without its CR LF (a last line without one counts as well); false at the end.
static bool NextLine(PlaylistLines* lines, const char** line, size_t* length)
{
    if (lines->at >= lines->end)
        return false;
    const char* start = lines->at;
    const char* stop = (const char*)memchr(start, '\n', (size_t)(lines->end - start));
    if (!stop)
        stop = lines->end;
    lines->at = stop < lines->end ? stop + 1 : stop;
    size_t count = (size_t)(stop - start);
    if (count && start[count - 1] == '\r')
        --count;
    *line = start;
    *length = count;
    return true;
}

// The line in UTF-16 in `wide` (PathCapacity characters); false when it does not convert or fit.
static bool WidenLine(const char* line, size_t length, UINT codePage, wchar_t* wide)
{
    int count = MultiByteToWideChar(codePage, 0, line, (int)length, wide, PathCapacity - 1);
    if (count <= 0)
        return false;
    wide[count] = 0;
    return true;
}

bool NextListedPath(PlaylistLines* lines, wchar_t* path)
{
    const char* line;
    size_t length;
    while (NextLine(lines, &line, &length)) {
        if (!length || length > LineLimit || line[0] == '#' || memchr(line, 0, length))
            continue;
        if (WidenLine(line, length, lines->codePage, path))
            return true;
    }
    return false;
}
