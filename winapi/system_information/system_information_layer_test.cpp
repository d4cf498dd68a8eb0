// The layer's calls against a Windows identity given by the test: what the Linux layer alone can
// show, since Windows's own identity cannot be chosen.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "winapi/system_information/system_information_for_test.h"
#include "winapi/testing/temporary_directory.h"

namespace {

using win32_layer::SeedRegistryValue;

WideString W(const char* text) {
    return WideString(text, text + std::char_traits<char>::length(text));
}

std::vector<BYTE> Bytes(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const BYTE*>(data);
    return std::vector<BYTE>(bytes, bytes + size);
}

std::vector<BYTE> TextBytes(const std::u16string& text) {
    return Bytes(text.c_str(), (text.size() + 1) * sizeof(char16_t));
}

WideString MakeFile(const TemporaryDirectory& directory, const char* name) {
    const WideString path = directory / W(name);
    CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    return path;
}

TEST(SeededSystem, GetVersionExWFillsEitherStructure) {
    const ScopedWindowsIdentity identity;
    OSVERSIONINFOEXW seeded{};
    seeded.dwMajorVersion = 6;
    seeded.dwMinorVersion = 1;
    seeded.dwBuildNumber = 7601;
    seeded.dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::memcpy(seeded.szCSDVersion, u"Service Pack 1", 30);
    seeded.wServicePackMajor = 1;
    seeded.wProductType = VER_NT_SERVER;
    win32_layer::SeedVersionInformation(seeded);

    OSVERSIONINFOEXW extended{};
    extended.dwOSVersionInfoSize = sizeof(extended);
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&extended)));
    EXPECT_EQ(extended.dwOSVersionInfoSize, DWORD{sizeof(extended)});
    EXPECT_EQ(extended.dwBuildNumber, DWORD{7601});
    EXPECT_EQ(extended.wProductType, VER_NT_SERVER);
    EXPECT_EQ(WideView(extended.szCSDVersion), W("Service Pack 1"));

    // The short structure gets nothing past its own end.
    struct {
        OSVERSIONINFOW info;
        BYTE after[8];
    } plain{};
    plain.info.dwOSVersionInfoSize = sizeof(plain.info);
    ASSERT_TRUE(GetVersionExW(&plain.info));
    EXPECT_EQ(plain.info.dwMinorVersion, DWORD{1});
    EXPECT_EQ(plain.after[0], 0);
}

TEST(SeededSystem, GetSystemDirectoryWAsksForRoomForTheNul) {
    const ScopedWindowsIdentity identity;
    win32_layer::SeedSystemDirectory(u"C:\\Windows\\system32");
    WCHAR exact[19];
    EXPECT_EQ(GetSystemDirectoryW(exact, 19), UINT{20});
    WCHAR room[20];
    EXPECT_EQ(GetSystemDirectoryW(room, 20), UINT{19});
    EXPECT_EQ(WideView(room), W("C:\\Windows\\system32"));
}

TEST(SeededSystem, AVersionResourceYieldsItsRootValue) {
    const ScopedWindowsIdentity identity;
    TemporaryDirectory directory;
    const WideString file = MakeFile(directory, "kernel32.dll");
    VS_FIXEDFILEINFO fixed{};
    fixed.dwSignature = VS_FFI_SIGNATURE;
    fixed.dwProductVersionMS = 0x000A0000;
    fixed.dwProductVersionLS = 0x4A650000;
    ASSERT_TRUE(win32_layer::SeedVersionResource(file, Bytes(&fixed, sizeof(fixed))));

    DWORD handle = 7;
    const DWORD size = GetFileVersionInfoSizeExW(FILE_VER_GET_NEUTRAL, file.c_str(), &handle);
    ASSERT_GT(size, DWORD{sizeof(fixed)});
    EXPECT_EQ(handle, DWORD{0});
    std::vector<BYTE> block(size);
    EXPECT_FALSE(
        GetFileVersionInfoExW(FILE_VER_GET_NEUTRAL, file.c_str(), 0, size - 1, block.data()));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INSUFFICIENT_BUFFER});
    ASSERT_TRUE(GetFileVersionInfoExW(FILE_VER_GET_NEUTRAL, file.c_str(), 0, size, block.data()));

    LPVOID value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), u"\\", &value, &length));
    ASSERT_EQ(length, UINT{sizeof(fixed)});
    EXPECT_EQ(std::memcmp(value, &fixed, sizeof(fixed)), 0);
    EXPECT_FALSE(VerQueryValueW(block.data(), u"\\StringFileInfo", &value, &length));
    // A block of anything else is no version block.
    std::vector<BYTE> other(size, 0x41);
    EXPECT_FALSE(VerQueryValueW(other.data(), u"\\", &value, &length));
}

