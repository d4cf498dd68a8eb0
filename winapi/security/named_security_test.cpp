#include <gtest/gtest.h>

#include <string>

#include "winapi/security/security_for_test.h"
#include "winapi/testing/target_guards.h"
#include "winapi/testing/temporary_directory.h"
#include "winapi/win32.h"

namespace {

WideString W(const char* text) {
    return WideString(text, text + std::char_traits<char>::length(text));
}

class NamedSecurityTest : public testing::Test {
protected:
    void SetUp() override {
        HANDLE file = CreateFileW(name_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
        CloseHandle(file);
    }

    DWORD Read(SECURITY_INFORMATION information, PSID* owner, PACL* dacl, LocalBlock& held) {
        return GetNamedSecurityInfoW(name_.c_str(), SE_FILE_OBJECT, information, owner, nullptr,
                                     dacl, nullptr, &held.block);
    }

    TemporaryDirectory directory_;
    WideString name_ = directory_ / W("item");
};

TEST_F(NamedSecurityTest, OwnerAndDaclComeInOneSelfRelativeBlock) {
    LocalBlock held;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    ASSERT_EQ(Read(OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, &dacl, held),
              DWORD{ERROR_SUCCESS});
    ASSERT_NE(held.block, nullptr);
    const auto* header = static_cast<const SECURITY_DESCRIPTOR_RELATIVE*>(held.block);
    EXPECT_EQ(header->Revision, SECURITY_DESCRIPTOR_REVISION);
    EXPECT_NE(header->Control & SE_SELF_RELATIVE, 0);
    EXPECT_NE(header->Control & SE_DACL_PRESENT, 0);
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(IsValidSid(owner), TRUE);
    ASSERT_NE(dacl, nullptr);
    // The creator may use the file it made.
    EXPECT_FALSE(AcesOf(dacl).empty());
}

TEST_F(NamedSecurityTest, MissingItemsFailWithTheFileCodes) {
    const struct {
        const char* relative;
        DWORD code;
    } rows[] = {
        {"absent", ERROR_FILE_NOT_FOUND},
        {"absent\\below", ERROR_PATH_NOT_FOUND},
    };
    SidBuffer everyone = WellKnown(WinWorldSid);
    EXPLICIT_ACCESS_W entry = EntryFor(everyone, GENERIC_READ, SET_ACCESS);
    PACL readable = nullptr;
    ASSERT_EQ(SetEntriesInAclW(1, &entry, nullptr, &readable), DWORD{ERROR_SUCCESS});
    for (const auto& row : rows) {
        WideString missing = directory_ / W(row.relative);
        LocalBlock held;
        PACL dacl = nullptr;
        EXPECT_EQ(GetNamedSecurityInfoW(missing.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                        nullptr, nullptr, &dacl, nullptr, &held.block),
                  row.code)
            << row.relative;
        EXPECT_EQ(SetNamedSecurityInfoW(missing.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                        nullptr, nullptr, readable, nullptr),
                  row.code)
            << row.relative;
    }
    LocalFree(readable);
}

SidBuffer CallerSid() {
    HANDLE token = nullptr;
    EXPECT_EQ(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token), TRUE);
    DWORD buffer[32] = {};
    DWORD size = 0;
    EXPECT_EQ(GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size), TRUE);
    CloseHandle(token);
    return CopyOfSid(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
}

TEST_F(NamedSecurityTest, AMergedGrantForTheCallerReadsBackAsFullFileAccess) {
    LocalBlock held;
    PACL dacl = nullptr;
    ASSERT_EQ(Read(DACL_SECURITY_INFORMATION, nullptr, &dacl, held), DWORD{ERROR_SUCCESS});
    SidBuffer caller = CallerSid();
    EXPLICIT_ACCESS_W entry = EntryFor(caller, GENERIC_ALL, SET_ACCESS);
    PACL merged = nullptr;
    ASSERT_EQ(SetEntriesInAclW(1, &entry, dacl, &merged), DWORD{ERROR_SUCCESS});
    const DWORD status = SetNamedSecurityInfoW(
        name_.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, merged, nullptr);
    LocalFree(merged);
    ASSERT_EQ(status, DWORD{ERROR_SUCCESS});

    LocalBlock after;
    PACL daclAfter = nullptr;
    ASSERT_EQ(Read(DACL_SECURITY_INFORMATION, nullptr, &daclAfter, after), DWORD{ERROR_SUCCESS});
    // The creator owns the file; when that is root on Linux, the owner's rights read back under
    // OWNER RIGHTS.
    const SidBuffer ownerRights = {SID_REVISION, 1, 0, 0, 0, 0, 0, 3, 4, 0, 0, 0};
    std::vector<AceSeen> aces = AcesFor(daclAfter, caller);
    for (AceSeen& ace : AcesFor(daclAfter, ownerRights)) {
        aces.push_back(std::move(ace));
    }
    ASSERT_EQ(aces.size(), 1u);
    EXPECT_EQ(aces[0].type, ACCESS_ALLOWED_ACE_TYPE);
    // The file system keeps rights in their specific form.
    EXPECT_EQ(aces[0].mask, DWORD{FILE_ALL_ACCESS});
}

} // namespace
