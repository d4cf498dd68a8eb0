#include "platform/logging/log_manager.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "foundation/testing/started_thread.h"
#include "foundation/testing/texts.h"
#include "foundation/threads/sleep.h"
#include "platform/logging/recording_log_writer_for_test.h"

namespace {

using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;

// Polls for what the worker does on its one-second tick.
bool Eventually(const std::function<bool()>& condition) {
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (Clock::now() > deadline)
            return false;
        SleepMilliseconds(20);
    }
    return true;
}

class LogManagerTest : public testing::Test {
protected:
    void TearDown() override {
        manager_.Stop();
        manager_.RemoveWriter(&debug_);
    }

    // Running, with `debug_` registered and the category asked about, so that it is routed.
    void StartWithDebugWriter() {
        manager_.AddWriter(&debug_);
        manager_.Start();
        ASSERT_TRUE(manager_.IsCategoryLogged("debug"));
    }

    LogManager manager_;
    RecordingLogWriter debug_{{"debug"}};
};

TEST_F(LogManagerTest, LogsOnlyRoutedCategoriesAndOnlyWhileRunning) {
    manager_.AddWriter(&debug_);
    EXPECT_FALSE(manager_.IsCategoryLogged("debug"));
    manager_.Start();
    for (const auto& [category, logged] : std::vector<std::pair<std::string, bool>>{
             {"debug", true}, {"Debug", false}, {"critical", false}, {"", false}})
        EXPECT_EQ(manager_.IsCategoryLogged(View(category)), logged) << category;
    manager_.Stop();
    EXPECT_FALSE(manager_.IsCategoryLogged("debug"));
}

TEST_F(LogManagerTest, StopWithoutStartReturnsAndStopsTwice) {
    manager_.Stop();
    manager_.Stop();
    EXPECT_FALSE(manager_.IsCategoryLogged("debug"));
}

TEST_F(LogManagerTest, CategoryNeverAskedAboutReachesNoWriter) {
    manager_.AddWriter(&debug_);
    manager_.Start();
    manager_.QueueEntry("debug", "unrouted");
    manager_.Stop();
    EXPECT_TRUE(debug_.Batches().empty());
}

TEST_F(LogManagerTest, StopHandsOverEveryQueuedLineInOneBatchInCommitOrder) {
    StartWithDebugWriter();
    for (const char* message : {"one", "two", "three"})
        manager_.QueueEntry("debug", message);
    manager_.QueueEntry("critical", "unrouted");
    manager_.Stop();
    EXPECT_EQ(debug_.Lines(), (Lines{"debug:one", "debug:two", "debug:three"}));
    // The last flush may follow a tick that took the first lines; the order holds either way.
    for (const RecordedBatch& batch : debug_.Batches())
        EXPECT_EQ(batch.threadName, "Logging");
}

TEST_F(LogManagerTest, LinesQueuedWhileStoppedWaitForTheNextFlush) {
    StartWithDebugWriter();
    manager_.Stop();
    for (const char* message : {"a", "b", "c"})
        manager_.QueueEntry("debug", message);
    EXPECT_TRUE(debug_.Batches().empty());
    manager_.Flush();
    ASSERT_EQ(debug_.Batches().size(), 1u);
    EXPECT_EQ(debug_.Batches()[0].lines, (Lines{"debug:a", "debug:b", "debug:c"}));
    manager_.Flush();
    EXPECT_EQ(debug_.Batches().size(), 1u);
}

TEST_F(LogManagerTest, WorkerFlushesWithoutAStop) {
    StartWithDebugWriter();
    manager_.QueueEntry("debug", "ticked");
    EXPECT_TRUE(Eventually([&] { return debug_.Lines() == Lines{"debug:ticked"}; }));
}

TEST_F(LogManagerTest, WorkerSeesAChangedAnswerAtTheNextTick) {
    StartWithDebugWriter();
    EXPECT_FALSE(manager_.IsCategoryLogged("critical"));
    debug_.SetCategories({"debug", "critical"});
    EXPECT_TRUE(Eventually([&] { return manager_.IsCategoryLogged("critical"); }));
}

