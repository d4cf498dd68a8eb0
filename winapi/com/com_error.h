// The COM error exception without COM: it carries an HRESULT and never has error information.
#pragma once

#include <string>

#include "winapi/base/types.h"

// Never made here: the layer has no COM objects.
struct IErrorInfo {
    virtual ~IErrorInfo() = default;
    virtual ULONG Release() = 0;
};

// The counted wide string of a COM error's description or source; always empty here.
class _bstr_t {
public:
    operator const WCHAR*() const { return nullptr; }
    unsigned length() const { return 0; }
};

class _com_error {
public:
    explicit _com_error(HRESULT result, IErrorInfo* info = nullptr)
        : result_(result), info_(info) {}

    HRESULT Error() const { return result_; }
    IErrorInfo* ErrorInfo() const { return info_; }
    _bstr_t Description() const { return {}; }
    _bstr_t Source() const { return {}; }
    // The system's message for the code; null when it has none.
    const WCHAR* ErrorMessage() const;

private:
    HRESULT result_;
    IErrorInfo* info_;
    mutable std::u16string message_;
};
