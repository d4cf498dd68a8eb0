#include "foundation/streams/data_reader.h"

void DataReader::ReadExactly(MutableByteRange range) {
    while (HasMore()) {
        if (range.IsEmpty())
            return;
        ReadSome(range);
    }
    if (!range.IsEmpty())
        throw NoMoreData();
}

constinit EmptyDataReader TheEmptyDataReader;
