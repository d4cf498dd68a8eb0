#include "platform/files/open_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "foundation/streams/stream_errors.h"
#include "foundation/streams/test_bytes.h"
#include "foundation/testing/texts.h"
#include "platform/files/file_errors.h"
#include "platform/files/temporary_files_for_test.h"
#include "winapi/testing/target_guards.h"

namespace {

namespace fs = std::filesystem;

std::string Pattern(std::size_t length) {
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    return bytes;
}

// Records the calls a receiver gets, with the progress calls between them.
class RecordingReceiver : public DataReceiver, public Callable<void (*)()> {
public:
    void Begin() override { events.push_back("begin"); }
    void Receive(ByteRange bytes) override {
        events.push_back("receive " + std::to_string(bytes.Length()));
        content.append(reinterpret_cast<const char*>(bytes.begin()), bytes.Length());
    }
    void End() override { events.push_back("end"); }
    void Run() override { events.push_back("progress"); }

    std::vector<std::string> events;
    std::string content;
};

using OpenFileTest = TestDirectory;

TEST_F(OpenFileTest, ReadWholeFileDeliversChunksFromTheOffset) {
    struct Case {
        std::size_t size;
        std::uint64_t offset;
        std::vector<std::string> events;
    };
    const std::vector<Case> cases = {
        {0, 0, {"begin", "end"}},
        {10000,
         0,
         {"begin", "receive 4096", "progress", "receive 4096", "progress", "receive 1808",
          "progress", "end"}},
        {10000, 9000, {"begin", "receive 1000", "progress", "end"}},
        {10000, 10000, {"begin", "end"}},
        {4096, 0, {"begin", "receive 4096", "progress", "end"}},
    };
    for (const Case& c : cases) {
        const std::string content = Pattern(c.size);
        MakeFile("file", content);
        RecordingReceiver receiver;
        ReadWholeFile(At("file"), receiver, c.offset, &receiver);
        EXPECT_EQ(receiver.events, c.events) << c.size << " from " << c.offset;
        EXPECT_EQ(receiver.content, content.substr(c.offset)) << c.size << " from " << c.offset;
    }
}

TEST_F(OpenFileTest, ReadWholeFileWithoutProgress) {
    MakeFile("file", "abc");
    VectorAppender appender;
    std::vector<unsigned char> target;
    appender.SetTarget(&target);
    ReadWholeFile(At("file"), appender, 1, nullptr);
    EXPECT_EQ(std::string(target.begin(), target.end()), "bc");
}

TEST_F(OpenFileTest, ReadWholeFileFailsAfterBeginWithoutEnd) {
    MakeFile("file", "abc");
    RecordingReceiver beyond;
    EXPECT_THROW(ReadWholeFile(At("file"), beyond, 4, &beyond), FileReadingLoopEndOfFileError);
    EXPECT_EQ(beyond.events, std::vector<std::string>{"begin"});
    RecordingReceiver missing;
    try {
        ReadWholeFile(At("missing"), missing, 0, &missing);
        ADD_FAILURE();
    } catch (const FileNotFoundError& error) {
        EXPECT_EQ(error.Code(), 2u);
        EXPECT_EQ(Text(error.Path()), Text(At("missing").Text()));
    }
    EXPECT_EQ(missing.events, std::vector<std::string>{"begin"});
}

TEST_F(OpenFileTest, WriteWholeFileReplacesTheContent) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "old content"}, {"new", "old content"}, {Pattern(10000), "old"}};
    for (const auto& [content, old] : cases) {
        MakeFile("file", old);
        WriteWholeFile(BytesOf(content), At("file"));
        EXPECT_EQ(Content("file"), content);
    }
    WriteWholeFile(ByteRange(), At("created"));
    EXPECT_TRUE(fs::exists(Native("created")));
    EXPECT_EQ(fs::file_size(Native("created")), 0u);
}

