// Objects that the OpenSSL start-up unit builds before main; nothing reads them, as the system
// makes no TLS connection.
#pragma once

#include <cstdint>

#include "foundation/text/ustring.h"

// "HIGH:!ADH:!AECDH:!kDH:!kECDH:!kRSA:!PSK:!SRP:!SHA1", held in the string's inline buffer.
extern const CopiedUString<UTF8> DefaultCipherList;
// Four zero words on the heap, never released.
extern const std::uint64_t* const ZeroFilledRecord;
