// Byte vectors as ranges, and the code of the Windows::Error a call throws.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "foundation/encoding/windows_error.h"
#include "foundation/streams/byte_range.h"

using Bytes = std::vector<unsigned char>;

inline Bytes BytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

inline ByteRange RangeOf(const Bytes& bytes) {
    return ByteRange(bytes.data(), bytes.size());
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
