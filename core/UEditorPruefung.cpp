#include "core/UEditorPruefung.h"

#include <cmath>

#include "core/UZahlen.h"
#include "datetime/UClock.h"
#include "datetime/UDatumzeit.h"
#include "env/VControl.h"

namespace {

constexpr const char* kSection = "FMEditor";

std::string Label(const char* key)
{
    return GetText(kSection, key);
}

TEingabeMeldung Info(const char* key, std::vector<std::string> args)
{
    return TEingabeMeldung{kSection, key, std::move(args), TMsgKind::Information};
}

TEingabeMeldung Error(const char* key)
{
    return TEingabeMeldung{kSection, key, {}, TMsgKind::Error};
}

// The messages of one editor run; a step runs only while every earlier one passed.
class TPruefer {
public:
    bool Passed() const { return messages_.empty(); }
    std::vector<TEingabeMeldung> Take() { return std::move(messages_); }
    void Add(TEingabeMeldung message) { messages_.push_back(std::move(message)); }

    // A whole number from lo to hi.
    void CheckInteger(const std::string& text, long long lo, long long hi, const std::string& label)
    {
        if (!Passed())
            return;
        int value = 0;
        if (!TextToInteger(text, value))
            Add(Info("Invalid", {label}));
        else if (value < lo || value > hi)
            Add(Info("IBetween", {label, IntegerToText(lo), IntegerToText(hi)}));
    }

    // A number from lo to hi, the bounds shown in the general number format.
    void CheckFloat(const std::string& text, const std::string& label, double lo, double hi)
    {
        if (!Passed())
            return;
        double value = 0;
        if (!TextToNumber(text, value))
            Add(Info("Invalid", {label}));
        else if (value < lo || value > hi)
            Add(Info("Between", {label, NumberToText(lo), NumberToText(hi)}));
    }

    // A date (time) by the pattern within min and max (0: no bound); gives its value,
    // 0 when unreadable. A faulty pattern is reported once and ends the checks.
    double CheckDateTime(const std::string& text, const std::string& label, const std::string& pattern, double min,
                         double max, bool time)
    {
        if (!Passed())
            return 0;
        int error = 0;
        double value = DTStrToDateTime(text, pattern, error);
        if (error < 0) {
            Add(Info(time ? "InvalidTimeFormat" : "InvalidDateFormat", {pattern}));
            return 0;
        }
        if (error > 0) {
            Add(Info(time ? "InvalidTime" : "InvalidDate",
                     {label, pattern, DTFormatDateTime(pattern, CurrentDateTime())}));
            return 0;
        }
        if (time)
            value = TimePart(std::fabs(value));
        const char* shortFormat = time ? "t" : "ddddd";
        if (min != 0 && value < min)
            Add(Info("Greater", {label, DTFormatDateTime(shortFormat, min)}));
        if (max != 0 && value > max)
            Add(Info("Smaller", {label, DTFormatDateTime(shortFormat, max)}));
        return value;
    }

private:
    std::vector<TEingabeMeldung> messages_;
};

int IntegerOr(const std::string& text, int fallback)
{
    int value = fallback;
    return TextToInteger(text, value) ? value : fallback;
}

double NumberOr(const std::string& text, double fallback)
{
    double value = fallback;
    return TextToNumber(text, value) ? value : fallback;
}

void CheckNumberLimits(TPruefer& check, const TEditorEingabe& input)
{
    const std::string minimum = Trimmed(input.Minimum);
    const std::string maximum = Trimmed(input.Maximum);
    const std::string answer = Trimmed(input.Default);
    if (input.Type == ftInteger) {
        if (!minimum.empty())
            check.CheckInteger(input.Minimum, -kIntegerLimit, kIntegerLimit, Label("Minimum"));
        const long long lo = IntegerOr(input.Minimum, -kIntegerLimit);
        if (!maximum.empty())
            check.CheckInteger(input.Maximum, lo, kIntegerLimit, Label("Maximum"));
        const long long hi = IntegerOr(input.Maximum, kIntegerLimit);
        if (!answer.empty())
            check.CheckInteger(input.Default, lo, hi, Label("TSVorgabe"));
        return;
    }
    if (!minimum.empty())
        check.CheckFloat(input.Minimum, Label("Minimum"), NoLowerLimit, NoUpperLimit);
    const double lo = NumberOr(input.Minimum, NoLowerLimit);
    if (!maximum.empty())
        check.CheckFloat(input.Maximum, Label("Maximum"), lo, NoUpperLimit);
    const double hi = NumberOr(input.Maximum, NoUpperLimit);
    if (!answer.empty())
        check.CheckFloat(input.Default, Label("TSVorgabe"), lo, hi);
}

void CheckDateTimeLimits(TPruefer& check, const TEditorEingabe& input)
{
    const bool time = input.Type == ftZeit;
    if (Trimmed(input.Format).empty()) {
        check.Add(Error("FormatError"));
        return;
    }
    const double latest = time ? kLatestTime : kLatestDate;
    double min = 0;
    double max = 0;
    if (!Trimmed(input.Minimum).empty())
        min = check.CheckDateTime(input.Minimum, Label("Minimum"), input.Format, 0, latest, time);
    if (!Trimmed(input.Maximum).empty())
        max = check.CheckDateTime(input.Maximum, Label("Maximum"), input.Format, min, latest, time);
    const std::string keyword = GetText("Basics", time ? "Now" : "Today");
    if (!Trimmed(input.Default).empty() && input.Default != keyword)
        check.CheckDateTime(input.Default, Label("TSVorgabe"), input.Format, min, max, time);
}

}  // namespace

