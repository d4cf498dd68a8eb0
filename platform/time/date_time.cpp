#include "platform/time/date_time.h"

#include "platform/time/calendar.h"

namespace {

constexpr std::uint32_t kSecondsPerDay = 86'400;

std::uint32_t DaysBeforeYear(std::uint32_t year) {
    // The + 1 is the leap day of year 0.
    return year == 0 ? 0 : year * 365 + 1 + (year - 1) / 4 - (year - 1) / 100 + (year - 1) / 400;
}

std::uint32_t SecondOfDay(const TimeOfDay& time) {
    return time.hour * 3600u + time.minute * 60u + time.second;
}

void SetSecondOfDay(TimeOfDay& time, std::uint32_t second) {
    time.hour = static_cast<std::uint8_t>(second / 3600);
    time.minute = static_cast<std::uint8_t>(second / 60 % 60);
    time.second = static_cast<std::uint8_t>(second % 60);
}

std::uint32_t EpochDayNumber() {
    static const std::uint32_t epoch = Date{1, 1, 1970}.DayNumber();
    return epoch;
}

} // namespace

std::uint32_t Date::DayNumber() const {
    const auto dayOfYear =
        static_cast<std::uint16_t>(DaysBeforeMonth(month, IsLeapYear(year)) + day - 1);
    return DaysBeforeYear(year) + dayOfYear;
}

void Date::FromDayNumber(std::uint32_t dayNumber) {
    const std::uint32_t m = dayNumber == 0 ? 0 : dayNumber - 1;
    std::uint32_t a = m - m / 146'097;
    a = a + a / 36'524;
    a = a - a / 1'461;
    year = a / 365;
    const bool leap = IsLeapYear(year);
    const auto dayOfYear = static_cast<std::uint16_t>(dayNumber - DaysBeforeYear(year));
    month = MonthOfDayOfYear(dayOfYear, leap);
    day = static_cast<std::uint8_t>(dayOfYear - DaysBeforeMonth(month, leap) + 1);
}

void Date::AddDays(std::int32_t days) {
    FromDayNumber(DayNumber() + static_cast<std::uint32_t>(days));
}

void TimeOfDay::AddSeconds(std::uint32_t seconds) {
    SetSecondOfDay(*this, (SecondOfDay(*this) + seconds % kSecondsPerDay) % kSecondsPerDay);
}

void TimeOfDay::SubtractSeconds(std::uint32_t seconds) {
    SetSecondOfDay(*this, (SecondOfDay(*this) - seconds % kSecondsPerDay + kSecondsPerDay) %
                              kSecondsPerDay);
}

DateTime::DateTime(TimePoint point, UtcOffset offsetValue) : date{1, 1, 1970} {
    AddSeconds(point / 1'000'000);
    AddSeconds(offsetValue.seconds - offset.seconds);
    offset = offsetValue;
}

void DateTime::AddSeconds(std::int64_t seconds) {
    std::int64_t days = seconds / kSecondsPerDay;
    if (days * kSecondsPerDay > seconds)
        --days;
    const auto rest = static_cast<std::uint32_t>(seconds - days * kSecondsPerDay);
    date.AddDays(static_cast<std::int32_t>(days));
    if (SecondOfDay(time) + rest < kSecondsPerDay) {
        time.AddSeconds(rest);
    } else {
        date.AddDays(1);
        time.SubtractSeconds(kSecondsPerDay - rest);
    }
}

TimePoint DateTime::ToTimePoint() const {
    const std::int64_t days = std::int64_t{date.DayNumber()} - EpochDayNumber();
    return days * 86'400'000'000 + std::int64_t{SecondOfDay(time)} * 1'000'000 -
           offset.microseconds;
}
