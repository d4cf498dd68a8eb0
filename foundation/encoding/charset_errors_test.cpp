#include "foundation/encoding/charset_errors.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/encoding/icu_error_name.h"
#include "foundation/encoding/windows_error.h"
#include "foundation/testing/texts.h"

namespace {

constexpr DWORD kUnknownCode = 0x2FFF0001;

TEST(ICUResultTest, DescribesCodeNameAndFunction) {
    struct Case {
        std::int32_t code;
        std::string function;
        std::string suffix;
    };
    const std::vector<Case> cases = {
        {1, "ucasemap_utf8ToLower", " in ucasemap_utf8ToLower"},
        {15, "ucasemap_open", " in ucasemap_open"},
        {1, "", ""},
    };
    for (const Case& c : cases) {
        const ICUResult error(c.function, c.code);
        const std::string expected =
            "UErrorCode=" + std::to_string(c.code) + " [" + IcuErrorName(c.code) + "]" + c.suffix;
        EXPECT_EQ(error.Describe(), expected);
        EXPECT_EQ(std::string(error.what()), expected);
        EXPECT_EQ(error.CodeName(), IcuErrorName(c.code));
    }
}

TEST(ICUResultTest, WarningsAndZeroCountAsSuccess) {
    struct Case {
        std::int32_t code;
        bool succeeded;
    };
    for (const Case& c : {Case{-127, true}, Case{0, true}, Case{1, false}, Case{15, false}}) {
        EXPECT_EQ(ICUResult("f", c.code).Succeeded(), c.succeeded) << c.code;
        EXPECT_EQ(CharacterSetResult("f", c.code, "", "").Succeeded(), c.succeeded) << c.code;
        EXPECT_EQ(ICUResult("f", c.code).Code(), c.code);
    }
}

TEST(CharacterSetResultTest, ContextAndDetailTakePartOnlyWhenPresent) {
    struct Case {
        std::string context;
        std::string detail;
        std::string prefix;
        std::string suffix;
    };
    const std::vector<Case> cases = {
        {"", "", "CharacterSetResult: ", ""},
        {"option name", "", "CharacterSetResult: option name: ", ""},
        {"", "\xC3\x28", "CharacterSetResult: ", " [\"\xC3\x28\"]"},
        {"path", "x", "CharacterSetResult: path: ", " [\"x\"]"},
    };
    for (const Case& c : cases) {
        const CharacterSetResult error("ucasemap_utf8ToLower", 1, c.context, c.detail);
        EXPECT_EQ(error.Describe(),
                  c.prefix + ICUResult("ucasemap_utf8ToLower", 1).Describe() + c.suffix);
    }
}

TEST(WindowsCharacterSetResultTest, LooksOnlyAtTheWindowsCode) {
    const WindowsCharacterSetResult failed(1113, "TranscodeU8ToU16");
    EXPECT_FALSE(failed.Succeeded());
    EXPECT_EQ(failed.Code(), 1113);
    EXPECT_TRUE(WindowsCharacterSetResult(0, "TranscodeU8ToU16").Succeeded());
}

TEST(WindowsCharacterSetResultTest, NamesTheCodeWithTheSystemMessageWithoutItsLineBreak) {
    const WindowsCharacterSetResult error(1113, "TranscodeU8ToU16");
    const std::string name = error.CodeName();
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(name.find("\r\n"), std::string::npos) << name;
    // The English system text is ASCII, so the ANSI and the UTF-8 forms agree.
    EXPECT_EQ(name, Text(SystemMessageText(Windows::Error(1113, nullptr), 0, nullptr)));
    EXPECT_EQ(error.Describe(),
              "WindowsCharacterSetResult: Error 1113 (" + name + ") in TranscodeU8ToU16");
}

// The system's own messages end in their only line break, so the cut is shown on chosen texts.
TEST(CutAtLastLineBreakTest, CutsAtTheLastCrLfOnly) {
    struct Case {
        std::string message;
        std::string name;
    };
    for (const Case& c :
         {Case{"One line.\r\n", "One line."},
          Case{"First line.\r\nSecond line.\r\n", "First line.\r\nSecond line."},
          Case{"Kept\r\ncut", "Kept"}, Case{"No line break", "No line break"}, Case{"\r\n", ""},
          Case{"", ""}, Case{"LF\n", "LF\n"}, Case{"CR\r", "CR\r"}}) {
        EXPECT_EQ(CutAtLastLineBreak(c.message), c.name) << c.message;
    }
}

TEST(WindowsCharacterSetResultTest, UnknownCodeHasAnEmptyNameAndNullFunctionIsOmitted) {
    const WindowsCharacterSetResult error(kUnknownCode, nullptr);
    EXPECT_EQ(error.CodeName(), "");
    EXPECT_EQ(error.FunctionName(), "");
    EXPECT_EQ(error.Describe(),
              "WindowsCharacterSetResult: Error " + std::to_string(kUnknownCode) + " ()");
}

TEST(CharacterSetErrorTextsTest, WhatIsStableAndMessageCoversItWithoutTheNul) {
    const WindowsCharacterSetResult windows(kUnknownCode, "TranscodeU16ToU8");
    const CharacterSetResult charset("f", 1, "c", "d");
    const ICUResult icu("f", 1);
    for (const ICUResult* error :
         {static_cast<const ICUResult*>(&windows), static_cast<const ICUResult*>(&charset), &icu}) {
        const std::string first = error->what();
        EXPECT_EQ(std::string(error->what()), first);
        EXPECT_EQ(first, error->Describe());
        // Each what() replaces the text that the previous one returned.
        const UString<UTF8> message = error->Message();
        EXPECT_EQ(Text(message), first);
        EXPECT_EQ(message.end()[0], '\0');
    }
}

TEST(CharacterSetErrorTextsTest, ACopyKeepsFieldsAndTexts) {
    const WindowsCharacterSetResult original(1113, "TranscodeU8ToU16");
    const std::string text = original.what();
    const WindowsCharacterSetResult copy(original);
    EXPECT_EQ(copy.Code(), 1113);
    EXPECT_EQ(copy.FunctionName(), "TranscodeU8ToU16");
    EXPECT_EQ(std::string(copy.what()), text);
}

class FailingDescription : public ICUResult {
public:
    FailingDescription() : ICUResult("f", 1) {}
    std::string Describe() const override { throw std::runtime_error("no description"); }
};

TEST(CharacterSetErrorTextsTest, AFailingDescriptionYieldsTheClassName) {
    const FailingDescription error;
    const std::string text = error.what();
    EXPECT_TRUE(text.starts_with("class ")) << text;
    EXPECT_NE(text.find("FailingDescription"), std::string::npos) << text;
    EXPECT_EQ(Text(error.Message()), text);
}

} // namespace
