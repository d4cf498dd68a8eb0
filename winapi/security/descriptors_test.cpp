#include <gtest/gtest.h>

#include <cstring>

#include "winapi/win32.h"

namespace {

TEST(SecurityDescriptors, InitialisedDescriptorIsEmptyAbsoluteRevisionOne) {
    SECURITY_DESCRIPTOR descriptor;
    std::memset(&descriptor, 0xA5, sizeof descriptor);
    ASSERT_EQ(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION), TRUE);
    EXPECT_EQ(descriptor.Revision, 1);
    EXPECT_EQ(descriptor.Control, 0);
    EXPECT_EQ(descriptor.Owner, nullptr);
    EXPECT_EQ(descriptor.Group, nullptr);
    EXPECT_EQ(descriptor.Sacl, nullptr);
    EXPECT_EQ(descriptor.Dacl, nullptr);

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(InitializeSecurityDescriptor(&descriptor, 2), FALSE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_UNKNOWN_REVISION});
}

TEST(SecurityDescriptors, DaclPresenceAndDefaultFollowTheArguments) {
    ACL acl{};
    const struct {
        BOOL present;
        BOOL defaulted;
        SECURITY_DESCRIPTOR_CONTROL control;
        PACL dacl;
    } rows[] = {
        {TRUE, FALSE, SE_DACL_PRESENT, &acl},
        {TRUE, TRUE, SE_DACL_PRESENT | SE_DACL_DEFAULTED, &acl},
        // A present null DACL is a distinct state: it allows everyone everything.
        {TRUE, FALSE, SE_DACL_PRESENT, nullptr},
    };
    for (const auto& row : rows) {
        SECURITY_DESCRIPTOR descriptor;
        ASSERT_EQ(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION), TRUE);
        ASSERT_EQ(SetSecurityDescriptorDacl(&descriptor, row.present, row.dacl, row.defaulted),
                  TRUE);
        EXPECT_EQ(descriptor.Control, row.control);
        EXPECT_EQ(descriptor.Dacl, row.dacl);
    }
    SECURITY_DESCRIPTOR descriptor;
    ASSERT_EQ(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION), TRUE);
    ASSERT_EQ(SetSecurityDescriptorDacl(&descriptor, TRUE, &acl, TRUE), TRUE);
    ASSERT_EQ(SetSecurityDescriptorDacl(&descriptor, FALSE, &acl, TRUE), TRUE);
    EXPECT_EQ(descriptor.Control & SE_DACL_PRESENT, 0);
}

} // namespace
