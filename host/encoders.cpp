#include "host/encoders.h"
#include <stddef.h>
#include "state/plugin_state.h"

static const int ExtensionCapacity = 8;

// The player reads these requests at the offsets of its own build: a field moved or resized is
// a crash or a conversion into nowhere, so each width's layout is pinned where it is compiled,
// whether or not its tests can run here.
#define PINNED_AT(type, field, offset) static_assert(offsetof(type, field) == (offset), #type "." #field)
#if defined(__i386__)
static_assert(sizeof(ConvertFileRequest) == 320, "the player's conversion request on i686");
static_assert(sizeof(FormatSettingRequest) == 20, "the player's format setting request on i686");
static_assert(sizeof(ListFormatsRequest) == 8, "the player's format list request on i686");
static_assert(sizeof(ConversionPriorityRequest) == 8, "the player's priority request on i686");
static_assert(sizeof(CopyTagsRequest) == 8, "the player's tag copy request on i686");
const size_t Word = 4;
#elif defined(__x86_64__)
static_assert(sizeof(ConvertFileRequest) == 624, "the conversion request on x86_64");
static_assert(sizeof(FormatSettingRequest) == 40, "the format setting request on x86_64");
static_assert(sizeof(ListFormatsRequest) == 16, "the format list request on x86_64");
static_assert(sizeof(ConversionPriorityRequest) == 16, "the priority request on x86_64");
static_assert(sizeof(CopyTagsRequest) == 16, "the tag copy request on x86_64");
const size_t Word = 8;
#endif
// On i686: destformat at 8, callbackhwnd at 40, bytes_done at 48, killswitch at 60, extra_data
// at 64.
PINNED_AT(ConvertFileRequest, sourcefile, 0);
PINNED_AT(ConvertFileRequest, destfile, Word);
PINNED_AT(ConvertFileRequest, destformat, 2 * Word);
PINNED_AT(ConvertFileRequest, callbackhwnd, 10 * Word);
PINNED_AT(ConvertFileRequest, error, 11 * Word);
PINNED_AT(ConvertFileRequest, bytes_done, 12 * Word);
PINNED_AT(ConvertFileRequest, bytes_total, 12 * Word + 4);
PINNED_AT(ConvertFileRequest, bytes_out, 12 * Word + 8);
PINNED_AT(ConvertFileRequest, killswitch, 12 * Word + 12);
PINNED_AT(ConvertFileRequest, extra_data, 12 * Word + 16);
PINNED_AT(FormatSettingRequest, format, 0);
PINNED_AT(FormatSettingRequest, item, Word);
PINNED_AT(FormatSettingRequest, data, 2 * Word);
PINNED_AT(FormatSettingRequest, len, 3 * Word);
PINNED_AT(FormatSettingRequest, configfile, 4 * Word);
PINNED_AT(ListFormatsRequest, enumProc, 0);
PINNED_AT(ListFormatsRequest, userData, Word);
PINNED_AT(ConversionPriorityRequest, cfs, 0);
PINNED_AT(ConversionPriorityRequest, priority, Word);
PINNED_AT(CopyTagsRequest, source, 0);
PINNED_AT(CopyTagsRequest, dest, Word);

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
