#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "files/text_set.h"

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

// Folders of paths: one index for each folder in any case, a longer or shorter prefix another
// folder, and a full table adds nothing more.
TEST(TextSet, PrefixesAreFoldersOfPaths)
{
    const std::wstring paths = L"X:\\A\\B\\1.mp3|x:\\a\\b\\2.mp3|X:\\A\\3.mp3|X:\\AB\\4.mp3";
    std::vector<char> block(PrefixTableBytes(3));
    PrefixTable table = PlacePrefixTable(block.data(), 3);
    const struct {
        uint32_t offset, length;
        uint32_t index;
        bool added;
    } steps[] = {{0, 7, 0, true}, {13, 7, 0, false}, {26, 5, 1, true}, {13, 5, 1, false},
                 {37, 6, 2, true}, {0, 4, NoPrefix, false}, {37, 6, 2, false}};
    for (const auto& step : steps) {
        bool added = !step.added;
        EXPECT_EQ(FindOrAddPrefix(&table, paths.c_str(), step.offset, step.length, &added), step.index)
            << step.offset << "+" << step.length;
        EXPECT_EQ(added, step.added) << step.offset << "+" << step.length;
    }
    EXPECT_EQ(table.count, 3u);
}

}  // namespace
