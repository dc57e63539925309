// The name of a copy: what a playlist entry's title or file name becomes so that Windows and
// every stick (NTFS, FAT32, exFAT) store it exactly as written and the playlist file names it
// byte for byte. A name Windows accepts already is left as it is.
//
// In the order they apply: look-alikes for the characters a name may not hold, spaces for
// control characters, "_" for what the ANSI playlist file cannot write, no trailing dot or
// space, the source's own base name for a name of nothing, "_" after a device name, and the
// lengths Windows takes, met by cutting the base alone.
#pragma once
#include <stddef.h>
#include <stdint.h>

// What Windows takes, in UTF-16 units.
const size_t MostNameLength = 255;    // a file or folder name
const size_t MostPathLength = 259;    // a whole destination: MAX_PATH less its terminator
const size_t MostFolderLength = 247;  // a folder the shell creates: MAX_PATH less 12

// How the run at hand names its copies.
struct NamingRules {
    // The playlist file is written in the ANSI code page ("playlist.m3u"): a character it
    // cannot write exactly becomes "_" in the copy's name, so the line names the copy.
    bool ansiPlaylist;
};
NamingRules NamingRulesForRun();  // from the options the dialog stored

// The part before the first dot, without trailing spaces, names a device (CON, PRN, AUX,
// NUL, COM0-COM9, LPT0-LPT9, COM and LPT with a superscript 1 to 3, CONIN$, CONOUT$), as
// Windows reads it whatever the case and whatever follows the dot.
bool IsDeviceName(const wchar_t* name, size_t length);

// The name of the parent folder kept under the target, from the source's folder `name` of
// `length` units. Returns its length in `out` (room for MostNameLength + 1 units), or 0 when
// the folder is not kept: it holds a character no folder name may hold, is nothing but dots
// and spaces, or is too long.
size_t MakeFolderName(const wchar_t* name, size_t length, const NamingRules& rules, wchar_t* out);

// The name of a folder the naming template makes, from `length` units of `text`: look-alikes,
// spaces for control characters and the ANSI rule as for every name, no spaces at its start,
// no dots or spaces at its end, and "_" after a device name, all within `most` units (at most
// MostNameLength). Returns its length in `out`, 0 when nothing is left: that level is left out.
size_t MakeTemplateFolderName(const wchar_t* text, size_t length, const NamingRules& rules,
                              size_t most, wchar_t* out);

// What a copy's file name is made of, as the options chose it.
struct FileNameParts {
    const wchar_t* prefix;  // the entry number, "07_"; kept whole
    size_t prefixLength;
    const wchar_t* base;  // the title or the source's base name; cut when the name is too long
    size_t baseLength;
    const wchar_t* ownBase;  // the source's base name, for a base that leaves nothing
    size_t ownBaseLength;
    const wchar_t* extension;  // the source's, from its last dot; kept whole
    size_t extensionLength;
    uint32_t copyNumber;  // 2 and up put " (n)" before the extension; 0 puts nothing
};

// The fewest units a file name of these parts takes: the number, " (n)" and the extension,
// which are never cut (one unit at least). Beyond MostNameLength when none fits.
size_t ShortestFileName(const FileNameParts& parts, const NamingRules& rules);

// Writes the file name, at most `most` units (no terminator), into `out`. Returns its
// length, or 0 when not even an empty base fits.
size_t MakeFileName(const FileNameParts& parts, const NamingRules& rules, size_t most, wchar_t* out);

// The "%0Nd_" format for the entry-number prefix and the prefix's length (0 when off).
struct NumberPrefix {
    wchar_t format[8];
    int length;
};
NumberPrefix MakeNumberPrefix(int count, bool numberFilenames);
