#include "datetime/UCalendar.h"

#include "datetime/UClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

double Date(int year, int month, int day)
{
    double value = -1e9;
    EXPECT_TRUE(TryEncodeDate(year, month, day, value)) << year << "-" << month << "-" << day;
    return value;
}

TEST(UCalendar, KnownDayNumbers)
{
    const struct {
        int Year, Month, Day;
        double Value;
    } cases[] = {
        {1899, 12, 30, 0},   {1899, 12, 31, 1},       {1900, 1, 1, 2},
        {1899, 12, 29, -1},  {1900, 3, 1, 61},        {2000, 1, 1, 36526},
        {2024, 3, 5, 45356}, {1, 1, 1, MinDateValue}, {9999, 12, 31, MaxDateValue},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Date(c.Year, c.Month, c.Day), c.Value) << c.Year << "-" << c.Month << "-" << c.Day;
        TDateTimeParts parts;
        ASSERT_TRUE(DecodeDateTime(c.Value, parts));
        EXPECT_EQ(parts.Year, c.Year);
        EXPECT_EQ(parts.Month, c.Month);
        EXPECT_EQ(parts.Day, c.Day);
    }
}

TEST(UCalendar, InvalidDatesAreRefused)
{
    double value = 123.0;
    for (const auto& [y, m, d] : {std::tuple{2023, 2, 29},
                                  {2100, 2, 29},
                                  {2024, 4, 31},
                                  {2024, 13, 1},
                                  {2024, 0, 1},
                                  {2024, 1, 0},
                                  {0, 1, 1},
                                  {10000, 1, 1}})
        EXPECT_FALSE(TryEncodeDate(y, m, d, value)) << y << "-" << m << "-" << d;
    EXPECT_EQ(value, 123.0);
    EXPECT_TRUE(IsValidDate(2000, 2, 29));
    EXPECT_TRUE(IsValidDate(2024, 2, 29));
    EXPECT_FALSE(IsValidDate(1900, 2, 29));
}

TEST(UCalendar, WeekdaysCountFromSunday)
{
    EXPECT_EQ(DayOfWeek(1899, 12, 30), 7);  // Saturday
    EXPECT_EQ(DayOfWeek(2024, 3, 5), 3);    // Tuesday
    EXPECT_EQ(DayOfWeek(2000, 1, 2), 1);    // Sunday
    EXPECT_EQ(DayOfWeek(1, 1, 1), 2);       // Monday (proleptic Gregorian)
    TDateTimeParts parts;
    ASSERT_TRUE(DecodeDateTime(-1.5, parts));  // 29 December 1899, a Friday
    EXPECT_EQ(parts.DayOfWeek, 6);
}

TEST(UCalendar, TimeOfDayOfNegativeValuesCountsAwayFromZero)
{
    double time = 0;
    ASSERT_TRUE(TryEncodeTime(6, 0, 0, 0, time));
    EXPECT_EQ(time, 0.25);
    const double value = CombineDateTime(Date(1899, 12, 28), time);
    EXPECT_EQ(value, -2.25);
    TDateTimeParts parts;
    ASSERT_TRUE(DecodeDateTime(value, parts));
    EXPECT_EQ(parts.Day, 28);
    EXPECT_EQ(parts.Hour, 6);
    EXPECT_EQ(CombineDateTime(Date(2024, 3, 5), time), 45356.25);
}

TEST(UCalendar, DecodingRoundsToMilliseconds)
{
    TDateTimeParts parts;
    ASSERT_TRUE(DecodeDateTime(36526.0 + 0.999999999999, parts));  // a hair before midnight
    EXPECT_EQ(parts.Day, 2);
    EXPECT_EQ(parts.Hour, 0);
    double time = 0;
    ASSERT_TRUE(TryEncodeTime(23, 59, 59, 999, time));
    ASSERT_TRUE(DecodeDateTime(36526.0 + time, parts));
    EXPECT_EQ(parts.Hour, 23);
    EXPECT_EQ(parts.Minute, 59);
    EXPECT_EQ(parts.Second, 59);
    EXPECT_EQ(parts.MilliSecond, 999);
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, time));
    EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, time));
    EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, time));
}

TEST(UCalendar, ValuesOutsideTheCalendarDoNotDecode)
{
    TDateTimeParts parts;
    for (const double value : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(), MaxDateValue + 1, MinDateValue - 1, 1e300})
        EXPECT_FALSE(DecodeDateTime(value, parts)) << value;
}

TEST(UClock, FixedClockNestsAndRestores)
{
    const double before = CurrentDateTime();
    {
        TFixedClock outer(Date(2026, 6, 15) + 0.5);
        EXPECT_EQ(CurrentDateTime(), Date(2026, 6, 15) + 0.5);
        EXPECT_EQ(CurrentYear(), 2026);
        {
            TFixedClock inner(Date(2060, 1, 1));
            EXPECT_EQ(CurrentYear(), 2060);
        }
        EXPECT_EQ(CurrentYear(), 2026);
    }
    // Back on the system clock: no earlier than before the test, within a day of it.
    const double after = CurrentDateTime();
    EXPECT_GE(after, before);
    EXPECT_LT(after - before, 1.0);
}

}  // namespace
