// Giving the Linux layer a Windows identity, so that the code which reads one can be tried on
// Linux with the answers of any Windows. The Linux layer only.
#pragma once

#if defined(_WIN32)
#error "a seeded Windows identity exists only in the Linux layer"
#endif

#include <string>
#include <vector>

#include "winapi/win32.h"

namespace win32_layer {

// GetVersionExW reports it, with the size field that the caller gave.
void SeedVersionInformation(const OSVERSIONINFOEXW& information);
void SeedSystemDirectory(std::u16string directory);
// The file, which must exist, gets a version resource whose root value is `rootValue`: a
// VS_FIXEDFILEINFO, or bytes of another length. False when the name is not a valid path.
bool SeedVersionResource(const std::u16string& fileName, std::vector<BYTE> rootValue);
// Under HKEY_LOCAL_MACHINE; the key and every key above it come into being.
void SeedRegistryKey(const std::u16string& subKey);
void SeedRegistryValue(const std::u16string& subKey, const std::u16string& name, DWORD type,
                       std::vector<BYTE> data);
void ForgetWindowsIdentity();

} // namespace win32_layer

// Forgets the identity when it ends, so that no test's identity reaches the next.
class ScopedWindowsIdentity {
public:
    ScopedWindowsIdentity() = default;
    ScopedWindowsIdentity(const ScopedWindowsIdentity&) = delete;
    ScopedWindowsIdentity& operator=(const ScopedWindowsIdentity&) = delete;
    ~ScopedWindowsIdentity() { win32_layer::ForgetWindowsIdentity(); }
};
