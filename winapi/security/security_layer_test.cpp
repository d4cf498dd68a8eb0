// The Linux layer's own rules: SIDs of Unix accounts, DACLs as mode bits, chown as the owner,
// CAP_CHOWN as the privilege, and injected failures.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "winapi/security/security_for_test.h"
#include "winapi/security/sid_bytes.h"
#include "winapi/testing/fault_injection.h"
#include "winapi/testing/temporary_directory.h"
#include "winapi/win32.h"

namespace {

constexpr uid_t kUser = 1234;
constexpr gid_t kGroup = 5678;
constexpr uid_t kNobody = 65534;
// The rights that the read, write and execute bits read back as.
constexpr DWORD kRead = FILE_GENERIC_READ;
constexpr DWORD kWrite = FILE_GENERIC_WRITE;
constexpr DWORD kExecute = FILE_GENERIC_EXECUTE;

SidBuffer UserSid(uid_t user) {
    return win32_layer::UserSid(user);
}
SidBuffer GroupSid(gid_t group) {
    return win32_layer::GroupSid(group);
}

std::string LinuxPathOf(const WideString& name) {
    std::string path;
    for (WCHAR unit : WideView(name).substr(2)) {
        path += unit == u'\\' ? '/' : static_cast<char>(unit);
    }
    return path;
}

class SecurityLayerTest : public testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0) {
            GTEST_SKIP() << "needs root, to give files other owners";
        }
        name_ = directory_ / u"item";
        path_ = LinuxPathOf(name_);
        HANDLE file = CreateFileW(name_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }

    void Prepare(mode_t mode, uid_t user = kUser, gid_t group = kGroup) const {
        ASSERT_EQ(chown(path_.c_str(), user, group), 0);
        ASSERT_EQ(chmod(path_.c_str(), mode), 0);
    }

    struct stat Status() const {
        struct stat status {};
        EXPECT_EQ(stat(path_.c_str(), &status), 0);
        return status;
    }

    mode_t Mode() const { return Status().st_mode & 07777; }

    // The item becomes a new directory beside the file.
    void UseDirectory() {
        name_ = directory_ / u"folder";
        path_ = LinuxPathOf(name_);
        ASSERT_EQ(CreateDirectoryW(name_.c_str(), nullptr), TRUE) << GetLastError();
    }

    // The item's owner and DACL, read back.
    std::pair<SidBuffer, std::vector<AceSeen>> Security() const {
        LocalBlock held;
        PSID owner = nullptr;
        PACL dacl = nullptr;
        EXPECT_EQ(GetNamedSecurityInfoW(name_.c_str(), SE_FILE_OBJECT,
                                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                        &owner, nullptr, &dacl, nullptr, &held.block),
                  DWORD{ERROR_SUCCESS});
        return {owner != nullptr ? CopyOfSid(owner) : SidBuffer(), AcesOf(dacl)};
    }

    // Sets the DACL it reads, with the owner it reads.
    DWORD SetWhatIsRead() {
        LocalBlock held;
        PSID owner = nullptr;
        PACL dacl = nullptr;
        const DWORD read = GetNamedSecurityInfoW(
            name_.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
            &owner, nullptr, &dacl, nullptr, &held.block);
        return read != ERROR_SUCCESS ? read : Set(DACL_SECURITY_INFORMATION, owner, dacl);
    }

    DWORD SetDacl(std::vector<EXPLICIT_ACCESS_W> entries, PSID owner = nullptr) {
        PACL acl = nullptr;
        const DWORD built =
            SetEntriesInAclW(static_cast<ULONG>(entries.size()), entries.data(), nullptr, &acl);
        EXPECT_EQ(built, DWORD{ERROR_SUCCESS});
        const DWORD status = Set(DACL_SECURITY_INFORMATION, owner, acl);
        LocalFree(acl);
        return status;
    }

    DWORD Set(SECURITY_INFORMATION information, PSID owner, PACL dacl, PSID group = nullptr) {
        if (owner != nullptr) {
            information |= OWNER_SECURITY_INFORMATION;
        }
        return SetNamedSecurityInfoW(name_.data(), SE_FILE_OBJECT, information, owner, group, dacl,
                                     nullptr);
    }

    TemporaryDirectory directory_;
    WideString name_;
    std::string path_;
    SidBuffer owner_ = UserSid(kUser);
    SidBuffer group_ = GroupSid(kGroup);
    SidBuffer everyone_ = WellKnown(WinWorldSid);
    SidBuffer administrators_ = WellKnown(WinBuiltinAdministratorsSid);
    SidBuffer system_ = WellKnown(WinLocalSystemSid);
};

