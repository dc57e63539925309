#include "copy/copy_run.h"
#include <shellapi.h>
#include <wchar.h>
#include "copy/copy_outcome.h"
#include "copy/leftovers.h"
#include "copy/playlist_file.h"
#include "host/host_link.h"
#include "state/plugin_state.h"
#include "resources/resource_ids.h"
#include "text/format_bounded.h"
#include "text/localised_text.h"

static const int MissingMessageCapacity = 280;
static const int MessageCapacity = 512;
static const int SizeTextCapacity = 64;

// Every box of the run: OK only, no icon, owned by the host window.
static void ShowRunMessage(const wchar_t* text)
{
    MessageBoxW(HostWindow(), text, State.SharedCaption, MB_OK);
}

static void ReportCreateFailure()
{
    EnsureCaption();
    ShowRunMessage(FetchText(PlaylistCreateErrorString));
}

static void ReportMissing(const wchar_t* path)
{
    wchar_t message[MissingMessageCapacity] = {};
    FormatBounded(message, MissingMessageCapacity, FetchText(MissingFileString), path ? path : L"");
    EnsureCaption();
    ShowRunMessage(message);
}

// Puts the playlist file's name after the folder part, unless it would not fit the buffer.
static bool NamePlaylistFile(wchar_t* targetPath, int nameOffset)
{
    const wchar_t* name = State.Options.SaveM3U8 ? PlaylistFileNameUtf8 : PlaylistFileName;
    size_t needed = wcslen(name) + 1;
    if (nameOffset < 0 || (size_t)nameOffset + needed > (size_t)PathCapacity)
        return false;
    wmemcpy(targetPath + nameOffset, name, needed);
    return true;
}

static HANDLE CreatePlaylistWithHeader(const wchar_t* path)
{
    HANDLE file = CreatePlaylistFile(path);
    if (file != INVALID_HANDLE_VALUE)
        WritePlaylistHeader(file);
    return file;
}

