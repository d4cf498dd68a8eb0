#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "winapi/security/security_for_test.h"
#include "winapi/testing/target_guards.h"
#include "winapi/win32.h"

namespace {

constexpr BYTE kAllow = ACCESS_ALLOWED_ACE_TYPE;
constexpr BYTE kDeny = ACCESS_DENIED_ACE_TYPE;

class AclTest : public testing::Test {
protected:
    // A new ACL from the entries, over `old` when one is given.
    PACL Build(std::vector<EXPLICIT_ACCESS_W> entries, PACL old = nullptr) {
        PACL acl = nullptr;
        const DWORD status =
            SetEntriesInAclW(static_cast<ULONG>(entries.size()), entries.data(), old, &acl);
        EXPECT_EQ(status, DWORD{ERROR_SUCCESS});
        held_.push_back(acl);
        return acl;
    }

    ~AclTest() override {
        for (PACL acl : held_) {
            LocalFree(acl);
        }
    }

    SidBuffer administrators_ = WellKnown(WinBuiltinAdministratorsSid);
    SidBuffer system_ = WellKnown(WinLocalSystemSid);
    SidBuffer everyone_ = WellKnown(WinWorldSid);

private:
    std::vector<PACL> held_;
};

TEST_F(AclTest, EntriesWithoutAnOldAclBecomeTheAcesInOrder) {
    PACL acl = Build({EntryFor(administrators_, GENERIC_ALL, SET_ACCESS, 3),
                      EntryFor(system_, GENERIC_READ, GRANT_ACCESS)});
    ASSERT_NE(acl, nullptr);
    EXPECT_EQ(acl->AclRevision, ACL_REVISION);
    // Header, then per ACE its header, mask and SID.
    EXPECT_GE(acl->AclSize, 8u + (8u + 16u) + (8u + 12u));
    const std::vector<AceSeen> expected = {
        {kAllow, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, GENERIC_ALL, administrators_},
        {kAllow, 0, GENERIC_READ, system_},
    };
    EXPECT_EQ(AcesOf(acl), expected);
}

// What a trustee's ACEs add up to, however they are split.
struct Rights {
    DWORD allowed = 0;
    DWORD denied = 0;
    bool operator==(const Rights&) const = default;
};

void PrintTo(const Rights& rights, std::ostream* out) {
    *out << std::hex << "allowed 0x" << rights.allowed << " denied 0x" << rights.denied;
}

Rights RightsOf(PACL acl, const SidBuffer& sid) {
    Rights rights;
    for (const AceSeen& ace : AcesFor(acl, sid)) {
        (ace.type == kDeny ? rights.denied : rights.allowed) |= ace.mask;
    }
    return rights;
}

TEST_F(AclTest, EachModeMergesWithTheTrusteesOldAces) {
    // The old ACL: Administrators may read and are denied execution; Everyone may read.
    PACL old = Build({EntryFor(administrators_, GENERIC_READ, GRANT_ACCESS),
                      EntryFor(administrators_, GENERIC_EXECUTE, DENY_ACCESS),
                      EntryFor(everyone_, GENERIC_READ, GRANT_ACCESS)});
    const struct {
        const char* name;
        ACCESS_MODE mode;
        DWORD rights;
        Rights administrators;
    } rows[] = {
        {"grant adds to the old grant",
         GRANT_ACCESS,
         GENERIC_WRITE,
         {GENERIC_READ | GENERIC_WRITE, GENERIC_EXECUTE}},
        {"deny adds to the old denial",
         DENY_ACCESS,
         GENERIC_WRITE,
         {GENERIC_READ, GENERIC_EXECUTE | GENERIC_WRITE}},
        {"revoke removes the grant only", REVOKE_ACCESS, 0, {0, GENERIC_EXECUTE}},
        {"set replaces the grant and the denial", SET_ACCESS, GENERIC_ALL, {GENERIC_ALL, 0}},
    };
    for (const auto& row : rows) {
        if (row.mode == SET_ACCESS) {
            SKIP_UNDER_WINE_BECAUSE("SET_ACCESS keeps the trustee's old denials");
        }
        PACL acl = Build({EntryFor(administrators_, row.rights, row.mode)}, old);
        EXPECT_EQ(RightsOf(acl, administrators_), row.administrators) << row.name;
        EXPECT_EQ(RightsOf(acl, everyone_), (Rights{GENERIC_READ, 0})) << row.name;
    }
}

TEST_F(AclTest, DenialsComeBeforeGrants) {
    SKIP_UNDER_WINE_BECAUSE("the new ACL keeps the order of the entries");
    PACL old = Build({EntryFor(everyone_, GENERIC_READ, GRANT_ACCESS)});
    PACL acl = Build({EntryFor(administrators_, GENERIC_WRITE, DENY_ACCESS)}, old);
    const std::vector<AceSeen> expected = {{kDeny, 0, GENERIC_WRITE, administrators_},
                                           {kAllow, 0, GENERIC_READ, everyone_}};
    // Windows stops at the first ACE that decides a right, so a denial after a grant is void.
    EXPECT_EQ(AcesOf(acl), expected);
}

TEST_F(AclTest, TheCurrentUserNameIsATrustee) {
    EXPLICIT_ACCESS_W entry = EntryFor(everyone_, GENERIC_ALL, SET_ACCESS);
    WCHAR name[] = WIDE("CURRENT_USER");
    entry.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
    entry.Trustee.TrusteeType = TRUSTEE_IS_USER;
    entry.Trustee.ptstrName = name;
    PACL acl = Build({entry});
    const std::vector<AceSeen> aces = AcesOf(acl);
    ASSERT_EQ(aces.size(), 1u);
    EXPECT_EQ(aces[0].mask, DWORD{GENERIC_ALL});
    EXPECT_EQ(IsValidSid(const_cast<BYTE*>(aces[0].sid.data())), TRUE);
    EXPECT_NE(aces[0].sid, everyone_);
}

TEST_F(AclTest, AnUnknownAccountNameGivesNoAcl) {
    SKIP_UNDER_WINE_BECAUSE("an unknown account name gives ERROR_INVALID_PARAMETER");
    EXPLICIT_ACCESS_W entry = EntryFor(everyone_, GENERIC_ALL, SET_ACCESS);
    WCHAR unknown[] = WIDE("no such account 7f3a");
    entry.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
    entry.Trustee.ptstrName = unknown;
    PACL acl = reinterpret_cast<PACL>(&unknown);
    EXPECT_EQ(SetEntriesInAclW(1, &entry, nullptr, &acl), DWORD{ERROR_NONE_MAPPED});
    EXPECT_EQ(acl, nullptr);
}

TEST(AclCalls, AcesAddedInPlaceReadBackInOrder) {
    SidBuffer everyone = WellKnown(WinWorldSid);
    SidBuffer system = WellKnown(WinLocalSystemSid);
    // Room for the header and exactly three ACEs of one-part SIDs.
    DWORD storage[17] = {};
    auto* acl = reinterpret_cast<PACL>(storage);
    ASSERT_EQ(InitializeAcl(acl, sizeof storage, ACL_REVISION), TRUE) << GetLastError();
    EXPECT_EQ(acl->AceCount, 0);
    ASSERT_EQ(AddAccessAllowedAceEx(acl, ACL_REVISION, OBJECT_INHERIT_ACE, FILE_GENERIC_READ,
                                    everyone.data()),
              TRUE)
        << GetLastError();
    ASSERT_EQ(AddAccessDeniedAceEx(acl, ACL_REVISION, 0, DELETE, system.data()), TRUE);
    // An ACE copied whole: the first one again.
    void* first = nullptr;
    ASSERT_EQ(GetAce(acl, 0, &first), TRUE);
    const WORD firstSize = static_cast<const ACE_HEADER*>(first)->AceSize;
    std::vector<BYTE> copy(static_cast<BYTE*>(first), static_cast<BYTE*>(first) + firstSize);
    ASSERT_EQ(AddAce(acl, ACL_REVISION, MAXDWORD, copy.data(), firstSize), TRUE) << GetLastError();
    const AceSeen allowed{kAllow, OBJECT_INHERIT_ACE, FILE_GENERIC_READ, everyone};
    const std::vector<AceSeen> expected = {allowed, {kDeny, 0, DELETE, system}, allowed};
    EXPECT_EQ(AcesOf(acl), expected);

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(AddAccessAllowedAceEx(acl, ACL_REVISION, 0, GENERIC_ALL, everyone.data()), FALSE)
        << "no room left";
    EXPECT_EQ(GetLastError(), DWORD{ERROR_ALLOTTED_SPACE_EXCEEDED});
    EXPECT_EQ(acl->AceCount, 3);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(InitializeAcl(acl, sizeof(ACL) - 1, ACL_REVISION), FALSE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INSUFFICIENT_BUFFER});
}

TEST(AclCalls, GenericRightsMapToTheirSpecificOnes) {
    GENERIC_MAPPING mapping{0x1, 0x2, 0x4, 0x8};
    const struct {
        DWORD mask;
        DWORD mapped;
    } rows[] = {
        {GENERIC_READ, 0x1},
        {GENERIC_WRITE | GENERIC_EXECUTE, 0x6},
        {GENERIC_ALL | DELETE, 0x8 | DELETE},
        {WRITE_DAC, WRITE_DAC},
    };
    for (const auto& row : rows) {
        DWORD mask = row.mask;
        MapGenericMask(&mask, &mapping);
        EXPECT_EQ(mask, row.mapped) << std::hex << row.mask;
    }
}

} // namespace
