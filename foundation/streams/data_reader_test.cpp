#include "foundation/streams/data_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "foundation/streams/test_bytes.h"

namespace {

// Hands out at most `chunk` bytes of its text per ReadSome.
class ChunkedReader : public DataReader {
public:
    ChunkedReader(std::string text, std::size_t chunk) : text_(std::move(text)), chunk_(chunk) {}

    void Rewind() override { position_ = 0; }
    bool AtEnd() const override { return position_ >= text_.size(); }
    void ReadSome(MutableByteRange& range) override {
        const std::size_t count = std::min({range.Length(), chunk_, text_.size() - position_});
        std::copy_n(text_.data() + position_, count, range.begin());
        position_ += count;
        range.Advance(count);
        ++calls_;
    }

    int Calls() const { return calls_; }

private:
    std::string text_;
    std::size_t chunk_;
    std::size_t position_ = 0;
    int calls_ = 0;
};

TEST(DataReaderTest, ReadExactlyOfEmptyReader) {
    EXPECT_NO_THROW(TheEmptyDataReader.ReadExactly(MutableByteRange()));
    unsigned char byte = 'x';
    EXPECT_THROW(TheEmptyDataReader.ReadExactly(MutableByteRange(&byte, 1)), NoMoreData);
    EXPECT_EQ(byte, 'x');
    EXPECT_FALSE(TheEmptyDataReader.HasMore());
}

TEST(DataReaderTest, ReadExactlyGathersChunksUntilTheRangeIsFull) {
    ChunkedReader reader("abcdefg", 2);
    std::string buffer(5, '\0');
    reader.ReadExactly(BytesOf(buffer));
    EXPECT_EQ(buffer, "abcde");
    EXPECT_EQ(reader.Calls(), 3);
    EXPECT_TRUE(reader.HasMore());
}

TEST(DataReaderTest, ReadExactlyBeyondTheEndThrowsAfterReadingWhatThereWas) {
    ChunkedReader reader("abc", 2);
    std::string buffer(5, '-');
    EXPECT_THROW(reader.ReadExactly(BytesOf(buffer)), NoMoreData);
    EXPECT_EQ(buffer, "abc--");
    EXPECT_TRUE(reader.AtEnd());

    reader.Rewind();
    std::string again(3, '\0');
    reader.ReadExactly(BytesOf(again));
    EXPECT_EQ(again, "abc");
}

} // namespace
