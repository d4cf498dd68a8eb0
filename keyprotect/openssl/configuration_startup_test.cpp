// Start-up under a configuration file named by OPENSSL_CONF, in a process of its own: OpenSSL
// reads its configuration once, so the variable must be set before anything has started it.
#include <gtest/gtest.h>

#include <openssl/evp.h>
#include <openssl/objects.h>

#include <cstdlib>
#include <string>

#include "keyprotect/keys/private_key_reading.h"
#include "keyprotect/openssl/openssl_startup.h"
#include "keyprotect/testing/generated_keys_for_test.h"
#include "keyprotect/testing/openssl_paths_for_test.h"

namespace {

// The object name shows that the file was read; the property is what start-up must override.
constexpr char kFipsByDefault[] = "openssl_conf = openssl_init\n"
                                  "[openssl_init]\n"
                                  "alg_section = algorithm_sect\n"
                                  "oid_section = configured_oids\n"
                                  "[algorithm_sect]\n"
                                  "default_properties = fips=yes\n"
                                  "[configured_oids]\n"
                                  "quendraConfigured = 1.3.6.1.4.1.55555.1\n";

class ConfigurationStartupTest : public OpenSSLPathsTest {};

TEST_F(ConfigurationStartupTest, AFileAskingForFipsIsReadBeforeStartUpSwitchesItOff) {
    WriteFileAt(PathText("fips-by-default.cnf"), kFipsByDefault);
    // The C library keeps the very text handed to putenv on Linux.
    static std::string variable = "OPENSSL_CONF=" + PathText("fips-by-default.cnf");
    ASSERT_EQ(putenv(variable.data()), 0);

    InitializeOpenSSL(false);
    EXPECT_NE(OBJ_txt2nid("quendraConfigured"), NID_undef) << "the file was not read";
    EXPECT_EQ(EVP_default_properties_is_fips_enabled(nullptr), 0);

    const PrivateKeyHolder key = GenerateRsaKey();
    ASSERT_NE(key.Get(), nullptr);
    WriteFileAt(PathText("site.pem"), Pkcs8PemOf(key.Get(), EVP_aes_256_cbc(), "site password"));
    const PrivateKeyHolder read =
        ReadPrivateKeyFile(PathLocation("site.pem"), UString<UTF8>("site password"));
    ASSERT_NE(read.Get(), nullptr);
    EXPECT_EQ(EVP_PKEY_eq(read.Get(), key.Get()), 1);
    EXPECT_EQ(EVP_default_properties_is_fips_enabled(nullptr), 0);
}

} // namespace
