#include "keyprotect/openssl/openssl_errors.h"

#include <gtest/gtest.h>

#include <openssl/bio.h>
#include <openssl/err.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/testing/texts.h"
#include "keyprotect/openssl/openssl_pem.h"
#include "keyprotect/testing/error_queue_for_test.h"

namespace {

// A reason code of a library that registers no reason strings.
constexpr int kReasonWithoutText = 4000;

class OpenSSLErrorTest : public testing::Test {
protected:
    void SetUp() override { ERR_clear_error(); }
    void TearDown() override { ERR_clear_error(); }
};

// Queues OpenSSL's own reasons for reading a private key from a file that does not exist.
void FailToOpenMissingFile() {
    BIO* bio = BIO_new(BIO_s_file());
    ASSERT_NE(bio, nullptr);
    EXPECT_LE(BIO_read_filename(bio, "no such directory/no such key.pem"), 0);
    BIO_free(bio);
}

void FailToReadJunkAsKey() {
    BIO* bio = BIO_new_mem_buf("junk", 4);
    ASSERT_NE(bio, nullptr);
    EXPECT_EQ(PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr), nullptr);
    BIO_free(bio);
}

TEST_F(OpenSSLErrorTest, ReasonTextFallsBackToTheCodeWhenOpenSSLHasNone) {
    ERR_raise(ERR_LIB_USER, kReasonWithoutText);
    const auto code = static_cast<std::uint32_t>(ERR_get_error());
    EXPECT_EQ(OpenSSLErrorText(code),
              "Error reason string is null, code = " + std::to_string(code) + ".\n");
    ERR_raise(ERR_LIB_PEM, PEM_R_NO_START_LINE);
    EXPECT_EQ(OpenSSLErrorText(static_cast<std::uint32_t>(ERR_get_error())), "no start line");
}

TEST_F(OpenSSLErrorTest, TextListsTheQueuedReasonsOldestFirstThenTheClass) {
    struct Case {
        const char* name;
        std::vector<int> reasons;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"empty queue", {}, "class ReadPrivateKeyFailed"},
        {"one reason", {PEM_R_NO_START_LINE}, "no start line (class ReadPrivateKeyFailed)"},
        {"three reasons",
         {PEM_R_NO_START_LINE, PEM_R_BAD_PASSWORD_READ, PEM_R_BAD_DECRYPT},
         "no start line; bad password read; bad decrypt (class ReadPrivateKeyFailed)"},
    };
    for (const Case& c : cases) {
        for (const int reason : c.reasons)
            ERR_raise(ERR_LIB_PEM, reason);
        const ReadPrivateKeyFailed error{};
        EXPECT_EQ(std::string(error.what()), c.expected) << c.name;
        EXPECT_EQ(Text(error.Message()), c.expected) << c.name;
        EXPECT_EQ(ERR_peek_error(), 0u) << c.name;
    }
}

TEST_F(OpenSSLErrorTest, FallbackTextKeepsItsLineFeedBeforeTheNextSeparator) {
    ERR_raise(ERR_LIB_USER, kReasonWithoutText);
    const auto code = static_cast<std::uint32_t>(ERR_peek_error());
    ERR_raise(ERR_LIB_PEM, PEM_R_NO_START_LINE);
    ERR_raise(ERR_LIB_USER, kReasonWithoutText);
    const std::string fallback =
        "Error reason string is null, code = " + std::to_string(code) + ".\n";
    EXPECT_EQ(std::string(NewBIOFailed().what()),
              fallback + "; no start line; " + fallback + " (class NewBIOFailed)");
}

TEST_F(OpenSSLErrorTest, TextOfRealFailuresIsTheirQueueInOrder) {
    // Each failure queues the same reasons every time, so a first run tells what to expect.
    struct Case {
        const char* name;
        void (*fail)();
    };
    const std::vector<Case> cases = {
        {"missing file", FailToOpenMissingFile},
        {"junk key", FailToReadJunkAsKey},
    };
    for (const Case& c : cases) {
        c.fail();
        const std::vector<std::string> reasons = DrainedTexts();
        ASSERT_FALSE(reasons.empty()) << c.name;
        c.fail();
        EXPECT_EQ(std::string(BIO_read_filenameFailed().what()),
                  Joined(reasons) + " (class BIO_read_filenameFailed)")
            << c.name;
    }
    // OpenSSL 3 gives system errors no reason string, so the missing file shows the fallback.
    FailToOpenMissingFile();
    EXPECT_NE(std::string(BIO_read_filenameFailed().what()).find("Error reason string is null"),
              std::string::npos);
}

