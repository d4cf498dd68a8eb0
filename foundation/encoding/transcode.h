// Strict UTF-16/UTF-8 transcoding: invalid input raises WindowsCharacterSetResult instead of
// being replaced. Neither result is NUL-terminated.
#pragma once

#include "foundation/text/ustring.h"

CopiedUString<UTF8> TranscodeU16ToU8(UString<UTF16> text);
CopiedUString<UTF16> TranscodeU8ToU16(UString<UTF8> text);
