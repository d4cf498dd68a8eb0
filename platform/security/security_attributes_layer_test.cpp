// ApplyTo on the Linux layer, where the DACL is the mode bits and failures can be made on
// purpose.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/files/temporary_files_for_test.h"
#include "platform/security/security_attributes.h"
#include "winapi/testing/fault_injection.h"

namespace Windows {
namespace {

// A code no real call returns, to tell an armed failure that no call used up.
constexpr DWORD kProbe = 0x2A2A;

class SecurityAttributesLayer : public TestDirectory {
protected:
    void SetUp() override {
        if (geteuid() != 0) {
            GTEST_SKIP() << "needs root, to own files as root";
        }
        TestDirectory::SetUp();
        MakeFile("key", "secret");
    }

    void TearDown() override {
        win32_layer::ClearInjectedFailures();
        TestDirectory::TearDown();
    }

    void Prepare(mode_t mode, uid_t owner = 0) const {
        ASSERT_EQ(chown(Native("key").c_str(), owner, 0), 0);
        ASSERT_EQ(chmod(Native("key").c_str(), mode), 0);
    }

    struct stat Status() const {
        struct stat status {};
        EXPECT_EQ(stat(Native("key").c_str(), &status), 0);
        return status;
    }

    mode_t Mode() const { return Status().st_mode & 07777; }

    // True when an armed SetNamedSecurityInfoW failure is still waiting: no call used it up.
    static bool ProbeStillArmed() {
        return SetNamedSecurityInfoW(nullptr, SE_FILE_OBJECT, 0, nullptr, nullptr, nullptr,
                                     nullptr) == kProbe;
    }

    SecurityAttributes attributes_{0, 0};
};

TEST_F(SecurityAttributesLayer, MergingMakesRootTheOwnerAndNeverWidensTheMode) {
    for (mode_t mode : {0600, 0644, 0750, 0000}) {
        Prepare(mode);
        attributes_.ApplyTo(At("key"), false);
        EXPECT_EQ(Mode(), mode) << std::oct << mode;
        EXPECT_EQ(Status().st_uid, 0u);
    }
    EXPECT_EQ(Content("key"), "secret");
}

TEST_F(SecurityAttributesLayer, ReplacingLeavesRootAlone) {
    Prepare(0644);
    attributes_.ApplyTo(At("key"), true);
    EXPECT_EQ(Mode(), 0000u);
}

TEST_F(SecurityAttributesLayer, EachFailureIsSwallowedAndDecidesTheRetry) {
    const struct {
        const char* name;
        LayerCall call;
        DWORD code;
        mode_t mode;
    } rows[] = {
        {"reading the old DACL", LayerCall::GetNamedSecurityInfoW, ERROR_ACCESS_DENIED, 0644},
        {"another status is not retried", LayerCall::SetNamedSecurityInfoW, ERROR_INVALID_OWNER,
         0644},
        {"access denied is retried", LayerCall::SetNamedSecurityInfoW, ERROR_ACCESS_DENIED, 0000},
    };
    for (const auto& row : rows) {
        Prepare(0644);
        // Replace mode empties the mode, so a change shows whether a call got through; merge
        // mode is needed to reach the old DACL.
        const bool replace = row.call == LayerCall::SetNamedSecurityInfoW;
        const ScopedFaultInjection failure(row.call, row.code);
        attributes_.ApplyTo(At("key"), replace);
        EXPECT_EQ(Mode(), row.mode) << row.name;
    }
    // Without the old DACL nothing is set.
    FailNextCall(LayerCall::GetNamedSecurityInfoW, ERROR_ACCESS_DENIED);
    FailNextCall(LayerCall::SetNamedSecurityInfoW, kProbe);
    attributes_.ApplyTo(At("key"), false);
    EXPECT_TRUE(ProbeStillArmed());
}

TEST_F(SecurityAttributesLayer, AccessDeniedTwiceMeansExactlyOneRetry) {
    Prepare(0644);
    ASSERT_EQ(chmod(Native("").c_str(), 0755), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // As nobody, root's file refuses its new mode each time; the third call would fail
        // with the probe.
        if (setgid(65534) != 0 || setuid(65534) != 0) {
            _exit(100);
        }
        FailNextCall(LayerCall::SetNamedSecurityInfoW, kProbe, 2);
        attributes_.ApplyTo(At("key"), false);
        _exit(ProbeStillArmed() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not exactly two calls";
    EXPECT_EQ(Mode(), 0644u);
}

} // namespace
} // namespace Windows
