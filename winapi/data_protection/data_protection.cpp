// Sealing with AES-256-GCM under the machine key, in the blob layout of the header.
#include "winapi/data_protection/data_protection.h"

#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "winapi/data_protection/machine_key.h"
#include "winapi/errors/errors.h"
#include "winapi/errors/messages.h"
#include "winapi/internal/fault_injection.h"

namespace {

using win32_layer::InjectedFailure;
using win32_layer::kMachineKeyIdentifierBytes;
using win32_layer::LayerCall;
using win32_layer::MachineKey;

constexpr unsigned char kMagic[4] = {'Q', 'D', 'P', 'B'};
constexpr unsigned char kFormatVersion = 1;
constexpr unsigned char kMachineScope = 1;
constexpr std::size_t kVersionOffset = 4;
constexpr std::size_t kScopeOffset = 5;
constexpr std::size_t kIdentifierOffset = 6;
constexpr std::size_t kDescriptionLengthOffset = kIdentifierOffset + kMachineKeyIdentifierBytes;
constexpr std::size_t kDescriptionOffset = kDescriptionLengthOffset + 4;
constexpr std::size_t kNonceBytes = 12;
constexpr std::size_t kTagBytes = 16;
constexpr std::size_t kSmallestBlob = kDescriptionOffset + kNonceBytes + kTagBytes;
constexpr DWORD kHandledFlags = CRYPTPROTECT_UI_FORBIDDEN | CRYPTPROTECT_LOCAL_MACHINE;

// Windows' sealing leaves OpenSSL alone, so what libcrypto reports here must not reach the
// error queue that the caller's own OpenSSL failures are described from.
class ErrorQueueMark {
public:
    ErrorQueueMark() { ERR_set_mark(); }
    ErrorQueueMark(const ErrorQueueMark&) = delete;
    ErrorQueueMark& operator=(const ErrorQueueMark&) = delete;
    ~ErrorQueueMark() { ERR_pop_to_mark(); }
};

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

BOOL Fail(DWORD code) {
    SetLastError(code);
    return FALSE;
}

void PutLength(unsigned char* target, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        target[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

std::uint32_t GetLength(const unsigned char* source) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | source[i];
    }
    return value;
}

// Windows wants the data's pointer even for no bytes.
bool IsValidInput(const DATA_BLOB* blob) {
    return blob != nullptr && blob->pbData != nullptr;
}

// An absent entropy and an empty one, {0, null}, are the same.
bool IsValidEntropy(const DATA_BLOB* entropy) {
    return entropy == nullptr || entropy->cbData == 0 || entropy->pbData != nullptr;
}

DWORD CheckRequest(const CRYPTPROTECT_PROMPTSTRUCT* prompt, DWORD flags) {
    if ((flags & ~kHandledFlags) != 0) {
        return ERROR_NOT_SUPPORTED;
    }
    if (prompt == nullptr) {
        return ERROR_SUCCESS;
    }
    if (prompt->cbSize != sizeof(CRYPTPROTECT_PROMPTSTRUCT)) {
        return ERROR_INVALID_PARAMETER;
    }
    return prompt->dwPromptFlags == 0 ? ERROR_SUCCESS : ERROR_NOT_SUPPORTED;
}

// GCM takes lengths as int, so larger pieces go through in parts. A null output feeds
// authenticated data.
bool Update(EVP_CIPHER_CTX* context, unsigned char* output, const unsigned char* input,
            std::size_t bytes) {
    constexpr std::size_t kPiece = std::size_t{1} << 30;
    while (bytes > 0) {
        const std::size_t piece = bytes < kPiece ? bytes : kPiece;
        int written = 0;
        if (EVP_CipherUpdate(context, output, &written, input, static_cast<int>(piece)) != 1 ||
            (output != nullptr && static_cast<std::size_t>(written) != piece)) {
            return false;
        }
        if (output != nullptr) {
            output += piece;
        }
        input += piece;
        bytes -= piece;
    }
    return true;
}

// The header up to the ciphertext, then the entropy's length and bytes.
bool AddAuthenticatedData(EVP_CIPHER_CTX* context, const unsigned char* header,
                          std::size_t headerBytes, const DATA_BLOB* entropy) {
    const DWORD entropyBytes = entropy == nullptr ? 0 : entropy->cbData;
    unsigned char length[4];
    PutLength(length, entropyBytes);
    return Update(context, nullptr, header, headerBytes) &&
           Update(context, nullptr, length, sizeof length) &&
           (entropyBytes == 0 || Update(context, nullptr, entropy->pbData, entropyBytes));
}

CipherContext StartCipher(const MachineKey& key, const unsigned char* nonce, bool encrypt) {
    CipherContext context(EVP_CIPHER_CTX_new());
    if (context == nullptr || EVP_CipherInit_ex(context.get(), EVP_aes_256_gcm(), nullptr,
                                                key.bytes, nonce, encrypt ? 1 : 0) != 1) {
        return nullptr;
    }
    return context;
}

// Writes the ciphertext and, after it, the tag.
bool Encrypt(const MachineKey& key, const unsigned char* header, std::size_t headerBytes,
             const DATA_BLOB* entropy, const unsigned char* plaintext, std::size_t bytes,
             unsigned char* ciphertext) {
    const unsigned char* nonce = header + headerBytes - kNonceBytes;
    const CipherContext context = StartCipher(key, nonce, true);
    int ignored = 0;
    return context != nullptr &&
           AddAuthenticatedData(context.get(), header, headerBytes, entropy) &&
           Update(context.get(), ciphertext, plaintext, bytes) &&
           EVP_EncryptFinal_ex(context.get(), ciphertext + bytes, &ignored) == 1 &&
           EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, kTagBytes,
                               ciphertext + bytes) == 1;
}

