// Which template file and which back end serve a word-processor template name.
#include "word/UWordBackend.h"

#include "config/TestOrdner.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

namespace {

const std::string kBinaryWord = std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + "rest of a Word 97 file";

struct TChoiceCase {
    const char* Name;
    std::vector<std::string> Files;  // in the folder, beside each other
    std::string Asked;               // the name asked for, relative to the folder
    std::string Setting;             // "WordBackend"
    bool LibreOffice;                // can be used here
    std::string File;                // expected, relative; empty: none
    TWordBackend Backend;
    bool Error;
};

void PrintTo(const TChoiceCase& c, std::ostream* out)
{
    *out << c.Name;
}

class WordTemplateChoice : public ::testing::TestWithParam<TChoiceCase> {};

TEST_P(WordTemplateChoice, PicksFileAndBackend)
{
    const TChoiceCase& c = GetParam();
    TTestOrdner folder;
    for (const std::string& file : c.Files) {
        const std::string extension = file.substr(file.rfind('.'));
        WriteBytes(folder / file,
                   extension == ".dot" || extension == ".DOT" ? kBinaryWord : std::string("PK\x03\x04 zip"));
    }
    const TWordTemplateChoice choice = ChooseWordTemplate(folder / c.Asked, c.Setting, c.LibreOffice);
    EXPECT_EQ(choice.File, c.File.empty() ? std::string() : folder / c.File);
    if (!c.File.empty()) {
        EXPECT_EQ(choice.Backend, c.Backend);
    }
    EXPECT_EQ(!choice.Error.empty(), c.Error) << choice.Error;
}

using B = TWordBackend;
INSTANTIATE_TEST_SUITE_P(
    Cases, WordTemplateChoice,
    ::testing::Values(
        TChoiceCase{
            "DotWithLibreOffice", {"Brief.dot", "Brief.dotx"}, "Brief", "", true, "Brief.dot", B::LibreOffice, false},
        TChoiceCase{"DotWithoutLibreOfficeGivesWay",
                    {"Brief.dot", "Brief.dotx"},
                    "Brief",
                    "",
                    false,
                    "Brief.dotx",
                    B::Embedded,
                    false},
        TChoiceCase{"DotAloneWithoutLibreOffice", {"Brief.dot"}, "Brief", "", false, "", B::Embedded, true},
        TChoiceCase{"DotxIsEmbedded", {"Brief.dotx"}, "Brief", "", true, "Brief.dotx", B::Embedded, false},
        TChoiceCase{"OttIsEmbedded", {"Brief.ott"}, "Brief", "", true, "Brief.ott", B::Embedded, false},
        TChoiceCase{"SettingMakesLibreOfficeTheBackend",
                    {"Brief.ott"},
                    "Brief",
                    "libreoffice",
                    true,
                    "Brief.ott",
                    B::LibreOffice,
                    false},
        TChoiceCase{"SettingWithoutLibreOffice",
                    {"Brief.dotx"},
                    "Brief",
                    "LibreOffice",
                    false,
                    "Brief.dotx",
                    B::Embedded,
                    false},
        TChoiceCase{"SettingEmbeddedLetsDotGiveWay",
                    {"Brief.dot", "Brief.dotx"},
                    "Brief",
                    "Embedded",
                    true,
                    "Brief.dotx",
                    B::Embedded,
                    false},
        TChoiceCase{"SettingEmbeddedDotAloneStillReadByLibreOffice",
                    {"Brief.dot"},
                    "Brief",
                    "embedded",
                    true,
                    "Brief.dot",
                    B::LibreOffice,
                    false},
        TChoiceCase{"OtherSettingIsIgnored", {"Brief.dotx"}, "Brief", "Word", true, "Brief.dotx", B::Embedded, false},
        TChoiceCase{
            "ExplicitDot", {"Brief.dot", "Brief.dotx"}, "Brief.dot", "", true, "Brief.dot", B::LibreOffice, false},
        TChoiceCase{"ExplicitDotWithoutLibreOffice",
                    {"Brief.dot", "Brief.dotx"},
                    "Brief.dot",
                    "",
                    false,
                    "",
                    B::Embedded,
                    true},
        TChoiceCase{"ExplicitUpperCaseDot", {"BRIEF.DOT"}, "BRIEF.DOT", "", true, "BRIEF.DOT", B::LibreOffice, false},
        TChoiceCase{"NothingThere", {}, "Brief", "", true, "", B::Embedded, false}),
    [](const ::testing::TestParamInfo<TChoiceCase>& info) { return std::string(info.param.Name); });

// A Word 97 file is recognised by its content too, whatever its name says.
TEST(WordTemplateChoice, BinaryContentUnderAnotherNameNeedsLibreOffice)
{
    TTestOrdner folder;
    WriteBytes(folder / "Alt.dotx", kBinaryWord);
    const TWordTemplateChoice with = ChooseWordTemplate(folder / "Alt", "", true);
    EXPECT_EQ(with.File, folder / "Alt.dotx");
    EXPECT_EQ(with.Backend, TWordBackend::LibreOffice);
    const TWordTemplateChoice without = ChooseWordTemplate(folder / "Alt", "", false);
    EXPECT_EQ(without.File, "");
    // The message names the file and both ways out.
    EXPECT_NE(without.Error.find(folder / "Alt.dotx"), std::string::npos) << without.Error;
    EXPECT_NE(without.Error.find("LibreOffice Writer"), std::string::npos) << without.Error;
    EXPECT_NE(without.Error.find(".dotx"), std::string::npos) << without.Error;
}

}  // namespace

TEST(WordAdapter, FactoryConnectionAndTemplateLookup)
{
    std::string error;
    auto app = MakeWordApp(TWordBackend::Embedded, error);
    ASSERT_TRUE(app) << error;
    bool attached = true;
    EXPECT_EQ(app->Connect(attached), "");
    EXPECT_FALSE(attached);
    EXPECT_FALSE(app->Visible());
    app->Show();
    EXPECT_TRUE(app->Visible());
#ifndef TAVIX_HAVE_LIBREOFFICE
    EXPECT_FALSE(MakeWordApp(TWordBackend::LibreOffice, error));
    EXPECT_NE(error, "");
#endif

    TWordBackend kind = TWordBackend::LibreOffice;
    EXPECT_TRUE(WordBackendFromName("Embedded", kind));
    EXPECT_EQ(kind, TWordBackend::Embedded);
    EXPECT_FALSE(WordBackendFromName("word", kind));

    TTestOrdner folder;
    EXPECT_EQ(FindWordTemplateFile(folder / "Brief"), "");
    WriteBytes(folder / "Brief.ott", "x");
    WriteBytes(folder / "Brief.dotx", "x");
    EXPECT_EQ(FindWordTemplateFile(folder / "Brief"), folder / "Brief.dotx");
    WriteBytes(folder / "Brief.dot", "x");
    EXPECT_EQ(FindWordTemplateFile(folder / "Brief"), folder / "Brief.dot");
}
