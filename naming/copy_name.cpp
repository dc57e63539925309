#include "naming/copy_name.h"
#include "naming/copy_name_internal.h"
#include <windows.h>
#include <string.h>
#include <wchar.h>
#include "files/file_facts.h"
#include "files/name_characters.h"
#include "state/plugin_state.h"
#include "text/format_bounded.h"

// " (4294967295)": the longest number that keeps a copy's name its own.
static const size_t MostSuffixLength = 13;

NamingRules NamingRulesForRun()
{
    const CopyOptions& options = State.Options;
    return {options.SavePlaylist != 0 && options.SaveM3U8 == 0};
}

// ASCII is itself in every ANSI code page. A UTF-8 system code page writes every character,
// and refuses the no-best-fit flag. Anything else is asked of the code page: a best fit (the
// Greek mu written as the micro sign) would name another file.
static bool IsWrittenExactly(const wchar_t* at, int units)
{
    if (units == 1 && at[0] < 0x80)
        return true;
    if (GetACP() == CP_UTF8)
        return true;
    char bytes[8];
    BOOL usedDefault = FALSE;
    int written = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, at, units, bytes, sizeof bytes,
                                      nullptr, &usedDefault);
    return written > 0 && !usedDefault;
}

static int UnitsOfCharacter(const wchar_t* text, size_t left)
{
    return left >= 2 && IS_HIGH_SURROGATE(text[0]) && IS_LOW_SURROGATE(text[1]) ? 2 : 1;
}

// What each ASCII character becomes in a name, looked up rather than worked out: names are
// made for every entry of playlists of many thousands.
struct AsciiNames {
    wchar_t of[0x80];
};
static constexpr AsciiNames MakeAsciiNames()
{
    AsciiNames names = {};
    for (wchar_t ch = 0; ch < 0x80; ++ch)
        names.of[ch] = IsControlCharacter(LookAlike(ch)) ? L' ' : LookAlike(ch);
    return names;
}
static constexpr AsciiNames AsciiInName = MakeAsciiNames();

// Writes at most `room` units of `text` as a name may hold them: the look-alikes of the
// characters a name may not hold, a space for each control character, and under
// `ansiPlaylist` one "_" for each character (a surrogate pair is one) the code page cannot
// write. Never writes half a pair. Returns the units written; `used`, when given, receives
// the units of `text` taken.
static size_t SanitizeBaseName(const wchar_t* text, size_t length, const NamingRules& rules,
                               wchar_t* out, size_t room, size_t* used = nullptr)
{
    size_t read = 0, written = 0;
    while (read < length && written < room) {
        // ASCII, most of every name, is itself in every code page and never half a pair.
        if (text[read] < 0x80) {
            out[written++] = AsciiInName.of[text[read++]];
            continue;
        }
        int units = UnitsOfCharacter(text + read, length - read);
        if (rules.ansiPlaylist && !IsWrittenExactly(text + read, units)) {
            out[written++] = L'_';
        } else if (units == 2) {
            if (written + 2 > room)
                break;
            out[written++] = text[read];
            out[written++] = text[read + 1];
        } else {
            wchar_t ch = LookAlike(text[read]);
            out[written++] = IsControlCharacter(ch) ? L' ' : ch;
        }
        read += (size_t)units;
    }
    if (used)
        *used = read;
    return written;
}

static size_t FirstDotOrEnd(const wchar_t* name, size_t length)
{
    size_t at = 0;
    while (at < length && name[at] != L'.')
        ++at;
    return at;
}

static bool IsDeviceDigit(wchar_t ch)
{
    return (ch >= L'0' && ch <= L'9') || ch == 0x00B9 || ch == 0x00B2 || ch == 0x00B3;
}

bool IsDeviceName(const wchar_t* name, size_t length)
{
    static const wchar_t* const Devices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    const size_t LongestDevice = 7;
    size_t stem = FirstDotOrEnd(name, length);
    while (stem > 0 && name[stem - 1] == L' ')
        --stem;
    if (stem < 3 || stem > LongestDevice)
        return false;
    wchar_t upper[LongestDevice + 1] = {};
    for (size_t i = 0; i < stem; ++i)
        upper[i] = FoldCase(name[i]);
    for (const wchar_t* device : Devices)
        if (wcscmp(upper, device) == 0)
            return true;
    return stem == 4 && (wcsncmp(upper, L"COM", 3) == 0 || wcsncmp(upper, L"LPT", 3) == 0) &&
           IsDeviceDigit(upper[3]);
}

// "CON.mp3" becomes "CON_.mp3", "nul" "nul_": the mark ends the part Windows reads as a
// device. False when the name has no room left for it.
static bool MarkDevice(wchar_t* name, size_t* length, size_t most)
{
    if (!IsDeviceName(name, *length))
        return true;
    if (*length + 1 > most)
        return false;
    size_t at = FirstDotOrEnd(name, *length);
    memmove(name + at + 1, name + at, (*length - at) * sizeof(wchar_t));
    name[at] = L'_';
    ++*length;
    return true;
}

