#include "word/embedded/UWordEmbedded.h"

#include "config/TestOrdner.h"
#include "support/TestWord.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::string R(const std::string& text, const std::string& props = {})
{
    return "<w:r>" + (props.empty() ? std::string() : "<w:rPr>" + props + "</w:rPr>") + "<w:t xml:space=\"preserve\">" +
        text + "</w:t></w:r>";
}
std::string BS(int id, const std::string& name)
{
    return "<w:bookmarkStart w:id=\"" + std::to_string(id) + "\" w:name=\"" + name + "\"/>";
}
std::string BE(int id)
{
    return "<w:bookmarkEnd w:id=\"" + std::to_string(id) + "\"/>";
}
std::string P(const std::string& inner)
{
    return "<w:p>" + inner + "</w:p>";
}

std::unique_ptr<TWordEmbeddedDoc> Load(const std::string& bytes, const std::string& name = "Brief.dotx")
{
    std::string error;
    auto doc = TWordEmbeddedDoc::FromBytes(bytes, name, false, {}, error);
    EXPECT_TRUE(doc) << error;
    EXPECT_EQ(error, "");
    return doc;
}

std::string Bytes(TWordEmbeddedDoc& doc)
{
    std::string bytes;
    EXPECT_EQ(doc.Serialize(bytes), "");
    return bytes;
}

std::string FilledBody(const std::string& body, const std::string& name, const std::string& answer)
{
    TDocxLayout layout;
    layout.Body = body;
    auto doc = Load(MakeDocx(layout));
    EXPECT_EQ(doc->FillBookmark(name, answer), "");
    return PartOf(Bytes(*doc), "word/document.xml");
}

std::size_t Count(const std::string& xml, const char* xpath)
{
    return ParseXml(xml)->select_nodes(xpath).size();
}

struct TFillCase {
    const char* Label;
    std::string Body;
    std::string Name;
    std::string Answer;
    std::vector<std::string> Paragraphs;  // UTF-8
    std::string BookmarkText;             // UTF-8
};

// Each row: a story, the bookmark filled, and the paragraphs and bookmark text after it.
TEST(WordEmbeddedDocx, FillReplacesTheBookmarkContent)
{
    const std::string textBox =
        "<w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing><wps:txbx><w:txbxContent>" +
        P(BS(20, "Box") + R("old") + BE(20)) +
        "</w:txbxContent></wps:txbx></w:drawing></mc:Choice><mc:Fallback><w:pict><v:textbox><w:txbxContent>" +
        P(BS(20, "Box") + R("old") + BE(20)) +
        "</w:txbxContent></v:textbox></w:pict></mc:Fallback>"
        "</mc:AlternateContent></w:r>";
    const std::vector<TFillCase> cases = {
        {"run-split bookmark",
         P(R("Dear ") + BS(1, "Name") + R("Na", "<w:b/>") + R("me") + BE(1) + R(",")),
         "Name",
         "M\xFCller",
         {"Dear M\xC3\xBCller,"},
         "M\xC3\xBCller"},
        {"point bookmark",
         P(R("Date: ") + BS(2, "Date") + BE(2) + R(".")),
         "Date",
         "15.03.2024",
         {"Date: 15.03.2024."},
         "15.03.2024"},
        {"table cell",
         "<w:tbl><w:tr><w:tc>" + P(R("Name")) + "</w:tc><w:tc>" + P(BS(3, "Cell") + R("x") + BE(3)) +
             "</w:tc></w:tr></w:tbl>" + P(""),
         "Cell",
         "Answer",
         {"Name", "Answer", ""},
         "Answer"},
        {"spanning paragraphs",
         P(R("A ") + BS(4, "Span") + R("one")) + P(R("two")) + P(R("three") + BE(4) + R(" B")) + P(R("next")),
         "Span",
         "X",
         {"A X B", "next"},
         "X"},
        {"memo with vertical tabs",
         P(BS(5, "Memo") + R("old") + BE(5)),
         "Memo",
         "Line 1\vLine 2\vLine 3",
         {"Line 1\nLine 2\nLine 3"},
         "Line 1\nLine 2\nLine 3"},
        {"other line ends and a tab",
         P(BS(5, "Memo") + R("old") + BE(5)),
         "Memo",
         "a\r\nb\rc\nd\te\x01",
         {"a\nb\nc\nd\te"},
         "a\nb\nc\nd\te"},
        {"empty answer", P(R("a") + BS(6, "Empty") + R("old") + BE(6) + R("b")), "Empty", "", {"ab"}, ""},
        {"bookmark around whole paragraphs",
         BS(7, "Block") + P(R("one")) + P(R("two")) + BE(7) + P(R("after")),
         "Block",
         "X",
         {"X", "after"},
         "X"},
        {"name in other case", P(BS(1, "Name") + R("old") + BE(1)), "NAME", "X", {"X"}, "X"},
        {"text box, both copies",
         P(R("see ") + textBox),
         "Box",
         "In the box",
         {"see ", "In the box", "In the box"},
         "In the box"},
    };
    for (const TFillCase& c : cases) {
        SCOPED_TRACE(c.Label);
        const std::string xml = FilledBody(c.Body, c.Name, c.Answer);
        EXPECT_EQ(DocxParagraphs(xml), c.Paragraphs);
        EXPECT_EQ(DocxBookmarkText(xml, c.Name == "NAME" ? "Name" : c.Name), c.BookmarkText);
    }
}

