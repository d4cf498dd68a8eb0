// The file code under failures that a real disk rarely produces on demand, made by the Linux
// layer's switch.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "foundation/encoding/windows_error.h"
#include "foundation/streams/test_bytes.h"
#include "foundation/testing/texts.h"
#include "platform/files/file_errors.h"
#include "platform/files/file_system.h"
#include "platform/files/open_file.h"
#include "platform/files/temporary_files_for_test.h"
#include "winapi/testing/fault_injection.h"

namespace {

namespace fs = std::filesystem;

// What an operation raised, reduced to what the rows compare.
struct Raised {
    const std::type_info* type = nullptr;
    DWORD code = 0;
    std::string path;
    std::string secondPath;
};

class FileFaultTest : public TestDirectory {
protected:
    void TearDown() override {
        win32_layer::ClearInjectedFailures();
        TestDirectory::TearDown();
    }

public:
    // Public so that the rows can name them as members of this class.
    void ReadWhole() const {
        MakeFile("data", "content");
        IgnoreDataReceiver receiver;
        ReadWholeFile(At("data"), receiver, 0, nullptr);
    }
    void WriteWhole() const { WriteWholeFile(BytesOf("content"), At("data")); }
    void MakeDirectory() const { At("dir").CreateDirectory(); }
    void Move() const {
        MakeFile("from", "content");
        At("from").MoveTo(At("to"), 0);
    }
    void TempFile() const { CreateTempFile(At(), View("tmp")); }

protected:
    // An exact type, so that a row expecting the plain class fails on any subclass.
    static Raised Run(const std::function<void()>& operation) {
        try {
            operation();
        } catch (const FileIOError& error) {
            return {&typeid(error), error.Code(), Text(error.Path()), Text(error.SecondPath())};
        } catch (const Windows::Error& error) {
            return {&typeid(error), error.Code(), "", ""};
        } catch (const std::exception& error) {
            return {&typeid(error), 0, "", ""};
        }
        return {};
    }
};

TEST_F(FileFaultTest, EachFailingCallRaisesItsMapsClassWithTheCodeAndLocation) {
    using Operation = void (FileFaultTest::*)() const;
    struct Case {
        const char* name;
        LayerCall call;
        DWORD code;
        Operation operation;
        const std::type_info& raised;
        std::string path;
        std::string secondPath;
    };
    // The code-0 rows stand for a call whose result proves failure while the last error says
    // success: passing on would read nothing, write nothing or lose a directory silently.
    const std::vector<Case> cases = {
        {"read locked", LayerCall::ReadFile, 33, &FileFaultTest::ReadWhole, typeid(FileLockError),
         "data", ""},
        {"read no code", LayerCall::ReadFile, 0, &FileFaultTest::ReadWhole, typeid(FileIOError),
         "data", ""},
        {"write disk full", LayerCall::WriteFile, 112, &FileFaultTest::WriteWhole,
         typeid(DiskFullError), "data", ""},
        {"write denied", LayerCall::WriteFile, 5, &FileFaultTest::WriteWhole, typeid(FileIOError),
         "data", ""},
        {"write no code", LayerCall::WriteFile, 0, &FileFaultTest::WriteWhole, typeid(FileIOError),
         "data", ""},
        {"open for reading shared", LayerCall::CreateFileW, 32, &FileFaultTest::ReadWhole,
         typeid(FileIOError), "data", ""},
        {"open for reading not found", LayerCall::CreateFileW, 2, &FileFaultTest::ReadWhole,
         typeid(FileNotFoundError), "data", ""},
        {"open for writing denied", LayerCall::CreateFileW, 5, &FileFaultTest::WriteWhole,
         typeid(FilePermissionError), "data", ""},
        {"open no code", LayerCall::CreateFileW, 0, &FileFaultTest::WriteWhole, typeid(FileIOError),
         "data", ""},
        {"directory denied", LayerCall::CreateDirectoryW, 5, &FileFaultTest::MakeDirectory,
         typeid(FilePermissionError), "dir", ""},
        {"directory no parent", LayerCall::CreateDirectoryW, 3, &FileFaultTest::MakeDirectory,
         typeid(DirectoryNotFoundError), "dir", ""},
        {"directory no code", LayerCall::CreateDirectoryW, 0, &FileFaultTest::MakeDirectory,
         typeid(FileIOError), "dir", ""},
        {"move denied", LayerCall::MoveFileExW, 5, &FileFaultTest::Move, typeid(FileMoveError),
         "from", "to"},
        {"temporary name denied", LayerCall::GetTempFileNameW, 5, &FileFaultTest::TempFile,
         typeid(Windows::Error), "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ScopedFaultInjection failure(c.call, c.code);
        const Raised raised = Run([&] { (this->*c.operation)(); });
        ASSERT_NE(raised.type, nullptr) << "nothing raised";
        EXPECT_EQ(raised.type->name(), std::string(c.raised.name()));
        EXPECT_EQ(raised.code, c.code);
        EXPECT_EQ(raised.path, c.path.empty() ? "" : Text(At(c.path).Text()));
        EXPECT_EQ(raised.secondPath, c.secondPath.empty() ? "" : Text(At(c.secondPath).Text()));
    }
}

// Windows lets a write report fewer bytes than asked only for pipes, but the writer must not
// take it for success either way.
TEST_F(FileFaultTest, AWriteCutShortIsAFailure) {
    ShortenNextWrite(3);
    const Raised raised = Run([this] { WriteWhole(); });
    ASSERT_NE(raised.type, nullptr) << "nothing raised";
    EXPECT_EQ(raised.type->name(), std::string(typeid(FileIOError).name()));
    EXPECT_EQ(raised.code, 0u);
    EXPECT_EQ(raised.path, Text(At("data").Text()));
}

constexpr fs::perms kWriteBits =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

// Writing a temporary file and moving it over the destination is meant to be all-or-nothing:
// a failed move must neither touch the destination nor lose what was written.
TEST_F(FileFaultTest, FailedMoveLeavesTheDestinationContentAsItWas) {
    for (const bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly ? "read-only" : "writable");
        MakeFile("target", "old");
        if (readOnly)
            fs::permissions(Native("target"), kWriteBits, fs::perm_options::remove);
        const FileLocation temporary = CreateTempFile(At(), View("new"));
        WriteWholeFile(BytesOf("new"), temporary);
        {
            const ScopedFaultInjection failure(LayerCall::MoveFileExW, 5);
            EXPECT_THROW(temporary.MoveReplacing(At("target")), FileMoveError);
        }
        EXPECT_EQ(Content("target"), "old");
        EXPECT_EQ(Content(Text(temporary.FileNameText())), "new");

        temporary.MoveReplacing(At("target"));
        EXPECT_EQ(Content("target"), "new");
        fs::permissions(Native("target"), fs::perms::owner_write, fs::perm_options::add);
        fs::remove(Native("target"));
    }
}

} // namespace
