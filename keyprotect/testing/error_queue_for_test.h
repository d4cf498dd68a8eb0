// The calling thread's OpenSSL error queue as the texts that an error's description lists.
#pragma once

#include <openssl/err.h>

#include <cstdint>
#include <string>
#include <vector>

#include "keyprotect/openssl/openssl_errors.h"

// Oldest first; empties the queue.
inline std::vector<std::string> DrainedTexts() {
    std::vector<std::string> texts;
    while (const unsigned long code = ERR_get_error())
        texts.push_back(OpenSSLErrorText(static_cast<std::uint32_t>(code)));
    return texts;
}

inline std::string Joined(const std::vector<std::string>& texts) {
    std::string joined;
    for (const std::string& text : texts)
        joined += (joined.empty() ? "" : "; ") + text;
    return joined;
}
