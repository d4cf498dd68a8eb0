// The file code against failures that Linux produces for real: a full file system, files that
// are gone, a device that fails a read and another user's permissions.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "foundation/encoding/windows_error.h"
#include "foundation/streams/test_bytes.h"
#include "foundation/testing/texts.h"
#include "platform/files/file_errors.h"
#include "platform/files/file_system.h"
#include "platform/files/open_file.h"
#include "platform/files/temporary_files_for_test.h"

namespace {

namespace fs = std::filesystem;

void ReadWhole(const FileLocation& location) {
    IgnoreDataReceiver receiver;
    ReadWholeFile(location, receiver, 0, nullptr);
}

// The exact class and code that an operation raised; nothing raised gives no type.
struct Raised {
    const std::type_info* type = nullptr;
    DWORD code = 0;
};

Raised Outcome(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const FileIOError& error) {
        return {&typeid(error), error.Code()};
    } catch (const Windows::Error& error) {
        return {&typeid(error), error.Code()};
    }
    return {};
}

void ExpectRaised(const Raised& raised, const std::type_info& type, DWORD code) {
    ASSERT_NE(raised.type, nullptr) << "nothing raised";
    EXPECT_EQ(std::string(raised.type->name()), type.name());
    EXPECT_EQ(raised.code, code);
}

class RealFileFailureTest : public TestDirectory {
protected:
    void TearDown() override {
        if (mounted_)
            umount2(Native("small").c_str(), MNT_DETACH);
        TestDirectory::TearDown();
    }

    // A file system of 64 KiB below the test directory; false where mounting is not allowed.
    bool MountSmallFileSystem() {
        fs::create_directory(Native("small"));
        mounted_ = mount("tmpfs", Native("small").c_str(), "tmpfs", 0, "size=64k") == 0;
        return mounted_;
    }

private:
    bool mounted_ = false;
};

TEST_F(RealFileFailureTest, AFullFileSystemRaisesDiskFullAndSparesTheTarget) {
    if (!MountSmallFileSystem())
        GTEST_SKIP() << "mounting a tmpfs needs CAP_SYS_ADMIN: " << std::strerror(errno);
    const std::string big(256 * 1024, 'k');
    ExpectRaised(Outcome([&] { WriteWholeFile(BytesOf(big), At("small\\whole")); }),
                 typeid(DiskFullError), ERROR_DISK_FULL);

    // A target written through a temporary file keeps its old content when the disk fills.
    fs::remove(Native("small/whole"));
    MakeFile("small/key", "old");
    const FileLocation temporary = CreateTempFile(At("small"), View("tmp"));
    ExpectRaised(Outcome([&] { WriteWholeFile(BytesOf(big), temporary); }), typeid(DiskFullError),
                 ERROR_DISK_FULL);
    EXPECT_EQ(Content("small/key"), "old");
}

TEST_F(RealFileFailureTest, FilesThatAreGoneRaiseTheirNotFoundClass) {
    fs::create_directory(Native("dir"));
    MakeFile("dir/file", "content");
    const FileLocation temporary = CreateTempFile(At("dir"), View("tmp"));
    fs::remove(Native("dir/" + Text(temporary.FileNameText())));
    ExpectRaised(Outcome([&] { temporary.MoveReplacing(At("dir\\file")); }),
                 typeid(FileNotFoundError), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Content("dir/file"), "content");

    fs::remove(Native("dir/file"));
    ExpectRaised(Outcome([&] { ReadWhole(At("dir\\file")); }), typeid(FileNotFoundError),
                 ERROR_FILE_NOT_FOUND);
    fs::remove_all(Native("dir"));
    ExpectRaised(Outcome([&] { ReadWhole(At("dir\\file")); }), typeid(DirectoryNotFoundError),
                 ERROR_PATH_NOT_FOUND);
}

TEST_F(RealFileFailureTest, AReadThatTheDeviceFailsRaisesWithItsCode) {
    // The kernel fails any read of unmapped process memory, and page 0 is never mapped.
    const WindowsPlatform::FileReadingPath memory(FileLocation(View("Z:\\proc\\self\\mem")), false);
    FileReader reader(memory, 0);
    unsigned char buffer[16];
    ExpectRaised(Outcome([&] { reader.ReadExactly(MutableByteRange(buffer, sizeof buffer)); }),
                 typeid(FileIOError), ERROR_IO_DEVICE);
}

// Runs `check` as the unprivileged user in a child process and returns its exit code.
int AsAnotherUser(const std::function<bool()>& check) {
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

bool RaisesExactly(const std::function<void()>& operation, const std::type_info& type, DWORD code) {
    const Raised raised = Outcome(operation);
    return raised.type != nullptr && *raised.type == type && raised.code == code;
}

TEST_F(RealFileFailureTest, AnotherUserMeetsTheModeBits) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    fs::permissions(Native(""), fs::perms(0755));
    const FileLocation temporary = CreateTempFile(At(), View("key"));
    WriteWholeFile(BytesOf("secret"), temporary);
    MakeFile("public", "text");
    fs::permissions(Native("public"), fs::perms(0644));

    struct Case {
        const char* name;
        std::function<void()> operation;
        const std::type_info& raised;
    };
    const std::vector<Case> cases = {
        {"a private temporary file is not read", [&] { ReadWhole(temporary); },
         typeid(FilePermissionError)},
        {"a readable file is not written", [&] { WriteWholeFile(BytesOf("x"), At("public")); },
         typeid(FilePermissionError)},
        {"no file is made in another's directory", [&] { WriteWholeFile(BytesOf("x"), At("new")); },
         typeid(FilePermissionError)},
        {"no directory is made there", [&] { At("dir").CreateDirectory(); },
         typeid(FilePermissionError)},
        {"no temporary file is made there", [&] { CreateTempFile(At(), View("tmp")); },
         typeid(Windows::Error)},
        {"no file is moved there", [&] { At("public").MoveTo(At("moved"), 0); },
         typeid(FileMoveError)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AsAnotherUser(
                      [&] { return RaisesExactly(c.operation, c.raised, ERROR_ACCESS_DENIED); }),
                  0);
    }
    // What the other user may do still works: reading a readable file.
    EXPECT_EQ(AsAnotherUser([&] {
                  ReadWhole(At("public"));
                  return true;
              }),
              0);
}

} // namespace
