// The buffer loop of ModuleFileName over any call of GetModuleFileNameW's shape, so that names
// longer than the first buffer can be tested.
#pragma once

#include "foundation/text/ustring.h"
#include "winapi/win32.h"

using ModuleFileNameCall = DWORD (*)(HMODULE module, LPWSTR name, DWORD size);

inline constexpr DWORD kFirstModuleNameUnits = 260;
inline constexpr DWORD kMaxModuleNameUnits = 32768;

CopiedUString<UTF8> ModuleFileNameThrough(ModuleFileNameCall call, HMODULE module);
