// The strict transcoders accept exactly the well-formed texts and give them back unchanged on
// the way back; the lenient conversions round-trip whatever their code page can represent.
#include <cstdlib>
#include <string>

#include "foundation/encoding/charset_errors.h"
#include "foundation/encoding/code_pages.h"
#include "foundation/encoding/transcode.h"
#include "winapi/win32.h"

namespace {

// An independent reading of well-formed UTF-8: no overlong form, no surrogate, nothing above
// U+10FFFF.
bool IsWellFormedUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80   ? 1
                             : lead < 0xC2 ? 0
                             : lead < 0xE0 ? 2
                             : lead < 0xF0 ? 3
                             : lead < 0xF5 ? 4
                                           : 0;
        if (length == 0 || i + length > text.size())
            return false;
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        const std::uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < minimum[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

bool IsWellFormedUtf16(const std::u16string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)
                return false;
            ++i;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

template <typename T>
std::basic_string<CodeUnit<T>> Text(UString<T> text) {
    return std::basic_string<CodeUnit<T>>(text.begin(), text.end());
}

UString<UTF8> View(const std::string& text) {
    return UString<UTF8>(text.data(), text.data() + text.size());
}

void Require(bool condition) {
    if (!condition)
        std::abort();
}

void CheckUtf8(const std::string& text) {
    bool accepted = true;
    std::u16string wide;
    try {
        wide = Text<UTF16>(TranscodeU8ToU16(View(text)));
    } catch (const WindowsCharacterSetResult&) {
        accepted = false;
    }
    Require(accepted == IsWellFormedUtf8(text));
    if (!accepted)
        return;
    Require(Text<UTF8>(TranscodeU16ToU8(UString<UTF16>(reinterpret_cast<const WCHAR*>(wide.data()),
                                                       reinterpret_cast<const WCHAR*>(wide.data()) +
                                                           wide.size()))) == text);
    Require(Text<UTF8>(WideToUtf8(Utf8ToWide(View(text)))) == text);
}

void CheckUtf16(const std::u16string& text) {
    const UString<UTF16> view(reinterpret_cast<const WCHAR*>(text.data()),
                              reinterpret_cast<const WCHAR*>(text.data()) + text.size());
    bool accepted = true;
    std::string narrow;
    try {
        narrow = Text<UTF8>(TranscodeU16ToU8(view));
    } catch (const WindowsCharacterSetResult&) {
        accepted = false;
    }
    Require(accepted == IsWellFormedUtf16(text));
    if (accepted)
        Require(TranscodeU8ToU16(View(narrow)).Length() == text.size());
}

// Windows-1252 gives every byte a character; in the UTF-8 code page only well-formed text
// comes back as it went in.
void CheckAnsi(const std::string& text) {
    if (GetACP() == CP_UTF8 && !IsWellFormedUtf8(text))
        return;
    Require(Text<UTF8>(WideToAnsi(AnsiToWide(View(text)))) == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckUtf8(bytes);
    CheckAnsi(bytes);
    std::u16string units(size / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    CheckUtf16(units);
    return 0;
}
