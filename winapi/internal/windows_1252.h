// Windows-1252: Latin-1 with printable characters in most of 0x80-0x9F.
#pragma once

#include <span>

#include "winapi/internal/code_unit_output.h"

namespace win32_layer {

inline constexpr unsigned kWindows1252 = 1252;

// Every byte has a character, so this conversion cannot fail.
void Windows1252ToUtf16(std::span<const unsigned char> source, CodeUnitOutput<char16_t>& output);

// Each unit outside the code page becomes the default character, as Windows' unit-by-unit tables
// have it: a surrogate pair takes two. No best-fit letters. Returns whether the default was used.
bool Utf16ToWindows1252(std::span<const char16_t> source, char defaultChar,
                        CodeUnitOutput<char>& output);

} // namespace win32_layer
