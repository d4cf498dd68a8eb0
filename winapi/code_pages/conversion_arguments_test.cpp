#include <gtest/gtest.h>

#include <vector>

#include "winapi/code_pages/conversions_for_test.h"
#include "winapi/testing/target_guards.h"
#include "winapi/win32.h"

namespace {

WCHAR wide[4];
char narrow[4];
const char defaultChar = '#';
BOOL usedDefault;

struct BadCallCase {
    const char* name;
    int (*call)();
    DWORD error;
};

void ExpectRefused(const std::vector<BadCallCase>& cases) {
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(test.call(), 0);
        EXPECT_EQ(GetLastError(), test.error);
    }
}

TEST(ConversionArguments, BadOnesAreRefused) {
    ExpectRefused({
        {"empty source", [] { return MultiByteToWideChar(CP_UTF8, 0, "a", 0, wide, 4); },
         ERROR_INVALID_PARAMETER},
        {"null source", [] { return MultiByteToWideChar(CP_UTF8, 0, nullptr, 3, wide, 4); },
         ERROR_INVALID_PARAMETER},
        {"negative capacity", [] { return MultiByteToWideChar(CP_UTF8, 0, "a", 1, wide, -1); },
         ERROR_INVALID_PARAMETER},
        {"null destination", [] { return MultiByteToWideChar(CP_UTF8, 0, "a", 1, nullptr, 4); },
         ERROR_INVALID_PARAMETER},
        {"wide flag on 1252",
         [] { return MultiByteToWideChar(kWindows1252, WC_ERR_INVALID_CHARS, "a", 1, wide, 4); },
         ERROR_INVALID_FLAGS},
        {"wide empty source",
         [] { return WideCharToMultiByte(CP_UTF8, 0, WIDE("a"), 0, narrow, 4, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"wide null source",
         [] { return WideCharToMultiByte(CP_UTF8, 0, nullptr, -1, narrow, 4, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"wide null destination",
         [] { return WideCharToMultiByte(CP_UTF8, 0, WIDE("a"), 1, nullptr, 4, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
    });
}

TEST(ConversionArguments, FlagsAndDefaultsDocumentedAsRefused) {
    SKIP_UNDER_WINE_BECAUSE("it accepts these flags and default-character pointers, which Windows "
                            "documents as refused for these code pages");
    ExpectRefused({
        {"precomposed flag for UTF-8",
         [] { return MultiByteToWideChar(CP_UTF8, 0x1, "a", 1, wide, 4); }, ERROR_INVALID_FLAGS},
        {"default char for UTF-8",
         [] {
             return WideCharToMultiByte(CP_UTF8, 0, WIDE("a"), 1, narrow, 4, &defaultChar, nullptr);
         },
         ERROR_INVALID_PARAMETER},
        {"used-default flag for UTF-8",
         [] {
             return WideCharToMultiByte(CP_UTF8, 0, WIDE("a"), 1, narrow, 4, nullptr, &usedDefault);
         },
         ERROR_INVALID_PARAMETER},
        {"no-best-fit flag for UTF-8",
         [] {
             return WideCharToMultiByte(CP_UTF8, WC_NO_BEST_FIT_CHARS, WIDE("a"), 1, narrow, 4,
                                        nullptr, nullptr);
         },
         ERROR_INVALID_FLAGS},
        {"strict flag for 1252",
         [] {
             return WideCharToMultiByte(kWindows1252, WC_ERR_INVALID_CHARS, WIDE("a"), 1, narrow, 4,
                                        nullptr, nullptr);
         },
         ERROR_INVALID_FLAGS},
    });
}

TEST(ConversionArguments, LengthsBelowMinusOneAreRefused) {
    SKIP_ON_WINDOWS_BECAUSE("Windows documents no negative length but -1, and the layer refuses "
                            "the others rather than guess what they mean");
    ExpectRefused({
        {"narrow source", [] { return MultiByteToWideChar(CP_UTF8, 0, "a", -2, wide, 4); },
         ERROR_INVALID_PARAMETER},
        {"wide source",
         [] { return WideCharToMultiByte(CP_UTF8, 0, WIDE("a"), -2, narrow, 4, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
    });
}

TEST(ConversionArguments, OtherCodePagesAreRefused) {
    SKIP_ON_WINDOWS_BECAUSE("the layer knows only UTF-8 and 1252, the code pages the system "
                            "meets");
    ExpectRefused({
        {"OEM United States", [] { return MultiByteToWideChar(437, 0, "a", 1, wide, 4); },
         ERROR_INVALID_PARAMETER},
        {"OEM Latin 1",
         [] { return WideCharToMultiByte(850, 0, WIDE("a"), 1, narrow, 4, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
    });
}

} // namespace
