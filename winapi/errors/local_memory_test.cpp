#include <gtest/gtest.h>

#include "winapi/testing/target_guards.h"
#include "winapi/win32.h"

namespace {

TEST(LocalMemory, AllocatesZeroedBlocksAndFreesThem) {
    auto* block = static_cast<unsigned char*>(LocalAlloc(LMEM_ZEROINIT, 64));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(block[i], 0);
    }
    EXPECT_EQ(LocalFree(block), nullptr);
    EXPECT_EQ(LocalFree(nullptr), nullptr);

    void* empty = LocalAlloc(LMEM_FIXED, 0);
    EXPECT_NE(empty, nullptr);
    LocalFree(empty);
}

TEST(LocalMemory, MovableBlocksAreRefused) {
    SKIP_ON_WINDOWS_BECAUSE("nothing here locks a movable block, so the layer serves fixed "
                            "ones only");
    constexpr UINT kMovable = 0x0002;
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(LocalAlloc(kMovable, 16), nullptr);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
}

} // namespace
