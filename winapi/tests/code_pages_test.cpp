#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "winapi/win32.h"

namespace {

constexpr UINT kWindows1252 = 1252;

struct Wide {
    std::u16string text;
    DWORD error = ERROR_SUCCESS;
};

struct Narrow {
    std::string text;
    DWORD error = ERROR_SUCCESS;
    BOOL usedDefault = FALSE;
};

// A size query, then the conversion into a buffer of exactly that size, as callers do.
Wide ToWide(UINT codePage, DWORD flags, std::string_view source) {
    SetLastError(ERROR_SUCCESS);
    const int size = MultiByteToWideChar(codePage, flags, source.data(),
                                         static_cast<int>(source.size()), nullptr, 0);
    if (size == 0) {
        return {u"", GetLastError()};
    }
    std::u16string text(static_cast<std::size_t>(size), u'\0');
    EXPECT_EQ(MultiByteToWideChar(codePage, flags, source.data(), static_cast<int>(source.size()),
                                  text.data(), size),
              size);
    return {text};
}

Narrow ToNarrow(UINT codePage, DWORD flags, std::u16string_view source,
                const char* defaultChar = nullptr, bool askUsedDefault = false) {
    SetLastError(ERROR_SUCCESS);
    Narrow result;
    BOOL* usedDefault = askUsedDefault ? &result.usedDefault : nullptr;
    const int size =
        WideCharToMultiByte(codePage, flags, source.data(), static_cast<int>(source.size()),
                            nullptr, 0, defaultChar, usedDefault);
    if (size == 0) {
        result.error = GetLastError();
        return result;
    }
    result.text.assign(static_cast<std::size_t>(size), '\0');
    EXPECT_EQ(WideCharToMultiByte(codePage, flags, source.data(), static_cast<int>(source.size()),
                                  result.text.data(), size, defaultChar, usedDefault),
              size);
    return result;
}

struct RoundTripCase {
    const char* name;
    std::string utf8;
    std::u16string utf16;
};

TEST(Utf8, ConvertsBothWaysAndBack) {
    const std::vector<RoundTripCase> cases = {
        {"ascii", "plain text", u"plain text"},
        {"two bytes",
         "Gr\xC3\xBC\xC3\x9F"
         "e",
         u"Gr\u00FC\u00DFe"},
        {"three bytes", "\xE2\x82\xAC \xE6\x97\xA5", u"\u20AC \u65E5"},
        {"four bytes", "\xF0\x9F\x98\x80", u"\U0001F600"},
        {"largest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        {"range edges", "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF",
         u"\u007F\u0080\u07FF\u0800\uD7FF\uE000\uFFFF"},
        {"embedded NUL", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        for (const DWORD strict : {DWORD{0}, MB_ERR_INVALID_CHARS}) {
            EXPECT_EQ(ToWide(CP_UTF8, strict, test.utf8).text, test.utf16);
        }
        for (const DWORD strict : {DWORD{0}, WC_ERR_INVALID_CHARS}) {
            EXPECT_EQ(ToNarrow(CP_UTF8, strict, test.utf16).text, test.utf8);
        }
    }
}

struct InvalidUtf8Case {
    const char* name;
    std::string bytes;
    std::u16string lenient;
};

TEST(Utf8, InvalidInputFailsStrictlyAndIsReplacedLeniently) {
    const std::u16string r = u"\uFFFD";
    const std::vector<InvalidUtf8Case> cases = {
        {"lone 0xFF", "\xFF", r},
        {"lone continuation", "\x80", r},
        {"overlong two bytes", "\xC0\xAF", r + r},
        {"overlong three bytes", "\xE0\x80\xAF", r + r + r},
        {"overlong four bytes", "\xF0\x80\x80\xAF", r + r + r + r},
        {"encoded surrogate", "\xED\xA0\x80", r + r + r},
        {"above U+10FFFF", "\xF4\x90\x80\x80", r + r + r + r},
        {"lead byte F5", "\xF5\x80\x80\x80", r + r + r + r},
        {"five-byte form", "\xF8\x88\x80\x80\x80", r + r + r + r + r},
        {"truncated at end", "a\xF0\x9F\x98", u"a" + r},
        {"truncated before ASCII",
         "\xE2\x82"
         "A",
         r + u"A"},
        {"lead before lead", "\xC3\xC3\xA9", r + u"\u00E9"},
        {"mixed subparts",
         "a\xF1\x80\x80\xE1\x80\xC2"
         "b\x80"
         "c\x80\xBF"
         "d",
         u"a" + r + r + r + u"b" + r + u"c" + r + r + u"d"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(ToWide(CP_UTF8, 0, test.bytes).text, test.lenient);
        EXPECT_EQ(ToWide(CP_UTF8, MB_ERR_INVALID_CHARS, test.bytes).error,
                  ERROR_NO_UNICODE_TRANSLATION);
        // Also when the caller skips the size query.
        WCHAR buffer[16];
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, test.bytes.data(),
                                      static_cast<int>(test.bytes.size()), buffer, 16),
                  0);
        EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
    }
}

struct InvalidUtf16Case {
    const char* name;
    std::u16string units;
    std::string lenient;
};

TEST(Utf8, UnpairedSurrogatesFailStrictlyAndAreReplacedLeniently) {
    const std::string r = "\xEF\xBF\xBD";
    const std::vector<InvalidUtf16Case> cases = {
        {"lone high", u"\xD800", r},
        {"lone low", u"\xDC00", r},
        {"high before ASCII",
         u"\xD83D"
         u"A",
         r + "A"},
        {"reversed pair", u"\xDE00\xD83D", r + r},
        {"high at end", u"a\xDBFF", "a" + r},
        {"two highs then low", u"\xD83D\xD83D\xDE00", r + "\xF0\x9F\x98\x80"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(ToNarrow(CP_UTF8, 0, test.units).text, test.lenient);
        EXPECT_EQ(ToNarrow(CP_UTF8, WC_ERR_INVALID_CHARS, test.units).error,
                  ERROR_NO_UNICODE_TRANSLATION);
    }
}

TEST(Utf8, LengthMinusOneIncludesTheTerminator) {
    WCHAR wide[8] = {u'x', u'x', u'x', u'x', u'x', u'x', u'x', u'x'};
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0,
                                  "Gr\xC3\xBC\xC3\x9F"
                                  "e",
                                  -1, nullptr, 0),
              6);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0,
                                  "Gr\xC3\xBC\xC3\x9F"
                                  "e",
                                  -1, wide, 8),
              6);
    EXPECT_EQ(std::u16string(wide, 6), std::u16string(u"Gr\u00FC\u00DFe\0", 6));
    EXPECT_EQ(wide[6], u'x');

    char narrow[8] = "xxxxxxx";
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u20AC!", -1, nullptr, 0, nullptr, nullptr), 5);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u20AC!", -1, narrow, 8, nullptr, nullptr), 5);
    EXPECT_EQ(std::string(narrow, 5), std::string("\xE2\x82\xAC!\0", 5));
}

