#pragma once

#include <optional>

#include "platform/files/file_location.h"
#include "winapi/win32.h"

// The fixed part of a file's language-neutral version resource; none when the file has no
// readable resource, whatever the reason. `switchOffRedirection` reads the file that a 32-bit
// process on 64-bit Windows would otherwise be redirected away from.
std::optional<VS_FIXEDFILEINFO> FileVersionInfo(const FileLocation& location,
                                                bool switchOffRedirection);
