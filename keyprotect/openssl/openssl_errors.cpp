#include "keyprotect/openssl/openssl_errors.h"

#include <openssl/err.h>

#include <new>

#include "foundation/encoding/code_pages.h"

std::string OpenSSLErrorText(std::uint32_t code) {
    const char* reason = ERR_reason_error_string(code);
    if (reason != nullptr)
        return reason;
    return "Error reason string is null, code = " + std::to_string(code) + ".\n";
}

OpenSSLError::OpenSSLError(const OpenSSLError& other)
    : DebuggableException(other),
      whatCache_(other.whatCache_ ? std::make_unique<std::string>(*other.whatCache_) : nullptr),
      message_(other.message_) {}

const char* OpenSSLError::what() const noexcept {
    try {
        if (!whatCache_)
            whatCache_ = std::make_unique<std::string>();
        if (whatCache_->empty()) {
            // Codes are 32-bit on every target; the wider type of some is only the C API's.
            std::uint32_t code = static_cast<std::uint32_t>(ERR_get_error());
            if (code == 0) {
                *whatCache_ = DebuggableException::what();
            } else {
                std::string text = OpenSSLErrorText(code);
                while ((code = static_cast<std::uint32_t>(ERR_get_error())) != 0)
                    text.append("; ").append(OpenSSLErrorText(code));
                text.append(" (").append(DebuggableException::what()).append(")");
                *whatCache_ = std::move(text);
            }
        }
        return whatCache_->c_str();
    } catch (const std::bad_alloc&) {
        return DebuggableException::what();
    }
}

UString<UTF8> OpenSSLError::Message() const noexcept {
    try {
        message_.Assign(WideToUtf8(AnsiToWide(UString<UTF8>(what()))));
        return message_.View();
    } catch (...) {
        return ClassNameText();
    }
}

std::unique_ptr<CaughtException> CatchPKCS7SignatureVerifyFailed() {
    return CatchExceptionOfType<PKCS7SignatureVerifyFailed>();
}

namespace {

const ExceptionCatcherRegistration<PKCS7SignatureVerifyFailed> pkcs7Catchers;

} // namespace
