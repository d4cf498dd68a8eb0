// Byte vectors as ranges, unsealed bytes as plain ones, and the code of the Windows::Error a
// call throws.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "foundation/encoding/windows_error.h"
#include "foundation/streams/byte_range.h"
#include "foundation/streams/secure_bytes.h"

using Bytes = std::vector<unsigned char>;

inline Bytes BytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// Plain and wiping byte vectors alike.
template <typename Allocator>
ByteRange RangeOf(const std::vector<unsigned char, Allocator>& bytes) {
    return ByteRange(bytes.data(), bytes.size());
}

// Unsealed bytes as plain test bytes, which compare with the expected ones.
inline Bytes PlainCopy(const SecureBytes& bytes) {
    return Bytes(bytes.begin(), bytes.end());
}

// ERROR_SUCCESS when `call` throws no Windows::Error.
inline DWORD ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Windows::Error& error) {
        return error.Code();
    }
    return ERROR_SUCCESS;
}
