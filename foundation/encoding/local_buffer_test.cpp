#include "foundation/encoding/local_buffer.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(FreeLocalBufferTest, ReleasesSystemBuffersAndIgnoresNull) {
    FreeLocalBuffer(nullptr);
    FreeLocalBuffer(LocalAlloc(LMEM_FIXED, 16));
    std::unique_ptr<void, LocalBufferDeleter> held(LocalAlloc(LMEM_FIXED, 32));
    EXPECT_NE(held.get(), nullptr);
}

} // namespace
