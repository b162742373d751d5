#include "datetime/UDatumzeit.h"

#include "datetime/UCalendar.h"
#include "datetime/UClock.h"

#include "TestLocales.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

double DT(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0)
{
    double date = 0;
    double time = 0;
    EXPECT_TRUE(TryEncodeDate(year, month, day, date));
    EXPECT_TRUE(TryEncodeTime(hour, minute, second, ms, time));
    return CombineDateTime(date, time);
}

std::string Show(double value)
{
    TDateTimeParts p;
    if (!DecodeDateTime(value, p))
        return "invalid";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", p.Year, p.Month, p.Day, p.Hour, p.Minute,
                  p.Second, p.MilliSecond);
    return buffer;
}

// German settings and a clock pinned to 15 June 2026, noon.
class DatumzeitTest : public ::testing::Test {
protected:
    TScopedLocaleSettings FSettings{GermanSettings()};
    TFixedClock FClock{DT(2026, 6, 15, 12)};

    static void ExpectValue(const std::string& pattern, const std::string& text, double expected)
    {
        int error = -1;
        const double value = DTStrToDateTime(text, pattern, error);
        EXPECT_EQ(error, 0) << "pattern '" << pattern << "', text '" << text << "'";
        EXPECT_EQ(Show(value), Show(expected)) << "pattern '" << pattern << "', text '" << text << "'";
    }

    static void ExpectError(const std::string& pattern, const std::string& text, int expected)
    {
        int error = 0;
        const double value = DTStrToDateTime(text, pattern, error);
        EXPECT_EQ(error, expected) << "pattern '" << pattern << "', text '" << text << "'";
        EXPECT_EQ(value, 0.0) << "pattern '" << pattern << "', text '" << text << "'";
    }
};

TEST_F(DatumzeitTest, TextsThatFitTheirPattern)
{
    const struct {
        const char* Pattern;
        const char* Text;
        double Expected;
    } cases[] = {
        {"dd.mm.yyyy", "05.03.2024", DT(2024, 3, 5)},
        {"d.m.yyyy", "5.3.2024", DT(2024, 3, 5)},
        {"d.m.yyyy", "15.12.2024", DT(2024, 12, 15)},
        {"dd.mm.yyyy", "29.02.2024", DT(2024, 2, 29)},
        {"dd.mm.yyyy", " 5.03.2024", DT(2024, 3, 5)},  // fixed width: leading blank allowed
        {"dd.mm", "29.02", DT(2000, 2, 29)},           // default year 2000 is a leap year
        {"hh:nn", "07:30", DT(2000, 1, 1, 7, 30)},
        {"h:n:s", "7:5:9", DT(2000, 1, 1, 7, 5, 9)},
        {"hh:nn:ss.zzz", "23:59:59.999", DT(2000, 1, 1, 23, 59, 59, 999)},
        {"hh:nn:ss.z", "07:30:15.5", DT(2000, 1, 1, 7, 30, 15, 5)},
        {"dd/mm/yyyy", "05.03.2024", DT(2024, 3, 5)},  // "/" is the date separator setting
        {"DD.MM.YYYY", "DD.MM.YYYY", DT(2000, 1, 1)},  // upper case is literal text
        {"'it''s' hh", "it's 07", DT(2000, 1, 1, 7)},
        {"\"Tag \"\"\"d", "Tag \"9", DT(2000, 1, 9)},
        {"dddd, dd.mm.yyyy hh:nn", "Dienstag, 05.03.2024 07:30", DT(2024, 3, 5, 7, 30)},
        {"ddd, dd.mm.yyyy", "Di, 05.03.2024", DT(2024, 3, 5)},
        {"dddd", "Samstag", DT(2000, 1, 1)},  // 1 January 2000 was a Saturday
        {"d. mmmm yyyy", "5. M\xE4rz 2024", DT(2024, 3, 5)},
        {"mmm yyyy", "M\xE4r 2024", DT(2024, 3, 1)},
        {"mmmmyyyy", "Mai2024", DT(2024, 5, 1)},
        {"ddddd", "05.03.2024", DT(2024, 3, 5)},
        {"dddddd", "Dienstag, 5. M\xE4rz 2024", DT(2024, 3, 5)},
        {"c", "05.03.2024 07:30:15", DT(2024, 3, 5, 7, 30, 15)},
        {"t", "07:30", DT(2000, 1, 1, 7, 30)},
        {"tt", "07:30:15", DT(2000, 1, 1, 7, 30, 15)},
        {"yy", "75", DT(2075, 1, 1)},
        {"yy", "76", DT(1976, 1, 1)},
        {"dd.mm.yyyy hh:nn", "28.12.1899 06:00", -2.25},  // before day 0 the time counts away from 0
        {"ampmhh", "07", DT(2000, 1, 1, 7)},              // empty AM text: matches nothing, counts as AM
    };
    for (const auto& c : cases)
        ExpectValue(c.Pattern, c.Text, c.Expected);
}

