// Version detection against Windows identities given to the Linux layer: every named row, the
// registry's refinements and each failure path.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "foundation/encoding/charset_errors.h"
#include "foundation/encoding/exception_pl.h"
#include "platform/files/file_location.h"
#include "platform/system_information/file_version_info.h"
#include "platform/system_information/os_version.h"
#include "platform/system_information/registry_key.h"
#include "winapi/system_information/system_information_for_test.h"
#include "winapi/testing/temporary_directory.h"

namespace {

using win32_layer::SeedRegistryValue;

const std::u16string kCurrentVersion = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

std::string Name(const OSVersion& version) {
    std::string name;
    for (const WCHAR* unit = version.name; *unit != 0; ++unit)
        name += static_cast<char>(*unit);
    return name;
}

std::string Narrow(const WideString& text) {
    return std::string(text.begin(), text.end());
}

std::vector<BYTE> Bytes(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const BYTE*>(data);
    return std::vector<BYTE>(bytes, bytes + size);
}

std::vector<BYTE> TextBytes(const std::u16string& text) {
    return Bytes(text.c_str(), (text.size() + 1) * sizeof(char16_t));
}

std::vector<BYTE> Dword(DWORD value) {
    return Bytes(&value, sizeof(value));
}

struct Product {
    std::uint16_t major, minor, build;
};

// A Windows identity in the layer: GetVersionExW's answer and a system directory whose
// kernel32.dll carries a product version.
class SeededWindows : public ::testing::Test {
protected:
    void SeedVersion(const std::u16string& csd, BYTE productType = VER_NT_WORKSTATION) {
        OSVERSIONINFOEXW info{};
        // The compatibility view, which detection must not take.
        info.dwMajorVersion = 6;
        info.dwMinorVersion = 2;
        info.dwBuildNumber = 9200;
        info.dwPlatformId = VER_PLATFORM_WIN32_NT;
        std::copy(csd.begin(), csd.end(), info.szCSDVersion);
        info.wProductType = productType;
        win32_layer::SeedVersionInformation(info);
    }

