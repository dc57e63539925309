#include "support/plugin_fixture.h"

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
    Record.hostWindow = host->window;
    Record.moduleInstance = GetModuleHandleW(nullptr);
    folder = FreshFolder();
}

void PluginFixture::TearDown()
{
    RemoveFolder(folder);
    StopHostSimulator(host);
    Record.hostWindow = nullptr;
    Record.moduleInstance = nullptr;
    State = PluginState();
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

std::wstring SmallDrive(std::string* why)
{
    wchar_t drive[16] = {};
    char reason[512] = {};
    if (GetEnvironmentVariableW(L"CORVELLE_SMALL_DRIVE", drive, 16) && drive[0])
        return drive;
    GetEnvironmentVariableA("CORVELLE_SMALL_DRIVE_REFUSED", reason, sizeof reason);
    *why = reason[0] ? reason : "CORVELLE_SMALL_DRIVE is not set";
    return L"";
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
