// The writer that appends its lines to one log file, opened once per batch.
#pragma once

#include <set>

#include "foundation/text/text_ops.h"
#include "platform/files/file_location.h"
#include "platform/logging/log_writer.h"

class FileLogWriter : public LogWriter {
public:
    // Creates the file's directory, one level, when it is missing; the writer is built whatever
    // that step meets, and a directory it could not make shows in the first batch's failure.
    explicit FileLogWriter(const FileLocation& logFile);

    // Categories are only ever added, by the owner before it registers the writer.
    void EnableCategory(UString<UTF8> category);

    // Exact byte comparison: case matters.
    bool IsCategoryEnabled(UString<UTF8> category) override;
    CopiedUString<UTF8> FormatAuditEntry(UString<UTF8> category, const AuditFields& fields,
                                         UString<UTF8> message) override;
    CopiedUString<UTF8> FormatLine(UString<UTF8> category, UString<UTF8> message) override;
    // Appends the batch; other processes may read the file meanwhile but not write it, so a
    // second writer's batch fails to open rather than interleaving. Lines written before a
    // failure stay.
    void WriteLines(const LogLines& lines) override;

    const FileLocation& LogFile() const { return logFile_; }

private:
    FileLocation logFile_;
    std::set<CopiedUString<UTF8>, CopiedUStringLess> enabled_;
};
