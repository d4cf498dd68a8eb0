#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>

#include "winapi/errors/errors.h"
#include "winapi/errors/messages.h"
#include "winapi/security/acl_records.h"
#include "winapi/security/security.h"
#include "winapi/security/sid_bytes.h"

namespace {

using win32_layer::AceRecord;
using win32_layer::SidBytes;

constexpr DWORD kInheritanceFlags =
    OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | NO_PROPAGATE_INHERIT_ACE | INHERIT_ONLY_ACE;
constexpr DWORD kLargestAcl = 0xFFFF;

DWORD TrusteeSid(const TRUSTEE_W& trustee, SidBytes& sid) {
    if (trustee.pMultipleTrustee != nullptr ||
        trustee.MultipleTrusteeOperation != NO_MULTIPLE_TRUSTEE || trustee.ptstrName == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (trustee.TrusteeForm == TRUSTEE_IS_SID) {
        if (!win32_layer::IsWellFormedSid(trustee.ptstrName)) {
            return ERROR_INVALID_SID;
        }
        sid = win32_layer::CopySid(trustee.ptstrName);
        return ERROR_SUCCESS;
    }
    if (trustee.TrusteeForm == TRUSTEE_IS_NAME) {
        if (std::u16string_view(trustee.ptstrName) != u"CURRENT_USER") {
            return ERROR_NONE_MAPPED;
        }
        sid = win32_layer::UserSid(geteuid());
        return ERROR_SUCCESS;
    }
    return ERROR_INVALID_PARAMETER;
}

bool IsExplicitFor(const AceRecord& ace, const SidBytes& sid) {
    return (ace.flags & INHERITED_ACE) == 0 && ace.sid == sid;
}

// GRANT and DENY add to what the trustee already has of that kind under the same flags, so such
// ACEs fold into the new one.
void MergeInto(std::vector<AceRecord>& aces, AceRecord added) {
    std::erase_if(aces, [&](const AceRecord& ace) {
        if (ace.type != added.type || ace.flags != added.flags || !IsExplicitFor(ace, added.sid)) {
            return false;
        }
        added.mask |= ace.mask;
        return true;
    });
    aces.push_back(std::move(added));
}

DWORD Apply(const EXPLICIT_ACCESS_W& entry, std::vector<AceRecord>& aces) {
    if (entry.grfAccessMode == NOT_USED_ACCESS) {
        return ERROR_SUCCESS;
    }
    if ((entry.grfInheritance & ~kInheritanceFlags) != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    AceRecord added;
    added.flags = static_cast<BYTE>(entry.grfInheritance);
    added.mask = entry.grfAccessPermissions;
    if (const DWORD error = TrusteeSid(entry.Trustee, added.sid); error != ERROR_SUCCESS) {
        return error;
    }
    switch (entry.grfAccessMode) {
    case SET_ACCESS:
        std::erase_if(aces, [&](const AceRecord& ace) { return IsExplicitFor(ace, added.sid); });
        aces.push_back(std::move(added));
        return ERROR_SUCCESS;
    case GRANT_ACCESS:
        MergeInto(aces, std::move(added));
        return ERROR_SUCCESS;
    case DENY_ACCESS:
        added.type = ACCESS_DENIED_ACE_TYPE;
        MergeInto(aces, std::move(added));
        return ERROR_SUCCESS;
    case REVOKE_ACCESS:
        std::erase_if(aces, [&](const AceRecord& ace) {
            return ace.type == ACCESS_ALLOWED_ACE_TYPE && IsExplicitFor(ace, added.sid);
        });
        return ERROR_SUCCESS;
    default:
        return ERROR_INVALID_PARAMETER;
    }
}

// Explicit denials first, then explicit grants, then what was inherited: the order in which
// Windows evaluates an ACL as intended.
int Rank(const AceRecord& ace) {
    if ((ace.flags & INHERITED_ACE) != 0) {
        return 2;
    }
    return ace.type == ACCESS_DENIED_ACE_TYPE ? 0 : 1;
}

} // namespace

BOOL GetAce(PACL acl, DWORD index, LPVOID* ace) {
    if (acl == nullptr || ace == nullptr || index >= acl->AceCount) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto* bytes = reinterpret_cast<BYTE*>(acl);
    std::size_t at = sizeof(ACL);
    for (DWORD skipped = 0; skipped < index; ++skipped) {
        ACE_HEADER header{};
        std::memcpy(&header, bytes + at, sizeof header);
        at += header.AceSize;
    }
    if (at + sizeof(ACE_HEADER) > acl->AclSize) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *ace = bytes + at;
    return TRUE;
}

DWORD SetEntriesInAclW(ULONG count, PEXPLICIT_ACCESS_W entries, PACL oldAcl, PACL* newAcl) {
    if (newAcl == nullptr || (count > 0 && entries == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    *newAcl = nullptr;
    try {
        std::vector<AceRecord> aces;
        if (oldAcl != nullptr) {
            if (const DWORD error = win32_layer::ReadAcl(oldAcl, aces); error != ERROR_SUCCESS) {
                return error;
            }
        }
        for (ULONG i = 0; i < count; ++i) {
            if (const DWORD error = Apply(entries[i], aces); error != ERROR_SUCCESS) {
                return error;
            }
        }
        std::stable_sort(aces.begin(), aces.end(),
                         [](const AceRecord& a, const AceRecord& b) { return Rank(a) < Rank(b); });
        const DWORD size = win32_layer::AclSizeOf(aces);
        if (size > kLargestAcl) {
            return ERROR_INVALID_PARAMETER;
        }
        void* block = LocalAlloc(LMEM_ZEROINIT, size);
        if (block == nullptr) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
        win32_layer::WriteAcl(aces, block);
        *newAcl = static_cast<PACL>(block);
        return ERROR_SUCCESS;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}
