// Base64 decoding, fed in chunks of any size: encoded bytes decode to themselves, and any input
// yields one byte for every full eight bits of its alphabet characters.
#include <cstdlib>
#include <string>

#include "foundation/streams/data_filter.h"

namespace {

std::string Encode(const std::string& bytes) {
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            group |= static_cast<unsigned char>(bytes[i + 2]);
        const std::size_t characters = std::min<std::size_t>(bytes.size() - i, 3) + 1;
        for (std::size_t k = 0; k < 4; ++k)
            text.push_back(k < characters ? alphabet[(group >> (18 - 6 * k)) & 0x3F] : '=');
    }
    return text;
}

// Feeds `input` in chunks of `chunk` bytes into an output with room for exactly `expected`.
std::string Decode(const std::string& input, std::size_t chunk, std::size_t expected) {
    Base64Decoder decoder;
    std::string output(expected, '\0');
    MutableByteRange room(reinterpret_cast<unsigned char*>(output.data()), output.size());
    const auto* next = reinterpret_cast<const unsigned char*>(input.data());
    const auto* end = next + input.size();
    while (next < end) {
        const auto* stop = end - next > static_cast<std::ptrdiff_t>(chunk) ? next + chunk : end;
        ByteRange piece(next, stop);
        decoder.Filter(piece, room);
        if (!piece.IsEmpty() && room.IsEmpty()) {
            // Whatever is left must carry no further whole byte.
            std::size_t bits = 0;
            for (const unsigned char byte : std::string(piece.begin(), end))
                bits += Base64DecodeTable()[byte] != 255 ? 6 : 0;
            if (bits >= 8)
                std::abort();
            break;
        }
        next = piece.begin();
    }
    if (!room.IsEmpty())
        std::abort();
    return output;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t chunk = data[0] % 7 + 1;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    if (Decode(Encode(bytes), chunk, bytes.size()) != bytes)
        std::abort();

    std::size_t alphabetCharacters = 0;
    for (const unsigned char byte : bytes)
        alphabetCharacters += Base64DecodeTable()[byte] != 255 ? 1 : 0;
    Decode(bytes, chunk, alphabetCharacters * 6 / 8);
    return 0;
}
