#include "foundation/threads/thread_name.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "foundation/testing/started_thread.h"

namespace {

std::optional<std::string> CurrentName() {
    const std::string* name = ThreadNameSlot().Get();
    return name != nullptr ? std::optional<std::string>(*name) : std::nullopt;
}

TEST(SetThreadNameTest, StoresACopyOfEachNameForTheCallingThreadOnly) {
    // Longer than the 15 characters that some systems' thread names keep.
    const std::vector<std::string> names = {"Logging", "",
                                            "A thread name of some forty characters."};
    std::vector<std::optional<std::string>> stored;
    std::optional<std::string> before = "unread";
    RunOnStartedThread([&] {
        before = CurrentName();
        for (const std::string& name : names) {
            std::string buffer = name;
            SetThreadName(buffer.c_str());
            buffer.assign(buffer.size(), '#');
            stored.push_back(CurrentName());
        }
    });
    EXPECT_EQ(before, std::nullopt);
    ASSERT_EQ(stored.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(stored[i], names[i]);
    EXPECT_EQ(ThreadNameSlot().Get(), nullptr);
}

} // namespace
