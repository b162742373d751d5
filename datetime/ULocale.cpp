#include "datetime/ULocale.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <clocale>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <optional>
#include <vector>

std::mutex DateSettingsLock;
std::mutex TimeSettingsLock;

namespace {

std::atomic<char> g_decimalSeparator{'.'};

TDateSettings& DateStorage()
{
    static TDateSettings settings = DefaultLocaleSettings().Date;
    return settings;
}

TTimeSettings& TimeStorage()
{
    static TTimeSettings settings = DefaultLocaleSettings().Time;
    return settings;
}

// ---- Encoding -------------------------------------------------------------------

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsAscii(const std::string& text)
{
    for (const unsigned char c : text)
        if (c >= 0x80)
            return false;
    return true;
}

// The text in Windows-1252, or nothing when the codeset is unknown or a character has
// no Windows-1252 form.
std::optional<std::string> ToWindows1252(const std::string& text, const std::string& codeset)
{
    if (IsAscii(text))
        return text;
    if (codeset.empty())
        return std::nullopt;
    iconv_t cd = iconv_open("WINDOWS-1252", codeset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string input = text;
    std::string output(text.size() + 4, '\0');  // never longer than the input
    char* in = input.data();
    size_t inLeft = input.size();
    char* out = output.data();
    size_t outLeft = output.size();
    const size_t converted = iconv(cd, &in, &inLeft, &out, &outLeft);
    iconv_close(cd);
    if (converted == static_cast<size_t>(-1) || inLeft != 0)
        return std::nullopt;
    output.resize(output.size() - outLeft);
    return output;
}

template <std::size_t N>
std::optional<std::array<std::string, N>> NamesToWindows1252(const std::array<std::string, N>& names,
                                                             const std::string& codeset)
{
    std::array<std::string, N> result;
    for (std::size_t i = 0; i < N; ++i) {
        auto converted = ToWindows1252(names[i], codeset);
        if (!converted || converted->empty())
            return std::nullopt;
        result[i] = std::move(*converted);
    }
    return result;
}

// ---- strftime formats ------------------------------------------------------------

struct TFormatItem {
    bool Literal = true;
    std::string Text;     // literal text
    char Conversion = 0;  // strftime conversion letter
    bool NoPadding = false;
};

class TStrftimeReader {
public:
    explicit TStrftimeReader(const TLocaleSource& source) : FSource(source) {}

    std::vector<TFormatItem> Read(const std::string& format)
    {
        items_.clear();
        Append(format, 0);
        return items_;
    }

private:
    const TLocaleSource& FSource;
    std::vector<TFormatItem> items_;

    void AddLiteral(char c)
    {
        if (items_.empty() || !items_.back().Literal)
            items_.push_back(TFormatItem{});
        items_.back().Text += c;
    }

    void Append(const std::string& format, int depth)
    {
        for (std::size_t i = 0; i < format.size(); ++i) {
            if (format[i] != '%') {
                AddLiteral(format[i]);
                continue;
            }
            bool noPadding = false;
            ++i;
            // GNU flags, a field width and the E and O modifiers.
            while (i < format.size() && std::strchr("_-0^#", format[i]) != nullptr) {
                noPadding = noPadding || format[i] == '-';
                ++i;
            }
            while (i < format.size() && IsAsciiDigit(format[i]))
                ++i;
            while (i < format.size() && (format[i] == 'E' || format[i] == 'O'))
                ++i;
            if (i >= format.size())
                return;
            AppendConversion(format[i], noPadding, depth);
        }
    }

    void AppendConversion(char conversion, bool noPadding, int depth)
    {
        // Composite conversions stand for other formats; a locale that names one inside
        // itself must not send the reader round in circles.
        const char* composite = nullptr;
        switch (conversion) {
        case 'D': composite = "%m/%d/%y"; break;
        case 'F': composite = "%Y-%m-%d"; break;
        case 'R': composite = "%H:%M"; break;
        case 'T': composite = "%H:%M:%S"; break;
        case 'r': composite = FSource.TimeFormatAmPm.c_str(); break;
        case 'x': composite = FSource.DateFormat.c_str(); break;
        case 'X': composite = FSource.TimeFormat.c_str(); break;
        case 'c': composite = "%x %X"; break;
        case '%': AddLiteral('%'); return;
        case 'n':
        case 't': AddLiteral(' '); return;
        default: break;
        }
        if (composite != nullptr) {
            if (depth < 4)
                Append(composite, depth + 1);
            return;
        }
        TFormatItem item;
        item.Literal = false;
        item.Conversion = conversion;
        item.NoPadding = noPadding;
        items_.push_back(item);
    }
};

std::string ConversionPattern(const TFormatItem& item)
{
    switch (item.Conversion) {
    case 'd': return item.NoPadding ? "d" : "dd";
    case 'e': return "d";
    case 'm': return item.NoPadding ? "M" : "MM";
    case 'b':
    case 'h': return "MMM";
    case 'B': return "MMMM";
    case 'a': return "ddd";
    case 'A': return "dddd";
    case 'y':
    case 'g': return "yy";
    case 'Y':
    case 'G': return "yyyy";
    case 'H':
    case 'I': return item.NoPadding ? "h" : "hh";
    case 'k':
    case 'l': return "h";
    case 'M': return item.NoPadding ? "m" : "mm";
    case 'S': return item.NoPadding ? "s" : "ss";
    case 'p':
    case 'P': return "ampm";
    default: return {};  // no counterpart (time zone, day of year, week number, ...)
    }
}

// The first separator character between two conversions, or the fallback.
char SeparatorOf(const std::vector<TFormatItem>& items, char fallback)
{
    for (std::size_t i = 1; i + 1 < items.size(); ++i) {
        if (!items[i].Literal || items[i - 1].Literal || items[i + 1].Literal)
            continue;
        for (const char c : items[i].Text)
            if (c != ' ' && static_cast<unsigned char>(c) < 0x80 && !IsAsciiLetter(c) && !IsAsciiDigit(c))
                return c;
    }
    return fallback;
}

// Wraps a run that must be quoted. Each piece is wrapped in the quote character it
// does not contain, and two neighbouring pieces never share a quote character, so the
// checker cannot read them as one piece with a doubled quote.
std::string QuotedRun(const std::string& run)
{
    std::string pattern;
    std::size_t start = 0;
    while (start < run.size()) {
        const std::size_t withoutDouble = std::min(run.find('"', start), run.size()) - start;
        const std::size_t withoutSingle = std::min(run.find('\'', start), run.size()) - start;
        const char quote = withoutDouble >= withoutSingle ? '"' : '\'';
        const std::size_t length = std::max(withoutDouble, withoutSingle);
        pattern += quote + run.substr(start, length) + quote;
        start += length;
    }
    return pattern;
}

std::string LiteralPattern(const std::string& text, char dateSeparator, char timeSeparator)
{
    std::string pattern;
    std::string run;
    for (const char c : text) {
        if (IsAsciiLetter(c) || c == '"' || c == '\'' || (c == '/' && dateSeparator != '/') ||
            (c == ':' && timeSeparator != ':')) {
            run += c;
            continue;
        }
        pattern += QuotedRun(run);
        run.clear();
        pattern += c;
    }
    return pattern + QuotedRun(run);
}

std::string ItemsToPattern(const std::vector<TFormatItem>& items, char dateSeparator, char timeSeparator)
{
    std::string pattern;
    for (const auto& item : items)
        pattern += item.Literal ? LiteralPattern(item.Text, dateSeparator, timeSeparator) : ConversionPattern(item);
    return pattern;
}

std::vector<TFormatItem> WithoutSeconds(std::vector<TFormatItem> items)
{
    const auto isSeconds = [](const TFormatItem& item) { return !item.Literal && item.Conversion == 'S'; };
    for (auto it = std::find_if(items.begin(), items.end(), isSeconds); it != items.end();
         it = std::find_if(items.begin(), items.end(), isSeconds)) {
        // The separator belongs to the seconds: the one before them, else the one after.
        auto first = it;
        auto last = it + 1;
        if (it != items.begin() && (it - 1)->Literal)
            first = it - 1;
        else if (last != items.end() && last->Literal)
            ++last;
        items.erase(first, last);
    }
    return items;
}

std::optional<std::string> SourceText(const std::string& text, const TLocaleSource& source)
{
    return ToWindows1252(text, source.Codeset);
}

TLocaleSource SourceInWindows1252(const TLocaleSource& source, const TLocaleSource& fallback)
{
    TLocaleSource result = source;
    result.Codeset = "WINDOWS-1252";
    const auto format = [&](const std::string& text, const std::string& other) {
        auto converted = SourceText(text, source);
        return converted ? *converted : other;
    };
    result.DateFormat = format(source.DateFormat, fallback.DateFormat);
    result.TimeFormat = format(source.TimeFormat, fallback.TimeFormat);
    result.TimeFormatAmPm = format(source.TimeFormatAmPm, fallback.TimeFormatAmPm);
    return result;
}

// The long date in the order of the short date's day, month and year.
std::string LongDatePattern(const std::vector<TFormatItem>& dateItems, char dateSeparator)
{
    int dayAt = -1;
    int monthAt = -1;
    for (std::size_t i = 0; i < dateItems.size(); ++i) {
        const char c = dateItems[i].Literal ? 0 : dateItems[i].Conversion;
        if ((c == 'd' || c == 'e') && dayAt < 0)
            dayAt = static_cast<int>(i);
        if ((c == 'm' || c == 'b' || c == 'B' || c == 'h') && monthAt < 0)
            monthAt = static_cast<int>(i);
    }
    if (monthAt >= 0 && dayAt > monthAt)
        return "dddd, MMMM d, yyyy";
    return dateSeparator == '.' ? "dddd, d. MMMM yyyy" : "dddd, d MMMM yyyy";
}

}  // namespace

void InstallLocaleSettings(const TLocaleSettings& settings)
{
    {
        std::lock_guard lock(DateSettingsLock);
        DateStorage() = settings.Date;
    }
    {
        std::lock_guard lock(TimeSettingsLock);
        TimeStorage() = settings.Time;
    }
    g_decimalSeparator = settings.DecimalSeparator;
}

TLocaleSettings CurrentLocaleSettings()
{
    TLocaleSettings settings;
    settings.DecimalSeparator = g_decimalSeparator;
    ReadDateSettings([&](const TDateSettings& date) { settings.Date = date; });
    ReadTimeSettings([&](const TTimeSettings& time) { settings.Time = time; });
    return settings;
}

char DecimalSeparator()
{
    return g_decimalSeparator;
}

void ReadDateSettings(const std::function<void(const TDateSettings&)>& reader)
{
    TDateSettings& settings = DateStorage();  // initialised outside the lock
    std::lock_guard lock(DateSettingsLock);
    reader(settings);
}

void ReadTimeSettings(const std::function<void(const TTimeSettings&)>& reader)
{
    TTimeSettings& settings = TimeStorage();
    std::lock_guard lock(TimeSettingsLock);
    reader(settings);
}

TLocaleSource CLocaleSource()
{
    TLocaleSource source;
    source.Codeset = "ANSI_X3.4-1968";
    source.DecimalPoint = ".";
    source.DateFormat = "%m/%d/%y";
    source.TimeFormat = "%H:%M:%S";
    source.TimeFormatAmPm = "%I:%M:%S %p";
    source.AmText = "AM";
    source.PmText = "PM";
    source.ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    source.LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                             "July",    "August",   "September", "October", "November", "December"};
    source.ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    source.LongDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    return source;
}

