#include "foundation/threads/crypto_thread_state.h"

void ReleaseCryptoThreadState() noexcept {}
