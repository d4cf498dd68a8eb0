#include "platform/files/temporary_file.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "foundation/streams/test_bytes.h"
#include "foundation/testing/texts.h"
#include "platform/files/file_errors.h"
#include "platform/files/open_file.h"
#include "platform/files/temporary_files_for_test.h"

namespace {

namespace fs = std::filesystem;

class TemporaryFileTest : public TestDirectory {};

std::string LowerCase(std::string text) {
    for (char& unit : text)
        unit = static_cast<char>(std::tolower(static_cast<unsigned char>(unit)));
    return text;
}

TEST_F(TemporaryFileTest, IsMadeInTheDirectoryAndRemovedUnlessCommitted) {
    for (const bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly ? "read-only" : "writable");
        {
            const TemporaryFile temporary(At(), View("TempSecret"));
            const std::string name = Text(temporary.Location().FileNameText());
            EXPECT_EQ(Text(temporary.Location().Parent().Text()), Text(At().Text()));
            EXPECT_EQ(name.substr(0, 3), "Tem");
            // Windows names it ".TMP", Wine ".tmp".
            EXPECT_EQ(LowerCase(name.substr(name.size() - 4)), ".tmp");
            EXPECT_EQ(Names(), std::vector<std::string>{name});
            WriteWholeFile(BytesOf("secret"), temporary.Location());
            if (readOnly) {
                const CopiedUString<UTF16> wide =
                    LongPathForm(temporary.Location().Text(), kFilePathLimit);
                ASSERT_TRUE(SetFileAttributesW(wide.begin(), FILE_ATTRIBUTE_READONLY));
            }
        }
        EXPECT_EQ(Names(), std::vector<std::string>{});
    }
}

TEST_F(TemporaryFileTest, ACommitMovesTheFileOntoAnAbsentTarget) {
    {
        TemporaryFile temporary(At(), View("Tem"));
        WriteWholeFile(BytesOf("complete"), temporary.Location());
        temporary.Commit(At("output"));
    }
    EXPECT_EQ(Names(), std::vector<std::string>{"output"});
    EXPECT_EQ(Content("output"), "complete");
}

TEST_F(TemporaryFileTest, ACommitNeverReplacesWhatIsInTheWay) {
    for (const bool directory : {false, true}) {
        SCOPED_TRACE(directory ? "directory" : "file");
        if (directory)
            fs::create_directory(Native("output"));
        else
            MakeFile("output", "old");
        std::optional<FileMoveError> raised;
        std::string temporaryName;
        {
            TemporaryFile temporary(At(), View("Tem"));
            temporaryName = Text(temporary.Location().Text());
            WriteWholeFile(BytesOf("new"), temporary.Location());
            try {
                temporary.Commit(At("output"));
            } catch (const FileMoveError& error) {
                raised.emplace(error);
            }
        }
        ASSERT_TRUE(raised.has_value()) << "the commit replaced the output";
        EXPECT_EQ(raised->Code(), DWORD{ERROR_ALREADY_EXISTS});
        EXPECT_EQ(Text(raised->Path()), temporaryName);
        EXPECT_EQ(Text(raised->SecondPath()), Text(At("output").Text()));
        EXPECT_EQ(Names(), std::vector<std::string>{"output"});
        if (directory)
            EXPECT_TRUE(fs::is_directory(Native("output")));
        else
            EXPECT_EQ(Content("output"), "old");
        fs::remove(Native("output"));
    }
}

} // namespace
