#include "core/UTAObjs.h"

#include <gtest/gtest.h>

#include "core/TestKern.h"
#include "datetime/UCalendar.h"

namespace {

double Date(int year, int month, int day)
{
    double value = 0.0;
    TryEncodeDate(year, month, day, value);
    return value;
}

double Time(int hour, int minute, int second = 0)
{
    double value = 0.0;
    TryEncodeTime(hour, minute, second, 0, value);
    return value;
}

TEST(TTAFeldTest, ConstructionGivesTheDocumentedDefaults)
{
    const TTAFeld field;
    EXPECT_EQ(field.ID, "");
    EXPECT_EQ(field.Question, "");
    EXPECT_EQ(field.Answer, "");
    EXPECT_EQ(field.MaxChar, 80);
    EXPECT_EQ(field.MaxRow, 4);
    EXPECT_EQ(field.Type, ftString);
    EXPECT_EQ(field.Minimum, -1e100);
    EXPECT_EQ(field.Maximum, 1e100);
    EXPECT_TRUE(field.VList.empty());
    EXPECT_EQ(field.Format, "");
}

TEST(TTAFeldTest, TypeNamesAreExactAndIntegerBringsItsFormat)
{
    const struct {
        const char* Name;
        int Type;
    } names[] = {{"String", 0}, {"Memo", 1}, {"Integer", 2}, {"Real", 3}, {"Datum", 4}, {"Zeit", 5}, {"Auswahl", 6}};
    for (const auto& n : names) {
        TTAFeld field;
        field.Type = ftAuswahl;
        field.Format = "x";
        field.SetTypeName(n.Name);
        EXPECT_EQ(field.Type, n.Type) << n.Name;
        EXPECT_EQ(field.GetTypeName(), n.Name);
        EXPECT_EQ(field.Format, n.Type == ftInteger ? "%0.0f" : "x") << n.Name;
    }
    // Unknown names, other letter case included, change nothing.
    for (const char* name : {"integer", "STRING", "Date", "", " Memo"}) {
        TTAFeld field;
        field.Type = ftReal;
        field.SetTypeName(name);
        EXPECT_EQ(field.Type, ftReal) << name;
        EXPECT_EQ(field.Format, "") << name;
    }
    TTAFeld odd;
    for (int code : {-1, 7, 100}) {
        odd.Type = code;
        EXPECT_EQ(odd.GetTypeName(), "String") << code;
    }
}

TEST(TTAFeldTest, TypePredicatesFollowTheTypeTable)
{
    // Limits, rows, format, value list per code; codes outside 0..6 have none.
    const struct {
        int Type;
        bool Limits, Rows, Format, Values;
    } rows[] = {
        {-1, false, false, false, false}, {0, false, false, false, true}, {1, false, true, false, false},
        {2, true, false, false, true},    {3, true, false, true, true},   {4, true, false, true, false},
        {5, true, false, true, false},    {6, false, false, false, true}, {7, false, false, false, false},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(TTAFeld::HasLimits(r.Type), r.Limits) << r.Type;
        EXPECT_EQ(TTAFeld::HasRows(r.Type), r.Rows) << r.Type;
        EXPECT_EQ(TTAFeld::HasFormat(r.Type), r.Format) << r.Type;
        EXPECT_EQ(TTAFeld::HasValueList(r.Type), r.Values) << r.Type;
    }
}

TEST(TTAFeldTest, SentinelsAreRecognisedWithARelativeTolerance)
{
    EXPECT_TRUE(IsNoLowerLimit(-1e100));
    EXPECT_TRUE(IsNoLowerLimit(-1e100 * (1 + 4e-17)));
    EXPECT_FALSE(IsNoLowerLimit(-1e100 * (1 + 1e-15)));
    EXPECT_FALSE(IsNoLowerLimit(1e100));
    EXPECT_TRUE(IsNoUpperLimit(1e100 * (1 - 4e-17)));
    EXPECT_FALSE(IsNoUpperLimit(0.0));
    EXPECT_TRUE(IsUnsetLimit(-1e100));
    EXPECT_TRUE(IsUnsetLimit(1e100));
    EXPECT_FALSE(IsUnsetLimit(0.0));
    EXPECT_FALSE(IsUnsetLimit(-1e99));
}

TEST(TTAFeldTest, FormatListsSplitLikeDelimitedText)
{
    using L = std::vector<std::string>;
    const struct {
        const char* Text;
        L Items;
    } cases[] = {
        {"", L{}},
        {"0.0;0.1", L{"0.0", "0.1"}},
        {"a b", L{"a", "b"}},       // a blank separates too
        {"  a ;  b", L{"a", "b"}},  // blanks around items are skipped
        {"a;", L{"a", ""}},         // a final ";" adds an empty item
        {";", L{"", ""}},
        {"a; ", L{"a"}},  // ... but not when blanks follow it
        {"\"d mmmm; yyyy\";x", L{"d mmmm; yyyy", "x"}},
        {"\"hh:nn \"\"Uhr\"\"\"", L{"hh:nn \"Uhr\""}},
        {"\"open", L{"open"}},  // an unclosed quote runs to the end
        {"\"a\"b", L{"a", "b"}},
        {"M\xE4rz\tmm", L{"M\xE4rz", "mm"}},  // high bytes are no separators, tabs are
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitFormatList(c.Text), c.Items) << c.Text;
}

TEST(TTAFeldTest, FormatChoicesComeFromTheLanguageTable)
{
    TKernUmgebung umgebung;
    using L = std::vector<std::string>;
    EXPECT_EQ(TTAFeld::FormatChoices(ftReal), (L{"0.0", "0.2"}));
    EXPECT_EQ(TTAFeld::FormatChoices(ftDatum), (L{"dd.mm.yyyy", "d. mmmm yyyy"}));
    EXPECT_EQ(TTAFeld::FormatChoices(ftZeit), (L{"hh:nn", "hh:nn \"Uhr\""}));
    for (int type : {ftString, ftMemo, ftInteger, ftAuswahl, 9})
        EXPECT_TRUE(TTAFeld::FormatChoices(type).empty()) << type;
}

TEST(TTAFeldTest, LimitTextPerType)
{
    TKernUmgebung umgebung;  // German settings: decimal comma
    const struct {
        const char* Format;
        int Type;
        double Value;
        const char* Text;
    } cases[] = {
        {"", ftInteger, 3.7, "3"},
        {"", ftInteger, -3.7, "-3"},
        {"", ftInteger, -0.5, "0"},
        {"", ftInteger, 1e15, "1000000000000000"},
        {"0.2", ftReal, 1.5, "1,50"},
        {"", ftReal, 2.0, "2,00"},
        {"dd.mm.yyyy", ftDatum, Date(2000, 1, 1), "01.01.2000"},
        {"", ftDatum, Date(2000, 1, 1), "01.01.2000"},  // short date format
        {"hh:nn", ftZeit, Time(18, 0), "18:00"},
        {"", ftZeit, Time(18, 0), "18:00:00"},  // long time format
        {"0.2", ftString, 5.0, ""},
        {"", ftAuswahl, 5.0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TTAFeld::LimitText(c.Format, c.Type, c.Value), c.Text) << c.Type << " " << c.Value;
    for (int type = 0; type <= 6; ++type) {
        EXPECT_EQ(TTAFeld::LimitText("0.2", type, 1e100), "") << type;
        EXPECT_EQ(TTAFeld::LimitText("0.2", type, -1e100 * (1 + 4e-17)), "") << type;
    }
}

TEST(TTAFeldTest, OneLineDisplayShowsTheFirstLineAndMarksTheRest)
{
    const struct {
        const char* Text;
        const char* Display;
    } cases[] = {
        {"", ""},
        {"plain answer", "plain answer"},
        {"first\r\nsecond", "first..."},
        {"first\nsecond", "first..."},
        {"first\rsecond\nthird", "first..."},
        {"ends with a break\r\n", "ends with a break..."},
        {"\r\nstarts with one", "..."},
    };
    for (const auto& c : cases) {
        TTAFeld field;
        field.Question = c.Text;
        field.Answer = c.Text;
        EXPECT_EQ(field.QuestionDisplay(), c.Display);
        EXPECT_EQ(field.AnswerDisplay(), c.Display);
    }
}

TTAFeld& FillAll(TTAFeld& f)
{
    f.ID = "Betrag";
    f.Question = "Wie viel?";
    f.Answer = "12,50";
    f.MaxChar = 12;
    f.MaxRow = 7;
    f.Type = ftReal;
    f.Format = "0.2";
    f.Minimum = 1.0;
    f.Maximum = 99.0;
    f.VList = {"1", "12,50", "1"};
    f.Function = "Summe";
    f.Help = "Netto";
    return f;
}

void ExpectSameAttributes(const TTAFeld& a, const TTAFeld& b)
{
    EXPECT_EQ(a.ID, b.ID);
    EXPECT_EQ(a.Question, b.Question);
    EXPECT_EQ(a.Answer, b.Answer);
    EXPECT_EQ(a.MaxChar, b.MaxChar);
    EXPECT_EQ(a.MaxRow, b.MaxRow);
    EXPECT_EQ(a.Type, b.Type);
    EXPECT_EQ(a.Format, b.Format);
    EXPECT_EQ(a.Minimum, b.Minimum);
    EXPECT_EQ(a.Maximum, b.Maximum);
    EXPECT_EQ(a.VList, b.VList);
    EXPECT_EQ(a.Function, b.Function);
    EXPECT_EQ(a.Help, b.Help);
}

TEST(TTAFeldTest, CloneAndAssignCopyEveryAttributeIntoAnOwnList)
{
    TTAFeld source;
    FillAll(source);
    const std::unique_ptr<TTAFeld> copy = source.Clone();
    ExpectSameAttributes(*copy, source);
    copy->VList.push_back("more");
    EXPECT_EQ(source.VList.size(), 3u);

    TTAFeld target;
    target.VList = {"old"};
    target.Assign(source);
    ExpectSameAttributes(target, source);
    target.Assign(TTAFeld());  // a source without values empties the list
    EXPECT_TRUE(target.VList.empty());
    EXPECT_EQ(target.Type, ftString);
    target.Assign(target);
    EXPECT_EQ(target.MaxChar, 80);
}

TEST(TTAFeldTest, KeywordAnswersBecomeTheCurrentDateOrTime)
{
    TKernUmgebung umgebung;  // "Heute"/"Jetzt", clock at 15.03.2024 14:30
    const struct {
        int Type;
        const char* Format;
        const char* Answer;
        const char* Result;
    } cases[] = {
        {ftDatum, "dd.mm.yyyy", "Heute", "15.03.2024"},
        {ftDatum, "d. mmmm yyyy", "Heute", "15. M\xE4rz 2024"},
        {ftDatum, "", "Heute", "15.03.2024"},  // short date format
        {ftZeit, "hh:nn", "Jetzt", "14:30"},
        {ftZeit, "", "Jetzt", "14:30:00"},  // long time format
        {ftDatum, "", "heute", "heute"},    // exact case only
        {ftDatum, "", "Today", "Today"},    // another language's word
        {ftDatum, "", "Jetzt", "Jetzt"},    // the time word in a date field
        {ftZeit, "", "Heute", "Heute"},
        {ftString, "", "Heute", "Heute"},
    };
    for (const auto& c : cases) {
        TTAFeld field;
        field.Type = c.Type;
        field.Format = c.Format;
        field.Answer = c.Answer;
        field.ApplyDefaultKeywords();
        EXPECT_EQ(field.Answer, c.Result) << c.Type << " " << c.Answer << " " << c.Format;
    }
}

TEST(TTAFeldTest, AnswersReadBackAsDatesAndTimes)
{
    TKernUmgebung umgebung;
    TTAFeld date;
    date.Type = ftDatum;
    date.Answer = "01.01.2000";
    EXPECT_EQ(date.AnswerAsDate(), 36526.0);
    // An answer written by the field's own pattern reads back, not as "today".
    date.Format = "d. mmmm yyyy";
    date.Answer = date.DateText(Date(2023, 10, 2));
    EXPECT_EQ(date.Answer, "2. Oktober 2023");
    EXPECT_EQ(date.AnswerAsDate(), Date(2023, 10, 2));
    date.Answer = "kein Datum";
    EXPECT_EQ(date.AnswerAsDate(), TestNow());

    TTAFeld time;
    time.Type = ftZeit;
    time.Answer = "18:00:00";
    EXPECT_DOUBLE_EQ(time.AnswerAsTime(), 0.75);
    time.Answer = "18:00";  // the short time format
    EXPECT_DOUBLE_EQ(time.AnswerAsTime(), 0.75);
    time.Format = "hh:nn \"Uhr\"";
    time.Answer = time.TimeText(Time(7, 5));
    EXPECT_EQ(time.Answer, "07:05 Uhr");
    EXPECT_DOUBLE_EQ(time.AnswerAsTime(), Time(7, 5));
    time.Answer = "";
    EXPECT_EQ(time.AnswerAsTime(), TestNow());
}

class TFakeDialoge : public TFeldDialoge {
public:
    TFakeDialoge() : previous_(SetFeldDialoge(this)) {}
    ~TFakeDialoge() override { SetFeldDialoge(previous_); }

    bool EditAnswer(TTAFeld& field, TScreenPoint position, int width, const std::string&) override
    {
        calls += "answer " + std::to_string(position.X) + "," + std::to_string(position.Y) + " " +
            std::to_string(width) + ";";
        field.Answer = "neu";
        return confirm;
    }
    bool EditDefinition(TTAFeld& field, TScreenPoint, int, const std::string&) override
    {
        calls += "definition;";
        field.ID = "X";
        return confirm;
    }

    bool confirm = true;
    std::string calls;

private:
    TFeldDialoge* previous_;
};

TEST(TTAFeldTest, EditingGoesToTheInstalledDialogs)
{
    TKernUmgebung umgebung;
    TTAFeld field;
    {
        TFakeDialoge dialoge;
        EXPECT_TRUE(field.EditAnswer({10, 20}, 300));
        EXPECT_EQ(field.Answer, "neu");
        dialoge.confirm = false;
        EXPECT_FALSE(field.EditDefinition({0, 0}, 1));
        EXPECT_EQ(dialoge.calls, "answer 10,20 300;definition;");
        EXPECT_TRUE(umgebung.Meldungen.Meldungen.empty());
    }
    // Without dialogs nothing is edited, and the user is told.
    field.Answer = "alt";
    EXPECT_FALSE(field.EditAnswer({0, 0}, 100));
    EXPECT_FALSE(field.EditDefinition({0, 0}, 100));
    EXPECT_EQ(field.Answer, "alt");
    ASSERT_EQ(umgebung.Meldungen.Meldungen.size(), 2u);
    EXPECT_EQ(umgebung.Meldungen.Meldungen[0].Kind, TMsgKind::Error);
    EXPECT_NE(umgebung.Meldungen.Meldungen[0].Text.find("dialog"), std::string::npos);
}

}  // namespace
