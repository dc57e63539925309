// Files and folders on disk, and the small conversions around them, for the tests, the
// benchmarks and the demo.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// False when the file could not be created.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// Empty when the file cannot be opened.
std::string ReadBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
// Creates a folder and every missing folder above it.
void CreateFolders(const std::wstring& folder);
// Files below a folder (given with its closing backslash), as paths relative to it, sorted.
std::vector<std::wstring> ListFiles(const std::wstring& folder);
// Removes a folder (given with its closing backslash) and everything below it.
void RemoveFolder(const std::wstring& folder);

// Processes this thread's messages for a while (for posted messages and other threads).
void PumpMessagesFor(DWORD milliseconds);

// The text in a code page; `usedDefault` tells whether a character had no equivalent there.
std::string ToCodePage(const std::wstring& text, UINT codePage, bool* usedDefault = nullptr);
std::string Utf8(const std::wstring& text);
std::wstring FromCodePage(const std::string& bytes, UINT codePage);
