#include "foundation/numbers/int128_second_unit.h"

namespace {

// Built after the limits, which the header defines earlier in this unit.
const Int128 maxCopy = Int128Max;
const Int128 minCopy = Int128Min;
const UInt128 unsignedMaxCopy = UInt128Max;

} // namespace

Int128Limits LimitsOfSecondUnit() {
    return {&Int128Max, &Int128Min, &UInt128Max};
}

Int128Limits LimitsCopiedAtSecondUnitsStartUp() {
    return {&maxCopy, &minCopy, &unsignedMaxCopy};
}
