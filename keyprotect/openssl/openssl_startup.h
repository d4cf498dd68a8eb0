// Starting OpenSSL, once per mode, in the default library context: its configuration file read
// first, so that the file cannot undo what follows; its providers loaded and its FIPS default
// property set as the caller asks. The FIPS mode needs a FIPS provider installed.
#pragma once

#include <openssl/provider.h>

#include <memory>
#include <optional>
#include <string>

#include "foundation/threads/critical_section.h"
#include "platform/files/file_location.h"

struct ProviderUnloader {
    void operator()(OSSL_PROVIDER* provider) const { OSSL_PROVIDER_unload(provider); }
};
using ProviderHolder = std::unique_ptr<OSSL_PROVIDER, ProviderUnloader>;

// What start-up has done. The process has one; tests make their own beside it. A provider handle
// is stored once its provider has loaded and is never unloaded afterwards, not even at exit.
class OpenSSLStartupState {
public:
    OpenSSLStartupState() = default;
    OpenSSLStartupState(const OpenSSLStartupState&) = delete;
    OpenSSLStartupState& operator=(const OpenSSLStartupState&) = delete;

    // Does nothing when start-up has completed in the mode asked for. A failure leaves the state
    // as it was, except that providers loaded on the way stay loaded.
    void Initialize(bool fips, const std::optional<FileLocation>& moduleLocation);
    // Throws OpenSSLNotInitialized until an Initialize has completed.
    void RequireInitialized();

    OSSL_PROVIDER* DefaultProvider() const { return defaultProvider_; }
    OSSL_PROVIDER* BaseProvider() const { return baseProvider_; }
    OSSL_PROVIDER* FipsProvider() const { return fipsProvider_; }

private:
    CriticalSection lock_;
    bool initialised_ = false;
    OSSL_PROVIDER* defaultProvider_ = nullptr;
    OSSL_PROVIDER* baseProvider_ = nullptr;
    OSSL_PROVIDER* fipsProvider_ = nullptr;
};

// The process's start-up.
void InitializeOpenSSL(bool fips);
void InitializeOpenSSL(bool fips, const std::optional<FileLocation>& moduleLocation);
void RequireOpenSSLInitialized();

// Points OpenSSL at the FIPS module directory and its "fipsmodule.cnf", falling back to the
// executable's directory for both, and loads the "fips" provider. A location that is not a
// directory stands for the directory holding it.
ProviderHolder LoadFipsProvider(const std::optional<FileLocation>& moduleLocation);

// `directory` (ANSI, NUL-terminated) followed by "\FIPSModules\x64\". The environment variable
// ZUL_LIBPATH, when present, replaces it, and an empty result becomes the executable's directory.
std::string GetFipsModuleDirectory(const char* directory);
// The same over a given narrow environment block (null-terminated array, null for none).
std::string GetFipsModuleDirectory(char** environment, const char* directory);
