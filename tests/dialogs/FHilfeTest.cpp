#include "dialogs/FHilfe.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include <filesystem>

#include "DialogTest.h"
#include "config/TestOrdner.h"
#include "dialogs/FEingabe.h"
#include "env/UInstalliert.h"

namespace {

// Records what would be handed to the desktop.
class TTestOeffner : public TDesktopOeffner {
public:
    TTestOeffner() : installed_(this) {}
    bool Open(const QString& path) override
    {
        Opened.append(path);
        return Succeeds;
    }
    QStringList Opened;
    bool Succeeds = true;

private:
    TInstalliert<TDesktopOeffner, SetDesktopOeffner> installed_;
};

class HilfeTest : public DialogTest {
protected:
    // Opens the help and reads the help text dialog, if one appears.
    bool Open(const std::string& entry, QString* shown, bool* ran, const std::string& folder = {})
    {
        TModalAction action([&](QWidget* modal) {
            *shown = Child<QPlainTextEdit>(modal, "ME")->toPlainText();
            EXPECT_EQ(modal->windowTitle(), QStringLiteral("Help"));
            EXPECT_TRUE(Child<QPushButton>(modal, "BTOk")->isDefault());
            Child<QPushButton>(modal, "BTAbbrechen")->click();
        });
        const bool result = OpenFieldHelp(entry, folder);
        *ran = action.Ran();
        return result;
    }