TEST_F(DatumzeitTest, TheHourWithAnAmPmMarker)
{
    const struct {
        const char* Pattern;
        const char* Text;
        int Hour;  // -1: refused with 1005
    } cases[] = {
        {"h:nn am/pm", "9:15 pm", 21},  {"h:nn am/pm", "11:00 am", 11}, {"h:nn am/pm", "0:30 am", 0},
        {"h:nn am/pm", "12:00 pm", 12}, {"h:nn am/pm", "1:00 pm", 13},  {"h:nn am/pm", "11:59 pm", 23},
        {"h:nn am/pm", "12:00 am", -1}, {"h:nn am/pm", "0:30 pm", -1},  {"h:nn am/pm", "13:00 pm", -1},
        {"h:nn am/pm", "13:00 am", -1}, {"hh:nn A/P", "01:05 P", 13},   {"hh:nn AM/PM", "01:05 AM", 1},
    };
    for (const auto& c : cases) {
        int error = -1;
        const double value = DTStrToDateTime(c.Text, c.Pattern, error);
        if (c.Hour < 0) {
            EXPECT_EQ(error, DTErrHour) << c.Text;
            continue;
        }
        ASSERT_EQ(error, 0) << c.Text;
        TDateTimeParts parts;
        ASSERT_TRUE(DecodeDateTime(value, parts));
        EXPECT_EQ(parts.Hour, c.Hour) << c.Text;
    }

    // A marker without an hour keeps hour 0, also with PM.
    TScopedLocaleSettings us(UsSettings());
    ExpectValue("dd.mm.yyyy ampm", "05.03.2024 PM", DT(2024, 3, 5));
    ExpectValue("hh:nn ampm", "07:05 PM", DT(2000, 1, 1, 19, 5));
    ExpectError("hh:nn ampm", "07:05 pm", 7);  // the setting's texts compare case-sensitively
}