TEST_F(SecurityLayerTest, ModeBitsReadAsTheOwnersTheGroupsAndEveryonesAces) {
    const struct {
        mode_t mode;
        std::vector<AceSeen> aces;
    } rows[] = {
        {0640, {{0, 0, kRead | kWrite, owner_}, {0, 0, kRead, group_}}},
        {0751,
         {{0, 0, FILE_ALL_ACCESS, owner_},
          {0, 0, kRead | kExecute, group_},
          {0, 0, kExecute, everyone_}}},
        {0004, {{0, 0, kRead, everyone_}}},
        {0000, {}},
    };
    for (const auto& row : rows) {
        Prepare(row.mode);
        LocalBlock held;
        PSID owner = nullptr;
        PSID group = nullptr;
        PACL dacl = nullptr;
        ASSERT_EQ(GetNamedSecurityInfoW(name_.c_str(), SE_FILE_OBJECT,
                                        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                            DACL_SECURITY_INFORMATION,
                                        &owner, &group, &dacl, nullptr, &held.block),
                  DWORD{ERROR_SUCCESS});
        EXPECT_EQ(CopyOfSid(owner), owner_);
        EXPECT_EQ(CopyOfSid(group), group_);
        EXPECT_EQ(AcesOf(dacl), row.aces) << std::oct << row.mode;
    }
}

TEST_F(SecurityLayerTest, DirectoryAcesSayWhoMayRemoveEntries) {
    UseDirectory();
    const struct {
        mode_t mode;
        std::vector<AceSeen> aces;
    } rows[] = {
        {0775,
         {{0, 0, FILE_ALL_ACCESS, owner_},
          {0, 0, kRead | kWrite | kExecute | FILE_DELETE_CHILD, group_},
          {0, 0, kRead | kExecute, everyone_}}},
        {01777,
         {{0, 0, FILE_ALL_ACCESS, owner_},
          {0, 0, kRead | kWrite | kExecute, group_},
          {0, 0, kRead | kWrite | kExecute, everyone_}}},
        {01320, {{0, 0, kWrite | kExecute | FILE_DELETE_CHILD, owner_}, {0, 0, kWrite, group_}}},
        {0302,
         {{0, 0, kWrite | kExecute | FILE_DELETE_CHILD, owner_},
          {0, 0, kWrite | FILE_DELETE_CHILD, everyone_}}},
    };
    for (const auto& row : rows) {
        Prepare(row.mode);
        EXPECT_EQ(Security().second, row.aces) << std::oct << row.mode;
        EXPECT_EQ(SetWhatIsRead(), DWORD{ERROR_SUCCESS}) << std::oct << row.mode;
        EXPECT_EQ(Mode(), row.mode) << "set back as read";
    }
}

