#include "copy/copy_lists.h"
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include "host/host_link.h"
#include "state/plugin_state.h"
#include "text/format_bounded.h"

// A parent folder part is looked for only when at least this many characters precede the
// file name, so that a file in a volume root (D:\song.mp3) keeps none.
static const size_t ParentFolderMinimumOffset = 5;
// Room for the " (2)" ... " (4294967295)" that keeps a copy's name its own.
static const size_t UniqueSuffixReserve = 13;

const wchar_t* FindLastChar(const wchar_t* text, wchar_t ch)
{
    const wchar_t* last = nullptr;
    for (const wchar_t* at = text; *at; at = CharNextW(at))
        if (*at == ch)
            last = at;
    return last;
}

size_t SplitPath(const wchar_t* path, const wchar_t** fileName, const wchar_t** extension)
{
    size_t length = wcslen(path);
    const wchar_t* slash = FindLastChar(path, L'\\');
    const wchar_t* name = slash ? slash + 1 : path;
    const wchar_t* dot = FindLastChar(name, L'.');
    if (fileName)
        *fileName = name;
    if (extension)
        *extension = dot ? dot : path + length;
    return length;
}

static bool HasWildcard(const wchar_t* text)
{
    // FindFirstFileW treats < > and " as wildcards too.
    return wcspbrk(text, L"*?<>\"") != nullptr;
}

bool QueryFileFacts(const wchar_t* path, FileFacts* facts)
{
    *facts = {0, 0};
    const wchar_t* name;
    SplitPath(path, &name, nullptr);
    if (HasWildcard(name))
        return false;
    // One lookup of the path's own directory entry. A search handle (FindFirstFileW) gives
    // the same facts, but Wine reads the whole folder for it, which made the lookups most
    // of a copy run's preparation in folders of a hundred files.
    WIN32_FILE_ATTRIBUTE_DATA found = {};
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &found))
        return false;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return false;
    facts->size = ((uint64_t)found.nFileSizeHigh << 32) | found.nFileSizeLow;
    facts->writeTime = ((uint64_t)found.ftLastWriteTime.dwHighDateTime << 32) |
                       found.ftLastWriteTime.dwLowDateTime;
    return true;
}

bool QueryFileSize(const wchar_t* path, uint64_t* size)
{
    FileFacts facts;
    bool found = QueryFileFacts(path, &facts);
    *size = facts.size;
    return found;
}

// FAT keeps write times in steps of two seconds.
static const uint64_t WriteTimeTolerance = 2 * 10000000ull;

bool IsUnchangedCopy(const wchar_t* source, const wchar_t* copy)
{
    FileFacts original, existing;
    if (!QueryFileFacts(source, &original) || !QueryFileFacts(copy, &existing))
        return false;
    return existing.size == original.size &&
           existing.writeTime + WriteTimeTolerance >= original.writeTime;
}

static wchar_t SafeLookAlike(wchar_t ch)
{
    switch (ch) {
    case L'"': return L'\'';
    case L'*': return L'+';
    case L'/': return L'-';
    case L':': return L'-';
    case L'<': return 0x00AB;
    case L'>': return 0x00BB;
    case L'?': return 0x00BF;
    case L'\\': return L'_';
    case L'|': return L'!';
    default: return ch;
    }
}

void SanitizeBaseName(wchar_t* text)
{
    for (wchar_t* at = text; *at; at = CharNextW(at))
        *at = SafeLookAlike(*at);
}

int NumberWidth(int count)
{
    int width = 1;
    for (int64_t limit = 10; count >= limit; limit *= 10)
        ++width;
    return width;
}

NumberPrefix MakeNumberPrefix(int count, bool numberFilenames)
{
    NumberPrefix prefix = {};
    if (!numberFilenames)
        return prefix;
    int width = NumberWidth(count);
    FormatBounded(prefix.format, sizeof prefix.format / sizeof prefix.format[0], L"%%0%dd_", width);
    prefix.length = width + 1;
    return prefix;
}

// The parent folder part as the measuring counts it: the folder that directly holds the
// file, with its closing backslash. Empty when the path has none.
struct FolderPart {
    const wchar_t* start;
    size_t length;
};

static FolderPart FindParentFolderPart(const wchar_t* path, const wchar_t* fileName)
{
    size_t nameAt = (size_t)(fileName - path);
    if (nameAt < ParentFolderMinimumOffset)
        return {nullptr, 0};
    const wchar_t* start = path;
    for (const wchar_t* at = fileName - 2; at >= path; --at) {
        if (*at == L'\\') {
            start = at + 1;
            break;
        }
    }
    return {start, (size_t)(fileName - start)};
}

static bool OnlyDotsAndSpaces(const wchar_t* text, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        if (text[i] != L'.' && text[i] != L' ')
            return false;
    return true;
}

