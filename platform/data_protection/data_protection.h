// Sealing bytes so that only this computer can open them again, as byte vectors.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/streams/byte_range.h"
#include "foundation/streams/secure_bytes.h"
#include "winapi/win32.h"

// Throws Windows::Error with the last error when sealing fails, and ERROR_INVALID_PARAMETER for a
// range of 4 GiB or more, which the system's length could not describe.
std::vector<unsigned char> ProtectData(ByteRange data, const WCHAR* description, ByteRange entropy,
                                       CRYPTPROTECT_PROMPTSTRUCT* prompt, std::uint32_t flags);

// Throws Windows::Error for data that is no sealed blob of this computer, a damaged one, or other
// entropy. The blob's description is not handed on. The unsealed bytes live only in wiped
// memory: the system's block is wiped before it is freed.
SecureBytes UnprotectData(ByteRange data, ByteRange entropy, CRYPTPROTECT_PROMPTSTRUCT* prompt,
                          std::uint32_t flags);
