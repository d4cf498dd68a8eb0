#include "foundation/streams/data_writer.h"

DataReceiver& DataReceiver::Write(ByteRange bytes) {
    Receive(bytes);
    return *this;
}

constinit IgnoreDataReceiver TheIgnoreDataReceiver;
