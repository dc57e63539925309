#include <gtest/gtest.h>
#include <string>
#include "state/plugin_state.h"
#include "support/case_names.h"
#include "sync/leftovers.h"

namespace {

struct ListedCase {
    const char* name;
    const wchar_t* line;
    const wchar_t* relative;  // null: names no file inside the target
};

void PrintTo(const ListedCase& c, std::ostream* out) { *out << c.name; }

class ListedPath : public ::testing::TestWithParam<ListedCase> {};

TEST_P(ListedPath, StaysInsideTheTargetOrIsRefused)
{
    const ListedCase& c = GetParam();
    wchar_t relative[PathCapacity + 1];
    relative[PathCapacity] = L'#';
    bool resolved = ResolveListedPath(c.line, relative, PathCapacity);
    EXPECT_EQ(resolved, c.relative != nullptr);
    if (resolved && c.relative) {
        EXPECT_STREQ(relative, c.relative);
    }
    EXPECT_EQ(relative[PathCapacity], L'#') << "written past the buffer";
}

const std::wstring Long(PathCapacity, L'n');

const ListedCase ListedCases[] = {
    {"plain", L"1_track.mp3", L"1_track.mp3"},
    {"in a folder", L"Album\\04_track.mp3", L"Album\\04_track.mp3"},
    {"forward slashes", L"Album/Disc 1/a.mp3", L"Album\\Disc 1\\a.mp3"},
    {"dot folders", L".\\Album\\.\\a.mp3", L"Album\\a.mp3"},
    {"climbs back in", L"Album\\..\\Other\\a.mp3", L"Other\\a.mp3"},
    {"unicode", L"\x0395\x03bb\\\x65e5.mp3", L"\x0395\x03bb\\\x65e5.mp3"},
    {"climbs out", L"..\\outside.mp3", nullptr},
    {"climbs out deeper", L"a\\..\\..\\x.mp3", nullptr},
    {"drive", L"C:\\x.mp3", nullptr},
    {"drive relative", L"C:x.mp3", nullptr},
    {"rooted", L"\\x.mp3", nullptr},
    {"UNC", L"\\\\server\\share\\x.mp3", nullptr},
    {"stream", L"x.mp3:secret", nullptr},
    {"wildcards", L"*.mp3", nullptr},
    {"question mark", L"x?.mp3", nullptr},
    {"folder only", L"Album\\", nullptr},
    {"empty folder name", L"Album\\\\x.mp3", nullptr},
    {"trailing dot", L"x.mp3.", nullptr},
    {"trailing space", L"Album \\x.mp3", nullptr},
    {"three dots", L"...\\x.mp3", nullptr},
    {"device", L"NUL.mp3", nullptr},
    {"device in a folder", L"a\\com1", nullptr},
    {"control character", L"a\tb.mp3", nullptr},
    {"only dots", L".\\.", nullptr},
    {"empty", L"", nullptr},
    {"too long", Long.c_str(), nullptr},
};

INSTANTIATE_TEST_SUITE_P(Lines, ListedPath, ::testing::ValuesIn(ListedCases), NameOfCase());

}  // namespace
