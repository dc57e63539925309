#include "order/folder_rewrite.h"
#include <windows.h>
#include <wchar.h>
#include "files/file_facts.h"
#include "state/plugin_state.h"

// A valid short name in capitals: one directory entry on FAT, so that the gap it leaves in a
// drive's root, which holds its own holding folder, is as small as can be.
static const wchar_t HoldingName[] = L"~CVORDER";
static const wchar_t RootName[] = L"~ROOT";

static bool IsDots(const wchar_t* name)
{
    return name[0] == L'.' && (!name[1] || (name[1] == L'.' && !name[2]));
}

// `folder`\`name` into `path`; false when it does not fit.
static bool Child(wchar_t* path, const wchar_t* folder, const wchar_t* name)
{
    size_t length = wcslen(folder);
    return JoinPath(path, folder, length, L"\\", 1) &&
           JoinPath(path, path, length + 1, name, wcslen(name));
}

static bool IsFolderPath(const wchar_t* path)
{
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static bool MoveOne(const wchar_t* from, const wchar_t* to, const wchar_t* name)
{
    wchar_t source[PathCapacity], destination[PathCapacity];
    return Child(source, from, name) && Child(destination, to, name) &&
           MoveFileW(source, destination);
}

enum class OnFailure { Stop, GoOn };

// Moves every entry of `from` but `except` into `to`, in the order they are listed (on FAT, the
// order they stand in). With Stop, the first that will not move (a file open in another program)
// ends it. False when any did not move.
static bool MoveEvery(const wchar_t* from, const wchar_t* to, const wchar_t* except, OnFailure failure)
{
    wchar_t pattern[PathCapacity];
    if (!Child(pattern, from, L"*"))
        return false;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(pattern, &data);
    if (search == INVALID_HANDLE_VALUE)
        return true;
    bool all = true;
    do {
        if (IsDots(data.cFileName) || (except && SameFileName(data.cFileName, except)))
            continue;
        all = MoveOne(from, to, data.cFileName) && all;
    } while ((all || failure == OnFailure::GoOn) && FindNextFileW(search, &data));
    FindClose(search);
    return all;
}

// The holding folder for `folder` (beside it; in a drive's root, in the root) and, in it, the
// folder that holds its entries.
struct Holding {
    wchar_t outer[PathCapacity], inner[PathCapacity];
};

static bool PlaceHolding(const wchar_t* folder, bool isRoot, Holding* holding)
{
    wchar_t parent[PathCapacity];
    const wchar_t* name = RootName;
    if (isRoot) {
        lstrcpynW(parent, folder, PathCapacity);
    } else {
        SplitPath(folder, &name, nullptr);
        if (name == folder || !JoinPath(parent, folder, (size_t)(name - folder) - 1, L"", 0))
            return false;
    }
    return Child(holding->outer, parent, HoldingName) && Child(holding->inner, holding->outer, name);
}

// The wanted entries first, then the rest as they stood; every one is tried.
static bool MoveBack(const Holding& holding, const wchar_t* folder, WantedOrder wanted)
{
    bool all = true;
    for (uint32_t i = 0;; ++i) {
        const wchar_t* name = wanted.nameAt(wanted.context, i);
        if (!name)
            break;
        wchar_t held[PathCapacity];
        if (Child(held, holding.inner, name) && GetFileAttributesW(held) != INVALID_FILE_ATTRIBUTES)
            all = MoveOne(holding.inner, folder, name) && all;
    }
    return MoveEvery(holding.inner, folder, nullptr, OnFailure::GoOn) && all;
}

Rewrite RewriteFolder(const wchar_t* folder, bool isRoot, WantedOrder wanted)
{
    Holding holding;
    if (!PlaceHolding(folder, isRoot, &holding) || !CreateDirectoryW(holding.outer, nullptr))
        return Rewrite::NotMoved;
    SetFileAttributesW(holding.outer, FILE_ATTRIBUTE_HIDDEN);
    if (!CreateDirectoryW(holding.inner, nullptr)) {
        RemoveDirectoryW(holding.outer);
        return Rewrite::NotMoved;
    }
    Rewrite result = Rewrite::Done;
    if (!MoveEvery(folder, holding.inner, isRoot ? HoldingName : nullptr, OnFailure::Stop)) {
        result = Rewrite::NotMoved;
        if (!MoveEvery(holding.inner, folder, nullptr, OnFailure::GoOn))
            result = Rewrite::Stranded;
    } else if (!MoveBack(holding, folder, wanted)) {
        result = Rewrite::Stranded;
    }
    // What could not come back stays held, for the next run to move back.
    if (RemoveDirectoryW(holding.inner))
        RemoveDirectoryW(holding.outer);
    return result;
}

// --- A rewrite cut short ----------------------------------------------------------------------

// The holding folder in `parent`, if any: each folder in it goes back into the one it is named
// after, which is made again if it went.
static bool RecoverIn(const wchar_t* parent, bool isRoot)
{
    wchar_t outer[PathCapacity], pattern[PathCapacity];
    if (!Child(outer, parent, HoldingName) || !IsFolderPath(outer) || !Child(pattern, outer, L"*"))
        return false;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(pattern, &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            wchar_t inner[PathCapacity], folder[PathCapacity];
            bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (IsDots(data.cFileName) || !isFolder || !Child(inner, outer, data.cFileName))
                continue;
            bool own = isRoot && SameFileName(data.cFileName, RootName);
            if (own)
                lstrcpynW(folder, parent, PathCapacity);
            else if (!Child(folder, parent, data.cFileName))
                continue;
            CreateDirectoryW(folder, nullptr);
            if (MoveEvery(inner, folder, nullptr, OnFailure::GoOn))
                RemoveDirectoryW(inner);
        } while (FindNextFileW(search, &data));
        FindClose(search);
    }
    RemoveDirectoryW(outer);
    return true;
}

// `folder` and every folder below it.
static bool RecoverBelow(const wchar_t* folder, bool isRoot)
{
    bool found = RecoverIn(folder, isRoot);
    wchar_t pattern[PathCapacity];
    if (!Child(pattern, folder, L"*"))
        return found;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(pattern, &data);
    if (search == INVALID_HANDLE_VALUE)
        return found;
    do {
        wchar_t below[PathCapacity];
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsDots(data.cFileName) &&
            !SameFileName(data.cFileName, HoldingName) && Child(below, folder, data.cFileName))
            found = RecoverBelow(below, false) || found;
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return found;
}

bool RecoverHeldEntries(const wchar_t* target, bool isRoot)
{
    bool found = false;
    const wchar_t* name;
    SplitPath(target, &name, nullptr);
    wchar_t parent[PathCapacity];
    // The target's own rewrite holds its entries beside it, in its parent.
    if (!isRoot && name != target && JoinPath(parent, target, (size_t)(name - target) - 1, L"", 0))
        found = RecoverIn(parent, !wcschr(parent, L'\\'));
    return RecoverBelow(target, isRoot) || found;
}
