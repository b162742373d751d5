#include "xml/UXBaum.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kTab = "\t";

// A document with the default declaration and the given document element.
std::unique_ptr<TXBaum> MakeTree(const std::string& rootName, const std::string& rootText = "")
{
    auto tree = std::make_unique<TXBaum>();
    tree->SetDeklaration(std::make_unique<TXDeklaration>());
    tree->SetDocEl(std::make_unique<TXElement>(rootName, rootText));
    return tree;
}

TEST(TXBaumSerialize, WritesTheDocumentLayoutWithTabsAndCrLf)
{
    auto tree = MakeTree("Dialog");
    tree->DocEl()->AddElement(-1, "Title", "Angebot");
    TXElement* field = tree->DocEl()->AddElement(-1, "Field", "");
    field->Attributes.Add("xml:space", "preserve");
    field->AddElement(-1, "MaxChar", "40");

    EXPECT_EQ(tree->Serialize(kTab, true),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n"
              "<Dialog>\r\n"
              "\t<Title>\r\n"
              "\tAngebot\r\n"
              "\t</Title>\r\n"
              "\t<Field xml:space=\"preserve\">\t\t<MaxChar>40</MaxChar>\r\n"
              "</Field>\r\n"
              "</Dialog>\r\n");
}

TEST(TXBaumSerialize, ElementForms)
{
    TXElement empty("E", "");
    EXPECT_EQ(empty.Serialize(kTab, true), "<E/>\r\n");

    empty.Attributes.Add("Name", "x");
    EXPECT_EQ(empty.Serialize(kTab, true), "<E Name=\"x\"/>\r\n");

    TXElement withText("E", "Wert");
    withText.Attributes.Add("a", "1");
    withText.Attributes.Add("b", "2");
    EXPECT_EQ(withText.Serialize(kTab, true), "<E a=\"1\" b=\"2\">\r\nWert\r\n</E>\r\n");
}

TEST(TXBaumSerialize, EscapesTextsOnlyWhenAsked)
{
    TXElement element("E", "");
    element.Attributes.Add("v", "a&b<\"c\">'d");
    EXPECT_EQ(element.Serialize(kTab, true), "<E v=\"a&amp;b&lt;&quot;c&quot;&gt;&apos;d\"/>\r\n");
    EXPECT_EQ(element.Serialize(kTab, false), "<E v=\"a&b<\"c\">'d\"/>\r\n");
    EXPECT_EQ(XEscape("&amp;"), "&amp;amp;");
}

TEST(TXBaumSerialize, IndentsByLevel)
{
    auto tree = MakeTree("a");
    TXElement* d = tree->DocEl()->AddElement(-1, "b", "")->AddElement(-1, "c", "")->AddElement(-1, "d", "");
    EXPECT_EQ(tree->DocEl()->Level(), 1);
    EXPECT_EQ(d->Level(), 4);
    EXPECT_EQ(d->Indent("--"), "------");
    EXPECT_EQ(d->Serialize(kTab, true), "\t\t\t<d/>\r\n");
}

TEST(TXBaumSerialize, PreservedSpaceIsInheritedUntilDefault)
{
    auto tree = MakeTree("r");
    TXElement* keep = tree->DocEl()->AddElement(-1, "k", "  x ");
    keep->Attributes.Add("xml:space", "preserve");
    keep->AddElement(-1, "inherits", " y ");
    TXElement* plain = keep->AddElement(-1, "plain", "z");
    plain->Attributes.Add("xml:space", "default");

    EXPECT_TRUE(keep->SpacePreserved());
    EXPECT_TRUE(TXElement::SpacePreserved(keep->Children.Item(0)->AsElement()));
    EXPECT_FALSE(plain->SpacePreserved());
    EXPECT_EQ(tree->DocEl()->Serialize(kTab, true),
              "<r>\r\n"
              "\t<k xml:space=\"preserve\">  x \t\t<inherits> y </inherits>\r\n"
              "\t\t<plain xml:space=\"default\">\r\n"
              "\t\tz\r\n"
              "\t\t</plain>\r\n"
              "</k>\r\n"
              "</r>\r\n");
}

TEST(TXBaumSerialize, DeclarationAndOtherNodes)
{
    TXDeklaration declaration;
    declaration.Encoding.clear();
    EXPECT_EQ(declaration.Serialize(kTab, true), "<?xml version=\"1.0\" ?>\r\n");
    declaration.Standalone = "yes";
    EXPECT_EQ(declaration.Serialize(kTab, true), "<?xml version=\"1.0\" standalone=\"yes\" ?>\r\n");

    auto tree = MakeTree("r");
    tree->DocEl()->Children.Add(std::make_unique<TXKommentar>("a<b"));
    tree->DocEl()->Children.Add(std::make_unique<TXCData>("c"));
    tree->DocEl()->Children.Add(std::make_unique<TXProcInst>("t", "d"));
    tree->Add(std::make_unique<TXDocType>(" r"));
    EXPECT_EQ(tree->Serialize(kTab, true),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n"
              "<r>\r\n"
              "\t<!--a&lt;b-->\r\n"
              "<![CDATA[c]]>\r\n"
              "<?t d ?>\r\n"
              "</r>\r\n"
              "<!DOCTYPE r>\r\n");
}

