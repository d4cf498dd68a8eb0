// The logging interface an HTTP server expects, and the implementation that relays it into the
// log: critical texts to "critical", debug texts to "debug", audit texts to "audit-ssl".
#pragma once

#include "foundation/text/ustring.h"

class HTTPServerLogger {
public:
    HTTPServerLogger() = default;
    HTTPServerLogger(const HTTPServerLogger&) = delete;
    HTTPServerLogger& operator=(const HTTPServerLogger&) = delete;
    virtual ~HTTPServerLogger() = default;

    virtual void Critical(UString<UTF8> text) = 0;
    virtual void Debug(UString<UTF8> text) = 0;
    virtual void Audit(UString<UTF8> text) = 0;
};

// Stateless; safe from any thread. Builds a message only for a category that is logged.
class RelayHTTPServerLogger final : public HTTPServerLogger {
public:
    void Critical(UString<UTF8> text) override;
    void Debug(UString<UTF8> text) override;
    void Audit(UString<UTF8> text) override;
};
