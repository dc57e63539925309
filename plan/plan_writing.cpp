#include "plan/plan_writing.h"
#include <stdlib.h>
#include <wchar.h>
#include "files/block_layout.h"

bool ReservePlanText(CopyPlan* plan, size_t units)
{
    if (plan->textCapacity - plan->textLength >= units)
        return true;
    size_t capacity = SizePlus(plan->textCapacity, plan->textCapacity / 2);
    if (capacity < SizePlus(plan->textLength, units))
        capacity = SizePlus(plan->textLength, units);
    // Offsets into the texts are 32 bits, and on i686 their bytes wrap long before.
    size_t bytes = SizeTimes(capacity, sizeof(wchar_t));
    if (capacity > 0xFFFFFFF0u || bytes == NoSize)
        return false;
    wchar_t* grown = (wchar_t*)realloc(plan->texts, bytes);
    if (!grown)
        return false;
    plan->texts = grown;
    plan->textCapacity = capacity;
    return true;
}

uint32_t AddPlanText(CopyPlan* plan, const wchar_t* text, size_t length)
{
    if (!ReservePlanText(plan, length + 1))
        return NoText;
    uint32_t offset = (uint32_t)plan->textLength;
    wmemcpy(plan->texts + offset, text, length);
    plan->texts[offset + length] = 0;
    plan->textLength += length + 1;
    return offset;
}

uint32_t AddPlannedCopy(CopyPlan* plan, uint32_t source, uint32_t destination, uint64_t size)
{
    if (plan->copyCount >= plan->copyCapacity)
        return NoCopy;
    uint32_t index = plan->copyCount++;
    plan->copies[index] = {source, destination, size, NoCopy, NoCopy, false, false, false, false, 0, NoCopy, false, 0};
    if (plan->indexed) {
        AddText(&plan->sources, plan->texts, source);
        AddText(&plan->destinations, plan->texts, destination);
    }
    return index;
}
