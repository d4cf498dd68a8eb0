#include "platform/system_information/os_version.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/encoding/exception_pl.h"
#include "foundation/testing/texts.h"
#include "winapi/testing/target_guards.h"

namespace {

std::string Name(const OSVersion& version) {
    std::string name;
    for (const WCHAR* unit = version.name; *unit != 0; ++unit)
        name += static_cast<char>(*unit);
    return name;
}

TEST(OSVersionKeyTest, OrdersByEachPartInTurnAndWrapsBeyond) {
    EXPECT_EQ(OSVersionKey(2, 6, 0, 0, 0), 20'006'000'000'000'000u);
    EXPECT_EQ(OSVersionKey(2, 10, 0, 1, 0), 20'010'000'000'010'000u);
    EXPECT_LT(OSVersionKey(2, 6, 0, 9999, 0), OSVersionKey(2, 6, 1, 0, 0));
    EXPECT_LT(OSVersionKey(1, 9999, 9999, 9999, 9999), OSVersionKey(2, 0, 0, 0, 0));
    const OSVersion unset = OSVersion::Unset();
    EXPECT_EQ(unset.key, 0x4A389035B5A3E7EFu);
    EXPECT_EQ(Name(unset), "???");
    EXPECT_EQ(unset.platform, 0xFFFFFFFFu);
    EXPECT_EQ(unset.sub, 0xFFFFFFFFu);
}

TEST(OSVersionTableTest, HoldsTheKnownVersionsInOrder) {
    const OSVersionTable& table = OSVersionTable::Instance();
    ASSERT_EQ(table.Count(), 28);
    struct Row {
        int index;
        const char* name;
        std::uint32_t platform, major, minor, servicePack;
    };
    const Row rows[] = {
        {0, "Win31", 0, 3, 1, 0},        {1, "Win95", 1, 4, 1, 0},
        {3, "WinME", 1, 4, 90, 0},       {4, "WinNT_351", 2, 3, 51, 0},
        {10, "Win2000_SP4", 2, 5, 0, 4}, {14, "WinXP_SP3", 2, 5, 1, 3},
        {17, "Win2003_SP2", 2, 5, 2, 2}, {18, "Win2008", 2, 6, 0, 0},
        {19, "WinVista", 2, 6, 0, 0},    {23, "WinVista_SP4", 2, 6, 0, 4},
        {24, "Windows7", 2, 6, 1, 0},    {25, "Windows8", 2, 6, 2, 0},
        {26, "Windows10", 2, 10, 0, 0},
    };
    for (const Row& row : rows) {
        const OSVersion& version = table.Row(row.index);
        EXPECT_EQ(Name(version), row.name) << row.index;
        EXPECT_EQ(version.key, OSVersionKey(row.platform, row.major, row.minor, row.servicePack, 0))
            << row.name;
        EXPECT_EQ(version.sub, 0u) << row.name;
    }
    EXPECT_EQ(Name(table.Row(27)), "Unknown");
    EXPECT_EQ(table.Row(27).key, OSVersion::Unset().key);
    EXPECT_EQ(Name(table.Row(28)), "???");
    EXPECT_EQ(Name(table.Row(OSVersionTable::kCapacity - 1)), "???");
}

TEST(OSVersionTableTest, TheLinuxLayerIsNoKnownWindows) {
    SKIP_ON_WINDOWS_BECAUSE("Windows has a version");
    const OSVersionTable& table = OSVersionTable::Instance();
    EXPECT_EQ(Name(table.Current()), "???");
    EXPECT_EQ(table.Current().key, 0u);
    EXPECT_EQ(table.ProductType(), 0);
    EXPECT_FALSE(IsVistaOrLater());
    EXPECT_EQ(RealOSVersion().count, 0);
    EXPECT_THROW(GetOSVersionInfoEx(), ExceptionPL);
}

} // namespace
