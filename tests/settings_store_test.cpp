#include <gtest/gtest.h>
#include <string.h>
#include "settings/option_table.h"
#include "settings/settings_store.h"
#include "support/plugin_fixture.h"
#include "text/format_bounded.h"

namespace {

class SettingsStoreTest : public PluginFixture {
protected:
    void SetUp() override
    {
        PluginFixture::SetUp();
        settingsFile = folder + L"Plugins\\plugin.ini";
        CreateFolders(folder + L"Plugins\\");
        FormatBounded(State.SettingsPath, PathCapacity, L"%s", settingsFile.c_str());
    }

    int Stored(const wchar_t* section, const wchar_t* key)
    {
        return (int)GetPrivateProfileIntW(section, key, -7, settingsFile.c_str());
    }

    std::wstring settingsFile;
};

TEST_F(SettingsStoreTest, WithoutAFileTheInitialValuesStay)
{
    LoadOptions();
    EXPECT_EQ(OptionsText(State.Options), "NumberFilenames");
    EXPECT_FALSE(FileExists(settingsFile));
}

TEST_F(SettingsStoreTest, LoadTakesOnlyTheKeysOfItsOwnSection)
{
    WriteBytes(settingsFile, "[Other]\r\nSavePlaylist=1\r\nIncludeDirectory=1\r\nSkipUnchanged=1\r\n"
                             "[Corvelle]\r\nSaveM3U8=1\r\nNumberFilenames=0\r\nUsePlaylistTitle=5\r\n"
                             "RemoveDropped=1\r\n");
    State.Options.IncludeDirectory = 1;  // left by an earlier dialog
    LoadOptions();
    EXPECT_EQ(OptionsText(State.Options), "SaveM3U8 UsePlaylistTitle=5 IncludeDirectory RemoveDropped");
}

TEST_F(SettingsStoreTest, SaveWritesTheKeysInTheirOrder)
{
    State.Options = OptionsOn("SavePlaylist UsePlaylistTitle IncludeDirectory RemoveDropped");
    SaveOptions();
    EXPECT_EQ(ReadBytes(settingsFile), "[Corvelle]\r\nSavePlaylist=1\r\nSaveM3U8=0\r\n"
                                       "NumberFilenames=0\r\nUsePlaylistTitle=1\r\n"
                                       "IncludeDirectory=1\r\nSkipUnchanged=0\r\n"
                                       "RemoveDropped=1\r\n" +
                                       std::string(SavedLaterKeys));
    State.Options = CopyOptions();
    LoadOptions();
    EXPECT_EQ(OptionsText(State.Options), "SavePlaylist UsePlaylistTitle IncludeDirectory RemoveDropped");
}

TEST_F(SettingsStoreTest, WithoutTheSyncBoxesTheirOptionsAreOffAndTheirKeysStay)
{
    WriteBytes(settingsFile, "[Corvelle]\r\nSkipUnchanged=1\r\nRemoveDropped=1\r\nSaveM3U8=1\r\n");
    State.MissingOptionGroups = 1u << KeepInStepGroup;
    State.Options.KeepInStep = 1;  // left by an earlier dialog
    LoadOptions();
    EXPECT_EQ(OptionsText(State.Options), "SaveM3U8 NumberFilenames");
    SaveOptions();
    EXPECT_EQ(ReadBytes(settingsFile), "[Corvelle]\r\nSkipUnchanged=1\r\nRemoveDropped=1\r\n"
                                       "SaveM3U8=1\r\nSavePlaylist=0\r\nNumberFilenames=1\r\n"
                                       "UsePlaylistTitle=0\r\nIncludeDirectory=0\r\n" +
                                       std::string(SavedLaterKeys));
    State.MissingOptionGroups = 0;
    LoadOptions();
    EXPECT_EQ(OptionsText(State.Options), "SaveM3U8 NumberFilenames SkipUnchanged RemoveDropped");
}

TEST_F(SettingsStoreTest, EraseRemovesThatSectionAndNothingElse)
{
    WriteBytes(settingsFile, "[Before]\r\nSavePlaylist=4\r\n[Corvelle]\r\nSavePlaylist=1\r\n"
                             "NumberFilenames=0\r\n[After]\r\nNumberFilenames=3\r\n");
    State.Options = OptionsOn("SavePlaylist SaveM3U8 UsePlaylistTitle IncludeDirectory SkipUnchanged");
    EraseSavedOptions();
    EXPECT_EQ(Stored(L"Corvelle", L"SavePlaylist"), -7);
    EXPECT_EQ(Stored(L"Corvelle", L"NumberFilenames"), -7);
    EXPECT_EQ(Stored(L"Before", L"SavePlaylist"), 4);
    EXPECT_EQ(Stored(L"After", L"NumberFilenames"), 3);
    EXPECT_EQ(OptionsText(State.Options), "SavePlaylist SaveM3U8 UsePlaylistTitle IncludeDirectory SkipUnchanged");
}

// Counts the profile writes of the program (the module's code included) by replacing the
// import of WritePrivateProfileStringW in the program's own import table.
int ProfileWrites = 0;
BOOL WINAPI CountProfileWrite(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR)
{
    ++ProfileWrites;
    return TRUE;
}

void** ImportSlot(const char* name)
{
    BYTE* base = (BYTE*)GetModuleHandleW(nullptr);
    IMAGE_NT_HEADERS* headers = (IMAGE_NT_HEADERS*)(base + ((IMAGE_DOS_HEADER*)base)->e_lfanew);
    IMAGE_DATA_DIRECTORY imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (IMAGE_IMPORT_DESCRIPTOR* dll = (IMAGE_IMPORT_DESCRIPTOR*)(base + imports.VirtualAddress);
         dll->Name; ++dll) {
        IMAGE_THUNK_DATA* names = (IMAGE_THUNK_DATA*)(base + dll->OriginalFirstThunk);
        void** slots = (void**)(base + dll->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            IMAGE_IMPORT_BY_NAME* import = (IMAGE_IMPORT_BY_NAME*)(base + names->u1.AddressOfData);
            if (strcmp((const char*)import->Name, name) == 0)
                return slots;
        }
    }
    return nullptr;
}

void* ReplaceImport(void** slot, void* replacement)
{
    DWORD protection = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    void* original = *slot;
    *slot = replacement;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    return original;
}

TEST_F(SettingsStoreTest, EraseWithoutASettingsPathWritesNoProfile)
{
    // An uninstall after a start-up that never built the path: the profile functions would
    // otherwise fall back on a file in the Windows folder.
    void** slot = ImportSlot("WritePrivateProfileStringW");
    ASSERT_NE(slot, nullptr);
    void* original = ReplaceImport(slot, (void*)&CountProfileWrite);
    ProfileWrites = 0;
    State.SettingsPath[0] = 0;
    EraseSavedOptions();
    int withoutPath = ProfileWrites;
    FormatBounded(State.SettingsPath, PathCapacity, L"%s", settingsFile.c_str());
    EraseSavedOptions();
    ReplaceImport(slot, original);

    EXPECT_EQ(withoutPath, 0);
    EXPECT_EQ(ProfileWrites, 1);  // the counting itself works
}

}  // namespace
