// The multi-line answer dialog.
#pragma once

#include <string>

#include "dialogs/UAntwortDialog.h"

class QPlainTextEdit;

struct TMemoParams {
    TAntwortRahmen Frame;
    std::string Question;
    std::string Answer;  // in/out; lines separated by CR LF
    int MaxRow = 4;      // lines to size for, 1..20
    int MaxChar = 0;     // carried along; the memo does not limit its length
};

class TFMMemo : public TAntwortDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFMMemo)

public:
    static constexpr int DesignedLineHeight = 19;
    static constexpr int MaxRows = 20;

    explicit TFMMemo(QWidget* parent = nullptr);

    // Shows the dialog for the request; true and the text in Answer on OK.
    static bool Execute(TMemoParams& params);

    void Setup(const TMemoParams& params);
    const std::string& Result() const { return result_; }

protected:
    bool CheckInput() override;
    int ContentHeight(int labelBottom) const override;
    void PlaceContent(int labelBottom) override;

private:
    // One line of the memo: as designed, or more where the font needs it.
    int LineHeight() const;

    QPlainTextEdit* me_;
    int rows_ = 1;
    std::string result_;
};
