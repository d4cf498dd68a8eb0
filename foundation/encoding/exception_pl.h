// Errors that carry a free message.
#pragma once

#include <exception>

#include "foundation/errors/debuggable_exception.h"
#include "foundation/text/lifetime_bound.h"
#include "foundation/text/ustring.h"

class ExceptionPL : public DebuggableException {
public:
    // `ansiText` is NUL-terminated in the ANSI code page; null reads as empty. A failing
    // conversion raises its error from here.
    explicit ExceptionPL(const char* ansiText);
    // The narrow text is not copied; the copy makes its own.
    ExceptionPL(const ExceptionPL& other);
    ~ExceptionPL() override = default;

    // The message in the ANSI code page, valid until the next call on this object.
    const char* what() const noexcept QUENDRA_LIFETIME_BOUND override;
    // The class-name text when the message is empty.
    UString<UTF8> Message() const noexcept QUENDRA_LIFETIME_BOUND override;

private:
    CopiedUString<UTF8> message_;
    mutable CopiedUString<UTF8> narrow_;
};

// A standard exception carried on under a class of its own; its message is the what() text.
class CopiedStdException : public ExceptionPL {
public:
    explicit CopiedStdException(const std::exception& caught);
    CopiedStdException(const CopiedStdException&) = default;
    ~CopiedStdException() override = default;
};
