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

}  // namespace
