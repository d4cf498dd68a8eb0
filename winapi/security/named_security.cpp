// The security of files, kept in their owner, group and mode bits.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "winapi/errors/errors.h"
#include "winapi/errors/messages.h"
#include "winapi/files/files.h"
#include "winapi/files/paths.h"
#include "winapi/internal/fault_injection.h"
#include "winapi/security/acl_records.h"
#include "winapi/security/security.h"
#include "winapi/security/sid_bytes.h"

namespace {

using win32_layer::AceRecord;
using win32_layer::Principal;
using win32_layer::SidBytes;

constexpr SECURITY_INFORMATION kSupportedInformation =
    OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
// How a DACL is to be inherited on Windows; mode bits inherit nothing, so these change nothing.
constexpr SECURITY_INFORMATION kInheritanceControl = 0xF0000000;

// The parts of a descriptor that a call reads or sets.
struct Parts {
    explicit Parts(SECURITY_INFORMATION information)
        : owner((information & OWNER_SECURITY_INFORMATION) != 0),
          group((information & GROUP_SECURITY_INFORMATION) != 0),
          dacl((information & DACL_SECURITY_INFORMATION) != 0) {}
    bool owner;
    bool group;
    bool dacl;
};

constexpr mode_t kRead = 4;
constexpr mode_t kWrite = 2;
constexpr mode_t kExecute = 1;
constexpr mode_t kEveryBit = kRead | kWrite | kExecute;

mode_t BitsOf(DWORD mask) {
    if ((mask & GENERIC_ALL) != 0 || (mask & FILE_ALL_ACCESS) == FILE_ALL_ACCESS) {
        return kEveryBit;
    }
    mode_t bits = 0;
    if ((mask & (GENERIC_READ | FILE_READ_DATA)) != 0) {
        bits |= kRead;
    }
    if ((mask & (GENERIC_WRITE | FILE_WRITE_DATA | FILE_APPEND_DATA)) != 0) {
        bits |= kWrite;
    }
    if ((mask & (GENERIC_EXECUTE | FILE_EXECUTE)) != 0) {
        bits |= kExecute;
    }
    return bits;
}

DWORD MaskOf(mode_t bits) {
    if (bits == kEveryBit) {
        return FILE_ALL_ACCESS;
    }
    DWORD mask = 0;
    if ((bits & kRead) != 0) {
        mask |= FILE_GENERIC_READ;
    }
    if ((bits & kWrite) != 0) {
        mask |= FILE_GENERIC_WRITE;
    }
    if ((bits & kExecute) != 0) {
        mask |= FILE_GENERIC_EXECUTE;
    }
    return mask;
}

// Write on a directory lets a class remove and rename its entries, which the sticky bit keeps
// to their own owners for everyone but the directory's owner. Only the owner may change the
// directory's mode or owner, or have it removed, so another class's rwx is not FILE_ALL_ACCESS.
DWORD DirectoryMaskOf(mode_t bits, bool owner, bool sticky) {
    const DWORD mask = owner ? MaskOf(bits) : MaskOf(bits & ~kExecute) | MaskOf(bits & kExecute);
    return (bits & kWrite) != 0 && (owner || !sticky) ? mask | FILE_DELETE_CHILD : mask;
}

// Root's own SIDs stand for root as an owner.
SidBytes OwnerSidOf(uid_t owner) {
    return owner == 0 ? win32_layer::AdministratorsSid() : win32_layer::UserSid(owner);
}

std::vector<AceRecord> AcesOf(const struct stat& status) {
    struct ModeClass {
        mode_t bits;
        SidBytes sid;
        bool owner;
    };
    // Root's SIDs add no mode bit in a DACL to set, so root's owner class is read under the SID
    // of the owner's rights, and a DACL read back keeps the owner bits when it is set again.
    const ModeClass classes[] = {
        {(status.st_mode >> 6) & kEveryBit,
         status.st_uid == 0 ? win32_layer::OwnerRightsSid() : win32_layer::UserSid(status.st_uid),
         true},
        {(status.st_mode >> 3) & kEveryBit, win32_layer::GroupSid(status.st_gid), false},
        {status.st_mode & kEveryBit, win32_layer::WorldSid(), false},
    };
    const bool directory = S_ISDIR(status.st_mode);
    const bool sticky = (status.st_mode & S_ISVTX) != 0;
    std::vector<AceRecord> aces;
    for (const ModeClass& modeClass : classes) {
        if (modeClass.bits != 0) {
            const DWORD mask = directory ? DirectoryMaskOf(modeClass.bits, modeClass.owner, sticky)
                                         : MaskOf(modeClass.bits);
            aces.push_back({ACCESS_ALLOWED_ACE_TYPE, 0, mask, modeClass.sid});
        }
    }
    return aces;
}

// ERROR_SUCCESS with the permission bits that the ACEs give a file of that owner and group, or
// ERROR_INVALID_PARAMETER when an ACE cannot be expressed in them.
DWORD PermissionBits(const std::vector<AceRecord>& aces, uid_t owner, gid_t group,
                     mode_t& permissions) {
    enum { kOwner, kGroup, kOther };
    mode_t allowed[3] = {};
    mode_t denied[3] = {};
    for (const AceRecord& ace : aces) {
        // Such an ACE is only handed on to what the directory will hold.
        if ((ace.flags & INHERIT_ONLY_ACE) != 0) {
            continue;
        }
        const bool deny = ace.type == ACCESS_DENIED_ACE_TYPE;
        const mode_t bits = BitsOf(ace.mask);
        const win32_layer::PrincipalOf principal = win32_layer::Classify(ace.sid.data());
        if (principal.kind == Principal::Root && !deny) {
            continue;
        }
        if (principal.kind == Principal::World && deny) {
            for (mode_t& denial : denied) {
                denial |= bits;
            }
            continue;
        }
        int target = kOther;
        if (principal.kind == Principal::OwnerRights ||
            (principal.kind == Principal::User && principal.id == owner)) {
            target = kOwner;
        } else if (principal.kind == Principal::Group && principal.id == group) {
            target = kGroup;
        } else if (principal.kind != Principal::World) {
            return ERROR_INVALID_PARAMETER;
        }
        (deny ? denied : allowed)[target] |= bits;
    }
    permissions = (allowed[kOwner] & ~denied[kOwner]) << 6 |
                  (allowed[kGroup] & ~denied[kGroup]) << 3 | (allowed[kOther] & ~denied[kOther]);
    return ERROR_SUCCESS;
}

// ERROR_SUCCESS with the item's Linux path and status, or the Win32 code for its name.
DWORD Locate(LPCWSTR name, std::string& path, struct stat& status) {
    if (const DWORD error = win32_layer::ToLinuxPath(name, path); error != ERROR_SUCCESS) {
        return error;
    }
    if (stat(path.c_str(), &status) != 0) {
        return win32_layer::PathErrorFromErrno(errno, path);
    }
    return ERROR_SUCCESS;
}

// The uid or gid that `sid` names as an account of `kind`; root's SIDs name 0.
bool IdFor(PSID sid, Principal kind, std::uint32_t& id) {
    const win32_layer::PrincipalOf principal = win32_layer::Classify(sid);
    if (principal.kind == Principal::Root) {
        id = 0;
        return true;
    }
    if (principal.kind == kind) {
        id = principal.id;
        return true;
    }
    return false;
}

void Place(BYTE* block, DWORD& offset, const void* part, DWORD size, DWORD& field) {
    std::memcpy(block + offset, part, size);
    field = offset;
    offset += size;
}

} // namespace

