#include "env/UCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(UCodec, EveryByteSurvivesARoundTrip)
{
    std::string all;
    for (int byte = 0; byte < 256; ++byte)
        all += static_cast<char>(byte);
    const std::string utf8 = Windows1252ToUtf8(all);
    EXPECT_TRUE(FindUnrepresentable(utf8).empty());
    std::string back = "untouched";
    ASSERT_TRUE(Utf8ToWindows1252(utf8, back));
    EXPECT_EQ(back, all);
}

TEST(UCodec, KnownCharacters)
{
    const struct {
        const char* Single;
        const char* Utf8;
    } cases[] = {
        {"Unvollst\xE4"
         "ndig",
         "Unvollst\xC3\xA4ndig"},
        {"\x80", "\xE2\x82\xAC"},  // euro sign
        {"\x93z\x94", "\xE2\x80\x9Cz\xE2\x80\x9D"},
        {"\x9F\xFF", "\xC5\xB8\xC3\xBF"},  // Y with diaeresis, upper and lower case
        {"\x81", "\xC2\x81"},              // an undefined byte keeps its control character
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Windows1252ToUtf8(c.Single), c.Utf8);
        std::string back;
        ASSERT_TRUE(Utf8ToWindows1252(c.Utf8, back)) << c.Utf8;
        EXPECT_EQ(back, c.Single);
    }
    EXPECT_TRUE(IsRepresentable(U'A'));
    EXPECT_TRUE(IsRepresentable(0xE4));
    EXPECT_TRUE(IsRepresentable(0x20AC));
    EXPECT_TRUE(IsRepresentable(0x2019));
    EXPECT_TRUE(IsRepresentable(0x81));
    EXPECT_FALSE(IsRepresentable(0x80));  // byte 0x80 is the euro sign
    EXPECT_FALSE(IsRepresentable(0x9F));
    EXPECT_FALSE(IsRepresentable(0x100));
    EXPECT_FALSE(IsRepresentable(0x4E2D));
}

TEST(UCodec, CharactersWithoutASingleByteAreReportedNotReplaced)
{
    const std::string utf8 = "a\xE4\xB8\xAD"
                             "b\xF0\x9F\x98\x80\xE2\x82\xAC\xC5\x81";  // a, CJK, b, emoji, euro, L with stroke
    std::string text = "untouched";
    std::vector<TCodecProblem> problems;
    EXPECT_FALSE(Utf8ToWindows1252(utf8, text, &problems));
    EXPECT_EQ(text, "untouched");
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0].Offset, 1u);
    EXPECT_EQ(problems[0].Length, 3u);
    EXPECT_EQ(problems[0].CodePoint, 0x4E2Du);
    EXPECT_FALSE(problems[0].Malformed);
    EXPECT_EQ(problems[1].Offset, 5u);
    EXPECT_EQ(problems[1].Length, 4u);
    EXPECT_EQ(problems[1].CodePoint, 0x1F600u);
    EXPECT_EQ(problems[2].Offset, 12u);
    EXPECT_EQ(problems[2].CodePoint, 0x141u);
    EXPECT_EQ(FindUnrepresentable(utf8).size(), 3u);
}

TEST(UCodec, MalformedUtf8IsReported)
{
    const struct {
        std::string Bytes;
        std::size_t Offset, Length;
    } cases[] = {
        {"ab\xC3", 2, 1},            // cut off
        {"\xC3(", 0, 1},             // no continuation byte
        {"\xC0\xAF", 0, 1},          // overlong (invalid lead byte)
        {"\xE0\x80\xAF", 0, 3},      // overlong three-byte form
        {"\xED\xA0\x80", 0, 3},      // UTF-16 surrogate
        {"\xF4\x90\x80\x80", 0, 4},  // beyond U+10FFFF
        {"x\xFF", 1, 1},
        {"\x80", 0, 1},  // a lone continuation byte
    };
    for (const auto& c : cases) {
        const auto problems = FindUnrepresentable(c.Bytes);
        ASSERT_FALSE(problems.empty()) << testing::PrintToString(c.Bytes);
        EXPECT_TRUE(problems[0].Malformed);
        EXPECT_EQ(problems[0].Offset, c.Offset) << testing::PrintToString(c.Bytes);
        EXPECT_EQ(problems[0].Length, c.Length) << testing::PrintToString(c.Bytes);
        std::string text = "untouched";
        EXPECT_FALSE(Utf8ToWindows1252(c.Bytes, text));
        EXPECT_EQ(text, "untouched");
    }
}

TEST(UCodec, FileNamesShowAsSingleByteText)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/home/j\xC3\xBCrgen/Angebot.TXL", "/home/j\xFCrgen/Angebot.TXL"},  // never "j\xC3\xBCrgen"
        {"/plain/ascii", "/plain/ascii"},
        {"/\xD0\x96\xD1\x83\xD0\xBA/x",
         "/?"
         "?"
         "?/x"},  // Cyrillic has no single byte
        {"/raw\xFF"
         "byte",
         "/raw?byte"},               // no UTF-8 at all
        {"/\xE2\x82\xAC", "/\x80"},  // the euro sign has one
    };
    for (const auto& [path, shown] : cases)
        EXPECT_EQ(PathForDisplay(path), shown) << path;
}

}  // namespace
