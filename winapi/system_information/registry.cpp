// Registry keys as handles of the layer's table, naming a path under HKEY_LOCAL_MACHINE; a key
// holds no copy of the values, so every query reads the registry as it is.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "winapi/errors/errors.h"
#include "winapi/internal/handle_table.h"
#include "winapi/system_information/system_information.h"
#include "winapi/system_information/windows_identity.h"

namespace win32_layer {

class RegistryKey final : public KernelObject {
public:
    explicit RegistryKey(std::u16string path) : path_(std::move(path)) {}
    const std::u16string& Path() const { return path_; }

private:
    std::u16string path_;
};

} // namespace win32_layer

namespace {

using win32_layer::FoldRegistryName;
using win32_layer::IdentityAccess;
using win32_layer::RegistryKey;

// The folded path of an open key, "" for the root; false for a handle that names no key.
bool PathOf(HKEY key, std::u16string& path) {
    if (key == HKEY_LOCAL_MACHINE) {
        path.clear();
        return true;
    }
    const auto object = win32_layer::FindHandleOf<RegistryKey>(key);
    if (object == nullptr) {
        return false;
    }
    path = object->Path();
    return true;
}

} // namespace

LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM, PHKEY result) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    std::u16string path;
    if (!PathOf(key, path)) {
        return ERROR_INVALID_HANDLE;
    }
    if (subKey != nullptr && *subKey != 0) {
        path = FoldRegistryName(path.empty() ? std::u16string(subKey)
                                             : path + u'\\' + std::u16string(subKey));
    }
    if (!path.empty() && !IdentityAccess()->registry.contains(path)) {
        return ERROR_FILE_NOT_FOUND;
    }
    HANDLE handle = nullptr;
    try {
        handle = win32_layer::AddHandle(std::make_shared<RegistryKey>(std::move(path)));
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    if (handle == nullptr) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    *result = static_cast<HKEY>(handle);
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD size) {
    std::u16string path;
    if (!PathOf(key, path)) {
        return ERROR_INVALID_HANDLE;
    }
    if (reserved != nullptr || (data != nullptr && size == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    IdentityAccess identity;
    const auto keyFound = identity->registry.find(path);
    if (keyFound == identity->registry.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const auto found =
        keyFound->second.find(FoldRegistryName(valueName == nullptr ? u"" : valueName));
    if (found == keyFound->second.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const win32_layer::RegistryValue& value = found->second;
    const auto needed = static_cast<DWORD>(value.data.size());
    if (type != nullptr) {
        *type = value.type;
    }
    if (data == nullptr) {
        if (size != nullptr) {
            *size = needed;
        }
        return ERROR_SUCCESS;
    }
    const DWORD room = *size;
    *size = needed;
    if (room < needed) {
        return ERROR_MORE_DATA;
    }
    std::copy(value.data.begin(), value.data.end(), data);
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key) {
    if (key == HKEY_LOCAL_MACHINE) {
        return ERROR_SUCCESS;
    }
    if (win32_layer::FindHandleOf<RegistryKey>(key) == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    win32_layer::RemoveHandle(key);
    return ERROR_SUCCESS;
}
