#include "winapi/com/com_error.h"

#include "winapi/errors/messages.h"

const WCHAR* _com_error::ErrorMessage() const {
    WCHAR buffer[512];
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(result_), 0, buffer, 512, nullptr);
    if (length == 0) {
        return nullptr;
    }
    message_.assign(buffer, length);
    return message_.c_str();
}
