#include "platform/logging/line_formats.h"

#include <array>
#include <cstring>

#include "foundation/format/format.h"
#include "foundation/text/string_builder.h"
#include "foundation/text/text_ops.h"

namespace {

constexpr char kLineEnd[] = "\r\n";

// The row of `value`, or the last row for any value outside the others.
template <std::size_t N>
UString<UTF8> TableText(const std::array<const char*, N>& rows, std::int32_t value) {
    const bool listed = value >= 0 && static_cast<std::size_t>(value) < N - 1;
    return UString<UTF8>(rows[listed ? static_cast<std::size_t>(value) : N - 1]);
}

constexpr std::array<const char*, 5> kPriorities = {"EMERG", "ERROR", "INFO", "WARN", "INFO"};
constexpr std::array<const char*, 8> kEventSources = {"MIRVAL", "QUOBEN", "HALDOR", "TESKAR",
                                                      "FENDIX", "GORVIN", "OSKELD", ""};
constexpr std::array<const char*, 9> kObjectTypes = {
    "ACTION", "AUTHZ", "COMPUTER", "ROLE", "SITE", "USER", "SETTING", "DATABASE", ""};
constexpr std::array<const char*, 7> kEventTypes = {"LOGIN",  "LOGOUT", "CREATE", "DELETE",
                                                    "UPDATE", "SEARCH", ""};

bool IsIpv4Mapped(const IpAddress& address) {
    static constexpr std::uint8_t kPrefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
    return address.family != 0 && std::memcmp(address.address, kPrefix, sizeof kPrefix) == 0;
}

} // namespace

CopiedUString<UTF8> FormatPlainLine(UString<UTF8> timeStamp, UString<UTF8> message) {
    return Format("{t} -- {m}{e}", timeStamp, message, kLineEnd);
}

CopiedUString<UTF8> EscapeAuditField(UString<UTF8> text) {
    const UString<UTF8> bar("|");
    if (FindFirst(text, bar) == text.end())
        return CopiedUString<UTF8>(text);
    return ReplaceAll(text, bar, UString<UTF8>("%7C"));
}

UString<UTF8> AuditVersionText(std::int32_t versionFlag) {
    return versionFlag == 0 ? "1" : "";
}

UString<UTF8> AuditPriorityText(std::int32_t priority) {
    return TableText(kPriorities, priority);
}

UString<UTF8> AuditEventSourceText(std::int32_t eventSource) {
    return TableText(kEventSources, eventSource);
}

UString<UTF8> AuditObjectTypeText(std::int32_t objectType) {
    return TableText(kObjectTypes, objectType);
}

UString<UTF8> AuditEventTypeText(std::int32_t eventType) {
    return TableText(kEventTypes, eventType);
}

CopiedUString<UTF8> AuditAddressText(const IpAddress* address) {
    if (address == nullptr)
        return CopiedUString<UTF8>();
    IpAddress record = *address;
    if (IsIpv4Mapped(record)) {
        record = IpAddress{};
        std::memcpy(record.address + 12, address->address + 12, 4);
    }
    return CopiedUString<UTF8>(FormatIpAddress(record, false, 2, 0, false, 0).View());
}

CopiedUString<UTF8> FormatAuditLine(UString<UTF8> version, UString<UTF8> timeStamp,
                                    UString<UTF8> priority, UString<UTF8> user,
                                    UString<UTF8> eventSource, UString<UTF8> objectType,
                                    UString<UTF8> eventType, UString<UTF8> address,
                                    UString<UTF8> message) {
    return Format("{ver}|{time}|{prio}|{user}|{evtsrc}|{evtlabel}|{evttype}|{ip}|{msg}{e}", version,
                  timeStamp, priority, user, eventSource, objectType, eventType, address, message,
                  kLineEnd);
}

CopiedUString<UTF8> RenderAuditEntry(UString<UTF8> timeStamp, const AuditFields& fields,
                                     UString<UTF8> message) {
    const CopiedUString<UTF8> address = AuditAddressText(fields.address);
    const CopiedUString<UTF8> escapedMessage = EscapeAuditField(message);
    const CopiedUString<UTF8> escapedUser = EscapeAuditField(fields.user);
    return FormatAuditLine(AuditVersionText(fields.versionFlag), timeStamp,
                           AuditPriorityText(fields.priority), escapedUser,
                           AuditEventSourceText(fields.eventSource),
                           AuditObjectTypeText(fields.objectType),
                           AuditEventTypeText(fields.eventType), address, escapedMessage);
}
