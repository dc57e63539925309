#include "copy/leftovers.h"
#include <shellapi.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include "copy/playlist_file.h"
#include "resources/resource_ids.h"
#include "state/plugin_state.h"
#include "text/format_bounded.h"
#include "text/localised_text.h"

static const size_t PreviousPlaylistLimit = 16 * 1024 * 1024;
// A line longer than this many bytes names no path that fits PathCapacity.
static const size_t LineLimit = NarrowBufferSize;
static const int QuestionCapacity = 512;

PreviousPlaylist ReadPreviousPlaylist(const wchar_t* path, UINT codePage)
{
    return {ReadPlaylistBytes(path, PreviousPlaylistLimit), codePage};
}

// The line in UTF-16, or false when it cannot name a path (too long, binary, a comment).
static bool WidenLine(const char* line, size_t length, UINT codePage, wchar_t* wide)
{
    if (!length || length > LineLimit || line[0] == '#' || memchr(line, 0, length))
        return false;
    int count = MultiByteToWideChar(codePage, 0, line, (int)length, wide, PathCapacity - 1);
    if (count <= 0)
        return false;
    wide[count] = 0;
    return true;
}

// --- Making a listed path plain --------------------------------------------------------------

static bool IsSeparator(wchar_t ch) { return ch == L'\\' || ch == L'/'; }

static bool IsReservedCharacter(wchar_t ch)
{
    return ch < 0x20 || wcschr(L":*?\"<>|", ch) != nullptr;
}

// Windows drops trailing dots and spaces, so such a name would reach another file.
static bool IsPlainName(const wchar_t* name, size_t length)
{
    wchar_t last = name[length - 1];
    return last != L'.' && last != L' ' && !IsDeviceName(name, length);
}

bool ResolveListedPath(const wchar_t* line, wchar_t* relative, size_t capacity)
{
    if (!capacity || IsSeparator(line[0]))
        return false;
    for (const wchar_t* at = line; *at; ++at)
        if (IsReservedCharacter(*at))
            return false;
    size_t length = 0, depth = 0;
    const wchar_t* name = line;
    while (*name) {
        size_t nameLength = 0;
        while (name[nameLength] && !IsSeparator(name[nameLength]))
            ++nameLength;
        const wchar_t* next = name + nameLength + (name[nameLength] ? 1 : 0);
        if (nameLength == 0)
            return false;
        if (nameLength == 1 && name[0] == L'.') {
            name = next;
            continue;
        }
        if (nameLength == 2 && name[0] == L'.' && name[1] == L'.') {
            if (depth == 0)
                return false;
            // Back to the end of the previous name, or to the start.
            while (length > 0 && relative[length - 1] != L'\\')
                --length;
            length = length > 0 ? length - 1 : 0;
            --depth;
            name = next;
            continue;
        }
        if (!IsPlainName(name, nameLength) || length + 1 + nameLength >= capacity)
            return false;
        if (depth > 0)
            relative[length++] = L'\\';
        wmemcpy(relative + length, name, nameLength);
        length += nameLength;
        ++depth;
        name = next;
    }
    relative[length] = 0;
    return depth > 0 && !IsSeparator(line[wcslen(line) - 1]);
}

// --- Telling leftovers ---------------------------------------------------------------------

// Cuts `path` to the folder that holds it; false when that folder is no longer strictly inside
// the target folder, whose path (with its closing backslash) is `folderLength` characters.
static bool CutToFolderInside(wchar_t* path, size_t folderLength)
{
    wchar_t* slash = wcsrchr(path, L'\\');
    if (!slash || (size_t)(slash - path) < folderLength)
        return false;
    *slash = 0;
    return true;
}

static bool IsReachedThroughLink(const wchar_t* full, size_t folderLength)
{
    wchar_t folder[PathCapacity];
    lstrcpynW(folder, full, PathCapacity);
    while (CutToFolderInside(folder, folderLength)) {
        DWORD attributes = GetFileAttributesW(folder);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return true;
    }
    return false;
}

static bool IsPlaylistFileName(const wchar_t* relative)
{
    return SameFileName(relative, PlaylistFileName) || SameFileName(relative, PlaylistFileNameUtf8);
}

static bool IsNamedByThisRun(const CopyLists& lists, const wchar_t* path)
{
    return FindByDestination(lists.index, lists.destinationList, path) ||
           FindBySource(lists.index, lists.sourceList, path);
}

// A copy this run makes, or a file it copies from (a target folder may hold sources too). A
// short (8.3) form of a name reaches the same file as its long form.
static bool IsPartOfThisRun(const CopyLists& lists, const wchar_t* full)
{
    if (IsNamedByThisRun(lists, full))
        return true;
    wchar_t longForm[PathCapacity];
    DWORD length = GetLongPathNameW(full, longForm, PathCapacity);
    return length > 0 && length < (DWORD)PathCapacity && IsNamedByThisRun(lists, longForm);
}