TEST_F(SecurityLayerTest, RootOwnsAsAdministratorsWithItsBitsUnderOwnerRights) {
    const SidBuffer ownerRights = win32_layer::OwnerRightsSid();
    const SidBuffer rootGroup = GroupSid(0);
    Prepare(0640, 0, 0);
    const std::vector<AceSeen> fileAces = {
        {0, 0, FILE_GENERIC_READ | FILE_GENERIC_WRITE, ownerRights},
        {0, 0, FILE_GENERIC_READ, rootGroup}};
    EXPECT_EQ(Security(), std::make_pair(administrators_, fileAces));
    EXPECT_EQ(SetWhatIsRead(), DWORD{ERROR_SUCCESS});
    EXPECT_EQ(Mode(), 0640u);

    UseDirectory();
    Prepare(01777, 0, 0);
    const DWORD shared = kRead | kWrite | kExecute;
    const std::vector<AceSeen> directoryAces = {
        {0, 0, FILE_ALL_ACCESS, ownerRights}, {0, 0, shared, rootGroup}, {0, 0, shared, everyone_}};
    EXPECT_EQ(Security(), std::make_pair(administrators_, directoryAces));
    EXPECT_EQ(SetWhatIsRead(), DWORD{ERROR_SUCCESS});
    EXPECT_EQ(Mode(), 01777u);

    // The owner's rights go to whoever owns, root or not.
    Prepare(0700, kUser, kGroup);
    EXPECT_EQ(SetDacl({EntryFor(const_cast<SidBuffer&>(ownerRights), GENERIC_READ, SET_ACCESS)}),
              DWORD{ERROR_SUCCESS});
    EXPECT_EQ(Mode(), 0400u);
}

