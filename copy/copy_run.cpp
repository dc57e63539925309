#include "copy/copy_run.h"
#include <shellapi.h>
#include <wchar.h>
#include "copy/playlist_file.h"
#include "host/host_link.h"
#include "state/plugin_state.h"
#include "resources/resource_ids.h"
#include "text/format_bounded.h"
#include "text/localised_text.h"

static const int MissingMessageCapacity = 280;

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

// Stops playback, names and creates the playlist file and writes its header. A folder part
// that leaves no room for the name counts as a file that cannot be created.
static HANDLE OpenPlaylistFile(wchar_t* targetPath, int nameOffset)
{
    StopPlayback();
    if (!NamePlaylistFile(targetPath, nameOffset))
        return INVALID_HANDLE_VALUE;
    HANDLE file = CreateFileW(targetPath, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
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

// Appends every present entry and lists it in the playlist file; reports the others. An
// entry the lists refuse (its path vanished or grew since measuring) is reported the same,
// under the path the host gives now: the append asked again, and the host's text that the
// first answer pointed at may have changed with it.
static void FillCopyLists(CopyLists* lists, const NumberPrefix& prefix, const wchar_t* targetPath,
                          int nameOffset, HANDLE playlist)
{
    for (int i = 0; i < State.PlaylistCount; ++i) {
        const wchar_t* path = PlaylistFile(i);
        if (!IsPresent(path)) {
            ReportMissing(path);
            continue;
        }
        const wchar_t* relative = AppendCopyEntry(lists, prefix, i, targetPath, nameOffset);
        if (!relative) {
            ReportMissing(PlaylistFile(i));
            continue;
        }
        if (playlist != INVALID_HANDLE_VALUE)
            WritePlaylistEntry(playlist, i, relative);
    }
}

bool PrepareCopy(wchar_t* targetPath, int nameOffset, CopyLists* lists)
{
    *lists = {};
    HANDLE playlist = INVALID_HANDLE_VALUE;
    if (State.Options.SavePlaylist) {
        playlist = OpenPlaylistFile(targetPath, nameOffset);
        if (playlist == INVALID_HANDLE_VALUE) {
            ReportCreateFailure();
            return false;
        }
    }
    NumberPrefix prefix = MakeNumberPrefix(State.PlaylistCount, State.Options.NumberFilenames != 0);
    *lists = AllocateCopyLists(MeasureCopyLists(targetPath, prefix));
    // Without memory there is nothing to copy; the playlist file keeps its header.
    if (!lists->sourceList) {
        ClosePlaylistFile(playlist);
        return false;
    }
    FillCopyLists(lists, prefix, targetPath, nameOffset, playlist);
    ClosePlaylistFile(playlist);
    return true;
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

void RunCopy(wchar_t* targetPath, int nameOffset)
{
    CopyLists lists;
    if (!PrepareCopy(targetPath, nameOffset, &lists))
        return;
    // With no present entry there is nothing to hand to the shell.
    if (lists.entries > 0)
        ShellCopy(lists);
    FreeCopyLists(&lists);
}
