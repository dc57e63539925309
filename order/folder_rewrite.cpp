#include "order/folder_rewrite.h"
#include <windows.h>
#include <wchar.h>
#include "files/file_facts.h"
#include "state/plugin_state.h"

// A valid short name in capitals: one directory entry on FAT, so that the gap it leaves in a
// drive's root, which holds its own holding folder, is as small as can be.
static const wchar_t HoldingName[] = L"~CVORDER";
static const wchar_t RootName[] = L"~ROOT";

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

struct Moving {
    const wchar_t *from, *to, *except;
    OnFailure failure;
    bool all;
};

static bool MoveEntry(void* context, const WIN32_FIND_DATAW& entry)
{
    Moving* moving = (Moving*)context;
    if (moving->except && SameFileName(entry.cFileName, moving->except))
        return true;
    moving->all = MoveOne(moving->from, moving->to, entry.cFileName) && moving->all;
    return moving->all || moving->failure == OnFailure::GoOn;
}

// Moves every entry of `from` but `except` into `to`, in the order they are listed (on FAT, the
// order they stand in). With Stop, the first that will not move (a file open in another program)
// ends it. False when any did not move.
static bool MoveEvery(const wchar_t* from, const wchar_t* to, const wchar_t* except, OnFailure failure)
{
    Moving moving = {from, to, except, failure, true};
    VisitEntries(from, MoveEntry, &moving);
    return moving.all;
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

struct Recovering {
    const wchar_t *parent, *outer;
    bool isRoot;
};

// A folder in the holding folder goes back into the one it is named after, made again if it went.
static bool MoveHeldBack(void* context, const WIN32_FIND_DATAW& entry)
{
    const Recovering* held = (const Recovering*)context;
    wchar_t inner[PathCapacity], folder[PathCapacity];
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !Child(inner, held->outer, entry.cFileName))
        return true;
    if (held->isRoot && SameFileName(entry.cFileName, RootName))
        lstrcpynW(folder, held->parent, PathCapacity);
    else if (!Child(folder, held->parent, entry.cFileName))
        return true;
    CreateDirectoryW(folder, nullptr);
    if (MoveEvery(inner, folder, nullptr, OnFailure::GoOn))
        RemoveDirectoryW(inner);
    return true;
}

// The holding folder in `parent`, if any, emptied back into the folders it holds for.
static bool RecoverIn(const wchar_t* parent, bool isRoot)
{
    wchar_t outer[PathCapacity];
    if (!Child(outer, parent, HoldingName) || !IsFolderPath(outer))
        return false;
    Recovering held = {parent, outer, isRoot};
    VisitEntries(outer, MoveHeldBack, &held);
    RemoveDirectoryW(outer);
    return true;
}

struct Walk {
    const wchar_t* folder;
    bool found;
};

static bool RecoverBelow(const wchar_t* folder, bool isRoot);

static bool RecoverInSubfolder(void* context, const WIN32_FIND_DATAW& entry)
{
    Walk* walk = (Walk*)context;
    wchar_t below[PathCapacity];
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !SameFileName(entry.cFileName, HoldingName) &&
        Child(below, walk->folder, entry.cFileName))
        walk->found = RecoverBelow(below, false) || walk->found;
    return true;
}

// `folder` and every folder below it.
static bool RecoverBelow(const wchar_t* folder, bool isRoot)
{
    Walk walk = {folder, RecoverIn(folder, isRoot)};
    VisitEntries(folder, RecoverInSubfolder, &walk);
    return walk.found;
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
