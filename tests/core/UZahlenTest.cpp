#include "core/UZahlen.h"

#include "datetime/TestLocales.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(UZahlen, GeneralFormat)
{
    TScopedLocaleSettings german(GermanSettings());
    const struct {
        double Value;
        const char* Expected;
    } cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {1.5, "1,5"},
        {-1.5, "-1,5"},
        {100.0, "100"},
        {36526.0, "36526"},  // 1 January 2000 as a date limit
        {0.75, "0,75"},      // 18:00 as a time limit
        {0.1 + 0.2, "0,3"},  // 15 significant digits hide the binary tail
        {1.0 / 3.0, "0,333333333333333"},
        {2.0 / 3.0, "0,666666666666667"},
        {-2147483647.0, "-2147483647"},
        {1e14, "100000000000000"},
        {999999999999999.0, "999999999999999"},  // 15 digits before the separator: fixed
        {123456789012345.6, "123456789012346"},
        {1e15, "1E15"},                  // 16 digits: scientific
        {9.999999999999999e14, "1E15"},  // rounds up into 16 digits
        {12345678901234567890.0, "1,23456789012346E19"},
        {1e100, "1E100"},
        {-1e100, "-1E100"},
        {0.00001, "0,00001"},  // the smallest magnitude in fixed notation
        {0.000012345, "0,000012345"},
        {0.0000099, "9,9E-6"},
        {1.5e-7, "1,5E-7"},
        {-2.5e-300, "-2,5E-300"},
        {std::numeric_limits<double>::denorm_min(), "4,94065645841247E-324"},
        {std::numeric_limits<double>::max(), "1,79769313486232E308"},
        {std::numeric_limits<double>::infinity(), "INF"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
        {std::numeric_limits<double>::quiet_NaN(), "NAN"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberToText(c.Value), c.Expected) << c.Expected;

    TScopedLocaleSettings us(UsSettings());
    EXPECT_EQ(NumberToText(1.5), "1.5");
    EXPECT_EQ(NumberToText(-2.5e-7), "-2.5E-7");
}

TEST(UZahlen, NumbersReadBackWithTheWritersSeparator)
{
    const double values[] = {0.0,
                             1.5,
                             -1.5,
                             0.1,
                             1.0 / 3.0,
                             36526.0,
                             0.75,
                             1e100,
                             -1e100,
                             1e15,
                             1.5e-7,
                             0.00001,
                             123456.789,
                             -0.000123,
                             2958465.99998843,
                             4.94065645841247e-324};
    for (const TLocaleSettings& settings : {GermanSettings(), UsSettings()}) {
        TScopedLocaleSettings s(settings);
        for (const double value : values) {
            const std::string text = NumberToText(value);
            double read = 12345.0;
            ASSERT_TRUE(TextToNumber(text, read)) << text;
            // Equal to 15 significant digits; values with fewer digits come back exactly.
            EXPECT_NEAR(read, value, std::fabs(value) * 1e-14) << text;
            EXPECT_EQ(NumberToText(read), text);
        }
    }
    for (const double exact : {1.5, 0.75, 36526.0, 1e100, -1e100, 0.1})
        for (const TLocaleSettings& settings : {GermanSettings(), UsSettings()}) {
            TScopedLocaleSettings s(settings);
            double read = 0;
            ASSERT_TRUE(TextToNumber(NumberToText(exact), read));
            EXPECT_EQ(read, exact);
        }

    // A file written with a decimal comma does not read under a decimal point.
    TScopedLocaleSettings german(GermanSettings());
    const std::string written = NumberToText(2.5);
    TScopedLocaleSettings us(UsSettings());
    double read = 7.0;
    EXPECT_FALSE(TextToNumber(written, read));
    EXPECT_EQ(read, 7.0);
    EXPECT_TRUE(TextToNumber("1E100", read));
    EXPECT_EQ(read, 1e100);
}

TEST(UZahlen, WholeNumbers)
{
    EXPECT_EQ(IntegerToText(80), "80");
    EXPECT_EQ(IntegerToText(-5), "-5");
    EXPECT_EQ(IntegerToText(0), "0");
    const struct {
        const char* Text;
        bool Ok;
        int Value;
    } cases[] = {
        {"80", true, 80},
        {" -7 ", true, -7},
        {"+3", true, 3},
        {"0", true, 0},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0},
        {"+-3", false, 0},
        {"-+3", false, 0},
        {"3.0", false, 0},
        {"", false, 0},
        {"  ", false, 0},
        {"abc", false, 0},
        {"1 2", false, 0},
        {"12a", false, 0},
        {"0x10", false, 0},
        {"+", false, 0},
    };
    for (const auto& c : cases) {
        int value = 4242;
        EXPECT_EQ(TextToInteger(c.Text, value), c.Ok) << "'" << c.Text << "'";
        EXPECT_EQ(value, c.Ok ? c.Value : 4242) << "'" << c.Text << "'";
    }
}

TEST(UZahlen, NumbersAreReadWithTheUsersSeparator)
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

TEST(UZahlen, FormatNumberWritesFixedPoint)
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
