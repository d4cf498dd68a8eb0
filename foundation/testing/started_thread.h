// Runs test code on a thread started by StartThread, so that the thread-exit functions run.
#pragma once

#include <functional>
#include <utility>

#include "foundation/threads/thread_start.h"

class FunctionBody final : public Callable<void (*)()> {
public:
    explicit FunctionBody(std::function<void()> action) : action_(std::move(action)) {}
    void Run() override { action_(); }

private:
    std::function<void()> action_;
};

// Returns once the thread, its exit functions included, has ended. Results are best checked
// after the join, on the test's own thread.
inline void RunOnStartedThread(std::function<void()> action) {
    FunctionBody body(std::move(action));
    JoinThread(StartThread(&body));
}
