// Making the Linux layer's WinSock offer an older highest version, as an old system would. The
// Linux layer only.
#pragma once

#if defined(_WIN32)
#error "a chosen WinSock version exists only in the Linux layer"
#endif

#include "winapi/win32.h"

namespace win32_layer {

// MAKEWORD(2, 2) unless a test chose another.
void SetHighestWinsockVersion(WORD version);

} // namespace win32_layer

class ScopedHighestWinsockVersion {
public:
    explicit ScopedHighestWinsockVersion(WORD version) {
        win32_layer::SetHighestWinsockVersion(version);
    }
    ScopedHighestWinsockVersion(const ScopedHighestWinsockVersion&) = delete;
    ScopedHighestWinsockVersion& operator=(const ScopedHighestWinsockVersion&) = delete;
    ~ScopedHighestWinsockVersion() { win32_layer::SetHighestWinsockVersion(MAKEWORD(2, 2)); }
};
