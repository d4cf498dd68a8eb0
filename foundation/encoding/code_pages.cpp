#include "foundation/encoding/code_pages.h"

#include <limits>

#include "foundation/encoding/windows_error.h"

namespace {

// The converters count in 32 bits; a longer text would be cut short silently.
std::int32_t ConverterLength(std::uint64_t length) {
    if (length > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        throw Windows::Error(ERROR_INVALID_PARAMETER, nullptr);
    return static_cast<std::int32_t>(length);
}

// Size pass, one buffer of exactly the size, conversion pass.
template <typename To, typename From, typename Convert>
CopiedUString<To> ConvertInTwoPasses(UString<From> text, Convert convert) {
    const std::int32_t sourceLength = ConverterLength(text.Length());
    const std::int64_t size = convert(text.begin(), sourceLength, nullptr, 0);
    CopiedUString<To> result = CopiedUString<To>::WithCapacity(static_cast<std::uint64_t>(size));
    const std::int64_t written =
        convert(text.begin(), sourceLength, result.begin(), static_cast<std::int32_t>(size));
    result.SetEnd(result.begin() + written);
    return result;
}

CopiedUString<UTF8> WideToMultiByteText(UINT codePage, UString<UTF16> text) {
    return ConvertInTwoPasses<UTF8>(text, [codePage](const WCHAR* source, std::int32_t length,
                                                     char* destination, std::int32_t capacity) {
        return WideToMultiByte(codePage, 0, source, length, destination, capacity, nullptr,
                               nullptr);
    });
}

CopiedUString<UTF16> MultiByteToWideText(UINT codePage, UString<UTF8> text) {
    return ConvertInTwoPasses<UTF16>(text, [codePage](const char* source, std::int32_t length,
                                                      WCHAR* destination, std::int32_t capacity) {
        return MultiByteToWide(codePage, 0, source, length, destination, capacity);
    });
}

} // namespace

std::int64_t MultiByteToWide(UINT codePage, DWORD flags, const char* source,
                             std::int32_t sourceLength, WCHAR* destination,
                             std::int32_t destinationCapacity) {
    if (sourceLength == 0)
        return 0;
    const int result = MultiByteToWideChar(codePage, flags, source, sourceLength, destination,
                                           destinationCapacity);
    if (result == 0)
        ThrowFailedCall();
    return result;
}

std::int64_t WideToMultiByte(UINT codePage, DWORD flags, const WCHAR* source,
                             std::int32_t sourceLength, char* destination,
                             std::int32_t destinationCapacity, const char* defaultChar,
                             BOOL* usedDefaultChar) {
    if (sourceLength == 0)
        return 0;
    const int result = WideCharToMultiByte(codePage, flags, source, sourceLength, destination,
                                           destinationCapacity, defaultChar, usedDefaultChar);
    if (result == 0)
        ThrowFailedCall();
    return result;
}

CopiedUString<UTF8> WideToAnsi(UString<UTF16> text) {
    return WideToMultiByteText(CP_ACP, text);
}

CopiedUString<UTF16> AnsiToWide(UString<UTF8> ansiText) {
    return MultiByteToWideText(CP_ACP, ansiText);
}

CopiedUString<UTF16> Utf8ToWide(UString<UTF8> text) {
    return MultiByteToWideText(CP_UTF8, text);
}

CopiedUString<UTF8> WideToUtf8(UString<UTF16> text) {
    return WideToMultiByteText(CP_UTF8, text);
}

CopiedUString<UTF8> Utf8ToAnsiZ(UString<UTF8> text) {
    return TerminatedCopy(WideToAnsi(Utf8ToWide(text)), false);
}
