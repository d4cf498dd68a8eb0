#include "platform/security/trusted_directory.h"

#include <gtest/gtest.h>

#include "foundation/encoding/windows_error.h"
#include "platform/files/temporary_files_for_test.h"

namespace {

using TrustedDirectory = TestDirectory;

// The test directory's chain is the caller's own below a root that is the system's, on the
// layer and in Wine's C: drive alike; Wine gives Everyone full access to a sticky /tmp.
TEST_F(TrustedDirectory, AFreshDirectoryOfTheCallerPasses) {
    At("inner").CreateDirectory();
    EXPECT_TRUE(FindUntrustedDirectory(At("inner")).IsEmpty());
}

TEST_F(TrustedDirectory, AMissingDirectoryRaisesTheCallsCode) {
    const struct {
        const char* relative;
        DWORD code;
    } rows[] = {
        {"absent", ERROR_FILE_NOT_FOUND},
        {"absent\\below", ERROR_PATH_NOT_FOUND},
    };
    for (const auto& row : rows) {
        try {
            FindUntrustedDirectory(At(row.relative));
            ADD_FAILURE() << row.relative << ": nothing raised";
        } catch (const Windows::Error& error) {
            EXPECT_EQ(error.Code(), row.code) << row.relative;
        }
    }
}

} // namespace
