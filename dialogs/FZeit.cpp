#include "dialogs/FZeit.h"

#include <QTimeEdit>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>

#include "core/UEingabePruefung.h"
#include "datetime/UCalendar.h"
#include "datetime/ULocale.h"
#include "dialogs/UQtText.h"
#include "env/VControl.h"

namespace {

// Stands for an hour letter until it is known whether the format has an AM/PM marker.
constexpr QChar kHour(0x01);

QString Quoted(const QString& text)
{
    QString inner = text;
    inner.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + inner + QLatin1Char('\'');
}

// Converts a pattern whose minutes are "m" into Qt's display format.
QString Convert(const std::string& pattern, const TTimeSettings& settings, bool& twelveHour, bool expand)
{
    QString out;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '"' || c == '\'') {
            std::string text;
            std::size_t j = i + 1;
            while (j < pattern.size()) {
                if (pattern[j] == c && j + 1 < pattern.size() && pattern[j + 1] == c) {
                    text += c;
                    j += 2;
                } else if (pattern[j] == c) {
                    break;
                } else {
                    text += pattern[j++];
                }
            }
            out += Quoted(ToQString(text));
            i = j + 1;
            continue;
        }
        bool marker = false;
        for (std::string_view word : {std::string_view("am/pm"), std::string_view("ampm"), std::string_view("a/p")}) {
            if (StartsWithNoCase(pattern, i, word)) {
                out += QStringLiteral("AP");
                i += word.size();
                twelveHour = marker = true;
                break;
            }
        }
        if (marker)
            continue;
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        if (c == 't' && expand) {
            out += Convert(run == 1 ? settings.ShortTimeFormat : settings.LongTimeFormat, settings, twelveHour, false);
        } else if (c == 'h' || c == 'H') {
            out += QString(static_cast<qsizetype>(std::min<std::size_t>(run, 2)), kHour);
        } else if (c == 'm' || c == 's' || c == 'z') {
            out += QString(static_cast<qsizetype>(run), QLatin1Char(c));
        } else if (c == ':') {
            out += Quoted(ToQString(std::string(run, settings.TimeSeparator)));
        } else if (std::isalpha(static_cast<unsigned char>(c))) {
            out += Quoted(ToQString(std::string(run, c)));  // no letter of the picker
        } else {
            out += ToQString(std::string(run, c));
        }
        i += run;
    }
    return out;
}

// ToPickerFormat on the pattern outside its quoted text, which stays as written.
std::string PickerLetters(const std::string& pattern)
{
    std::string out;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '"' || c == '\'') {
            std::size_t close = pattern.find(c, i + 1);
            while (close != std::string::npos && close + 1 < pattern.size() && pattern[close + 1] == c)
                close = pattern.find(c, close + 2);
            const std::size_t end = close == std::string::npos ? pattern.size() : close + 1;
            out.append(pattern, i, end - i);
            i = end;
            continue;
        }
        const std::size_t next = pattern.find_first_of("\"'", i);
        const std::size_t end = next == std::string::npos ? pattern.size() : next;
        out += ToPickerFormat(pattern.substr(i, end - i));
        i = end;
    }
    return out;
}

}  // namespace

QTime TimeOfValue(double value)
{
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(std::lround(TimePart(value) * MSecsPerDay)));
}

double ValueOfTime(const QTime& time)
{
    return time.isValid() ? static_cast<double>(time.msecsSinceStartOfDay()) / MSecsPerDay : 0.0;
}

QString PickerDisplayFormat(const std::string& pattern)
{
    const TTimeSettings settings = CurrentLocaleSettings().Time;
    bool twelveHour = false;
    QString format = pattern.empty() ? Convert(settings.LongTimeFormat, settings, twelveHour, false)
                                     : Convert(PickerLetters(pattern), settings, twelveHour, true);
    format.replace(kHour, twelveHour ? QLatin1Char('h') : QLatin1Char('H'));
    return format;
}

TFMZeit::TFMZeit(QWidget* parent) : TAntwortDialog(parent, false), picker_(new QTimeEdit(this))
{
    resize(354, 106);
    picker_->setObjectName(QStringLiteral("DT"));
    picker_->resize(PickerWidth, PickerHeight);
    StyleInput(picker_);
}

bool TFMZeit::Execute(TZeitParams& params)
{
    return RunModal<TFMZeit>(params, &TZeitParams::Time);
}

void TFMZeit::Setup(const TZeitParams& params)
{
    SetQuestion(params.Question);
    SetupFrame(params.Frame, false);
    minimum_ = params.Minimum;
    maximum_ = params.Maximum;
    format_ = params.Format;
    picker_->setDisplayFormat(PickerDisplayFormat(params.Format));
    picker_->setTime(TimeOfValue(params.Time));
    picker_->setFocus();
}

bool TFMZeit::CheckInput()
{
    // What the user reads is what counts: a shown text that is not the picker's time in
    // the field's format (half typed, or typed in another form) is refused, never
    // taken as whatever time the picker made of it.
    const QString shown = picker_->text();
    if (shown != picker_->locale().toString(picker_->time(), picker_->displayFormat())) {
        const TEingabeMeldung problem = UnreadableTimeMessage(format_);
        MsgDlg(problem.Text(), problem.Kind, {TMsgButton::OK});
        return false;
    }
    const double chosen = ValueOfTime(picker_->time());
    const TAntwortRegeln rules{.Type = ftZeit, .Minimum = minimum_, .Maximum = maximum_, .Format = format_};
    if (const TPruefung problem = CheckAnswer(rules, {.Value = chosen})) {
        MsgDlg(problem->Text(), problem->Kind, {TMsgButton::OK});
        return false;
    }
    result_ = chosen;
    return true;
}

int TFMZeit::ContentHeight(int labelBottom) const
{
    return labelBottom + 2 * PickerHeight;
}

void TFMZeit::PlaceContent(int labelBottom)
{
    // The picker grows with its font where 21 pixels would cut its text.
    const int height = std::max(PickerHeight, picker_->sizeHint().height());
    picker_->setGeometry(Margin, labelBottom + PickerHeight / 2, std::max(PickerWidth, picker_->sizeHint().width()),
                         height);
}
