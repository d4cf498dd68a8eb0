// The C runtime's parsers of numbers in wide text, which the Linux C library offers only for its
// own 32-bit wchar_t. Both read as in the "C" locale.
#pragma once

// First, so that the standard library's own use of wcstod names only the C library's: members
// added to a namespace after a using-declaration are not part of it.
#include <cwchar>

#include "winapi/base/types.h"

// Leading white space, an optional sign, then ASCII decimal digits up to the first other
// character (the Windows C runtime also reads the decimal digits of other scripts); 0 without a
// digit. A value beyond int saturates to INT_MAX or INT_MIN.
int _wtoi(const WCHAR* text);

// Leading white space, then the longest prefix that strtod reads (decimal and hexadecimal forms,
// infinities and NaN); 0 with `end` at `text` when there is none. `end` may be null.
double wcstod(const WCHAR* text, WCHAR** end);
