// What the device plays, and what becomes of the rest: with "Convert what the device cannot
// play to:" on and the player offering an encoder, a song whose extension is not among those
// "Plays:" lists is converted to the chosen format and gets that format's extension.
#pragma once
#include <stdint.h>
#include "plan/copy_plan.h"

// Sets the plan's format and extension when it converts; leaves them 0 and empty when not.
void ChooseConversion(CopyPlan* plan);
// Whether the device plays files of `path`'s extension, as "Plays:" lists them (separated by
// spaces, commas or semicolons, with or without a dot, in any case).
bool DevicePlays(const wchar_t* path);
// What a conversion of `path` takes, to weigh the room: its length at 320 kbit/s, or the
// source's size where that is smaller or the length is unknown.
uint64_t ConvertedSizeGuess(const wchar_t* path, uint64_t sourceSize);
