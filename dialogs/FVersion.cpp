#include "dialogs/FVersion.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/USprache.h"
#include "dialogs/UQtText.h"

namespace {

// The contact lines: the publisher's name and place, then the lines of "Comments".
QString ContactLines(const TVInfos& infos)
{
    QStringList lines;
    for (const std::string& part : {infos.Value("CompanyName"), infos.Value("Comments")})
        if (!part.empty())
            lines << ToQString(part).split('\n');
    return lines.join('\n');
}

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 64.0, size / 64.0);
        p.setPen(QPen(QColor(0x3c, 0x3c, 0x3c), 2));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(12, 4, 40, 56), 3, 3);
        p.setPen(QPen(QColor(0xc8, 0x1e, 0x1e), 1.5));
        p.setBrush(QColor(0xff, 0xff, 0xcc));
        p.drawRect(QRectF(18, 14, 28, 6));
        p.drawRect(QRectF(18, 28, 28, 6));
        p.setPen(QPen(QColor(0x28, 0x5a, 0xb4), 2.5));
        p.drawLine(QLineF(18, 44, 46, 44));
        p.drawLine(QLineF(18, 51, 38, 51));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

TFMVersion::TFMVersion(const TVInfos& infos, QWidget* parent) : QDialog(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("FMVersion"));
    setWindowTitle(QStringLiteral("Information"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("IMIcon"));
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    icon->setFixedSize(32, 32);
    QLabel* description = AddLabel(this, "LABeschreibung", "  " + QApplication::applicationName());
    QFont titleFont = description->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    description->setFont(titleFont);
    QLabel* version = AddLabel(this, "LADateiVersion",
                               ToQString(GetText("FMVersion", "LAVersion") + " : " + infos.Value("FileVersion")));
    QLabel* copyright = AddLabel(this, "LACopyright", ToQString("Copyright : " + infos.Value("LegalCopyright")));

    // The contact lines in a light-blue frame with a small red square at its left.
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("SHRahmen"));
    frame->setStyleSheet(QStringLiteral("#SHRahmen { border: 2px solid rgb(166, 202, 240); }"));
    auto* square = new QFrame(frame);
    square->setObjectName(QStringLiteral("Shape1"));
    square->setFixedSize(10, 10);
    square->setStyleSheet(QStringLiteral("background-color: rgb(200, 30, 30);"));
    QLabel* contact = AddLabel(frame, "MEHersteller", ContactLines(infos));
    contact->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* frameLayout = new QHBoxLayout(frame);
    frameLayout->addWidget(square, 0, Qt::AlignVCenter);
    frameLayout->addStretch();
    frameLayout->addWidget(contact);

    auto* ok = new QPushButton(ToQString(GetText("Basics", "OK")), this);
    ok->setObjectName(QStringLiteral("BTOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* title = new QHBoxLayout;
    title->addWidget(icon);
    title->addWidget(description, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(5 + 6, 5 + 6, 5 + 6, 5 + 6);
    layout->addLayout(title);
    layout->addSpacing(6);
    layout->addWidget(version);
    layout->addWidget(copyright);
    layout->addSpacing(6);
    layout->addWidget(frame);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ShowAbout()
{
    auto read = [] {
        TVInfos infos;  // lives only while the box is filled
        infos.Lesen();
        return infos;
    };
    TFMVersion box(read(), QApplication::activeWindow());
    box.exec();
}
