#include "platform/security/trusted_directory_security.h"

namespace {

// A SID laid out as the system keeps it: the authority big-endian, the sub-authorities DWORDs.
struct KnownSid {
    BYTE revision;
    BYTE subAuthorityCount;
    BYTE authority[6];
    DWORD subAuthorities[6];
};

constexpr KnownSid kAdministrators{1, 2, {0, 0, 0, 0, 0, 5}, {32, 544}};
constexpr KnownSid kLocalSystem{1, 1, {0, 0, 0, 0, 0, 5}, {18}};
constexpr KnownSid kTrustedInstaller{
    1, 6, {0, 0, 0, 0, 0, 5}, {80, 956008885, 3418522649, 1831038044, 1853292631, 2271478464}};
constexpr KnownSid kCreatorOwner{1, 1, {0, 0, 0, 0, 0, 3}, {0}};
constexpr KnownSid kOwnerRights{1, 1, {0, 0, 0, 0, 0, 3}, {4}};

// What another account must not have on the directory itself, and on the files made in it.
constexpr DWORD kChangesTheDirectory = DELETE | WRITE_DAC | WRITE_OWNER | FILE_DELETE_CHILD;
constexpr DWORD kChangesItsFiles = DELETE | FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                   FILE_WRITE_ATTRIBUTES | WRITE_DAC | WRITE_OWNER;

bool Is(PSID sid, const KnownSid& known) {
    return EqualSid(sid, const_cast<KnownSid*>(&known)) != FALSE;
}

bool IsTrustedOwner(PSID sid, PSID caller) {
    return EqualSid(sid, caller) != FALSE || Is(sid, kAdministrators) || Is(sid, kLocalSystem) ||
           Is(sid, kTrustedInstaller);
}

// The owner is checked on its own, and the owner of a file made in the directory is the caller.
bool IsTrustedTrustee(PSID sid, PSID caller) {
    return IsTrustedOwner(sid, caller) || Is(sid, kCreatorOwner) || Is(sid, kOwnerRights);
}

bool IsAllowingAceOfAnotherForm(BYTE type) {
    return type == ACCESS_ALLOWED_COMPOUND_ACE_TYPE || type == ACCESS_ALLOWED_OBJECT_ACE_TYPE ||
           type == ACCESS_ALLOWED_CALLBACK_ACE_TYPE ||
           type == ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE;
}

bool GrantsChange(const ACCESS_ALLOWED_ACE& ace) {
    DWORD mask = ace.Mask;
    GENERIC_MAPPING fileRights{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                               FILE_ALL_ACCESS};
    MapGenericMask(&mask, &fileRights);
    const BYTE flags = ace.Header.AceFlags;
    const bool onTheDirectory = (flags & INHERIT_ONLY_ACE) == 0;
    const bool onItsFiles = (flags & OBJECT_INHERIT_ACE) != 0;
    return (onTheDirectory && (mask & kChangesTheDirectory) != 0) ||
           (onItsFiles && (mask & kChangesItsFiles) != 0);
}

} // namespace

bool IsTrustedDirectorySecurity(PSID owner, const ACL* dacl, PSID caller) {
    if (owner == nullptr || dacl == nullptr || !IsTrustedOwner(owner, caller)) {
        return false;
    }
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        LPVOID entry = nullptr;
        if (!GetAce(const_cast<PACL>(dacl), index, &entry)) {
            return false;
        }
        const auto* ace = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        const BYTE type = ace->Header.AceType;
        if (IsAllowingAceOfAnotherForm(type)) {
            return false;
        }
        if (type != ACCESS_ALLOWED_ACE_TYPE) {
            continue;
        }
        PSID trustee = const_cast<DWORD*>(&ace->SidStart);
        if (!IsValidSid(trustee) || (!IsTrustedTrustee(trustee, caller) && GrantsChange(*ace))) {
            return false;
        }
    }
    return true;
}
