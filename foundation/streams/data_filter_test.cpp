#include "foundation/streams/data_filter.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "foundation/streams/test_bytes.h"

namespace {

// Runs `filter` over each piece in turn with `room` bytes of output per call, and returns
// what it produced.
std::string FilterAll(DataFilter& filter, std::initializer_list<std::string_view> pieces,
                      std::size_t room = 64) {
    std::string produced;
    for (std::string_view piece : pieces) {
        ByteRange input = BytesOf(piece);
        while (!input.IsEmpty()) {
            std::string buffer(room, '\0');
            MutableByteRange output = BytesOf(buffer);
            filter.Filter(input, output);
            produced.append(buffer.data(), room - output.Length());
        }
    }
    return produced;
}

struct FilterCase {
    std::initializer_list<std::string_view> pieces;
    std::string decoded;
};

TEST(Base64DecoderTest, DecodesAcrossCallsAndSkipsNonDigits) {
    const FilterCase cases[] = {
        {{"TWFu"}, "Man"},
        {{"TW", "Fu"}, "Man"},
        {{"T", "W", "F", "u"}, "Man"},
        {{"TW\r\nFu"}, "Man"},
        {{"TWE="}, "Ma"},
        {{"TW=Fu"}, "Man"},
        {{"===="}, ""},
        {{"-_"}, ""},
        {{"AP8A"}, std::string("\x00\xff\x00", 3)},
        {{"+/+/"}, "\xfb\xff\xbf"},
    };
    for (const FilterCase& c : cases) {
        Base64Decoder decoder;
        EXPECT_EQ(FilterAll(decoder, c.pieces), c.decoded) << *c.pieces.begin();
    }
}

TEST(Base64DecoderTest, StopsWhenTheOutputFills) {
    Base64Decoder decoder;
    ByteRange input = BytesOf("TWFu");
    unsigned char one;
    MutableByteRange output(&one, 1);
    decoder.Filter(input, output);
    EXPECT_EQ(one, 'M');
    EXPECT_TRUE(output.IsEmpty());
    EXPECT_EQ(TextOf(input), "Fu");

    std::string rest(4, '\0');
    MutableByteRange room = BytesOf(rest);
    decoder.Filter(input, room);
    EXPECT_EQ(rest.substr(0, 2), "an");
    EXPECT_EQ(room.Length(), 2u);
    EXPECT_TRUE(input.IsEmpty());
}

TEST(Base64DecoderTest, ByteDueWithNoRoomOverflows) {
    Base64Decoder decoder;
    ByteRange input = BytesOf("TWFu");
    MutableByteRange none;
    EXPECT_THROW(decoder.Filter(input, none), DataOverflow);
    EXPECT_EQ(TextOf(input), "Fu");

    // The byte that overflowed is lost; decoding goes on from the bits after it.
    std::string rest(4, '\0');
    MutableByteRange room = BytesOf(rest);
    decoder.Filter(input, room);
    EXPECT_EQ(rest.substr(0, 2), "an");
}

TEST(Base64DecoderTest, NoByteDueWithNoRoomIsFine) {
    Base64Decoder decoder;
    ByteRange input = BytesOf("T\n=");
    MutableByteRange none;
    decoder.Filter(input, none);
    EXPECT_TRUE(input.IsEmpty());
}

TEST(Base64DecodeTableTest, MapsExactlyTheAlphabet) {
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int byte = 0; byte < 256; ++byte) {
        const std::size_t at = alphabet.find(char(byte));
        const int expected = at == std::string::npos ? 255 : int(at);
        EXPECT_EQ(Base64DecodeTable()[byte], expected) << byte;
    }
}

TEST(CaseFiltersTest, MapOnlyAsciiLetters) {
    std::string high;
    for (int byte = 0x80; byte < 0x100; ++byte)
        high.push_back(char(byte));
    Ascii::CaseLoweringFilter lower;
    Ascii::CaseRaisingFilter upper;
    EXPECT_EQ(FilterAll(lower, {"AbZ[@`"}), "abz[@`");
    EXPECT_EQ(FilterAll(upper, {"a[z{@`"}), "A[Z{@`");
    EXPECT_EQ(FilterAll(lower, {high}), high);
    EXPECT_EQ(FilterAll(upper, {high}), high);
}

TEST(DataFilterTest, PassThroughCopiesUnchanged) {
    const std::string bytes("a\0\xff", 3);
    EXPECT_EQ(FilterAll(ThePassThroughFilter, {bytes}), bytes);
}

TEST(DataFilterTest, ShortOutputLeavesTheRestOfTheInput) {
    const struct {
        DataFilter* filter;
        const char* converted;
    } cases[] = {
        {&ThePassThroughFilter, "ABCD"},
        {&TheCaseLoweringFilter, "abcd"},
        {&TheCaseRaisingFilter, "ABCD"},
    };
    for (const auto& c : cases) {
        ByteRange input = BytesOf("ABCDEFghij");
        std::string buffer(4, '\0');
        MutableByteRange output = BytesOf(buffer);
        c.filter->Filter(input, output);
        EXPECT_EQ(buffer, c.converted);
        EXPECT_TRUE(output.IsEmpty());
        EXPECT_EQ(TextOf(input), "EFghij");
        EXPECT_TRUE(c.filter->IsComplete());
    }
}

} // namespace
