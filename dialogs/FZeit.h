// The time answer dialog: a time picker whose time of day must lie within the limits.
#pragma once

#include <QString>
#include <QTime>

#include <string>

#include "core/UTAObjs.h"
#include "dialogs/UAntwortDialog.h"

class QTimeEdit;

struct TZeitParams {
    TAntwortRahmen Frame;
    std::string Question;
    double Time = 0;                // in: the time to show; out: the chosen time of day, 0 <= t < 1
    double Minimum = NoLowerLimit;  // fractions of a day
    double Maximum = NoUpperLimit;
    std::string Format;  // time pattern; empty: the long time format of the settings
};

// Between date-time values and times of day (whole milliseconds).
QTime TimeOfValue(double value);
double ValueOfTime(const QTime& time);

// The picker's display format for a time pattern: the pattern in picker letters (hours
// "H", minutes "m"), quoted text in Qt's quotes, AM/PM markers as "AP" with a 12-hour
// hour. An empty pattern takes the long time format of the regional settings.
QString PickerDisplayFormat(const std::string& pattern);

class TFMZeit : public TAntwortDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFMZeit)

public:
    static constexpr int PickerWidth = 91;
    static constexpr int PickerHeight = 21;

    explicit TFMZeit(QWidget* parent = nullptr);

    // Shows the dialog for the request; true and the chosen time in Time on OK.
    static bool Execute(TZeitParams& params);

    void Setup(const TZeitParams& params);
    double Result() const { return result_; }

protected:
    bool CheckInput() override;
    int ContentHeight(int labelBottom) const override;
    void PlaceContent(int labelBottom) override;

private:
    QTimeEdit* picker_;
    double minimum_ = NoLowerLimit;
    double maximum_ = NoUpperLimit;
    std::string format_;
    double result_ = 0;
};
