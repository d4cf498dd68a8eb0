// Logging under file failures that a real disk rarely produces on demand, made by the Linux
// layer's switch: none of them stops the run.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "foundation/testing/texts.h"
#include "platform/files/file_errors.h"
#include "platform/files/temporary_files_for_test.h"
#include "platform/logging/file_log_writer.h"
#include "platform/logging/log_manager.h"
#include "winapi/testing/fault_injection.h"

namespace {

namespace fs = std::filesystem;

LogLines Batch(std::initializer_list<const char*> lines) {
    LogLines batch;
    for (const char* line : lines)
        batch.emplace_back(UString<UTF8>(line));
    return batch;
}

class LoggingFaultTest : public TestDirectory {
protected:
    void TearDown() override {
        win32_layer::ClearInjectedFailures();
        TestDirectory::TearDown();
    }
};

TEST_F(LoggingFaultTest, DirectoryFailureStillMakesAWriter) {
    ScopedFaultInjection denied(LayerCall::CreateDirectoryW, ERROR_ACCESS_DENIED);
    FileLogWriter writer(At("logs\\log.txt"));
    EXPECT_FALSE(fs::exists(Native("logs")));
    EXPECT_THROW(writer.WriteLines(Batch({"lost\r\n"})), FileIOError);
}

TEST_F(LoggingFaultTest, LinesBeforeAFailedWriteStay) {
    FileLogWriter writer(At("log.txt"));
    {
        ScopedFaultInjection full(LayerCall::WriteFile, ERROR_DISK_FULL, 1);
        EXPECT_THROW(writer.WriteLines(Batch({"kept\r\n", "lost\r\n", "never\r\n"})),
                     DiskFullError);
    }
    writer.WriteLines(Batch({"next\r\n"}));
    EXPECT_EQ(Content("log.txt"), "kept\r\nnext\r\n");
}

// The manager's worker meets the failures; the run and the later batches go on.
TEST_F(LoggingFaultTest, WorkerLosesOnlyTheFailedBatches) {
    FileLogWriter writer(At("log.txt"));
    writer.EnableCategory("debug");
    LogManager manager;
    manager.AddWriter(&writer);
    const struct {
        LayerCall call;
        DWORD code;
    } failures[] = {{LayerCall::CreateFileW, ERROR_SHARING_VIOLATION},
                    {LayerCall::WriteFile, ERROR_DISK_FULL},
                    {LayerCall::CreateFileW, ERROR_ACCESS_DENIED}};
    std::string expected;
    for (const auto& failure : failures) {
        manager.Start();
        ASSERT_TRUE(manager.IsCategoryLogged("debug"));
        manager.QueueEntry("debug", "lost");
        {
            ScopedFaultInjection fault(failure.call, failure.code);
            manager.Stop();
        }
        manager.Start();
        manager.QueueEntry("debug", "written");
        manager.Stop();
        expected += " -- written\r\n";
    }
    manager.RemoveWriter(&writer);
    std::string content = Content("log.txt");
    // Each line is a 31-byte stamp and the text.
    std::string texts;
    for (std::size_t at = 0; at < content.size(); at = content.find("\r\n", at) + 2)
        texts += content.substr(at + 31, content.find("\r\n", at) + 2 - at - 31);
    EXPECT_EQ(texts, expected) << content;
}

} // namespace
