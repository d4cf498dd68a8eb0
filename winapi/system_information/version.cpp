#include <algorithm>
#include <cstring>

#include "winapi/errors/errors.h"
#include "winapi/system_information/system_information.h"
#include "winapi/system_information/windows_identity.h"

using win32_layer::IdentityAccess;

BOOL GetVersionExW(LPOSVERSIONINFOW information) {
    if (information == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD size = information->dwOSVersionInfoSize;
    if (size != sizeof(OSVERSIONINFOW) && size != sizeof(OSVERSIONINFOEXW)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    IdentityAccess identity;
    if (!identity->version) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    std::memcpy(information, &*identity->version, size);
    information->dwOSVersionInfoSize = size;
    return TRUE;
}

UINT GetSystemDirectoryW(LPWSTR buffer, UINT size) {
    IdentityAccess identity;
    const std::u16string& directory = identity->systemDirectory;
    if (directory.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    const auto length = static_cast<UINT>(directory.size());
    if (buffer == nullptr || size <= length) {
        return length + 1;
    }
    std::copy(directory.begin(), directory.end(), buffer);
    buffer[length] = 0;
    return length;
}
