#include <gtest/gtest.h>
#include <stdlib.h>
#include "files/block_layout.h"

namespace {

// One block in parts: each part on its own aligned place, and a total past what a size holds
// is refused rather than wrapped to a small block.
TEST(BlockLayout, PartsAreAlignedAndATooLargeTotalIsRefused)
{
    BlockLayout layout = {};
    size_t first = ReservePart(&layout, 3), second = ReservePart(&layout, 17), third = ReservePart(&layout, 0);
    EXPECT_EQ(first, 0u);
    EXPECT_EQ(second, 8u);
    EXPECT_EQ(third, 32u);
    char* block = AllocateBlock(layout);
    ASSERT_NE(block, nullptr);
    free(block);

    BlockLayout huge = {};
    ReservePart(&huge, 64);
    ReservePart(&huge, (size_t)-1 - 60);
    EXPECT_TRUE(huge.tooLarge);
    EXPECT_EQ(AllocateBlock(huge), nullptr);
}

}  // namespace