// Form fields keep their field and take the answer as their value; a bookmark that cuts
// a field is widened to the whole field. No fill leaves a field without its characters.
TEST(WordEmbeddedDocx, FormFieldsTakeTheAnswerAndNoFieldIsCut)
{
    struct TFormCase {
        const char* Label;
        std::string Name, Answer;
        std::vector<std::string> Paragraphs;  // UTF-8, after the fill
        const char* Expect;                   // an XPath that must find a node afterwards
    };
    const std::string blank = "\xE2\x80\x82\xE2\x80\x82\xE2\x80\x82";
    const std::vector<std::string> untouched = {"Name: " + blank + " (bitte vollst\xC3\xA4ndig)",
                                                "Einverstanden: ", "Farbe: Rot", "Stand: vom 01.01.2026 Ende"};
    const auto with = [&](std::size_t row, const std::string& text) {
        std::vector<std::string> paragraphs = untouched;
        paragraphs[row] = text;
        return paragraphs;
    };
    const std::vector<TFormCase> cases = {
        {"text form field", "Name", "M\xFCller", with(0, "Name: M\xC3\xBCller (bitte vollst\xC3\xA4ndig)"),
         "//w:instrText[contains(., 'FORMTEXT')]"},
        {"text form field, formatting of its result", "Name", "x", with(0, "Name: x (bitte vollst\xC3\xA4ndig)"),
         "//w:r[w:t='x']/w:rPr/w:b"},
        {"check box, yes", "Zustimmung", "Ja", untouched, "//w:checkBox/w:checked[@w:val='1']"},
        {"check box, any case", "Zustimmung", " TRUE ", untouched, "//w:checkBox/w:checked[@w:val='1']"},
        {"check box, no", "Zustimmung", "nein", untouched, "//w:checkBox/w:checked[@w:val='0']"},
        {"drop-down, an entry", "Farbe", "blau", with(2, "Farbe: Blau"), "//w:ddList/w:result[@w:val='1']"},
        {"drop-down, another text", "Farbe", "Gr\xFCn", with(2, "Farbe: Gr\xC3\xBCn"),
         "//w:instrText[contains(., 'FORMDROPDOWN')]"},
        {"bookmark ending inside a field's result", "Stand", "heute", with(3, "Stand: heute Ende"),
         "//w:bookmarkStart[@w:name='Stand']"},
    };
    for (const TFormCase& c : cases) {
        SCOPED_TRACE(c.Label);
        const std::string xml = FilledBody(FormBody(), c.Name, c.Answer);
        EXPECT_EQ(FieldProblems(xml), "");
        EXPECT_EQ(DocxParagraphs(xml), c.Paragraphs);
        EXPECT_EQ(Count(xml, c.Expect), 1u) << xml;
        EXPECT_EQ(Count(xml, "//w:fldChar[@w:fldCharType='begin']"), c.Name == "Stand" ? 3u : 4u);
    }
    // A bookmark from before a text form field into its result, with text after the field:
    // the bookmark is the form field's, which keeps its field.
    const std::string intoResult =
        P(R("Name: ") + BS(5, "Kurz") +
          "<w:r><w:fldChar w:fldCharType=\"begin\"><w:ffData><w:name w:val=\"Text9\"/>"
          "<w:textInput/></w:ffData></w:fldChar></w:r><w:r><w:instrText> FORMTEXT </w:instrText></w:r>"
          "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>" +
          R("al") + BE(5) + R("t") + "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>" + R(" Ende")) +
        P(R("Noch ein Absatz"));
    const std::string filled = FilledBody(intoResult, "Kurz", "Anna");
    EXPECT_EQ(FieldProblems(filled), "");
    EXPECT_EQ(DocxParagraphs(filled), (std::vector<std::string>{"Name: Anna Ende", "Noch ein Absatz"}));
    EXPECT_EQ(Count(filled, "//w:instrText[contains(., 'FORMTEXT')]"), 1u);

    // The date field went with the range that cut it; the form fields all stayed.
    const std::string stand = FilledBody(FormBody(), "Stand", "heute");
    EXPECT_EQ(Count(stand, "//w:instrText[contains(., 'DATE')]"), 0u);
    EXPECT_EQ(DocxBookmarkText(stand, "Stand"), "heute");
}

// Files of other programs may name two bookmarks alike: the first is the bookmark, as in
// Word, and the note says the others were left. Copies in a drawing's alternative forms
// are the same bookmark and are filled with it.
TEST(WordEmbeddedDocx, OfBookmarksNamedAlikeTheFirstIsFilledAndTheOthersNoted)
{
    TDocxLayout layout;
    layout.Body = P(BS(1, "Name") + R("eins") + BE(1)) + P(BS(2, "name") + R("zwei") + BE(2)) +
        P(BS(3, "Name") + R("drei") + BE(3)) + P(BS(4, "Ort") + R("x") + BE(4));
    auto doc = Load(MakeDocx(layout));
    EXPECT_EQ(doc->FillBookmark("Name", "Anna"), "");
    EXPECT_EQ(doc->TakeNotices(),
              (std::vector<std::string>{"The template has 2 bookmarks named \"Name\"; only the "
                                        "first was filled, the others were left as they are."}));
    EXPECT_TRUE(doc->TakeNotices().empty()) << "a note is handed out once";
    EXPECT_EQ(doc->FillBookmark("Ort", "Berlin"), "");
    EXPECT_TRUE(doc->TakeNotices().empty());
    EXPECT_EQ(DocxParagraphs(PartOf(Bytes(*doc), "word/document.xml")),
              (std::vector<std::string>{"Anna", "zwei", "drei", "Berlin"}));
}

