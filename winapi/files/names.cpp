// The calls on names rather than handles: attributes, directories, deletes, moves, temporary
// files and the module's own path.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>
#include <string>

#include "winapi/errors/errors.h"
#include "winapi/files/files.h"
#include "winapi/files/paths.h"
#include "winapi/files/share_locks.h"
#include "winapi/internal/fault_injection.h"
#include "winapi/internal/handle_table.h"
#include "winapi/internal/utf_conversions.h"

namespace win32_layer {

// A search over one exact name has nothing left to find once it has started.
class FileSearch final : public KernelObject {};

} // namespace win32_layer

namespace {

using win32_layer::InjectedFailure;
using win32_layer::LayerCall;
using win32_layer::ParentOf;
using win32_layer::PathErrorFromErrno;
using win32_layer::ToLinuxPath;

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

bool Failed(DWORD code) {
    SetLastError(code);
    return false;
}

// Windows gives every file it creates the archive attribute, so a plain file reports that.
DWORD AttributesOf(const struct stat& status) {
    if (S_ISDIR(status.st_mode)) {
        return FILE_ATTRIBUTE_DIRECTORY;
    }
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
    if ((status.st_mode & kWriteBits) == 0) {
        attributes |= FILE_ATTRIBUTE_READONLY;
    }
    return attributes;
}

FILETIME FileTimeOf(const struct timespec& time) {
    // 100-nanosecond ticks since 1601, the Win32 epoch.
    constexpr std::uint64_t kEpochDifference = 11644473600ULL;
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(time.tv_sec) + kEpochDifference) * 10000000ULL +
        static_cast<std::uint64_t>(time.tv_nsec) / 100;
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// UTF-8 to UTF-16 into a terminated buffer; false when it does not fit or is not UTF-8.
bool ToWide(const std::string& text, WCHAR* buffer, std::size_t capacity, std::size_t& length) {
    win32_layer::CodeUnitOutput<char16_t> output(buffer, capacity);
    const bool ok = win32_layer::Utf8ToUtf16(
        {reinterpret_cast<const unsigned char*>(text.data()), text.size()}, true, output);
    length = output.Count();
    if (!ok || length >= capacity) {
        return false;
    }
    buffer[length] = u'\0';
    return true;
}

// A move reported done must survive a power cut: the data is synced before the rename and the
// directory entry after it.
bool SyncDirectory(const std::string& path) {
    const int descriptor = open(path.c_str(), O_DIRECTORY | O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        return false;
    }
    const bool synced = fsync(descriptor) == 0;
    close(descriptor);
    return synced;
}

// A move must not take a file from under another handle that does not share delete, as on
// Windows; that handle's lock covers the last byte, asked about here without being taken. The
// source is synced through the same descriptor before it moves.
DWORD PrepareSourceToMove(const std::string& path) {
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        return Win32ErrorFromErrno(errno);
    }
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = win32_layer::kDeleteShareByte;
    probe.l_len = 1;
    DWORD error = ERROR_SUCCESS;
    if (fcntl(descriptor, F_OFD_GETLK, &probe) != 0 || fsync(descriptor) != 0) {
        error = Win32ErrorFromErrno(errno);
    } else if (probe.l_type != F_UNLCK) {
        error = ERROR_SHARING_VIOLATION;
    }
    close(descriptor);
    return error;
}

