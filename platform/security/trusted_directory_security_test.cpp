#include "platform/security/trusted_directory_security.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

#include "winapi/security/security_for_test.h"

namespace {

SidBuffer MakeSid(BYTE authority, std::initializer_list<DWORD> subAuthorities) {
    SidBuffer sid = {SID_REVISION, static_cast<BYTE>(subAuthorities.size()), 0, 0, 0, 0, 0,
                     authority};
    for (DWORD value : subAuthorities) {
        const auto* bytes = reinterpret_cast<const BYTE*>(&value);
        sid.insert(sid.end(), bytes, bytes + sizeof value);
    }
    return sid;
}

const SidBuffer kCaller = MakeSid(5, {21, 1, 2, 3, 1001});
const SidBuffer kOtherUser = MakeSid(5, {21, 1, 2, 3, 1002});
const SidBuffer kAdministrators = MakeSid(5, {32, 544});
const SidBuffer kSystem = MakeSid(5, {18});
const SidBuffer kTrustedInstaller =
    MakeSid(5, {80, 956008885, 3418522649, 1831038044, 1853292631, 2271478464});
const SidBuffer kUsers = MakeSid(5, {32, 545});
const SidBuffer kAuthenticatedUsers = MakeSid(5, {11});
const SidBuffer kEveryone = MakeSid(1, {0});
const SidBuffer kCreatorOwner = MakeSid(3, {0});
const SidBuffer kOwnerRights = MakeSid(3, {4});

constexpr BYTE kInherited = INHERITED_ACE;
constexpr BYTE kBoth = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
constexpr BYTE kFilesOnly = OBJECT_INHERIT_ACE | INHERIT_ONLY_ACE;
constexpr DWORD kModify = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;
constexpr DWORD kReadAndExecute = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;
// WD, AD, WEA and WA: what Users may do to a folder of the shared program data.
constexpr DWORD kAddEntries =
    FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES;

struct Entry {
    BYTE type;
    BYTE flags;
    DWORD mask;
    const SidBuffer* sid;
};

Entry Allow(const SidBuffer& sid, DWORD mask, BYTE flags = 0) {
    return {ACCESS_ALLOWED_ACE_TYPE, flags, mask, &sid};
}
Entry Deny(const SidBuffer& sid, DWORD mask, BYTE flags = 0) {
    return {ACCESS_DENIED_ACE_TYPE, flags, mask, &sid};
}
// Any other type, laid out as header, mask and SID; object ACEs have their flags before it.
Entry Other(BYTE type, const SidBuffer& sid) {
    return {type, 0, FILE_GENERIC_READ, &sid};
}

// Built with the system's own ACL calls, so that both targets read what they wrote.
class BuiltAcl {
public:
    explicit BuiltAcl(const std::vector<Entry>& entries) : bytes_(1024) {
        EXPECT_EQ(InitializeAcl(Acl(), static_cast<DWORD>(bytes_.size()), ACL_REVISION_DS), TRUE)
            << GetLastError();
        for (const Entry& entry : entries) {
            PSID sid = const_cast<BYTE*>(entry.sid->data());
            BOOL added = FALSE;
            if (entry.type == ACCESS_ALLOWED_ACE_TYPE) {
                added = AddAccessAllowedAceEx(Acl(), ACL_REVISION, entry.flags, entry.mask, sid);
            } else if (entry.type == ACCESS_DENIED_ACE_TYPE) {
                added = AddAccessDeniedAceEx(Acl(), ACL_REVISION, entry.flags, entry.mask, sid);
            } else {
                std::vector<BYTE> ace = RawAce(entry);
                added = AddAce(Acl(), ACL_REVISION_DS, MAXDWORD, ace.data(),
                               static_cast<DWORD>(ace.size()));
            }
            EXPECT_EQ(added, TRUE) << GetLastError();
        }
    }

    PACL Acl() { return reinterpret_cast<PACL>(bytes_.data()); }

private:
    static std::vector<BYTE> RawAce(const Entry& entry) {
        const bool object = entry.type == ACCESS_ALLOWED_OBJECT_ACE_TYPE;
        const std::size_t size =
            sizeof(ACE_HEADER) + sizeof(DWORD) + (object ? 4 : 0) + entry.sid->size();
        std::vector<BYTE> ace(size);
        const ACE_HEADER header{entry.type, entry.flags, static_cast<WORD>(size)};
        std::memcpy(ace.data(), &header, sizeof header);
        std::memcpy(ace.data() + sizeof header, &entry.mask, sizeof entry.mask);
        std::memcpy(ace.data() + size - entry.sid->size(), entry.sid->data(), entry.sid->size());
        return ace;
    }

