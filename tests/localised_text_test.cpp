#include <string>
#include "resources/resource_ids.h"
#include "support/plugin_fixture.h"
#include "text/localised_text.h"

namespace {

class LocalisedText : public PluginFixture {
protected:
    void SetUp() override
    {
        PluginFixture::SetUp();
        ConnectServices();
    }

    size_t CaptionFetches() const
    {
        size_t count = 0;
        for (UINT number : host->fetchedStrings)
            count += number == CaptionString;
        return count;
    }
};

std::wstring InstanceText(HINSTANCE instance, UINT number)
{
    const wchar_t* text = nullptr;
    int length = LoadStringW(instance, number, (LPWSTR)&text, 0);
    return length > 0 ? std::wstring(text, (size_t)length) : std::wstring();
}

TEST_F(LocalisedText, ModuleTextsAreTheTable)
{
    EXPECT_STREQ(FetchText(CaptionString), L"Corvelle v%s");
    EXPECT_STREQ(FetchText(MissingFileString), L"Error copying file: '%s', skipping.");
    EXPECT_STREQ(FetchText(AboutTextString),
                 L"%s\nhttps://corvelle.example.org/\n\nPick 'Copy playlist files' from\n"
                 L"the main Winamp/system menu.");
    EXPECT_STREQ(FetchTextNarrow(CaptionString), "Corvelle v%s");
    EXPECT_STREQ(VersionText, L"1.11");
    EXPECT_STREQ(VersionTextNarrow, "1.11");
}

TEST_F(LocalisedText, StringTableIsBritishEnglish)
{
    // String n lives in block n / 16 + 1 of the table.
    HRSRC block = FindResourceExW(GetModuleHandleW(nullptr), RT_STRING,
                                  MAKEINTRESOURCEW(CaptionString / 16 + 1),
                                  MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK));
    EXPECT_NE(block, nullptr);
}

TEST_F(LocalisedText, UnhandledOrMissingServiceGivesNull)
{
    host->unhandledStrings = {SizeUnitString};
    EXPECT_EQ(FetchText(SizeUnitString), nullptr);
    EXPECT_EQ(FetchTextNarrow(SizeUnitString), nullptr);
    EXPECT_STREQ(FetchText(PlaylistCreateErrorString), L"Error creating playlist file.");

    State.LanguageService = nullptr;
    EXPECT_EQ(FetchText(PlaylistCreateErrorString), nullptr);
    wchar_t buffer[8] = {L'#', 0};
    EXPECT_EQ(FetchText(FilterString, buffer, 8), nullptr);
    EXPECT_STREQ(buffer, L"#");
}

TEST_F(LocalisedText, FetchIntoCallersBuffer)
{
    wchar_t buffer[32];
    EXPECT_EQ(FetchText(FilterString, buffer, 32), buffer);
    EXPECT_STREQ(buffer, L"All Files");
    EXPECT_EQ(host->textsWithoutBuffer, 0u) << "a text with a buffer must land in the buffer";

    wchar_t small[5];
    EXPECT_EQ(FetchText(IgnoredFileNameString, small, 5), small);
    EXPECT_STREQ(small, L"(Fil");
}

TEST_F(LocalisedText, CaptionIsBuiltOnce)
{
    EnsureCaption();
    EXPECT_STREQ(State.SharedCaption, L"Corvelle v1.11");
    host->replacedStrings[CaptionString] = L"Other v%s";
    EnsureCaption();
    EnsureCaption();
    EXPECT_STREQ(State.SharedCaption, L"Corvelle v1.11");
    EXPECT_EQ(CaptionFetches(), 1u);
}

TEST_F(LocalisedText, CaptionIsRetriedWhileStringOneYieldsNothing)
{
    host->unhandledStrings = {CaptionString};
    EnsureCaption();
    EXPECT_STREQ(State.SharedCaption, L"");
    host->unhandledStrings.clear();
    host->replacedStrings[CaptionString] = L"";
    EnsureCaption();
    EXPECT_STREQ(State.SharedCaption, L"");
    host->replacedStrings.clear();
    EnsureCaption();
    EXPECT_STREQ(State.SharedCaption, L"Corvelle v1.11");
    EXPECT_EQ(CaptionFetches(), 3u);
}

