#include "datetime/UDatumzeit.h"

#include "datetime/UCalendar.h"
#include "datetime/UClock.h"
#include "datetime/ULocale.h"
#include "env/VControl.h"

#include <cstdio>
#include <cstdlib>

namespace {

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Up to count characters of text from the 1-based position; empty beyond the end.
std::string Slice(const std::string& text, int position, std::size_t count)
{
    if (position < 1 || static_cast<std::size_t>(position) > text.size())
        return {};
    return text.substr(static_cast<std::size_t>(position) - 1, count);
}

// The position after expected when text holds it at the 1-based position, else the
// position negated.
int MatchLiteral(const std::string& text, int position, const std::string& expected)
{
    return Slice(text, position, expected.size()) == expected ? position + static_cast<int>(expected.size())
                                                              : -position;
}

// The whole text as a decimal integer with optional leading blanks and one sign; -1
// when it is not one (no range accepts -1 or a negative number).
int ParseInteger(const std::string& text)
{
    int value = -1;
    return ReadInteger(text, value) ? value : -1;
}

// Reads width characters as one integer (see ParseInteger).
int ReadFixed(const std::string& text, int position, int width)
{
    return ParseInteger(Slice(text, position, static_cast<std::size_t>(width)));
}

// Reads a run of 1..maxDigits digits; false when the run is empty or too long.
bool ReadDigitRun(const std::string& text, int position, int maxDigits, int& value, int& length)
{
    length = 0;
    value = 0;
    for (std::size_t i = static_cast<std::size_t>(position) - 1; i < text.size() && IsDigit(text[i]); ++i) {
        if (++length > maxDigits)
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return length > 0;
}

// Reads a number either fixed-width or as a digit run and checks its range; the new
// position or the position negated.
int MatchNumber(const std::string& text, int position, bool fixedWidth, int width, int minimum, int maximum, int& value)
{
    value = -1;
    int read = -1;
    int advance = width;
    if (fixedWidth) {
        read = ReadFixed(text, position, width);
    } else if (!ReadDigitRun(text, position, width, read, advance)) {
        return -position;
    }
    if (read < minimum || read > maximum)
        return -position;
    value = read;
    return position + advance;
}

// The index (0-based) of the first name that text holds at position, compared with
// as many characters as the name has (or exactly width characters when width > 0).
template <std::size_t N>
int MatchName(const std::array<std::string, N>& names, const std::string& text, int position, std::size_t width,
              int& advance)
{
    for (std::size_t i = 0; i < N; ++i) {
        const std::size_t length = width > 0 ? width : names[i].size();
        if (names[i].empty() || Slice(text, position, length) != names[i])
            continue;
        advance = static_cast<int>(length);
        return static_cast<int>(i);
    }
    return -1;
}

// A name token's Match: value 1.. for the name read at position (see MatchName), or
// the position negated when none fits.
template <std::size_t N>
int MatchNameValue(const std::array<std::string, N>& names, std::size_t width, const std::string& text, int position,
                   int& value)
{
    int advance = 0;
    const int index = MatchName(names, text, position, width, advance);
    if (index < 0)
        return -position;
    value = index + 1;
    return position + advance;
}

// The length of an AM/PM marker at the index (am/pm, a/p, ampm in any case), else 0.
std::size_t AmPmLength(const std::string& text, std::size_t at)
{
    if (StartsWithNoCase(text, at, "am/pm"))
        return 5;
    if (StartsWithNoCase(text, at, "a/p"))
        return 3;
    if (StartsWithNoCase(text, at, "ampm"))
        return 4;
    return 0;
}

// A locale format with one letter turned into another, leaving quoted text and AM/PM
// markers untouched: "ampm" must not become "ampn" when minutes are renamed.
std::string RenameLetter(const std::string& format, char from, char to)
{
    std::string result = format;
    for (std::size_t i = 0; i < result.size();) {
        const char c = result[i];
        if (c == '"' || c == '\'') {
            const std::size_t close = result.find(c, i + 1);
            if (close == std::string::npos)
                break;
            i = close + 1;
        } else if (const std::size_t marker = AmPmLength(result, i); marker > 0) {
            i += marker;
        } else {
            if (c == from)
                result[i] = to;
            ++i;
        }
    }
    return result;
}

std::string Padded(int value, int digits)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", digits, value);
    return buffer;
}

// ---- Formatter ------------------------------------------------------------------

class TFormatter {
public:
    TFormatter(const TDateTimeParts& parts, TLocaleSettings settings) : FParts(parts), FSettings(std::move(settings)) {}

