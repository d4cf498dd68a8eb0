#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/encoding/charset_errors.h"
#include "foundation/encoding/transcode.h"
#include "foundation/testing/texts.h"
#include "platform/files/file_location.h"

namespace {

// `head`, then separator-led segments, cut to exactly `length` bytes.
std::string PathOf(const std::string& head, char separator, std::size_t length) {
    std::string path = head;
    while (path.size() < length)
        path += std::string(1, separator) + "segment";
    path.resize(length);
    return path;
}

std::string Backslashed(std::string text) {
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

std::string Repeated(const std::string& piece, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += piece;
    return text;
}

// The path followed in memory by a separator, so that reading past its end changes the answer.
CopiedUString<UTF16> FormOf(const std::string& path, std::uint32_t limit) {
    const std::string buffer = path + "\\x";
    return LongPathForm(UString<UTF8>(buffer.data(), buffer.data() + path.size()), limit);
}

TEST(LongPathFormTest, PrefixesOnlyLongDriveAndUncPathsWithoutDotSegments) {
    struct Case {
        std::string path;
        std::uint32_t limit;
        std::string expected;
    };
    const std::string drive258 = PathOf("C:", '/', 258);
    const std::string drive259 = PathOf("C:", '/', 259);
    const std::string drive300 = PathOf("C:", '/', 300);
    const std::string drive250 = PathOf("C:", '/', 250);
    const std::string dotDot = PathOf("C:/keys/../out", '/', 300);
    const std::string dot = PathOf("C:\\keys\\.\\out", '\\', 300);
    const std::string endsDotDot = PathOf("C:", '\\', 300) + "\\..";
    const std::string endsDot = PathOf("C:", '\\', 300) + "\\.";
    const std::string dottedNames = PathOf("C:\\.git\\a..\\...\\b.", '\\', 300);
    const std::string unc = PathOf("\\\\srv\\share", '\\', 300);
    const std::string uncSlashed = PathOf("\\\\srv/share", '/', 300);
    const std::string relative = PathOf("keys", '/', 300);
    const std::string rooted = PathOf("\\keys", '/', 300);
    const std::string doubleSlash = PathOf("//srv/share", '/', 300);
    const std::string driveRelative = PathOf("C:rel", '/', 300);
    // 263 bytes but 133 units; and 603 bytes, 303 units.
    const std::string fewUnits = "C:/" + Repeated("\xC3\xA9", 130);
    const std::string manyUnits = "C:/" + Repeated("\xC3\xA9", 300);

    const std::vector<Case> cases = {
        {drive258, 259, drive258},
        {drive259, 259, "\\\\?\\" + Backslashed(drive259)},
        {drive300, 259, "\\\\?\\" + Backslashed(drive300)},
        {drive250, 259, drive250},
        {drive250, 248, "\\\\?\\" + Backslashed(drive250)},
        {dotDot, 259, Backslashed(dotDot)},
        {dot, 259, dot},
        {endsDotDot, 259, endsDotDot},
        {endsDot, 259, endsDot},
        {dottedNames, 259, "\\\\?\\" + dottedNames},
        {unc, 259, "\\\\?\\UNC" + unc.substr(1)},
        {uncSlashed, 259, "\\\\?\\UNC" + Backslashed(uncSlashed).substr(1)},
        {relative, 259, relative},
        {rooted, 259, rooted},
        {doubleSlash, 259, doubleSlash},
        {driveRelative, 259, Backslashed(driveRelative)},
        {fewUnits, 259, fewUnits},
        {manyUnits, 259, "\\\\?\\" + Backslashed(manyUnits)},
        {"", 259, ""},
        {"C:", 0, "C:"},
        {"C:", 2, "C:"},
    };
    for (const Case& c : cases) {
        const CopiedUString<UTF16> form = FormOf(c.path, c.limit);
        EXPECT_EQ(Text(TranscodeU16ToU8(form)), c.expected) << c.path << " " << c.limit;
        EXPECT_EQ(*form.end(), WCHAR(0)) << c.path;
    }
}

TEST(LongPathFormTest, DevicePathsPassUnchanged) {
    const std::vector<std::string> paths = {
        PathOf("\\\\?\\C:", '\\', 300),
        PathOf("\\\\?\\C:", '/', 300),
        PathOf("\\\\?\\UNC\\srv\\share", '\\', 300),
        PathOf("\\\\.\\pipe", '\\', 300),
        PathOf("\\\\?/C:", '/', 300),
        PathOf("\\\\./C:", '/', 300),
        PathOf("\\\\?\\C:\\a\\..", '\\', 300),
    };
    for (const std::string& path : paths) {
        const CopiedUString<UTF16> form = FormOf(path, 259);
        EXPECT_EQ(Text(TranscodeU16ToU8(form)), path);
        EXPECT_EQ(*form.end(), WCHAR(0)) << path;
    }
}

TEST(LongPathFormTest, InvalidUtf8RaisesOnEveryRoute) {
    const std::vector<std::string> paths = {
        "\xFF",
        "C:\\k\xC3",
        PathOf("C:", '\\', 300) + "\xFF",
        PathOf("keys", '/', 300) + "\xED\xA0\x80",
        PathOf("\\\\?\\C:", '\\', 300) + "\xC0\xAF",
    };
    for (const std::string& path : paths)
        EXPECT_THROW(FormOf(path, 259), WindowsCharacterSetResult) << path;
}

} // namespace
