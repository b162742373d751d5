// The regional settings the program works with: separators, AM/PM texts, month and
// weekday names and the four standard date and time formats.
//
// One settings object serves the whole process. It starts out with the settings of
// the C locale and is replaced once at start-up by InitLocaleSettings(), which reads
// the process locale; tests install fixed settings with InstallLocaleSettings().
// All texts are single-byte Windows-1252 text, like every text of the core.
//
// Two locks guard the object, each only for the part it names and only while that
// part is read or compared; code never holds both at once:
//   DateSettingsLock: date separator, year window, default date, month names, date formats;
//   TimeSettingsLock: time separator, AM/PM texts, weekday names, time formats.
// The decimal separator is a single atomic character.
//
// The standard formats are written in the date-time pattern language of UDatumzeit:
// date formats name months with M (or m), time formats name minutes with m, hours are
// h or hh, and AM/PM is written ampm. Use them through the composite specifiers
// ("ddddd", "dddddd", "t", "tt", "c"), which rewrite those letters for the checker.
#pragma once

#include <array>
#include <functional>
#include <mutex>
#include <string>

struct TDateSettings {
    char DateSeparator = '/';
    int YearWindow = 50;  // 0..50, see TwoDigitYear in UDatumzeit
    int DefaultYear = 2000;
    int DefaultMonth = 1;
    int DefaultDay = 1;
    std::array<std::string, 12> ShortMonthNames;  // January first
    std::array<std::string, 12> LongMonthNames;
    std::string ShortDateFormat;
    std::string LongDateFormat;
};

struct TTimeSettings {
    char TimeSeparator = ':';
    std::string AmText;
    std::string PmText;
    std::array<std::string, 7> ShortDayNames;  // Sunday first
    std::array<std::string, 7> LongDayNames;
    std::string ShortTimeFormat;
    std::string LongTimeFormat;
};

struct TLocaleSettings {
    char DecimalSeparator = '.';
    TDateSettings Date;
    TTimeSettings Time;
};

extern std::mutex DateSettingsLock;
extern std::mutex TimeSettingsLock;

// Replaces the process-wide settings (start-up, tests). Each part is swapped under its
// own lock, so a reader running at the same moment may see the old date part with the
// new time part; install before other threads use the engine.
void InstallLocaleSettings(const TLocaleSettings& settings);
// A copy of the current settings.
TLocaleSettings CurrentLocaleSettings();
char DecimalSeparator();

// Runs reader on the date (time) part while holding DateSettingsLock (TimeSettingsLock).
// The reader must not call back into the settings: the locks are not recursive.
void ReadDateSettings(const std::function<void(const TDateSettings&)>& reader);
void ReadTimeSettings(const std::function<void(const TTimeSettings&)>& reader);

// What the C library tells about a locale, in the locale's own encoding (Codeset).
struct TLocaleSource {
    std::string Codeset;
    std::string DecimalPoint;
    std::string DateFormat;      // strftime form (nl_langinfo D_FMT)
    std::string TimeFormat;      // T_FMT
    std::string TimeFormatAmPm;  // T_FMT_AMPM, for %r
    std::string AmText;
    std::string PmText;
    std::array<std::string, 12> ShortMonthNames;
    std::array<std::string, 12> LongMonthNames;
    std::array<std::string, 7> ShortDayNames;  // Sunday first
    std::array<std::string, 7> LongDayNames;
};

// The C locale's values.
TLocaleSource CLocaleSource();
// Calls setlocale(LC_ALL, "") and reads the process locale.
TLocaleSource ReadLocaleSource();
// Converts the texts to Windows-1252 and the strftime formats to patterns. A text that
// Windows-1252 cannot hold is not altered: the whole group it belongs to (month names,
// weekday names, AM/PM texts, a format) keeps the C locale's value instead. The long
// date format, which the C library does not provide, is built from the order of day,
// month and year in the short date format.
TLocaleSettings SettingsFromSource(const TLocaleSource& source);
// The settings of the C locale; the process starts with them.
TLocaleSettings DefaultLocaleSettings();
// Reads the process locale once and installs it.
void InitLocaleSettings();

// Converts a strftime format into a pattern. Letters and separators that would read as
// specifiers are quoted; conversions the pattern language has no counterpart for are
// dropped. %c, %r, %x and %X take the source's formats. withSeconds false drops the
// seconds together with the literal text that leads up to them.
std::string StrftimeToPattern(const std::string& format, const TLocaleSource& source, bool withSeconds = true);
