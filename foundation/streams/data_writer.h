// Byte sinks: a plain writer, and a receiver driven as Begin, Receive per chunk, End.
#pragma once

#include <cassert>
#include <vector>

#include "foundation/streams/byte_range.h"
#include "foundation/streams/secure_bytes.h"

class DataWriter {
public:
    // Consumes all the bytes of the range.
    virtual DataWriter& Write(ByteRange bytes) = 0;

protected:
    DataWriter() = default;
    DataWriter(const DataWriter&) = default;
    DataWriter& operator=(const DataWriter&) = default;
    // Writers are never owned through this interface.
    ~DataWriter() = default;
};

class DataReceiver : public DataWriter {
public:
    // Hands the range to Receive.
    DataReceiver& Write(ByteRange bytes) final;

    virtual ~DataReceiver() = default;
    virtual void Begin() = 0;
    virtual void Receive(ByteRange bytes) = 0;
    virtual void End() = 0;
};

// Appends what it receives to a caller's vector. End forgets the vector, so a target must be
// set again before the next use.
template <typename Vector>
class BasicVectorAppender : public DataReceiver {
public:
    void SetTarget(Vector* target) { target_ = target; }

    void Begin() override {}
    void Receive(ByteRange bytes) override {
        assert(target_ != nullptr && "VectorAppender used without a target");
        target_->insert(target_->end(), bytes.begin(), bytes.begin() + bytes.Length());
    }
    void End() override { target_ = nullptr; }

private:
    Vector* target_ = nullptr;
};

using VectorAppender = BasicVectorAppender<std::vector<unsigned char>>;
using SecureBytesAppender = BasicVectorAppender<SecureBytes>;

class IgnoreDataReceiver : public DataReceiver {
public:
    void Begin() override {}
    void Receive(ByteRange) override {}
    void End() override {}
};

extern IgnoreDataReceiver TheIgnoreDataReceiver;
