// The XML parser on any text, then the writer, cloning and a second reading: whatever
// the parser accepts, the writer must write in a form the parser reads back to the
// same tree, and a clone must write exactly like its original.
//
// One layout is excepted: a space-preserved element with child nodes. The file layout
// writes its children indented on lines of their own, and that white space is the
// element's text when read again, so such a tree does not read back the same. The
// program's own files keep space only in answers, which hold text alone.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FuzzHilfe.h"
#include "xml/UXBaum.h"
#include "xml/UXParser.h"

namespace {

std::unique_ptr<TXBaum> Parsed(const std::string& text)
{
    std::string errorText;
    int errorPos = 0;
    std::unique_ptr<TXBaum> tree = TXParser::Parse(text, errorText, errorPos);
    FUZZ_CHECK(tree || !errorText.empty());
    return tree;
}

// Whether an element that keeps its white space holds other nodes.
bool HasMixedPreservedContent(const TXKnotenListe& nodes)
{
    std::vector<const TXElement*> pending;
    for (int i = 0; i < nodes.Count(); ++i)
        if (const TXElement* element = nodes.Item(i)->AsElement())
            pending.push_back(element);
    while (!pending.empty()) {
        const TXElement* element = pending.back();
        pending.pop_back();
        if (element->Children.Count() > 0 && element->SpacePreserved())
            return true;
        for (int i = 0; i < element->Children.Count(); ++i)
            if (const TXElement* child = element->Children.Item(i)->AsElement())
                pending.push_back(child);
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::unique_ptr<TXBaum> tree = Parsed(text);
    if (!tree)
        return 0;
    try {
        const std::string written = tree->Serialize("\t", true);
        tree->Serialize("", false);  // the unescaped form only has to be written

        const std::unique_ptr<TXBaum> clone = tree->Clone();
        FUZZ_CHECK(clone->Clone()->Serialize("\t", true) == clone->Serialize("\t", true));
        if (const TXElement* docEl = tree->DocEl())
            FUZZ_CHECK(docEl->Clone()->Serialize("\t", true) == docEl->Serialize("\t", true));

        const std::unique_ptr<TXBaum> again = Parsed(written);
        FUZZ_CHECK(again != nullptr);
        if (!HasMixedPreservedContent(*tree))
            FUZZ_CHECK(again->Serialize("\t", true) == written);
    } catch (const TXZuGross&) {
        // A tree too large to write is refused, which is the right answer.
    }
    return 0;
}
