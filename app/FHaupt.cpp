#include "app/FHaupt.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QMimeData>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QTimer>
#include <QTranslator>
#include <QTreeWidget>
#include <QUrl>
#include <QWindow>
#include <QVBoxLayout>

#include <cstdlib>
#include <filesystem>
#include <utility>

#include "config/UKonfig.h"
#include "config/USprache.h"
#include "dialogs/FEingabe.h"
#include "dialogs/FHilfe.h"
#include "dialogs/FListbox.h"
#include "dialogs/FVerzeichnis.h"
#include "dialogs/FVersion.h"
#include "dialogs/UProgrammHilfe.h"
#include "dialogs/UQtText.h"
#include "env/UCodec.h"
#include "env/UDateien.h"
#include "env/VControl.h"

namespace {

constexpr int kDesignedWidth = 653;
constexpr int kDesignedHeight = 639;
constexpr int kDesignedMemoHeight = 124;
constexpr int kDesignedColumnWidths[] = {200, 300};

std::string Text(const char* key)
{
    return GetText("FMHaupt", key);
}

// A small picture for the tool bar when the desktop's icon theme has none.
QIcon PaintedIcon(const std::function<void(QPainter&)>& paint)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter);
    return QIcon(pixmap);
}

QIcon FieldIcon()
{
    return QIcon::fromTheme("document-edit", PaintedIcon([](QPainter& p) {
                                p.setPen(QPen(QColor(60, 60, 60), 1.5));
                                p.setBrush(QColor(255, 255, 255));
                                p.drawRect(3, 6, 18, 12);
                                p.setPen(QPen(QColor(200, 30, 30), 2));
                                p.drawLine(6, 12, 14, 12);
                            }));
}

QIcon DocumentIcon()
{
    return QIcon::fromTheme("x-office-document", PaintedIcon([](QPainter& p) {
                                QPainterPath page;
                                page.moveTo(5, 2);
                                page.lineTo(15, 2);
                                page.lineTo(20, 7);
                                page.lineTo(20, 22);
                                page.lineTo(5, 22);
                                page.closeSubpath();
                                p.setPen(QPen(QColor(60, 60, 60), 1.5));
                                p.setBrush(QColor(255, 255, 255));
                                p.drawPath(page);
                                p.setPen(QPen(QColor(40, 90, 180), 1.5));
                                for (int y = 10; y <= 18; y += 4)
                                    p.drawLine(8, y, 17, y);
                            }));
}

QIcon HelpIcon()
{
    return QIcon::fromTheme("help-contents", PaintedIcon([](QPainter& p) {
                                p.setPen(Qt::NoPen);
                                p.setBrush(QColor(40, 90, 180));
                                p.drawEllipse(2, 2, 20, 20);
                                p.setPen(Qt::white);
                                QFont font = p.font();
                                font.setBold(true);
                                font.setPixelSize(15);
                                p.setFont(font);
                                p.drawText(QRect(2, 2, 20, 20), Qt::AlignCenter, "?");
                            }));
}

// The folder itself, or the nearest of its parents that exists: until something has been
// saved, the document-data folder does not exist yet, while the examples lie beside it.
std::string NearestExistingFolder(const std::string& folder)
{
    std::error_code ignored;
    std::filesystem::path path(folder);
    while (!path.empty() && !std::filesystem::is_directory(path, ignored) && path.has_parent_path() &&
           path.parent_path() != path)
        path = path.parent_path();
    std::string result = path.string();
    if (!result.empty() && result.back() != '/')
        result += '/';
    return result;
}

// The hourglass while the word processor is asked something, restored in every case.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd: return true;
    default: return false;
    }
}

// Swallows the user's input while the window waits for the word processor. The wait
// runs in the thread of the event loop, so whatever is clicked or typed meanwhile would
// otherwise run as commands once it is over.
class TInputBlocker : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // So is a close request from the frame: the window cannot go while it works.
        const bool closeFromFrame = event->type() == QEvent::Close && event->spontaneous();
        return IsUserInput(event->type()) || closeFromFrame || QObject::eventFilter(watched, event);
    }
};

// The real save dialog of a desktop session.
class TQtSpeicherDialog : public TSpeicherDialog {
public:
    explicit TQtSpeicherDialog(QWidget* parent) : parent_(parent) {}
    bool Execute(const TSpeicherAnfrage& request, std::string& fileName) override
    {
        const TDateiDialogAnfrage fileRequest{.Title = request.Title,
                                              .Filter = request.Filter,
                                              .FilterIndex = request.FilterIndex,
                                              .InitialDir = request.InitialDir,
                                              .FileName = request.FileName,
                                              .DefaultExt = request.DefaultExt,
                                              .Save = true};
        return ExecFileDialog(*MakeFileDialog(parent_, fileRequest, "SDDatei"), fileName);
    }

private:
    QWidget* parent_;
};