// Names the file encoding cannot hold are no field IDs, but they are not hidden either.
TEST(WordEmbeddedDocx, NamesTheFileEncodingCannotHoldAreKeptApart)
{
    TDocxLayout layout;
    layout.Body = P(BS(1, "\xD0\x98\xD0\xBC\xD1\x8F") + R("a") + BE(1)) +
        P(BS(2,
             "Stra\xC3\x9F"
             "e") +
          R("b") + BE(2)) +
        P(BS(3, "_Toc1") + BE(3));
    auto doc = Load(MakeDocx(layout));
    EXPECT_EQ(doc->Bookmarks(),
              (std::vector<std::string>{"Stra\xDF"
                                        "e"}));
    const TBookmarkNamen names = SplitBookmarkNames(doc->BookmarkNames());
    EXPECT_EQ(names.Usable, doc->Bookmarks());
    EXPECT_EQ(names.Unusable, (std::vector<std::string>{"\xD0\x98\xD0\xBC\xD1\x8F"}));
}

TEST(WordEmbeddedDocx, NewTextTakesTheFormattingOfTheRunItReplaces)
{
    // First replaced run is bold: the answer is bold, not the plain run after it.
    std::string xml = FilledBody(P(BS(1, "A") + R("x", "<w:b/>") + R("y") + BE(1)), "A", "new");
    EXPECT_EQ(Count(xml, "//w:r[w:t='new']/w:rPr/w:b"), 1u);
    // A point bookmark takes the run before it (italic), not the one after (bold).
    xml = FilledBody(P(R("before", "<w:i/>") + BS(1, "A") + BE(1) + R("after", "<w:b/>")), "A", "new");
    EXPECT_EQ(Count(xml, "//w:r[w:t='new']/w:rPr/w:i"), 1u);
    EXPECT_EQ(Count(xml, "//w:r[w:t='new']/w:rPr/w:b"), 0u);
    // A tracked format change of the old run is not carried over.
    xml = FilledBody(
        P(BS(1, "A") + R("x", "<w:u w:val=\"single\"/><w:rPrChange w:id=\"9\"><w:rPr/></w:rPrChange>") + BE(1)), "A",
        "new");
    EXPECT_EQ(Count(xml, "//w:r[w:t='new']/w:rPr/w:u"), 1u);
    EXPECT_EQ(Count(xml, "//w:rPrChange"), 0u);
}

TEST(WordEmbeddedDocx, BookmarkStaysAroundTheNewText)
{
    const std::string xml = FilledBody(P(R("a") + BS(1, "A") + BE(1) + R("b")), "A", "new");
    const auto doc = ParseXml(xml);
    const pugi::xml_node start = doc->select_node("//w:bookmarkStart[@w:name='A']").node();
    ASSERT_TRUE(start);
    EXPECT_STREQ(start.next_sibling().child("w:t").text().get(), "new");
    EXPECT_STREQ(start.next_sibling().next_sibling().name(), "w:bookmarkEnd");
    EXPECT_STREQ(start.next_sibling().next_sibling().attribute("w:id").value(), "1");
}

TEST(WordEmbeddedDocx, OtherBookmarksReachingIntoTheRangeSurvive)
{
    TDocxLayout layout;
    // Outer ends inside Target; Inner lies wholly inside Whole.
    layout.Body = P(BS(8, "Outer") + R("a") + BS(9, "Target") + R("b") + BE(8) + R("c") + BE(9) + R("d")) +
        P(BS(10, "Whole") + R("e") + BS(11, "Inner") + R("f") + BE(11) + BE(10));
    auto doc = Load(MakeDocx(layout));
    EXPECT_EQ(doc->FillBookmark("Target", "X"), "");
    EXPECT_EQ(doc->FillBookmark("Whole", "Y"), "");
    EXPECT_EQ(doc->Bookmarks(), (std::vector<std::string>{"Outer", "Target", "Whole"}));
    // The bookmark that went with another's content says so.
    EXPECT_EQ(doc->FillBookmark("Inner", "Z"),
              "The bookmark \"Inner\" no longer exists: it lay inside the "
              "bookmark \"Whole\", which was filled before it.");
    const std::string xml = PartOf(Bytes(*doc), "word/document.xml");
    EXPECT_EQ(DocxParagraphs(xml), (std::vector<std::string>{"aXd", "Y"}));
    EXPECT_EQ(DocxBookmarkText(xml, "Outer"), "a");
    EXPECT_EQ(DocxBookmarkText(xml, "Target"), "X");
    // Filling again replaces the first answer.
    EXPECT_EQ(doc->FillBookmark("Target", "again"), "");
    EXPECT_EQ(DocxParagraphs(PartOf(Bytes(*doc), "word/document.xml"))[0], "aagaind");
}

TEST(WordEmbeddedDocx, SpanningParagraphsKeepsTheLastSectionBreak)
{
    const std::string xml =
        FilledBody(P(BS(1, "A") + R("one")) + "<w:p><w:pPr><w:sectPr><w:pgSz w:w=\"100\"/></w:sectPr></w:pPr>" +
                       R("two") + BE(1) + "</w:p>" + P(R("next section")),
                   "A", "X");
    EXPECT_EQ(DocxParagraphs(xml), (std::vector<std::string>{"X", "next section"}));
    EXPECT_EQ(Count(xml, "//w:p[1]/w:pPr/w:sectPr/w:pgSz"), 1u);
}

