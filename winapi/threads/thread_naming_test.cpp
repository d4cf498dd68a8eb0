#include <gtest/gtest.h>

#include <string>

#include "winapi/threads/threads_for_test.h"
#include "winapi/win32.h"

#if !defined(_WIN32)
#include <pthread.h>
#endif

namespace {

// Without a debugger the announcement must come back: on Windows it raises an exception that
// only the layer's own handler catches.
TEST(ThreadNaming, ReturnsWithoutADebugger) {
    bool returned = false;
    HANDLE thread = StartThread([&returned] {
        AnnounceThreadNameToDebugger("worker");
        returned = true;
    });
    ASSERT_NE(thread, nullptr);
    Join(thread);
    EXPECT_TRUE(returned);
}

#if !defined(_WIN32)
TEST(ThreadNaming, TheKernelKeepsTheFirstFifteenBytes) {
    std::string seen;
    HANDLE thread = StartThread([&seen] {
        AnnounceThreadNameToDebugger("a name longer than fifteen bytes");
        char name[64] = {};
        if (pthread_getname_np(pthread_self(), name, sizeof(name)) == 0) {
            seen = name;
        }
    });
    ASSERT_NE(thread, nullptr);
    Join(thread);
    EXPECT_EQ(seen, "a name longer t");
}
#endif

} // namespace
