#include "dialogs/FHilfe.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMimeDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "config/USprache.h"
#include "core/UFeldHilfe.h"
#include "core/UTAObjs.h"
#include "dialogs/UQtText.h"

namespace {

TDesktopOeffner* g_oeffner = nullptr;

bool OpenWithDesktop(const QString& path)
{
    if (g_oeffner)
        return g_oeffner->Open(path);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

}  // namespace

TFMHilfe::TFMHilfe(const std::string& text, QWidget* parent)
    : QDialog(parent)
    , me_(new QPlainTextEdit(this))
    , ok_(new QPushButton(ToQString(GetText("Basics", "OK")), this))
    , cancel_(new QPushButton(ToQString(GetText("Basics", "Cancel")), this))
{
    setWindowTitle(ToQString(GetText("FMHilfe", "Caption")));
    me_->setObjectName(QStringLiteral("ME"));
    me_->setReadOnly(true);
    me_->setFrameShape(QFrame::NoFrame);
    me_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    me_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    me_->setPlainText(ToDisplayLines(text));
    ok_->setObjectName(QStringLiteral("BTOk"));
    cancel_->setObjectName(QStringLiteral("BTAbbrechen"));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(me_, 1);
    layout->addLayout(buttons);
    resize(480, 320);
}

namespace {

// Content types of documents that open in a viewer or an editor. Scripts and launchers
// are text to the MIME database too (their types inherit text/plain), so plain text
// counts only as itself.
bool IsDocumentType(const QMimeType& type)
{
    static const QStringList exact = {"text/plain",
                                      "text/html",
                                      "application/xhtml+xml",
                                      "text/csv",
                                      "text/markdown",
                                      "text/rtf",
                                      "application/rtf",
                                      "application/pdf",
                                      "application/msword",
                                      "application/vnd.ms-excel",
                                      "application/vnd.ms-powerpoint"};
    static const QStringList prefixes = {"image/", "application/vnd.oasis.opendocument.",
                                         "application/vnd.openxmlformats-officedocument."};
    const QString name = type.name();
    return exact.contains(name) ||
        std::any_of(prefixes.begin(), prefixes.end(), [&](const QString& prefix) { return name.startsWith(prefix); });
}

}  // namespace

bool IsViewableDocument(const QString& path)
{
    const QFileInfo info(path);
    const QString target = info.canonicalFilePath();  // a link counts by what it points to
    if (target.isEmpty() || !QFileInfo(target).isFile() || HasProgramContent(QFile::encodeName(target).toStdString()))
        return false;
    const QMimeDatabase database;
    // The name and the content must both say "document": a launcher named ".txt" or
    // a program named ".pdf" is caught by its content.
    const QMimeType byName = database.mimeTypeForFile(target, QMimeDatabase::MatchExtension);
    const QMimeType byContent = database.mimeTypeForFile(target, QMimeDatabase::MatchContent);
    const bool nameSaysDocument = byName.isDefault() || IsDocumentType(byName);
    const bool contentSaysDocument = IsDocumentType(byContent) || byContent.name() == "application/zip" ||
        byContent.name() == "application/x-ole-storage" || byContent.name() == "application/octet-stream";
    return nameSaysDocument && contentSaysDocument && IsDocumentType(database.mimeTypeForFile(target));
}

QWidget* ProgramMainWindow()
{
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == QLatin1String("FMHaupt"))
            return top;
    return QApplication::activeWindow();
}

void ShowHelpText(const std::string& text)
{
    // Parented to the main window, so Qt centres it there (not on the answer dialog).
    TFMHilfe dialog(text, ProgramMainWindow());
    dialog.exec();
}

bool OpenFieldHelp(const std::string& entry, const std::string& folder)
{
    switch (ClassifyFieldHelp(entry, folder)) {
    case TFeldHilfeArt::Keine: return false;
    case TFeldHilfeArt::Dokument:
    case TFeldHilfeArt::Programm: {
        // An execute bit alone decides nothing (drives without permissions set it on
        // every file): the content type and the first bytes do.
        const QString path = QFile::decodeName(FieldHelpFile(entry, folder).c_str());
        if (!IsViewableDocument(path)) {
            ShowHelpText(entry);  // as if it named no file
            return true;
        }
        if (OpenWithDesktop(path))
            return true;
        MsgDlg(FormatMsg(TextOrFallback("Basics", "CannotOpen", "The file \"%s\" could not be opened."), {entry}),
               TMsgKind::Error, {TMsgButton::OK});
        return false;
    }
    case TFeldHilfeArt::Text: ShowHelpText(entry); return true;
    }
    return false;
}

TDesktopOeffner* SetDesktopOeffner(TDesktopOeffner* opener)
{
    return std::exchange(g_oeffner, opener);
}
