#include "copy/copy_index.h"
#include "copy/file_facts.h"

static const size_t SmallestSlotCount = 8;

static uint32_t FoldedHash(const wchar_t* text)
{
    uint32_t hash = 2166136261u;
    for (; *text; ++text)
        hash = (hash ^ FoldCase(*text)) * 16777619u;
    return hash;
}

static size_t SlotCount(size_t count)
{
    size_t slots = SmallestSlotCount;
    while (slots < 2 * count)
        slots *= 2;
    return slots;
}

size_t TextSetBytes(size_t count)
{
    return SlotCount(count) * sizeof(uint32_t);
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
    for (uint32_t at = FoldedHash(text) & set.mask; set.slots[at]; at = (at + 1) & set.mask) {
        uint32_t offset = set.slots[at] - 1;
        if (SameFileName(base + offset, text))
            return offset;
    }
    return -1;
}

void AddText(TextSet* set, const wchar_t* base, uint32_t offset)
{
    uint32_t at = FoldedHash(base + offset) & set->mask;
    while (set->slots[at])
        at = (at + 1) & set->mask;
    set->slots[at] = offset + 1;
}

size_t CopyIndexBytes(size_t entries)
{
    return entries * sizeof(CopyRecord) + 2 * TextSetBytes(entries);
}

CopyIndex PlaceCopyIndex(void* block, size_t entries)
{
    CopyIndex index = {};
    index.records = (CopyRecord*)block;
    char* sets = (char*)block + entries * sizeof(CopyRecord);
    index.sources = PlaceTextSet(sets, entries);
    index.destinations = PlaceTextSet(sets + TextSetBytes(entries), entries);
    return index;
}

void AddCopyRecord(CopyIndex* index, const wchar_t* sourceList, const wchar_t* destinationList,
                   uint32_t source, uint32_t destination)
{
    index->records[index->count++] = {source, destination, 0};
    AddText(&index->sources, sourceList, source);
    AddText(&index->destinations, destinationList, destination);
}

// Records follow the lists, so their offsets rise and a record is found by halving.
static CopyRecord* RecordAt(const CopyIndex& index, uint32_t CopyRecord::*field, uint32_t offset)
{
    uint32_t low = 0, high = index.count;
    while (low < high) {
        uint32_t middle = low + (high - low) / 2;
        if (index.records[middle].*field < offset)
            low = middle + 1;
        else
            high = middle;
    }
    return low < index.count && index.records[low].*field == offset ? &index.records[low] : nullptr;
}

CopyRecord* FindBySource(const CopyIndex& index, const wchar_t* sourceList, const wchar_t* path)
{
    if (!index.records)
        return nullptr;
    int64_t offset = FindInTextSet(index.sources, sourceList, path);
    return offset < 0 ? nullptr : RecordAt(index, &CopyRecord::source, (uint32_t)offset);
}

CopyRecord* FindByDestination(const CopyIndex& index, const wchar_t* destinationList,
                              const wchar_t* path)
{
    if (!index.records)
        return nullptr;
    int64_t offset = FindInTextSet(index.destinations, destinationList, path);
    return offset < 0 ? nullptr : RecordAt(index, &CopyRecord::destination, (uint32_t)offset);
}
