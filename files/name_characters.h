// The characters Windows refuses in a file or folder name, and the ends of a name it drops.
// Naming a copy, telling a file in the playlist file and looking a file up all ask here.
#pragma once
#include <stddef.h>

// What a name gets for a character it may not hold: " * / : < > ? \ | become ' + - - « » ¿ _ !.
// Every other character is its own look-alike.
constexpr wchar_t LookAlike(wchar_t ch)
{
    switch (ch) {
    case L'"': return L'\'';
    case L'*': return L'+';
    case L'/': return L'-';
    case L':': return L'-';
    case L'<': return 0x00AB;
    case L'>': return 0x00BB;
    case L'?': return 0x00BF;
    case L'\\': return L'_';
    case L'|': return L'!';
    default: return ch;
    }
}

constexpr bool IsControlCharacter(wchar_t ch) { return (ch >= 0x01 && ch <= 0x1F) || ch == 0x7F; }

// A character no name may hold, the separators included.
constexpr bool IsForbiddenInName(wchar_t ch)
{
    return LookAlike(ch) != ch || IsControlCharacter(ch);
}

// The forbidden characters a file lookup reads as a pattern.
constexpr bool IsWildcard(wchar_t ch)
{
    return ch == L'*' || ch == L'?' || ch == L'<' || ch == L'>' || ch == L'"';
}

// The length of `name` without its trailing dots and spaces, which Windows drops: a name
// written with them would not be the one stored.
inline size_t WithoutTrailingDotsAndSpaces(const wchar_t* name, size_t length)
{
    while (length > 0 && (name[length - 1] == L'.' || name[length - 1] == L' '))
        --length;
    return length;
}
