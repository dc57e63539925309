#include "hostsim/disk_files.h"
#include <algorithm>

bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL wrote = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(file);
    return wrote && written == bytes.size();
}

std::string ReadBytes(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

bool FileExists(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CreateFolders(const std::wstring& folder)
{
    for (size_t at = folder.find(L'\\', 3); at != std::wstring::npos; at = folder.find(L'\\', at + 1))
        CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
}

static void CollectFiles(const std::wstring& root, const std::wstring& relative,
                         std::vector<std::wstring>* files)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((root + relative + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CollectFiles(root, relative + name + L"\\", files);
        else
            files->push_back(relative + name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

std::vector<std::wstring> ListFiles(const std::wstring& folder)
{
    std::vector<std::wstring> files;
    CollectFiles(folder, L"", &files);
    std::sort(files.begin(), files.end());
    return files;
}

// A name Windows would read otherwise ("trail.", "CON.mp3") is reached as it is only through
// the \\?\ form of its full path.
static std::wstring LiteralPath(const std::wstring& path)
{
    bool drivePath = path.size() > 2 && path[1] == L':' && path[2] == L'\\';
    return drivePath ? L"\\\\?\\" + path : path;
}

void RemoveFolder(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(LiteralPath(folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring path = folder + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolder(path + L"\\");
            else {
                SetFileAttributesW(LiteralPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(LiteralPath(path).c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(LiteralPath(folder).c_str());
}

void PumpMessagesFor(DWORD milliseconds)
{
    DWORD end = GetTickCount() + milliseconds;
    while ((LONG)(end - GetTickCount()) > 0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

std::string ToCodePage(const std::wstring& text, UINT codePage, bool* usedDefault)
{
    // UTF-8 refuses a default-character flag; it represents every character anyway.
    BOOL defaulted = FALSE;
    BOOL* defaultedSlot = codePage == CP_UTF8 ? nullptr : &defaulted;
    int bytes = WideCharToMultiByte(codePage, 0, text.c_str(), (int)text.size(), nullptr, 0,
                                    nullptr, nullptr);
    std::string out((size_t)bytes, '\0');
    WideCharToMultiByte(codePage, 0, text.c_str(), (int)text.size(), &out[0], bytes, nullptr,
                        defaultedSlot);
    if (usedDefault)
        *usedDefault = defaulted != FALSE;
    return out;
}

std::string Utf8(const std::wstring& text) { return ToCodePage(text, CP_UTF8); }

std::wstring FromCodePage(const std::string& bytes, UINT codePage)
{
    int characters = MultiByteToWideChar(codePage, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
    std::wstring out((size_t)characters, L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), (int)bytes.size(), &out[0], characters);
    return out;
}