TEST(Utf8, ExactBufferSucceedsAndOneLessFails) {
    const std::string utf8 = "\xE2\x82\xAC\xF0\x9F\x98\x80";
    const std::u16string utf16 = u"\u20AC\U0001F600";

    std::u16string wide(utf16.size(), u'\0');
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), 7, wide.data(), 3), 3);
    EXPECT_EQ(wide, utf16);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), 7, wide.data(), 2), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

    std::string narrow(utf8.size(), '\0');
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, utf16.data(), 3, narrow.data(), 7, nullptr, nullptr),
              7);
    EXPECT_EQ(narrow, utf8);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, utf16.data(), 3, narrow.data(), 6, nullptr, nullptr),
              0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

struct BadCallCase {
    const char* name;
    int (*call)();
    DWORD error;
};

TEST(CodePages, RejectsBadArguments) {
    static WCHAR wide[4];
    static char narrow[4];
    static const char defaultChar = '#';
    static BOOL usedDefault;
    const std::vector<BadCallCase> cases = {
        {"empty source", [] { return MultiByteToWideChar(CP_UTF8, 0, "a", 0, wide, 4); },
         ERROR_INVALID_PARAMETER},
        {"null source", [] { return MultiByteToWideChar(CP_UTF8, 0, nullptr, 3, wide, 4); },
         ERROR_INVALID_PARAMETER},
        {"length below -1", [] { return MultiByteToWideChar(CP_UTF8, 0, "a", -2, wide, 4); },
         ERROR_INVALID_PARAMETER},
        {"negative capacity", [] { return MultiByteToWideChar(CP_UTF8, 0, "a", 1, wide, -1); },
         ERROR_INVALID_PARAMETER},
        {"null destination", [] { return MultiByteToWideChar(CP_UTF8, 0, "a", 1, nullptr, 4); },
         ERROR_INVALID_PARAMETER},
        {"unknown code page", [] { return MultiByteToWideChar(437, 0, "a", 1, wide, 4); },
         ERROR_INVALID_PARAMETER},
        {"unknown flag", [] { return MultiByteToWideChar(CP_UTF8, 0x1, "a", 1, wide, 4); },
         ERROR_INVALID_FLAGS},
        {"wide flag on 1252",
         [] { return MultiByteToWideChar(kWindows1252, WC_ERR_INVALID_CHARS, "a", 1, wide, 4); },
         ERROR_INVALID_FLAGS},
        {"wide empty source",
         [] { return WideCharToMultiByte(CP_UTF8, 0, u"a", 0, narrow, 4, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"wide null source",
         [] { return WideCharToMultiByte(CP_UTF8, 0, nullptr, -1, narrow, 4, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"wide null destination",
         [] { return WideCharToMultiByte(CP_UTF8, 0, u"a", 1, nullptr, 4, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"wide unknown code page",
         [] { return WideCharToMultiByte(850, 0, u"a", 1, narrow, 4, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"default char for UTF-8",
         [] { return WideCharToMultiByte(CP_UTF8, 0, u"a", 1, narrow, 4, &defaultChar, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"used-default flag for UTF-8",
         [] { return WideCharToMultiByte(CP_UTF8, 0, u"a", 1, narrow, 4, nullptr, &usedDefault); },
         ERROR_INVALID_PARAMETER},
        {"wide unknown flag",
         [] { return WideCharToMultiByte(CP_UTF8, 0x400, u"a", 1, narrow, 4, nullptr, nullptr); },
         ERROR_INVALID_FLAGS},
        {"strict flag for 1252",
         [] {
             return WideCharToMultiByte(kWindows1252, WC_ERR_INVALID_CHARS, u"a", 1, narrow, 4,
                                        nullptr, nullptr);
         },
         ERROR_INVALID_FLAGS},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(test.call(), 0);
        EXPECT_EQ(GetLastError(), test.error);
    }
}

TEST(Windows1252, ConvertsLatinTextBothWays) {
    EXPECT_EQ(ToNarrow(kWindows1252, 0, u"Gr\u00FC\u00DFe").text, "\x47\x72\xFC\xDF\x65");
    EXPECT_EQ(ToWide(kWindows1252, 0, "\x47\x72\xFC\xDF\x65").text, u"Gr\u00FC\u00DFe");
    EXPECT_EQ(ToNarrow(kWindows1252, 0, u"\u20AC").text, "\x80");
    EXPECT_EQ(ToWide(kWindows1252, 0, "\x80").text, u"\u20AC");
}

TEST(Windows1252, MapsTheHighControlRange) {
    const std::vector<std::pair<unsigned char, char16_t>> cases = {
        {0x00, 0x0000}, {0x7F, 0x007F}, {0x80, 0x20AC}, {0x81, 0x0081},
        {0x82, 0x201A}, {0x8A, 0x0160}, {0x8D, 0x008D}, {0x8E, 0x017D},
        {0x8F, 0x008F}, {0x90, 0x0090}, {0x96, 0x2013}, {0x99, 0x2122},
        {0x9D, 0x009D}, {0x9F, 0x0178}, {0xA0, 0x00A0}, {0xFF, 0x00FF},
    };
    for (const auto& [byte, unit] : cases) {
        SCOPED_TRACE(static_cast<int>(byte));
        EXPECT_EQ(ToWide(kWindows1252, 0, std::string(1, static_cast<char>(byte))).text,
                  std::u16string(1, unit));
    }
}

TEST(Windows1252, EveryByteSurvivesARoundTrip) {
    std::string bytes;
    for (int byte = 0; byte < 256; ++byte) {
        bytes += static_cast<char>(byte);
    }
    const Wide wide = ToWide(kWindows1252, MB_ERR_INVALID_CHARS, bytes);
    ASSERT_EQ(wide.text.size(), 256u);
    const Narrow back = ToNarrow(kWindows1252, 0, wide.text, nullptr, true);
    EXPECT_EQ(back.text, bytes);
    EXPECT_EQ(back.usedDefault, FALSE);
}

struct MissingCharacterCase {
    const char* name;
    std::u16string text;
    const char* defaultChar;
    std::string expected;
};

TEST(Windows1252, MissingCharactersBecomeTheDefaultCharacter) {
    const std::vector<MissingCharacterCase> cases = {
        {"CJK", u"a\u65E5b", nullptr, "a?b"},
        {"given default", u"a\u65E5b", "#", "a#b"},
        {"C1 control that 0x80 does not hold", u"\u0080", nullptr, "?"},
        {"each unit of a surrogate pair", u"\U0001F600", nullptr, "??"},
        {"unpaired surrogate", u"\xD800x", nullptr, "?x"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        const Narrow result = ToNarrow(kWindows1252, 0, test.text, test.defaultChar, true);
        EXPECT_EQ(result.text, test.expected);
        EXPECT_EQ(result.usedDefault, TRUE);
    }
}

UINT ExpectedAnsiCodePage() {
    const char* setting = std::getenv("QUENDRA_LAYER_ANSI_CODE_PAGE");
    return setting != nullptr && std::strcmp(setting, "1252") == 0 ? kWindows1252 : CP_UTF8;
}

TEST(AnsiCodePage, FollowsTheEnvironment) {
    EXPECT_EQ(GetACP(), ExpectedAnsiCodePage());
    const std::u16string text = u"Gr\u00FC\u00DFe \u65E5";
    EXPECT_EQ(ToNarrow(CP_ACP, 0, text).text, ToNarrow(GetACP(), 0, text).text);
    const std::string bytes = "Gr\xFC\xDF"
                              "e";
    EXPECT_EQ(ToWide(CP_ACP, 0, bytes).text, ToWide(GetACP(), 0, bytes).text);
}

TEST(AnsiCodePage, Windows1252WhenSelected) {
    if (GetACP() != kWindows1252) {
        GTEST_SKIP() << "QUENDRA_LAYER_ANSI_CODE_PAGE is not 1252";
    }
    EXPECT_EQ(ToNarrow(CP_ACP, 0, u"Gr\u00FC\u00DFe").text, "\x47\x72\xFC\xDF\x65");
    EXPECT_EQ(ToNarrow(CP_ACP, 0, u"\u65E5").text, "?");
}

TEST(AnsiCodePage, Utf8ByDefault) {
    if (GetACP() != CP_UTF8) {
        GTEST_SKIP() << "QUENDRA_LAYER_ANSI_CODE_PAGE selects another code page";
    }
    EXPECT_EQ(ToWide(CP_ACP, 0, "\xFF").text, u"\uFFFD");
    EXPECT_EQ(ToNarrow(CP_ACP, 0, u"\u00FC").text, "\xC3\xBC");
}

} // namespace
