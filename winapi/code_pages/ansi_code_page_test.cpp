#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "winapi/code_pages/conversions_for_test.h"
#include "winapi/testing/target_guards.h"
#include "winapi/testing/wide_string.h"
#include "winapi/win32.h"

namespace {

TEST(AnsiCodePage, CpAcpConvertsAsTheCodePageItNames) {
    const WideString text = WIDE("Gr\u00FC\u00DFe \u65E5");
    EXPECT_EQ(ToNarrow(CP_ACP, 0, text).text, ToNarrow(GetACP(), 0, text).text);
    const std::string bytes = "Gr\xFC\xDF"
                              "e";
    EXPECT_EQ(ToWide(CP_ACP, 0, bytes).text, ToWide(GetACP(), 0, bytes).text);
}

TEST(AnsiCodePage, FollowsTheLayersEnvironmentVariable) {
    SKIP_ON_WINDOWS_BECAUSE("QUENDRA_LAYER_ANSI_CODE_PAGE is the layer's own setting");
    const char* setting = std::getenv("QUENDRA_LAYER_ANSI_CODE_PAGE");
    const bool selected = setting != nullptr && std::strcmp(setting, "1252") == 0;
    EXPECT_EQ(GetACP(), selected ? kWindows1252 : UINT{CP_UTF8});
}

TEST(AnsiCodePage, Windows1252WhenSelected) {
    if (GetACP() != kWindows1252) {
        GTEST_SKIP() << "the ANSI code page is not 1252 in this run";
    }
    EXPECT_EQ(ToNarrow(CP_ACP, 0, WIDE("Gr\u00FC\u00DFe")).text, "\x47\x72\xFC\xDF\x65");
    EXPECT_EQ(ToNarrow(CP_ACP, 0, WIDE("\u65E5")).text, "?");
}

TEST(AnsiCodePage, Utf8WhenSelected) {
    if (GetACP() != CP_UTF8) {
        GTEST_SKIP() << "the ANSI code page is not UTF-8 in this run";
    }
    EXPECT_EQ(ToWide(CP_ACP, 0, "\xFF").text, WIDE("\uFFFD"));
    EXPECT_EQ(ToNarrow(CP_ACP, 0, WIDE("\u00FC")).text, "\xC3\xBC");
}

} // namespace
