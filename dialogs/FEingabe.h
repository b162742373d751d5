// The text/number answer dialog: one line of text, or a drop-down list with free
// typing when there are values to offer; a number within the limits when there are
// limits.
#pragma once

#include <string>
#include <vector>

#include "core/UTAObjs.h"
#include "dialogs/UAntwortDialog.h"

class QComboBox;
class QLineEdit;

struct TEingabeParams {
    TAntwortRahmen Frame{.X = -1, .Y = -1};  // X and Y both -1: the default position
    std::string Question;
    std::string Answer;              // in: starting text; out: entered text
    std::vector<std::string> VList;  // at least one value: a drop-down list
    double Minimum = NoLowerLimit;
    double Maximum = NoUpperLimit;
    std::string Format;  // number format of the limits in messages
    int MaxChar = 0;     // 0 or less: no limit
};

class TFMEingabe : public TAntwortDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFMEingabe)

public:
    explicit TFMEingabe(QWidget* parent = nullptr);

    // Shows the dialog for the request; true and the entered text in Answer on OK.
    static bool Execute(TEingabeParams& params);

    // The steps of Execute before and after the modal loop.
    void Setup(const TEingabeParams& params);
    // The accepted text (valid after OK).
    const std::string& Result() const { return result_; }

protected:
    bool CheckInput() override;
    int ContentHeight(int labelBottom) const override;
    void PlaceContent(int labelBottom) override;

private:
    QWidget* Input() const;
    int LineHeight() const;

    QLineEdit* ed_;
    QComboBox* cb_;
    double minimum_ = NoLowerLimit;
    double maximum_ = NoUpperLimit;
    std::string format_;
    std::string result_;
};
