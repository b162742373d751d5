// The About box: the program's name, version and copyright as its program file carries
// them (TVInfos), and the publisher's contact lines.
#pragma once

#include <QDialog>
#include <QIcon>

#include "env/VControl.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

class TFMVersion : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFMVersion)

public:
    // Shows what infos hold (a program file without version information: empty rows).
    explicit TFMVersion(const TVInfos& infos, QWidget* parent = nullptr);
};

// Shows the About box of the running program modally, centred on the active window.
void ShowAbout();

// The program's icon (a questionnaire page), painted, so it needs no image plug-in.
QIcon ProgramIcon();
