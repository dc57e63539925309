// Every box the module shows: a string by number, formatted bounded with its arguments,
// captioned with SharedCaption, owned and styled as the caller asks. A string added after
// language packs were made comes in the module's own text where a pack lacks it.
#pragma once
#include <windows.h>
#include <stdint.h>

// The cut of a box's text unless the caller asks for another, and the longest it may ask.
const uint32_t BoxTextCapacity = 512;
const uint32_t MostBoxTextCapacity = 2048;

// Shows string `number` as it stands; returns the button pressed.
int ShowBox(HWND owner, UINT style, uint32_t number);
// Shows string `number` formatted with the arguments and cut to `capacity` characters (at
// most MostBoxTextCapacity); returns the button pressed.
int ShowFormattedBox(HWND owner, UINT style, uint32_t number, uint32_t capacity, ...);

// The system's own words for `error`, in the user's language, without the line break they end
// with; empty when the system has none.
void FetchSystemReason(DWORD error, wchar_t* reason, uint32_t capacity);
// A box of the system's words for `error`, with an error icon.
int ShowSystemErrorBox(HWND owner, DWORD error);
