#include "dialogs/UProgrammHilfe.h"

#include <QAction>
#include <QElapsedTimer>
#include <QHelpEngineCore>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextBrowser>

#include "DialogTest.h"
#include "config/TestOrdner.h"
#include "dialogs/FHilfeFenster.h"
#include "dialogs/TestHilfe.h"
#include "env/UDateien.h"

namespace {

// Every topic the program opens, and the pages the contents name.
const char* const kTopics[] = {"uebersicht.htm", "ersteschritte.htm", "ausfuellen.htm",    "editor.htm",
                               "vorlagen.htm",   "verzeichnisse.htm", "einstellungen.htm", "tavix-fill.htm"};
const char* const kLanguages[] = {"ENGLISH", "Deutsch"};

std::string HelpFile(const char* language)
{
    return InstallDataFolder() + language + ".qch";
}

class ProgrammHilfeTest : public DialogTest {
protected:
    // The help engine's register of files lives in a cache of the test's own.
    TTestOrdner cache_;
    TEnvGuard cacheHome_{"XDG_CACHE_HOME", cache_.Path()};
};

TEST_F(ProgrammHilfeTest, TopicAddresses)
{
    struct Case {
        const char* file;
        const char* topic;
        const char* window;
        const char* address;
    };
    const Case cases[] = {
        {"/opt/Tavix/Deutsch.qch", "editor.htm", "", "/opt/Tavix/Deutsch.qch::/editor.htm"},
        {"/opt/Tavix/Deutsch.qch", "/editor.htm", "", "/opt/Tavix/Deutsch.qch::/editor.htm"},
        {"/opt/Tavix/Deutsch.qch", "  hilfe\\editor.htm ", "", "/opt/Tavix/Deutsch.qch::/hilfe/editor.htm"},
        {"/opt/My%20Help/ENGLISH.qch", "first%20steps.htm", "", "/opt/My Help/ENGLISH.qch::/first steps.htm"},
        {"/opt/Tavix/Deutsch.qch", "", "", "/opt/Tavix/Deutsch.qch"},
        {"", "editor.htm", "", "/editor.htm"},
        {"/opt/Tavix/Deutsch.qch", "editor.htm", " main ", "/opt/Tavix/Deutsch.qch::/editor.htm>main"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HelpTopicAddress(c.file, c.topic, c.window), c.address) << c.topic;
}

TEST_F(ProgrammHilfeTest, TheLanguagesFileOrTheGermanOne)
{
    TTestOrdner folder;
    std::string fallback;
    EXPECT_EQ(ProgramHelpFile(folder.Path(), "ENGLISH", fallback), "") << "no help file at all";
    EXPECT_EQ(fallback, folder / "Deutsch.qch");
    WriteBytes(folder / "Deutsch.qch", "x");
    EXPECT_EQ(ProgramHelpFile(folder.Path(), "francais", fallback), folder / "Deutsch.qch");
    WriteBytes(folder / "ENGLISH.qch", "x");
    EXPECT_EQ(ProgramHelpFile(folder.Path(), "ENGLISH", fallback), folder / "ENGLISH.qch");
    EXPECT_EQ(ProgramHelpFile(folder.Path(), "", fallback), folder / "Deutsch.qch");
}

TEST_F(ProgrammHilfeTest, ShowHelpTopicReportsWhatIsMissing)
{
    TTestHilfeAnzeige anzeige;
    TTestOrdner empty;
    ShowHelpTopic("editor.htm", empty.Path(), "ENGLISH");
    ASSERT_EQ(meldungen.Meldungen.size(), 1u);
    EXPECT_EQ(meldungen.Meldungen[0].Text, "The file \"" + (empty / "Deutsch.qch") + "\" could not be found.");
    EXPECT_EQ(meldungen.Meldungen[0].Kind, TMsgKind::Error);
    EXPECT_TRUE(anzeige.Addresses.empty());

    meldungen.Meldungen.clear();
    ShowHelpTopic("editor.htm", InstallDataFolder(), "ENGLISH");
    EXPECT_EQ(anzeige.Addresses, std::vector<std::string>{HelpFile("ENGLISH") + "::/editor.htm"});
    EXPECT_TRUE(meldungen.Meldungen.empty());

    anzeige.Available = false;  // the help module cannot be loaded
    EXPECT_EQ(HHDisplayTopic(HelpFile("ENGLISH"), "editor.htm", ""), 1);
    ShowHelpTopic("editor.htm", InstallDataFolder(), "ENGLISH");
    ASSERT_EQ(meldungen.Meldungen.size(), 1u);
    EXPECT_EQ(meldungen.Meldungen[0].Text, "Help Error 1");
}

TEST_F(ProgrammHilfeTest, EveryTopicOpensInBothLanguagesWithItsTitle)
{
    for (const char* language : kLanguages) {
        TFMHilfeFenster window;
        for (const char* topic : kTopics) {
            ASSERT_TRUE(window.ShowTopic(HelpFile(language), topic)) << language << " " << topic;
            EXPECT_TRUE(window.Source().toString().endsWith(QString("/doc/") + topic)) << topic;
            EXPECT_FALSE(window.PageTitle().isEmpty()) << language << " " << topic << " has a title";
            const QString text = window.findChild<QTextBrowser*>("WBHilfe")->toPlainText();
            EXPECT_GT(text.size(), 200) << language << " " << topic << " has content";
            EXPECT_TRUE(window.windowTitle().endsWith(window.PageTitle()));
        }
        // Back and forward follow the pages shown.
        QAction* back = window.findChild<QAction*>("ACZurueck");
        ASSERT_TRUE(back->isEnabled());
        back->trigger();
        EXPECT_TRUE(window.Source().toString().endsWith(QString("/doc/") + kTopics[std::size(kTopics) - 2]));
        EXPECT_TRUE(window.findChild<QAction*>("ACVor")->isEnabled());
    }
}

TEST_F(ProgrammHilfeTest, EveryLinkAndPictureOfTheHelpResolves)
{
    static const QRegularExpression reference(R"((?:href|src)\s*=\s*"([^"#]*)(#[^"]*)?")");
    for (const char* language : kLanguages) {
        const QString file = QString::fromStdString(HelpFile(language));
        QHelpEngineCore engine(cache_.Path().c_str() + QString(language) + ".qhc");
        engine.setReadOnly(false);
        ASSERT_TRUE(engine.setupData());
        ASSERT_TRUE(engine.registerDocumentation(file)) << engine.error().toStdString();
        const QString space = QHelpEngineCore::namespaceName(file);
        const QList<QUrl> pages = engine.files(space, QString(), "htm");
        EXPECT_GE(pages.size(), static_cast<qsizetype>(std::size(kTopics))) << language;
        for (const QUrl& page : pages) {
            const QString html = QString::fromUtf8(engine.fileData(page));
            for (const auto& match : reference.globalMatch(html)) {
                const QString target = match.captured(1);
                if (target.isEmpty() || target.contains(':'))
                    continue;  // an anchor on the page, or a web or mail address
                EXPECT_FALSE(engine.fileData(page.resolved(QUrl(target))).isEmpty())
                    << language << " " << page.fileName().toStdString() << " -> " << target.toStdString();
            }
        }
    }
}

TEST_F(ProgrammHilfeTest, OneHelpWindowServesEveryCall)
{
    ASSERT_TRUE(ShowInHelpWindow(HelpFile("ENGLISH") + "::/editor.htm"));
    ASSERT_TRUE(ShowInHelpWindow(HelpFile("ENGLISH") + "::/ausfuellen.htm"));
    int windows = 0;
    TFMHilfeFenster* shown = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* help = qobject_cast<TFMHilfeFenster*>(top); help && help->isVisible()) {
            ++windows;
            shown = help;
        }
    ASSERT_EQ(windows, 1);
    EXPECT_TRUE(shown->Source().toString().endsWith("/doc/ausfuellen.htm"));
    EXPECT_FALSE(ShowInHelpWindow(InstallDataFolder() + "KONFIGURATION.XML::/editor.htm")) << "no help file";
    shown->close();
}

}  // namespace
