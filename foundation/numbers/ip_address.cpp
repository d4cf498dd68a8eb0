#include "foundation/numbers/ip_address.h"

#include <algorithm>
#include <cstring>

#include "foundation/errors/data_overflow.h"
#include "foundation/numbers/number_text.h"

namespace {

constexpr std::size_t kAreaSize = 60;

// Pieces and group separators are cut to the room left; the "." of the dotted tail and the zone
// separator demand room instead.
class AddressText {
public:
    void Put(UString<UTF8> piece) {
        const std::size_t count = std::min<std::size_t>(piece.Length(), kAreaSize - length_);
        std::memcpy(text_ + length_, piece.begin(), count);
        length_ += count;
    }
    void Put(char unit) { Put(UString<UTF8>(&unit, &unit + 1)); }
    void PutChecked(char unit) {
        if (length_ == kAreaSize)
            throw DataOverflow();
        text_[length_++] = unit;
    }
    ConstData<60> Result() const { return ConstData<60>(UString<UTF8>(text_, text_ + length_)); }

private:
    char text_[kAreaSize];
    std::size_t length_ = 0;
};

void PutDecimal(AddressText& text, std::uint8_t byte) {
    text.Put(ToDecimal32(byte, 1).View());
}

void PutDottedTail(AddressText& text, const IpAddress& address) {
    for (int i = 12; i < 16; ++i) {
        if (i > 12)
            text.PutChecked('.');
        PutDecimal(text, address.address[i]);
    }
}

void PutGroup(AddressText& text, std::uint32_t group, bool suppressLeadingZeros) {
    char digits[4];
    for (int i = 0; i < 4; ++i)
        digits[i] = HexDigit((group >> (12 - 4 * i)) & 0xF);
    const char* first = digits;
    if (suppressLeadingZeros)
        while (first < digits + 3 && *first == '0')
            ++first;
    text.Put(UString<UTF8>(first, digits + 4));
}

struct ZeroRun {
    int start = 0;
    int length = 0;
};

// The first of the longest runs of zero groups; length 0 when no group is zero.
ZeroRun LongestZeroRun(const std::uint32_t* groups, int count) {
    ZeroRun best;
    for (int i = 0; i < count;) {
        if (groups[i] != 0) {
            ++i;
            continue;
        }
        int end = i;
        while (end < count && groups[end] == 0)
            ++end;
        if (end - i > best.length)
            best = ZeroRun{i, end - i};
        i = end;
    }
    return best;
}

void PutIpv4(AddressText& text, const IpAddress& address, char separator) {
    if (separator == 0)
        separator = '.';
    for (int i = 12; i < 16; ++i) {
        if (i > 12)
            text.Put(separator);
        PutDecimal(text, address.address[i]);
    }
}

void PutIpv6(AddressText& text, const IpAddress& address, std::int32_t mode, char separator) {
    if (separator == 0)
        separator = ':';
    const bool standard = separator == ':';
    const bool dottedTail = standard && (mode == 1 || mode == 3);
    const bool compress = standard && (mode == 2 || mode == 3);
    const bool suppressLeadingZeros = mode != 0;

    const int count = dottedTail ? 6 : 8;
    std::uint32_t groups[8];
    for (int i = 0; i < count; ++i)
        groups[i] = std::uint32_t(address.address[2 * i]) << 8 | address.address[2 * i + 1];
    const ZeroRun run = compress ? LongestZeroRun(groups, count) : ZeroRun{};

    for (int i = 0; i < count;) {
        if (run.length > 0 && i == run.start) {
            text.Put(separator);
            if (run.start + run.length == count && !dottedTail)
                text.Put(separator);
            i = run.start + run.length;
            continue;
        }
        if (i > 0)
            text.Put(separator);
        PutGroup(text, groups[i], suppressLeadingZeros);
        ++i;
    }
    if (dottedTail) {
        text.Put(separator);
        PutDottedTail(text, address);
    }
}

} // namespace

ConstData<60> FormatIpAddress(const IpAddress& address, bool forceIpv6, std::int32_t mode,
                              char separator, bool appendZone, char zoneSeparator) {
    AddressText text;
    if (address.family == 0 && !forceIpv6) {
        PutIpv4(text, address, separator);
        return text.Result();
    }
    PutIpv6(text, address, mode, separator);
    // The zone need not be terminated when it fills its array.
    const char* zone = address.zone;
    const char* zoneEnd = std::find(zone, zone + sizeof address.zone, '\0');
    if (appendZone && zoneEnd != zone) {
        text.PutChecked(zoneSeparator != 0 ? zoneSeparator : '%');
        text.Put(UString<UTF8>(zone, zoneEnd));
    }
    return text.Result();
}