// A bookmark across cells, rows or a whole table is filled as a word processor replaces
// such a range: the answer in the first cell, rows wholly inside removed, cells wholly
// inside emptied, and the table still a table.
TEST(WordEmbeddedDocx, BookmarksAcrossCellsRowsAndTablesLeaveValidTables)
{
    const auto cell = [](const std::string& inner) {
        return "<w:tc><w:tcPr><w:tcW w:w=\"2000\"/></w:tcPr>" + P(inner) + "</w:tc>";
    };
    const auto table = [](const std::string& rows) {
        return "<w:tbl><w:tblPr><w:tblW w:w=\"0\"/></w:tblPr><w:tblGrid><w:gridCol/><w:gridCol/></w:tblGrid>" + rows +
            "</w:tbl>";
    };
    const auto row = [](const std::string& cells) { return "<w:tr><w:trPr/>" + cells + "</w:tr>"; };
    const std::vector<TFillCase> cases = {
        {"across the cells of a row",
         table(row(cell(R("a") + BS(1, "A") + R("x")) + cell(R("y") + BE(1) + R("b")))) + P(R("nach")),
         "A",
         "X",
         {"aX", "b", "nach"},
         "X|"},
        {"across rows",
         table(row(cell(BS(1, "A") + R("1")) + cell(R("2"))) + row(cell(R("3")) + cell(R("4"))) +
               row(cell(R("5")) + cell(R("6") + BE(1) + R("!")))) +
             P(""),
         "A",
         "X",
         {"X", "", "", "!", ""},
         "X|||"},
        {"around a whole table",
         P(R("vor")) + BS(1, "A") + table(row(cell(R("1")) + cell(R("2"))) + row(cell(R("3")) + cell(R("4")))) + BE(1) +
             P(R("nach")),
         "A",
         "X",
         {"vor", "X", "", "", "", "nach"},
         "X|||"},
        {"from a paragraph into a table",
         P(R("vor ") + BS(1, "A") + R("weg")) +
             table(row(cell(R("1")) + cell(R("2"))) + row(cell(R("3")) + cell(R("4") + BE(1) + R("!")))),
         "A",
         "X",
         {"vor X", "", "!"},
         "X||"},
    };
    for (const TFillCase& c : cases) {
        SCOPED_TRACE(c.Label);
        const std::string xml = FilledBody(c.Body, c.Name, c.Answer);
        EXPECT_EQ(DocxParagraphs(xml), c.Paragraphs);
        EXPECT_EQ(DocxBookmarkText(xml, c.Name), c.BookmarkText);
        EXPECT_EQ(Count(xml, "//w:tc[not(w:p)]"), 0u) << "every cell holds a paragraph";
        EXPECT_EQ(Count(xml, "//w:tr[not(w:tc)]"), 0u) << "no row without cells";
        EXPECT_EQ(Count(xml, "//w:tbl[not(w:tr)]"), 0u) << "no table without rows";
        EXPECT_EQ(Count(xml, "//w:tbl[not(w:tblGrid)]"), 0u) << "every table keeps its grid";
        EXPECT_EQ(Count(xml, "//w:tc[not(w:tcPr)]"), 0u) << "cells keep their properties";
    }
    // A range that leaves a text box stays an error and changes nothing.
    const std::string box = "<w:r><w:drawing><wps:txbx><w:txbxContent>" + P(BS(1, "A") + R("x")) +
        "</w:txbxContent></wps:txbx></w:drawing></w:r>";
    TDocxLayout layout;
    layout.Body = P(box) + P(R("y") + BE(1));
    auto doc = Load(MakeDocx(layout));
    const std::string error = doc->FillBookmark("A", "X");
    EXPECT_NE(error.find("text box"), std::string::npos) << error;
}

TEST(WordEmbeddedDocx, HeadersFootersAndFootnotesAreFilled)
{
    TDocxLayout layout;
    layout.Header = P(R("From: ") + BS(1, "Sender") + BE(1));
    layout.Footer = P(BS(2, "Footer") + R("f") + BE(2));
    layout.Footnotes = "<w:footnote w:id=\"1\">" + P(BS(3, "Note") + R("n") + BE(3)) + "</w:footnote>";
    layout.Body = P(BS(4, "Body") + BE(4) + BS(5, "_GoBack") + BE(5));
    auto doc = Load(MakeDocx(layout));
    // Reading order: header, body, notes, footer; hidden names are not offered.
    EXPECT_EQ(doc->Bookmarks(), (std::vector<std::string>{"Sender", "Body", "Note", "Footer"}));
    for (const char* name : {"Sender", "Footer", "Note", "Body"})
        EXPECT_EQ(doc->FillBookmark(name, std::string("<") + name + " & co>"), "");
    const std::string bytes = Bytes(*doc);
    EXPECT_EQ(DocxParagraphs(PartOf(bytes, "word/header1.xml")), (std::vector<std::string>{"From: <Sender & co>"}));
    EXPECT_EQ(DocxParagraphs(PartOf(bytes, "word/footer1.xml")), (std::vector<std::string>{"<Footer & co>"}));
    EXPECT_EQ(DocxParagraphs(PartOf(bytes, "word/footnotes.xml")), (std::vector<std::string>{"<Note & co>"}));
}

