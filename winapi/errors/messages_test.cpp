#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "winapi/errors/declared_codes.h"
#include "winapi/errors/messages_for_test.h"
#include "winapi/testing/target_guards.h"
#include "winapi/testing/wide_string.h"
#include "winapi/win32.h"

// Names a code in a failure, rather than its bytes.
void PrintTo(const DeclaredCode& declared, std::ostream* out) {
    *out << declared.name << " (" << declared.code << ")";
}

namespace {

// The codes that Wine's message table lacks, though Windows has texts for them.
bool WineHasNoText(DWORD code) {
    for (const DWORD missing :
         {DWORD{ERROR_FILE_TOO_LARGE}, static_cast<DWORD>(NTE_BAD_DATA),
          static_cast<DWORD>(NTE_BAD_KEY_STATE), static_cast<DWORD>(NTE_BAD_KEYSET),
          static_cast<DWORD>(NTE_KEYSET_ENTRY_BAD), DWORD{WSAENOBUFS}, DWORD{WSAVERNOTSUPPORTED},
          DWORD{WSANOTINITIALISED}}) {
        if (code == missing) {
            return true;
        }
    }
    return false;
}

class SystemMessages : public testing::TestWithParam<DeclaredCode> {};

// The wording differs between targets and is never compared; callers rely on the shape.
TEST_P(SystemMessages, ExistInBothWidthsAndEndInCrLf) {
    const DWORD code = GetParam().code;
    if (WineHasNoText(code)) {
        SKIP_UNDER_WINE_BECAUSE("it has no text for this code");
    }
    const Message wide = FormatAllocated(kSystemAllocated, code);
    ASSERT_GT(wide.result, 2u);
    EXPECT_EQ(wide.text.substr(wide.text.size() - 2), WIDE("\r\n"));

    LPSTR narrow = nullptr;
    const DWORD length = FormatMessageA(kSystemAllocated, nullptr, code, 0,
                                        reinterpret_cast<LPSTR>(&narrow), 0, nullptr);
    ASSERT_GT(length, 2u);
    EXPECT_EQ(std::string(narrow + length - 2, narrow + length), "\r\n");
    LocalFree(narrow);
}

// Every code the layer's headers declare, as the build found them.
INSTANTIATE_TEST_SUITE_P(LayerCodes, SystemMessages, testing::ValuesIn(kDeclaredCodes),
                         [](const testing::TestParamInfo<DeclaredCode>& code) {
                             return std::string(code.param.name);
                         });

// The build finds codes of each form the headers declare: DWORD, HRESULT and WinSock int.
TEST(DeclaredCodes, IncludeEachFormAndNoSize) {
    std::set<std::string> names;
    for (const DeclaredCode& declared : kDeclaredCodes) {
        names.insert(declared.name);
    }
    for (const char* name : {"ERROR_INVALID_NAME", "NTE_BAD_KEYSET", "WSANOTINITIALISED"}) {
        EXPECT_EQ(names.count(name), 1u) << name;
    }
    EXPECT_EQ(names.count("WSADESCRIPTION_LEN"), 0u);
}

TEST(LayerMessages, AreAsciiLinesThatBothWidthsShare) {
    SKIP_ON_WINDOWS_BECAUSE("the texts are the layer's own; Windows words its own");
    for (const auto& [code, name] : kDeclaredCodes) {
        SCOPED_TRACE(name);
        const Message wide = FormatAllocated(kSystemAllocated, code);
        ASSERT_GT(wide.result, 2u);
        EXPECT_EQ(wide.text.find_first_of(WIDE("\r\n")), wide.text.size() - 2);

        LPSTR narrow = nullptr;
        ASSERT_EQ(FormatMessageA(kSystemAllocated, nullptr, code, 0,
                                 reinterpret_cast<LPSTR>(&narrow), 0, nullptr),
                  wide.result);
        EXPECT_EQ(WideString(narrow, narrow + wide.result), wide.text);
        for (DWORD i = 0; i < wide.result; ++i) {
            EXPECT_LT(static_cast<unsigned char>(narrow[i]), 0x80);
        }
        LocalFree(narrow);
    }
}

constexpr DWORD kIntoCallerBuffer = FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;

TEST(MessageLookup, CallerBufferNeedsRoomForTheTerminator) {
    const Message reference = FormatAllocated(kSystemAllocated, ERROR_ACCESS_DENIED);
    const DWORD length = reference.result;
    ASSERT_GT(length, 0u);
    WideString buffer(length + 1, WIDE('x'));

    EXPECT_EQ(FormatMessageW(kIntoCallerBuffer, nullptr, ERROR_ACCESS_DENIED, 0, buffer.data(),
                             length + 1, nullptr),
              length);
    EXPECT_EQ(buffer.substr(0, length), reference.text);
    EXPECT_EQ(buffer[length], WIDE('\0'));

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(FormatMessageW(kIntoCallerBuffer, nullptr, ERROR_ACCESS_DENIED, 0, buffer.data(),
                             length, nullptr),
              0u);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INSUFFICIENT_BUFFER});
}

