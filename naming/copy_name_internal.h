// For the tests of the names of copies.
#pragma once

// Decimal digits of the entry count (at least 1).
int NumberWidth(int count);
