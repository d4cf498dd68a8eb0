#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "winapi/testing/target_guards.h"
#include "winapi/testing/temporary_directory.h"
#include "winapi/testing/wide_string.h"
#include "winapi/win32.h"

namespace {

HANDLE Open(const WideString& name, DWORD access, DWORD share, DWORD disposition) {
    return CreateFileW(name.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

// The last error of an open that must fail, or 0 when it succeeded.
DWORD OpenError(const WideString& name, DWORD access, DWORD share, DWORD disposition) {
    SetLastError(ERROR_SUCCESS);
    HANDLE file = Open(name, access, share, disposition);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return 0;
    }
    return GetLastError();
}

void WriteWholeFile(const WideString& name, const std::string& content) {
    HANDLE file = Open(name, GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
    DWORD written = 0;
    EXPECT_EQ(
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr),
        TRUE);
    EXPECT_EQ(written, content.size());
    CloseHandle(file);
}

std::string ReadWholeFile(const WideString& name) {
    HANDLE file = Open(name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) {
        return "<error " + std::to_string(GetLastError()) + ">";
    }
    std::string content;
    char buffer[256];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) == TRUE && read > 0) {
        content.append(buffer, read);
    }
    CloseHandle(file);
    return content;
}

WideString W(const char* text) {
    return WideString(text, text + std::char_traits<char>::length(text));
}

TEST(Files, WriteReadSeekTruncateRoundTrip) {
    TemporaryDirectory directory;
    const WideString name = directory / W("data");
    HANDLE file = Open(name, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_EQ(GetFileType(file), DWORD{FILE_TYPE_DISK});
    DWORD written = 0;
    ASSERT_EQ(WriteFile(file, "0123456789", 10, &written, nullptr), TRUE);
    DWORD high = 7;
    EXPECT_EQ(GetFileSize(file, &high), 10u);
    EXPECT_EQ(high, 0u);
    EXPECT_EQ(SetFilePointer(file, -4, nullptr, FILE_END), 6u);
    char buffer[8] = {};
    DWORD read = 0;
    ASSERT_EQ(ReadFile(file, buffer, sizeof buffer, &read, nullptr), TRUE);
    EXPECT_EQ(std::string(buffer, read), "6789");
    ASSERT_EQ(ReadFile(file, buffer, sizeof buffer, &read, nullptr), TRUE);
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(SetFilePointer(file, 3, nullptr, FILE_BEGIN), 3u);
    EXPECT_EQ(SetEndOfFile(file), TRUE);
    EXPECT_EQ(FlushFileBuffers(file), TRUE);
    EXPECT_EQ(GetFileSize(file, nullptr), 3u);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_NEGATIVE_SEEK});
    CloseHandle(file);
    EXPECT_EQ(ReadWholeFile(name), "012");

    HANDLE reader = Open(name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(WriteFile(reader, "x", 1, &written, nullptr), FALSE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
    CloseHandle(reader);
}

TEST(Files, PositionsAtFourGibibytesMinusOneClearTheLastError) {
    TemporaryDirectory directory;
    HANDLE file = Open(directory / W("sparse"), GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetLastError(ERROR_INVALID_FUNCTION);
    LONG high = 0;
    EXPECT_EQ(SetFilePointer(file, -1, &high, FILE_BEGIN), 0xFFFFFFFFu);
    EXPECT_EQ(high, 0);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_SUCCESS});
    ASSERT_EQ(SetEndOfFile(file), TRUE);
    SetLastError(ERROR_INVALID_FUNCTION);
    DWORD sizeHigh = 9;
    EXPECT_EQ(GetFileSize(file, &sizeHigh), 0xFFFFFFFFu);
    EXPECT_EQ(sizeHigh, 0u);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_SUCCESS});
    CloseHandle(file);
}

