#include "keyprotect/keys/private_key_reading.h"

#include <gtest/gtest.h>

#include <openssl/err.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/encoding/code_pages.h"
#include "foundation/testing/oversized_text.h"
#include "foundation/testing/texts.h"
#include "keyprotect/keys/ansi_password.h"
#include "keyprotect/openssl/openssl_errors.h"
#include "keyprotect/openssl/openssl_startup.h"
#include "keyprotect/testing/error_queue_for_test.h"
#include "keyprotect/testing/generated_keys_for_test.h"
#include "keyprotect/testing/openssl_paths_for_test.h"

namespace {

// "Pässwörd€": its UTF-8 and windows-1252 bytes differ in every non-ASCII character.
const std::string kUtf8Password = "P\xC3\xA4ssw\xC3\xB6rd\xE2\x82\xAC";
const std::string kWindows1252Password = "P\xE4ssw\xF6rd\x80";

ByteRange Bytes(const std::string& text) {
    const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
    return ByteRange(begin, begin + text.size());
}

std::string AnsiBytesOf(const std::string& utf8) {
    const CopiedUString<UTF8> ansi = WideToAnsi(Utf8ToWide(View(utf8)));
    return std::string(ansi.begin(), ansi.end());
}

bool SameKey(EVP_PKEY* a, EVP_PKEY* b) {
    return a != nullptr && b != nullptr && EVP_PKEY_eq(a, b) == 1;
}

PrivateKeyHolder ReadFromMemory(const std::string& pem, const std::string& password) {
    const BioHolder bio = NewMemoryBio(Bytes(pem));
    return ReadPrivateKey(bio.Get(), View(password));
}

class PrivateKeyReadingTest : public OpenSSLPathsTest {
protected:
    static void SetUpTestSuite() {
        InitializeOpenSSL(false);
        for (const GeneratedKeyKind& kind : GeneratedKeyKinds())
            keys_.push_back(kind.generate().Release());
    }
    static void TearDownTestSuite() {
        for (EVP_PKEY* key : keys_)
            FreePrivateKey(key);
        keys_.clear();
    }
    void SetUp() override {
        OpenSSLPathsTest::SetUp();
        ERR_clear_error();
    }
    void TearDown() override {
        ERR_clear_error();
        OpenSSLPathsTest::TearDown();
    }

    FileLocation KeyFile(const std::string& pem) const {
        WriteFileAt(PathText("key.pem"), pem);
        return PathLocation("key.pem");
    }

    static inline std::vector<EVP_PKEY*> keys_;
};

TEST_F(PrivateKeyReadingTest, ReadsEveryFormOpenSSLWritesWithTheRightPassword) {
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        const char* kind = GeneratedKeyKinds()[i].name;
        EVP_PKEY* key = keys_[i];
        std::vector<std::pair<std::string, std::string>> forms = {
            {Pkcs8PemOf(key), ""},
            // An unencrypted key never asks for the password, so a wrong one does not matter.
            {Pkcs8PemOf(key), "not asked"},
            {Pkcs8PemOf(key, EVP_aes_256_cbc(), kUtf8Password), kUtf8Password},
        };
        if (std::string(kind) != "Ed25519")
            forms.emplace_back(TraditionalPemOf(key), "");
        for (const auto& [pem, password] : forms) {
            EXPECT_TRUE(SameKey(ReadFromMemory(pem, password).Get(), key)) << kind;
            EXPECT_TRUE(SameKey(ReadPrivateKeyFile(KeyFile(pem), View(password)).Get(), key))
                << kind;
        }
    }
}

TEST_F(PrivateKeyReadingTest, SecondAttemptUsesTheAnsiCodePage) {
    EVP_PKEY* key = keys_[1];
    const bool ansiIs1252 = AnsiBytesOf(kUtf8Password) == kWindows1252Password;
    struct Case {
        const char* name;
        std::string passPhrase;
        bool loads;
    };
    const std::vector<Case> cases = {
        {"set in UTF-8", kUtf8Password, true},
        {"set in the ANSI code page", AnsiBytesOf(kUtf8Password), true},
        {"set in windows-1252", kWindows1252Password, ansiIs1252},
    };
    for (const Case& c : cases) {
        const FileLocation file = KeyFile(Pkcs8PemOf(key, EVP_aes_256_cbc(), c.passPhrase));
        if (c.loads) {
            // An earlier failure's reasons stay queued; those of a failed first attempt do not.
            ERR_raise(ERR_LIB_PEM, PEM_R_NO_START_LINE);
            EXPECT_TRUE(SameKey(ReadPrivateKeyFile(file, View(kUtf8Password)).Get(), key))
                << c.name;
            EXPECT_EQ(ERR_GET_REASON(ERR_get_error()), PEM_R_NO_START_LINE) << c.name;
            EXPECT_EQ(ERR_peek_error(), 0u) << c.name;
        } else {
            EXPECT_THROW(ReadPrivateKeyFile(file, View(kUtf8Password)), ReadPrivateKeyFailed)
                << c.name;
        }
        ERR_clear_error();
    }
    if (ansiIs1252) {
        // Only the retry can have loaded it: the UTF-8 bytes alone do not.
        const std::string pem = Pkcs8PemOf(key, EVP_aes_256_cbc(), kWindows1252Password);
        EXPECT_THROW(ReadFromMemory(pem, kUtf8Password), ReadPrivateKeyFailed);
    }
}

