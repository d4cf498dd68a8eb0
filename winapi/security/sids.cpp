#include <cstdlib>
#include <cstring>

#include "winapi/errors/errors.h"
#include "winapi/security/security.h"
#include "winapi/security/sid_bytes.h"

using win32_layer::IsWellFormedSid;
using win32_layer::SidBytes;
using win32_layer::SidLength;

BOOL CreateWellKnownSid(WELL_KNOWN_SID_TYPE type, PSID, PSID sid, DWORD* size) {
    // None of the SIDs known here belongs to a domain, so the domain is not needed.
    SidBytes wanted;
    switch (type) {
    case WinWorldSid:
        wanted = win32_layer::WorldSid();
        break;
    case WinLocalSystemSid:
        wanted = win32_layer::LocalSystemSid();
        break;
    case WinBuiltinAdministratorsSid:
        wanted = win32_layer::AdministratorsSid();
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (size == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (sid == nullptr || *size < wanted.size()) {
        *size = static_cast<DWORD>(wanted.size());
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(sid, wanted.data(), wanted.size());
    *size = static_cast<DWORD>(wanted.size());
    return TRUE;
}

BOOL AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD sub0,
                              DWORD sub1, DWORD sub2, DWORD sub3, DWORD sub4, DWORD sub5,
                              DWORD sub6, DWORD sub7, PSID* sid) {
    if (authority == nullptr || sid == nullptr || count == 0 || count > 8) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD subAuthorities[] = {sub0, sub1, sub2, sub3, sub4, sub5, sub6, sub7};
    auto* bytes = static_cast<BYTE*>(std::malloc(8 + 4 * count));
    if (bytes == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    bytes[0] = SID_REVISION;
    bytes[1] = count;
    std::memcpy(bytes + 2, authority->Value, 6);
    for (BYTE i = 0; i < count; ++i) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes[8 + 4 * i + shift / 8] = static_cast<BYTE>(subAuthorities[i] >> shift);
        }
    }
    *sid = bytes;
    return TRUE;
}

PVOID FreeSid(PSID sid) {
    std::free(sid);
    return nullptr;
}

BOOL IsValidSid(PSID sid) {
    return IsWellFormedSid(sid) ? TRUE : FALSE;
}

DWORD GetLengthSid(PSID sid) {
    return IsWellFormedSid(sid) ? SidLength(sid) : 0;
}

BOOL EqualSid(PSID first, PSID second) {
    if (!IsWellFormedSid(first) || !IsWellFormedSid(second)) {
        SetLastError(ERROR_INVALID_SID);
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    const DWORD length = SidLength(first);
    return length == SidLength(second) && std::memcmp(first, second, length) == 0 ? TRUE : FALSE;
}
