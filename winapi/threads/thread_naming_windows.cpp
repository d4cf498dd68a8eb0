#include "winapi/threads/thread_naming.h"

#include <windows.h>

namespace {

constexpr DWORD kSetThreadNameException = 0x406D1388;

LONG CALLBACK SwallowThreadNameException(EXCEPTION_POINTERS* info) {
    return info->ExceptionRecord->ExceptionCode == kSetThreadNameException
               ? EXCEPTION_CONTINUE_EXECUTION
               : EXCEPTION_CONTINUE_SEARCH;
}

struct ThreadNameRecord {
    DWORD type;
    LPCSTR name;
    DWORD threadId;
    DWORD flags;
};
static_assert(sizeof(ThreadNameRecord) == 24);

} // namespace

void AnnounceThreadNameToDebugger(const char* name) noexcept {
    ThreadNameRecord record{0x1000, name, 0xFFFFFFFF, 0};
    PVOID handler = AddVectoredExceptionHandler(1, SwallowThreadNameException);
    if (handler == nullptr)
        return;
    RaiseException(kSetThreadNameException, 0, sizeof(record) / sizeof(ULONG_PTR),
                   reinterpret_cast<const ULONG_PTR*>(&record));
    RemoveVectoredExceptionHandler(handler);
}
