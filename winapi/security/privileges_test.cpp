#include <gtest/gtest.h>

#include <vector>

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

TEST(TokenUser, TellsItsSizeAndThenTheSid) {
    HANDLE token = nullptr;
    ASSERT_EQ(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token), TRUE) << GetLastError();
    DWORD size = 0;
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetTokenInformation(token, TokenUser, nullptr, 0, &size), FALSE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INSUFFICIENT_BUFFER});
    ASSERT_GT(size, sizeof(TOKEN_USER));
    std::vector<BYTE> buffer(size);
    DWORD written = 0;
    ASSERT_EQ(GetTokenInformation(token, TokenUser, buffer.data(), size, &written), TRUE)
        << GetLastError();
    EXPECT_EQ(written, size);
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    EXPECT_EQ(IsValidSid(sid), TRUE);
    EXPECT_GE(static_cast<BYTE*>(sid), buffer.data() + sizeof(TOKEN_USER)) << "inside the buffer";
    EXPECT_LE(static_cast<BYTE*>(sid) + GetLengthSid(sid), buffer.data() + size);
    CloseHandle(token);

    ASSERT_EQ(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token), TRUE);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetTokenInformation(token, TokenUser, buffer.data(), size, &written), FALSE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED}) << "without TOKEN_QUERY";
    CloseHandle(token);
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
