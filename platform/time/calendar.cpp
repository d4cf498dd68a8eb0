#include "platform/time/calendar.h"

namespace {

// Entry 0 is never read: months count from 1.
constexpr std::uint16_t kDaysBeforeMonth[13] = {0,   0,   31,  59,  90,  120, 151,
                                                181, 212, 243, 273, 304, 334};

constexpr const char* kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct DayNames {
    UString<UTF8> names[7];

    DayNames() {
        static constexpr char kText[] = "SunMonTueWedThuFriSat";
        for (int day = 0; day < 7; ++day)
            names[day] = UString<UTF8>(kText + 3 * day, kText + 3 * day + 3);
    }
};

} // namespace

bool IsLeapYear(std::uint32_t year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

std::uint16_t DaysBeforeMonth(std::int32_t month, bool leap) {
    if (month < 1 || month > 12)
        throw InvalidMonth();
    return static_cast<std::uint16_t>(kDaysBeforeMonth[month] + (leap && month > 2 ? 1 : 0));
}

std::int32_t MonthOfDayOfYear(std::uint16_t dayOfYear, bool leap) {
    // 29 February, day 59 of a leap year, stays in February.
    if (leap && dayOfYear >= 59)
        --dayOfYear;
    for (std::int32_t month = 2; month <= 12; ++month)
        if (dayOfYear < kDaysBeforeMonth[month])
            return month - 1;
    return 12;
}

UString<UTF8> MonthName(std::int32_t month) {
    if (month < 1 || month > 12)
        throw InvalidMonth();
    const char* name = kMonthNames[month - 1];
    return UString<UTF8>(name, name + 3);
}

UString<UTF8> DayName(std::int32_t dayOfWeek) {
    if (dayOfWeek < 0 || dayOfWeek > 6)
        throw InvalidDay();
    static const DayNames table;
    return table.names[dayOfWeek];
}
