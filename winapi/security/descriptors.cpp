#include <cstring>

#include "winapi/errors/errors.h"
#include "winapi/security/security.h"

namespace {

// Null when the descriptor cannot be changed in place, with the last error set.
SECURITY_DESCRIPTOR* Absolute(PSECURITY_DESCRIPTOR descriptor) {
    auto* absolute = static_cast<SECURITY_DESCRIPTOR*>(descriptor);
    if (absolute == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (absolute->Revision != SECURITY_DESCRIPTOR_REVISION) {
        SetLastError(ERROR_UNKNOWN_REVISION);
        return nullptr;
    }
    if ((absolute->Control & SE_SELF_RELATIVE) != 0) {
        SetLastError(ERROR_INVALID_SECURITY_DESCR);
        return nullptr;
    }
    return absolute;
}

} // namespace

BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision) {
    if (descriptor == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (revision != SECURITY_DESCRIPTOR_REVISION) {
        SetLastError(ERROR_UNKNOWN_REVISION);
        return FALSE;
    }
    std::memset(descriptor, 0, sizeof(SECURITY_DESCRIPTOR));
    static_cast<SECURITY_DESCRIPTOR*>(descriptor)->Revision = SECURITY_DESCRIPTOR_REVISION;
    return TRUE;
}

BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL present, PACL dacl,
                               BOOL defaulted) {
    SECURITY_DESCRIPTOR* absolute = Absolute(descriptor);
    if (absolute == nullptr) {
        return FALSE;
    }
    // Without a DACL only the flag changes, as on Windows; pointer and default flag stay.
    if (!present) {
        absolute->Control &= static_cast<SECURITY_DESCRIPTOR_CONTROL>(~SE_DACL_PRESENT);
        return TRUE;
    }
    absolute->Dacl = dacl;
    absolute->Control |= SE_DACL_PRESENT;
    absolute->Control &= static_cast<SECURITY_DESCRIPTOR_CONTROL>(~SE_DACL_DEFAULTED);
    if (defaulted) {
        absolute->Control |= SE_DACL_DEFAULTED;
    }
    return TRUE;
}
