// A server key file in either of its forms: plain PEM text, or that text sealed for this
// computer. Both operations throw what their steps throw, unchanged.
#pragma once

#include <openssl/evp.h>

#include "keyprotect/keys/openssl_holders.h"
#include "platform/files/file_location.h"

// Unseals first when `decrypt`. A PEM key under a pass phrase is tried with the empty one only.
PrivateKeyHolder ReadKeyFile(const FileLocation& input, bool decrypt);

// Writes the unencrypted PKCS#8 text, sealed when `encrypt`, through a temporary file in the
// output's directory that is then moved onto the output: the output is either untouched or
// complete. A failure once the temporary file exists removes it, as it may hold the plain key.
void WriteKeyFile(EVP_PKEY* key, const FileLocation& output, bool encrypt);
