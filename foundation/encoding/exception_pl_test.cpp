#include "foundation/encoding/exception_pl.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "foundation/testing/texts.h"
#include "winapi/win32.h"

namespace {

constexpr UINT kWindows1252 = 1252;

TEST(ExceptionPLTest, CarriesItsMessageInBothTexts) {
    const ExceptionPL error("Unable to gather OSVERSIONINFOEX");
    EXPECT_EQ(Text(error.Message()), "Unable to gather OSVERSIONINFOEX");
    EXPECT_STREQ(error.what(), "Unable to gather OSVERSIONINFOEX");
}

TEST(ExceptionPLTest, AnEmptyMessageFallsBackToTheClassName) {
    EXPECT_EQ(Text(ExceptionPL("").Message()), "class ExceptionPL");
    EXPECT_EQ(Text(ExceptionPL(nullptr).Message()), "class ExceptionPL");
    EXPECT_STREQ(ExceptionPL(nullptr).what(), "class ExceptionPL");
    const CopiedStdException copied{std::runtime_error("")};
    EXPECT_EQ(Text(copied.Message()), "class CopiedStdException");
    EXPECT_STREQ(copied.what(), "class CopiedStdException");
}

TEST(ExceptionPLTest, ConvertsBetweenTheAnsiCodePageAndUtf8) {
    const std::string utf8 = "Gr\xC3\xBC\xC3\x9F"
                             "e";
    std::string ansi;
    if (GetACP() == kWindows1252)
        ansi = "Gr\xFC\xDF"
               "e";
    else if (GetACP() == CP_UTF8)
        ansi = utf8;
    else
        GTEST_SKIP() << "ANSI code page " << GetACP() << " is neither 1252 nor UTF-8";
    const ExceptionPL error(ansi.c_str());
    EXPECT_EQ(Text(error.Message()), utf8);
    EXPECT_EQ(std::string(error.what()), ansi);
}

TEST(ExceptionPLTest, ACopyKeepsTheMessageAndMakesItsOwnNarrowText) {
    const ExceptionPL original("disk full");
    const char* originalText = original.what();
    const ExceptionPL copy(original);
    EXPECT_EQ(Text(copy.Message()), "disk full");
    EXPECT_NE(copy.what(), originalText);
    EXPECT_STREQ(copy.what(), "disk full");
    EXPECT_STREQ(originalText, "disk full");
}

// Its message is longer than the converters can count, so no ANSI text can be made of it.
class UnconvertibleMessage : public ExceptionPL {
public:
    UnconvertibleMessage() : ExceptionPL("unused") {}
    UString<UTF8> Message() const noexcept override {
        const auto* end = reinterpret_cast<const char*>(reinterpret_cast<std::uintptr_t>(&first_) +
                                                        (std::uint64_t{1} << 31));
        return UString<UTF8>(&first_, end);
    }

private:
    char first_ = 'a';
};

TEST(ExceptionPLTest, WhatFallsBackToTheClassNameWhenTheConversionFails) {
    const UnconvertibleMessage error;
    const std::string text = error.what();
    EXPECT_TRUE(text.starts_with("class ")) << text;
    EXPECT_NE(text.find("UnconvertibleMessage"), std::string::npos) << text;
}

TEST(CopiedStdExceptionTest, TakesTheWhatTextOfTheStandardException) {
    try {
        throw CopiedStdException(std::out_of_range("index 7 is past the end"));
    } catch (const ExceptionPL& error) {
        EXPECT_EQ(Text(error.Message()), "index 7 is past the end");
        EXPECT_STREQ(error.what(), "index 7 is past the end");
    }
}

} // namespace
