// A set of texts that finds them without regard to case, as Windows compares file names: the
// copies of a run by their source or destination, the destinations a check found in place or
// not, the lyrics already listed. Nothing here allocates: each set lives in a block the caller
// sizes and owns.
#pragma once
#include <stddef.h>
#include <stdint.h>

// Texts kept elsewhere in one buffer, each known by its offset there.
struct TextSet {
    uint32_t* slots;  // offset + 1, 0 for a free slot
    uint32_t mask;    // slot count - 1; the count is a power of two
};

// The bytes a set for up to `count` texts needs.
size_t TextSetBytes(size_t count);
// A set in `block` (TextSetBytes(count) bytes, 4-byte aligned), empty.
TextSet PlaceTextSet(void* block, size_t count);
// The offset of a text in `base` equal to `text`, or -1 when there is none.
int64_t FindInTextSet(const TextSet& set, const wchar_t* base, const wchar_t* text);
void AddText(TextSet* set, const wchar_t* base, uint32_t offset);
