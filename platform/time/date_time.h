// Instants, offsets from UTC, and the wall-clock reading of an instant at an offset.
#pragma once

#include <cstdint>

// Microseconds since 1970-01-01 00:00:00 UTC.
using TimePoint = std::int64_t;

// East of Greenwich is positive; `microseconds` is always `seconds` × 1,000,000.
struct UtcOffset {
    std::int32_t seconds = 0;
    std::int64_t microseconds = 0;

    static constexpr UtcOffset OfSeconds(std::int32_t seconds) {
        return UtcOffset{seconds, std::int64_t{seconds} * 1'000'000};
    }
};

struct Date {
    std::uint8_t day = 1;
    std::int32_t month = 1;
    std::uint32_t year = 0;

    // Days since 0000-01-01, which is day 0; 1970-01-01 is day 719,528.
    std::uint32_t DayNumber() const;
    void FromDayNumber(std::uint32_t dayNumber);
    void AddDays(std::int32_t days);
};

struct TimeOfDay {
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;

    // Both wrap around midnight without touching any date.
    void AddSeconds(std::uint32_t seconds);
    void SubtractSeconds(std::uint32_t seconds);
};

// The date and time hold the wall-clock reading at the stored offset.
struct DateTime {
    Date date;
    TimeOfDay time;
    UtcOffset offset;

    DateTime() = default;
    DateTime(Date dateValue, TimeOfDay timeValue, UtcOffset offsetValue)
        : date(dateValue), time(timeValue), offset(offsetValue) {}
    // The reading of `point` at `offsetValue`; the sub-second part is dropped, toward zero.
    DateTime(TimePoint point, UtcOffset offsetValue);

    // Moves the reading; the offset stays.
    void AddSeconds(std::int64_t seconds);
    TimePoint ToTimePoint() const;
};
