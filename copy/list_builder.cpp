#include "copy/list_builder.h"
#include "copy/companions.h"
#include "copy/file_facts.h"
#include "copy/playlist_file.h"
#include "host/host_link.h"
#include "state/plugin_state.h"

// Present means found and not a folder; an empty file is copied like any other.
static bool IsPresent(const wchar_t* path)
{
    uint64_t size;
    return QueryFileSize(path, &size);
}

// Appends every present entry and lists it in the playlist file. An entry the lists refuse
// (its path grew since measuring, or no name fits) is left out the same. Each entry's path is
// copied once and used for all of it: the host's answer is gone at its next text.
static void FillCopyLists(CopyLists* lists, const NumberPrefix& prefix, CopyTarget target,
                          HANDLE playlist, SkippedEntries* skipped)
{
    wchar_t path[HostTextCapacity];
    for (int i = 0; i < State.PlaylistCount; ++i) {
        bool named = CopyPlaylistFile(i, path);
        const wchar_t* relative = nullptr;
        if (named && IsPresent(path))
            relative = AppendCopyEntry(lists, prefix, i, path, target);
        if (!relative) {
            if (skipped)
                NoteSkippedEntry(skipped, path);
            continue;
        }
        if (playlist != INVALID_HANDLE_VALUE)
            WritePlaylistEntry(playlist, i, path, relative);
    }
}

// A run keeps an index of its copies when it keeps the folder in step, and when it is to
// tell the copies it makes from those the previous playlist file named.
static size_t IndexEntries()
{
    const CopyOptions& options = State.Options;
    bool wanted = options.SkipUnchanged || (options.SavePlaylist && options.RemoveDropped);
    // One more, so that even an empty playlist has an index to ask.
    return wanted ? (size_t)(State.PlaylistCount > 0 ? State.PlaylistCount : 0) + 1 : 0;
}

bool BuildCopyLists(CopyTarget target, HANDLE playlist, SkippedEntries* skipped, CopyLists* lists)
{
    NumberPrefix prefix = MakeNumberPrefix(State.PlaylistCount, State.Options.NumberFilenames != 0);
    CopyListSizes sizes = MeasureCopyLists(target.path, prefix);
    if (State.Options.CopyCompanions)
        sizes = WithCompanions(sizes);
    *lists = AllocateCopyLists(sizes, IndexEntries());
    if (!lists->sourceList)
        return false;
    lists->keepsInStep = State.Options.SkipUnchanged != 0;
    lists->reservedName = State.Options.SavePlaylist ? target.path : nullptr;
    FillCopyLists(lists, prefix, target, playlist, skipped);
    lists->companionSources = (size_t)(lists->sourceWrite - lists->sourceList);
    lists->companionDestinations = (size_t)(lists->destinationWrite - lists->destinationList);
    // Without the memory to match covers the songs are copied all the same.
    if (State.Options.CopyCompanions)
        AppendCompanions(lists);
    return true;
}
