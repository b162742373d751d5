#include "dialogs/FEditor.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

#include "config/USprache.h"
#include "dialogs/FHilfe.h"
#include "dialogs/FListbox.h"
#include "dialogs/FMemo.h"
#include "dialogs/UDateiDialog.h"
#include "dialogs/UProgrammHilfe.h"
#include "dialogs/UQtText.h"
#include "env/UDateien.h"

namespace {

constexpr int kDesignedWidth = 672;
constexpr int kDesignedHeight = 517;
constexpr int kLabelColumn = 120;
constexpr int kButtonColumn = 100;
constexpr int kTypeCount = 7;
// The designed captions of the seven types, in code order.
constexpr const char* kDesignedTypes[kTypeCount] = {"Text", "Memo", "Ganze Zahl", "Zahl", "Datum", "Zeit", "Auswahl"};

std::string Text(const char* key)
{
    return GetText("FMEditor", key);
}

template <class T>
T* Named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QRect ScreenGeometry(const QWidget* widget)
{
    const QScreen* screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

// The lines of a text as values, one per line; an empty last line is no value.
std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& values)
{
    // Every value ends its line, so an empty last value survives the way back.
    std::string text;
    for (const std::string& value : values)
        text += value + "\r\n";
    return text;
}

}  // namespace

