#include "xml/UXParser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Parsed {
    std::unique_ptr<TXBaum> tree;
    std::string errorText;
    int errorPos = 0;
};

Parsed ParseText(const std::string& text)
{
    Parsed result;
    result.errorText = "untouched";
    result.errorPos = 12345;
    result.tree = TXParser::Parse(text, result.errorText, result.errorPos);
    return result;
}

// The message part of an error text.
std::string MessageOf(const Parsed& parsed)
{
    return parsed.errorText.substr(0, parsed.errorText.find(" Pos : "));
}

TEST(TXParser, SuccessLeavesTheOutValuesUntouched)
{
    const Parsed parsed = ParseText("<a/>");
    ASSERT_TRUE(parsed.tree);
    EXPECT_EQ(parsed.errorText, "untouched");
    EXPECT_EQ(parsed.errorPos, 12345);
    EXPECT_EQ(parsed.tree->DocEl()->Name, "a");
}

TEST(TXParser, ReadsElementsAttributesAndText)
{
    const Parsed parsed = ParseText("<a b='1' c=\"2\" b = \"x&lt;'y\"><b/>xy<!-- &amp; --><c>z</c></a>");
    ASSERT_TRUE(parsed.tree) << parsed.errorText;
    const TXElement* a = parsed.tree->DocEl();
    EXPECT_EQ(a->Text, "xy");
    ASSERT_EQ(a->Attributes.Count(), 3);
    EXPECT_EQ(a->Attributes.GetValue("b"), "1");
    EXPECT_EQ(a->Attributes.Item(2)->Value, "x<'y");
    ASSERT_EQ(a->Children.Count(), 3);
    EXPECT_EQ(a->Children.Item(0)->AsElement()->Name, "b");
    const auto* comment = dynamic_cast<const TXKommentar*>(a->Children.Item(1));
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(comment->Text, " & ");
    EXPECT_EQ(a->Children.Item(2)->Parent, a);
}

TEST(TXParser, NormalizesTextUnlessSpaceIsPreserved)
{
    EXPECT_EQ(ParseText("<a> x  y </a>").tree->DocEl()->Text, "x y");
    EXPECT_EQ(ParseText("<a>\r\n\t x\r\n\r\ny\t</a>").tree->DocEl()->Text, "x y");
    EXPECT_EQ(ParseText("<a> x <b/> y </a>").tree->DocEl()->Text, "x y") << "pieces around children join";
    EXPECT_EQ(ParseText("<a>x&#10;&#13;y</a>").tree->DocEl()->Text, "x y") << "decoded line ends count too";
    EXPECT_EQ(ParseText("<a xml:space='preserve'> x  y </a>").tree->DocEl()->Text, " x  y ");

    const Parsed nested = ParseText("<r xml:space=\"preserve\"><a> x  y </a><b xml:space='default'> p  q </b></r>");
    ASSERT_TRUE(nested.tree);
    EXPECT_EQ(nested.tree->DocEl()->Children.Item(0)->AsElement()->Text, " x  y ");
    EXPECT_EQ(nested.tree->DocEl()->Children.Item(1)->AsElement()->Text, "p q");
    EXPECT_EQ(ParseText("<a v='\t1\r\n'/>").tree->DocEl()->Attributes.GetValue("v"), "\t1\r\n")
        << "attribute values are not normalized";
}

