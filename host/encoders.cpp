#include "host/encoders.h"
#include "state/plugin_state.h"

static const int ExtensionCapacity = 8;

static LRESULT AskHost(void* request, LPARAM code)
{
    return SendMessageW(State.HostWindow, WM_USER, (WPARAM)request, code);
}

int FormatCode(const wchar_t* characters)
{
    int code = 0;
    for (int i = 0; i < 4 && characters[i]; ++i)
        code |= (int)((unsigned)(characters[i] & 0xFF) << (8 * i));
    return code;
}

void FormatCharacters(int code, wchar_t* characters)
{
    for (int i = 0; i < 4; ++i)
        characters[i] = (wchar_t)(((unsigned)code >> (8 * i)) & 0xFF);
    characters[4] = 0;
}

void ListFormats(FormatEnumProc found, intptr_t userData)
{
    ListFormatsRequest request = {found, userData};
    AskHost(&request, ListFormatsCode);
}

// LAME, Vorbis and WMA answer no extension: theirs is their code's start.
void FormatExtension(int code, wchar_t* extension)
{
    char item[] = "extension", data[ExtensionCapacity] = {};
    FormatSettingRequest request = {(unsigned)code, item, data, ExtensionCapacity, nullptr};
    // A host that does not know the request answers 1 and leaves the data as it was.
    if (AskHost(&request, FormatSettingCode) && data[0]) {
        data[ExtensionCapacity - 1] = 0;
        MultiByteToWideChar(CP_ACP, 0, data, -1, extension, ExtensionCapacity);
        return;
    }
    FormatCharacters(code, extension);
    extension[3] = 0;
    CharLowerW(extension);
    for (int i = 2; i >= 0 && extension[i] == L' '; --i)
        extension[i] = 0;
}

bool StartConversion(ConvertFileRequest* request) { return AskHost(request, ConvertFileCode) == 1; }
void EndConversion(ConvertFileRequest* request) { AskHost(request, EndConversionCode); }

void SetConversionPriority(ConvertFileRequest* request, int priority)
{
    ConversionPriorityRequest asked = {request, priority};
    AskHost(&asked, ConversionPriorityCode);
}

bool TestConversion(ConvertFileRequest* request)
{
    if (State.HostVersionCache < TestConversionVersion)
        return true;
    bool could = AskHost(request, TestConversionCode) != 0;
    DeleteFileW(request->destfile);
    return could;
}

bool CopyTags(const wchar_t* source, const wchar_t* destination)
{
    CopyTagsRequest request = {source, destination};
    return AskHost(&request, CopyTagsCode) == 0;
}
