// Writing a private key as PKCS#8 PEM, and the BIO that hands what OpenSSL writes straight to a
// DataWriter.
#pragma once

#include <openssl/bio.h>
#include <openssl/evp.h>

#include "foundation/streams/data_writer.h"
#include "foundation/text/ustring.h"
#include "keyprotect/keys/openssl_holders.h"

// Without a cipher the key is written unencrypted, as a "PRIVATE KEY" block, and the password
// is not used. A password too long for OpenSSL's 32-bit length raises before OpenSSL sees it.
void WritePkcs8PrivateKey(BIO* bio, EVP_PKEY* key, const EVP_CIPHER* cipher,
                          UString<UTF8> password);

// A BIO of the process's one "data writer" method, writing into `writer`, which is not owned and
// must outlive it. Raises NewWritingBIOFailed when the method cannot be built; the next call
// tries again.
BioHolder NewDataWriterBio(DataWriter* writer);

// The method's callbacks. A writer that throws makes a write fail with -1; nothing is thrown
// into OpenSSL. Of the controls only a flush succeeds.
int DataWriterBioWrite(BIO* bio, const char* data, int length);
int DataWriterBioPuts(BIO* bio, const char* text);
long DataWriterBioCtrl(BIO* bio, int command, long argument, void* pointer);
