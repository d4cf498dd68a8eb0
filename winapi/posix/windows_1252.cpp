#include "winapi/posix/windows_1252.h"

#include <algorithm>
#include <iterator>

namespace win32_layer {
namespace {

// 0x80-0x9F; the five bytes the code page leaves undefined keep their C1 control characters.
constexpr char16_t kHighControlRange[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

void Windows1252ToUtf16(std::span<const unsigned char> source, CodeUnitOutput<char16_t>& output) {
    for (const unsigned char byte : source) {
        output.Put(byte >= 0x80 && byte < 0xA0 ? kHighControlRange[byte - 0x80] : byte);
    }
}

bool Utf16ToWindows1252(std::span<const char16_t> source, char defaultChar,
                        CodeUnitOutput<char>& output) {
    bool usedDefault = false;
    for (std::size_t i = 0; i < source.size(); ++i) {
        const char16_t unit = source[i];
        if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
            output.Put(static_cast<char>(unit));
            continue;
        }
        const auto* found =
            std::find(std::begin(kHighControlRange), std::end(kHighControlRange), unit);
        if (found != std::end(kHighControlRange)) {
            output.Put(static_cast<char>(0x80 + (found - std::begin(kHighControlRange))));
            continue;
        }
        // A surrogate pair is one character and takes one default character.
        if (IsHighSurrogate(unit) && i + 1 < source.size() && IsLowSurrogate(source[i + 1])) {
            ++i;
        }
        output.Put(defaultChar);
        usedDefault = true;
    }
    return usedDefault;
}

} // namespace win32_layer
