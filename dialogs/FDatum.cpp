#include "dialogs/FDatum.h"

#include <QCalendarWidget>
#include <QTextCharFormat>

#include "core/UEingabePruefung.h"
#include "datetime/UCalendar.h"
#include "datetime/UClock.h"

namespace {

const QDate kDayZero(1899, 12, 30);

}  // namespace

QDate DateOfValue(double value)
{
    const double days = DatePart(value);
    if (days < MinDateValue || days > MaxDateValue)
        return {};
    return kDayZero.addDays(static_cast<qint64>(days));
}

double ValueOfDate(const QDate& date)
{
    return static_cast<double>(kDayZero.daysTo(date));
}

TFMDatum::TFMDatum(QWidget* parent) : TAntwortDialog(parent, true), calendar_(new QCalendarWidget(this))
{
    resize(370, 272);
    calendar_->setObjectName(QStringLiteral("MC"));
    calendar_->setFirstDayOfWeek(Qt::Monday);
    calendar_->setVerticalHeaderFormat(QCalendarWidget::ISOWeekNumbers);
    calendar_->setGridVisible(false);
    QFont font = calendar_->font();
    font.setPixelSize(15);
    calendar_->setFont(font);
    // The weekday names in a smaller type, so that they fit their narrow columns.
    QTextCharFormat header = calendar_->headerTextFormat();
    QFont headerFont = font;
    headerFont.setPixelSize(11);
    header.setFont(headerFont);
    calendar_->setHeaderTextFormat(header);
    calendar_->resize(CalendarWidth, CalendarHeight);
    StyleInput(calendar_);
    // A double click or Enter on a day confirms like OK.
    connect(calendar_, &QCalendarWidget::activated, this, &TFMDatum::accept);
}

bool TFMDatum::Execute(TDatumParams& params)
{
    return RunModal<TFMDatum>(params, &TDatumParams::Date);
}

void TFMDatum::Setup(const TDatumParams& params)
{
    SetQuestion(params.Question);
    SetupFrame(params.Frame, false);
    minimum_ = params.Minimum;
    maximum_ = params.Maximum;
    format_ = params.Format;
    const QDate start = DateOfValue(params.Date);
    calendar_->setSelectedDate(start.isValid() ? start : DateOfValue(CurrentDateTime()));
    calendar_->setFocus();
}

bool TFMDatum::CheckInput()
{
    const double chosen = ValueOfDate(calendar_->selectedDate());
    const TAntwortRegeln rules{.Type = ftDatum, .Minimum = minimum_, .Maximum = maximum_, .Format = format_};
    if (const TPruefung problem = CheckAnswer(rules, {.Value = chosen})) {
        MsgDlg(problem->Text(), problem->Kind, {TMsgButton::OK});
        return false;
    }
    result_ = chosen;
    return true;
}

int TFMDatum::ContentHeight(int labelBottom) const
{
    return labelBottom + CalendarHeight * 5 / 4;
}

void TFMDatum::PlaceContent(int labelBottom)
{
    calendar_->setGeometry(Margin, labelBottom + CalendarHeight / 8, CalendarWidth, CalendarHeight);
}

void TFMDatum::AfterFit()
{
    Anchor(calendar_);
}
