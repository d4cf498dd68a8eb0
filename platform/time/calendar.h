// Proleptic Gregorian calendar rules and the English names of months and days. Year 0 exists and
// is a leap year.
#pragma once

#include <cstdint>

#include "foundation/errors/debuggable_exception.h"
#include "foundation/text/ustring.h"

// A month outside 1-12.
class InvalidMonth : public DebuggableException {};
// A day of the week outside 0-6.
class InvalidDay : public DebuggableException {};

bool IsLeapYear(std::uint32_t year);
// The days of the year before the first of `month`; InvalidMonth outside 1-12.
std::uint16_t DaysBeforeMonth(std::int32_t month, bool leap);
// The month, 1-12, of a zero-based day of the year.
std::int32_t MonthOfDayOfYear(std::uint16_t dayOfYear, bool leap);

// Three-letter texts, "Jan" to "Dec"; InvalidMonth outside 1-12.
UString<UTF8> MonthName(std::int32_t month);
// Three-letter texts, 0 = "Sun" to 6 = "Sat"; InvalidDay outside 0-6.
UString<UTF8> DayName(std::int32_t dayOfWeek);
