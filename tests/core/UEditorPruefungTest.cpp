#include "core/UEditorPruefung.h"

#include <gtest/gtest.h>

#include "config/TestMeldungen.h"
#include "config/USprache.h"
#include "datetime/TestLocales.h"
#include "datetime/UCalendar.h"
#include "datetime/UClock.h"

namespace {

// The shipped English texts, German regional settings and a fixed "now" (1 March 2024, 10:30).
class EditorPruefungTest : public ::testing::Test {
protected:
    EditorPruefungTest() : sprache_(std::string(TAVIX_TEST_DATA) + "/../../data/")
    {
        sprache_.Load("ENGLISH.SPR");
        previous_ = SetSprache(&sprache_);
    }
    ~EditorPruefungTest() override { SetSprache(previous_); }

    TTestMeldungen meldungen_;
    TSprache sprache_;
    TSprache* previous_ = nullptr;
    TScopedLocaleSettings locale_{GermanSettings()};
    TFixedClock clock_{45352 + 10.5 / 24};
};

TEingabeMeldung Info(const char* key, std::vector<std::string> args = {})
{
    return {"FMEditor", key, std::move(args), TMsgKind::Information};
}

TEingabeMeldung Error(const char* key)
{
    return {"FMEditor", key, {}, TMsgKind::Error};
}

TEditorEingabe Input(int type, std::string maxChar = "80")
{
    TEditorEingabe input;
    input.ID = "Field";
    input.Type = type;
    input.MaxChar = std::move(maxChar);
    input.MaxRow = "4";
    return input;
}

TEditorEingabe With(TEditorEingabe input, std::string minimum, std::string maximum, std::string answer,
                    std::string format = "")
{
    input.Minimum = std::move(minimum);
    input.Maximum = std::move(maximum);
    input.Default = std::move(answer);
    input.Format = std::move(format);
    return input;
}

struct TCase {
    const char* what;
    TEditorEingabe input;
    std::vector<std::string> values;
    std::vector<TEingabeMeldung> expected;
};

TEST_F(EditorPruefungTest, EveryRefusalWithItsKeyAndArguments)
{
    const std::string chars = "Maximum number of characters";
    const std::string rows = "Maximum number of lines";
    const std::string answer = "Default answer";
    TEditorEingabe memo = Input(ftMemo);
    memo.MaxRow = "";
    TEditorEingabe twoRows = Input(ftMemo);
    twoRows.MaxRow = "2";
    const TCase cases[] = {
        {"no characters", Input(ftString, "0"), {}, {Info("IBetween", {chars, "1", "32000"})}},
        {"too many characters", Input(ftString, "32001"), {}, {Info("IBetween", {chars, "1", "32000"})}},
        {"the largest count", Input(ftString, "32000"), {}, {}},
        {"a count that is no number", Input(ftString, "8O"), {}, {Info("Invalid", {chars})}},
        {"a default longer than allowed",
         With(Input(ftString, "3"), "", "", "abcd"),
         {},
         {Error("DefaultLengthError")}},
        {"a line break counts twice", With(Input(ftString, "3"), "", "", "a\r\nb"), {}, {Error("DefaultLengthError")}},
        {"exactly as long as allowed", With(Input(ftString, "3"), "", "", "a\r\n"), {}, {}},
        {"a memo needs a number of lines", memo, {}, {Info("Invalid", {rows})}},
        {"an empty last line is no line", With(twoRows, "", "", "a\r\nb\r\n"), {}, {}},
        {"too many lines", With(twoRows, "", "", "a\r\nb\r\nc"), {}, {Error("DefaultRowsError")}},
        {"a maximum below the minimum",
         With(Input(ftInteger), "10", "5", ""),
         {},
         {Info("IBetween", {"Maximum", "10", "2147483647"})}},
        {"a thousands separator", With(Input(ftInteger), "1.000", "", ""), {}, {Info("Invalid", {"Minimum"})}},
        {"blanks inside a number", With(Input(ftInteger), "1 000", "", ""), {}, {Info("Invalid", {"Minimum"})}},
        {"blanks around a number", With(Input(ftInteger), " 10 ", "", ""), {}, {}},
        {"beyond the whole numbers",
         With(Input(ftInteger), "-2147483648", "", ""),
         {},
         {Info("IBetween", {"Minimum", "-2147483647", "2147483647"})}},
        {"a default outside the limits",
         With(Input(ftInteger), "1", "10", "20"),
         {},
         {Info("IBetween", {answer, "1", "10"})}},
        {"an unreadable minimum stops the checks",
         With(Input(ftInteger), "x", "y", "z"),
         {},
         {Info("Invalid", {"Minimum"})}},
        {"a number with a thousands separator",
         With(Input(ftReal), "1.000,5", "", ""),
         {},
         {Info("Invalid", {"Minimum"})}},
        {"open bounds show as 1E100",
         With(Input(ftReal), "", "1E101", ""),
         {},
         {Info("Between", {"Maximum", "-1E100", "1E100"})}},
        {"a number default below the minimum",
         With(Input(ftReal), "2,5", "", "1"),
         {},
         {Info("Between", {answer, "2,5", "1E100"})}},
        {"a date without format", With(Input(ftDatum), "rubbish", "", ""), {}, {Error("FormatError")}},
        {"a date maximum before the minimum",
         With(Input(ftDatum), "31.12.2026", "01.01.2026", "", "dd.mm.yyyy"),
         {},
         {Info("Greater", {"Maximum", "31.12.2026"})}},
        {"today passes unchecked", With(Input(ftDatum), "01.01.2030", "", "Today", "dd.mm.yyyy"), {}, {}},
        {"a date that does not fit",
         With(Input(ftDatum), "", "", "32.01.2026", "dd.mm.yyyy"),
         {},
         {Info("InvalidDate", {answer, "dd.mm.yyyy", "01.03.2024"})}},
        {"a faulty date pattern is named once",
         With(Input(ftDatum), "1", "2", "3", "dd.dd"),
         {},
         {Info("InvalidDateFormat", {"dd.dd"})}},
        {"a time after the maximum",
         With(Input(ftZeit), "00:00", "06:00", "07:00", "hh:nn"),
         {},
         {Info("Smaller", {answer, "06:00"})}},
        {"a midnight minimum restricts nothing", With(Input(ftZeit), "00:00", "", "00:01", "hh:nn"), {}, {}},
        {"now passes unchecked", With(Input(ftZeit), "", "06:00", "Now", "hh:nn"), {}, {}},
        {"a choice needs its default among the values",
         With(Input(ftAuswahl), "", "", "C"),
         {"A", "B"},
         {Error("SelectionError")}},
        {"values compare without letter case", With(Input(ftAuswahl), "", "", "b"), {"A", "B"}, {}},
        {"no values: refused whatever the default", With(Input(ftAuswahl), "", "", ""), {}, {Error("SelectionError")}},
        {"the choice rule follows earlier refusals",
         With(Input(ftAuswahl, "0"), "", "", ""),
         {},
         {Info("IBetween", {chars, "1", "32000"}), Error("SelectionError")}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(CheckEditorInput(c.input, c.values), c.expected) << c.what;
}

TEST_F(EditorPruefungTest, WriteBackReadsTheLimitsByType)
{
    struct Case {
        const char* what;
        TEditorEingabe input;
        double minimum;
        double maximum;
    };
    double day = 0;
    ASSERT_TRUE(TryEncodeDate(2026, 2, 1, day));
    const Case cases[] = {
        {"whole numbers", With(Input(ftInteger), "-5", "7", ""), -5, 7},
        {"the extremes are no limit", With(Input(ftInteger), "-2147483647", "2147483647", ""), NoLowerLimit,
         NoUpperLimit},
        {"empty is no limit", With(Input(ftReal), " ", "", ""), NoLowerLimit, NoUpperLimit},
        {"numbers", With(Input(ftReal), "1,25", "1E5", ""), 1.25, 1e5},
        {"dates as whole days", With(Input(ftDatum), "01.02.2026", "", "", "dd.mm.yyyy"), day, NoUpperLimit},
        {"times as the time of day", With(Input(ftZeit), "06:00", "18:00", "", "hh:nn"), 0.25, 0.75},
    };
    for (const Case& c : cases) {
        TTAFeld field;
        WriteEditorInput(c.input, field);
        EXPECT_DOUBLE_EQ(field.Minimum, c.minimum) << c.what;
        EXPECT_DOUBLE_EQ(field.Maximum, c.maximum) << c.what;
        EXPECT_EQ(field.Type, c.input.Type) << c.what;
    }

    TTAFeld text;
    text.Minimum = 3;
    text.MaxRow = 9;
    text.Format = "kept";
    TEditorEingabe input = With(Input(ftString, "x"), "1", "2", "Hello", "0.2");
    input.Question = "Name?";
    input.MaxRow = "2";
    WriteEditorInput(input, text);
    EXPECT_EQ(text.Minimum, 3) << "a type without limits keeps them";
    EXPECT_EQ(text.MaxChar, 80) << "an unreadable count becomes 80";
    EXPECT_EQ(text.MaxRow, 9) << "only a memo takes the lines";
    EXPECT_EQ(text.Format, "kept") << "only a type with a format takes it";
    EXPECT_EQ(text.Question, "Name?");
    EXPECT_EQ(text.Answer, "Hello");
}

TEST_F(EditorPruefungTest, ANumberLimitComesBackRoundedToItsShownDecimals)
{
    TTAFeld field;
    field.Type = ftReal;
    field.Format = "";  // two decimals
    field.Minimum = 1.23456;
    field.Maximum = NoUpperLimit;
    const TEditorEingabe shown = EditorInputOf(field);
    EXPECT_EQ(shown.Minimum, "1,23");
    EXPECT_EQ(shown.Maximum, "") << "an unset limit shows empty";
    WriteEditorInput(shown, field);
    EXPECT_DOUBLE_EQ(field.Minimum, 1.23);
    EXPECT_TRUE(IsNoUpperLimit(field.Maximum));
}

TEST_F(EditorPruefungTest, TheControlsShowOnlyWhatTheTypeUses)
{
    TTAFeld memo;
    memo.Type = ftMemo;
    memo.MaxRow = 6;
    memo.Format = "unused";
    memo.Minimum = 1;
    TEditorEingabe shown = EditorInputOf(memo);
    EXPECT_EQ(shown.MaxRow, "6");
    EXPECT_EQ(shown.Format, "");
    EXPECT_EQ(shown.Minimum, "");
    memo.Type = ftString;
    EXPECT_EQ(EditorInputOf(memo).MaxRow, "") << "lines only for a memo";
}

TEST_F(EditorPruefungTest, CharactersAndLinesAreCountedAsTheFileHoldsThem)
{
    EXPECT_EQ(CharacterCount("a\r\nb"), 4);
    EXPECT_EQ(LineCount(""), 0);
    EXPECT_EQ(LineCount("a"), 1);
    EXPECT_EQ(LineCount("a\r\n"), 1);
    EXPECT_EQ(LineCount("a\r\n\r\n"), 2);
    EXPECT_EQ(LineCount("a\nb\rc"), 3);
}

}  // namespace
