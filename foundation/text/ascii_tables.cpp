#include "foundation/text/ascii_tables.h"

namespace {

constexpr ByteTable MakeCaseTable(std::uint8_t from, std::uint8_t to) {
    ByteTable table{};
    for (int byte = 0; byte < 256; ++byte)
        table[byte] = std::uint8_t(byte);
    for (int letter = 0; letter < 26; ++letter)
        table[from + letter] = std::uint8_t(to + letter);
    return table;
}

constexpr ByteSet MakeWhiteSpaceSet() {
    ByteSet set;
    for (std::uint8_t byte : {'\t', '\n', '\r', ' '})
        set.Add(byte);
    return set;
}

constexpr ByteSet MakeNameCharSet() {
    ByteSet set;
    for (int byte = 0; byte < 256; ++byte) {
        const bool name = (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
                          (byte >= 'a' && byte <= 'z') || byte == '_';
        if (name)
            set.Add(std::uint8_t(byte));
    }
    return set;
}

constexpr ByteTable kLower = MakeCaseTable('A', 'a');
constexpr ByteTable kUpper = MakeCaseTable('a', 'A');
constexpr ByteSet kWhiteSpace = MakeWhiteSpaceSet();
constexpr ByteSet kNameChars = MakeNameCharSet();

} // namespace

const ByteTable& AsciiLowerTable() {
    return kLower;
}
const ByteTable& AsciiUpperTable() {
    return kUpper;
}
const ByteSet& AsciiWhiteSpaceSet() {
    return kWhiteSpace;
}
const ByteSet& AsciiNameCharSet() {
    return kNameChars;
}
