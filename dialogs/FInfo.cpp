#include "dialogs/FInfo.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <cmath>

#include "dialogs/UQtText.h"

namespace {

constexpr int kIconSize = 32;

// number * numerator / denominator, rounded to the nearest integer.
int MulDiv(int number, int numerator, int denominator)
{
    return static_cast<int>(std::lround(static_cast<double>(number) * numerator / denominator));
}

// Tabs become blanks up to the next multiple of eight columns, so the text measures
// and shows alike (a label has no tab stops of its own).
QString ExpandTabs(const QString& text)
{
    QString out;
    int column = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('\t')) {
            const int blanks = 8 - column % 8;
            out.append(QString(blanks, QLatin1Char(' ')));
            column += blanks;
            continue;
        }
        out.append(c);
        column = c == QLatin1Char('\n') ? 0 : column + 1;
    }
    return out;
}

QStyle::StandardPixmap IconOf(TMsgKind kind)
{
    switch (kind) {
    case TMsgKind::Warning: return QStyle::SP_MessageBoxWarning;
    case TMsgKind::Error: return QStyle::SP_MessageBoxCritical;
    case TMsgKind::Information: return QStyle::SP_MessageBoxInformation;
    case TMsgKind::Confirmation: return QStyle::SP_MessageBoxQuestion;
    case TMsgKind::Custom: break;
    }
    return QStyle::SP_CustomBase;
}

QString TitleOf(TMsgKind kind)
{
    const char* key = MsgKindTitleKey(kind);
    if (!key || !*key)
        return QGuiApplication::applicationDisplayName();
    return ToQString(GetText("Basics", key));
}

QRect ScreenGeometry()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

}  // namespace

TFMInfo::TFMInfo(const std::string& text, TMsgKind kind, TMsgButtons buttons, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , image_(new QLabel(this))
    , info_(new QLabel(this))
{
    setModal(true);
    image_->setObjectName(QStringLiteral("IMDlgTyp"));
    info_->setObjectName(QStringLiteral("LAInfo"));
    info_->setWordWrap(true);
    info_->setTextFormat(Qt::PlainText);
    info_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    info_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    setFont(QApplication::font("QMessageBox"));
    const QFontMetrics metrics(font());
    const int w = metrics.horizontalAdvance(QStringLiteral("nWi")) / 3;
    const int h = metrics.height();
    const int hMargin = MulDiv(8, w, 4);
    const int vMargin = MulDiv(8, h, 8);
    const int hSpacing = MulDiv(10, w, 4);
    const int vSpacing = MulDiv(10, h, 8);
    const int buttonWidth = MulDiv(50, w, 4);
    const int buttonHeight = MulDiv(14, h, 8);
    const int buttonSpacing = MulDiv(5, w, 4);

    int count = 0;
    for (int code = 0; code < kMsgButtonCount; ++code)
        count += buttons.Contains(static_cast<TMsgButton>(code)) ? 1 : 0;
    const int groupWidth = buttonWidth * count + buttonSpacing * std::max(0, count - 1);

    const QString message = ExpandTabs(ToDisplayLines(text));
    const QRect needed = metrics.boundingRect(QRect(0, 0, ScreenGeometry().width() / 2, 0),
                                              Qt::TextWordWrap | Qt::TextExpandTabs, message);
    info_->setText(message);
    const int textWidth = hSpacing + needed.width();
    // The label lays text out on its own; never give it less height than it needs.
    const int textHeight = std::max({kIconSize, needed.height(), info_->heightForWidth(textWidth)});

    const QStyle::StandardPixmap icon = IconOf(kind);
    if (icon != QStyle::SP_CustomBase) {
        image_->setPixmap(style()->standardIcon(icon).pixmap(kIconSize, kIconSize));
        image_->setGeometry(hMargin, vMargin, kIconSize, kIconSize);
    } else {
        image_->hide();
    }

    const int clientWidth = std::max(hSpacing + kIconSize + textWidth, groupWidth) + 2 * hMargin;
    const int clientHeight = textHeight + buttonHeight + vSpacing + 2 * vMargin;
    setWindowTitle(TitleOf(kind));
    info_->setGeometry(hMargin + kIconSize + hSpacing, vMargin, textWidth, textHeight);

    const QRect row(clientWidth - groupWidth - hMargin, clientHeight - vMargin - buttonHeight, groupWidth,
                    buttonHeight);
    AddButtons(buttons, row, buttonWidth, buttonSpacing);
    setFixedSize(clientWidth, clientHeight);
    move(ScreenGeometry().center() - QPoint(clientWidth / 2, clientHeight / 2));
}

void TFMInfo::AddButtons(TMsgButtons buttons, QRect area, int buttonWidth, int spacing)
{
    const TMsgButton defaultButton = MsgDefaultButton(buttons);
    const TMsgButton cancelButton = MsgCancelButton(buttons);
    int x = area.left();
    for (int code = 0; code < kMsgButtonCount; ++code) {
        const auto button = static_cast<TMsgButton>(code);
        if (!buttons.Contains(button))
            continue;
        auto* push = new QPushButton(ToQString(GetText("Basics", MsgButtonName(button))), this);
        push->setObjectName(QString::fromLatin1(MsgButtonName(button)));
        push->setGeometry(x, area.top(), buttonWidth, area.height());
        const int result = MsgButtonResult(button);
        // A button without a result (Help) leaves the dialog open.
        connect(push, &QPushButton::clicked, this, [this, result] {
            if (result != mrNone)
                done(result);
        });
        if (button == defaultButton) {
            push->setDefault(true);
            push->setFocus();
        }
        if (button == cancelButton)
            cancelButton_ = push;
        x += buttonWidth + spacing;
    }
}

void TFMInfo::reject()
{
    done(mrCancel);
}

void TFMInfo::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (cancelButton_)
            cancelButton_->click();
        else
            reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

int TFMInfo::MsgDlg(const std::string& text, TMsgKind kind, TMsgButtons buttons, int /*helpContext*/)
{
    TFMInfo dialog(text, kind, buttons, QApplication::activeWindow());
    return dialog.exec();
}

int TQtMeldungen::MsgDlg(const std::string& text, TMsgKind kind, TMsgButtons buttons, int helpContext)
{
    return TFMInfo::MsgDlg(text, kind, buttons, helpContext);
}

void TQtMeldungen::StockMessage(const std::string& text, TStockIcon icon)
{
    QMessageBox box(icon == TStockIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                    QGuiApplication::applicationDisplayName(), ToQString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}