// A null module is the program's own image, which carries no resources.
TEST(MessageLookup, AModuleWithoutResourcesLeavesItToTheSystem) {
    const Message system = FormatAllocated(kSystemAllocated, ERROR_FILE_NOT_FOUND);
    const Message fallback =
        FormatAllocated(kSystemAllocated | FORMAT_MESSAGE_FROM_HMODULE, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(fallback.result, system.result);
    EXPECT_EQ(fallback.text, system.text);

    const Message moduleOnly = FormatAllocated(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(moduleOnly.result, 0u);
    EXPECT_EQ(moduleOnly.error, DWORD{ERROR_RESOURCE_DATA_NOT_FOUND});
}

struct FailureCase {
    const char* name;
    DWORD flags;
    DWORD code;
    DWORD languageId;
    DWORD error;
};

void ExpectFailures(const std::vector<FailureCase>& cases) {
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        const Message message = FormatAllocated(test.flags, test.code, test.languageId);
        EXPECT_EQ(message.result, 0u);
        EXPECT_EQ(message.error, test.error);
    }
}

// Sesotho: a language that neither Windows nor Wine ships texts in by default.
constexpr DWORD kLanguageWithoutTexts = 0x0430;

TEST(MessageLookup, Failures) {
    ExpectFailures({
        {"unknown code", kSystemAllocated, 0x2A2A, 0, ERROR_MR_MID_NOT_FOUND},
        {"language without texts", kSystemAllocated, ERROR_ACCESS_DENIED, kLanguageWithoutTexts,
         ERROR_RESOURCE_LANG_NOT_FOUND},
        {"no source", FORMAT_MESSAGE_ALLOCATE_BUFFER, ERROR_ACCESS_DENIED, 0,
         ERROR_INVALID_PARAMETER},
    });
}

TEST(MessageLookup, OptionsNothingHereUsesAreRefused) {
    SKIP_ON_WINDOWS_BECAUSE("the layer serves only the options the system uses, and refuses "
                            "the rest rather than ignore them");
    ExpectFailures({
        {"line width", kSystemAllocated | 80, ERROR_ACCESS_DENIED, 0, ERROR_INVALID_PARAMETER},
        {"no line breaks", kSystemAllocated | FORMAT_MESSAGE_MAX_WIDTH_MASK, ERROR_ACCESS_DENIED, 0,
         ERROR_INVALID_PARAMETER},
        {"from string", kSystemAllocated | FORMAT_MESSAGE_FROM_STRING, ERROR_ACCESS_DENIED, 0,
         ERROR_INVALID_PARAMETER},
        {"argument array", kSystemAllocated | FORMAT_MESSAGE_ARGUMENT_ARRAY, ERROR_ACCESS_DENIED, 0,
         ERROR_INVALID_PARAMETER},
    });
}

TEST(MessageLookup, AcceptsUsEnglish) {
    const Message english = FormatAllocated(kSystemAllocated, ERROR_ACCESS_DENIED, 0x0409);
    EXPECT_GT(english.result, 0u);
    EXPECT_EQ(english.text, FormatAllocated(kSystemAllocated, ERROR_ACCESS_DENIED).text);
}

TEST(MessageLookup, RejectsAMissingBuffer) {
    for (const DWORD flags : {kSystemAllocated, DWORD{FORMAT_MESSAGE_FROM_SYSTEM}}) {
        SCOPED_TRACE(flags);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(FormatMessageW(flags, nullptr, ERROR_ACCESS_DENIED, 0, nullptr, 100, nullptr),
                  0u);
        EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
    }
}

} // namespace
