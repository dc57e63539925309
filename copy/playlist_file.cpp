#include "copy/playlist_file.h"
#include <string.h>
#include <wchar.h>
#include "host/host_link.h"
#include "state/plugin_state.h"
#include "text/format_bounded.h"

const wchar_t PlaylistFileName[] = L"playlist.m3u";
const wchar_t PlaylistFileNameUtf8[] = L"playlist.m3u8";

static const unsigned char ByteOrderMark[] = {0xEF, 0xBB, 0xBF};
static const int ExtendedInfoCapacity = 50;
// Below this a "text" the host hands over is a number, not a pointer.
static const ULONG_PTR SmallestTextAddress = 0x10000;
static const size_t TitlePieceLength = 512;

// The most bytes one UTF-16 unit can become: three in UTF-8 (a surrogate pair makes four
// from two units), two in a double-byte ANSI code page.
static int MostBytesPerUnit(UINT codePage) { return codePage == CP_UTF8 ? 3 : 2; }

static int ConvertWhole(const wchar_t* text, UINT codePage)
{
    return WideCharToMultiByte(codePage, 0, text, -1, State.NarrowBuffer, NarrowBufferSize,
                               nullptr, nullptr);
}

// A piece that fits whatever its characters, ended before a high surrogate so that the
// pair stays together in the next piece.
static size_t PieceLength(const wchar_t* text, UINT codePage)
{
    size_t length = (size_t)((NarrowBufferSize - 1) / MostBytesPerUnit(codePage));
    size_t left = wcslen(text);
    if (left <= length)
        return left;
    if (IS_HIGH_SURROGATE(text[length - 1]))
        --length;
    return length;
}

const char* NarrowText(const wchar_t* text, UINT codePage, const wchar_t** rest)
{
    State.NarrowBuffer[0] = 0;
    *rest = nullptr;
    if ((ULONG_PTR)text <= SmallestTextAddress || !*text)
        return State.NarrowBuffer;
    if (ConvertWhole(text, codePage) > 0)
        return State.NarrowBuffer;
    size_t length = PieceLength(text, codePage);
    int bytes = WideCharToMultiByte(codePage, 0, text, (int)length, State.NarrowBuffer,
                                    NarrowBufferSize - 1, nullptr, nullptr);
    State.NarrowBuffer[bytes > 0 ? bytes : 0] = 0;
    if (bytes > 0 && text[length])
        *rest = text + length;
    return State.NarrowBuffer;
}

static void WriteBytes(HANDLE file, const void* bytes, size_t count)
{
    DWORD written = 0;
    WriteFile(file, bytes, (DWORD)count, &written, nullptr);
}

void WritePlaylistText(HANDLE file, const wchar_t* text)
{
    UINT codePage = State.Options.SaveM3U8 ? CP_UTF8 : CP_ACP;
    do {
        const char* narrow = NarrowText(text, codePage, &text);
        WriteBytes(file, narrow, strlen(narrow));
    } while (text);
}

void WritePlaylistHeader(HANDLE file)
{
    if (State.Options.SaveM3U8)
        WriteBytes(file, ByteOrderMark, sizeof ByteOrderMark);
    WritePlaylistText(file, L"#EXTM3U\r\n");
}

// A line break (or any control character) in a title would start a line of its own, which a
// player reads as another entry: it is written as a space, so an entry is always two lines.
// The host's text is left as it is; the title goes through a piece at a time.
static void WriteTitle(HANDLE file, const wchar_t* title)
{
    if ((ULONG_PTR)title <= SmallestTextAddress)
        return;
    wchar_t piece[TitlePieceLength + 1];
    while (*title) {
        size_t length = 0;
        for (; title[length] && length < TitlePieceLength; ++length)
            piece[length] = title[length] < 0x20 ? L' ' : title[length];
        // A pair stays together in the next piece.
        if (title[length] && IS_HIGH_SURROGATE(piece[length - 1]))
            --length;
        piece[length] = 0;
        WritePlaylistText(file, piece);
        title += length;
    }
}

void WritePlaylistEntry(HANDLE file, int index, const wchar_t* relativePath)
{
    wchar_t line[ExtendedInfoCapacity] = {};
    SetPlaylistPosition(index);
    int seconds = CurrentTrackLength();
    const wchar_t* title = PlaylistTitle(index);
    FormatBounded(line, ExtendedInfoCapacity, L"#EXTINF:%d,", seconds);
    WritePlaylistText(file, line);
    WriteTitle(file, title);
    WritePlaylistText(file, L"\r\n");
    WritePlaylistText(file, relativePath);
    WritePlaylistText(file, L"\r\n");
}
