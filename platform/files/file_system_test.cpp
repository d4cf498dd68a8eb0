#include "platform/files/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "foundation/encoding/windows_error.h"
#include "foundation/testing/texts.h"
#include "platform/files/file_errors.h"
#include "platform/files/temporary_files_for_test.h"

namespace {

namespace fs = std::filesystem;

// Runs the operation and checks the exact class raised, its code and its path.
template <typename Error>
void ExpectRaises(const std::function<void()>& operation, DWORD code, const std::string& path) {
    try {
        operation();
        ADD_FAILURE() << "nothing raised; expected " << typeid(Error).name();
    } catch (const FileIOError& error) {
        EXPECT_EQ(typeid(error), typeid(Error)) << typeid(error).name();
        EXPECT_EQ(error.Code(), code);
        EXPECT_EQ(Text(error.Path()), path);
    }
}

bool IsReadOnly(const fs::path& path) {
    return (fs::status(path).permissions() & fs::perms::owner_write) == fs::perms::none;
}

void MakeReadOnly(const fs::path& path) {
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

using FileSystemTest = TestDirectory;

TEST_F(FileSystemTest, AttributesTellFilesFromDirectories) {
    MakeFile("file", "x");
    EXPECT_TRUE(At().IsDirectory());
    EXPECT_FALSE(At().IsFile());
    EXPECT_TRUE(At("file").IsFile());
    EXPECT_FALSE(At("file").IsDirectory());
    EXPECT_EQ(FileLocation().GetAttributes(), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(At("missing").GetAttributes(), INVALID_FILE_ATTRIBUTES);
    const std::string invalid = "\xFF\xFE";
    EXPECT_EQ(At(invalid).GetAttributes(), INVALID_FILE_ATTRIBUTES);
    ExpectRaises<InvalidFileAttrs>([&] { At("missing").IsFile(); }, 0, "");
    ExpectRaises<InvalidFileAttrs>([&] { FileLocation().IsDirectory(); }, 0, "");
}

TEST_F(FileSystemTest, FindProbesForAnItem) {
    MakeFile("file", "x");
    FileItem item;
    EXPECT_TRUE(item.Find(At("file")));
    EXPECT_EQ(item.Data().dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    item.RequireFound();
    EXPECT_FALSE(item.Find(At("missing")));
    ExpectRaises<FileItemError>([&] { item.RequireFound(); }, 0, Text(At("missing").Text()));
    EXPECT_FALSE(item.Find(FileLocation()));
}

TEST_F(FileSystemTest, CreateDirectoryCreatesTheLastComponentOnly) {
    At("new").CreateDirectory();
    EXPECT_TRUE(fs::is_directory(Native("new")));
    At("new").CreateDirectory(); // present: nothing happens
    MakeFile("file", "x");
    ExpectRaises<DirectoryNotFoundError>([&] { At("file").CreateDirectory(); }, 0,
                                         Text(At("file").Text()));
    const std::string deep = std::string("a") + kSeparator + "b";
    ExpectRaises<DirectoryNotFoundError>([&] { At(deep).CreateDirectory(); }, 3,
                                         Text(At(deep).Text()));
    ExpectRaises<EmptyFileLocationError>([] { FileLocation().CreateDirectory(); }, 0, "");
}

TEST_F(FileSystemTest, CreateDirectoriesCreatesTheMissingChain) {
    const std::string chain = std::string("a") + kSeparator + "b" + kSeparator + "c";
    At(chain).CreateDirectories();
    EXPECT_TRUE(fs::is_directory(Native("a/b/c")));
    At(chain).CreateDirectories(); // already there
    MakeFile("a/file", "x");
    const std::string blocked = std::string("a") + kSeparator + "file";
    ExpectRaises<FileFoundError>([&] { At(blocked + kSeparator + "d").CreateDirectories(); }, 0,
                                 Text(At(blocked).Text()));
    ExpectRaises<EmptyFileLocationError>([] { FileLocation().CreateDirectories(); }, 0, "");
}

// Runs relative names against the test directory, and goes back when it ends.
class InWorkingDirectory {
public:
    explicit InWorkingDirectory(const fs::path& directory) : previous_(fs::current_path()) {
        fs::current_path(directory);
    }
    InWorkingDirectory(const InWorkingDirectory&) = delete;
    InWorkingDirectory& operator=(const InWorkingDirectory&) = delete;
    ~InWorkingDirectory() { fs::current_path(previous_); }

private:
    fs::path previous_;
};

// A missing relative chain climbs to a name without a separator, which has no parent: the call
// refuses it with that name and creates nothing, not even the deeper directories.
TEST_F(FileSystemTest, CreateDirectoriesRefusesAMissingChainWithoutAParent) {
    fs::create_directory(Native("present"));
    const InWorkingDirectory inside(Native(""));
    FileLocation(UString<UTF8>("present")).CreateDirectories();
    const std::string nested = std::string("outer") + kSeparator + "inner";
    for (const auto& entry :
         {std::pair<std::string, std::string>{"single", "single"}, {nested, "outer"}}) {
        SCOPED_TRACE(entry.first);
        ExpectRaises<InvalidFileLocation>(
            [&] { FileLocation(UString<UTF8>(entry.first.c_str())).CreateDirectories(); }, 0,
            entry.second);
        EXPECT_FALSE(fs::exists(Native(entry.second)));
    }
}

TEST_F(FileSystemTest, CreateTempFileCreatesAFreshEmptyFile) {
    const FileLocation first = CreateTempFile(At(), "key");
    const FileLocation second = CreateTempFile(At(), "key");
    EXPECT_NE(Text(first.Text()), Text(second.Text()));
    for (const FileLocation& created : {first, second}) {
        EXPECT_EQ(Text(created.Parent().Text()), Text(At().Text()));
        EXPECT_TRUE(created.IsFile());
        EXPECT_EQ(fs::file_size(Native(Text(created.FileNameText()))), 0u);
    }
    EXPECT_THROW(CreateTempFile(At("missing"), "key"), Windows::Error);
    ExpectRaises<EmptyFileLocationError>([] { CreateTempFile(FileLocation(), "key"); }, 0, "");
}

// A name the system might cut short is never asked for, so nothing is created under a name that
// cannot be read back: the directory, a separator, the prefix, four digits and ".TMP" must fit.
TEST_F(FileSystemTest, CreateTempFileNeedsRoomForTheLongestName) {
    struct Case {
        std::size_t directoryLength;
        const char* prefix;
        bool fits;
    };
    const std::size_t rootLength = At().Text().Length();
    for (const Case& c : {Case{247, "key", true}, Case{248, "key", false}, Case{248, "k", true}}) {
        SCOPED_TRACE(c.directoryLength);
        // One component of the length that makes the whole text as long as the case says.
        const std::string leaf(c.directoryLength - rootLength - 1, 'd');
        fs::create_directory(Native(leaf));
        if (c.fits) {
            EXPECT_EQ(Text(CreateTempFile(At(leaf), c.prefix).Parent().Text()),
                      Text(At(leaf).Text()));
        } else {
            try {
                CreateTempFile(At(leaf), c.prefix);
                ADD_FAILURE() << "a directory without room was taken";
            } catch (const Windows::Error& error) {
                EXPECT_EQ(error.Code(), DWORD{ERROR_FILENAME_EXCED_RANGE});
            }
            EXPECT_TRUE(fs::is_empty(Native(leaf)));
        }
        fs::remove_all(Native(leaf));
    }
}

TEST_F(FileSystemTest, MoveToRefusesWhatItMustNotReplace) {
    MakeFile("source", "s");
    MakeFile("target", "t");
    fs::create_directory(Native("directory"));
    const std::string source = Text(At("source").Text());
    const std::string target = Text(At("target").Text());
    const std::string directory = Text(At("directory").Text());
    ExpectRaises<FileNotFoundError>([&] { At("missing").MoveTo(At("target"), 0); }, 2,
                                    Text(At("missing").Text()));
    ExpectRaises<FileNotFoundError>([&] { FileLocation().MoveTo(At("target"), 0); }, 2, "");
    ExpectRaises<EmptyFileLocationError>([&] { At("source").MoveTo(FileLocation(), 0); }, 0, "");
    ExpectRaises<FileFoundError>([&] { At("source").MoveTo(At("target"), 0); }, 0, target);
    ExpectRaises<DirectoryFoundError>(
        [&] { At("source").MoveTo(At("directory"), MOVEFILE_REPLACE_EXISTING); }, 0, directory);
    ExpectRaises<DirectoryFoundError>(
        [&] { At("directory").MoveTo(At("target"), MOVEFILE_REPLACE_EXISTING); }, 0, directory);
    EXPECT_EQ(Content("source"), "s");
    EXPECT_EQ(Content("target"), "t");
}

TEST_F(FileSystemTest, MoveToAFreeName) {
    MakeFile("source", "s");
    At("source").MoveTo(At("moved"), 0);
    EXPECT_FALSE(fs::exists(Native("source")));
    EXPECT_EQ(Content("moved"), "s");
}

TEST_F(FileSystemTest, MoveReplacingReplacesAReadOnlyFile) {
    MakeFile("source", "new");
    MakeFile("target", "old");
    MakeReadOnly(Native("target"));
    At("source").MoveReplacing(At("target"));
    EXPECT_FALSE(fs::exists(Native("source")));
    EXPECT_EQ(Content("target"), "new");
    EXPECT_FALSE(IsReadOnly(Native("target")));
}

TEST_F(FileSystemTest, MoveReplacingKeepsAReadOnlySourceReadOnly) {
    MakeFile("source", "new");
    MakeFile("target", "old");
    MakeReadOnly(Native("source"));
    At("source").MoveReplacing(At("target"));
    EXPECT_EQ(Content("target"), "new");
    EXPECT_TRUE(IsReadOnly(Native("target")));
}

TEST_F(FileSystemTest, MoveReplacingChecksBothEnds) {
    ExpectRaises<EmptyFileLocationError>([&] { FileLocation().MoveReplacing(At("x")); }, 0, "");
    ExpectRaises<EmptyFileLocationError>([&] { At("x").MoveReplacing(FileLocation()); }, 0, "");
    ExpectRaises<FileNotFoundError>([&] { At("missing").MoveReplacing(At("x")); }, 2,
                                    Text(At("missing").Text()));
}

} // namespace
