#include "winapi/internal/handle_table.h"

#include <gtest/gtest.h>

#include <memory>

#include "winapi/win32.h"

namespace {

// A kind that cannot be waited on, as later kinds (find handles, keys) will be.
class PlainObject final : public win32_layer::KernelObject {
public:
    explicit PlainObject(bool& destroyed) : destroyed_(destroyed) {}
    ~PlainObject() override { destroyed_ = true; }

private:
    bool& destroyed_;
};

TEST(HandleTable, OtherKindsCanBeClosedButNotWaitedOn) {
    bool destroyed = false;
    HANDLE handle = win32_layer::AddHandle(std::make_shared<PlainObject>(destroyed));
    ASSERT_NE(handle, nullptr);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetEvent(handle), FALSE);
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(CloseHandle(handle), TRUE);
    EXPECT_TRUE(destroyed);
}

TEST(HandleTable, AnObjectOutlivesItsHandleWhileInUse) {
    bool destroyed = false;
    HANDLE handle = win32_layer::AddHandle(std::make_shared<PlainObject>(destroyed));
    auto held = win32_layer::FindHandleOf<PlainObject>(handle);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(CloseHandle(handle), TRUE);
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(win32_layer::FindHandle(handle), nullptr);
    held.reset();
    EXPECT_TRUE(destroyed);
}

TEST(HandleTable, ThePseudoHandleNamesOneLastingProcess) {
    const auto process =
        win32_layer::FindHandleOf<win32_layer::CurrentProcess>(win32_layer::kCurrentProcessHandle);
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(win32_layer::RemoveHandle(win32_layer::kCurrentProcessHandle), process);
    EXPECT_EQ(win32_layer::FindHandle(win32_layer::kCurrentProcessHandle), process);
}

} // namespace