DWORD GetNamedSecurityInfoW(LPCWSTR name, SE_OBJECT_TYPE type, SECURITY_INFORMATION information,
                            PSID* owner, PSID* group, PACL* dacl, PACL* sacl,
                            PSECURITY_DESCRIPTOR* descriptor) {
    if (win32_layer::InjectedFailure(win32_layer::LayerCall::GetNamedSecurityInfoW)) {
        return GetLastError();
    }
    const bool anyPart = owner != nullptr || group != nullptr || dacl != nullptr || sacl != nullptr;
    if (type != SE_FILE_OBJECT || (information & ~kSupportedInformation) != 0 ||
        (anyPart && descriptor == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    try {
        std::string path;
        struct stat status {};
        if (const DWORD error = Locate(name, path, status); error != ERROR_SUCCESS) {
            return error;
        }
        const SidBytes ownerSid = OwnerSidOf(status.st_uid);
        const SidBytes groupSid = win32_layer::GroupSid(status.st_gid);
        const std::vector<AceRecord> aces = AcesOf(status);
        const Parts with(information);
        const DWORD daclSize = win32_layer::AclSizeOf(aces);
        const DWORD size = static_cast<DWORD>(sizeof(SECURITY_DESCRIPTOR_RELATIVE)) +
                           (with.owner ? static_cast<DWORD>(ownerSid.size()) : 0) +
                           (with.group ? static_cast<DWORD>(groupSid.size()) : 0) +
                           (with.dacl ? daclSize : 0);
        auto* block = static_cast<BYTE*>(LocalAlloc(LMEM_ZEROINIT, size));
        if (block == nullptr) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
        SECURITY_DESCRIPTOR_RELATIVE header{};
        header.Revision = SECURITY_DESCRIPTOR_REVISION;
        header.Control = SE_SELF_RELATIVE;
        DWORD offset = sizeof header;
        if (with.owner) {
            Place(block, offset, ownerSid.data(), static_cast<DWORD>(ownerSid.size()),
                  header.Owner);
        }
        if (with.group) {
            Place(block, offset, groupSid.data(), static_cast<DWORD>(groupSid.size()),
                  header.Group);
        }
        if (with.dacl) {
            header.Control |= SE_DACL_PRESENT;
            header.Dacl = offset;
            win32_layer::WriteAcl(aces, block + offset);
        }
        std::memcpy(block, &header, sizeof header);
        if (owner != nullptr) {
            *owner = with.owner ? block + header.Owner : nullptr;
        }
        if (group != nullptr) {
            *group = with.group ? block + header.Group : nullptr;
        }
        if (dacl != nullptr) {
            *dacl = with.dacl ? reinterpret_cast<PACL>(block + header.Dacl) : nullptr;
        }
        if (sacl != nullptr) {
            *sacl = nullptr;
        }
        if (descriptor != nullptr) {
            *descriptor = block;
        } else {
            LocalFree(block);
        }
        return ERROR_SUCCESS;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

DWORD SetNamedSecurityInfoW(LPWSTR name, SE_OBJECT_TYPE type, SECURITY_INFORMATION information,
                            PSID owner, PSID group, PACL dacl, PACL) {
    if (win32_layer::InjectedFailure(win32_layer::LayerCall::SetNamedSecurityInfoW)) {
        return GetLastError();
    }
    information &= ~kInheritanceControl;
    if (type != SE_FILE_OBJECT || (information & ~kSupportedInformation) != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    const Parts with(information);
    if ((with.owner && !win32_layer::IsWellFormedSid(owner)) ||
        (with.group && !win32_layer::IsWellFormedSid(group)) || (with.dacl && dacl == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    try {
        std::string path;
        struct stat status {};
        if (const DWORD error = Locate(name, path, status); error != ERROR_SUCCESS) {
            return error;
        }
        uid_t newOwner = status.st_uid;
        if (with.owner && !IdFor(owner, Principal::User, newOwner)) {
            return ERROR_INVALID_OWNER;
        }
        gid_t newGroup = status.st_gid;
        if (with.group && !IdFor(group, Principal::Group, newGroup)) {
            return ERROR_INVALID_PRIMARY_GROUP;
        }
        mode_t permissions = 0;
        if (with.dacl) {
            std::vector<AceRecord> aces;
            if (const DWORD error = win32_layer::ReadAcl(dacl, aces); error != ERROR_SUCCESS) {
                return error;
            }
            if (const DWORD error = PermissionBits(aces, newOwner, newGroup, permissions);
                error != ERROR_SUCCESS) {
                return error;
            }
        }
        const bool ownerChanges = newOwner != status.st_uid;
        const bool groupChanges = newGroup != status.st_gid;
        if ((ownerChanges || groupChanges) && chown(path.c_str(), newOwner, newGroup) != 0) {
            if (errno == EPERM) {
                return ownerChanges ? ERROR_INVALID_OWNER : ERROR_INVALID_PRIMARY_GROUP;
            }
            return win32_layer::PathErrorFromErrno(errno, path);
        }
        if (with.dacl) {
            // A new owner or group must not inherit the power of the old one's set-ID bits.
            const mode_t kept =
                status.st_mode &
                (ownerChanges || groupChanges ? S_ISVTX : (S_ISUID | S_ISGID | S_ISVTX));
            if (chmod(path.c_str(), permissions | kept) != 0) {
                return errno == EPERM ? ERROR_ACCESS_DENIED
                                      : win32_layer::PathErrorFromErrno(errno, path);
            }
        }
        return ERROR_SUCCESS;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}
