#include "plan/skipped_entries.h"
#include <windows.h>
#include <wchar.h>

static const wchar_t Ellipsis[] = L"...";
static const size_t EllipsisLength = 3;

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
