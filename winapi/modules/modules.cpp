#include "winapi/modules/modules.h"

#include <cstring>
#include <span>
#include <string_view>

#include "winapi/errors/errors.h"
#include "winapi/security/security.h"

struct HINSTANCE__ {
    std::u16string_view name;
    std::span<const struct ModuleExport> exports;
};

struct ModuleExport {
    const char* name;
    FARPROC function;
};

namespace {

// Through the signature-less function type, which converts to any other without a warning.
template <auto function>
FARPROC Export() {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

const ModuleExport advapi32Exports[] = {
    {"CreateWellKnownSid", Export<&CreateWellKnownSid>()},
};

// A 64-bit system has no file-system redirection, so kernel32 offers none to look up.
HINSTANCE__ modules[] = {
    {u"advapi32", advapi32Exports},
    {u"kernel32", {}},
};

char16_t AsciiLower(char16_t unit) {
    return unit >= u'A' && unit <= u'Z' ? unit + 32 : unit;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

HINSTANCE__* Find(HMODULE module) {
    for (HINSTANCE__& known : modules) {
        if (&known == module) {
            return &known;
        }
    }
    return nullptr;
}

} // namespace

HMODULE LoadLibraryW(LPCWSTR name) {
    if (name == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::u16string_view wanted(name);
    if (wanted.size() > 4 && SameName(wanted.substr(wanted.size() - 4), u".dll")) {
        wanted.remove_suffix(4);
    }
    for (HINSTANCE__& known : modules) {
        if (SameName(known.name, wanted)) {
            return &known;
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    const HINSTANCE__* known = Find(module);
    if (known == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (name != nullptr) {
        for (const ModuleExport& entry : known->exports) {
            if (std::strcmp(entry.name, name) == 0) {
                return entry.function;
            }
        }
    }
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

BOOL FreeLibrary(HMODULE module) {
    if (Find(module) == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
