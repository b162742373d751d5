#include "dialogs/FHilfe.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include <filesystem>

#include "DialogTest.h"
#include "config/TestOrdner.h"
#include "dialogs/FEingabe.h"

namespace {

// Records what would be handed to the desktop.
class TTestOeffner : public TDesktopOeffner {
public:
    TTestOeffner() : previous_(SetDesktopOeffner(this)) {}
    ~TTestOeffner() override { SetDesktopOeffner(previous_); }
    bool Open(const QString& path) override
    {
        Opened.append(path);
        return Succeeds;
    }
    QStringList Opened;
    bool Succeeds = true;

private:
    TDesktopOeffner* previous_;
};

class HilfeTest : public DialogTest {
protected:
    // Opens the help and reads the help text dialog, if one appears.
    bool Open(const std::string& entry, QString* shown, bool* ran)
    {
        TModalAction action([&](QWidget* modal) {
            *shown = Child<QPlainTextEdit>(modal, "ME")->toPlainText();
            EXPECT_EQ(modal->windowTitle(), QStringLiteral("Help"));
            EXPECT_TRUE(Child<QPushButton>(modal, "BTOk")->isDefault());
            Child<QPushButton>(modal, "BTAbbrechen")->click();
        });
        const bool result = OpenFieldHelp(entry);
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
    SetFieldHelpFolder(dir.Path());
    QString shown;
    bool dialogShown = true;
    EXPECT_TRUE(Open("Angebot Hilfe.txt", &shown, &dialogShown));
    SetFieldHelpFolder({});
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
    params.Help = "Ihre Postleitzahl.";
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

}  // namespace
