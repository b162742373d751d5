#include "word/embedded/UWordOdf.h"

#include <cctype>
#include <cstring>
#include <set>
#include <string_view>
#include <unordered_map>

namespace {

constexpr const char* kTextNamespace = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr const char* kStyleNamespace = "urn:oasis:names:tc:opendocument:xmlns:style:1.0";
constexpr const char* kManifestNamespace = "urn:oasis:names:tc:opendocument:xmlns:manifest:1.0";
constexpr const char* kTextType = "application/vnd.oasis.opendocument.text";
constexpr const char* kTextTemplateType = "application/vnd.oasis.opendocument.text-template";

bool Is(pugi::xml_node node, const std::string& name)
{
    return node.type() == pugi::node_element && name == node.name();
}

std::string Trimmed(std::string text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    return text;
}

struct TTextNames {
    explicit TTextNames(const std::string& t)
        : P(t + "p")
        , H(t + "h")
        , Span(t + "span")
        , Bookmark(t + "bookmark")
        , BookmarkStart(t + "bookmark-start")
        , BookmarkEnd(t + "bookmark-end")
        , BookmarkRef(t + "bookmark-ref")
        , ReferenceMark(t + "reference-mark")
        , ReferenceMarkStart(t + "reference-mark-start")
        , ReferenceMarkEnd(t + "reference-mark-end")
        , LineBreak(t + "line-break")
        , Tab(t + "tab")
        , Space(t + "s")
        , Name(t + "name")
        , RefName(t + "ref-name")
        , ReferenceFormat(t + "reference-format")
        , StyleName(t + "style-name")
        , Count(t + "c")
    {
    }
    std::string P, H, Span, Bookmark, BookmarkStart, BookmarkEnd, BookmarkRef, ReferenceMark, ReferenceMarkStart,
        ReferenceMarkEnd, LineBreak, Tab, Space, Name, RefName, ReferenceFormat, StyleName, Count;
};

class TOdfRules final : public TStoryRules {
public:
    explicit TOdfRules(const TTextNames& t) : T(t) {}
    bool IsParagraph(pugi::xml_node node) const override { return Is(node, T.P) || Is(node, T.H); }
    bool IsParagraphProperties(pugi::xml_node) const override { return false; }
    bool MarkerOf(pugi::xml_node node, TRangeMarker& marker) const override
    {
        if (node.type() != pugi::node_element)
            return false;
        const std::string name = node.name();
        const std::string key = node.attribute(T.Name.c_str()).value();
        if (name == T.Bookmark || name == T.BookmarkStart || name == T.BookmarkEnd) {
            marker.Key = "b" + key;
            marker.Start = name != T.BookmarkEnd;
            marker.End = name != T.BookmarkStart;
            return true;
        }
        if (name == T.ReferenceMark || name == T.ReferenceMarkStart || name == T.ReferenceMarkEnd) {
            marker.Key = "r" + key;
            marker.Start = name != T.ReferenceMarkEnd;
            marker.End = name != T.ReferenceMarkStart;
            return true;
        }
        return false;
    }
    void MergeParagraphProperties(pugi::xml_node, pugi::xml_node) const override {}
    bool IsTablePart(pugi::xml_node node) const override
    {
        static const std::set<std::string_view> parts = {
            "table",           "table-row",  "table-rows",        "table-header-rows",
            "table-row-group", "table-cell", "covered-table-cell"};
        return node.type() == pugi::node_element && parts.count(TableLocalName(node)) > 0;
    }
    bool IsCell(pugi::xml_node node) const override
    {
        return node.type() == pugi::node_element &&
            (TableLocalName(node) == "table-cell" || TableLocalName(node) == "covered-table-cell");
    }
    bool IsTableProperties(pugi::xml_node node) const override
    {
        static const std::set<std::string_view> properties = {"table-column", "table-columns", "table-header-columns",
                                                              "table-column-group"};
        return node.type() == pugi::node_element && properties.count(TableLocalName(node)) > 0;
    }
    // An OpenDocument cell may be empty; the paragraph keeps it like one a user emptied.
    void AddEmptyParagraph(pugi::xml_node cell) const override
    {
        if (TableLocalName(cell) == "table-cell")
            cell.append_child(T.P.c_str());
    }

private:
    // The local name of an element of the table namespace (prefix "table:" as the files
    // write it); empty for others.
    static std::string_view TableLocalName(pugi::xml_node node)
    {
        const std::string_view name = node.name();
        return name.starts_with("table:") ? name.substr(6) : std::string_view();
    }

