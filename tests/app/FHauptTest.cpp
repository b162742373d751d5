// The main window driven without a human: file dialogs, questions, the field dialogs
// and the beep are all answered by the test.
#include "app/FHaupt.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMimeData>
#include <QScreen>
#include <QStyle>
#include <QUrl>
#include <QWindow>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTreeWidget>

#include <filesystem>
#include <functional>

#include "config/TestMeldungen.h"
#include "config/TestOrdner.h"
#include "config/UKonfig.h"
#include "support/TestWord.h"
#include "core/UTAObjs.h"
#include "word/UWordBackend.h"
#include "dialogs/FEditor.h"
#include "dialogs/FVerzeichnis.h"
#include "dialogs/TestHilfe.h"
#include "env/UDateien.h"
#include "env/UInstalliert.h"

namespace {

// Answers every answer dialog by appending "!" and every field editor by renaming the
// question; counts the calls.
class TFakeFeldDialoge : public TFeldDialoge {
public:
    TFakeFeldDialoge() : installed_(this) {}

    bool EditAnswer(TTAFeld& field, TScreenPoint, int, const std::string& helpFolder) override
    {
        ++Answers;
        HelpFolder = helpFolder;
        if (!Failure.empty())
            throw std::runtime_error(Failure);
        field.Answer += "!";
        return Confirm;
    }
    bool EditDefinition(TTAFeld& field, TScreenPoint, int, const std::string&) override
    {
        ++Definitions;
        field.Question = "Edited";
        return Confirm;
    }

    int Answers = 0;
    int Definitions = 0;
    std::string HelpFolder;  // as the last answer dialog got it
    bool Confirm = true;
    std::string Failure;  // not empty: answering fails with it

private:
    TInstalliert<TFeldDialoge, SetFeldDialoge> installed_;
};

class TFakeSpeicherDialog : public TSpeicherDialog {
public:
    bool Execute(const TSpeicherAnfrage& request, std::string& fileName) override
    {
        Requests.push_back(request);
        if (Answer.empty())
            return false;
        fileName = Answer;
        return true;
    }
    std::vector<TSpeicherAnfrage> Requests;
    std::string Answer;  // empty: the user cancels
};

class FHauptTest : public ::testing::Test {
protected:
    FHauptTest()
        : home_("HOME", ordner_.Path())
        , config_("XDG_CONFIG_HOME", ordner_ / ".config")
        , documents_("XDG_DOCUMENTS_DIR", std::nullopt)
    {
    }

    // A template with the given questions, written to a folder of its own.
    std::string WriteTemplate(const std::string& name, const std::vector<std::string>& questions)
    {
        TDokument dokument;
        dokument.SetTitle("Test template");
        for (const std::string& question : questions) {
            const int row = dokument.NewField(-1);
            dokument.Field(row)->ID = question;
            dokument.Field(row)->Question = question + "?";
            dokument.Field(row)->Answer = "a " + question;
        }
        const std::string path = ordner_ / ("elsewhere/" + name);
        WriteBytes(path, dokument.FileText());
        return path;
    }

    std::unique_ptr<TFMHaupt> Start(const std::vector<std::string>& parameters)
    {
        auto window = std::make_unique<TFMHaupt>(parameters);
        window->SetSpeicherDialog(&saveDialog_);
        window->SetBeep([this] { ++beeps_; });
        window->SetOeffnenDialog([this](const TOeffnenAnfrage& request, std::string& fileName) {
            openRequests_.push_back(request);
            fileName = openAnswer_;
            return !openAnswer_.empty();
        });
        return window;
    }

    static QTreeWidget* List(TFMHaupt& window) { return window.findChild<QTreeWidget*>("LV"); }
    static QAction* Action(TFMHaupt& window, const char* name) { return window.findChild<QAction*>(name); }
    // The title as the frame shows it while nothing has changed.
    static std::string Caption(TFMHaupt& window) { return window.windowTitle().remove("[*]").toStdString(); }

    static std::vector<std::string> Questions(TFMHaupt& window)
    {
        std::vector<std::string> texts;
        QTreeWidget* list = List(window);
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            texts.push_back(list->topLevelItem(i)->text(0).toStdString());
        return texts;
    }

    // Runs action on the modal dialog the code under test shows next; returns whether one came.
    static bool OnNextModal(const std::function<void(QWidget*)>& action, const std::function<void()>& run)
    {
        bool ran = false;
        QTimer timer;
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                timer.stop();
                ran = true;
                action(modal);
            }
        });
        timer.start();
        run();
        return ran;
    }

    static void PressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(widget, &press);
    }

    TTestOrdner ordner_;
    TEnvGuard home_;
    TEnvGuard config_;
    TEnvGuard documents_;
    TTestMeldungen meldungen_;
    TFakeFeldDialoge feldDialoge_;
    TFakeSpeicherDialog saveDialog_;
    std::vector<TOeffnenAnfrage> openRequests_;
    std::string openAnswer_;
    int beeps_ = 0;
};