TEST(WordEmbeddedDocx, MissingBookmarkIsAnErrorTextAndTheOthersAreFilled)
{
    TDocxLayout layout;
    layout.Body = P(BS(1,
                       "Stra\xC3\x9F"
                       "e") +
                    BE(1));
    auto doc = Load(MakeDocx(layout));
    EXPECT_EQ(doc->Bookmarks(),
              (std::vector<std::string>{"Stra\xDF"
                                        "e"}));
    EXPECT_EQ(doc->FillBookmark("Ort", "x"), "The bookmark \"Ort\" does not exist.");
    EXPECT_EQ(doc->FillBookmark("Stra\xDF"
                                "e",
                                "Hauptstra\xDF"
                                "e 1"),
              "");
    EXPECT_EQ(DocxParagraphs(PartOf(Bytes(*doc), "word/document.xml")),
              (std::vector<std::string>{"Hauptstra\xC3\x9F"
                                        "e 1"}));
}

TEST(WordEmbeddedDocx, UpdateFieldsShowsFilledBookmarksInReferences)
{
    TDocxLayout layout;
    const std::string complex = [](const std::string& instruction, const std::string& result) {
        return "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText xml:space=\"preserve\">" +
            instruction +
            "</w:instrText></w:r><w:r><w:instrText> \\h </w:instrText></w:r>"
            "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>" +
            R(result, "<w:i/>") + "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
    }(" REF Name", "old");
    layout.Body = P(BS(1, "Name") + R("n") + BE(1)) +
        P("<w:fldSimple w:instr=\" REF Name \\h \\* MERGEFORMAT \">" + R("old", "<w:b/>") + "</w:fldSimple>") +
        P(complex) + P("<w:fldSimple w:instr=\" REF Name \\n \">" + R("old") + "</w:fldSimple>") +
        P("<w:fldSimple w:instr=\" REF Other \">" + R("old") + "</w:fldSimple>") +
        P("<w:fldSimple w:instr=\" PAGE \">" + R("1") + "</w:fldSimple>");
    layout.Header = P("<w:fldSimple w:instr=\"REF name\">" + R("old") + "</w:fldSimple>");
    auto doc = Load(MakeDocx(layout));
    EXPECT_EQ(doc->FillBookmark("Name", "Anna\vBerg"), "");
    EXPECT_EQ(doc->UpdateFields(), "");
    const std::string bytes = Bytes(*doc);
    const std::string xml = PartOf(bytes, "word/document.xml");
    EXPECT_EQ(DocxParagraphs(xml),
              (std::vector<std::string>{"Anna\nBerg", "Anna\nBerg", "Anna\nBerg", "old", "old", "1"}));
    EXPECT_EQ(DocxParagraphs(PartOf(bytes, "word/header1.xml")), (std::vector<std::string>{"Anna\nBerg"}));
    // The results keep their formatting and the fields stay fields.
    EXPECT_EQ(Count(xml, "//w:fldSimple[1]/w:r/w:rPr/w:b"), 1u);
    EXPECT_EQ(Count(xml, "//w:p[3]/w:r[w:t='Anna']/w:rPr/w:i"), 1u);
    EXPECT_EQ(Count(xml, "//w:fldChar"), 3u);
    EXPECT_EQ(Count(xml, "//w:instrText"), 2u);
    // The word processor is told to update the rest; the element sits before w:compat.
    const auto settings = ParseXml(PartOf(bytes, "word/settings.xml"));
    const pugi::xml_node update = settings->select_node("/w:settings/w:updateFields").node();
    ASSERT_TRUE(update);
    EXPECT_STREQ(update.attribute("w:val").value(), "true");
    EXPECT_STREQ(update.next_sibling().name(), "w:compat");
}

// Fields inside the result of another field: only the innermost is replaced, and the
// bookmark in a replaced result survives.
TEST(WordEmbeddedDocx, NestedFieldsAndBookmarksInResultsAreSafe)
{
    TDocxLayout layout;
    layout.Body = P(BS(1, "Name") + BE(1)) +
        P("<w:fldSimple w:instr=\" REF Name \">" + R("a") + "<w:fldSimple w:instr=\" REF Name \">" + R("b") +
          "</w:fldSimple></w:fldSimple>") +
        P("<w:fldSimple w:instr=\" REF Name \">" + BS(2, "Inside") + R("c") + "</w:fldSimple>" + BE(2));
    auto doc = Load(MakeDocx(layout));
    EXPECT_EQ(doc->FillBookmark("Name", "X"), "");
    EXPECT_EQ(doc->UpdateFields(), "");
    EXPECT_EQ(doc->Bookmarks(), (std::vector<std::string>{"Name", "Inside"}));
    EXPECT_EQ(doc->FillBookmark("Inside", "Y"), "");
    const std::string xml = PartOf(Bytes(*doc), "word/document.xml");
    EXPECT_EQ(DocxParagraphs(xml), (std::vector<std::string>{"X", "aX", "XY"}));
}

