#include "foundation/streams/secure_bytes.h"

void WipeBytes(void* bytes, std::size_t length) noexcept {
    volatile unsigned char* cursor = static_cast<volatile unsigned char*>(bytes);
    for (std::size_t index = 0; index < length; ++index)
        cursor[index] = 0;
}
