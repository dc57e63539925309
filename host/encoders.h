// The player's encoders, which it offers to plug-ins: the formats they write, one setting of a
// format, converting a file on a thread of the player's, and copying tags from one file to
// another. Every request goes to the host main window (State.HostWindow) as WM_USER with its
// number in lParam and a pointer in wParam. The layouts are the player's.
#pragma once
#include <windows.h>
#include <stdint.h>

enum EncoderCode : LPARAM {
    ListFormatsCode = 510,       // 2.92 on
    FormatSettingCode = 514,
    ConvertFileCode = 515,       // 5.36 on
    EndConversionCode = 516,
    ConversionPriorityCode = 517,  // 5.36 on
    TestConversionCode = 518,    // 5.55 on
    CopyTagsCode = 1299,
};
// The first host that answers TestConversionCode.
const uint32_t TestConversionVersion = 0x5055;

// What the player sends the conversion's window while it runs (wParam the percent, from its
// own thread) and posts when it has ended (wParam 0), both as WM_USER.
const LPARAM ConversionProgressCode = 604;
const LPARAM ConversionEndedCode = 605;

typedef void(__cdecl* FormatEnumProc)(intptr_t userData, const char* description, int fourcc);
struct ListFormatsRequest {
    FormatEnumProc enumProc;  // called once for each format, before the request returns
    intptr_t userData;
};

struct FormatSettingRequest {
    unsigned format;
    char* item;
    char* data;
    int len;
    char* configfile;
};

// Must stay where it is until the conversion has ended and EndConversionCode has been sent.
struct ConvertFileRequest {
    wchar_t* sourcefile;
    wchar_t* destfile;
    intptr_t destformat[8];  // [0] the format's code; the rest 0
    HWND callbackhwnd;
    wchar_t* error;  // why a conversion did not start, as the player says it
    int bytes_done;
    int bytes_total;
    int bytes_out;
    int killswitch;
    intptr_t extra_data[64];
};

struct ConversionPriorityRequest {
    ConvertFileRequest* cfs;
    int priority;
};

struct CopyTagsRequest {
    const wchar_t* source;
    const wchar_t* dest;
};

// A format's code from its four characters ("MP3l"), as mmioFOURCC makes it, and back.
int FormatCode(const wchar_t* characters);
void FormatCharacters(int code, wchar_t* characters);  // five units, the last a terminator

// Calls `found` for each format an installed encoder offers.
void ListFormats(FormatEnumProc found, intptr_t userData);
// The extension files of `code` get, without its dot, in `extension` (8 units): the encoder's
// answer, or the code's first three characters in lower case where it gives none.
void FormatExtension(int code, wchar_t* extension);
// Starts converting `request->sourcefile` into `request->destfile`; false, with `error` set by
// the player, when it did not start.
bool StartConversion(ConvertFileRequest* request);
// Ends a conversion (after it ended, or to cancel it); the player waits for its thread.
void EndConversion(ConvertFileRequest* request);
void SetConversionPriority(ConvertFileRequest* request, int priority);
// Whether the conversion could start, on hosts that can tell (5.55 on); they create an empty
// `destfile`, which this removes. True where the host cannot tell.
bool TestConversion(ConvertFileRequest* request);
// Copies the tags of `source` into `destination`; true on success.
bool CopyTags(const wchar_t* source, const wchar_t* destination);
