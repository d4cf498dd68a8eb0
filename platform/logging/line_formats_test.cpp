#include "platform/logging/line_formats.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "foundation/testing/texts.h"

namespace {

const std::string kStamp = "Tue, 19 Mar 2024 14:03:05 +0100";

IpAddress Address(std::uint8_t family, std::initializer_list<std::uint8_t> bytes,
                  const char* zone = "") {
    IpAddress address;
    address.family = family;
    std::size_t i = 16 - bytes.size();
    for (const std::uint8_t value : bytes)
        address.address[i++] = value;
    std::snprintf(address.zone, sizeof address.zone, "%s", zone);
    return address;
}

TEST(PlainLineTest, StampSeparatorMessageAndLineEnd) {
    const std::vector<std::string> messages = {"text",
                                               "",
                                               "a|b",
                                               "first\r\nsecond\n",
                                               "{m} {_crlf} {",
                                               std::string("nul\0byte", 8),
                                               std::string(300, 'x')};
    for (const std::string& message : messages)
        EXPECT_EQ(Text(FormatPlainLine(View(kStamp), View(message))),
                  kStamp + " -- " + message + "\r\n")
            << message;
}

TEST(AuditLineTest, EscapeTouchesOnlyTheBar) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {"plain", "plain"},
        {"|", "%7C"},
        {"a|b||c|", "a%7Cb%7C%7Cc%7C"},
        {"%7C 100% \r\n", "%7C 100% \r\n"},
        {std::string(200, '|'), [] {
             std::string escaped;
             for (int i = 0; i < 200; ++i)
                 escaped += "%7C";
             return escaped;
         }()}};
    for (const auto& [text, escaped] : cases)
        EXPECT_EQ(Text(EscapeAuditField(View(text))), escaped) << text;
}

TEST(AuditLineTest, EnumerationTextsWithTheLastRowForEveryOtherValue) {
    using TextOf = UString<UTF8> (*)(std::int32_t);
    struct Case {
        TextOf text;
        std::vector<std::string> rows;
    };
    const std::vector<Case> cases = {
        {AuditPriorityText, {"EMERG", "ERROR", "INFO", "WARN", "INFO"}},
        {AuditEventSourceText,
         {"MIRVAL", "QUOBEN", "HALDOR", "TESKAR", "FENDIX", "GORVIN", "OSKELD", ""}},
        {AuditObjectTypeText,
         {"ACTION", "AUTHZ", "COMPUTER", "ROLE", "SITE", "USER", "SETTING", "DATABASE", ""}},
        {AuditEventTypeText, {"LOGIN", "LOGOUT", "CREATE", "DELETE", "UPDATE", "SEARCH", ""}},
    };
    for (const Case& c : cases) {
        const auto rows = static_cast<std::int32_t>(c.rows.size());
        for (std::int32_t value = 0; value < rows; ++value)
            EXPECT_EQ(Text(c.text(value)), c.rows[value]) << value;
        for (const std::int32_t other : {rows, 99, -1, INT32_MIN, INT32_MAX})
            EXPECT_EQ(Text(c.text(other)), c.rows.back()) << other;
    }
    EXPECT_EQ(Text(AuditVersionText(0)), "1");
    for (const std::int32_t other : {1, -1, INT32_MAX})
        EXPECT_EQ(Text(AuditVersionText(other)), "") << other;
}

TEST(AuditLineTest, AddressTexts) {
    const std::uint8_t ff = 0xFF;
    struct Case {
        IpAddress address;
        std::string text;
    };
    const std::vector<Case> cases = {
        {Address(0, {192, 0, 2, 1}), "192.0.2.1"},
        {Address(1, {ff, ff, 192, 0, 2, 1}), "192.0.2.1"},
        {Address(1, {1}), "::1"},
        {Address(1, {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}), "2001:db8::1"},
        // Not mapped: a non-zero byte before the 0xFFFF, or an IPv4 record.
        {Address(1, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, ff, ff, 192, 0, 2, 1}), "100::ffff:c000:201"},
        {Address(0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, ff, ff, 10, 0, 0, 1}), "10.0.0.1"},
        {Address(1, {0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, "eth0"), "fe80::1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text(AuditAddressText(&c.address)), c.text) << c.text;
    EXPECT_EQ(Text(AuditAddressText(nullptr)), "");
}

TEST(AuditLineTest, RenderedEntries) {
    const IpAddress mapped = Address(1, {0xFF, 0xFF, 192, 0, 2, 1});
    struct Case {
        AuditFields fields;
        std::string message;
        std::string line;
    };
    const std::vector<Case> cases = {
        {{0, 2, "", 7, 8, 6, nullptr}, "message", "1|" + kStamp + "|INFO||||||message\r\n"},
        {{1, 3, "ad|min", 2, 5, 4, &mapped},
         "a|b %7C",
         "|" + kStamp + "|WARN|ad%7Cmin|HALDOR|USER|UPDATE|192.0.2.1|a%7Cb %7C\r\n"},
        {{0, 0, "u", 0, 0, 0, nullptr}, "", "1|" + kStamp + "|EMERG|u|MIRVAL|ACTION|LOGIN||\r\n"},
        {{-1, 99, "", -3, 100, 6, nullptr},
         "two\r\nlines",
         "|" + kStamp + "|INFO||||||two\r\nlines\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text(RenderAuditEntry(View(kStamp), c.fields, View(c.message))), c.line)
            << c.line;
}

TEST(AuditLineTest, FieldsGoInAsGiven) {
    EXPECT_EQ(Text(FormatAuditLine("v", "t", "p", "u|", "s", "o", "e", "i", "m|")),
              "v|t|p|u||s|o|e|i|m|\r\n");
}

} // namespace
