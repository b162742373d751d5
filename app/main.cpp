// Tavix: fills word-processor documents from questionnaires.
#include <QApplication>

#include <string>
#include <vector>

#include "app/FHaupt.h"
#include "config/USprache.h"
#include "datetime/ULocale.h"
#include "dialogs/FInfo.h"
#include "dialogs/FVersion.h"
#include "dialogs/UFeldDialoge.h"
#include "env/UInstalliert.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Tavix");
    QApplication::setApplicationDisplayName("Tavix");
    QApplication::setWindowIcon(ProgramIcon());
    QGuiApplication::setDesktopFileName("org.tavix.Tavix");  // the launcher and icon of the desktop
    InitLocaleSettings();

    TQtMeldungen messages;
    const TInstalliert<TMeldungsZiel, SetMeldungsZiel> messagesInstalled(&messages);
    TQtFeldDialoge fieldDialogs;
    const TInstalliert<TFeldDialoge, SetFeldDialoge> fieldDialogsInstalled(&fieldDialogs);

    // Exactly one parameter names a file to open; the window ignores any other number.
    // File names stay in the file system's own bytes.
    std::vector<std::string> parameters;
    for (int i = 1; i < argc; ++i)
        parameters.emplace_back(argv[i]);

    TFMHaupt window(parameters);
    window.show();
    return QApplication::exec();
}
