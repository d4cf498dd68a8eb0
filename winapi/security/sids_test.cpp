#include <gtest/gtest.h>

#include <vector>

#include "winapi/security/security_for_test.h"
#include "winapi/win32.h"

namespace {

using CreateWellKnownSidFunction = BOOL (*)(WELL_KNOWN_SID_TYPE, PSID, PSID, DWORD*);

TEST(Sids, WellKnownSidsHaveTheirWindowsBytes) {
    const struct {
        WELL_KNOWN_SID_TYPE type;
        SidBuffer bytes;
    } rows[] = {
        {WinWorldSid, {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}},
        {WinLocalSystemSid, {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}},
        {WinBuiltinAdministratorsSid, {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0}},
    };
    for (const auto& row : rows) {
        SidBuffer sid = WellKnown(row.type);
        EXPECT_EQ(sid, row.bytes) << row.type;
        EXPECT_EQ(IsValidSid(sid.data()), TRUE);
        EXPECT_EQ(GetLengthSid(sid.data()), row.bytes.size());
    }
}

TEST(Sids, TooSmallABufferReportsTheSizeNeeded) {
    BYTE buffer[SECURITY_MAX_SID_SIZE] = {};
    for (DWORD given : {0u, 15u}) {
        DWORD size = given;
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr,
                                     given == 0 ? nullptr : buffer, &size),
                  FALSE);
        EXPECT_EQ(GetLastError(), DWORD{ERROR_INSUFFICIENT_BUFFER});
        EXPECT_EQ(size, 16u);
    }
    EXPECT_EQ(buffer[0], 0) << "a refused call must not write";
}

TEST(Sids, CreateWellKnownSidIsFoundInAdvapi32) {
    HMODULE advapi = LoadLibraryW(WIDE("Advapi32.dll"));
    ASSERT_NE(advapi, nullptr) << GetLastError();
    const auto create = reinterpret_cast<CreateWellKnownSidFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(advapi, "CreateWellKnownSid")));
    ASSERT_NE(create, nullptr) << GetLastError();
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof sid;
    ASSERT_EQ(create(WinLocalSystemSid, nullptr, sid, &size), TRUE);
    EXPECT_EQ(SidBuffer(sid, sid + size), WellKnown(WinLocalSystemSid));
    FreeLibrary(advapi);
}

TEST(Sids, AllocatedSidsCompareByContentAndAreFreed) {
    SID_IDENTIFIER_AUTHORITY nt = {{0, 0, 0, 0, 0, 5}};
    PSID administrators = nullptr;
    ASSERT_EQ(AllocateAndInitializeSid(&nt, 2, 32, 544, 0, 0, 0, 0, 0, 0, &administrators), TRUE);
    SidBuffer wellKnown = WellKnown(WinBuiltinAdministratorsSid);
    EXPECT_EQ(EqualSid(administrators, wellKnown.data()), TRUE);
    SidBuffer system = WellKnown(WinLocalSystemSid);
    EXPECT_EQ(EqualSid(administrators, system.data()), FALSE);
    EXPECT_EQ(FreeSid(administrators), nullptr);
}

} // namespace
