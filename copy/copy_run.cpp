#include "copy/copy_run.h"
#include <shellapi.h>
#include "copy/copy_outcome.h"
#include "copy/leftovers.h"
#include "copy/list_builder.h"
#include "copy/playlist_file.h"
#include "host/host_link.h"
#include "resources/resource_ids.h"
#include "state/plugin_state.h"
#include "text/message_box.h"

// Every box of the run: OK only, no icon, owned by the host window.
static const UINT RunBoxStyle = MB_OK;

static void ClosePlaylistFile(HANDLE file)
{
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

// Leaves the unchanged copies out; when none is left of a folder kept in step, says so.
static void LeaveOutUnchangedCopies(CopyLists* lists)
{
    uint32_t listed = lists->index.count;
    if (LeaveOutUnchanged(lists) == 0 && lists->keepsInStep && listed > 0)
        ShowFormattedBox(State.HostWindow, RunBoxStyle, AllUnchangedString, BoxTextCapacity,
                         (unsigned)listed);
}

// Stops playback, names and creates the playlist file and writes its header; before the
// file is replaced, keeps what it listed when copies that left the playlist are to go. A
// folder part that leaves no room for the name counts as a file that cannot be created.
static HANDLE OpenPlaylistFile(CopyTarget target, PreviousPlaylist* previous)
{
    StopPlayback();
    if (!NamePlaylistFile(target))
        return INVALID_HANDLE_VALUE;
    if (State.Options.RemoveDropped)
        *previous = ReadPreviousPlaylist(target.path, PlaylistCodePage());
    return CreatePlaylistWithHeader(target.path);
}

bool PrepareCopy(CopyTarget target, CopyLists* lists)
{
    *lists = {};
    HANDLE playlist = INVALID_HANDLE_VALUE;
    PreviousPlaylist previous = {};
    if (State.Options.SavePlaylist) {
        playlist = OpenPlaylistFile(target, &previous);
        if (playlist == INVALID_HANDLE_VALUE) {
            FreePlaylistBytes(&previous.file);
            ShowBox(State.HostWindow, RunBoxStyle, PlaylistCreateErrorString);
            return false;
        }
    }
    // Without memory there is nothing to copy; the playlist file keeps its header. Its lengths
    // are read by making each entry the host's current one: the user's is put back.
    SkippedEntries skipped = {};
    int position = playlist != INVALID_HANDLE_VALUE ? PlaylistPosition() : 0;
    bool built = BuildCopyLists(target, playlist, &skipped, lists);
    if (playlist != INVALID_HANDLE_VALUE)
        SetPlaylistPosition(position);
    ClosePlaylistFile(playlist);
    ReportSkippedEntries(skipped, State.PlaylistCount);
    if (built) {
        RemoveLeftovers(previous, *lists, target);
        LeaveOutUnchangedCopies(lists);
    }
    FreePlaylistBytes(&previous.file);
    return built;
}

void ShellCopy(const CopyLists& lists)
{
    SHFILEOPSTRUCTW request = {};
    request.hwnd = State.HostWindow;
    request.wFunc = FO_COPY;
    request.pFrom = lists.sourceList;
    request.pTo = lists.destinationList;
    request.fFlags = FOF_MULTIDESTFILES | FOF_NOCONFIRMMKDIR;
    SHFileOperationW(&request);
}

// The shell copy, and a look at what came of it: when any copy is not in place, what the shell
// left cut is removed, the playlist file lists only the copies that are there, and one box
// says how many could not be copied.
static void CopyAndLook(const CopyLists& lists, CopyTarget target)
{
    CopyOutcome outcome = NoteDestinations(lists);
    // The shell's result and its aborted flag say too little: both are the same for a full
    // stick and for one declined replace.
    ShellCopy(lists);
    if (outcome.copies && CheckCopies(&outcome, lists) > 0) {
        if (State.Options.SavePlaylist)
            ListOnlyCopiesInPlace(outcome, lists, target, PlaylistCodePage());
        ShowFormattedBox(State.HostWindow, RunBoxStyle, FailedCopiesString, BoxTextCapacity,
                         (unsigned)outcome.missing, (unsigned)outcome.songs);
    }
    FreeCopyOutcome(&outcome);
}

void RunCopy(CopyTarget target)
{
    CopyLists lists;
    if (!PrepareCopy(target, &lists))
        return;
    // With no present (or no changed) entry there is nothing to hand to the shell.
    if (lists.entries + lists.companions > 0)
        CopyAndLook(lists, target);
    FreeCopyLists(&lists);
}
