#include "dialogs/UDateiDialog.h"

#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QListView>

#include "DialogTest.h"
#include "config/TestOrdner.h"

namespace {

TEST(QtNameFiltersTest, LanguageFileFiltersBecomeFiltersQtReads)
{
    struct Case {
        std::string filter;
        QStringList expected;
    };
    const Case cases[] = {
        {"Templates (*.TXL)|*.TXL", {"Templates (*.TXL)"}},
        {"Templates and document data (*.TXL;*.DXL)|*.TXL;*.DXL|All files (*)|*",
         {"Templates and document data (*.TXL *.DXL)", "All files (*)"}},
        {"Vorlagen|*.TXL", {"Vorlagen (*.TXL)"}},
        {"Web pages (*.htm;*.html)|*.htm; *.html|broken", {"Web pages (*.htm *.html)"}},
        {"No masks||Text|*.txt", {"Text (*.txt)"}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QtNameFilters(c.filter), c.expected) << c.filter;
}

// The files the dialog lists in its folder under the current filter, once it has read them.
int ListedFiles(QFileDialog& dialog, int expected)
{
    auto* view = dialog.findChild<QListView*>("listView");
    if (!view)
        return -1;
    int files = -1;
    QElapsedTimer waited;
    waited.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        const QModelIndex root = view->rootIndex();
        files = 0;
        for (int row = 0; row < view->model()->rowCount(root); ++row) {
            const QString path = view->model()->index(row, 0, root).data(QFileSystemModel::FilePathRole).toString();
            files += QFileInfo(path).isDir() ? 0 : 1;  // folders show under every filter
        }
    } while (files != expected && waited.elapsed() < 3000);
    return files;
}

class FileDialogTest : public ::testing::TestWithParam<const char*> {
protected:
    FileDialogTest() : sprache_(GetParam())
    {
        for (const char* name : {"Offer.TXL", "Offer.DXL", "Letter.TXL", "old.txl", "notes.txt"})
            WriteBytes(folder_ / name, "x");
        std::filesystem::create_directories(folder_ / "sub");
    }

    TTestSprache sprache_;
    TTestOrdner folder_;
};

TEST_P(FileDialogTest, EachFilterListsItsFiles)
{
    TDateiDialogAnfrage open;
    open.Title = GetText("FMHaupt", "OpenTitle");
    open.Filter = GetText("FMHaupt", "OpenFilter");
    open.InitialDir = folder_.Path();
    auto dialog = MakeFileDialog(nullptr, open, "ODDatei");
    EXPECT_EQ(dialog->objectName(), "ODDatei");
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->show();
    const QStringList filters = dialog->nameFilters();
    ASSERT_EQ(filters.size(), 4);
    // Both kinds, document data, templates (in any letter case), everything.
    const int expected[] = {4, 1, 3, 5};
    for (int i = 0; i < filters.size(); ++i) {
        dialog->selectNameFilter(filters[i]);
        EXPECT_EQ(ListedFiles(*dialog, expected[i]), expected[i]) << filters[i].toStdString();
    }
    dialog->reject();

    // The save dialog starts on document data (1) or templates (2), as the save asks.
    for (int index : {1, 2}) {
        TDateiDialogAnfrage save;
        save.Filter = GetText("FMHaupt", "SaveFilter");
        save.FilterIndex = index;
        save.InitialDir = folder_.Path();
        // The proposed file shows whatever the filter (Qt keeps a selected file visible).
        save.FileName = index == 1 ? "Offer.DXL" : "Offer.TXL";
        save.DefaultExt = index == 1 ? "DXL" : "TXL";
        save.Save = true;
        auto saveDialog = MakeFileDialog(nullptr, save, "SDDatei");
        saveDialog->setOption(QFileDialog::DontUseNativeDialog);
        saveDialog->show();
        EXPECT_EQ(saveDialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(saveDialog->selectedNameFilter(), saveDialog->nameFilters().value(index - 1));
        EXPECT_EQ(ListedFiles(*saveDialog, index == 1 ? 1 : 3), index == 1 ? 1 : 3);
        EXPECT_EQ(saveDialog->directory().absolutePath() + "/", QString::fromStdString(folder_.Path()));
        saveDialog->reject();
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, FileDialogTest, ::testing::Values("ENGLISH.SPR", "Deutsch.SPR"),
                         [](const auto& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

}  // namespace
