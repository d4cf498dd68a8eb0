// Byte vectors handed to the data-protection calls in tests, and the blocks they hand back.
#pragma once

#include <vector>

#include "winapi/win32.h"

using Bytes = std::vector<BYTE>;

// An empty entropy is {0, null}.
inline DATA_BLOB BlobOf(Bytes& bytes) {
    return {static_cast<DWORD>(bytes.size()), bytes.empty() ? nullptr : bytes.data()};
}

// Data needs a pointer even for no bytes.
inline DATA_BLOB InputOf(Bytes& bytes) {
    static BYTE none = 0;
    return {static_cast<DWORD>(bytes.size()), bytes.empty() ? &none : bytes.data()};
}

// Takes the system's block over and frees it.
inline Bytes Adopt(DATA_BLOB& blob) {
    Bytes bytes(blob.pbData, blob.pbData + blob.cbData);
    LocalFree(blob.pbData);
    blob = {0, nullptr};
    return bytes;
}
