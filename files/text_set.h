// A set of texts that finds them without regard to case, as Windows compares file names: the
// copies of a run by their source or destination, the destinations a check found in place or
// not, the lyrics already listed; and a table of the folders paths go in. Nothing here
// allocates: each lives in a block the caller sizes and owns.
#pragma once
#include <stddef.h>
#include <stdint.h>

// Texts kept elsewhere in one buffer, each known by its offset there.
struct TextSet {
    uint32_t* slots;  // offset + 1, 0 for a free slot
    uint32_t mask;    // slot count - 1; the count is a power of two
};

// The bytes a set for up to `count` texts needs; NoSize (files/block_layout.h) past what a set
// can hold.
size_t TextSetBytes(size_t count);
// A set in `block` (TextSetBytes(count) bytes, 4-byte aligned), empty.
TextSet PlaceTextSet(void* block, size_t count);
// The offset of a text in `base` equal to `text`, or -1 when there is none.
int64_t FindInTextSet(const TextSet& set, const wchar_t* base, const wchar_t* text);
void AddText(TextSet* set, const wchar_t* base, uint32_t offset);

// Leading parts of texts kept elsewhere in one buffer (the folders of paths), each known by
// the index it was added at, so that the caller keeps what it learns of each beside.
struct PrefixTable {
    uint32_t* starts;   // each prefix's offset in the buffer
    uint32_t* lengths;  // and its length
    uint32_t* slots;    // index + 1, 0 for a free slot
    uint32_t mask;
    uint32_t count, capacity;
};
static const uint32_t NoPrefix = 0xFFFFFFFF;

// The bytes a table for up to `count` prefixes needs; NoSize past what it can hold.
size_t PrefixTableBytes(size_t count);
// A table in `block` (PrefixTableBytes(count) bytes, 4-byte aligned), empty.
PrefixTable PlacePrefixTable(void* block, size_t count);
// The index of the `length` units at `offset` in `base`, added when not there yet (`added`
// then true); NoPrefix when it is new and the table is full.
uint32_t FindOrAddPrefix(PrefixTable* table, const wchar_t* base, uint32_t offset, uint32_t length,
                         bool* added);
