#include "keyprotect/keys/openssl_holders.h"

void FreePrivateKey(EVP_PKEY* key) noexcept {
    if (key != nullptr)
        EVP_PKEY_free(key);
}

void FreeBio(BIO* bio) noexcept {
    if (bio != nullptr)
        BIO_free(bio);
}