    const TTextNames& T;
};

// Reading order: headers (in styles.xml), the body, footers (in styles.xml).
enum TStoryGroup { GroupHeader, GroupBody, GroupFooter };

struct TStory {
    explicit TStory(std::unique_ptr<TXmlPart> part)
        : Part(std::move(part))
        , T(PrefixFor(Part->Doc.document_element(), kTextNamespace, "text:"))
        , Rules(T)
        , StylePrefix(PrefixFor(Part->Doc.document_element(), kStyleNamespace, "style:"))
    {
    }
    std::unique_ptr<TXmlPart> Part;
    TTextNames T;
    TOdfRules Rules;
    std::string StylePrefix;
};

// The group of a bookmark in styles.xml: in a footer or else in a header.
int HeaderOrFooter(pugi::xml_node node, const std::string& footer)
{
    for (pugi::xml_node up = node.parent(); up; up = up.parent())
        if (std::strncmp(up.name(), footer.c_str(), footer.size()) == 0)
            return GroupFooter;
    return GroupHeader;
}

// The style of the innermost span around node inside its paragraph; "" for none.
std::string SpanStyleOf(pugi::xml_node node, pugi::xml_node paragraph, const TTextNames& t)
{
    for (node = node.parent(); node && node != paragraph; node = node.parent())
        if (Is(node, t.Span))
            return node.attribute(t.StyleName.c_str()).value();
    return {};
}

bool IsText(pugi::xml_node node)
{
    return (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) && *node.value();
}

// The text whose span style the new text takes: the first replaced text, else the text
// before the bookmark, else the text after it in its paragraph.
pugi::xml_node FormatText(pugi::xml_node start, pugi::xml_node end, const TStoryRules& rules)
{
    for (pugi::xml_node node = NextInOrder(start); node && node != end; node = NextInOrder(node))
        if (IsText(node))
            return node;
    const pugi::xml_node paragraph = ParagraphOf(start, rules);
    pugi::xml_node before;
    for (pugi::xml_node node = NextInOrder(paragraph); node && node != start; node = NextInOrder(node))
        if (IsText(node))
            before = node;
    if (before)
        return before;
    const pugi::xml_node endParagraph = ParagraphOf(end, rules);
    for (pugi::xml_node node = NextInOrder(end); node && IsAncestorOf(endParagraph, node); node = NextInOrder(node))
        if (IsText(node))
            return node;
    return {};
}

// Appends nodes one after another behind an anchor.
class TEmitter {
public:
    TEmitter(pugi::xml_node parent, pugi::xml_node after) : Parent_(parent), After_(after) {}
    pugi::xml_node Element(const std::string& name)
    {
        pugi::xml_node node = Place(pugi::node_element);
        node.set_name(name.c_str());
        return node;
    }
    void Text(const std::string& text)
    {
        if (!text.empty())
            Place(pugi::node_pcdata).set_value(text.c_str());
    }

private:
    pugi::xml_node Place(pugi::xml_node_type type)
    {
        After_ = After_ ? Parent_.insert_child_after(type, After_) : Parent_.prepend_child(type);
        return After_;
    }
    pugi::xml_node Parent_, After_;
};

// Blanks that the reader would fold (runs of blanks, blanks at the edges) are written
// as text:s so that the answer keeps every one of them.
void EmitText(TEmitter& out, const std::string& text, const TTextNames& t)
{
    std::string pending;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != ' ') {
            pending += text[i++];
            continue;
        }
        std::size_t j = i;
        while (j < text.size() && text[j] == ' ')
            ++j;
        const std::size_t count = j - i;
        if (count == 1 && i > 0 && j < text.size()) {
            pending += ' ';
        } else {
            out.Text(pending);
            pending.clear();
            pugi::xml_node space = out.Element(t.Space);
            if (count > 1)
                space.append_attribute(t.Count.c_str()) = std::to_string(count).c_str();
        }
        i = j;
    }
    out.Text(pending);
}

