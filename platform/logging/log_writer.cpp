#include "platform/logging/log_writer.h"

CopiedUString<UTF8> LogWriter::FormatAuditEntry(UString<UTF8>, const AuditFields&, UString<UTF8>) {
    return CopiedUString<UTF8>(UString<UTF8>("Not implemented ... "));
}

CopiedUString<UTF8> LogWriter::FormatEntry(UString<UTF8> category, UString<UTF8> message) {
    return FormatLine(category, message);
}
