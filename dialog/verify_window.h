// The window the checking of the copies shows: "Checking 3 of 12: <copy>", a bar of the bytes
// read back, and Cancel. Its template (104) comes from the language pack where it has one.
#pragma once
#include "verify/verify_copies.h"

extern const VerifyView VerifyWindow;
