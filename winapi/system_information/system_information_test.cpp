// What a program meets when it asks the system about itself, on both targets: the real answers
// under Wine, the answers of a system without Windows on the Linux layer.
#include <gtest/gtest.h>

#include <vector>

#include "winapi/testing/target_guards.h"
#include "winapi/testing/temporary_directory.h"

namespace {

WideString W(const char* text) {
    return WideString(text, text + std::char_traits<char>::length(text));
}

TEST(SystemInformation, GetVersionExWRefusesAnUnknownStructureSize) {
    for (const DWORD size : {DWORD{0}, DWORD{275}, DWORD{280}, DWORD{300}}) {
        OSVERSIONINFOEXW info{};
        info.dwOSVersionInfoSize = size;
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&info))) << size;
        // Wine refuses without setting the last error.
        if (!RunningUnderWine()) {
            EXPECT_EQ(GetLastError(), DWORD{ERROR_INSUFFICIENT_BUFFER}) << size;
        }
    }
}

TEST(SystemInformation, TheLinuxLayerDescribesNoWindows) {
    SKIP_ON_WINDOWS_BECAUSE("Windows has a version and a system directory");
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    EXPECT_FALSE(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&info)));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_NOT_SUPPORTED});
    WCHAR directory[MAX_PATH + 1];
    EXPECT_EQ(GetSystemDirectoryW(directory, MAX_PATH + 1), UINT{0});
    EXPECT_EQ(GetLastError(), DWORD{ERROR_PATH_NOT_FOUND});
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                            W("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion").c_str(), 0,
                            KEY_READ, &key),
              LSTATUS{ERROR_FILE_NOT_FOUND});
}

TEST(SystemInformation, AFileWithoutVersionResourceHasNoSize) {
    TemporaryDirectory directory;
    const WideString missing = directory / W("missing.dll");
    DWORD handle = 1;
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetFileVersionInfoSizeExW(FILE_VER_GET_NEUTRAL, missing.c_str(), &handle), DWORD{0});
    EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
    EXPECT_EQ(handle, DWORD{0});

    const WideString plain = directory / W("plain.dll");
    const HANDLE file =
        CreateFileW(plain.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, "no resource", 11, &written, nullptr));
    CloseHandle(file);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetFileVersionInfoSizeExW(FILE_VER_GET_NEUTRAL, plain.c_str(), &handle), DWORD{0});
    EXPECT_NE(GetLastError(), DWORD{ERROR_SUCCESS});
}

TEST(SystemInformation, AMissingRegistryKeyIsNotFound) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, W("SOFTWARE\\No Such Vendor 4f1c").c_str(), 0,
                            KEY_READ, &key),
              LSTATUS{ERROR_FILE_NOT_FOUND});
    EXPECT_EQ(key, nullptr);
}

TEST(SystemInformation, TheRootKeyReportsAValueSizeBeforeItsData) {
    HKEY key = nullptr;
    const LSTATUS opened = RegOpenKeyExW(
        HKEY_LOCAL_MACHINE, W("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion").c_str(), 0,
        KEY_READ, &key);
    if (opened == LSTATUS{ERROR_FILE_NOT_FOUND})
        GTEST_SKIP() << "the system has no such key: the Linux layer's registry is empty";
    ASSERT_EQ(opened, LSTATUS{ERROR_SUCCESS});
    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(
        RegQueryValueExW(key, W("CurrentBuildNumber").c_str(), nullptr, &type, nullptr, &size),
        LSTATUS{ERROR_SUCCESS});
    EXPECT_EQ(type, REG_SZ);
    ASSERT_GT(size, DWORD{2});
    std::vector<BYTE> data(size);
    DWORD tooSmall = 2;
    EXPECT_EQ(RegQueryValueExW(key, W("CurrentBuildNumber").c_str(), nullptr, nullptr, data.data(),
                               &tooSmall),
              LSTATUS{ERROR_MORE_DATA});
    EXPECT_EQ(tooSmall, size);
    EXPECT_EQ(RegQueryValueExW(key, W("No Such Value").c_str(), nullptr, nullptr, nullptr, &size),
              LSTATUS{ERROR_FILE_NOT_FOUND});
    EXPECT_EQ(RegCloseKey(key), LSTATUS{ERROR_SUCCESS});
}

} // namespace
