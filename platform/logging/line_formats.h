// The two line formats of the log file: the plain line and the audit line with its field texts.
// Each takes the time stamp as a value, so that a line is rendered the same whatever the clock.
#pragma once

#include <cstdint>

#include "foundation/numbers/ip_address.h"
#include "foundation/text/ustring.h"

// The audit fields of a message beside its category and text. The integers are enumerations
// whose unknown values all take the text of the last row; the address is the message's own.
struct AuditFields {
    std::int32_t versionFlag = 0;
    std::int32_t priority = 0;
    UString<UTF8> user;
    std::int32_t eventSource = 0;
    std::int32_t objectType = 0;
    std::int32_t eventType = 0;
    const IpAddress* address = nullptr;
};

// "{t} -- {m}" and CR LF; the message goes in unchanged, line breaks included.
CopiedUString<UTF8> FormatPlainLine(UString<UTF8> timeStamp, UString<UTF8> message);

// Each "|" as "%7C"; nothing else changes.
CopiedUString<UTF8> EscapeAuditField(UString<UTF8> text);

UString<UTF8> AuditVersionText(std::int32_t versionFlag);
UString<UTF8> AuditPriorityText(std::int32_t priority);
UString<UTF8> AuditEventSourceText(std::int32_t eventSource);
UString<UTF8> AuditObjectTypeText(std::int32_t objectType);
UString<UTF8> AuditEventTypeText(std::int32_t eventType);
// Empty without an address; an IPv4-mapped IPv6 address is written as the IPv4 one.
CopiedUString<UTF8> AuditAddressText(const IpAddress* address);

// The nine fields joined by "|", then CR LF; the values go in as they are.
CopiedUString<UTF8> FormatAuditLine(UString<UTF8> version, UString<UTF8> timeStamp,
                                    UString<UTF8> priority, UString<UTF8> user,
                                    UString<UTF8> eventSource, UString<UTF8> objectType,
                                    UString<UTF8> eventType, UString<UTF8> address,
                                    UString<UTF8> message);

// The audit line of a message: its field texts, with the user and message escaped.
CopiedUString<UTF8> RenderAuditEntry(UString<UTF8> timeStamp, const AuditFields& fields,
                                     UString<UTF8> message);
