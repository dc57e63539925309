#include "dialog/run_boxes.h"
#include <windows.h>
#include <wchar.h>
#include "dialog/conversion_window.h"
#include "dialog/verify_window.h"
#include "resources/resource_ids.h"
#include "state/plugin_state.h"
#include "text/format_bounded.h"
#include "text/localised_text.h"
#include "text/message_box.h"

// Every box of the run but the question: OK only, no icon, owned by the host window.
static const UINT RunBoxStyle = MB_OK;
// The one-entry box's message is cut here, as it always was.
static const uint32_t MissingMessageCapacity = 280;
static const uint32_t MoreLineCapacity = 128;
static const size_t ListCapacity = ListedSkipsMost * (ShownPathLength + 1) + MoreLineCapacity;
static const DWORD ReasonCapacity = 256;

// The listed paths, one a line, and string 16 for those not listed.
static void ListSkippedPaths(const SkippedEntries& skipped, wchar_t* list)
{
    uint32_t listed = skipped.count < ListedSkipsMost ? skipped.count : ListedSkipsMost;
    size_t length = 0;
    for (uint32_t i = 0; i < listed; ++i) {
        FormatBounded(list + length, (uint32_t)(ListCapacity - length), L"%s%s", i ? L"\n" : L"",
                      skipped.shown[i]);
        length += wcslen(list + length);
    }
    if (skipped.count == listed)
        return;
    wchar_t format[MoreLineCapacity] = {}, more[MoreLineCapacity] = {};
    const wchar_t* moreFormat = FetchTextOrOwn(MoreSkippedString, format, MoreLineCapacity);
    FormatBounded(more, MoreLineCapacity, moreFormat, skipped.count - listed);
    FormatBounded(list + length, (uint32_t)(ListCapacity - length), L"\n%s", more);
}

// String 4 for a single entry, else string 15 with the first paths and string 16 for the rest.
static void TellSkippedEntries(const SkippedEntries& skipped, int entryCount)
{
    if (skipped.count == 1) {
        ShowFormattedBox(State.HostWindow, RunBoxStyle, MissingFileString, MissingMessageCapacity,
                         skipped.first);
        return;
    }
    wchar_t list[ListCapacity] = {};
    ListSkippedPaths(skipped, list);
    ShowFormattedBox(State.HostWindow, RunBoxStyle, SkippedFilesString, MostBoxTextCapacity,
                     skipped.count, (unsigned)(entryCount > 0 ? entryCount : 0), list);
}

static bool AskToRemoveLeftovers(uint32_t count)
{
    return ShowFormattedBox(State.HostWindow, MB_YESNO, RemoveLeftoversString, BoxTextCapacity,
                            (unsigned)count) == IDYES;
}

static void TellAllUnchanged(uint32_t songs)
{
    ShowFormattedBox(State.HostWindow, RunBoxStyle, AllUnchangedString, BoxTextCapacity,
                     (unsigned)songs);
}

static void TellPlaylistNotCreated() { ShowBox(State.HostWindow, RunBoxStyle, PlaylistCreateErrorString); }

static void TellPlaylistNotWhole(DWORD error)
{
    wchar_t reason[ReasonCapacity];
    FetchSystemReason(error, reason, ReasonCapacity);
    ShowFormattedBox(State.HostWindow, RunBoxStyle, PlaylistWriteErrorString, BoxTextCapacity,
                     reason);
}

static void TellCopiesMissing(uint32_t missing, uint32_t songs)
{
    ShowFormattedBox(State.HostWindow, RunBoxStyle, FailedCopiesString, BoxTextCapacity,
                     (unsigned)missing, (unsigned)songs);
}

static void TellNotInPlayOrder(const wchar_t* folder)
{
    ShowFormattedBox(State.HostWindow, RunBoxStyle, NotInPlayOrderString, BoxTextCapacity, folder);
}

static void TellCopiesDiffer(uint32_t bad, uint32_t checked)
{
    ShowFormattedBox(State.HostWindow, RunBoxStyle, CopiesDifferString, BoxTextCapacity,
                     (unsigned)bad, (unsigned)checked);
}

const RunPrompts RunBoxes = {TellSkippedEntries,    AskToRemoveLeftovers, TellAllUnchanged,
                             TellPlaylistNotCreated, TellPlaylistNotWhole, TellCopiesMissing,
                             TellNotInPlayOrder,     TellCopiesDiffer,     &ConversionWindow,
                             &VerifyWindow};