    std::vector<DWORD> bytes_;
};

bool IsTrusted(const SidBuffer& owner, const std::vector<Entry>& entries) {
    BuiltAcl acl(entries);
    return IsTrustedDirectorySecurity(const_cast<BYTE*>(owner.data()), acl.Acl(),
                                      const_cast<BYTE*>(kCaller.data()));
}

TEST(TrustedDirectorySecurity, TheOwnerMustBeTheCallerOrTheSystem) {
    const std::vector<Entry> ownersOnly = {Allow(kCaller, FILE_ALL_ACCESS, kBoth)};
    const struct {
        const char* name;
        const SidBuffer& owner;
        bool trusted;
    } rows[] = {
        {"the caller", kCaller, true},
        {"Administrators", kAdministrators, true},
        {"Local System", kSystem, true},
        {"TrustedInstaller", kTrustedInstaller, true},
        {"another user", kOtherUser, false},
        {"Everyone", kEveryone, false},
        {"Users", kUsers, false},
        {"the creator owner placeholder", kCreatorOwner, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(IsTrusted(row.owner, ownersOnly), row.trusted) << row.name;
    }
}

TEST(TrustedDirectorySecurity, ANullDaclOpensTheDirectoryToEveryone) {
    PSID caller = const_cast<BYTE*>(kCaller.data());
    EXPECT_FALSE(IsTrustedDirectorySecurity(caller, nullptr, caller));
    EXPECT_FALSE(IsTrustedDirectorySecurity(nullptr, BuiltAcl({}).Acl(), caller)) << "no owner";
    EXPECT_TRUE(IsTrustedDirectorySecurity(caller, BuiltAcl({}).Acl(), caller)) << "empty DACL";
}

TEST(TrustedDirectorySecurity, WhatOtherAccountsMayDoDecides) {
    const struct {
        const char* name;
        std::vector<Entry> entries;
        bool trusted;
    } rows[] = {
        {"a folder made in C:\\",
         {Allow(kAdministrators, FILE_ALL_ACCESS, kBoth | kInherited),
          Allow(kSystem, FILE_ALL_ACCESS, kBoth | kInherited),
          Allow(kUsers, kReadAndExecute, kBoth | kInherited),
          Allow(kAuthenticatedUsers, kModify, kInherited),
          Allow(kAuthenticatedUsers, kModify, kBoth | INHERIT_ONLY_ACE | kInherited)},
         false},
        {"a folder of C:\\ProgramData",
         {Allow(kSystem, FILE_ALL_ACCESS, kBoth | kInherited),
          Allow(kAdministrators, FILE_ALL_ACCESS, kBoth | kInherited),
          Allow(kCreatorOwner, GENERIC_ALL, kBoth | INHERIT_ONLY_ACE | kInherited),
          Allow(kUsers, kReadAndExecute, kBoth | kInherited),
          Allow(kUsers, kAddEntries, CONTAINER_INHERIT_ACE | kInherited)},
         true},
        {"the trusted accounts with every right",
         {Allow(kCaller, GENERIC_ALL, kBoth), Allow(kTrustedInstaller, GENERIC_ALL, kBoth),
          Allow(kOwnerRights, FILE_ALL_ACCESS, kBoth)},
         true},
        {"others reading and adding entries",
         {Allow(kEveryone, GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE)},
         true},
        {"delete", {Allow(kOtherUser, DELETE)}, false},
        {"changing the access", {Allow(kOtherUser, WRITE_DAC)}, false},
        {"taking ownership", {Allow(kOtherUser, WRITE_OWNER)}, false},
        {"removing entries", {Allow(kEveryone, FILE_DELETE_CHILD)}, false},
        {"generic all", {Allow(kEveryone, GENERIC_ALL)}, false},
        {"generic write on the files", {Allow(kUsers, GENERIC_WRITE, kFilesOnly)}, false},
        {"appending to the files", {Allow(kUsers, FILE_APPEND_DATA, kFilesOnly)}, false},
        {"extended attributes of the files", {Allow(kUsers, FILE_WRITE_EA, kFilesOnly)}, false},
        {"attributes of the files",
         {Allow(kUsers, FILE_WRITE_ATTRIBUTES, OBJECT_INHERIT_ACE)},
         false},
        {"re-securing the files", {Allow(kUsers, WRITE_DAC, kFilesOnly)}, false},
        {"reading the files", {Allow(kUsers, GENERIC_READ | GENERIC_EXECUTE, kFilesOnly)}, true},
        {"removing entries means nothing on a file",
         {Allow(kUsers, FILE_DELETE_CHILD, kFilesOnly)},
         true},
        {"only subdirectories inherit",
         {Allow(kUsers, DELETE, CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE)},
         true},
        {"a denial is ignored", {Deny(kEveryone, GENERIC_ALL, kBoth)}, true},
        {"a denial first changes nothing",
         {Deny(kEveryone, DELETE), Allow(kEveryone, DELETE)},
         false},
        {"a callback grant", {Other(ACCESS_ALLOWED_CALLBACK_ACE_TYPE, kEveryone)}, false},
        {"an object grant", {Other(ACCESS_ALLOWED_OBJECT_ACE_TYPE, kEveryone)}, false},
        {"a label is no grant", {Other(SYSTEM_MANDATORY_LABEL_ACE_TYPE, kEveryone)}, true},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(IsTrusted(kAdministrators, row.entries), row.trusted) << row.name;
    }
}

} // namespace