TEST(WordEmbeddedDocx, UpdateFieldsCreatesMissingSettings)
{
    TDocxLayout layout;
    layout.HasSettings = false;
    layout.Body = P("");
    auto doc = Load(MakeDocx(layout));
    EXPECT_EQ(doc->UpdateFields(), "");
    const std::string bytes = Bytes(*doc);
    EXPECT_EQ(Count(PartOf(bytes, "word/settings.xml"), "/w:settings/w:updateFields[@w:val='true']"), 1u);
    EXPECT_NE(PartOf(bytes, "word/_rels/document.xml.rels").find("Target=\"settings.xml\""), std::string::npos);
    EXPECT_NE(PartOf(bytes, "[Content_Types].xml").find("/word/settings.xml"), std::string::npos);
}

TEST(WordEmbeddedDocx, TemplateBecomesDocumentAndUntouchedPartsKeepTheirBytes)
{
    TDocxLayout layout;
    layout.Body = P(BS(1, "A") + BE(1));
    const auto entries = DocxEntries(layout);
    auto doc = Load(MakeZip(entries));
    EXPECT_EQ(doc->Extension(), ".docx");
    EXPECT_EQ(doc->FillBookmark("A", "x"), "");
    const std::string bytes = Bytes(*doc);
    std::string error;
    const auto result = TWordPackage::Open(bytes, error);
    ASSERT_TRUE(result) << error;
    std::vector<std::string> names;
    for (const TTestEntry& entry : entries)
        names.push_back(entry.Name);
    EXPECT_EQ(result->Names(), names);
    for (const TTestEntry& entry : entries) {
        const TPackageBytes read = result->Read(entry.Name);
        EXPECT_EQ(read.Error, "");
        const std::string& data = read.Bytes;
        if (entry.Name != "word/document.xml" && entry.Name != "[Content_Types].xml") {
            EXPECT_EQ(data, entry.Data) << entry.Name;
        }
    }
    const std::string types = PartOf(bytes, "[Content_Types].xml");
    EXPECT_NE(types.find(kDocumentMainType), std::string::npos);
    EXPECT_EQ(types.find(kTemplateMainType), std::string::npos);
}

TEST(WordEmbeddedDocx, EditedPartKeepsEveryByteOutsideTheBookmark)
{
    const std::string head = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                                         "<!-- kept --><w:document xmlns:w=\"") +
        kW + "\"><w:body>\r\n  " + "<w:p><w:r><w:t xml:space=\"preserve\"> a  &amp; b </w:t></w:r>" + BS(1, "A");
    const std::string tail = BE(1) +
        "</w:p>\r\n  <?app data?><w:p><w:r><w:t><![CDATA[x<y]]></w:t></w:r></w:p>\r\n"
        "</w:body></w:document>";
    TDocxLayout layout;
    auto entries = DocxEntries(layout);
    entries[2].Data = head + R("old") + tail;
    auto doc = Load(MakeZip(entries));
    EXPECT_EQ(doc->FillBookmark("A", "new"), "");
    EXPECT_EQ(PartOf(Bytes(*doc), "word/document.xml"), head + R("new") + tail);
}

TEST(WordEmbeddedDocx, MacroTemplateGivesDocumentWithoutMacros)
{
    TDocxLayout layout;
    layout.MainType = "application/vnd.ms-word.template.macroEnabledTemplate.main+xml";
    layout.Macros = true;
    layout.Body = P(BS(1, "A") + BE(1));
    auto doc = Load(MakeDocx(layout), "Makro.dotm");
    EXPECT_EQ(doc->FillBookmark("A", "x"), "");
    const std::string bytes = Bytes(*doc);
    std::string error;
    const auto result = TWordPackage::Open(bytes, error);
    ASSERT_TRUE(result) << error;
    for (const char* gone : {"word/vbaProject.bin", "word/vbaData.xml", "word/_rels/vbaProject.bin.rels"})
        EXPECT_FALSE(result->Contains(gone)) << gone;
    const std::string types = PartOf(bytes, "[Content_Types].xml");
    EXPECT_NE(types.find(kDocumentMainType), std::string::npos);
    EXPECT_EQ(types.find("macroEnabled"), std::string::npos);
    EXPECT_EQ(types.find("vbaData"), std::string::npos);
    EXPECT_EQ(PartOf(bytes, "word/_rels/document.xml.rels").find("vbaProject"), std::string::npos);
}

// OpenDocument ---------------------------------------------------------------------

std::string BStart(const std::string& name)
{
    return "<text:bookmark-start text:name=\"" + name + "\"/>";
}
std::string BEnd(const std::string& name)
{
    return "<text:bookmark-end text:name=\"" + name + "\"/>";
}
std::string TP(const std::string& inner)
{
    return "<text:p text:style-name=\"Standard\">" + inner + "</text:p>";
}

std::string FilledOdfBody(const std::string& body, const std::string& name, const std::string& answer)
{
    TOttLayout layout;
    layout.Body = body;
    auto doc = Load(MakeOtt(layout), "Brief.ott");
    EXPECT_EQ(doc->FillBookmark(name, answer), "");
    return PartOf(Bytes(*doc), "content.xml");
}

