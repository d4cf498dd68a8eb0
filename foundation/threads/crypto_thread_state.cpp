#include "foundation/threads/crypto_thread_state.h"

#include <openssl/crypto.h>

void ReleaseCryptoThreadState() noexcept {
    OPENSSL_thread_stop();
}
