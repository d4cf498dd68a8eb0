// What Windows, or Wine, reports of itself. The Windows target only: the Linux layer describes
// no Windows.
#include <gtest/gtest.h>

#include "winapi/testing/wide_string.h"

namespace {

TEST(SystemInformation, WindowsReportsItsVersionAndSystemDirectory) {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&info))) << GetLastError();
    EXPECT_EQ(info.dwOSVersionInfoSize, DWORD{sizeof(info)});
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
    EXPECT_GE(info.dwMajorVersion, DWORD{6});

    WCHAR directory[MAX_PATH + 1];
    const UINT length = GetSystemDirectoryW(directory, MAX_PATH + 1);
    ASSERT_GT(length, UINT{0});
    ASSERT_LE(length, UINT{MAX_PATH});
    EXPECT_EQ(std::char_traits<WCHAR>::length(directory), length);
    // Too small a buffer gets the size needed, NUL included.
    WCHAR small[2];
    EXPECT_EQ(GetSystemDirectoryW(small, 2), length + 1);
}

} // namespace
