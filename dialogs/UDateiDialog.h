// The file dialogs of the program: Qt's file dialog set up from a request whose filter
// comes from a language file ("description|mask;mask|description|mask...").
#pragma once

#include <QStringList>

#include <memory>
#include <string>

class QFileDialog;
class QWidget;

struct TDateiDialogAnfrage {
    std::string Title;
    std::string Filter;      // "description|mask;mask|..." pairs
    int FilterIndex = 1;     // the entry chosen first, counted from 1
    std::string InitialDir;  // file-system bytes, ends with "/"
    std::string FileName;    // proposed name without folder (save dialogs)
    std::string DefaultExt;  // without the dot
    bool Save = false;       // a save dialog: asks before replacing a file
};

// Qt's name filters for a language file's filter text: "description (mask mask)" per
// entry. A description that already shows its masks in brackets keeps its words and
// gets the masks in the form Qt reads.
QStringList QtNameFilters(const std::string& filter);

// The dialog for the request; objectName is its component name ("ODDatei", "SDDatei").
std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, const TDateiDialogAnfrage& request,
                                            const char* objectName);

// Shows the dialog modally: true with the chosen full name (file-system bytes).
bool ExecFileDialog(QFileDialog& dialog, std::string& fileName);
