// Splits one fuzz input into the pieces a target needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The input's NUL-separated pieces, at most `maxPieces`; the last one keeps any further NULs.
inline std::vector<std::string> SplitFuzzInput(const std::uint8_t* data, std::size_t size,
                                               std::size_t maxPieces) {
    std::vector<std::string> pieces(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && pieces.size() < maxPieces)
            pieces.emplace_back();
        else
            pieces.back().push_back(static_cast<char>(data[i]));
    }
    return pieces;
}
