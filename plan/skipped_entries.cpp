#include "plan/skipped_entries.h"
#include <windows.h>
#include <wchar.h>
#include "resources/resource_ids.h"
#include "state/plugin_state.h"
#include "text/format_bounded.h"
#include "text/localised_text.h"
#include "text/message_box.h"

// Every box of the run: OK only, no icon, owned by the host window.
static const UINT RunBoxStyle = MB_OK;
// The one-entry box's message is cut here, as it always was.
static const uint32_t MissingMessageCapacity = 280;
static const wchar_t Ellipsis[] = L"...";
static const size_t EllipsisLength = 3;
static const uint32_t MoreLineCapacity = 128;
static const size_t ListCapacity = ListedSkipsMost * (ShownPathLength + 1) + MoreLineCapacity;

// A path too long for a box keeps its start (the drive, the first folders) and its end (the
// file's name), never half a surrogate pair.
static void ShortenInMiddle(const wchar_t* path, wchar_t* out)
{
    size_t length = wcslen(path);
    if (length <= ShownPathLength) {
        wmemcpy(out, path, length + 1);
        return;
    }
    size_t head = (ShownPathLength - EllipsisLength) / 2;
    size_t tail = ShownPathLength - EllipsisLength - head;
    if (IS_HIGH_SURROGATE(path[head - 1]))
        --head;
    if (IS_LOW_SURROGATE(path[length - tail]))
        --tail;
    wmemcpy(out, path, head);
    wmemcpy(out + head, Ellipsis, EllipsisLength);
    wmemcpy(out + head + EllipsisLength, path + length - tail, tail);
    out[head + EllipsisLength + tail] = 0;
}

void NoteSkippedEntry(SkippedEntries* skipped, const wchar_t* path)
{
    if (!path)
        path = L"";
    if (skipped->count == 0)
        lstrcpynW(skipped->first, path, FirstPathCapacity);
    if (skipped->count < ListedSkipsMost)
        ShortenInMiddle(path, skipped->shown[skipped->count]);
    ++skipped->count;
}

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

void ReportSkippedEntries(const SkippedEntries& skipped, int entryCount)
{
    if (skipped.count == 0)
        return;
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