class TOdfContent final : public TWordContent {
public:
    std::string Load(TWordPackage& package);

    std::vector<std::string> Bookmarks() const override;
    bool HasBookmark(const std::string& name) const override { return !Bookmarks_.Find(name).empty(); }
    std::string RemovalCause(const std::string& name) const override { return Bookmarks_.RemovalCause(name); }
    std::string Fill(const std::string& name, const std::vector<TTextPiece>& pieces) override;
    std::string UpdateFields() override;
    void Store(TWordPackage& package) override;
    std::string Extension() const override { return ".odt"; }

private:
    std::string MakeDocument(TWordPackage& package);
    void IndexStory(std::size_t storyIndex, bool inStyles);
    std::string FillOccurrence(std::size_t index, const std::vector<TTextPiece>& pieces);

    std::vector<std::unique_ptr<TStory>> Stories_;
    TBookmarkIndex Bookmarks_;
    std::unordered_map<std::string, std::vector<TTextPiece>> Filled_;
};

std::string TOdfContent::Load(TWordPackage& package)
{
    std::string error = MakeDocument(package);
    if (!error.empty())
        return error;
    for (const char* name : {"content.xml", "styles.xml"}) {
        if (std::strcmp(name, "styles.xml") == 0 && !package.Contains(name))
            continue;
        auto part = LoadXmlPart(package, name, error);
        if (!part)
            return error;
        Stories_.push_back(std::make_unique<TStory>(std::move(part)));
        IndexStory(Stories_.size() - 1, std::strcmp(name, "styles.xml") == 0);
    }
    return {};
}

// A text template becomes a text document: the mimetype (first and uncompressed, so
// that the file is recognised by its first bytes) and the manifest's root entry.
std::string TOdfContent::MakeDocument(TWordPackage& package)
{
    std::string error;
    auto manifest = LoadXmlPart(package, "META-INF/manifest.xml", error);
    if (!manifest)
        return error;
    const std::string m = PrefixFor(manifest->Doc.document_element(), kManifestNamespace, "manifest:");
    pugi::xml_node root = manifest->Doc.document_element().find_child_by_attribute((m + "file-entry").c_str(),
                                                                                   (m + "full-path").c_str(), "/");
    std::string type;
    if (package.Contains("mimetype")) {
        TPackageBytes read = package.Read("mimetype");
        if (!read)
            return read.Error;
        type = Trimmed(read.Bytes);
    } else if (root) {
        type = root.attribute((m + "media-type").c_str()).value();
    }
    if (type != kTextType && type != kTextTemplateType)
        return "The package is not an OpenDocument text (its type is \"" + type + "\").";
    if (root) {
        pugi::xml_attribute media = root.attribute((m + "media-type").c_str());
        if (!media)
            media = root.append_attribute((m + "media-type").c_str());
        if (std::strcmp(media.value(), kTextType) != 0) {
            media.set_value(kTextType);
            StoreXmlPart(package, *manifest);
        }
    }
    package.PutFirstStored("mimetype", kTextType);
    return {};
}

void TOdfContent::IndexStory(std::size_t storyIndex, bool inStyles)
{
    const TStory& story = *Stories_[storyIndex];
    const TTextNames& t = story.T;
    const std::string footer = story.StylePrefix + "footer";
    TRangePairing ranges(Bookmarks_);
    for (pugi::xml_node node = story.Part->Doc.document_element(); node; node = NextInOrder(node)) {
        const bool point = Is(node, t.Bookmark);
        if (point || Is(node, t.BookmarkStart)) {
            const TBookmarkOccurrence occurrence{.Story = storyIndex,
                                                 .Group = inStyles ? HeaderOrFooter(node, footer) : GroupBody,
                                                 .Name = node.attribute(t.Name.c_str()).value(),
                                                 .Start = node};
            if (point)
                Bookmarks_.Add(occurrence);
            else
                ranges.Open(occurrence, occurrence.Name);
        } else if (Is(node, t.BookmarkEnd)) {
            ranges.Close(node, node.attribute(t.Name.c_str()).value());
        }
    }
}

std::vector<std::string> TOdfContent::Bookmarks() const
{
    return Bookmarks_.Names();
}