TEST_F(FHauptTest, StartWithOneParameterOpensItAndSavesAsDocumentData)
{
    const std::string path = WriteTemplate("Offer.TXL", {"Name", "City"});
    auto window = Start({path});

    EXPECT_EQ(Questions(*window), (std::vector<std::string>{"Name?", "City?"}));
    EXPECT_EQ(Caption(*window), "Test template");
    EXPECT_EQ(window->SelectedRow(), 0);
    const std::string dataName = window->Dokument().FileName();
    EXPECT_EQ(dataName, window->Dokument().FolderSetting("VerzeichnisDokumente") + "Offer.DXL");
    EXPECT_TRUE(Action(*window, "ACDokument")->isEnabled());
    EXPECT_FALSE(Action(*window, "ACDateiSpeichern")->isEnabled()) << "nothing changed yet";

    window->EditSelected();
    EXPECT_EQ(feldDialoge_.Answers, 1);
    EXPECT_EQ(feldDialoge_.HelpFolder, path.substr(0, path.rfind('/') + 1)) << "help files lie beside the template";
    EXPECT_EQ(List(*window)->topLevelItem(0)->text(1).toStdString(), "a Name!");
    ASSERT_TRUE(Action(*window, "ACDateiSpeichern")->isEnabled());
    Action(*window, "ACDateiSpeichern")->trigger();
    EXPECT_TRUE(saveDialog_.Requests.empty()) << "a named document is saved without a dialog";
    EXPECT_TRUE(std::filesystem::exists(dataName));
    EXPECT_FALSE(window->Dokument().Changed());
    for (const auto& meldung : meldungen_.Meldungen)
        ADD_FAILURE() << meldung.Text;
}

TEST_F(FHauptTest, StartWithNoneOrTwoParametersLoadsNothing)
{
    const std::string path = WriteTemplate("Offer.TXL", {"Name"});
    for (const std::vector<std::string>& parameters : {std::vector<std::string>{}, {path, path}}) {
        auto window = Start(parameters);
        EXPECT_EQ(List(*window)->topLevelItemCount(), 0);
        EXPECT_FALSE(Action(*window, "ACDokument")->isEnabled());
        EXPECT_FALSE(Action(*window, "ACBearbeiten")->isEnabled());
        EXPECT_TRUE(Action(*window, "ACDateiOeffnen")->isEnabled());
    }
}

