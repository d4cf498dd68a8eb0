#include "tool/exit_codes.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "foundation/encoding/windows_error.h"
#include "platform/files/file_errors.h"
#include "winapi/win32.h"

namespace {

std::uint32_t CodeOf(const std::function<void()>& fail, DWORD lastError) {
    try {
        fail();
    } catch (...) {
        // As unwinding may have left it.
        SetLastError(lastError);
        return CurrentFailureExitCode();
    }
    ADD_FAILURE() << "nothing was thrown";
    return 0;
}

TEST(CurrentFailureExitCodeTest, TheCarriedCodeWinsOverTheLastError) {
    const FileLocation file("Z:\\keys\\EncryptedCoreKey");
    const struct {
        const char* label;
        std::function<void()> fail;
        DWORD lastError;
        std::uint32_t expected;
    } cases[] = {
        {"Windows error", [] { throw Windows::Error(5, nullptr); }, 0, 5},
        {"Windows error over the last error", [] { throw Windows::Error(183, nullptr); }, 87, 183},
        {"Windows error without a code", [] { throw Windows::Error(0, nullptr); }, 87, 87},
        {"file error", [&] { throw FileNotFoundError(file, 2); }, 0, 2},
        {"file error without a code", [] { throw InvalidFileAttrs(0); }, 32, 32},
        {"no code anywhere", [] { throw InvalidFileAttrs(0); }, 0, kUncodedFailureExitCode},
        {"another exception", [] { throw std::runtime_error("parse"); }, 0,
         kUncodedFailureExitCode},
        {"another exception, the last error", [] { throw 7; }, 1307, 1307},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(CodeOf(entry.fail, entry.lastError), entry.expected) << entry.label;
}

} // namespace
