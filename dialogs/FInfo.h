// The message dialog: every message, warning and question of the program.
//
// Built for its message: the font is the desktop's message font, margins and buttons
// are measured in its average character size, the text wraps at half the screen width,
// the kind gives the window title (from the language table) and the icon, and the
// requested buttons sit right-aligned along the bottom with captions from the
// language table. The dialog returns the result of the button that closed it.
#pragma once

#include <QDialog>

#include <string>

#include "config/USprache.h"

class QLabel;
class QPushButton;

class TFMInfo : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFMInfo)

public:
    explicit TFMInfo(const std::string& text, TMsgKind kind, TMsgButtons buttons, QWidget* parent = nullptr);

    // Shows the dialog modally and returns the result of the button that closed it
    // (mrCancel when it was closed through the frame). The help context is not used.
    static int MsgDlg(const std::string& text, TMsgKind kind, TMsgButtons buttons, int helpContext = 0);

    // Closing through the frame: mrCancel, whatever the buttons.
    void reject() override;

protected:
    // Esc presses the cancel button; without one it closes like the frame does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void AddButtons(TMsgButtons buttons, QRect area, int buttonWidth, int spacing);

    QLabel* image_;
    QLabel* info_;
    QPushButton* cancelButton_ = nullptr;
};

// Messages of the running program: MsgDlg shows TFMInfo, StockMessage a plain
// QMessageBox. The program installs one at start with SetMeldungsZiel.
class TQtMeldungen : public TMeldungsZiel {
public:
    TQtMeldungen() = default;
    int MsgDlg(const std::string& text, TMsgKind kind, TMsgButtons buttons, int helpContext) override;
    void StockMessage(const std::string& text, TStockIcon icon) override;
};
