#include "platform/files/file_errors.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <typeinfo>
#include <vector>

#include "foundation/encoding/code_pages.h"
#include "foundation/encoding/windows_error.h"
#include "foundation/testing/texts.h"

namespace {

FileLocation Location(const std::string& text) {
    return FileLocation(UString<UTF8>(text.data(), text.data() + text.size()));
}

std::string WindowsText(DWORD code) {
    return Text(WindowsErrorText(code));
}

std::string AnsiOf(const std::string& utf8) {
    return Text(WideToAnsi(Utf8ToWide(UString<UTF8>(utf8.data(), utf8.data() + utf8.size()))));
}

struct TextCase {
    std::function<void()> raise;
    std::string expected;
};

TEST(FileIOErrorTest, TextNamesTheClassThePathsAndTheWindowsError) {
    // None of the Windows, Wine and Linux-layer message tables knows it.
    constexpr DWORD kUnknownCode = 0x2FFF0001;
    const std::vector<TextCase> cases = {
        {[] { throw EmptyFileLocationError(); }, "File error \"class EmptyFileLocationError\""},
        {[] { throw InvalidFileAttrs(0); }, "File error \"class InvalidFileAttrs\""},
        {[] { throw FileIOError(5); },
         "File error \"class FileIOError\" : \"" + WindowsText(5) + "\""},
        {[] { throw FileNotFoundError(Location("C:\\keys\\CoreKey"), 2); },
         "File error \"class FileNotFoundError\" on \"C:\\keys\\CoreKey\" : \"" + WindowsText(2) +
             "\""},
        {[] { throw RootHasNoParent(Location("C:"), 0); },
         "File error \"class RootHasNoParent\" on \"C:\""},
        {[] { throw FileMoveError(Location("C:\\a"), Location("D:\\b"), 5); },
         "File error \"class FileMoveError\" on \"C:\\a\" and \"D:\\b\" : \"" + WindowsText(5) +
             "\""},
        {[] { throw FileMoveError(Location("C:\\a"), Location("D:\\b"), 0); },
         "File error \"class FileMoveError\" on \"C:\\a\" and \"D:\\b\""},
        {[] { throw FileIOError(Location("C:\\{x}\\{_obrace}{"), 0); },
         "File error \"class FileIOError\" on \"C:\\{x}\\{_obrace}{\""},
        {[] { throw FileSeekError(Location("k"), kUnknownCode); },
         "File error \"class FileSeekError\" on \"k\" : \"Windows Error 0x2fff0001: unknown error "
         "0x2fff0001\""},
        {[] {
             throw DiskFullError(Location("C:\\Gr\xC3\xBC\xC3\x9F"
                                          "e"),
                                 0);
         },
         "File error \"class DiskFullError\" on \"C:\\Gr\xC3\xBC\xC3\x9F"
         "e\""},
    };
    for (const TextCase& c : cases) {
        try {
            c.raise();
            ADD_FAILURE() << c.expected;
        } catch (const DebuggableException& error) {
            EXPECT_EQ(Text(error.Message()), c.expected);
            EXPECT_STREQ(error.what(), AnsiOf(c.expected).c_str());
        }
    }
}

TEST(FileIOErrorTest, EveryClassIsAFileIOErrorNamedForItself) {
    const FileLocation location = Location("C:\\k");
    const FileLocation second = Location("C:\\m");
    struct Case {
        std::function<void()> raise;
        std::string name;
        bool hasPath;
    };
    const std::vector<Case> cases = {
        {[&] { throw FileIOError(location, 7); }, "FileIOError", true},
        {[&] { throw InvalidFileAttrs(7); }, "InvalidFileAttrs", false},
        {[&] { throw InvalidFileLocation(location, 7); }, "InvalidFileLocation", true},
        {[&] { throw RootHasNoParent(location, 7); }, "RootHasNoParent", true},
        {[&] { throw FileNotFoundError(location, 7); }, "FileNotFoundError", true},
        {[&] { throw DirectoryNotFoundError(location, 7); }, "DirectoryNotFoundError", true},
        {[&] { throw FileFoundError(location, 7); }, "FileFoundError", true},
        {[&] { throw DirectoryFoundError(location, 7); }, "DirectoryFoundError", true},
        {[&] { throw FileMoveError(location, second, 7); }, "FileMoveError", true},
        {[&] { throw FileLockError(location, 7); }, "FileLockError", true},
        {[&] { throw DiskFullError(location, 7); }, "DiskFullError", true},
        {[&] { throw FilePermissionError(location, 7); }, "FilePermissionError", true},
        {[&] { throw FileSeekError(location, 7); }, "FileSeekError", true},
        {[&] { throw FileItemError(location, 7); }, "FileItemError", true},
        {[&] { throw EndOfFileError(location, 7); }, "EndOfFileError", true},
    };
    for (const Case& c : cases) {
        try {
            c.raise();
            ADD_FAILURE() << c.name;
        } catch (const FileIOError& error) {
            EXPECT_TRUE(Text(error.Message()).starts_with("File error \"class " + c.name + "\""))
                << Text(error.Message());
            EXPECT_EQ(error.Code(), 7u) << c.name;
            EXPECT_EQ(Text(error.Path()), c.hasPath ? "C:\\k" : "") << c.name;
            EXPECT_EQ(Text(error.SecondPath()), c.name == "FileMoveError" ? "C:\\m" : "");
        }
    }
    EXPECT_THROW(throw EmptyFileLocationError(), std::exception);
    EXPECT_EQ(EmptyFileLocationError().Code(), 0u);
}

TEST(FileIOErrorTest, TextIsComposedAnewOnEveryCallAndByEveryCopy) {
    const FileMoveError original(Location("C:\\a"), Location("C:\\b"), 2);
    const std::string first = Text(original.Message());
    const std::string again = Text(original.Message());
    EXPECT_EQ(first, again);
    const std::string narrow = original.what();
    EXPECT_EQ(narrow, AnsiOf(first));

    const FileMoveError copy(original);
    EXPECT_EQ(Text(copy.Message()), first);
    EXPECT_EQ(copy.Code(), 2u);
    EXPECT_EQ(Text(copy.Path()), "C:\\a");
    EXPECT_EQ(Text(copy.SecondPath()), "C:\\b");
    EXPECT_NE(copy.Path().begin(), original.Path().begin());
}

using ErrorMap = void (*)(const FileLocation&, DWORD);

struct NamedMap {
    const char* name;
    ErrorMap map;
    ErrorMap failedCall;
};

const NamedMap kMaps[] = {
    {"ThrowPathError", ThrowPathError, ThrowFailedPathCall},
    {"ThrowOpenError", ThrowOpenError, ThrowFailedOpenCall},
    {"ThrowWriteError", ThrowWriteError, ThrowFailedWriteCall},
    {"ThrowReadError", ThrowReadError, ThrowFailedReadCall},
};

// The class each map raises, null where it returns; by map: path, open, write, read.
struct MapRow {
    std::vector<DWORD> codes;
    std::array<const std::type_info*, 4> raised;
};

const std::type_info* const kReturns = nullptr;
const std::type_info* const kPlain = &typeid(FileIOError);
const std::type_info* const kEndOfFile = &typeid(EndOfFileError);
const std::type_info* const kNotFound = &typeid(FileNotFoundError);
const std::type_info* const kNoDirectory = &typeid(DirectoryNotFoundError);
const std::type_info* const kPermission = &typeid(FilePermissionError);
const std::type_info* const kSeek = &typeid(FileSeekError);
const std::type_info* const kLock = &typeid(FileLockError);
const std::type_info* const kDiskFull = &typeid(DiskFullError);

const std::vector<MapRow>& MapRows() {
    static const std::vector<MapRow> rows = {
        {{0}, {kReturns, kReturns, kReturns, kReturns}},
        {{38}, {kReturns, kPlain, kEndOfFile, kEndOfFile}},
        {{2, 6, 18, 107}, {kNotFound, kNotFound, kPlain, kPlain}},
        {{3, 15, 17, 34, 52, 53, 55, 67, 70, 85, 111, 123, 124, 125, 144, 154, 161, 206, 208, 267},
         {kNoDirectory, kNoDirectory, kPlain, kPlain}},
        {{5, 12, 19, 29, 54, 58, 64, 65, 71, 80, 82, 86, 170, 183},
         {kPermission, kPermission, kPlain, kPermission}},
        {{999}, {kPermission, kPermission, kPlain, kPlain}},
        {{998}, {kPlain, kPlain, kPlain, kPermission}},
        {{32}, {kPlain, kPlain, kPermission, kPermission}},
        {{24, 25, 27, 30, 131, 132}, {kSeek, kPlain, kSeek, kSeek}},
        {{33, 108, 167}, {kLock, kLock, kPermission, kLock}},
        {{39, 112}, {kDiskFull, kDiskFull, kDiskFull, kPlain}},
        // Unlisted codes, among them neighbours of listed ones.
        {{1, 4, 7, 16, 31, 37, 40, 87, 106, 113, 166, 184, 266, 997, 1000, 1359, 0x80070005,
          0xFFFFFFFF},
         {kPlain, kPlain, kPlain, kPlain}},
    };
    return rows;
}

// The class raised, null when the call returned.
const std::type_info* RaisedBy(ErrorMap map, const FileLocation& location, DWORD code) {
    try {
        map(location, code);
    } catch (const FileIOError& error) {
        EXPECT_EQ(error.Code(), code);
        EXPECT_EQ(Text(error.Path()), Text(location.Text()));
        EXPECT_TRUE(error.SecondPath().IsEmpty());
        return &typeid(error);
    }
    return nullptr;
}

std::string NameOf(const std::type_info* type) {
    return type == nullptr ? "return" : type->name();
}

TEST(FileErrorMapsTest, EveryMapRaisesItsClassForEveryListedCode) {
    const FileLocation location = Location("C:\\keys\\k");
    std::set<DWORD> seen;
    for (const MapRow& row : MapRows()) {
        for (const DWORD code : row.codes) {
            EXPECT_TRUE(seen.insert(code).second) << "listed twice: " << code;
            for (std::size_t m = 0; m < 4; ++m) {
                EXPECT_EQ(NameOf(RaisedBy(kMaps[m].map, location, code)), NameOf(row.raised[m]))
                    << kMaps[m].name << " " << code;
            }
        }
    }
}

TEST(FileErrorMapsTest, AFailedCallRaisesThePlainClassWhereTheMapWouldReturn) {
    const FileLocation location = Location("C:\\keys\\k");
    for (const MapRow& row : MapRows()) {
        for (const DWORD code : row.codes) {
            for (std::size_t m = 0; m < 4; ++m) {
                const std::type_info* expected = row.raised[m] == kReturns ? kPlain : row.raised[m];
                EXPECT_EQ(NameOf(RaisedBy(kMaps[m].failedCall, location, code)), NameOf(expected))
                    << kMaps[m].name << " " << code;
            }
        }
    }
}

} // namespace
