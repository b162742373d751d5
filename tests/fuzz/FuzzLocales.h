// The regional settings the date and time targets run under, chosen by one input byte.
#pragma once

#include <cstdint>

#include "datetime/TestLocales.h"
#include "datetime/ULocale.h"

// Separators that are pattern letters or quotes elsewhere, names with Windows-1252
// letters, AM/PM texts of different lengths and no year window.
inline TLocaleSettings OddSettings()
{
    TLocaleSettings s = GermanSettings();
    s.Date.DateSeparator = '-';
    s.Date.YearWindow = 0;
    s.Date.ShortMonthNames[2] = "M\xE4r";
    s.Date.LongMonthNames[11] = "D\xE9"
                                "cembre";
    s.Date.ShortDateFormat = "yyyy-MM-dd";
    s.Date.LongDateFormat = "d. MMMM yyyy";
    s.Time.TimeSeparator = '.';
    s.Time.AmText = "vorm.";
    s.Time.PmText = "nachm";
    s.Time.ShortTimeFormat = "h.mm ampm";
    s.Time.LongTimeFormat = "hh.mm.ss";
    return s;
}

inline void InstallFuzzLocale(std::uint8_t choice)
{
    switch (choice % 4) {
    case 0: InstallLocaleSettings(GermanSettings()); break;
    case 1: InstallLocaleSettings(UsSettings()); break;
    case 2: InstallLocaleSettings(DefaultLocaleSettings()); break;
    default: InstallLocaleSettings(OddSettings()); break;
    }
}
