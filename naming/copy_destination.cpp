#include "naming/copy_destination.h"
#include <string.h>
#include <wchar.h>
#include "files/file_facts.h"
#include "host/host_link.h"
#include "naming/name_template.h"
#include "text/format_bounded.h"

// A parent folder part is looked for only when at least this many characters precede the
// file name, so that a file in a volume root (D:\song.mp3) keeps none.
static const size_t ParentFolderMinimumOffset = 5;

// The parent folder part: the folder that directly holds the file, with its closing
// backslash. Empty when the path has none.
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

static bool IsNameTaken(const CopyPlan& plan, const wchar_t* destination)
{
    return FindCopyByDestination(plan, destination) != NoCopy ||
           (plan.writesPlaylist && SameFileName(destination, plan.target));
}

// Writes the file name after the folder part of `destination` and ends the destination.
// Keeping a folder in step, " (2)", " (3)" ... go before the extension until no other copy of
// the run has the name. Returns the name's length, 0 when no name fits in `most`.
static size_t NameCopy(const CopyPlan& plan, FileNameParts parts, const NamingRules& rules,
                       wchar_t* destination, wchar_t* name, size_t most)
{
    for (uint32_t number = 2;; ++number) {
        size_t length = MakeFileName(parts, rules, most, name);
        if (length == 0)
            return 0;
        name[length] = 0;
        if (!plan.keepInStep || !IsNameTaken(plan, destination))
            return length;
        parts.copyNumber = number;
    }
}

// The parent folder kept under the target, with its backslash, in `folder`; its length, 0
// when there is none or it is not kept.
static size_t ParentFolderName(const wchar_t* path, const wchar_t* fileName,
                               const NamingRules& rules, wchar_t* folder)
{
    if (!State.Options.IncludeDirectory)
        return 0;
    FolderPart part = FindParentFolderPart(path, fileName);
    if (!part.length)
        return 0;
    size_t length = MakeFolderName(part.start, part.length - 1, rules, folder);
    if (length)
        folder[length++] = L'\\';
    return length;
}

// What comes between the target and the file name, and the base of the file name.
struct EntryName {
    const wchar_t* folders;  // each folder with its backslash
    size_t foldersLength;
    wchar_t parent[MostNameLength + 2];  // the parent folder kept, when the options keep it
    wchar_t title[HostTextCapacity];     // the playlist's title, when the options name by it
    TemplateName tagged;                 // the name by tags, when the options name by tags
};

// The parent folder (when kept) and the title or the file's own base name.
static void NameByPath(int index, const wchar_t* path, const NamingRules& rules,
                       FileNameParts* parts, EntryName* name)
{
    name->foldersLength = ParentFolderName(path, parts->ownBase, rules, name->parent);
    name->folders = name->parent;
    if (State.Options.UsePlaylistTitle) {
        CopyPlaylistTitle(index, name->title);
        parts->base = name->title;
        parts->baseLength = wcslen(name->title);
    }
}

// Folders and base by the template. The folders are cut to leave the target's folders within
// what the shell creates and the shortest file name within the path: the file name is cut
// first, then the folders.
static bool NameByTags(int index, const wchar_t* path, const NamingRules& rules, size_t most,
                       size_t targetLength, FileNameParts* parts, EntryName* name)
{
    size_t shortest = ShortestFileName(*parts, rules);
    if (targetLength + shortest > most)
        return false;
    size_t foldersMost = most - targetLength - shortest;
    // A target too deep for the shell to create folders in takes the file alone.
    size_t created = targetLength <= MostFolderLength + 1 ? MostFolderLength + 1 - targetLength : 0;
    foldersMost = foldersMost < created ? foldersMost : created;
    if (!NameByTemplate(State.Options.NameTemplate, index, path, rules, foldersMost, &name->tagged))
        return false;
    name->folders = name->tagged.folders;
    name->foldersLength = name->tagged.foldersLength;
    // A file name of nothing takes the source's own.
    if (name->tagged.baseLength) {
        parts->base = name->tagged.base;
        parts->baseLength = name->tagged.baseLength;
    }
    return true;
}

// Writes the target's folder part, the folders and the file name into `out`; returns the
// destination's length, 0 when it does not fit what Windows takes.
static size_t WriteDestination(const CopyPlan& plan, const EntryName& name, FileNameParts parts,
                               const NamingRules& rules, wchar_t* out)
{
    size_t before = (size_t)plan.folderLength + name.foldersLength;
    if (before >= MostPathLength || (name.foldersLength && before - 1 > MostFolderLength))
        return 0;
    wmemcpy(out, plan.target, (size_t)plan.folderLength);
    wmemcpy(out + plan.folderLength, name.folders, name.foldersLength);
    wchar_t* fileNameAt = out + before;
    size_t nameMost = MostNameLength < MostPathLength - before ? MostNameLength : MostPathLength - before;
    size_t nameLength = NameCopy(plan, parts, rules, out, fileNameAt, nameMost);
    return nameLength ? before + nameLength : 0;
}

size_t MakeDestination(const CopyPlan& plan, const NumberPrefix& prefix, int index,
                       const wchar_t* path, const wchar_t* newExtension, wchar_t* out)
{
    const wchar_t *fileName, *extension;
    size_t pathLength = SplitPath(path, &fileName, &extension);
    NamingRules rules = NamingRulesForRun();
    if ((size_t)plan.folderLength >= MostPathLength)
        return 0;
    wchar_t number[16] = {};
    if (prefix.length)
        FormatBounded(number, (uint32_t)prefix.length + 1, prefix.format, index + 1);
    FileNameParts parts = {number, wcslen(number), fileName, (size_t)(extension - fileName),
                           fileName, (size_t)(extension - fileName),
                           extension, (size_t)(path + pathLength - extension), 0};
    if (newExtension) {
        parts.extension = newExtension;
        parts.extensionLength = wcslen(newExtension);
    }
    EntryName name;
    if (!State.Options.NameByTags)
        NameByPath(index, path, rules, &parts, &name);
    else if (!NameByTags(index, path, rules, MostPathLength, (size_t)plan.folderLength, &parts, &name))
        return 0;
    return WriteDestination(plan, name, parts, rules, out);
}
