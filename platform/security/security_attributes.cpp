#include "platform/security/security_attributes.h"

#include <memory>

#include "foundation/encoding/local_buffer.h"
#include "foundation/encoding/windows_error.h"
#include "platform/security/security_errors.h"

namespace Windows {

namespace {

constexpr SECURITY_INFORMATION kOwnerAndDacl =
    OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
constexpr DWORD kInheritedByChildren = CONTAINER_INHERIT_ACE | OBJECT_INHERIT_ACE;
constexpr WCHAR kCurrentUser[] = WIDE("CURRENT_USER");

void FillEntry(EXPLICIT_ACCESS_W& entry, int inheritable, TRUSTEE_FORM form, TRUSTEE_TYPE type,
               LPWSTR name) {
    entry.grfAccessPermissions = GENERIC_ALL;
    entry.grfAccessMode = SET_ACCESS;
    entry.grfInheritance = inheritable == 1 ? kInheritedByChildren : NO_INHERITANCE;
    entry.Trustee.pMultipleTrustee = nullptr;
    entry.Trustee.MultipleTrusteeOperation = NO_MULTIPLE_TRUSTEE;
    entry.Trustee.TrusteeForm = form;
    entry.Trustee.TrusteeType = type;
    entry.Trustee.ptstrName = name;
}

void AddWellKnownAccessEntry(WELL_KNOWN_SID_TYPE type, int index, SecurityRecord& record,
                             int inheritable) {
    SidHolder& holder =
        type == WinBuiltinAdministratorsSid ? record.administrators : record.localSystem;
    holder = WellKnownSid(type, nullptr);
    // For a SID trustee the name field carries the SID.
    FillEntry(record.entries[index], inheritable, TRUSTEE_IS_SID, TRUSTEE_IS_WELL_KNOWN_GROUP,
              static_cast<LPWSTR>(holder.Sid()));
}

struct TokenCloser {
    void operator()(HANDLE token) const noexcept { CloseHandle(token); }
};
using TokenHolder = std::unique_ptr<void, TokenCloser>;

// Ownership of an item that one may not otherwise change can still be taken with this
// privilege; whether the token really holds it shows only in the retried call.
void EnableTakeOwnershipPrivilege() {
    HANDLE token = nullptr;
    CheckWin32(
        OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
    const TokenHolder held(token);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    CheckWin32(LookupPrivilegeValueW(nullptr, WIDE("SeTakeOwnershipPrivilege"),
                                     &privileges.Privileges[0].Luid));
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    CheckWin32(AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr));
}

using LocalHolder = std::unique_ptr<void, LocalBufferDeleter>;

// The item's descriptor, which holds `dacl`.
LocalHolder GetNamedSecurityDescriptor(LPWSTR path, PACL& dacl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ThrowWindowsError(GetNamedSecurityInfoW(path, SE_FILE_OBJECT, kOwnerAndDacl, nullptr, nullptr,
                                            &dacl, nullptr, &descriptor));
    LocalHolder held(descriptor);
    if (descriptor == nullptr) {
        throw NullSecurityDescriptor();
    }
    return held;
}

void ApplyNamedSecurity(LPWSTR path, const SecurityRecord& record, PACL oldDacl) {
    PACL dacl = nullptr;
    ThrowWindowsError(SetEntriesInAclW(static_cast<ULONG>(record.entryCount),
                                       const_cast<EXPLICIT_ACCESS_W*>(record.entries), oldDacl,
                                       &dacl));
    const LocalHolder held(dacl);
    const auto set = [&] {
        return SetNamedSecurityInfoW(path, SE_FILE_OBJECT, kOwnerAndDacl,
                                     record.administrators.Sid(), nullptr, dacl, nullptr);
    };
    DWORD status = set();
    if (status == ERROR_ACCESS_DENIED) {
        EnableTakeOwnershipPrivilege();
        status = set();
    }
    ThrowWindowsError(status);
}

} // namespace

SecurityRecord::~SecurityRecord() {
    FreeLocalBuffer(dacl);
}

SecurityAttributes::SecurityAttributes(int kind, int inheritable)
    : record_(std::make_unique<SecurityRecord>()), attributes_{} {
    SecurityRecord& record = *record_;
    if (kind < 0 || kind > 2) {
        ThrowWindowsError(ERROR_INVALID_PARAMETER);
    }
    record.entryCount = kind + 1;
    AddWellKnownAccessEntry(WinBuiltinAdministratorsSid, 0, record, inheritable);
    if (kind >= 1) {
        AddWellKnownAccessEntry(WinLocalSystemSid, 1, record, inheritable);
    }
    if (kind == 2) {
        FillEntry(record.entries[2], inheritable, TRUSTEE_IS_NAME, TRUSTEE_IS_USER,
                  const_cast<LPWSTR>(kCurrentUser));
    }
    PACL dacl = nullptr;
    ThrowWindowsError(
        SetEntriesInAclW(static_cast<ULONG>(record.entryCount), record.entries, nullptr, &dacl));
    FreeLocalBuffer(record.dacl);
    record.dacl = dacl;
    CheckWin32(InitializeSecurityDescriptor(&record.descriptor, SECURITY_DESCRIPTOR_REVISION));
    CheckWin32(SetSecurityDescriptorDacl(&record.descriptor, TRUE, record.dacl, FALSE));
    attributes_.nLength = sizeof(SECURITY_ATTRIBUTES);
    attributes_.lpSecurityDescriptor = &record.descriptor;
    attributes_.bInheritHandle = FALSE;
}

SecurityAttributes::~SecurityAttributes() = default;

void SecurityAttributes::ApplyTo(FileLocation target, bool replace) const noexcept {
    try {
        const CopiedUString<UTF16> text = LongPathForm(target.Text(), kFilePathLimit);
        const auto path = const_cast<LPWSTR>(text.begin());
        LocalHolder descriptor;
        PACL oldDacl = nullptr;
        if (!replace) {
            descriptor = GetNamedSecurityDescriptor(path, oldDacl);
        }
        ApplyNamedSecurity(path, *record_, oldDacl);
    } catch (...) {
        // Best effort by design: the item stays as the failing call left it.
    }
}

} // namespace Windows
