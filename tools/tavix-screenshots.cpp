// tavix-screenshots OUTPUT-FOLDER LANGUAGE TEMPLATE...
// Starts the main window in the given language (e.g. ENGLISH, Deutsch) on each template in
// turn and writes PNG pictures of the window, its Open dialog, folder chooser, About box
// field editor and help window (on the first template) and of the answer dialog of each field type found in them. When
// the first template's word template goes to LibreOffice, its document is made (F5) and the screen pictured with
// LibreOffice's window on it. Meant to run under a virtual X server (scripts/screenshots.sh) in a throw-away HOME.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <iostream>
#include <map>
#include <set>
#include <string>

#include "app/FHaupt.h"
#include "config/UKonfig.h"
#include "config/USprache.h"
#include "core/UTAObjs.h"
#include "word/UWordErzeugung.h"
#include "datetime/ULocale.h"
#include "dialogs/FInfo.h"
#include "dialogs/FHilfeFenster.h"
#include "dialogs/FVersion.h"
#include "dialogs/UFeldDialoge.h"

namespace {

void Settle()
{
    for (int i = 0; i < 10; ++i)
        QApplication::processEvents();
}

bool Save(QWidget* widget, const QString& file)
{
    if (!widget || !widget->grab().save(file))
        return false;
    std::cout << file.toStdString() << "\n";
    return true;
}

// Opens the answer dialog of the selected row, pictures it and closes it again.
bool PictureAnswerDialog(TFMHaupt& window, const QString& file)
{
    bool saved = false;
    QTimer::singleShot(400, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        Settle();
        saved = Save(dialog, file);
        if (dialog)
            dialog->close();
    });
    window.EditSelected();
    return saved;
}

// Runs the window's command and pictures the dialog it shows once it has settled (a
// file dialog reads its folder first), then closes it.
bool PictureDialogOf(TFMHaupt& window, const char* action, const QString& file)
{
    bool saved = false;
    QTimer::singleShot(800, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        Settle();
        saved = Save(dialog, file);
        if (dialog)
            dialog->reject();
    });
    window.findChild<QAction*>(action)->trigger();
    return saved;
}

// The help window on the first-steps page, once it has drawn its pictures.
bool PictureHelpWindow(TFMHaupt& window, const QString& file)
{
    window.findChild<QAction*>("ACErsteSchritte")->trigger();
    TFMHilfeFenster* help = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* candidate = qobject_cast<TFMHilfeFenster*>(top); candidate && candidate->isVisible())
            help = candidate;
    if (!help)
        return false;
    help->resize(980, 700);
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 1000)
        QApplication::processEvents();
    const bool saved = Save(help, file);
    help->close();
    return saved;
}

// The field editor on the first date field and the first choice field of the template.
bool PictureEditors(TFMHaupt& window, const QString& output)
{
    bool ok = true;
    window.findChild<QAction*>("ACVorlageBearbeiten")->setChecked(true);
    for (int type : {ftDatum, ftAuswahl}) {
        for (int row = 0; row < window.Dokument().RowCount(); ++row) {
            if (window.Dokument().Field(row)->Type != type)
                continue;
            window.SelectRow(row);
            window.UpdateActions();
            const QString name = QString::fromLatin1(FieldTypeName(type)).toLower();
            ok = PictureDialogOf(window, "ACFeldBearbeiten", output + "/editor-" + name + ".png") && ok;
            break;
        }
    }
    window.findChild<QAction*>("ACVorlageBearbeiten")->setChecked(false);
    window.UpdateActions();
    return ok;
}

// Answers that make the pictured document look like one in use, by field ID.
const std::map<std::string, std::string> kSampleAnswers = {
    {"InvoiceNo", "2026-042"},
    {"Customer", "Northwind Traders\r\n12 Harbour Road\r\nPortsmouth PO1 3AX"},
    {"CustomerNo", "C-10057"},
    {"Description", "Consulting, November"},
    {"Quantity", "12"},
    {"UnitPrice", "95.00"},
    {"Discount", "5.0"},
    {"DeliveryDate", "2026-11-30"},
    {"Notes", "Thank you for your order."},
};

// Makes the window's document in LibreOffice and pictures the whole screen once the
// office has drawn it; the document is discarded and the office ended afterwards.
bool PictureDocumentInLibreOffice(TFMHaupt& window, const QString& file)
{
    TWordSitzung& word = window.WordSitzung();
    if (!word.CheckWordTemplate() || word.Backend() != TWordBackend::LibreOffice)
        return true;  // nothing to show for this template
    for (int row = 0; row < window.Dokument().RowCount(); ++row) {
        TTAFeld* field = window.Dokument().Field(row);
        if (const auto sample = kSampleAnswers.find(field->ID); sample != kSampleAnswers.end())
            field->Answer = sample->second;
    }
    if (!word.GenerateDocument().Complete())
        return false;
    // The office draws its window on its own time.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 4000) {
        QApplication::processEvents();
        QThread::msleep(50);
    }
    const bool saved = QGuiApplication::primaryScreen()->grabWindow(0).save(file);
    if (saved)
        std::cout << file.toStdString() << "\n";
    if (TWordDoc* doc = word.WordDoc())
        doc->Close();
    if (TWordApp* app = word.WordApp())
        app->Quit();
    return saved;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Tavix");  // as the program calls itself
    QApplication::setWindowIcon(ProgramIcon());
    if (argc < 4) {
        std::cerr << "usage: tavix-screenshots OUTPUT-FOLDER LANGUAGE TEMPLATE...\n";
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(output);
    InitLocaleSettings();
    TQtMeldungen messages;
    SetMeldungsZiel(&messages);
    TQtFeldDialoge fieldDialogs;
    SetFeldDialoge(&fieldDialogs);

    // The first start prepares the user's folders; the language is chosen for the next.
    TFMHaupt(std::vector<std::string>{}).close();
    TKonf(TKonf::DefaultPath()).SetLanguage(argv[2]);

    bool ok = true;
    std::set<int> pictured;
    for (int t = 3; t < argc; ++t) {
        TFMHaupt window(std::vector<std::string>{argv[t]});
        window.resize(760, 520);
        window.show();
        Settle();
        if (t == 3) {
            ok = Save(&window, output + "/main-window.png");
            ok = PictureDialogOf(window, "ACDateiOeffnen", output + "/open-dialog.png") && ok;
            ok = PictureDialogOf(window, "ACVorlagenVerzeichnis", output + "/folder-chooser.png") && ok;
            ok = PictureDialogOf(window, "ACVersion", output + "/about.png") && ok;
            ok = PictureEditors(window, output) && ok;
            ok = PictureHelpWindow(window, output + "/help-window.png") && ok;
        }
        for (int row = 0; row < window.Dokument().RowCount(); ++row) {
            const TTAFeld* field = window.Dokument().Field(row);
            if (!pictured.insert(field->Type).second)
                continue;
            window.SelectRow(row);
            Settle();
            const QString name = QString::fromLatin1(FieldTypeName(field->Type)).toLower();
            ok = PictureAnswerDialog(window, output + "/answer-" + name + ".png") && ok;
        }
        if (t == 3)
            ok = PictureDocumentInLibreOffice(window, output + "/document-libreoffice.png") && ok;
        window.Dokument().SetChanged(false);
    }
    SetFeldDialoge(nullptr);
    SetMeldungsZiel(nullptr);
    return ok ? 0 : 1;
}
