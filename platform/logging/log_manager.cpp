#include "platform/logging/log_manager.h"

#include <utility>

#include "foundation/threads/thread_name.h"
#include "foundation/threads/thread_start.h"

LogManager::LogManager() {
    stop_.Set();
}

LogManager::~LogManager() {
    // The worker waits on the event and takes the lock, so it must end before either goes.
    Stop();
}

LogManager& LogManager::Instance() {
    static LogManager manager;
    return manager;
}

void LogManager::Start() {
    stop_.Reset();
    const HANDLE previous = std::exchange(worker_, StartThread(this));
    JoinThread(previous);
}

void LogManager::Stop() {
    stop_.Set();
    JoinThread(std::exchange(worker_, nullptr));
}

void LogManager::AddWriter(LogWriter* writer) {
    CriticalSectionLock lock(section_);
    writers_.insert(writer);
    RebuildRoutes();
}

void LogManager::RemoveWriter(LogWriter* writer) {
    if (writer == nullptr)
        return;
    CriticalSectionLock lock(section_);
    writers_.erase(writer);
    RebuildRoutes();
    const auto pending = queues_.find(writer);
    if (pending == queues_.end())
        return;
    try {
        writer->WriteLines(pending->second);
    } catch (...) {
        // The lines are dropped; the writer goes all the same.
    }
    queues_.erase(pending);
}

bool LogManager::IsCategoryLogged(UString<UTF8> category) {
    if (stop_.Wait(0))
        return false;
    CriticalSectionLock lock(section_);
    if (categoriesSeen_.insert(CopiedUString<UTF8>(category)).second)
        RebuildRoutes();
    return routes_.contains(CopiedUString<UTF8>(category));
}

void LogManager::RebuildRoutes() {
    CriticalSectionLock lock(section_);
    Routes routes;
    for (const CopiedUString<UTF8>& category : categoriesSeen_) {
        for (LogWriter* writer : writers_) {
            if (writer->IsCategoryEnabled(category))
                routes[category].push_back(writer);
        }
    }
    routes_.swap(routes);
}

template <typename Formatter>
void LogManager::Queue(UString<UTF8> category, Formatter format) {
    CriticalSectionLock lock(section_);
    const auto route = routes_.find(CopiedUString<UTF8>(category));
    if (route == routes_.end())
        return;
    for (LogWriter* writer : route->second)
        queues_[writer].push_back(format(*writer));
}

void LogManager::QueueEntry(UString<UTF8> category, UString<UTF8> message) {
    Queue(category, [&](LogWriter& writer) { return writer.FormatEntry(category, message); });
}

void LogManager::QueueAuditEntry(UString<UTF8> category, const AuditFields& fields,
                                 UString<UTF8> message) {
    Queue(category,
          [&](LogWriter& writer) { return writer.FormatAuditEntry(category, fields, message); });
}

void LogManager::QueueNamedEntry(UString<UTF8>, UString<UTF8>, UString<UTF8>) {}

void LogManager::QueueNamedAuditEntry(UString<UTF8>, const AuditFields&, UString<UTF8>,
                                      UString<UTF8>) {}

void LogManager::Flush() {
    CriticalSectionLock lock(section_);
    Queues taken;
    taken.swap(queues_);
    for (const auto& [writer, lines] : taken) {
        try {
            writer->WriteLines(lines);
        } catch (...) {
            // A failed batch is lost; the other writers still get theirs.
        }
    }
}

void LogManager::Run() {
    SetThreadName("Logging");
    while (!stop_.Wait(flushIntervalMicroseconds_)) {
        try {
            Flush();
            RebuildRoutes();
        } catch (...) {
            // Logging never ends the run; what failed is lost.
        }
    }
    try {
        Flush();
    } catch (...) {
        // As above: the last lines are lost.
    }
}

void StartLogging() {
    LogManager::Instance().Start();
}

void StopLogging() noexcept {
    LogManager::Instance().Stop();
}

bool IsCategoryLogged(UString<UTF8> category) {
    return LogManager::Instance().IsCategoryLogged(category);
}