TEST_F(FHauptTest, FirstStartPreparesTheUsersFoldersAndTranslatesTheWindow)
{
    auto window = Start({});
    EXPECT_TRUE(std::filesystem::exists(ordner_ / ".config/Tavix/KONFIGURATION.XML"));
    EXPECT_TRUE(std::filesystem::exists(ordner_ / "Documents/Tavix"));
    // The shipped configuration chooses English.
    EXPECT_EQ(List(*window)->headerItem()->text(0).toStdString(), "Question");
    EXPECT_EQ(Action(*window, "ACDokument")->text().toStdString(), "&Create Document...");
    EXPECT_EQ(Action(*window, "ACDokument")->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(Action(*window, "ACHilfe")->shortcut(), QKeySequence(Qt::Key_F1));
}

TEST_F(FHauptTest, CloseQueryAsksAboutChanges)
{
    const std::string path = WriteTemplate("Offer.TXL", {"Name"});
    struct Case {
        int answer;
        std::string saveAs;  // what the save dialog answers (empty: cancelled)
        bool closes;
    };
    for (const Case& c :
         {Case{mrCancel, "", false}, Case{mrNo, "", true}, Case{mrYes, "", false}, Case{mrYes, "saved.DXL", true}}) {
        auto window = Start({path});
        window->Dokument().SetFileName("");  // unnamed, so Save asks for a name
        window->EditSelected();
        ASSERT_TRUE(window->Dokument().Changed());
        meldungen_.Meldungen.clear();
        meldungen_.Antworten = {c.answer};
        saveDialog_.Answer = c.saveAs.empty() ? "" : ordner_ / c.saveAs;
        window->show();
        EXPECT_EQ(window->close(), c.closes) << "answer " << c.answer << " save " << c.saveAs;
        ASSERT_FALSE(meldungen_.Meldungen.empty());
        EXPECT_EQ(meldungen_.Meldungen.front().Kind, TMsgKind::Confirmation);
        EXPECT_EQ(meldungen_.Meldungen.front().Buttons,
                  (TMsgButtons{TMsgButton::Yes, TMsgButton::No, TMsgButton::Cancel}));
    }

    auto unchanged = Start({path});
    meldungen_.Meldungen.clear();
    unchanged->show();
    EXPECT_TRUE(unchanged->close());
    EXPECT_TRUE(meldungen_.Meldungen.empty()) << "no question without changes";
}

TEST_F(FHauptTest, OpenAsksBeforeDroppingChangesAndUsesTheDocumentFolder)
{
    const std::string first = WriteTemplate("First.TXL", {"A"});
    const std::string second = WriteTemplate("Second.TXL", {"B", "C"});
    auto window = Start({first});
    window->EditSelected();

    openAnswer_ = second;
    meldungen_.Antworten = {mrCancel};
    window->Open();
    EXPECT_TRUE(openRequests_.empty()) << "cancelled at the question";
    EXPECT_EQ(Questions(*window), (std::vector<std::string>{"A?"}));

    meldungen_.Antworten = {mrNo};
    window->Open();
    ASSERT_EQ(openRequests_.size(), 1u);
    EXPECT_EQ(openRequests_[0].InitialDir, ordner_ / "Documents/Tavix/")
        << "the document-data folder is made by the first save; the examples lie above it";
    EXPECT_EQ(Questions(*window), (std::vector<std::string>{"B?", "C?"}));
    EXPECT_EQ(window->Dokument().FileName(), window->Dokument().FolderSetting("VerzeichnisDokumente") + "Second.DXL");

    // In template editing the opened file stays the file name.
    Action(*window, "ACVorlageBearbeiten")->trigger();
    window->Open();
    EXPECT_EQ(window->Dokument().FileName(), second);
}

TEST_F(FHauptTest, InsertAndDeleteFollowTheSelection)
{
    const std::string path = WriteTemplate("Five.TXL", {"1", "2", "3", "4", "5"});
    auto window = Start({path});
    Action(*window, "ACVorlageBearbeiten")->trigger();

    window->SelectRow(2);
    Action(*window, "ACNeuesFeld")->trigger();
    EXPECT_EQ(Questions(*window), (std::vector<std::string>{"1?", "2?", "New", "3?", "4?", "5?"}));
    EXPECT_EQ(window->SelectedRow(), 2);
    EXPECT_TRUE(window->Dokument().Changed());

    window->SelectRow(-1);
    window->InsertField();
    EXPECT_EQ(Questions(*window).back(), "New");
    EXPECT_EQ(window->SelectedRow(), 6);

    window->SelectRow(1);
    Action(*window, "ACFeldLoeschen")->trigger();
    EXPECT_EQ(Questions(*window), (std::vector<std::string>{"1?", "New", "3?", "4?", "5?", "New"}));
    EXPECT_EQ(window->SelectedRow(), 1) << "the row that moved into its place";

    window->SelectRow(5);
    window->DeleteField();
    EXPECT_EQ(window->SelectedRow(), -1) << "deleting the last row selects nothing";
    EXPECT_FALSE(Action(*window, "ACFeldLoeschen")->isEnabled());
}

TEST_F(FHauptTest, EnterEditsOnlyWithoutModifiersAndDoubleClickBeepsWithoutSelection)
{
    const std::string path = WriteTemplate("Two.TXL", {"A", "B"});
    auto window = Start({path});
    QTreeWidget* list = List(*window);

    PressKey(list, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(feldDialoge_.Answers, 0);
    PressKey(list, Qt::Key_Return);
    EXPECT_EQ(feldDialoge_.Answers, 1);
    PressKey(list, Qt::Key_Enter);
    EXPECT_EQ(feldDialoge_.Answers, 2);

    feldDialoge_.Confirm = false;
    window->Dokument().SetChanged(false);
    window->EditSelected();
    EXPECT_FALSE(window->Dokument().Changed()) << "a cancelled dialog changes nothing";

    window->SelectRow(-1);
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(5, 200), QPointF(5, 200), Qt::LeftButton,
                            Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &doubleClick);
    EXPECT_EQ(beeps_, 1);
    EXPECT_EQ(feldDialoge_.Answers, 3);
    EXPECT_FALSE(Action(*window, "ACBearbeiten")->isEnabled());
    window->SelectRow(1);
    EXPECT_TRUE(Action(*window, "ACBearbeiten")->isEnabled()) << "the selection re-evaluates the rules";
}

TEST_F(FHauptTest, TemplateEditingSwitchesCommandsAndTheEditor)
{
    const std::string path = WriteTemplate("Two.TXL", {"A", "B"});
    auto window = Start({path});
    const char* templateActions[] = {"ACVorlageNeu", "ACVorlageSpeichern", "ACVorlageTitel", "ACVorlageWord",
                                     "ACNeuesFeld",  "ACFeldBearbeiten",   "ACFeldLoeschen"};
    for (const char* name : templateActions)
        EXPECT_FALSE(Action(*window, name)->isEnabled()) << name;
    EXPECT_TRUE(Action(*window, "ACDateiSpeichernUnter")->isEnabled());
    EXPECT_TRUE(Action(*window, "ACBearbeiten")->isEnabled());

    Action(*window, "ACVorlageBearbeiten")->trigger();
    ASSERT_TRUE(window->TemplateEditing());
    for (const char* name : templateActions)
        EXPECT_TRUE(Action(*window, name)->isEnabled()) << name;
    for (const char* name : {"ACDateiSpeichern", "ACDateiSpeichernUnter", "ACBearbeiten", "ACDokument"})
        EXPECT_FALSE(Action(*window, name)->isEnabled()) << name;

    window->EditSelected();
    EXPECT_EQ(feldDialoge_.Definitions, 1);
    EXPECT_EQ(feldDialoge_.Answers, 0);
    EXPECT_EQ(List(*window)->topLevelItem(0)->text(0).toStdString(), "Edited");
}

TEST_F(FHauptTest, F5OnEachExampleWritesItsDocumentBesideTheDataAndOpensIt)
{
    std::vector<std::string> examples;  // the build's installation copies
    for (const auto& entry : std::filesystem::directory_iterator(ExampleFolder()))
        if (entry.path().extension() == ".TXL")
            examples.push_back(entry.path().string());
    ASSERT_FALSE(examples.empty());
    for (const std::string& example : examples) {
        SCOPED_TRACE(example);
        auto window = Start({example});
        // The example shipped with a ".dot" too goes to LibreOffice otherwise (tested there).
        Konf()->SetDefault(kWordBackendKey, "Embedded");
        std::vector<std::string> opened;
        bool busy = true;
        window->SetWordOpener([&](const std::string& path) {
            opened.push_back(path);
            const QCursor* cursor = QApplication::overrideCursor();
            busy = busy && cursor && cursor->shape() == Qt::WaitCursor;
            return std::string();
        });
        QAction* f5 = Action(*window, "ACDokument");
        ASSERT_TRUE(f5->isEnabled());

        f5->trigger();
        f5->trigger();

        const std::string folder = window->Dokument().FolderSetting("VerzeichnisDokumente");
        const std::string base = std::filesystem::path(example).stem().string();
        ASSERT_EQ(opened, (std::vector<std::string>{folder + base + ".docx", folder + base + " (2).docx"}));
        for (const std::string& file : opened)
            EXPECT_EQ(ReadBytes(file).substr(0, 2), "PK") << file;
        const QStringList log = window->findChild<QPlainTextEdit*>("ME")->toPlainText().split('\n');
        EXPECT_EQ(log,
                  (QStringList{QString::fromStdString("The document was saved as \"" + opened[0] + "\"."),
                               QString::fromStdString("The document was saved as \"" + opened[1] + "\".")}))
            << "every bookmark was filled";
        EXPECT_EQ(window->Dokument().WordTemplate(), ExampleFolder() + base) << "the examples marker was resolved";
        EXPECT_TRUE(busy) << "the busy cursor is shown while the document is made";
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_NE(window->WordSitzung().WordDoc(), nullptr) << "the window keeps the last document";
    }
    for (const auto& meldung : meldungen_.Meldungen)
        ADD_FAILURE() << meldung.Text;
}

// A click that comes in while the document is made is dropped, not run afterwards.
TEST_F(FHauptTest, InputDuringTheGenerationIsDropped)
{
    auto window = Start({ExampleFolder() + "Business Letter.TXL"});
    Konf()->SetDefault(kWordBackendKey, "Embedded");
    QWidget* button = window->findChild<QWidget*>("TBDokument");
    ASSERT_NE(button, nullptr);
    auto click = [button] {
        const QPointF centre = QRectF(button->rect()).center();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(
                button,
                new QMouseEvent(type, centre, button->mapToGlobal(centre), Qt::LeftButton,
                                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier));
    };
    int opened = 0;
    window->SetWordOpener([&](const std::string&) {
        if (++opened == 1)
            click();
        return std::string();
    });

    Action(*window, "ACDokument")->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(opened, 1);

    // The same click afterwards makes the next document.
    click();
    QCoreApplication::processEvents();
    EXPECT_EQ(opened, 2);
    for (const auto& meldung : meldungen_.Meldungen)
        ADD_FAILURE() << meldung.Text;
}

TEST_F(FHauptTest, F5WithAMissingWordTemplateShowsTheDotFileAndWritesNothing)
{
    const std::string path = WriteTemplate("Offer.TXL", {"Name"});
    auto window = Start({path});
    window->Dokument().SetWordTemplate("Missing");
    int opened = 0;
    window->SetWordOpener([&](const std::string&) {
        ++opened;
        return std::string();
    });

    Action(*window, "ACDokument")->trigger();

    ASSERT_EQ(meldungen_.Meldungen.size(), 1u);
    EXPECT_EQ(meldungen_.Meldungen[0].Kind, TMsgKind::Error);
    EXPECT_EQ(meldungen_.Meldungen[0].Text,
              "The Word template \"" + (ordner_ / "Templates/Missing.dot") + "\" could not be found.");
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(window->findChild<QPlainTextEdit*>("ME")->toPlainText().isEmpty());
}

TEST_F(FHauptTest, PlacementIsRestoredAndStored)
{
    Start({}).reset();  // the first start prepares the user's configuration
    {
        TKonf konf(ordner_ / ".config/Tavix/KONFIGURATION.XML");
        TWindowState state;
        state.Left = 40;
        state.Top = 30;
        state.Width = 700;
        state.Height = 500;
        konf.WriteWindowState("FMHaupt", state);
        state.Height = 90;
        konf.WriteWindowState("ME", state);
        konf.WriteColumns("LV", {"120", "wide"});
    }
    auto window = Start({});
    EXPECT_EQ(window->geometry().size(), QSize(700, 500));
    EXPECT_EQ(List(*window)->columnWidth(0), 120);
    EXPECT_EQ(List(*window)->columnWidth(1), 300) << "a width that is no number leaves the column";
    List(*window)->setColumnWidth(1, 333);
    window.reset();

    TKonf stored(ordner_ / ".config/Tavix/KONFIGURATION.XML");
    EXPECT_EQ(stored.ReadColumns("LV"), (std::vector<std::string>{"120", "333"}));
    EXPECT_EQ(stored.ReadWindowState("FMHaupt").Width, 700);
}

// A failure inside a command is shown once, as an error, and the window goes on.
TEST_F(FHauptTest, AFailingCommandShowsItsErrorOnce)
{
    const std::string path = WriteTemplate("Offer.TXL", {"Name"});
    auto window = Start({path});
    meldungen_.Meldungen.clear();
    feldDialoge_.Failure = "Das Datum ist kaputt.";
    Action(*window, "ACBearbeiten")->trigger();
    ASSERT_EQ(meldungen_.Meldungen.size(), 1u);
    EXPECT_EQ(meldungen_.Meldungen[0].Text, "Das Datum ist kaputt.");
    EXPECT_EQ(meldungen_.Meldungen[0].Kind, TMsgKind::Error);
    EXPECT_EQ(List(*window)->topLevelItem(0)->text(1).toStdString(), "a Name") << "the answer stays";
    feldDialoge_.Failure.clear();
    Action(*window, "ACBearbeiten")->trigger();
    EXPECT_EQ(List(*window)->topLevelItem(0)->text(1).toStdString(), "a Name!");
}

// Settings that cannot be written are reported once, with the file and the reason, not
// on every later write.
TEST_F(FHauptTest, ASettingsFileThatCannotBeWrittenIsReportedOnce)
{
    auto window = Start({});
    // Even root cannot write below a name that is a file now.
    const std::string folder = ordner_ / ".config/Tavix";
    std::filesystem::remove_all(folder);
    WriteBytes(folder, "no folder");
    meldungen_.Meldungen.clear();
    for (int attempt = 0; attempt < 2; ++attempt) {
        window->show();
        EXPECT_TRUE(window->close());
    }
    ASSERT_EQ(meldungen_.Meldungen.size(), 1u);
    EXPECT_EQ(meldungen_.Meldungen[0].Kind, TMsgKind::Warning);
    EXPECT_NE(meldungen_.Meldungen[0].Text.find("The settings could not be saved: Cannot write \"" + folder +
                                                "/KONFIGURATION.XML\""),
              std::string::npos)
        << meldungen_.Meldungen[0].Text;
    window.reset();
    std::filesystem::remove(folder);
}

TEST_F(FHauptTest, ChooseLanguageTranslatesTheWindowAtOnce)
{
    auto window = Start({});
    const bool shown = OnNextModal(
        [](QWidget* dialog) {
            auto* list = dialog->findChild<QListWidget*>("LB");
            ASSERT_NE(list, nullptr);
            const auto found = list->findItems("Deutsch", Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1);
            list->setCurrentItem(found.first());
            dialog->findChild<QPushButton*>("BTOk")->click();
        },
        [&] { Action(*window, "ACSprache")->trigger(); });
    ASSERT_TRUE(shown);
    EXPECT_EQ(Konf()->GetLanguage(), "Deutsch");
    EXPECT_EQ(List(*window)->headerItem()->text(0).toStdString(), "Frage");
    EXPECT_EQ(window->findChild<QMenu*>("HMDatei")->title().toStdString(), "&Datei");
}

TEST_F(FHauptTest, ChangeTitleRenamesWithoutMarkingAChange)
{
    const std::string path = WriteTemplate("Offer.TXL", {"Name"});
    auto window = Start({path});
    Action(*window, "ACVorlageBearbeiten")->trigger();
    const bool shown = OnNextModal(
        [](QWidget* dialog) {
            dialog->findChild<QLineEdit*>("ED")->setText("Quotation");
            dialog->findChild<QPushButton*>("BTOk")->click();
        },
        [&] { Action(*window, "ACVorlageTitel")->trigger(); });
    ASSERT_TRUE(shown);
    EXPECT_EQ(Caption(*window), "Quotation");
    EXPECT_EQ(window->Dokument().Title(), "Quotation");
    EXPECT_FALSE(window->Dokument().Changed());
}

TEST_F(FHauptTest, NewTemplateMakesOneFieldPerBookmark)
{
    auto window = Start({});
    const std::string examples = ordner_ / "Documents/Tavix/";
    Konf()->SetDefault("VerzeichnisWord", examples);
    Konf()->SetDefault(kWordBackendKey, "Embedded");
    auto choose = [&](const char* name) {
        return OnNextModal(
            [name](QWidget* dialog) {
                auto* list = dialog->findChild<QListWidget*>("LB");
                const auto found = list->findItems(name, Qt::MatchExactly);
                if (found.isEmpty()) {
                    dialog->findChild<QPushButton*>("BTAbbrechen")->click();
                    return;
                }
                list->setCurrentItem(found.first());
                dialog->findChild<QPushButton*>("BTOk")->click();
            },
            [&] { window->NewTemplate(); });
    };

    ASSERT_TRUE(choose("no such template"));
    EXPECT_EQ(List(*window)->topLevelItemCount(), 0) << "cancelled: nothing changes";
    EXPECT_FALSE(window->TemplateEditing());

    // Unsaved changes are asked about before the list is replaced.
    window->InsertField();
    meldungen_.Antworten = {mrCancel};
    EXPECT_FALSE(choose("Invoice")) << "cancelled at the question";
    EXPECT_EQ(List(*window)->topLevelItemCount(), 1);
    meldungen_.Antworten = {mrNo};

    ASSERT_TRUE(choose("Invoice"));
    EXPECT_TRUE(window->TemplateEditing());
    EXPECT_TRUE(window->Dokument().Changed());
    EXPECT_EQ(window->Dokument().FileName(), "New.TXL");
    EXPECT_EQ(window->Dokument().WordTemplate(), examples + "Invoice");
    const std::vector<std::string> bookmarks = window->WordSitzung().ListBookmarks(examples + "Invoice").Usable;
    ASSERT_FALSE(bookmarks.empty());
    EXPECT_EQ(Questions(*window), bookmarks);
    EXPECT_EQ(window->Dokument().Field(0)->ID, bookmarks.front());
}

// What a modal dialog showed: its class, component name and title.
struct TGezeigt {
    std::string Class;
    std::string Name;
    std::string Title;
};

// Triggers the action, records the modal dialog it shows and closes it unchanged.
TGezeigt DialogOf(TFMHaupt& window, const char* action)
{
    TGezeigt shown;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer.stop();
            shown = {modal->metaObject()->className(), modal->objectName().toStdString(),
                     modal->windowTitle().toStdString()};
            qobject_cast<QDialog*>(modal)->reject();
        }
    });
    timer.start();
    window.findChild<QAction*>(action)->trigger();
    return shown;
}

