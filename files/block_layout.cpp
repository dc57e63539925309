#include "files/block_layout.h"
#include <stdint.h>
#include <stdlib.h>

// Enough for any part: 64-bit numbers and pointers.
static const size_t PartAlignment = 8;

size_t SizeTimes(size_t count, size_t unit)
{
    size_t product;
    return __builtin_mul_overflow(count, unit, &product) ? NoSize : product;
}

size_t SizePlus(size_t a, size_t b)
{
    size_t sum;
    return __builtin_add_overflow(a, b, &sum) ? NoSize : sum;
}

size_t ReservePart(BlockLayout* layout, size_t bytes)
{
    size_t offset = layout->bytes;
    size_t room = SIZE_MAX - offset;
    if (bytes > room || room - bytes < PartAlignment - 1) {
        layout->tooLarge = true;
        return 0;
    }
    layout->bytes += (bytes + PartAlignment - 1) / PartAlignment * PartAlignment;
    return offset;
}

char* AllocateBlock(const BlockLayout& layout)
{
    if (layout.tooLarge)
        return nullptr;
    return (char*)malloc(layout.bytes ? layout.bytes : 1);
}
