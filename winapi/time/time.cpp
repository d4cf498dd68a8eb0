// The clocks and the time-zone state from the C library, so that TZ chooses the zone as it does
// for every other Linux program.
#include "winapi/time/time.h"

#include <ctime>

#include "winapi/internal/fault_injection.h"

namespace {

using win32_layer::InjectedFailure;
using win32_layer::LayerCall;

SYSTEMTIME SystemTimeOf(const std::tm& fields, long nanoseconds) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(fields.tm_year + 1900);
    time.wMonth = static_cast<WORD>(fields.tm_mon + 1);
    time.wDayOfWeek = static_cast<WORD>(fields.tm_wday);
    time.wDay = static_cast<WORD>(fields.tm_mday);
    time.wHour = static_cast<WORD>(fields.tm_hour);
    time.wMinute = static_cast<WORD>(fields.tm_min);
    // A leap second reads as the last second of its minute.
    time.wSecond = static_cast<WORD>(fields.tm_sec > 59 ? 59 : fields.tm_sec);
    time.wMilliseconds = static_cast<WORD>(nanoseconds / 1'000'000);
    return time;
}

std::tm LocalFields(std::time_t when) {
    std::tm fields{};
    localtime_r(&when, &fields);
    return fields;
}

void CopyName(const char* name, WCHAR (&target)[32]) {
    std::size_t length = 0;
    for (; name != nullptr && name[length] != '\0' && length + 1 < 32; ++length) {
        target[length] = static_cast<unsigned char>(name[length]);
    }
    target[length] = u'\0';
}

struct Transition {
    // The first second of the new state.
    std::time_t at = 0;
    bool found = false;
};

// The first second at which the zone leaves the daylight state of `before`, which `after` no
// longer has.
std::time_t FirstSecondOfChange(std::time_t before, std::time_t after) {
    const int state = LocalFields(before).tm_isdst;
    while (after - before > 1) {
        const std::time_t middle = before + (after - before) / 2;
        (LocalFields(middle).tm_isdst == state ? before : after) = middle;
    }
    return after;
}

bool IsLeap(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// The wall-clock reading just before the change, in the "day-of-week occurrence" form: the
// weekday's 1st-4th in its month, or 5 when no later one follows in that month.
SYSTEMTIME RuleDateOf(std::time_t change) {
    const std::tm before = LocalFields(change - 1);
    std::tm reading{};
    const std::time_t wall = change + before.tm_gmtoff;
    gmtime_r(&wall, &reading);
    SYSTEMTIME date = SystemTimeOf(reading, 0);
    date.wYear = 0;
    const int days = DaysInMonth(reading.tm_year + 1900, reading.tm_mon + 1);
    date.wDay = static_cast<WORD>(reading.tm_mday + 7 > days ? 5 : (reading.tm_mday - 1) / 7 + 1);
    return date;
}

} // namespace

void GetSystemTime(LPSYSTEMTIME time) {
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm fields{};
    gmtime_r(&now.tv_sec, &fields);
    *time = SystemTimeOf(fields, now.tv_nsec);
}

void GetLocalTime(LPSYSTEMTIME time) {
    tzset();
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    *time = SystemTimeOf(LocalFields(now.tv_sec), now.tv_nsec);
}

// The zone's rule is read off the current year: its changes into and out of daylight time,
// found between samples a quarter of a day apart, which no real zone's changes are.
DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION information) {
    if (InjectedFailure(LayerCall::GetTimeZoneInformation)) {
        return TIME_ZONE_ID_INVALID;
    }
    tzset();
    const std::time_t now = std::time(nullptr);
    const std::tm current = LocalFields(now);

    std::tm firstOfYear{};
    firstOfYear.tm_year = current.tm_year;
    firstOfYear.tm_mday = 1;
    const std::time_t start = timegm(&firstOfYear);
    ++firstOfYear.tm_year;
    const std::time_t end = timegm(&firstOfYear);

    constexpr std::time_t kStep = 6 * 3600;
    Transition intoDaylight;
    Transition outOfDaylight;
    std::tm standardFields = current;
    std::tm daylightFields = current;
    bool changesIrregularly = false;
    std::tm previous = LocalFields(start);
    for (std::time_t sample = start; sample < end;) {
        const std::time_t next = sample + kStep < end ? sample + kStep : end;
        const std::tm fields = LocalFields(next);
        (fields.tm_isdst > 0 ? daylightFields : standardFields) = fields;
        if ((fields.tm_isdst > 0) != (previous.tm_isdst > 0)) {
            Transition& change = fields.tm_isdst > 0 ? intoDaylight : outOfDaylight;
            changesIrregularly = changesIrregularly || change.found;
            change = {FirstSecondOfChange(sample, next), true};
        }
        previous = fields;
        sample = next;
    }
    if (current.tm_isdst <= 0) {
        standardFields = current;
    }

    const bool hasRule = intoDaylight.found && outOfDaylight.found && !changesIrregularly;
    *information = {};
    information->Bias = static_cast<LONG>(-standardFields.tm_gmtoff / 60);
    CopyName(standardFields.tm_zone, information->StandardName);
    if (!hasRule) {
        CopyName(standardFields.tm_zone, information->DaylightName);
        return TIME_ZONE_ID_UNKNOWN;
    }
    information->StandardDate = RuleDateOf(outOfDaylight.at);
    information->DaylightDate = RuleDateOf(intoDaylight.at);
    information->DaylightBias =
        static_cast<LONG>(-(daylightFields.tm_gmtoff - standardFields.tm_gmtoff) / 60);
    CopyName(daylightFields.tm_zone, information->DaylightName);
    return current.tm_isdst > 0 ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
    struct timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    count->QuadPart = LONGLONG{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    frequency->QuadPart = 1'000'000'000;
    return TRUE;
}
