#include "dialogs/FHilfeFenster.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpContentModel>
#include <QHelpEngine>
#include <QPointer>
#include <QSplitter>
#include <QStandardPaths>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeView>

#include "config/USprache.h"
#include "dialogs/FHilfe.h"
#include "dialogs/UQtText.h"

namespace {

std::string Text(const char* key)
{
    return GetText("FMHilfeFenster", key);
}

// A text browser that reads "qthelp:" pages and their pictures from the help engine.
class THilfeBrowser : public QTextBrowser {
public:
    THilfeBrowser(QHelpEngine* const& engine, QWidget* parent) : QTextBrowser(parent), engine_(engine) {}

protected:
    QVariant loadResource(int type, const QUrl& name) override
    {
        if (name.scheme() == QLatin1String("qthelp") && engine_)
            return engine_->fileData(name);
        return QTextBrowser::loadResource(type, name);
    }

private:
    QHelpEngine* const& engine_;  // follows the window's engine as it is replaced
};

// Where the help engine keeps its register of help files: the user's cache.
QString CollectionFile(const QString& helpFile)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + "/help";
    QDir().mkpath(folder);
    return folder + "/" + QFileInfo(helpFile).completeBaseName() + ".qhc";
}

}  // namespace

TFMHilfeFenster::TFMHilfeFenster(QWidget* parent) : QMainWindow(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FMHilfeFenster"));
    resize(900, 640);
    enginePointer_ = nullptr;
    browser_ = new THilfeBrowser(enginePointer_, this);
    browser_->setObjectName(QStringLiteral("WBHilfe"));
    browser_->setOpenLinks(false);
    connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) { Follow(link); });
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        setWindowTitle(ToQString(Text("Caption")) + (PageTitle().isEmpty() ? QString() : " - " + PageTitle()));
    });

    auto* toolbar = addToolBar(QString());
    toolbar->setObjectName(QStringLiteral("TBHilfe"));
    toolbar->setMovable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    back_ =
        toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QString(), browser_, &QTextBrowser::backward);
    forward_ =
        toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QString(), browser_, &QTextBrowser::forward);
    contents_ = toolbar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QString(), this,
                                   [this] { Follow(QUrl("uebersicht.htm")); });
    back_->setObjectName(QStringLiteral("ACZurueck"));
    forward_->setObjectName(QStringLiteral("ACVor"));
    contents_->setObjectName(QStringLiteral("ACInhalt"));
    back_->setShortcut(QKeySequence::Back);
    forward_->setShortcut(QKeySequence::Forward);
    back_->setEnabled(false);
    forward_->setEnabled(false);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QAction::setEnabled);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("SPHilfe"));
    contentsView_ = new QTreeView(splitter_);
    contentsView_->setObjectName(QStringLiteral("TVInhalt"));
    contentsView_->setHeaderHidden(true);
    connect(contentsView_, &QTreeView::activated, this, [this](const QModelIndex& index) { ShowContentsEntry(index); });
    connect(contentsView_, &QTreeView::clicked, this, [this](const QModelIndex& index) { ShowContentsEntry(index); });
    splitter_->addWidget(contentsView_);
    splitter_->addWidget(browser_);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({240, 660});
    setCentralWidget(splitter_);
    ApplyLanguage();
}

TFMHilfeFenster::~TFMHilfeFenster() = default;

void TFMHilfeFenster::ApplyLanguage()
{
    setWindowTitle(ToQString(Text("Caption")));
    back_->setText(ToQString(Text("Back")));
    forward_->setText(ToQString(Text("Forward")));
    contents_->setText(ToQString(Text("Contents")));
}

bool TFMHilfeFenster::LoadHelpFile(const QString& file)
{
    if (engine_ && file == file_)
        return true;
    auto engine = std::make_unique<QHelpEngine>(CollectionFile(file));
    engine->setReadOnly(false);
    if (!engine->setupData())
        return false;
    const QString name = QHelpEngineCore::namespaceName(file);
    if (name.isEmpty())
        return false;
    // A file of this namespace registered from elsewhere (an older installation) goes.
    if (engine->registeredDocumentations().contains(name) && engine->documentationFileName(name) != file)
        engine->unregisterDocumentation(name);
    if (!engine->registeredDocumentations().contains(name) && !engine->registerDocumentation(file))
        return false;
    QHelpContentModel* model = engine->contentModel();
    connect(model, &QHelpContentModel::contentsCreated, contentsView_, [this] { contentsView_->expandToDepth(0); });
    model->createContents(QString());
    contentsView_->setModel(model);  // before the old engine and its model go
    engine_ = std::move(engine);
    enginePointer_ = engine_.get();
    file_ = file;
    namespace_ = name;
    return true;
}

bool TFMHilfeFenster::ShowTopic(const std::string& helpFile, const std::string& topic)
{
    if (!LoadHelpFile(QFile::decodeName(helpFile.c_str())))
        return false;
    QString page = ToQString(topic);
    if (!page.startsWith('/'))
        page.prepend('/');
    browser_->setSource(QUrl("qthelp://" + namespace_ + "/doc" + page));
    return true;
}

void TFMHilfeFenster::ShowContentsEntry(const QModelIndex& index)
{
    if (!engine_)
        return;
    if (QHelpContentItem* item = engine_->contentModel()->contentItemAt(index))
        browser_->setSource(item->url());
}

void TFMHilfeFenster::Follow(const QUrl& link)
{
    const QUrl target = link.isRelative() ? browser_->source().resolved(link) : link;
    if (target.scheme() == QLatin1String("qthelp")) {
        browser_->setSource(target);
        return;
    }
    QDesktopServices::openUrl(target);  // a web address: the desktop's browser
}

QUrl TFMHilfeFenster::Source() const
{
    return browser_->source();
}

QString TFMHilfeFenster::PageTitle() const
{
    return browser_->documentTitle();
}

bool ShowInHelpWindow(const std::string& address)
{
    std::string file = address;
    std::string topic;
    if (const std::size_t window = file.find('>'); window != std::string::npos)
        file.erase(window);
    if (const std::size_t separator = file.find("::"); separator != std::string::npos) {
        topic = file.substr(separator + 2);
        file.erase(separator);
    }
    if (topic.empty())
        topic = "/uebersicht.htm";
    // One window serves every call. While a dialog is modal only its own windows take
    // input, so the help window then belongs to that dialog.
    static QPointer<TFMHilfeFenster> window;
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner)
        owner = ProgramMainWindow();
    if (window && window->parentWidget() != owner) {
        window->close();
        window->deleteLater();
        window = nullptr;
    }
    if (!window) {
        window = new TFMHilfeFenster(owner);
        if (!owner)
            window->setAttribute(Qt::WA_DeleteOnClose);
    }
    if (!window->ShowTopic(file, topic))
        return false;
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}