// The list of questions; while it is empty it says how to fill it.
class TFragenListe : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;
    void SetHint(const QString& hint)
    {
        setProperty("placeholderText", hint);
        viewport()->update();
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QTreeWidget::paintEvent(event);
        const QString hint = property("placeholderText").toString();
        if (topLevelItemCount() > 0 || hint.isEmpty())
            return;
        QPainter painter(viewport());
        painter.setPen(palette().color(QPalette::PlaceholderText));
        const int margin = fontMetrics().averageCharWidth() * 4;
        painter.drawText(viewport()->rect().adjusted(margin, margin, -margin, -margin),
                         Qt::AlignCenter | Qt::TextWordWrap, hint);
    }
};

// A menu caption as running text: without its mnemonic marker and trailing dots.
std::string PlainCaption(const std::string& caption)
{
    std::string plain;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i;  // "&&" is one "&"; "&x" marks x
        plain += caption[i];
    }
    while (!plain.empty() && (plain.back() == '.' || plain.back() == ' '))
        plain.pop_back();
    return plain;
}

// "Menu > Command" for a message that tells where a command is found.
std::string MenuPath(const char* menuKey, const char* actionKey)
{
    return PlainCaption(Text(menuKey)) + " > " + PlainCaption(Text(actionKey));
}

// A single local template or document-data file among dropped data, or empty.
QString DroppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return {};
    const QString path = data->urls().first().toLocalFile();
    const QString suffix = QFileInfo(path).suffix();
    const bool ours =
        suffix.compare("TXL", Qt::CaseInsensitive) == 0 || suffix.compare("DXL", Qt::CaseInsensitive) == 0;
    return ours ? path : QString();
}

}  // namespace

// ---- Construction and start-up ----------------------------------------------------------

TFMHaupt::TFMHaupt(const std::vector<std::string>& parameters, QWidget* parent) : QMainWindow(parent)
{
    setObjectName("FMHaupt");
    setWindowTitle("Tavix[*]");
    setAcceptDrops(true);
    resize(kDesignedWidth, kDesignedHeight);
    ownSaveDialog_ = std::make_unique<TQtSpeicherDialog>(this);
    inputBlocker_ = std::make_unique<TInputBlocker>();
    openDialog_ = [this](const TOeffnenAnfrage& request, std::string& fileName) {
        return ExecFileDialog(*MakeFileDialog(this, request, "ODDatei"), fileName);
    };
    beep_ = [] { QApplication::beep(); };
    word_ = std::make_unique<TWordSitzung>(dokument_);
    word_->SetLog([this](const std::string& line) { Log(line); });
    word_->SetBusy([this](bool busy) { SetBusy(busy); });

    BuildActions();
    BuildLayout();
    BuildMenus();
    dokument_.SetBeobachter(this);
    dokument_.SetSpeicherDialog(ownSaveDialog_.get());
    FormCreate(parameters);
}

void TFMHaupt::FormCreate(const std::vector<std::string>& parameters)
{
    // The folder routines name folders in the file system's bytes.
    PrepareFolders([](const std::string& message) { StockMessage(PathForDisplay(message), TStockIcon::Error); });
    konf_ = std::make_unique<TKonf>();
    SetKonf(konf_.get());
    sprache_ = std::make_unique<TSprache>();
    SetSprache(sprache_.get());
    LoadLanguage();
    RestoreWindowState();
    KeepOnScreen();
    if (parameters.size() == 1)
        OpenFile(parameters.front());
    lv_->setFocus();
    if (dokument_.RowCount() > 0)
        SelectRow(0);
    UpdateActions();
}

TFMHaupt::~TFMHaupt()
{
    // FormDestroy: the placement is kept for the next start.
    if (konf_) {
        StoreWindowState();
        if (Konf() == konf_.get())
            SetKonf(nullptr);
        konf_.reset();
    }
    if (Sprache() == sprache_.get())
        SetSprache(nullptr);
    dokument_.SetBeobachter(nullptr);
}

QAction* TFMHaupt::MakeAction(const char* name, int tag, const char* category, const char* caption)
{
    auto* action = new QAction(QString::fromUtf8(caption), this);
    action->setObjectName(name);
    action->setProperty("tag", tag);
    action->setProperty("category", category);
    actions_.push_back(action);
    return action;
}

