// Fixed regional settings for tests, so that no result depends on the machine.
#pragma once

#include "datetime/ULocale.h"

// German settings: decimal comma, "." between date parts, no AM/PM designators,
// two-letter short weekday names.
inline TLocaleSettings GermanSettings()
{
    TLocaleSettings s;
    s.DecimalSeparator = ',';
    s.Date.DateSeparator = '.';
    s.Date.ShortMonthNames = {"Jan", "Feb", "M\xE4r", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
    s.Date.LongMonthNames = {"Januar", "Februar", "M\xE4rz",   "April",   "Mai",      "Juni",
                             "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
    s.Date.ShortDateFormat = "dd.MM.yyyy";
    s.Date.LongDateFormat = "dddd, d. MMMM yyyy";
    s.Time.TimeSeparator = ':';
    s.Time.AmText = "";
    s.Time.PmText = "";
    s.Time.ShortDayNames = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
    s.Time.LongDayNames = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
    s.Time.ShortTimeFormat = "hh:mm";
    s.Time.LongTimeFormat = "hh:mm:ss";
    return s;
}

// US settings: decimal point, "/" between date parts, 12-hour clock with AM/PM,
// three-letter short weekday names.
inline TLocaleSettings UsSettings()
{
    TLocaleSettings s;
    s.DecimalSeparator = '.';
    s.Date.DateSeparator = '/';
    s.Date.ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    s.Date.LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                             "July",    "August",   "September", "October", "November", "December"};
    s.Date.ShortDateFormat = "M/d/yyyy";
    s.Date.LongDateFormat = "dddd, MMMM d, yyyy";
    s.Time.TimeSeparator = ':';
    s.Time.AmText = "AM";
    s.Time.PmText = "PM";
    s.Time.ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    s.Time.LongDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    s.Time.ShortTimeFormat = "h:mm ampm";
    s.Time.LongTimeFormat = "h:mm:ss ampm";
    return s;
}

// Installs settings for the lifetime of the object and restores the previous ones.
class TScopedLocaleSettings {
public:
    explicit TScopedLocaleSettings(const TLocaleSettings& settings) : FSaved(CurrentLocaleSettings())
    {
        InstallLocaleSettings(settings);
    }
    ~TScopedLocaleSettings() { InstallLocaleSettings(FSaved); }
    TScopedLocaleSettings(const TScopedLocaleSettings&) = delete;
    TScopedLocaleSettings& operator=(const TScopedLocaleSettings&) = delete;

private:
    TLocaleSettings FSaved;
};
