#include "keyprotect/keys/private_key_reading.h"

#include <openssl/err.h>

#include <climits>
#include <cstdint>
#include <cstring>

#include "foundation/encoding/code_pages.h"
#include "keyprotect/keys/ansi_password.h"
#include "keyprotect/openssl/openssl_errors.h"
#include "keyprotect/openssl/openssl_pem.h"
#include "keyprotect/openssl/openssl_startup.h"

namespace {

PrivateKeyHolder ReadWithRetry(const FileLocation& path, UString<UTF8> password) {
    try {
        const BioHolder bio = OpenFileBioForReading(path);
        return ReadPrivateKey(bio.Get(), password);
    } catch (...) {
        // A pass phrase set in the ANSI code page, as a site key's may have been, loads only
        // from those bytes.
    }
    const AnsiPassword ansiPassword(password);
    const BioHolder bio = OpenFileBioForReading(path);
    const UString<UTF8> range = ansiPassword.View();
    return ReadPrivateKeyWithCallbackData(bio.Get(), &range);
}

} // namespace

PrivateKeyHolder ReadPrivateKeyFile(const FileLocation& path, UString<UTF8> password) {
    RequireOpenSSLInitialized();
    // Once a key has loaded, the reasons of a failed first attempt describe nothing, and would
    // show in the text of the next OpenSSL error described on this thread.
    ERR_set_mark();
    try {
        PrivateKeyHolder key = ReadWithRetry(path, password);
        ERR_pop_to_mark();
        return key;
    } catch (...) {
        ERR_clear_last_mark();
        throw;
    }
}

BioHolder OpenFileBioForReading(const FileLocation& path) {
    BioHolder bio = NewBio(BIO_s_file());
    const CopiedUString<UTF8> name = Utf8ToAnsiZ(path.Text());
    if (BIO_read_filename(bio.Get(), name.begin()) <= 0)
        throw BIO_read_filenameFailed();
    return bio;
}

PrivateKeyHolder ReadPrivateKey(BIO* bio, UString<UTF8> password) {
    const UString<UTF8> callbackData = password;
    return ReadPrivateKeyWithCallbackData(bio, &callbackData);
}

PrivateKeyHolder ReadPrivateKeyWithCallbackData(BIO* bio, const UString<UTF8>* password) {
    // OpenSSL's callback data is not const, though the callback only reads it.
    EVP_PKEY* key = PEM_read_bio_PrivateKey(bio, nullptr, PasswordCallback,
                                            const_cast<UString<UTF8>*>(password));
    if (key == nullptr)
        throw ReadPrivateKeyFailed();
    return PrivateKeyHolder(key);
}

int PasswordCallback(char* buffer, int size, int, void* data) {
    if (data == nullptr || size <= 0)
        return 0;
    const UString<UTF8>& password = *static_cast<const UString<UTF8>*>(data);
    const std::uint64_t length = password.Length();
    if (static_cast<std::uint32_t>(size) < length || length == 0)
        return 0;
    std::memcpy(buffer, password.begin(), length);
    return static_cast<int>(length);
}

BioHolder NewBio(const BIO_METHOD* method) {
    BIO* bio = BIO_new(method);
    if (bio == nullptr)
        throw NewBIOFailed();
    return BioHolder(bio);
}

BioHolder NewMemoryBio(ByteRange bytes) {
    // A negative length would make OpenSSL read the bytes up to a NUL instead.
    if (bytes.IsEmpty() || bytes.Length() > static_cast<std::size_t>(INT_MAX))
        throw NewBIOFailed();
    BIO* bio = BIO_new_mem_buf(bytes.begin(), static_cast<int>(bytes.Length()));
    if (bio == nullptr)
        throw NewBIOFailed();
    return BioHolder(bio);
}
