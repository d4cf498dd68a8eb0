// Reading the registry: a key that closes itself and the read of a text value.
#pragma once

#include <string>

#include "winapi/win32.h"

class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey();

    HKEY Get() const { return key_; }
    // Closes the key held so far, if any, and holds `key` instead.
    void Reset(HKEY key);

private:
    HKEY key_ = nullptr;
};

// The Win32 status; on failure the holder keeps the key it had.
LSTATUS OpenRegistryKey(HKEY root, const WCHAR* subKey, RegistryKey& holder, REGSAM access);

// The Win32 status. A REG_SZ value is cut at its first NUL and stored in `out`; a value of
// another type still gives 0 and leaves `out` as it was.
LSTATUS ReadRegistryString(HKEY key, const WCHAR* name, std::basic_string<WCHAR>& out);
