#include "foundation/streams/data_filter.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint8_t kNotADigit = 0xFF;

constexpr ByteTable MakeBase64DecodeTable() {
    ByteTable table{};
    table.fill(kNotADigit);
    constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::uint8_t value = 0; value < 64; ++value)
        table[static_cast<unsigned char>(kAlphabet[value])] = value;
    return table;
}

constexpr ByteTable kBase64Decode = MakeBase64DecodeTable();

void MapThrough(const ByteTable& table, ByteRange& input, MutableByteRange& output) {
    const std::size_t count = std::min(input.Length(), output.Length());
    std::transform(input.begin(), input.begin() + count, output.begin(),
                   [&table](unsigned char byte) { return table[byte]; });
    input.Advance(count);
    output.Advance(count);
}

} // namespace

const ByteTable& Base64DecodeTable() {
    return kBase64Decode;
}

void DataFilter::Filter(ByteRange& input, MutableByteRange& output) {
    const std::size_t count = std::min(input.Length(), output.Length());
    if (count > 0)
        std::memcpy(output.begin(), input.begin(), count);
    input.Advance(count);
    output.Advance(count);
}

void Base64Decoder::Filter(ByteRange& input, MutableByteRange& output) {
    while (!input.IsEmpty()) {
        const std::uint8_t digit = kBase64Decode[*input.begin()];
        input.Advance(1);
        if (digit & 0x80)
            continue;
        pendingBits_ += 6;
        accumulator_ = (accumulator_ << 6) | digit;
        if (pendingBits_ < 8)
            continue;
        pendingBits_ -= 8;
        if (output.IsEmpty())
            throw DataOverflow();
        *output.begin() = static_cast<unsigned char>(accumulator_ >> pendingBits_);
        output.Advance(1);
        if (output.IsEmpty())
            return;
    }
}

namespace Ascii {

void CaseLoweringFilter::Filter(ByteRange& input, MutableByteRange& output) {
    MapThrough(AsciiLowerTable(), input, output);
}

void CaseRaisingFilter::Filter(ByteRange& input, MutableByteRange& output) {
    MapThrough(AsciiUpperTable(), input, output);
}

} // namespace Ascii

constinit DataFilter ThePassThroughFilter;
constinit Ascii::CaseLoweringFilter TheCaseLoweringFilter;
constinit Ascii::CaseRaisingFilter TheCaseRaisingFilter;
