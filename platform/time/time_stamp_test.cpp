#include "platform/time/time_stamp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "foundation/errors/data_overflow.h"

namespace {

constexpr std::int64_t kSecond = 1'000'000;

std::string Stamp(TimePoint point, std::int32_t offset) {
    const ConstData<31> text = FormatDateTime(DateTime(point, UtcOffset::OfSeconds(offset)));
    return std::string(text.c_str(), text.Length());
}

TEST(TimeStamp, Texts) {
    const struct {
        std::int64_t seconds;
        std::int32_t offset;
        const char* text;
    } cases[] = {
        {0, 0, "Thu, 01 Jan 1970 00:00:00 +0000"},
        {1'710'853'385, 3600, "Tue, 19 Mar 2024 14:03:05 +0100"},
        {0, -12'600, "Wed, 31 Dec 1969 20:30:00 -0330"},
        // The seconds of the offset are not shown.
        {0, 5430, "Thu, 01 Jan 1970 01:30:30 +0130"},
        {951'825'600, 0, "Tue, 29 Feb 2000 12:00:00 +0000"},
        {946'684'799, 50'400, "Sat, 01 Jan 2000 13:59:59 +1400"},
        {253'402'300'799, 0, "Fri, 31 Dec 9999 23:59:59 +0000"},
        {-62'135'596'800, 0, "Mon, 01 Jan 0001 00:00:00 +0000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Stamp(c.seconds * kSecond, c.offset), c.text) << c.seconds;
}

// 31 bytes and the right day name on days spread over four-digit years.
TEST(TimeStamp, FixedWidthWithTheReferenceWeekday) {
    const char* names[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    for (std::int64_t day = -719'162; day < 2'932'896; day += 97) {
        const std::string text = Stamp(day * 86'400 * kSecond + 45'296 * kSecond, -34'200);
        ASSERT_EQ(text.size(), 31u) << text;
        const std::chrono::weekday weekday{std::chrono::sys_days{std::chrono::days{day}}};
        ASSERT_EQ(text.substr(0, 3), names[weekday.c_encoding()]) << text;
        ASSERT_EQ(text.substr(16), " 03:04:56 -0930") << text;
    }
}

TEST(TimeStamp, LongYearsAreCutUntilASeparatorFindsNoRoom) {
    const DateTime fiveDigits(Date{1, 1, 12'345}, TimeOfDay{}, UtcOffset::OfSeconds(3600));
    const ConstData<31> text = FormatDateTime(fiveDigits);
    EXPECT_EQ(std::string(text.c_str(), text.Length()), "Mon, 01 Jan 12345 00:00:00 +010");

    const DateTime nineDigits(Date{1, 1, 123'456'789}, TimeOfDay{}, UtcOffset{});
    EXPECT_THROW(FormatDateTime(nineDigits), DataOverflow);
}

TEST(TimeStamp, MostNegativeOffsetHasItsMagnitude) {
    const DateTime value(Date{1, 1, 2000}, TimeOfDay{}, UtcOffset{INT32_MIN, 0});
    const ConstData<31> text = FormatDateTime(value);
    // 2^31 seconds are 596,523 hours and 14 minutes; the hours are cut at the end.
    EXPECT_EQ(std::string(text.c_str(), text.Length()), "Sat, 01 Jan 2000 00:00:00 -5965");
}

} // namespace