void TFMHaupt::BuildActions()
{
    acDateiOeffnen_ = MakeAction("ACDateiOeffnen", 1010, "Datei", "Öffnen...");
    acDateiSpeichern_ = MakeAction("ACDateiSpeichern", 1020, "Datei", "Speichern");
    acDateiSpeichernUnter_ = MakeAction("ACDateiSpeichernUnter", 1030, "Datei", "Speichern unter...");
    acBeenden_ = MakeAction("ACBeenden", 1040, "Datei", "Beenden");
    acBearbeiten_ = MakeAction("ACBearbeiten", 2010, "Bearbeiten", "Eingabefeld...");
    acDokument_ = MakeAction("ACDokument", 2020, "Bearbeiten", "Dokument...");
    acVorlageBearbeiten_ = MakeAction("ACVorlageBearbeiten", 3010, "Vorlage", "Vorlagen bearbeiten ermöglichen");
    acVorlageNeu_ = MakeAction("ACVorlageNeu", 3020, "Vorlage", "Neue Vorlage...");
    acVorlageSpeichern_ = MakeAction("ACVorlageSpeichern", 3030, "Vorlage", "Speichern als Vorlage...");
    acVorlageTitel_ = MakeAction("ACVorlageTitel", 3040, "Vorlage", "Titel ändern...");
    acVorlageWord_ = MakeAction("ACVorlageWord", 3050, "Vorlage", "Word-Vorlage ändern...");
    acNeuesFeld_ = MakeAction("ACNeuesFeld", 3060, "Vorlage", "Neues Feld");
    acFeldBearbeiten_ = MakeAction("ACFeldBearbeiten", 3070, "Vorlage", "Feld bearbeiten...");
    acFeldLoeschen_ = MakeAction("ACFeldLoeschen", 3080, "Vorlage", "Feld löschen");
    acSprache_ = MakeAction("ACSprache", 4010, "Einstellungen", "Sprache");
    acWordVerzeichnis_ = MakeAction("ACWordVerzeichnis", 4020, "Einstellungen", "Verzeichnis für Word-Vorlagen");
    acVorlagenVerzeichnis_ = MakeAction("ACVorlagenVerzeichnis", 4030, "Einstellungen", "Verzeichnis für Vorlagen...");
    acDokVerzeichnis_ = MakeAction("ACDokVerzeichnis", 4040, "Einstellungen", "Verzeichnis für Dokumentdaten...");
    acErsteSchritte_ = MakeAction("ACErsteSchritte", 5010, "Hilfe", "Erste Schritte...");
    acInhaltsverzeichnis_ = MakeAction("ACInhaltsverzeichnis", 5020, "Hilfe", "Inhaltsverzeichnis...");
    acVersion_ = MakeAction("ACVersion", 5040, "Hilfe", "Info...");
    acHilfe_ = MakeAction("ACHilfe", 5090, "Hilfe", "Hilfe    F1");

    acVorlageBearbeiten_->setCheckable(true);
    acDokument_->setShortcut(QKeySequence(Qt::Key_F5));
    acHilfe_->setShortcut(QKeySequence(Qt::Key_F1));
    acBearbeiten_->setIcon(FieldIcon());
    acDokument_->setIcon(DocumentIcon());
    acHilfe_->setIcon(HelpIcon());

    OnTriggered(acDateiOeffnen_, [this] { Open(); });
    OnTriggered(acDateiSpeichern_, [this] { dokument_.Save(); });
    OnTriggered(acDateiSpeichernUnter_, [this] { dokument_.SaveFile(true, false); });
    OnTriggered(acBeenden_, [this] { close(); });
    OnTriggered(acBearbeiten_, [this] { OnSelectedOrBeep(&TFMHaupt::EditSelected); });
    OnTriggered(acDokument_, [this] { GenerateDocument(); });
    connect(acVorlageBearbeiten_, &QAction::toggled, this, [this] { UpdateActions(); });
    OnTriggered(acVorlageSpeichern_, [this] { dokument_.SaveFile(true, true); });
    OnTriggered(acNeuesFeld_, [this] { InsertField(); });
    OnTriggered(acFeldBearbeiten_, [this] { OnSelectedOrBeep(&TFMHaupt::EditSelected); });
    OnTriggered(acFeldLoeschen_, [this] { OnSelectedOrBeep(&TFMHaupt::DeleteField); });
    OnTriggered(acVorlageTitel_, [this] { ChangeTitle(); });
    OnTriggered(acVorlageWord_, [this] { ChangeWordTemplate(); });
    OnTriggered(acVorlageNeu_, [this] { NewTemplate(); });
    OnTriggered(acSprache_, [this] { ChooseLanguage(); });
    OnTriggered(acWordVerzeichnis_, [this] { ChooseFolderSetting("VerzeichnisWord"); });
    OnTriggered(acVorlagenVerzeichnis_, [this] { ChooseFolderSetting("VerzeichnisVorlagen"); });
    OnTriggered(acDokVerzeichnis_, [this] { ChooseFolderSetting("VerzeichnisDokumente"); });
    OnTriggered(acVersion_, [] { ShowAbout(); });
    OnTriggered(acErsteSchritte_, [] { ShowHelpTopic("ersteschritte.htm"); });
    OnTriggered(acInhaltsverzeichnis_, [] { ShowHelpTopic("uebersicht.htm"); });
    OnTriggered(acHilfe_, [] { ShowHelpTopic("ausfuellen.htm"); });
    // After every command the enabling rules are evaluated again.
    for (QAction* action : actions_)
        connect(action, &QAction::triggered, this, [this] { UpdateActions(); });
}