// The full path of a leftover named by `line` into `full`, or false.
static bool FindLeftover(const wchar_t* line, const CopyLists& lists, const wchar_t* targetPath,
                         int nameOffset, wchar_t* full)
{
    wchar_t relative[PathCapacity];
    if (!ResolveListedPath(line, relative, PathCapacity) || IsPlaylistFileName(relative))
        return false;
    size_t length = (size_t)nameOffset + wcslen(relative);
    if (length >= (size_t)PathCapacity)
        return false;
    wmemcpy(full, targetPath, (size_t)nameOffset);
    wcscpy(full + nameOffset, relative);
    DWORD attributes = GetFileAttributesW(full);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return false;
    return !IsReachedThroughLink(full, (size_t)nameOffset) && !IsPartOfThisRun(lists, full);
}

// The shell's list of leftovers (paths one after another, ended by an empty one), each once.
struct Leftovers {
    wchar_t* list;
    wchar_t* write;
    TextSet named;
    unsigned count;
};

// Room for every line that could be a leftover, counted before anything is looked up.
static size_t LeftoverRoom(const PreviousPlaylist& previous, int nameOffset, size_t* lines)
{
    PlaylistLines reader = ReadPlaylistLines(previous.file);
    const char* line;
    size_t length, room = 1;
    *lines = 0;
    wchar_t wide[PathCapacity], relative[PathCapacity];
    while (NextPlaylistLine(&reader, &line, &length)) {
        if (!WidenLine(line, length, previous.codePage, wide) ||
            !ResolveListedPath(wide, relative, PathCapacity))
            continue;
        room += (size_t)nameOffset + wcslen(relative) + 1;
        ++*lines;
    }
    return room;
}

static void CollectLeftovers(const PreviousPlaylist& previous, const CopyLists& lists,
                             const wchar_t* targetPath, int nameOffset, Leftovers* found)
{
    PlaylistLines reader = ReadPlaylistLines(previous.file);
    const char* line;
    size_t length;
    wchar_t wide[PathCapacity], full[PathCapacity];
    while (NextPlaylistLine(&reader, &line, &length)) {
        if (!WidenLine(line, length, previous.codePage, wide) ||
            !FindLeftover(wide, lists, targetPath, nameOffset, full))
            continue;
        if (FindInTextSet(found->named, found->list, full) >= 0)
            continue;
        uint32_t offset = (uint32_t)(found->write - found->list);
        size_t fullLength = wcslen(full) + 1;
        wmemcpy(found->write, full, fullLength);
        found->write += fullLength;
        *found->write = 0;
        AddText(&found->named, found->list, offset);
        ++found->count;
    }
}

static bool AskToRemove(unsigned count)
{
    wchar_t format[QuestionCapacity] = {}, question[QuestionCapacity] = {};
    FormatBounded(question, QuestionCapacity,
                  FetchTextOrOwn(RemoveLeftoversString, format, QuestionCapacity), count);
    EnsureCaption();
    return MessageBoxW(HostWindow(), question, State.SharedCaption, MB_YESNO) == IDYES;
}

// The question has been asked already; the Recycle Bin keeps what the user may want back.
static void MoveToRecycleBin(const wchar_t* list)
{
    SHFILEOPSTRUCTW request = {};
    request.hwnd = HostWindow();
    request.wFunc = FO_DELETE;
    request.pFrom = list;
    request.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION;
    SHFileOperationW(&request);
}

// Each folder between a removed file and the target folder goes when it is empty; the first
// that is not empty (or not removable) ends the climb.
static void RemoveEmptiedFolders(const wchar_t* list, size_t folderLength)
{
    wchar_t folder[PathCapacity];
    for (const wchar_t* path = list; *path; path += wcslen(path) + 1) {
        lstrcpynW(folder, path, PathCapacity);
        while (CutToFolderInside(folder, folderLength))
            if (!RemoveDirectoryW(folder))
                break;
    }
}

void RemoveLeftovers(const PreviousPlaylist& previous, const CopyLists& lists,
                     const wchar_t* targetPath, int nameOffset)
{
    if (!previous.file.bytes || !lists.index.records)
        return;
    size_t lines;
    size_t room = LeftoverRoom(previous, nameOffset, &lines);
    if (!lines)
        return;
    size_t listBytes = (room * sizeof(wchar_t) + 3) & ~(size_t)3;
    char* block = (char*)malloc(listBytes + TextSetBytes(lines));
    if (!block)
        return;
    Leftovers found = {(wchar_t*)block, (wchar_t*)block, PlaceTextSet(block + listBytes, lines), 0};
    *found.write = 0;
    CollectLeftovers(previous, lists, targetPath, nameOffset, &found);
    if (found.count && AskToRemove(found.count)) {
        MoveToRecycleBin(found.list);
        RemoveEmptiedFolders(found.list, (size_t)nameOffset);
    }
    free(block);
}
