// CreateTempFile over any call of GetTempFileNameW's shape, so that a system that fills the whole
// name buffer can be tried.
#pragma once

#include "foundation/text/ustring.h"
#include "platform/files/file_location.h"
#include "winapi/win32.h"

using TempFileNameCall = UINT (*)(LPCWSTR directory, LPCWSTR prefix, UINT unique, LPWSTR name);

FileLocation CreateTempFileThrough(TempFileNameCall call, const FileLocation& directory,
                                   UString<UTF8> prefix);
