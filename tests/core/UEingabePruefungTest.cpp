#include "core/UEingabePruefung.h"

#include <gtest/gtest.h>

#include "config/TestOrdner.h"
#include "datetime/TestLocales.h"
#include "datetime/UClock.h"

namespace {

TEingabeMeldung Expected(std::string section, std::string key, std::vector<std::string> args,
                         TMsgKind kind = TMsgKind::Information)
{
    return {std::move(section), std::move(key), std::move(args), kind};
}

struct TNumberCase {
    const char* Text;
    double Minimum;
    double Maximum;
    const char* Format;
    std::optional<TEingabeMeldung> Result;
};

TEST(EingabePruefungTest, NumberAnswersAgainstTheirLimits)
{
    TScopedLocaleSettings german(GermanSettings());
    const TNumberCase cases[] = {
        // Without limits anything passes, even letters or nothing in a number field.
        {"abc", NoLowerLimit, NoUpperLimit, "%0.0f", std::nullopt},
        {"", NoLowerLimit, NoUpperLimit, "", std::nullopt},
        {"abc", NoLowerLimit * (1 - 1e-17), NoUpperLimit * (1 + 1e-17), "", std::nullopt},  // read back from text
        // With a limit the text must be a number with the user's separator.
        {"abc", 1, NoUpperLimit, "%0.0f", Expected("FMEingabe", "Invalid", {})},
        {"", 1, NoUpperLimit, "", Expected("FMEingabe", "Invalid", {})},
        {"1.5", 1, NoUpperLimit, "", Expected("FMEingabe", "Invalid", {})},
        {"1", 1, NoUpperLimit, "%0.0f", std::nullopt},
        {"1,5", 1, NoUpperLimit, "%0.0f", std::nullopt},  // no whole number needed
        // Both limits inclusive.
        {"10", 10, 20, "", std::nullopt},
        {"20", 10, 20, "", std::nullopt},
        {" 15 ", 10, 20, "", std::nullopt},
        {"9,99", 10, 20, "", Expected("FMEingabe", "Greater", {"10,00"})},
        {"20,01", 10, 20, "", Expected("FMEingabe", "Smaller", {"20,00"})},
        {"20,01", 10, 20, "%0.0f", Expected("FMEingabe", "Smaller", {"20"})},
        {"-5", 0.5, NoUpperLimit, "0.3", Expected("FMEingabe", "Greater", {"0,500"})},
        {"1E3", NoLowerLimit, 100, "", Expected("FMEingabe", "Smaller", {"100,00"})},
    };
    for (const TNumberCase& c : cases)
        EXPECT_EQ(CheckNumberInput(c.Text, c.Minimum, c.Maximum, c.Format), c.Result)
            << '"' << c.Text << "\" in " << c.Minimum << ".." << c.Maximum;
}

TEST(EingabePruefungTest, DatesCompareWholeDaysAndNameTheLimitByPattern)
{
    TScopedLocaleSettings german(GermanSettings());
    const double jan1 = 36526;  // 1 January 2000
    // The time of day never moves a date over its limit.
    EXPECT_EQ(CheckDateInput(jan1 + 0.99, jan1, jan1, "dd.mm.yyyy"), std::nullopt);
    EXPECT_EQ(CheckDateInput(jan1 - 1, jan1, jan1 + 30, "dd.mm.yyyy"), Expected("FMDatum", "Greater", {"01.01.2000"}));
    EXPECT_EQ(CheckDateInput(jan1 + 31, jan1, jan1 + 30, "d. mmmm yyyy"),
              Expected("FMDatum", "Smaller", {"31. Januar 2000"}));
    // Without a pattern the limit is written in the short date format.
    EXPECT_EQ(CheckDateInput(jan1 - 1, jan1, NoUpperLimit, ""), Expected("FMDatum", "Greater", {"01.01.2000"}));
    EXPECT_EQ(CheckDateInput(-1e6, NoLowerLimit, NoUpperLimit, ""), std::nullopt);
}

TEST(EingabePruefungTest, TimesCompareTheTimeOfDayOnly)
{
    TScopedLocaleSettings german(GermanSettings());
    const double eight = 8.0 / 24, six = 18.0 / 24;
    // A value with a date part (the picker's value) is judged by its time alone.
    EXPECT_EQ(CheckTimeInput(36526 + 0.5, eight, six, "hh:nn"), std::nullopt);
    EXPECT_EQ(CheckTimeInput(eight, eight, six, "hh:nn"), std::nullopt);
    EXPECT_EQ(CheckTimeInput(six, eight, six, "hh:nn"), std::nullopt);
    EXPECT_EQ(CheckTimeInput(36526 + 7.5 / 24, eight, six, "hh:nn"), Expected("FMZeit", "Greater", {"08:00"}));
    EXPECT_EQ(CheckTimeInput(19.0 / 24, eight, six, "hh:nn"), Expected("FMZeit", "Smaller", {"18:00"}));
    // Without a pattern the limit is written in the long time format.
    EXPECT_EQ(CheckTimeInput(19.0 / 24, NoLowerLimit, six, ""), Expected("FMZeit", "Smaller", {"18:00:00"}));
}

TEST(EingabePruefungTest, DateAndTimePartsFollowTheSignRule)
{
    EXPECT_EQ(DatePart(36526.75), 36526);
    EXPECT_DOUBLE_EQ(TimePart(36526.75), 0.75);
    EXPECT_EQ(DatePart(-1.25), -1);  // 29 December 1899, 06:00
    EXPECT_DOUBLE_EQ(TimePart(-1.25), 0.25);
    // Half a millisecond before midnight rounds into the next day, not to 1.0.
    const double almost = 36526 + (86400000.0 - 0.4) / 86400000.0;
    EXPECT_EQ(DatePart(almost), 36527);
    EXPECT_EQ(TimePart(almost), 0.0);
}

TEST(EingabePruefungTest, ChoicesIgnoreLetterCaseIncludingAccentedLetters)
{
    const std::vector<std::string> values = {"Apfel", "\xC4pfel", "Birne", "birne"};
    EXPECT_EQ(FindChoice(values, "BIRNE"), 2);  // the first of equal entries
    EXPECT_EQ(FindChoice(values, "\xE4PFEL"), 1);
    EXPECT_EQ(FindChoice(values, "Apfe"), -1);
    EXPECT_EQ(FindChoice({}, ""), -1);
    EXPECT_EQ(FindChoice({"\xD7"}, "\xF7"), -1);  // multiplication and division sign are no letters

    EXPECT_EQ(CheckChoiceInput(0, 1), std::nullopt);
    const auto select = Expected("FMListbox", "Select", {}, TMsgKind::Error);
    EXPECT_EQ(CheckChoiceInput(-1, 3), select);
    EXPECT_EQ(CheckChoiceInput(3, 3), select);
}

// The field's type decides which part of the answer counts and which rule applies: the
// text of text and number fields, the value of dates and times, the entry of a choice;
// a memo takes anything.
TEST(EingabePruefungTest, EachFieldTypeChecksItsOwnPartOfTheAnswer)
{
    TScopedLocaleSettings german(GermanSettings());
    TTAFeld field;
    field.Minimum = 36526;  // 1 January 2000 as a date, 5 as a number
    field.Maximum = 36556;
    field.Format = "dd.mm.yyyy";
    field.VList = {"Rot", "Blau"};
    const struct {
        int Type;
        TAntwort Answer;
        TPruefung Result;
    } cases[] = {
        {ftString, {.Text = "36526"}, std::nullopt},
        {ftString, {.Text = "x", .Value = 36526}, Expected("FMEingabe", "Invalid", {})},
        {ftInteger, {.Text = "1"}, Expected("FMEingabe", "Greater", {NumberLimitText(field.Format, field.Minimum)})},
        {ftDatum, {.Text = "x", .Value = 36530.5}, std::nullopt},
        {ftDatum, {.Text = "36530", .Value = 36525}, Expected("FMDatum", "Greater", {"01.01.2000"})},
        {ftAuswahl, {.Text = "Gelb", .Choice = 1}, std::nullopt},
        {ftAuswahl, {.Text = "Rot", .Choice = -1}, Expected("FMListbox", "Select", {}, TMsgKind::Error)},
        {ftMemo, {.Text = "x", .Choice = -1, .Value = -1e9}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Type);
        field.Type = c.Type;
        EXPECT_EQ(CheckAnswer(RulesOf(field), c.Answer), c.Result);
    }
    field.Type = ftZeit;
    field.Minimum = 0.5;
    field.Maximum = 0.75;
    field.Format = "hh:nn";
    EXPECT_EQ(CheckAnswer(RulesOf(field), {.Value = 36530.25}), Expected("FMZeit", "Greater", {"12:00"}));
}

TEST(EingabePruefungTest, TypedTextMustFitTheFileEncoding)
{
    EXPECT_EQ(CheckRepresentable("Gr\xC3\xBC\xC3\x9F"
                                 "e \xE2\x82\xAC"),
              std::nullopt);  // ü ß €
    // A Polish L with stroke twice and a CJK character: each named once, in text order.
    EXPECT_EQ(CheckRepresentable("\xC5\x81\xC3\xB3"
                                 "d\xC5\xBA \xC5\x81 \xE4\xB8\xAD"),
              Expected("Basics", "NotRepresentable", {"U+0141, U+017A, U+4E2D"}, TMsgKind::Error));
    EXPECT_EQ(CheckRepresentable("\xFF"), Expected("Basics", "NotRepresentable", {"U+FFFD"}, TMsgKind::Error));
}

TEST(EingabePruefungTest, MessageTextComesFromTheLanguageTable)
{
    TTestOrdner dir;
    WriteBytes(dir / "T.SPR",
               "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n<Sprache>\r\n\t<FMEingabe>\r\n"
               "\t\t<Greater>Mindestens %s.</Greater>\r\n\t</FMEingabe>\r\n</Sprache>\r\n");
    TSprache sprache(dir.Path());
    sprache.Load("T.SPR");
    TSprache* previous = SetSprache(&sprache);
    EXPECT_EQ(Expected("FMEingabe", "Greater", {"10"}).Text(), "Mindestens 10.");
    EXPECT_EQ(Expected("FMEingabe", "Smaller", {"10"}).Text(), "#_Smaller");
    // A file older than the encoding check still gives a readable sentence.
    const std::string refused = CheckRepresentable("\xE4\xB8\xAD")->Text();
    EXPECT_NE(refused.find("(U+4E2D)"), std::string::npos) << refused;
    EXPECT_EQ(refused.find("#_"), std::string::npos);
    SetSprache(previous);
}

TEST(EingabePruefungTest, AnUnreadableTimeIsRefusedWithAnExampleOfItsFormat)
{
    TScopedLocaleSettings german(GermanSettings());
    TFixedClock clock(45352 + 10.5 / 24);  // 10:30
    EXPECT_EQ(UnreadableTimeMessage("hh:nn"), Expected("FMZeit", "Invalid", {"10:30"}));
    EXPECT_EQ(UnreadableTimeMessage(""), Expected("FMZeit", "Invalid", {"10:30:00"})) << "the long time format";
}

}  // namespace
