// What a program asks about the system it runs on: its version, its system directory, the
// version resources of files and the registry, with the C runtime's wide number parsers.
//
// On the Linux layer there is no Windows to describe, so each call answers as a system without
// the facility would:
// - GetVersionExW fails with ERROR_NOT_SUPPORTED (a wrong size field with
//   ERROR_INSUFFICIENT_BUFFER, as on Windows);
// - GetSystemDirectoryW returns 0 with ERROR_PATH_NOT_FOUND;
// - no file has a version resource: GetFileVersionInfoSizeExW fails with
//   ERROR_RESOURCE_TYPE_NOT_FOUND for an existing file and with the path's error for a missing
//   one;
// - the registry holds no keys: RegOpenKeyExW returns ERROR_FILE_NOT_FOUND; key names match
//   without regard to ASCII case.
// Tests can give the layer a Windows identity (system_information_for_test.h).
#pragma once

#include "winapi/base/types.h"
#include "winapi/system_information/wide_numbers.h"

using PUINT = UINT*;
using PBYTE = BYTE*;
using LPBYTE = BYTE*;

struct OSVERSIONINFOW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
};
using LPOSVERSIONINFOW = OSVERSIONINFOW*;

struct OSVERSIONINFOEXW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
};

static_assert(sizeof(OSVERSIONINFOW) == 276 && sizeof(OSVERSIONINFOEXW) == 284);

inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;
inline constexpr BYTE VER_NT_WORKSTATION = 1;
inline constexpr BYTE VER_NT_SERVER = 3;

// Takes either structure; its size field tells which.
BOOL GetVersionExW(LPOSVERSIONINFOW information);
// The length without the NUL, or the size needed with it when `size` is too small.
UINT GetSystemDirectoryW(LPWSTR buffer, UINT size);

struct VS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};

static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

inline constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BD;
inline constexpr DWORD FILE_VER_GET_NEUTRAL = 0x02;

DWORD GetFileVersionInfoSizeExW(DWORD flags, LPCWSTR fileName, LPDWORD handle);
BOOL GetFileVersionInfoExW(DWORD flags, LPCWSTR fileName, DWORD handle, DWORD size, LPVOID data);
// Only the root block "\" is known: it yields the fixed file information.
BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT length);

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;
using LSTATUS = LONG;

// The 32-bit value 0x80000002, sign-extended as on Win64.
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<LONG_PTR>(-0x7FFFFFFE));

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_READ = 0x20019;

inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;

// A null or empty sub-key opens the key itself again.
LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result);
// Without a buffer it reports the value's type and size; a buffer too small gives
// ERROR_MORE_DATA with the size needed.
LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD size);
LSTATUS RegCloseKey(HKEY key);