TEST_F(LocalisedText, LongCaptionIsCutTo255)
{
    host->replacedStrings[CaptionString] = std::wstring(300, L'c') + L" v%s";
    EnsureCaption();
    EXPECT_EQ(std::wstring(State.SharedCaption), std::wstring(255, L'c'));
}

TEST_F(LocalisedText, EveryTextComesFromTheLanguagePack)
{
    HINSTANCE pack = InstallLanguagePack();
    ASSERT_NE(pack, nullptr) << "corvelle_langpack.dll beside the test program";
    for (UINT number = CaptionString; number <= AboutTextString; ++number) {
        std::wstring packText = InstanceText(pack, number);
        ASSERT_FALSE(packText.empty()) << number;
        EXPECT_NE(packText, InstanceText(GetModuleHandleW(nullptr), number)) << number;
        const wchar_t* fetched = FetchText(number);
        ASSERT_NE(fetched, nullptr) << number;
        EXPECT_EQ(std::wstring(fetched), packText) << number;
    }
    EXPECT_STREQ(FetchTextNarrow(CaptionString), "Kopierer v%s");
    EnsureCaption();
    EXPECT_STREQ(State.SharedCaption, L"Kopierer v1.11");
}

// A pack made before strings 11 to 14 existed lacks them (or gives empty texts): the
// module's own English stands in, and a pack that has one is still heard.
TEST_F(LocalisedText, NewerStringsFallBackOnTheModulesOwn)
{
    ASSERT_NE(InstallLanguagePack(), nullptr);
    host->replacedStrings[AllUnchangedString] = L"";
    host->replacedStrings[RemoveLeftoversString] = L"%u Kopien entfernen?";
    wchar_t buffer[100];
    EXPECT_STREQ(FetchTextOrOwn(SpaceShortString, buffer, 100),
                 L"The copies need %s, but only %s is free there.\n\nCopy anyway?");
    EXPECT_STREQ(FetchTextOrOwn(AllUnchangedString, buffer, 100),
                 L"All %u files are already there and unchanged.");
    EXPECT_STREQ(FetchTextOrOwn(RemoveLeftoversString, buffer, 100), L"%u Kopien entfernen?");
    EXPECT_STREQ(FetchTextOrOwn(FailedCopiesString, buffer, 100), L"%u of %u files could not be copied.");
    EXPECT_STREQ(FetchTextOrOwn(CaptionString, buffer, 100), L"Kopierer v%s");
    EXPECT_STREQ(FetchTextOrOwn(AllUnchangedString, buffer, 4), L"All") << "cut to the buffer";
}

// The question about room rounds what the copies need up and the free space down, so a need of
// a few bytes never reads as nothing and a free space never reads larger than it is.
TEST_F(LocalisedText, ByteSizesRoundUpOrDownToATenth)
{
    const uint64_t Mib = 1 << 20;
    struct {
        uint64_t bytes;
        SizeRounding rounding;
        const wchar_t* text;
    } cases[] = {
        {0, SizeRounding::Up, L"0.0 MiB"},
        {5, SizeRounding::Up, L"0.1 MiB"},
        {5, SizeRounding::Down, L"0.0 MiB"},
        {Mib / 10 * 3, SizeRounding::Up, L"0.3 MiB"},
        {2 * Mib, SizeRounding::Up, L"2.0 MiB"},
        {2 * Mib, SizeRounding::Down, L"2.0 MiB"},
        {2 * Mib - 1, SizeRounding::Down, L"1.9 MiB"},
        {2 * Mib + 1, SizeRounding::Up, L"2.1 MiB"},
        {1024 * Mib, SizeRounding::Down, L"1024.0 MiB"},
        {1024 * Mib + 1024, SizeRounding::Up, L"1,024.1 MiB"},
    };
    for (const auto& c : cases) {
        wchar_t text[64] = {};
        FormatByteSize(text, 64, c.bytes, c.rounding);
        EXPECT_STREQ(text, c.text) << c.bytes;
    }
}

}  // namespace
