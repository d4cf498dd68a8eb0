// The file calls on Linux descriptors. Every descriptor is close-on-exec, and opening never
// blocks, so that a FIFO or device named by mistake fails or opens at once.
#include "winapi/files/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "winapi/errors/errors.h"
#include "winapi/files/paths.h"
#include "winapi/files/share_locks.h"
#include "winapi/internal/fault_injection.h"
#include "winapi/internal/handle_table.h"
#include "winapi/internal/utf_conversions.h"

namespace win32_layer {

class File final : public KernelObject {
public:
    explicit File(int descriptor) : descriptor_(descriptor) {}
    // Closing the last descriptor also drops its lock.
    ~File() override { close(descriptor_); }
    int Descriptor() const { return descriptor_; }

private:
    int descriptor_;
};

} // namespace win32_layer

namespace {

using win32_layer::File;
using win32_layer::FindHandleOf;
using win32_layer::InjectedFailure;
using win32_layer::InjectedWriteLimit;
using win32_layer::LayerCall;
using win32_layer::PathErrorFromErrno;
using win32_layer::ToLinuxPath;

// The low part is the result; 0xFFFFFFFF is also the failure value, so a success that yields it
// clears the last error for the caller to tell them apart.
template <typename High>
DWORD SplitIntoParts(std::uint64_t value, High* high) {
    if (high != nullptr) {
        *high = static_cast<High>(value >> 32);
    }
    const auto low = static_cast<DWORD>(value);
    if (low == 0xFFFFFFFF) {
        SetLastError(ERROR_SUCCESS);
    }
    return low;
}

bool HasNoWriteBit(const struct stat& status) {
    return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

int OpenNonBlocking(const std::string& path, int flags) {
    int descriptor = -1;
    do {
        descriptor = open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

// Share modes as whole-file OFD locks, so that they hold between processes as well: a reader
// shares, a writer excludes. Never waits; a held lock is a sharing violation.
bool LockForShareMode(int descriptor, DWORD access, DWORD shareMode) {
    short type = 0;
    if ((access & GENERIC_WRITE) != 0) {
        type = F_WRLCK;
    } else if ((access & GENERIC_READ) != 0 && (shareMode & FILE_SHARE_WRITE) == 0) {
        type = F_RDLCK;
    } else {
        return true;
    }
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    if ((shareMode & FILE_SHARE_DELETE) != 0) {
        lock.l_len = win32_layer::kDeleteShareByte;
    }
    if (fcntl(descriptor, F_OFD_SETLK, &lock) == 0) {
        return true;
    }
    SetLastError(errno == EAGAIN || errno == EACCES ? ERROR_SHARING_VIOLATION
                                                    : Win32ErrorFromErrno(errno));
    return false;
}

HANDLE Fail(int descriptor, DWORD code) {
    if (descriptor >= 0) {
        close(descriptor);
    }
    SetLastError(code);
    return INVALID_HANDLE_VALUE;
}

// The handle is known to be valid here, so EBADF means the open's access lacks the right.
DWORD TransferError(int error) {
    return error == EBADF ? ERROR_ACCESS_DENIED : Win32ErrorFromErrno(error);
}

} // namespace

HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                   DWORD disposition, DWORD, HANDLE templateFile) {
    if (InjectedFailure(LayerCall::CreateFileW)) {
        return INVALID_HANDLE_VALUE;
    }
    if (templateFile != nullptr || disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
        return Fail(-1, ERROR_INVALID_PARAMETER);
    }
    std::string path;
    if (const DWORD error = ToLinuxPath(name, path); error != ERROR_SUCCESS) {
        return Fail(-1, error);
    }
    const bool writes = (access & GENERIC_WRITE) != 0;
    if (disposition == TRUNCATE_EXISTING && !writes) {
        return Fail(-1, ERROR_INVALID_PARAMETER);
    }
    int flags = writes ? ((access & GENERIC_READ) != 0 ? O_RDWR : O_WRONLY) : O_RDONLY;

    // Opening first without O_CREAT tells an existing file from a new one for the last error;
    // truncation waits until the share check has passed, so a refused open changes nothing.
    int descriptor = -1;
    bool existed = true;
    if (disposition == CREATE_NEW) {
        descriptor = OpenNonBlocking(path, flags | O_CREAT | O_EXCL);
        existed = false;
    } else {
        for (int attempt = 0; attempt < 100; ++attempt) {
            descriptor = OpenNonBlocking(path, flags);
            if (descriptor >= 0 || errno != ENOENT ||
                (disposition != OPEN_ALWAYS && disposition != CREATE_ALWAYS)) {
                break;
            }
            descriptor = OpenNonBlocking(path, flags | O_CREAT | O_EXCL);
            if (descriptor >= 0 || errno != EEXIST) {
                existed = false;
                break;
            }
        }
    }
    if (descriptor < 0) {
        if (errno == EEXIST) {
            return Fail(-1, ERROR_FILE_EXISTS);
        }
        return Fail(-1, PathErrorFromErrno(errno, path));
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0) {
        return Fail(descriptor, Win32ErrorFromErrno(errno));
    }
    if (S_ISDIR(status.st_mode)) {
        return Fail(descriptor, ERROR_ACCESS_DENIED);
    }
    if (S_ISREG(status.st_mode)) {
        // The read-only attribute binds root as well, as it binds an administrator.
        if (writes && existed && HasNoWriteBit(status)) {
            return Fail(descriptor, ERROR_ACCESS_DENIED);
        }
        if (!LockForShareMode(descriptor, access, shareMode)) {
            return Fail(descriptor, GetLastError());
        }
        if (existed && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) &&
            ftruncate(descriptor, 0) != 0) {
            return Fail(descriptor, Win32ErrorFromErrno(errno));
        }
    }
    // Reads and writes block as they do on Windows; only the open itself must not.
    const int open_flags = fcntl(descriptor, F_GETFL);
    if (open_flags >= 0) {
        fcntl(descriptor, F_SETFL, open_flags & ~O_NONBLOCK);
    }
    HANDLE handle = nullptr;
    try {
        handle = win32_layer::AddHandle(std::make_shared<File>(descriptor));
    } catch (const std::bad_alloc&) {
        return Fail(descriptor, ERROR_NOT_ENOUGH_MEMORY);
    }
    if (handle == nullptr) {
        return INVALID_HANDLE_VALUE;
    }
    const bool reportsExisting = disposition == OPEN_ALWAYS || disposition == CREATE_ALWAYS;
    SetLastError(reportsExisting && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped) {
    if (read != nullptr) {
        *read = 0;
    }
    if (InjectedFailure(LayerCall::ReadFile)) {
        return FALSE;
    }
    const auto object = FindHandleOf<File>(file);
    if (object == nullptr) {
        return FALSE;
    }
    if (overlapped != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Linux moves less than 2 GiB per call, but a disk file read on Windows falls short only at
    // the end of the file; a pipe or device gives what it has.
    auto* bytes = static_cast<unsigned char*>(buffer);
    DWORD done = 0;
    bool regular = false;
    while (done < toRead) {
        const ssize_t count = ::read(object->Descriptor(), bytes + done, toRead - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            SetLastError(TransferError(errno));
            return FALSE;
        }
        done += static_cast<DWORD>(count);
        if (count == 0 || done == toRead) {
            break;
        }
        if (!regular) {
            struct stat status {};
            regular = fstat(object->Descriptor(), &status) == 0 && S_ISREG(status.st_mode);
            if (!regular) {
                break;
            }
        }
    }
    if (read != nullptr) {
        *read = done;
    }
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
               LPOVERLAPPED overlapped) {
    if (written != nullptr) {
        *written = 0;
    }
    if (InjectedFailure(LayerCall::WriteFile)) {
        return FALSE;
    }
    const auto object = FindHandleOf<File>(file);
    if (object == nullptr) {
        return FALSE;
    }
    if (overlapped != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    toWrite = InjectedWriteLimit(toWrite);
    // A synchronous Win32 write completes in full or fails, so short writes go on.
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    DWORD done = 0;
    while (done < toWrite) {
        const ssize_t count = ::write(object->Descriptor(), bytes + done, toWrite - done);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (written != nullptr) {
                *written = done;
            }
            SetLastError(TransferError(errno));
            return FALSE;
        }
        done += static_cast<DWORD>(count);
    }
    if (written != nullptr) {
        *written = done;
    }
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distanceLow, PLONG distanceHigh, DWORD method) {
    const auto object = FindHandleOf<File>(file);
    if (object == nullptr) {
        return INVALID_SET_FILE_POINTER;
    }
    const int whence = method == FILE_BEGIN     ? SEEK_SET
                       : method == FILE_CURRENT ? SEEK_CUR
                       : method == FILE_END     ? SEEK_END
                                                : -1;
    if (whence < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    off_t distance = distanceLow;
    if (distanceHigh != nullptr) {
        distance = static_cast<off_t>(
            (static_cast<std::uint64_t>(static_cast<DWORD>(*distanceHigh)) << 32) |
            static_cast<DWORD>(distanceLow));
    }
    const int descriptor = object->Descriptor();
    if (whence != SEEK_SET) {
        const off_t base = lseek(descriptor, 0, whence);
        if (base < 0) {
            SetLastError(Win32ErrorFromErrno(errno));
            return INVALID_SET_FILE_POINTER;
        }
        if ((distance < 0 && base + distance < 0)) {
            SetLastError(ERROR_NEGATIVE_SEEK);
            return INVALID_SET_FILE_POINTER;
        }
    } else if (distance < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    const off_t position = lseek(descriptor, distance, whence);
    if (position < 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return INVALID_SET_FILE_POINTER;
    }
    return SplitIntoParts(static_cast<std::uint64_t>(position), distanceHigh);
}

BOOL SetEndOfFile(HANDLE file) {
    const auto object = FindHandleOf<File>(file);
    if (object == nullptr) {
        return FALSE;
    }
    const off_t position = lseek(object->Descriptor(), 0, SEEK_CUR);
    if (position < 0 || ftruncate(object->Descriptor(), position) != 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE file) {
    const auto object = FindHandleOf<File>(file);
    if (object == nullptr) {
        return FALSE;
    }
    if (fsync(object->Descriptor()) != 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
    const auto object = FindHandleOf<File>(file);
    if (object == nullptr) {
        return INVALID_FILE_SIZE;
    }
    struct stat status {};
    if (fstat(object->Descriptor(), &status) != 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return INVALID_FILE_SIZE;
    }
    return SplitIntoParts(static_cast<std::uint64_t>(status.st_size), sizeHigh);
}

DWORD GetFileType(HANDLE file) {
    const auto object = FindHandleOf<File>(file);
    if (object == nullptr) {
        return FILE_TYPE_UNKNOWN;
    }
    struct stat status {};
    if (fstat(object->Descriptor(), &status) != 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return FILE_TYPE_UNKNOWN;
    }
    SetLastError(ERROR_SUCCESS);
    if (S_ISREG(status.st_mode)) {
        return FILE_TYPE_DISK;
    }
    if (S_ISCHR(status.st_mode)) {
        return FILE_TYPE_CHAR;
    }
    if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode)) {
        return FILE_TYPE_PIPE;
    }
    return FILE_TYPE_UNKNOWN;
}
