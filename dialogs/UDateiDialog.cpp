#include "dialogs/UDateiDialog.h"

#include <QFile>
#include <QFileDialog>
#include <QRegularExpression>

#include "dialogs/UQtText.h"

QStringList QtNameFilters(const std::string& filter)
{
    // A trailing "(...)" of the description is the masks shown to the user.
    static const QRegularExpression shownMasks(R"(\s*\([^()]*\)\s*$)");
    const QStringList parts = ToQString(filter).split('|');
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        description.remove(shownMasks);
        const QStringList masks = parts[i + 1].split(QRegularExpression("[;\\s]+"), Qt::SkipEmptyParts);
        if (masks.isEmpty())
            continue;
        entries << description.trimmed() + " (" + masks.join(' ') + ")";
    }
    return entries;
}

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, const TDateiDialogAnfrage& request, const char* objectName)
{
    // Folders and file names are file-system bytes, not the files' single-byte text.
    auto dialog =
        std::make_unique<QFileDialog>(parent, ToQString(request.Title), QFile::decodeName(request.InitialDir.c_str()));
    dialog->setObjectName(objectName);
    dialog->setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(request.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = QtNameFilters(request.Filter);
    dialog->setNameFilters(filters);
    if (request.FilterIndex >= 1 && request.FilterIndex <= filters.size())
        dialog->selectNameFilter(filters[request.FilterIndex - 1]);
    dialog->setDefaultSuffix(ToQString(request.DefaultExt));
    if (!request.FileName.empty())
        dialog->selectFile(QFile::decodeName(request.FileName.c_str()));
    return dialog;
}

bool ExecFileDialog(QFileDialog& dialog, std::string& fileName)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    fileName = QFile::encodeName(dialog.selectedFiles().first()).toStdString();
    return true;
}