// Windows drops trailing dots and spaces from a name, so a name made only of them means
// the folder itself or its parent. A folder name never holds the reserved characters
// either; a part that does ("C:\" of a \\?\ path, "a/../") would lead out of the target.
static bool IsUsableFolderName(const FolderPart& part)
{
    size_t nameLength = part.length - 1;
    if (OnlyDotsAndSpaces(part.start, nameLength))
        return false;
    for (size_t i = 0; i < nameLength; ++i)
        if (SafeLookAlike(part.start[i]) != part.start[i])
            return false;
    return true;
}

CopyListSizes MeasureCopyLists(const wchar_t* targetPath, const NumberPrefix& prefix)
{
    const CopyOptions& options = State.Options;
    size_t targetLength = wcslen(targetPath);
    CopyListSizes sizes = {0, 0};
    for (int i = 0; i < State.PlaylistCount; ++i) {
        const wchar_t* path = PlaylistFile(i);
        if (!path)
            continue;
        const wchar_t *fileName, *extension;
        size_t pathLength = SplitPath(path, &fileName, &extension);
        sizes.sourceChars += pathLength + 1;
        size_t extensionLength = (size_t)(path + pathLength - extension);
        size_t base;
        if (options.UsePlaylistTitle) {
            const wchar_t* title = PlaylistTitle(i);
            base = title ? wcslen(title) : 0;
        } else {
            base = (size_t)(extension - fileName);
        }
        if (options.IncludeDirectory) {
            FolderPart part = FindParentFolderPart(path, fileName);
            if (part.length)
                base += part.length + 1;
        }
        // One more for the underscore that a name of nothing but dots and spaces gets.
        sizes.destinationChars += extensionLength + base + targetLength + prefix.length + 1 + 1;
        if (options.SkipUnchanged)
            sizes.destinationChars += UniqueSuffixReserve;
    }
    return sizes;
}

CopyLists AllocateCopyLists(CopyListSizes sizes, size_t indexEntries)
{
    CopyLists lists = {};
    lists.sourceList = (wchar_t*)malloc((sizes.sourceChars + 1) * sizeof(wchar_t));
    lists.destinationList = (wchar_t*)malloc((sizes.destinationChars + 1) * sizeof(wchar_t));
    void* index = indexEntries ? malloc(CopyIndexBytes(indexEntries)) : nullptr;
    if (index)
        lists.index = PlaceCopyIndex(index, indexEntries);
    if (!lists.sourceList || !lists.destinationList || (indexEntries && !index)) {
        FreeCopyLists(&lists);
        return lists;
    }
    lists.sourceCapacity = sizes.sourceChars + 1;
    lists.destinationCapacity = sizes.destinationChars + 1;
    lists.sourceWrite = lists.sourceList;
    lists.destinationWrite = lists.destinationList;
    *lists.sourceWrite = 0;
    *lists.destinationWrite = 0;
    return lists;
}

void FreeCopyLists(CopyLists* lists)
{
    free(lists->sourceList);
    free(lists->destinationList);
    free(lists->index.records);
    *lists = {};
}

static size_t RoomLeft(const wchar_t* list, const wchar_t* write, size_t capacity)
{
    return capacity - (size_t)(write - list);
}

static wchar_t* Append(wchar_t* at, const wchar_t* text, size_t length)
{
    memcpy(at, text, length * sizeof(wchar_t));
    return at + length;
}

// Cuts a text to at most `room` characters without splitting a surrogate pair.
static size_t CutLength(const wchar_t* text, size_t length, size_t room)
{
    if (length <= room)
        return length;
    if (room > 0 && IS_HIGH_SURROGATE(text[room - 1]))
        return room - 1;
    return room;
}

static bool IsNameTaken(const CopyLists& lists, const wchar_t* destination)
{
    return FindByDestination(lists.index, lists.destinationList, destination) ||
           (lists.reservedName && SameFileName(destination, lists.reservedName));
}

// Puts " (2)", " (3)" ... in front of the extension until no other copy of the run has the
// name; returns the end of the name. The measure kept room for the longest such suffix.
static wchar_t* GiveNameOfItsOwn(const CopyLists& lists, wchar_t* destination, wchar_t* suffixAt,
                                 size_t extensionLength)
{
    size_t suffixLength = 0;
    for (uint32_t number = 2; IsNameTaken(lists, destination); ++number) {
        wchar_t suffix[UniqueSuffixReserve + 1];
        FormatBounded(suffix, UniqueSuffixReserve + 1, L" (%u)", number);
        size_t length = wcslen(suffix);
        memmove(suffixAt + length, suffixAt + suffixLength, (extensionLength + 1) * sizeof(wchar_t));
        memcpy(suffixAt, suffix, length * sizeof(wchar_t));
        suffixLength = length;
    }
    return suffixAt + suffixLength + extensionLength;
}