TEST_F(FHauptTest, EveryCommandThatAsksOpensItsDialog)
{
    const std::string path = WriteTemplate("Offer.TXL", {"Name"});
    struct Case {
        const char* action;
        bool templateEditing;
        TGezeigt expected;
    };
    const Case cases[] = {
        {"ACDateiOeffnen", false, {"QFileDialog", "ODDatei", "Open"}},
        {"ACDateiSpeichernUnter", false, {"QFileDialog", "SDDatei", "Save As"}},
        {"ACVorlageSpeichern", true, {"QFileDialog", "SDDatei", "Save As"}},
        {"ACVorlageNeu", true, {"TFMListbox", "", "Choose the Word template"}},
        {"ACVorlageTitel", true, {"TFMEingabe", "", "Template Title"}},
        {"ACVorlageWord", true, {"TFMEingabe", "", "Word Template"}},
        {"ACSprache", false, {"TFMListbox", "", ""}},
        {"ACWordVerzeichnis", false, {"TFMVerzeichnis", "FMVerzeichnis", "Folder for Word Templates"}},
        {"ACVorlagenVerzeichnis", false, {"TFMVerzeichnis", "FMVerzeichnis", "Folder for Templates"}},
        {"ACDokVerzeichnis", false, {"TFMVerzeichnis", "FMVerzeichnis", "Folder for Document Data"}},
        {"ACVersion", false, {"TFMVersion", "FMVersion", "Information"}},
    };
    for (const Case& c : cases) {
        auto window = std::make_unique<TFMHaupt>(std::vector<std::string>{path});  // the real dialogs
        Konf()->SetDefault("VerzeichnisWord", ExampleFolder());
        Konf()->SetDefault(kWordBackendKey, "Embedded");
        if (c.templateEditing)
            Action(*window, "ACVorlageBearbeiten")->trigger();
        ASSERT_TRUE(Action(*window, c.action)->isEnabled()) << c.action;
        const TGezeigt shown = DialogOf(*window, c.action);
        EXPECT_EQ(shown.Class, c.expected.Class) << c.action;
        if (!c.expected.Name.empty()) {
            EXPECT_EQ(shown.Name, c.expected.Name) << c.action;
        }
        EXPECT_EQ(shown.Title, c.expected.Title) << c.action;
    }
    for (const auto& meldung : meldungen_.Meldungen)
        ADD_FAILURE() << meldung.Text;
}

