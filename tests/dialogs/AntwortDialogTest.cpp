#include <QCalendarWidget>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimeEdit>

#include "DialogTest.h"
#include "dialogs/FDatum.h"
#include "dialogs/FEingabe.h"
#include "dialogs/FListbox.h"
#include "dialogs/FMemo.h"
#include "dialogs/FZeit.h"

namespace {

QRect Screen()
{
    return QGuiApplication::primaryScreen()->geometry();
}

// --- Text and number dialog -----------------------------------------------------------

class EingabeTest : public DialogTest {
protected:
    // Sets up a dialog, types text and presses OK; true when the dialog accepted.
    bool Answer(TEingabeParams params, const QString& typed, std::string* result = nullptr)
    {
        TFMEingabe dialog;
        dialog.Setup(params);
        if (params.VList.empty())
            Child<QLineEdit>(&dialog, "ED")->setText(typed);
        else
            Child<QComboBox>(&dialog, "CB")->setEditText(typed);
        Child<QPushButton>(&dialog, "BTOk")->click();
        if (result)
            *result = dialog.Result();
        return dialog.result() == QDialog::Accepted;
    }
};

TEST_F(EingabeTest, ShowsQuestionAndAnswerInAPlainEditLimitedToMaxChar)
{
    TEingabeParams params;
    params.Question = "Ihr Name?\r\nVor- und Nachname";
    params.Answer = "M\xFCller";
    params.MaxChar = 8;
    TFMEingabe dialog;
    dialog.Setup(params);
    EXPECT_EQ(Child<QLabel>(&dialog, "LAFrage")->text(), QString::fromUtf8("Ihr Name?\nVor- und Nachname"));
    const QLineEdit* ed = Child<QLineEdit>(&dialog, "ED");
    EXPECT_EQ(ed->text(), QString::fromUtf8("Müller"));
    EXPECT_EQ(ed->maxLength(), 8);
    EXPECT_TRUE(ed->isVisibleTo(&dialog));
    EXPECT_FALSE(Child<QComboBox>(&dialog, "CB")->isVisibleTo(&dialog));
    EXPECT_EQ(ed->palette().color(QPalette::Base), QColor(213, 255, 255));
    EXPECT_FALSE(Child<QPushButton>(&dialog, "BTHilfe")->isEnabled());
    EXPECT_TRUE(Child<QPushButton>(&dialog, "BTOk")->isDefault());
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(EingabeTest, AStartingAnswerLongerThanMaxCharIsNotCut)
{
    TEingabeParams params;
    params.Answer = "Sehr lange Antwort";
    params.MaxChar = 4;
    TFMEingabe dialog;
    dialog.Setup(params);
    QLineEdit* ed = Child<QLineEdit>(&dialog, "ED");
    EXPECT_EQ(ed->text(), QStringLiteral("Sehr lange Antwort"));
    dialog.accept();
    EXPECT_EQ(dialog.Result(), "Sehr lange Antwort");
    // Typing can add nothing beyond the starting text.
    EXPECT_EQ(ed->maxLength(), 18);
}

TEST_F(EingabeTest, WithoutLimitsAnyTextPasses)
{
    std::string result;
    TEingabeParams params;  // like a "String" field, or a number field without limits
    EXPECT_TRUE(Answer(params, QString(), &result));
    EXPECT_EQ(result, "");
    params.Format = "%0.0f";
    EXPECT_TRUE(Answer(params, QStringLiteral("zwölf"), &result));
    EXPECT_EQ(result, "zw\xF6lf");
    EXPECT_TRUE(meldungen.Meldungen.empty());
}

struct TLimitCase {
    double Minimum;
    double Maximum;
    const char* Format;
    const char* Typed;
    const char* Message;  // nullptr: accepted
};

TEST_F(EingabeTest, NumbersOutsideTheLimitsAreRefusedWithAMessage)
{
    const TLimitCase cases[] = {
        {1, NoUpperLimit, "%0.0f", "abc", "Please enter a number."},
        {1, NoUpperLimit, "%0.0f", "1", nullptr},
        {1, NoUpperLimit, "%0.0f", "1,5", nullptr},
        {1, NoUpperLimit, "%0.0f", "0", "Please enter a value of at least 1."},
        {10, 20, "", "10", nullptr},
        {10, 20, "", "20", nullptr},
        {10, 20, "", "9,99", "Please enter a value of at least 10,00."},
        {10, 20, "", "20,01", "Please enter a value of at most 20,00."},
        {NoLowerLimit, 2.5, "0.1", "3", "Please enter a value of at most 2,5."},
    };
    for (const TLimitCase& c : cases) {
        meldungen.Meldungen.clear();
        TEingabeParams params;
        params.Minimum = c.Minimum;
        params.Maximum = c.Maximum;
        params.Format = c.Format;
        std::string result;
        const bool accepted = Answer(params, QString::fromUtf8(c.Typed), &result);
        EXPECT_EQ(accepted, c.Message == nullptr) << c.Typed;
        if (c.Message) {
            ASSERT_EQ(meldungen.Meldungen.size(), 1u) << c.Typed;
            EXPECT_EQ(meldungen.Meldungen[0].Text, c.Message);
            EXPECT_EQ(meldungen.Meldungen[0].Kind, TMsgKind::Information);
            EXPECT_EQ(meldungen.Meldungen[0].Buttons, TMsgButtons{TMsgButton::OK});
        } else {
            EXPECT_TRUE(meldungen.Meldungen.empty()) << c.Typed;
            EXPECT_EQ(result, c.Typed);
        }
    }
}

TEST_F(EingabeTest, AValueListTurnsTheLineIntoADropDownWithFreeTyping)
{
    TEingabeParams params;
    params.Answer = "Frau";
    params.VList = {"Herr"};
    params.MaxChar = 10;
    TFMEingabe dialog;
    dialog.Setup(params);
    const QComboBox* cb = Child<QComboBox>(&dialog, "CB");
    EXPECT_TRUE(cb->isVisibleTo(&dialog));
    EXPECT_FALSE(Child<QLineEdit>(&dialog, "ED")->isVisibleTo(&dialog));
    EXPECT_EQ(cb->count(), 1);
    EXPECT_EQ(cb->currentText(), QStringLiteral("Frau"));
    EXPECT_EQ(cb->lineEdit()->maxLength(), 10);

    std::string result;
    EXPECT_TRUE(Answer(params, QStringLiteral("Divers"), &result));
    EXPECT_EQ(result, "Divers");
}

TEST_F(EingabeTest, TextTheFileCannotHoldIsRefusedAtOk)
{
    TEingabeParams params;
    std::string result;
    EXPECT_FALSE(Answer(params, QString::fromUtf8("Łódź"), &result));
    ASSERT_EQ(meldungen.Meldungen.size(), 1u);
    EXPECT_EQ(meldungen.Meldungen[0].Kind, TMsgKind::Error);
    EXPECT_NE(LastMessage().find("U+0141, U+017A"), std::string::npos) << LastMessage();
    EXPECT_EQ(LastMessage().find("#_"), std::string::npos) << LastMessage();
    // Everything Windows-1252 has passes, the euro sign included.
    EXPECT_TRUE(Answer(params, QString::fromUtf8("Zürich €"), &result));
    EXPECT_EQ(result, "Z\xFCrich \x80");
}

TEST_F(EingabeTest, EscAndCancelLeaveWithoutChecking)
{
    TEingabeParams params;
    params.Minimum = 1;
    TFMEingabe dialog;
    dialog.Setup(params);
    Child<QLineEdit>(&dialog, "ED")->setText(QStringLiteral("abc"));
    Child<QPushButton>(&dialog, "BTAbbrechen")->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(meldungen.Meldungen.empty());
}

void PressKey(QWidget* widget, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

TEST_F(EingabeTest, EnterInTheInputPressesOkAndEscCancels)
{
    for (const bool list : {false, true}) {
        TEingabeParams params;
        params.Answer = "alt";
        if (list)
            params.VList = {"eins"};
        const auto input = [list](QWidget* modal) -> QWidget* {
            return list ? Child<QComboBox>(modal, "CB")->lineEdit()
                        : static_cast<QWidget*>(Child<QLineEdit>(modal, "ED"));
        };
        TModalAction enter([&](QWidget* modal) {
            qobject_cast<QLineEdit*>(input(modal))->setText(QStringLiteral("neu"));
            PressKey(input(modal), Qt::Key_Return);
        });
        EXPECT_TRUE(TFMEingabe::Execute(params)) << list;
        EXPECT_EQ(params.Answer, "neu");
        TModalAction escape([&](QWidget* modal) {
            qobject_cast<QLineEdit*>(input(modal))->setText(QStringLiteral("verworfen"));
            PressKey(input(modal), Qt::Key_Escape);
        });
        EXPECT_FALSE(TFMEingabe::Execute(params)) << list;
        EXPECT_EQ(params.Answer, "neu");
        EXPECT_TRUE(enter.Ran() && escape.Ran());
        if (list) {
            TModalAction check([&](QWidget* modal) {
                EXPECT_EQ(Child<QComboBox>(modal, "CB")->count(), 1);  // typing added no entry
                static_cast<QDialog*>(modal)->reject();
            });
            TFMEingabe::Execute(params);
        }
    }
}

// --- Sizing and placing -----------------------------------------------------------------

TEST_F(EingabeTest, FitToScreenKeepsTheDialogOnTheScreen)
{
    const QRect screen = Screen();
    TEingabeParams params;
    params.Question = "Frage";

    params.Frame.X = 10, params.Frame.Y = 20, params.Frame.Width = 300;
    TFMEingabe placed;
    placed.Setup(params);
    EXPECT_EQ(placed.geometry().topLeft(), QPoint(10, 20));
    EXPECT_EQ(placed.width(), 300);
    EXPECT_EQ(placed.height(), 4 * TAntwortDialog::ButtonHeight);  // a short question: the floor height

    params.Frame.Width = 50;  // below the minimum: twice the button column
    TFMEingabe narrow;
    narrow.Setup(params);
    EXPECT_EQ(narrow.width(), 200);

    params.Frame.Width = screen.width() + 100;  // wider than the screen: exactly as wide
    TFMEingabe wide;
    wide.Setup(params);
    EXPECT_EQ(wide.width(), screen.width());
    EXPECT_EQ(wide.x(), 0);

    params.Frame.X = screen.width() - 50, params.Frame.Y = screen.height() - 10, params.Frame.Width = 300;
    TFMEingabe corner;
    corner.Setup(params);
    EXPECT_EQ(corner.x(), screen.width() - 300);
    EXPECT_EQ(corner.geometry().bottom() + 1, screen.height() - screen.height() / 10);

    params.Frame.X = -1, params.Frame.Y = -1;  // the default position: centred
    TFMEingabe centred;
    centred.Setup(params);
    EXPECT_LE(std::abs(centred.geometry().center().x() - screen.center().x()), 1);
}

TEST_F(EingabeTest, ALongQuestionWrapsAndMakesTheDialogTallerButNeverAboveTheScreen)
{
    const QRect screen = Screen();
    TEingabeParams params;
    params.Frame.X = 0, params.Frame.Y = screen.height() - 5, params.Frame.Width = 300;
    for (int i = 0; i < 30; ++i)
        params.Question += "Eine recht lange Frage, die umbrechen muss. ";
    TFMEingabe dialog;
    dialog.Setup(params);
    const QLabel* label = Child<QLabel>(&dialog, "LAFrage");
    EXPECT_GT(label->height(), 3 * label->fontMetrics().height());
    EXPECT_GT(dialog.height(), label->geometry().bottom() + Child<QLineEdit>(&dialog, "ED")->height());
    EXPECT_GE(dialog.y(), 0);
    EXPECT_LE(label->width() + TAntwortDialog::ButtonColumnWidth, dialog.width());

    for (int i = 0; i < 5; ++i)
        params.Question += params.Question;  // taller than the screen
    TFMEingabe tall;
    tall.Setup(params);
    EXPECT_EQ(tall.y(), 0);  // the question's start stays readable
}

// --- Date dialog ------------------------------------------------------------------------

class DatumTest : public DialogTest {};

TEST_F(DatumTest, ShowsTheDayAndGivesBackWholeDays)
{
    TDatumParams params;
    params.Date = 36526.75;  // 1 January 2000, 18:00
    params.Frame.Width = 100;
    TFMDatum dialog;
    dialog.Setup(params);
    QCalendarWidget* calendar = Child<QCalendarWidget>(&dialog, "MC");
    EXPECT_EQ(calendar->selectedDate(), QDate(2000, 1, 1));
    EXPECT_EQ(calendar->firstDayOfWeek(), Qt::Monday);
    EXPECT_EQ(calendar->verticalHeaderFormat(), QCalendarWidget::ISOWeekNumbers);
    EXPECT_EQ(dialog.width(), TAntwortDialog::ButtonColumnWidth + TFMDatum::CalendarWidth);
    EXPECT_GE(dialog.height(), 10 * TAntwortDialog::ButtonHeight);

    calendar->setSelectedDate(QDate(2024, 2, 29));
    Child<QPushButton>(&dialog, "BTOk")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Result(), 45351.0);
}

TEST_F(DatumTest, DaysOutsideTheLimitsAreRefused)
{
    TDatumParams params;
    params.Date = 36526;
    params.Minimum = 36526;  // 1 January 2000
    params.Maximum = 36556;  // 31 January 2000
    params.Format = "dd.mm.yyyy";
    const std::pair<QDate, const char*> cases[] = {
        {QDate(1999, 12, 31), "Please choose a date no earlier than 01.01.2000."},
        {QDate(2000, 2, 1), "Please choose a date no later than 31.01.2000."},
        {QDate(2000, 1, 1), nullptr},
        {QDate(2000, 1, 31), nullptr},
    };
    for (const auto& [date, message] : cases) {
        meldungen.Meldungen.clear();
        TFMDatum dialog;
        dialog.Setup(params);
        Child<QCalendarWidget>(&dialog, "MC")->setSelectedDate(date);
        dialog.accept();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, message == nullptr) << date.toString().toStdString();
        EXPECT_EQ(LastMessage(), message ? message : "");
    }
    // Without a pattern the limit is written in the short date format.
    params.Format.clear();
    TFMDatum dialog;
    dialog.Setup(params);
    Child<QCalendarWidget>(&dialog, "MC")->setSelectedDate(QDate(1999, 1, 1));
    dialog.accept();
    EXPECT_EQ(LastMessage(), "Please choose a date no earlier than 01.01.2000.");
}

TEST_F(DatumTest, EnterOnTheCalendarConfirmsOnce)
{
    TDatumParams params;
    params.Date = 45352;
    params.Minimum = 45352;
    TModalAction action([](QWidget* modal) {
        auto* calendar = Child<QCalendarWidget>(modal, "MC");
        QWidget* days = calendar->findChild<QTableView*>();
        ASSERT_NE(days, nullptr);
        calendar->setSelectedDate(QDate(2024, 2, 28));
        PressKey(days, Qt::Key_Return);
        calendar->setSelectedDate(QDate(2024, 3, 2));
        PressKey(days, Qt::Key_Return);
    });
    EXPECT_TRUE(TFMDatum::Execute(params));
    EXPECT_EQ(params.Date, 45353.0);
    ASSERT_EQ(meldungen.Meldungen.size(), 1u);  // the refused day, told once
    EXPECT_EQ(LastMessage(), "Please choose a date no earlier than 01.03.2024.");
}

TEST_F(DatumTest, TheCalendarGrowsWithTheMaximisedWindowAndShrinksBack)
{
    TDatumParams params;
    params.Date = 45352;
    params.Frame.Width = 400;
    TFMDatum dialog;
    dialog.Setup(params);
    dialog.show();
    QCalendarWidget* calendar = Child<QCalendarWidget>(&dialog, "MC");
    const QSize normal = calendar->size();
    const QRect normalGeometry = dialog.geometry();
    Child<QPushButton>(&dialog, "BTMaximal")->click();
    QApplication::processEvents();
    if (!dialog.isMaximized())
        GTEST_SKIP() << "this platform plugin does not maximise windows";
    EXPECT_GT(calendar->width(), normal.width());
    EXPECT_GT(calendar->height(), normal.height());
    Child<QPushButton>(&dialog, "BTNormal")->click();
    QApplication::processEvents();
    EXPECT_EQ(dialog.geometry(), normalGeometry);
    EXPECT_EQ(calendar->size(), normal);
}

// --- Time dialog ------------------------------------------------------------------------

class ZeitTest : public DialogTest {};

TEST_F(ZeitTest, PickerFormatsComeFromThePattern)
{
    const std::pair<const char*, const char*> cases[] = {
        {"hh:nn", "HH':'mm"},
        {"h:nn:ss", "H':'mm':'ss"},
        {"hh:nn 'Uhr'", "HH':'mm 'Uhr'"},  // quoted text keeps its letters
        {"hh:nn am/pm", "hh':'mm AP"},     // with a marker the hour counts to 12
        {"hh.nn \"h\"", "HH.mm 'h'"},
        {"t", "HH':'mm"},      // the short time format of the settings
        {"", "HH':'mm':'ss"},  // empty: the long time format
    };
    for (const auto& [pattern, expected] : cases)
        EXPECT_EQ(PickerDisplayFormat(pattern).toStdString(), expected) << pattern;
    TScopedLocaleSettings us(UsSettings());
    EXPECT_EQ(PickerDisplayFormat("").toStdString(), "h':'mm':'ss AP");
}

TEST_F(ZeitTest, ShowsTheTimeOfDayAndChecksItsLimits)
{
    TZeitParams params;
    params.Time = 45352 + 8.25 / 24;  // a value with a date: only its time counts
    params.Minimum = 8.0 / 24;
    params.Maximum = 18.0 / 24;
    params.Format = "hh:nn";
    TFMZeit dialog;
    dialog.Setup(params);
    QTimeEdit* picker = Child<QTimeEdit>(&dialog, "DT");
    EXPECT_EQ(picker->time(), QTime(8, 15));
    EXPECT_EQ(picker->text(), QStringLiteral("08:15"));

    picker->setTime(QTime(7, 59));
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(LastMessage(), "Please enter a time no earlier than 08:00.");
    picker->setTime(QTime(18, 1));
    dialog.accept();
    EXPECT_EQ(LastMessage(), "Please enter a time no later than 18:00.");
    picker->setTime(QTime(18, 0));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(dialog.Result(), 0.75);
    EXPECT_EQ(meldungen.Meldungen.size(), 2u);
}

TEST_F(ZeitTest, TypedTextThatIsNoTimeOfTheFormatIsRefused)
{
    TZeitParams params;
    params.Time = 10.5 / 24;
    params.Format = "hh:nn";
    TFMZeit dialog;
    dialog.Setup(params);
    QTimeEdit* picker = Child<QTimeEdit>(&dialog, "DT");
    QLineEdit* line = picker->findChild<QLineEdit*>();
    ASSERT_NE(line, nullptr);
    for (const char* text : {"5:00 AM", "7"}) {
        // Typed over the whole entry, key by key, as a user does.
        line->selectAll();
        for (const char* c = text; *c; ++c) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QLatin1Char(*c)));
            QApplication::sendEvent(picker, &press);
        }
        ASSERT_NE(picker->text(), QStringLiteral("10:30")) << "the picker shows what was typed";
        dialog.accept();
        EXPECT_NE(dialog.result(), QDialog::Accepted) << text;
        EXPECT_EQ(LastMessage(), "Please enter the time in the form \"10:30\".") << text;
    }
    Child<QTimeEdit>(&dialog, "DT")->setTime(QTime(17, 0));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(dialog.Result(), 17.0 / 24);
}

