#include "platform/files/temp_file_name.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "foundation/encoding/windows_error.h"
#include "foundation/testing/texts.h"

namespace {

// Stands in for GetTempFileNameW, reporting success with a name of a chosen length; a length of
// MAX_PATH fills the buffer without a NUL.
struct FakeTempName {
    static inline std::size_t length = 0;

    static UINT Call(LPCWSTR, LPCWSTR, UINT, LPWSTR name) {
        std::fill(name, name + length, WCHAR('x'));
        if (length < MAX_PATH)
            name[length] = 0;
        return 1;
    }
};

TEST(TempFileNameTest, ANameIsReadNoFurtherThanTheBuffer) {
    const FileLocation directory(UString<UTF8>("C:\\d"));
    FakeTempName::length = MAX_PATH - 1;
    const FileLocation longest = CreateTempFileThrough(&FakeTempName::Call, directory, "k");
    EXPECT_EQ(Text(longest.Text()), std::string(MAX_PATH - 1, 'x'));

    FakeTempName::length = MAX_PATH;
    try {
        CreateTempFileThrough(&FakeTempName::Call, directory, "k");
        ADD_FAILURE() << "a name without a NUL was taken";
    } catch (const Windows::Error& error) {
        EXPECT_EQ(error.Code(), DWORD{ERROR_FILENAME_EXCED_RANGE});
    }
}

} // namespace
