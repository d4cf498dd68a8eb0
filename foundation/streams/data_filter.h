// Range-to-range byte transformers. Filter consumes input and produces output, advancing both
// begins, and returns when either range is exhausted.
#pragma once

#include <cstdint>

#include "foundation/streams/byte_range.h"
#include "foundation/streams/stream_errors.h"
#include "foundation/text/ascii_tables.h"

// On its own a pass-through filter.
class DataFilter {
public:
    virtual ~DataFilter() = default;

    virtual void Filter(ByteRange& input, MutableByteRange& output);
    virtual bool IsComplete() const { return true; }
    virtual void Flush() {}
};

// Decodes one stream from its start; a group split across calls continues where it stopped.
// Bytes outside the alphabet, "=" included, are skipped wherever they stand, and fewer than
// eight bits left over at the end are never produced. Returns as soon as the output fills;
// throws DataOverflow only when a byte falls due with no room at all.
class Base64Decoder : public DataFilter {
public:
    void Filter(ByteRange& input, MutableByteRange& output) override;

private:
    std::uint32_t accumulator_ = 0;
    std::uint8_t pendingBits_ = 0;
};

// 'A'-'Z' 0-25, 'a'-'z' 26-51, '0'-'9' 52-61, '+' 62, '/' 63; every other byte 255.
const ByteTable& Base64DecodeTable();

namespace Ascii {

class CaseLoweringFilter : public DataFilter {
public:
    void Filter(ByteRange& input, MutableByteRange& output) override;
};

class CaseRaisingFilter : public DataFilter {
public:
    void Filter(ByteRange& input, MutableByteRange& output) override;
};

} // namespace Ascii

extern DataFilter ThePassThroughFilter;
extern Ascii::CaseLoweringFilter TheCaseLoweringFilter;
extern Ascii::CaseRaisingFilter TheCaseRaisingFilter;
