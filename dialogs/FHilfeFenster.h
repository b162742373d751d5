// The program's help window: the pages of a compiled help file (Qt's ".qch") with
// their contents on the left, a page on the right, and back, forward and contents.
#pragma once

#include <QMainWindow>
#include <QUrl>

#include <memory>
#include <string>

class QAction;
class QHelpEngine;
class QSplitter;
class QModelIndex;
class QTextBrowser;
class QTreeView;

class TFMHilfeFenster : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFMHilfeFenster)

public:
    explicit TFMHilfeFenster(QWidget* parent = nullptr);
    ~TFMHilfeFenster() override;

    // Opens the help file (file-system bytes) at the topic ("/editor.htm"); false when
    // the file cannot be read as compiled help.
    bool ShowTopic(const std::string& helpFile, const std::string& topic);
    // The page shown, as a help address ("qthelp://namespace/doc/editor.htm").
    QUrl Source() const;
    // The title of the page shown.
    QString PageTitle() const;

private:
    bool LoadHelpFile(const QString& file);
    void Follow(const QUrl& link);
    void ShowContentsEntry(const QModelIndex& index);
    void ApplyLanguage();

    std::unique_ptr<QHelpEngine> engine_;
    QHelpEngine* enginePointer_ = nullptr;  // what the browser reads from
    QString file_;                          // the help file the engine reads
    QString namespace_;                     // its namespace
    QTextBrowser* browser_;
    QSplitter* splitter_;
    QTreeView* contentsView_;
    QAction* back_;
    QAction* forward_;
    QAction* contents_;
};

// Shows the topic of an address ("file::/topic", optionally ">window") in the one help
// window, brought to the front; false when there is no viewer for it.
bool ShowInHelpWindow(const std::string& address);