// Across file systems: a copy beside the target, renamed over it so that the target is never
// seen half written.
DWORD CopyAcross(const std::string& source, const std::string& target, bool replace) {
    const int input = open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (input < 0) {
        return PathErrorFromErrno(errno, source);
    }
    struct stat status {};
    fstat(input, &status);
    std::string temporary = target + ".XXXXXX";
    const int output = mkostemp(temporary.data(), O_CLOEXEC);
    if (output < 0) {
        const DWORD error = PathErrorFromErrno(errno, target);
        close(input);
        return error;
    }
    DWORD error = ERROR_SUCCESS;
    char buffer[65536];
    for (;;) {
        const ssize_t count = read(input, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            if (count < 0) {
                error = Win32ErrorFromErrno(errno);
            }
            break;
        }
        ssize_t done = 0;
        while (done < count) {
            const ssize_t written = write(output, buffer + done, count - done);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written < 0) {
                error = Win32ErrorFromErrno(errno);
                break;
            }
            done += written;
        }
        if (error != ERROR_SUCCESS) {
            break;
        }
    }
    close(input);
    if (error == ERROR_SUCCESS &&
        (fchmod(output, status.st_mode & 07777) != 0 || fsync(output) != 0)) {
        error = Win32ErrorFromErrno(errno);
    }
    close(output);
    if (error == ERROR_SUCCESS) {
        const int moved = replace ? rename(temporary.c_str(), target.c_str())
                                  : renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(),
                                              RENAME_NOREPLACE);
        if (moved != 0) {
            error = errno == EEXIST ? ERROR_ALREADY_EXISTS : Win32ErrorFromErrno(errno);
        }
    }
    if (error != ERROR_SUCCESS) {
        unlink(temporary.c_str());
        return error;
    }
    // The copy must be on disk under its name before the only other copy goes.
    if (!SyncDirectory(ParentOf(target)) || unlink(source.c_str()) != 0) {
        return Win32ErrorFromErrno(errno);
    }
    return ERROR_SUCCESS;
}

} // namespace

DWORD GetFileAttributesW(LPCWSTR name) {
    std::string path;
    if (const DWORD error = ToLinuxPath(name, path); error != ERROR_SUCCESS) {
        SetLastError(error);
        return INVALID_FILE_ATTRIBUTES;
    }
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        SetLastError(PathErrorFromErrno(errno, path));
        return INVALID_FILE_ATTRIBUTES;
    }
    // A symbolic link is what Windows calls a reparse point; the rest is its target's.
    struct stat link {};
    const bool isLink = lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    return AttributesOf(status) | (isLink ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
}

BOOL SetFileAttributesW(LPCWSTR name, DWORD attributes) {
    std::string path;
    if (const DWORD error = ToLinuxPath(name, path); error != ERROR_SUCCESS) {
        return Failed(error);
    }
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        return Failed(PathErrorFromErrno(errno, path));
    }
    if (S_ISDIR(status.st_mode)) {
        return TRUE;
    }
    // Read-only means no write bit for anyone; clearing it gives the owner back their own.
    const mode_t mode =
        (attributes & FILE_ATTRIBUTE_READONLY) != 0
            ? (status.st_mode & 07777 & ~kWriteBits)
            : (status.st_mode & 07777) | ((status.st_mode & kWriteBits) == 0 ? S_IWUSR : 0);
    if (chmod(path.c_str(), mode) != 0) {
        return Failed(Win32ErrorFromErrno(errno));
    }
    return TRUE;
}

