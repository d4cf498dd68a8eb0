// Win32 path names to Linux ones, with the Win32 rules for what a name may be.
#pragma once

#include <string>

#include "winapi/base/types.h"

namespace win32_layer {

// ERROR_SUCCESS with the absolute Linux path in `linuxPath`, or the Win32 code the name fails
// with.
DWORD ToLinuxPath(LPCWSTR name, std::string& linuxPath);

// The Win32 code for a call that failed with ENOENT or ENOTDIR on `linuxPath`: a missing file
// in an existing directory is 2, anything missing above it is 3.
DWORD MissingPathError(const std::string& linuxPath);

// The code for a failed errno, with ENOENT and ENOTDIR told apart as above.
DWORD PathErrorFromErrno(int error, const std::string& linuxPath);

std::string ParentOf(const std::string& linuxPath);

} // namespace win32_layer
