#include "winapi/internal/windows_1252.h"

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

} // namespace

void Windows1252ToUtf16(std::span<const unsigned char> source, CodeUnitOutput<char16_t>& output) {
    for (const unsigned char byte : source) {
        output.Put(byte >= 0x80 && byte < 0xA0 ? kHighControlRange[byte - 0x80] : byte);
    }
}

bool Utf16ToWindows1252(std::span<const char16_t> source, char defaultChar,
                        CodeUnitOutput<char>& output) {
    bool usedDefault = false;
    for (const char16_t unit : source) {
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
        output.Put(defaultChar);
        usedDefault = true;
    }
    return usedDefault;
}

} // namespace win32_layer
