#include "foundation/errors/debuggable_exception.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class SampleError : public DebuggableException {};

namespace Outer {
class NestedError : public DebuggableException {};
} // namespace Outer

std::string Text(UString<UTF8> text) {
    return std::string(text.begin(), text.Length());
}

TEST(DebuggableExceptionTest, TextsNameTheMostDerivedClass) {
    const SampleError error;
    EXPECT_STREQ(error.what(), "class (anonymous namespace)::SampleError");
    EXPECT_EQ(Text(error.Message()), error.what());
    EXPECT_EQ(error.Message().Length(), std::strlen(error.what()));

    const Outer::NestedError nested;
    EXPECT_STREQ(nested.what(), "class (anonymous namespace)::Outer::NestedError");
}

TEST(DebuggableExceptionTest, CaughtThroughAnyBaseStillNamesItsClass) {
    try {
        throw SampleError();
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), "class (anonymous namespace)::SampleError");
    }
    try {
        throw SampleError();
    } catch (const WindowsPlatform::ExceptionDebuggingInfo&) {
        SUCCEED();
    }
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

} // namespace
