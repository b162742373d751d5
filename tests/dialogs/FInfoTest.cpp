#include "dialogs/FInfo.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include "DialogTest.h"

namespace {

class InfoTest : public DialogTest {
protected:
    static void PressKey(QWidget* widget, int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(widget, &press);
    }
    static QPushButton* Button(const TFMInfo& dialog, const char* name) { return Child<QPushButton>(&dialog, name); }
    static int ScreenWidth() { return QGuiApplication::primaryScreen()->geometry().width(); }
};

struct TButtonCase {
    TMsgButtons Buttons;
    std::vector<const char*> Order;  // left to right
    const char* Default;             // nullptr: none
    int OnEscape;
};

TEST_F(InfoTest, ButtonsAreLaidOutInOrderWithTheirDefaultAndCancelButton)
{
    const TButtonCase cases[] = {
        {{TMsgButton::OK}, {"OK"}, "OK", mrOk},
        {{TMsgButton::Cancel, TMsgButton::OK}, {"OK", "Cancel"}, "OK", mrCancel},
        {{TMsgButton::Cancel, TMsgButton::No, TMsgButton::Yes}, {"Yes", "No", "Cancel"}, "Yes", mrCancel},
        {{TMsgButton::Yes, TMsgButton::No}, {"Yes", "No"}, "Yes", mrNo},
        {{TMsgButton::No}, {"No"}, nullptr, mrNo},  // the default would be Retry
        {{TMsgButton::Abort, TMsgButton::Retry, TMsgButton::Ignore}, {"Abort", "Retry", "Ignore"}, "Retry", mrCancel},
    };
    for (const TButtonCase& c : cases) {
        TFMInfo dialog("Message", TMsgKind::Confirmation, c.Buttons);
        const QList<QPushButton*> buttons = dialog.findChildren<QPushButton*>();
        ASSERT_EQ(buttons.size(), static_cast<qsizetype>(c.Order.size()));
        int lastX = -1;
        for (const char* name : c.Order) {
            QPushButton* button = Button(dialog, name);
            ASSERT_NE(button, nullptr);
            EXPECT_GT(button->x(), lastX) << name;
            lastX = button->x();
            EXPECT_EQ(button->isDefault(), c.Default && std::string(c.Default) == name) << name;
        }
        // The row ends at the right margin, the same distance as the text from the left.
        const QPushButton* last = Button(dialog, c.Order.back());
        EXPECT_EQ(dialog.width() - last->geometry().right() - 1, Child<QLabel>(&dialog, "IMDlgTyp")->x());

        dialog.show();
        PressKey(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), c.OnEscape) << c.Order.front();
    }
}

TEST_F(InfoTest, EachButtonReturnsItsResultButHelpDoesNotClose)
{
    const std::pair<const char*, int> results[] = {
        {"Yes", mrYes},     {"No", mrNo},         {"OK", mrOk},   {"Cancel", mrCancel},   {"Abort", mrAbort},
        {"Retry", mrRetry}, {"Ignore", mrIgnore}, {"All", mrAll}, {"NoToAll", mrNoToAll}, {"YesToAll", mrYesToAll},
    };
    for (const auto& [name, result] : results) {
        TFMInfo dialog("Message", TMsgKind::Warning,
                       {TMsgButton::Yes, TMsgButton::No, TMsgButton::OK, TMsgButton::Cancel, TMsgButton::Abort,
                        TMsgButton::Retry, TMsgButton::Ignore, TMsgButton::All, TMsgButton::NoToAll,
                        TMsgButton::YesToAll, TMsgButton::Help});
        dialog.show();
        Button(dialog, "Help")->click();
        EXPECT_TRUE(dialog.isVisible());
        Button(dialog, name)->click();
        EXPECT_FALSE(dialog.isVisible()) << name;
        EXPECT_EQ(dialog.result(), result) << name;
        EXPECT_EQ(Button(dialog, name)->text().toStdString(), GetText("Basics", name));
    }
}

TEST_F(InfoTest, ClosingThroughTheFrameGivesCancelWhateverTheButtons)
{
    TFMInfo dialog("Save the changes?", TMsgKind::Confirmation, {TMsgButton::Yes, TMsgButton::No});
    dialog.show();
    dialog.close();
    EXPECT_EQ(dialog.result(), mrCancel);
}