size_t MakeFolderName(const wchar_t* name, size_t length, const NamingRules& rules, wchar_t* out)
{
    // Such a folder is not the source's own ("C:" of a \\?\ path, the "/" of "a/../"): keeping
    // it would lead out of the target.
    for (size_t i = 0; i < length; ++i)
        if (IsForbiddenInName(name[i]))
            return 0;
    length = WithoutTrailingDotsAndSpaces(name, length);
    size_t used;
    size_t written = SanitizeBaseName(name, length, rules, out, MostNameLength, &used);
    if (written == 0 || used < length || !MarkDevice(out, &written, MostNameLength))
        return 0;
    return written;
}

size_t MakeTemplateFolderName(const wchar_t* text, size_t length, const NamingRules& rules,
                              size_t most, wchar_t* out)
{
    while (length > 0 && (*text == L' ' || IsControlCharacter(*text))) {
        ++text;
        --length;
    }
    most = most < MostNameLength ? most : MostNameLength;
    wchar_t name[MostNameLength + 1];
    size_t written = SanitizeBaseName(text, length, rules, name, most);
    // A name cut to make room ends where the cut left it, and the mark still has to fit.
    for (;; --written) {
        size_t kept = WithoutTrailingDotsAndSpaces(name, written);
        if (kept == 0)
            return 0;
        if (MarkDevice(name, &kept, most)) {
            wmemcpy(out, name, kept);
            return kept;
        }
    }
}

static size_t Put(wchar_t* out, size_t at, const wchar_t* text, size_t length)
{
    memcpy(out + at, text, length * sizeof(wchar_t));
    return at + length;
}

// The pieces that are never cut, after the base: " (n)" and the extension.
struct NameEnd {
    wchar_t text[MostSuffixLength + MostNameLength];
    size_t length;
};

// A file name being put together: its parts and rules, the end it closes with and the room
// left for the base.
struct NameLayout {
    const FileNameParts& parts;
    const NamingRules& rules;
    const NameEnd& end;
    size_t baseRoom;
};

static size_t ComposeWithBase(const NameLayout& layout, const wchar_t* base, size_t baseLength,
                              wchar_t* out)
{
    size_t length = Put(out, 0, layout.parts.prefix, layout.parts.prefixLength);
    length += SanitizeBaseName(base, baseLength, layout.rules, out + length, layout.baseRoom);
    length = Put(out, length, layout.end.text, layout.end.length);
    return WithoutTrailingDotsAndSpaces(out, length);
}

// A name of nothing would be the target folder itself, or the same file as another nothing:
// the source's own base name stands in, and "_" where that is nothing too.
static size_t ComposeFileName(const NameLayout& layout, wchar_t* out)
{
    const FileNameParts& parts = layout.parts;
    size_t length = ComposeWithBase(layout, parts.base, parts.baseLength, out);
    if (length == 0)
        length = ComposeWithBase(layout, parts.ownBase, parts.ownBaseLength, out);
    if (length == 0 && layout.baseRoom > 0)
        out[length++] = L'_';
    return length;
}

static bool MakeNameEnd(const FileNameParts& parts, const NamingRules& rules, NameEnd* end)
{
    end->length = 0;
    if (parts.copyNumber >= 2) {
        wchar_t suffix[MostSuffixLength + 1] = {};
        FormatBounded(suffix, MostSuffixLength + 1, L" (%u)", parts.copyNumber);
        end->length = Put(end->text, 0, suffix, wcslen(suffix));
    }
    size_t used;
    end->length += SanitizeBaseName(parts.extension, parts.extensionLength, rules,
                                    end->text + end->length, MostNameLength, &used);
    end->length = WithoutTrailingDotsAndSpaces(end->text, end->length);
    // An extension longer than any name leaves no room for one.
    return used == parts.extensionLength;
}

size_t ShortestFileName(const FileNameParts& parts, const NamingRules& rules)
{
    NameEnd end;
    if (!MakeNameEnd(parts, rules, &end))
        return MostNameLength + 1;
    size_t length = parts.prefixLength + end.length;
    return length ? length : 1;
}

size_t MakeFileName(const FileNameParts& parts, const NamingRules& rules, size_t most, wchar_t* out)
{
    NameEnd end;
    if (!MakeNameEnd(parts, rules, &end) || parts.prefixLength + end.length > most)
        return 0;
    NameLayout layout = {parts, rules, end, 0};
    // The base is cut until the whole name fits, the mark of a device name included.
    for (layout.baseRoom = most - parts.prefixLength - layout.end.length;; --layout.baseRoom) {
        size_t length = ComposeFileName(layout, out);
        if (MarkDevice(out, &length, most))
            return length;
        if (layout.baseRoom == 0)
            return 0;
    }
}

int NumberWidth(int count)
{
    int width = 1;
    for (int64_t limit = 10; count >= limit; limit *= 10)
        ++width;
    return width;
}

NumberPrefix MakeNumberPrefix(int count, bool numberFilenames)
{
    NumberPrefix prefix = {};
    if (!numberFilenames)
        return prefix;
    int width = NumberWidth(count);
    FormatBounded(prefix.format, sizeof prefix.format / sizeof prefix.format[0], L"%%0%dd_", width);
    prefix.length = width + 1;
    return prefix;
}