TEST(WordEmbeddedOdt, FillReplacesTheBookmarkContent)
{
    const std::vector<TFillCase> cases = {
        {"span-split bookmark",
         TP("Dear " + BStart("Name") + "<text:span text:style-name=\"T1\">Na</text:span>me" + BEnd("Name") + ","),
         "Name",
         "M\xFCller",
         {"Dear M\xC3\xBCller,"},
         ""},
        {"point bookmark",
         TP("Date: <text:bookmark text:name=\"Date\"/>."),
         "Date",
         "15.03.2024",
         {"Date: 15.03.2024."},
         ""},
        {"table cell",
         "<table:table><table:table-row><table:table-cell>" + TP("Name") + "</table:table-cell><table:table-cell>" +
             TP(BStart("Cell") + "x" + BEnd("Cell")) + "</table:table-cell></table:table-row></table:table>",
         "Cell",
         "Answer",
         {"Name", "Answer"},
         ""},
        {"spanning paragraphs",
         TP("A " + BStart("Span") + "one") + TP("two") + TP("three" + BEnd("Span") + " B"),
         "Span",
         "X",
         {"A X B"},
         ""},
        {"memo",
         TP(BStart("Memo") + "old" + BEnd("Memo")),
         "Memo",
         "Line 1\vLine 2\vLine 3",
         {"Line 1\nLine 2\nLine 3"},
         ""},
        {"blanks and tabs kept", TP("[" + BStart("B") + BEnd("B") + "]"), "B", "  a  b\tc ", {"[  a  b\tc ]"}, ""},
        {"empty answer", TP("a" + BStart("Empty") + "old" + BEnd("Empty") + "b"), "Empty", "", {"ab"}, ""},
        {"text frame",
         TP("<draw:frame><draw:text-box>" + TP(BStart("Box") + "old" + BEnd("Box")) + "</draw:text-box></draw:frame>"),
         "Box",
         "In the box",
         {"", "In the box"},
         ""},
    };
    for (const TFillCase& c : cases) {
        SCOPED_TRACE(c.Label);
        const std::string xml = FilledOdfBody(c.Body, c.Name, c.Answer);
        EXPECT_EQ(OdfParagraphs(xml), c.Paragraphs);
        // The bookmark is a range around the new text.
        const auto doc = ParseXml(xml);
        const std::string start = "//text:bookmark-start[@text:name='" + c.Name + "']";
        EXPECT_EQ(doc->select_nodes(start.c_str()).size(), 1u);
        EXPECT_EQ(doc->select_nodes(("//text:bookmark-end[@text:name='" + c.Name + "']").c_str()).size(), 1u);
        EXPECT_EQ(doc->select_nodes(("//text:bookmark[@text:name='" + c.Name + "']").c_str()).size(), 0u);
    }
}

TEST(WordEmbeddedOdt, NewTextTakesTheSpanStyleOfTheTextItReplaces)
{
    std::string xml = FilledOdfBody(
        TP(BStart("A") + "<text:span text:style-name=\"T1\">old</text:span>" + BEnd("A") + " plain"), "A", "new");
    auto doc = ParseXml(xml);
    EXPECT_STREQ(doc->select_node("//text:span[@text:style-name='T1']").node().text().get(), "new");
    // Inside the span already: no second span.
    xml = FilledOdfBody(TP("<text:span text:style-name=\"T1\">a" + BStart("A") + "old" + BEnd("A") + "</text:span>"),
                        "A", "new");
    EXPECT_EQ(Count(xml, "//text:span"), 1u);
    EXPECT_EQ(OdfParagraphs(xml), (std::vector<std::string>{"anew"}));
}

TEST(WordEmbeddedOdt, HeaderBookmarksReferencesAndListing)
{
    TOttLayout layout;
    layout.MasterPage = "<style:header>" + TP("From: <text:bookmark text:name=\"Sender\"/>") +
        "</style:header><style:footer>" + TP(BStart("Foot") + BEnd("Foot")) + "</style:footer>";
    layout.Body = TP(BStart("Name") + "n" + BEnd("Name")) +
        TP("See <text:bookmark-ref text:reference-format=\"text\" text:ref-name=\"Name\">old</text:bookmark-ref>") +
        TP("Page <text:bookmark-ref text:reference-format=\"page\" text:ref-name=\"Name\">1</text:bookmark-ref>");
    auto doc = Load(MakeOtt(layout), "Brief.ott");
    EXPECT_EQ(doc->Extension(), ".odt");
    EXPECT_EQ(doc->Bookmarks(), (std::vector<std::string>{"Sender", "Name", "Foot"}));
    EXPECT_EQ(doc->FillBookmark("Sender", "Firma"), "");
    EXPECT_EQ(doc->FillBookmark("Name", "Anna\vBerg"), "");
    EXPECT_EQ(doc->FillBookmark("Missing", "x"), "The bookmark \"Missing\" does not exist.");
    EXPECT_EQ(doc->UpdateFields(), "");
    const std::string bytes = Bytes(*doc);
    EXPECT_EQ(OdfParagraphs(PartOf(bytes, "styles.xml")), (std::vector<std::string>{"From: Firma", ""}));
    EXPECT_EQ(OdfParagraphs(PartOf(bytes, "content.xml")),
              (std::vector<std::string>{"Anna\nBerg", "See Anna Berg", "Page 1"}));
}

