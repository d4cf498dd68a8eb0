// Sealing data so that only this computer can open it again.
//
// On the Linux layer the secret is one machine key: 32 random bytes in a file that only its
// owner (root, or the account that made it) can read, /var/lib/quendra/machine-key by default
// (directory 0700, file 0600). QUENDRA_LAYER_MACHINE_KEY may name another absolute path without
// "." or ".." components (else ERROR_INVALID_NAME); tests use it, and a set-user-ID process
// ignores it. The key is made on the first sealing, once and atomically: an unnamed file in the
// key's directory is written, synced and linked onto the key's name without replacing one, so
// that two first runs agree on one key and a crash leaves no temporary file; where the file
// system has no unnamed files, a named temporary file is moved there instead. A key file that
// exists but is not a regular file of exactly 32 bytes with one name, owned by the caller or
// root, of mode 0600 or 0400, in a directory that neither group nor others can write, is refused
// with NTE_KEYSET_ENTRY_BAD and never replaced: a new key would leave every sealed file
// unreadable. The key file is opened without following a symbolic link. Unsealing never makes a
// key.
//
// Blob layout (all lengths little-endian):
//   offset      size  field
//   0           4     magic "QDPB"
//   4           1     format version, 1
//   5           1     scope, 1 = machine
//   6           8     key identifier: the first 8 bytes of SHA-256 over a fixed label and the key
//   14          4     description length D in bytes, even
//   18          D     description, UTF-16LE without its terminator
//   18+D        12    nonce, random for each sealing
//   30+D        N     ciphertext: AES-256-GCM of the data under the machine key
//   30+D+N      16    GCM tag
// The tag covers the bytes 0 to 30+D, then the entropy's length (4 bytes) and the entropy, which
// the blob does not hold: a changed header, description, nonce or ciphertext, or other entropy,
// fails the tag.
//
// Results and last-error codes:
// - CryptProtectData needs CRYPTPROTECT_LOCAL_MACHINE: the layer has no secret of a user's own,
//   and sealing for a user with the machine key would open the data to every account that can
//   read that key. Without it the call fails with ERROR_NOT_SUPPORTED. CryptUnprotectData takes
//   the scope from the blob, so flags 0 unseal machine blobs as on Windows.
// - CRYPTPROTECT_UI_FORBIDDEN is accepted; the layer never shows anything. Other flags, and a
//   prompt structure that asks for a prompt, fail with ERROR_NOT_SUPPORTED; a prompt structure of
//   the wrong size with ERROR_INVALID_PARAMETER.
// - Unsealing: not a blob of this layer, or cut short: ERROR_INVALID_DATA; no machine key:
//   NTE_BAD_KEYSET; sealed under another machine key: NTE_BAD_KEY_STATE; any byte changed or
//   other entropy: NTE_BAD_DATA. No data comes back on a failure; the outputs stay empty.
// - Input without a data pointer, even of no bytes, fails with ERROR_INVALID_PARAMETER as on
//   Windows; an entropy of {0, null} is no entropy. A blob whose length would not fit a DWORD:
//   ERROR_INVALID_PARAMETER.
// - Results are LocalAlloc blocks, also for empty data, which the caller frees with LocalFree.
#pragma once

#include "winapi/base/types.h"

using PVOID = void*;
using PBYTE = BYTE*;

inline constexpr DWORD CRYPTPROTECT_UI_FORBIDDEN = 0x1;
inline constexpr DWORD CRYPTPROTECT_LOCAL_MACHINE = 0x4;
inline constexpr DWORD CRYPTPROTECT_CRED_SYNC = 0x8;
inline constexpr DWORD CRYPTPROTECT_AUDIT = 0x10;
inline constexpr DWORD CRYPTPROTECT_NO_RECOVERY = 0x20;
inline constexpr DWORD CRYPTPROTECT_VERIFY_PROTECTION = 0x40;

inline constexpr DWORD CRYPTPROTECT_PROMPT_ON_UNPROTECT = 0x1;
inline constexpr DWORD CRYPTPROTECT_PROMPT_ON_PROTECT = 0x2;

struct DATA_BLOB {
    DWORD cbData;
    BYTE* pbData;
};
using PDATA_BLOB = DATA_BLOB*;

struct CRYPTPROTECT_PROMPTSTRUCT {
    DWORD cbSize;
    DWORD dwPromptFlags;
    HWND hwndApp;
    LPCWSTR szPrompt;
};
using PCRYPTPROTECT_PROMPTSTRUCT = CRYPTPROTECT_PROMPTSTRUCT*;

static_assert(sizeof(DATA_BLOB) == 16 && sizeof(CRYPTPROTECT_PROMPTSTRUCT) == 24);

BOOL CryptProtectData(DATA_BLOB* dataIn, LPCWSTR description, DATA_BLOB* optionalEntropy,
                      PVOID reserved, CRYPTPROTECT_PROMPTSTRUCT* prompt, DWORD flags,
                      DATA_BLOB* dataOut);
BOOL CryptUnprotectData(DATA_BLOB* dataIn, LPWSTR* description, DATA_BLOB* optionalEntropy,
                        PVOID reserved, CRYPTPROTECT_PROMPTSTRUCT* prompt, DWORD flags,
                        DATA_BLOB* dataOut);

// Overwrites memory in a way the compiler may not drop, for buffers that held secrets.
PVOID SecureZeroMemory(PVOID memory, SIZE_T bytes);
