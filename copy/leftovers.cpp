#include "copy/leftovers.h"
#include <shellapi.h>
#include <stdlib.h>
#include <wchar.h>
#include "copy/file_facts.h"
#include "copy/name_characters.h"
#include "resources/resource_ids.h"
#include "state/plugin_state.h"
#include "text/message_box.h"

static const size_t PreviousPlaylistLimit = 16 * 1024 * 1024;

PreviousPlaylist ReadPreviousPlaylist(const wchar_t* path, UINT codePage)
{
    return {ReadPlaylistBytes(path, PreviousPlaylistLimit), codePage};
}

// --- Making a listed path plain --------------------------------------------------------------

static bool IsSeparator(wchar_t ch) { return ch == L'\\' || ch == L'/'; }

static bool IsReservedCharacter(wchar_t ch)
{
    return ch < 0x20 || (IsForbiddenInName(ch) && !IsSeparator(ch));
}

// Windows drops trailing dots and spaces, so such a name would reach another file.
static bool IsPlainName(const wchar_t* name, size_t length)
{
    return WithoutTrailingDotsAndSpaces(name, length) == length && !IsDeviceName(name, length);
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
static bool FindLeftover(const wchar_t* line, const CopyLists& lists, CopyTarget target,
                         wchar_t* full)
{
    wchar_t relative[PathCapacity];
    if (!ResolveListedPath(line, relative, PathCapacity) || IsPlaylistFileName(relative))
        return false;
    size_t folderLength = (size_t)target.folderLength;
    if (folderLength + wcslen(relative) >= (size_t)PathCapacity)
        return false;
    wmemcpy(full, target.path, folderLength);
    wcscpy(full + folderLength, relative);
    DWORD attributes = GetFileAttributesW(full);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return false;
    return !IsReachedThroughLink(full, folderLength) && !IsPartOfThisRun(lists, full);
}

// The shell's list of leftovers (paths one after another, ended by an empty one), each once.
struct Leftovers {
    wchar_t* list;
    wchar_t* write;
    TextSet named;
    unsigned count;
};

// Room for every line that could be a leftover, counted before anything is looked up.
static size_t LeftoverRoom(const PreviousPlaylist& previous, int folderLength, size_t* lines)
{
    PlaylistLines reader = ReadPlaylistLines(previous.file, previous.codePage);
    size_t room = 1;
    *lines = 0;
    wchar_t wide[PathCapacity], relative[PathCapacity];
    while (NextListedPath(&reader, wide)) {
        if (!ResolveListedPath(wide, relative, PathCapacity))
            continue;
        room += (size_t)folderLength + wcslen(relative) + 1;
        ++*lines;
    }
    return room;
}

static void CollectLeftovers(const PreviousPlaylist& previous, const CopyLists& lists,
                             CopyTarget target, Leftovers* found)
{
    PlaylistLines reader = ReadPlaylistLines(previous.file, previous.codePage);
    wchar_t wide[PathCapacity], full[PathCapacity];
    while (NextListedPath(&reader, wide)) {
        if (!FindLeftover(wide, lists, target, full))
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
    return ShowFormattedBox(State.HostWindow, MB_YESNO, RemoveLeftoversString, BoxTextCapacity,
                            count) == IDYES;
}

// The question has been asked already; the Recycle Bin keeps what the user may want back.
static void MoveToRecycleBin(const wchar_t* list)
{
    SHFILEOPSTRUCTW request = {};
    request.hwnd = State.HostWindow;
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
    for (const wchar_t* path = list; *path; path = NextPath(path)) {
        lstrcpynW(folder, path, PathCapacity);
        while (CutToFolderInside(folder, folderLength))
            if (!RemoveDirectoryW(folder))
                break;
    }
}

void RemoveLeftovers(const PreviousPlaylist& previous, const CopyLists& lists, CopyTarget target)
{
    if (!previous.file.bytes || !lists.index.records)
        return;
    size_t lines;
    size_t room = LeftoverRoom(previous, target.folderLength, &lines);
    if (!lines)
        return;
    size_t listBytes = (room * sizeof(wchar_t) + 3) & ~(size_t)3;
    char* block = (char*)malloc(listBytes + TextSetBytes(lines));
    if (!block)
        return;
    Leftovers found = {(wchar_t*)block, (wchar_t*)block, PlaceTextSet(block + listBytes, lines), 0};
    *found.write = 0;
    CollectLeftovers(previous, lists, target, &found);
    if (found.count && AskToRemove(found.count)) {
        MoveToRecycleBin(found.list);
        RemoveEmptiedFolders(found.list, (size_t)target.folderLength);
    }
    free(block);
}
