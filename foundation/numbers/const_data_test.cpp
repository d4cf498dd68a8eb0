#include "foundation/numbers/const_data.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/testing/texts.h"

namespace {

TEST(ConstDataTest, HoldsTheTextFollowedByTwoNuls) {
    for (const char* text : {"", "a", "US-ASCII", "12345678"}) {
        const ConstData<8> data{UString<UTF8>(text)};
        const std::size_t length = std::strlen(text);
        EXPECT_EQ(data.Length(), length);
        EXPECT_EQ(Text(data.View()), text);
        EXPECT_STREQ(data.c_str(), text);
        EXPECT_EQ(data.c_str()[length], '\0');
        EXPECT_EQ(data.c_str()[length + 1], '\0');
    }
}

TEST(ConstDataTest, TextLongerThanTheCapacityIsRefused) {
    EXPECT_THROW(ConstData<8>(UString<UTF8>("123456789")), ConstDataCapacityExceeded);
    const ConstData<16> wide{UString<UTF8>("0123456789")};
    EXPECT_THROW(ConstData<8>(wide.View()), ConstDataCapacityExceeded);
    EXPECT_EQ(Text(ConstData<10>(wide.View()).View()), "0123456789");
}

TEST(ConstDataTest, CopiesKeepTheirOwnText) {
    const ConstData<8> original{UString<UTF8>("abc")};
    ConstData<8> copy = original;
    EXPECT_NE(copy.c_str(), original.c_str());
    EXPECT_STREQ(copy.c_str(), "abc");
    EXPECT_EQ(copy.View().begin(), copy.c_str());
}

} // namespace
