#include <gtest/gtest.h>

#include "winapi/win32.h"

namespace {

TEST(Privileges, TakeOwnershipIsLookedUpAndEnabledWithAnHonestResult) {
    HANDLE token = nullptr;
    ASSERT_EQ(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token),
              TRUE)
        << GetLastError();
    for (const WCHAR* name : {WIDE("SeTakeOwnershipPrivilege"), WIDE("setakeownershipprivilege")}) {
        LUID luid{};
        ASSERT_EQ(LookupPrivilegeValueW(nullptr, name, &luid), TRUE) << GetLastError();
        EXPECT_EQ(luid.LowPart, 9u);
        EXPECT_EQ(luid.HighPart, 0);
    }
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = {9, 0};
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    SetLastError(ERROR_INVALID_FUNCTION);
    EXPECT_EQ(AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr), TRUE);
    // Success either way; only the last error tells whether the token holds the privilege.
    const DWORD error = GetLastError();
    EXPECT_TRUE(error == ERROR_SUCCESS || error == ERROR_NOT_ALL_ASSIGNED) << error;
    EXPECT_EQ(CloseHandle(token), TRUE);
}

TEST(Privileges, RefusalsCarryTheirCodes) {
    LUID luid{};
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(LookupPrivilegeValueW(nullptr, WIDE("SeNoSuchThingPrivilege"), &luid), FALSE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_NO_SUCH_PRIVILEGE});

    HANDLE token = nullptr;
    ASSERT_EQ(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token), TRUE);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = {9, 0};
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr), FALSE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
    CloseHandle(token);

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr), FALSE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
}

} // namespace
