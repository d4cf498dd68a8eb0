// The Linux layer has no window station, so every window call fails alike and callers fall back
// to the console.
#include <gtest/gtest.h>

#include <string>

#include "winapi/win32.h"

namespace {

TEST(UserInterfaceLayer, EveryWindowCallFailsWithNotSupported) {
    const WNDCLASSW windowClass{0,       DefWindowProcW, 0,       0,       nullptr,
                                nullptr, nullptr,        nullptr, nullptr, u"Owner"};
    RECT area{};
    const struct {
        const char* call;
        bool failed;
    } calls[] = {
        {"GetProcessWindowStation", GetProcessWindowStation() == nullptr},
        {"LoadIconW", LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128)) == nullptr},
        {"RegisterClassW", RegisterClassW(&windowClass) == 0},
        {"CreateWindowExW", CreateWindowExW(0, u"Owner", u"Title", WS_POPUP | WS_VISIBLE, 0, 0, 0,
                                            0, nullptr, nullptr, nullptr, nullptr) == nullptr},
        {"MessageBoxW", MessageBoxW(nullptr, u"text", u"title", MB_OK) == 0},
        {"SystemParametersInfoW", SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0) == FALSE},
        {"DestroyWindow", DestroyWindow(nullptr) == FALSE},
    };
    for (const auto& entry : calls) {
        SCOPED_TRACE(entry.call);
        EXPECT_TRUE(entry.failed);
    }
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

TEST(UserInterfaceLayer, ProcessModuleAndCommandLine) {
    EXPECT_NE(GetModuleHandleW(nullptr), nullptr);
    EXPECT_EQ(GetModuleHandleW(u"kernel32.dll"), nullptr);
    const std::u16string commandLine = GetCommandLineW();
    EXPECT_NE(commandLine.find(u"winapi_tests"), std::u16string::npos);
}

} // namespace