void TFMHaupt::OnTriggered(QAction* action, std::function<void()> command)
{
    connect(action, &QAction::triggered, this, [this, command = std::move(command)] { RunCommand(command); });
}

void TFMHaupt::RunCommand(const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& failure) {
        MsgDlg(failure.what(), TMsgKind::Error, {TMsgButton::OK});
    }
}

void TFMHaupt::BuildLayout()
{
    auto* pa = new QWidget(this);
    pa->setObjectName("PA");
    auto* layout = new QVBoxLayout(pa);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->setSpacing(0);

    tb_ = new QToolBar(pa);
    tb_->setObjectName("TB");
    tb_->setMovable(false);
    tb_->setIconSize(QSize(24, 24));
    tb_->addAction(acBearbeiten_);
    tb_->addAction(acDokument_);
    tb_->addAction(acHilfe_);
    tb_->widgetForAction(acBearbeiten_)->setObjectName("TBFeld");
    tb_->widgetForAction(acDokument_)->setObjectName("TBDokument");
    tb_->widgetForAction(acHilfe_)->setObjectName("TBHilfe");
    layout->addWidget(tb_);

    sp_ = new QSplitter(Qt::Vertical, pa);
    sp_->setObjectName("SP");
    sp_->setHandleWidth(5);
    sp_->setStyleSheet("QSplitter::handle { background-color: rgb(255, 255, 204); }");
    lv_ = new TFragenListe(sp_);
    lv_->setObjectName("LV");
    lv_->setColumnCount(2);
    lv_->setHeaderLabels({"Frage", "Eingabe"});
    lv_->setRootIsDecorated(false);
    lv_->setUniformRowHeights(true);
    lv_->setSelectionMode(QAbstractItemView::SingleSelection);
    lv_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv_->setAllColumnsShowFocus(true);
    lv_->header()->setStretchLastSection(false);
    lv_->setColumnWidth(0, kDesignedColumnWidths[0]);
    lv_->setColumnWidth(1, kDesignedColumnWidths[1]);
    // The selection stays visible when the list does not have the focus.
    QPalette palette = lv_->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    lv_->setPalette(palette);
    lv_->installEventFilter(this);
    lv_->viewport()->installEventFilter(this);
    connect(lv_, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateActions(); });

    me_ = new QPlainTextEdit(sp_);
    me_->setObjectName("ME");
    sp_->addWidget(lv_);
    sp_->addWidget(me_);
    sp_->setStretchFactor(0, 1);
    sp_->setStretchFactor(1, 0);
    sp_->setSizes({kDesignedHeight - kDesignedMemoHeight, kDesignedMemoHeight});
    layout->addWidget(sp_, 1);
    setCentralWidget(pa);
}

void TFMHaupt::BuildMenus()
{
    auto addMenu = [this](const char* name, std::initializer_list<QAction*> items) {
        QMenu* menu = menuBar()->addMenu(QString());
        menu->setObjectName(name);
        for (QAction* item : items) {
            if (item)
                menu->addAction(item);
            else
                menu->addSeparator();
        }
        menus_.push_back(menu);
    };
    menuBar()->setObjectName("MM");
    addMenu("HMDatei", {acDateiOeffnen_, acDateiSpeichern_, acDateiSpeichernUnter_, nullptr, acBeenden_});
    addMenu("HMBearbeiten", {acBearbeiten_, acDokument_});
    addMenu("HMVorlagen",
            {acVorlageBearbeiten_, nullptr, acVorlageNeu_, acVorlageSpeichern_, acVorlageTitel_, acVorlageWord_,
             nullptr, acNeuesFeld_, acFeldBearbeiten_, acFeldLoeschen_});
    addMenu("HMEinstellungen", {acSprache_, nullptr, acWordVerzeichnis_, acVorlagenVerzeichnis_, acDokVerzeichnis_});
    addMenu("HMHilfe", {acErsteSchritte_, acInhaltsverzeichnis_, nullptr, acVersion_});
}

