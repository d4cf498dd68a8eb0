// Win32 error codes as exceptions, and the guards called right after failing Win32 calls.
#pragma once

#include <cstdint>

#include "foundation/errors/debuggable_exception.h"
#include "foundation/text/lifetime_bound.h"
#include "foundation/text/ustring.h"
#include "winapi/win32.h"

namespace Windows {

// Describes itself as "Windows Error 0x{err}: {msg}" from the system's message for the code,
// searching `module`'s message table first when one is given.
class Error : public DebuggableException {
public:
    Error(DWORD code, HMODULE module);
    // The texts are composed anew by the copy.
    Error(const Error& other);
    ~Error() override = default;

    const char* what() const noexcept QUENDRA_LIFETIME_BOUND override;
    // The range ends with a NUL byte that is counted in its length, so that what() can convert
    // it in one piece; the class-name fallback has none.
    UString<UTF8> Message() const noexcept QUENDRA_LIFETIME_BOUND override;

    DWORD Code() const { return code_; }
    HMODULE Module() const { return module_; }

private:
    DWORD code_;
    HMODULE module_;
    mutable CopiedUString<UTF8> message_;
    mutable CopiedUString<UTF8> narrow_;
};

} // namespace Windows

// Returns for code 0: status-code APIs report success that way.
void ThrowWindowsError(DWORD code, HMODULE module = nullptr);
// Returns when the last error is 0, for calls such as TlsGetValue whose result alone cannot
// tell failure from success.
void ThrowLastError(HMODULE module = nullptr);
// FALSE always throws: with the last error, or ERROR_INTERNAL_ERROR when the call left none.
void CheckWin32(BOOL result, HMODULE module = nullptr);
// For a call whose return value alone proves failure: throws the last error, or
// ERROR_INTERNAL_ERROR when the call left none.
[[noreturn]] void ThrowFailedCall(HMODULE module = nullptr);

// The system's message for the error's code, trimmed of surrounding white space; "unknown error
// 0x{code}" when there is none. `maxWidth` 0 keeps the message's own line breaks.
CopiedUString<UTF8> SystemMessageText(Windows::Error error, std::uint8_t maxWidth, HMODULE module);
// "Windows Error 0x{err}: {msg}" for a bare code, without the trailing NUL of Error::Message.
CopiedUString<UTF8> WindowsErrorText(DWORD code);
