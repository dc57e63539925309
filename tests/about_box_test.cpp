#include <gtest/gtest.h>
#include "support/product_fixture.h"

namespace {

const char AboutText[] =
    "Corvelle v1.11\nhttps://corvelle.example.org/\n\nPick 'Copy playlist files' from\n"
    "the main Winamp/system menu.";
const char UninstallQuestion[] = "Do you also want to remove the saved settings from this plugin?";
const char SettingsWithNeighbours[] =
    "[Other]\r\nKey=1\r\n[Corvelle]\r\nSavePlaylist=1\r\nNumberFilenames=0\r\n[Last]\r\nA=b\r\n";

// A system-modal box is activated while it is still being filled in, so it is read once its
// own message loop runs.
std::vector<CapturedBox>* ReadBoxes = nullptr;
HWND BoxToRead = nullptr;

void CALLBACK ReadAndClose(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    ReadBoxes->push_back(ReadBox(BoxToRead));
    PressButton(BoxToRead, IDOK);
}

// What the module asks of MessageBoxW; the style says what a box's looks alone may not (the
// platform may ignore MB_RIGHT, for example).
struct BoxCall {
    HWND owner;
    std::wstring caption;
    UINT style;
};
std::vector<BoxCall> BoxCalls;
decltype(&MessageBoxW) RealMessageBox = nullptr;

int WINAPI RecordMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style)
{
    BoxCalls.push_back({owner, caption ? caption : L"", style});
    return RealMessageBox(owner, text, caption, style);
}

class AboutBox : public ProductFixture {
protected:
    void Configure() { plugin.record->configure(); }

    void ReadBoxesWhenShown()
    {
        ReadBoxes = &shown;
        watcher.handler = [](HWND box) {
            BoxToRead = box;
            SetTimer(nullptr, 0, 10, ReadAndClose);
            return true;
        };
    }

    std::vector<CapturedBox> shown;
};

TEST_F(AboutBox, ShowsRightAlignedSystemModalInformationWithoutOwner)
{
    ASSERT_EQ(Start(), 0);
    ReadBoxesWhenShown();
    BoxCalls.clear();
    RealMessageBox = (decltype(RealMessageBox))ReplaceImport(plugin.module, "USER32.dll", "MessageBoxW",
                                                             (void*)RecordMessageBox);
    ASSERT_NE(RealMessageBox, nullptr);
    Configure();

    ASSERT_EQ(BoxCalls.size(), 1u);
    EXPECT_EQ(BoxCalls[0].style, (UINT)(MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL | MB_RIGHT));
    EXPECT_EQ(BoxCalls[0].owner, nullptr);
    EXPECT_EQ(Utf8(BoxCalls[0].caption), "Corvelle v1.11");
    ASSERT_EQ(shown.size(), 1u);
    const CapturedBox& box = shown[0];
    EXPECT_EQ(Utf8(box.caption), "Corvelle v1.11");
    EXPECT_EQ(Utf8(box.text), AboutText);
    EXPECT_TRUE(box.topmost);
    EXPECT_TRUE(box.hasIcon);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.buttons, std::set<int>{IDOK});
}

TEST_F(AboutBox, AfterClosingTheNextCallShowsANewBox)
{
    ASSERT_EQ(Start(), 0);
    ReadBoxesWhenShown();
    Configure();
    Configure();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(Utf8(shown[1].text), AboutText);
}

// The host may call configure again from within the open box's message loop.
struct NestedCall {
    PluginRecord* record;
    DialogWatcher* watcher;
    HWND box;
    HWND elsewhere;         // activated before the second call
    HWND activeBefore;
    HWND activeAfter;
    size_t boxesAfter;
};
NestedCall* Nested = nullptr;

void CALLBACK CallAgainWhileOpen(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    SetActiveWindow(Nested->elsewhere);
    Nested->activeBefore = GetActiveWindow();
    Nested->record->configure();
    Nested->activeAfter = GetActiveWindow();
    Nested->boxesAfter = Nested->watcher->boxes.size();
    PressButton(Nested->box, IDOK);
}

