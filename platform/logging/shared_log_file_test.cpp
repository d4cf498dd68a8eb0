// Two processes appending to one log file: the writer's exclusive share mode keeps their batches
// apart, and a batch that meets the other's open file is lost whole.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "foundation/testing/texts.h"
#include "platform/files/file_errors.h"
#include "platform/files/temporary_files_for_test.h"
#include "platform/logging/file_log_writer.h"

namespace {

constexpr int kBatches = 300;
constexpr int kLinesPerBatch = 4;

std::string LineText(int process, int batch, int line) {
    // Long enough that a torn or overlapping write would show inside a line.
    return "process " + std::to_string(process) + " batch " + std::to_string(batch) + " line " +
           std::to_string(line) + " " + std::string(120, static_cast<char>('a' + process)) + "\r\n";
}

// The child's exit code: 0 when every batch was written or refused as a sharing violation.
int AppendBatches(const FileLocation& location, int process) {
    FileLogWriter writer(location);
    for (int batch = 0; batch < kBatches; ++batch) {
        LogLines lines;
        for (int line = 0; line < kLinesPerBatch; ++line)
            lines.emplace_back(View(LineText(process, batch, line)));
        try {
            writer.WriteLines(lines);
        } catch (const FileIOError& error) {
            if (error.Code() != ERROR_SHARING_VIOLATION)
                return 2;
        } catch (...) {
            return 3;
        }
    }
    return 0;
}

using SharedLogFileTest = TestDirectory;

TEST_F(SharedLogFileTest, TwoProcessesNeverMixTheirLines) {
    std::vector<pid_t> children;
    for (int process = 0; process < 2; ++process) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            _exit(AppendBatches(At("shared.log"), process));
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }

    const std::string content = Content("shared.log");
    ASSERT_FALSE(content.empty());
    ASSERT_TRUE(content.ends_with("\r\n"));
    const std::regex shape("process ([01]) batch ([0-9]+) line ([0-9]+) [a-z]+");
    std::map<int, int> lastBatch = {{0, -1}, {1, -1}};
    std::size_t start = 0;
    std::vector<int> written(2, 0);
    // Lines come in whole batches, each process's batches in their order.
    while (start < content.size()) {
        int process = -1;
        int batch = -1;
        for (int line = 0; line < kLinesPerBatch; ++line) {
            const std::size_t end = content.find("\r\n", start);
            ASSERT_NE(end, std::string::npos);
            std::smatch parts;
            const std::string text = content.substr(start, end - start);
            ASSERT_TRUE(std::regex_match(text, parts, shape)) << text;
            if (line == 0) {
                process = std::stoi(parts[1]);
                batch = std::stoi(parts[2]);
                EXPECT_GT(batch, lastBatch[process]) << text;
                lastBatch[process] = batch;
                ++written[process];
            }
            ASSERT_EQ(text + "\r\n", LineText(process, batch, line));
            start = end + 2;
        }
    }
    EXPECT_GT(written[0], 0);
    EXPECT_GT(written[1], 0);
}

} // namespace
