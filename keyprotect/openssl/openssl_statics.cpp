#include "keyprotect/openssl/openssl_statics.h"

const CopiedUString<UTF8>
    DefaultCipherList(UString<UTF8>("HIGH:!ADH:!AECDH:!kDH:!kECDH:!kRSA:!PSK:!SRP:!SHA1"));

const std::uint64_t* const ZeroFilledRecord = new std::uint64_t[4]{};