int CharacterCount(const std::string& text)
{
    return static_cast<int>(text.size());
}

int LineCount(const std::string& text)
{
    int lines = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        ++lines;
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            break;
        start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

std::vector<TEingabeMeldung> CheckEditorInput(const TEditorEingabe& input, const std::vector<std::string>& valueList)
{
    TPruefer check;
    check.CheckInteger(input.MaxChar, 1, kMaxCharLimit, Label("MaxChar"));
    if (check.Passed() && CharacterCount(input.Default) > IntegerOr(input.MaxChar, 0))
        check.Add(Error("DefaultLengthError"));
    if (check.Passed()) {
        switch (input.Type) {
        case ftMemo:
            check.CheckInteger(input.MaxRow, 1, kMaxRowLimit, Label("MaxRows"));
            if (check.Passed() && LineCount(input.Default) > IntegerOr(input.MaxRow, 0))
                check.Add(Error("DefaultRowsError"));
            break;
        case ftInteger:
        case ftReal: CheckNumberLimits(check, input); break;
        case ftDatum:
        case ftZeit: CheckDateTimeLimits(check, input); break;
        default: break;
        }
    }
    // The choice rule holds whatever came before: an empty default needs an empty value.
    if (input.Type == ftAuswahl && FindChoice(valueList, input.Default) < 0)
        check.Add(Error("SelectionError"));
    return check.Take();
}

namespace {

// A limit as WriteBack reads it; unset is the sentinel of its side.
double LimitValue(const TEditorEingabe& input, const std::string& text, bool lower)
{
    const double unset = lower ? NoLowerLimit : NoUpperLimit;
    if (Trimmed(text).empty())
        return unset;
    switch (input.Type) {
    case ftInteger: {
        const int extreme = lower ? -kIntegerLimit : kIntegerLimit;
        const int value = IntegerOr(text, extreme);
        return value == extreme ? unset : value;
    }
    case ftReal: return NumberOr(text, unset);
    case ftDatum:
    case ftZeit: {
        int error = 0;
        const double value = DTStrToDateTime(text, input.Format, error);
        return input.Type == ftDatum ? DatePart(value) : TimePart(std::fabs(value));
    }
    default: return unset;
    }
}

}  // namespace

void WriteEditorInput(const TEditorEingabe& input, TTAFeld& working)
{
    working.ID = input.ID;
    working.Type = input.Type;
    working.Question = input.Question;
    working.Answer = input.Default;
    if (TTAFeld::HasLimits(input.Type)) {
        working.Minimum = LimitValue(input, input.Minimum, true);
        working.Maximum = LimitValue(input, input.Maximum, false);
    }
    working.MaxChar = IntegerOr(input.MaxChar, 80);
    if (TTAFeld::HasRows(input.Type))
        working.MaxRow = IntegerOr(input.MaxRow, 4);
    if (TTAFeld::HasFormat(input.Type))
        working.Format = input.Format;
}

TEditorEingabe EditorInputOf(const TTAFeld& field)
{
    TEditorEingabe input;
    input.ID = field.ID;
    input.Type = field.Type;
    input.Question = field.Question;
    input.Default = field.Answer;
    if (TTAFeld::HasLimits(field.Type)) {
        input.Minimum = TTAFeld::LimitText(field.Format, field.Type, field.Minimum);
        input.Maximum = TTAFeld::LimitText(field.Format, field.Type, field.Maximum);
    }
    input.MaxChar = IntegerToText(field.MaxChar);
    if (TTAFeld::HasRows(field.Type))
        input.MaxRow = IntegerToText(field.MaxRow);
    if (TTAFeld::HasFormat(field.Type))
        input.Format = field.Format;
    return input;
}
