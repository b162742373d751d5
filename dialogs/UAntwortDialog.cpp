#include "dialogs/UAntwortDialog.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>

#include "config/USprache.h"
#include "dialogs/FHilfe.h"
#include "dialogs/UQtText.h"

namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const std::string& caption)
{
    auto* button = new QPushButton(ToQString(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFixedSize(TAntwortDialog::ButtonWidth, TAntwortDialog::ButtonHeight);
    return button;
}

QPushButton* MakeSizeButton(QWidget* parent, const char* name, QStyle::StandardPixmap glyph)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFixedSize(20, 20);
    button->setIcon(parent->style()->standardIcon(glyph));
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

TAntwortDialog::TAntwortDialog(QWidget* parent, bool withSizeButtons)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , question_(new QLabel(this))
    , ok_(MakeButton(this, "BTOk", GetText("Basics", "OK")))
    , cancel_(MakeButton(this, "BTAbbrechen", GetText("Basics", "Cancel")))
    , helpButton_(MakeButton(this, "BTHilfe", GetText("Basics", "HelpF1")))
{
    setModal(true);
    question_->setObjectName(QStringLiteral("LAFrage"));
    question_->setWordWrap(true);
    question_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    question_->setAutoFillBackground(true);
    question_->setTextFormat(Qt::PlainText);
    QPalette tip = question_->palette();
    tip.setColor(QPalette::Window, tip.color(QPalette::ToolTipBase));
    tip.setColor(QPalette::WindowText, tip.color(QPalette::ToolTipText));
    question_->setPalette(tip);

    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &TAntwortDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &TAntwortDialog::reject);
    connect(helpButton_, &QPushButton::clicked, this, &TAntwortDialog::ShowHelp);
    helpButton_->setEnabled(false);
    if (withSizeButtons) {
        normal_ = MakeSizeButton(this, "BTNormal", QStyle::SP_TitleBarNormalButton);
        maximal_ = MakeSizeButton(this, "BTMaximal", QStyle::SP_TitleBarMaxButton);
        connect(normal_, &QPushButton::clicked, this, &QWidget::showNormal);
        connect(maximal_, &QPushButton::clicked, this, &QWidget::showMaximized);
    }
}

void TAntwortDialog::SetupFrame(const TAntwortRahmen& frame, bool keepDefaultOnMinusOne)
{
    SetCaption(frame.Caption);
    SetPosition(frame.X, frame.Y, keepDefaultOnMinusOne);
    FitToScreen(frame.Width);
    SetHelp(frame.Help, frame.HelpFolder);
}

void TAntwortDialog::SetCaption(const std::string& caption)
{
    setWindowTitle(ToQString(caption));
}

void TAntwortDialog::SetQuestion(const std::string& question)
{
    question_->setText(ToDisplayLines(question));
}

void TAntwortDialog::SetHelp(const std::string& help, const std::string& folder)
{
    help_ = help;
    helpFolder_ = folder;
    helpButton_->setEnabled(!help_.empty());
}

void TAntwortDialog::SetPosition(int x, int y, bool keepDefaultOnMinusOne)
{
    if (keepDefaultOnMinusOne && x == -1 && y == -1)
        return;
    move(x, y);
    positioned_ = true;
}

QRect TAntwortDialog::ScreenArea() const
{
    const QScreen* screen = positioned_ ? QGuiApplication::screenAt(pos()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

int TAntwortDialog::ContentWidth() const
{
    return std::max(0, width() - ButtonColumnWidth - Margin);
}

void TAntwortDialog::FitToScreen(int wished)
{
    const QRect screen = ScreenArea();
    const int windowWidth = wished > screen.width() ? screen.width() : std::max(wished, MinimumWidth());
    resize(windowWidth, height());

    int labelHeight = question_->height();
    if (WrapsQuestion()) {
        question_->setWordWrap(true);
        labelHeight = question_->heightForWidth(ContentWidth());
        if (labelHeight < 0)
            labelHeight = question_->sizeHint().height();
    }
    question_->setGeometry(Margin, LabelTop, ContentWidth(), labelHeight);
    const int windowHeight = std::max(ContentHeight(LabelBottom()), FloorHeight());

    QPoint corner = pos();
    if (!positioned_) {
        const QWidget* owner = parentWidget() ? parentWidget()->window() : QApplication::activeWindow();
        const QRect around = owner && owner != this ? owner->frameGeometry() : screen;
        corner = around.center() - QPoint(windowWidth / 2, windowHeight / 2);
    }
    if (corner.x() + windowWidth > screen.right() + 1)
        corner.setX(screen.right() + 1 - windowWidth);
    if (corner.y() + windowHeight > screen.bottom() + 1)
        corner.setY(screen.bottom() + 1 - windowHeight - screen.height() / 10);
    // A dialog taller than nine tenths of the screen would otherwise lose its top,
    // and with it the question, off the screen.
    corner.setX(std::max(corner.x(), screen.left()));
    corner.setY(std::max(corner.y(), screen.top()));
    setGeometry(QRect(corner, QSize(windowWidth, windowHeight)));
    PlaceButtons();
    PlaceContent(LabelBottom());
    AfterFit();
}

void TAntwortDialog::Anchor(QWidget* control)
{
    anchored_ = control;
    const QRect g = control->geometry();
    anchorMargins_ = QMargins(g.left(), g.top(), width() - g.right() - 1, height() - g.bottom() - 1);
}

int TAntwortDialog::LabelBottom() const
{
    return LabelTop + question_->height();
}

void TAntwortDialog::PlaceButtons()
{
    const int left = width() - ButtonColumnWidth + (ButtonColumnWidth - ButtonWidth) / 2;
    int top = Margin;
    if (normal_ && maximal_) {
        normal_->move(left, top);
        maximal_->move(left + ButtonWidth - maximal_->width(), top);
        top += normal_->height() + Margin;
    }
    for (QPushButton* button : {ok_, cancel_, helpButton_}) {
        button->move(left, top);
        top += ButtonHeight + 6;
    }
}

void TAntwortDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    PlaceButtons();
    question_->resize(ContentWidth(), question_->height());
    if (anchored_)
        anchored_->setGeometry(QRect(0, 0, width(), height()).marginsRemoved(anchorMargins_));
    else
        PlaceContent(LabelBottom());
}

void TAntwortDialog::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QPen(Qt::red, 1));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TAntwortDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        ShowHelp();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TAntwortDialog::ShowHelp()
{
    if (!help_.empty())
        OpenFieldHelp(help_, helpFolder_);
}

void TAntwortDialog::accept()
{
    if (CheckInput())
        QDialog::accept();
}

void TAntwortDialog::StyleInput(QWidget* control, const QColor& colour)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, colour);
    control->setPalette(palette);
}