TEST_F(FHauptTest, TheCommandsThatChangeStateChangeIt)
{
    const std::string path = WriteTemplate("Offer.TXL", {"Name", "City"});
    auto window = Start({path});
    window->show();

    Action(*window, "ACBearbeiten")->trigger();
    EXPECT_EQ(feldDialoge_.Answers, 1);
    EXPECT_TRUE(window->isWindowModified()) << "the title bar shows the change";
    Action(*window, "ACDateiSpeichern")->trigger();
    EXPECT_TRUE(std::filesystem::exists(window->Dokument().FileName()));
    EXPECT_FALSE(window->isWindowModified());

    Action(*window, "ACVorlageBearbeiten")->trigger();
    EXPECT_TRUE(window->TemplateEditing());
    Action(*window, "ACNeuesFeld")->trigger();
    EXPECT_EQ(window->Dokument().RowCount(), 3);
    Action(*window, "ACFeldBearbeiten")->trigger();
    EXPECT_EQ(feldDialoge_.Definitions, 1);
    Action(*window, "ACFeldLoeschen")->trigger();
    EXPECT_EQ(window->Dokument().RowCount(), 2);
    Action(*window, "ACVorlageBearbeiten")->trigger();
    EXPECT_FALSE(window->TemplateEditing());

    meldungen_.Antworten = {mrNo};
    Action(*window, "ACBeenden")->trigger();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(FHauptTest, FolderCommandsStoreTheChoiceOrTheDefault)
{
    auto window = Start({});
    std::filesystem::create_directories(ordner_ / "Chosen");
    auto choose = [&](const char* action, const char* button) {
        return OnNextModal(
            [&](QWidget* chooser) {
                auto* dialog = static_cast<TFMVerzeichnis*>(chooser);
                dialog->SelectFolder(ordner_ / "Chosen");
                dialog->findChild<QPushButton*>(button)->click();
            },
            [&] { Action(*window, action)->trigger(); });
    };
    ASSERT_TRUE(choose("ACVorlagenVerzeichnis", "BTOk"));
    EXPECT_EQ(Konf()->GetDefault("VerzeichnisVorlagen"), ordner_ / "Chosen");
    EXPECT_EQ(window->Dokument().FolderSetting("VerzeichnisVorlagen"), ordner_ / "Chosen/");
    ASSERT_TRUE(choose("ACVorlagenVerzeichnis", "BTAbbrechen"));
    EXPECT_EQ(Konf()->GetDefault("VerzeichnisVorlagen"), ordner_ / "Chosen");
    ASSERT_TRUE(choose("ACVorlagenVerzeichnis", "BTZusatz"));
    EXPECT_EQ(Konf()->GetDefault("VerzeichnisVorlagen"), ordner_ / "Documents/Tavix/Templates");

    ASSERT_TRUE(choose("ACDokVerzeichnis", "BTZusatz"));
    EXPECT_EQ(Konf()->GetDefault("VerzeichnisDokumente"), ordner_ / "Documents/Tavix/Document data");
    ASSERT_TRUE(choose("ACWordVerzeichnis", "BTZusatz"));
    EXPECT_EQ(Konf()->GetDefault("VerzeichnisWord"), window->WordSitzung().WordUserTemplateFolder());
    ASSERT_TRUE(choose("ACWordVerzeichnis", "BTOk"));
    EXPECT_EQ(Konf()->GetDefault("VerzeichnisWord"), ordner_ / "Chosen");
}

TEST_F(FHauptTest, WithoutWordTemplatesTheCommandsSayWhereTheyLooked)
{
    auto window = Start({});
    std::filesystem::create_directories(ordner_ / "Empty");
    Konf()->SetDefault("VerzeichnisWord", ordner_ / "Empty");
    Action(*window, "ACVorlageBearbeiten")->trigger();
    for (const char* action : {"ACVorlageNeu", "ACVorlageWord"}) {
        meldungen_.Meldungen.clear();
        EXPECT_FALSE(OnNextModal([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); },
                                 [&] { Action(*window, action)->trigger(); }))
            << action << ": no empty list to choose from";
        ASSERT_EQ(meldungen_.Meldungen.size(), 1u) << action;
        EXPECT_EQ(meldungen_.Meldungen[0].Kind, TMsgKind::Information);
        EXPECT_EQ(meldungen_.Meldungen[0].Text,
                  "No Word templates were found in the folder \"" + (ordner_ / "Empty/") +
                      "\". Choose the folder that holds your Word templates with "
                      "\"Settings > Folder for Word Templates\".");
    }
    EXPECT_EQ(window->Dokument().RowCount(), 0);
    EXPECT_FALSE(window->Dokument().Changed());
}

