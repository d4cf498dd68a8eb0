// Reading PEM private keys through OpenSSL, from a file or from memory. Which PEM forms load
// (traditional, PKCS#8, encrypted PKCS#8) is OpenSSL's decision; the password reaches it through
// PasswordCallback, which it calls only for an encrypted key.
#pragma once

#include <openssl/bio.h>

#include "foundation/streams/byte_range.h"
#include "foundation/text/ustring.h"
#include "keyprotect/keys/openssl_holders.h"
#include "platform/files/file_location.h"

// Requires a completed OpenSSL start-up. Tries the password as given, then once more converted
// to the ANSI code page, whatever made the first attempt fail; only the second attempt's error
// reaches the caller, and its text lists the reasons of both. A key that loads leaves nothing of
// its attempts in the thread's OpenSSL error queue.
PrivateKeyHolder ReadPrivateKeyFile(const FileLocation& path, UString<UTF8> password);

// The file is opened by OpenSSL with its name in the ANSI code page, and closed with the BIO.
BioHolder OpenFileBioForReading(const FileLocation& path);

PrivateKeyHolder ReadPrivateKey(BIO* bio, UString<UTF8> password);
PrivateKeyHolder ReadPrivateKeyWithCallbackData(BIO* bio, const UString<UTF8>* password);

// OpenSSL's pass-phrase callback; `data` points to the password range. Copies the password
// without a NUL and returns its length, or returns 0 and copies nothing when it is empty or does
// not fit the buffer.
int PasswordCallback(char* buffer, int size, int rwflag, void* data);

BioHolder NewBio(const BIO_METHOD* method);
// A read-only BIO over the bytes, which are not copied and must outlive it. An empty range, or
// one too long for OpenSSL's 32-bit lengths, raises NewBIOFailed before OpenSSL sees it.
BioHolder NewMemoryBio(ByteRange bytes);
