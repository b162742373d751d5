// The choice answer dialog: one value from a list.
#pragma once

#include <QColor>

#include <string>
#include <vector>

#include "dialogs/UAntwortDialog.h"

class QListWidget;

struct TListboxParams {
    TAntwortRahmen Frame;  // the choice dialog shows no question
    std::string Answer;    // in: the value to preselect (any letter case); out: the chosen value
    std::vector<std::string> VList;
};

class TFMListbox : public TAntwortDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFMListbox)

public:
    static constexpr int ListWidth = 218;
    // The list's colour as designed, kept by ChooseFromList unless it is given another.
    static constexpr QColor DesignedColour{255, 255, 168};

    explicit TFMListbox(QWidget* parent = nullptr);

    // Shows the values on a white list; on OK the chosen value in Answer and its index
    // as the result, -1 for Cancel.
    static int Execute(TListboxParams& params);
    // The main window's choices: the values on a list of colour (invalid: the designed
    // colour), at (x, y) (both -1: the default position), in the designed size; value
    // is preselected and on OK becomes the chosen entry. The chosen index or -1.
    static int ChooseFromList(const std::string& caption, const QColor& colour, int x, int y,
                              const std::vector<std::string>& values, std::string& value);

    // Fills the list and preselects the first entry equal to answer ignoring case.
    void SetValues(const std::vector<std::string>& values, const std::string& answer);
    void SetListColour(const QColor& colour);
    void Setup(const TListboxParams& params);
    int ResultIndex() const { return resultIndex_; }
    const std::string& Result() const { return result_; }

protected:
    bool CheckInput() override;
    bool WrapsQuestion() const override { return false; }
    int ContentHeight(int labelBottom) const override;
    int FloorHeight() const override { return 0; }
    void PlaceContent(int labelBottom) override;

private:
    int SelectedRow() const;

    QListWidget* list_;
    std::vector<std::string> values_;
    int resultIndex_ = -1;
    std::string result_;
};