    void Write(std::string& out, const std::string& pattern, int depth) const;

private:
    const TDateTimeParts& FParts;
    const TLocaleSettings FSettings;

    // Locale formats may in turn hold composite specifiers; a format that names itself
    // stops here instead of recursing without end.
    static constexpr int MaxDepth = 3;

    void Insert(std::string& out, const std::string& format, int depth) const
    {
        if (depth < MaxDepth)
            Write(out, format, depth + 1);
    }

    int TwelveHour() const { return FParts.Hour % 12 == 0 ? 12 : FParts.Hour % 12; }
    static bool AmPmFollows(const std::string& pattern, std::size_t from);
};

std::size_t RunLength(const std::string& pattern, std::size_t at)
{
    const char letter = LowerAscii(pattern[at]);
    std::size_t end = at;
    while (end < pattern.size() && LowerAscii(pattern[end]) == letter)
        ++end;
    return end - at;
}

// Whether, from the index on, the first a outside quotes before any further h starts
// an AM/PM marker: the hour before it is then written on the 12-hour clock.
bool TFormatter::AmPmFollows(const std::string& pattern, std::size_t from)
{
    for (std::size_t i = from; i < pattern.size(); ++i) {
        const char c = LowerAscii(pattern[i]);
        if (c == '"' || c == '\'') {
            const std::size_t close = pattern.find(pattern[i], i + 1);
            if (close == std::string::npos)
                return false;
            i = close;
        } else if (c == 'h') {
            return false;
        } else if (c == 'a') {
            return AmPmLength(pattern, i) > 0;
        }
    }
    return false;
}

void TFormatter::Write(std::string& out, const std::string& pattern, int depth) const
{
    const TDateSettings& date = FSettings.Date;
    const TTimeSettings& time = FSettings.Time;
    char lastLetter = 0;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        const char letter = LowerAscii(c);
        if (c == '"' || c == '\'') {
            const std::size_t close = pattern.find(c, i + 1);
            const std::size_t end = close == std::string::npos ? pattern.size() : close;
            out.append(pattern, i + 1, end - i - 1);
            i = close == std::string::npos ? pattern.size() : close + 1;
            continue;
        }
        const std::size_t run = IsLetter(c) ? RunLength(pattern, i) : 1;
        std::size_t advance = run;
        switch (letter) {
        case 'y': out += run <= 2 ? Padded(FParts.Year % 100, 2) : Padded(FParts.Year, 4); break;
        case 'm':
            if (lastLetter == 'h') {
                out += Padded(FParts.Minute, run == 1 ? 1 : 2);
                lastLetter = 'n';
                i += advance;
                continue;
            }
            if (run <= 2)
                out += Padded(FParts.Month, static_cast<int>(run));
            else
                out += run == 3 ? date.ShortMonthNames[FParts.Month - 1] : date.LongMonthNames[FParts.Month - 1];
            break;
        case 'd':
            if (run <= 2)
                out += Padded(FParts.Day, static_cast<int>(run));
            else if (run == 3)
                out += time.ShortDayNames[FParts.DayOfWeek - 1];
            else if (run == 4)
                out += time.LongDayNames[FParts.DayOfWeek - 1];
            else
                Insert(out, run == 5 ? date.ShortDateFormat : date.LongDateFormat, depth);
            break;
        case 'h': out += Padded(AmPmFollows(pattern, i + run) ? TwelveHour() : FParts.Hour, run == 1 ? 1 : 2); break;
        case 'n': out += Padded(FParts.Minute, run == 1 ? 1 : 2); break;
        case 's': out += Padded(FParts.Second, run == 1 ? 1 : 2); break;
        case 'z': out += Padded(FParts.MilliSecond, run < 3 ? static_cast<int>(run) : 3); break;
        case 't': Insert(out, run == 1 ? time.ShortTimeFormat : time.LongTimeFormat, depth); break;
        case 'c':
            advance = 1;
            Insert(out, date.ShortDateFormat, depth);
            if (FParts.Hour != 0 || FParts.Minute != 0 || FParts.Second != 0) {
                out += ' ';
                Insert(out, time.LongTimeFormat, depth);
            }
            break;
        case 'a': {
            const bool am = FParts.Hour < 12;
            if (StartsWithNoCase(pattern, i, "am/pm")) {
                out.append(pattern, am ? i : i + 3, 2);
                advance = 5;
            } else if (StartsWithNoCase(pattern, i, "a/p")) {
                out += pattern[am ? i : i + 2];
                advance = 3;
            } else if (StartsWithNoCase(pattern, i, "ampm")) {
                out += am ? time.AmText : time.PmText;
                advance = 4;
            } else if (run >= 4) {
                out += time.LongDayNames[FParts.DayOfWeek - 1];
                advance = 4;
            } else if (run == 3) {
                out += time.ShortDayNames[FParts.DayOfWeek - 1];
                advance = 3;
            } else {
                out += c;
                advance = 1;
            }
            break;
        }
        case '/': out += date.DateSeparator; break;
        case ':': out += time.TimeSeparator; break;
        default: out.append(pattern, i, run); break;
        }
        if (IsLetter(c))
            lastLetter = letter;
        i += advance;
    }
}

