// The limits of a second test unit, for comparing with the asking unit's own.
#pragma once

#include "foundation/numbers/int128.h"

struct Int128Limits {
    const Int128* max;
    const Int128* min;
    const UInt128* unsignedMax;
};

Int128Limits LimitsOfSecondUnit();
// Copies of them that the second unit's own start-up made.
Int128Limits LimitsCopiedAtSecondUnitsStartUp();
