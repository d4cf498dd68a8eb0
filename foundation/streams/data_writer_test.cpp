#include "foundation/streams/data_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/streams/test_bytes.h"

namespace {

std::vector<unsigned char> Bytes(std::string_view text) {
    return std::vector<unsigned char>(text.begin(), text.end());
}

TEST(VectorAppenderTest, AppendsToWhatTheTargetHeld) {
    std::vector<unsigned char> target = Bytes("xy");
    VectorAppender appender;
    appender.SetTarget(&target);
    appender.Begin();
    appender.Receive(BytesOf("ab"));
    appender.Receive(ByteRange());
    appender.Receive(BytesOf("cd"));
    appender.End();
    EXPECT_EQ(target, Bytes("xyabcd"));
}

TEST(VectorAppenderTest, WriteThroughTheWriterInterfaceReceives) {
    std::vector<unsigned char> target;
    VectorAppender appender;
    appender.SetTarget(&target);
    DataWriter& writer = appender;
    std::string writable = "c";
    writer.Write(BytesOf("ab")).Write(BytesOf(writable));
    EXPECT_EQ(target, Bytes("abc"));
}

TEST(VectorAppenderTest, TargetIsSetAgainAfterEnd) {
    std::vector<unsigned char> first;
    std::vector<unsigned char> second;
    VectorAppender appender;
    appender.SetTarget(&first);
    appender.Receive(BytesOf("1"));
    appender.End();
    appender.SetTarget(&second);
    appender.Receive(BytesOf("2"));
    EXPECT_EQ(first, Bytes("1"));
    EXPECT_EQ(second, Bytes("2"));
}

TEST(IgnoreDataReceiverTest, AcceptsEverything) {
    DataReceiver& receiver = TheIgnoreDataReceiver;
    receiver.Begin();
    EXPECT_EQ(&receiver.Write(BytesOf("ab")), &receiver);
    receiver.End();
}

} // namespace
