#include "support/stick_fixture.h"

void PrintTo(const Stick& stick, std::ostream* out) { *out << stick.name; }

const Stick Sticks[3] = {
    {"NTFS", "CORVELLE_STICK_NTFS", true, true},
    {"FAT32", "CORVELLE_STICK_FAT32", false, false},
    {"exFAT", "CORVELLE_STICK_EXFAT", true, true},
};

void StickFixture::SetUp()
{
    ProductFixture::SetUp();
    std::string why;
    drive = TestDrive(GetParam().variable, &why);
    if (drive.empty())
        GTEST_SKIP() << "no " << GetParam().name << " stick: " << why;
    RemoveFolder(drive + L"t\\");
    ASSERT_EQ(ListFiles(drive), std::vector<std::wstring>{}) << "the stick starts empty";
    ASSERT_EQ(Start(), 0);
}

void StickFixture::TearDown()
{
    if (!drive.empty())
        RemoveFolder(drive + L"t\\");
    ProductFixture::TearDown();
}

void StickFixture::SetHostilePlaylist(const std::vector<Hostile>& entries)
{
    host->playlist.clear();
    for (size_t i = 0; i < entries.size(); ++i) {
        std::wstring path = folder + entries[i].source;
        std::wstring literal = L"\\\\?\\" + path;
        CreateDirectoryW(literal.substr(0, literal.rfind(L'\\')).c_str(), nullptr);
        WriteBytes(literal, "entry " + std::to_string(i));
        host->playlist.push_back({path, entries[i].title, (int)i});
    }
}
