#include "datetime/UCalendar.h"

#include <cmath>
#include <cstdlib>

namespace {

// Days from 1 January 1970 of a proleptic Gregorian date (valid for every year used here).
long long DaysFromCivil(long long year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153LL * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(long long days, int& year, int& month, int& day)
{
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

// 30 December 1899 counted from 1 January 1970.
constexpr long long EpochOffset = -25569;

int DayOfWeekOfDayNumber(long long dayNumber)
{
    // Day 0 (30 December 1899) was a Saturday.
    const long long sinceSunday = ((dayNumber % 7) + 7 + 6) % 7;
    return static_cast<int>(sinceSunday) + 1;
}

}  // namespace

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool IsValidDate(int year, int month, int day)
{
    return year >= 1 && year <= 9999 && day >= 1 && day <= DaysInMonth(year, month);
}

bool TryEncodeDate(int year, int month, int day, double& value)
{
    if (!IsValidDate(year, month, day))
        return false;
    value = static_cast<double>(DaysFromCivil(year, month, day) - EpochOffset);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int milliSecond, double& value)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || milliSecond < 0 ||
        milliSecond > 999)
        return false;
    const long long ms = ((hour * 60LL + minute) * 60 + second) * 1000 + milliSecond;
    value = static_cast<double>(ms) / MSecsPerDay;
    return true;
}

double CombineDateTime(double days, double timeOfDay)
{
    // Before day 0 the time of day counts away from zero, so that the whole-day part
    // of the result is still the date.
    return days < 0 ? days - timeOfDay : days + timeOfDay;
}

bool DecodeDateTime(double value, TDateTimeParts& parts)
{
    if (!std::isfinite(value) || value < MinDateValue - 1 || value > MaxDateValue + 1)
        return false;
    const long long total = std::llround(value * MSecsPerDay);
    const long long dayNumber = total / MSecsPerDay;  // towards zero, like the value's date
    const long long ms = std::llabs(total) % MSecsPerDay;
    if (dayNumber < static_cast<long long>(MinDateValue) || dayNumber > static_cast<long long>(MaxDateValue))
        return false;
    CivilFromDays(dayNumber + EpochOffset, parts.Year, parts.Month, parts.Day);
    parts.Hour = static_cast<int>(ms / 3600000);
    parts.Minute = static_cast<int>(ms / 60000 % 60);
    parts.Second = static_cast<int>(ms / 1000 % 60);
    parts.MilliSecond = static_cast<int>(ms % 1000);
    parts.DayOfWeek = DayOfWeekOfDayNumber(dayNumber);
    return true;
}

int DayOfWeek(int year, int month, int day)
{
    return DayOfWeekOfDayNumber(DaysFromCivil(year, month, day) - EpochOffset);
}
