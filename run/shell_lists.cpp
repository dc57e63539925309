#include "run/shell_lists.h"
#include "files/block_layout.h"
#include <shellapi.h>
#include <stdlib.h>
#include <wchar.h>

static wchar_t* AppendPath(wchar_t* at, const wchar_t* path)
{
    size_t units = wcslen(path) + 1;
    wmemcpy(at, path, units);
    return at + units;
}

// The songs come first: the pairs are taken in the plan's order, which holds them first.
bool MakeShellLists(const CopyPlan& plan, CopyLists* lists)
{
    *lists = {};
    size_t sourceUnits = 1, destinationUnits = 1;
    uint32_t pairs = 0;
    for (uint32_t i = 0; i < plan.copyCount; ++i) {
        if (!IsForTheShell(plan.copies[i]))
            continue;
        sourceUnits += wcslen(PlanText(plan, plan.copies[i].source)) + 1;
        destinationUnits += wcslen(PlanText(plan, plan.copies[i].destination)) + 1;
        ++pairs;
    }
    // The sources first: the lists are freed through them.
    BlockLayout layout = {};
    size_t sources = ReservePart(&layout, SizeTimes(sourceUnits, sizeof(wchar_t)));
    size_t destinations = ReservePart(&layout, SizeTimes(destinationUnits, sizeof(wchar_t)));
    size_t copyOf = ReservePart(&layout, SizeTimes(pairs, sizeof(uint32_t)));
    char* block = AllocateBlock(layout);
    if (!block)
        return false;
    lists->sourceList = (wchar_t*)(block + sources);
    lists->destinationList = (wchar_t*)(block + destinations);
    lists->copyOf = (uint32_t*)(block + copyOf);
    wchar_t* source = lists->sourceList;
    wchar_t* destination = lists->destinationList;
    for (uint32_t i = 0; i < plan.copyCount; ++i) {
        if (!IsForTheShell(plan.copies[i]))
            continue;
        source = AppendPath(source, PlanText(plan, plan.copies[i].source));
        destination = AppendPath(destination, PlanText(plan, plan.copies[i].destination));
        lists->copyOf[lists->pairs++] = i;
        lists->songs += i < plan.songCount ? 1 : 0;
    }
    *source = 0;
    *destination = 0;
    return true;
}

void FreeShellLists(CopyLists* lists)
{
    free(lists->sourceList);
    *lists = {};
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
