#include "winapi/user_interface/user_interface.h"

#include <fstream>
#include <iterator>
#include <span>
#include <string>

#include "winapi/errors/errors.h"
#include "winapi/internal/code_unit_output.h"
#include "winapi/internal/utf_conversions.h"
#include "winapi/modules/modules.h"

namespace {

// Any address that no other handle can have.
char executableModule;

template <typename Result>
Result NoWindowStation(Result failure) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return failure;
}

std::u16string ReadCommandLine() {
    std::ifstream stream("/proc/self/cmdline", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    while (!bytes.empty() && bytes.back() == '\0') {
        bytes.pop_back();
    }
    for (char& unit : bytes) {
        if (unit == '\0') {
            unit = ' ';
        }
    }
    const std::span<const unsigned char> source(
        reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    win32_layer::CodeUnitOutput<char16_t> counter(nullptr, 0);
    win32_layer::Utf8ToUtf16(source, false, counter);
    std::u16string text(counter.Count(), u'\0');
    win32_layer::CodeUnitOutput<char16_t> output(text.data(), text.size());
    win32_layer::Utf8ToUtf16(source, false, output);
    return text;
}

} // namespace

HMODULE GetModuleHandleW(LPCWSTR name) {
    if (name != nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(&executableModule);
}

LPWSTR GetCommandLineW() {
    static std::u16string commandLine = ReadCommandLine();
    return commandLine.data();
}

BOOL FreeConsole() {
    return TRUE;
}

HWINSTA GetProcessWindowStation() {
    return NoWindowStation<HWINSTA>(nullptr);
}

HICON LoadIconW(HINSTANCE, LPCWSTR) {
    return NoWindowStation<HICON>(nullptr);
}

ATOM RegisterClassW(const WNDCLASSW*) {
    return NoWindowStation<ATOM>(0);
}

LRESULT DefWindowProcW(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

HWND CreateWindowExW(DWORD, LPCWSTR, LPCWSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE,
                     LPVOID) {
    return NoWindowStation<HWND>(nullptr);
}

BOOL DestroyWindow(HWND) {
    return NoWindowStation<BOOL>(FALSE);
}

int MessageBoxW(HWND, LPCWSTR, LPCWSTR, UINT) {
    return NoWindowStation(0);
}

BOOL SystemParametersInfoW(UINT, UINT, LPVOID, UINT) {
    return NoWindowStation<BOOL>(FALSE);
}

BOOL GetWindowRect(HWND, RECT*) {
    return NoWindowStation<BOOL>(FALSE);
}

BOOL SetWindowPos(HWND, HWND, int, int, int, int, UINT) {
    return NoWindowStation<BOOL>(FALSE);
}
