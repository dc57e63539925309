#include <gtest/gtest.h>
#include <stdlib.h>
#include "files/block_layout.h"
#include "files/text_set.h"
#include "plan/copy_plan.h"
#include "plan/plan_writing.h"

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

// A count the host answers may be any: a size past what this width holds is NoSize, which every
// block and every set refuses, instead of the small number it would wrap to.
TEST(BlockLayout, SizesPastTheWidthAreNoSize)
{
    const size_t half = NoSize / 2 + 1;
    const struct {
        const char* what;
        size_t size, expected;
    } cases[] = {
        {"a product that fits", SizeTimes(1000, 48), 48000},
        {"a product that wraps", SizeTimes(half, 2), NoSize},
        {"a wrapped product stays wrapped", SizeTimes(SizeTimes(half, 4), 1), NoSize},
        {"a sum that fits", SizePlus(NoSize - 2, 1), NoSize - 1},
        {"a sum that wraps", SizePlus(half, half), NoSize},
        {"the set of a count past what a set holds", TextSetBytes(half / 4), NoSize},
        {"the prefix table of such a count", PrefixTableBytes(half / 4), NoSize},
        {"the set of a count it holds", TextSetBytes(4), 32},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.size, c.expected) << c.what;
    BlockLayout layout = {};
    ReservePart(&layout, SizeTimes(half, 2));
    EXPECT_TRUE(layout.tooLarge);
}

// The plan's texts grow by units of two bytes: past what this width holds they are refused,
// and the plan keeps what it had.
TEST(BlockLayout, PlanTextsPastTheWidthAreRefused)
{
    CopyPlan plan = {};
    ASSERT_TRUE(ReservePlanText(&plan, 16));
    wchar_t* texts = plan.texts;
    // Twice the first is 16 bytes past a 32-bit size: wrapped, it would grow the texts to 16 bytes.
    for (size_t units : {NoSize / 2 + 9, (size_t)0xFFFFFFF1u, NoSize - 8}) {
        EXPECT_FALSE(ReservePlanText(&plan, units)) << units;
        EXPECT_EQ(plan.texts, texts);
        EXPECT_EQ(plan.textCapacity, 16u);
    }
    free(plan.texts);
}

}  // namespace
