// Loading modules and finding their functions. The layer has no loadable modules: a few system
// modules are known by name, and each exports only the functions of the layer that callers look
// up at run time.
#pragma once

#include "winapi/base/types.h"

using FARPROC = INT_PTR (*)();

// Names match without regard to ASCII case, with or without ".dll"; no path is searched.
HMODULE LoadLibraryW(LPCWSTR name);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);
