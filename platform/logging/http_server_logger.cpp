#include "platform/logging/http_server_logger.h"

#include <memory>

#include "platform/logging/log_manager.h"
#include "platform/logging/log_message.h"

namespace {

void LogPlain(UString<UTF8> category, UString<UTF8> text) {
    if (!IsCategoryLogged(category))
        return;
    LogMessage message(category, UString<UTF8>());
    message << text;
}

// The holder that audit messages without an address pass.
const std::unique_ptr<IpAddress>& NoAddress() {
    static const std::unique_ptr<IpAddress> none;
    return none;
}

} // namespace

void RelayHTTPServerLogger::Critical(UString<UTF8> text) {
    LogPlain("critical", text);
}

void RelayHTTPServerLogger::Debug(UString<UTF8> text) {
    LogPlain("debug", text);
}

void RelayHTTPServerLogger::Audit(UString<UTF8> text) {
    const UString<UTF8> category("audit-ssl");
    if (!IsCategoryLogged(category))
        return;
    // Event source 7, object type 8 and event type 6 are the rows with empty texts.
    LogMessage message(category, 0, 2, UString<UTF8>(), 7, 8, 6, NoAddress(), UString<UTF8>());
    message << text;
}
