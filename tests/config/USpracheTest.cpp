#include "config/USprache.h"

#include <gtest/gtest.h>

#include "config/TestMeldungen.h"
#include "config/TestOrdner.h"

namespace {

const char* const kCrLf = "\r\n";

// A language file as the program reads it: CR LF line ends, tab indentation.
std::string LanguageFile(const std::string& body)
{
    return std::string("<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n<Sprache>\r\n") + body + "</Sprache>\r\n";
}

class SpracheTest : public ::testing::Test {
protected:
    void Write(const std::string& name, const std::string& body) { WriteBytes(dir / name, LanguageFile(body)); }

    TTestOrdner dir;
    TTestMeldungen meldungen;
};

TEST_F(SpracheTest, WithoutAFileEveryTextIsItsFallback)
{
    TSprache sprache(dir.Path());
    EXPECT_FALSE(sprache.Loaded());
    EXPECT_EQ(sprache.GetText("Basics", "OK"), "#_OK");
    EXPECT_TRUE(meldungen.Meldungen.empty());
}

TEST_F(SpracheTest, LooksUpTextsBySectionAndKey)
{
    Write("TEST.SPR",
          "\t<Basics>\r\n"
          "\t\t<OK>\r\n\t\t\tOK\r\n\t\t</OK>\r\n"
          "\t\t<Kept xml:space=\"preserve\">\r\n\t\t\tOK  x\r\n\t\t</Kept>\r\n"
          "\t\t<Angle>&lt;Ja&gt;</Angle>\r\n"
          "\t\t<Empty></Empty>\r\n"
          "\t\t<Hash>####</Hash>\r\n"
          "\t\t<Twice>first</Twice>\r\n"
          "\t\t<Twice>second</Twice>\r\n"
          "\t\t<Shared>in Basics</Shared>\r\n"
          "\t</Basics>\r\n"
          "\t<x:FMHaupt>\r\n\t\t<y:LVCol1>Question</y:LVCol1>\r\n\t\t<Shared>in FMHaupt</Shared>\r\n\t</x:FMHaupt>\r\n"
          "\t<Basics>\r\n\t\t<Late>never seen</Late>\r\n\t</Basics>\r\n");
    TSprache sprache(dir.Path());
    sprache.Load("TEST.SPR");
    ASSERT_TRUE(sprache.Loaded());
    EXPECT_TRUE(meldungen.Meldungen.empty());

    struct Case {
        const char* section;
        const char* key;
        std::string expected;
    };
    const Case cases[] = {
        {"Basics", "OK", "OK"},                                          // whitespace normalized
        {"Basics", "Kept", std::string(kCrLf) + "\t\t\tOK  x\r\n\t\t"},  // xml:space kept verbatim
        {"Basics", "Angle", "<Ja>"},
        {"Basics", "Empty", ""},
        {"Basics", "Hash", "#_Hash"},  // a literal "####" counts as missing
        {"Basics", "Twice", "first"},
        {"Basics", "Late", "#_Late"},  // only the first section of a name counts
        {"Basics", "Shared", "in Basics"},
        {"FMHaupt", "Shared", "in FMHaupt"},
        {"FMHaupt", "LVCol1", "Question"},  // prefixes are ignored on both levels
        {"FMHaupt", "OK", "#_OK"},
        {"Missing", "OK", "#_OK"},
        {"basics", "OK", "#_OK"},  // names are case-sensitive
    };
    for (const Case& c : cases)
        EXPECT_EQ(sprache.GetText(c.section, c.key), c.expected) << c.section << "/" << c.key;
}

TEST_F(SpracheTest, MissingFileKeepsTheEarlierLanguage)
{
    Write("ENGLISH.SPR", "\t<Basics>\r\n\t\t<Cancel>Cancel</Cancel>\r\n\t</Basics>\r\n");
    TSprache sprache(dir.Path());
    sprache.Load("ENGLISH.SPR");
    sprache.Load("KLINGONISCH.SPR");

    EXPECT_EQ(sprache.GetText("Basics", "Cancel"), "Cancel");
    ASSERT_EQ(meldungen.Meldungen.size(), 1u);
    EXPECT_TRUE(meldungen.Meldungen[0].Stock);
    EXPECT_EQ(meldungen.Meldungen[0].Icon, TStockIcon::Information);
    EXPECT_EQ(meldungen.Meldungen[0].Text, "Not found :\r\n\"" + dir.Path() + "KLINGONISCH.SPR\"");
}

TEST_F(SpracheTest, AFileNamedInAnotherLetterCaseIsLoaded)
{
    Write("francais.spr", "\t<Basics>\r\n\t\t<Cancel>Annuler</Cancel>\r\n\t</Basics>\r\n");
    TSprache sprache(dir.Path());
    sprache.Load("francais.SPR");  // as the language list names it
    EXPECT_EQ(sprache.GetText("Basics", "Cancel"), "Annuler");
    EXPECT_TRUE(meldungen.Meldungen.empty());
}

TEST_F(SpracheTest, UnparsableFileDropsEveryText)
{
    Write("ENGLISH.SPR", "\t<Basics>\r\n\t\t<Cancel>Cancel</Cancel>\r\n\t</Basics>\r\n");
    WriteBytes(dir / "BROKEN.SPR", "<Sprache><Basics><OK>OK</Basics></Sprache>\r\n");
    TSprache sprache(dir.Path());
    sprache.Load("ENGLISH.SPR");
    sprache.Load("BROKEN.SPR");

    EXPECT_FALSE(sprache.Loaded());
    EXPECT_EQ(sprache.GetText("Basics", "Cancel"), "#_Cancel");
    ASSERT_EQ(meldungen.Meldungen.size(), 1u);
    const auto& m = meldungen.Meldungen[0];
    EXPECT_FALSE(m.Stock);  // through the message dialog, without the parser's details
    EXPECT_EQ(m.Kind, TMsgKind::Error);
    EXPECT_EQ(m.Buttons, (TMsgButtons{TMsgButton::OK}));
    EXPECT_EQ(m.Text, "Error found while analysing \"BROKEN.SPR\"");
}

TEST_F(SpracheTest, FolderThatIsNotAFileCountsAsMissing)
{
    std::filesystem::create_directories(dir / "ODD.SPR");
    TSprache sprache(dir.Path());
    sprache.Load("ODD.SPR");
    ASSERT_EQ(meldungen.Meldungen.size(), 1u);
    EXPECT_TRUE(meldungen.Meldungen[0].Stock);
}

TEST_F(SpracheTest, GlobalTableServesGetText)
{
    Write("ENGLISH.SPR", "\t<Basics>\r\n\t\t<New>New</New>\r\n\t</Basics>\r\n");
    TSprache sprache(dir.Path());
    sprache.Load("ENGLISH.SPR");

    EXPECT_EQ(GetText("Basics", "New"), "#_New");
    TSprache* previous = SetSprache(&sprache);
    EXPECT_EQ(GetText("Basics", "New"), "New");
    EXPECT_EQ(SetSprache(previous), &sprache);
}

TEST(FormatMsgTest, FillsPlaceholdersSafely)
{
    struct Case {
        const char* pattern;
        std::vector<std::string> args;
        const char* expected;
    };
    const Case cases[] = {
        {"Not \"%s\" here", {"a.txt"}, "Not \"a.txt\" here"},
        {"%s: %s to %s", {"Max", "1", "9"}, "Max: 1 to 9"},
        {"%1:s before %0:s", {"a", "b"}, "b before a"},
        {"%1:s then %s", {"a", "b", "c"}, "b then c"},  // numbering goes on after an index
        {"100%% sure", {}, "100% sure"},
        {"%d %x %n %", {"a"}, "%d %x %n %"},  // only %s is a placeholder
        {"%s and %s", {"one"}, "one and "},   // a missing argument gives nothing
        {"%s", {"%s%%"}, "%s%%"},             // arguments are not read again
        {"", {}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatMsg(c.pattern, c.args), c.expected) << c.pattern;
}

TEST(FormatMsgTest, TellsWhichArgumentsAPatternUses)
{
    EXPECT_EQ(MsgPlaceholders("%s: %s to %s"), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(MsgPlaceholders("%2:s %0:s %s"), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(MsgPlaceholders("100%% %d"), std::vector<int>{});
}

TEST(MsgDlgTest, ButtonsReturnTheirResults)
{
    const std::pair<TMsgButton, int> cases[] = {
        {TMsgButton::Yes, 6},     {TMsgButton::No, 7},        {TMsgButton::OK, 1},     {TMsgButton::Cancel, 2},
        {TMsgButton::Abort, 3},   {TMsgButton::Retry, 4},     {TMsgButton::Ignore, 5}, {TMsgButton::All, 8},
        {TMsgButton::NoToAll, 9}, {TMsgButton::YesToAll, 10}, {TMsgButton::Help, 0},
    };
    for (const auto& [button, result] : cases)
        EXPECT_EQ(MsgButtonResult(button), result) << MsgButtonName(button);
    EXPECT_STREQ(MsgButtonName(TMsgButton::NoToAll), "NoToAll");
    EXPECT_STREQ(MsgKindTitleKey(TMsgKind::Confirmation), "Confirmation");
    EXPECT_STREQ(MsgKindTitleKey(TMsgKind::Custom), "");
}

TEST(MsgDlgTest, DefaultAndCancelButtons)
{
    struct Case {
        TMsgButtons buttons;
        TMsgButton defaultButton;
        TMsgButton cancelButton;
    };
    const Case cases[] = {
        {{TMsgButton::OK, TMsgButton::Cancel}, TMsgButton::OK, TMsgButton::Cancel},
        {{TMsgButton::Yes, TMsgButton::No, TMsgButton::Cancel}, TMsgButton::Yes, TMsgButton::Cancel},
        {{TMsgButton::Yes, TMsgButton::No}, TMsgButton::Yes, TMsgButton::No},
        // No alone: the default would be Retry, which is not there; Esc presses No.
        {{TMsgButton::No}, TMsgButton::Retry, TMsgButton::No},
        {{TMsgButton::OK}, TMsgButton::OK, TMsgButton::OK},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MsgDefaultButton(c.buttons), c.defaultButton) << c.buttons.Bits();
        EXPECT_EQ(MsgCancelButton(c.buttons), c.cancelButton) << c.buttons.Bits();
    }
    EXPECT_EQ((TMsgButtons{TMsgButton::Yes, TMsgButton::No, TMsgButton::Cancel}).Bits(), 0b1011);
}

TEST(MsgDlgTest, GoesToTheInstalledTarget)
{
    // Without a target nothing waits: the question counts as cancelled.
    EXPECT_EQ(MsgDlg("Save?", TMsgKind::Confirmation, {TMsgButton::Yes, TMsgButton::No}), mrCancel);

    TTestMeldungen meldungen;
    meldungen.Antworten = {mrYes, mrNo};
    EXPECT_EQ(MsgDlg("First?", TMsgKind::Confirmation, {TMsgButton::Yes, TMsgButton::No}), mrYes);
    EXPECT_EQ(MsgDlg("Second?", TMsgKind::Confirmation, {TMsgButton::Yes, TMsgButton::No}), mrNo);
    StockMessage("Fixed", TStockIcon::Error);
    ASSERT_EQ(meldungen.Meldungen.size(), 3u);
    EXPECT_EQ(meldungen.Meldungen[1].Text, "Second?");
    EXPECT_TRUE(meldungen.Meldungen[2].Stock);
    EXPECT_EQ(meldungen.Meldungen[2].Icon, TStockIcon::Error);
}

}  // namespace
