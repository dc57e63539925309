#include "files/file_facts.h"
#include <windows.h>
#include <wchar.h>
#include "files/name_characters.h"
#include "state/plugin_state.h"

// FAT keeps write times in steps of two seconds.
static const uint64_t WriteTimeTolerance = 2 * 10000000ull;

// One walk finds the end, the last backslash and the last dot after it. Neither a backslash
// nor a dot is ever part of a longer character, so the walk goes a unit at a time.
size_t SplitPath(const wchar_t* path, const wchar_t** fileName, const wchar_t** extension)
{
    const wchar_t* name = path;
    const wchar_t* dot = nullptr;
    const wchar_t* at = path;
    for (; *at; ++at) {
        if (*at == L'\\') {
            name = at + 1;
            dot = nullptr;
        } else if (*at == L'.') {
            dot = at;
        }
    }
    if (fileName)
        *fileName = name;
    if (extension)
        *extension = dot ? dot : at;
    return (size_t)(at - path);
}

bool JoinPath(wchar_t* path, const wchar_t* head, size_t headLength, const wchar_t* tail,
              size_t tailLength)
{
    if (headLength + tailLength >= (size_t)PathCapacity)
        return false;
    if (path != head)
        wmemmove(path, head, headLength);
    wmemmove(path + headLength, tail, tailLength);
    path[headLength + tailLength] = 0;
    return true;
}

static bool HasWildcard(const wchar_t* text)
{
    for (; *text; ++text)
        if (IsWildcard(*text))
            return true;
    return false;
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

static const uint64_t Hour = 3600 * 10000000ull;

bool SameWriteTime(uint64_t a, uint64_t b)
{
    return a + WriteTimeTolerance >= b && a <= b + WriteTimeTolerance;
}

bool IsUnchangedCopyOf(const FileFacts& source, const wchar_t* copy, bool localTimes)
{
    FileFacts existing;
    if (!QueryFileFacts(copy, &existing) || existing.size != source.size)
        return false;
    // An hour newer is no older: unchanged either way.
    if (existing.writeTime + WriteTimeTolerance >= source.writeTime)
        return true;
    return localTimes && SameWriteTime(existing.writeTime + Hour, source.writeTime);
}

bool IsConversionOf(const FileFacts& source, const wchar_t* conversion, bool localTimes)
{
    FileFacts existing;
    uint64_t shift = localTimes ? Hour : 0;
    return QueryFileFacts(conversion, &existing) &&
           existing.writeTime + WriteTimeTolerance + shift >= source.writeTime;
}

bool VisitEntries(const wchar_t* folder, bool (*visit)(void* context, const WIN32_FIND_DATAW& entry),
                  void* context)
{
    wchar_t pattern[PathCapacity];
    if (!JoinPath(pattern, folder, wcslen(folder), L"\\*", 2))
        return false;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(pattern, &data);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool going = true;
    do {
        const wchar_t* name = data.cFileName;
        bool dots = name[0] == L'.' && (!name[1] || (name[1] == L'.' && !name[2]));
        going = dots || visit(context, data);
    } while (going && FindNextFileW(search, &data));
    FindClose(search);
    return going;
}

bool QueryFreeSpace(const wchar_t* folder, uint64_t* available)
{
    ULARGE_INTEGER free = {}, total = {};
    if (!GetDiskFreeSpaceExW(folder, &free, &total, nullptr) || total.QuadPart == 0)
        return false;
    *available = free.QuadPart;
    return true;
}

// File names compare as the file system's upper-case table does; CharUpperW folds one
// character when it is handed over in the pointer's low word.
wchar_t FoldCase(wchar_t ch)
{
    if (ch < 0x80)
        return ch >= L'a' && ch <= L'z' ? (wchar_t)(ch - (L'a' - L'A')) : ch;
    return (wchar_t)(ULONG_PTR)CharUpperW((LPWSTR)(ULONG_PTR)ch);
}

bool SameFileName(const wchar_t* a, const wchar_t* b, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        if (a[i] != b[i] && FoldCase(a[i]) != FoldCase(b[i]))
            return false;
        // Only the terminator folds to the terminator: both have ended.
        if (!a[i])
            return true;
    }
    return true;
}

uint32_t FoldedHash(const wchar_t* text, size_t length)
{
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < length; ++i)
        hash = (hash ^ FoldCase(text[i])) * 16777619u;
    return hash;
}
