#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "winapi/win32.h"

namespace {

constexpr DWORD kSystemAllocated =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;

// Every code the layer can produce.
const std::vector<DWORD> kLayerCodes = {
    ERROR_SUCCESS,
    ERROR_INVALID_FUNCTION,
    ERROR_FILE_NOT_FOUND,
    ERROR_PATH_NOT_FOUND,
    ERROR_TOO_MANY_OPEN_FILES,
    ERROR_ACCESS_DENIED,
    ERROR_INVALID_HANDLE,
    ERROR_NOT_ENOUGH_MEMORY,
    ERROR_NOT_SAME_DEVICE,
    ERROR_WRITE_PROTECT,
    ERROR_GEN_FAILURE,
    ERROR_SHARING_VIOLATION,
    ERROR_HANDLE_EOF,
    ERROR_NOT_SUPPORTED,
    ERROR_FILE_EXISTS,
    ERROR_INVALID_PARAMETER,
    ERROR_BROKEN_PIPE,
    ERROR_DISK_FULL,
    ERROR_INSUFFICIENT_BUFFER,
    ERROR_DIR_NOT_EMPTY,
    ERROR_BUSY,
    ERROR_ALREADY_EXISTS,
    ERROR_FILENAME_EXCED_RANGE,
    ERROR_FILE_TOO_LARGE,
    ERROR_DIRECTORY,
    ERROR_MR_MID_NOT_FOUND,
    ERROR_INVALID_FLAGS,
    ERROR_NO_UNICODE_TRANSLATION,
    ERROR_IO_DEVICE,
    ERROR_INTERNAL_ERROR,
    ERROR_NO_SYSTEM_RESOURCES,
    ERROR_CANT_RESOLVE_FILENAME,
    ERROR_RESOURCE_LANG_NOT_FOUND,
};

struct Message {
    DWORD result;
    DWORD error;
    std::u16string text;
};

Message FormatAllocated(DWORD flags, DWORD code, DWORD languageId = 0, HMODULE module = nullptr) {
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
    EXPECT_EQ(buffer[result], u'\0');
    EXPECT_EQ(LocalFree(buffer), nullptr);
    return message;
}

TEST(LastError, BelongsToEachThread) {
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD seenByOther = 0xFFFF;
    std::thread other([&seenByOther] {
        seenByOther = GetLastError();
        SetLastError(ERROR_DISK_FULL);
    });
    other.join();
    EXPECT_EQ(seenByOther, ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(Win32ErrorFromErrno, GivesTheGeneralMeaningElseGeneralFailure) {
    const std::vector<std::pair<int, DWORD>> cases = {
        {0, ERROR_SUCCESS},
        {ENOENT, ERROR_FILE_NOT_FOUND},
        {ENOTDIR, ERROR_PATH_NOT_FOUND},
        {EISDIR, ERROR_ACCESS_DENIED},
        {EEXIST, ERROR_ALREADY_EXISTS},
        {EDQUOT, ERROR_DISK_FULL},
        {EILSEQ, ERROR_NO_UNICODE_TRANSLATION},
        {ECHILD, ERROR_GEN_FAILURE},
        {-1, ERROR_GEN_FAILURE},
    };
    for (const auto& [error, code] : cases) {
        EXPECT_EQ(Win32ErrorFromErrno(error), code) << "errno " << error;
    }
}

TEST(FormatMessage, EveryLayerCodeHasAnAsciiLineEndingInCrLf) {
    for (const DWORD code : kLayerCodes) {
        SCOPED_TRACE(code);
        const Message wide = FormatAllocated(kSystemAllocated, code);
        ASSERT_GT(wide.result, 2u);
        EXPECT_EQ(wide.text.substr(wide.text.size() - 2), u"\r\n");
        EXPECT_EQ(wide.text.find_first_of(u"\r\n"), wide.text.size() - 2);

        LPSTR narrow = nullptr;
        ASSERT_EQ(FormatMessageA(kSystemAllocated, nullptr, code, 0,
                                 reinterpret_cast<LPSTR>(&narrow), 0, nullptr),
                  wide.result);
        EXPECT_EQ(std::u16string(narrow, narrow + wide.result), wide.text);
        for (DWORD i = 0; i < wide.result; ++i) {
            EXPECT_LT(static_cast<unsigned char>(narrow[i]), 0x80);
        }
        LocalFree(narrow);
    }
}

TEST(FormatMessage, EveryCodeMappedFromErrnoHasAText) {
    for (int error = -1; error < 200; ++error) {
        SCOPED_TRACE(error);
        EXPECT_GT(FormatAllocated(kSystemAllocated, Win32ErrorFromErrno(error)).result, 0u);
    }
}

TEST(FormatMessage, CallerBufferNeedsRoomForTheTerminator) {
    const Message reference = FormatAllocated(kSystemAllocated, ERROR_ACCESS_DENIED);
    const DWORD length = reference.result;
    std::u16string buffer(length + 1, u'x');
    constexpr DWORD kFlags = FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;

    EXPECT_EQ(
        FormatMessageW(kFlags, nullptr, ERROR_ACCESS_DENIED, 0, buffer.data(), length + 1, nullptr),
        length);
    EXPECT_EQ(buffer.substr(0, length), reference.text);
    EXPECT_EQ(buffer[length], u'\0');

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(
        FormatMessageW(kFlags, nullptr, ERROR_ACCESS_DENIED, 0, buffer.data(), length, nullptr),
        0u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(FormatMessage, ModuleTablesAreEmpty) {
    const auto module = reinterpret_cast<HMODULE>(0x10000);
    const Message system = FormatAllocated(kSystemAllocated, ERROR_FILE_NOT_FOUND);
    const Message fallback = FormatAllocated(kSystemAllocated | FORMAT_MESSAGE_FROM_HMODULE,
                                             ERROR_FILE_NOT_FOUND, 0, module);
    EXPECT_EQ(fallback.result, system.result);
    EXPECT_EQ(fallback.text, system.text);

    const Message moduleOnly =
        FormatAllocated(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE,
                        ERROR_FILE_NOT_FOUND, 0, module);
    EXPECT_EQ(moduleOnly.result, 0u);
    EXPECT_EQ(moduleOnly.error, ERROR_MR_MID_NOT_FOUND);
}

struct FailureCase {
    const char* name;
    DWORD flags;
    DWORD code;
    DWORD languageId;
    DWORD error;
};

TEST(FormatMessage, Failures) {
    const std::vector<FailureCase> cases = {
        {"unknown code", kSystemAllocated, 0x2A2A, 0, ERROR_MR_MID_NOT_FOUND},
        {"other language", kSystemAllocated, ERROR_ACCESS_DENIED, 0x0407,
         ERROR_RESOURCE_LANG_NOT_FOUND},
        {"line width", kSystemAllocated | 80, ERROR_ACCESS_DENIED, 0, ERROR_INVALID_PARAMETER},
        {"no line breaks", kSystemAllocated | FORMAT_MESSAGE_MAX_WIDTH_MASK, ERROR_ACCESS_DENIED, 0,
         ERROR_INVALID_PARAMETER},
        {"from string", kSystemAllocated | FORMAT_MESSAGE_FROM_STRING, ERROR_ACCESS_DENIED, 0,
         ERROR_INVALID_PARAMETER},
        {"argument array", kSystemAllocated | FORMAT_MESSAGE_ARGUMENT_ARRAY, ERROR_ACCESS_DENIED, 0,
         ERROR_INVALID_PARAMETER},
        {"no source", FORMAT_MESSAGE_ALLOCATE_BUFFER, ERROR_ACCESS_DENIED, 0,
         ERROR_INVALID_PARAMETER},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        const Message message = FormatAllocated(test.flags, test.code, test.languageId);
        EXPECT_EQ(message.result, 0u);
        EXPECT_EQ(message.error, test.error);
    }
}

TEST(FormatMessage, AcceptsUsEnglish) {
    EXPECT_EQ(FormatAllocated(kSystemAllocated, ERROR_ACCESS_DENIED, 0x0409).text,
              FormatAllocated(kSystemAllocated, ERROR_ACCESS_DENIED).text);
}

TEST(FormatMessage, RejectsAMissingBuffer) {
    for (const DWORD flags : {kSystemAllocated, FORMAT_MESSAGE_FROM_SYSTEM}) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(FormatMessageW(flags, nullptr, ERROR_ACCESS_DENIED, 0, nullptr, 100, nullptr),
                  0u);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
}

TEST(LocalMemory, AllocatesZeroedBlocksAndFreesThem) {
    auto* block = static_cast<unsigned char*>(LocalAlloc(LMEM_ZEROINIT, 64));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(block[i], 0);
    }
    EXPECT_EQ(LocalFree(block), nullptr);
    EXPECT_EQ(LocalFree(nullptr), nullptr);

    void* empty = LocalAlloc(LMEM_FIXED, 0);
    EXPECT_NE(empty, nullptr);
    LocalFree(empty);

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(LocalAlloc(0x0002, 16), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

} // namespace
