#include "env/VControl.h"

#include "datetime/TestLocales.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

TEST(VControl, ProgramFolderEndsWithASeparator)
{
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(folder.front(), '/');
}

TEST(VControl, BaseNameDropsFolderAndExtension)
{
    const struct {
        const char* FileName;
        const char* Expected;
    } cases[] = {
        {"C:\\Vorlagen\\Brief.TXL", "Brief"},
        {"/home/anna/Tavix/Antrag.neu.DXL", "Antrag.neu"},
        {"Brief", "Brief"},
        {"ordner.alt/Brief", "Brief"},  // a dot in the folder is not an extension
        {"C:Brief.dot", "Brief"},       // drive colon
        {".profil", ""},
        {"Brief.", "Brief"},
        {"/home/anna/", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BaseName(c.FileName), c.Expected) << c.FileName;
}

TEST(VControl, StartsWithIsCaseSensitive)
{
    EXPECT_TRUE(StartsWith("COMMON", "COMMON_APPDATA"));
    EXPECT_TRUE(StartsWith("", "abc"));
    EXPECT_TRUE(StartsWith("abc", "abc"));
    EXPECT_FALSE(StartsWith("common", "COMMON_APPDATA"));
    EXPECT_FALSE(StartsWith("abcd", "abc"));
    EXPECT_FALSE(StartsWith("b", "abc"));
}

TEST(VControl, LineBreaksBecomeVerticalTabs)
{
    EXPECT_EQ(LineBreaksToVT("a\r\nb\rc\nd"), "a\vb\vc\vd");
    EXPECT_EQ(LineBreaksToVT("\n\r"), "\v\v");  // LF CR is two breaks
    EXPECT_EQ(LineBreaksToVT("\r\n\r\n"), "\v\v");
    EXPECT_EQ(LineBreaksToVT("end\r"), "end\v");
    EXPECT_EQ(LineBreaksToVT("plain"), "plain");
}

TEST(VControl, EnsureRangeClamps)
{
    EXPECT_EQ(EnsureRange(5, 1, 20), 5);
    EXPECT_EQ(EnsureRange(0, 1, 20), 1);
    EXPECT_EQ(EnsureRange(25, 1, 20), 20);
    EXPECT_EQ(EnsureRange(5, 10, 2), 10);  // the minimum wins when the bounds cross
    EXPECT_EQ(EnsureRange(-2147483647 - 1, -5, 5), -5);
}

TEST(VControl, PickerFormatAndFirstLine)
{
    EXPECT_EQ(ToPickerFormat("hh:nn"), "HH:mm");
    EXPECT_EQ(ToPickerFormat("h:nn:ss"), "H:mm:ss");
    EXPECT_EQ(ToPickerFormat("HH:NN"), "HH:NN");
    EXPECT_EQ(ToPickerFormat(""), "");

    EXPECT_EQ(FirstLine("erste\r\nzweite"), "erste");
    EXPECT_EQ(FirstLine("erste\nzweite\rdritte"), "erste\nzweite");  // CR comes first in the rule
    EXPECT_EQ(FirstLine("eine"), "eine");
    EXPECT_EQ(FirstLine("ende\n"), "ende");
    EXPECT_EQ(FirstLine("\r\n"), "");
}

TEST(VControl, NumbersAreReadWithTheUsersSeparator)
{
    TScopedLocaleSettings german(GermanSettings());
    const double fallback = -99.0;
    const struct {
        const char* Text;
        double Expected;
    } cases[] = {
        {"1,5", 1.5},      {" -2,25 ", -2.25},    {"+3", 3},           {",5", 0.5},       {"5,", 5},
        {"1,5E3", 1500},   {"1,5e-3", 0.0015},    {"2E+2", 200},       {"0", 0},          {"1E-400", 0},
        {"1.5", fallback}, {"1.000,5", fallback}, {"", fallback},      {",", fallback},   {"e5", fallback},
        {"1e", fallback},  {"1e+", fallback},     {"- 3", fallback},   {"3 4", fallback}, {"INF", fallback},
        {"NAN", fallback}, {"0x10", fallback},    {"1E400", fallback}, {"--1", fallback}, {"1,5,", fallback},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StrToFloatDefault(c.Text, fallback), c.Expected) << c.Text;

    double value = 7.0;
    EXPECT_FALSE(TryStrToFloat("abc", value));
    EXPECT_EQ(value, 7.0);
    EXPECT_TRUE(TryStrToFloat("-1E-400", value));
    EXPECT_EQ(value, 0.0);
    EXPECT_TRUE(std::signbit(value));
    EXPECT_EQ(StrToFloatDefault("1E100", 0), 1e100);
    EXPECT_EQ(StrToFloatDefault("0,1", 0), 0.1);

    TScopedLocaleSettings us(UsSettings());
    EXPECT_EQ(StrToFloatDefault("1.5", fallback), 1.5);
    EXPECT_EQ(StrToFloatDefault("1,5", fallback), fallback);
}

TEST(VControl, FormatNumberWritesFixedPoint)
{
    TScopedLocaleSettings german(GermanSettings());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* Format;
        double Value;
        const char* Expected;
    } cases[] = {
        {"0.3", 3.14159, "3,142"},
        {"", 2.5, "2,50"},  // the empty format gives two decimals
        {"0.0", 2.5, "3"},  // halves round away from zero
        {"0.0", -2.5, "-3"},
        {"0.0", 1234567.0, "1234567"},
        {"0.2", 2.675, "2,68"},  // as the number reads, not its binary neighbour
        {"0.2", 1.005, "1,01"},
        {"0.2", 0.995, "1,00"},
        {"0.2", 9.999, "10,00"},
        {"0.2", -0.001, "0,00"},  // no minus sign on a zero
        {"0.2", 0.005, "0,01"},
        {"0.2", 0.0049, "0,00"},
        {"0.1", 1e-300, "0,0"},
        {"8.2", 3.5, "    3,50"},
        {"-8.2", 3.5, "3,50    "},
        {"5", 1.5, " 1,50"},
        {".3", 1.5, "1,500"},
        {"-", 1.5, "1,50"},
        {"2.1", 123.45, "123,5"},  // a width never cuts
        {"", 1e20, "100000000000000000000,00"},
        {"", -0.0, "0,00"},
        {"0.2", nan, "NAN"},
        {"6.2", -inf, "  -INF"},
        // Formats that cannot be honoured fall back to the empty format.
        {"999.999", 1.5, "1,50"},
        {"101.2", 1.5, "1,50"},
        {"0.21", 1.5, "1,50"},
        {"%n", 1.5, "1,50"},
        {"s", 1.5, "1,50"},
        {"0.", 1.5, "1,50"},
        {"*.*", 1.5, "1,50"},
        {"+5.1", 1.5, "1,50"},
        {"08.2", 1.5, "    1,50"},  // a leading zero is part of the width
        {"99999999999999999999.2", 1.5, "1,50"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatNumber(c.Format, c.Value), c.Expected) << "format '" << c.Format << "'";

    EXPECT_EQ(FormatNumber("100.2", 1.0).size(), 100u);
    const std::string widest = FormatNumber("100.20", -1.7976931348623157e308);
    EXPECT_EQ(widest.size(), 1u + 309u + 1u + 20u);
    EXPECT_EQ(widest.substr(0, 6), "-17976");

    TScopedLocaleSettings us(UsSettings());
    EXPECT_EQ(FormatNumber("0.3", 3.14159), "3.142");
    EXPECT_EQ(FormatNumber("", 0.0), "0.00");
}

}  // namespace
