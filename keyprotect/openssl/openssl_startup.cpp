#include "keyprotect/openssl/openssl_startup.h"

#include <openssl/asn1.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <cstring>

#include "foundation/encoding/code_pages.h"
#include "keyprotect/openssl/narrow_environment.h"
#include "keyprotect/openssl/openssl_errors.h"
#include "platform/files/file_errors.h"
#include "winapi/win32.h"

namespace {

OpenSSLStartupState theStartup;

// The directory texts handed to OpenSSL are in the ANSI code page, as its file calls expect.
std::string AnsiDirectoryText(const FileLocation& directory) {
    const CopiedUString<UTF8> ansi = Utf8ToAnsiZ(directory.Text());
    return std::string(ansi.begin(), ansi.end());
}

OSSL_PROVIDER* LoadProvider(const char* name) {
    OSSL_PROVIDER* provider = OSSL_PROVIDER_load(nullptr, name);
    if (provider == nullptr)
        throw OSSL_PROVIDER_load_Failed();
    return provider;
}

void SetProviderSearchPath(const std::string& directory) {
    if (OSSL_PROVIDER_set_default_search_path(nullptr, directory.c_str()) == 0)
        throw ZUL_FIPS_mode_set_Failed();
}

constexpr char kLibraryPathEntry[] = "ZUL_LIBPATH=";
constexpr std::size_t kLibraryPathEntryLength = sizeof(kLibraryPathEntry) - 1;

} // namespace

void OpenSSLStartupState::Initialize(bool fips, const std::optional<FileLocation>& moduleLocation) {
    const CriticalSectionLock lock(lock_);
    // Asked for here, the configuration file is read before the property is set on every target,
    // although some OpenSSL builds read it on first use and others only when a call asks for it.
    if (OPENSSL_init_crypto(OPENSSL_INIT_LOAD_CONFIG, nullptr) == 0)
        throw OPENSSL_init_crypto_Failed();
    if (initialised_ && fips == (EVP_default_properties_is_fips_enabled(nullptr) != 0))
        return;
    if (defaultProvider_ == nullptr)
        defaultProvider_ = LoadProvider("default");
    if (fips) {
        if (fipsProvider_ == nullptr)
            fipsProvider_ = LoadFipsProvider(moduleLocation).release();
        if (baseProvider_ == nullptr) {
            baseProvider_ = OSSL_PROVIDER_load(nullptr, "base");
            if (baseProvider_ == nullptr) {
                OSSL_PROVIDER_unload(fipsProvider_);
                fipsProvider_ = nullptr;
                throw OSSL_PROVIDER_load_Failed();
            }
        }
    }
    if (EVP_default_properties_enable_fips(nullptr, fips ? 1 : 0) == 0)
        throw ZUL_FIPS_mode_set_Failed();
    initialised_ = true;
    ASN1_STRING_set_default_mask_asc("default");
}

void OpenSSLStartupState::RequireInitialized() {
    CriticalSectionLock lock(lock_);
    const bool initialised = initialised_;
    lock.Leave();
    if (!initialised)
        throw OpenSSLNotInitialized();
}

void InitializeOpenSSL(bool fips) {
    theStartup.Initialize(fips, std::nullopt);
}

void InitializeOpenSSL(bool fips, const std::optional<FileLocation>& moduleLocation) {
    theStartup.Initialize(fips, moduleLocation);
}

void RequireOpenSSLInitialized() {
    theStartup.RequireInitialized();
}

ProviderHolder LoadFipsProvider(const std::optional<FileLocation>& moduleLocation) {
    std::string base;
    if (moduleLocation) {
        const DWORD attributes = moduleLocation->GetAttributes();
        if (attributes == INVALID_FILE_ATTRIBUTES)
            throw InvalidFileAttrs(0);
        base = AnsiDirectoryText((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                                     ? *moduleLocation
                                     : moduleLocation->Parent());
    }
    const std::string moduleDirectory = GetFipsModuleDirectory(base.c_str());
    SetProviderSearchPath(moduleDirectory);
    if (OSSL_LIB_CTX_load_config(nullptr, (moduleDirectory + "fipsmodule.cnf").c_str()) == 0) {
        // From here on the provider is looked for in the executable's directory itself.
        const std::string executableDirectory = AnsiDirectoryText(ExecutableDirectory());
        SetProviderSearchPath(executableDirectory);
        if (OSSL_LIB_CTX_load_config(nullptr, (executableDirectory + "\\fipsmodule.cnf").c_str()) ==
            0)
            throw Load_Fips_Configuration_Failed();
    }
    return ProviderHolder(LoadProvider("fips"));
}

std::string GetFipsModuleDirectory(const char* directory) {
    return GetFipsModuleDirectory(NarrowEnvironment(), directory);
}

std::string GetFipsModuleDirectory(char** environment, const char* directory) {
    std::string result = directory;
    for (char** entry = environment; entry != nullptr && *entry != nullptr; ++entry) {
        if (std::strncmp(*entry, kLibraryPathEntry, kLibraryPathEntryLength) == 0) {
            result = *entry + kLibraryPathEntryLength;
            break;
        }
    }
    if (result.empty())
        result = AnsiDirectoryText(ExecutableDirectory());
    return result + "\\FIPSModules\\x64\\";
}
