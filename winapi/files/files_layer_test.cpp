// What only the Linux layer has or can show: FIFOs, modes, locks held by other processes and
// injected failures.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "winapi/testing/fault_injection.h"
#include "winapi/testing/temporary_directory.h"
#include "winapi/win32.h"

namespace {

WideString W(const char* text) {
    return WideString(text, text + std::char_traits<char>::length(text));
}

// The helper's directories are on Z:, the Linux root, and ASCII.
std::string LinuxPath(const WideString& name) {
    std::string path;
    for (WCHAR unit : WideView(name).substr(2)) {
        path += unit == u'\\' ? '/' : static_cast<char>(unit);
    }
    return path;
}

HANDLE Open(const WideString& name, DWORD access, DWORD share, DWORD disposition) {
    return CreateFileW(name.c_str(), access, share, nullptr, disposition, 0, nullptr);
}

TEST(FilesLayer, OpeningAFifoNeverBlocks) {
    TemporaryDirectory directory;
    const WideString name = directory / W("fifo");
    ASSERT_EQ(mkfifo(LinuxPath(name).c_str(), 0600), 0);
    // No writer exists: a blocking open would hang here.
    HANDLE fifo = Open(name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(fifo, INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_EQ(GetFileType(fifo), DWORD{FILE_TYPE_PIPE});
    CloseHandle(fifo);
    HANDLE device = Open(W("Z:\\dev\\null"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileType(device), DWORD{FILE_TYPE_CHAR});
    CloseHandle(device);
}

TEST(FilesLayer, DescriptorsAreCloseOnExec) {
    TemporaryDirectory directory;
    HANDLE file = Open(directory / W("f"), GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    // The newest descriptor is the file's own.
    const int probe = open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(probe, 1);
    EXPECT_NE(fcntl(probe - 1, F_GETFD) & FD_CLOEXEC, 0);
    close(probe);
    CloseHandle(file);
}

TEST(FilesLayer, TemporaryFilesArePrivateFromTheStart) {
    TemporaryDirectory directory;
    WCHAR name[MAX_PATH];
    const mode_t previous = umask(0);
    const UINT unique = GetTempFileNameW(directory.Path().c_str(), W("q").c_str(), 0, name);
    umask(previous);
    ASSERT_NE(unique, 0u);
    struct stat status {};
    ASSERT_EQ(stat(LinuxPath(name).c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
}

TEST(FilesLayer, ShareModesHoldAgainstAnotherProcess) {
    TemporaryDirectory directory;
    const WideString name = directory / W("shared");
    int ready[2];
    int release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        HANDLE file = Open(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW);
        DWORD written = 0;
        char byte = file != INVALID_HANDLE_VALUE && WriteFile(file, "held", 4, &written, nullptr)
                        ? 'y'
                        : 'n';
        (void)!write(ready[1], &byte, 1);
        (void)!read(release[0], &byte, 1);
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, 'y');
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(Open(name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_SHARING_VIOLATION});
    EXPECT_EQ(Open(name, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_SHARING_VIOLATION});
    // A refused CREATE_ALWAYS must not truncate the holder's file either.
    EXPECT_EQ(Open(name, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_SHARING_VIOLATION});
    (void)!write(release[1], "x", 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    HANDLE file = Open(name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(file, nullptr), 4u);
    CloseHandle(file);
    for (int descriptor : {ready[0], ready[1], release[0], release[1]}) {
        close(descriptor);
    }
}

TEST(FilesLayer, ReadOnlyBindsRootAndOthersAlike) {
    TemporaryDirectory directory;
    const WideString name = directory / W("locked");
    HANDLE file = Open(name, GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    ASSERT_EQ(SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_READONLY), TRUE);
    struct stat status {};
    ASSERT_EQ(stat(LinuxPath(name).c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0222, 0u);
    ASSERT_EQ(chmod(LinuxPath(directory.Path()).c_str(), 0777), 0);
    // The same refusal for whoever runs the call; as another user too when run as root.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(2);
        }
        SetLastError(ERROR_SUCCESS);
        HANDLE refused = Open(name, GENERIC_WRITE, 0, OPEN_EXISTING);
        _exit(refused == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED ? 0 : 1);
    }
    int result = 0;
    ASSERT_EQ(waitpid(child, &result, 0), child);
    EXPECT_TRUE(WIFEXITED(result) && WEXITSTATUS(result) == 0) << result;
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(Open(name, GENERIC_WRITE, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
    ASSERT_EQ(SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL), TRUE);
    ASSERT_EQ(stat(LinuxPath(name).c_str(), &status), 0);
    EXPECT_NE(status.st_mode & S_IWUSR, 0u);
}

TEST(FilesLayer, MovesAcrossFileSystemsCopyOnlyWhenAllowed) {
    struct stat shm {};
    struct stat tmp {};
    if (stat("/dev/shm", &shm) != 0 || stat("/tmp", &tmp) != 0 || shm.st_dev == tmp.st_dev) {
        GTEST_SKIP() << "needs /dev/shm and /tmp on different file systems";
    }
    TemporaryDirectory directory;
    const std::string other = "/dev/shm/quendra-move-" + std::to_string(getpid());
    const WideString source = W(("Z:" + other).c_str());
    const WideString target = directory / W("target");
    HANDLE file = Open(source, GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_EQ(WriteFile(file, "moved", 5, &written, nullptr), TRUE);
    CloseHandle(file);
    chmod(other.c_str(), 0640);

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING), FALSE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_NOT_SAME_DEVICE});
    ASSERT_EQ(MoveFileExW(source.c_str(), target.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED),
              TRUE)
        << GetLastError();
    EXPECT_EQ(GetFileAttributesW(source.c_str()), INVALID_FILE_ATTRIBUTES);
    struct stat moved {};
    ASSERT_EQ(stat(LinuxPath(target).c_str(), &moved), 0);
    EXPECT_EQ(moved.st_size, 5);
    EXPECT_EQ(moved.st_mode & 07777, 0640u);
    unlink(other.c_str());
}

TEST(FilesLayer, InjectedFailuresStrikeTheChosenCall) {
    TemporaryDirectory directory;
    const WideString name = directory / W("f");
    {
        const ScopedFaultInjection failure(LayerCall::CreateFileW, ERROR_DISK_FULL, 1);
        HANDLE first = Open(name, GENERIC_WRITE, 0, CREATE_NEW);
        EXPECT_NE(first, INVALID_HANDLE_VALUE);
        CloseHandle(first);
        EXPECT_EQ(Open(name, GENERIC_WRITE, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), DWORD{ERROR_DISK_FULL});
        // Once only.
        HANDLE third = Open(name, GENERIC_WRITE, 0, OPEN_EXISTING);
        EXPECT_NE(third, INVALID_HANDLE_VALUE);
        CloseHandle(third);
    }
    HANDLE file = Open(name, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD count = 0;
    char buffer[4] = {};
    WCHAR tempName[MAX_PATH];
    struct Row {
        LayerCall call;
        bool (*attempt)(HANDLE, const TemporaryDirectory&);
    };
    const Row rows[] = {
        {LayerCall::WriteFile,
         [](HANDLE f, const TemporaryDirectory&) {
             DWORD n = 0;
             return WriteFile(f, "ab", 2, &n, nullptr) == TRUE;
         }},
        {LayerCall::ReadFile,
         [](HANDLE f, const TemporaryDirectory&) {
             DWORD n = 0;
             char b[2];
             return ReadFile(f, b, 2, &n, nullptr) == TRUE;
         }},
        {LayerCall::MoveFileExW,
         [](HANDLE, const TemporaryDirectory& d) {
             return MoveFileExW((d / W("f")).c_str(), (d / W("g")).c_str(), 0) == TRUE;
         }},
        {LayerCall::GetTempFileNameW,
         [](HANDLE, const TemporaryDirectory& d) {
             WCHAR n[MAX_PATH];
             return GetTempFileNameW(d.Path().c_str(), W("t").c_str(), 0, n) != 0;
         }},
        {LayerCall::CreateDirectoryW,
         [](HANDLE, const TemporaryDirectory& d) {
             return CreateDirectoryW((d / W("sub")).c_str(), nullptr) == TRUE;
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.call));
        const ScopedFaultInjection failure(row.call, ERROR_IO_DEVICE);
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(row.attempt(file, directory));
        EXPECT_EQ(GetLastError(), DWORD{ERROR_IO_DEVICE});
    }
    // Nothing stays armed once the guard is gone.
    EXPECT_EQ(WriteFile(file, "ab", 2, &count, nullptr), TRUE);
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_BEGIN), 0u);
    EXPECT_EQ(ReadFile(file, buffer, 2, &count, nullptr), TRUE);
    EXPECT_NE(GetTempFileNameW(directory.Path().c_str(), W("t").c_str(), 0, tempName), 0u);
    CloseHandle(file);
}

} // namespace
