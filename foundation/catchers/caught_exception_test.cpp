#include "foundation/catchers/caught_exception.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

#include "foundation/testing/started_thread.h"
#include "foundation/testing/texts.h"
#include "foundation/threads/manual_reset_event.h"

class TestOnlyError : public DebuggableException {};

std::unique_ptr<CaughtException> CatchTestOnlyError() {
    return CatchExceptionOfType<TestOnlyError>();
}

template <>
struct ExceptionCatcherFor<TestOnlyError> {
    static constexpr ExceptionCatcher kCatcher = CatchTestOnlyError;
    static constexpr CatcherRank kRank = CatcherRank::Program;
};

namespace {

template <typename Exception>
std::unique_ptr<CaughtException> CaptureWith(ExceptionCatcher catcher, const Exception& exception) {
    try {
        throw exception;
    } catch (...) {
        return catcher();
    }
}

// The registry lives for the whole process, so its history is checked in one sequence. A repeated
// run finds the list as the run before left it: every step then expects that whole list.
TEST(ExceptionCatcherRegistryTest, KeepsCatchersInFirstRegistrationOrderWithoutDuplicates) {
    using List = std::vector<ExceptionCatcher>;
    const List history = {CatchStdException, CatchWindowsError, CatchExceptionPL,
                          CatchTestOnlyError};
    constexpr std::size_t kStartUpEntries = 2;
    static std::size_t entriesLeftByEarlierRuns = kStartUpEntries;
    const auto firstEntries = [&](std::size_t count) {
        const std::size_t length = std::max(count, entriesLeftByEarlierRuns);
        return List(history.begin(), history.begin() + static_cast<std::ptrdiff_t>(length));
    };
    ASSERT_EQ(RegisteredExceptionCatchers(), firstEntries(kStartUpEntries)) << "start-up";

    struct Step {
        const char* name;
        std::function<void()> action;
        std::size_t entries;
    };
    const std::vector<Step> steps = {
        {"std::exception", [] { ExceptionCatcherRegistration<std::exception>(); }, 2},
        {"ExceptionPL", [] { ExceptionCatcherRegistration<ExceptionPL>(); }, 3},
        {"ExceptionPL again", [] { ExceptionCatcherRegistration<ExceptionPL>(); }, 3},
        {"Windows::Error again", [] { ExceptionCatcherRegistration<Windows::Error>(); }, 3},
        {"each catcher directly",
         [] {
             RegisterExceptionCatcher(CatchExceptionPL, CatcherRank::Platform);
             RegisterExceptionCatcher(CatchWindowsError, CatcherRank::WindowsError);
             RegisterExceptionCatcher(CatchStdException, CatcherRank::Standard);
         },
         3},
        {"a listed catcher under another rank keeps its place",
         [] { RegisterExceptionCatcher(CatchExceptionPL, CatcherRank::Standard); }, 3},
        {"a type of another unit",
         [] {
             ExceptionCatcherRegistration<TestOnlyError>();
             RegisterExceptionCatcher(CatchTestOnlyError, CatcherRank::Program);
         },
         4},
    };
    for (const Step& step : steps) {
        step.action();
        EXPECT_EQ(RegisteredExceptionCatchers(), firstEntries(step.entries)) << step.name;
    }
    entriesLeftByEarlierRuns = history.size();
}

// Start-up reaches the registrations in link order, which says nothing of their ranks.
TEST(AddRankedCatcherTest, EveryRegistrationOrderGivesTheListByRank) {
    std::vector<RankedCatcher> registrations = {
        {CatchStdException, CatcherRank::Standard},
        {CatchTestOnlyError, CatcherRank::WrappedLibrary},
        {CatchWindowsError, CatcherRank::WindowsError},
        {CatchExceptionPL, CatcherRank::Platform},
    };
    const std::vector<RankedCatcher> byRank = registrations;
    do {
        std::vector<RankedCatcher> list;
        for (const RankedCatcher& entry : registrations) {
            AddRankedCatcher(list, entry);
            AddRankedCatcher(list, entry);
        }
        EXPECT_EQ(list, byRank);
    } while (std::next_permutation(
        registrations.begin(), registrations.end(),
        [](const RankedCatcher& a, const RankedCatcher& b) { return a.rank < b.rank; }));
}

TEST(AddRankedCatcherTest, CatchersOfOneRankKeepTheirRegistrationOrder) {
    std::vector<RankedCatcher> list;
    const std::vector<RankedCatcher> registrations = {
        {CatchTestOnlyError, CatcherRank::Platform},
        {CatchWindowsError, CatcherRank::Program},
        {CatchExceptionPL, CatcherRank::Platform},
        {CatchStdException, CatcherRank::Standard},
    };
    for (const RankedCatcher& entry : registrations)
        AddRankedCatcher(list, entry);
    const std::vector<RankedCatcher> expected = {registrations[3], registrations[0],
                                                 registrations[2], registrations[1]};
    EXPECT_EQ(list, expected);
}

TEST(ExceptionCatcherRegistryTest, AccessHoldsTheRegistryLock) {
    ManualResetEvent registering;
    std::atomic<bool> registered = false;
    FunctionBody registration([&] {
        registering.Set();
        RegisterExceptionCatcher(CatchStdException, CatcherRank::Standard);
        registered = true;
    });
    HANDLE thread = nullptr;
    {
        const ExceptionCatcherRegistry::LockedCatchers access = ExceptionCatcherRegistry::Access();
        thread = StartThread(&registration);
        EXPECT_TRUE(registering.Wait(INT64_MAX));
        // The same entries in a new block: a registration that got past the lock would read the
        // list while it is replaced, which the sanitizers report.
        std::vector<RankedCatcher>& entries = access.Entries();
        entries = std::vector<RankedCatcher>(entries);
        EXPECT_FALSE(registered);
    }
    JoinThread(thread);
    EXPECT_TRUE(registered);
}

TEST(CatchStdExceptionTest, CarriesTheWhatTextAsACopiedStdException) {
    const Windows::Error error(5, nullptr);
    const std::string errorText = error.what();
    const std::vector<std::pair<std::function<std::unique_ptr<CaughtException>()>, std::string>>
        cases = {
            {[] { return CaptureWith(CatchStdException, std::runtime_error("disk on fire")); },
             "disk on fire"},
            {[&] { return CaptureWith(CatchStdException, error); }, errorText},
            {[] { return CaptureWith(CatchStdException, ExceptionPL("carried on")); },
             "carried on"},
        };
    for (const auto& [capture, text] : cases) {
        const std::unique_ptr<CaughtException> caught = capture();
        const auto* holder =
            dynamic_cast<const CaughtExceptionOfType<std::exception>*>(caught.get());
        ASSERT_NE(holder, nullptr) << text;
        const ExceptionPL& held = holder->HeldObject();
        EXPECT_EQ(typeid(held), typeid(CopiedStdException)) << text;
        EXPECT_EQ(Text(caught->Message()), text);
        EXPECT_STREQ(caught->What(), text.c_str());
        try {
            caught->Rethrow();
        } catch (const ExceptionPL& rethrown) {
            EXPECT_EQ(typeid(rethrown), typeid(CopiedStdException)) << text;
            EXPECT_EQ(Text(rethrown.Message()), text);
        }
    }
}

TEST(CatchWindowsErrorTest, KeepsTheCodeAndComposesTheSameTexts) {
    const Windows::Error error(5, nullptr);
    const std::unique_ptr<CaughtException> caught = CaptureWith(CatchWindowsError, error);
    ASSERT_NE(caught, nullptr);
    EXPECT_EQ(Text(caught->Message()), Text(error.Message()));
    EXPECT_EQ(Text(caught->Message()).back(), '\0');
    EXPECT_STREQ(caught->What(), error.what());
    try {
        caught->Rethrow();
    } catch (const Windows::Error& rethrown) {
        EXPECT_EQ(typeid(rethrown), typeid(Windows::Error));
        EXPECT_EQ(rethrown.Code(), DWORD{5});
    }
}

TEST(CatchExceptionPLTest, HoldsDerivedObjectsAsPlainExceptionPL) {
    struct Case {
        std::function<std::unique_ptr<CaughtException>()> capture;
        std::string message;
    };
    const std::vector<Case> cases = {
        {[] { return CaptureWith(CatchExceptionPL, ExceptionPL("a message")); }, "a message"},
        {[] {
             return CaptureWith(CatchExceptionPL,
                                CopiedStdException(std::runtime_error("from a copy")));
         },
         "from a copy"},
        // With no message of its own, the class-name text shows what it is held as.
        {[] { return CaptureWith(CatchExceptionPL, CopiedStdException(std::runtime_error(""))); },
         "class ExceptionPL"},
    };
    for (const Case& c : cases) {
        const std::unique_ptr<CaughtException> caught = c.capture();
        ASSERT_NE(caught, nullptr) << c.message;
        EXPECT_EQ(Text(caught->Message()), c.message);
        try {
            caught->Rethrow();
        } catch (const ExceptionPL& rethrown) {
            EXPECT_EQ(typeid(rethrown), typeid(ExceptionPL)) << c.message;
            EXPECT_EQ(Text(rethrown.Message()), c.message);
        }
    }
}

TEST(CatcherTest, AnExceptionOfAnotherTypeLeavesTheCatcherUnchanged) {
    struct Case {
        const char* name;
        std::function<void()> raise;
        ExceptionCatcher catcher;
    };
    const std::vector<Case> cases = {
        {"Windows::Error through CatchExceptionPL", [] { throw Windows::Error(5, nullptr); },
         CatchExceptionPL},
        {"ExceptionPL through CatchWindowsError", [] { throw ExceptionPL("text"); },
         CatchWindowsError},
        {"std::runtime_error through CatchExceptionPL", [] { throw std::runtime_error("text"); },
         CatchExceptionPL},
        {"int through CatchStdException", [] { throw 7; }, CatchStdException},
    };
    for (const Case& c : cases) {
        try {
            c.raise();
        } catch (...) {
            const std::exception_ptr inFlight = std::current_exception();
            try {
                c.catcher();
                ADD_FAILURE() << c.name << ": caught";
            } catch (...) {
                EXPECT_EQ(std::current_exception(), inFlight) << c.name;
            }
        }
    }
}

} // namespace