TEST_F(InfoTest, KindGivesTitleAndIcon)
{
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Tavix"));
    const std::pair<TMsgKind, const char*> kinds[] = {
        {TMsgKind::Warning, "Warning"},
        {TMsgKind::Error, "Error"},
        {TMsgKind::Information, "Information"},
        {TMsgKind::Confirmation, "Confirm"},
    };
    for (const auto& [kind, title] : kinds) {
        TFMInfo dialog("x", kind, {TMsgButton::OK});
        EXPECT_EQ(dialog.windowTitle().toStdString(), title);
        EXPECT_FALSE(Child<QLabel>(&dialog, "IMDlgTyp")->pixmap().isNull()) << title;
    }
    TFMInfo custom("x", TMsgKind::Custom, {TMsgButton::OK});
    EXPECT_EQ(custom.windowTitle(), QStringLiteral("Tavix"));
    custom.show();
    EXPECT_FALSE(Child<QLabel>(&custom, "IMDlgTyp")->isVisible());
    // The text keeps its place beside where the icon would be.
    TFMInfo error("x", TMsgKind::Error, {TMsgButton::OK});
    EXPECT_EQ(Child<QLabel>(&custom, "LAInfo")->geometry(), Child<QLabel>(&error, "LAInfo")->geometry());
}

TEST_F(InfoTest, SizesItselfToTheText)
{
    TFMInfo empty("", TMsgKind::Information, {TMsgButton::OK});
    EXPECT_EQ(Child<QLabel>(&empty, "LAInfo")->height(), 32);

    std::string longText;
    for (int i = 0; i < 80; ++i)
        longText += "word ";
    TFMInfo wrapped(longText, TMsgKind::Information, {TMsgButton::OK});
    const QLabel* label = Child<QLabel>(&wrapped, "LAInfo");
    const int lineHeight = QFontMetrics(wrapped.font()).height();
    EXPECT_LE(label->width(), ScreenWidth() / 2 + 2 * lineHeight);  // half the screen plus the spacing
    EXPECT_GE(label->height(), 3 * lineHeight);                     // wrapped onto several lines
    EXPECT_GE(label->heightForWidth(label->width()), 0);
    EXPECT_LE(label->heightForWidth(label->width()), label->height());  // nothing cut off
    EXPECT_LE(wrapped.width(), ScreenWidth());

    // Tabs are expanded to the next multiple of eight columns before measuring.
    TFMInfo tabbed("a\tb\r\nlonger\tc", TMsgKind::Information, {TMsgButton::OK});
    EXPECT_EQ(Child<QLabel>(&tabbed, "LAInfo")->text(), QStringLiteral("a       b\nlonger  c"));
    TFMInfo plain("a b", TMsgKind::Information, {TMsgButton::OK});
    EXPECT_GT(Child<QLabel>(&tabbed, "LAInfo")->width(), Child<QLabel>(&plain, "LAInfo")->width());
}

TEST_F(InfoTest, MissingCaptionKeysShowTheMissingKeyText)
{
    TSprache empty(std::string(TAVIX_DATA_SOURCE) + "/no-such-folder/");
    TSprache* previous = SetSprache(&empty);
    TFMInfo dialog("x", TMsgKind::Error, {TMsgButton::OK});
    EXPECT_EQ(Child<QPushButton>(&dialog, "OK")->text(), QStringLiteral("#_OK"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("#_Error"));
    SetSprache(previous);
}

TEST_F(InfoTest, TheProgramsMessageTargetShowsTheDialogAndTheStockBox)
{
    TQtMeldungen qt;
    TMeldungsZiel* previous = SetMeldungsZiel(&qt);
    std::string shownText;
    TModalAction answerNo([&](QWidget* modal) {
        shownText = Child<QLabel>(modal, "LAInfo")->text().toStdString();
        Child<QPushButton>(modal, "No")->click();
    });
    EXPECT_EQ(MsgDlg("Save the changes to \"Brief.TXL\"?", TMsgKind::Confirmation,
                     {TMsgButton::Yes, TMsgButton::No, TMsgButton::Cancel}),
              mrNo);
    EXPECT_TRUE(answerNo.Ran());
    EXPECT_EQ(shownText, "Save the changes to \"Brief.TXL\"?");

    // Single-byte text reaches the screen as the characters it stands for.
    QString stockText;
    TModalAction closeStock([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        stockText = box->text();
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        box->button(QMessageBox::Ok)->click();
    });
    StockMessage("Die Datei fehlt: Gr\xF6\xDF"
                 "e.xml",
                 TStockIcon::Error);
    EXPECT_TRUE(closeStock.Ran());
    EXPECT_EQ(stockText, QString::fromUtf8("Die Datei fehlt: Größe.xml"));
    SetMeldungsZiel(previous);
}

}  // namespace
