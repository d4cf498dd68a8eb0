// Time stamps under a zone fixed through TZ, which the Linux layer reads on every query, and under
// a zone query that fails.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "foundation/testing/texts.h"
#include "platform/files/temporary_files_for_test.h"
#include "platform/logging/file_log_writer.h"
#include "platform/logging/log_manager.h"
#include "platform/logging/log_message.h"
#include "platform/logging/log_time_stamp.h"
#include "winapi/testing/fault_injection.h"

extern char** environ;

namespace {

constexpr char kCentralEurope[] = "CET-1CEST,M3.5.0,M10.5.0/3";
// Set in the fresh process that runs the commit under a failing zone query.
constexpr char kChildLogFile[] = "QUENDRA_LOGGING_CHILD_LOG_FILE";
constexpr DWORD kNoZone = 1359;

// The stamp text of `instant` as the C library reads the zone.
std::string LocalStamp(std::time_t instant) {
    std::tm fields{};
    localtime_r(&instant, &fields);
    char text[40];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S ", &fields);
    const long offset = fields.tm_gmtoff / 60;
    const long magnitude = offset < 0 ? -offset : offset;
    char zone[40];
    std::snprintf(zone, sizeof zone, "%c%02ld%02ld", offset < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    return text + std::string(zone);
}

std::string UtcStamp(std::time_t instant) {
    std::tm fields{};
    gmtime_r(&instant, &fields);
    char text[40];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S +0000", &fields);
    return text;
}

class CentralEuropeTest : public TestDirectory {
protected:
    void SetUp() override {
        TestDirectory::SetUp();
        const char* previous = std::getenv("TZ");
        if (previous != nullptr)
            previous_ = previous;
        setenv("TZ", kCentralEurope, 1);
        tzset();
    }
    void TearDown() override {
        win32_layer::ClearInjectedFailures();
        if (previous_)
            setenv("TZ", previous_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
        TestDirectory::TearDown();
    }

    // A stamp taken between two readings of the clock matches one of them; time() may lag the
    // system clock by a second, so the second after counts too.
    template <typename Call>
    void ExpectStamp(std::string (*render)(std::time_t), Call call) {
        const std::time_t before = std::time(nullptr);
        const std::string stamp = call();
        const std::time_t after = std::time(nullptr);
        bool matched = false;
        for (std::time_t instant = before; instant <= after + 1; ++instant)
            matched = matched || stamp == render(instant);
        EXPECT_TRUE(matched) << stamp << " vs " << render(before);
    }

private:
    std::optional<std::string> previous_;
};

TEST_F(CentralEuropeTest, StampIsTheLocalClockWithItsOffset) {
    TimeZoneCache zone;
    ExpectStamp(LocalStamp, [&] { return Text(LogTimeStamp(zone)); });
    // The zone's offset is one or two hours, by the season.
    const std::string stamp = Text(LogTimeStamp(zone));
    EXPECT_TRUE(stamp.ends_with("+0100") || stamp.ends_with("+0200")) << stamp;
}

TEST_F(CentralEuropeTest, FailedZoneQueryGivesUtcAndTheNextStampAsksAgain) {
    TimeZoneCache zone;
    {
        ScopedFaultInjection noZone(LayerCall::GetTimeZoneInformation, kNoZone);
        ExpectStamp(UtcStamp, [&] { return Text(LogTimeStamp(zone)); });
    }
    ExpectStamp(LocalStamp, [&] { return Text(LogTimeStamp(zone)); });
}

// The process's own zone cache is read by the first stamp only, which a fresh process has not
// taken yet; there the first commit meets the failing query inside the message's destructor.
void CommitUnderAFailingZoneQuery(const char* logFile) {
    FileLogWriter writer{FileLocation(UString<UTF8>(logFile))};
    writer.EnableCategory("debug");
    LogManager::Instance().AddWriter(&writer);
    {
        LoggingScope logging;
        ScopedFaultInjection noZone(LayerCall::GetTimeZoneInformation, kNoZone);
        for (const char* text : {"first", "second"}) {
            ASSERT_TRUE(IsCategoryLogged("debug"));
            LogMessage message("debug", "");
            message << text;
        }
    }
    LogManager::Instance().RemoveWriter(&writer);
}

TEST_F(CentralEuropeTest, FirstCommitOfAProcessSurvivesAFailedZoneQuery) {
    if (const char* logFile = std::getenv(kChildLogFile)) {
        CommitUnderAFailingZoneQuery(logFile);
        return;
    }
    const std::string setting = std::string(kChildLogFile) + "=" + Text(At("child.log").Text());
    std::vector<char*> environment{const_cast<char*>(setting.c_str())};
    for (char** entry = environ; *entry != nullptr; ++entry)
        environment.push_back(*entry);
    environment.push_back(nullptr);
    std::string filter = "--gtest_filter=CentralEuropeTest.FirstCommitOfAProcessSurvives*";
    char* arguments[] = {const_cast<char*>("platform_tests"), filter.data(), nullptr};

    const std::time_t before = std::time(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        execve("/proc/self/exe", arguments, environment.data());
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    const std::time_t after = std::time(nullptr);
    ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
    ASSERT_EQ(WEXITSTATUS(status), 0);

    const std::string content = Content("child.log");
    const std::size_t firstEnd = content.find("\r\n");
    ASSERT_NE(firstEnd, std::string::npos) << content;
    const std::string first = content.substr(0, firstEnd);
    const std::string second = content.substr(firstEnd + 2);
    bool firstIsUtc = false;
    bool secondIsLocal = false;
    for (std::time_t instant = before; instant <= after + 1; ++instant) {
        firstIsUtc = firstIsUtc || first == UtcStamp(instant) + " -- first";
        secondIsLocal = secondIsLocal || second == LocalStamp(instant) + " -- second\r\n";
    }
    EXPECT_TRUE(firstIsUtc) << content;
    EXPECT_TRUE(secondIsLocal) << content;
}

} // namespace
