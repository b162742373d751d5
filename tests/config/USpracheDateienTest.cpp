// The shipped language files against the keys the program looks up.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "config/TestMeldungen.h"
#include "config/TestOrdner.h"
#include "config/USprache.h"
#include "config/USpracheKeys.h"
#include "datetime/UDatumzeit.h"
#include "datetime/ULocale.h"
#include "xml/UXBaum.h"
#include "xml/UXParser.h"

namespace {

const std::string kData = TAVIX_DATA_SOURCE;

std::vector<std::string> SplitCrLf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t pos; (pos = text.find("\r\n", start)) != std::string::npos; start = pos + 2)
        lines.push_back(text.substr(start, pos - start));
    lines.push_back(text.substr(start));
    return lines;
}

std::vector<std::string> SplitBar(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t pos; (pos = text.find('|', start)) != std::string::npos; start = pos + 1)
        parts.push_back(text.substr(start, pos - start));
    parts.push_back(text.substr(start));
    return parts;
}

// The offered-formats list: items separated by ";" or blanks, an item in double quotes
// may hold both (a doubled quote stands for one).
std::vector<std::string> SplitFormats(const std::string& text)
{
    std::vector<std::string> items;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ')
            ++i;
        std::string item;
        if (i < text.size() && text[i] == '"') {
            for (++i; i < text.size(); ++i) {
                if (text[i] == '"' && !(i + 1 < text.size() && text[i + 1] == '"'))
                    break;
                if (text[i] == '"')
                    ++i;
                item += text[i];
            }
            ++i;
        }
        while (i < text.size() && text[i] != ';' && static_cast<unsigned char>(text[i]) > ' ')
            item += text[i++];
        items.push_back(item);
        if (i < text.size())
            ++i;
    }
    return items;
}

class ShippedLanguageTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        sprache.Load(GetParam());
        ASSERT_TRUE(sprache.Loaded());
        ASSERT_TRUE(meldungen.Meldungen.empty());
    }

    TTestMeldungen meldungen;
    TSprache sprache{kData};
};

TEST_P(ShippedLanguageTest, HoldsEveryKeyWithMatchingPlaceholders)
{
    for (const TSprachSchluessel& s : SprachSchluessel()) {
        SCOPED_TRACE(std::string(s.Section) + "/" + std::string(s.Key));
        const std::string text = sprache.GetText(s.Section, s.Key);
        ASSERT_NE(text, "#_" + std::string(s.Key));
        EXPECT_FALSE(text.empty());
        // Each argument 0..n-1 is used, none beyond; a translation may reorder them.
        const std::vector<int> used = MsgPlaceholders(text);
        const std::set<int> distinct(used.begin(), used.end());
        std::set<int> expected;
        for (int i = 0; i < s.Arguments; ++i)
            expected.insert(i);
        EXPECT_EQ(distinct, expected) << text;
        if (s.Lines > 0) {
            EXPECT_EQ(SplitCrLf(text).size(), static_cast<std::size_t>(s.Lines)) << text;
        }
    }
}

// Keys in the file that the program never looks up are typing errors or left-overs.
TEST_P(ShippedLanguageTest, HoldsNoKeyTheProgramDoesNotUse)
{
    std::string text = ReadBytes(kData + "/" + GetParam());
    std::string errorText;
    int errorPos = 0;
    const auto tree = TXParser::Parse(text, errorText, errorPos);
    ASSERT_TRUE(tree && tree->DocEl()) << errorText;
    std::set<std::pair<std::string, std::string>> known;
    for (const TSprachSchluessel& s : SprachSchluessel())
        known.emplace(s.Section, s.Key);
    const TXElement* docEl = tree->DocEl();
    for (int i = 0; i < docEl->Children.Count(); ++i) {
        const TXElement* section = docEl->Children.Item(i)->AsElement();
        if (!section)
            continue;
        for (int j = 0; j < section->Children.Count(); ++j) {
            if (const TXElement* key = section->Children.Item(j)->AsElement()) {
                EXPECT_TRUE(known.count({section->Name, key->Name})) << section->Name << "/" << key->Name;
            }
        }
    }
}