TFMEditor::TFMEditor(QWidget* parent)
    : QDialog(parent)
    , working_(std::make_unique<TTAFeld>())
    , laID_(Named(new QLabel(this), "LAID"))
    , edID_(Named(new QLineEdit(this), "EDID"))
    , laTyp_(Named(new QLabel(this), "LATyp"))
    , rgTyp_(Named(new QGroupBox(this), "RGTyp"))
    , typeButtons_(new QButtonGroup(this))
    , pc_(Named(new QTabWidget(this), "PC"))
    , tsFrage_(Named(new QWidget(pc_), "TSFrage"))
    , tsVorgabe_(Named(new QWidget(pc_), "TSVorgabe"))
    , meFrage_(Named(new QPlainTextEdit(tsFrage_), "MEFrage"))
    , meVorgabe_(Named(new QPlainTextEdit(tsVorgabe_), "MEVorgabe"))
    , laMinMax_(Named(new QLabel(this), "LAMinMax"))
    , edMinimum_(Named(new QLineEdit(this), "EDMinimum"))
    , edMaximum_(Named(new QLineEdit(this), "EDMaximum"))
    , laMaxZ_(Named(new QLabel(this), "LAMaxZ"))
    , edMaxZeichen_(Named(new QLineEdit(this), "EDMaxZeichen"))
    , laZeichen_(Named(new QLabel(this), "LAZeichen"))
    , edMaxZeilen_(Named(new QLineEdit(this), "EDMaxZeilen"))
    , laZeilen_(Named(new QLabel(this), "LAZeilen"))
    , laAuswahl_(Named(new QLabel(this), "LAAuswahl"))
    , btAuswahl_(Named(new QPushButton(QStringLiteral("..."), this), "BTAuswahl"))
    , laFormat_(Named(new QLabel(this), "LAFormat"))
    , edFormat_(Named(new QLineEdit(this), "EDFormat"))
    , btFormat_(Named(new QPushButton(QStringLiteral("..."), this), "BTFormat"))
    , laHilfe_(Named(new QLabel(this), "LAHilfe"))
    , btHilfeText_(Named(new QPushButton(this), "BTHilfeText"))
    , btHilfeDatei_(Named(new QPushButton(this), "BTHilfeDatei"))
    , btOk_(Named(new QPushButton(this), "BTOk"))
    , btAbbrechen_(Named(new QPushButton(this), "BTAbbrechen"))
    , btHilfe_(Named(new QPushButton(this), "BTHilfe"))
{
    setObjectName(QStringLiteral("FMEditor"));
    resize(kDesignedWidth, kDesignedHeight);

    auto* types = new QGridLayout(rgTyp_);
    for (int type = 0; type < kTypeCount; ++type) {
        auto* button = new QRadioButton(rgTyp_);
        button->setObjectName(QStringLiteral("RGTyp%1").arg(type));
        typeButtons_->addButton(button, type);
        types->addWidget(button, type % 4, type / 4);  // two columns
    }
    connect(typeButtons_, &QButtonGroup::idClicked, this, [this] { UpdateControls(); });

    for (auto [page, memo] : {std::pair{tsFrage_, meFrage_}, std::pair{tsVorgabe_, meVorgabe_}}) {
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        memo->setTabChangesFocus(true);
        auto* pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(2, 2, 2, 2);
        pageLayout->addWidget(memo);
        pc_->addTab(page, QString());
    }

    // Labels on the left, controls in the middle, OK, Cancel and Help on the right.
    auto* grid = new QGridLayout;
    grid->setColumnMinimumWidth(0, kLabelColumn);
    auto addRow = [grid](int row, QLabel* label, std::initializer_list<QWidget*> controls, bool stretch = true) {
        if (label)
            grid->addWidget(label, row, 0, Qt::AlignLeft | Qt::AlignTop);
        auto* line = new QHBoxLayout;
        for (QWidget* control : controls)
            line->addWidget(control);
        if (stretch)
            line->addStretch();
        grid->addLayout(line, row, 1);
    };
    addRow(0, laID_, {edID_}, false);
    addRow(1, laTyp_, {rgTyp_}, false);
    grid->addWidget(pc_, 2, 1);
    grid->setRowStretch(2, 1);
    addRow(3, laMinMax_, {edMinimum_, edMaximum_});
    addRow(4, laMaxZ_, {edMaxZeichen_, laZeichen_, edMaxZeilen_, laZeilen_});
    addRow(5, laAuswahl_, {btAuswahl_});
    addRow(6, laFormat_, {edFormat_, btFormat_});
    addRow(7, laHilfe_, {btHilfeText_, btHilfeDatei_});
    for (QLineEdit* edit : {edMinimum_, edMaximum_, edFormat_})
        edit->setFixedWidth(160);
    for (QLineEdit* edit : {edMaxZeichen_, edMaxZeilen_})
        edit->setFixedWidth(70);
    for (QPushButton* dots : {btAuswahl_, btFormat_})
        dots->setFixedWidth(32);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {btOk_, btAbbrechen_, btHilfe_}) {
        button->setFixedWidth(kButtonColumn - 20);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addSpacing(10);
    layout->addLayout(buttons);

    setTabOrder(edID_, rgTyp_);
    QWidget* order[] = {edID_,        rgTyp_,     pc_,       edMinimum_, edMaximum_,   edMaxZeichen_,
                        edMaxZeilen_, btAuswahl_, edFormat_, btFormat_,  btHilfeText_, btHilfeDatei_};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    btOk_->setDefault(true);
    connect(btOk_, &QPushButton::clicked, this, &TFMEditor::accept);
    connect(btAbbrechen_, &QPushButton::clicked, this, &TFMEditor::reject);
    connect(btHilfe_, &QPushButton::clicked, this, [] { ShowHelpTopic("editor.htm"); });
    connect(btAuswahl_, &QPushButton::clicked, this, [this] { BTAuswahlClick(); });
    connect(btHilfeText_, &QPushButton::clicked, this, [this] { BTHilfeTextClick(); });
    connect(btHilfeDatei_, &QPushButton::clicked, this, [this] { BTHilfeDateiClick(); });
    connect(btFormat_, &QPushButton::clicked, this, [this] { BTFormatClick(); });
    ApplyLanguage();
}

TFMEditor::~TFMEditor() = default;

