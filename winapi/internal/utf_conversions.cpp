#include "winapi/internal/utf_conversions.h"

#include <cstddef>

namespace win32_layer {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct Decoded {
    bool valid;
    char32_t codePoint;
    std::size_t length; // units taken, also for an ill-formed subpart
};

// Follows the table of well-formed byte sequences: the lead byte fixes the count of continuation
// bytes and the range of the first one, which rules out overlong forms, surrogates and values
// above U+10FFFF. An invalid lead byte is a subpart of its own; a sequence that breaks off takes
// the bytes read so far.
Decoded DecodeUtf8(std::span<const unsigned char> source) {
    const unsigned char lead = source[0];
    if (lead < 0x80) {
        return {true, lead, 1};
    }
    std::size_t continuations;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    char32_t codePoint;
    if (lead >= 0xC2 && lead <= 0xDF) {
        continuations = 1;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        continuations = 2;
        codePoint = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        continuations = 3;
        codePoint = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {false, 0, 1};
    }
    std::size_t length = 1;
    for (std::size_t i = 0; i < continuations; ++i) {
        if (length == source.size() || source[length] < low || source[length] > high) {
            return {false, 0, length};
        }
        codePoint = codePoint << 6 | (source[length] & 0x3F);
        ++length;
        low = 0x80;
        high = 0xBF;
    }
    return {true, codePoint, length};
}

bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

Decoded DecodeUtf16(std::span<const char16_t> source) {
    const char32_t first = source[0];
    if (IsHighSurrogate(first)) {
        if (source.size() > 1 && IsLowSurrogate(source[1])) {
            return {true, 0x10000 + ((first - 0xD800) << 10) + (source[1] - 0xDC00), 2};
        }
        return {false, 0, 1};
    }
    return {!IsLowSurrogate(first), first, 1};
}

void PutUtf16(char32_t codePoint, CodeUnitOutput<char16_t>& output) {
    if (codePoint < 0x10000) {
        output.Put(static_cast<char16_t>(codePoint));
    } else {
        codePoint -= 0x10000;
        output.Put(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
        output.Put(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
    }
}

void PutUtf8(char32_t codePoint, CodeUnitOutput<char>& output) {
    const auto put = [&output](char32_t byte) { output.Put(static_cast<char>(byte)); };
    if (codePoint < 0x80) {
        put(codePoint);
    } else if (codePoint < 0x800) {
        put(0xC0 | codePoint >> 6);
        put(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        put(0xE0 | codePoint >> 12);
        put(0x80 | (codePoint >> 6 & 0x3F));
        put(0x80 | (codePoint & 0x3F));
    } else {
        put(0xF0 | codePoint >> 18);
        put(0x80 | (codePoint >> 12 & 0x3F));
        put(0x80 | (codePoint >> 6 & 0x3F));
        put(0x80 | (codePoint & 0x3F));
    }
}

template <class SourceUnit, class Decode, class Put>
bool Convert(std::span<const SourceUnit> source, bool strict, Decode decode, Put put) {
    while (!source.empty()) {
        const Decoded decoded = decode(source);
        if (!decoded.valid && strict) {
            return false;
        }
        put(decoded.valid ? decoded.codePoint : kReplacement);
        source = source.subspan(decoded.length);
    }
    return true;
}

} // namespace

bool Utf8ToUtf16(std::span<const unsigned char> source, bool strict,
                 CodeUnitOutput<char16_t>& output) {
    return Convert(source, strict, DecodeUtf8,
                   [&output](char32_t codePoint) { PutUtf16(codePoint, output); });
}

bool Utf16ToUtf8(std::span<const char16_t> source, bool strict, CodeUnitOutput<char>& output) {
    return Convert(source, strict, DecodeUtf16,
                   [&output](char32_t codePoint) { PutUtf8(codePoint, output); });
}

} // namespace win32_layer
