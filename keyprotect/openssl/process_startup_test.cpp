// The process's own start-up, in a process of its own: nothing has started OpenSSL before the
// first test. A stand-in "fips" provider, built into this binary, lets the FIPS road succeed.
#include <gtest/gtest.h>

#include <openssl/core.h>
#include <openssl/err.h>
#include <openssl/evp.h>

#include <filesystem>

#include "foundation/encoding/code_pages.h"
#include "keyprotect/keys/private_key_reading.h"
#include "keyprotect/openssl/openssl_errors.h"
#include "keyprotect/openssl/openssl_startup.h"
#include "keyprotect/testing/openssl_paths_for_test.h"
#include "keyprotect/testing/startup_state_for_test.h"
#include "platform/files/file_errors.h"

namespace {

// A provider that offers no algorithms: enough to be loaded under the name "fips".
int StandInFipsProvider(const OSSL_CORE_HANDLE*, const OSSL_DISPATCH*, const OSSL_DISPATCH** out,
                        void** context) {
    static const OSSL_DISPATCH kNothing[] = {{0, nullptr}};
    *out = kNothing;
    *context = nullptr;
    return 1;
}

class ProcessStartupTest : public OpenSSLPathsTest {
protected:
    void SetUp() override {
        OpenSSLPathsTest::SetUp();
        ERR_clear_error();
    }
    void TearDown() override {
        EVP_default_properties_enable_fips(nullptr, 0);
        ERR_clear_error();
        OpenSSLPathsTest::TearDown();
    }
};

// Kept first: it needs the process before any start-up.
TEST_F(ProcessStartupTest, NothingWorksBeforeStartUpAndAFailedStartUpStartsNothing) {
    EXPECT_THROW(RequireOpenSSLInitialized(), OpenSSLNotInitialized);
    // Refused before the file is looked at, or the missing file would be reported.
    EXPECT_THROW(ReadPrivateKeyFile(PathLocation("missing.pem"), UString<UTF8>("pw")),
                 OpenSSLNotInitialized);
    EXPECT_EQ(ERR_peek_error(), 0u);

    EXPECT_THROW(InitializeOpenSSL(true, PathLocation("missing")), InvalidFileAttrs);
    EXPECT_THROW(RequireOpenSSLInitialized(), OpenSSLNotInitialized);

    InitializeOpenSSL(false);
    EXPECT_NO_THROW(RequireOpenSSLInitialized());
    EXPECT_THROW(ReadPrivateKeyFile(PathLocation("missing.pem"), UString<UTF8>("pw")),
                 BIO_read_filenameFailed);
}

TEST_F(ProcessStartupTest, FipsModeComesAndGoesWithTheProvidersLoadedOnce) {
    if (std::getenv("ZUL_LIBPATH") != nullptr)
        GTEST_SKIP() << "ZUL_LIBPATH is set for this run";
    ASSERT_EQ(OSSL_PROVIDER_add_builtin(nullptr, "fips", StandInFipsProvider), 1);
    std::filesystem::create_directories(Native("modules"));
    WriteFileAt(PathText("modules") + "\\FIPSModules\\x64\\fipsmodule.cnf", "");

    OpenSSLStartupState state;
    state.Initialize(true, PathLocation("modules"));
    EXPECT_EQ(EVP_default_properties_is_fips_enabled(nullptr), 1);
    OSSL_PROVIDER* const providers[] = {state.DefaultProvider(), state.BaseProvider(),
                                        state.FipsProvider()};
    for (OSSL_PROVIDER* provider : providers)
        EXPECT_NE(provider, nullptr);

    // Later calls only switch the property; the location is not looked at again.
    state.Initialize(false, std::nullopt);
    EXPECT_EQ(EVP_default_properties_is_fips_enabled(nullptr), 0);
    state.Initialize(true, PathLocation("missing"));
    EXPECT_EQ(EVP_default_properties_is_fips_enabled(nullptr), 1);
    state.Initialize(true, std::nullopt);
    const OSSL_PROVIDER* const after[] = {state.DefaultProvider(), state.BaseProvider(),
                                          state.FipsProvider()};
    EXPECT_TRUE(std::equal(std::begin(providers), std::end(providers), std::begin(after)));
    EXPECT_NO_THROW(state.RequireInitialized());
    UnloadProviders(state);
}

TEST_F(ProcessStartupTest, ConfigurationBesideTheExecutableIsTheFallback) {
#if !defined(_WIN32)
    GTEST_SKIP() << "OpenSSL reads files through the C library, which on Linux knows nothing "
                    "of the layer's Z: paths that name the executable's directory";
#endif
    if (std::getenv("ZUL_LIBPATH") != nullptr)
        GTEST_SKIP() << "ZUL_LIBPATH is set for this run";
    OSSL_PROVIDER_add_builtin(nullptr, "fips", StandInFipsProvider);
    const CopiedUString<UTF8> directory = Utf8ToAnsiZ(ExecutableDirectory().Text());
    const std::string configuration =
        std::string(directory.begin(), directory.end()) + "\\fipsmodule.cnf";
    WriteFileAt(configuration, "");
    std::filesystem::create_directories(Native("modules"));

    OpenSSLStartupState state;
    EXPECT_NO_THROW(state.Initialize(true, PathLocation("modules")));
    std::filesystem::remove(configuration);
    EXPECT_NE(state.FipsProvider(), nullptr);
    UnloadProviders(state);
}

} // namespace
