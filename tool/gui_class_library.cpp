#include "tool/gui_class_library.h"

#include "foundation/encoding/windows_error.h"

namespace {

AfxModuleState moduleState;

constexpr WCHAR kOwnerClassName[] = WIDE("QuendraOwnerWindow");

} // namespace

AfxModuleState* AfxGetModuleState() {
    if (moduleState.m_hCurrentInstanceHandle == nullptr) {
        moduleState.m_hCurrentInstanceHandle = GetModuleHandleW(nullptr);
        moduleState.m_hCurrentResourceHandle = moduleState.m_hCurrentInstanceHandle;
    }
    return &moduleState;
}

BOOL AfxWinInit(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    moduleState.m_hCurrentInstanceHandle = instance;
    moduleState.m_hCurrentResourceHandle = instance;
    return GetProcessWindowStation() != nullptr ? TRUE : FALSE;
}

LPCWSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    [[maybe_unused]] static const bool registered = [&] {
        WNDCLASSW windowClass{};
        windowClass.style = classStyle;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = AfxGetModuleState()->m_hCurrentInstanceHandle;
        windowClass.hIcon = icon;
        windowClass.hCursor = cursor;
        windowClass.hbrBackground = background;
        windowClass.lpszClassName = kOwnerClassName;
        if (RegisterClassW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
            ThrowFailedCall();
        }
        return true;
    }();
    return kOwnerClassName;
}

void CenterWindow(HWND window) {
    RECT workArea{};
    RECT bounds{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0) ||
        !GetWindowRect(window, &bounds)) {
        return;
    }
    const LONG width = bounds.right - bounds.left;
    const LONG height = bounds.bottom - bounds.top;
    SetWindowPos(window, nullptr, workArea.left + (workArea.right - workArea.left - width) / 2,
                 workArea.top + (workArea.bottom - workArea.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CException::GetErrorMessage(LPWSTR buffer, UINT capacity, UINT*) const {
    if (buffer != nullptr && capacity > 0) {
        buffer[0] = 0;
    }
    return FALSE;
}

void CException::Delete() {
    if (m_bAutoDelete) {
        delete this;
    }
}
