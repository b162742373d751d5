#include "dialogs/UFeldDialoge.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimeEdit>

#include <stdexcept>

#include "DialogTest.h"
#include "env/UInstalliert.h"

namespace {

// Every field of the program answers through these dialogs while the fixture lives.
class FeldDialogeTest : public DialogTest {
protected:
    FeldDialogeTest() : installed_(&dialoge_) {}

    static void PressOk(QWidget* modal) { Child<QPushButton>(modal, "BTOk")->click(); }

    TQtFeldDialoge dialoge_;
    TInstalliert<TFeldDialoge, SetFeldDialoge> installed_;
};

TEST_F(FeldDialogeTest, AStringFieldOpensAtTheCellAndTakesTheText)
{
    TTAFeld field;
    field.Question = "Name";
    field.Answer = "alt";
    field.MaxChar = 12;
    QRect geometry;
    int maxLength = 0;
    TModalAction action([&](QWidget* modal) {
        geometry = modal->geometry();
        auto* ed = Child<QLineEdit>(modal, "ED");
        maxLength = ed->maxLength();
        ed->setText(QStringLiteral("Jörg Neumann"));
        PressOk(modal);
    });
    EXPECT_TRUE(field.EditAnswer({120, 90}, 260));
    EXPECT_TRUE(action.Ran());
    EXPECT_EQ(field.Answer, "J\xF6rg Neumann");
    EXPECT_EQ(geometry.topLeft(), QPoint(120, 90));
    EXPECT_EQ(geometry.width(), 260);
    EXPECT_EQ(maxLength, 12);
}

TEST_F(FeldDialogeTest, AnIntegerFieldRefusesUntilTheAnswerFits)
{
    TTAFeld field;
    field.SetTypeName("Integer");
    field.Minimum = 1;
    field.Maximum = 10;
    field.VList = {"1", "5", "10"};
    TModalAction action([&](QWidget* modal) {
        auto* cb = Child<QComboBox>(modal, "CB");
        for (const char* typed : {"viele", "0", "11", "7"}) {
            cb->setEditText(QString::fromLatin1(typed));
            PressOk(modal);
        }
    });
    EXPECT_TRUE(field.EditAnswer({0, 0}, 300));
    EXPECT_EQ(field.Answer, "7");
    ASSERT_EQ(meldungen.Meldungen.size(), 3u);
    EXPECT_EQ(meldungen.Meldungen[0].Text, "Please enter a number.");
    EXPECT_EQ(meldungen.Meldungen[1].Text, "Please enter a value of at least 1.");
    EXPECT_EQ(meldungen.Meldungen[2].Text, "Please enter a value of at most 10.");
}

TEST_F(FeldDialogeTest, CancelKeepsTheAnswer)
{
    TTAFeld field;
    field.SetTypeName("Real");
    field.Format = "0.2";
    field.Maximum = 20;
    field.Answer = "12,50";
    TModalAction action([&](QWidget* modal) {
        Child<QLineEdit>(modal, "ED")->setText(QStringLiteral("25"));
        PressOk(modal);
        Child<QPushButton>(modal, "BTAbbrechen")->click();
    });
    EXPECT_FALSE(field.EditAnswer({0, 0}, 300));
    EXPECT_EQ(field.Answer, "12,50");
    EXPECT_EQ(LastMessage(), "Please enter a value of at most 20,00.");
}

TEST_F(FeldDialogeTest, AMemoFieldTakesItsLines)
{
    TTAFeld field;
    field.SetTypeName("Memo");
    field.Answer = "eins\r\nzwei";
    QString shown;
    TModalAction action([&](QWidget* modal) {
        auto* me = Child<QPlainTextEdit>(modal, "ME");
        shown = me->toPlainText();
        me->setPlainText(QStringLiteral("eins\nzwei\ndrei"));
        PressOk(modal);
    });
    EXPECT_TRUE(field.EditAnswer({0, 0}, 300));
    EXPECT_EQ(shown, QStringLiteral("eins\nzwei"));
    EXPECT_EQ(field.Answer, "eins\r\nzwei\r\ndrei");
}

TEST_F(FeldDialogeTest, ADateFieldStartsAtItsAnswerAndWritesTheChosenDayByItsPattern)
{
    TTAFeld field;
    field.SetTypeName("Datum");
    field.Format = "dd.mm.yyyy";
    field.Answer = "15.03.2024";
    field.Minimum = 45361;  // 10 March 2024
    QDate shown;
    TModalAction action([&](QWidget* modal) {
        auto* calendar = Child<QCalendarWidget>(modal, "MC");
        shown = calendar->selectedDate();
        calendar->setSelectedDate(QDate(2024, 3, 9));
        PressOk(modal);
        calendar->setSelectedDate(QDate(2024, 4, 1));
        PressOk(modal);
    });
    EXPECT_TRUE(field.EditAnswer({0, 0}, 300));
    EXPECT_EQ(shown, QDate(2024, 3, 15));
    EXPECT_EQ(LastMessage(), "Please choose a date no earlier than 10.03.2024.");
    EXPECT_EQ(field.Answer, "01.04.2024");
}

TEST_F(FeldDialogeTest, ADateFieldWithAnUnreadableAnswerOpensOnToday)
{
    TTAFeld field;
    field.SetTypeName("Datum");
    field.Answer = "gestern";
    QDate shown;
    TModalAction action([&](QWidget* modal) {
        shown = Child<QCalendarWidget>(modal, "MC")->selectedDate();
        Child<QPushButton>(modal, "BTAbbrechen")->click();
    });
    EXPECT_FALSE(field.EditAnswer({0, 0}, 300));
    EXPECT_EQ(shown, QDate(2024, 3, 1));  // the fixture's clock
    EXPECT_EQ(field.Answer, "gestern");
}

TEST_F(FeldDialogeTest, ATimeFieldShowsItsPatternAsPickerFormatAndWritesByThePattern)
{
    TTAFeld field;
    field.SetTypeName("Zeit");
    field.Format = "hh:nn";
    field.Answer = "08:15";
    QString display;
    TModalAction action([&](QWidget* modal) {
        auto* picker = Child<QTimeEdit>(modal, "DT");
        display = picker->text();
        picker->setTime(QTime(9, 45));
        PressOk(modal);
    });
    EXPECT_TRUE(field.EditAnswer({0, 0}, 300));
    EXPECT_EQ(display, QStringLiteral("08:15"));
    EXPECT_EQ(field.Answer, "09:45");
}

TEST_F(FeldDialogeTest, AChoiceFieldPreselectsAndTakesTheListedValue)
{
    TTAFeld field;
    field.SetTypeName("Auswahl");
    field.VList = {"rot", "gr\xFCn", "blau"};
    field.Answer = "GR\xDCN";
    int preselected = -2;
    TModalAction action([&](QWidget* modal) {
        auto* list = Child<QListWidget>(modal, "LB");
        preselected = list->currentRow();
        list->clearSelection();
        PressOk(modal);  // refused: nothing chosen
        list->setCurrentRow(2);
        PressOk(modal);
    });
    EXPECT_TRUE(field.EditAnswer({0, 0}, 300));
    EXPECT_EQ(preselected, 1);
    EXPECT_EQ(LastMessage(), "Please choose an entry from the list.");
    EXPECT_EQ(field.Answer, "blau");
}

// A field whose date text fails, as any unexpected failure inside the dialog would.
class TFailingFeld : public TTAFeld {
public:
    std::string DateText(double) const override { throw std::runtime_error("Das Datum ist kaputt."); }
};

// It reaches the command that asked (the window shows it), and the answer stays.
TEST_F(FeldDialogeTest, AFailureReachesTheCallerAndKeepsTheAnswer)
{
    TFailingFeld field;
    field.SetTypeName("Datum");
    field.Answer = "01.01.2024";
    TModalAction action(PressOk);
    EXPECT_THROW(field.EditAnswer({0, 0}, 300), std::runtime_error);
    EXPECT_EQ(field.Answer, "01.01.2024");
    EXPECT_TRUE(meldungen.Meldungen.empty()) << "shown once, by the window";
}

// The field editor comes from elsewhere; without one the user is told so.
class TFakeEditor : public TFeldDialoge {
public:
    bool EditAnswer(TTAFeld&, TScreenPoint, int, const std::string&) override { return false; }
    bool EditDefinition(TTAFeld& field, TScreenPoint, int, const std::string&) override
    {
        field.ID = "Bearbeitet";
        return true;
    }
};

TEST_F(FeldDialogeTest, EditDefinitionGoesToTheEditor)
{
    TTAFeld field;
    std::string shown;
    TModalAction cancel([&](QWidget* editor) {
        shown = editor->metaObject()->className();
        qobject_cast<QDialog*>(editor)->reject();
    });
    EXPECT_FALSE(field.EditDefinition({0, 0}, 100)) << "cancelled";
    EXPECT_EQ(shown, "TFMEditor") << "the program's field editor";

    TFakeEditor editor;
    TQtFeldDialoge withEditor(&editor);
    SetFeldDialoge(&withEditor);
    EXPECT_TRUE(field.EditDefinition({0, 0}, 100));
    EXPECT_EQ(field.ID, "Bearbeitet");
    SetFeldDialoge(&dialoge_);
}

}  // namespace
