#include "core/UEingabePruefung.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/UZahlen.h"
#include "datetime/UCalendar.h"
#include "datetime/UClock.h"
#include "datetime/UDatumzeit.h"
#include "env/UCodec.h"
#include "env/VControl.h"

namespace {

bool HasLowerLimit(double minimum)
{
    return !IsNoLowerLimit(minimum);
}

bool HasUpperLimit(double maximum)
{
    return !IsNoUpperLimit(maximum);
}

// English texts for keys that language files written before them lack.
const char* Fallback(const std::string& section, const std::string& key)
{
    if (section == "FMZeit" && key == "Invalid")
        return "Please enter the time in the form \"%s\".";
    if (section == "Basics" && key == "NotRepresentable")
        return "The text contains characters that cannot be stored in the file (%s). Please replace them.";
    return nullptr;
}

TEingabeMeldung Meldung(std::string section, std::string key, std::vector<std::string> args,
                        TMsgKind kind = TMsgKind::Information)
{
    return TEingabeMeldung{std::move(section), std::move(key), std::move(args), kind};
}

// A date-time value split into whole days and milliseconds of the day, rounded to
// whole milliseconds the way the calendar routines round; a time that rounds up to
// midnight belongs to the next day (away from day 0, as the sign rule wants).
struct TTagUndZeit {
    double Days = 0;
    long long MilliSeconds = 0;
};

TTagUndZeit Split(double value)
{
    if (!std::isfinite(value))
        return {};
    const double magnitude = std::fabs(value);
    double days = std::floor(magnitude);
    long long ms = std::llround((magnitude - days) * MSecsPerDay);
    if (ms >= MSecsPerDay) {
        ms -= MSecsPerDay;
        days += 1;
    }
    return {value < 0 ? -days : days, ms};
}

// Both the date and the time dialog compare one part of the value with the limits.
TPruefung CheckLimits(const char* section, double part, double minimum, double maximum,
                      std::string (*limitText)(const std::string&, double), const std::string& format)
{
    if (HasLowerLimit(minimum) && part < minimum)
        return Meldung(section, "Greater", {limitText(format, minimum)});
    if (HasUpperLimit(maximum) && part > maximum)
        return Meldung(section, "Smaller", {limitText(format, maximum)});
    return std::nullopt;
}

// Lower case of a Windows-1252 byte: ASCII, the Latin-1 letters and the few letters of
// 0x80..0x9F that have a case partner.
unsigned char Fold(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<unsigned char>(c + 32);
    switch (c) {
    case 0x8A: return 0x9A;  // S with caron
    case 0x8C: return 0x9C;  // OE
    case 0x8E: return 0x9E;  // Z with caron
    case 0x9F: return 0xFF;  // Y with diaeresis
    default: return c;
    }
}

bool EqualIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Fold(static_cast<unsigned char>(x)) == Fold(static_cast<unsigned char>(y));
           });
}

std::string CodePointName(char32_t codePoint)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(codePoint));
    return buffer;
}

}  // namespace

std::string TEingabeMeldung::Text() const
{
    const char* fallback = Fallback(Section, Key);
    const std::string pattern =
        fallback ? TextOrFallback(Section.c_str(), Key.c_str(), fallback) : GetText(Section, Key);
    return FormatMsg(pattern, Args);
}

std::string NumberLimitText(const std::string& format, double limit)
{
    // FormatNumber takes only the width-and-precision part; the whole-number format is
    // a complete conversion, so it is mapped to "no decimals" here.
    return FormatNumber(format == kIntegerFormat ? std::string("0.0") : format, limit);
}

TPruefung CheckNumberInput(const std::string& text, double minimum, double maximum, const std::string& format)
{
    const bool lower = HasLowerLimit(minimum);
    const bool upper = HasUpperLimit(maximum);
    if (!lower && !upper)
        return std::nullopt;
    double number = 0;
    if (!TryStrToFloat(text, number))
        return Meldung("FMEingabe", "Invalid", {});
    if (lower && number < minimum)
        return Meldung("FMEingabe", "Greater", {NumberLimitText(format, minimum)});
    if (upper && number > maximum)
        return Meldung("FMEingabe", "Smaller", {NumberLimitText(format, maximum)});
    return std::nullopt;
}

std::string DateLimitText(const std::string& format, double limit)
{
    return DTFormatDateTime(format.empty() ? std::string("ddddd") : format, limit);
}

std::string TimeLimitText(const std::string& format, double limit)
{
    return DTFormatDateTime(format.empty() ? std::string("tt") : format, limit);
}

double DatePart(double value)
{
    return Split(value).Days;
}

double TimePart(double value)
{
    return static_cast<double>(Split(value).MilliSeconds) / MSecsPerDay;
}

TPruefung CheckDateInput(double date, double minimum, double maximum, const std::string& format)
{
    return CheckLimits("FMDatum", DatePart(date), minimum, maximum, DateLimitText, format);
}

TPruefung CheckTimeInput(double value, double minimum, double maximum, const std::string& format)
{
    return CheckLimits("FMZeit", TimePart(value), minimum, maximum, TimeLimitText, format);
}

TEingabeMeldung UnreadableTimeMessage(const std::string& format)
{
    return Meldung("FMZeit", "Invalid", {TimeLimitText(format, TimePart(CurrentDateTime()))});
}

int FindChoice(const std::vector<std::string>& values, const std::string& answer)
{
    for (std::size_t i = 0; i < values.size(); ++i)
        if (EqualIgnoringCase(values[i], answer))
            return static_cast<int>(i);
    return -1;
}

TPruefung CheckChoiceInput(int index, int count)
{
    if (index >= 0 && index < count)
        return std::nullopt;
    return Meldung("FMListbox", "Select", {}, TMsgKind::Error);
}

TPruefung CheckRepresentable(std::string_view utf8)
{
    const std::vector<TCodecProblem> problems = FindUnrepresentable(utf8);
    if (problems.empty())
        return std::nullopt;
    std::vector<char32_t> seen;
    std::string names;
    for (const TCodecProblem& problem : problems) {
        const char32_t codePoint = problem.Malformed ? char32_t{0xFFFD} : problem.CodePoint;
        if (std::find(seen.begin(), seen.end(), codePoint) != seen.end())
            continue;
        seen.push_back(codePoint);
        if (!names.empty())
            names += ", ";
        names += CodePointName(codePoint);
    }
    return Meldung("Basics", "NotRepresentable", {names}, TMsgKind::Error);
}

TAntwortRegeln RulesOf(const TTAFeld& field)
{
    return {.Type = field.Type,
            .Minimum = field.Minimum,
            .Maximum = field.Maximum,
            .Format = field.Format,
            .ChoiceCount = static_cast<int>(field.VList.size())};
}

TPruefung CheckAnswer(const TAntwortRegeln& rules, const TAntwort& answer)
{
    switch (rules.Type) {
    case ftMemo: return std::nullopt;
    case ftDatum: return CheckDateInput(answer.Value, rules.Minimum, rules.Maximum, rules.Format);
    case ftZeit: return CheckTimeInput(answer.Value, rules.Minimum, rules.Maximum, rules.Format);
    case ftAuswahl: return CheckChoiceInput(answer.Choice, rules.ChoiceCount);
    default: return CheckNumberInput(answer.Text, rules.Minimum, rules.Maximum, rules.Format);
    }
}