TLocaleSource ReadLocaleSource()
{
    std::setlocale(LC_ALL, "");
    TLocaleSource source;
    source.Codeset = nl_langinfo(CODESET);
    const std::lconv* conventions = std::localeconv();
    source.DecimalPoint =
        conventions != nullptr && conventions->decimal_point != nullptr ? conventions->decimal_point : ".";
    source.DateFormat = nl_langinfo(D_FMT);
    source.TimeFormat = nl_langinfo(T_FMT);
    source.TimeFormatAmPm = nl_langinfo(T_FMT_AMPM);
    source.AmText = nl_langinfo(AM_STR);
    source.PmText = nl_langinfo(PM_STR);
    static constexpr nl_item shortMonths[12] = {ABMON_1, ABMON_2, ABMON_3, ABMON_4,  ABMON_5,  ABMON_6,
                                                ABMON_7, ABMON_8, ABMON_9, ABMON_10, ABMON_11, ABMON_12};
    static constexpr nl_item longMonths[12] = {MON_1, MON_2, MON_3, MON_4,  MON_5,  MON_6,
                                               MON_7, MON_8, MON_9, MON_10, MON_11, MON_12};
    static constexpr nl_item shortDays[7] = {ABDAY_1, ABDAY_2, ABDAY_3, ABDAY_4, ABDAY_5, ABDAY_6, ABDAY_7};
    static constexpr nl_item longDays[7] = {DAY_1, DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7};
    for (int i = 0; i < 12; ++i) {
        source.ShortMonthNames[i] = nl_langinfo(shortMonths[i]);
        source.LongMonthNames[i] = nl_langinfo(longMonths[i]);
    }
    for (int i = 0; i < 7; ++i) {
        source.ShortDayNames[i] = nl_langinfo(shortDays[i]);
        source.LongDayNames[i] = nl_langinfo(longDays[i]);
    }
    return source;
}

