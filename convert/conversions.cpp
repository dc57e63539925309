#include "convert/conversions.h"
#include <wchar.h>
#include "files/file_facts.h"

// A conversion that gives no sign of life for a minute is taken to have failed; one asked to
// stop has a few seconds to end before the player is told to end it.
static const DWORD NoSignLimit = 60 * 1000;
static const DWORD StopLimit = 5 * 1000;
// Less than this is not a song: a conversion that broke off early.
static const uint64_t ShortestConversion = 1024;
static const wchar_t PartName[] = L"~corvelle-conversion.part";

uint32_t CountConversions(const CopyPlan& plan)
{
    uint32_t count = 0;
    for (uint32_t i = 0; i < plan.songCount; ++i)
        count += plan.copies[i].converted && IsToCopy(plan.copies[i]) ? 1 : 0;
    return count;
}

// The part file beside the copy, in its folder, which is made when it is not there yet (the
// shell made only the folders of what it copied).
static bool PrepareFolder(const wchar_t* destination, int targetLength, wchar_t* part)
{
    const wchar_t* name;
    SplitPath(destination, &name, nullptr);
    size_t folderLength = (size_t)(name - destination);
    if (!JoinPath(part, destination, folderLength, PartName, wcslen(PartName)))
        return false;
    for (size_t at = (size_t)targetLength; at < folderLength; ++at) {
        if (part[at] != L'\\')
            continue;
        part[at] = 0;
        CreateDirectoryW(part, nullptr);
        part[at] = L'\\';
    }
    return true;
}

static bool IsWhole(const wchar_t* path)
{
    FileFacts facts;
    return QueryFileFacts(path, &facts) && facts.size >= ShortestConversion;
}

// A conversion cancelled or silent is asked to stop, and its messages taken while it does: the
// player waits for its thread when told to end it, and that thread may be sending word to the
// window on this very thread.
static void StopConversion(ConversionWork* work, const ConversionView& view)
{
    if (work->ended)
        return;
    work->request.killswitch = 1;
    work->lastSign = GetTickCount();
    view.await(work, StopLimit);
}

// The player converts into the part file; whole, it takes the source's tags and replaces the
// copy (an older conversion, say). Every conversion that started is ended.
static bool ConvertOne(CopyPlan* plan, const ConversionView& view, PlannedCopy& copy)
{
    ConversionWork* work = plan->conversion;
    const wchar_t* destination = PlanText(*plan, copy.destination);
    if (!PrepareFolder(destination, plan->folderLength, work->part))
        return false;
    ConvertFileRequest& request = work->request;
    request = {};
    request.sourcefile = plan->texts + copy.source;
    request.destfile = work->part;
    request.destformat[0] = plan->convertTo;
    request.callbackhwnd = work->window;
    work->percent = 0;
    work->ended = false;
    work->lastSign = GetTickCount();
    if (!TestConversion(&request) || !StartConversion(&request)) {
        DeleteFileW(work->part);
        return false;
    }
    // The player's own work goes first: it stays usable while it converts.
    SetConversionPriority(&request, THREAD_PRIORITY_BELOW_NORMAL);
    view.await(work, NoSignLimit);
    bool whole = work->ended;
    StopConversion(work, view);
    EndConversion(&request);
    whole = whole && IsWhole(work->part);
    if (whole) {
        CopyTags(request.sourcefile, work->part);
        whole = MoveFileExW(work->part, destination, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
    }
    if (!whole)
        DeleteFileW(work->part);
    // Its size with the tags, as it was written: reading it back finds one the stick cut since.
    copy.writtenSize = 0;
    if (whole)
        QueryFileSize(destination, &copy.writtenSize);
    return whole;
}

// The entry's title, or where it has none, the copy's own name.
static const wchar_t* TitleOf(const CopyPlan& plan, uint32_t copy)
{
    for (uint32_t i = 0; i < plan.entryCount; ++i)
        if (plan.entries[i].song == copy && plan.entries[i].title != NoText)
            return PlanText(plan, plan.entries[i].title);
    const wchar_t* name;
    SplitPath(PlanText(plan, plan.copies[copy].destination), &name, nullptr);
    return name;
}

uint32_t RunConversions(CopyPlan* plan, const ConversionView& view)
{
    uint32_t count = CountConversions(*plan), failed = 0;
    ConversionWork* work = plan->conversion;
    if (!count || !work)
        return count;
    *work = {};
    work->count = count;
    bool shown = view.open(work);
    for (uint32_t i = 0; i < plan->songCount; ++i) {
        PlannedCopy& copy = plan->copies[i];
        if (!copy.converted || !IsToCopy(copy))
            continue;
        if (shown && !work->cancelled) {
            view.show(work, TitleOf(*plan, i));
            copy.inPlace = ConvertOne(plan, view, copy);
        } else {
            copy.inPlace = false;
        }
        copy.written = copy.inPlace;
        failed += copy.inPlace ? 0 : 1;
        ++work->done;
    }
    view.close(work);
    return failed;
}
