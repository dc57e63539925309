#include "sync/leftovers.h"
#include <shellapi.h>
#include <stdlib.h>
#include <wchar.h>
#include "companions/companions.h"
#include "files/block_layout.h"
#include "files/file_facts.h"
#include "files/name_characters.h"
#include "naming/copy_name.h"
#include "resources/resource_ids.h"
#include "state/plugin_state.h"
#include "text/format_bounded.h"

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

static bool IsNamedByThisRun(const CopyPlan& plan, const wchar_t* path)
{
    return FindCopyByDestination(plan, path) != NoCopy || FindCopyBySource(plan, path) != NoCopy;
}

// A copy this run makes, or a file it copies from (a target folder may hold sources too). A
// short (8.3) form of a name reaches the same file as its long form.
static bool IsPartOfThisRun(const CopyPlan& plan, const wchar_t* full)
{
    if (IsNamedByThisRun(plan, full))
        return true;
    wchar_t longForm[PathCapacity];
    DWORD length = GetLongPathNameW(full, longForm, PathCapacity);
    return length > 0 && length < (DWORD)PathCapacity && IsNamedByThisRun(plan, longForm);
}

// The full path of a leftover named by `line` into `full`, or false.
static bool FindLeftover(const wchar_t* line, const CopyPlan& plan, wchar_t* full)
{
    wchar_t relative[PathCapacity];
    if (!ResolveListedPath(line, relative, PathCapacity) || IsPlaylistFileName(relative))
        return false;
    if (!JoinPath(full, plan.target, (size_t)plan.folderLength, relative, wcslen(relative)))
        return false;
    DWORD attributes = GetFileAttributesW(full);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return false;
    return !IsReachedThroughLink(full, (size_t)plan.folderLength) && !IsPartOfThisRun(plan, full);
}

// The shell's list of leftovers (paths one after another, ended by an empty one), each once.
struct Leftovers {
    wchar_t* list;
    wchar_t* write;
    TextSet named;
    unsigned count;  // the copies; their lyrics go uncounted
};

// Room for every line that could be a leftover, and for its lyrics when they go too, counted
// before anything is looked up; `paths` receives how many paths that can be.
static size_t LeftoverRoom(const PreviousPlaylist& previous, int folderLength, size_t* paths)
{
    PlaylistLines reader = ReadPlaylistLines(previous.file, previous.codePage);
    size_t room = 1, perLine = State.Options.CopyCompanions ? 2 : 1;
    *paths = 0;
    wchar_t wide[PathCapacity], relative[PathCapacity];
    while (NextListedPath(&reader, wide)) {
        if (!ResolveListedPath(wide, relative, PathCapacity))
            continue;
        room += perLine * ((size_t)folderLength + wcslen(relative) + 1) + (perLine - 1) * 4;
        *paths += perLine;
    }
    return room;
}

static void AddLeftover(Leftovers* found, const wchar_t* full)
{
    uint32_t offset = (uint32_t)(found->write - found->list);
    size_t fullLength = wcslen(full) + 1;
    wmemcpy(found->write, full, fullLength);
    found->write += fullLength;
    *found->write = 0;
    AddText(&found->named, found->list, offset);
}

// A copy's lyrics go with it, unless they are not a plain file or this run copies to or from
// them.
static void AddLyricsOf(Leftovers* found, const CopyPlan& plan, const wchar_t* full)
{
    wchar_t lyrics[PathCapacity];
    if (!LyricsPathOf(full, lyrics) || FindInTextSet(found->named, found->list, lyrics) >= 0)
        return;
    DWORD attributes = GetFileAttributesW(lyrics);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
        IsNamedByThisRun(plan, lyrics))
        return;
    AddLeftover(found, lyrics);
}

static void CollectLeftovers(const PreviousPlaylist& previous, const CopyPlan& plan,
                             Leftovers* found)
{
    PlaylistLines reader = ReadPlaylistLines(previous.file, previous.codePage);
    wchar_t wide[PathCapacity], full[PathCapacity];
    while (NextListedPath(&reader, wide)) {
        if (!FindLeftover(wide, plan, full))
            continue;
        if (FindInTextSet(found->named, found->list, full) >= 0)
            continue;
        AddLeftover(found, full);
        ++found->count;
        if (State.Options.CopyCompanions)
            AddLyricsOf(found, plan, full);
    }
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

struct LoneCover {
    const wchar_t* folder;
    wchar_t path[PathCapacity + 1];  // the shell's list of one path ends with an empty one
    bool others;
};

// The first cover is noted; anything else ends the look.
static bool NoteCover(void* context, const WIN32_FIND_DATAW& entry)
{
    LoneCover* lone = (LoneCover*)context;
    lone->others = lone->path[0] || (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
                   !IsCoverName(entry.cFileName);
    // A path too long to make keeps the folder.
    if (!lone->others)
        lone->others = FormatBounded(lone->path, PathCapacity, L"%s\\%s", lone->folder, entry.cFileName) != FormatOk;
    return !lone->others;
}

// A cover that went with the copies and is all that is left in `folder` goes too.
static void RemoveLoneCover(const wchar_t* folder)
{
    LoneCover lone = {folder, {}, false};
    if (VisitEntries(folder, NoteCover, &lone) && lone.path[0])
        MoveToRecycleBin(lone.path);
}

// Each folder between a removed file and the target folder goes when it is empty (but for the
// cover that went with its copies); the first that is not empty (or not removable) ends the
// climb.
static void RemoveEmptiedFolders(const wchar_t* list, size_t folderLength)
{
    wchar_t folder[PathCapacity];
    for (const wchar_t* path = list; *path; path = NextPath(path)) {
        lstrcpynW(folder, path, PathCapacity);
        while (CutToFolderInside(folder, folderLength)) {
            if (State.Options.CopyCompanions)
                RemoveLoneCover(folder);
            if (!RemoveDirectoryW(folder))
                break;
        }
    }
}

void RemoveLeftovers(const PreviousPlaylist& previous, const CopyPlan& plan,
                     bool (*askToRemove)(uint32_t count))
{
    if (!previous.file.bytes || !plan.indexed)
        return;
    size_t paths;
    size_t room = LeftoverRoom(previous, plan.folderLength, &paths);
    if (!paths)
        return;
    BlockLayout layout = {};
    size_t list = ReservePart(&layout, SizeTimes(room, sizeof(wchar_t)));
    size_t named = ReservePart(&layout, TextSetBytes(paths));
    char* block = AllocateBlock(layout);
    if (!block)
        return;
    wchar_t* listed = (wchar_t*)(block + list);
    Leftovers found = {listed, listed, PlaceTextSet(block + named, paths), 0};
    *found.write = 0;
    CollectLeftovers(previous, plan, &found);
    if (found.count && askToRemove(found.count)) {
        MoveToRecycleBin(found.list);
        RemoveEmptiedFolders(found.list, (size_t)plan.folderLength);
    }
    free(block);
}
