// Win32 base types with their Win64 widths.
#pragma once

#include <cstddef>
#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using INT = std::int32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using HRESULT = LONG;
using WCHAR = char16_t;
using CHAR = char;

using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using SIZE_T = std::size_t;

using LPVOID = void*;
using LPCVOID = const void*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPCCH = const char*;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPCWCH = const WCHAR*;
using LPBOOL = BOOL*;
using LPDWORD = DWORD*;

using HANDLE = void*;
struct HINSTANCE__;
using HMODULE = HINSTANCE__*;
using HINSTANCE = HMODULE;
struct HWND__;
using HWND = HWND__*;
using HLOCAL = void*;

inline constexpr BOOL FALSE = 0;
inline constexpr BOOL TRUE = 1;

// Also the value of the current process's pseudo-handle, which is no failure there.
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

static_assert(sizeof(SECURITY_ATTRIBUTES) == 24);
static_assert(sizeof(WCHAR) == 2 && sizeof(LONG) == 4 && sizeof(ULONG_PTR) == sizeof(void*));
