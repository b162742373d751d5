// Field help: the help text dialog and the opening of help files.
#pragma once

#include <QDialog>
#include <QString>

#include <string>

class QPlainTextEdit;
class QPushButton;

// Shows a help text, read-only; OK and Cancel both just close it.
class TFMHilfe : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFMHilfe)

public:
    explicit TFMHilfe(const std::string& text, QWidget* parent = nullptr);

private:
    QPlainTextEdit* me_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

// Shows text in the help text dialog, modally, centred on the main window.
void ShowHelpText(const std::string& text);

// The program's main window ("FMHaupt"), or the active window when there is none.
QWidget* ProgramMainWindow();

// Shows a field's help: an entry naming an existing document opens it with the
// desktop's associated program; any other entry, and one naming a file that would run,
// is shown as text. False when there was nothing to show or the desktop could not
// open the document (which is reported).
// A file named without a folder is looked for in folder (empty: the current folder).
bool OpenFieldHelp(const std::string& entry, const std::string& folder);

// Whether the file is a document that opens in a viewer or an editor (text, PDF,
// pictures, office and OpenDocument files, web pages), judged by its content type and
// by what a link points to; launchers, installers, scripts and programs are not.
bool IsViewableDocument(const QString& path);

// How files are handed to the desktop; tests install their own to see what would open.
class TDesktopOeffner {
public:
    TDesktopOeffner() = default;
    TDesktopOeffner(const TDesktopOeffner&) = delete;
    TDesktopOeffner& operator=(const TDesktopOeffner&) = delete;
    virtual ~TDesktopOeffner() = default;

    // Opens the local file with its associated program; false when that failed.
    virtual bool Open(const QString& path) = 0;
};

// Installs the opener (none: QDesktopServices). Returns the previous one; the caller
// keeps ownership.
TDesktopOeffner* SetDesktopOeffner(TDesktopOeffner* opener);