HANDLE FindFirstFileW(LPCWSTR name, LPWIN32_FIND_DATAW data) {
    std::string path;
    if (const DWORD error = ToLinuxPath(name, path); error != ERROR_SUCCESS) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    // A search lists a directory's entries, and a root is no directory's entry.
    if (path == "/") {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        SetLastError(PathErrorFromErrno(errno, path));
        return INVALID_HANDLE_VALUE;
    }
    WIN32_FIND_DATAW found{};
    found.dwFileAttributes = AttributesOf(status);
    found.ftCreationTime = FileTimeOf(status.st_ctim);
    found.ftLastAccessTime = FileTimeOf(status.st_atim);
    found.ftLastWriteTime = FileTimeOf(status.st_mtim);
    if (!S_ISDIR(status.st_mode)) {
        const auto size = static_cast<std::uint64_t>(status.st_size);
        found.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        found.nFileSizeLow = static_cast<DWORD>(size);
    }
    std::size_t length = 0;
    const std::string leaf = path.substr(path.rfind('/') + 1);
    if (!ToWide(leaf, found.cFileName, MAX_PATH, length)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = nullptr;
    try {
        handle = win32_layer::AddHandle(std::make_shared<win32_layer::FileSearch>());
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
    if (handle == nullptr) {
        return INVALID_HANDLE_VALUE;
    }
    *data = found;
    return handle;
}

BOOL FindClose(HANDLE find) {
    if (win32_layer::FindHandleOf<win32_layer::FileSearch>(find) == nullptr) {
        return FALSE;
    }
    return win32_layer::RemoveHandle(find) != nullptr ? TRUE : FALSE;
}

BOOL CreateDirectoryW(LPCWSTR name, LPSECURITY_ATTRIBUTES) {
    if (InjectedFailure(LayerCall::CreateDirectoryW)) {
        return FALSE;
    }
    std::string path;
    if (const DWORD error = ToLinuxPath(name, path); error != ERROR_SUCCESS) {
        return Failed(error);
    }
    // Other accounts may look into a new directory, never change it, whatever the umask.
    if (mkdir(path.c_str(), 0755) != 0) {
        // A missing parent is a missing path, never a missing file, for a new directory.
        return Failed(errno == EEXIST                       ? ERROR_ALREADY_EXISTS
                      : errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                                            : Win32ErrorFromErrno(errno));
    }
    return TRUE;
}

BOOL RemoveDirectoryW(LPCWSTR name) {
    std::string path;
    if (const DWORD error = ToLinuxPath(name, path); error != ERROR_SUCCESS) {
        return Failed(error);
    }
    struct stat status {};
    if (stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode)) {
        return Failed(ERROR_DIRECTORY);
    }
    if (rmdir(path.c_str()) != 0) {
        return Failed(PathErrorFromErrno(errno, path));
    }
    return TRUE;
}

BOOL DeleteFileW(LPCWSTR name) {
    if (InjectedFailure(LayerCall::DeleteFileW)) {
        return FALSE;
    }
    std::string path;
    if (const DWORD error = ToLinuxPath(name, path); error != ERROR_SUCCESS) {
        return Failed(error);
    }
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) {
        return Failed(PathErrorFromErrno(errno, path));
    }
    if (S_ISDIR(status.st_mode) ||
        (S_ISREG(status.st_mode) && (status.st_mode & kWriteBits) == 0)) {
        return Failed(ERROR_ACCESS_DENIED);
    }
    if (unlink(path.c_str()) != 0) {
        return Failed(PathErrorFromErrno(errno, path));
    }
    return TRUE;
}

BOOL MoveFileExW(LPCWSTR existing, LPCWSTR target, DWORD flags) {
    if (InjectedFailure(LayerCall::MoveFileExW)) {
        return FALSE;
    }
    if ((flags & ~(MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH)) !=
        0) {
        return Failed(ERROR_INVALID_PARAMETER);
    }
    std::string from;
    std::string to;
    if (const DWORD error = ToLinuxPath(existing, from); error != ERROR_SUCCESS) {
        return Failed(error);
    }
    if (const DWORD error = ToLinuxPath(target, to); error != ERROR_SUCCESS) {
        return Failed(error);
    }
    struct stat source {};
    if (lstat(from.c_str(), &source) != 0) {
        return Failed(PathErrorFromErrno(errno, from));
    }
    const bool replace = (flags & MOVEFILE_REPLACE_EXISTING) != 0;
    struct stat present {};
    if (lstat(to.c_str(), &present) == 0) {
        if (!replace) {
            return Failed(ERROR_ALREADY_EXISTS);
        }
        if (S_ISDIR(present.st_mode) || (present.st_mode & kWriteBits) == 0) {
            return Failed(ERROR_ACCESS_DENIED);
        }
    }
    if (S_ISREG(source.st_mode)) {
        if (const DWORD error = PrepareSourceToMove(from); error != ERROR_SUCCESS) {
            return Failed(error);
        }
    }
    const int moved =
        replace ? rename(from.c_str(), to.c_str())
                : renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    if (moved != 0) {
        if (errno == EEXIST) {
            return Failed(ERROR_ALREADY_EXISTS);
        }
        if (errno != EXDEV) {
            return Failed(PathErrorFromErrno(errno, to));
        }
        if ((flags & MOVEFILE_COPY_ALLOWED) == 0 || !S_ISREG(source.st_mode)) {
            return Failed(ERROR_NOT_SAME_DEVICE);
        }
        if (const DWORD error = CopyAcross(from, to, replace); error != ERROR_SUCCESS) {
            return Failed(error);
        }
    }
    if (!SyncDirectory(ParentOf(to))) {
        return Failed(Win32ErrorFromErrno(errno));
    }
    return TRUE;
}