TEST_F(FHauptTest, TheSaveDialogOpensInAFolderThatExists)
{
    auto window = Start({});
    Action(*window, "ACVorlageBearbeiten")->trigger();
    Action(*window, "ACNeuesFeld")->trigger();
    for (const char* action : {"ACVorlageSpeichern", "ACDateiSpeichernUnter"}) {
        if (std::string(action) == "ACDateiSpeichernUnter")
            Action(*window, "ACVorlageBearbeiten")->trigger();
        saveDialog_.Requests.clear();
        Action(*window, action)->trigger();
        ASSERT_EQ(saveDialog_.Requests.size(), 1u) << action;
        EXPECT_TRUE(std::filesystem::is_directory(saveDialog_.Requests[0].InitialDir)) << action;
    }
    EXPECT_EQ(saveDialog_.Requests[0].InitialDir, ordner_ / "Documents/Tavix/Document data/");
}

TEST_F(FHauptTest, PlaceOnScreenKeepsTheWindowVisible)
{
    const QRect screen(0, 0, 1024, 768);
    const QMargins frame(0, 30, 0, 0);
    struct Case {
        QRect window;
        QRect expected;
    };
    const QRect centred(212, 199, 600, 400);
    const Case cases[] = {
        {{100, 100, 600, 400}, {100, 100, 600, 400}},  // on the screen: stays
        {{100, 400, 600, 500}, {100, 400, 600, 500}},  // a quarter below the bottom: stays
        {{0, 0, 600, 400}, centred},                   // title bar above the top
        {{600, 100, 600, 400}, centred},               // title bar past the right edge
        {{100, 600, 600, 400}, centred},               // more than a third below the bottom
        {{3000, 2000, 600, 400}, centred},             // on a screen that is gone
        {{10, 40, 2000, 1500}, {0, 30, 1024, 738}},    // too large: fitted to the screen
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceOnScreen(c.window, screen, frame), c.expected) << c.window.x() << "," << c.window.y();
    // Borders count as part of the window.
    EXPECT_EQ(PlaceOnScreen({0, 0, 1024, 768}, screen, QMargins(2, 24, 2, 2)), QRect(2, 24, 1020, 742));
}

