#include "platform/files/module_file_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/encoding/windows_error.h"
#include "foundation/testing/texts.h"
#include "platform/files/file_location.h"

namespace {

// Stands in for GetModuleFileNameW with a name of a chosen length: like the system, it cuts the
// name to the buffer and then returns the buffer's size.
struct FakeModuleName {
    static inline std::u16string name;
    static inline std::vector<DWORD> sizes;

    static DWORD Call(HMODULE, LPWSTR buffer, DWORD size) {
        sizes.push_back(size);
        const DWORD length = std::min<DWORD>(static_cast<DWORD>(name.size()), size);
        std::copy(name.begin(), name.begin() + length, buffer);
        if (length < size) {
            buffer[length] = 0;
            return length;
        }
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
};

std::u16string NameOf(std::size_t length) {
    std::u16string name = u"C:\\";
    while (name.size() < length)
        name += u'a' + static_cast<char16_t>(name.size() % 26);
    return name;
}

TEST(ModuleFileNameTest, GrowsTheBufferUntilTheNameFits) {
    struct Case {
        std::size_t length;
        std::vector<DWORD> sizes;
    };
    const std::vector<Case> cases = {
        {10, {260}},
        {259, {260}},
        {260, {260, 520}},
        {1000, {260, 520, 1040}},
        {32767, {260, 520, 1040, 2080, 4160, 8320, 16640, 32768}},
    };
    for (const Case& c : cases) {
        FakeModuleName::name = NameOf(c.length);
        FakeModuleName::sizes.clear();
        const CopiedUString<UTF8> name = ModuleFileNameThrough(&FakeModuleName::Call, nullptr);
        EXPECT_EQ(Text(name), std::string(FakeModuleName::name.begin(), FakeModuleName::name.end()))
            << c.length;
        EXPECT_EQ(FakeModuleName::sizes, c.sizes) << c.length;
    }
}

TEST(ModuleFileNameTest, ANameThatNeverFitsRaises) {
    FakeModuleName::name = NameOf(32768);
    try {
        ModuleFileNameThrough(&FakeModuleName::Call, nullptr);
        ADD_FAILURE();
    } catch (const Windows::Error& error) {
        EXPECT_EQ(error.Code(), ERROR_INSUFFICIENT_BUFFER);
    }
}

TEST(ModuleFileNameTest, AFailedCallRaisesItsError) {
    const auto failing = [](HMODULE, LPWSTR, DWORD) -> DWORD {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    };
    try {
        ModuleFileNameThrough(failing, nullptr);
        ADD_FAILURE();
    } catch (const Windows::Error& error) {
        EXPECT_EQ(error.Code(), ERROR_ACCESS_DENIED);
    }
}

TEST(ModuleFileNameTest, TheExecutableLiesInItsDirectory) {
    const FileLocation executable(ModuleFileName(nullptr));
    const std::string name = Text(executable.FileNameText());
    EXPECT_EQ(name.rfind("platform_tests", 0), 0u) << name;
    const FileLocation directory = ExecutableDirectory();
    EXPECT_TRUE(directory.IsDirectory());
    EXPECT_TRUE(FileLocation(directory, executable.FileNameText()).IsFile());
}

} // namespace
