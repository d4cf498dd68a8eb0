#include "keyprotect/openssl/openssl_startup.h"

#include <gtest/gtest.h>

#include <openssl/err.h>
#include <openssl/evp.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/encoding/code_pages.h"
#include "foundation/testing/started_thread.h"
#include "foundation/testing/texts.h"
#include "keyprotect/openssl/openssl_errors.h"
#include "keyprotect/openssl/openssl_statics.h"
#include "keyprotect/testing/openssl_paths_for_test.h"
#include "keyprotect/testing/startup_state_for_test.h"
#include "platform/files/file_errors.h"

namespace {

std::string ExecutableDirectoryText() {
    const CopiedUString<UTF8> text = Utf8ToAnsiZ(ExecutableDirectory().Text());
    return std::string(text.begin(), text.end());
}

TEST(FipsModuleDirectoryTest, VariableWinsOverTheCallersDirectory) {
    struct Case {
        const char* name;
        std::vector<const char*> environment;
        const char* directory;
        std::string expected;
    };
    const std::string fromExecutable = ExecutableDirectoryText() + "\\FIPSModules\\x64\\";
    const std::vector<Case> cases = {
        {"variable", {"PATH=x", "ZUL_LIBPATH=D:\\fips"}, "C:\\m", "D:\\fips\\FIPSModules\\x64\\"},
        {"first entry only", {"ZUL_LIBPATH=a", "ZUL_LIBPATH=b"}, "", "a\\FIPSModules\\x64\\"},
        {"other case", {"zul_libpath=D:\\fips"}, "C:\\m", "C:\\m\\FIPSModules\\x64\\"},
        {"longer name", {"ZUL_LIBPATHS=D:\\fips"}, "C:\\m", "C:\\m\\FIPSModules\\x64\\"},
        {"no variable", {}, "C:\\m\\", "C:\\m\\\\FIPSModules\\x64\\"},
        {"empty value", {"ZUL_LIBPATH="}, "C:\\m", fromExecutable},
        {"nothing given", {"A=1"}, "", fromExecutable},
    };
    for (const Case& c : cases) {
        std::vector<char*> block;
        for (const char* entry : c.environment)
            block.push_back(const_cast<char*>(entry));
        block.push_back(nullptr);
        EXPECT_EQ(GetFipsModuleDirectory(block.data(), c.directory), c.expected) << c.name;
    }
    EXPECT_EQ(GetFipsModuleDirectory(nullptr, "C:\\m"), "C:\\m\\FIPSModules\\x64\\");
}

TEST(FipsModuleDirectoryTest, ProcessEnvironmentIsTheRuntimes) {
    if (std::getenv("ZUL_LIBPATH") != nullptr)
        GTEST_SKIP() << "ZUL_LIBPATH is set for this run";
    EXPECT_EQ(GetFipsModuleDirectory("C:\\m"), "C:\\m\\FIPSModules\\x64\\");
}

TEST(OpenSSLStaticsTest, CipherListIsHeldInline) {
    EXPECT_EQ(Text(DefaultCipherList.View()), "HIGH:!ADH:!AECDH:!kDH:!kECDH:!kRSA:!PSK:!SRP:!SHA1");
    EXPECT_TRUE(DefaultCipherList.IsInline());
    EXPECT_EQ(ZeroFilledRecord[0] | ZeroFilledRecord[1] | ZeroFilledRecord[2] | ZeroFilledRecord[3],
              0u);
}

// Each test starts from a state of its own, and OpenSSL's FIPS property is off again after it.
class OpenSSLStartupTest : public OpenSSLPathsTest {
protected:
    void SetUp() override {
        OpenSSLPathsTest::SetUp();
        ERR_clear_error();
    }
    void TearDown() override {
        UnloadProviders(state_);
        ERR_clear_error();
        OpenSSLPathsTest::TearDown();
    }

    // The FIPS road reads the module directory from the environment when it is set.
    static bool ModuleDirectoryIsOverridden() { return std::getenv("ZUL_LIBPATH") != nullptr; }

