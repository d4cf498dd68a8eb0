#include "platform/logging/log_message.h"

#include <string>

#include "foundation/threads/log_nesting_depth.h"
#include "platform/logging/log_manager.h"

LogMessage::LogMessage(UString<UTF8> category, UString<UTF8> logName)
    : category_(category), logName_(logName) {
    Indent();
}

LogMessage::LogMessage(UString<UTF8> category, std::int32_t versionFlag, std::int32_t priority,
                       UString<UTF8> user, std::int32_t eventSource, std::int32_t objectType,
                       std::int32_t eventType, const std::unique_ptr<IpAddress>& address,
                       UString<UTF8> logName)
    : category_(category), logName_(logName), user_(user), versionFlag_(versionFlag),
      priority_(priority), eventSource_(eventSource), objectType_(objectType),
      eventType_(eventType),
      address_(address == nullptr ? nullptr : std::make_unique<IpAddress>(*address)), audit_(true) {
    Indent();
}

void LogMessage::Indent() {
    const unsigned long* depth = LogNestingDepth().Get();
    if (depth != nullptr)
        *this << std::string(2 * *depth, ' ');
}

LogMessage::~LogMessage() {
    const std::string text = str();
    const UString<UTF8> message(text.data(), text.data() + text.size());
    LogManager& manager = LogManager::Instance();
    if (!audit_) {
        if (logName_.IsEmpty())
            manager.QueueEntry(category_, message);
        else
            manager.QueueNamedEntry(category_, message, logName_);
        return;
    }
    const AuditFields fields{versionFlag_, priority_,  user_,         eventSource_,
                             objectType_,  eventType_, address_.get()};
    if (logName_.IsEmpty())
        manager.QueueAuditEntry(category_, fields, message);
    else
        manager.QueueNamedAuditEntry(category_, fields, message, logName_);
}

std::ostream& operator<<(std::ostream& stream, UString<UTF8> text) {
    return stream.write(text.begin(), static_cast<std::streamsize>(text.Length()));
}