std::string TOdfContent::Fill(const std::string& name, const std::vector<TTextPiece>& pieces)
{
    Bookmarks_.SetCause("it lay inside the bookmark \"" + name + "\", which was filled before it");
    const std::string error =
        Bookmarks_.FillEach(Bookmarks_.Find(name), [&](std::size_t index) { return FillOccurrence(index, pieces); });
    if (!error.empty())
        return error;
    Filled_[name] = pieces;
    return {};
}

std::string TOdfContent::FillOccurrence(std::size_t index, const std::vector<TTextPiece>& pieces)
{
    const TBookmarkOccurrence& occurrence = Bookmarks_[index];
    TStory& story = *Stories_[occurrence.Story];
    const TTextNames& t = story.T;
    pugi::xml_node start = occurrence.Start;
    pugi::xml_node end = occurrence.End;
    // A point bookmark becomes a range so that it can hold the text.
    if (Is(start, t.Bookmark))
        start.set_name(t.BookmarkStart.c_str());
    if (!end) {
        end = start.parent().insert_child_after(t.BookmarkEnd.c_str(), start);
        end.append_attribute(t.Name.c_str()) = occurrence.Name.c_str();
        Bookmarks_.SetEnd(index, end);
    }
    if (Precedes(end, start))
        start.parent().insert_move_after(end, start);

    const pugi::xml_node paragraph = ParagraphOf(start, story.Rules);
    const pugi::xml_node format = FormatText(start, end, story.Rules);
    const std::string style = format ? SpanStyleOf(format, ParagraphOf(format, story.Rules), t) : std::string();
    const bool wrap = !style.empty() && style != SpanStyleOf(start, paragraph, t);

    const std::string error = ClearRange(start, end, story.Rules, Bookmarks_.Forgetter());
    if (!error.empty())
        return error;
    story.Part->Changed = true;
    if (pieces.empty())
        return {};
    pugi::xml_node parent = start.parent();
    pugi::xml_node after = start;
    if (wrap) {
        parent = parent.insert_child_after(t.Span.c_str(), start);
        parent.append_attribute(t.StyleName.c_str()) = style.c_str();
        after = {};
    }
    TEmitter out(parent, after);
    for (const TTextPiece& piece : pieces) {
        if (piece.Kind == TTextPiece::Break)
            out.Element(t.LineBreak);
        else if (piece.Kind == TTextPiece::Tab)
            out.Element(t.Tab);
        else
            EmitText(out, piece.Utf8, t);
    }
    return {};
}

// Cross-references that show a filled bookmark's text get it now; the word processor
// recomputes its other fields (dates, page numbers) itself when it opens the file.
std::string TOdfContent::UpdateFields()
{
    Bookmarks_.SetCause("it lay inside a field whose result was updated");
    for (const auto& story : Stories_) {
        const TTextNames& t = story->T;
        std::vector<pugi::xml_node> references;
        for (pugi::xml_node node = story->Part->Doc.document_element(); node; node = NextInOrder(node))
            if (Is(node, t.BookmarkRef))
                references.push_back(node);
        for (pugi::xml_node reference : references) {
            auto it = Filled_.find(reference.attribute(t.RefName.c_str()).value());
            const pugi::xml_attribute format = reference.attribute(t.ReferenceFormat.c_str());
            if (it == Filled_.end() || (format && std::strcmp(format.value(), "text") != 0))
                continue;
            std::vector<pugi::xml_node> old;
            for (pugi::xml_node child : reference.children())
                old.push_back(child);
            RemoveKeepingMarkers(old, reference, reference, story->Rules, Bookmarks_.Forgetter());
            reference.text().set(PiecesAsLine(it->second).c_str());
            story->Part->Changed = true;
        }
    }
    return {};
}

void TOdfContent::Store(TWordPackage& package)
{
    for (const auto& story : Stories_)
        if (story->Part->Changed)
            StoreXmlPart(package, *story->Part);
}

}  // namespace

std::unique_ptr<TWordContent> OpenOdf(TWordPackage& package, std::string& error)
{
    auto content = std::make_unique<TOdfContent>();
    error = content->Load(package);
    if (!error.empty())
        return nullptr;
    return content;
}
