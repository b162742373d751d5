#include "datetime/ULocale.h"

#include "TestLocales.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

namespace {

// What glibc reports for de_DE.UTF-8, written out so the test needs no such locale.
TLocaleSource GermanUtf8Source()
{
    TLocaleSource s;
    s.Codeset = "UTF-8";
    s.DecimalPoint = ",";
    s.DateFormat = "%d.%m.%Y";
    s.TimeFormat = "%T";
    s.TimeFormatAmPm = "";
    s.AmText = "";
    s.PmText = "";
    s.ShortMonthNames = {"Jan", "Feb", "M\xC3\xA4r", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
    s.LongMonthNames = {"Januar", "Februar", "M\xC3\xA4rz", "April",   "Mai",      "Juni",
                        "Juli",   "August",  "September",   "Oktober", "November", "Dezember"};
    s.ShortDayNames = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
    s.LongDayNames = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
    return s;
}

TLocaleSource UsUtf8Source()
{
    TLocaleSource s = CLocaleSource();
    s.Codeset = "UTF-8";
    s.DateFormat = "%m/%d/%Y";
    s.TimeFormat = "%r";
    return s;
}

TEST(ULocale, StrftimeFormatsBecomePatterns)
{
    const TLocaleSource german = GermanUtf8Source();
    const TLocaleSource us = UsUtf8Source();
    TLocaleSource iso = CLocaleSource();
    iso.DateFormat = "%Y-%m-%d";
    const struct {
        const TLocaleSource* Source;
        const char* Format;
        bool WithSeconds;
        const char* Pattern;
    } cases[] = {
        {&german, "%d.%m.%Y", true, "dd.MM.yyyy"},
        {&german, "%-d.%-m.%y", true, "d.M.yy"},
        {&german, "%e. %B %Y", true, "d. MMMM yyyy"},
        {&german, "%a, %d. %b %Y", true, "ddd, dd. MMM yyyy"},
        {&german, "%A", true, "dddd"},
        {&german, "%T", true, "hh:mm:ss"},
        {&german, "%T", false, "hh:mm"},
        {&german, "%H.%M Uhr", true, "hh.mm \"Uhr\""},  // letters are quoted
        {&german, "%d/%m", true, "dd\"/\"MM"},          // "/" is not this locale's separator
        {&german, "%d de %B", true, "dd \"de\" MMMM"},
        {&german, "it's %H", true, "\"it's\" hh"},
        {&german, "%H \"h\" 'n' %M", true, "hh '\"h\"' \"'n'\" mm"},
        {&german, "a\"b'c", true, "'a\"b'\"'c\""},
        {&german, "%k:%M %Z%%", true, "h:mm %"},  // no time zone in patterns
        {&german, "%OH:%EM", true, "hh:mm"},
        {&us, "%m/%d/%Y", true, "MM/dd/yyyy"},
        {&us, "%D", true, "MM/dd/yy"},
        {&us, "%r", true, "hh:mm:ss ampm"},
        {&us, "%r", false, "hh:mm ampm"},
        {&us, "%X", true, "hh:mm:ss ampm"},
        {&us, "%l:%M %P", true, "h:mm ampm"},
        {&us, "%S", false, ""},
        {&iso, "%F", true, "yyyy-MM-dd"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StrftimeToPattern(c.Format, *c.Source, c.WithSeconds), c.Pattern) << c.Format;
}

TEST(ULocale, GermanSourceGivesWindows1252Settings)
{
    const TLocaleSettings s = SettingsFromSource(GermanUtf8Source());
    EXPECT_EQ(s.DecimalSeparator, ',');
    EXPECT_EQ(s.Date.DateSeparator, '.');
    EXPECT_EQ(s.Time.TimeSeparator, ':');
    EXPECT_EQ(s.Date.ShortMonthNames[2], "M\xE4r");
    EXPECT_EQ(s.Date.LongMonthNames[2], "M\xE4rz");
    EXPECT_EQ(s.Time.ShortDayNames[0], "So");
    EXPECT_EQ(s.Time.LongDayNames[6], "Samstag");
    EXPECT_EQ(s.Time.AmText, "");
    EXPECT_EQ(s.Time.PmText, "");
    EXPECT_EQ(s.Date.ShortDateFormat, "dd.MM.yyyy");
    EXPECT_EQ(s.Date.LongDateFormat, "dddd, d. MMMM yyyy");
    EXPECT_EQ(s.Time.LongTimeFormat, "hh:mm:ss");
    EXPECT_EQ(s.Time.ShortTimeFormat, "hh:mm");
    EXPECT_EQ(s.Date.YearWindow, 50);
    EXPECT_EQ(s.Date.DefaultYear, 2000);
}

TEST(ULocale, UsSourceKeepsTheTwelveHourClock)
{
    const TLocaleSettings s = SettingsFromSource(UsUtf8Source());
    EXPECT_EQ(s.DecimalSeparator, '.');
    EXPECT_EQ(s.Date.DateSeparator, '/');
    EXPECT_EQ(s.Date.ShortDateFormat, "MM/dd/yyyy");
    EXPECT_EQ(s.Date.LongDateFormat, "dddd, MMMM d, yyyy");
    EXPECT_EQ(s.Time.LongTimeFormat, "hh:mm:ss ampm");
    EXPECT_EQ(s.Time.ShortTimeFormat, "hh:mm ampm");
    EXPECT_EQ(s.Time.AmText, "AM");
}

TEST(ULocale, TextsWindows1252CannotHoldFallBackAsAGroup)
{
    TLocaleSource source = GermanUtf8Source();
    source.LongMonthNames[0] = "\xD1\x8F\xD0\xBD\xD0\xB2\xD0\xB0\xD1\x80\xD1\x8C";  // Cyrillic
    source.AmText = "\xE5\x8D\x88\xE5\x89\x8D";                                     // CJK
    source.PmText = "PM";
    source.DecimalPoint = "\xD9\xAB";  // Arabic decimal separator, two bytes in UTF-8
    const TLocaleSettings s = SettingsFromSource(source);
    EXPECT_EQ(s.Date.LongMonthNames[0], "January");
    EXPECT_EQ(s.Date.LongMonthNames[2], "March");    // the whole group, not a mixture
    EXPECT_EQ(s.Date.ShortMonthNames[2], "M\xE4r");  // other groups stay
    EXPECT_EQ(s.Time.AmText, "AM");
    EXPECT_EQ(s.Time.PmText, "PM");
    EXPECT_EQ(s.DecimalSeparator, '.');

    TLocaleSource unknown = GermanUtf8Source();
    unknown.Codeset = "NO-SUCH-CODESET";
    EXPECT_EQ(SettingsFromSource(unknown).Date.LongMonthNames[2], "March");
    EXPECT_EQ(SettingsFromSource(unknown).Date.LongMonthNames[0], "January");

    TLocaleSource latin9 = GermanUtf8Source();
    latin9.Codeset = "ISO-8859-15";
    latin9.LongMonthNames[2] = "M\xE4rz";
    latin9.ShortMonthNames[2] = "M\xE4r";
    EXPECT_EQ(SettingsFromSource(latin9).Date.LongMonthNames[2], "M\xE4rz");
}

TEST(ULocale, DefaultsAreTheCLocale)
{
    const TLocaleSettings s = DefaultLocaleSettings();
    EXPECT_EQ(s.DecimalSeparator, '.');
    EXPECT_EQ(s.Date.DateSeparator, '/');
    EXPECT_EQ(s.Date.ShortDateFormat, "MM/dd/yy");
    EXPECT_EQ(s.Time.LongTimeFormat, "hh:mm:ss");
    EXPECT_EQ(s.Time.ShortTimeFormat, "hh:mm");
    EXPECT_EQ(s.Date.LongMonthNames[11], "December");
    EXPECT_EQ(s.Time.ShortDayNames[0], "Sun");
}

TEST(ULocale, ReadsTheProcessLocale)
{
    // C.UTF-8 is built into the C library, so this does not depend on the machine.
    const char* saved = std::getenv("LC_ALL");
    const std::string savedValue = saved != nullptr ? saved : "";
    setenv("LC_ALL", "C.UTF-8", 1);
    const TLocaleSource source = ReadLocaleSource();
    if (saved != nullptr)
        setenv("LC_ALL", savedValue.c_str(), 1);
    else
        unsetenv("LC_ALL");
    std::setlocale(LC_ALL, "C");

    EXPECT_EQ(source.DateFormat, "%m/%d/%y");
    EXPECT_EQ(source.LongMonthNames[0], "January");
    EXPECT_EQ(source.ShortDayNames[0], "Sun");
    EXPECT_EQ(source.DecimalPoint, ".");
    const TLocaleSettings settings = SettingsFromSource(source);
    EXPECT_EQ(settings.Date.ShortDateFormat, "MM/dd/yy");
    EXPECT_EQ(settings.Time.LongTimeFormat, "hh:mm:ss");
}

TEST(ULocale, InstalledSettingsAreWhatReadersSee)
{
    TScopedLocaleSettings german(GermanSettings());
    EXPECT_EQ(DecimalSeparator(), ',');
    char separator = 0;
    std::string march;
    ReadDateSettings([&](const TDateSettings& s) {
        separator = s.DateSeparator;
        march = s.LongMonthNames[2];
    });
    EXPECT_EQ(separator, '.');
    EXPECT_EQ(march, "M\xE4rz");
    {
        TScopedLocaleSettings us(UsSettings());
        std::string am;
        ReadTimeSettings([&](const TTimeSettings& s) { am = s.AmText; });
        EXPECT_EQ(am, "AM");
        EXPECT_EQ(CurrentLocaleSettings().Date.ShortDateFormat, "M/d/yyyy");
    }
    EXPECT_EQ(CurrentLocaleSettings().Date.ShortDateFormat, "dd.MM.yyyy");
    EXPECT_EQ(DecimalSeparator(), ',');
}

}  // namespace
