// key_conversion_floor <site key> <password> <encrypt|decrypt> <input dir> <output dir>
// Converts the six keys as the tool does, in one process: OpenSSL start-up, the site key read
// with its password, then each key read and written. Failures end the run with exit code 1.
#include <cstdio>
#include <cstring>
#include <exception>

#include "keyprotect/codec/key_file_codec.h"
#include "keyprotect/keys/private_key_reading.h"
#include "keyprotect/openssl/openssl_startup.h"
#include "platform/files/file_location.h"

namespace {

constexpr const char* kKeyNames[] = {
    "AgentRootKey", "CoreKey", "GatewayKey", "HubSealKey", "PortalRootKey", "ViewerRootKey",
};

int Convert(const char* siteKey, const char* password, bool encrypt, const char* inputDir,
            const char* outputDir) {
    InitializeOpenSSL(false);
    const PrivateKeyHolder site =
        ReadPrivateKeyFile(FileLocation(UString<UTF8>(siteKey)), UString<UTF8>(password));
    const char* inputPrefix = encrypt ? "Decrypted" : "Encrypted";
    const char* outputPrefix = encrypt ? "Encrypted" : "Decrypted";
    const FileLocation input{UString<UTF8>(inputDir)};
    const FileLocation output{UString<UTF8>(outputDir)};
    char name[64];
    for (const char* key : kKeyNames) {
        std::snprintf(name, sizeof name, "%s%s", inputPrefix, key);
        const PrivateKeyHolder converted = ReadKeyFile(FileLocation(input, name), !encrypt);
        std::snprintf(name, sizeof name, "%s%s", outputPrefix, key);
        WriteKeyFile(converted.Get(), FileLocation(output, name), encrypt);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool encrypt = argc == 6 && std::strcmp(argv[3], "encrypt") == 0;
    if (argc != 6 || (!encrypt && std::strcmp(argv[3], "decrypt") != 0)) {
        std::fputs("usage: key_conversion_floor <site key> <password> <encrypt|decrypt> "
                   "<input dir> <output dir>\n",
                   stderr);
        return 2;
    }
    try {
        return Convert(argv[1], argv[2], encrypt, argv[4], argv[5]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "key_conversion_floor: %s\n", error.what());
    } catch (...) {
        std::fputs("key_conversion_floor: conversion failed\n", stderr);
    }
    return 1;
}
