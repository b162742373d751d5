#include "core/UTAObjs.h"

#include "config/USprache.h"
#include "core/UZahlen.h"
#include "datetime/UCalendar.h"
#include "datetime/UClock.h"
#include "datetime/UDatumzeit.h"
#include "env/VControl.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <utility>

namespace {

constexpr std::array<const char*, 7> kTypeNames = {"String", "Memo", "Integer", "Real", "Datum", "Zeit", "Auswahl"};

// SetTypeName compares in this order; the codes are the types of the names.
constexpr std::array<int, 7> kNameOrder = {ftString, ftInteger, ftReal, ftDatum, ftZeit, ftAuswahl, ftMemo};

constexpr double kSentinelTolerance = 1e-16;

TFeldDialoge* g_feldDialoge = nullptr;

bool NearSentinel(double value, double sentinel)
{
    const double smaller = std::min(std::fabs(value), std::fabs(sentinel));
    return std::fabs(value - sentinel) <= kSentinelTolerance * smaller;
}

// The pattern's date or time read from text, if the pattern is not empty and fits.
bool TryRead(const std::string& text, const std::string& pattern, double& value)
{
    if (pattern.empty())
        return false;
    int error = 0;
    const double read = DTStrToDateTime(text, pattern, error);
    if (error != 0)
        return false;
    value = read;
    return true;
}

// The time of day of a value, encoded afresh: subtracting the whole days instead would
// leave the rounding error of the larger number in the fraction.
double TimeOfDay(double value)
{
    TDateTimeParts parts;
    double time = 0.0;
    if (DecodeDateTime(value, parts))
        TryEncodeTime(parts.Hour, parts.Minute, parts.Second, parts.MilliSecond, time);
    return time;
}

void ShowNoDialog()
{
    MsgDlg(TextOrFallback("Basics", "NoDialogMsg", "No dialog is available for this command."), TMsgKind::Error,
           TMsgButtons{TMsgButton::OK});
}

bool IsSeparatorChar(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

// The whole-number part of a value in decimal digits, without a minus for zero.
std::string TruncatedText(double value)
{
    const double whole = std::trunc(value);
    if (whole == 0.0 || !std::isfinite(whole))
        return whole == 0.0 ? "0" : "";
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.0f", whole);
    return buffer;
}

}  // namespace

bool IsNoLowerLimit(double value)
{
    return NearSentinel(value, NoLowerLimit);
}

bool IsNoUpperLimit(double value)
{
    return NearSentinel(value, NoUpperLimit);
}

bool IsUnsetLimit(double value)
{
    return IsNoLowerLimit(value) || IsNoUpperLimit(value);
}

TFeldDialoge* SetFeldDialoge(TFeldDialoge* dialogs)
{
    return std::exchange(g_feldDialoge, dialogs);
}

TFeldDialoge* FeldDialoge()
{
    return g_feldDialoge;
}

const char* FieldTypeName(int type)
{
    if (type < 0 || type >= static_cast<int>(kTypeNames.size()))
        return kTypeNames[ftString];
    return kTypeNames[static_cast<std::size_t>(type)];
}

std::string OneLineDisplay(const std::string& text)
{
    std::string line = FirstLine(text);
    if (line.size() != text.size())
        line += "...";
    return line;
}

std::vector<std::string> SplitFormatList(const std::string& text)
{
    std::vector<std::string> items;
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto skipBlanks = [&] {
        while (i < n && IsSeparatorChar(text[i]))
            ++i;
    };
    skipBlanks();
    while (i < n) {
        std::string item;
        if (text[i] == '"') {
            // Runs to the closing quote (or the end); a doubled quote stands for one.
            for (++i; i < n; ++i) {
                if (text[i] != '"') {
                    item += text[i];
                } else if (i + 1 < n && text[i + 1] == '"') {
                    item += '"';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        } else {
            const std::size_t start = i;
            while (i < n && !IsSeparatorChar(text[i]) && text[i] != ';')
                ++i;
            item = text.substr(start, i - start);
        }
        items.push_back(std::move(item));
        skipBlanks();
        if (i < n && text[i] == ';') {
            if (i + 1 == n)
                items.emplace_back();
            ++i;
            skipBlanks();
        }
    }
    return items;
}

void TTAFeld::SetTypeName(const std::string& name)
{
    for (const int type : kNameOrder) {
        if (name == kTypeNames[static_cast<std::size_t>(type)]) {
            Type = type;
            if (type == ftInteger)
                Format = kIntegerFormat;
            return;
        }
    }
}

std::string TTAFeld::GetTypeName() const
{
    return FieldTypeName(Type);
}

void TTAFeld::ApplyDefaultKeywords()
{
    if (Type == ftDatum && Answer == GetText("Basics", "Today"))
        Answer = DateText(CurrentDateTime());
    else if (Type == ftZeit && Answer == GetText("Basics", "Now"))
        Answer = TimeText(CurrentDateTime());
}

// Answers are written by DateText and TimeText, that is by Format when the field has
// one; reading only the system formats would lose every such answer, so Format is
// tried first.
double TTAFeld::AnswerAsDate() const
{
    double value = 0.0;
    if (TryRead(Answer, Format, value) || TryRead(Answer, "ddddd", value))
        return value;
    return CurrentDateTime();
}

double TTAFeld::AnswerAsTime() const
{
    double value = 0.0;
    if (TryRead(Answer, Format, value) || TryRead(Answer, "tt", value) || TryRead(Answer, "t", value))
        return TimeOfDay(value);
    return CurrentDateTime();
}

std::string TTAFeld::DateText(double value) const
{
    return DTFormatDateTime(Format.empty() ? "ddddd" : Format, value);
}

std::string TTAFeld::TimeText(double value) const
{
    return DTFormatDateTime(Format.empty() ? "tt" : Format, value);
}

bool TTAFeld::EditAnswer(TScreenPoint position, int width, const std::string& helpFolder)
{
    if (TFeldDialoge* dialogs = FeldDialoge())
        return dialogs->EditAnswer(*this, position, width, helpFolder);
    ShowNoDialog();
    return false;
}

bool TTAFeld::EditDefinition(TScreenPoint position, int width, const std::string& helpFolder)
{
    if (TFeldDialoge* dialogs = FeldDialoge())
        return dialogs->EditDefinition(*this, position, width, helpFolder);
    ShowNoDialog();
    return false;
}

std::unique_ptr<TTAFeld> TTAFeld::Clone() const
{
    auto copy = std::make_unique<TTAFeld>();
    copy->Assign(*this);
    return copy;
}

void TTAFeld::Assign(const TTAFeld& source)
{
    if (&source == this)
        return;
    ID = source.ID;
    Question = source.Question;
    Answer = source.Answer;
    MaxChar = source.MaxChar;
    MaxRow = source.MaxRow;
    Type = source.Type;
    Format = source.Format;
    Minimum = source.Minimum;
    Maximum = source.Maximum;
    VList = source.VList;
    Function = source.Function;
    Help = source.Help;
}

bool TTAFeld::HasLimits(int type)
{
    return type == ftInteger || type == ftReal || type == ftDatum || type == ftZeit;
}

bool TTAFeld::HasRows(int type)
{
    return type == ftMemo;
}

bool TTAFeld::HasFormat(int type)
{
    return type == ftReal || type == ftDatum || type == ftZeit;
}

bool TTAFeld::HasValueList(int type)
{
    return type == ftString || type == ftInteger || type == ftReal || type == ftAuswahl;
}

std::vector<std::string> TTAFeld::FormatChoices(int type)
{
    const char* key = nullptr;
    switch (type) {
    case ftReal: key = "Float"; break;
    case ftDatum: key = "Date"; break;
    case ftZeit: key = "Time"; break;
    default: return {};
    }
    return SplitFormatList(GetText("Format", key));
}

// A set date or time limit must never show as an empty text (the editor would read it
// back as "no limit"), so an empty format falls back to the formats DateText and
// TimeText use.
std::string TTAFeld::LimitText(const std::string& format, int type, double value)
{
    if (IsUnsetLimit(value))
        return {};
    switch (type) {
    case ftInteger: return TruncatedText(value);
    case ftReal: return FormatNumber(format, value);
    case ftDatum: return DTFormatDateTime(format.empty() ? "ddddd" : format, value);
    case ftZeit: return DTFormatDateTime(format.empty() ? "tt" : format, value);
    default: return {};
    }
}

std::string TTAFeld::QuestionDisplay() const
{
    return OneLineDisplay(Question);
}

std::string TTAFeld::AnswerDisplay() const
{
    return OneLineDisplay(Answer);
}
