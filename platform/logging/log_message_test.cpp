#include "platform/logging/log_message.h"

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/testing/started_thread.h"
#include "foundation/testing/texts.h"
#include "foundation/threads/log_nesting_depth.h"
#include "platform/files/temporary_files_for_test.h"
#include "platform/logging/file_log_writer.h"
#include "platform/logging/http_server_logger.h"
#include "platform/logging/log_manager.h"
#include "platform/logging/recording_log_writer_for_test.h"

namespace {

using Lines = std::vector<std::string>;

// What callers do: ask first, then stream the pieces into a message that commits as it ends.
void LogPieces(const std::vector<std::string>& pieces, const std::string& logName = "") {
    if (!IsCategoryLogged("debug"))
        return;
    LogMessage message("debug", View(logName));
    for (const std::string& piece : pieces)
        message << View(piece);
}

TEST(LogMessageTest, CommitsTheStreamedBytesOnly) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"Input '", "key.pem", "'"}, "Input 'key.pem'"},
        {{}, ""},
        {{"", "", ""}, ""},
        {{"line\r\n", "{braces}|"}, "line\r\n{braces}|"},
        {{std::string("nul\0inside", 10)}, std::string("nul\0inside", 10)},
    };
    for (const auto& [pieces, text] : cases) {
        RecordingLogWriter writer({"debug"});
        LoggingTo logging(writer);
        LogPieces(pieces);
        logging.Stop();
        EXPECT_EQ(writer.Lines(), Lines{"debug:" + text}) << text;
    }
}

TEST(LogMessageTest, StreamsOtherValuesAsTheStreamDoes) {
    RecordingLogWriter writer({"debug"});
    LoggingTo logging(writer);
    ASSERT_TRUE(IsCategoryLogged("debug"));
    {
        LogMessage message("debug", "");
        message << "code " << 42 << ' ' << UString<UTF8>("done");
    }
    logging.Stop();
    EXPECT_EQ(writer.Lines(), Lines{"debug:code 42 done"});
}

TEST(LogMessageTest, NestingDepthIndentsTheText) {
    RecordingLogWriter writer({"debug"});
    LoggingTo logging(writer);
    RunOnStartedThread([] {
        LogNestingDepth().Set(new unsigned long(3));
        LogPieces({"nested"});
        LogNestingDepth().Set(nullptr);
        LogPieces({"flat"});
    });
    logging.Stop();
    EXPECT_EQ(writer.Lines(), (Lines{"debug:      nested", "debug:flat"}));
}

TEST(LogMessageTest, MessagesWithALogNameReachNoWriter) {
    RecordingLogWriter writer({"debug"});
    LoggingTo logging(writer);
    LogPieces({"named"}, "other.log");
    if (IsCategoryLogged("debug")) {
        LogMessage audit("debug", 0, 2, "", 7, 8, 6, nullptr, "other.log");
        audit << "named audit";
    }
    logging.Stop();
    EXPECT_TRUE(writer.Lines().empty());
    EXPECT_TRUE(writer.Audits().empty());
}

TEST(LogMessageTest, AuditMessageKeepsItsOwnAddress) {
    RecordingLogWriter writer({"debug"});
    LoggingTo logging(writer);
    ASSERT_TRUE(IsCategoryLogged("debug"));
    {
        auto address = std::make_unique<IpAddress>();
        address->address[15] = 1;
        LogMessage message("debug", 1, 3, "admin", 2, 5, 4, address, "");
        address->address[15] = 2;
        address.reset();
        message << "with address";
        const std::unique_ptr<IpAddress> none;
        LogMessage without("debug", 0, 0, "", 0, 0, 0, none, "");
        without << "without";
    }
    logging.Stop();
    const std::vector<RecordedAudit> audits = writer.Audits();
    ASSERT_EQ(audits.size(), 2u);
    // Destroyed in reverse order of construction, so committed that way too.
    EXPECT_EQ(audits[0].message, "without");
    EXPECT_FALSE(audits[0].hasAddress);
    EXPECT_EQ(audits[1].message, "with address");
    EXPECT_EQ(audits[1].user, "admin");
    EXPECT_EQ(AuditNumbers(audits[1].fields), (std::vector<std::int32_t>{1, 3, 2, 5, 4}));
    ASSERT_TRUE(audits[1].hasAddress);
    EXPECT_EQ(audits[1].address.address[15], 1);
}

TEST(LogMessageTest, InsertingAnEmptyRangeWritesNothing) {
    std::ostringstream stream;
    stream << UString<UTF8>() << UString<UTF8>("ab") << UString<UTF8>("");
    EXPECT_EQ(stream.str(), "ab");
}

TEST(RelayLoggerTest, RelaysIntoTheLoggedCategories) {
    RecordingLogWriter writer({"critical", "debug", "audit-ssl"});
    LoggingTo logging(writer);
    RelayHTTPServerLogger relay;
    HTTPServerLogger& logger = relay;
    logger.Critical("failed");
    logger.Debug("detail");
    logger.Audit("audited");
    logging.Stop();
    EXPECT_EQ(writer.Lines(), (Lines{"critical:failed", "debug:detail", "audit:audited"}));
    const std::vector<RecordedAudit> audits = writer.Audits();
    ASSERT_EQ(audits.size(), 1u);
    EXPECT_EQ(audits[0].category, "audit-ssl");
    EXPECT_EQ(audits[0].user, "");
    EXPECT_FALSE(audits[0].hasAddress);
    EXPECT_EQ(AuditNumbers(audits[0].fields), (std::vector<std::int32_t>{0, 2, 7, 8, 6}));
}

TEST(RelayLoggerTest, CategoriesNotLoggedGetNothing) {
    RelayHTTPServerLogger relay;
    RecordingLogWriter writer({"critical"});
    relay.Critical("before start");
    {
        LoggingTo logging(writer);
        relay.Debug("not taken");
        relay.Audit("not taken");
    }
    relay.Critical("after stop");
    EXPECT_TRUE(writer.Lines().empty());
    EXPECT_TRUE(writer.Audits().empty());
}

using LogFileTest = TestDirectory;

TEST_F(LogFileTest, MessagesBecomeStampedLinesOfTheFile) {
    FileLogWriter writer(At("logs\\Quendra.out"));
    writer.EnableCategory("debug");
    writer.EnableCategory("audit-ssl");
    {
        LoggingTo logging(writer);
        LogPieces({"Input '", "key.pem", "'"});
        LogPieces({});
        RelayHTTPServerLogger().Audit("a|b");
    }
    const std::string content = Content("logs/Quendra.out");
    const std::string stamp =
        "[A-Z][a-z]{2}, [0-9]{2} [A-Z][a-z]{2} [0-9]{4} [0-9:]{8} [+-][0-9]{4}";
    EXPECT_TRUE(std::regex_match(content, std::regex(stamp + " -- Input 'key.pem'\r\n" + stamp +
                                                     " -- \r\n1\\|" + stamp +
                                                     "\\|INFO\\|\\|\\|\\|\\|\\|a%7Cb\r\n")))
        << content;
}

} // namespace
