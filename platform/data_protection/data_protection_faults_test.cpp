// The Linux layer's exact codes, and failures only the layer can be made to show.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/encoding/windows_error.h"
#include "platform/data_protection/data_protection.h"
#include "platform/data_protection/sealing_for_test.h"
#include "winapi/data_protection/machine_key_for_test.h"
#include "winapi/testing/fault_injection.h"

namespace {

Bytes Seal(const Bytes& data) {
    return ProtectData(RangeOf(data), u"", {}, nullptr, CRYPTPROTECT_LOCAL_MACHINE);
}

TEST(ProtectDataLayer, FailuresCarryTheLayersCodes) {
    const TestMachineKey key;
    const Bytes text = {'k', 'e', 'y'};
    const Bytes blob = Seal(text);
    Bytes changed = blob;
    changed.back() ^= 1;
    EXPECT_EQ(ErrorOf([&] { UnprotectData(RangeOf(text), {}, nullptr, 0); }), ERROR_INVALID_DATA);
    EXPECT_EQ(ErrorOf([&] { UnprotectData(RangeOf(changed), {}, nullptr, 0); }),
              static_cast<DWORD>(NTE_BAD_DATA));
    EXPECT_EQ(ErrorOf([&] { ProtectData(RangeOf(text), u"", {}, nullptr, 0); }),
              ERROR_NOT_SUPPORTED);
    {
        const TestMachineKey other;
        Seal(text);
        EXPECT_EQ(ErrorOf([&] { UnprotectData(RangeOf(blob), {}, nullptr, 0); }),
                  static_cast<DWORD>(NTE_BAD_KEY_STATE));
    }
    EXPECT_EQ(PlainCopy(UnprotectData(RangeOf(blob), {}, nullptr, 0)), text);
}

TEST(ProtectDataLayer, AFailingCallThrowsItsCode) {
    const TestMachineKey key;
    const Bytes text = {'k', 'e', 'y'};
    const Bytes blob = Seal(text);
    {
        const ScopedFaultInjection failing(LayerCall::CryptProtectData, ERROR_NOT_ENOUGH_MEMORY);
        EXPECT_EQ(ErrorOf([&] { Seal(text); }), ERROR_NOT_ENOUGH_MEMORY);
    }
    {
        const ScopedFaultInjection failing(LayerCall::CryptUnprotectData, ERROR_ACCESS_DENIED);
        EXPECT_EQ(ErrorOf([&] { UnprotectData(RangeOf(blob), {}, nullptr, 0); }),
                  ERROR_ACCESS_DENIED);
    }
    // A failure that sets no code still throws.
    {
        const ScopedFaultInjection failing(LayerCall::CryptUnprotectData, ERROR_SUCCESS);
        EXPECT_EQ(ErrorOf([&] { UnprotectData(RangeOf(blob), {}, nullptr, 0); }),
                  ERROR_INTERNAL_ERROR);
    }
}

} // namespace
