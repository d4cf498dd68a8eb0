#include "keyprotect/codec/key_file_codec.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "foundation/encoding/windows_error.h"
#include "keyprotect/openssl/openssl_errors.h"
#include "keyprotect/openssl/openssl_startup.h"
#include "keyprotect/testing/generated_keys_for_test.h"
#include "platform/files/file_errors.h"
#include "platform/files/temporary_files_for_test.h"
#include "winapi/data_protection/machine_key_for_test.h"

namespace {

namespace fs = std::filesystem;

class KeyFileCodecTest : public TestDirectory {
protected:
    void SetUp() override {
        TestDirectory::SetUp();
        InitializeOpenSSL(false);
    }

    TestMachineKey machineKey_;
};

TEST_F(KeyFileCodecTest, EveryKindRoundTripsThroughBothForms) {
    for (const GeneratedKeyKind& kind : GeneratedKeyKinds()) {
        SCOPED_TRACE(kind.name);
        const PrivateKeyHolder generated = kind.generate();
        const std::string pkcs8 = Pkcs8PemOf(generated.Get());
        // A traditional plain form comes back as PKCS#8: the written plain form is always that.
        MakeFile("DecryptedKey",
                 kind.name == std::string("Ed25519") ? pkcs8 : TraditionalPemOf(generated.Get()));

        const PrivateKeyHolder plain = ReadKeyFile(At("DecryptedKey"), false);
        WriteKeyFile(plain.Get(), At("EncryptedKey"), true);
        EXPECT_EQ(Content("EncryptedKey").find("PRIVATE KEY"), std::string::npos);
        const PrivateKeyHolder unsealed = ReadKeyFile(At("EncryptedKey"), true);
        EXPECT_EQ(EVP_PKEY_eq(generated.Get(), unsealed.Get()), 1);

        // An output is never replaced, so the plain input makes way for its written form.
        fs::remove(Native("DecryptedKey"));
        WriteKeyFile(unsealed.Get(), At("DecryptedKey"), false);
        EXPECT_EQ(Content("DecryptedKey"), pkcs8);
        EXPECT_EQ(Names(), (std::vector<std::string>{"DecryptedKey", "EncryptedKey"}));
        fs::remove(Native("DecryptedKey"));
        fs::remove(Native("EncryptedKey"));
    }
}

TEST_F(KeyFileCodecTest, UnreadableInputsRaiseTheirClass) {
    const PrivateKeyHolder key = GenerateEcKey();
    const std::string encrypted = Pkcs8PemOf(key.Get(), EVP_aes_256_cbc(), "secret");
    struct Case {
        const char* name;
        std::string content;
        bool decrypt;
        const std::type_info& raised;
    };
    const std::vector<Case> cases = {
        {"empty plain", "", false, typeid(NewBIOFailed)},
        {"empty sealed", "", true, typeid(Windows::Error)},
        {"junk", "not a key", false, typeid(ReadPrivateKeyFailed)},
        {"plain text as sealed", Pkcs8PemOf(key.Get()), true, typeid(Windows::Error)},
        {"needs a pass phrase", encrypted, false, typeid(ReadPrivateKeyFailed)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeFile("input", c.content);
        try {
            ReadKeyFile(At("input"), c.decrypt);
            ADD_FAILURE() << "read";
        } catch (const std::exception& error) {
            EXPECT_EQ(std::string(typeid(error).name()), c.raised.name());
        }
    }
}

TEST_F(KeyFileCodecTest, AnOutputInTheWayIsNeverReplaced) {
    const PrivateKeyHolder key = GenerateRsaKey();
    for (const bool directory : {false, true}) {
        SCOPED_TRACE(directory ? "directory" : "file");
        // The output appears after any check the caller made, once the temporary file is
        // complete.
        if (directory)
            fs::create_directory(Native("DecryptedKey"));
        else
            MakeFile("DecryptedKey", "old");
        try {
            WriteKeyFile(key.Get(), At("DecryptedKey"), false);
            ADD_FAILURE() << "the output was replaced";
        } catch (const FileMoveError& error) {
            EXPECT_EQ(error.Code(), DWORD{ERROR_ALREADY_EXISTS});
        }
        EXPECT_EQ(Names(), std::vector<std::string>{"DecryptedKey"});
        if (directory)
            EXPECT_TRUE(fs::is_directory(Native("DecryptedKey")));
        else
            EXPECT_EQ(Content("DecryptedKey"), "old");
        fs::remove(Native("DecryptedKey"));
    }
}

TEST_F(KeyFileCodecTest, AMissingOutputDirectoryLeavesNothing) {
    const PrivateKeyHolder key = GenerateRsaKey();
    EXPECT_THROW(WriteKeyFile(key.Get(), At("missing\\DecryptedKey"), false), std::exception);
    EXPECT_EQ(Names(), std::vector<std::string>{});
}

} // namespace