TEST(TXParser, DecodesReferences)
{
    struct Case {
        const char* input;
        const char* decoded;
    };
    const Case cases[] = {
        {"1 &lt; 2 &amp;&amp; &#65;&#x42; &foo;", "1 < 2 && AB &foo;"},
        {"&amp;lt;", "&lt;"},
        {"&ltx;&gtz;&ampere;&quot;&apos;", "<>&\"'"},
        {"&#$43;&#X44;&#0x45;&# 70;&#-191;", "CDEFA"},
        {"&#;&#zz;&#99999999999;&nbsp;", "&#;&#zz;&#99999999999;&nbsp;"},
        {"&#321;", "A"},
        {"a & b", "a & b"},
        {"&lt &gt;", "<"},
        {"x;&", "x;&"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TXParser::Decode(c.input), c.decoded) << c.input;
}

TEST(TXParser, ReadsPrologAndEpilogNodes)
{
    const Parsed parsed =
        ParseText("<?xml version=\"1.1\" encoding=\"UTF-8\"?>\r\n<!-- c1 -->\r\n<!DOCTYPE r [ <!ELEMENT r ANY> ]>"
                  "<?pi some data?><?t?><r/>\r\n<!-- c2 --><?xml-stylesheet href='x'?>");
    ASSERT_TRUE(parsed.tree) << parsed.errorText;
    const TXBaum& tree = *parsed.tree;
    ASSERT_TRUE(tree.Deklaration());
    EXPECT_EQ(tree.Deklaration()->Version, "1.0");
    EXPECT_EQ(tree.Deklaration()->Encoding, "ISO-8859-1");
    ASSERT_EQ(tree.Count(), 8);
    EXPECT_EQ(dynamic_cast<const TXDocType*>(tree.Item(2))->Text, " r [ <!ELEMENT r ANY> ");
    const auto* pi = dynamic_cast<const TXProcInst*>(tree.Item(3));
    EXPECT_EQ(pi->Target, "pi");
    EXPECT_EQ(pi->Data, "some data");
    EXPECT_EQ(dynamic_cast<const TXProcInst*>(tree.Item(4))->Data, "");
    EXPECT_EQ(tree.Item(5), tree.DocEl());
    EXPECT_EQ(dynamic_cast<const TXKommentar*>(tree.Item(6))->Text, " c2 ");
    EXPECT_EQ(dynamic_cast<const TXProcInst*>(tree.Item(7))->Target, "xml-stylesheet");
}

TEST(TXParser, AProcessingInstructionReadsBackAsItWasWritten)
{
    for (const char* data : {"", "d", "d ", " a=\"1\" "}) {
        SCOPED_TRACE(data);
        TXBaum tree;
        tree.SetDocEl(std::make_unique<TXElement>("r", ""));
        tree.Add(std::make_unique<TXProcInst>("t", data));
        const std::string written = tree.Serialize("\t", true);
        const Parsed parsed = ParseText(written);
        ASSERT_TRUE(parsed.tree) << parsed.errorText;
        EXPECT_EQ(dynamic_cast<const TXProcInst*>(parsed.tree->Item(1))->Data, data);
        EXPECT_EQ(parsed.tree->Serialize("\t", true), written);
    }
}

TEST(TXParser, ADocumentTypeReadsBackAsItWasWritten)
{
    for (const char* source : {"<!DOCTYPE r>", "<!DOCTYPE r [ <!ELEMENT r ANY> ]>", "<!DOCTYPE r [ a]] ]>"}) {
        SCOPED_TRACE(source);
        const Parsed first = ParseText(std::string(source) + "<r/>");
        ASSERT_TRUE(first.tree) << first.errorText;
        const std::string written = first.tree->Serialize("\t", true);
        const Parsed again = ParseText(written);
        ASSERT_TRUE(again.tree) << again.errorText;
        EXPECT_EQ(dynamic_cast<const TXDocType*>(again.tree->Item(0))->Text,
                  dynamic_cast<const TXDocType*>(first.tree->Item(0))->Text);
        EXPECT_EQ(again.tree->Serialize("\t", true), written);
    }
}

TEST(TXParser, ALaterDeclarationReplacesTheFirstInPlace)
{
    const Parsed parsed = ParseText("<?xml version='1.0'?><!--c--><?XML?><r/>");
    ASSERT_TRUE(parsed.tree) << parsed.errorText;
    EXPECT_EQ(parsed.tree->Count(), 3);
    EXPECT_EQ(parsed.tree->Item(0), parsed.tree->Deklaration());
}

TEST(TXParser, CDataInsideAnElementIsANodeOfItsOwn)
{
    const Parsed parsed = ParseText("<r>a<![CDATA[<x> &amp;]]>b</r>");
    ASSERT_TRUE(parsed.tree) << parsed.errorText;
    EXPECT_EQ(parsed.tree->DocEl()->Text, "ab");
    EXPECT_EQ(dynamic_cast<const TXCData*>(parsed.tree->DocEl()->Children.Item(0))->Text, "<x> &");
}

struct ErrorCase {
    const char* input;
    const char* message;
    int position;
};

const std::string kUnvollstaendig = TXParser::kMsgUnvollstaendig;

TEST(TXParser, ReportsEachErrorWithItsPosition)
{
    const ErrorCase cases[] = {
        {"", TXParser::kMsgUnvollstaendig, -1},
        {" \r\n\t ", TXParser::kMsgUnvollstaendig, -1},
        {"\xEF\xBB\xBF<r/>", TXParser::kMsgReihenfolge, 1},
        {"x<r/>", TXParser::kMsgReihenfolge, 1},
        {"<a></b>", TXParser::kMsgAbschluss, 7},
        {"<a></a >", nullptr, 0},
        {"<a></ a>", TXParser::kMsgLeerraumVerboten, 7},
        {"<a></", TXParser::kMsgLeerraumVerboten, -1},
        {"<a></a x>", TXParser::kMsgGroesserErwartet, 8},
        {"< a/>", TXParser::kMsgLeerraumVerboten, 3},
        {"<a", TXParser::kMsgUnvollstaendig, -1},
        {"<a b", TXParser::kMsgUnvollstaendig, -1},
        {"<a b='1", TXParser::kMsgUnvollstaendig, -1},
        {"<a b='1'", TXParser::kMsgUnvollstaendig, -1},
        {"<a>text", TXParser::kMsgUnvollstaendig, -1},
        {"<a></a", TXParser::kMsgUnvollstaendig, -1},
        {"<a b=\"1\"c=\"2\"/>", TXParser::kMsgLeerraumFehlt, 9},
        {"<a b 1/>", TXParser::kMsgGleichheitszeichen, 6},
        {"<a b=1/>", TXParser::kMsgAnfuehrungszeichen, 6},
        {"<a =\"1\"/>", TXParser::kMsgNameUngueltig, 4},
        {"<a/ >", TXParser::kMsgGroesserErwartet, 4},
        {"<>", TXParser::kMsgNameUngueltig, 2},
        {"<a></>", TXParser::kMsgNameUngueltig, 6},
        {"<?"
         "?><r/>",
         TXParser::kMsgNameUngueltig, 3},
        {"<r/><?xml version=\"1.0\"?>", TXParser::kMsgDeklaration, 10},
        {"<r><?xml?></r>", TXParser::kMsgDeklaration, 9},
        {"<r/><s/>", TXParser::kMsgSyntaxfehler, 6},
        {"<r/>x", TXParser::kMsgSyntaxfehler, 5},
        {"<r/><!-- c -->", nullptr, 0},
        {"<!x><r/>", TXParser::kMsgSyntaxfehler, 3},
        {"<!-x--><r/>", TXParser::kMsgSyntaxfehler, 4},
        {"<!-- c -- d --><r/>", nullptr, 0},
        {"<!-- c <r/>", TXParser::kMsgUnvollstaendig, -1},
        {"<!DOCTYP r><r/>", TXParser::kMsgSyntaxfehler, 3},
        {"<r><!DOCTYPE r></r>", TXParser::kMsgDoctype, 6},
        {"<![CDATA[x]]><r/>", TXParser::kMsgCData, 3},
        {"<r/><![CDATA[x]]>", TXParser::kMsgCData, 7},
        {"<r><![CDAT[x]]></r>", TXParser::kMsgSyntaxfehler, 6},
        {"<r><![CDATA[x</r>", TXParser::kMsgUnvollstaendig, -1},
        {"<?pi data<r/>", TXParser::kMsgUnvollstaendig, -1},
        {"<!DOCTYPE r [ <!ELEMENT r ANY> <r/>", TXParser::kMsgUnvollstaendig, -1},
    };
    for (const ErrorCase& c : cases) {
        const Parsed parsed = ParseText(c.input);
        const TXParseResult read = TXParser::Read(c.input);
        if (!c.message) {
            EXPECT_TRUE(parsed.tree) << c.input << ": " << parsed.errorText;
            EXPECT_TRUE(read && *read.Message == '\0') << c.input;
            continue;
        }
        EXPECT_FALSE(parsed.tree) << c.input;
        EXPECT_EQ(MessageOf(parsed), c.message) << c.input;
        EXPECT_EQ(parsed.errorPos, c.position) << c.input;
        // The result carries the same, with the kind of error as its own value.
        EXPECT_FALSE(read) << c.input;
        EXPECT_STREQ(read.Message, c.message) << c.input;
        EXPECT_EQ(read.Position, c.position) << c.input;
        EXPECT_EQ(read.ErrorText, parsed.errorText) << c.input;
    }
}

TEST(TXParser, TextsEndingTooEarlyFailCleanly)
{
    // Each of these stops right where a character after the last one is needed.
    const char* cases[] = {
        "<",         "<r/><",       "<r><",   "<!", "<r><!", "<!-",     "<r><!-", "<a/",   "<a b='1'/",
        "<!DOCTYPE", "<!DOCTYPE r", "<r/><!", "<?", "<?xml", "<r><?pi", "<a></a", "<a b=", "<a b= ",
    };
    for (const char* input : cases) {
        const Parsed parsed = ParseText(input);
        EXPECT_FALSE(parsed.tree) << input;
        EXPECT_EQ(MessageOf(parsed), kUnvollstaendig) << input;
        EXPECT_EQ(parsed.errorPos, -1) << input;
    }
}

TEST(TXParser, EveryPrefixOfADocumentFailsWithoutReadingPastTheEnd)
{
    // Run under the sanitizers, this catches any read beyond the text.
    const std::string document = "<?xml version=\"1.0\"?><!DOCTYPE d [<!ELEMENT d ANY>]><!--c--><d a='1' b=\"&amp;\">"
                                 "t<e xml:space='preserve'> x </e><![CDATA[z]]><?p q?><f/></d><!--e-->";
    ASSERT_TRUE(ParseText(document).tree);
    const size_t complete = document.find("</d>") + 4;
    for (size_t length = 0; length < complete; ++length) {
        const std::string prefix(document.data(), length);
        const Parsed parsed = ParseText(prefix);
        EXPECT_FALSE(parsed.tree) << prefix;
        EXPECT_FALSE(parsed.errorText.empty()) << prefix;
    }
}

TEST(TXParser, ErrorTextHasMessagePositionAndExcerpt)
{
    EXPECT_EQ(ParseText("").errorText, kUnvollstaendig + " Pos : -1\r\n");

    std::string text(120, 'a');
    EXPECT_EQ(TXParser::ErrorText("M", 57, text), "M Pos : 57\r\n" + text.substr(0, 57) + "...");
    EXPECT_EQ(TXParser::ErrorText("M", -1, text), "M Pos : -1\r\n" + text);

    std::string longText;
    for (int i = 0; i < 500; ++i)
        longText += static_cast<char>('a' + i % 26);
    // Characters 200 to 400 (1-based) with dots on both sides.
    EXPECT_EQ(TXParser::ErrorText("M", 400, longText), "M Pos : 400\r\n..." + longText.substr(199, 201) + "...");
    EXPECT_EQ(TXParser::ErrorText("M", 100, longText), "M Pos : 100\r\n" + longText.substr(0, 100) + "...");
    EXPECT_EQ(TXParser::ErrorText("M", -1, longText), "M Pos : -1\r\n..." + longText.substr(299));
    EXPECT_EQ(TXParser::ErrorText("M", 500, longText), "M Pos : 500\r\n..." + longText.substr(299))
        << "at the last character of a long text the excerpt ends at the text's end";

    const Parsed parsed = ParseText("<a></b>");
    EXPECT_EQ(parsed.errorText, std::string(TXParser::kMsgAbschluss) + " Pos : 7\r\n<a></b>");
}

TEST(TXParser, NestingIsLimited)
{
    auto nested = [](int depth) {
        std::string text;
        for (int i = 0; i < depth; ++i)
            text += "<e>";
        for (int i = 0; i < depth; ++i)
            text += "</e>";
        return text;
    };
    const Parsed deepest = ParseText(nested(TXParser::kMaxDepth));
    ASSERT_TRUE(deepest.tree) << deepest.errorText.substr(0, 80);
    EXPECT_EQ(deepest.tree->DocEl()->Clone()->Serialize("", true), [] {
        std::string expected;
        for (int i = 1; i < TXParser::kMaxDepth; ++i)
            expected += "<e>\r\n";
        expected += "<e/>\r\n";
        for (int i = 1; i < TXParser::kMaxDepth; ++i)
            expected += "</e>\r\n";
        return expected;
    }());

    const Parsed tooDeep = ParseText(nested(TXParser::kMaxDepth + 1));
    EXPECT_FALSE(tooDeep.tree);
    EXPECT_EQ(MessageOf(tooDeep), TXParser::kMsgZuTief);
    EXPECT_EQ(tooDeep.errorPos, 3 * TXParser::kMaxDepth + 1) << "the '<' of the element one too deep";
}

TEST(TXParser, WrittenTreesReadBackTheSame)
{
    const std::string original = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n"
                                 "<Dialog>\r\n"
                                 "\t<Title>\r\n"
                                 "\tAngebot &amp; Auftrag f\xFCr &quot;M&apos;s&quot; &lt;1&gt;\r\n"
                                 "\t</Title>\r\n"
                                 "\t<Field Typ=\"String\">\r\n"
                                 "\t\t<ID>\r\n"
                                 "\t\tName\r\n"
                                 "\t\t</ID>\r\n"
                                 "\t\t<Answer xml:space=\"preserve\">  zwei  Leer </Answer>\r\n"
                                 "\t\t<Help/>\r\n"
                                 "\t</Field>\r\n"
                                 "</Dialog>\r\n";
    const Parsed parsed = ParseText(original);
    ASSERT_TRUE(parsed.tree) << parsed.errorText;
    EXPECT_EQ(parsed.tree->DocEl()->Children.Item(0)->AsElement()->Text, "Angebot & Auftrag f\xFCr \"M's\" <1>");
    EXPECT_EQ(parsed.tree->Serialize("\t", true), original);
}

}  // namespace
