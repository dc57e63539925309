#include "files/text_set.h"
#include <wchar.h>
#include "files/block_layout.h"
#include "files/file_facts.h"

static const size_t SmallestSlotCount = 8;

static size_t SlotCount(size_t count)
{
    size_t slots = SmallestSlotCount;
    while (slots < 2 * count)
        slots *= 2;
    return slots;
}

// A set's slots are found by a 32-bit mask, and their bytes must fit a size: past either, a
// set cannot be had (its slots are at most four for each text).
static const size_t MostTexts = (size_t)UINT32_MAX / 4 < NoSize / 16 ? (size_t)UINT32_MAX / 4 : NoSize / 16;

size_t TextSetBytes(size_t count)
{
    return count > MostTexts ? NoSize : SlotCount(count) * sizeof(uint32_t);
}

TextSet PlaceTextSet(void* block, size_t count)
{
    size_t slots = SlotCount(count);
    TextSet set = {(uint32_t*)block, (uint32_t)(slots - 1)};
    for (size_t i = 0; i < slots; ++i)
        set.slots[i] = 0;
    return set;
}

// Half the slots at most are ever taken, so a free one always ends the probe.
int64_t FindInTextSet(const TextSet& set, const wchar_t* base, const wchar_t* text)
{
    for (uint32_t at = FoldedHash(text, wcslen(text)) & set.mask; set.slots[at]; at = (at + 1) & set.mask) {
        uint32_t offset = set.slots[at] - 1;
        if (SameFileName(base + offset, text))
            return offset;
    }
    return -1;
}

void AddText(TextSet* set, const wchar_t* base, uint32_t offset)
{
    uint32_t at = FoldedHash(base + offset, wcslen(base + offset)) & set->mask;
    while (set->slots[at])
        at = (at + 1) & set->mask;
    set->slots[at] = offset + 1;
}

size_t PrefixTableBytes(size_t count)
{
    return SizePlus(SizeTimes(count, 2 * sizeof(uint32_t)), TextSetBytes(count));
}

PrefixTable PlacePrefixTable(void* block, size_t count)
{
    uint32_t* words = (uint32_t*)block;
    TextSet slots = PlaceTextSet(words + 2 * count, count);
    return {words, words + count, slots.slots, slots.mask, 0, (uint32_t)count};
}

uint32_t FindOrAddPrefix(PrefixTable* table, const wchar_t* base, uint32_t offset, uint32_t length,
                         bool* added)
{
    *added = false;
    uint32_t at = FoldedHash(base + offset, length) & table->mask;
    for (; table->slots[at]; at = (at + 1) & table->mask) {
        uint32_t known = table->slots[at] - 1;
        if (table->lengths[known] == length && SameFileName(base + table->starts[known], base + offset, length))
            return known;
    }
    if (table->count == table->capacity)
        return NoPrefix;
    table->starts[table->count] = offset;
    table->lengths[table->count] = length;
    table->slots[at] = ++table->count;
    *added = true;
    return table->count - 1;
}
