#include "platform/time/date_time.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

constexpr std::uint32_t kEpochDay = 719'528;
constexpr std::int64_t kSecond = 1'000'000;

// The standard library's calendar, as the reference.
Date ReferenceDate(std::int64_t daysSince1970) {
    const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{daysSince1970}}};
    return Date{static_cast<std::uint8_t>(unsigned(date.day())),
                static_cast<int>(unsigned(date.month())),
                static_cast<std::uint32_t>(int(date.year()))};
}

void ExpectDate(const Date& date, const Date& expected) {
    EXPECT_EQ(date.year, expected.year);
    EXPECT_EQ(date.month, expected.month);
    EXPECT_EQ(date.day, expected.day);
}

void ExpectTime(const TimeOfDay& time, int hour, int minute, int second) {
    EXPECT_EQ(time.hour, hour);
    EXPECT_EQ(time.minute, minute);
    EXPECT_EQ(time.second, second);
}

TEST(Date, DayNumbersOfKnownDates) {
    EXPECT_EQ((Date{1, 1, 0}.DayNumber()), 0u);
    EXPECT_EQ((Date{1, 1, 1}.DayNumber()), 366u);
    EXPECT_EQ((Date{1, 1, 1970}.DayNumber()), kEpochDay);
    EXPECT_EQ((Date{31, 12, 9999}.DayNumber()), 3'652'424u);
}

// From 0000-01-01 to beyond 9999-12-31, each day number is the reference calendar's date and
// comes back from that date.
TEST(Date, EveryDayNumberMatchesTheReferenceCalendar) {
    for (std::uint32_t n = 0; n <= 3'700'000; ++n) {
        Date date;
        date.FromDayNumber(n);
        const Date expected = ReferenceDate(std::int64_t{n} - kEpochDay);
        ASSERT_TRUE(date.year == expected.year && date.month == expected.month &&
                    date.day == expected.day)
            << n << ": " << date.year << "-" << date.month << "-" << int(date.day);
        ASSERT_EQ(date.DayNumber(), n);
    }
}

TEST(Date, AddDaysCrossesMonthsAndYears) {
    const struct {
        Date start;
        std::int32_t days;
        Date expected;
    } cases[] = {
        {{28, 2, 2024}, 1, {29, 2, 2024}},          {{28, 2, 2023}, 1, {1, 3, 2023}},
        {{1, 3, 2000}, -1, {29, 2, 2000}},          {{1, 3, 1900}, -1, {28, 2, 1900}},
        {{31, 12, 1999}, 1, {1, 1, 2000}},          {{1, 1, 1970}, -1, {31, 12, 1969}},
        {{1, 1, 1970}, 365 * 30 + 7, {1, 1, 2000}},
    };
    for (const auto& c : cases) {
        Date date = c.start;
        date.AddDays(c.days);
        ExpectDate(date, c.expected);
    }
}

TEST(TimeOfDay, WrapsAroundMidnight) {
    TimeOfDay time{23, 59, 30};
    time.AddSeconds(45);
    ExpectTime(time, 0, 0, 15);
    time.SubtractSeconds(16);
    ExpectTime(time, 23, 59, 59);
    time.AddSeconds(86'400 * 3 + 1);
    ExpectTime(time, 0, 0, 0);
    time.SubtractSeconds(86'400 * 2 + 3600);
    ExpectTime(time, 23, 0, 0);
}

TEST(DateTime, AddSecondsMovesTheDate) {
    const DateTime start(Date{31, 12, 2023}, TimeOfDay{23, 59, 30}, UtcOffset::OfSeconds(3600));
    DateTime later = start;
    later.AddSeconds(45);
    ExpectDate(later.date, {1, 1, 2024});
    ExpectTime(later.time, 0, 0, 15);
    EXPECT_EQ(later.offset.seconds, 3600);

    DateTime earlier = start;
    earlier.AddSeconds(-86'401);
    ExpectDate(earlier.date, {30, 12, 2023});
    ExpectTime(earlier.time, 23, 59, 29);
}

TEST(DateTime, ReadingOfAnInstant) {
    const struct {
        TimePoint point;
        std::int32_t offset;
        Date date;
        int hour, minute, second;
    } cases[] = {
        {0, 0, {1, 1, 1970}, 0, 0, 0},
        {-kSecond, 0, {31, 12, 1969}, 23, 59, 59},
        // The sub-second part is dropped toward zero.
        {-1, 0, {1, 1, 1970}, 0, 0, 0},
        {kSecond - 1, 0, {1, 1, 1970}, 0, 0, 0},
        {0, -3600, {31, 12, 1969}, 23, 0, 0},
        {1'710'853'385 * kSecond, 3600, {19, 3, 2024}, 14, 3, 5},
        {951'825'600 * kSecond, -12'600, {29, 2, 2000}, 8, 30, 0},
        {253'402'300'799 * kSecond, 0, {31, 12, 9999}, 23, 59, 59},
        {-62'135'596'800 * kSecond, 0, {1, 1, 1}, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const DateTime reading(c.point, UtcOffset::OfSeconds(c.offset));
        ExpectDate(reading.date, c.date);
        ExpectTime(reading.time, c.hour, c.minute, c.second);
        EXPECT_EQ(reading.offset.seconds, c.offset);
        EXPECT_EQ(reading.offset.microseconds, c.offset * kSecond);
    }
}

// Whole seconds from year 1 to 9999, at offsets of every sign and with stray seconds.
TEST(DateTime, ToTimePointInvertsTheReading) {
    constexpr std::int64_t kFirst = -62'135'596'800 + 50'400;
    constexpr std::int64_t kLast = 253'402'300'799 - 50'400;
    for (const std::int32_t offset : {0, 3600, -12'600, 5430, 50'400, -43'200}) {
        for (std::int64_t seconds = kFirst; seconds <= kLast; seconds += 86'399 * 31 + 13) {
            const TimePoint point = seconds * kSecond;
            ASSERT_EQ(DateTime(point, UtcOffset::OfSeconds(offset)).ToTimePoint(), point)
                << seconds << " at " << offset;
        }
    }
}

} // namespace