TEST_F(SecurityLayerTest, NewDirectoriesAreNeverWritableByOthers) {
    const struct {
        mode_t umask;
        mode_t mode;
    } rows[] = {{0, 0755}, {022, 0755}, {077, 0700}};
    for (const auto& row : rows) {
        const mode_t previous = umask(row.umask);
        const WideString name = directory_ / u"new";
        const BOOL created = CreateDirectoryW(name.c_str(), nullptr);
        umask(previous);
        ASSERT_EQ(created, TRUE) << GetLastError();
        struct stat status {};
        ASSERT_EQ(stat(LinuxPathOf(name).c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, row.mode) << "umask " << std::oct << row.umask;
        ASSERT_EQ(RemoveDirectoryW(name.c_str()), TRUE);
    }
}

TEST_F(SecurityLayerTest, DaclsBecomeModeBits) {
    const struct {
        const char* name;
        std::vector<EXPLICIT_ACCESS_W> entries;
        mode_t mode;
    } rows[] = {
        {"generic all", {EntryFor(owner_, GENERIC_ALL, SET_ACCESS)}, 0700},
        {"every file right", {EntryFor(owner_, FILE_ALL_ACCESS, SET_ACCESS)}, 0700},
        {"one class each",
         {EntryFor(owner_, GENERIC_READ | GENERIC_WRITE, SET_ACCESS),
          EntryFor(group_, GENERIC_READ, SET_ACCESS),
          EntryFor(everyone_, GENERIC_EXECUTE, SET_ACCESS)},
         0641},
        {"specific rights",
         {EntryFor(owner_, FILE_READ_DATA | FILE_APPEND_DATA, SET_ACCESS),
          EntryFor(group_, FILE_EXECUTE, SET_ACCESS)},
         0610},
        {"root adds no bit",
         {EntryFor(administrators_, GENERIC_ALL, SET_ACCESS),
          EntryFor(system_, GENERIC_ALL, SET_ACCESS)},
         0000},
        {"a denial takes from its class",
         {EntryFor(owner_, GENERIC_ALL, SET_ACCESS), EntryFor(owner_, GENERIC_WRITE, DENY_ACCESS),
          EntryFor(group_, GENERIC_ALL, SET_ACCESS)},
         0570},
        {"denying everyone takes from all",
         {EntryFor(owner_, GENERIC_ALL, SET_ACCESS), EntryFor(group_, GENERIC_ALL, SET_ACCESS),
          EntryFor(everyone_, GENERIC_ALL, SET_ACCESS),
          EntryFor(everyone_, GENERIC_WRITE, DENY_ACCESS)},
         0555},
        {"inherit-only gives nothing here",
         {EntryFor(owner_, GENERIC_ALL, SET_ACCESS, INHERIT_ONLY_ACE | OBJECT_INHERIT_ACE)},
         0000},
    };
    for (const auto& row : rows) {
        Prepare(0666);
        EXPECT_EQ(SetDacl(row.entries), DWORD{ERROR_SUCCESS}) << row.name;
        EXPECT_EQ(Mode(), row.mode) << row.name;
    }
}

TEST_F(SecurityLayerTest, MergingAdministratorsIntoAKeyFileNeverWidensIt) {
    Prepare(0600, 0, 0);
    LocalBlock held;
    PACL dacl = nullptr;
    ASSERT_EQ(GetNamedSecurityInfoW(name_.c_str(), SE_FILE_OBJECT,
                                    OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                                    nullptr, &dacl, nullptr, &held.block),
              DWORD{ERROR_SUCCESS});
    EXPLICIT_ACCESS_W entry = EntryFor(administrators_, GENERIC_ALL, SET_ACCESS);
    PACL merged = nullptr;
    ASSERT_EQ(SetEntriesInAclW(1, &entry, dacl, &merged), DWORD{ERROR_SUCCESS});
    EXPECT_EQ(Set(DACL_SECURITY_INFORMATION, administrators_.data(), merged), DWORD{ERROR_SUCCESS});
    LocalFree(merged);
    EXPECT_EQ(Mode(), 0600u);
    EXPECT_EQ(Status().st_uid, 0u);
}

TEST_F(SecurityLayerTest, OwnersAndGroupsAreChown) {
    const SidBuffer otherUser = UserSid(4321);
    const SidBuffer otherGroup = GroupSid(8765);
    const struct {
        const char* name;
        const SidBuffer* owner;
        const SidBuffer* group;
        DWORD status;
        uid_t user;
        gid_t groupId;
    } rows[] = {
        {"a user", &otherUser, nullptr, ERROR_SUCCESS, 4321, kGroup},
        {"a group", nullptr, &otherGroup, ERROR_SUCCESS, kUser, 8765},
        {"administrators", &administrators_, &administrators_, ERROR_SUCCESS, 0, 0},
        {"local system", &system_, nullptr, ERROR_SUCCESS, 0, kGroup},
        {"everyone owns nothing", &everyone_, nullptr, ERROR_INVALID_OWNER, kUser, kGroup},
        {"a group owns nothing", &otherGroup, nullptr, ERROR_INVALID_OWNER, kUser, kGroup},
        {"no primary group", nullptr, &otherUser, ERROR_INVALID_PRIMARY_GROUP, kUser, kGroup},
    };
    for (const auto& row : rows) {
        Prepare(0640);
        SECURITY_INFORMATION information = 0;
        PSID group = nullptr;
        if (row.group != nullptr) {
            information |= GROUP_SECURITY_INFORMATION;
            group = const_cast<BYTE*>(row.group->data());
        }
        PSID owner = row.owner != nullptr ? const_cast<BYTE*>(row.owner->data()) : nullptr;
        EXPECT_EQ(Set(information, owner, nullptr, group), row.status) << row.name;
        EXPECT_EQ(Status().st_uid, row.user) << row.name;
        EXPECT_EQ(Status().st_gid, row.groupId) << row.name;
        EXPECT_EQ(Mode(), 0640u) << row.name;
    }
}

TEST_F(SecurityLayerTest, WhatModeBitsCannotSayIsRefusedBeforeAnythingChanges) {
    SidBuffer stranger = UserSid(4321);
    const struct {
        const char* name;
        std::vector<EXPLICIT_ACCESS_W> entries;
        PSID owner;
    } rows[] = {
        {"another user", {EntryFor(stranger, GENERIC_READ, SET_ACCESS)}, nullptr},
        {"a denial for root", {EntryFor(administrators_, GENERIC_READ, DENY_ACCESS)}, nullptr},
        // Once root owns the file, the old owner is just another user.
        {"the owner being replaced",
         {EntryFor(owner_, GENERIC_ALL, SET_ACCESS)},
         administrators_.data()},
    };
    for (const auto& row : rows) {
        Prepare(0640);
        EXPECT_EQ(SetDacl(row.entries, row.owner), DWORD{ERROR_INVALID_PARAMETER}) << row.name;
        EXPECT_EQ(Mode(), 0640u) << row.name;
        EXPECT_EQ(Status().st_uid, kUser) << row.name;
    }
    Prepare(0640);
    EXPECT_EQ(Set(DACL_SECURITY_INFORMATION, nullptr, nullptr), DWORD{ERROR_INVALID_PARAMETER})
        << "a null DACL would open the file to everyone";
    EXPECT_EQ(SetNamedSecurityInfoW(name_.data(), SE_FILE_OBJECT, SACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, nullptr, nullptr),
              DWORD{ERROR_INVALID_PARAMETER});
    EXPECT_EQ(Mode(), 0640u);
}

TEST_F(SecurityLayerTest, SetIdBitsSurviveOnlyWhileOwnerAndGroupStay) {
    Prepare(06750);
    EXPECT_EQ(SetDacl({EntryFor(owner_, GENERIC_ALL, SET_ACCESS)}), DWORD{ERROR_SUCCESS});
    EXPECT_EQ(Mode(), 06700u);
    SidBuffer root = UserSid(0);
    EXPECT_EQ(SetDacl({EntryFor(root, GENERIC_ALL, SET_ACCESS)}, administrators_.data()),
              DWORD{ERROR_SUCCESS});
    EXPECT_EQ(Mode(), 0700u);
}

TEST_F(SecurityLayerTest, InjectedFailuresAreReturnedAndChangeNothing) {
    Prepare(0640);
    {
        ScopedFaultInjection failure(LayerCall::GetNamedSecurityInfoW, ERROR_ACCESS_DENIED);
        LocalBlock held;
        PACL dacl = nullptr;
        EXPECT_EQ(GetNamedSecurityInfoW(name_.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                        nullptr, nullptr, &dacl, nullptr, &held.block),
                  DWORD{ERROR_ACCESS_DENIED});
        EXPECT_EQ(held.block, nullptr);
    }
    {
        ScopedFaultInjection failure(LayerCall::SetNamedSecurityInfoW, ERROR_INVALID_OWNER, 1);
        EXPECT_EQ(SetDacl({EntryFor(owner_, GENERIC_ALL, SET_ACCESS)}), DWORD{ERROR_SUCCESS});
        EXPECT_EQ(Mode(), 0700u);
        EXPECT_EQ(SetDacl({EntryFor(owner_, GENERIC_READ, SET_ACCESS)}),
                  DWORD{ERROR_INVALID_OWNER});
        EXPECT_EQ(Mode(), 0700u);
    }
}

// Runs `check` as nobody in a child process and returns its exit code.
template <class Check>
int AsNobody(Check check) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(setgid(kNobody) == 0 && setuid(kNobody) == 0 ? check() : 100);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 101;
}

