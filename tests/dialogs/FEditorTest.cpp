#include "dialogs/FEditor.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "DialogTest.h"
#include "datetime/UDatumzeit.h"

namespace {

class EditorTest : public DialogTest {
protected:
    static std::unique_ptr<TTAFeld> DateField()
    {
        auto made = std::make_unique<TTAFeld>();
        TTAFeld& field = *made;
        field.ID = "Delivery";
        field.Question = "When?";
        field.Type = ftDatum;
        field.Format = "dd.mm.yyyy";
        field.Minimum = 46023;  // 1 January 2026
        field.Maximum = NoUpperLimit;
        return made;
    }
    static QLineEdit* Edit(QWidget* editor, const char* name) { return Child<QLineEdit>(editor, name); }
    static void ChooseType(QWidget* editor, int type)
    {
        Child<QRadioButton>(editor, QStringLiteral("RGTyp%1").arg(type).toLatin1().constData())->click();
    }
    std::vector<std::string> Keys() const
    {
        std::vector<std::string> keys;
        for (const auto& meldung : meldungen.Meldungen)
            keys.push_back(meldung.Text);
        return keys;
    }
};

TEST_F(EditorTest, ControlsCarryTheirNamesAndTheLanguagesCaptions)
{
    TFMEditor editor;
    for (const char* name :
         {"EDID",        "RGTyp",        "PC",           "TSFrage",     "TSVorgabe", "MEFrage",  "MEVorgabe",
          "EDMinimum",   "EDMaximum",    "EDMaxZeichen", "EDMaxZeilen", "BTAuswahl", "EDFormat", "BTFormat",
          "BTHilfeText", "BTHilfeDatei", "BTOk",         "BTAbbrechen", "BTHilfe",   "LAID",     "LATyp",
          "LAMinMax",    "LAMaxZ",       "LAZeichen",    "LAZeilen",    "LAAuswahl", "LAFormat", "LAHilfe"})
        EXPECT_NE(editor.findChild<QWidget*>(name), nullptr) << name;
    EXPECT_EQ(editor.windowTitle(), "Field Definition");
    EXPECT_EQ(Child<QLabel>(&editor, "LAID")->text(), "Bookmark");
    EXPECT_EQ(Child<QRadioButton>(&editor, "RGTyp4")->text(), "Date");
    EXPECT_EQ(Child<QTabWidget>(&editor, "PC")->tabText(1), "Default answer");
    EXPECT_TRUE(Child<QPushButton>(&editor, "BTOk")->isDefault());
    EXPECT_EQ(Child<QPushButton>(&editor, "BTHilfe")->text(), "Help");
}

TEST_F(EditorTest, TheTypeEnablesItsControlsAndRestoresItsTexts)
{
    TFMEditor editor;
    editor.LoadFromField(*DateField());
    EXPECT_EQ(Edit(&editor, "EDMinimum")->text(), "01.01.2026");
    EXPECT_EQ(Edit(&editor, "EDFormat")->text(), "dd.mm.yyyy");

    ChooseType(&editor, ftInteger);
    EXPECT_EQ(Edit(&editor, "EDMinimum")->text(), "") << "the whole-number limits are their own";
    EXPECT_FALSE(Edit(&editor, "EDFormat")->isEnabled());
    Edit(&editor, "EDMinimum")->setText("5");
    ChooseType(&editor, ftZeit);
    EXPECT_EQ(Edit(&editor, "EDFormat")->text(), "hh:nn") << "the preset time format";
    ChooseType(&editor, ftDatum);
    EXPECT_EQ(Edit(&editor, "EDMinimum")->text(), "01.01.2026");
    EXPECT_EQ(Edit(&editor, "EDFormat")->text(), "dd.mm.yyyy");
    ChooseType(&editor, ftInteger);
    EXPECT_EQ(Edit(&editor, "EDMinimum")->text(), "5");

    // The enabling of each type.
    struct Case {
        int type;
        bool limits, rows, values, format;
    };
    for (const Case& c : {Case{ftString, false, false, true, false}, Case{ftMemo, false, true, false, false},
                          Case{ftInteger, true, false, true, false}, Case{ftReal, true, false, true, true},
                          Case{ftDatum, true, false, false, true}, Case{ftZeit, true, false, false, true},
                          Case{ftAuswahl, false, false, true, false}}) {
        ChooseType(&editor, c.type);
        EXPECT_EQ(Edit(&editor, "EDMinimum")->isEnabled(), c.limits) << c.type;
        EXPECT_EQ(Edit(&editor, "EDMaximum")->isEnabled(), c.limits) << c.type;
        EXPECT_EQ(Edit(&editor, "EDMaxZeilen")->isEnabled(), c.rows) << c.type;
        EXPECT_EQ(Child<QPushButton>(&editor, "BTAuswahl")->isEnabled(), c.values) << c.type;
        EXPECT_EQ(Edit(&editor, "EDFormat")->isEnabled(), c.format) << c.type;
        EXPECT_EQ(Child<QPushButton>(&editor, "BTFormat")->isEnabled(), c.format) << c.type;
        EXPECT_TRUE(Edit(&editor, "EDMaxZeichen")->isEnabled());
        // A disabled edit shows a grey background.
        QLineEdit* minimum = Edit(&editor, "EDMinimum");
        const QColor background =
            minimum->palette().color(minimum->isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Base);
        EXPECT_EQ(background == QApplication::palette().color(QPalette::Active, QPalette::Base), c.limits) << c.type;
    }
}

TEST_F(EditorTest, OkRefusesWithTheMessageAndStaysOpen)
{
    auto made = DateField();
    TTAFeld& field = *made;
    TModalAction action([&](QWidget* editor) {
        Edit(editor, "EDMaximum")->setText("01.01.2025");
        Child<QPushButton>(editor, "BTOk")->click();
        EXPECT_TRUE(editor->isVisible()) << "refused: the editor stays";
        Edit(editor, "EDMaximum")->setText("31.12.2026");
        Child<QPushButton>(editor, "BTOk")->click();
    });
    ASSERT_TRUE(TFMEditor::Execute(field));
    EXPECT_EQ(Keys(), std::vector<std::string>{"Maximum must not be earlier than 01.01.2026."});
    EXPECT_EQ(meldungen.Meldungen[0].Kind, TMsgKind::Information);
    double end = 0;
    int error = 0;
    end = DTStrToDateTime("31.12.2026", "dd.mm.yyyy", error);
    EXPECT_DOUBLE_EQ(field.Maximum, end);
}

TEST_F(EditorTest, CharactersTheFileCannotHoldAreRefusedFirst)
{
    auto made = DateField();
    TTAFeld& field = *made;
    TModalAction action([&](QWidget* editor) {
        Child<QPlainTextEdit>(editor, "MEFrage")->setPlainText(QString::fromUtf8("Wann \u20ac \u0416?"));
        Edit(editor, "EDMaxZeichen")->setText("0");  // would be refused too, but later
        Child<QPushButton>(editor, "BTOk")->click();
        Child<QPushButton>(editor, "BTAbbrechen")->click();
    });
    EXPECT_FALSE(TFMEditor::Execute(field));
    ASSERT_EQ(meldungen.Meldungen.size(), 1u);
    EXPECT_NE(meldungen.Meldungen[0].Text.find("U+0416"), std::string::npos) << meldungen.Meldungen[0].Text;
    EXPECT_EQ(meldungen.Meldungen[0].Text.find("U+20AC"), std::string::npos) << "the euro sign is in the code page";
    EXPECT_EQ(field.Question, "When?");
}

TEST_F(EditorTest, CancelAfterEditingValuesAndHelpLeavesTheFieldAsItWas)
{
    TTAFeld field;
    field.Type = ftAuswahl;
    field.VList = {"A", "B"};
    field.Answer = "A";
    field.Help = "old help";
    TModalAction action([&](QWidget* editor) {
        TModalAction values([](QWidget* memo) {
            Child<QPlainTextEdit>(memo, "ME")->setPlainText("X\nY\nZ");
            Child<QPushButton>(memo, "BTOk")->click();
        });
        Child<QPushButton>(editor, "BTAuswahl")->click();
        EXPECT_TRUE(values.Ran());
        EXPECT_EQ(static_cast<TFMEditor*>(editor)->Working().VList, (std::vector<std::string>{"X", "Y", "Z"}));
        TModalAction help([](QWidget* memo) {
            Child<QPlainTextEdit>(memo, "ME")->setPlainText("new help");
            Child<QPushButton>(memo, "BTOk")->click();
        });
        Child<QPushButton>(editor, "BTHilfeText")->click();
        EXPECT_EQ(static_cast<TFMEditor*>(editor)->Working().Help, "new help");
        Child<QPushButton>(editor, "BTAbbrechen")->click();
    });
    EXPECT_FALSE(TFMEditor::Execute(field));
    EXPECT_EQ(field.VList, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(field.Help, "old help");
}

TEST_F(EditorTest, AnEmptyChoiceSurvivesTheValueListDialog)
{
    TTAFeld field;
    field.Type = ftAuswahl;
    field.VList = {"A", ""};  // the empty value allows an empty default
    TModalAction action([&](QWidget* editor) {
        TModalAction values([](QWidget* memo) { Child<QPushButton>(memo, "BTOk")->click(); });
        Child<QPushButton>(editor, "BTAuswahl")->click();
        EXPECT_TRUE(values.Ran());
        Child<QPushButton>(editor, "BTOk")->click();
    });
    ASSERT_TRUE(TFMEditor::Execute(field)) << "the empty default is still among the values";
    EXPECT_EQ(field.VList, (std::vector<std::string>{"A", ""}));
}

TEST_F(EditorTest, TheFormatButtonOffersTheFormatsOfTheType)
{
    auto made = DateField();
    TTAFeld& field = *made;
    QStringList offered;
    TModalAction action([&](QWidget* editor) {
        TModalAction choose([&](QWidget* list) {
            auto* box = Child<QListWidget>(list, "LB");
            for (int i = 0; i < box->count(); ++i)
                offered << box->item(i)->text();
            box->setCurrentRow(2);
            Child<QPushButton>(list, "BTOk")->click();
        });
        Child<QPushButton>(editor, "BTFormat")->click();
        EXPECT_EQ(Edit(editor, "EDFormat")->text(), offered.value(2));
        Edit(editor, "EDMinimum")->clear();  // the old limit is written in the old format
        Child<QPushButton>(editor, "BTOk")->click();
    });
    ASSERT_TRUE(TFMEditor::Execute(field));
    ASSERT_GE(offered.size(), 3);
    EXPECT_EQ(offered[0], "dd/mm/yyyy");
    EXPECT_EQ(field.Format, offered[2].toStdString());
}

}  // namespace
