// Calendar arithmetic on the date-time value: a double counting days since
// 30 December 1899, whose fraction is the time of day. Values before that day are
// negative; their time of day is the fraction of the absolute amount, so -1.25 is
// 29 December 1899 06:00.
#pragma once

// The first and the last day that a date-time value may hold (years 1..9999).
inline constexpr double MinDateValue = -693593.0;  // 1 January 0001
inline constexpr double MaxDateValue = 2958465.0;  // 31 December 9999
inline constexpr int MSecsPerDay = 86400000;

bool IsLeapYear(int year);
// 28..31, or 0 when the month is outside 1..12.
int DaysInMonth(int year, int month);
bool IsValidDate(int year, int month, int day);

// Whole days of a valid date (year 1..9999); false and value untouched otherwise.
bool TryEncodeDate(int year, int month, int day, double& value);
// The fraction of a day of a valid time of day; false and value untouched otherwise.
bool TryEncodeTime(int hour, int minute, int second, int milliSecond, double& value);
// Joins whole days and a time of day, keeping the sign rule above.
double CombineDateTime(double days, double timeOfDay);

struct TDateTimeParts {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int MilliSecond = 0;
    int DayOfWeek = 0;  // 1 = Sunday .. 7 = Saturday
};

// Splits a value, rounded to whole milliseconds; false for NaN, infinities and
// values whose date lies outside years 1..9999.
bool DecodeDateTime(double value, TDateTimeParts& parts);

// 1 = Sunday .. 7 = Saturday, for a valid date.
int DayOfWeek(int year, int month, int day);