TEST_P(ShippedLanguageTest, SaveFilterListsDocumentDataFirstAndTemplatesSecond)
{
    const std::vector<std::string> parts = SplitBar(sprache.GetText("FMHaupt", "SaveFilter"));
    ASSERT_EQ(parts.size() % 2, 0u);
    ASSERT_GE(parts.size(), 4u);
    EXPECT_EQ(parts[1], "*.DXL");
    EXPECT_EQ(parts[3], "*.TXL");
    for (const char* key : {"OpenFilter"})
        EXPECT_EQ(SplitBar(sprache.GetText("FMHaupt", key)).size() % 2, 0u);
    EXPECT_EQ(SplitBar(sprache.GetText("FMEditor", "OpenHelpFilter")).size() % 2, 0u);
    EXPECT_NE(sprache.GetText("Basics", "Today"), sprache.GetText("Basics", "Now"));
}

// Every offered date and time format is a pattern the engine accepts: a value written
// by it reads back, and reads back to the same text.
TEST_P(ShippedLanguageTest, OfferedFormatsAreValidPatterns)
{
    InstallLocaleSettings(DefaultLocaleSettings());
    const std::pair<const char*, double> lists[] = {{"Date", 45123.0}, {"Time", 0.5625}};
    for (const auto& [key, value] : lists) {
        const std::vector<std::string> patterns = SplitFormats(sprache.GetText("Format", key));
        EXPECT_GE(patterns.size(), 3u) << key;
        for (const std::string& pattern : patterns) {
            const std::string text = DTFormatDateTime(pattern, value);
            int error = -1;
            const double back = DTStrToDateTime(text, pattern, error);
            EXPECT_EQ(error, 0) << pattern << " -> " << text;
            EXPECT_EQ(DTFormatDateTime(pattern, back), text) << pattern;
        }
    }
    const std::vector<std::string> precisions = SplitFormats(sprache.GetText("Format", "Float"));
    EXPECT_GE(precisions.size(), 3u);
    for (const std::string& p : precisions) {
        const std::size_t dot = p.find('.');
        EXPECT_TRUE(dot != std::string::npos && dot > 0 && dot + 1 < p.size() &&
                    p.find_first_not_of("0123456789.") == std::string::npos)
            << p;
    }
}

// Windows-1252 bytes, CR LF line ends, and the declared encoding the files are read with.
TEST_P(ShippedLanguageTest, IsSingleByteTextWithCrLfLines)
{
    const std::string bytes = ReadBytes(kData + "/" + GetParam());
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n", 0), 0u);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == '\n') {
            ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at " << i;
        }
        if (c == '\r') {
            ASSERT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "bare CR at " << i;
        }
        // A UTF-8 lead byte followed by a continuation byte means the file was not converted.
        if (c >= 0xC2 && c <= 0xF4 && i + 1 < bytes.size()) {
            ASSERT_FALSE((static_cast<unsigned char>(bytes[i + 1]) & 0xC0) == 0x80) << "UTF-8 at " << i;
        }
    }
    EXPECT_TRUE(bytes.size() >= 2 && bytes.substr(bytes.size() - 2) == "\r\n");
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedLanguageTest, ::testing::Values("ENGLISH.SPR", "Deutsch.SPR"),
                         [](const auto& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

TEST(ShippedGermanTest, UmlautsAreSingleBytes)
{
    TTestMeldungen meldungen;
    TSprache sprache(kData);
    sprache.Load("Deutsch.SPR");
    EXPECT_EQ(sprache.GetText("FMHaupt", "A1010"), "\xD6&ffnen...");
    EXPECT_EQ(sprache.GetText("FMHaupt", "A3080"), "Feld &l\xF6schen");
    EXPECT_EQ(sprache.GetText("Basics", "Confirmation"), "Best\xE4tigung");
}

TEST(KeyTableTest, HasNoDuplicates)
{
    std::set<std::pair<std::string_view, std::string_view>> seen;
    for (const TSprachSchluessel& s : SprachSchluessel())
        EXPECT_TRUE(seen.emplace(s.Section, s.Key).second) << s.Section << "/" << s.Key;
    // Every message-dialog button has its caption key.
    for (int b = 0; b < kMsgButtonCount; ++b)
        EXPECT_TRUE(seen.count({"Basics", MsgButtonName(static_cast<TMsgButton>(b))})) << b;
    for (TMsgKind kind : {TMsgKind::Warning, TMsgKind::Error, TMsgKind::Information, TMsgKind::Confirmation})
        EXPECT_TRUE(seen.count({"Basics", MsgKindTitleKey(kind)})) << MsgKindTitleKey(kind);
}

}  // namespace
