// A version resource is handed out in its Windows form: a VS_VERSIONINFO block whose root value
// is the fixed file information, without string or translation tables.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "winapi/errors/errors.h"
#include "winapi/files/paths.h"
#include "winapi/system_information/system_information.h"
#include "winapi/system_information/windows_identity.h"

namespace {

constexpr char16_t kRootKey[] = u"VS_VERSION_INFO";
// Three words and the key with its NUL, rounded up to 32 bits.
constexpr std::size_t kRootValueOffset = (6 + sizeof(kRootKey) + 3) / 4 * 4;
constexpr std::size_t kLargestBlock = 0xFFFF;

void PutWord(std::vector<BYTE>& block, std::size_t offset, std::size_t value) {
    const auto word = static_cast<WORD>(value);
    std::memcpy(block.data() + offset, &word, sizeof(word));
}

WORD WordAt(const BYTE* block, std::size_t offset) {
    WORD word = 0;
    std::memcpy(&word, block + offset, sizeof(word));
    return word;
}

// The block of the named file, or false with the last error set.
bool BlockOf(LPCWSTR fileName, std::vector<BYTE>& block) {
    std::string path;
    if (const DWORD error = win32_layer::ToLinuxPath(fileName, path); error != ERROR_SUCCESS) {
        SetLastError(error);
        return false;
    }
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        SetLastError(win32_layer::PathErrorFromErrno(errno, path));
        return false;
    }
    win32_layer::IdentityAccess identity;
    const auto found = identity->versionResources.find(path);
    if (found == identity->versionResources.end() ||
        kRootValueOffset + found->second.size() > kLargestBlock) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return false;
    }
    const std::vector<BYTE>& value = found->second;
    block.assign(kRootValueOffset + value.size(), 0);
    PutWord(block, 0, block.size());
    PutWord(block, 2, value.size());
    std::memcpy(block.data() + 6, kRootKey, sizeof(kRootKey));
    // Not memcpy: an empty value's storage may be null, which memcpy may not be given.
    std::copy(value.begin(), value.end(), block.begin() + kRootValueOffset);
    return true;
}

} // namespace

DWORD GetFileVersionInfoSizeExW(DWORD, LPCWSTR fileName, LPDWORD handle) {
    if (handle != nullptr) {
        *handle = 0;
    }
    std::vector<BYTE> block;
    if (!BlockOf(fileName, block)) {
        return 0;
    }
    return static_cast<DWORD>(block.size());
}

BOOL GetFileVersionInfoExW(DWORD, LPCWSTR fileName, DWORD, DWORD size, LPVOID data) {
    if (data == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<BYTE> block;
    if (!BlockOf(fileName, block)) {
        return FALSE;
    }
    if (size < block.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(data, block.data(), block.size());
    return TRUE;
}

BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT length) {
    if (block == nullptr || subBlock == nullptr || buffer == nullptr || length == nullptr) {
        return FALSE;
    }
    const auto* bytes = static_cast<const BYTE*>(block);
    const WORD blockLength = WordAt(bytes, 0);
    const WORD valueLength = WordAt(bytes, 2);
    if (blockLength < kRootValueOffset || kRootValueOffset + valueLength > blockLength ||
        std::memcmp(bytes + 6, kRootKey, sizeof(kRootKey)) != 0 ||
        std::u16string_view(subBlock) != u"\\") {
        return FALSE;
    }
    *buffer = const_cast<BYTE*>(bytes + kRootValueOffset);
    *length = valueLength;
    return TRUE;
}