TEST_F(OpenSSLErrorTest, FirstDescriptionTakesTheWholeQueueAndTheTextStaysFixed) {
    ERR_raise(ERR_LIB_PEM, PEM_R_NO_START_LINE);
    const ReadPrivateKeyFailed unreported{};
    ERR_raise(ERR_LIB_PEM, PEM_R_BAD_DECRYPT);
    const WritePrivateKeyFailed reported{};
    const std::string text = reported.what();
    EXPECT_EQ(text, "no start line; bad decrypt (class WritePrivateKeyFailed)");

    ERR_raise(ERR_LIB_PEM, PEM_R_BAD_PASSWORD_READ);
    EXPECT_EQ(std::string(reported.what()), text);
    EXPECT_EQ(Text(reported.Message()), text);
    // What came later is still queued, for the next error described.
    EXPECT_EQ(std::string(unreported.what()), "bad password read (class ReadPrivateKeyFailed)");
}

TEST_F(OpenSSLErrorTest, CopiesComposeOnTheirOwnUnlessComposedBefore) {
    ERR_raise(ERR_LIB_PEM, PEM_R_NO_START_LINE);
    const NewBIOFailed source{};
    const NewBIOFailed early(source);
    EXPECT_EQ(std::string(early.what()), "no start line (class NewBIOFailed)");
    EXPECT_EQ(std::string(source.what()), "class NewBIOFailed");

    ERR_raise(ERR_LIB_PEM, PEM_R_BAD_DECRYPT);
    const NewBIOFailed composed{};
    const std::string text = composed.what();
    const NewBIOFailed late(composed);
    ERR_raise(ERR_LIB_PEM, PEM_R_NO_START_LINE);
    EXPECT_EQ(std::string(late.what()), text);
    EXPECT_EQ(Text(late.Message()), text);
    EXPECT_NE(ERR_peek_error(), 0u);
}

template <typename Error>
std::string TextWithOneReason() {
    ERR_raise(ERR_LIB_PEM, PEM_R_NO_START_LINE);
    return Error().what();
}

TEST_F(OpenSSLErrorTest, EachClassNamesItselfInItsText) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {TextWithOneReason<OPENSSL_init_crypto_Failed>(), "OPENSSL_init_crypto_Failed"},
        {TextWithOneReason<ZUL_FIPS_mode_set_Failed>(), "ZUL_FIPS_mode_set_Failed"},
        {TextWithOneReason<Load_Fips_Configuration_Failed>(), "Load_Fips_Configuration_Failed"},
        {TextWithOneReason<OSSL_PROVIDER_load_Failed>(), "OSSL_PROVIDER_load_Failed"},
        {TextWithOneReason<ReadPrivateKeyFailed>(), "ReadPrivateKeyFailed"},
        {TextWithOneReason<WritePrivateKeyFailed>(), "WritePrivateKeyFailed"},
        {TextWithOneReason<NewBIOFailed>(), "NewBIOFailed"},
        {TextWithOneReason<NewWritingBIOFailed>(), "NewWritingBIOFailed"},
        {TextWithOneReason<BIO_read_filenameFailed>(), "BIO_read_filenameFailed"},
        {TextWithOneReason<PKCS7SignatureVerifyFailed>(), "PKCS7SignatureVerifyFailed"},
    };
    for (const auto& [text, name] : cases)
        EXPECT_EQ(text, "no start line (class " + name + ")");
}

TEST_F(OpenSSLErrorTest, NotInitializedLeavesTheQueueAlone) {
    ERR_raise(ERR_LIB_PEM, PEM_R_NO_START_LINE);
    const OpenSSLNotInitialized error{};
    EXPECT_EQ(std::string(error.what()), "class OpenSSLNotInitialized");
    EXPECT_EQ(Text(error.Message()), "class OpenSSLNotInitialized");
    EXPECT_EQ(ERR_GET_REASON(ERR_peek_error()), PEM_R_NO_START_LINE);
}

TEST_F(OpenSSLErrorTest, SignatureFailureIsCaughtAsItsOwnCopyAndRegisteredAtStartUp) {
    const std::vector<ExceptionCatcher> registered = RegisteredExceptionCatchers();
    EXPECT_NE(std::find(registered.begin(), registered.end(), CatchPKCS7SignatureVerifyFailed),
              registered.end());

    ERR_raise(ERR_LIB_PEM, PEM_R_NO_START_LINE);
    std::unique_ptr<CaughtException> caught;
    try {
        throw PKCS7SignatureVerifyFailed();
    } catch (...) {
        caught = CatchPKCS7SignatureVerifyFailed();
    }
    ASSERT_NE(caught, nullptr);
    EXPECT_EQ(std::string(caught->What()), "no start line (class PKCS7SignatureVerifyFailed)");
    EXPECT_EQ(Text(caught->Message()), caught->What());
    EXPECT_THROW(caught->Rethrow(), PKCS7SignatureVerifyFailed);

    try {
        throw ReadPrivateKeyFailed();
    } catch (...) {
        EXPECT_THROW(CatchPKCS7SignatureVerifyFailed(), ReadPrivateKeyFailed);
    }
}

} // namespace
