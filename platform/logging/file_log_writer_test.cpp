#include "platform/logging/file_log_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "foundation/testing/texts.h"
#include "platform/files/file_errors.h"
#include "platform/files/open_file.h"
#include "platform/files/temporary_files_for_test.h"
#include "platform/logging/log_time_stamp.h"

namespace {

namespace fs = std::filesystem;

LogLines Batch(const std::vector<std::string>& lines) {
    LogLines batch;
    for (const std::string& line : lines)
        batch.emplace_back(View(line));
    return batch;
}

// The stamp is taken inside the call, so it is one of the stamps taken around it.
template <typename Render, typename Call>
void ExpectStampedLine(Render render, Call call) {
    const std::string before = Text(LogTimeStamp());
    const std::string line = Text(call());
    const std::string after = Text(LogTimeStamp());
    EXPECT_TRUE(line == render(before) || line == render(after)) << line;
}

using FileLogWriterTest = TestDirectory;

TEST_F(FileLogWriterTest, CategoriesMatchExactly) {
    FileLogWriter writer(At("log.txt"));
    EXPECT_FALSE(writer.IsCategoryEnabled("debug"));
    for (const char* category : {"debug", "critical", "debug"})
        writer.EnableCategory(category);
    for (const auto& [category, enabled] :
         std::vector<std::pair<std::string, bool>>{{"debug", true},
                                                   {"critical", true},
                                                   {"Debug", false},
                                                   {"DEBUG", false},
                                                   {"debu", false},
                                                   {"debug ", false},
                                                   {"", false}})
        EXPECT_EQ(writer.IsCategoryEnabled(View(category)), enabled) << category;
}

TEST_F(FileLogWriterTest, LinesCarryTheCurrentStamp) {
    FileLogWriter writer(At("log.txt"));
    const std::string message = "a|b";
    ExpectStampedLine([&](const std::string& stamp) { return stamp + " -- a|b\r\n"; },
                      [&] { return writer.FormatLine("ignored", View(message)); });
    ExpectStampedLine([&](const std::string& stamp) { return stamp + " -- a|b\r\n"; },
                      [&] { return writer.FormatEntry("ignored", View(message)); });
    ExpectStampedLine(
        [&](const std::string& stamp) { return "1|" + stamp + "|INFO||||||a%7Cb\r\n"; },
        [&] {
            return writer.FormatAuditEntry("ignored", AuditFields{0, 2, "", 7, 8, 6, nullptr},
                                           View(message));
        });
}

TEST_F(FileLogWriterTest, StampHasTheFixedShape) {
    const std::regex shape("(Sun|Mon|Tue|Wed|Thu|Fri|Sat), [0-3][0-9] "
                           "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [0-9]{4} "
                           "[0-2][0-9]:[0-5][0-9]:[0-5][0-9] [+-][0-9]{4}");
    const std::string stamp = Text(LogTimeStamp());
    EXPECT_EQ(stamp.size(), 31u) << stamp;
    EXPECT_TRUE(std::regex_match(stamp, shape)) << stamp;
}

// A writer that only implements what must be implemented.
class MinimalWriter : public LogWriter {
public:
    bool IsCategoryEnabled(UString<UTF8>) override { return true; }
    CopiedUString<UTF8> FormatLine(UString<UTF8> category, UString<UTF8> message) override {
        return CopiedUString<UTF8>(View(Text(category) + "/" + Text(message)));
    }
    void WriteLines(const LogLines&) override {}
};

TEST(LogWriterTest, DefaultFormats) {
    MinimalWriter writer;
    EXPECT_EQ(Text(writer.FormatEntry("c", "m")), "c/m");
    const std::string unimplemented = Text(writer.FormatAuditEntry("c", AuditFields{}, "m"));
    EXPECT_EQ(unimplemented, "Not implemented ... ");
    EXPECT_EQ(unimplemented.size(), 20u);
}

TEST_F(FileLogWriterTest, BatchesAreAppendedInOrder) {
    MakeFile("log.txt", "earlier\r\n");
    FileLogWriter writer(At("log.txt"));
    writer.WriteLines(Batch({"one\r\n", "two\r\n"}));
    writer.WriteLines(Batch({}));
    writer.WriteLines(Batch({"three\r\n"}));
    EXPECT_EQ(Content("log.txt"), "earlier\r\none\r\ntwo\r\nthree\r\n");
}

TEST_F(FileLogWriterTest, EmptyBatchCreatesTheFile) {
    FileLogWriter writer(At("log.txt"));
    writer.WriteLines(Batch({}));
    EXPECT_TRUE(fs::is_regular_file(Native("log.txt")));
    EXPECT_EQ(Content("log.txt"), "");
}

TEST_F(FileLogWriterTest, CreatesOneMissingDirectoryLevel) {
    FileLogWriter fresh(At("logs\\log.txt"));
    EXPECT_TRUE(fs::is_directory(Native("logs")));
    fresh.WriteLines(Batch({"line\r\n"}));
    EXPECT_EQ(Content("logs/log.txt"), "line\r\n");

    FileLogWriter existing(At("logs\\second.txt"));
    existing.WriteLines(Batch({"again\r\n"}));
    EXPECT_EQ(Content("logs/second.txt"), "again\r\n");
}

TEST_F(FileLogWriterTest, DirectoryThatCannotBeMadeFailsEveryBatch) {
    FileLogWriter writer(At("missing\\deeper\\log.txt"));
    EXPECT_FALSE(fs::exists(Native("missing")));
    for (int batch = 0; batch < 2; ++batch)
        EXPECT_THROW(writer.WriteLines(Batch({"lost\r\n"})), FileIOError);
    EXPECT_FALSE(fs::exists(Native("missing")));
}

TEST_F(FileLogWriterTest, LocationsWithoutAParentStillMakeAWriter) {
    for (const char* location : {"\\", "log.txt", "C:", ""})
        EXPECT_NO_THROW(FileLogWriter writer{FileLocation(UString<UTF8>(location))}) << location;
}

TEST_F(FileLogWriterTest, FileHeldByAnotherWriterRefusesTheBatch) {
    MakeFile("log.txt", "held\r\n");
    FileLogWriter writer(At("log.txt"));
    {
        const WindowsPlatform::FileWritingPath other(At("log.txt"));
        try {
            writer.WriteLines(Batch({"refused\r\n"}));
            ADD_FAILURE() << "the batch was written";
        } catch (const FileIOError& error) {
            EXPECT_EQ(error.Code(), 32u);
        }
    }
    writer.WriteLines(Batch({"later\r\n"}));
    EXPECT_EQ(Content("log.txt"), "held\r\nlater\r\n");
}

TEST_F(FileLogWriterTest, ReadersMayWatchTheFile) {
    FileLogWriter writer(At("log.txt"));
    writer.WriteLines(Batch({"first\r\n"}));
    const WindowsPlatform::FileReadingPath reader(At("log.txt"), true);
    writer.WriteLines(Batch({"second\r\n"}));
    EXPECT_EQ(Content("log.txt"), "first\r\nsecond\r\n");
}

} // namespace