// The bound is a quarter of the worker's one-second tick, with room for sanitizer builds.
TEST_F(LogManagerTest, StopWakesTheWorkerAtOnce) {
    for (const int pause : {0, 50, 300}) {
        StartWithDebugWriter();
        SleepMilliseconds(static_cast<std::uint32_t>(pause));
        const auto before = Clock::now();
        manager_.Stop();
        EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(250)) << pause;
    }
}

TEST_F(LogManagerTest, RestartsAfterStop) {
    for (int round = 0; round < 3; ++round) {
        StartWithDebugWriter();
        manager_.QueueEntry("debug", View(std::to_string(round)));
        manager_.Stop();
    }
    EXPECT_EQ(debug_.Lines(), (Lines{"debug:0", "debug:1", "debug:2"}));
}

TEST_F(LogManagerTest, RemoveWriterWritesItsPendingLinesOnce) {
    StartWithDebugWriter();
    manager_.Stop();
    for (const char* message : {"x", "y", "z"})
        manager_.QueueEntry("debug", message);
    manager_.RemoveWriter(&debug_);
    ASSERT_EQ(debug_.Batches().size(), 1u);
    EXPECT_EQ(debug_.Batches()[0].lines, (Lines{"debug:x", "debug:y", "debug:z"}));
    // Written by the caller, not the worker.
    EXPECT_NE(debug_.Batches()[0].threadName, "Logging");
    manager_.Flush();
    EXPECT_EQ(debug_.Batches().size(), 1u);
    manager_.Start();
    EXPECT_FALSE(manager_.IsCategoryLogged("debug"));
}

TEST_F(LogManagerTest, RemovingNullOrAStrangerChangesNothing) {
    StartWithDebugWriter();
    RecordingLogWriter stranger({"debug"});
    manager_.RemoveWriter(nullptr);
    manager_.RemoveWriter(&stranger);
    EXPECT_TRUE(manager_.IsCategoryLogged("debug"));
    manager_.QueueEntry("debug", "kept");
    manager_.Stop();
    EXPECT_EQ(debug_.Lines(), (Lines{"debug:kept"}));
    EXPECT_TRUE(stranger.Batches().empty());
}

TEST_F(LogManagerTest, FailedBatchIsLostAndTheNextOneWritten) {
    RecordingLogWriter other({"debug"});
    manager_.AddWriter(&other);
    StartWithDebugWriter();
    manager_.Stop();
    debug_.FailWrites(1);
    manager_.QueueEntry("debug", "lost");
    manager_.Flush();
    manager_.QueueEntry("debug", "written");
    manager_.Flush();
    EXPECT_EQ(debug_.Batches().size(), 2u);
    EXPECT_EQ(debug_.Batches().back().lines, (Lines{"debug:written"}));
    // The other writer of the failed flush still got its batch.
    EXPECT_EQ(other.Lines(), (Lines{"debug:lost", "debug:written"}));
    manager_.RemoveWriter(&other);
}

TEST_F(LogManagerTest, WorkerSurvivesFailedBatches) {
    StartWithDebugWriter();
    debug_.FailWrites(2);
    manager_.QueueEntry("debug", "first");
    EXPECT_TRUE(Eventually([&] { return debug_.Batches().size() == 1; }));
    manager_.QueueEntry("debug", "second");
    manager_.Stop();
    EXPECT_EQ(debug_.Lines(), (Lines{"debug:first", "debug:second"}));
    StartWithDebugWriter();
    manager_.QueueEntry("debug", "third");
    manager_.Stop();
    EXPECT_EQ(debug_.Batches().back().lines, (Lines{"debug:third"}));
}

TEST_F(LogManagerTest, FailedRemovalWriteDropsTheLinesAndRemovesTheWriter) {
    StartWithDebugWriter();
    manager_.Stop();
    manager_.QueueEntry("debug", "dropped");
    debug_.FailWrites(1);
    manager_.RemoveWriter(&debug_);
    manager_.Flush();
    EXPECT_EQ(debug_.Batches().size(), 1u);
    manager_.Start();
    EXPECT_FALSE(manager_.IsCategoryLogged("debug"));
}

