// A test's own start-up state lets go of the providers it loaded: OpenSSL's clean-up at exit
// releases only the providers nobody holds, and the process's state is the one that holds on.
#pragma once

#include <openssl/evp.h>
#include <openssl/provider.h>

#include "keyprotect/openssl/openssl_startup.h"

inline void UnloadProviders(const OpenSSLStartupState& state) {
    EVP_default_properties_enable_fips(nullptr, 0);
    for (OSSL_PROVIDER* provider :
         {state.FipsProvider(), state.BaseProvider(), state.DefaultProvider()})
        if (provider != nullptr)
            OSSL_PROVIDER_unload(provider);
}
