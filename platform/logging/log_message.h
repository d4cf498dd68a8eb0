// One message for the log: a narrow string stream that commits its text to the log manager when
// it is destroyed. Callers ask IsCategoryLogged first and build a message only when it answers
// true, so a category that no writer takes costs no formatting.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <sstream>

#include "foundation/numbers/ip_address.h"
#include "foundation/text/ustring.h"

class LogMessage : public std::ostringstream {
public:
    // A plain message; an empty log name means none.
    LogMessage(UString<UTF8> category, UString<UTF8> logName);
    // An audit message; a present address is copied, so the caller's may change or go away.
    LogMessage(UString<UTF8> category, std::int32_t versionFlag, std::int32_t priority,
               UString<UTF8> user, std::int32_t eventSource, std::int32_t objectType,
               std::int32_t eventType, const std::unique_ptr<IpAddress>& address,
               UString<UTF8> logName);
    // Commits the text. A failure of the queueing path ends the process.
    ~LogMessage() override;
    LogMessage(const LogMessage&) = delete;
    LogMessage& operator=(const LogMessage&) = delete;

private:
    // A thread with a log nesting depth starts its messages with two spaces per level.
    void Indent();

    CopiedUString<UTF8> category_;
    CopiedUString<UTF8> logName_;
    CopiedUString<UTF8> user_;
    std::int32_t versionFlag_ = 0;
    std::int32_t priority_ = 0;
    std::int32_t eventSource_ = 0;
    std::int32_t objectType_ = 0;
    std::int32_t eventType_ = 0;
    std::unique_ptr<IpAddress> address_;
    bool audit_ = false;
};

// The text's bytes, unchanged.
std::ostream& operator<<(std::ostream& stream, UString<UTF8> text);
