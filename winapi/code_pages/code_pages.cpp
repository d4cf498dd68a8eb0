#include "winapi/code_pages/code_pages.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>

#include "winapi/errors/errors.h"
#include "winapi/internal/code_unit_output.h"
#include "winapi/internal/utf_conversions.h"
#include "winapi/internal/windows_1252.h"

using win32_layer::CodeUnitOutput;
using win32_layer::kWindows1252;

namespace {

int Fail(DWORD code) {
    SetLastError(code);
    return 0;
}

UINT ReadAnsiCodePage() {
    const char* setting = std::getenv("QUENDRA_LAYER_ANSI_CODE_PAGE");
    return setting != nullptr && std::strcmp(setting, "1252") == 0 ? kWindows1252 : CP_UTF8;
}

UINT ResolveCodePage(UINT codePage) {
    return codePage == CP_ACP ? GetACP() : codePage;
}

// Windows rejects an empty source rather than converting it to nothing. A length of -1 means a
// NUL-terminated source, terminator included.
template <class Unit>
bool ValidArguments(const Unit* source, int sourceLength, const void* destination,
                    int destinationLength) {
    return source != nullptr && sourceLength != 0 && sourceLength >= -1 && destinationLength >= 0 &&
           (destination != nullptr || destinationLength == 0);
}

template <class Unit>
std::span<const Unit> SourceUnits(const Unit* source, int sourceLength) {
    const std::size_t length = sourceLength == -1 ? std::char_traits<Unit>::length(source) + 1
                                                  : static_cast<std::size_t>(sourceLength);
    return {source, length};
}

template <class Unit>
int Finish(const CodeUnitOutput<Unit>& output, int destinationLength) {
    if (output.Count() > INT_MAX) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const int count = static_cast<int>(output.Count());
    if (destinationLength != 0 && count > destinationLength) {
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    return count;
}

} // namespace

UINT GetACP() {
    static const UINT codePage = ReadAnsiCodePage();
    return codePage;
}

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH source, int sourceLength,
                        LPWSTR destination, int destinationLength) {
    if (!ValidArguments(source, sourceLength, destination, destinationLength)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    codePage = ResolveCodePage(codePage);
    if (codePage != CP_UTF8 && codePage != kWindows1252) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if ((flags & ~MB_ERR_INVALID_CHARS) != 0) {
        return Fail(ERROR_INVALID_FLAGS);
    }
    const std::span<const char> text = SourceUnits(source, sourceLength);
    const std::span<const unsigned char> bytes(reinterpret_cast<const unsigned char*>(text.data()),
                                               text.size());
    CodeUnitOutput<WCHAR> output(destination, static_cast<std::size_t>(destinationLength));
    if (codePage == kWindows1252) {
        win32_layer::Windows1252ToUtf16(bytes, output);
    } else if (!win32_layer::Utf8ToUtf16(bytes, (flags & MB_ERR_INVALID_CHARS) != 0, output)) {
        return Fail(ERROR_NO_UNICODE_TRANSLATION);
    }
    return Finish(output, destinationLength);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH source, int sourceLength,
                        LPSTR destination, int destinationLength, LPCCH defaultChar,
                        LPBOOL usedDefaultChar) {
    if (!ValidArguments(source, sourceLength, destination, destinationLength)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    codePage = ResolveCodePage(codePage);
    const std::span<const WCHAR> units = SourceUnits(source, sourceLength);
    CodeUnitOutput<char> output(destination, static_cast<std::size_t>(destinationLength));
    if (codePage == CP_UTF8) {
        if (defaultChar != nullptr || usedDefaultChar != nullptr) {
            return Fail(ERROR_INVALID_PARAMETER);
        }
        if ((flags & ~WC_ERR_INVALID_CHARS) != 0) {
            return Fail(ERROR_INVALID_FLAGS);
        }
        if (!win32_layer::Utf16ToUtf8(units, (flags & WC_ERR_INVALID_CHARS) != 0, output)) {
            return Fail(ERROR_NO_UNICODE_TRANSLATION);
        }
    } else if (codePage == kWindows1252) {
        // Windows takes the strict flag for UTF-8 targets only; of its flags for the other code
        // pages the layer serves the one that asks for what it does anyway.
        if ((flags & ~WC_NO_BEST_FIT_CHARS) != 0) {
            return Fail(ERROR_INVALID_FLAGS);
        }
        const bool usedDefault = win32_layer::Utf16ToWindows1252(
            units, defaultChar != nullptr ? *defaultChar : '?', output);
        if (usedDefaultChar != nullptr) {
            *usedDefaultChar = usedDefault ? TRUE : FALSE;
        }
    } else {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    return Finish(output, destinationLength);
}