// ---- Checker ----------------------------------------------------------------------

std::string ReadFormat(bool dateFormat, bool longFormat)
{
    std::string format;
    if (dateFormat) {
        ReadDateSettings([&](const TDateSettings& s) { format = longFormat ? s.LongDateFormat : s.ShortDateFormat; });
        return RenameLetter(format, 'M', 'm');
    }
    ReadTimeSettings([&](const TTimeSettings& s) { format = longFormat ? s.LongTimeFormat : s.ShortTimeFormat; });
    return RenameLetter(format, 'm', 'n');
}

// A run of one specifier letter: its token, or nullptr when the length is not allowed.
std::unique_ptr<TDTObj> RunToken(char letter, std::size_t run)
{
    switch (letter) {
    case 'y': return run == 2 || run == 4 ? std::make_unique<TDTYear>(run == 4) : nullptr;
    case 'm': return run <= 4 ? std::make_unique<TDTMonth>(static_cast<int>(run)) : nullptr;
    case 'd':
        if (run <= 2)
            return std::make_unique<TDTDay>(static_cast<int>(run));
        return run <= 4 ? std::make_unique<TDTWeekday>(static_cast<int>(run)) : nullptr;
    case 'h': return run <= 2 ? std::make_unique<TDTHour>(run == 2) : nullptr;
    case 'n': return run <= 2 ? std::make_unique<TDTMinute>(run == 2) : nullptr;
    case 's': return run <= 2 ? std::make_unique<TDTSecond>(run == 2) : nullptr;
    case 'z': return run == 1 || run == 3 ? std::make_unique<TDTMilliSec>(run == 3) : nullptr;
    default: return nullptr;
    }
}

// Composes the hour with the AM/PM marker (see the header); -1 when refused.
int HourOfDay(int hour, const TDTAmPm* marker)
{
    if (marker == nullptr)
        return hour;
    if (marker->IsAm)
        return hour <= 11 ? hour : -1;
    if (hour < 1 || hour > 12)
        return -1;
    return hour == 12 ? 12 : hour + 12;
}

