// Each step of writing a key failing in turn, through the Linux layer's switch: no output appears,
// no temporary file is left, and the failing call's code survives the clean-up.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/encoding/windows_error.h"
#include "keyprotect/codec/key_file_codec.h"
#include "keyprotect/openssl/openssl_startup.h"
#include "keyprotect/testing/generated_keys_for_test.h"
#include "platform/files/file_errors.h"
#include "platform/files/temporary_files_for_test.h"
#include "winapi/data_protection/machine_key_for_test.h"
#include "winapi/testing/fault_injection.h"

namespace {

namespace fs = std::filesystem;

class KeyFileCodecFaultTest : public TestDirectory {
protected:
    void SetUp() override {
        TestDirectory::SetUp();
        InitializeOpenSSL(false);
    }
    TestMachineKey machineKey_;
};

TEST_F(KeyFileCodecFaultTest, EachFailingStepLeavesNothingBehind) {
    struct Case {
        const char* name;
        LayerCall call;
        DWORD code;
        bool encrypt;
    };
    const std::vector<Case> cases = {
        {"temporary file", LayerCall::GetTempFileNameW, 5, false},
        {"reading the access list", LayerCall::GetNamedSecurityInfoW, 5, false},
        {"setting owner and access list", LayerCall::SetNamedSecurityInfoW, 1307, false},
        {"sealing", LayerCall::CryptProtectData, 87, true},
        {"opening for writing", LayerCall::CreateFileW, 5, false},
        {"writing plain text", LayerCall::WriteFile, 112, false},
        {"writing the blob", LayerCall::WriteFile, 112, true},
        {"moving", LayerCall::MoveFileExW, 5, true},
    };
    const PrivateKeyHolder key = GenerateEcKey();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool swallowed = c.call == LayerCall::GetNamedSecurityInfoW ||
                               c.call == LayerCall::SetNamedSecurityInfoW;
        {
            const ScopedFaultInjection failure(c.call, c.code);
            try {
                WriteKeyFile(key.Get(), At("Key"), c.encrypt);
                EXPECT_TRUE(swallowed) << "nothing raised";
            } catch (const FileIOError& error) {
                EXPECT_EQ(error.Code(), c.code);
                EXPECT_EQ(GetLastError(), c.code);
            } catch (const Windows::Error& error) {
                EXPECT_EQ(error.Code(), c.code);
                EXPECT_EQ(GetLastError(), c.code);
            }
        }
        // A write that went through despite the swallowed failure leaves its complete output.
        EXPECT_EQ(Names(),
                  swallowed ? std::vector<std::string>{"Key"} : std::vector<std::string>{});
        fs::remove(Native("Key"));
    }
}

} // namespace
