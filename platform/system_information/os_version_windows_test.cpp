// The version of the Windows, or Wine, that runs the tests. The Windows target only.
#include <gtest/gtest.h>

#include <string>

#include "platform/system_information/os_version.h"
#include "winapi/testing/wine.h"

namespace {

TEST(RealWindowsTest, TheRealVersionReplacesTheCompatibilityView) {
    const RealOSVersionResult& real = RealOSVersion();
    ASSERT_EQ(real.count, 4);
    EXPECT_GE(real.major, 6u);
    const OSVERSIONINFOEXW* info = GetOSVersionInfoEx();
    EXPECT_EQ(info->dwMajorVersion, real.major);
    EXPECT_EQ(info->dwMinorVersion, real.minor);
    EXPECT_EQ(info->dwBuildNumber, real.build);
    EXPECT_EQ(info->dwPlatformId, VER_PLATFORM_WIN32_NT);
    const OSVersion& current = OSVersionTable::Instance().Current();
    EXPECT_EQ(current.major, real.major);
    EXPECT_EQ(current.minor, real.minor);
    EXPECT_TRUE(IsVistaOrLater());
    // Wine pairs a 10.0 kernel32 with the service pack of its 6.1 view, which no row names.
    if (RunningUnderWine()) {
        EXPECT_EQ(std::wstring(current.name), L"???");
    }
}

} // namespace
