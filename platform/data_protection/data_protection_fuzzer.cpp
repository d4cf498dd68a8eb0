// Input: two bytes choosing a position, one byte choosing a change, then the sealed text, a NUL,
// a description, a NUL, and the entropy (which may hold NULs).
//
// Properties: a sealed text unseals to itself with its entropy; a blob with any one byte
// changed, cut at any length, or met with other entropy never unseals, and fails as not a blob,
// another machine key or damaged data; the input itself, which no key of this run sealed, never
// unseals either.
#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/encoding/windows_error.h"
#include "foundation/testing/fuzz_input.h"
#include "platform/data_protection/data_protection.h"
#include "platform/data_protection/sealing_for_test.h"
#include "winapi/data_protection/machine_key_for_test.h"

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

bool IsRefusal(DWORD code) {
    return code == ERROR_INVALID_DATA || code == static_cast<DWORD>(NTE_BAD_KEY_STATE) ||
           code == static_cast<DWORD>(NTE_BAD_DATA);
}

// No data comes back: UnprotectData throws, with one of the refusal codes.
void RequireRefused(const Bytes& blob, const Bytes& entropy) {
    Require(
        IsRefusal(ErrorOf([&] { UnprotectData(RangeOf(blob), RangeOf(entropy), nullptr, 0); })));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A key of this run's own, never the computer's.
    static const TestMachineKey key;
    if (size < 3)
        return 0;
    const std::size_t position = data[0] | (std::size_t{data[1]} << 8);
    const unsigned char mask = data[2] == 0 ? 1 : data[2];
    const std::vector<std::string> pieces = SplitFuzzInput(data + 3, size - 3, 3);
    const Bytes text = BytesOf(pieces[0]);
    std::u16string description;
    if (pieces.size() > 1)
        description.assign(pieces[1].begin(), pieces[1].end());
    const Bytes entropy = pieces.size() > 2 ? BytesOf(pieces[2]) : Bytes();
    std::vector<WCHAR> units(description.begin(), description.end());
    units.push_back(0);

    const Bytes blob = ProtectData(RangeOf(text), units.data(), RangeOf(entropy), nullptr,
                                   CRYPTPROTECT_LOCAL_MACHINE);
    Require(PlainCopy(UnprotectData(RangeOf(blob), RangeOf(entropy), nullptr, 0)) == text);

    Bytes changed = blob;
    changed[position % changed.size()] ^= mask;
    RequireRefused(changed, entropy);
    RequireRefused(Bytes(blob.begin(), blob.begin() + position % blob.size()), entropy);
    Bytes otherEntropy = entropy;
    otherEntropy.push_back(mask);
    RequireRefused(blob, otherEntropy);
    RequireRefused(Bytes(data, data + size), entropy);
    return 0;
}
