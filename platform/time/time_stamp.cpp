#include "platform/time/time_stamp.h"

#include <algorithm>
#include <cstring>

#include "foundation/errors/data_overflow.h"
#include "foundation/numbers/number_text.h"
#include "platform/time/calendar.h"

namespace {

constexpr std::size_t kTimeStampSize = 31;

// Names and digit groups are cut at the end of the buffer; a separator needs room.
class TimeStampWriter {
public:
    void Put(UString<UTF8> piece) {
        const std::size_t count = std::min<std::size_t>(piece.Length(), kTimeStampSize - length_);
        std::memcpy(text_ + length_, piece.begin(), count);
        length_ += count;
    }
    void Put(char unit) {
        if (length_ == kTimeStampSize)
            throw DataOverflow();
        text_[length_++] = unit;
    }
    void PutDigits(std::uint32_t value, std::uint32_t width) {
        Put(ToDecimal32(value, width).View());
    }
    ConstData<31> Result() const { return ConstData<31>(UString<UTF8>(text_, text_ + length_)); }

private:
    char text_[kTimeStampSize];
    std::size_t length_ = 0;
};

void WriteDate(TimeStampWriter& writer, const Date& date) {
    // Day 0, 0000-01-01, was a Saturday.
    writer.Put(DayName(static_cast<std::int32_t>((date.DayNumber() + 6) % 7)));
    writer.Put(',');
    writer.Put(' ');
    writer.PutDigits(date.day, 2);
    writer.Put(' ');
    writer.Put(MonthName(date.month));
    writer.Put(' ');
    writer.PutDigits(date.year, 4);
}

void WriteTimeOfDay(TimeStampWriter& writer, const TimeOfDay& time) {
    writer.PutDigits(time.hour, 2);
    writer.Put(':');
    writer.PutDigits(time.minute, 2);
    writer.Put(':');
    writer.PutDigits(time.second, 2);
}

void WriteUtcOffset(TimeStampWriter& writer, const UtcOffset& offset) {
    writer.Put(offset.seconds >= 0 ? '+' : '-');
    // Unsigned, so that the most negative offset has a magnitude too.
    const auto magnitude = offset.seconds >= 0 ? static_cast<std::uint32_t>(offset.seconds)
                                               : 0u - static_cast<std::uint32_t>(offset.seconds);
    writer.PutDigits(magnitude / 3600, 2);
    writer.PutDigits(magnitude / 60 % 60, 2);
}

} // namespace

ConstData<31> FormatDateTime(const DateTime& value) {
    TimeStampWriter writer;
    WriteDate(writer, value.date);
    writer.Put(' ');
    WriteTimeOfDay(writer, value.time);
    writer.Put(' ');
    WriteUtcOffset(writer, value.offset);
    return writer.Result();
}