int DTStrToDateTimeSteps(const std::string& text, const std::string& pattern, double& value)
{
    int result = 0;
    if (pattern.empty() || pattern.size() > DTMaxLength)
        result = DTErrPatternLength;
    if (text.empty() || text.size() > DTMaxLength)
        result = DTErrTextLength;
    if (result != 0)
        return result;
    TDTFmtObjects tokens;
    const std::string expanded = ExpandFormat(pattern);
    if ((result = ParseFormat(expanded, tokens)) != 0)
        return result;
    if ((result = CheckAmbiguity(tokens)) != 0)
        return result;
    if ((result = MatchText(text, tokens)) != 0)
        return result;
    return ComposeDateTime(tokens, value);
}

}  // namespace

// ---- Tokens -----------------------------------------------------------------------

std::string TDTObj::Describe() const
{
    return "Abstract";
}

int TDTObj::Match(const std::string& /*text*/, int position)
{
    return -position;
}

bool TDTObj::IsNumeric() const
{
    return false;
}

bool TDTObj::IsVariableWidth() const
{
    return false;
}

TDTKind TDTObj::TokenKind() const
{
    return TDTKind::Literal;
}

TDTString::TDTString(char quote, std::string text) : Quote(quote)
{
    Text = std::move(text);
}

std::string TDTString::Describe() const
{
    switch (Quote) {
    case ' ': return "STRING |" + Text + "|";
    case '"': return "STRING \"" + Text + "\"";
    case '\'': return "STRING '" + Text + "'";
    default: return "ERROR";
    }
}

int TDTString::Match(const std::string& text, int position)
{
    return MatchLiteral(text, position, Text);
}

TDTAmPm::TDTAmPm(std::string amText, std::string pmText) : AmText(std::move(amText)), PmText(std::move(pmText)) {}

std::string TDTAmPm::Describe() const
{
    return "AMPM " + AmText + " " + PmText;
}

int TDTAmPm::Match(const std::string& text, int position)
{
    const int am = MatchLiteral(text, position, AmText);
    IsAm = am > 0;
    return IsAm ? am : MatchLiteral(text, position, PmText);
}

TDTSeparator::TDTSeparator(std::string separator, TDTKind kind, const char* name) : kind_(kind), name_(name)
{
    Text = std::move(separator);
}

std::string TDTSeparator::Describe() const
{
    return std::string(name_) + " " + Text;
}

int TDTSeparator::Match(const std::string& text, int position)
{
    return MatchLiteral(text, position, Text);
}

TDTYear::TDTYear(bool fourDigit) : FourDigit(fourDigit) {}

std::string TDTYear::Describe() const
{
    return std::string(FourDigit ? "YEAR Fourdigit " : "YEAR Twodigit ") + std::to_string(Value);
}

int TDTYear::Match(const std::string& text, int position)
{
    Value = -1;
    const int width = FourDigit ? 4 : 2;
    int year = ReadFixed(text, position, width);
    if (!FourDigit && year >= 0 && year <= 99) {
        int window = 0;
        ReadDateSettings([&](const TDateSettings& s) { window = s.YearWindow; });
        year = TwoDigitYear(year, CurrentYear(), window);
    }
    if (year < 1 || year > 9999)
        return -position;
    Value = year;
    return position + width;
}

std::string TDTDatePart::Describe() const
{
    return std::string(name_) + " " + std::to_string(Kind) + " " + std::to_string(Value);
}

int TDTMonth::Match(const std::string& text, int position)
{
    Value = -1;
    if (Kind <= 2)
        return MatchNumber(text, position, Kind == 2, 2, 1, 12, Value);
    int result = -position;
    ReadDateSettings([&](const TDateSettings& s) {
        result = Kind == 3 ? MatchNameValue(s.ShortMonthNames, 3, text, position, Value)
                           : MatchNameValue(s.LongMonthNames, 0, text, position, Value);
    });
    return result;
}

