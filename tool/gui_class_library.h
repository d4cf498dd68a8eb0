// What the tool needs of a GUI class library, built on plain user32: its start-up test, the
// module state, window-class registration, centring, and the exception classes that such a
// library throws by pointer.
#pragma once

#include "winapi/win32.h"

struct AfxModuleState {
    HINSTANCE m_hCurrentInstanceHandle = nullptr;
    HINSTANCE m_hCurrentResourceHandle = nullptr;
};

AfxModuleState* AfxGetModuleState();

// Records the instance and answers whether the process can show windows at all; the Linux layer
// has no window station, so there it answers FALSE.
BOOL AfxWinInit(HINSTANCE instance, HINSTANCE previousInstance, LPWSTR commandLine, int show);

// The name of a class with the default window procedure and these attributes, registered on the
// first call; raises Windows::Error when the class cannot be registered.
LPCWSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon);

// Centres the window on the work area of the screen. Only cosmetic, so a failure is ignored.
void CenterWindow(HWND window);

// Thrown by pointer; the catcher calls Delete, which frees an object allocated for throwing.
class CException {
public:
    explicit CException(bool autoDelete = true) : m_bAutoDelete(autoDelete) {}
    CException(const CException&) = delete;
    CException& operator=(const CException&) = delete;

    // Writes the NUL-terminated text into `buffer` of `capacity` units; FALSE when there is none.
    virtual BOOL GetErrorMessage(LPWSTR buffer, UINT capacity, UINT* helpContext = nullptr) const;
    void Delete();

protected:
    virtual ~CException() = default;

private:
    bool m_bAutoDelete;
};

// What allocation throws when memory runs out.
class CMemoryException : public CException {
public:
    using CException::CException;
};
