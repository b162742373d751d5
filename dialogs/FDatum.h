// The date answer dialog: a month calendar whose chosen day must lie within the limits.
#pragma once

#include <QDate>

#include <string>

#include "core/UTAObjs.h"
#include "dialogs/UAntwortDialog.h"

class QCalendarWidget;

struct TDatumParams {
    TAntwortRahmen Frame;
    std::string Question;
    double Date = 0;                // in: the day to show; out: the chosen day (whole days)
    double Minimum = NoLowerLimit;  // day numbers
    double Maximum = NoUpperLimit;
    std::string Format;  // date pattern of the limits in messages; empty: short date
};

// Between date-time values (days since 30 December 1899) and calendar days.
QDate DateOfValue(double value);
double ValueOfDate(const QDate& date);

class TFMDatum : public TAntwortDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFMDatum)

public:
    static constexpr int CalendarWidth = 267;
    static constexpr int CalendarHeight = 232;

    explicit TFMDatum(QWidget* parent = nullptr);

    // Shows the dialog for the request; true and the chosen day in Date on OK.
    static bool Execute(TDatumParams& params);

    void Setup(const TDatumParams& params);
    double Result() const { return result_; }

protected:
    bool CheckInput() override;
    int MinimumWidth() const override { return ButtonColumnWidth + CalendarWidth; }
    int ContentHeight(int labelBottom) const override;
    int FloorHeight() const override { return 10 * ButtonHeight; }
    void PlaceContent(int labelBottom) override;
    void AfterFit() override;

private:
    QCalendarWidget* calendar_;
    double minimum_ = NoLowerLimit;
    double maximum_ = NoUpperLimit;
    std::string format_;
    double result_ = 0;
};
