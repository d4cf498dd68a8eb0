// The trusted-directory check on real directories of the Linux layer, whose DACLs are the mode
// bits: root's or the caller's, and writable by others only under the sticky bit.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>

#include "foundation/encoding/windows_error.h"
#include "platform/files/temporary_files_for_test.h"
#include "platform/security/trusted_directory.h"
#include "winapi/testing/fault_injection.h"

namespace {

constexpr uid_t kNobody = 65534;

class TrustedDirectoryLayer : public TestDirectory {
protected:
    void SetUp() override {
        if (geteuid() != 0) {
            GTEST_SKIP() << "needs root, to give directories other owners";
        }
        TestDirectory::SetUp();
        ASSERT_EQ(chmod(Native("").c_str(), 0755), 0);
    }

    // `relative` separates with "\", as At takes it.
    void Make(std::string relative, mode_t mode, uid_t owner = 0) const {
        std::replace(relative.begin(), relative.end(), '\\', '/');
        const std::string path = Native(relative).string();
        ASSERT_EQ(mkdir(path.c_str(), 0700), 0) << path;
        ASSERT_EQ(chown(path.c_str(), owner, owner), 0) << path;
        ASSERT_EQ(chmod(path.c_str(), mode), 0) << path;
    }

    // The untrusted directory's text, relative to the test directory; "" when all pass.
    std::string Untrusted(const std::string& relative) const {
        const FileLocation found = FindUntrustedDirectory(At(relative));
        if (found.IsEmpty()) {
            return "";
        }
        const FileLocation root = At();
        const std::string base(root.Text().begin(), root.Text().end());
        const std::string text(found.Text().begin(), found.Text().end());
        return text.rfind(base, 0) == 0 ? text.substr(base.size()) : "outside: " + text;
    }
};

TEST_F(TrustedDirectoryLayer, TheModeBitsDecide) {
    const struct {
        const char* name;
        mode_t mode;
        uid_t owner;
        bool trusted;
    } rows[] = {
        {"root's", 0755, 0, true},
        {"root's and sticky for all", 01777, 0, true},
        {"sticky with group write", 01775, 0, true},
        {"private", 0700, 0, true},
        {"open to all", 0777, 0, false},
        {"group write", 0775, 0, false},
        {"other write", 0757, 0, false},
        {"group write beside set-group-ID", 02775, 0, false},
        {"another user's", 0700, kNobody, false},
        {"another user's, however narrow", 0500, kNobody, false},
    };
    EXPECT_EQ(Untrusted(""), "") << "the test directory and everything above it";
    for (const auto& row : rows) {
        const std::string name = row.name;
        Make(name, row.mode, row.owner);
        EXPECT_EQ(Untrusted(name), row.trusted ? "" : "\\" + name) << name;
    }
}

TEST_F(TrustedDirectoryLayer, AnUntrustedAncestorIsFoundAboveTrustedOnes) {
    Make("open", 0777);
    Make("open\\closed", 0700);
    Make("open\\closed\\inner", 0755);
    EXPECT_EQ(Untrusted("open\\closed\\inner"), "\\open");
    Make("theirs", 0755, kNobody);
    Make("theirs\\mine", 0700);
    EXPECT_EQ(Untrusted("theirs\\mine"), "\\theirs");
}

TEST_F(TrustedDirectoryLayer, TheLinuxRootPassesWithOrWithoutItsDrive) {
    for (const char* root : {"Z:", "Z:\\", "\\", "Z:\\tmp"}) {
        EXPECT_TRUE(FindUntrustedDirectory(FileLocation(UString<UTF8>(root))).IsEmpty()) << root;
    }
}

// Runs `check` as nobody in a child process and returns its exit code.
int AsNobody(const std::function<int()>& check) {
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(kNobody) != 0 || setuid(kNobody) != 0) {
            _exit(100);
        }
        try {
            _exit(check());
        } catch (...) {
            _exit(101);
        }
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

TEST_F(TrustedDirectoryLayer, AnotherCallerTrustsItsOwnAndRootsDirectoriesOnly) {
    Make("nobodys", 0700, kNobody);
    Make("roots", 0755);
    Make("strangers", 0755, 1234);
    const int failures = AsNobody([&] {
        return (Untrusted("nobodys") == "" ? 0 : 1) | (Untrusted("roots") == "" ? 0 : 2) |
               (Untrusted("strangers") == "\\strangers" ? 0 : 4);
    });
    EXPECT_EQ(failures, 0) << "1: its own refused, 2: root's refused, 4: a stranger's passed";
}

TEST_F(TrustedDirectoryLayer, AFailingCallRaisesItsCode) {
    FailNextCall(LayerCall::GetNamedSecurityInfoW, ERROR_ACCESS_DENIED);
    try {
        FindUntrustedDirectory(At());
        ADD_FAILURE() << "nothing raised";
    } catch (const Windows::Error& error) {
        EXPECT_EQ(error.Code(), DWORD{ERROR_ACCESS_DENIED});
    }
}

} // namespace