UINT GetTempFileNameW(LPCWSTR directory, LPCWSTR prefix, UINT unique, LPWSTR name) {
    if (InjectedFailure(LayerCall::GetTempFileNameW)) {
        return 0;
    }
    if (directory == nullptr || prefix == nullptr || name == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string path;
    if (const DWORD error = ToLinuxPath(directory, path); error != ERROR_SUCCESS) {
        SetLastError(error);
        return 0;
    }
    std::u16string base(directory);
    if (!base.empty() && base.back() != u'\\' && base.back() != u'/') {
        base += u'\\';
    }
    std::u16string stem(prefix);
    stem.resize(std::min<std::size_t>(stem.size(), 3));
    base += stem;

    // Only the number varies, so the search starts somewhere unlikely to be taken.
    UINT number = unique != 0 ? (unique & 0xFFFF)
                              : static_cast<UINT>((getpid() ^ std::time(nullptr)) & 0xFFFF);
    for (UINT attempt = 0; attempt < 0x10000; ++attempt) {
        if (number == 0) {
            number = 1;
        }
        char digits[16];
        std::snprintf(digits, sizeof digits, "%X", number);
        std::u16string candidate = base;
        for (const char* digit = digits; *digit != '\0'; ++digit) {
            candidate += static_cast<char16_t>(*digit);
        }
        candidate += u".TMP";
        if (candidate.size() >= MAX_PATH) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return 0;
        }
        if (unique != 0) {
            // A given number only names the file; Windows creates nothing then.
            std::copy_n(candidate.c_str(), candidate.size() + 1, name);
            return unique;
        }
        std::string linuxName;
        if (const DWORD error = ToLinuxPath(candidate.c_str(), linuxName); error != ERROR_SUCCESS) {
            SetLastError(error);
            return 0;
        }
        // Mode 0600 from the first byte: the file is private before anything is written to it.
        const int descriptor =
            open(linuxName.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NONBLOCK, 0600);
        if (descriptor >= 0) {
            close(descriptor);
            std::copy_n(candidate.c_str(), candidate.size() + 1, name);
            return number;
        }
        if (errno != EEXIST) {
            SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_DIRECTORY
                                                             : Win32ErrorFromErrno(errno));
            return 0;
        }
        number = (number + 1) & 0xFFFF;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR name, DWORD size) {
    if (module != nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    std::string target(PATH_MAX, '\0');
    const ssize_t length = readlink("/proc/self/exe", target.data(), target.size());
    if (length < 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return 0;
    }
    target.resize(static_cast<std::size_t>(length));
    // The Win32 form of the path, on the drive that stands for the Linux root.
    std::u16string wide = u"Z:";
    win32_layer::CodeUnitOutput<char16_t> counter(nullptr, 0);
    const std::span<const unsigned char> bytes(
        reinterpret_cast<const unsigned char*>(target.data()), target.size());
    win32_layer::Utf8ToUtf16(bytes, false, counter);
    const std::size_t start = wide.size();
    wide.resize(start + counter.Count());
    win32_layer::CodeUnitOutput<char16_t> output(wide.data() + start, counter.Count());
    win32_layer::Utf8ToUtf16(bytes, false, output);
    for (char16_t& unit : wide) {
        if (unit == u'/') {
            unit = u'\\';
        }
    }
    if (size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (wide.size() >= size) {
        std::copy(wide.begin(), wide.begin() + (size - 1), name);
        name[size - 1] = u'\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::copy(wide.begin(), wide.end(), name);
    name[wide.size()] = u'\0';
    return static_cast<DWORD>(wide.size());
}
