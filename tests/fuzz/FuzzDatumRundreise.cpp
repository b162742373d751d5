// Checker and formatter agree: a pattern built from the parts both read alike writes a
// value that the checker accepts, and what it accepts writes and reads back unchanged.
//
// Left out because the pattern language lets them differ: the short weekday name (the
// checker reads two letters, the formatter writes the locale's name), "m" after an hour
// (minutes to the formatter, a month to the checker), variable-width numbers that touch
// (a separator always stands between two parts) midnight under the 12-hour clock, a marker without an hour and "ampm"
// where the locale has no AM/PM texts (the formatter writes nothing, the hour alone is ambiguous).
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzHilfe.h"
#include "FuzzLocales.h"
#include "datetime/UCalendar.h"
#include "datetime/UDatumzeit.h"

namespace {

constexpr std::array<const char*, 16> kDatumTeile = {"d",    "dd", "m",  "mm", "mmm", "mmmm", "yy", "yyyy",
                                                     "dddd", "h",  "hh", "n",  "nn",  "s",    "ss", "zzz"};
constexpr std::array<const char*, 3> kMarken = {"ampm", "am/pm", "a/p"};
constexpr std::array<const char*, 7> kTrenner = {"/", ":", ".", "-", " ", ", ", "'T'"};

bool IsHour(const std::string& part)
{
    return part == "h" || part == "hh";
}

struct TMuster {
    std::string Text;
    bool Marker = false;
    bool Hour = false;
    bool FullDate = false;  // day, month and four-digit year: any value must read
    bool TimeOnly = false;  // no date part: any time must read
};

// The pattern the bytes choose: up to eight parts, each kind once, separated.
TMuster BuildPattern(TEingabe& input)
{
    std::string pattern;
    std::string used;  // one letter per kind taken
    bool afterHour = false;
    const int count = 1 + input.Byte() % 8;
    for (int i = 0; i < count; ++i) {
        std::string part = kDatumTeile[input.Byte() % kDatumTeile.size()];
        if (afterHour && part[0] == 'm')
            part = part.size() == 1 ? "n" : "nn";
        const char kind = part == "dddd" ? 'w' : part[0];
        if (used.find(kind) != std::string::npos)
            continue;
        used += kind;
        afterHour = afterHour || IsHour(part);
        if (!pattern.empty())
            pattern += kTrenner[input.Byte() % kTrenner.size()];
        pattern += part;
    }
    TMuster muster;
    muster.Hour = used.find('h') != std::string::npos;
    // Without an hour the marker is read as nothing (hour 0 either way).
    muster.Marker = muster.Hour && (input.Byte() & 1) != 0;
    if (muster.Marker) {
        const std::string marker = kMarken[input.Byte() % kMarken.size()];
        // "ampm" writes the locale's texts; where it has none, the hour alone is ambiguous.
        if (marker == "ampm" && CurrentLocaleSettings().Time.AmText.empty())
            muster.Marker = false;
        else
            pattern += " " + marker;
    }
    muster.Text = pattern;
    muster.FullDate = used.find('d') != std::string::npos && used.find('m') != std::string::npos &&
        pattern.find("yyyy") != std::string::npos;
    muster.TimeOnly = used.find_first_of("dmyw") == std::string::npos;
    return muster;
}

// A value of the years 1..9999 from the bytes.
double BuildValue(TEingabe& input)
{
    const int year = 1 + (input.Byte() << 8 | input.Byte()) % 9999;
    const int month = 1 + input.Byte() % 12;
    const int day = 1 + input.Byte() % DaysInMonth(year, month);
    double days = 0.0;
    double time = 0.0;
    FUZZ_CHECK(TryEncodeDate(year, month, day, days));
    FUZZ_CHECK(TryEncodeTime(input.Byte() % 24, input.Byte() % 60, input.Byte() % 60,
                             (input.Byte() << 8 | input.Byte()) % 1000, time));
    return CombineDateTime(days, time);
}

bool IsMidnightHour(double value)
{
    TDateTimeParts parts;
    return DecodeDateTime(value, parts) && parts.Hour == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TEingabe input(data, size);
    InstallFuzzLocale(input.Byte());
    const TMuster muster = BuildPattern(input);
    const std::string& pattern = muster.Text;
    const double value = BuildValue(input);
    const bool twelveHour = muster.Marker;
    if (twelveHour && IsMidnightHour(value))
        return 0;

    const std::string written = DTFormatDateTime(pattern, value);
    int error = 0;
    const double read = DTStrToDateTime(written, pattern, error);
    if ((muster.FullDate || muster.TimeOnly) && error != 0)
        std::fprintf(stderr, "pattern \"%s\" wrote \"%s\", read back with error %d\n", pattern.c_str(), written.c_str(),
                     error);
    if (muster.FullDate || muster.TimeOnly)
        FUZZ_CHECK(error == 0);
    if (error != 0)
        return 0;  // a part alone may not name a date (the 30th without a month)
    const std::string again = DTFormatDateTime(pattern, read);
    if (again != written)
        std::fprintf(stderr, "pattern \"%s\" wrote \"%s\", then \"%s\"\n", pattern.c_str(), written.c_str(),
                     again.c_str());
    FUZZ_CHECK(again == written);
    const double reread = DTStrToDateTime(again, pattern, error);
    FUZZ_CHECK(error == 0);
    FUZZ_CHECK(reread == read);
    return 0;
}
