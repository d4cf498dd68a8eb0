// Input: a message, a NUL, a user, a NUL, and bytes that fill the audit numbers and address.
//
// Properties: a plain line is the stamp, " -- ", the message unchanged and CR LF; an audit line
// ends in CR LF and splits at "|" into exactly its nine fields, the user and the message with
// each "|" as "%7C" and nothing else changed, the numbers as their texts.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "foundation/testing/fuzz_input.h"
#include "platform/logging/line_formats.h"
#include "platform/logging/log_time_stamp.h"

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

std::string Text(UString<UTF8> text) {
    return text.IsEmpty() ? std::string() : std::string(text.begin(), text.end());
}

UString<UTF8> View(const std::string& text) {
    return UString<UTF8>(text.data(), text.data() + text.size());
}

std::string Escaped(const std::string& text) {
    std::string escaped;
    for (const char unit : text)
        escaped += unit == '|' ? std::string("%7C") : std::string(1, unit);
    return escaped;
}

std::vector<std::string> Fields(const std::string& text) {
    std::vector<std::string> fields(1);
    for (const char unit : text) {
        if (unit == '|')
            fields.emplace_back();
        else
            fields.back().push_back(unit);
    }
    return fields;
}

// Numbers and address from the bytes, zeros where they run out.
class Bytes {
public:
    explicit Bytes(std::string bytes) : bytes_(std::move(bytes)) {}
    std::int32_t Int() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | Byte();
        return static_cast<std::int32_t>(value);
    }
    std::uint8_t Byte() {
        return at_ < bytes_.size() ? static_cast<std::uint8_t>(bytes_[at_++]) : 0;
    }

private:
    std::string bytes_;
    std::size_t at_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> pieces = SplitFuzzInput(data, size, 3);
    const std::string& message = pieces[0];
    const std::string user = pieces.size() > 1 ? pieces[1] : "";
    Bytes bytes(pieces.size() > 2 ? pieces[2] : "");

    const std::string stamp = Text(LogTimeStamp());
    Require(stamp.size() == 31);
    const std::string plain = Text(FormatPlainLine(View(stamp), View(message)));
    Require(plain == stamp + " -- " + message + "\r\n");

    AuditFields fields;
    fields.versionFlag = bytes.Int();
    fields.priority = bytes.Int();
    fields.user = View(user);
    fields.eventSource = bytes.Int();
    fields.objectType = bytes.Int();
    fields.eventType = bytes.Int();
    IpAddress address;
    const bool hasAddress = bytes.Byte() != 0;
    address.family = bytes.Byte();
    for (std::uint8_t& unit : address.address)
        unit = bytes.Byte();
    for (char& unit : address.zone)
        unit = static_cast<char>(bytes.Byte());
    fields.address = hasAddress ? &address : nullptr;

    const std::string audit = Text(RenderAuditEntry(View(stamp), fields, View(message)));
    Require(audit.ends_with("\r\n"));
    const std::vector<std::string> parts = Fields(audit.substr(0, audit.size() - 2));
    Require(parts.size() == 9);
    Require(parts[0] == Text(AuditVersionText(fields.versionFlag)));
    Require(parts[1] == stamp);
    Require(parts[2] == Text(AuditPriorityText(fields.priority)));
    Require(parts[3] == Escaped(user));
    Require(parts[4] == Text(AuditEventSourceText(fields.eventSource)));
    Require(parts[5] == Text(AuditObjectTypeText(fields.objectType)));
    Require(parts[6] == Text(AuditEventTypeText(fields.eventType)));
    Require(parts[7] == Text(AuditAddressText(fields.address)));
    Require(hasAddress != parts[7].empty());
    Require(parts[8] == Escaped(message));
    return 0;
}