TEST_F(OpenFileTest, ADirectoryIsNotOpened) {
    fs::create_directory(Native("directory"));
    const std::vector<std::function<void()>> opens = {
        [&] { WindowsPlatform::FileReadingPath(At("directory"), false); },
        [&] { WindowsPlatform::FileWritingPath{At("directory")}; },
        [&] {
            WindowsPlatform::FileWritingPath file;
            file.CreateForWriting(At("directory"));
        },
    };
    for (const auto& open : opens) {
        try {
            open();
            ADD_FAILURE();
        } catch (const FilePermissionError& error) {
            EXPECT_EQ(Text(error.Path()), Text(At("directory").Text()));
        }
    }
}

// A device or pipe given as a key file would make a read block or never end.
TEST_F(OpenFileTest, ADeviceIsNotOpened) {
    SKIP_ON_WINDOWS_BECAUSE("Linux device names");
    for (const char* device : {"Z:\\dev\\null", "Z:\\dev\\zero"}) {
        SCOPED_TRACE(device);
        try {
            WindowsPlatform::FileReadingPath(FileLocation(View(device)), false);
            ADD_FAILURE() << "opened";
        } catch (const FilePermissionError& error) {
            EXPECT_EQ(error.Code(), 5u);
        }
    }
}

TEST_F(OpenFileTest, CreateForWritingRefusesAReadOnlyFile) {
    SKIP_UNDER_WINE_BECAUSE("Wine run by root opens a read-only file for writing");
    MakeFile("read-only", "keep");
    fs::permissions(Native("read-only"),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    WindowsPlatform::FileWritingPath file;
    try {
        file.CreateForWriting(At("read-only"));
        ADD_FAILURE();
    } catch (const FilePermissionError& error) {
        EXPECT_EQ(error.Code(), 5u);
        EXPECT_EQ(Text(error.Path()), Text(At("read-only").Text()));
    }
    EXPECT_EQ(Content("read-only"), "keep");
}

TEST_F(OpenFileTest, CreateForWritingTruncatesInPlace) {
    MakeFile("file", "old content");
    WindowsPlatform::FileWritingPath file;
    file.CreateForWriting(At("file"));
    EXPECT_EQ(file.Size(), 0u);
    FileWriter(file, 0).Write(BytesOf("ab"));
    file.CreateForWriting(At("file")); // closes the first handle
    EXPECT_EQ(file.Size(), 0u);
    file.Close();
    file.Close(); // closed: nothing happens
    EXPECT_EQ(file.Handle(), nullptr);
}

TEST_F(OpenFileTest, ReadersAndWritersKeepTheirOwnOffsets) {
    WindowsPlatform::FileWritingPath file(At("file"));
    FileWriter writer(file, 2);
    writer.Write(BytesOf("cd")).Write(BytesOf("ef"));
    EXPECT_EQ(writer.Offset(), 6u);
    writer.Write(ByteRange());
    EXPECT_EQ(writer.Offset(), 6u);
    FileWriter(file, 0).Write(BytesOf("ab"));
    EXPECT_EQ(file.Size(), 6u);

    FileReader first(file, 0);
    FileReader second(file, 3);
    unsigned char buffer[3] = {};
    first.ReadExactly(MutableByteRange(buffer, 3));
    EXPECT_EQ(std::string(buffer, buffer + 3), "abc");
    second.ReadExactly(MutableByteRange(buffer, 3));
    EXPECT_EQ(std::string(buffer, buffer + 3), "def");
    EXPECT_TRUE(second.AtEnd());
    EXPECT_FALSE(first.AtEnd());
    second.Rewind();
    MutableByteRange some(buffer, 3);
    second.ReadSome(some);
    EXPECT_EQ(some.begin(), buffer + 3);
    EXPECT_EQ(std::string(buffer, buffer + 3), "abc");
    EXPECT_EQ(second.Offset(), 3u);
}

// Sparse files, so that sizes beyond 32 bits cost no disk space.
TEST_F(OpenFileTest, SizeJoinsBothHalves) {
    for (const std::uint64_t size :
         {std::uint64_t(0), std::uint64_t(0xFFFFFFFF), std::uint64_t(0x100000005)}) {
        MakeFile("file", "");
        fs::resize_file(Native("file"), size);
        const WindowsPlatform::FileReadingPath file(At("file"), false);
        EXPECT_EQ(file.Size(), size);
    }
}

TEST_F(OpenFileTest, ReadExactlyPastTheEndAdvancesByWhatItRead) {
    MakeFile("file", Pattern(20));
    const WindowsPlatform::FileReadingPath file(At("file"), false);
    FileReader reader(file, 16);
    unsigned char buffer[10] = {};
    EXPECT_THROW(reader.ReadExactly(MutableByteRange(buffer, 10)), NoMoreData);
    EXPECT_EQ(reader.Offset(), 20u);
    MutableByteRange atEnd(buffer, 10);
    reader.ReadSome(atEnd);
    EXPECT_EQ(atEnd.begin(), buffer);
}

// Either way round: a key file being written is never read half-done, and the reverse.
TEST_F(OpenFileTest, ReadersAndWritersOfOneFileExcludeEachOther) {
    MakeFile("file", "abc");
    const auto expectSharingViolation = [](const std::function<void()>& open) {
        try {
            open();
            ADD_FAILURE() << "opened";
        } catch (const FileIOError& error) {
            EXPECT_EQ(typeid(error), typeid(FileIOError)) << typeid(error).name();
            EXPECT_EQ(error.Code(), 32u);
        }
    };
    {
        const WindowsPlatform::FileReadingPath reading(At("file"), false);
        expectSharingViolation([&] { WindowsPlatform::FileWritingPath writing(At("file")); });
    }
    const WindowsPlatform::FileWritingPath writing(At("file"));
    expectSharingViolation([&] {
        IgnoreDataReceiver receiver;
        ReadWholeFile(At("file"), receiver, 0, nullptr);
    });
}

unsigned RunLoopAfterShrinking(void* argument) {
    (*static_cast<std::function<void()>*>(argument))();
    return 0;
}

// Another handle cuts the file short after the loop took its size; without a check for empty
// reads the loop would read nothing for ever, so it runs on a thread that must end in time.
TEST_F(OpenFileTest, AFileThatShrinksEndsTheLoop) {
    MakeFile("file", Pattern(10000));
    bool raised = false;
    std::function<void()> body = [&] {
        const WindowsPlatform::FileReadingPath file(At("file"), true);
        unsigned char buffer[4096];
        FileReadingLoop loop(MutableByteRange(buffer, sizeof buffer), file, 0);
        EXPECT_EQ(loop.Chunk().Length(), 4096u);
        WindowsPlatform::FileWritingPath other;
        other.CreateForWriting(At("file"));
        FileWriter(other, 0).Write(BytesOf(Pattern(5000)));
        std::uint64_t delivered = loop.Chunk().Length();
        try {
            while (loop.Remaining() > 0) {
                loop.Next();
                delivered += loop.Remaining() > 0 ? loop.Chunk().Length() : 0;
            }
        } catch (const FileReadingLoopEndOfFileError&) {
            raised = true;
        }
        EXPECT_EQ(delivered, 5000u);
    };
    const auto thread = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, RunLoopAfterShrinking, &body, 0, nullptr));
    ASSERT_NE(thread, nullptr);
    if (WaitForSingleObject(thread, 20000) != WAIT_OBJECT_0) {
        // The thread cannot be stopped and holds this test's objects: end the binary.
        std::fputs("FileReadingLoop did not end on a shrunk file\n", stderr);
        std::_Exit(1);
    }
    CloseHandle(thread);
    EXPECT_TRUE(raised);
}

} // namespace