TEST(TXBaumSerialize, DeepTreeIsWrittenClonedAndDestroyedWithoutRecursion)
{
    // Far deeper than the parser allows: every walk over the tree must be iterative.
    constexpr int kDepth = 200000;
    auto tree = MakeTree("e");
    TXElement* element = tree->DocEl();
    for (int i = 1; i < kDepth; ++i)
        element = element->AddElement(-1, "e", "");
    EXPECT_EQ(element->Level(), kDepth);

    const std::string text = tree->Serialize("", true);
    EXPECT_EQ(text.size(),
              std::string("<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n").size() +
                  (kDepth - 1) * (std::string("<e>\r\n").size() + std::string("</e>\r\n").size()) +
                  std::string("<e/>\r\n").size());

    auto copy = tree->Clone();
    EXPECT_EQ(copy->Serialize("", true), text);
    tree.reset();
    copy.reset();
}

TEST(TXKnotenListe, FindFirstAndFindNextWalkMatchingElements)
{
    TXElement parent("p", "");
    parent.Children.Add(std::make_unique<TXKommentar>("skip me"));
    TXElement* first = parent.AddElement(-1, "Wert", "1");
    TXElement* prefixed = parent.AddElement(-1, "x:Wert", "2");
    TXElement* other = parent.AddElement(-1, "wert", "3");

    EXPECT_EQ(parent.Children.FindFirst("*", true), first);
    EXPECT_EQ(parent.Children.FindNext(), prefixed);
    EXPECT_EQ(parent.Children.FindNext(), other);
    EXPECT_EQ(parent.Children.FindNext(), nullptr);
    EXPECT_EQ(parent.Children.FindNext(), nullptr);

    EXPECT_EQ(parent.Children.FindFirst("ns:Wert", true), first);
    EXPECT_EQ(parent.Children.FindNext(), prefixed);
    EXPECT_EQ(parent.Children.FindNext(), nullptr) << "matching is case-sensitive";

    EXPECT_EQ(parent.Children.FindFirst("Wert", false), first);
    EXPECT_EQ(parent.Children.FindNext(), nullptr) << "without the flag the prefix counts";
}

TEST(TXKnotenListe, SearchesOnDifferentListsInterleave)
{
    TXElement root("r", "");
    for (int i = 0; i < 2; ++i) {
        TXElement* field = root.AddElement(-1, "Field", "");
        field->AddElement(-1, "Value", "a" + std::to_string(i));
        field->AddElement(-1, "Value", "b" + std::to_string(i));
    }
    std::string seen;
    for (TXElement* field = root.Children.FindFirst("Field", true); field; field = root.Children.FindNext())
        for (TXElement* value = field->Children.FindFirst("Value", true); value; value = field->Children.FindNext())
            seen += value->Text;
    EXPECT_EQ(seen, "a0b0a1b1");
}

TEST(TXAttributListe, GetValueReturnsTheFirstOfDuplicates)
{
    TXAttributListe list;
    list.Add("n", "first");
    list.Add("n", "second");
    EXPECT_EQ(list.GetValue("n"), "first");
    EXPECT_EQ(list.GetValue("N"), "");
    list.Delete(0);
    EXPECT_EQ(list.GetValue("n"), "second");
    list.Delete(7);
    EXPECT_EQ(list.Count(), 1);
}

TEST(TXElement, AddElementInsertsWithinRangeAndAppendsOtherwise)
{
    TXElement parent("p", "");
    parent.AddElement(-1, "a", "");
    parent.AddElement(-1, "b", "");
    parent.AddElement(5, "c", "");
    parent.AddElement(0, "first", "");
    std::string order;
    for (int i = 0; i < parent.Children.Count(); ++i)
        order += parent.Children.Item(i)->AsElement()->Name + " ";
    EXPECT_EQ(order, "first a b c ");
    EXPECT_EQ(parent.Children.Item(0)->Parent, &parent);
    EXPECT_EQ(parent.Children.Item(4), nullptr);
}

TEST(TXBaum, SettingDocElReplacesTheEntryInPlace)
{
    auto tree = std::make_unique<TXBaum>();
    tree->Add(std::make_unique<TXKommentar>("before"));
    tree->SetDocEl(std::make_unique<TXElement>("old", ""));
    tree->Add(std::make_unique<TXKommentar>("after"));
    tree->SetDocEl(std::make_unique<TXElement>("new", ""));
    ASSERT_EQ(tree->Count(), 3);
    EXPECT_EQ(tree->Item(1), tree->DocEl());
    EXPECT_EQ(tree->DocEl()->Name, "new");

    tree->SetDocEl(nullptr);
    EXPECT_EQ(tree->DocEl(), nullptr);
    EXPECT_EQ(tree->Count(), 2);

    // A declaration set after the document element is written after it.
    tree->SetDocEl(std::make_unique<TXElement>("r", ""));
    tree->SetDeklaration(std::make_unique<TXDeklaration>());
    EXPECT_EQ(tree->Item(3), tree->Deklaration());
}

