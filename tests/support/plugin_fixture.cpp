#include "support/plugin_fixture.h"
#include <stdio.h>
#include <string.h>
#include <sstream>
#include "settings/option_table.h"

static std::wstring FreshFolder()
{
    static int made = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    wchar_t name[MAX_PATH];
    wsprintfW(name, L"%scorvelle-%u-%u-%d\\", temp, (unsigned)GetCurrentProcessId(),
              (unsigned)GetTickCount(), made++);
    CreateFolders(name);
    return name;
}

void PluginFixture::SetUp()
{
    State = PluginState();
    host = StartHostSimulator();
    State.HostWindow = host->window;
    folder = FreshFolder();
}

void PluginFixture::TearDown()
{
    for (const std::string& fault : host->faults)
        ADD_FAILURE() << "the player would suffer: " << fault;
    RemoveFolder(folder);
    for (const std::wstring& other : foldersElsewhere)
        RemoveFolder(other);
    StopHostSimulator(host);
    State = PluginState();
}

std::wstring PluginFixture::FolderOn(const std::wstring& drive)
{
    // The name of the test's own folder is unique among all running tests.
    std::wstring name = folder.substr(0, folder.size() - 1);
    std::wstring other = drive + name.substr(name.rfind(L'\\') + 1) + L"\\";
    RemoveFolder(other);
    CreateFolders(other);
    foldersElsewhere.push_back(other);
    return other;
}

void PluginFixture::ConnectServices()
{
    State.ServiceRegistry = &host->registryObject.object;
    State.LanguageService = &host->languageService.object;
    State.ApplicationService = &host->applicationService.object;
    State.ModuleInstance = GetModuleHandleW(nullptr);
    State.LanguageInstance = State.ModuleInstance;
}

HINSTANCE PluginFixture::InstallLanguagePack()
{
    HINSTANCE pack = LanguagePack();
    host->language = SimLanguage::Pack;
    host->languagePack = pack;
    State.LanguageInstance = pack;
    return pack;
}

HINSTANCE LanguagePack()
{
    static HINSTANCE pack = nullptr;
    if (pack)
        return pack;
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    wchar_t* name = wcsrchr(path, L'\\');
    lstrcpyW(name ? name + 1 : path, L"corvelle_langpack.dll");
    pack = LoadLibraryW(path);
    return pack;
}

void PluginFixture::SetPlaylist(const std::vector<SimEntry>& entries)
{
    host->playlist = entries;
    State.PlaylistCount = (int32_t)entries.size();
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    ASSERT_TRUE(WriteFileBytes(path, bytes)) << Utf8(path);
}

std::wstring TestDrive(const char* variable, std::string* why)
{
    char drive[16] = {}, reason[512] = {};
    std::string refused = std::string(variable) + "_REFUSED";
    if (GetEnvironmentVariableA(variable, drive, sizeof drive) && drive[0])
        return std::wstring(drive, drive + strlen(drive));
    GetEnvironmentVariableA(refused.c_str(), reason, sizeof reason);
    *why = reason[0] ? reason : std::string(variable) + " is not set";
    return L"";
}

static DWORD WINAPI WatchTheClock(LPVOID parameter)
{
    TimeLimit* limit = (TimeLimit*)parameter;
    if (WaitForSingleObject(limit->done, limit->seconds * 1000) == WAIT_OBJECT_0)
        return 0;
    printf("FAILED: %s took longer than %lu s\n", limit->what, (unsigned long)limit->seconds);
    fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 3);
    return 0;
}

TimeLimit::TimeLimit(const char* what, DWORD seconds) : what(what), seconds(seconds)
{
    done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread = CreateThread(nullptr, 0, WatchTheClock, this, 0, nullptr);
}

TimeLimit::~TimeLimit()
{
    SetEvent(done);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(done);
}

std::vector<std::wstring> PlaylistLines(const std::string& bytes, UINT codePage)
{
    std::string text = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;
    std::vector<std::wstring> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find("\r\n", start);
        end = end == std::string::npos ? text.size() : end;
        lines.push_back(FromCodePage(text.substr(start, end - start), codePage));
        start = end + 2;
    }
    return lines;
}

std::vector<std::wstring> ListedPaths(const std::string& bytes, UINT codePage)
{
    std::vector<std::wstring> lines = PlaylistLines(bytes, codePage), paths;
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].compare(0, 8, L"#EXTINF:") == 0)
            paths.push_back(lines[++i]);
    return paths;
}

const char SavedLaterKeys[] = "VerifyCopies=0\r\nNameByTags=0\r\nNameTemplate=%albumartist%\\%album%\\[%tracknumber% ]%title%\r\n"
                              "CopyCompanions=0\r\nPlaylistSlashes=0\r\nConvertForDevice=0\r\n"
                              "ConvertFormat=MP3l\r\nDevicePlays=mp3 wma\r\n";

static std::string Narrow(const wchar_t* key)
{
    std::string text;
    for (; *key; ++key)
        text += (char)*key;
    return text;
}

CopyOptions OptionsOn(const std::string& keys)
{
    CopyOptions options = {};
    for (size_t i = 0; i < OptionCount; ++i)
        if (OptionTable[i].flag)
            options.*OptionTable[i].flag = 0;
    std::istringstream words(keys);
    for (std::string word; words >> word;) {
        size_t equals = word.find('=');
        std::string key = word.substr(0, equals);
        int32_t value = equals == std::string::npos ? 1 : atoi(word.c_str() + equals + 1);
        size_t row = 0;
        while (row < OptionCount && (Narrow(OptionTable[row].key) != key || !OptionTable[row].flag))
            ++row;
        if (row == OptionCount)
            ADD_FAILURE() << "no flag is called " << key;
        else
            options.*OptionTable[row].flag = value;
    }
    return options;
}

std::string OptionsText(const CopyOptions& options)
{
    std::string text;
    for (size_t i = 0; i < OptionCount; ++i) {
        if (!OptionTable[i].flag)
            continue;
        int32_t value = options.*OptionTable[i].flag;
        if (!value)
            continue;
        text += (text.empty() ? "" : " ") + Narrow(OptionTable[i].key);
        if (value != 1)
            text += "=" + std::to_string(value);
    }
    return text;
}