// --- Choice dialog ----------------------------------------------------------------------

class ListboxTest : public DialogTest {
protected:
    TListboxParams Params(const std::string& answer)
    {
        TListboxParams params;
        params.Answer = answer;
        params.VList = {"Apfel", "Birne", "birne"};
        return params;
    }
};

TEST_F(ListboxTest, PreselectsIgnoringCaseAndReturnsTheEntryAsListed)
{
    TFMListbox dialog;
    dialog.Setup(Params("BIRNE"));
    const QListWidget* list = Child<QListWidget>(&dialog, "LB");
    EXPECT_EQ(list->palette().color(QPalette::Base), QColor(Qt::white));
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->row(list->selectedItems().first()), 1);
    EXPECT_FALSE(Child<QLabel>(&dialog, "LAFrage")->isVisibleTo(&dialog));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.ResultIndex(), 1);
    EXPECT_EQ(dialog.Result(), "Birne");
}

TEST_F(ListboxTest, WithoutASelectionOkAsksForOne)
{
    TFMListbox dialog;
    dialog.Setup(Params("Kiwi"));
    QListWidget* list = Child<QListWidget>(&dialog, "LB");
    dialog.show();  // focus makes the first row current, which is not a choice
    list->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(list->selectedItems().isEmpty());
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(meldungen.Meldungen.size(), 1u);
    EXPECT_EQ(LastMessage(), "Please choose an entry from the list.");
    EXPECT_EQ(meldungen.Meldungen[0].Kind, TMsgKind::Error);
    EXPECT_TRUE(dialog.isVisible());

    // A double click on an entry confirms it.
    QWidget* viewport = list->viewport();
    const QPoint at = list->visualItemRect(list->item(2)).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick}) {
        QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Result(), "birne");
    EXPECT_EQ(dialog.ResultIndex(), 2);
}

