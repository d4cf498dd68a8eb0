#include "tool/exception_description.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>

#include "foundation/encoding/windows_error.h"
#include "foundation/testing/texts.h"
#include "platform/files/file_errors.h"
#include "tool/gui_class_library.h"
#include "winapi/com_support.h"
#include "winapi/testing/target_guards.h"

namespace {

std::string DescriptionOf(const std::function<void()>& thrower) {
    try {
        thrower();
    } catch (...) {
        return Text(DescribeCurrentException());
    }
    ADD_FAILURE() << "nothing was thrown";
    return {};
}

// Counts its destructions, so that a double Delete shows.
class CountedException : public CMemoryException {
public:
    explicit CountedException(int& deletions) : deletions_(deletions) {}

protected:
    ~CountedException() override { ++deletions_; }

private:
    int& deletions_;
};

class MessageException : public CException {
public:
    explicit MessageException(const WCHAR* text) : text_(text) {}
    BOOL GetErrorMessage(LPWSTR buffer, UINT capacity, UINT*) const override {
        if (text_ == nullptr) {
            return FALSE;
        }
        UINT i = 0;
        for (; text_[i] != 0 && i + 1 < capacity; ++i) {
            buffer[i] = text_[i];
        }
        buffer[i] = 0;
        return TRUE;
    }

private:
    const WCHAR* text_;
};

TEST(DescribeCurrentExceptionTest, EachKindOfException) {
    const struct {
        const char* kind;
        std::function<void()> thrower;
        std::string description;
    } cases[] = {
        {"standard", [] { throw std::runtime_error("bad {thing}"); }, "bad {thing}"},
        {"unknown", [] { throw 42; }, "No diagnostic message available"},
        {"library exception with a message",
         [] { throw new MessageException(WIDE("R\u00e9sum\u00e9 failed")); },
         "R\xC3\xA9sum\xC3\xA9 failed"},
        {"library exception without a message", [] { throw new MessageException(nullptr); }, ""},
        {"file error", [] { throw FileNotFoundError(FileLocation(UString<UTF8>("C:\\k{1}")), 2); },
         Text(FileNotFoundError(FileLocation(UString<UTF8>("C:\\k{1}")), 2).Message())},
    };
    for (const auto& entry : cases) {
        EXPECT_EQ(DescriptionOf(entry.thrower), entry.description) << entry.kind;
    }
}

TEST(DescribeCurrentExceptionTest, WindowsErrorLosesItsTrailingNul) {
    const Windows::Error error(ERROR_ACCESS_DENIED, nullptr);
    const std::string message = Text(error.Message());
    ASSERT_FALSE(message.empty());
    ASSERT_EQ(message.back(), '\0');
    EXPECT_EQ(DescriptionOf([&] { throw error; }), message.substr(0, message.size() - 1));
}

TEST(DescribeCurrentExceptionTest, OutOfMemoryIsDeletedOnce) {
    int deletions = 0;
    const std::string description = DescriptionOf(
        [&] { throw static_cast<CMemoryException*>(new CountedException(deletions)); });
    EXPECT_EQ(description.size(), 124u);
    EXPECT_EQ(description.substr(0, 39), "The process is running out of memory, i");
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(DescriptionOf([] { throw std::bad_alloc(); }), description);
}

TEST(DescribeCurrentExceptionTest, ComErrorWithoutErrorInformation) {
    EXPECT_EQ(
        DescriptionOf([] { throw _com_error(static_cast<HRESULT>(0x80070005)); }).substr(0, 11),
        "COM Error: ");
}

TEST(DescribeCurrentExceptionTest, ComErrorWithoutAnyMessage) {
    SKIP_ON_WINDOWS_BECAUSE("Windows gives every code a message, unknown codes included");
    EXPECT_EQ(DescriptionOf([] { throw _com_error(static_cast<HRESULT>(0x8BADF00D)); }),
              "COM Error: ");
}

} // namespace
