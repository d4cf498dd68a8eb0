// Conversions as callers make them: a size query, then the conversion into a buffer of exactly
// that size.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "winapi/testing/wide_string.h"
#include "winapi/win32.h"

inline constexpr UINT kWindows1252 = 1252;

struct Wide {
    WideString text;
    DWORD error = ERROR_SUCCESS;
};

struct Narrow {
    std::string text;
    DWORD error = ERROR_SUCCESS;
    BOOL usedDefault = FALSE;
};

inline Wide ToWide(UINT codePage, DWORD flags, std::string_view source) {
    SetLastError(ERROR_SUCCESS);
    const int size = MultiByteToWideChar(codePage, flags, source.data(),
                                         static_cast<int>(source.size()), nullptr, 0);
    if (size == 0) {
        return {WideString(), GetLastError()};
    }
    WideString text(static_cast<std::size_t>(size), WIDE('\0'));
    EXPECT_EQ(MultiByteToWideChar(codePage, flags, source.data(), static_cast<int>(source.size()),
                                  text.data(), size),
              size);
    return {text};
}

inline Narrow ToNarrow(UINT codePage, DWORD flags, WideView source,
                       const char* defaultChar = nullptr, bool askUsedDefault = false) {
    SetLastError(ERROR_SUCCESS);
    Narrow result;
    BOOL* usedDefault = askUsedDefault ? &result.usedDefault : nullptr;
    const int size =
        WideCharToMultiByte(codePage, flags, source.data(), static_cast<int>(source.size()),
                            nullptr, 0, defaultChar, usedDefault);
    if (size == 0) {
        result.error = GetLastError();
        return result;
    }
    result.text.assign(static_cast<std::size_t>(size), '\0');
    EXPECT_EQ(WideCharToMultiByte(codePage, flags, source.data(), static_cast<int>(source.size()),
                                  result.text.data(), size, defaultChar, usedDefault),
              size);
    return result;
}