TEST_F(ListboxTest, EnterConfirmsTheSelectedEntry)
{
    TListboxParams params = Params("birne");
    TModalAction enter([](QWidget* modal) { PressKey(Child<QListWidget>(modal, "LB"), Qt::Key_Return); });
    EXPECT_EQ(TFMListbox::Execute(params), 1);
    EXPECT_EQ(params.Answer, "Birne");
}

TEST_F(ListboxTest, ExecuteAndChooseFromListReturnTheIndexOrMinusOne)
{
    TListboxParams params = Params("apfel");
    TModalAction cancel([](QWidget* modal) { Child<QPushButton>(modal, "BTAbbrechen")->click(); });
    EXPECT_EQ(TFMListbox::Execute(params), -1);
    EXPECT_TRUE(cancel.Ran());
    EXPECT_EQ(params.Answer, "apfel");

    QColor colour;
    QPoint place;
    TModalAction pick([&](QWidget* modal) {
        auto* list = Child<QListWidget>(modal, "LB");
        colour = list->palette().color(QPalette::Base);
        place = modal->pos();
        list->setCurrentRow(1);
        Child<QPushButton>(modal, "BTOk")->click();
    });
    std::string value = "APFEL";
    EXPECT_EQ(TFMListbox::ChooseFromList("Sprache", QColor(), 30, 40, {"ENGLISH", "Deutsch"}, value), 1);
    EXPECT_TRUE(pick.Ran());
    EXPECT_EQ(value, "Deutsch");
    EXPECT_EQ(colour, TFMListbox::DesignedColour);
    EXPECT_EQ(place, QPoint(30, 40));
}