void TFMHaupt::ApplyLanguage()
{
    lv_->setHeaderLabels({ToQString(Text("LVCol1")), ToQString(Text("LVCol2"))});
    dokument_.SetNewName(GetText("Basics", "New"));
    dokument_.ApplyLanguage();
    static const char* const kMenuKeys[] = {"HM1000", "HM2000", "HM3000", "HM4000", "HM5000"};
    for (size_t i = 0; i < menus_.size(); ++i)
        menus_[i]->setTitle(ToQString(Text(kMenuKeys[i])));
    for (QAction* action : actions_) {
        const int tag = action->property("tag").toInt();
        if (tag != 0)
            action->setText(ToQString(Text(("A" + std::to_string(tag)).c_str())));
        else
            action->setText("---" + action->text());
    }
    static_cast<TFragenListe*>(lv_)->SetHint(
        ToQString(FormatMsg(Text("EmptyListHint"), {MenuPath("HM1000", "A1010")})));
}

void TFMHaupt::LoadLanguage()
{
    sprache_->Load(konf_->GetLanguage() + ".SPR");
    // The texts Qt draws itself (file dialogs, standard buttons, edit menus) follow the
    // interface language; dates and numbers keep following the regional settings.
    qtTranslator_.reset();
    const std::string code = GetText("Basics", "LanguageCode");
    if (!code.empty() && !code.starts_with("#_")) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(QLocale(ToQString(code)), "qtbase", "_",
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
            QCoreApplication::installTranslator(translator.get()))
            qtTranslator_ = std::move(translator);
    }
    ApplyLanguage();
}

// ---- Placement ----------------------------------------------------------------------------

void TFMHaupt::RestoreWindowState()
{
    const TWindowState window = konf_->ReadWindowState("FMHaupt");
    if (window.Maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        QRect bounds = geometry();
        if (window.Left >= 0)
            bounds.moveLeft(window.Left);
        if (window.Top >= 0)
            bounds.moveTop(window.Top);
        if (window.Width >= 0)
            bounds.setWidth(window.Width);
        if (window.Height >= 0)
            bounds.setHeight(window.Height);
        setGeometry(bounds);
    }
    const TWindowState memo = konf_->ReadWindowState("ME");
    if (memo.Height >= 0) {
        const int total = std::max(sp_->height(), geometry().height());
        sp_->setSizes({std::max(0, total - memo.Height), memo.Height});
    }
    const std::vector<std::string> columns = konf_->ReadColumns("LV");
    for (size_t i = 0; i < columns.size() && static_cast<int>(i) < lv_->columnCount(); ++i) {
        int width = -1;
        if (ReadInteger(columns[i], width) && width >= 0 && width <= 100000)
            lv_->setColumnWidth(static_cast<int>(i), width);
    }
}

QRect PlaceOnScreen(const QRect& window, const QRect& available, const QMargins& frame)
{
    if (available.isEmpty())
        return window;
    QRect placed = window;
    placed.setWidth(std::max(1, std::min(window.width(), available.width() - frame.left() - frame.right())));
    placed.setHeight(std::max(1, std::min(window.height(), available.height() - frame.top() - frame.bottom())));
    const QRect outer = placed.marginsAdded(frame);
    const QRect titleBar(outer.left(), outer.top(), outer.width(), frame.top());
    const QRect inside = outer.intersected(available);
    const qint64 outerArea = qint64(outer.width()) * outer.height();
    const qint64 insideArea = qint64(inside.width()) * inside.height();
    const bool titleBarOff = !available.contains(titleBar);
    const bool mostlyOff = 3 * (outerArea - insideArea) > outerArea;
    if (titleBarOff || mostlyOff || placed.size() != window.size()) {
        const QSize outerSize = placed.marginsAdded(frame).size();
        placed.moveTopLeft(QPoint(available.left() + frame.left() + (available.width() - outerSize.width()) / 2,
                                  available.top() + frame.top() + (available.height() - outerSize.height()) / 2));
    }
    return placed;
}

void TFMHaupt::KeepOnScreen()
{
    if (isMaximized())
        return;
    const QScreen* target = QGuiApplication::screenAt(geometry().center());
    if (!target)
        target = QGuiApplication::primaryScreen();
    if (!target)
        return;
    // The frame's real size is known once the window exists on the screen; until then
    // the style's title bar and a thin border stand in for it.
    QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (frame.isNull()) {
        const int border = 4;
        frame =
            QMargins(border, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this) + border, border, border);
    }
    setGeometry(PlaceOnScreen(geometry(), target->availableGeometry(), frame));
}