// Runs under several screens (see the CMake file): a small one, a large one, and scaled.
TEST_F(FHauptTest, AFirstStartShowsTheWholeWindowOnTheScreen)
{
    auto window = Start({});
    window->show();
    QApplication::processEvents();
    const QRect available = window->screen()->availableGeometry();
    const QRect frame = window->frameGeometry();
    EXPECT_TRUE(available.contains(frame))
        << "window " << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height() << " on "
        << available.width() << "x" << available.height();
    const QSize designed(653, 639);
    if (designed.grownBy(window->windowHandle()->frameMargins()).height() <= available.height()) {
        EXPECT_EQ(window->geometry().size(), designed) << "the designed size where it fits";
    }
}

TEST_F(FHauptTest, AnEmptyListSaysHowToOpenATemplate)
{
    auto window = Start({});
    EXPECT_EQ(List(*window)->property("placeholderText").toString().toStdString(),
              "No questions yet. Open a template or saved document data with \"File > Open\", or drop the file here.");
    const std::string path = WriteTemplate("Offer.TXL", {"Name"});
    window->OpenFile(path);
    EXPECT_EQ(List(*window)->topLevelItemCount(), 1);
}

// Sends a drag of files and its drop to the window, as a file manager would.
bool DropOnto(TFMHaupt& window, const std::vector<std::string>& files)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& file : files)
        urls << QUrl::fromLocalFile(QString::fromStdString(file));
    data.setUrls(urls);
    const QPoint point(100, 100);
    QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(point), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    QApplication::processEvents();
    return drop.isAccepted();
}

TEST_F(FHauptTest, ADroppedTemplateOrDocumentDataOpens)
{
    const std::string first = WriteTemplate("First.TXL", {"A"});
    const std::string second = WriteTemplate("second.dxl", {"B", "C"});
    WriteBytes(ordner_ / "notes.txt", "text");
    auto window = Start({});
    EXPECT_FALSE(DropOnto(*window, {ordner_ / "notes.txt"}));
    EXPECT_FALSE(DropOnto(*window, {first, second})) << "one file at a time";
    ASSERT_TRUE(DropOnto(*window, {first}));
    EXPECT_EQ(Questions(*window), (std::vector<std::string>{"A?"}));
    EXPECT_EQ(window->Dokument().FileName(), window->Dokument().FolderSetting("VerzeichnisDokumente") + "First.DXL");

    window->EditSelected();
    meldungen_.Antworten = {mrCancel};
    ASSERT_TRUE(DropOnto(*window, {second}));
    ASSERT_EQ(meldungen_.Meldungen.size(), 1u) << "unsaved changes are asked about first";
    EXPECT_EQ(Questions(*window), (std::vector<std::string>{"A?"}));
    meldungen_.Antworten = {mrNo};
    ASSERT_TRUE(DropOnto(*window, {second}));
    EXPECT_EQ(Questions(*window), (std::vector<std::string>{"B?", "C?"}));
}

TEST_F(FHauptTest, QtsOwnTextsFollowTheInterfaceLanguage)
{
    auto window = Start({});
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
    ASSERT_TRUE(OnNextModal(
        [](QWidget* dialog) {
            auto* list = dialog->findChild<QListWidget*>("LB");
            list->setCurrentItem(list->findItems("Deutsch", Qt::MatchExactly).value(0));
            dialog->findChild<QPushButton*>("BTOk")->click();
        },
        [&] { Action(*window, "ACSprache")->trigger(); }));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen")
        << "Qt's German translations (qt6-translations-l10n) are loaded";
    // The next start in German loads them as well; English drops them again.
    window.reset();
    window = Start({});
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen");
    Konf()->SetLanguage("ENGLISH");
    window.reset();
    window = Start({});
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
}

