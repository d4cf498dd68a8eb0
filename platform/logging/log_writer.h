// The sink end of logging: a writer says which categories it takes, turns each message into one
// finished line when the message is committed, and writes the finished lines in batches. The log
// manager makes every call under its lock, so a writer needs no lock of its own.
#pragma once

#include <vector>

#include "foundation/text/ustring.h"
#include "platform/logging/line_formats.h"

using LogLines = std::vector<CopiedUString<UTF8>>;

class LogWriter {
public:
    LogWriter() = default;
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;
    virtual ~LogWriter() = default;

    virtual bool IsCategoryEnabled(UString<UTF8> category) = 0;
    // A writer without an audit format queues a fixed text, without a line end.
    virtual CopiedUString<UTF8> FormatAuditEntry(UString<UTF8> category, const AuditFields& fields,
                                                 UString<UTF8> message);
    virtual CopiedUString<UTF8> FormatEntry(UString<UTF8> category, UString<UTF8> message);
    virtual CopiedUString<UTF8> FormatLine(UString<UTF8> category, UString<UTF8> message) = 0;
    // Writes the batch in its order; failures raise.
    virtual void WriteLines(const LogLines& lines) = 0;
};
