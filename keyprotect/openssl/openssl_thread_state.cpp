// OpenSSL keeps an error queue and more for each thread, which a static build on Windows does not
// release by itself. A thread that the system starts releases it as it ends, after its
// thread-exit functions, which may still use OpenSSL.
#include <openssl/crypto.h>

#include "foundation/threads/thread_exit.h"

namespace {

[[maybe_unused]] const bool openSslStateReleasedAtThreadExit =
    (ReleaseAtThreadExit(OPENSSL_thread_stop), true);

} // namespace