    TTestOrdner dir;
    TTestOeffner oeffner;
};

TEST_F(HilfeTest, ADocumentOpensWithTheDesktop)
{
    const std::string path = dir / "Hilfe.pdf";
    WriteBytes(path, "%PDF-1.4\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::replace);
    QString shown;
    bool dialogShown = true;
    EXPECT_TRUE(Open(path, &shown, &dialogShown));
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(oeffner.Opened, QStringList{QString::fromStdString(path)});
}

TEST_F(HilfeTest, AHelpFileBesideTheTemplateIsFoundByItsName)
{
    const std::string path = dir / "Angebot Hilfe.txt";
    WriteBytes(path, "Hilfe zum Angebot\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read, std::filesystem::perm_options::replace);
    QString shown;
    bool dialogShown = true;
    EXPECT_TRUE(Open("Angebot Hilfe.txt", &shown, &dialogShown, dir.Path()));
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(oeffner.Opened, QStringList{QString::fromStdString(path)});
}

TEST_F(HilfeTest, AProgramIsNeverOpenedButNamedAsText)
{
    const std::string path = dir / "anleitung.desktop";
    WriteBytes(path, "[Desktop Entry]\nExec=sh -c 'rm -rf ~'\n");
    QString shown;
    bool dialogShown = false;
    EXPECT_TRUE(Open(path, &shown, &dialogShown));
    EXPECT_TRUE(dialogShown);
    EXPECT_EQ(shown, QString::fromStdString(path));
    EXPECT_TRUE(oeffner.Opened.isEmpty());
}

TEST_F(HilfeTest, OtherEntriesAreShownAsText)
{
    QString shown;
    bool dialogShown = false;
    EXPECT_TRUE(Open("Tragen Sie die Kundennummer ein.\r\nSie steht auf der Rechnung.", &shown, &dialogShown));
    EXPECT_TRUE(dialogShown);
    EXPECT_EQ(shown, QStringLiteral("Tragen Sie die Kundennummer ein.\nSie steht auf der Rechnung."));
    EXPECT_TRUE(Open(dir / "fehlt.pdf", &shown, &dialogShown));  // a missing file: its name
    EXPECT_EQ(shown, QString::fromStdString(dir / "fehlt.pdf"));
    EXPECT_TRUE(oeffner.Opened.isEmpty());
}

TEST_F(HilfeTest, ADocumentTheDesktopCannotOpenIsReported)
{
    const std::string path = dir / "Hilfe.odt";
    WriteBytes(path, "PK");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read, std::filesystem::perm_options::replace);
    oeffner.Succeeds = false;
    QString shown;
    bool dialogShown = false;
    EXPECT_FALSE(Open(path, &shown, &dialogShown));
    ASSERT_EQ(meldungen.Meldungen.size(), 1u);
    EXPECT_EQ(meldungen.Meldungen[0].Kind, TMsgKind::Error);
    EXPECT_NE(LastMessage().find(path), std::string::npos) << LastMessage();
}

TEST_F(HilfeTest, HelpButtonAndF1OfAnAnswerDialogShowTheFieldsHelp)
{
    TEingabeParams params;
    params.Frame.Help = "Ihre Postleitzahl.";
    TFMEingabe dialog;
    dialog.Setup(params);
    QString shown;
    {
        TModalAction action([&](QWidget* modal) {
            shown = Child<QPlainTextEdit>(modal, "ME")->toPlainText();
            Child<QPushButton>(modal, "BTOk")->click();
        });
        QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &f1);
        EXPECT_TRUE(action.Ran());
        EXPECT_EQ(shown, QStringLiteral("Ihre Postleitzahl."));
    }
    {
        TModalAction action([&](QWidget* modal) { Child<QPushButton>(modal, "BTOk")->click(); });
        Child<QPushButton>(&dialog, "BTHilfe")->click();
        EXPECT_TRUE(action.Ran());
    }
    // Without help, F1 does nothing.
    TFMEingabe without;
    without.Setup(TEingabeParams{});
    TModalAction none([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(&without, &f1);
    EXPECT_FALSE(none.Ran());
}

TEST_F(HilfeTest, OnlyDocumentsGoToTheDesktop)
{
    const std::string docx = std::string("PK\x03\x04", 4) + std::string(26, '\0') + "[Content_Types].xml";
    struct Case {
        const char* name;
        std::string bytes;
        bool document;
    };
    const Case cases[] = {
        {"manual.pdf", "%PDF-1.4\n", true},
        {"notes.txt", "Please enter the customer's number.\n", true},
        {"notes", "Plain words without an extension.\n", true},
        {"page.html", "<!DOCTYPE html><html><body>Help</body></html>", true},
        {"picture.png", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(16, '\0'), true},
        {"letter.odt",
         std::string("PK\x03\x04", 4) + std::string(26, '\0') + "mimetypeapplication/vnd.oasis.opendocument.text",
         true},
        {"offer.docx", docx, true},
        {"open.desktop", "[Desktop Entry]\nType=Application\nExec=xterm\n", false},
        {"old.kdelnk", "# KDE Config File\n[KDE Desktop Entry]\nExec=xterm\n", false},
        {"launcher", "[Desktop Entry]\nType=Application\nExec=xterm\n", false},
        {"help.txt", "[Desktop Entry]\nExec=xterm\n", false},
        {"app.flatpak", "flatpak", false},
        {"tool.udeb", "!<arch>\ndebian-binary   ", false},
        {"run.sh", "echo hello\n", false},
        {"tool.py", "print('hello')\n", false},
        {"cached.pyc", std::string("\x55\x0d\x0d\x0a", 4) + std::string(12, '\0'), false},
        {"setup.exe", "MZ\x90\0\x03", false},
        {"readme.pdf", "MZ\x90\0\x03", false},
        {"Setup.EXE", "harmless looking text", false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        const std::string path = dir / c.name;
        WriteBytes(path, c.bytes);
        std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::replace);
        EXPECT_EQ(IsViewableDocument(QString::fromStdString(path)), c.document) << c.name;
    }
    // An execute bit alone, as drives without permissions show it, leaves a document one.
    std::filesystem::permissions(dir / "manual.pdf", std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    EXPECT_TRUE(IsViewableDocument(QString::fromStdString(dir / "manual.pdf")));
    // A link counts by what it points to.
    std::filesystem::create_symlink(dir / "run.sh", dir / "link.pdf");
    EXPECT_FALSE(IsViewableDocument(QString::fromStdString(dir / "link.pdf")));
    std::filesystem::create_symlink(dir / "manual.pdf", dir / "link.txt");
    EXPECT_TRUE(IsViewableDocument(QString::fromStdString(dir / "link.txt")));

    // What is no document is shown as text, as if it named no file.
    QString shown;
    bool dialogShown = false;
    EXPECT_TRUE(Open(dir / "open.desktop", &shown, &dialogShown));
    EXPECT_TRUE(dialogShown);
    EXPECT_EQ(shown.toStdString(), dir / "open.desktop");
    EXPECT_TRUE(oeffner.Opened.isEmpty());
}

TEST_F(HilfeTest, TheHelpTextIsCentredOnTheMainWindow)
{
    QWidget main;
    main.setObjectName("FMHaupt");
    main.show();
    QDialog answerDialog(&main);
    answerDialog.show();
    QWidget* parent = nullptr;
    TModalAction action([&](QWidget* modal) {
        parent = modal->parentWidget();
        qobject_cast<QDialog*>(modal)->reject();
    });
    ShowHelpText("Some help");
    EXPECT_EQ(parent, &main) << "not the answer dialog";
}

}  // namespace
