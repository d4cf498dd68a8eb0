// A pull source of bytes.
#pragma once

#include "foundation/streams/byte_range.h"
#include "foundation/streams/stream_errors.h"

class DataReader {
public:
    virtual ~DataReader() = default;

    // Restarts from the first byte.
    virtual void Rewind() = 0;
    virtual bool AtEnd() const = 0;
    virtual bool HasMore() const { return !AtEnd(); }
    // Fills the whole range or throws NoMoreData; an empty range never fails. The base loop
    // relies on each ReadSome, while HasMore, storing a byte or reaching the end.
    virtual void ReadExactly(MutableByteRange range);
    // Stores the bytes that are available and advances the range's begin past them.
    virtual void ReadSome(MutableByteRange& range) = 0;
};

class EmptyDataReader : public DataReader {
public:
    void Rewind() override {}
    bool AtEnd() const override { return true; }
    void ReadSome(MutableByteRange&) override {}
};

extern EmptyDataReader TheEmptyDataReader;