TEST_F(FHauptTest, MenusHaveMnemonicsAndOnlyF1AndF5AsShortcuts)
{
    auto window = Start({});
    for (QMenu* menu : window->findChildren<QMenu*>()) {
        if (menu->objectName().startsWith("HM")) {
            EXPECT_TRUE(menu->title().contains('&')) << menu->title().toStdString();
            QSet<QChar> letters;
            for (QAction* item : menu->actions()) {
                if (item->isSeparator())
                    continue;
                const int marker = item->text().indexOf('&');
                ASSERT_GE(marker, 0) << item->text().toStdString();
                EXPECT_FALSE(letters.contains(item->text()[marker + 1].toLower()))
                    << "two items share Alt+" << item->text().toStdString();
                letters.insert(item->text()[marker + 1].toLower());
            }
        }
    }
    for (QAction* action : window->findChildren<QAction*>())
        if (action->objectName() != "ACDokument" && action->objectName() != "ACHilfe") {
            EXPECT_TRUE(action->shortcut().isEmpty()) << action->objectName().toStdString();
        }
}

// The real field editor, driven by the test; answers are typed in by the test.
class TEditorUndAntwort : public TFeldDialoge {
public:
    TEditorUndAntwort() : installed_(this) {}
    bool EditAnswer(TTAFeld& field, TScreenPoint, int, const std::string&) override
    {
        field.Answer = Answer;
        return true;
    }
    bool EditDefinition(TTAFeld& field, TScreenPoint, int, const std::string&) override
    {
        return TFMEditor::Execute(field);
    }
    std::string Answer;

private:
    TInstalliert<TFeldDialoge, SetFeldDialoge> installed_;
};

TEST_F(FHauptTest, ATemplateBuiltFromNothingFillsADocument)
{
    TEditorUndAntwort dialogs;
    auto window = Start({});
    Konf()->SetDefault(kWordBackendKey, "Embedded");
    Action(*window, "ACVorlageBearbeiten")->trigger();
    Action(*window, "ACNeuesFeld")->trigger();
    ASSERT_TRUE(OnNextModal(
        [](QWidget* editor) {
            editor->findChild<QLineEdit*>("EDID")->setText("DeliveryDate");
            editor->findChild<QWidget*>("RGTyp4")->setProperty("checked", true);
            static_cast<TFMEditor*>(editor)->UpdateControls();
            editor->findChild<QPlainTextEdit*>("MEFrage")->setPlainText("When do we deliver?");
            editor->findChild<QLineEdit*>("EDMinimum")->setText("01.01.2026");
            ASSERT_EQ(editor->findChild<QLineEdit*>("EDFormat")->text(), "dd.mm.yyyy");
            // The help text through its own dialog.
            QTimer::singleShot(50, [] {
                QWidget* memo = QApplication::activeModalWidget();
                memo->findChild<QPlainTextEdit*>("ME")->setPlainText("The day the goods arrive.");
                memo->findChild<QPushButton*>("BTOk")->click();
            });
            editor->findChild<QPushButton*>("BTHilfeText")->click();
            editor->findChild<QPushButton*>("BTOk")->click();
        },
        [&] { Action(*window, "ACFeldBearbeiten")->trigger(); }));
    EXPECT_EQ(Questions(*window), (std::vector<std::string>{"When do we deliver?"}));
    window->Dokument().SetWordTemplate(ExampleFolder() + "Invoice");
    saveDialog_.Answer = ordner_ / "Delivery.TXL";
    Action(*window, "ACVorlageSpeichern")->trigger();
    ASSERT_TRUE(std::filesystem::exists(saveDialog_.Answer));
    ASSERT_FALSE(window->Dokument().Changed());

    // Reopened as a user would fill it: the answer, then F5.
    Action(*window, "ACVorlageBearbeiten")->trigger();
    window->OpenFile(saveDialog_.Answer);
    const TTAFeld* field = window->Dokument().Field(0);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->Type, ftDatum);
    EXPECT_EQ(field->Format, "dd.mm.yyyy");
    EXPECT_EQ(field->Help, "The day the goods arrive.");
    EXPECT_EQ(TTAFeld::LimitText(field->Format, field->Type, field->Minimum), "01.01.2026");
    window->SelectRow(0);
    dialogs.Answer = "24.12.2026";
    window->EditSelected();
    std::vector<std::string> opened;
    window->SetWordOpener([&](const std::string& path) {
        opened.push_back(path);
        return std::string();
    });
    Action(*window, "ACDokument")->trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(DocxBookmarkText(PartOf(ReadBytes(opened[0]), "word/document.xml"), "DeliveryDate"), "24.12.2026");
    for (const auto& meldung : meldungen_.Meldungen)
        ADD_FAILURE() << meldung.Text;
}

TEST_F(FHauptTest, HelpCommandsOpenTheirTopicsInTheInterfaceLanguage)
{
    TTestHilfeAnzeige recorder;
    auto window = Start({});
    for (const char* action : {"ACErsteSchritte", "ACInhaltsverzeichnis", "ACHilfe"})
        Action(*window, action)->trigger();
    Konf()->SetLanguage("Deutsch");
    Action(*window, "ACHilfe")->trigger();
    const std::string english = InstallDataFolder() + "ENGLISH.qch::/";
    const std::string german = InstallDataFolder() + "Deutsch.qch::/";
    EXPECT_EQ(recorder.Addresses,
              (std::vector<std::string>{english + "ersteschritte.htm", english + "uebersicht.htm",
                                        english + "ausfuellen.htm", german + "ausfuellen.htm"}));
    for (const auto& meldung : meldungen_.Meldungen)
        ADD_FAILURE() << meldung.Text;
}

}  // namespace
