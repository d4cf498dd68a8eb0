// The machine key file. Everything is checked on the opened descriptors, so that a name swapped
// between the check and the read cannot slip another file in.
#include "winapi/data_protection/machine_key.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

#include "winapi/data_protection/data_protection.h"
#include "winapi/errors/errors.h"

namespace win32_layer {
namespace {

constexpr unsigned char kIdentifierLabel[] = "quendra machine key identifier";
// Several first runs may race; each lost race ends with a key to read.
constexpr int kCreationAttempts = 4;

// A descriptor closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (descriptor_ >= 0) {
            close(descriptor_);
        }
    }
    int Get() const { return descriptor_; }
    bool IsOpen() const { return descriptor_ >= 0; }

private:
    int descriptor_;
};

constexpr DWORD BadKeyFile() {
    return static_cast<DWORD>(NTE_KEYSET_ENTRY_BAD);
}

bool OwnedByCallerOrRoot(const struct stat& status) {
    return status.st_uid == geteuid() || status.st_uid == 0;
}

// Others who may write the directory could remove the key, and a new one would then be made.
bool IsSafeDirectory(const struct stat& status) {
    return S_ISDIR(status.st_mode) && OwnedByCallerOrRoot(status) &&
           (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// A second name could lie in a directory that others may reach, and set-ID or sticky bits have no
// business on a key: only the owner's read, with or without write, passes.
bool IsSafeKeyFile(const struct stat& status) {
    const mode_t permissions = status.st_mode & 07777;
    return S_ISREG(status.st_mode) && OwnedByCallerOrRoot(status) && status.st_nlink == 1 &&
           (permissions == 0600 || permissions == 0400) &&
           status.st_size == static_cast<off_t>(kMachineKeyBytes);
}

ssize_t ReadRetrying(int descriptor, unsigned char* buffer, std::size_t size) {
    ssize_t result = 0;
    do {
        result = read(descriptor, buffer, size);
    } while (result < 0 && errno == EINTR);
    return result;
}

bool WriteAll(int descriptor, const unsigned char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(descriptor, bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                errno = EIO;
            }
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

struct SplitPath {
    std::string directory;
    std::string name;
};

// Only an absolute path to a file name: a relative one would depend on the working directory, and
// a "." or ".." component would hide which directory the key really lies in. Empty components
// ("//") name nothing and pass.
bool Split(const std::string& path, SplitPath& split) {
    if (path.empty() || path.front() != '/' || path.back() == '/') {
        return false;
    }
    for (std::size_t start = 1; start <= path.size();) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view component = std::string_view(path).substr(start, end - start);
        if (component == "." || component == "..") {
            return false;
        }
        start = end + 1;
    }
    const std::size_t slash = path.rfind('/');
    split.directory = slash == 0 ? "/" : path.substr(0, slash);
    split.name = path.substr(slash + 1);
    return true;
}

// ERROR_FILE_NOT_FOUND, unmapped, when there is no key file.
DWORD ReadKeyFile(int directory, const std::string& name, MachineKey& key) {
    const Descriptor file(
        openat(directory, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!file.IsOpen()) {
        if (errno == ENOENT) {
            return ERROR_FILE_NOT_FOUND;
        }
        return errno == ELOOP ? BadKeyFile() : Win32ErrorFromErrno(errno);
    }
    struct stat status {};
    if (fstat(file.Get(), &status) != 0) {
        return Win32ErrorFromErrno(errno);
    }
    if (!IsSafeKeyFile(status)) {
        return BadKeyFile();
    }
    // One byte more than a key proves that the file ends where its size said.
    unsigned char buffer[kMachineKeyBytes + 1];
    std::size_t filled = 0;
    while (filled < sizeof buffer) {
        const ssize_t got = ReadRetrying(file.Get(), buffer + filled, sizeof buffer - filled);
        if (got < 0) {
            OPENSSL_cleanse(buffer, sizeof buffer);
            return Win32ErrorFromErrno(errno);
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    if (filled != kMachineKeyBytes) {
        OPENSSL_cleanse(buffer, sizeof buffer);
        return BadKeyFile();
    }
    std::memcpy(key.bytes, buffer, kMachineKeyBytes);
    OPENSSL_cleanse(buffer, sizeof buffer);
    return ERROR_SUCCESS;
}

// Fills `file` with a fresh key, on disk before it gets its name.
DWORD WriteFreshKey(int file, MachineKey& fresh) {
    if (RAND_priv_bytes(fresh.bytes, sizeof fresh.bytes) != 1) {
        return ERROR_INTERNAL_ERROR;
    }
    // The umask may have taken bits away; the key's mode is exact all the same.
    if (fchmod(file, 0600) != 0 || !WriteAll(file, fresh.bytes, sizeof fresh.bytes) ||
        fsync(file) != 0) {
        return Win32ErrorFromErrno(errno);
    }
    return ERROR_SUCCESS;
}

DWORD PlacementError(int error) {
    return error == EEXIST ? ERROR_FILE_EXISTS : Win32ErrorFromErrno(error);
}

// Gives the unnamed file its name, never replacing one. Without CAP_DAC_READ_SEARCH older kernels
// refuse an empty path; the file's entry under /proc names the same open file.
DWORD LinkUnnamed(int file, int directory, const std::string& name) {
    if (linkat(file, "", directory, name.c_str(), AT_EMPTY_PATH) == 0) {
        return ERROR_SUCCESS;
    }
    if (errno != ENOENT) {
        return PlacementError(errno);
    }
    const std::string opened = "/proc/self/fd/" + std::to_string(file);
    if (linkat(AT_FDCWD, opened.c_str(), directory, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        return ERROR_SUCCESS;
    }
    return PlacementError(errno);
}

bool LacksUnnamedFiles(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// A file that has no name until it is complete, so that no crash leaves a partial key or a
// temporary name behind. Empty where the file system offers no unnamed files.
std::optional<DWORD> CreateUnnamed(int directory, const std::string& name, MachineKey& fresh) {
    const Descriptor file(openat(directory, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (!file.IsOpen()) {
        if (LacksUnnamedFiles(errno)) {
            return std::nullopt;
        }
        return Win32ErrorFromErrno(errno);
    }
    const DWORD writing = WriteFreshKey(file.Get(), fresh);
    return writing != ERROR_SUCCESS ? writing : LinkUnnamed(file.Get(), directory, name);
}

// Moved onto the key's name rather than linked, so that the key never has the two names that a
// racing run would refuse. A crash can leave the temporary file behind, never a partial key.
DWORD CreateNamed(int directory, const std::string& name, MachineKey& fresh) {
    unsigned char suffix[8];
    if (RAND_bytes(suffix, sizeof suffix) != 1) {
        return ERROR_INTERNAL_ERROR;
    }
    std::string temporary = "." + name + ".new-";
    for (const unsigned char byte : suffix) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", byte);
        temporary += hex;
    }
    const Descriptor file(openat(directory, temporary.c_str(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file.IsOpen()) {
        return Win32ErrorFromErrno(errno);
    }
    DWORD placing = WriteFreshKey(file.Get(), fresh);
    if (placing == ERROR_SUCCESS &&
        renameat2(directory, temporary.c_str(), directory, name.c_str(), RENAME_NOREPLACE) != 0) {
        // EINVAL: the file system cannot move without replacing.
        placing = errno == EINVAL ? ERROR_NOT_SUPPORTED : PlacementError(errno);
    }
    if (placing != ERROR_SUCCESS) {
        unlinkat(directory, temporary.c_str(), 0);
    }
    return placing;
}

// ERROR_FILE_EXISTS when another run put its key in place first.
DWORD CreateKeyFile(int directory, const std::string& name, KeyFileCreation creation,
                    MachineKey& key) {
    MachineKey fresh;
    std::optional<DWORD> creating;
    if (creation == KeyFileCreation::Unnamed) {
        creating = CreateUnnamed(directory, name, fresh);
    }
    if (!creating) {
        creating = CreateNamed(directory, name, fresh);
    }
    if (*creating != ERROR_SUCCESS) {
        return *creating;
    }
    // The new name must survive a crash, or sealed data would outlive its key.
    if (fsync(directory) != 0) {
        return Win32ErrorFromErrno(errno);
    }
    std::memcpy(key.bytes, fresh.bytes, sizeof key.bytes);
    return ERROR_SUCCESS;
}

DWORD OpenKeyDirectory(const std::string& path, bool createMissing, int& directory) {
    directory = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory < 0 && errno == ENOENT && createMissing) {
        const bool made = mkdir(path.c_str(), 0700) == 0;
        if (!made && errno != EEXIST) {
            return errno == ENOENT ? ERROR_PATH_NOT_FOUND : Win32ErrorFromErrno(errno);
        }
        directory = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        // The umask may have taken bits away; the directory's mode is exact all the same.
        if (made && directory >= 0 && fchmod(directory, 0700) != 0) {
            return Win32ErrorFromErrno(errno);
        }
    }
    if (directory < 0) {
        if (errno == ENOENT) {
            return static_cast<DWORD>(NTE_BAD_KEYSET);
        }
        return errno == ENOTDIR ? BadKeyFile() : Win32ErrorFromErrno(errno);
    }
    struct stat status {};
    if (fstat(directory, &status) != 0) {
        return Win32ErrorFromErrno(errno);
    }
    return IsSafeDirectory(status) ? ERROR_SUCCESS : BadKeyFile();
}

} // namespace

MachineKey::~MachineKey() {
    OPENSSL_cleanse(bytes, sizeof bytes);
}

std::string MachineKeyPath() {
    const char* chosen = secure_getenv(kMachineKeyPathVariable);
    return chosen != nullptr ? chosen : kDefaultMachineKeyPath;
}

DWORD LoadMachineKey(MachineKey& key, bool createMissing, KeyFileCreation creation) {
    SplitPath path;
    if (!Split(MachineKeyPath(), path)) {
        return ERROR_INVALID_NAME;
    }
    int opened = -1;
    const DWORD opening = OpenKeyDirectory(path.directory, createMissing, opened);
    const Descriptor directory(opened);
    if (opening != ERROR_SUCCESS) {
        return opening;
    }
    for (int attempt = 0; attempt < kCreationAttempts; ++attempt) {
        const DWORD reading = ReadKeyFile(directory.Get(), path.name, key);
        if (reading != ERROR_FILE_NOT_FOUND) {
            return reading;
        }
        if (!createMissing) {
            return static_cast<DWORD>(NTE_BAD_KEYSET);
        }
        const DWORD creating = CreateKeyFile(directory.Get(), path.name, creation, key);
        if (creating != ERROR_FILE_EXISTS) {
            return creating;
        }
    }
    return static_cast<DWORD>(NTE_BAD_KEYSET);
}

bool IdentifyMachineKey(const MachineKey& key,
                        unsigned char (&identifier)[kMachineKeyIdentifierBytes]) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    const bool hashed =
        context != nullptr && EVP_DigestInit_ex(context, EVP_sha256(), nullptr) == 1 &&
        EVP_DigestUpdate(context, kIdentifierLabel, sizeof kIdentifierLabel) == 1 &&
        EVP_DigestUpdate(context, key.bytes, sizeof key.bytes) == 1 &&
        EVP_DigestFinal_ex(context, digest, &length) == 1 && length >= kMachineKeyIdentifierBytes;
    EVP_MD_CTX_free(context);
    if (hashed) {
        std::memcpy(identifier, digest, kMachineKeyIdentifierBytes);
    }
    return hashed;
}

} // namespace win32_layer
