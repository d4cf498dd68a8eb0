#include "tool/exit_codes.h"

#include "foundation/encoding/windows_error.h"
#include "platform/files/file_errors.h"
#include "winapi/win32.h"

std::uint32_t CurrentFailureExitCode() {
    DWORD code = GetLastError();
    try {
        throw;
    } catch (const Windows::Error& error) {
        code = error.Code() != 0 ? error.Code() : code;
    } catch (const FileIOError& error) {
        code = error.Code() != 0 ? error.Code() : code;
    } catch (...) {
    }
    return code != 0 ? code : kUncodedFailureExitCode;
}
