#include "foundation/encoding/windows_error.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "foundation/encoding/code_pages.h"
#include "foundation/testing/texts.h"

namespace {

// None of the Windows, Wine and Linux-layer message tables knows it.
constexpr DWORD kUnknownCode = 0x2FFF0001;

std::string Hex(DWORD code) {
    constexpr char kDigits[] = "0123456789abcdef";
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[code % 16]);
        code /= 16;
    } while (code != 0);
    return digits;
}

// The system's own text for the code, fetched without the code under test.
std::string FormatMessageText(DWORD code) {
    WCHAR buffer[1024];
    const DWORD count =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                       buffer, sizeof(buffer) / sizeof(buffer[0]), nullptr);
    std::string text = Text(WideToUtf8(UString<UTF16>(buffer, buffer + count)));
    const char* space = "\t\n\r ";
    text.erase(text.find_last_not_of(space) + 1);
    text.erase(0, text.find_first_not_of(space));
    return text;
}

TEST(SystemMessageTextTest, IsTheSystemsTextWithoutSurroundingWhiteSpace) {
    for (const DWORD code : {DWORD{2}, DWORD{5}, DWORD{87}, DWORD{1113}}) {
        const std::string text = Text(SystemMessageText(Windows::Error(code, nullptr), 0, nullptr));
        ASSERT_FALSE(text.empty()) << code;
        EXPECT_EQ(text, FormatMessageText(code));
        EXPECT_EQ(text.find("\r\n"), std::string::npos) << text;
        EXPECT_EQ(std::strchr("\t\n\r ", text.back()), nullptr) << text;
        EXPECT_EQ(std::strchr("\t\n\r ", text.front()), nullptr) << text;
    }
}

TEST(SystemMessageTextTest, UnknownCodeGivesTheHexadecimalCode) {
    EXPECT_EQ(Text(SystemMessageText(Windows::Error(kUnknownCode, nullptr), 0, nullptr)),
              "unknown error 0x2fff0001");
}

TEST(WindowsErrorTest, MessageIsComposedOnceAndEndsWithACountedNul) {
    for (const DWORD code : {DWORD{2}, DWORD{5}, DWORD{255}, kUnknownCode}) {
        const Windows::Error error(code, nullptr);
        const UString<UTF8> message = error.Message();
        const std::string expected =
            "Windows Error 0x" + Hex(code) + ": " +
            Text(SystemMessageText(Windows::Error(code, nullptr), 0, nullptr));
        EXPECT_EQ(Text(message), expected + '\0');
        const UString<UTF8> again = error.Message();
        EXPECT_EQ(again.begin(), message.begin());
        EXPECT_EQ(again.end(), message.end());
    }
}

TEST(WindowsErrorTest, MessageShowsTheCodeInLowerCaseHexWithoutLeadingZeros) {
    EXPECT_TRUE(Text(Windows::Error(5, nullptr).Message()).starts_with("Windows Error 0x5: "));
    EXPECT_TRUE(Text(Windows::Error(255, nullptr).Message()).starts_with("Windows Error 0xff: "));
    EXPECT_EQ(Text(Windows::Error(kUnknownCode, nullptr).Message()),
              std::string("Windows Error 0x2fff0001: unknown error 0x2fff0001") + '\0');
}

TEST(WindowsErrorTest, WhatIsTheMessageInTheAnsiCodePageAndCached) {
    const Windows::Error error(5, nullptr);
    const DebuggableException& root = error;
    const char* text = root.what();
    const UString<UTF8> message = error.Message();
    EXPECT_EQ(Text(WideToAnsi(Utf8ToWide(message))), std::string(text, message.Length()));
    EXPECT_EQ(std::strlen(text), message.Length() - 1);
    EXPECT_EQ(root.what(), text);
}

// Answers Message with a text of the test's choosing, as a composed message (with its counted
// NUL) or as the class-name fallback (without it) would.
class ChosenMessageError : public Windows::Error {
public:
    ChosenMessageError() : Windows::Error(5, nullptr) {}
    UString<UTF8> Message() const noexcept override { return View(message); }
    std::string message;
};

TEST(WindowsErrorTest, WhatConvertsTheMessageToTheAnsiCodePage) {
    constexpr UINT kWindows1252 = 1252;
    if (GetACP() != kWindows1252 && GetACP() != CP_UTF8)
        GTEST_SKIP() << "ANSI code page " << GetACP() << " is neither 1252 nor UTF-8";
    const std::string utf8 = "Gr\xC3\xBC\xC3\x9F"
                             "e";
    const std::string ansi = GetACP() == kWindows1252 ? "Gr\xFC\xDF"
                                                        "e"
                                                      : utf8;
    ChosenMessageError error;
    error.message = utf8 + '\0';
    EXPECT_EQ(std::string(error.what()), ansi);
}

