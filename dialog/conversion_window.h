// The window the conversions show: "Converting 3 of 12: <title>", a bar of the percent, the
// files done, and Cancel. Its template (103) comes from the language pack where it has one.
#pragma once
#include "convert/conversions.h"

// False when no window could be made.
bool OpenConversionWindow(ConversionWork* work);
// Shows the conversion about to start: its number among the count, and its title.
void ShowConversion(ConversionWork* work, const wchar_t* title);
// Takes the thread's messages until the conversion has ended, the user cancelled (unless the
// player was told to stop it already), or the player gave no sign of it for `limit`
// milliseconds.
void AwaitConversion(ConversionWork* work, DWORD limit);
void CloseConversionWindow(ConversionWork* work);
