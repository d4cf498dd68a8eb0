#include "foundation/encoding/transcode.h"

#include <limits>

#include "foundation/encoding/charset_errors.h"
#include "winapi/win32.h"

namespace {

// The converters count in 32 bits; a longer text would be cut short silently.
int ConverterLength(std::uint64_t length, const char* functionName) {
    if (length > static_cast<std::uint64_t>(std::numeric_limits<int>::max()))
        throw WindowsCharacterSetResult(ERROR_INVALID_PARAMETER, functionName);
    return static_cast<int>(length);
}

// A failed conversion is never reported with code 0, which would read as success.
[[noreturn]] void ThrowConversionError(const char* functionName) {
    const DWORD code = GetLastError();
    throw WindowsCharacterSetResult(code != 0 ? code : DWORD{ERROR_INTERNAL_ERROR}, functionName);
}

// Size pass, then a conversion pass into a buffer of max(size, 64) units.
template <typename To, typename From, typename Convert>
CopiedUString<To> Transcode(UString<From> text, const char* functionName, Convert convert) {
    if (text.IsEmpty())
        return CopiedUString<To>();
    const int sourceLength = ConverterLength(text.Length(), functionName);
    const int size = convert(text.begin(), sourceLength, nullptr, 0);
    if (size == 0)
        ThrowConversionError(functionName);
    CopiedUString<To> result = CopiedUString<To>::WithCapacity(static_cast<std::uint64_t>(size));
    const int written =
        convert(text.begin(), sourceLength, result.begin(), static_cast<int>(result.Capacity()));
    if (written == 0)
        ThrowConversionError(functionName);
    result.SetEnd(result.begin() + written);
    return result;
}

} // namespace

CopiedUString<UTF8> TranscodeU16ToU8(UString<UTF16> text) {
    return Transcode<UTF8>(text, "TranscodeU16ToU8",
                           [](const WCHAR* source, int length, char* destination, int capacity) {
                               return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, source,
                                                          length, destination, capacity, nullptr,
                                                          nullptr);
                           });
}

CopiedUString<UTF16> TranscodeU8ToU16(UString<UTF8> text) {
    return Transcode<UTF16>(text, "TranscodeU8ToU16",
                            [](const char* source, int length, WCHAR* destination, int capacity) {
                                return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, source,
                                                           length, destination, capacity);
                            });
}