TEST_F(AboutBox, SecondCallWhileOpenActivatesItInsteadOfASecondBox)
{
    ASSERT_EQ(Start(), 0);
    HWND elsewhere = CreateWindowExW(0, L"Static", L"Elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                     nullptr, nullptr, nullptr, nullptr);
    NestedCall nested = {plugin.record, &watcher, nullptr, elsewhere, nullptr, nullptr, 0};
    Nested = &nested;
    watcher.handler = [&](HWND box) {
        nested.box = box;
        SetTimer(nullptr, 0, 20, CallAgainWhileOpen);
        return true;
    };

    Configure();

    Nested = nullptr;
    DestroyWindow(elsewhere);
    EXPECT_EQ(nested.activeBefore, elsewhere);
    EXPECT_EQ(nested.activeAfter, nested.box);
    EXPECT_EQ(nested.boxesAfter, 1u);
    EXPECT_EQ(watcher.boxes.size(), 1u);
}

// --- Uninstall ------------------------------------------------------------------------------------

std::vector<std::wstring> SectionNames(const std::wstring& file)
{
    wchar_t names[1024] = {};
    GetPrivateProfileSectionNamesW(names, 1024, file.c_str());
    std::vector<std::wstring> found;
    for (const wchar_t* at = names; *at; at += wcslen(at) + 1)
        found.push_back(at);
    return found;
}

struct UninstallCase {
    const char* name;
    int answer;
    std::vector<std::wstring> sectionsAfter;
};

void PrintTo(const UninstallCase& c, std::ostream* out) { *out << c.name; }

class Uninstall : public ProductFixture, public ::testing::WithParamInterface<UninstallCase> {};

TEST_P(Uninstall, AsksTheOwnerAndErasesOnlyOnYes)
{
    const UninstallCase& c = GetParam();
    ASSERT_EQ(Start(), 0);
    WriteBytes(SettingsFile(), SettingsWithNeighbours);
    watcher.defaultAnswer = c.answer;

    EXPECT_EQ(UninstallPlugin(&plugin, host->playlistEditor), 0);

    ASSERT_EQ(watcher.boxes.size(), 1u);
    const CapturedBox& box = watcher.boxes[0];
    EXPECT_EQ(Utf8(box.caption), "Corvelle v1.11");
    EXPECT_EQ(Utf8(box.text), UninstallQuestion);
    EXPECT_EQ(box.owner, host->playlistEditor);
    EXPECT_EQ(box.buttons, (std::set<int>{IDYES, IDNO}));
    EXPECT_FALSE(box.hasIcon);
    EXPECT_EQ(SectionNames(SettingsFile()), c.sectionsAfter);
    if (c.answer == IDNO) {
        EXPECT_EQ(ReadBytes(SettingsFile()), SettingsWithNeighbours);
    }
    wchar_t value[8] = {};
    GetPrivateProfileStringW(L"Last", L"A", L"", value, 8, SettingsFile().c_str());
    EXPECT_STREQ(value, L"b");
    GetPrivateProfileStringW(L"Other", L"Key", L"", value, 8, SettingsFile().c_str());
    EXPECT_STREQ(value, L"1");
}

INSTANTIATE_TEST_SUITE_P(
    Answers, Uninstall,
    ::testing::Values(UninstallCase{"No", IDNO, {L"Other", L"Corvelle", L"Last"}},
                      UninstallCase{"Yes", IDYES, {L"Other", L"Last"}}),
    [](const ::testing::TestParamInfo<UninstallCase>& info) { return std::string(info.param.name); });

// Every profile write the module makes.
int ProfileWrites = 0;
decltype(&WritePrivateProfileStringW) RealProfileWrite = nullptr;

BOOL WINAPI CountProfileWrite(LPCWSTR section, LPCWSTR key, LPCWSTR text, LPCWSTR file)
{
    ++ProfileWrites;
    return RealProfileWrite(section, key, text, file);
}

// Without a start-up there is no settings path: Yes must not write to any profile, not even
// one the platform would pick for an empty name.
TEST_F(Uninstall, AfterRefusedStartUpYesWritesNothing)
{
    host->registry = SimRegistry::Zero;
    ASSERT_EQ(Start(), 1);
    ProfileWrites = 0;
    RealProfileWrite = (decltype(RealProfileWrite))ReplaceImport(
        plugin.module, "KERNEL32.dll", "WritePrivateProfileStringW", (void*)CountProfileWrite);
    ASSERT_NE(RealProfileWrite, nullptr);
    watcher.defaultAnswer = IDYES;

    EXPECT_EQ(UninstallPlugin(&plugin, host->window), 0);

    EXPECT_EQ(watcher.boxes.size(), 1u);
    EXPECT_EQ(ProfileWrites, 0);
    EXPECT_TRUE(ListFiles(folder).empty());
}

}  // namespace