void TFMEditor::ApplyLanguage()
{
    setWindowTitle(ToQString(Text("Caption")));
    for (auto [label, key] : {std::pair{laID_, "LAID"},
                              {laTyp_, "LATyp"},
                              {laMinMax_, "LAMinMax"},
                              {laMaxZ_, "LAMaxZ"},
                              {laZeichen_, "LAZeichen"},
                              {laZeilen_, "LAZeilen"},
                              {laAuswahl_, "LAAuswahl"},
                              {laFormat_, "LAFormat"},
                              {laHilfe_, "LAHilfe"}})
        label->setText(ToQString(Text(key)));
    pc_->setTabText(0, ToQString(Text("TSFrage")));
    pc_->setTabText(1, ToQString(Text("TSVorgabe")));
    btHilfeText_->setText(ToQString(Text("BTText")));
    btHilfeDatei_->setText(ToQString(Text("BTDatei")));
    btOk_->setText(ToQString(GetText("Basics", "OK")));
    btAbbrechen_->setText(ToQString(GetText("Basics", "Cancel")));
    btHilfe_->setText(ToQString(GetText("Basics", "HelpF1")));
    // The language's type captions only when it has all seven.
    const QStringList captions = ToDisplayLines(Text("RGTyp")).split('\n');
    for (int type = 0; type < kTypeCount; ++type)
        typeButtons_->button(type)->setText(captions.size() == kTypeCount ? captions[type]
                                                                          : QString::fromLatin1(kDesignedTypes[type]));
}

bool TFMEditor::Execute(TTAFeld& field, const std::string& helpFolder)
{
    TFMEditor editor(QApplication::activeWindow());
    editor.helpFolder_ = helpFolder;
    editor.LoadFromField(field);
    if (editor.exec() != QDialog::Accepted)
        return false;
    field.Assign(editor.Working());
    return true;
}

void TFMEditor::LoadFromField(const TTAFeld& field)
{
    working_ = field.Clone();
    const TEditorEingabe shown = EditorInputOf(*working_);
    minTexts_ = {};
    maxTexts_ = {};
    formatTexts_ = {};
    formatTexts_[ftDatum] = "dd.mm.yyyy";
    formatTexts_[ftZeit] = "hh:nn";
    const int type = working_->Type >= 0 && working_->Type < kTypeCount ? working_->Type : ftString;
    previousType_ = type;
    SelectType(type);
    edID_->setText(ToQString(shown.ID));
    meFrage_->setPlainText(ToDisplayLines(shown.Question));
    meVorgabe_->setPlainText(ToDisplayLines(shown.Default));
    edMinimum_->setText(ToQString(shown.Minimum));
    edMaximum_->setText(ToQString(shown.Maximum));
    edMaxZeichen_->setText(ToQString(shown.MaxChar));
    edMaxZeilen_->setText(ToQString(shown.MaxRow));
    edFormat_->setText(ToQString(shown.Format));
    UpdateControls();
}

int TFMEditor::SelectedType() const
{
    const int type = typeButtons_->checkedId();
    return type >= 0 ? type : ftString;
}

void TFMEditor::SelectType(int type)
{
    if (QAbstractButton* button = typeButtons_->button(type))
        button->setChecked(true);
}

void TFMEditor::UpdateControls()
{
    // What the edits show belongs to the type shown so far; the new type gets its own back.
    auto keep = [](QLineEdit* edit, std::string& text) { FromQString(edit->text(), text); };
    keep(edMinimum_, minTexts_[previousType_]);
    keep(edMaximum_, maxTexts_[previousType_]);
    keep(edFormat_, formatTexts_[previousType_]);
    const int type = SelectedType();
    previousType_ = type;
    edMinimum_->setText(ToQString(minTexts_[type]));
    edMaximum_->setText(ToQString(maxTexts_[type]));
    edFormat_->setText(ToQString(formatTexts_[type]));

    const bool limits = TTAFeld::HasLimits(type);
    edMinimum_->setEnabled(limits);
    edMaximum_->setEnabled(limits);
    edMaxZeilen_->setEnabled(TTAFeld::HasRows(type));
    btAuswahl_->setEnabled(TTAFeld::HasValueList(type));
    edFormat_->setEnabled(TTAFeld::HasFormat(type));
    btFormat_->setEnabled(TTAFeld::HasFormat(type));
    // A disabled edit shows grey, so it reads as "not for this type" at a glance.
    for (QLineEdit* edit : {edMinimum_, edMaximum_, edMaxZeilen_, edFormat_}) {
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Disabled, QPalette::Base, palette.color(QPalette::Disabled, QPalette::Text));
        palette.setColor(QPalette::Active, QPalette::Base,
                         QApplication::palette().color(QPalette::Active, QPalette::Base));
        palette.setColor(QPalette::Inactive, QPalette::Base,
                         QApplication::palette().color(QPalette::Inactive, QPalette::Base));
        edit->setPalette(palette);
        edit->setAutoFillBackground(true);
    }
}