TEST_F(LogManagerTest, FormattingFailureReachesTheCallerAndReleasesTheLock) {
    StartWithDebugWriter();
    debug_.FailFormatting(true);
    EXPECT_THROW(manager_.QueueEntry("debug", "m"), std::runtime_error);
    debug_.FailFormatting(false);
    bool logged = false;
    RunOnStartedThread([&] {
        logged = manager_.IsCategoryLogged("debug");
        manager_.QueueEntry("debug", "after");
    });
    EXPECT_TRUE(logged);
    manager_.Stop();
    EXPECT_EQ(debug_.Lines(), (Lines{"debug:after"}));
}

TEST_F(LogManagerTest, AuditEntriesAreFormattedWithTheirFields) {
    StartWithDebugWriter();
    IpAddress address;
    address.address[15] = 7;
    manager_.QueueAuditEntry("debug", AuditFields{1, 3, "user", 4, 5, 2, &address}, "audited");
    manager_.Stop();
    EXPECT_EQ(debug_.Lines(), (Lines{"audit:audited"}));
    const std::vector<RecordedAudit> audits = debug_.Audits();
    ASSERT_EQ(audits.size(), 1u);
    EXPECT_EQ(audits[0].category, "debug");
    EXPECT_EQ(audits[0].user, "user");
    EXPECT_EQ(AuditNumbers(audits[0].fields), (std::vector<std::int32_t>{1, 3, 4, 5, 2}));
    EXPECT_TRUE(audits[0].hasAddress);
    EXPECT_EQ(audits[0].address.address[15], 7);
}

TEST_F(LogManagerTest, NamedEntriesReachNoWriter) {
    StartWithDebugWriter();
    manager_.QueueNamedEntry("debug", "named", "other.log");
    manager_.QueueNamedAuditEntry("debug", AuditFields{}, "named", "other.log");
    manager_.Stop();
    EXPECT_TRUE(debug_.Batches().empty());
    EXPECT_TRUE(debug_.Audits().empty());
}

TEST_F(LogManagerTest, ManyThreadsLogWhileTheWorkerFlushes) {
    StartWithDebugWriter();
    constexpr int kThreads = 4;
    constexpr int kMessages = 200;
    std::vector<std::unique_ptr<FunctionBody>> bodies;
    std::vector<HANDLE> threads;
    for (int t = 0; t < kThreads; ++t) {
        bodies.push_back(std::make_unique<FunctionBody>([this, t] {
            for (int i = 0; i < kMessages; ++i) {
                if (manager_.IsCategoryLogged("debug"))
                    manager_.QueueEntry("debug", View(std::to_string(t * kMessages + i)));
            }
        }));
        threads.push_back(StartThread(bodies.back().get()));
    }
    for (const HANDLE thread : threads)
        JoinThread(thread);
    manager_.Stop();
    std::vector<int> next(kThreads, 0);
    const Lines lines = debug_.Lines();
    ASSERT_EQ(lines.size(), std::size_t{kThreads * kMessages});
    for (const std::string& line : lines) {
        const int value = std::stoi(line.substr(6));
        // Each thread's lines keep their commit order.
        EXPECT_EQ(value % kMessages, next[value / kMessages]++);
    }
}

TEST(LogManagerLifetimeTest, DestroyingARunningManagerStopsItsWorkerFirst) {
    RecordingLogWriter writer({"debug"});
    {
        LogManager manager;
        manager.AddWriter(&writer);
        manager.Start();
        ASSERT_TRUE(manager.IsCategoryLogged("debug"));
        manager.QueueEntry("debug", "last");
    }
    EXPECT_EQ(writer.Lines(), (Lines{"debug:last"}));
}

TEST(LogManagerLifetimeTest, InstanceStartsStopped) {
    EXPECT_EQ(&LogManager::Instance(), &LogManager::Instance());
    EXPECT_FALSE(IsCategoryLogged("debug"));
    {
        LoggingScope scope;
        EXPECT_FALSE(IsCategoryLogged("debug"));
    }
    StopLogging();
    EXPECT_FALSE(IsCategoryLogged("debug"));
}

} // namespace