int TDTDay::Match(const std::string& text, int position)
{
    return MatchNumber(text, position, Kind == 2, 2, 1, 31, Value);
}

int TDTWeekday::Match(const std::string& text, int position)
{
    Value = -1;
    int result = -position;
    ReadTimeSettings([&](const TTimeSettings& s) {
        result = Kind == 3 ? MatchNameValue(s.ShortDayNames, 2, text, position, Value)
                           : MatchNameValue(s.LongDayNames, 0, text, position, Value);
    });
    return result;
}

std::string TDTClockPart::Describe() const
{
    return std::string(name_) + (LeadingZero ? " leading zero " : " no leading zero ") + std::to_string(Value);
}

int TDTClockPart::Match(const std::string& text, int position)
{
    return MatchNumber(text, position, LeadingZero, 2, 0, maximum_, Value);
}

TDTMilliSec::TDTMilliSec(bool leadingZero) : LeadingZero(leadingZero) {}

std::string TDTMilliSec::Describe() const
{
    return std::string(LeadingZero ? "MILLISEC leading zeros " : "MILLISEC no leading zeros ") + std::to_string(Value);
}

int TDTMilliSec::Match(const std::string& text, int position)
{
    return MatchNumber(text, position, LeadingZero, 3, 0, 999, Value);
}

bool TDTFmtObjects::Add(std::unique_ptr<TDTObj> token)
{
    const TDTKind kind = token->TokenKind();
    const bool counted = kind != TDTKind::Literal && kind != TDTKind::DateSeparator && kind != TDTKind::TimeSeparator;
    int& counter = counters_[static_cast<std::size_t>(kind)];
    if (counted && counter > 0)
        return false;
    ++counter;
    items_.push_back(std::move(token));
    return true;
}

// ---- Steps ------------------------------------------------------------------------

std::string ExpandFormat(const std::string& pattern)
{
    std::string result = pattern;
    int position = 1;
    while ((position = FindFirstOf(result, "'\"cdt", position)) > 0) {
        const char c = result[static_cast<std::size_t>(position) - 1];
        if (c == '\'' || c == '"') {
            const std::size_t close = result.find(c, static_cast<std::size_t>(position));
            if (close == std::string::npos)
                break;  // the parser reports the open quote
            position = static_cast<int>(close) + 2;
            continue;
        }
        if (c == 'c') {
            position = ReplaceAt(result, ReadFormat(true, false) + " " + ReadFormat(false, true), position, 1);
            continue;
        }
        const int runEnd = FindFirstNotOf(result, std::string(1, c), position);
        const int run = (runEnd < 0 ? static_cast<int>(result.size()) + 1 : runEnd) - position;
        const bool dateRun = c == 'd' && (run == 5 || run == 6);
        const bool timeRun = c == 't' && (run == 1 || run == 2);
        if (dateRun)
            position = ReplaceAt(result, ReadFormat(true, run == 6), position, run);
        else if (timeRun)
            position = ReplaceAt(result, ReadFormat(false, run == 2), position, run);
        else
            position += run;
    }
    return result;
}