TEST_F(DatumzeitTest, TextsThatDoNotFit)
{
    const std::string longText(1001, '1');
    const std::string longPattern(1001, 'x');
    const struct {
        std::string Pattern;
        std::string Text;
        int Error;
    } cases[] = {
        // Lengths; the text test overrides the pattern test.
        {"", "05.03.2024", DTErrPatternLength},
        {longPattern, "x", DTErrPatternLength},
        {"dd", "", DTErrTextLength},
        {"", "", DTErrTextLength},
        {"dd", longText, DTErrTextLength},
        // Where a token stopped fitting, or what was left over.
        {"d.m.yyyy", "5.13.2024", 3},
        {"hh:nn", "07:30x", 6},
        {"DD.MM.YYYY", "05.03.2024", 1},
        {"dd.mm.yyyy", "05.03.2024 ", 11},
        {"hh:nn", "24:00", 1},
        {"hh:nn:ss", "07:30", 6},
        {"hh", "7", 3},  // a fixed-width token runs past the end
        {"yyyy", "0000", 1},
        {"yyyy", "-202", 1},
        {"d", "123", 1},  // a digit run longer than the token allows
        {"mmm", "Mrz", 1},
        {"dd.mm.yyyy", "05-03-2024", 3},
        {"h:nn am/pm", "9:15 PM", 6},  // marker texts are the pattern's, case-sensitive
        {"zzz", "12", 4},
        // Whole-value checks.
        {"dd.mm.yyyy", "31.04.2024", DTErrDay},
        {"dd.mm.yyyy", "29.02.2023", DTErrDay},
        {"dd.mm.yyyy", "29.02.1900", DTErrDay},
        {"dd.mm", "31.04", DTErrDay},
        {"dd.mm", "30.02", DTErrDay},
        {"ddd, dd.mm.yyyy", "Mo, 05.03.2024", DTErrWeekday},
        {"dddd", "Montag", DTErrWeekday},
        // Neighbouring numbers that cannot be split.
        {"hnn", "1234", DTErrAmbiguous},
        {"dmm", "1203", DTErrAmbiguous},
        {"m.dyyyy", "1.12024", DTErrAmbiguous},
        // Faulty patterns: minus the position in the expanded pattern.
        {"yyy", "x", -1},
        {"dd.mm.dd", "x", -7},
        {"'abc", "x", -1},
        {"dd \"abc", "x", -4},
        {"hhh", "x", -1},
        {"zz", "x", -1},
        {"zzzz", "x", -1},
        {"mmmmm", "x", -1},
        {"ddddddd", "x", -1},
        {"sss", "x", -1},
        {"nnn", "x", -1},
        {"yy yyyy", "x", -4},
        {"hh ampm am/pm", "x", -9},
        {"t tt", "x", -7},  // "hh:nn hh:nn:ss": the second hour
    };
    for (const auto& c : cases)
        ExpectError(c.Pattern, c.Text, c.Error);
}

TEST_F(DatumzeitTest, ShortNamesOfAnotherLengthNeverMatch)
{
    TScopedLocaleSettings us(UsSettings());  // three-letter weekday names
    ExpectError("ddd, m/d/yyyy", "Tue, 3/5/2024", 1);
    ExpectError("ddd, m/d/yyyy", "Tu, 3/5/2024", 1);
    ExpectValue("dddd, m/d/yyyy", "Tuesday, 3/5/2024", DT(2024, 3, 5));
    ExpectValue("mmm d", "Mar 5", DT(2000, 3, 5));
}

