#include "dialogs/FVerzeichnis.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include <filesystem>

#include "DialogTest.h"
#include "config/TestOrdner.h"

namespace {

class VerzeichnisTest : public DialogTest {
protected:
    VerzeichnisTest() { std::filesystem::create_directories(root_ / "Letters/.hidden"); }

    // Runs ChooseFolder and lets act close the chooser.
    int Choose(std::string& path, const std::string& extra, const std::function<void(QWidget*)>& act)
    {
        TModalAction action(act);
        const int result = ChooseFolder("Folder for Templates", path, extra);
        EXPECT_TRUE(action.Ran());
        return result;
    }

    static void Click(QWidget* dialog, const char* button) { Child<QPushButton>(dialog, button)->click(); }

    TTestOrdner root_;
};

TEST_F(VerzeichnisTest, ResultsAndTheChosenPath)
{
    struct Case {
        const char* button;
        int result;
        bool pathChanges;
    };
    for (const Case& c : {Case{"BTOk", kFolderChosen, true}, Case{"BTZusatz", kFolderExtra, true},
                          Case{"BTAbbrechen", kFolderCancelled, false}}) {
        std::string path = root_ / "Letters/";
        const int result = Choose(path, "Default", [&](QWidget* dialog) {
            EXPECT_EQ(dialog->windowTitle(), "Folder for Templates");
            EXPECT_EQ(Child<QLabel>(dialog, "LAPfad")->text().toStdString(), " " + root_ / "Letters");
            auto* tree = Child<QTreeView>(dialog, "STV");
            // Select the parent folder, as a user clicking it would.
            tree->setCurrentIndex(tree->currentIndex().parent());
            EXPECT_EQ(Child<QLabel>(dialog, "LAPfad")->text().toStdString(),
                      " " + root_.Path().substr(0, root_.Path().size() - 1));
            Click(dialog, c.button);
        });
        EXPECT_EQ(result, c.result) << c.button;
        EXPECT_EQ(path, c.pathChanges ? root_.Path().substr(0, root_.Path().size() - 1) : root_ / "Letters/")
            << c.button;
    }
}

TEST_F(VerzeichnisTest, EscAndTheFrameCancel)
{
    std::string path = root_.Path();
    EXPECT_EQ(Choose(path, "", [](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); }), kFolderCancelled);
    EXPECT_EQ(path, root_.Path());
}

TEST_F(VerzeichnisTest, TheExtraButtonShowsOnlyWithACaption)
{
    for (const std::string& extra : {std::string(), std::string("Default")}) {
        TFMVerzeichnis dialog("Choose", root_.Path(), extra);
        dialog.show();
        EXPECT_EQ(Child<QPushButton>(&dialog, "BTZusatz")->isVisible(), !extra.empty());
        EXPECT_TRUE(Child<QPushButton>(&dialog, "BTOk")->isDefault());
        EXPECT_EQ(Child<QPushButton>(&dialog, "BTNeu")->text(), "New Folder...");
    }
}

TEST_F(VerzeichnisTest, FoldersInTheTreeCannotBeRenamed)
{
    TFMVerzeichnis dialog("Choose", root_ / "Letters", "");
    auto* tree = Child<QTreeView>(&dialog, "STV");
    EXPECT_EQ(tree->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(tree->model()->flags(tree->currentIndex()) & Qt::ItemIsEditable);
}

TEST_F(VerzeichnisTest, HiddenFoldersAreInTheTree)
{
    TFMVerzeichnis dialog("Choose", root_ / "Letters/.hidden", "");
    EXPECT_EQ(dialog.SelectedFolder(), root_ / "Letters/.hidden");
    EXPECT_FALSE(dialog.SelectFolder(root_ / "missing"));
    EXPECT_EQ(dialog.SelectedFolder(), root_ / "Letters/.hidden") << "a missing folder leaves the selection";
}

// Answers the name question of "New..." with name, then closes the chooser with OK.
void NewFolderThenOk(QWidget* chooser, const std::string& name, std::vector<std::string>& messages,
                     TTestMeldungen& meldungen)
{
    TModalAction answer([&](QWidget* question) {
        EXPECT_EQ(question->windowTitle(), "New Folder");
        Child<QLineEdit>(question, "ED")->setText(QString::fromStdString(name));
        Child<QPushButton>(question, "BTOk")->click();
    });
    Child<QPushButton>(chooser, "BTNeu")->click();
    EXPECT_TRUE(answer.Ran());
    for (const auto& meldung : meldungen.Meldungen)
        messages.push_back(meldung.Text);
    Child<QPushButton>(chooser, "BTOk")->click();
}

TEST_F(VerzeichnisTest, NewFolderIsMadeAndSelected)
{
    std::string path = root_ / "Letters";
    std::vector<std::string> messages;
    EXPECT_EQ(Choose(path, "", [&](QWidget* chooser) { NewFolderThenOk(chooser, "2026", messages, meldungen); }),
              kFolderChosen);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(std::filesystem::is_directory(root_ / "Letters/2026"));
    EXPECT_EQ(path, root_ / "Letters/2026");
}

TEST_F(VerzeichnisTest, AFolderThatCannotBeMadeSaysNoSubdir)
{
    std::filesystem::create_directories(root_ / "Letters/Taken");
    for (const char* name : {"Taken", "a/b", ".."}) {
        meldungen.Meldungen.clear();
        std::string path = root_ / "Letters";
        std::vector<std::string> messages;
        EXPECT_EQ(Choose(path, "", [&](QWidget* chooser) { NewFolderThenOk(chooser, name, messages, meldungen); }),
                  kFolderChosen);
        ASSERT_EQ(messages.size(), 1u) << name;
        EXPECT_EQ(messages[0], GetText("FMVerzeichnis", "NoSubdir"));
        EXPECT_EQ(meldungen.Meldungen[0].Kind, TMsgKind::Information);
        EXPECT_EQ(path, root_ / "Letters") << "the selection stays";
    }
    EXPECT_FALSE(std::filesystem::exists(root_ / "Letters/a"));
}

}  // namespace
