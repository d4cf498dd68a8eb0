// A writer for the tests of the manager and the messages: it takes the categories it is given,
// formats a line as "category:message", and keeps every batch it is handed with the name of the
// thread that handed it over. It can be told to fail.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/testing/texts.h"
#include "foundation/threads/thread_name.h"
#include "platform/logging/log_manager.h"
#include "platform/logging/log_writer.h"

struct RecordedBatch {
    std::vector<std::string> lines;
    std::string threadName;
};

struct RecordedAudit {
    std::string category;
    AuditFields fields;
    std::string user;
    bool hasAddress = false;
    IpAddress address;
    std::string message;
};

// Version flag, priority, event source, object type and event type, in that order.
inline std::vector<std::int32_t> AuditNumbers(const AuditFields& fields) {
    return {fields.versionFlag, fields.priority, fields.eventSource, fields.objectType,
            fields.eventType};
}

class RecordingLogWriter : public LogWriter {
public:
    explicit RecordingLogWriter(std::set<std::string> categories)
        : categories_(std::move(categories)) {}

    bool IsCategoryEnabled(UString<UTF8> category) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return categories_.contains(Text(category));
    }
    CopiedUString<UTF8> FormatAuditEntry(UString<UTF8> category, const AuditFields& fields,
                                         UString<UTF8> message) override {
        std::lock_guard<std::mutex> lock(mutex_);
        RecordedAudit audit{
            Text(category), fields, Text(fields.user), fields.address != nullptr, {},
            Text(message)};
        if (fields.address != nullptr)
            audit.address = *fields.address;
        // The views end with the call.
        audit.fields.user = {};
        audit.fields.address = nullptr;
        audits_.push_back(audit);
        return Line("audit:" + Text(message));
    }
    CopiedUString<UTF8> FormatLine(UString<UTF8> category, UString<UTF8> message) override {
        if (failFormatting_)
            throw std::runtime_error("formatting failed");
        return Line(Text(category) + ":" + Text(message));
    }
    void WriteLines(const LogLines& lines) override {
        std::lock_guard<std::mutex> lock(mutex_);
        RecordedBatch batch;
        for (const CopiedUString<UTF8>& line : lines)
            batch.lines.push_back(Text(line));
        const std::string* name = ThreadNameSlot().Get();
        batch.threadName = name == nullptr ? "" : *name;
        batches_.push_back(batch);
        if (failingWrites_ > 0) {
            --failingWrites_;
            throw std::runtime_error("writing failed");
        }
    }

    void SetCategories(std::set<std::string> categories) {
        std::lock_guard<std::mutex> lock(mutex_);
        categories_ = std::move(categories);
    }
    void FailWrites(int count) {
        std::lock_guard<std::mutex> lock(mutex_);
        failingWrites_ = count;
    }
    void FailFormatting(bool fail) { failFormatting_ = fail; }

    std::vector<RecordedBatch> Batches() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return batches_;
    }
    // Every line handed over, in order, batches joined.
    std::vector<std::string> Lines() const {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::string> lines;
        for (const RecordedBatch& batch : batches_)
            lines.insert(lines.end(), batch.lines.begin(), batch.lines.end());
        return lines;
    }
    std::vector<RecordedAudit> Audits() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return audits_;
    }

private:
    static CopiedUString<UTF8> Line(const std::string& text) {
        return CopiedUString<UTF8>(View(text));
    }

    mutable std::mutex mutex_;
    std::set<std::string> categories_;
    std::vector<RecordedBatch> batches_;
    std::vector<RecordedAudit> audits_;
    int failingWrites_ = 0;
    std::atomic<bool> failFormatting_ = false;
};

// The process's manager running with one writer; the writer's lines are complete once the
// manager has stopped.
class LoggingTo {
public:
    explicit LoggingTo(LogWriter& writer) : writer_(writer) {
        LogManager::Instance().AddWriter(&writer_);
        StartLogging();
    }
    ~LoggingTo() { Stop(); }
    LoggingTo(const LoggingTo&) = delete;
    LoggingTo& operator=(const LoggingTo&) = delete;

    void Stop() {
        StopLogging();
        LogManager::Instance().RemoveWriter(&writer_);
    }

private:
    LogWriter& writer_;
};
