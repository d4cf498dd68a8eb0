// The removal of an uncommitted temporary file under the Linux layer's switch: what the caller
// sees is always the failing step's error, whether the removal works or not.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "foundation/testing/texts.h"
#include "platform/files/file_errors.h"
#include "platform/files/temporary_file.h"
#include "platform/files/temporary_files_for_test.h"
#include "winapi/testing/fault_injection.h"

namespace {

class TemporaryFileFaultTest : public TestDirectory {
protected:
    void TearDown() override {
        win32_layer::ClearInjectedFailures();
        TestDirectory::TearDown();
    }
};

TEST_F(TemporaryFileFaultTest, AFailedCommitKeepsTheMovesErrorThroughTheRemoval) {
    for (const bool deleteFails : {false, true}) {
        SCOPED_TRACE(deleteFails ? "the delete fails too" : "the delete works");
        const ScopedFaultInjection moveFailure(LayerCall::MoveFileExW, ERROR_ACCESS_DENIED);
        if (deleteFails)
            FailNextCall(LayerCall::DeleteFileW, ERROR_SHARING_VIOLATION);
        std::optional<FileMoveError> raised;
        std::string temporaryName;
        try {
            TemporaryFile temporary(At(), View("Tem"));
            temporaryName = Text(temporary.Location().FileNameText());
            temporary.Commit(At("output"));
        } catch (const FileMoveError& error) {
            EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
            raised.emplace(error);
        }
        ASSERT_TRUE(raised.has_value());
        EXPECT_EQ(raised->Code(), DWORD{ERROR_ACCESS_DENIED});
        EXPECT_EQ(Names(), deleteFails ? std::vector<std::string>{temporaryName}
                                       : std::vector<std::string>{});
        if (deleteFails)
            std::filesystem::remove(Native(temporaryName));
    }
}

} // namespace
