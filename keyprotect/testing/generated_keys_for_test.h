// Throwaway keys made by OpenSSL for a test run, and their PEM texts; no key is stored anywhere.
#pragma once

#include <openssl/evp.h>

#include <string>
#include <vector>

#include "keyprotect/keys/openssl_holders.h"
#include "keyprotect/openssl/openssl_pem.h"

struct GeneratedKeyKind {
    const char* name;
    PrivateKeyHolder (*generate)();
};

inline PrivateKeyHolder GenerateRsaKey() {
    // Short, for speed: the tests need a key of the kind, not its strength.
    return PrivateKeyHolder(EVP_PKEY_Q_keygen(nullptr, nullptr, "RSA", std::size_t{1024}));
}

inline PrivateKeyHolder GenerateEcKey() {
    return PrivateKeyHolder(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
}

inline PrivateKeyHolder GenerateEd25519Key() {
    return PrivateKeyHolder(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"));
}

inline const std::vector<GeneratedKeyKind>& GeneratedKeyKinds() {
    static const std::vector<GeneratedKeyKind> kinds = {
        {"RSA", GenerateRsaKey}, {"EC", GenerateEcKey}, {"Ed25519", GenerateEd25519Key}};
    return kinds;
}

// Written by OpenSSL directly, so that the tests of the writer do not check it against itself.
// Encrypted PKCS#8 with a cipher, unencrypted otherwise.
inline std::string Pkcs8PemOf(EVP_PKEY* key, const EVP_CIPHER* cipher = nullptr,
                              const std::string& password = "") {
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_PKCS8PrivateKey(bio, key, cipher, password.data(),
                                  static_cast<int>(password.size()), nullptr, nullptr);
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    std::string text(data, static_cast<std::size_t>(length));
    BIO_free(bio);
    return text;
}

// The traditional form, which only RSA and EC keys have.
inline std::string TraditionalPemOf(EVP_PKEY* key) {
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_PrivateKey_traditional(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    std::string text(data, static_cast<std::size_t>(length));
    BIO_free(bio);
    return text;
}
