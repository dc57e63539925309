#include <gtest/gtest.h>
#include "support/case_names.h"
#include <string.h>
#include <wchar.h>
#include "text/format_bounded.h"

namespace {

const wchar_t Untouched = L'#';

struct WideCase {
    const char* name;
    uint32_t capacity;
    const wchar_t* format;
    int number;
    FormatResult result;
    const wchar_t* text;
};

// Cuts count UTF-16 units: capacity N leaves at most N - 1 characters and a terminator.
const WideCase WideCases[] = {
    {"fits with room", 8, L"%d", 123, FormatOk, L"123"},
    {"fills to the last element", 4, L"%d", 123, FormatOk, L"123"},
    {"one too long is cut", 3, L"%d", 123, FormatCut, L"12"},
    {"far too long is cut", 4, L"%d", 123456, FormatCut, L"123"},
    {"capacity one, empty text", 1, L"", 0, FormatOk, L""},
    {"capacity one, text", 1, L"%d", 7, FormatCut, L""},
    {"zero filled width", 8, L"%03d", 7, FormatOk, L"007"},
    {"run-time width", 8, L"%05d_", 42, FormatOk, L"00042_"},
    {"percent sign", 8, L"%%0%dd_", 3, FormatOk, L"%03d_"},
    {"negative", 8, L"%d,", -1, FormatOk, L"-1,"},
};

void PrintTo(const WideCase& c, std::ostream* out) { *out << c.name; }

class WideFormatting : public ::testing::TestWithParam<WideCase> {};

TEST_P(WideFormatting, CutsAtCapacityMinusOne)
{
    const WideCase& c = GetParam();
    wchar_t buffer[16];
    wmemset(buffer, Untouched, 16);
    EXPECT_EQ(FormatBounded(buffer, c.capacity, c.format, c.number), c.result);
    EXPECT_STREQ(buffer, c.text);
    for (uint32_t i = c.capacity; i < 16; ++i)
        ASSERT_EQ(buffer[i], Untouched) << "written past the capacity at " << i;
}

INSTANTIATE_TEST_SUITE_P(Cases, WideFormatting, ::testing::ValuesIn(WideCases), NameOfCase());

TEST(FormatBounded, InvalidCapacitiesLeaveTheDestinationUntouched)
{
    for (uint32_t capacity : {0u, 0x80000000u, 0xFFFFFFFFu}) {
        wchar_t wide[4] = {Untouched, Untouched, Untouched, Untouched};
        char narrow[4] = {'#', '#', '#', '#'};
        EXPECT_EQ(FormatBounded(wide, capacity, L"%d", 1), FormatInvalidCapacity);
        EXPECT_EQ(FormatBoundedNarrow(narrow, capacity, "%d", 1), FormatInvalidCapacity);
        EXPECT_EQ(wide[0], Untouched);
        EXPECT_EQ(narrow[0], '#');
    }
}

TEST(FormatBounded, LargestValidCapacityFormats)
{
    wchar_t buffer[8];
    EXPECT_EQ(FormatBounded(buffer, 0x7FFFFFFF, L"%d", 5), FormatOk);
    EXPECT_STREQ(buffer, L"5");
}

TEST(FormatBounded, StringWidthFollowsTheFormat)
{
    wchar_t buffer[64];
    EXPECT_EQ(FormatBounded(buffer, 64, L"%s|%hs|%ls", L"wide", "narrow", L"long"), FormatOk);
    EXPECT_STREQ(buffer, L"wide|narrow|long");
    char narrow[64];
    EXPECT_EQ(FormatBoundedNarrow(narrow, 64, "%s|%d", "narrow", 9), FormatOk);
    EXPECT_STREQ(narrow, "narrow|9");
}

TEST(FormatBounded, NarrowAndWideCutTheSameWay)
{
    char narrow[8];
    memset(narrow, '#', sizeof narrow);
    EXPECT_EQ(FormatBoundedNarrow(narrow, 4, "%d", 123456), FormatCut);
    EXPECT_STREQ(narrow, "123");
    EXPECT_EQ(narrow[4], '#');
    EXPECT_EQ(FormatBoundedNarrow(narrow, 4, "%s", "abc"), FormatOk);
    EXPECT_STREQ(narrow, "abc");
}

TEST(FormatBounded, CutIgnoresSurrogatePairs)
{
    // A cut counts code units; a pair may be split, the text still ends terminated.
    wchar_t buffer[4];
    EXPECT_EQ(FormatBounded(buffer, 3, L"%s", L"a\xD83C\xDFB5"), FormatCut);
    EXPECT_EQ(buffer[1], 0xD83C);
    EXPECT_EQ(buffer[2], 0);
}

TEST(FormatBounded, NullFormatGivesTheEmptyText)
{
    wchar_t wide[4] = {Untouched, Untouched, 0, 0};
    char narrow[4] = {'#', '#', 0, 0};
    EXPECT_EQ(FormatBounded(wide, 4, nullptr), FormatOk);
    EXPECT_EQ(FormatBoundedNarrow(narrow, 4, nullptr), FormatOk);
    EXPECT_STREQ(wide, L"");
    EXPECT_STREQ(narrow, "");
}

}  // namespace