std::string StrftimeToPattern(const std::string& format, const TLocaleSource& source, bool withSeconds)
{
    TStrftimeReader reader(source);
    const char dateSeparator = SeparatorOf(reader.Read(source.DateFormat), '/');
    const char timeSeparator = SeparatorOf(reader.Read(source.TimeFormat), ':');
    auto items = reader.Read(format);
    if (!withSeconds)
        items = WithoutSeconds(std::move(items));
    return ItemsToPattern(items, dateSeparator, timeSeparator);
}

TLocaleSettings SettingsFromSource(const TLocaleSource& rawSource)
{
    const TLocaleSource fallback = CLocaleSource();
    const TLocaleSource source = SourceInWindows1252(rawSource, fallback);
    TLocaleSettings settings;

    const auto decimal = SourceText(rawSource.DecimalPoint, rawSource);
    settings.DecimalSeparator = decimal && decimal->size() == 1 && !IsAsciiDigit((*decimal)[0]) ? (*decimal)[0] : '.';

    TStrftimeReader reader(source);
    const auto dateItems = reader.Read(source.DateFormat);
    const auto timeItems = reader.Read(source.TimeFormat);
    settings.Date.DateSeparator = SeparatorOf(dateItems, '/');
    settings.Time.TimeSeparator = SeparatorOf(timeItems, ':');

    settings.Date.ShortDateFormat = StrftimeToPattern(source.DateFormat, source);
    settings.Date.LongDateFormat = LongDatePattern(dateItems, settings.Date.DateSeparator);
    settings.Time.LongTimeFormat = StrftimeToPattern(source.TimeFormat, source);
    settings.Time.ShortTimeFormat = StrftimeToPattern(source.TimeFormat, source, false);
    if (settings.Date.ShortDateFormat.empty())
        settings.Date.ShortDateFormat = StrftimeToPattern(fallback.DateFormat, fallback);
    if (settings.Time.LongTimeFormat.empty() || settings.Time.ShortTimeFormat.empty()) {
        settings.Time.LongTimeFormat = StrftimeToPattern(fallback.TimeFormat, fallback);
        settings.Time.ShortTimeFormat = StrftimeToPattern(fallback.TimeFormat, fallback, false);
    }

    const auto am = ToWindows1252(rawSource.AmText, rawSource.Codeset);
    const auto pm = ToWindows1252(rawSource.PmText, rawSource.Codeset);
    settings.Time.AmText = am && pm ? *am : fallback.AmText;
    settings.Time.PmText = am && pm ? *pm : fallback.PmText;

    const auto orFallback = [&](auto converted, const auto& other) { return converted ? *converted : other; };
    settings.Date.ShortMonthNames =
        orFallback(NamesToWindows1252(rawSource.ShortMonthNames, rawSource.Codeset), fallback.ShortMonthNames);
    settings.Date.LongMonthNames =
        orFallback(NamesToWindows1252(rawSource.LongMonthNames, rawSource.Codeset), fallback.LongMonthNames);
    settings.Time.ShortDayNames =
        orFallback(NamesToWindows1252(rawSource.ShortDayNames, rawSource.Codeset), fallback.ShortDayNames);
    settings.Time.LongDayNames =
        orFallback(NamesToWindows1252(rawSource.LongDayNames, rawSource.Codeset), fallback.LongDayNames);
    return settings;
}

TLocaleSettings DefaultLocaleSettings()
{
    return SettingsFromSource(CLocaleSource());
}

void InitLocaleSettings()
{
    InstallLocaleSettings(SettingsFromSource(ReadLocaleSource()));
}