TEST(TwoDigitYear, WindowRule)
{
    const struct {
        int Value, CurrentYear, Window, Expected;
    } cases[] = {
        {0, 2026, 50, 2000},  {75, 2026, 50, 2075}, {76, 2026, 50, 1976}, {99, 2026, 50, 1999}, {0, 2049, 50, 2000},
        {98, 2049, 50, 2098}, {99, 2049, 50, 1999},  // 1999 = 2049 - 50 lies in the window's past
        {0, 2060, 50, 2100},  {10, 2060, 50, 2110}, {11, 2060, 50, 2011}, {99, 2060, 50, 2099}, {0, 2026, 0, 2000},
        {99, 2026, 0, 2099},  {0, 2050, 10, 2000},  {99, 2050, 10, 2099},  // window inside the century
        {84, 2005, 20, 2084}, {85, 2005, 20, 1985},                        // reaches into the past century
        {5, 2095, 10, 2105},  {6, 2095, 10, 2006},                         // reaches into the next century
        {50, 1950, 50, 1950}, {49, 1950, 50, 1949}, {0, 1999, 50, 2000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TwoDigitYear(c.Value, c.CurrentYear, c.Window), c.Expected)
            << c.Value << " in " << c.CurrentYear << " window " << c.Window;
}

TEST(TwoDigitYear, CheckerUsesTheClockAndTheWindowSetting)
{
    TScopedLocaleSettings settings(GermanSettings());
    const struct {
        int CurrentYear;
        const char* Text;
        int Year;
    } cases[] = {{2026, "75", 2075}, {2026, "76", 1976}, {2060, "10", 2110}, {2060, "11", 2011},
                 {2049, "00", 2000}, {2049, "98", 2098}, {1950, "49", 1949}};
    for (const auto& c : cases) {
        TFixedClock clock(DT(c.CurrentYear, 7, 1));
        int error = -1;
        const double value = DTStrToDateTime(c.Text, "yy", error);
        ASSERT_EQ(error, 0);
        EXPECT_EQ(value, DT(c.Year, 1, 1)) << c.Text << " in " << c.CurrentYear;
    }
    TLocaleSettings noWindow = GermanSettings();
    noWindow.Date.YearWindow = 0;
    TScopedLocaleSettings zero(noWindow);
    TFixedClock clock(DT(2026, 7, 1));
    int error = -1;
    EXPECT_EQ(DTStrToDateTime("99", "yy", error), DT(2099, 1, 1));
    EXPECT_EQ(error, 0);
}

TEST_F(DatumzeitTest, ParsingBuildsOneTokenPerSpecifier)
{
    TDTFmtObjects tokens;
    ASSERT_EQ(ParseFormat("dddd, dd.mm.yyyy hh:nn", tokens), 0);
    std::vector<std::string> described;
    for (std::size_t i = 0; i < tokens.Size(); ++i)
        described.push_back(tokens[i].Describe());
    const std::vector<std::string> expected = {"WEEKDAY 4 -1",
                                               "STRING |, |",
                                               "DAY 2 -1",
                                               "STRING |.|",
                                               "MONTH 2 -1",
                                               "STRING |.|",
                                               "YEAR Fourdigit -1",
                                               "STRING | |",
                                               "HOUR leading zero -1",
                                               "TIMESEP :",
                                               "MINUTE leading zero -1"};
    EXPECT_EQ(described, expected);
    EXPECT_EQ(tokens.Count(TDTKind::Day), 1);
    EXPECT_EQ(tokens.Count(TDTKind::Weekday), 1);
    EXPECT_EQ(tokens.Count(TDTKind::Second), 0);

    ASSERT_EQ(MatchText("Dienstag, 05.03.2024 07:30", tokens), 0);
    EXPECT_EQ(tokens[0].Describe(), "WEEKDAY 4 3");
    EXPECT_EQ(tokens[6].Describe(), "YEAR Fourdigit 2024");
    EXPECT_EQ(tokens[8].Describe(), "HOUR leading zero 7");
}

TEST_F(DatumzeitTest, TokenDescriptionsAndWidths)
{
    const struct {
        std::unique_ptr<TDTObj> Token;
        const char* Description;
        bool Numeric, VariableWidth;
    } cases[] = {
        {std::make_unique<TDTObj>(), "Abstract", false, false},
        {std::make_unique<TDTString>(' ', "ab"), "STRING |ab|", false, false},
        {std::make_unique<TDTString>('"', "ab"), "STRING \"ab\"", false, false},
        {std::make_unique<TDTString>('\'', "ab"), "STRING 'ab'", false, false},
        {std::make_unique<TDTString>('x', "ab"), "ERROR", false, false},
        {std::make_unique<TDTAmPm>("am", "pm"), "AMPM am pm", false, false},
        {std::make_unique<TDTDateSeparator>("."), "DATESEP .", false, false},
        {std::make_unique<TDTTimeSeparator>(":"), "TIMESEP :", false, false},
        {std::make_unique<TDTYear>(true), "YEAR Fourdigit -1", true, false},
        {std::make_unique<TDTYear>(false), "YEAR Twodigit -1", true, false},
        {std::make_unique<TDTMonth>(1), "MONTH 1 -1", true, true},
        {std::make_unique<TDTMonth>(2), "MONTH 2 -1", true, false},
        {std::make_unique<TDTMonth>(3), "MONTH 3 -1", false, false},
        {std::make_unique<TDTDay>(1), "DAY 1 -1", true, true},
        {std::make_unique<TDTWeekday>(4), "WEEKDAY 4 -1", false, false},
        {std::make_unique<TDTHour>(false), "HOUR no leading zero -1", true, true},
        {std::make_unique<TDTMinute>(true), "MINUTE leading zero -1", true, false},
        {std::make_unique<TDTSecond>(false), "SECOND no leading zero -1", true, true},
        {std::make_unique<TDTMilliSec>(true), "MILLISEC leading zeros -1", true, false},
        {std::make_unique<TDTMilliSec>(false), "MILLISEC no leading zeros -1", true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.Token->Describe(), c.Description);
        EXPECT_EQ(c.Token->IsNumeric(), c.Numeric) << c.Description;
        EXPECT_EQ(c.Token->IsVariableWidth(), c.VariableWidth) << c.Description;
    }
    TDTObj base;
    EXPECT_EQ(base.Match("abc", 2), -2);

    // A failed match leaves -1 even after an earlier success.
    TDTHour hour(true);
    EXPECT_EQ(hour.Match("07", 1), 3);
    EXPECT_EQ(hour.Value, 7);
    EXPECT_EQ(hour.Match("x7", 1), -1);
    EXPECT_EQ(hour.Value, -1);
}

TEST_F(DatumzeitTest, TheListRefusesASecondTokenOfAKind)
{
    TDTFmtObjects tokens;
    EXPECT_TRUE(tokens.Add(std::make_unique<TDTHour>(true)));
    EXPECT_TRUE(tokens.Add(std::make_unique<TDTTimeSeparator>(":")));
    EXPECT_TRUE(tokens.Add(std::make_unique<TDTTimeSeparator>(":")));
    EXPECT_FALSE(tokens.Add(std::make_unique<TDTHour>(false)));
    EXPECT_EQ(tokens.Size(), 3u);
    EXPECT_EQ(tokens.Count(TDTKind::Hour), 1);
    EXPECT_EQ(tokens.Count(TDTKind::TimeSeparator), 2);
}

TEST_F(DatumzeitTest, ExpansionUsesTheLocaleFormats)
{
    const struct {
        const char* Pattern;
        const char* Expanded;
    } cases[] = {
        {"c", "dd.mm.yyyy hh:nn:ss"},
        {"ddddd", "dd.mm.yyyy"},
        {"dddddd", "dddd, d. mmmm yyyy"},
        {"t", "hh:nn"},
        {"tt", "hh:nn:ss"},
        {"dddd ttt d", "dddd ttt d"},                      // other runs stay
        {"'c' \"t\" c", "'c' \"t\" dd.mm.yyyy hh:nn:ss"},  // quoted text is not expanded
        {"'it''s' t", "'it''s' hh:nn"},
        {"\"open c", "\"open c"},            // the parser reports the open quote
        {"C T DDDDD", "C T DDDDD"},          // only lower case expands
        {"ct", "dd.mm.yyyy hh:nn:sshh:nn"},  // inserted text is not expanded again
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandFormat(c.Pattern), c.Expanded) << c.Pattern;

    TScopedLocaleSettings us(UsSettings());
    // The minute m turns into n, the m of the AM/PM marker stays.
    EXPECT_EQ(ExpandFormat("tt"), "h:nn:ss ampm");
    EXPECT_EQ(ExpandFormat("c"), "m/d/yyyy h:nn:ss ampm");

    TLocaleSettings quoted = GermanSettings();
    quoted.Date.ShortDateFormat = "dd. \"MMM\" MM";
    quoted.Time.LongTimeFormat = "hh 'mm' mm AM/PM";
    TScopedLocaleSettings q(quoted);
    EXPECT_EQ(ExpandFormat("ddddd"), "dd. \"MMM\" mm");
    EXPECT_EQ(ExpandFormat("tt"), "hh 'mm' nn AM/PM");
}

TEST_F(DatumzeitTest, FormattingByPattern)
{
    const double morning = DT(2024, 3, 5, 7, 30, 15, 5);
    const struct {
        const char* Pattern;
        double Value;
        const char* Expected;
    } cases[] = {
        {"dd.mm.yyyy hh:nn", DT(2024, 3, 5, 7, 30), "05.03.2024 07:30"},
        {"d.m.yy", morning, "5.3.24"},
        {"y yyy yyyyy", morning, "24 2024 2024"},
        {"YYYY-MM-DD", morning, "2024-03-05"},  // any case
        {"h:mm", morning, "7:30"},              // m after h means minutes
        {"hh:nn:ss", morning, "07:30:15"},
        {"h 'x' mm", morning, "7 x 30"},    // quoted text does not count as a letter
        {"hh dd mm", morning, "07 05 03"},  // the nearest letter decides
        {"mmm mmmm mmmmm", morning, "M\xE4r M\xE4rz M\xE4rz"},
        {"ddd dddd", morning, "Di Dienstag"},
        {"aaa aaaa aa", morning, "Di Dienstag aa"},
        {"ddddd", morning, "05.03.2024"},
        {"dddddd", morning, "Dienstag, 5. M\xE4rz 2024"},
        {"t|tt", morning, "07:30|07:30:15"},
        {"c", morning, "05.03.2024 07:30:15"},
        {"c", DT(2024, 3, 5), "05.03.2024"},  // no time at midnight
        {"z zz zzz zzzz", morning, "5 05 005 005"},
        {"d/m:s", morning, "5.3:15"},  // the separator settings
        {"\"dd\" 'mm' dd", morning, "dd mm 05"},
        {"'it''s'", morning, "its"},  // no doubled quote here
        {"dd 'open", morning, "05 open"},
        {"h:nn am/pm", DT(2024, 3, 5, 12, 30), "12:30 pm"},
        {"h:nn am/pm", DT(2024, 3, 5, 0, 30), "12:30 am"},
        {"h:nn AM/PM", DT(2024, 3, 5, 13, 5), "1:05 PM"},
        {"hh:nn a/p", DT(2024, 3, 5, 23, 5), "11:05 p"},
        {"hh 'a' h", DT(2024, 3, 5, 23, 5), "23 a 23"},  // a quoted a does not count
        {"hh dddd am/pm", DT(2024, 3, 5, 23, 5), "11 Dienstag pm"},
        {"hh aaaa am/pm", DT(2024, 3, 5, 23, 5), "23 Dienstag pm"},  // the first a decides
        {"hh h am/pm", DT(2024, 3, 5, 23, 5), "23 11 pm"},           // another h comes first
        {"hh:nn ampm", DT(2024, 3, 5, 23, 5), "11:05 "},             // German AM/PM texts are empty
        {"dd.mm.yyyy hh:nn", -2.25, "28.12.1899 06:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DTFormatDateTime(c.Pattern, c.Value), c.Expected) << c.Pattern;

    EXPECT_EQ(DTFormatDateTime("dd.mm.yyyy", std::numeric_limits<double>::quiet_NaN()), "");
    EXPECT_EQ(DTFormatDateTime("dd.mm.yyyy", 1e12), "");

    TScopedLocaleSettings us(UsSettings());
    EXPECT_EQ(DTFormatDateTime("c", DT(2024, 3, 5, 13, 5, 9)), "3/5/2024 1:05:09 PM");
    EXPECT_EQ(DTFormatDateTime("ddddd t", DT(2024, 12, 25, 9, 5)), "12/25/2024 9:05 AM");
    EXPECT_EQ(DTFormatDateTime("dddddd", DT(2024, 3, 5)), "Tuesday, March 5, 2024");
}

TEST_F(DatumzeitTest, SelfNamingLocaleFormatsDoNotRecurseForever)
{
    TLocaleSettings looping = GermanSettings();
    looping.Date.ShortDateFormat = "dd ddddd";
    looping.Time.LongTimeFormat = "tt";
    TScopedLocaleSettings s(looping);
    EXPECT_EQ(DTFormatDateTime("ddddd", DT(2024, 3, 5)), "05 05 05 ");
    EXPECT_EQ(DTFormatDateTime("tt", DT(2024, 3, 5)), "");
}

TEST_F(DatumzeitTest, FormattedCompositeTextsReadBack)
{
    const double values[] = {DT(2024, 3, 5, 7, 30, 15), DT(1999, 12, 31, 23, 59, 59), DT(2024, 2, 29, 12, 0, 1),
                             DT(2024, 7, 4, 13, 5, 9)};
    for (const TLocaleSettings& settings : {GermanSettings(), UsSettings()}) {
        TScopedLocaleSettings s(settings);
        for (const double value : values) {
            for (const char* pattern : {"c", "ddddd tt", "dddddd"}) {
                const std::string text = DTFormatDateTime(pattern, value);
                int error = -1;
                const double read = DTStrToDateTime(text, pattern, error);
                ASSERT_EQ(error, 0) << pattern << " '" << text << "'";
                const double expected = std::string(pattern) == "dddddd" ? std::floor(value) : value;
                EXPECT_EQ(Show(read), Show(expected)) << pattern << " '" << text << "'";
            }
        }
    }
}

TEST(DatumzeitStrings, OneBasedSearchAndReplace)
{
    EXPECT_EQ(FindFirstOf("ab'cd", "'\"", 1), 3);
    EXPECT_EQ(FindFirstOf("ab'cd", "'\"", 4), -1);
    EXPECT_EQ(FindFirstOf("abc", "c", 3), 3);
    EXPECT_EQ(FindFirstOf("abc", "c", 4), -1);
    EXPECT_EQ(FindFirstOf("", "c", 1), -1);
    EXPECT_EQ(FindFirstNotOf("dddx", "d", 1), 4);
    EXPECT_EQ(FindFirstNotOf("ddd", "d", 2), -1);
    EXPECT_EQ(FindFirstNotOf("ddd", "d", 0), -1);

    std::string quoted;
    EXPECT_EQ(ExtractQuoted("'it''s' x", '\'', 2, quoted), 7);
    EXPECT_EQ(quoted, "it's");
    EXPECT_EQ(ExtractQuoted("'abc", '\'', 2, quoted), -1);
    EXPECT_EQ(ExtractQuoted("''", '\'', 2, quoted), 2);
    EXPECT_EQ(quoted, "");

    std::string text = "xcy";
    EXPECT_EQ(ReplaceAt(text, "12345", 2, 1), 7);
    EXPECT_EQ(text, "x12345y");
    text = "xc";
    EXPECT_EQ(ReplaceAt(text, "123", 2, 1), -1);
    EXPECT_EQ(text, "x123");
    EXPECT_EQ(ReplaceAt(text, "z", 9, 1), -1);
    EXPECT_EQ(text, "x123");
}

// Random patterns and texts over the letters that matter: the checker must return a
// consistent result for every one of them (and the sanitizer build watches memory).
TEST_F(DatumzeitTest, NeverFailsOnArbitraryInput)
{
    const std::string alphabet = "ydmhnsztcaAP/:.'\" 0123456789-+pmDM";
    std::mt19937 random(20260615);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 14);
    const auto make = [&] {
        std::string s;
        for (int n = length(random); n > 0; --n)
            s += alphabet[pick(random)];
        return s;
    };
    int successes = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string pattern = make();
        const std::string text = i % 2 == 0 ? make() : DTFormatDateTime(pattern, DT(2024, 3, 5, 13, 5, 9, 7));
        int error = 12345;
        const double value = DTStrToDateTime(text, pattern, error);
        ASSERT_NE(error, 12345);
        if (error == 0) {
            ++successes;
            TDateTimeParts parts;
            ASSERT_TRUE(DecodeDateTime(value, parts)) << pattern << " / " << text;
        } else {
            ASSERT_EQ(value, 0.0) << pattern << " / " << text;
        }
    }
    EXPECT_GT(successes, 0);
    // At the length limit a fixed-width token running past the end gives a position
    // that reads like a code from 1001 up; callers only look at the sign.
    int error = 0;
    EXPECT_EQ(DTStrToDateTime(std::string(998, 'x') + "1", std::string(998, 'x') + "hh", error), 0.0);
    EXPECT_EQ(error, 1001);
}

}  // namespace