void TFMHaupt::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (std::exchange(placedOnShow_, true))
        return;
    // Once shown the frame is real: correct the placement made with its estimate.
    QTimer::singleShot(0, this, [this] { KeepOnScreen(); });
}

void TFMHaupt::StoreWindowState()
{
    TWindowState state;
    state.Maximized = isMaximized();
    const QRect bounds = isMaximized() ? normalGeometry() : geometry();
    state.Left = bounds.left();
    state.Top = bounds.top();
    state.Width = bounds.width();
    state.Height = bounds.height();
    konf_->WriteWindowState("FMHaupt", state);
    state.Height = me_->height();
    konf_->WriteWindowState("ME", state);
    std::vector<std::string> widths;
    for (int i = 0; i < lv_->columnCount(); ++i)
        widths.push_back(std::to_string(lv_->columnWidth(i)));
    konf_->WriteColumns("LV", widths);
}

void TFMHaupt::ReportSettingsError()
{
    const std::string error = konf_->TakeWriteError();
    if (!error.empty())
        MsgDlg(FormatMsg(Text("SettingsNotSavedMsg"), {error}), TMsgKind::Warning, {TMsgButton::OK});
}

// ---- Closing --------------------------------------------------------------------------------

bool TFMHaupt::ConfirmDiscard()
{
    if (!dokument_.Changed())
        return true;
    const std::string question = FormatMsg(Text("FileChangedMsg"), {PathForDisplay(dokument_.FileName())});
    switch (MsgDlg(question, TMsgKind::Confirmation, {TMsgButton::Yes, TMsgButton::No, TMsgButton::Cancel})) {
    case mrYes: return dokument_.Save() == TSaveResult::Saved;
    case mrNo: return true;
    default: return false;
    }
}

void TFMHaupt::closeEvent(QCloseEvent* event)
{
    if (!ConfirmDiscard()) {
        event->ignore();
        return;
    }
    StoreWindowState();
    ReportSettingsError();
    event->accept();
}

// ---- Commands -------------------------------------------------------------------------------

bool TFMHaupt::TemplateEditing() const
{
    return acVorlageBearbeiten_->isChecked();
}

void TFMHaupt::SetSpeicherDialog(TSpeicherDialog* dialog)
{
    dokument_.SetSpeicherDialog(dialog ? dialog : ownSaveDialog_.get());
}

void TFMHaupt::Open()
{
    if (!ConfirmDiscard())
        return;
    TOeffnenAnfrage request;
    request.Title = Text("OpenTitle");
    request.Filter = Text("OpenFilter");
    request.InitialDir = NearestExistingFolder(dokument_.FolderSetting("VerzeichnisDokumente"));
    request.DefaultExt = "XML";
    std::string fileName;
    if (!openDialog_ || !openDialog_(request, fileName))
        return;
    OpenFile(fileName);
    if (dokument_.RowCount() > 0)
        SelectRow(0);
    UpdateActions();
}

void TFMHaupt::OpenFile(const std::string& fileName)
{
    // Answers given to a template are saved as document data under its base name; in
    // template editing the opened file stays the file name.
    if (dokument_.LoadFile(fileName) && !TemplateEditing())
        dokument_.SetFileName(dokument_.DocumentDataName(dokument_.FileName()));
}

void TFMHaupt::OpenDropped(const std::string& fileName)
{
    if (!ConfirmDiscard())
        return;
    OpenFile(fileName);
    if (dokument_.RowCount() > 0)
        SelectRow(0);
    UpdateActions();
}

void TFMHaupt::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TFMHaupt::dropEvent(QDropEvent* event)
{
    const QString file = DroppedFile(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    // The question about unsaved changes must not run inside the drag and drop.
    const std::string name = QFile::encodeName(file).toStdString();
    QTimer::singleShot(0, this, [this, name] { RunCommand([this, &name] { OpenDropped(name); }); });
}

void TFMHaupt::EditSelected()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    QTreeWidgetItem* item = lv_->topLevelItem(row);
    const QRect rect = lv_->visualItemRect(item);
    const QPoint topLeft = lv_->viewport()->mapToGlobal(rect.topLeft());
    TScreenPoint position;
    position.X = topLeft.x() + lv_->columnWidth(0);
    position.Y = topLeft.y() + std::abs(2 * QFontMetrics(lv_->font()).height());
    const int width = lv_->columnWidth(1);
    // The document refreshes the row and marks the change when the edit is confirmed.
    dokument_.EditRow(row, TemplateEditing(), position, width);
    UpdateActions();
}