TEST(WordEmbeddedOdt, TemplateBecomesTextDocumentWithMimetypeFirstAndStored)
{
    TOttLayout layout;
    layout.Body = TP(BStart("A") + BEnd("A"));
    auto doc = Load(MakeOtt(layout), "Brief.ott");
    const std::string bytes = Bytes(*doc);
    // Local header: signature, then 26 bytes of fields; method at 8, name length at 26,
    // extra length at 28; the name and the uncompressed type follow.
    ASSERT_GT(bytes.size(), 100u);
    EXPECT_EQ(bytes.compare(0, 4, "PK\x03\x04"), 0);
    EXPECT_EQ(bytes[8], 0);
    EXPECT_EQ(bytes[9], 0);
    EXPECT_EQ(bytes[28], 0);
    EXPECT_EQ(bytes[29], 0);
    EXPECT_EQ(bytes.substr(30, 8 + 39), "mimetypeapplication/vnd.oasis.opendocument.text");
    EXPECT_EQ(PartOf(bytes, "mimetype"), "application/vnd.oasis.opendocument.text");
    const auto manifest = ParseXml(PartOf(bytes, "META-INF/manifest.xml"));
    EXPECT_STREQ(manifest->select_node("//manifest:file-entry[@manifest:full-path='/']")
                     .node()
                     .attribute("manifest:media-type")
                     .value(),
                 "application/vnd.oasis.opendocument.text");
}

// Showing and saving -----------------------------------------------------------------

TEST(WordEmbeddedShow, WritesNumberedFilesNeverOverwritingAndOpensThem)
{
    TTestOrdner folder;
    WriteBytes(folder / "Brief (2).docx", "keep me");
    TDocxLayout layout;
    layout.Body = P(BS(1, "A") + BE(1));
    WriteBytes(folder / "Vorlagen/Brief.dotx", MakeDocx(layout));
    std::vector<std::string> opened;
    TWordEmbeddedApp app([&](const std::string& path) {
        opened.push_back(path);
        return std::string();
    });
    std::vector<std::string> written;
    for (int i = 0; i < 3; ++i) {
        std::string error;
        auto doc = app.AddDocument(folder / "Vorlagen/Brief", true, error);  // extension found
        ASSERT_TRUE(doc) << error;
        EXPECT_TRUE(doc->Visible());
        EXPECT_EQ(doc->FillBookmark("A", "Nr. " + std::to_string(i)), "");
        std::string file;
        EXPECT_EQ(doc->ShowDocument(folder.Path(), "Brief", file), "");
        written.push_back(file);
    }
    EXPECT_EQ(written,
              (std::vector<std::string>{folder / "Brief.docx", folder / "Brief (3).docx", folder / "Brief (4).docx"}));
    EXPECT_EQ(opened, written);
    EXPECT_EQ(ReadBytes(folder / "Brief (2).docx"), "keep me");
    EXPECT_EQ(DocxParagraphs(PartOf(ReadBytes(folder / "Brief (3).docx"), "word/document.xml")),
              (std::vector<std::string>{"Nr. 1"}));
}

TEST(WordEmbeddedShow, StaysInsideTheFolderAndReportsFailures)
{
    TTestOrdner folder;
    TDocxLayout layout;
    layout.Body = P("");
    std::filesystem::create_directories(folder / "out");
    std::string error;
    auto doc = TWordEmbeddedDoc::FromBytes(
        MakeDocx(layout), "/x/Vorlage.dotx", true, [](const std::string&) { return std::string("no desktop"); }, error);
    ASSERT_TRUE(doc) << error;
    std::string file;
    // A base name with folders keeps only its last part; the opener's failure is told,
    // and the document stays written.
    error = doc->ShowDocument(folder / "out", "../../escape", file);
    EXPECT_EQ(file, folder / "out/escape.docx");
    EXPECT_NE(error.find("no desktop"), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_FALSE(std::filesystem::exists(folder / "escape.docx"));
    // Without a base name the template's name is used.
    EXPECT_NE(doc->ShowDocument(folder / "out", "", file), "");
    EXPECT_EQ(file, folder / "out/Vorlage.docx");
    // A missing folder: an error, nothing written.
    error = doc->ShowDocument(folder / "missing", "Brief", file);
    EXPECT_NE(error.find("cannot be written"), std::string::npos) << error;
    EXPECT_EQ(file, "");
    // SaveAs refuses to replace unless told to.
    WriteBytes(folder / "out/x.docx", "old");
    EXPECT_NE(doc->SaveAs(folder / "out/x.docx", false).find("exists already"), std::string::npos);
    EXPECT_EQ(ReadBytes(folder / "out/x.docx"), "old");
    EXPECT_EQ(doc->SaveAs(folder / "out/x.docx", true), "");
    EXPECT_EQ(ReadBytes(folder / "out/x.docx").compare(0, 2, "PK"), 0);
    // A closed document does nothing.
    doc->Close();
    EXPECT_EQ(doc->FillBookmark("A", "x"), "The document is closed.");
    EXPECT_TRUE(doc->Bookmarks().empty());
}

// The adapter around the engine ------------------------------------------------------

TEST(WordAdapter, UserTemplateFolderIsTheDesktopTemplatesFolder)
{
    TTestOrdner home;
    TEnvGuard homeGuard("HOME", home.Path() + "user");
    TEnvGuard configGuard("XDG_CONFIG_HOME", home / "config");
    TWordEmbeddedApp app;
    EXPECT_EQ(app.UserTemplateFolder(), home / "user/Templates/");
    WriteBytes(home / "config/user-dirs.dirs", "# comment\nXDG_TEMPLATES_DIR=\"$HOME/Vorlagen\"\n");
    EXPECT_EQ(app.UserTemplateFolder(), home / "user/Vorlagen/");
    WriteBytes(home / "config/user-dirs.dirs", "XDG_TEMPLATES_DIR=\"$HOME/\"\n");  // switched off
    EXPECT_EQ(app.UserTemplateFolder(), home / "user/Templates/");
}

}  // namespace
