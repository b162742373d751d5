#include "dialogs/FVerzeichnis.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>

#include <sys/stat.h>

#include "config/USprache.h"
#include "dialogs/FEingabe.h"
#include "dialogs/UQtText.h"

namespace {

constexpr int kDesignedWidth = 520;
constexpr int kDesignedHeight = 420;
constexpr int kNameLength = 60;

std::string Text(const char* key)
{
    return GetText("FMVerzeichnis", key);
}

QString FromPath(const std::string& path)
{
    return QFile::decodeName(path.c_str());
}

std::string ToPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

}  // namespace

bool MakeSubFolder(const std::string& parent, const std::string& name)
{
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return false;
    std::string folder = parent;
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return ::mkdir((folder + name).c_str(), 0777) == 0;
}

TFMVerzeichnis::TFMVerzeichnis(const std::string& caption, const std::string& path, const std::string& extraCaption,
                               QWidget* parent)
    : QDialog(parent)
    , model_(new QFileSystemModel(this))
    , laPfad_(new QLabel(this))
    , stv_(new QTreeView(this))
    , btZusatz_(new QPushButton(ToQString(extraCaption), this))
    , btNeu_(new QPushButton(ToQString(Text("BTNeu")), this))
    , btOk_(new QPushButton(ToQString(GetText("Basics", "OK")), this))
    , btAbbrechen_(new QPushButton(ToQString(GetText("Basics", "Cancel")), this))
{
    setObjectName(QStringLiteral("FMVerzeichnis"));
    setWindowTitle(ToQString(caption));
    resize(kDesignedWidth, kDesignedHeight);

    auto* paPfad = new QWidget(this);
    paPfad->setObjectName(QStringLiteral("PAPfad"));
    laPfad_->setObjectName(QStringLiteral("LAPfad"));
    laPfad_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    laPfad_->setAutoFillBackground(true);
    laPfad_->setStyleSheet(QStringLiteral("background-color: rgb(255, 255, 204); padding: 3px;"));
    laPfad_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* pathLayout = new QVBoxLayout(paPfad);
    pathLayout->setContentsMargins(0, 0, 0, 0);
    pathLayout->addWidget(laPfad_);

    // Every folder of the file system from its root, hidden ones included; the user's
    // home is reached below it and opened when it holds the path.
    model_->setFilter(QDir::AllDirs | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::Drives);
    model_->setRootPath(QDir::rootPath());
    stv_->setObjectName(QStringLiteral("STV"));
    stv_->setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column)
        stv_->hideColumn(column);
    stv_->setHeaderHidden(true);
    stv_->setSelectionMode(QAbstractItemView::SingleSelection);
    stv_->setAnimated(false);
    stv_->setEditTriggers(QAbstractItemView::NoEditTriggers);  // a double click opens, never renames
    QPalette palette = stv_->palette();                        // the selection stays visible without the focus
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    stv_->setPalette(palette);
    connect(stv_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { STVChange(); });
    // The folders above the selection are read in the background: until the user takes
    // over, every row they bring keeps the selection in view.
    auto follow = [this] {
        if (followSelection_ && stv_->currentIndex().isValid())
            stv_->scrollTo(stv_->currentIndex(), QAbstractItemView::PositionAtCenter);
    };
    connect(model_, &QFileSystemModel::directoryLoaded, this, follow);
    connect(model_, &QFileSystemModel::rowsInserted, this, follow);
    connect(model_, &QFileSystemModel::layoutChanged, this, follow);
    stv_->viewport()->installEventFilter(this);
    stv_->installEventFilter(this);

    btZusatz_->setObjectName(QStringLiteral("BTZusatz"));
    btZusatz_->setVisible(!extraCaption.empty());
    btNeu_->setObjectName(QStringLiteral("BTNeu"));
    btOk_->setObjectName(QStringLiteral("BTOk"));
    btAbbrechen_->setObjectName(QStringLiteral("BTAbbrechen"));
    btOk_->setDefault(true);
    connect(btZusatz_, &QPushButton::clicked, this, [this] { done(kFolderExtra); });
    connect(btNeu_, &QPushButton::clicked, this, [this] { BTNeuClick(); });
    connect(btOk_, &QPushButton::clicked, this, [this] { done(kFolderChosen); });
    connect(btAbbrechen_, &QPushButton::clicked, this, [this] { done(kFolderCancelled); });

    auto* left = new QVBoxLayout;
    left->addWidget(paPfad);
    left->addWidget(stv_, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btZusatz_);
    buttons->addWidget(btNeu_);
    buttons->addStretch();
    buttons->addWidget(btOk_);
    buttons->addWidget(btAbbrechen_);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    // A folder not made yet opens at the nearest folder above it that exists.
    QString nearest = QDir::cleanPath(FromPath(path));
    while (!path.empty() && !QFileInfo(nearest).isDir() && nearest != QDir::rootPath())
        nearest = QFileInfo(nearest).path();
    if (path.empty() || !SelectFolder(ToPath(nearest)))
        SelectFolder(ToPath(QDir::homePath()));
    stv_->setFocus();
}

bool TFMVerzeichnis::SelectFolder(const std::string& path)
{
    QString folder = QDir::cleanPath(FromPath(path));
    if (path.empty() || !QFileInfo(folder).isDir())
        return false;
    const QModelIndex index = model_->index(folder);
    if (!index.isValid())
        return false;
    followSelection_ = true;
    stv_->setCurrentIndex(index);
    stv_->expand(index.parent());
    stv_->scrollTo(index, QAbstractItemView::PositionAtCenter);
    STVChange();
    return true;
}

std::string TFMVerzeichnis::SelectedFolder() const
{
    const QModelIndex index = stv_->currentIndex();
    return index.isValid() ? ToPath(model_->filePath(index)) : std::string();
}

bool TFMVerzeichnis::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::KeyPress: followSelection_ = false; break;
    default: break;
    }
    return QDialog::eventFilter(watched, event);
}

void TFMVerzeichnis::reject()
{
    done(kFolderCancelled);
}

void TFMVerzeichnis::STVChange()
{
    laPfad_->setText(" " + FromPath(SelectedFolder()));
}

void TFMVerzeichnis::BTNeuClick()
{
    std::string parent = SelectedFolder();
    if (parent.empty())
        return;
    if (parent.back() != '/')
        parent += '/';
    const QRect bounds = geometry();
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    TEingabeParams params{.Frame = {.Caption = Text("TitleNew"),
                                    .X = bounds.left() + bounds.width() / 4,
                                    .Y = bounds.top() + bounds.width() / 4,
                                    .Width = screen ? screen->geometry().width() / 4 : 0},
                          .Question = Text("QuestionNew"),
                          .MaxChar = kNameLength};
    if (!TFMEingabe::Execute(params))
        return;
    // The typed name is the files' single-byte text; the folder is named in file-system bytes.
    const std::string name = ToPath(ToQString(params.Answer));
    if (!MakeSubFolder(parent, name)) {
        MsgDlg(Text("NoSubdir"), TMsgKind::Information, {TMsgButton::OK});
        return;
    }
    // Looking the new folder up adds it to the tree at once.
    SelectFolder(parent + name);
}

int ChooseFolder(const std::string& caption, std::string& path, const std::string& extraCaption)
{
    TFMVerzeichnis dialog(caption, path, extraCaption, QApplication::activeWindow());
    const int result = dialog.exec();
    if (result == kFolderChosen || result == kFolderExtra)
        path = dialog.SelectedFolder();
    return result == kFolderChosen || result == kFolderExtra ? result : kFolderCancelled;
}