void TFMHaupt::OnSelectedOrBeep(void (TFMHaupt::*command)())
{
    if (SelectedRow() < 0)
        Beep();
    else
        (this->*command)();
}

void TFMHaupt::InsertField()
{
    const int row = dokument_.NewField(SelectedRow());
    SelectRow(row);
    UpdateActions();
}

void TFMHaupt::DeleteField()
{
    const int row = SelectedRow();
    if (row < 0 || !dokument_.DeleteField(row))
        return;
    SelectRow(row < dokument_.RowCount() ? row : -1);
    UpdateActions();
}

void TFMHaupt::GenerateDocument()
{
    // The session shows the busy cursor while it works (not over its messages).
    word_->GenerateDocument();
    ReportSettingsError();  // the session remembers the word processor's template folder
    UpdateActions();
}

void TFMHaupt::SetBusy(bool busy)
{
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (busyLevel_++ == 0)
            qApp->installEventFilter(inputBlocker_.get());
        return;
    }
    if (--busyLevel_ == 0) {
        // What came in during the wait is read and dropped before the window listens again.
        QCoreApplication::processEvents();
        qApp->removeEventFilter(inputBlocker_.get());
    }
    QApplication::restoreOverrideCursor();
}

TAntwortRahmen TFMHaupt::RequestFrame(const std::string& caption, int screenParts) const
{
    // A quarter of the window's width in from its left and top edges; a part of the screen wide.
    const QRect window = geometry();
    return {.Caption = caption,
            .X = window.left() + window.width() / 4,
            .Y = window.top() + window.width() / 4,
            .Width = screen()->geometry().width() / screenParts};
}

void TFMHaupt::ChangeTitle()
{
    TEingabeParams params{.Frame = RequestFrame(Text("DocTitle"), 4),
                          .Question = Text("TitleQuestion"),
                          .Answer = dokument_.Title(),
                          .MaxChar = 80};
    // The title is not part of the answers: changing it alone asks nothing at closing.
    if (TFMEingabe::Execute(params))
        dokument_.SetTitle(params.Answer);
}

void TFMHaupt::ChangeWordTemplate()
{
    std::string folder;
    std::vector<std::string> names;
    if (!ListWordTemplates(folder, names))
        return;
    TEingabeParams params{.Frame = RequestFrame(Text("WordTemplate"), 3),
                          .Question = Text("QuestionWTemplate"),
                          .Answer = dokument_.WordTemplate(),
                          .VList = names,
                          .MaxChar = 80};
    // A bare name: it is looked up in the word processor's own template folder.
    if (TFMEingabe::Execute(params))
        dokument_.SetWordTemplate(params.Answer);
}

void TFMHaupt::NewTemplate()
{
    // The new template replaces the list: unsaved answers or fields are asked about first.
    if (!ConfirmDiscard())
        return;
    std::string folder;
    std::vector<std::string> names;
    if (!ListWordTemplates(folder, names))
        return;
    const QRect window = geometry();
    std::string chosen = dokument_.WordTemplate();
    if (TFMListbox::ChooseFromList(Text("ChooseWordTemplate"), QColor(255, 255, 255),
                                   window.left() + window.width() / 4, window.top() + window.width() / 4, names,
                                   chosen) < 0)
        return;
    TBusyCursor busy;
    // A template the word processor cannot read leaves the list as it was (the message said why).
    const TWordSitzung::TBookmarkListe listed = word_->ListBookmarks(folder + chosen);
    if (!listed.Ok)
        return;
    const std::vector<std::string>& bookmarks = listed.Usable;
    dokument_.SetWordTemplate(folder + chosen);
    dokument_.ClearFields();
    dokument_.SetProvisionalFileName(dokument_.NewName() + ".TXL");
    for (const std::string& bookmark : bookmarks) {
        auto field = std::make_unique<TTAFeld>();
        field->ID = bookmark;
        field->Question = bookmark;
        dokument_.InsertField(-1, std::move(field));
    }
    dokument_.SetChanged(true);
    acVorlageBearbeiten_->setChecked(true);
    UpdateActions();
}

void TFMHaupt::ChooseLanguage()
{
    const QRect window = geometry();
    TListboxParams params{.Frame = {.X = window.left() + window.width() / 4,
                                    .Y = window.top() + window.height() / 3,
                                    .Width = screen()->geometry().width() / 4},
                          .Answer = konf_->GetLanguage(),
                          .VList = ListFiles(sprache_->Folder(), "*.SPR", false, false)};
    if (TFMListbox::Execute(params) < 0)
        return;
    konf_->SetLanguage(params.Answer);
    ReportSettingsError();
    LoadLanguage();
}