int ParseFormat(const std::string& pattern, TDTFmtObjects& tokens)
{
    TDTString* literal = nullptr;  // the unquoted literal being collected
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        const int errorAtStart = -static_cast<int>(i + 1);
        std::unique_ptr<TDTObj> token;
        std::size_t advance = 1;
        if (c == '"' || c == '\'') {
            std::string quoted;
            const int close = ExtractQuoted(pattern, c, static_cast<int>(i) + 2, quoted);
            if (close < 0)
                return errorAtStart;
            token = std::make_unique<TDTString>(c, std::move(quoted));
            advance = static_cast<std::size_t>(close) - i;
        } else if (c == '/') {
            std::string separator;
            ReadDateSettings([&](const TDateSettings& s) { separator = std::string(1, s.DateSeparator); });
            token = std::make_unique<TDTDateSeparator>(separator);
        } else if (c == ':') {
            std::string separator;
            ReadTimeSettings([&](const TTimeSettings& s) { separator = std::string(1, s.TimeSeparator); });
            token = std::make_unique<TDTTimeSeparator>(separator);
        } else if (c == 'y' || c == 'm' || c == 'd' || c == 'h' || c == 'n' || c == 's' || c == 'z') {
            advance = pattern.find_first_not_of(c, i);
            advance = (advance == std::string::npos ? pattern.size() : advance) - i;
            token = RunToken(c, advance);
            if (!token)
                return errorAtStart;
        } else if ((c == 'a' || c == 'A') && (advance = AmPmLength(pattern, i)) > 0) {
            if (advance == 5) {
                token = std::make_unique<TDTAmPm>(pattern.substr(i, 2), pattern.substr(i + 3, 2));
            } else if (advance == 3) {
                token = std::make_unique<TDTAmPm>(pattern.substr(i, 1), pattern.substr(i + 2, 1));
            } else {
                std::string am;
                std::string pm;
                ReadTimeSettings([&](const TTimeSettings& s) {
                    am = s.AmText;
                    pm = s.PmText;
                });
                token = std::make_unique<TDTAmPm>(am, pm);
            }
        } else {
            advance = 1;
            if (literal == nullptr) {
                auto text = std::make_unique<TDTString>(' ');
                literal = text.get();
                tokens.Add(std::move(text));
            }
            literal->Text += c;
            ++i;
            continue;
        }
        literal = nullptr;
        if (!tokens.Add(std::move(token)))
            return errorAtStart;
        i += advance;
    }
    return 0;
}

int CheckAmbiguity(const TDTFmtObjects& tokens)
{
    for (std::size_t i = 0; i + 1 < tokens.Size(); ++i)
        if (tokens[i].IsVariableWidth() && tokens[i + 1].IsNumeric())
            return DTErrAmbiguous;
    return 0;
}

int MatchText(const std::string& text, TDTFmtObjects& tokens)
{
    int position = 1;
    for (std::size_t i = 0; i < tokens.Size() && position >= 1; ++i)
        position = tokens[i].Match(text, position);
    if (position == static_cast<int>(text.size()) + 1)
        return 0;
    return std::abs(position);
}

int ComposeDateTime(const TDTFmtObjects& tokens, double& value)
{
    const TDTYear* year = tokens.Find<TDTYear>();
    const TDTMonth* month = tokens.Find<TDTMonth>();
    const TDTDay* day = tokens.Find<TDTDay>();
    const TDTWeekday* weekday = tokens.Find<TDTWeekday>();
    const TDTHour* hour = tokens.Find<TDTHour>();
    const TDTMinute* minute = tokens.Find<TDTMinute>();
    const TDTSecond* second = tokens.Find<TDTSecond>();
    const TDTMilliSec* milliSec = tokens.Find<TDTMilliSec>();
    const TDTAmPm* marker = tokens.Find<TDTAmPm>();

    if (year != nullptr && year->Value == -1)
        return DTErrYear;
    if (month != nullptr && month->Value == -1)
        return DTErrMonth;
    if (day != nullptr) {
        if (day->Value == -1)
            return DTErrDay;
        if (month != nullptr) {
            // Without a year, February may have 29 days.
            const int days = year != nullptr ? DaysInMonth(year->Value, month->Value) : DaysInMonth(2000, month->Value);
            if (day->Value > days)
                return DTErrDay;
        }
    }
    int defaultYear = 2000;
    int defaultMonth = 1;
    int defaultDay = 1;
    ReadDateSettings([&](const TDateSettings& s) {
        defaultYear = s.DefaultYear;
        defaultMonth = s.DefaultMonth;
        defaultDay = s.DefaultDay;
    });
    const int y = year != nullptr ? year->Value : defaultYear;
    const int m = month != nullptr ? month->Value : defaultMonth;
    const int d = day != nullptr ? day->Value : defaultDay;
    double date = 0.0;
    if (!TryEncodeDate(y, m, d, date))
        return DTErrDate;
    if (weekday != nullptr && (weekday->Value == -1 || weekday->Value != DayOfWeek(y, m, d)))
        return DTErrWeekday;

    int h = 0;
    if (hour != nullptr) {
        if (hour->Value == -1 || (h = HourOfDay(hour->Value, marker)) < 0)
            return DTErrHour;
    }
    if (minute != nullptr && minute->Value == -1)
        return DTErrMinute;
    if (second != nullptr && second->Value == -1)
        return DTErrSecond;
    if (milliSec != nullptr && milliSec->Value == -1)
        return DTErrMilliSec;
    double time = 0.0;
    TryEncodeTime(h, minute != nullptr ? minute->Value : 0, second != nullptr ? second->Value : 0,
                  milliSec != nullptr ? milliSec->Value : 0, time);
    value = CombineDateTime(date, time);
    return 0;
}