// Callers keep the pointer, so what() converts once, also beyond the 64 bytes that the cache
// holds inline.
TEST(WindowsErrorTest, WhatIsConvertedOnceAndItsTextStaysInPlace) {
    for (const std::size_t length : {std::size_t{10}, std::size_t{100}}) {
        ChosenMessageError error;
        error.message = std::string(length, 'a') + '\0';
        const char* first = error.what();
        error.message = std::string(length, 'b') + '\0';
        EXPECT_EQ(error.what(), first) << length;
        EXPECT_EQ(std::string(first), std::string(length, 'a')) << length;
    }
}

TEST(WindowsErrorTest, WhatOfAFallenBackMessageIsTheClassNameAndIsNotCached) {
    ChosenMessageError error;
    error.message = "class Windows::Error";
    const std::string fallback = error.what();
    EXPECT_TRUE(fallback.starts_with("class ")) << fallback;
    EXPECT_NE(fallback.find("ChosenMessageError"), std::string::npos) << fallback;
    error.message = std::string("composed") + '\0';
    EXPECT_STREQ(error.what(), "composed");
}

TEST(WindowsErrorTest, ACopyComposesItsTextsAnew) {
    const Windows::Error original(2, nullptr);
    const std::string message = Text(original.Message());
    const std::string what = original.what();
    const Windows::Error copy(original);
    EXPECT_EQ(copy.Code(), 2u);
    EXPECT_NE(copy.Message().begin(), original.Message().begin());
    EXPECT_EQ(Text(copy.Message()), message);
    EXPECT_NE(copy.what(), original.what());
    EXPECT_EQ(std::string(copy.what()), what);
}

TEST(WindowsErrorTextTest, IsTheErrorTextWithoutNul) {
    for (const DWORD code : {DWORD{2}, kUnknownCode}) {
        const std::string text = Text(WindowsErrorText(code));
        EXPECT_EQ(text + '\0', Text(Windows::Error(code, nullptr).Message()));
        EXPECT_TRUE(text.starts_with("Windows Error 0x" + Hex(code) + ": ")) << text;
    }
}

struct GuardCase {
    const char* name;
    DWORD lastError;
    std::function<void()> guard;
    bool throws;
    DWORD code;
};

TEST(WindowsErrorGuardsTest, ThrowExactlyForFailures) {
    const std::vector<GuardCase> cases = {
        {"CheckWin32 TRUE with an error set", 5, [] { CheckWin32(TRUE); }, false, 0},
        {"CheckWin32 FALSE", 5, [] { CheckWin32(FALSE); }, true, 5},
        {"CheckWin32 FALSE without error", 0, [] { CheckWin32(FALSE); }, true, 1359},
        {"ThrowWindowsError 0", 5, [] { ThrowWindowsError(0); }, false, 0},
        {"ThrowWindowsError 5", 0, [] { ThrowWindowsError(5); }, true, 5},
        {"ThrowLastError without error", 0, [] { ThrowLastError(); }, false, 0},
        {"ThrowLastError", 6, [] { ThrowLastError(); }, true, 6},
        {"ThrowFailedCall", 8, [] { ThrowFailedCall(); }, true, 8},
        {"ThrowFailedCall without error", 0, [] { ThrowFailedCall(); }, true, 1359},
    };
    for (const GuardCase& c : cases) {
        SetLastError(c.lastError);
        try {
            c.guard();
            EXPECT_FALSE(c.throws) << c.name;
        } catch (const Windows::Error& error) {
            EXPECT_TRUE(c.throws) << c.name;
            EXPECT_EQ(error.Code(), c.code) << c.name;
            EXPECT_EQ(error.Module(), nullptr) << c.name;
        }
    }
}

TEST(WindowsErrorGuardsTest, TheModuleTravelsWithTheError) {
    const auto module = reinterpret_cast<HMODULE>(0x1000);
    try {
        SetLastError(ERROR_ACCESS_DENIED);
        CheckWin32(FALSE, module);
        FAIL() << "no error";
    } catch (const Windows::Error& error) {
        EXPECT_EQ(error.Module(), module);
    }
}

TEST(WindowsErrorGuardsTest, TheErrorIsCaughtThroughTheRoot) {
    EXPECT_THROW(ThrowWindowsError(5), DebuggableException);
    EXPECT_THROW(ThrowWindowsError(5), std::exception);
    EXPECT_THROW(ThrowWindowsError(5), WindowsPlatform::ExceptionDebuggingInfo);
}

} // namespace
