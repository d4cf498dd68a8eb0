#include "platform/time/calendar.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Text(UString<UTF8> text) {
    return std::string(text.begin(), text.end());
}

TEST(Calendar, LeapYears) {
    const struct {
        std::uint32_t year;
        bool leap;
    } cases[] = {{0, true},     {1, false},   {4, true},     {100, false}, {400, true},
                 {1900, false}, {2000, true}, {2023, false}, {2024, true}, {2100, false}};
    for (const auto& c : cases)
        EXPECT_EQ(IsLeapYear(c.year), c.leap) << c.year;
}

TEST(Calendar, DaysBeforeEachMonth) {
    const std::uint16_t common[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    for (std::int32_t month = 1; month <= 12; ++month) {
        EXPECT_EQ(DaysBeforeMonth(month, false), common[month - 1]) << month;
        EXPECT_EQ(DaysBeforeMonth(month, true), common[month - 1] + (month > 2 ? 1 : 0)) << month;
    }
}

// Every day of both kinds of year lands in the month whose range holds it.
TEST(Calendar, MonthOfEveryDayOfTheYear) {
    for (const bool leap : {false, true}) {
        const int days = leap ? 366 : 365;
        for (int day = 0; day < days; ++day) {
            const std::int32_t month = MonthOfDayOfYear(static_cast<std::uint16_t>(day), leap);
            ASSERT_GE(day, DaysBeforeMonth(month, leap)) << day << " leap " << leap;
            if (month < 12) {
                ASSERT_LT(day, DaysBeforeMonth(month + 1, leap)) << day << " leap " << leap;
            }
        }
    }
    EXPECT_EQ(MonthOfDayOfYear(59, true), 2);  // 29 February
    EXPECT_EQ(MonthOfDayOfYear(60, true), 3);  // 1 March
    EXPECT_EQ(MonthOfDayOfYear(59, false), 3); // 1 March
    EXPECT_EQ(MonthOfDayOfYear(365, true), 12);
}

TEST(Calendar, Names) {
    const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (std::int32_t month = 1; month <= 12; ++month)
        EXPECT_EQ(Text(MonthName(month)), months[month - 1]);
    const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    for (std::int32_t day = 0; day <= 6; ++day)
        EXPECT_EQ(Text(DayName(day)), days[day]);
}

TEST(Calendar, ValuesOutsideTheirRangeRaise) {
    for (const std::int32_t month : {-1, 0, 13}) {
        EXPECT_THROW(MonthName(month), InvalidMonth) << month;
        EXPECT_THROW(DaysBeforeMonth(month, false), InvalidMonth) << month;
    }
    for (const std::int32_t day : {-1, 7})
        EXPECT_THROW(DayName(day), InvalidDay) << day;
}

} // namespace
