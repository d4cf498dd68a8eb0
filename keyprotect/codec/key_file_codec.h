// A server key file in either of its forms: plain PEM text, or that text sealed for this
// computer. Both operations throw what their steps throw, unchanged, and hold the plain text
// only in memory that is wiped before it is released.
#pragma once

#include <openssl/evp.h>

#include "keyprotect/keys/openssl_holders.h"
#include "platform/files/file_location.h"

// Unseals first when `decrypt`. A PEM key under a pass phrase is tried with the empty one only.
PrivateKeyHolder ReadKeyFile(const FileLocation& input, bool decrypt);

// Writes the unencrypted PKCS#8 text, sealed when `encrypt`, through a temporary file in the
// output's directory that is then moved onto the output: the output is either absent or
// complete. An output that exists by then, even one that appeared after the caller looked, is
// never replaced: the move fails with ERROR_ALREADY_EXISTS. A failure once the temporary file
// exists removes it, as it may hold the plain key.
void WriteKeyFile(EVP_PKEY* key, const FileLocation& output, bool encrypt);
