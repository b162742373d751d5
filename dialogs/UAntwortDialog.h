// The look and behaviour the five answer dialogs share.
//
// A borderless pop-up with a red 1-pixel frame that opens next to the answer cell: the
// question in a word-wrapping label on the tooltip colour at the top left, the input
// control below it in light cyan, and on the right a 100-pixel button column with OK
// (default, Enter), Cancel (Esc) and Help (F1, enabled only when there is help). A
// derived dialog places its input control and says how tall its content is; OK runs
// its CheckInput and closes only when that accepts.
#pragma once

#include <QApplication>
#include <QColor>
#include <QDialog>
#include <QMargins>
#include <QRect>

#include <string>

class QLabel;
class QPushButton;

// What every answer request shares. X and Y are the dialog's top-left corner, Width
// the wished width (see FitToScreen).
struct TAntwortRahmen {
    std::string Caption;
    int X = 0;
    int Y = 0;
    int Width = 0;
    std::string Help;
    std::string HelpFolder;  // where a help file named without a folder lies
};

// The colour of every input control of the answer dialogs.
inline constexpr QColor EingabeFarbe{213, 255, 255};

class TAntwortDialog : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TAntwortDialog)

public:
    // Fixed measures of the design, in pixels.
    static constexpr int ButtonColumnWidth = 100;
    static constexpr int ButtonWidth = 80;
    static constexpr int ButtonHeight = 25;
    static constexpr int Margin = 8;
    static constexpr int LabelTop = Margin;

    // Sizes the dialog for the wished width and keeps it on the screen: the width is
    // the wished one (at least MinimumWidth(), at most the screen's), the height the
    // larger of the content's and FloorHeight(); a dialog reaching past the right edge
    // is moved left, one reaching below the bottom is moved up to end a tenth of the
    // screen height above it (never above the top).
    void FitToScreen(int width);

    // Closes with OK only when CheckInput accepts.
    void accept() override;

    const std::string& Help() const { return help_; }
    // The screen area the dialog keeps to: the screen holding its top-left corner.
    QRect ScreenArea() const;

protected:
    // withSizeButtons adds BTNormal and BTMaximal at the top of the button column.
    explicit TAntwortDialog(QWidget* parent, bool withSizeButtons);

    void SetCaption(const std::string& caption);
    void SetQuestion(const std::string& question);
    void SetHelp(const std::string& help, const std::string& folder = {});
    // Moves the top-left corner; (-1, -1) centres the dialog on the active window.
    void SetPosition(int x, int y, bool keepDefaultOnMinusOne);

    // What every request sets: caption, position, the size for the wished width, and
    // help. The size follows the content as it stands, so what decides the content's
    // height (the question too) comes first.
    void SetupFrame(const TAntwortRahmen& frame, bool keepDefaultOnMinusOne);

    // Shows a TDialog set up for the request over the active window; true and the
    // dialog's result in the request's answer on OK.
    template <class TDialog, class TParams, class TAnswer>
    static bool RunModal(TParams& params, TAnswer TParams::*answer)
    {
        TDialog dialog(QApplication::activeWindow());
        dialog.Setup(params);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        params.*answer = dialog.Result();
        return true;
    }

    virtual bool CheckInput() = 0;
    virtual int MinimumWidth() const { return 2 * ButtonColumnWidth; }
    virtual bool WrapsQuestion() const { return true; }
    // The client height the content needs, given the bottom of the question label.
    virtual int ContentHeight(int labelBottom) const = 0;
    virtual int FloorHeight() const { return 4 * ButtonHeight; }
    // Places the input control for a client area of the current size, below labelBottom.
    virtual void PlaceContent(int labelBottom) = 0;
    // Called once FitToScreen has sized the dialog; a dialog whose control grows with
    // the window anchors it here.
    virtual void AfterFit() {}
    // From now on control keeps its distances to all four edges as the window resizes.
    void Anchor(QWidget* control);

    // The content width left of the button column.
    int ContentWidth() const;
    QLabel* QuestionLabel() const { return question_; }
    // Makes a control look like an input control of these dialogs.
    static void StyleInput(QWidget* control, const QColor& colour = EingabeFarbe);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ShowHelp();
    void PlaceButtons();
    int LabelBottom() const;

    QLabel* question_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* helpButton_;
    QPushButton* normal_ = nullptr;
    QPushButton* maximal_ = nullptr;
    std::string help_;
    std::string helpFolder_;
    QWidget* anchored_ = nullptr;
    QMargins anchorMargins_;
    bool positioned_ = false;
};
