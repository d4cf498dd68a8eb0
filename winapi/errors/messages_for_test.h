// FormatMessageW as callers use it: the system allocates the buffer, which is freed here.
#pragma once

#include <gtest/gtest.h>

#include "winapi/testing/wide_string.h"
#include "winapi/win32.h"

inline constexpr DWORD kSystemAllocated =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;

struct Message {
    DWORD result;
    DWORD error;
    WideString text;
};

inline Message FormatAllocated(DWORD flags, DWORD code, DWORD languageId = 0,
                               HMODULE module = nullptr) {
    SetLastError(ERROR_SUCCESS);
    LPWSTR buffer = reinterpret_cast<LPWSTR>(0x1);
    const DWORD result = FormatMessageW(flags, module, code, languageId,
                                        reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    Message message{result, GetLastError(), {}};
    if (result == 0) {
        EXPECT_EQ(buffer, nullptr);
        return message;
    }
    message.text.assign(buffer, result);
    EXPECT_EQ(buffer[result], WIDE('\0'));
    EXPECT_EQ(LocalFree(buffer), nullptr);
    return message;
}