// An empty root value has no storage to copy from, which the sanitized build would catch.
TEST(SeededSystem, AnEmptyRootValueGivesABlockOfTheKeyAlone) {
    const ScopedWindowsIdentity identity;
    TemporaryDirectory directory;
    const WideString file = MakeFile(directory, "empty.dll");
    ASSERT_TRUE(win32_layer::SeedVersionResource(file, {}));

    const DWORD size = GetFileVersionInfoSizeExW(FILE_VER_GET_NEUTRAL, file.c_str(), nullptr);
    ASSERT_GT(size, DWORD{0});
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoExW(FILE_VER_GET_NEUTRAL, file.c_str(), 0, size, block.data()));
    LPVOID value = nullptr;
    UINT length = 7;
    ASSERT_TRUE(VerQueryValueW(block.data(), u"\\", &value, &length));
    EXPECT_EQ(length, UINT{0});
    EXPECT_EQ(value, block.data() + size);
}

TEST(SeededSystem, AVersionResourceNeedsItsFile) {
    const ScopedWindowsIdentity identity;
    TemporaryDirectory directory;
    const WideString file = directory / W("gone.dll");
    ASSERT_TRUE(win32_layer::SeedVersionResource(file, {1, 2, 3, 4}));
    EXPECT_EQ(GetFileVersionInfoSizeExW(FILE_VER_GET_NEUTRAL, file.c_str(), nullptr), DWORD{0});
    EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
    const WideString plain = MakeFile(directory, "plain.dll");
    EXPECT_EQ(GetFileVersionInfoSizeExW(FILE_VER_GET_NEUTRAL, plain.c_str(), nullptr), DWORD{0});
    EXPECT_EQ(GetLastError(), DWORD{ERROR_RESOURCE_TYPE_NOT_FOUND});
}

TEST(SeededSystem, RegistryValuesAreReadAsOnWindows) {
    const ScopedWindowsIdentity identity;
    SeedRegistryValue(u"SOFTWARE\\Vendor\\Product", u"Build", REG_SZ, TextBytes(u"19045"));
    const DWORD revision = 4170;
    SeedRegistryValue(u"SOFTWARE\\Vendor\\Product", u"UBR", REG_DWORD,
                      Bytes(&revision, sizeof(revision)));

    HKEY vendor = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"software\\VENDOR", 0, KEY_READ, &vendor),
              ERROR_SUCCESS);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(vendor, u"Product", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(vendor), ERROR_SUCCESS);

    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExW(key, u"build", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, DWORD{12});
    WCHAR text[6] = {};
    DWORD room = 10;
    EXPECT_EQ(
        RegQueryValueExW(key, u"Build", nullptr, nullptr, reinterpret_cast<LPBYTE>(text), &room),
        ERROR_MORE_DATA);
    EXPECT_EQ(room, DWORD{12});
    ASSERT_EQ(
        RegQueryValueExW(key, u"Build", nullptr, nullptr, reinterpret_cast<LPBYTE>(text), &room),
        ERROR_SUCCESS);
    EXPECT_EQ(WideView(text), W("19045"));

    DWORD value = 0;
    room = sizeof(value);
    ASSERT_EQ(
        RegQueryValueExW(key, u"UBR", nullptr, &type, reinterpret_cast<LPBYTE>(&value), &room),
        ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(value, revision);
    EXPECT_EQ(RegQueryValueExW(key, u"Missing", nullptr, nullptr, nullptr, &room),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(
        RegQueryValueExW(key, u"UBR", nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), nullptr),
        ERROR_INVALID_PARAMETER);

    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExW(key, u"UBR", nullptr, nullptr, nullptr, &room),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Vendor\\Other", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
}

TEST(SeededSystem, ForgettingTheIdentityEmptiesEverything) {
    {
        const ScopedWindowsIdentity identity;
        win32_layer::SeedSystemDirectory(u"C:\\Windows\\system32");
        win32_layer::SeedRegistryKey(u"SOFTWARE\\Vendor");
    }
    WCHAR directory[MAX_PATH + 1];
    EXPECT_EQ(GetSystemDirectoryW(directory, MAX_PATH + 1), UINT{0});
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
}

} // namespace