std::size_t DescriptionBytes(LPCWSTR description) {
    std::size_t units = 0;
    if (description != nullptr) {
        while (description[units] != 0) {
            ++units;
        }
    }
    return units * sizeof(WCHAR);
}

void StoreDescription(unsigned char* target, LPCWSTR description, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes / 2; ++i) {
        target[2 * i] = static_cast<unsigned char>(description[i]);
        target[2 * i + 1] = static_cast<unsigned char>(description[i] >> 8);
    }
}

// Null for an allocation failure, with the last error set by LocalAlloc.
LPWSTR CopyDescription(const unsigned char* stored, std::size_t bytes) {
    auto* copy = static_cast<LPWSTR>(LocalAlloc(LMEM_FIXED, bytes + sizeof(WCHAR)));
    if (copy != nullptr) {
        for (std::size_t i = 0; i < bytes / 2; ++i) {
            copy[i] = static_cast<WCHAR>(stored[2 * i] | (stored[2 * i + 1] << 8));
        }
        copy[bytes / 2] = 0;
    }
    return copy;
}

} // namespace

BOOL CryptProtectData(DATA_BLOB* dataIn, LPCWSTR description, DATA_BLOB* optionalEntropy, PVOID,
                      CRYPTPROTECT_PROMPTSTRUCT* prompt, DWORD flags, DATA_BLOB* dataOut) {
    if (dataOut != nullptr) {
        *dataOut = {0, nullptr};
    }
    if (InjectedFailure(LayerCall::CryptProtectData)) {
        return FALSE;
    }
    if (!IsValidInput(dataIn) || !IsValidEntropy(optionalEntropy) || dataOut == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (const DWORD refused = CheckRequest(prompt, flags); refused != ERROR_SUCCESS) {
        return Fail(refused);
    }
    if ((flags & CRYPTPROTECT_LOCAL_MACHINE) == 0) {
        return Fail(ERROR_NOT_SUPPORTED);
    }
    const ErrorQueueMark mark;
    const std::size_t descriptionBytes = DescriptionBytes(description);
    const std::uint64_t total =
        std::uint64_t{kSmallestBlob} + descriptionBytes + std::uint64_t{dataIn->cbData};
    if (total > 0xFFFFFFFF) {
        return Fail(ERROR_INVALID_PARAMETER);
    }

    MachineKey key;
    if (const DWORD loading = win32_layer::LoadMachineKey(key, true); loading != ERROR_SUCCESS) {
        return Fail(loading);
    }
    auto* blob = static_cast<unsigned char*>(LocalAlloc(LMEM_FIXED, static_cast<SIZE_T>(total)));
    if (blob == nullptr) {
        return FALSE;
    }
    std::memcpy(blob, kMagic, sizeof kMagic);
    blob[kVersionOffset] = kFormatVersion;
    blob[kScopeOffset] = kMachineScope;
    unsigned char identifier[kMachineKeyIdentifierBytes];
    const bool identified = win32_layer::IdentifyMachineKey(key, identifier);
    std::memcpy(blob + kIdentifierOffset, identifier, sizeof identifier);
    PutLength(blob + kDescriptionLengthOffset, static_cast<std::uint32_t>(descriptionBytes));
    StoreDescription(blob + kDescriptionOffset, description, descriptionBytes);
    const std::size_t headerBytes = kDescriptionOffset + descriptionBytes + kNonceBytes;
    unsigned char* nonce = blob + headerBytes - kNonceBytes;

    const bool sealed = identified && RAND_bytes(nonce, kNonceBytes) == 1 &&
                        Encrypt(key, blob, headerBytes, optionalEntropy, dataIn->pbData,
                                dataIn->cbData, blob + headerBytes);
    if (!sealed) {
        OPENSSL_cleanse(blob, static_cast<std::size_t>(total));
        LocalFree(blob);
        return Fail(ERROR_INTERNAL_ERROR);
    }
    *dataOut = {static_cast<DWORD>(total), blob};
    return TRUE;
}

BOOL CryptUnprotectData(DATA_BLOB* dataIn, LPWSTR* description, DATA_BLOB* optionalEntropy, PVOID,
                        CRYPTPROTECT_PROMPTSTRUCT* prompt, DWORD flags, DATA_BLOB* dataOut) {
    if (dataOut != nullptr) {
        *dataOut = {0, nullptr};
    }
    if (description != nullptr) {
        *description = nullptr;
    }
    if (InjectedFailure(LayerCall::CryptUnprotectData)) {
        return FALSE;
    }
    if (!IsValidInput(dataIn) || !IsValidEntropy(optionalEntropy) || dataOut == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (const DWORD refused = CheckRequest(prompt, flags); refused != ERROR_SUCCESS) {
        return Fail(refused);
    }

    const ErrorQueueMark mark;
    const unsigned char* blob = dataIn->pbData;
    const std::size_t size = dataIn->cbData;
    if (size < kSmallestBlob || std::memcmp(blob, kMagic, sizeof kMagic) != 0 ||
        blob[kVersionOffset] != kFormatVersion || blob[kScopeOffset] != kMachineScope) {
        return Fail(ERROR_INVALID_DATA);
    }
    const std::size_t descriptionBytes = GetLength(blob + kDescriptionLengthOffset);
    if (descriptionBytes % 2 != 0 || descriptionBytes > size - kSmallestBlob) {
        return Fail(ERROR_INVALID_DATA);
    }
    const std::size_t headerBytes = kDescriptionOffset + descriptionBytes + kNonceBytes;
    const unsigned char* nonce = blob + headerBytes - kNonceBytes;
    const unsigned char* ciphertext = blob + headerBytes;
    const std::size_t plaintextBytes = size - kSmallestBlob - descriptionBytes;
    unsigned char tag[kTagBytes];
    std::memcpy(tag, ciphertext + plaintextBytes, kTagBytes);

    MachineKey key;
    if (const DWORD loading = win32_layer::LoadMachineKey(key, false); loading != ERROR_SUCCESS) {
        return Fail(loading);
    }
    unsigned char identifier[kMachineKeyIdentifierBytes];
    if (!win32_layer::IdentifyMachineKey(key, identifier)) {
        return Fail(ERROR_INTERNAL_ERROR);
    }
    if (std::memcmp(identifier, blob + kIdentifierOffset, sizeof identifier) != 0) {
        return Fail(static_cast<DWORD>(NTE_BAD_KEY_STATE));
    }

    auto* plaintext = static_cast<unsigned char*>(LocalAlloc(LMEM_FIXED, plaintextBytes));
    if (plaintext == nullptr) {
        return FALSE;
    }
    // The plaintext is written before the tag is checked, so a failure must wipe it.
    const auto discard = [&](DWORD code) {
        OPENSSL_cleanse(plaintext, plaintextBytes);
        LocalFree(plaintext);
        return Fail(code);
    };
    const CipherContext context = StartCipher(key, nonce, false);
    if (context == nullptr ||
        !AddAuthenticatedData(context.get(), blob, headerBytes, optionalEntropy) ||
        !Update(context.get(), plaintext, ciphertext, plaintextBytes) ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_TAG, kTagBytes, tag) != 1) {
        return discard(ERROR_INTERNAL_ERROR);
    }
    int ignored = 0;
    if (EVP_DecryptFinal_ex(context.get(), plaintext + plaintextBytes, &ignored) != 1) {
        return discard(static_cast<DWORD>(NTE_BAD_DATA));
    }
    if (description != nullptr) {
        *description = CopyDescription(blob + kDescriptionOffset, descriptionBytes);
        if (*description == nullptr) {
            return discard(ERROR_NOT_ENOUGH_MEMORY);
        }
    }
    *dataOut = {static_cast<DWORD>(plaintextBytes), plaintext};
    return TRUE;
}

PVOID SecureZeroMemory(PVOID memory, SIZE_T bytes) {
    OPENSSL_cleanse(memory, bytes);
    return memory;
}
