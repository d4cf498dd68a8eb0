#include "foundation/threads/thread_local_ptr.h"

#include "foundation/encoding/windows_error.h"

DWORD ThreadLocalPtrAllocateIndex() {
    const DWORD index = TlsAlloc();
    if (index == TLS_OUT_OF_INDEXES)
        ThrowFailedCall();
    return index;
}

void ThreadLocalPtrFreeIndex(DWORD index) {
    CheckWin32(TlsFree(index));
}

// A null value is only a failure when the call left a last error.
void* ThreadLocalPtrGetValue(DWORD index) {
    void* const value = TlsGetValue(index);
    if (value == nullptr)
        ThrowLastError();
    return value;
}

void ThreadLocalPtrSetValue(DWORD index, void* value) {
    CheckWin32(TlsSetValue(index, value));
}
