// The errors of the OpenSSL wrappers. None carries data of its own: the text is composed on the
// first what() from the reasons OpenSSL queued for the calling thread, oldest first, followed by
// the class-name text, as in "bad decrypt; unsupported (class ReadPrivateKeyFailed)".
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/catchers/caught_exception.h"
#include "foundation/errors/debuggable_exception.h"
#include "foundation/text/lifetime_bound.h"
#include "foundation/text/ustring.h"

// The reason text of one queued code, or "Error reason string is null, code = N.\n" when OpenSSL
// has none.
std::string OpenSSLErrorText(std::uint32_t code);

class OpenSSLError : public DebuggableException {
public:
    OpenSSLError() = default;
    // A composed text is copied; an uncomposed copy composes on its own first what().
    OpenSSLError(const OpenSSLError& other);
    ~OpenSSLError() override = default;

    // Drains the calling thread's error queue once; later calls return the same text. Should
    // memory for the text run out, the class-name text stands in and the drained reasons are
    // lost.
    const char* what() const noexcept QUENDRA_LIFETIME_BOUND override;
    // The text in UTF-8, valid until the next call on this object.
    UString<UTF8> Message() const noexcept QUENDRA_LIFETIME_BOUND override;

private:
    // ANSI code page; absent until the first what().
    mutable std::unique_ptr<std::string> whatCache_;
    mutable CopiedUString<UTF8> message_;
};

class OPENSSL_init_crypto_Failed : public OpenSSLError {};
class ZUL_FIPS_mode_set_Failed : public OpenSSLError {};
class Load_Fips_Configuration_Failed : public OpenSSLError {};
class OSSL_PROVIDER_load_Failed : public OpenSSLError {};
class ReadPrivateKeyFailed : public OpenSSLError {};
class WritePrivateKeyFailed : public OpenSSLError {};
class NewBIOFailed : public OpenSSLError {};
class NewWritingBIOFailed : public OpenSSLError {};
class BIO_read_filenameFailed : public OpenSSLError {};
// Nothing raises it; it exists for its catcher, registered at start-up.
class PKCS7SignatureVerifyFailed : public OpenSSLError {};

// An OpenSSL wrapper was used before start-up completed. Not an OpenSSL failure, so its texts
// are the class-name text and the error queue is left alone.
class OpenSSLNotInitialized : public DebuggableException {};

std::unique_ptr<CaughtException> CatchPKCS7SignatureVerifyFailed();

template <>
struct ExceptionCatcherFor<PKCS7SignatureVerifyFailed> {
    static constexpr ExceptionCatcher kCatcher = CatchPKCS7SignatureVerifyFailed;
    static constexpr CatcherRank kRank = CatcherRank::WrappedLibrary;
};
