#include "platform/system_information/registry_key.h"

RegistryKey::~RegistryKey() {
    Reset(nullptr);
}

void RegistryKey::Reset(HKEY key) {
    if (key_ != nullptr)
        RegCloseKey(key_);
    key_ = key;
}

LSTATUS OpenRegistryKey(HKEY root, const WCHAR* subKey, RegistryKey& holder, REGSAM access) {
    HKEY opened = nullptr;
    const LSTATUS status = RegOpenKeyExW(root, subKey, 0, access, &opened);
    if (status != ERROR_SUCCESS)
        return status;
    holder.Reset(opened);
    return ERROR_SUCCESS;
}

LSTATUS ReadRegistryString(HKEY key, const WCHAR* name, std::basic_string<WCHAR>& out) {
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size);
    if (status != ERROR_SUCCESS)
        return status;
    std::basic_string<WCHAR> text((size + 1) / 2, 0);
    DWORD type = 0;
    DWORD room = static_cast<DWORD>(text.size() * sizeof(WCHAR));
    status =
        RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(text.data()), &room);
    if (status == ERROR_SUCCESS && type == REG_SZ)
        out.assign(text.c_str());
    return status;
}
