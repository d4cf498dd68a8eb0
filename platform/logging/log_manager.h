// The process-wide router of logging. Writers register with it; a committed message is formatted
// at once by every writer that takes its category and queued per writer; a worker thread named
// "Logging" hands each writer its queued lines in one batch a second, and a last time when the
// manager stops. The manager only holds its writers' addresses.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "foundation/text/text_ops.h"
#include "foundation/threads/callable.h"
#include "foundation/threads/critical_section.h"
#include "foundation/threads/manual_reset_event.h"
#include "platform/logging/log_writer.h"
#include "winapi/win32.h"

class LogManager final : public Callable<void (*)()> {
public:
    // Stopped: nothing is logged until Start.
    LogManager();
    // Stops a worker that is still running before releasing what it uses.
    ~LogManager() override;
    LogManager(const LogManager&) = delete;
    LogManager& operator=(const LogManager&) = delete;

    // The process's one manager, created on first use and destroyed at exit.
    static LogManager& Instance();

    // Only while no worker runs: never started, or stopped. Raises WindowsPlatform::ThreadError
    // when the thread cannot start.
    void Start();
    // Wakes the worker at once and waits for its last flush; without a worker it only marks the
    // manager stopped.
    void Stop();

    // The writer must stay alive until it is removed.
    void AddWriter(LogWriter* writer);
    // Writes the writer's pending lines on the calling thread before it returns, so the caller
    // may destroy the writer at once. Null does nothing.
    void RemoveWriter(LogWriter* writer);

    // False while stopped. A category is routed only once it has been asked about here.
    bool IsCategoryLogged(UString<UTF8> category);

    // Formatting failures propagate. A message queued while stopped waits for the next flush or
    // the writer's removal.
    void QueueEntry(UString<UTF8> category, UString<UTF8> message);
    void QueueAuditEntry(UString<UTF8> category, const AuditFields& fields, UString<UTF8> message);
    // Messages that carry a log name: no writer serves them, so they are dropped.
    void QueueNamedEntry(UString<UTF8> category, UString<UTF8> message, UString<UTF8> logName);
    void QueueNamedAuditEntry(UString<UTF8> category, const AuditFields& fields,
                              UString<UTF8> message, UString<UTF8> logName);

    // Hands every queue to its writer; a writer that raises loses its batch and the others go on.
    void Flush();
    void RebuildRoutes();

    // The worker loop.
    void Run() override;

private:
    using Routes = std::map<CopiedUString<UTF8>, std::vector<LogWriter*>, CopiedUStringLess>;
    using Queues = std::map<LogWriter*, LogLines>;

    template <typename Formatter>
    void Queue(UString<UTF8> category, Formatter format);

    std::set<LogWriter*> writers_;
    Routes routes_;
    Queues queues_;
    std::set<CopiedUString<UTF8>, CopiedUStringLess> categoriesSeen_;
    std::int64_t flushIntervalMicroseconds_ = 1'000'000;
    HANDLE worker_ = nullptr;
    CriticalSection section_;
    ManualResetEvent stop_;
};

void StartLogging();
// Lets no exception out: a failure to stop ends the process.
void StopLogging() noexcept;
bool IsCategoryLogged(UString<UTF8> category);

// Logging for the life of the object.
class LoggingScope {
public:
    LoggingScope() { StartLogging(); }
    ~LoggingScope() { StopLogging(); }
    LoggingScope(const LoggingScope&) = delete;
    LoggingScope& operator=(const LoggingScope&) = delete;
};