TEST(Files, OpenAlwaysAndCreateAlwaysReportWhetherTheFileExisted) {
    TemporaryDirectory directory;
    const WideString name = directory / W("file");
    for (DWORD disposition : {OPEN_ALWAYS, CREATE_ALWAYS}) {
        SCOPED_TRACE(disposition);
        DeleteFileW(name.c_str());
        EXPECT_EQ(OpenError(name, GENERIC_WRITE, 0, disposition), 0u);
        SetLastError(ERROR_INVALID_FUNCTION);
        HANDLE file = Open(name, GENERIC_WRITE, 0, disposition);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), DWORD{ERROR_ALREADY_EXISTS});
        CloseHandle(file);
    }
    WriteWholeFile(name, "kept");
    HANDLE file = Open(name, GENERIC_WRITE, 0, OPEN_ALWAYS);
    CloseHandle(file);
    EXPECT_EQ(ReadWholeFile(name), "kept");
    file = Open(name, GENERIC_WRITE, 0, CREATE_ALWAYS);
    CloseHandle(file);
    EXPECT_EQ(ReadWholeFile(name), "");
    EXPECT_EQ(OpenError(name, GENERIC_WRITE, 0, CREATE_NEW), DWORD{ERROR_FILE_EXISTS});
}

TEST(Files, ShareModesRefuseConflictingOpens) {
    TemporaryDirectory directory;
    const WideString name = directory / W("shared");
    WriteWholeFile(name, "x");
    struct Row {
        DWORD firstAccess, firstShare, secondAccess, secondShare, error;
    };
    const DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
    const std::vector<Row> rows = {
        {GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, 0},
        {GENERIC_READ, FILE_SHARE_READ, kReadWrite, FILE_SHARE_READ, ERROR_SHARING_VIOLATION},
        {kReadWrite, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, ERROR_SHARING_VIOLATION},
        {kReadWrite, FILE_SHARE_READ, kReadWrite, FILE_SHARE_READ, ERROR_SHARING_VIOLATION},
        {GENERIC_WRITE, 0, GENERIC_WRITE, 0, ERROR_SHARING_VIOLATION},
        {kReadWrite, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << row.firstAccess << " " << row.firstShare
                                        << " then " << row.secondAccess << " " << row.secondShare);
        HANDLE first = Open(name, row.firstAccess, row.firstShare, OPEN_EXISTING);
        ASSERT_NE(first, INVALID_HANDLE_VALUE);
        EXPECT_EQ(OpenError(name, row.secondAccess, row.secondShare, OPEN_EXISTING), row.error);
        CloseHandle(first);
        EXPECT_EQ(OpenError(name, row.secondAccess, row.secondShare, OPEN_EXISTING), 0u);
    }
}

TEST(Files, ReadOnlyFilesRefuseWriting) {
    SKIP_UNDER_WINE_BECAUSE("run as root, it lets the owner's permissions decide and opens "
                            "read-only files for writing");
    TemporaryDirectory directory;
    const WideString name = directory / W("locked");
    WriteWholeFile(name, "x");
    ASSERT_EQ(SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_READONLY), TRUE);
    for (DWORD disposition : {OPEN_EXISTING, OPEN_ALWAYS, TRUNCATE_EXISTING, CREATE_ALWAYS}) {
        SCOPED_TRACE(disposition);
        EXPECT_EQ(OpenError(name, GENERIC_WRITE, 0, disposition), DWORD{ERROR_ACCESS_DENIED});
    }
    EXPECT_EQ(ReadWholeFile(name), "x");
    ASSERT_EQ(SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL), TRUE);
    EXPECT_EQ(OpenError(name, GENERIC_WRITE, 0, OPEN_EXISTING), 0u);
}

