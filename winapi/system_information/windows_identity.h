// The Windows identity that the Linux layer describes: none, unless a test has given one.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "winapi/system_information/system_information.h"

namespace win32_layer {

struct RegistryValue {
    DWORD type = 0;
    std::vector<BYTE> data;
};

// Registry keys and value names are held in ASCII lower case, for matching without regard to
// case; key paths are relative to HKEY_LOCAL_MACHINE.
struct WindowsIdentity {
    std::optional<OSVERSIONINFOEXW> version;
    std::u16string systemDirectory;
    // By the file's Linux path: the root value of its version resource.
    std::map<std::string, std::vector<BYTE>> versionResources;
    std::map<std::u16string, std::map<std::u16string, RegistryValue>> registry;
};

std::u16string FoldRegistryName(std::u16string_view name);

// The identity, with its lock held for as long as the access lives.
class IdentityAccess {
public:
    IdentityAccess();
    IdentityAccess(const IdentityAccess&) = delete;
    IdentityAccess& operator=(const IdentityAccess&) = delete;

    WindowsIdentity* operator->() { return &identity_; }
    WindowsIdentity& operator*() { return identity_; }

private:
    // Created on first use: callers run before main as well.
    struct Shared {
        std::mutex mutex;
        WindowsIdentity identity;
    };
    static Shared& TheShared();

    std::lock_guard<std::mutex> lock_;
    WindowsIdentity& identity_;
};

} // namespace win32_layer