bool TFMEditor::ReadInput(TEditorEingabe& input) const
{
    input.Type = SelectedType();
    return TakeTypedText(edID_->text(), input.ID) && TakeTypedText(meFrage_->toPlainText(), input.Question, true) &&
        TakeTypedText(meVorgabe_->toPlainText(), input.Default, true) &&
        TakeTypedText(edMinimum_->text(), input.Minimum) && TakeTypedText(edMaximum_->text(), input.Maximum) &&
        TakeTypedText(edMaxZeichen_->text(), input.MaxChar) && TakeTypedText(edMaxZeilen_->text(), input.MaxRow) &&
        TakeTypedText(edFormat_->text(), input.Format);
}

void TFMEditor::accept()
{
    TEditorEingabe input;
    if (!ReadInput(input))
        return;
    const std::vector<TEingabeMeldung> messages = CheckEditorInput(input, working_->VList);
    for (const TEingabeMeldung& message : messages)
        MsgDlg(message.Text(), message.Kind, {TMsgButton::OK});
    if (!messages.empty())
        return;
    WriteEditorInput(input, *working_);
    QDialog::accept();
}

void TFMEditor::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        ShowHelpTopic("editor.htm");
        return;
    }
    QDialog::keyPressEvent(event);
}

QPoint TFMEditor::BesideButton(const QWidget* button) const
{
    return button->mapToGlobal(QPoint(button->width(), -6 * button->height()));
}

void TFMEditor::BTAuswahlClick()
{
    const QRect screen = ScreenGeometry(this);
    TMemoParams params{.Frame = {.X = screen.width() / 4, .Y = screen.height() / 4, .Width = screen.width() / 2},
                       .Question = Text("SelectionMsg"),
                       .Answer = JoinLines(working_->VList),
                       .MaxRow = 10,
                       .MaxChar = 0};
    if (TFMMemo::Execute(params))
        working_->VList = SplitLines(params.Answer);
}

void TFMEditor::BTHilfeTextClick()
{
    const QPoint at = BesideButton(btHilfeText_);
    TMemoParams params{.Frame = {.X = at.x(), .Y = at.y(), .Width = ScreenGeometry(this).width() / 2},
                       .Question = Text("HelpMsg"),
                       .Answer = working_->Help,
                       .MaxRow = 20,
                       .MaxChar = 2000};
    if (TFMMemo::Execute(params))
        working_->Help = params.Answer;
}

void TFMEditor::BTHilfeDateiClick()
{
    TDateiDialogAnfrage request;
    request.Title = Text("OpenHelp");
    request.Filter = Text("OpenHelpFilter");
    // A help file usually lies beside the template; a named one is proposed again.
    std::string folder;
    FolderOf(working_->Help, helpFolder_, folder);
    request.InitialDir = folder;
    request.FileName = working_->Help.substr(working_->Help.find_last_of('/') + 1);
    auto dialog = MakeFileDialog(this, request, "ODHilfe");
    std::string chosen;
    if (ExecFileDialog(*dialog, chosen))
        working_->Help = chosen;
}

void TFMEditor::BTFormatClick()
{
    const QPoint at = BesideButton(btFormat_);
    TListboxParams params{.Frame = {.X = at.x(), .Y = at.y(), .Width = ScreenGeometry(this).width() / 4},
                          .VList = TTAFeld::FormatChoices(previousType_)};
    FromQString(edFormat_->text(), params.Answer);
    if (TFMListbox::Execute(params) >= 0)
        edFormat_->setText(ToQString(params.Answer));
}
