#include "foundation/numbers/int128.h"

#include <sstream>
#include <utility>

namespace {

constexpr std::size_t kDigits = 32;
constexpr std::size_t kHalfDigits = 16;

// `digits` has had its sign removed; it is cut or padded at the front to 32 characters.
void ReadHalves(std::string digits, std::uint64_t& high, std::uint64_t& low) {
    if (digits.size() > kDigits)
        digits.erase(0, digits.size() - kDigits);
    else
        digits.insert(0, kDigits - digits.size(), '0');
    std::istringstream stream;
    stream >> std::hex;
    stream.str(digits.substr(0, kHalfDigits));
    stream >> high;
    stream.clear();
    stream.str(digits.substr(kHalfDigits));
    stream >> low;
}

} // namespace

Int128 ParseInt128Hex(const std::string& text) {
    Int128 result;
    if (text.empty())
        return result;
    std::string digits = text;
    if (digits.front() == '-') {
        result.negative = true;
        digits.erase(0, 1);
    }
    ReadHalves(std::move(digits), result.high, result.low);
    return result;
}

UInt128 ParseUInt128Hex(const std::string& text) {
    UInt128 result;
    if (text.empty())
        return result;
    std::string digits = text;
    if (digits.front() == '-')
        digits.erase(0, 1);
    ReadHalves(std::move(digits), result.high, result.low);
    return result;
}