TEST(Files, ReadOnlyFilesRefuseDeletion) {
    TemporaryDirectory directory;
    const WideString name = directory / W("locked");
    WriteWholeFile(name, "x");
    ASSERT_EQ(SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_READONLY), TRUE);
    EXPECT_NE(GetFileAttributesW(name.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(OpenError(name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), 0u);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(DeleteFileW(name.c_str()), FALSE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
    EXPECT_EQ(ReadWholeFile(name), "x");
    ASSERT_EQ(SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL), TRUE);
    EXPECT_EQ(GetFileAttributesW(name.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(DeleteFileW(name.c_str()), TRUE);
}

TEST(Files, DirectoriesAreNotOpenedAsFiles) {
    TemporaryDirectory directory;
    const WideString name = directory / W("sub");
    ASSERT_EQ(CreateDirectoryW(name.c_str(), nullptr), TRUE);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(CreateDirectoryW(name.c_str(), nullptr), FALSE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_ALREADY_EXISTS});
    EXPECT_EQ(GetFileAttributesW(name.c_str()), DWORD{FILE_ATTRIBUTE_DIRECTORY});
    for (DWORD access : {DWORD{GENERIC_READ}, DWORD{GENERIC_WRITE}}) {
        EXPECT_EQ(OpenError(name, access, FILE_SHARE_READ, OPEN_EXISTING),
                  DWORD{ERROR_ACCESS_DENIED});
    }
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(DeleteFileW(name.c_str()), FALSE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
    const WideString file = directory / W("file");
    WriteWholeFile(file, "x");
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(RemoveDirectoryW(file.c_str()), FALSE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_DIRECTORY});
    EXPECT_EQ(RemoveDirectoryW(name.c_str()), TRUE);
    EXPECT_EQ(GetFileAttributesW(name.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
}

struct PathRow {
    WideString name;
    DWORD error;
};

// Each name opened for reading in a directory holding "file" and "sub".
void CheckPathRows(const TemporaryDirectory& directory, const std::vector<PathRow>& rows) {
    ASSERT_EQ(CreateDirectoryW((directory / W("sub")).c_str(), nullptr), TRUE);
    WriteWholeFile(directory / W("file"), "x");
    for (const PathRow& row : rows) {
        SCOPED_TRACE(std::string(row.name.begin(), row.name.end()));
        EXPECT_EQ(OpenError(row.name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), row.error);
    }
}

TEST(Files, PathRules) {
    TemporaryDirectory directory;
    const WideString base = directory.Path();
    WideString slashes = base;
    for (WCHAR& unit : slashes) {
        if (unit == WIDE('\\')) {
            unit = WIDE('/');
        }
    }
    WideString control = base + W("\\a");
    control += static_cast<WCHAR>(0x01);
    CheckPathRows(directory, {
                                 {base + W("\\file"), 0},
                                 {slashes + W("/file"), 0},
                                 {base + W("\\sub\\..\\file"), 0},
                                 {base + W("\\.\\sub\\.\\..\\file"), 0},
                                 {W("\\\\?\\") + base + W("\\file"), 0},
                                 {base + W("\\missing"), ERROR_FILE_NOT_FOUND},
                                 {base + W("\\missing\\file"), ERROR_PATH_NOT_FOUND},
                                 {base + W("\\a<b"), ERROR_INVALID_NAME},
                                 {base + W("\\a>b"), ERROR_INVALID_NAME},
                                 {base + W("\\a\"b"), ERROR_INVALID_NAME},
                                 {base + W("\\a|b"), ERROR_INVALID_NAME},
                                 {base + W("\\a?b"), ERROR_INVALID_NAME},
                                 {base + W("\\a*b"), ERROR_INVALID_NAME},
                                 {control, ERROR_INVALID_NAME},
                             });
}

TEST(Files, PathRulesOfTheLayer) {
    SKIP_ON_WINDOWS_BECAUSE("Windows takes these as streams, shares, other drives, long names "
                            "and case-folded names");
    TemporaryDirectory directory;
    const WideString base = directory.Path();
    WideString loneSurrogate = base + W("\\a");
    loneSurrogate += static_cast<WCHAR>(0xD800);
    CheckPathRows(directory,
                  {
                      {base + W("\\a:b"), ERROR_INVALID_NAME},
                      {loneSurrogate, ERROR_INVALID_NAME},
                      {base + W("\\FILE"), ERROR_FILE_NOT_FOUND},
                      {W("\\\\server\\share\\file"), ERROR_BAD_NETPATH},
                      {W("//server/share/file"), ERROR_BAD_NETPATH},
                      {W("\\\\?\\UNC\\server\\share\\file"), ERROR_BAD_NETPATH},
                      {W("C:\\file"), ERROR_PATH_NOT_FOUND},
                      {W("z:\\tmp"), ERROR_ACCESS_DENIED},
                      {base + W("\\") + WideString(300, WIDE('a')), ERROR_FILENAME_EXCED_RANGE},
                      {W("\\\\?\\") + base + W("\\sub\\..\\file"), 0},
                  });
}

TEST(Files, FindFirstFileDescribesOneExactName) {
    TemporaryDirectory directory;
    const WideString name = directory / W("found.txt");
    WriteWholeFile(name, "12345");
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(name.c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_EQ(WideString(data.cFileName), W("found.txt"));
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_NE(data.ftLastWriteTime.dwHighDateTime, 0u);
    EXPECT_EQ(FindClose(find), TRUE);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(FindFirstFileW((directory / W("absent")).c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
}

// Windows documents that a search never takes a root, which callers must climb past.
TEST(Files, FindFirstFileRefusesADriveRoot) {
    SKIP_UNDER_WINE_BECAUSE("Wine finds a drive's root by searching");
    TemporaryDirectory directory;
    const WideString root = WideString(WideView(directory.Path()).substr(0, 3));
    WIN32_FIND_DATAW data{};
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(FindFirstFileW(root.c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
}

TEST(Files, TemporaryFileNamesTakeThreePrefixUnitsAndHexDigits) {
    TemporaryDirectory directory;
    WCHAR buffer[MAX_PATH] = {};
    const UINT unique = GetTempFileNameW(directory.Path().c_str(), W("keyfile").c_str(), 0, buffer);
    ASSERT_NE(unique, 0u) << GetLastError();
    const WideString name(buffer);
    const WideString expectedStart = directory / W("key");
    ASSERT_EQ(name.substr(0, expectedStart.size()), expectedStart);
    const WideString rest = name.substr(expectedStart.size());
    ASSERT_GE(rest.size(), 5u);
    ASSERT_LE(rest.size(), 8u);
    // Names are case-insensitive on Windows, and Wine writes the suffix in lower case.
    WideString suffix = rest.substr(rest.size() - 4);
    for (WCHAR& unit : suffix) {
        unit = unit >= WIDE('a') && unit <= WIDE('z') ? static_cast<WCHAR>(unit - 32) : unit;
    }
    EXPECT_EQ(suffix, W(".TMP"));
    const std::string digits(rest.begin(), rest.end() - 4);
    EXPECT_EQ(std::stoul(digits, nullptr, 16), unique);
    EXPECT_NE(GetFileAttributesW(buffer), INVALID_FILE_ATTRIBUTES);
    WCHAR second[MAX_PATH] = {};
    EXPECT_NE(GetTempFileNameW(directory.Path().c_str(), W("key").c_str(), 0, second), 0u);
    EXPECT_NE(WideString(second), name);

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetTempFileNameW((directory / W("missing")).c_str(), W("k").c_str(), 0, buffer), 0u);
    const DWORD error = GetLastError();
    EXPECT_TRUE(error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY) << error;
}

TEST(Files, MoveFileExRows) {
    struct Row {
        const char* description;
        bool targetExists;
        bool targetReadOnly;
        bool targetIsDirectory;
        DWORD flags;
        DWORD error;
        bool wineReplaces = false;
    };
    const std::vector<Row> rows = {
        {"new target", false, false, false, 0, 0},
        {"new target, replacing", false, false, false, MOVEFILE_REPLACE_EXISTING, 0},
        {"existing target kept", true, false, false, 0, ERROR_ALREADY_EXISTS},
        {"existing target replaced", true, false, false, MOVEFILE_REPLACE_EXISTING, 0},
        {"read-only target", true, true, false, MOVEFILE_REPLACE_EXISTING, ERROR_ACCESS_DENIED,
         true},
        {"directory target", true, false, true, MOVEFILE_REPLACE_EXISTING, ERROR_ACCESS_DENIED},
        {"copy allowed", true, false, false,
         MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.description);
        // Wine, run as root, replaces a read-only target that Windows keeps.
        if (row.wineReplaces && RunningUnderWine()) {
            continue;
        }
        TemporaryDirectory directory;
        const WideString source = directory / W("source");
        const WideString target = directory / W("target");
        WriteWholeFile(source, "new");
        if (row.targetIsDirectory) {
            ASSERT_EQ(CreateDirectoryW(target.c_str(), nullptr), TRUE);
        } else if (row.targetExists) {
            WriteWholeFile(target, "old");
            if (row.targetReadOnly) {
                SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
            }
        }
        SetLastError(ERROR_SUCCESS);
        const BOOL moved = MoveFileExW(source.c_str(), target.c_str(), row.flags);
        if (row.error == 0) {
            EXPECT_EQ(moved, TRUE) << GetLastError();
            EXPECT_EQ(ReadWholeFile(target), "new");
            EXPECT_EQ(GetFileAttributesW(source.c_str()), INVALID_FILE_ATTRIBUTES);
        } else {
            EXPECT_EQ(moved, FALSE);
            EXPECT_EQ(GetLastError(), row.error);
            EXPECT_EQ(ReadWholeFile(source), "new");
            if (!row.targetIsDirectory) {
                EXPECT_EQ(ReadWholeFile(target), "old");
            }
        }
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    TemporaryDirectory directory;
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(MoveFileExW((directory / W("absent")).c_str(), (directory / W("t")).c_str(), 0),
              FALSE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
}

// A file stays in place while another handle holds it without sharing delete, whatever it
// shares besides; sharing delete lets it go, with the handle still open.
TEST(Files, MoveFileExRefusesAFileHeldWithoutDeleteSharing) {
    struct Row {
        DWORD access, share;
        bool moves;
    };
    const DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
    const std::vector<Row> rows = {
        {GENERIC_READ, FILE_SHARE_READ, false},
        {kReadWrite, FILE_SHARE_READ, false},
        {GENERIC_WRITE, 0, false},
        {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, true},
        {kReadWrite, FILE_SHARE_READ | FILE_SHARE_DELETE, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << row.access << " " << row.share);
        TemporaryDirectory directory;
        const WideString source = directory / W("source");
        const WideString target = directory / W("target");
        WriteWholeFile(source, "held");
        HANDLE holder = Open(source, row.access, row.share, OPEN_EXISTING);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        SetLastError(ERROR_SUCCESS);
        const BOOL moved = MoveFileExW(source.c_str(), target.c_str(),
                                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
        const DWORD error = GetLastError();
        CloseHandle(holder);
        if (row.moves) {
            EXPECT_EQ(moved, TRUE) << error;
            EXPECT_EQ(ReadWholeFile(target), "held");
        } else {
            EXPECT_EQ(moved, FALSE);
            EXPECT_EQ(error, DWORD{ERROR_SHARING_VIOLATION});
            EXPECT_EQ(ReadWholeFile(source), "held");
            EXPECT_EQ(GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES);
        }
    }
}

TEST(Files, ModuleFileNameTruncatesWithTheTerminatorInside) {
    WCHAR full[1024] = {};
    const DWORD length = GetModuleFileNameW(nullptr, full, 1024);
    ASSERT_GT(length, 4u);
    ASSERT_LT(length, 1024u);
    EXPECT_EQ(full[length], WIDE('\0'));
    EXPECT_EQ(full[1], WIDE(':'));
    EXPECT_NE(GetFileAttributesW(full), INVALID_FILE_ATTRIBUTES);

    for (DWORD size : {DWORD{1}, DWORD{4}, length}) {
        SCOPED_TRACE(size);
        std::vector<WCHAR> small(size + 1, WIDE('#'));
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(GetModuleFileNameW(nullptr, small.data(), size), size);
        EXPECT_EQ(GetLastError(), DWORD{ERROR_INSUFFICIENT_BUFFER});
        EXPECT_EQ(WideString(small.data(), size - 1), WideString(full, size - 1));
        EXPECT_EQ(small[size], WIDE('#'));
        // Wine fills the whole buffer, as Windows XP did; later Windows ends it with a NUL.
        if (!RunningUnderWine()) {
            EXPECT_EQ(small[size - 1], WIDE('\0'));
        }
    }
}

} // namespace
