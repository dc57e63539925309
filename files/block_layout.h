// One heap block in parts: the parts are reserved first, each aligned for whatever it holds,
// then the block is allocated once and each part found at its offset. One allocation, one
// free, however many tables a step needs.
#pragma once
#include <stddef.h>

struct BlockLayout {
    size_t bytes;
    bool tooLarge;  // a part took the total past what a size can hold
};

// Reserves a part of `bytes`; its offset in the block.
size_t ReservePart(BlockLayout* layout, size_t bytes);
// The block, of one byte at least, for the caller to free; null without memory.
char* AllocateBlock(const BlockLayout& layout);