TEST_F(SecurityLayerTest, WithoutCapChownTheOwnerIsRefusedAndThePrivilegeNotAssigned) {
    Prepare(0600, kNobody, kNobody);
    const int owner = AsNobody([&] {
        return static_cast<int>(Set(0, administrators_.data(), nullptr) - ERROR_INVALID_OWNER);
    });
    EXPECT_EQ(owner, 0) << "the owner's last error, less 1307";
    EXPECT_EQ(Status().st_uid, kNobody);

    Prepare(0644, 0, 0);
    const int dacl = AsNobody(
        [&] { return static_cast<int>(SetDacl({EntryFor(everyone_, GENERIC_ALL, SET_ACCESS)})); });
    EXPECT_EQ(dacl, static_cast<int>(ERROR_ACCESS_DENIED)) << "the DACL of root's file";
    EXPECT_EQ(Mode(), 0644u);

    const auto adjust = [] {
        HANDLE token = nullptr;
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token) != TRUE) {
            return 102;
        }
        TOKEN_PRIVILEGES privileges{1, {{{9, 0}, SE_PRIVILEGE_ENABLED}}};
        SetLastError(ERROR_INVALID_FUNCTION);
        const BOOL result = AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
        const DWORD error = GetLastError();
        CloseHandle(token);
        return result != TRUE ? 103 : error == ERROR_NOT_ALL_ASSIGNED ? 1 : error == 0 ? 0 : 104;
    };
    EXPECT_EQ(AsNobody(adjust), 1) << "1 is ERROR_NOT_ALL_ASSIGNED";
    EXPECT_EQ(adjust(), 0) << "root holds CAP_CHOWN";
}

