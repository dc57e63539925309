// The window the conversions show: "Converting 3 of 12: <title>", a bar of the percent, the
// files done, and Cancel. Its template (103) comes from the language pack where it has one.
#pragma once
#include "convert/conversions.h"

extern const ConversionView ConversionWindow;
