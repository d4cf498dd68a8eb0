#include <algorithm>
#include <cstring>

#include "winapi/errors/errors.h"
#include "winapi/errors/messages.h"
#include "winapi/errors/system_messages.h"

namespace {

constexpr DWORD kLanguageNeutral = 0;
constexpr DWORD kEnglishUnitedStates = 0x0409;

DWORD Fail(DWORD code) {
    SetLastError(code);
    return 0;
}

// The system's texts are ASCII, so both character widths take them unit by unit.
template <class Char>
void CopyText(const char* text, std::size_t length, Char* destination) {
    std::copy(text, text + length + 1, destination);
}

template <class Char>
DWORD FormatSystemMessage(DWORD flags, DWORD messageId, DWORD languageId, Char* buffer,
                          DWORD size) {
    if (buffer == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const bool allocate = (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0;
    if (allocate) {
        *reinterpret_cast<Char**>(buffer) = nullptr;
    }
    // A line width in the low byte is not served either: those bits lie outside this set.
    constexpr DWORD kServed = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                              FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM;
    if ((flags & ~kServed) != 0 ||
        (flags & (FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM)) == 0) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (languageId != kLanguageNeutral && languageId != kEnglishUnitedStates) {
        return Fail(ERROR_RESOURCE_LANG_NOT_FOUND);
    }
    // No module carries resources here, so only the system's table can answer.
    if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0) {
        return Fail(ERROR_RESOURCE_DATA_NOT_FOUND);
    }
    const char* text = win32_layer::SystemMessageText(messageId);
    if (text == nullptr) {
        return Fail(ERROR_MR_MID_NOT_FOUND);
    }
    const std::size_t length = std::strlen(text);
    if (allocate) {
        const std::size_t units = std::max<std::size_t>(length + 1, size);
        auto* block = static_cast<Char*>(LocalAlloc(LMEM_FIXED, units * sizeof(Char)));
        if (block == nullptr) {
            return 0;
        }
        CopyText(text, length, block);
        *reinterpret_cast<Char**>(buffer) = block;
    } else {
        if (length + 1 > size) {
            return Fail(ERROR_INSUFFICIENT_BUFFER);
        }
        CopyText(text, length, buffer);
    }
    return static_cast<DWORD>(length);
}

} // namespace

DWORD FormatMessageW(DWORD flags, LPCVOID, DWORD messageId, DWORD languageId, LPWSTR buffer,
                     DWORD size, va_list*) {
    return FormatSystemMessage(flags, messageId, languageId, buffer, size);
}

DWORD FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD languageId, LPSTR buffer,
                     DWORD size, va_list*) {
    return FormatSystemMessage(flags, messageId, languageId, buffer, size);
}
