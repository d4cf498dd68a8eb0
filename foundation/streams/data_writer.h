// Byte sinks: a plain writer, and a receiver driven as Begin, Receive per chunk, End.
#pragma once

#include <vector>

#include "foundation/streams/byte_range.h"

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
class VectorAppender : public DataReceiver {
public:
    void SetTarget(std::vector<unsigned char>* target) { target_ = target; }

    void Begin() override {}
    void Receive(ByteRange bytes) override;
    void End() override { target_ = nullptr; }

private:
    std::vector<unsigned char>* target_ = nullptr;
};

class IgnoreDataReceiver : public DataReceiver {
public:
    void Begin() override {}
    void Receive(ByteRange) override {}
    void End() override {}
};

extern IgnoreDataReceiver TheIgnoreDataReceiver;
