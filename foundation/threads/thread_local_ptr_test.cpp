#include "foundation/threads/thread_local_ptr.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "foundation/encoding/windows_error.h"
#include "foundation/testing/started_thread.h"

namespace {

// Records its deletion under its label.
class Tracked {
public:
    Tracked(std::string label, std::vector<std::string>* deletions)
        : label_(std::move(label)), deletions_(deletions) {}
    ~Tracked() {
        const std::lock_guard<std::mutex> lock(mutex);
        deletions_->push_back(label_);
    }

    static inline std::mutex mutex;

private:
    std::string label_;
    std::vector<std::string>* deletions_;
};

// The registry keeps its entries for good, so the slots are static objects.
ThreadLocalPtr<Tracked, DisposeByDeleting> firstDeleting;
ThreadLocalPtr<Tracked, DisposeByDeleting> secondDeleting;
ThreadLocalPtr<Tracked, DoNotDispose> notDisposing;

class ThreadLocalPtrTest : public ::testing::Test {
protected:
    void TearDown() override {
        firstDeleting.Set(nullptr);
        secondDeleting.Set(nullptr);
        notDisposing.Set(nullptr);
    }

    std::vector<std::string> deletions_;
};

TEST_F(ThreadLocalPtrTest, StartedThreadsDisposeOfTheirValuesByPolicyInRegistrationOrder) {
    Tracked kept("kept", &deletions_);
    const Tracked* seen[3] = {};
    RunOnStartedThread([&] {
        secondDeleting.Set(new Tracked("second", &deletions_));
        firstDeleting.Set(new Tracked("first", &deletions_));
        notDisposing.Set(&kept);
        seen[0] = firstDeleting.Get();
        seen[1] = secondDeleting.Get();
        seen[2] = notDisposing.Get();
    });
    EXPECT_NE(seen[0], nullptr);
    EXPECT_NE(seen[1], nullptr);
    EXPECT_EQ(seen[2], &kept);
    EXPECT_EQ(deletions_, (std::vector<std::string>{"first", "second"}));
}

TEST_F(ThreadLocalPtrTest, EachThreadSeesOnlyItsOwnValue) {
    Tracked mine("main", &deletions_);
    notDisposing.Set(&mine);
    const Tracked* seenBefore = &mine;
    const Tracked* seenAfter = &mine;
    RunOnStartedThread([&] {
        seenBefore = notDisposing.Get();
        notDisposing.Set(new Tracked("thread", &deletions_));
        seenAfter = notDisposing.Get();
        delete seenAfter;
    });
    EXPECT_EQ(seenBefore, nullptr);
    EXPECT_NE(seenAfter, &mine);
    EXPECT_EQ(notDisposing.Get(), &mine);
}

TEST_F(ThreadLocalPtrTest, SetDisposesOfTheReplacedValueButNotOfTheSameValue) {
    auto* first = new Tracked("first", &deletions_);
    firstDeleting.Set(first);
    firstDeleting.Set(first);
    EXPECT_EQ(deletions_, std::vector<std::string>{});
    EXPECT_EQ(firstDeleting.Get(), first);
    firstDeleting.Set(new Tracked("replacement", &deletions_));
    EXPECT_EQ(deletions_, std::vector<std::string>{"first"});

    Tracked kept("kept", &deletions_);
    Tracked other("other", &deletions_);
    notDisposing.Set(&kept);
    notDisposing.Set(&other);
    EXPECT_EQ(notDisposing.Get(), &other);
    EXPECT_EQ(deletions_, std::vector<std::string>{"first"});
}

TEST_F(ThreadLocalPtrTest, RunClearsTheSlotAndDisposesByPolicy) {
    Tracked kept("kept", &deletions_);
    firstDeleting.Set(new Tracked("deleted", &deletions_));
    notDisposing.Set(&kept);
    firstDeleting.Run();
    notDisposing.Run();
    EXPECT_EQ(firstDeleting.Get(), nullptr);
    EXPECT_EQ(notDisposing.Get(), nullptr);
    EXPECT_EQ(deletions_, std::vector<std::string>{"deleted"});
}

TEST_F(ThreadLocalPtrTest, RunWithoutAValueDoesNothing) {
    EXPECT_NO_THROW(firstDeleting.Run());
    EXPECT_NO_THROW(notDisposing.Run());
    std::atomic<bool> ran = false;
    RunOnStartedThread([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_EQ(deletions_, std::vector<std::string>{});
}

TEST(ThreadLocalPtrConstructionTest, WithoutAFreeSlotRaisesTheLastErrorAndRegistersNothing) {
    std::vector<DWORD> taken;
    for (DWORD index = TlsAlloc(); index != TLS_OUT_OF_INDEXES; index = TlsAlloc())
        taken.push_back(index);
    const DWORD lastError = GetLastError();
    const std::uint32_t registered = ThreadLocalRegistry().Count();
    // Static, so that a construction that wrongly succeeds leaves no dangling registry entry.
    static std::optional<ThreadLocalPtr<int, DoNotDispose>> pointer;
    std::optional<DWORD> raised;
    try {
        pointer.emplace();
    } catch (const Windows::Error& error) {
        raised = error.Code();
    }
    for (const DWORD index : taken)
        TlsFree(index);
    EXPECT_EQ(raised, lastError != 0 ? lastError : DWORD{ERROR_INTERNAL_ERROR});
    EXPECT_EQ(ThreadLocalRegistry().Count(), registered);
}

} // namespace
