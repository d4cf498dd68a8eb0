// Byte ranges over test texts.
#pragma once

#include <string>
#include <string_view>

#include "foundation/streams/byte_range.h"

inline ByteRange BytesOf(std::string_view text) {
    return ByteRange(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

inline MutableByteRange BytesOf(std::string& buffer) {
    return MutableByteRange(reinterpret_cast<unsigned char*>(buffer.data()), buffer.size());
}

inline std::string TextOf(ByteRange bytes) {
    return std::string(reinterpret_cast<const char*>(bytes.begin()), bytes.Length());
}
