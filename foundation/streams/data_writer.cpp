#include "foundation/streams/data_writer.h"

#include <cassert>

DataReceiver& DataReceiver::Write(ByteRange bytes) {
    Receive(bytes);
    return *this;
}

void VectorAppender::Receive(ByteRange bytes) {
    assert(target_ != nullptr && "VectorAppender used without a target");
    target_->insert(target_->end(), bytes.begin(), bytes.begin() + bytes.Length());
}

constinit IgnoreDataReceiver TheIgnoreDataReceiver;