TEST_F(PrivateKeyReadingTest, FailureTextListsTheReasonsOfBothAttempts) {
    struct Case {
        const char* name;
        std::string pem;
        bool existing;
    };
    const std::vector<Case> cases = {
        {"wrong password", Pkcs8PemOf(keys_[0], EVP_aes_256_cbc(), "right"), true},
        {"no key in the file", "junk", true},
        {"missing file", "", false},
    };
    for (const Case& c : cases) {
        const FileLocation file = c.existing ? KeyFile(c.pem) : PathLocation("missing.pem");
        // Attempts made by hand queue what the reader's attempts queue; what OpenSSL queues in
        // the second depends on what the first left in the queue.
        const auto attempt = [&file] {
            try {
                const BioHolder bio = OpenFileBioForReading(file);
                ReadPrivateKey(bio.Get(), View("wrong"));
            } catch (const OpenSSLError&) {
            }
        };
        attempt();
        const std::string first = Joined(DrainedTexts());
        attempt();
        attempt();
        const std::string reasons = Joined(DrainedTexts());
        ASSERT_FALSE(first.empty()) << c.name;
        EXPECT_TRUE(reasons.starts_with(first + "; ")) << c.name;
        const std::string className =
            c.existing ? "class ReadPrivateKeyFailed" : "class BIO_read_filenameFailed";
        try {
            ReadPrivateKeyFile(file, View("wrong"));
            ADD_FAILURE() << c.name;
        } catch (const OpenSSLError& error) {
            EXPECT_EQ(std::string(error.what()), reasons + " (" + className + ")") << c.name;
            // The password is no part of the text.
            EXPECT_EQ(std::string(error.what()).find("wrong"), std::string::npos) << c.name;
        }
    }
}

TEST_F(PrivateKeyReadingTest, PasswordCallbackCopiesOnlyWhatFits) {
    struct Case {
        const char* name;
        std::string password;
        int size;
        int result;
    };
    const std::vector<Case> cases = {
        {"fits", "secret", 16, 6},
        {"exactly fits", "secret", 6, 6},
        {"longer than the buffer", "secret", 5, 0},
        {"empty", "", 16, 0},
        {"negative size", "secret", -1, 0},
    };
    for (const Case& c : cases) {
        char buffer[16];
        std::memset(buffer, '*', sizeof buffer);
        UString<UTF8> password = View(c.password);
        EXPECT_EQ(PasswordCallback(buffer, c.size, 0, &password), c.result) << c.name;
        const std::string expected = c.result > 0
                                         ? c.password + std::string(16 - c.password.size(), '*')
                                         : std::string(16, '*');
        EXPECT_EQ(std::string(buffer, sizeof buffer), expected) << c.name;
    }
    char buffer[4];
    EXPECT_EQ(PasswordCallback(buffer, 4, 1, nullptr), 0);
}

TEST_F(PrivateKeyReadingTest, MemoryBioRefusesEmptyAndOversizedRanges) {
    const unsigned char one = 'x';
    const UString<UTF8> oversized = TextBeyond32BitLengths(reinterpret_cast<const char&>(one));
    const std::vector<std::pair<const char*, ByteRange>> cases = {
        {"null", ByteRange()},
        {"empty", ByteRange(&one, &one)},
        {"2 GiB", ByteRange(&one, reinterpret_cast<const unsigned char*>(oversized.end()))},
    };
    for (const auto& [name, range] : cases) {
        EXPECT_THROW(NewMemoryBio(range), NewBIOFailed) << name;
        EXPECT_EQ(ERR_peek_error(), 0u) << name;
    }
    const std::vector<unsigned char> bytes = {'a', 'b', 'c'};
    const BioHolder bio = NewMemoryBio(ByteRange(bytes.data(), bytes.size()));
    char read[8];
    EXPECT_EQ(BIO_read(bio.Get(), read, sizeof read), 3);
    EXPECT_LE(BIO_write(bio.Get(), "d", 1), 0);
}

TEST_F(PrivateKeyReadingTest, ConvertedPasswordHoldsTheAnsiBytes) {
    for (const std::string& password : {std::string(), std::string("ascii"), kUtf8Password}) {
        const AnsiPassword converted(View(password));
        EXPECT_EQ(std::string(converted.View().begin(), converted.View().end()),
                  AnsiBytesOf(password));
    }
}

} // namespace