static void IndexCopy(CopyLists* lists, const wchar_t* source, const wchar_t* destination)
{
    if (!lists->index.records)
        return;
    AddCopyRecord(&lists->index, lists->sourceList, lists->destinationList,
                  (uint32_t)(source - lists->sourceList),
                  (uint32_t)(destination - lists->destinationList));
    if (lists->keepsInStep && IsUnchangedCopy(source, destination))
        lists->index.records[lists->index.count - 1].unchanged = 1;
}

const wchar_t* AppendCopyEntry(CopyLists* lists, const NumberPrefix& prefix, int index,
                               const wchar_t* targetPath, int nameOffset)
{
    const CopyOptions& options = State.Options;
    const wchar_t* path = PlaylistFile(index);
    // An empty path would read as the end of the list and cut off every later entry.
    if (!path || !*path || !lists->sourceList)
        return nullptr;
    if (lists->keepsInStep) {
        const CopyRecord* earlier = FindBySource(lists->index, lists->sourceList, path);
        if (earlier)
            return lists->destinationList + earlier->destination + nameOffset;
    }
    const wchar_t *fileName, *extension;
    size_t pathLength = SplitPath(path, &fileName, &extension);
    size_t extensionLength = (size_t)(path + pathLength - extension);

    // Each list keeps its closing NUL at the write position; an entry adds its own NUL.
    if (pathLength + 2 > RoomLeft(lists->sourceList, lists->sourceWrite, lists->sourceCapacity))
        return nullptr;

    FolderPart folder = {nullptr, 0};
    if (options.IncludeDirectory) {
        folder = FindParentFolderPart(path, fileName);
        if (folder.length && !IsUsableFolderName(folder))
            folder = {nullptr, 0};
    }

    const wchar_t* base = fileName;
    size_t baseLength = (size_t)(extension - fileName);
    if (options.UsePlaylistTitle) {
        base = PlaylistTitle(index);
        baseLength = base ? wcslen(base) : 0;
    }

    size_t fixed = (size_t)nameOffset + folder.length + prefix.length + 1 + extensionLength + 2;
    if (lists->keepsInStep)
        fixed += UniqueSuffixReserve;
    size_t room = RoomLeft(lists->destinationList, lists->destinationWrite,
                           lists->destinationCapacity);
    if (fixed > room)
        return nullptr;
    baseLength = CutLength(base, baseLength, room - fixed);

    wchar_t* source = lists->sourceWrite;
    wchar_t* at = Append(source, path, pathLength);
    *at++ = 0;
    *at = 0;
    lists->sourceWrite = at;

    wchar_t* destination = lists->destinationWrite;
    at = Append(destination, targetPath, (size_t)nameOffset);
    wchar_t* relative = at;
    at = Append(at, folder.start, folder.length);
    if (prefix.length) {
        FormatBounded(at, (uint32_t)prefix.length + 1, prefix.format, index + 1);
        at += wcslen(at);
    }
    bool nameless = prefix.length == 0 && OnlyDotsAndSpaces(base, baseLength) &&
                    OnlyDotsAndSpaces(extension, extensionLength);
    if (nameless)
        *at++ = L'_';
    wchar_t* baseStart = at;
    at = Append(at, base, baseLength);
    *at = 0;
    SanitizeBaseName(baseStart);
    // An extension holds no backslash but may hold a slash or a colon (D:\m.x/y), which
    // would open a subfolder or a stream; it gets the same look-alikes as the base.
    wchar_t* extensionStart = at;
    at = Append(at, extension, extensionLength);
    *at = 0;
    SanitizeBaseName(extensionStart);
    if (lists->keepsInStep)
        at = GiveNameOfItsOwn(*lists, destination, extensionStart, extensionLength);
    *at++ = 0;
    *at = 0;
    lists->destinationWrite = at;
    lists->entries++;
    IndexCopy(lists, source, destination);
    return relative;
}

// Moving each kept path down to the write position never overtakes a path not yet moved.
static wchar_t* MoveDown(wchar_t* to, const wchar_t* from)
{
    size_t length = wcslen(from) + 1;
    memmove(to, from, length * sizeof(wchar_t));
    return to + length;
}

int LeaveOutUnchanged(CopyLists* lists)
{
    // Only a folder kept in step marks copies unchanged.
    if (!lists->keepsInStep || !lists->index.records || !lists->sourceList)
        return lists->entries;
    wchar_t* source = lists->sourceList;
    wchar_t* destination = lists->destinationList;
    int kept = 0;
    for (uint32_t i = 0; i < lists->index.count; ++i) {
        const CopyRecord& record = lists->index.records[i];
        if (record.unchanged)
            continue;
        source = MoveDown(source, lists->sourceList + record.source);
        destination = MoveDown(destination, lists->destinationList + record.destination);
        ++kept;
    }
    *source = 0;
    *destination = 0;
    lists->sourceWrite = source;
    lists->destinationWrite = destination;
    lists->entries = kept;
    lists->index.count = 0;
    return kept;
}
