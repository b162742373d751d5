// The directory chooser: a folder tree in which the user picks a folder, may make a new
// sub-folder, and may ask for the built-in default folder through an extra button.
#pragma once

#include <QDialog>

#include <string>

class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

// The results of ChooseFolder.
inline constexpr int kFolderChosen = 1;
inline constexpr int kFolderCancelled = 2;
inline constexpr int kFolderExtra = 4;

class TFMVerzeichnis : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFMVerzeichnis)

public:
    // extraCaption empty: no extra button. path is in file-system bytes.
    TFMVerzeichnis(const std::string& caption, const std::string& path, const std::string& extraCaption,
                   QWidget* parent = nullptr);

    // Selects the folder and scrolls it into view; false when it is not in the tree.
    bool SelectFolder(const std::string& path);
    // The selected folder (file-system bytes, without a trailing "/"); empty when none.
    std::string SelectedFolder() const;

    // Frame and Esc: cancelled.
    void reject() override;

protected:
    // The user's first click, wheel turn or key in the tree stops it following the selection.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Asks for a name and makes it a sub-folder of the selected folder.
    void BTNeuClick();
    void STVChange();

    QFileSystemModel* model_;
    QLabel* laPfad_;
    QTreeView* stv_;
    QPushButton* btZusatz_;
    QPushButton* btNeu_;
    QPushButton* btOk_;
    QPushButton* btAbbrechen_;
    bool followSelection_ = true;
};

// Shows the chooser modally with path selected. On OK (kFolderChosen) and the extra
// button (kFolderExtra) path receives the selected folder; kFolderCancelled otherwise.
int ChooseFolder(const std::string& caption, std::string& path, const std::string& extraCaption);

// Makes name a single new folder in parent (which must exist). Refuses names that are
// empty, "." or "..", or that hold a "/". False when nothing was made.
bool MakeSubFolder(const std::string& parent, const std::string& name);
