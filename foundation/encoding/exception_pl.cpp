#include "foundation/encoding/exception_pl.h"

#include "foundation/encoding/code_pages.h"

ExceptionPL::ExceptionPL(const char* ansiText)
    : message_(WideToUtf8(AnsiToWide(UString<UTF8>(ansiText)))) {}

ExceptionPL::ExceptionPL(const ExceptionPL& other)
    : DebuggableException(other), message_(other.message_) {}

UString<UTF8> ExceptionPL::Message() const noexcept {
    if (!message_.IsEmpty())
        return message_;
    return ClassNameText();
}

const char* ExceptionPL::what() const noexcept {
    try {
        narrow_ = Utf8ToAnsiZ(Message());
        return narrow_.begin();
    } catch (...) {
        return DebuggableException::what();
    }
}

CopiedStdException::CopiedStdException(const std::exception& caught) : ExceptionPL(caught.what()) {}