    OpenSSLStartupState state_;
};

TEST_F(OpenSSLStartupTest, DefaultStartUpLoadsTheDefaultProviderOnce) {
    EXPECT_THROW(state_.RequireInitialized(), OpenSSLNotInitialized);
    state_.Initialize(false, std::nullopt);
    ASSERT_NE(state_.DefaultProvider(), nullptr);
    EXPECT_EQ(state_.BaseProvider(), nullptr);
    EXPECT_EQ(state_.FipsProvider(), nullptr);
    EXPECT_EQ(EVP_default_properties_is_fips_enabled(nullptr), 0);
    EXPECT_NO_THROW(state_.RequireInitialized());

    OSSL_PROVIDER* const loaded = state_.DefaultProvider();
    state_.Initialize(false, PathLocation("not looked at"));
    EXPECT_EQ(state_.DefaultProvider(), loaded);
    EXPECT_EQ(ERR_peek_error(), 0u);
}

TEST_F(OpenSSLStartupTest, FipsLocationThatNamesNothingIsRefused) {
    try {
        state_.Initialize(true, PathLocation("missing"));
        FAIL() << "no exception";
    } catch (const InvalidFileAttrs& error) {
        EXPECT_EQ(error.Code(), 0u);
        EXPECT_TRUE(error.Path().IsEmpty());
    }
    EXPECT_THROW(state_.RequireInitialized(), OpenSSLNotInitialized);
    EXPECT_NE(state_.DefaultProvider(), nullptr);
    EXPECT_EQ(state_.FipsProvider(), nullptr);
}

TEST_F(OpenSSLStartupTest, FipsWithoutItsConfigurationFailsWithOpenSSLsReasons) {
    if (ModuleDirectoryIsOverridden())
        GTEST_SKIP() << "ZUL_LIBPATH is set for this run";
    std::filesystem::create_directories(Native("modules"));
    try {
        state_.Initialize(true, PathLocation("modules"));
        FAIL() << "no exception";
    } catch (const Load_Fips_Configuration_Failed& error) {
        const std::string text = error.what();
        // OpenSSL's reasons for the two configurations it could not load come first.
        EXPECT_TRUE(text.ends_with(" (class Load_Fips_Configuration_Failed)")) << text;
        EXPECT_FALSE(text.starts_with("class ")) << text;
    }
    EXPECT_THROW(state_.RequireInitialized(), OpenSSLNotInitialized);
    EXPECT_EQ(state_.FipsProvider(), nullptr);
    EXPECT_EQ(EVP_default_properties_is_fips_enabled(nullptr), 0);
}

TEST_F(OpenSSLStartupTest, FileLocationStandsForItsDirectoryAndMissingModuleFailsToLoad) {
    if (ModuleDirectoryIsOverridden())
        GTEST_SKIP() << "ZUL_LIBPATH is set for this run";
    // An empty configuration is found, and then the module it would name is absent.
    WriteFileAt(PathText("modules") + "\\FIPSModules\\x64\\fipsmodule.cnf", "");
    WriteFileAt(PathText("modules/module.dll"), "");
    for (const char* location : {"modules", "modules/module.dll"}) {
        EXPECT_THROW(state_.Initialize(true, PathLocation(location)), OSSL_PROVIDER_load_Failed)
            << location;
        EXPECT_THROW(state_.RequireInitialized(), OpenSSLNotInitialized) << location;
        EXPECT_EQ(state_.FipsProvider(), nullptr) << location;
        ERR_clear_error();
    }
}

TEST_F(OpenSSLStartupTest, ConcurrentStartUpsLoadOnceAndAllSeeItDone) {
    constexpr int kThreads = 8;
    std::vector<std::unique_ptr<FunctionBody>> bodies;
    std::vector<HANDLE> threads;
    std::vector<int> failures(kThreads, 0);
    for (int i = 0; i < kThreads; ++i) {
        bodies.push_back(std::make_unique<FunctionBody>([this, i, &failures] {
            try {
                for (int round = 0; round < 20; ++round) {
                    if (i % 2 == 0)
                        state_.Initialize(false, std::nullopt);
                    else
                        try {
                            state_.RequireInitialized();
                        } catch (const OpenSSLNotInitialized&) {
                        }
                }
                state_.Initialize(false, std::nullopt);
                state_.RequireInitialized();
            } catch (...) {
                failures[i] = 1;
            }
        }));
        threads.push_back(StartThread(bodies.back().get()));
    }
    for (HANDLE thread : threads)
        JoinThread(thread);
    EXPECT_EQ(failures, std::vector<int>(kThreads, 0));
    EXPECT_NE(state_.DefaultProvider(), nullptr);
}

} // namespace
