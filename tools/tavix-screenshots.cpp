// tavix-screenshots OUTPUT-FOLDER LANGUAGE TEMPLATE...
// Starts the main window in the given language (e.g. ENGLISH, Deutsch) on each template in
// turn and writes PNG pictures of the window (on the first template) and of the answer
// dialog of each field type found in them.
// Meant to run under a virtual X server (scripts/screenshots.sh) in a throw-away HOME.
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QWidget>

#include <iostream>
#include <set>
#include <string>

#include "app/FHaupt.h"
#include "config/UKonfig.h"
#include "config/USprache.h"
#include "core/UTAObjs.h"
#include "datetime/ULocale.h"
#include "dialogs/FInfo.h"
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

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
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
        if (t == 3)
            ok = Save(&window, output + "/main-window.png");
        for (int row = 0; row < window.Dokument().RowCount(); ++row) {
            const TTAFeld* field = window.Dokument().Field(row);
            if (!pictured.insert(field->Type).second)
                continue;
            window.SelectRow(row);
            Settle();
            const QString name = QString::fromLatin1(FieldTypeName(field->Type)).toLower();
            ok = PictureAnswerDialog(window, output + "/answer-" + name + ".png") && ok;
        }
        window.Dokument().SetChanged(false);
    }
    SetFeldDialoge(nullptr);
    SetMeldungsZiel(nullptr);
    return ok ? 0 : 1;
}
