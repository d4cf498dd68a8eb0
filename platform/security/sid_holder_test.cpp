#include "platform/security/sid_holder.h"

#include <gtest/gtest.h>

#include <utility>

#include "foundation/encoding/windows_error.h"
#include "winapi/security/security_for_test.h"

namespace {

TEST(SidHolder, WellKnownSidsAreHeapHoldersOfTheSystemsBytes) {
    for (WELL_KNOWN_SID_TYPE type : {WinBuiltinAdministratorsSid, WinLocalSystemSid}) {
        const SidHolder holder = WellKnownSid(type, nullptr);
        EXPECT_EQ(holder.GetKind(), SidHolder::kHeap);
        ASSERT_NE(holder.Sid(), nullptr);
        EXPECT_EQ(CopyOfSid(holder.Sid()), WellKnown(type)) << type;
    }
}

TEST(SidHolder, AFailingCreationRaisesTheSystemsCode) {
    // An account SID needs the domain that is not given.
    const auto accountAdministrator = static_cast<WELL_KNOWN_SID_TYPE>(38);
    try {
        WellKnownSid(accountAdministrator, nullptr);
        ADD_FAILURE() << "no error raised";
    } catch (const Windows::Error& error) {
        EXPECT_EQ(error.Code(), DWORD{ERROR_INVALID_PARAMETER});
    }
}

TEST(SidHolder, MovesHandOverAndAssignmentReleasesTheOldSid) {
    SidHolder first = WellKnownSid(WinBuiltinAdministratorsSid, nullptr);
    const PSID sid = first.Sid();
    SidHolder second(std::move(first));
    EXPECT_EQ(first.Sid(), nullptr);
    EXPECT_EQ(second.Sid(), sid);
    SidHolder third = WellKnownSid(WinLocalSystemSid, nullptr);
    third = std::move(second);
    EXPECT_EQ(third.Sid(), sid);
    third.Release();
    EXPECT_EQ(third.Sid(), nullptr);
    third.Release();
}

// Each kind goes back to its own allocator; the sanitizers catch a mismatch or a leak.
TEST(SidHolder, EachKindIsReleasedItsOwnWay) {
    SID_IDENTIFIER_AUTHORITY nt = {{0, 0, 0, 0, 0, 5}};
    PSID allocated = nullptr;
    ASSERT_EQ(AllocateAndInitializeSid(&nt, 1, 18, 0, 0, 0, 0, 0, 0, 0, &allocated), TRUE);
    { const SidHolder holder(SidHolder::kSystemAllocated, allocated); }
    static BYTE notOwned[12] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
    { const SidHolder holder(7, notOwned); }
    EXPECT_EQ(notOwned[0], 1);
}

} // namespace
