#include "foundation/encoding/windows_error.h"

#include <memory>
#include <utility>

#include "foundation/encoding/code_pages.h"
#include "foundation/encoding/local_buffer.h"
#include "foundation/encoding/transcode.h"
#include "foundation/format/format.h"
#include "foundation/numbers/number_text.h"
#include "foundation/text/string_builder.h"
#include "foundation/text/text_ops.h"

namespace {

constexpr char kErrorTemplate[] = "Windows Error 0x{err}: {msg}";

CopiedUString<UTF8> ComposeErrorText(DWORD code, HMODULE module) {
    const CopiedUString<UTF8> systemText =
        SystemMessageText(Windows::Error(code, module), 0, module);
    return Format(kErrorTemplate, ToHex32(code, 1).View(), systemText);
}

} // namespace

namespace Windows {

Error::Error(DWORD code, HMODULE module) : code_(code), module_(module) {}

Error::Error(const Error& other)
    : DebuggableException(other), code_(other.code_), module_(other.module_) {}

UString<UTF8> Error::Message() const noexcept {
    if (!message_.IsEmpty())
        return message_;
    try {
        CopiedUString<UTF8> text = ComposeErrorText(code_, module_);
        constexpr char kNul = '\0';
        text.Append(UString<UTF8>(&kNul, &kNul + 1));
        message_ = std::move(text);
        return message_;
    } catch (...) {
        return ClassNameText();
    }
}

const char* Error::what() const noexcept {
    if (!narrow_.IsEmpty())
        return narrow_.begin();
    try {
        const UString<UTF8> message = Message();
        // Only a composed message ends in its NUL; the class-name fallback is not cached.
        if (message.IsEmpty() || message.end()[-1] != '\0')
            return DebuggableException::what();
        narrow_ = WideToAnsi(Utf8ToWide(message));
        return narrow_.begin();
    } catch (...) {
        return DebuggableException::what();
    }
}

} // namespace Windows

void ThrowWindowsError(DWORD code, HMODULE module) {
    if (code != 0)
        throw Windows::Error(code, module);
}

void ThrowLastError(HMODULE module) {
    ThrowWindowsError(GetLastError(), module);
}

void CheckWin32(BOOL result, HMODULE module) {
    if (result == FALSE)
        ThrowFailedCall(module);
}

void ThrowFailedCall(HMODULE module) {
    const DWORD code = GetLastError();
    throw Windows::Error(code != 0 ? code : DWORD{ERROR_INTERNAL_ERROR}, module);
}

CopiedUString<UTF8> SystemMessageText(Windows::Error error, std::uint8_t maxWidth, HMODULE module) {
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                  FORMAT_MESSAGE_FROM_SYSTEM | maxWidth;
    if (module != nullptr)
        flags |= FORMAT_MESSAGE_FROM_HMODULE;
    WCHAR* buffer = nullptr;
    const DWORD count = FormatMessageW(flags, module, error.Code(), 0,
                                       reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    const std::unique_ptr<WCHAR, LocalBufferDeleter> owned(buffer);
    if (count == 0)
        return Concatenate<UTF8>("unknown error 0x", ToHex32(error.Code(), 1).View());
    const CopiedUString<UTF8> text = TranscodeU16ToU8(UString<UTF16>(buffer, buffer + count));
    return CopiedUString<UTF8>(TrimAsciiSpace(text));
}

CopiedUString<UTF8> WindowsErrorText(DWORD code) {
    return ComposeErrorText(code, nullptr);
}
