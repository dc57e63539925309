#include "copy/room_check.h"
#include "copy/copy_lists.h"
#include "copy/list_builder.h"
#include "copy/file_facts.h"
#include "copy/playlist_file.h"
#include "resources/resource_ids.h"
#include "state/plugin_state.h"
#include "text/localised_text.h"
#include "text/message_box.h"

static const int SizeTextCapacity = 64;

// What the copies add to the target: their sources' sizes less the files they replace.
static uint64_t BytesToCopy(const CopyLists& lists)
{
    uint64_t added = 0, replaced = 0;
    const wchar_t* destination = lists.destinationList;
    for (const wchar_t* source = lists.sourceList; *source;
         source = NextPath(source), destination = NextPath(destination)) {
        FileFacts facts;
        if (QueryFileFacts(source, &facts))
            added += facts.size;
        if (QueryFileFacts(destination, &facts))
            replaced += facts.size;
    }
    return added > replaced ? added - replaced : 0;
}

static bool AskToCopyAnyway(HWND owner, uint64_t needed, uint64_t available)
{
    wchar_t neededText[SizeTextCapacity] = {}, availableText[SizeTextCapacity] = {};
    FormatByteSize(neededText, SizeTextCapacity, needed, SizeRounding::Up);
    FormatByteSize(availableText, SizeTextCapacity, available, SizeRounding::Down);
    return ShowFormattedBox(owner, MB_YESNO, SpaceShortString, BoxTextCapacity, neededText,
                            availableText) == IDYES;
}

bool ConfirmTargetSpace(HWND owner, CopyTarget confirmed)
{
    if (confirmed.folderLength <= 0 || confirmed.folderLength >= PathCapacity)
        return true;
    wchar_t path[PathCapacity] = {}, folder[PathCapacity] = {};
    lstrcpynW(path, confirmed.path, PathCapacity);
    lstrcpynW(folder, confirmed.path, confirmed.folderLength + 1);
    uint64_t available;
    // A place whose free space cannot be had is not held up here; the shell copy reports.
    if (!QueryFreeSpace(folder, &available))
        return true;
    CopyTarget target = {path, confirmed.folderLength};
    if (State.Options.SavePlaylist)
        NamePlaylistFile(target);
    CopyLists lists;
    if (!BuildCopyLists(target, INVALID_HANDLE_VALUE, nullptr, &lists))
        return true;
    LeaveOutUnchanged(&lists);
    uint64_t needed = BytesToCopy(lists);
    FreeCopyLists(&lists);
    return needed <= available || AskToCopyAnyway(owner, needed, available);
}
