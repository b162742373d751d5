#include "env/VControl.h"

#include <gtest/gtest.h>

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

TEST(VControl, ReadIntegerTakesLeadingBlanksAndOneSignOnly)
{
    const struct {
        const char* Text;
        bool Ok;
        long long Value;
    } cases[] = {
        {"42", true, 42},
        {" \t-7", true, -7},
        {"+3", true, 3},
        {"007", true, 7},
        {"7 ", false, 0},
        {"+-3", false, 0},
        {"- 3", false, 0},
        {"", false, 0},
        {" ", false, 0},
        {"3.0", false, 0},
        {"0x1F", false, 0},
        {"\n5", false, 0},
        {"99999999999999999999", false, 0},
    };
    for (const auto& c : cases) {
        long long value = 4242;
        EXPECT_EQ(ReadInteger(c.Text, value), c.Ok) << "'" << c.Text << "'";
        EXPECT_EQ(value, c.Ok ? c.Value : 4242) << "'" << c.Text << "'";
    }
    // The type's range decides, not long's.
    int small = 0;
    EXPECT_FALSE(ReadInteger("2147483648", small));
    EXPECT_TRUE(ReadInteger("-2147483648", small));
    EXPECT_EQ(small, -2147483647 - 1);
    unsigned char byte = 0;
    EXPECT_FALSE(ReadInteger("256", byte));
    EXPECT_FALSE(ReadInteger("-1", byte));
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

}  // namespace
