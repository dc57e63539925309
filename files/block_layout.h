// One heap block in parts: the parts are reserved first, each aligned for whatever it holds,
// then the block is allocated once and each part found at its offset. One allocation, one
// free, however many tables a step needs.
#pragma once
#include <stddef.h>
#include <stdint.h>

// A size that cannot be had: what a count times its unit, or a sum, gives when it would wrap
// (on i686, past 4 GiB), and what ReservePart refuses. So a count the host answers, however
// large, fails as no memory does, instead of wrapping into a small block.
const size_t NoSize = SIZE_MAX;
size_t SizeTimes(size_t count, size_t unit);
size_t SizePlus(size_t a, size_t b);

struct BlockLayout {
    size_t bytes;
    bool tooLarge;  // a part took the total past what a size can hold
};

// Reserves a part of `bytes`; its offset in the block.
size_t ReservePart(BlockLayout* layout, size_t bytes);
// The block, of one byte at least, for the caller to free; null without memory.
char* AllocateBlock(const BlockLayout& layout);