static void ClosePlaylistFile(HANDLE file)
{
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

// Present means found and not a folder; an empty file is copied like any other.
static bool IsPresent(const wchar_t* path)
{
    uint64_t size;
    return path && QueryFileSize(path, &size);
}

// Appends every present entry and lists it in the playlist file; reports the others unless
// `quiet`. An entry the lists refuse (its path vanished or grew since measuring) is reported
// the same, under the path the host gives now: the append asked again, and the host's text
// that the first answer pointed at may have changed with it.
static void FillCopyLists(CopyLists* lists, const NumberPrefix& prefix, const wchar_t* targetPath,
                          int nameOffset, HANDLE playlist, bool quiet)
{
    for (int i = 0; i < State.PlaylistCount; ++i) {
        const wchar_t* path = PlaylistFile(i);
        if (!IsPresent(path)) {
            if (!quiet)
                ReportMissing(path);
            continue;
        }
        const wchar_t* relative = AppendCopyEntry(lists, prefix, i, targetPath, nameOffset);
        if (!relative) {
            if (!quiet)
                ReportMissing(PlaylistFile(i));
            continue;
        }
        if (playlist != INVALID_HANDLE_VALUE)
            WritePlaylistEntry(playlist, i, relative);
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

// Measures, allocates and fills the lists for `targetPath` as it is now: with the playlist
// file's name in it when one is wanted, which no copy of a folder kept in step may take.
static bool BuildCopyLists(const wchar_t* targetPath, int nameOffset, HANDLE playlist, bool quiet,
                           CopyLists* lists)
{
    NumberPrefix prefix = MakeNumberPrefix(State.PlaylistCount, State.Options.NumberFilenames != 0);
    *lists = AllocateCopyLists(MeasureCopyLists(targetPath, prefix), IndexEntries());
    if (!lists->sourceList)
        return false;
    lists->keepsInStep = State.Options.SkipUnchanged != 0;
    lists->reservedName = State.Options.SavePlaylist ? targetPath : nullptr;
    FillCopyLists(lists, prefix, targetPath, nameOffset, playlist, quiet);
    return true;
}

static void ReportAllUnchanged(unsigned count)
{
    wchar_t format[MessageCapacity] = {}, message[MessageCapacity] = {};
    FormatBounded(message, MessageCapacity, FetchTextOrOwn(AllUnchangedString, format, MessageCapacity),
                  count);
    EnsureCaption();
    ShowRunMessage(message);
}

// Leaves the unchanged copies out; when none is left of a folder kept in step, says so.
static void LeaveOutUnchangedCopies(CopyLists* lists)
{
    uint32_t listed = lists->index.count;
    if (LeaveOutUnchanged(lists) == 0 && lists->keepsInStep && listed > 0)
        ReportAllUnchanged(listed);
}

// Stops playback, names and creates the playlist file and writes its header; before the
// file is replaced, keeps what it listed when copies that left the playlist are to go. A
// folder part that leaves no room for the name counts as a file that cannot be created.
static HANDLE OpenPlaylistFile(wchar_t* targetPath, int nameOffset, PreviousPlaylist* previous)
{
    StopPlayback();
    if (!NamePlaylistFile(targetPath, nameOffset))
        return INVALID_HANDLE_VALUE;
    if (State.Options.RemoveDropped)
        *previous = ReadPreviousPlaylist(targetPath, PlaylistCodePage());
    return CreatePlaylistWithHeader(targetPath);
}

bool PrepareCopy(wchar_t* targetPath, int nameOffset, CopyLists* lists)
{
    *lists = {};
    HANDLE playlist = INVALID_HANDLE_VALUE;
    PreviousPlaylist previous = {};
    if (State.Options.SavePlaylist) {
        playlist = OpenPlaylistFile(targetPath, nameOffset, &previous);
        if (playlist == INVALID_HANDLE_VALUE) {
            FreePlaylistBytes(&previous.file);
            ReportCreateFailure();
            return false;
        }
    }
    // Without memory there is nothing to copy; the playlist file keeps its header.
    bool built = BuildCopyLists(targetPath, nameOffset, playlist, false, lists);
    ClosePlaylistFile(playlist);
    if (built) {
        RemoveLeftovers(previous, *lists, targetPath, nameOffset);
        LeaveOutUnchangedCopies(lists);
    }
    FreePlaylistBytes(&previous.file);
    return built;
}

// --- Room on the target, asked on confirmation ----------------------------------------------

// What the copies add to the target: their sources' sizes less the files they replace.
static uint64_t BytesToCopy(const CopyLists& lists)
{
    uint64_t added = 0, replaced = 0;
    const wchar_t* destination = lists.destinationList;
    for (const wchar_t* source = lists.sourceList; *source; source += wcslen(source) + 1) {
        FileFacts facts;
        if (QueryFileFacts(source, &facts))
            added += facts.size;
        if (QueryFileFacts(destination, &facts))
            replaced += facts.size;
        destination += wcslen(destination) + 1;
    }
    return added > replaced ? added - replaced : 0;
}

static bool AskToCopyAnyway(HWND owner, uint64_t needed, uint64_t available)
{
    wchar_t neededText[SizeTextCapacity] = {}, availableText[SizeTextCapacity] = {};
    wchar_t format[MessageCapacity] = {}, question[MessageCapacity] = {};
    FormatByteSize(neededText, SizeTextCapacity, needed, SizeRounding::Up);
    FormatByteSize(availableText, SizeTextCapacity, available, SizeRounding::Down);
    FormatBounded(question, MessageCapacity, FetchTextOrOwn(SpaceShortString, format, MessageCapacity),
                  neededText, availableText);
    EnsureCaption();
    return MessageBoxW(owner, question, State.SharedCaption, MB_YESNO) == IDYES;
}

bool QueryFreeSpace(const wchar_t* folder, uint64_t* available)
{
    ULARGE_INTEGER free = {}, total = {};
    if (!GetDiskFreeSpaceExW(folder, &free, &total, nullptr) || total.QuadPart == 0)
        return false;
    *available = free.QuadPart;
    return true;
}

bool ConfirmTargetSpace(HWND owner, const wchar_t* confirmedPath, int nameOffset)
{
    if (nameOffset <= 0 || nameOffset >= PathCapacity)
        return true;
    wchar_t target[PathCapacity] = {}, folder[PathCapacity] = {};
    lstrcpynW(target, confirmedPath, PathCapacity);
    lstrcpynW(folder, confirmedPath, nameOffset + 1);
    uint64_t available;
    // A place whose free space cannot be had is not held up here; the shell copy reports.
    if (!QueryFreeSpace(folder, &available))
        return true;
    if (State.Options.SavePlaylist)
        NamePlaylistFile(target, nameOffset);
    CopyLists lists;
    if (!BuildCopyLists(target, nameOffset, INVALID_HANDLE_VALUE, true, &lists))
        return true;
    LeaveOutUnchanged(&lists);
    uint64_t needed = BytesToCopy(lists);
    FreeCopyLists(&lists);
    return needed <= available || AskToCopyAnyway(owner, needed, available);
}

void ShellCopy(const CopyLists& lists)
{
    SHFILEOPSTRUCTW request = {};
    request.hwnd = HostWindow();
    request.wFunc = FO_COPY;
    request.pFrom = lists.sourceList;
    request.pTo = lists.destinationList;
    request.fFlags = FOF_MULTIDESTFILES | FOF_NOCONFIRMMKDIR;
    SHFileOperationW(&request);
}

static void ReportFailedCopies(unsigned missing, unsigned handed)
{
    wchar_t format[MessageCapacity] = {}, message[MessageCapacity] = {};
    FormatBounded(message, MessageCapacity, FetchTextOrOwn(FailedCopiesString, format, MessageCapacity),
                  missing, handed);
    EnsureCaption();
    ShowRunMessage(message);
}

void CopyAndLook(const CopyLists& lists, const wchar_t* targetPath, int nameOffset)
{
    CopyOutcome outcome = NoteDestinations(lists);
    // The shell's result and its aborted flag say too little: both are the same for a full
    // stick and for one declined replace.
    ShellCopy(lists);
    if (outcome.copies && CheckCopies(&outcome, lists) > 0) {
        if (State.Options.SavePlaylist)
            ListOnlyCopiesInPlace(outcome, lists, targetPath, nameOffset, PlaylistCodePage());
        ReportFailedCopies(outcome.missing, outcome.count);
    }
    FreeCopyOutcome(&outcome);
}

void RunCopy(wchar_t* targetPath, int nameOffset)
{
    CopyLists lists;
    if (!PrepareCopy(targetPath, nameOffset, &lists))
        return;
    // With no present (or no changed) entry there is nothing to hand to the shell.
    if (lists.entries > 0)
        CopyAndLook(lists, targetPath, nameOffset);
    FreeCopyLists(&lists);
}