bool TFMHaupt::ListWordTemplates(std::string& folder, std::vector<std::string>& names)
{
    {
        TBusyCursor busy;
        names = word_->ListWordTemplates(folder);
    }
    if (!names.empty())
        return true;
    MsgDlg(FormatMsg(Text("NoWordTemplatesMsg"), {PathForDisplay(folder), MenuPath("HM4000", "A4020")}),
           TMsgKind::Information, {TMsgButton::OK});
    return false;
}

void TFMHaupt::ChooseFolderSetting(const std::string& key)
{
    const char* captionKey = key == "VerzeichnisVorlagen" ? "TemplateDir"
        : key == "VerzeichnisDokumente"                   ? "DocDir"
                                                          : "WordTemplateDir";
    std::string path = dokument_.FolderSetting(key);
    switch (ChooseFolder(Text(captionKey), path, GetText("Basics", "Default"))) {
    case kFolderChosen: konf_->SetDefault(key, path); break;
    case kFolderExtra: konf_->SetDefault(key, dokument_.DefaultFolder(key)); break;
    default: break;
    }
    ReportSettingsError();
}

void TFMHaupt::Beep()
{
    if (beep_)
        beep_();
}

void TFMHaupt::LVDblClick()
{
    OnSelectedOrBeep(&TFMHaupt::EditSelected);
}

bool TFMHaupt::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lv_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const auto modifiers = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        if (enter && modifiers == Qt::NoModifier) {
            RunCommand([this] { EditSelected(); });
            return true;
        }
    }
    if (watched == lv_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        RunCommand([this] { LVDblClick(); });
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFMHaupt::Log(const std::string& line)
{
    me_->appendPlainText(ToQString(line));
}

// ---- Enabling rules -----------------------------------------------------------------------

void TFMHaupt::UpdateActions()
{
    const bool editing = TemplateEditing();
    const bool selected = SelectedRow() >= 0;
    acDateiSpeichern_->setEnabled(!editing && dokument_.Changed());
    acDateiSpeichernUnter_->setEnabled(!editing);
    acBearbeiten_->setEnabled(!editing && selected);
    acDokument_->setEnabled(!editing && dokument_.RowCount() > 0);
    for (QAction* action : {acVorlageNeu_, acVorlageSpeichern_, acVorlageTitel_, acVorlageWord_, acNeuesFeld_})
        action->setEnabled(editing);
    acFeldBearbeiten_->setEnabled(editing && selected);
    acFeldLoeschen_->setEnabled(editing && selected);
}

// ---- The list -----------------------------------------------------------------------------

int TFMHaupt::SelectedRow() const
{
    const QList<QTreeWidgetItem*> selected = lv_->selectedItems();
    return selected.isEmpty() ? -1 : lv_->indexOfTopLevelItem(selected.first());
}

void TFMHaupt::SelectRow(int row)
{
    QTreeWidgetItem* item = lv_->topLevelItem(row);
    if (!item) {
        lv_->clearSelection();
        lv_->setCurrentItem(nullptr);
        return;
    }
    lv_->setCurrentItem(item);
    item->setSelected(true);
    lv_->scrollToItem(item);
}

void TFMHaupt::ShowRow(int row)
{
    QTreeWidgetItem* item = lv_->topLevelItem(row);
    if (!item)
        return;
    item->setText(0, ToQString(dokument_.QuestionText(row)));
    item->setText(1, ToQString(dokument_.AnswerText(row)));
}

void TFMHaupt::FillList()
{
    lv_->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(dokument_.RowCount());
    for (int row = 0; row < dokument_.RowCount(); ++row) {
        auto* item = new QTreeWidgetItem;
        item->setText(0, ToQString(dokument_.QuestionText(row)));
        item->setText(1, ToQString(dokument_.AnswerText(row)));
        items.append(item);
    }
    lv_->addTopLevelItems(items);
}

void TFMHaupt::RowsReset()
{
    FillList();
    UpdateActions();
}

void TFMHaupt::RowInserted(int row)
{
    lv_->insertTopLevelItem(row, new QTreeWidgetItem);
    ShowRow(row);
}

void TFMHaupt::RowRemoved(int row)
{
    std::unique_ptr<QTreeWidgetItem> removed(lv_->takeTopLevelItem(row));
}

void TFMHaupt::RowChanged(int row)
{
    ShowRow(row);
}

void TFMHaupt::TitleChanged()
{
    // "[*]" marks where the modified marker goes; a title's own "[*]" is doubled to show.
    setWindowTitle(ToQString(dokument_.Title()).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")) +
                   QStringLiteral("[*]"));
}

void TFMHaupt::StateChanged()
{
    setWindowModified(dokument_.Changed());
    UpdateActions();
}