    void SeedKernel32(Product product, std::size_t rootLength = sizeof(VS_FIXEDFILEINFO)) {
        VS_FIXEDFILEINFO fixed{};
        fixed.dwSignature = VS_FFI_SIGNATURE;
        fixed.dwProductVersionMS = DWORD{product.major} << 16 | product.minor;
        fixed.dwProductVersionLS = DWORD{product.build} << 16 | 1;
        std::vector<BYTE> root = Bytes(&fixed, sizeof(fixed));
        root.resize(rootLength);
        const WideString file = directory_ / WideString(u"kernel32.dll");
        CloseHandle(
            CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        win32_layer::SeedSystemDirectory(std::u16string(directory_.Path()));
        ASSERT_TRUE(win32_layer::SeedVersionResource(file, root));
    }

    const TemporaryDirectory& Directory() const { return directory_; }

private:
    ScopedWindowsIdentity identity_;
    TemporaryDirectory directory_;
};

TEST_F(SeededWindows, EachWindowsGetsItsRowsName) {
    struct Case {
        std::u16string csd;
        Product product;
        const char* name;
        bool vistaOrLater;
    };
    const Case cases[] = {
        {u"", {5, 0, 2195}, "Win2000", false},
        {u"Service Pack 4", {5, 0, 2195}, "Win2000_SP4", false},
        {u"service pack 3", {5, 1, 2600}, "WinXP_SP3", false},
        {u"SERVICE PACK 2 (beta)", {5, 1, 2600}, "WinXP_SP2", false},
        {u"Service Pack", {5, 2, 3790}, "Win2003", false},
        {u"Service Pack1", {5, 2, 3790}, "Win2003", false},
        {u"Build Service Pack 1 and 2", {5, 2, 3790}, "Win2003_SP1", false},
        {u"", {6, 0, 6000}, "Win2008", true},
        {u"Service Pack 2", {6, 0, 6002}, "WinVista_SP2", true},
        {u"", {6, 1, 7600}, "Windows7", true},
        {u"Service Pack 1", {6, 1, 7601}, "???", true},
        {u"", {6, 2, 9200}, "Windows8", true},
        {u"", {6, 3, 9600}, "???", true},
        {u"", {10, 0, 19045}, "Windows10", true},
        // What Wine reports: kernel32 of 10.0 with the service pack of its 6.1 view.
        {u"Service Pack 1", {10, 0, 19045}, "???", true},
        {u"Service Pack -3", {6, 0, 6000}, "???", true},
    };
    for (const Case& c : cases) {
        SeedVersion(c.csd);
        SeedKernel32(c.product);
        OSVersionSource source;
        const OSVersionTable table(source);
        const std::string label = std::string(c.csd.begin(), c.csd.end()) + " " +
                                  std::to_string(c.product.major) + "." +
                                  std::to_string(c.product.minor);
        EXPECT_EQ(Name(table.Current()), c.name) << label;
        EXPECT_EQ(table.Current().major, c.product.major) << label;
        EXPECT_EQ(table.Current().minor, c.product.minor) << label;
        EXPECT_EQ(table.IsVistaOrLater(), c.vistaOrLater) << label;
        EXPECT_EQ(table.ProductType(), VER_NT_WORKSTATION) << label;
    }
}

TEST_F(SeededWindows, Windows10TakesBuildAndRevisionFromTheRegistry) {
    struct Case {
        Product product;
        std::optional<std::u16string> buildText;
        std::optional<std::vector<BYTE>> revision;
        std::uint32_t build;
        std::uint32_t expectedRevision;
    };
    const Case cases[] = {
        {{10, 0, 22621}, u"22631", Dword(4169), 22631, 4169},
        {{10, 0, 18362}, u"18363", Dword(720), 18363, 720},
        // Below 18362 kernel32's build stands, but the revision is still read.
        {{10, 0, 17763}, u"99999", Dword(3), 17763, 3},
        {{6, 3, 9600}, u"9999", Dword(20), 9600, 20},
        {{10, 0, 19041}, std::nullopt, std::nullopt, 19041, 0},
        {{10, 0, 19041}, u"19045.2", std::nullopt, 19045, 0},
        {{10, 0, 19041}, u"  19045 build", Dword(0x12345), 19045, 0x2345},
        {{10, 0, 19041}, u"no number", std::vector<BYTE>{7, 1}, 0, 0x107},
        // A revision too large for the 32-bit field is not read.
        {{10, 0, 19041}, u"19045", std::vector<BYTE>(8, 1), 19045, 0},
        // Values that no integer holds are held to the 16-bit range.
        {{10, 0, 19041}, u"-5", std::nullopt, 0, 0},
        {{10, 0, 19041}, u"70000", std::nullopt, 65535, 0},
        {{10, 0, 19041}, u"1e300", std::nullopt, 65535, 0},
        {{10, 0, 19041}, u"-1e300", std::nullopt, 0, 0},
        {{10, 0, 19041}, u"inf", std::nullopt, 65535, 0},
        {{10, 0, 19041}, u"nan", std::nullopt, 0, 0},
    };
    for (const Case& c : cases) {
        win32_layer::ForgetWindowsIdentity();
        SeedVersion(u"");
        SeedKernel32(c.product);
        win32_layer::SeedRegistryKey(kCurrentVersion);
        if (c.buildText)
            SeedRegistryValue(kCurrentVersion, u"CurrentBuildNumber", REG_SZ,
                              TextBytes(*c.buildText));
        if (c.revision)
            SeedRegistryValue(kCurrentVersion, u"UBR", REG_DWORD, *c.revision);
        OSVersionSource source;
        const RealOSVersionResult& real = source.RealOSVersion();
        const std::string label =
            std::to_string(c.product.build) + " " +
            (c.buildText ? std::string(c.buildText->begin(), c.buildText->end()) : "-");
        EXPECT_EQ(real.count, 4) << label;
        EXPECT_EQ(real.major, c.product.major) << label;
        EXPECT_EQ(real.minor, c.product.minor) << label;
        EXPECT_EQ(real.build, c.build) << label;
        EXPECT_EQ(real.revision, c.expectedRevision) << label;
        EXPECT_EQ(source.GetOSVersionInfoEx()->dwBuildNumber, c.build) << label;
    }
}

TEST_F(SeededWindows, ABuildNumberOfAnotherTypeReadsAsBuildZero) {
    SeedVersion(u"");
    SeedKernel32({10, 0, 19041});
    SeedRegistryValue(kCurrentVersion, u"CurrentBuildNumber", REG_DWORD, Dword(19045));
    OSVersionSource source;
    EXPECT_EQ(source.RealOSVersion().build, 0u);
}

TEST_F(SeededWindows, WithoutTheRegistryKernel32sVersionStands) {
    SeedVersion(u"");
    SeedKernel32({10, 0, 22621});
    OSVersionSource source;
    const RealOSVersionResult& real = source.RealOSVersion();
    EXPECT_EQ(real.count, 4);
    EXPECT_EQ(real.build, 22621u);
    EXPECT_EQ(real.revision, 0u);
}

TEST_F(SeededWindows, WithoutAReadableKernel32EveryVersionNumberIsZero) {
    SeedVersion(u"Service Pack 2", VER_NT_SERVER);
    struct Case {
        const char* label;
        bool withDirectory;
        bool withResource;
        std::size_t rootLength;
    };
    const Case cases[] = {
        {"no system directory", false, false, 0},
        {"no version resource", true, false, 0},
        {"a root value of 48 bytes", true, true, 48},
        {"a root value of 56 bytes", true, true, 56},
    };
    for (const Case& c : cases) {
        win32_layer::ForgetWindowsIdentity();
        SeedVersion(u"Service Pack 2", VER_NT_SERVER);
        if (c.withResource)
            SeedKernel32({6, 0, 6002}, c.rootLength);
        else if (c.withDirectory)
            win32_layer::SeedSystemDirectory(std::u16string(Directory().Path()));
        OSVersionSource source;
        const OSVersionTable table(source);
        EXPECT_EQ(source.RealOSVersion().count, 0) << c.label;
        EXPECT_EQ(source.RealOSVersion().major, 0u) << c.label;
        EXPECT_EQ(source.GetOSVersionInfoEx()->dwMajorVersion, 0u) << c.label;
        EXPECT_EQ(table.Current().key, OSVersionKey(2, 0, 0, 2, 0)) << c.label;
        EXPECT_EQ(Name(table.Current()), "???") << c.label;
        EXPECT_EQ(table.ProductType(), VER_NT_SERVER) << c.label;
        EXPECT_FALSE(table.IsVistaOrLater()) << c.label;
    }
}

TEST_F(SeededWindows, AVersionThatCannotBeGatheredStaysUngathered) {
    SeedKernel32({10, 0, 19045});
    OSVersionSource source;
    const OSVersionTable table(source);
    EXPECT_EQ(Name(table.Current()), "???");
    EXPECT_EQ(table.Current().key, 0u);
    EXPECT_FALSE(table.IsVistaOrLater());
    // Windows is not asked again: a version that has since appeared changes nothing.
    SeedVersion(u"");
    try {
        source.GetOSVersionInfoEx();
        ADD_FAILURE();
    } catch (const ExceptionPL& error) {
        EXPECT_STREQ(error.what(), "Unable to gather OSVERSIONINFOEX");
    }
    OSVersionSource fresh;
    EXPECT_EQ(fresh.GetOSVersionInfoEx()->dwMajorVersion, 10u);
}

TEST_F(SeededWindows, TheRealVersionIsKeptOnceFoundButNotAfterAnError) {
    SeedVersion(u"");
    OSVersionSource empty;
    EXPECT_EQ(empty.RealOSVersion().count, 0);
    SeedKernel32({10, 0, 19045});
    EXPECT_EQ(empty.RealOSVersion().count, 0);

    win32_layer::SeedSystemDirectory(u"Z:\\tmp\\\xD800");
    OSVersionSource source;
    EXPECT_THROW(source.RealOSVersion(), WindowsCharacterSetResult);
    win32_layer::SeedSystemDirectory(std::u16string(Directory().Path()));
    EXPECT_EQ(source.RealOSVersion().count, 4);
    win32_layer::ForgetWindowsIdentity();
    EXPECT_EQ(source.RealOSVersion().major, 10u);
}

TEST_F(SeededWindows, FileVersionInfoCopiesOnlyAFixedInfoOfItsOwnSize) {
    SeedKernel32({10, 0, 19045});
    const FileLocation kernel32(CopiedUString<UTF8>(
        UString<UTF8>(Narrow(Directory() / WideString(u"kernel32.dll")).c_str())));
    const std::optional<VS_FIXEDFILEINFO> info = FileVersionInfo(kernel32, true);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(info->dwProductVersionMS, 0x000A0000u);
    EXPECT_EQ(FileVersionInfo(kernel32, false)->dwProductVersionLS >> 16, 19045u);
    const FileLocation missing(
        UString<UTF8>(Narrow(Directory() / WideString(u"none.dll")).c_str()));
    EXPECT_FALSE(FileVersionInfo(missing, true).has_value());
    EXPECT_FALSE(FileVersionInfo(FileLocation(UString<UTF8>("Z:\\tmp\\\xFF.dll")), true));
}

TEST_F(SeededWindows, ReadRegistryStringTakesTextUpToItsFirstNul) {
    SeedRegistryValue(u"SOFTWARE\\Vendor", u"Cut", REG_SZ,
                      TextBytes(std::u16string(u"1234\0more", 9)));
    SeedRegistryValue(u"SOFTWARE\\Vendor", u"Odd", REG_SZ, {'7', 0, '8'});
    SeedRegistryValue(u"SOFTWARE\\Vendor", u"Number", REG_DWORD, Dword(5));
    RegistryKey key;
    ASSERT_EQ(OpenRegistryKey(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Vendor", key, KEY_READ),
              ERROR_SUCCESS);
    struct Case {
        const char16_t* name;
        LSTATUS status;
        std::u16string text;
    };
    const Case cases[] = {
        {u"Cut", ERROR_SUCCESS, u"1234"},
        {u"Odd", ERROR_SUCCESS, u"78"},
        {u"Number", ERROR_SUCCESS, u"kept"},
        {u"Missing", ERROR_FILE_NOT_FOUND, u"kept"},
    };
    for (const Case& c : cases) {
        std::basic_string<WCHAR> text = u"kept";
        EXPECT_EQ(ReadRegistryString(key.Get(), c.name, text), c.status);
        EXPECT_EQ(text, c.text);
    }
}

TEST_F(SeededWindows, ARegistryKeyHolderKeepsItsKeyWhenAnOpenFails) {
    win32_layer::SeedRegistryKey(u"SOFTWARE\\Vendor");
    RegistryKey key;
    ASSERT_EQ(OpenRegistryKey(HKEY_LOCAL_MACHINE, u"SOFTWARE", key, KEY_READ), ERROR_SUCCESS);
    const HKEY first = key.Get();
    EXPECT_EQ(OpenRegistryKey(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Nothing", key, KEY_READ),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.Get(), first);
    ASSERT_EQ(OpenRegistryKey(first, u"Vendor", key, KEY_READ), ERROR_SUCCESS);
    // The first key was closed when the second took its place.
    EXPECT_EQ(RegCloseKey(first), ERROR_INVALID_HANDLE);
}

} // namespace