int TwoDigitYear(int value, int currentYear, int window)
{
    const int century = currentYear / 100;
    const int inCentury = currentYear % 100;
    int result = century;
    if (window == 0)
        result = century;
    else if (window > inCentury)
        result = value < 100 - window + inCentury ? century : century - 1;
    else if (inCentury <= 99 - window)
        result = century;
    else
        result = value > window + inCentury - 100 ? century : century + 1;
    return result * 100 + value;
}

double DTStrToDateTime(const std::string& text, const std::string& pattern, int& error) noexcept
{
    try {
        double value = 0.0;
        error = DTStrToDateTimeSteps(text, pattern, value);
        return error == 0 ? value : 0.0;
    } catch (...) {
        // Only resource failures (memory, locks) can get here; report the text as
        // uncheckable rather than let them out.
        error = DTErrTextLength;
        return 0.0;
    }
}

std::string DTFormatDateTime(const std::string& pattern, double value)
{
    TDateTimeParts parts;
    if (!DecodeDateTime(value, parts))
        return {};
    std::string out;
    TFormatter(parts, CurrentLocaleSettings()).Write(out, pattern, 0);
    return out;
}

// ---- String routines ----------------------------------------------------------------

int FindFirstOf(const std::string& text, const std::string& set, int start)
{
    if (text.empty() || start < 1 || static_cast<std::size_t>(start) > text.size())
        return -1;
    const std::size_t found = text.find_first_of(set, static_cast<std::size_t>(start) - 1);
    return found == std::string::npos ? -1 : static_cast<int>(found) + 1;
}

int FindFirstNotOf(const std::string& text, const std::string& set, int start)
{
    if (text.empty() || start < 1 || static_cast<std::size_t>(start) > text.size())
        return -1;
    const std::size_t found = text.find_first_not_of(set, static_cast<std::size_t>(start) - 1);
    return found == std::string::npos ? -1 : static_cast<int>(found) + 1;
}

int ExtractQuoted(const std::string& text, char quote, int start, std::string& quoted)
{
    quoted.clear();
    if (start < 1)
        return -1;
    for (std::size_t i = static_cast<std::size_t>(start) - 1; i < text.size(); ++i) {
        if (text[i] != quote) {
            quoted += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == quote) {
            quoted += quote;
            ++i;
        } else {
            return static_cast<int>(i) + 1;
        }
    }
    return -1;
}

int ReplaceAt(std::string& text, const std::string& replacement, int position, int count)
{
    if (position < 1 || static_cast<std::size_t>(position) > text.size() + 1 || count < 0)
        return -1;
    text.replace(static_cast<std::size_t>(position) - 1, static_cast<std::size_t>(count), replacement);
    const int next = position + static_cast<int>(replacement.size());
    return static_cast<std::size_t>(next) <= text.size() ? next : -1;
}