TEST_F(SecurityLayerTest, TheTokensUserIsTheEffectiveUid) {
    const auto user = [](TOKEN_INFORMATION_CLASS type) {
        HANDLE token = nullptr;
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) != TRUE) {
            return SidBuffer{};
        }
        DWORD buffer[32] = {};
        DWORD size = 0;
        const BOOL read = GetTokenInformation(token, type, buffer, sizeof buffer, &size);
        CloseHandle(token);
        if (read != TRUE) {
            return SidBuffer{GetLastError() == ERROR_INVALID_PARAMETER ? BYTE{87} : BYTE{0}};
        }
        return CopyOfSid(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
    };
    EXPECT_EQ(user(TokenUser), UserSid(0));
    EXPECT_EQ(AsNobody([&] { return user(TokenUser) == UserSid(kNobody) ? 0 : 1; }), 0);
    EXPECT_EQ(user(static_cast<TOKEN_INFORMATION_CLASS>(3)), SidBuffer{87}) << "privileges";
}

TEST(SecurityLayerCalls, UnsupportedEntriesAreRefused) {
    SidBuffer everyone = WellKnown(WinWorldSid);
    EXPLICIT_ACCESS_W audit = EntryFor(everyone, GENERIC_ALL, SET_AUDIT_SUCCESS);
    EXPLICIT_ACCESS_W multiple = EntryFor(everyone, GENERIC_ALL, SET_ACCESS);
    multiple.Trustee.MultipleTrusteeOperation = TRUSTEE_IS_IMPERSONATE;
    EXPLICIT_ACCESS_W inheritance = EntryFor(everyone, GENERIC_ALL, SET_ACCESS, 0x10);
    EXPLICIT_ACCESS_W badSid = EntryFor(everyone, GENERIC_ALL, SET_ACCESS);
    BYTE notASid[8] = {2};
    badSid.Trustee.ptstrName = reinterpret_cast<LPWSTR>(notASid);
    const struct {
        const char* name;
        EXPLICIT_ACCESS_W entry;
        DWORD status;
    } rows[] = {
        {"an audit mode", audit, ERROR_INVALID_PARAMETER},
        {"several trustees", multiple, ERROR_INVALID_PARAMETER},
        {"the inherited flag", inheritance, ERROR_INVALID_PARAMETER},
        {"no SID", badSid, ERROR_INVALID_SID},
    };
    for (auto row : rows) {
        PACL acl = nullptr;
        EXPECT_EQ(SetEntriesInAclW(1, &row.entry, nullptr, &acl), row.status) << row.name;
        EXPECT_EQ(acl, nullptr) << row.name;
    }
    EXPECT_EQ(SetEntriesInAclW(1, &audit, nullptr, nullptr), DWORD{ERROR_INVALID_PARAMETER});
}

TEST(SecurityLayerCalls, MalformedAclsAreRefused) {
    const struct {
        const char* name;
        ACL header;
    } rows[] = {
        {"unknown revision", {7, 0, 8, 0, 0}},
        {"shorter than its header", {ACL_REVISION, 0, 4, 0, 0}},
        {"an ACE beyond its size", {ACL_REVISION, 0, 8, 1, 0}},
    };
    for (auto row : rows) {
        PACL acl = nullptr;
        EXPECT_EQ(SetEntriesInAclW(0, nullptr, &row.header, &acl), DWORD{ERROR_INVALID_ACL})
            << row.name;
    }
}

} // namespace
