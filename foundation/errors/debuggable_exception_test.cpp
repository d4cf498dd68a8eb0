#include "foundation/errors/debuggable_exception.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "foundation/errors/data_overflow.h"
#include "foundation/format/format.h"
#include "foundation/testing/texts.h"
#include "foundation/threads/thread_error.h"

namespace {

class SampleError : public DebuggableException {};

namespace Outer {
class NestedError : public DebuggableException {};
} // namespace Outer

// Named by no other test, so that its text is first made inside the race below.
class RacedError : public DebuggableException {};

TEST(DebuggableExceptionTest, TextsNameTheMostDerivedClass) {
    struct Case {
        const DebuggableException& error;
        std::string text;
    };
    const BadFormatStringError badFormat;
    const WindowsPlatform::ThreadError threadError(0);
    const SampleError sample;
    const Outer::NestedError nested;
    for (const Case& c : {Case{badFormat, "class BadFormatStringError"},
                          Case{threadError, "class WindowsPlatform::ThreadError"},
                          Case{sample, "class (anonymous namespace)::SampleError"},
                          Case{nested, "class (anonymous namespace)::Outer::NestedError"}}) {
        const std::exception& standard = c.error;
        EXPECT_EQ(standard.what(), c.text);
        EXPECT_EQ(Text(c.error.Message()), c.text);
        EXPECT_EQ(c.error.Message().Length(), c.text.size());
    }
}

TEST(DebuggableExceptionTest, CaughtThroughAnyBaseStillNamesItsClass) {
    try {
        throw DataOverflow();
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), "class DataOverflow");
    }
    EXPECT_THROW(throw DataOverflow(), WindowsPlatform::ExceptionDebuggingInfo);

    const SampleError original;
    const SampleError copy(original);
    const DebuggableException& base = copy;
    EXPECT_STREQ(base.what(), original.what());
}

TEST(DebuggableExceptionTest, TextIsStoredOncePerClass) {
    const SampleError first;
    const SampleError second;
    EXPECT_EQ(first.what(), second.what());
    EXPECT_EQ(first.Message().begin(), first.what());
}

TEST(DebuggableExceptionTest, ThreadsAskingFirstAllReceiveTheSameText) {
    constexpr int kThreads = 8;
    std::atomic<int> ready{0};
    std::vector<const char*> texts(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&ready, &texts, i] {
            ++ready;
            while (ready < kThreads) {
            }
            texts[i] = RacedError().what();
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const char* text : texts)
        EXPECT_EQ(text, texts[0]);
    EXPECT_STREQ(texts[0], "class (anonymous namespace)::RacedError");
}

} // namespace
