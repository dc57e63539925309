#include "plan/copy_plan.h"
#include <stdlib.h>
#include <wchar.h>

void FreeCopyPlan(CopyPlan* plan)
{
    free(plan->entries);
    free(plan->texts);
    plan->entries = nullptr;
    plan->copies = nullptr;
    plan->texts = nullptr;
    plan->conversion = nullptr;
    plan->entryCount = plan->copyCount = plan->songCount = plan->copyCapacity = 0;
    plan->textLength = plan->textCapacity = 0;
}

const wchar_t* RelativeDestination(const CopyPlan& plan, const PlannedCopy& copy)
{
    return plan.texts + copy.destination + plan.folderLength;
}

// Copies are added as the texts grow, so their offsets rise: a copy is found by halving.
static uint32_t CopyAt(const CopyPlan& plan, uint32_t PlannedCopy::*field, int64_t offset)
{
    if (offset < 0)
        return NoCopy;
    uint32_t low = 0, high = plan.copyCount;
    while (low < high) {
        uint32_t middle = low + (high - low) / 2;
        if (plan.copies[middle].*field < (uint32_t)offset)
            low = middle + 1;
        else
            high = middle;
    }
    return low < plan.copyCount && plan.copies[low].*field == (uint32_t)offset ? low : NoCopy;
}

uint32_t CopyWithDestinationAt(const CopyPlan& plan, int64_t offset)
{
    return CopyAt(plan, &PlannedCopy::destination, offset);
}

uint32_t FindCopyBySource(const CopyPlan& plan, const wchar_t* path)
{
    if (!plan.indexed)
        return NoCopy;
    return CopyAt(plan, &PlannedCopy::source, FindInTextSet(plan.sources, plan.texts, path));
}

uint32_t FindCopyByDestination(const CopyPlan& plan, const wchar_t* path)
{
    if (!plan.indexed)
        return NoCopy;
    return CopyAt(plan, &PlannedCopy::destination,
                  FindInTextSet(plan.destinations, plan.texts, path));
}