// --- Multi-line dialog ------------------------------------------------------------------

class MemoTest : public DialogTest {
protected:
    int HeightFor(int maxRow)
    {
        TMemoParams params;
        params.MaxRow = maxRow;
        params.Frame.Width = 400;
        TFMMemo dialog;
        dialog.Setup(params);
        return dialog.height();
    }
};

TEST_F(MemoTest, KeepsTheLinesAndJoinsThemWithCrLf)
{
    TMemoParams params;
    params.Answer = "Zeile 1\r\nZeile 2\r\n  einger\xFC"
                    "ckt";
    TFMMemo dialog;
    dialog.Setup(params);
    QPlainTextEdit* me = Child<QPlainTextEdit>(&dialog, "ME");
    EXPECT_EQ(me->toPlainText(), QString::fromUtf8("Zeile 1\nZeile 2\n  eingerückt"));
    me->appendPlainText(QStringLiteral("Zeile 4"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Result(),
              "Zeile 1\r\nZeile 2\r\n  einger\xFC"
              "ckt\r\nZeile 4");  // nothing added at the end
}

TEST_F(MemoTest, IsSizedForOneToTwentyLines)
{
    EXPECT_EQ(HeightFor(50), HeightFor(20));
    EXPECT_EQ(HeightFor(0), HeightFor(1));
    EXPECT_GT(HeightFor(5), HeightFor(4));
    EXPECT_GT(HeightFor(20), HeightFor(19));
}

TEST_F(MemoTest, TheMemoFillsTheWindowBetweenTwoLinesOfSpace)
{
    TMemoParams params;
    params.Question = "Bemerkungen";
    params.MaxRow = 6;
    params.Frame.Width = 500;
    TFMMemo dialog;
    dialog.Setup(params);
    const QPlainTextEdit* me = Child<QPlainTextEdit>(&dialog, "ME");
    const int line = std::max(TFMMemo::DesignedLineHeight, me->fontMetrics().lineSpacing());
    const QLabel* label = Child<QLabel>(&dialog, "LAFrage");
    EXPECT_EQ(me->y(), label->geometry().bottom() + 1 + line);
    EXPECT_EQ(me->geometry().bottom() + 1, dialog.height() - line);
    EXPECT_EQ(me->height(), 6 * line);
    dialog.show();
    dialog.resize(dialog.width() + 100, dialog.height() + 100);
    QApplication::processEvents();
    EXPECT_EQ(me->height(), 6 * line + 100);
}

}  // namespace
