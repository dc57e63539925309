#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "copy/text_set.h"

namespace {

// Texts laid one after another as the lists lay them; each is found in any case, once, and
// no text that was not added is.
TEST(TextSet, FindsEveryTextAddedAndNoOther)
{
    const size_t count = 3000;
    std::wstring buffer;
    std::vector<uint32_t> offsets;
    for (size_t i = 0; i < count; ++i) {
        offsets.push_back((uint32_t)buffer.size());
        buffer += L"Album " + std::to_wstring(i % 7) + L"\\Track " + std::to_wstring(i) + L".mp3";
        buffer += L'\0';
    }
    std::vector<char> block(TextSetBytes(count));
    TextSet set = PlaceTextSet(block.data(), count);
    for (uint32_t offset : offsets)
        AddText(&set, buffer.c_str(), offset);
    for (size_t i = 0; i < count; ++i) {
        std::wstring upper = L"ALBUM " + std::to_wstring(i % 7) + L"\\TRACK " + std::to_wstring(i) + L".MP3";
        ASSERT_EQ(FindInTextSet(set, buffer.c_str(), upper.c_str()), (int64_t)offsets[i]) << i;
    }
    EXPECT_EQ(FindInTextSet(set, buffer.c_str(), L"Album 1\\Track 2.mp3"), -1);
    EXPECT_EQ(FindInTextSet(set, buffer.c_str(), L"Album 0\\Track 0.mp"), -1);
}

}  // namespace
