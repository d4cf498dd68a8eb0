#include <gtest/gtest.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "winapi/errors/messages_for_test.h"
#include "winapi/win32.h"

namespace {

TEST(Win32ErrorFromErrno, GivesTheGeneralMeaningElseGeneralFailure) {
    const std::vector<std::pair<int, DWORD>> cases = {
        {0, ERROR_SUCCESS},
        {ENOENT, ERROR_FILE_NOT_FOUND},
        {ENOTDIR, ERROR_PATH_NOT_FOUND},
        {EISDIR, ERROR_ACCESS_DENIED},
        {EEXIST, ERROR_ALREADY_EXISTS},
        {EDQUOT, ERROR_DISK_FULL},
        {EILSEQ, ERROR_NO_UNICODE_TRANSLATION},
        {ECHILD, ERROR_GEN_FAILURE},
        {-1, ERROR_GEN_FAILURE},
    };
    for (const auto& [error, code] : cases) {
        EXPECT_EQ(Win32ErrorFromErrno(error), code) << "errno " << error;
    }
}

TEST(Win32ErrorFromErrno, EveryCodeItGivesHasAText) {
    for (int error = -1; error < 200; ++error) {
        SCOPED_TRACE(error);
        EXPECT_GT(FormatAllocated(kSystemAllocated, Win32ErrorFromErrno(error)).result, 0u);
    }
}

} // namespace
