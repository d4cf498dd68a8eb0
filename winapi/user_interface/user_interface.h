// Windows, message boxes, the console and the process's own module. The Linux layer has no window
// station: every window call fails with ERROR_NOT_SUPPORTED, so that callers stay on the console.
#pragma once

#include "winapi/base/types.h"

struct HICON__;
using HICON = HICON__*;
struct HCURSOR__;
using HCURSOR = HCURSOR__*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HMENU__;
using HMENU = HMENU__*;
struct HWINSTA__;
using HWINSTA = HWINSTA__*;
using ATOM = WORD;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSW {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr UINT MB_OK = 0;
inline constexpr UINT SPI_GETWORKAREA = 0x0030;
inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;

inline LPCWSTR MAKEINTRESOURCEW(WORD id) {
    return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(id));
}

// Null names the executable; the layer knows no other loaded module by this call.
HMODULE GetModuleHandleW(LPCWSTR name);
// The arguments the process was started with, separated by blanks.
LPWSTR GetCommandLineW();
BOOL FreeConsole();

HWINSTA GetProcessWindowStation();
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
ATOM RegisterClassW(const WNDCLASSW* windowClass);
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
HWND CreateWindowExW(DWORD extendedStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID parameter);
BOOL DestroyWindow(HWND window);
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
BOOL SystemParametersInfoW(UINT action, UINT parameter, LPVOID data, UINT update);
BOOL GetWindowRect(HWND window, RECT* rectangle);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