TEST(TXBaum, CloneKeepsOnlyDeclarationAndDocumentElement)
{
    auto tree = std::make_unique<TXBaum>();
    tree->Add(std::make_unique<TXKommentar>("c"));
    tree->SetDeklaration(std::make_unique<TXDeklaration>());
    tree->SetDocEl(std::make_unique<TXElement>("r", "t"));
    TXElement* child = tree->DocEl()->AddElement(-1, "c", "x");
    child->Attributes.Add("a", "1");

    auto copy = tree->Clone();
    ASSERT_EQ(copy->Count(), 2);
    EXPECT_EQ(copy->Item(0), copy->Deklaration());
    EXPECT_EQ(copy->Item(1), copy->DocEl());
    EXPECT_NE(copy->DocEl(), tree->DocEl());
    EXPECT_EQ(copy->DocEl()->Children.Item(0)->Parent, copy->DocEl());
    EXPECT_EQ(
        copy->Serialize(kTab, true),
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n<r>\r\nt\r\n\t<c a=\"1\">\r\n\tx\r\n\t</c>\r\n</r>\r\n");
}

TEST(TXBaum, ExtractAndInsertTreeMoveSubtreesBetweenDocuments)
{
    auto source = MakeTree("Dialog");
    TXElement* field = source->DocEl()->AddElement(-1, "Field", "");
    field->AddElement(-1, "ID", "Name");

    auto extracted = source->Extract(field);
    ASSERT_TRUE(extracted);
    EXPECT_EQ(extracted->DocEl(), field);
    EXPECT_EQ(field->Parent, nullptr);
    EXPECT_EQ(source->DocEl()->Children.Count(), 0);
    EXPECT_EQ(source->Extract(field), nullptr) << "no longer part of the source";

    auto target = MakeTree("Liste");
    target->DocEl()->AddElement(-1, "Erstes", "");
    extracted->SetDeklaration(std::make_unique<TXDeklaration>());
    target->InsertTree(target->DocEl(), -1, *extracted);
    EXPECT_EQ(extracted->DocEl(), nullptr);
    EXPECT_EQ(extracted->Deklaration(), nullptr);
    EXPECT_EQ(extracted->Count(), 0);
    ASSERT_EQ(target->DocEl()->Children.Count(), 2);
    EXPECT_EQ(target->DocEl()->Children.Item(1), field);
    EXPECT_EQ(field->Parent, target->DocEl());
    EXPECT_EQ(field->Level(), 2);

    // Extracting the document element empties the tree.
    auto whole = target->Extract(target->DocEl());
    ASSERT_TRUE(whole);
    EXPECT_EQ(target->DocEl(), nullptr);
    EXPECT_EQ(whole->DocEl()->Name, "Liste");
    EXPECT_EQ(target->Extract(nullptr), nullptr);
}

TEST(TXKnotenListe, RemoveReplaceAndDeleteKeepParentsRight)
{
    TXElement parent("p", "");
    TXElement* a = parent.AddElement(-1, "a", "");
    parent.AddElement(-1, "b", "");

    std::unique_ptr<TXKnoten> taken = parent.Children.Remove(a);
    ASSERT_EQ(taken.get(), a);
    EXPECT_EQ(a->Parent, nullptr);
    EXPECT_EQ(parent.Children.Remove(a), nullptr);

    std::unique_ptr<TXKnoten> old = parent.Children.Replace(0, std::move(taken));
    EXPECT_EQ(old->AsElement()->Name, "b");
    EXPECT_EQ(parent.Children.Item(0), a);
    EXPECT_EQ(a->Parent, &parent);

    TXElement other("o", "");
    parent.Children.SetOwner(&other);
    EXPECT_EQ(a->Parent, &other);

    parent.Children.Delete(0);
    parent.Children.Delete(3);
    EXPECT_EQ(parent.Children.Count(), 0);
}

TEST(TXBaum, AWriteLargerThanTheCapIsRefused)
{
    // 9,999 levels are a small tree but, indented, over a hundred megabytes of text.
    TXBaum deep;
    deep.SetDocEl(std::make_unique<TXElement>("a", ""));
    TXElement* element = deep.DocEl();
    for (int level = 0; level < 9999; ++level)
        element = element->AddElement(-1, "a", "");
    EXPECT_THROW(deep.Serialize("\t", true), TXZuGross);
    EXPECT_GT(deep.Serialize("", true).size(), 0u) << "without indentation it fits";

    // Writing goes on normally afterwards.
    TXBaum small;
    small.SetDocEl(std::make_unique<TXElement>("b", "x"));
    EXPECT_EQ(small.Serialize("\t", true), "<b>\r\nx\r\n</b>\r\n");
}

}  // namespace
