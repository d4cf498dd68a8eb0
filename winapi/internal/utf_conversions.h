// UTF-8 to UTF-16 and back. Strict conversions stop at the first invalid input and return false;
// lenient ones put U+FFFD in its place.
#pragma once

#include <span>

#include "winapi/internal/code_unit_output.h"

namespace win32_layer {

// Each maximal ill-formed subpart of the input becomes one U+FFFD.
bool Utf8ToUtf16(std::span<const unsigned char> source, bool strict,
                 CodeUnitOutput<char16_t>& output);

// Each unpaired surrogate becomes one U+FFFD.
bool Utf16ToUtf8(std::span<const char16_t> source, bool strict, CodeUnitOutput<char>& output);

} // namespace win32_layer
