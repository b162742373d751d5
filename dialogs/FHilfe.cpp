#include "dialogs/FHilfe.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "config/USprache.h"
#include "core/UFeldHilfe.h"
#include "core/UTAObjs.h"
#include "dialogs/UQtText.h"

namespace {

TDesktopOeffner* g_oeffner = nullptr;

std::string& HelpFolder()
{
    static std::string folder;
    return folder;
}

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

void ShowHelpText(const std::string& text)
{
    // Parented to the active window, so Qt centres it there and keeps it on top.
    TFMHilfe dialog(text, QApplication::activeWindow());
    dialog.exec();
}

bool OpenFieldHelp(const std::string& entry)
{
    switch (ClassifyFieldHelp(entry, HelpFolder())) {
    case TFeldHilfeArt::Keine:
        return false;
    case TFeldHilfeArt::Dokument: {
        const QString path = QString::fromStdString(FieldHelpFile(entry, HelpFolder()));
        if (OpenWithDesktop(path))
            return true;
        MsgDlg(FormatMsg(TextOrFallback("Basics", "CannotOpen", "The file \"%s\" could not be opened."), {entry}),
               TMsgKind::Error, {TMsgButton::OK});
        return false;
    }
    case TFeldHilfeArt::Text:
    case TFeldHilfeArt::Programm:
        ShowHelpText(entry);
        return true;
    }
    return false;
}

void SetFieldHelpFolder(const std::string& folder)
{
    HelpFolder() = folder;
}

const std::string& FieldHelpFolder()
{
    return HelpFolder();
}

TDesktopOeffner* SetDesktopOeffner(TDesktopOeffner* opener)
{
    TDesktopOeffner* previous = g_oeffner;
    g_oeffner = opener;
    return previous;
}
