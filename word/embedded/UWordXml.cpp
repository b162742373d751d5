#include "word/embedded/UWordXml.h"

#include "env/UCodec.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <utility>

namespace {

// Everything the part holds is kept: declaration, processing instructions, comments,
// CDATA, whitespace-only text. Line ends stay as they are, so an unchanged text node is
// written back with the same bytes.
constexpr unsigned kParseFlags = pugi::parse_declaration | pugi::parse_doctype | pugi::parse_pi | pugi::parse_comments |
    pugi::parse_cdata | pugi::parse_escapes | pugi::parse_wconv_attribute | pugi::parse_ws_pcdata;

struct TStringWriter final : pugi::xml_writer {
    explicit TStringWriter(std::string& out) : Out(out) {}
    void write(const void* data, std::size_t size) override { Out.append(static_cast<const char*>(data), size); }
    std::string& Out;
};

bool StartsWithBom(const std::string& data)
{
    return data.size() >= 3 && data.compare(0, 3, "\xEF\xBB\xBF") == 0;
}

bool EqualsNoCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

std::vector<pugi::xml_node> AncestorsFromRoot(pugi::xml_node node)
{
    std::vector<pugi::xml_node> chain;
    for (; node; node = node.parent())
        chain.push_back(node);
    return {chain.rbegin(), chain.rend()};
}

pugi::xml_node CommonAncestor(pugi::xml_node a, pugi::xml_node b)
{
    const auto chainA = AncestorsFromRoot(a);
    const auto chainB = AncestorsFromRoot(b);
    pugi::xml_node common;
    for (std::size_t i = 0; i < chainA.size() && i < chainB.size() && chainA[i] == chainB[i]; ++i)
        common = chainA[i];
    return common;
}

// The nodes strictly between start and end, each as the largest subtree that lies
// wholly between them, in document order. keep tells which of them stay.
std::vector<pugi::xml_node> NodesBetween(pugi::xml_node start, pugi::xml_node end,
                                         const std::function<bool(pugi::xml_node)>& keep)
{
    const pugi::xml_node common = CommonAncestor(start, end);
    std::vector<pugi::xml_node> nodes;
    pugi::xml_node left = start;
    for (; left && left.parent() != common; left = left.parent())
        for (pugi::xml_node sibling = left.next_sibling(); sibling; sibling = sibling.next_sibling())
            nodes.push_back(sibling);
    std::vector<pugi::xml_node> tail;
    pugi::xml_node right = end;
    for (; right && right.parent() != common; right = right.parent())
        for (pugi::xml_node sibling = right.previous_sibling(); sibling; sibling = sibling.previous_sibling())
            tail.push_back(sibling);
    if (!left || !right)
        return {};
    for (pugi::xml_node sibling = left.next_sibling(); sibling && sibling != right; sibling = sibling.next_sibling())
        nodes.push_back(sibling);
    nodes.insert(nodes.end(), tail.rbegin(), tail.rend());
    std::erase_if(nodes, keep);
    return nodes;
}

struct TFoundMarker {
    pugi::xml_node Node;
    TRangeMarker Marker;
};

void CollectMarkers(pugi::xml_node top, const TStoryRules& rules, std::vector<TFoundMarker>& found)
{
    TRangeMarker marker;
    if (rules.MarkerOf(top, marker))
        found.push_back({top, marker});
    pugi::xml_node node = top.first_child();
    while (node) {
        if (rules.MarkerOf(node, marker))
            found.push_back({node, marker});
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && node != top && !node.next_sibling())
            node = node.parent();
        if (!node || node == top)
            break;
        node = node.next_sibling();
    }
}

}  // namespace

void RemoveKeepingMarkers(const std::vector<pugi::xml_node>& nodes, pugi::xml_node start, pugi::xml_node end,
                          const TStoryRules& rules, const TMarkerRemoved& removed)
{
    std::vector<TFoundMarker> found;
    for (pugi::xml_node node : nodes)
        CollectMarkers(node, rules, found);
    std::map<std::string, std::pair<bool, bool>> ends;
    for (const TFoundMarker& f : found) {
        ends[f.Marker.Key].first |= f.Marker.Start;
        ends[f.Marker.Key].second |= f.Marker.End;
    }
    pugi::xml_node lastStart = end;
    std::set<pugi::xml_node> moved;
    for (const TFoundMarker& f : found) {
        const auto& [hasStart, hasEnd] = ends[f.Marker.Key];
        if (hasStart && hasEnd) {
            if (removed)
                removed(f.Node);
            continue;
        }
        if (f.Marker.End)
            start.parent().insert_move_before(f.Node, start);
        else
            lastStart = end.parent().insert_move_after(f.Node, lastStart);
        moved.insert(f.Node);
    }
    for (pugi::xml_node node : nodes)
        if (!moved.count(node))
            node.parent().remove_child(node);
}

std::unique_ptr<TXmlPart> LoadXmlPart(const TWordPackage& package, const std::string& name, std::string& error)
{
    const std::uint64_t size = package.Size(name);
    if (size > TWordPackage::kMaxXmlPart || !package.ChargeXml(size)) {
        error = "The part \"" + name + "\" holds more XML than any document needs (" +
            std::to_string(size > TWordPackage::kMaxXmlPart ? TWordPackage::kMaxXmlPart >> 20
                                                            : TWordPackage::kMaxXmlTotal >> 20) +
            " MiB" + (size > TWordPackage::kMaxXmlPart ? "" : " with the parts before it") + "); it is not read.";
        return nullptr;
    }
    auto part = std::make_unique<TXmlPart>();
    TPackageBytes read = package.Read(name);
    if (!read) {
        error = std::move(read.Error);
        return nullptr;
    }
    part->Buffer = std::move(read.Bytes);
    std::string& data = part->Buffer;
    part->Name = name;
    part->Bom = StartsWithBom(data);
    const std::size_t begin = part->Bom ? 3 : 0;
    if (data.compare(begin, 5, "<?xml") == 0)
        if (const std::size_t close = data.find("?>", begin); close != std::string::npos) {
            const std::size_t after = close + 2;
            part->AfterDeclaration = data.substr(after, data.find_first_not_of(" \t\r\n", after) - after);
        }
    // Parsed where it lies, so that a part is not held twice while it is read.
    const pugi::xml_parse_result result =
        part->Doc.load_buffer_inplace(data.data(), data.size(), kParseFlags, pugi::encoding_auto);
    if (!result) {
        error = "The part \"" + name + "\" is not well-formed XML (" + result.description() + " at byte " +
            std::to_string(result.offset) + ").";
        return nullptr;
    }
    if (!part->Doc.document_element()) {
        error = "The part \"" + name + "\" has no root element.";
        return nullptr;
    }
    // The part is written back as UTF-8; a declaration naming another encoding would lie.
    for (pugi::xml_node node : part->Doc.children())
        if (node.type() == pugi::node_declaration)
            if (pugi::xml_attribute encoding = node.attribute("encoding");
                encoding && !EqualsNoCase(encoding.value(), "UTF-8"))
                encoding.set_value("UTF-8");
    return part;
}

std::string SerializeXmlPart(const TXmlPart& part)
{
    std::string out;
    TStringWriter writer(out);
    unsigned flags = pugi::format_raw | pugi::format_no_declaration;
    if (part.Bom)
        flags |= pugi::format_write_bom;
    part.Doc.save(writer, "", flags, pugi::encoding_utf8);
    if (!part.AfterDeclaration.empty() && part.Doc.first_child().type() == pugi::node_declaration)
        if (const std::size_t close = out.find("?>"); close != std::string::npos)
            out.insert(close + 2, part.AfterDeclaration);
    return out;
}

void StoreXmlPart(TWordPackage& package, const TXmlPart& part)
{
    package.Put(part.Name, SerializeXmlPart(part));
}

std::string PrefixFor(pugi::xml_node root, const char* uri, const std::string& fallback)
{
    for (pugi::xml_attribute attribute : root.attributes()) {
        if (std::strcmp(attribute.value(), uri) != 0)
            continue;
        const char* name = attribute.name();
        if (std::strcmp(name, "xmlns") == 0)
            return {};
        if (std::strncmp(name, "xmlns:", 6) == 0)
            return std::string(name + 6) + ":";
    }
    return fallback;
}

pugi::xml_node NextInOrder(pugi::xml_node node)
{
    if (node.first_child())
        return node.first_child();
    for (; node; node = node.parent())
        if (node.next_sibling())
            return node.next_sibling();
    return {};
}

pugi::xml_node PreviousInOrder(pugi::xml_node node)
{
    pugi::xml_node previous = node.previous_sibling();
    if (!previous)
        return node.parent().type() == pugi::node_document ? pugi::xml_node() : node.parent();
    while (previous.last_child())
        previous = previous.last_child();
    return previous;
}

bool IsAncestorOf(pugi::xml_node ancestor, pugi::xml_node node)
{
    for (node = node.parent(); node; node = node.parent())
        if (node == ancestor)
            return true;
    return false;
}

bool Precedes(pugi::xml_node a, pugi::xml_node b)
{
    if (a == b)
        return false;
    const auto chainA = AncestorsFromRoot(a);
    const auto chainB = AncestorsFromRoot(b);
    std::size_t i = 0;
    while (i < chainA.size() && i < chainB.size() && chainA[i] == chainB[i])
        ++i;
    if (i == chainA.size())
        return true;  // a contains b
    if (i == chainB.size())
        return false;
    for (pugi::xml_node sibling = chainA[i].next_sibling(); sibling; sibling = sibling.next_sibling())
        if (sibling == chainB[i])
            return true;
    return false;
}

pugi::xml_node ParagraphOf(pugi::xml_node node, const TStoryRules& rules)
{
    for (; node; node = node.parent())
        if (rules.IsParagraph(node))
            return node;
    return {};
}

std::vector<TTextPiece> SplitAnswer(const std::string& windows1252)
{
    std::vector<TTextPiece> pieces;
    std::string text;
    const auto flush = [&] {
        if (!text.empty())
            pieces.push_back({TTextPiece::Text, Windows1252ToUtf8(text)});
        text.clear();
    };
    for (std::size_t i = 0; i < windows1252.size(); ++i) {
        const char c = windows1252[i];
        if (c == '\v' || c == '\n' || c == '\r') {
            flush();
            pieces.push_back({TTextPiece::Break, {}});
            if (c == '\r' && i + 1 < windows1252.size() && windows1252[i + 1] == '\n')
                ++i;
        } else if (c == '\t') {
            flush();
            pieces.push_back({TTextPiece::Tab, {}});
        } else if (static_cast<unsigned char>(c) >= 0x20) {
            text += c;
        }
    }
    flush();
    return pieces;
}

std::string PiecesAsLine(const std::vector<TTextPiece>& pieces)
{
    std::string line;
    for (const TTextPiece& piece : pieces)
        line += piece.Kind == TTextPiece::Text ? piece.Utf8 : std::string(" ");
    return line;
}

bool IsYesLike(const std::string& utf8)
{
    std::string answer = LowerAscii(utf8);
    const std::size_t first = answer.find_first_not_of(" \t");
    const std::size_t last = answer.find_last_not_of(" \t");
    answer = first == std::string::npos ? std::string() : answer.substr(first, last - first + 1);
    for (const char* yes : {"1", "x", "ja", "yes", "true"})
        if (answer == yes)
            return true;
    return false;
}

namespace {

// Whether the way from the paragraph up to the ancestor leads through tables only.
bool OnlyTablesBetween(pugi::xml_node paragraph, pugi::xml_node ancestor, const TStoryRules& rules)
{
    for (pugi::xml_node node = paragraph.parent(); node && node != ancestor; node = node.parent())
        if (!rules.IsTablePart(node))
            return false;
    return true;
}

std::string ClearAcrossTables(pugi::xml_node start, pugi::xml_node end, pugi::xml_node first, pugi::xml_node last,
                              const TStoryRules& rules, const TMarkerRemoved& removed)
{
    const pugi::xml_node common = CommonAncestor(first, last);
    if (!OnlyTablesBetween(first, common, rules) || !OnlyTablesBetween(last, common, rules))
        return "The bookmark crosses the border of a text box, frame or content control.";
    const auto keep = [&](pugi::xml_node node) {
        return rules.IsTableProperties(node) || (node.parent() == last && rules.IsParagraphProperties(node));
    };
    std::vector<pugi::xml_node> removedWhole, emptied;
    for (pugi::xml_node node : NodesBetween(start, end, keep))
        (rules.IsCell(node) ? emptied : removedWhole).push_back(node);
    RemoveKeepingMarkers(removedWhole, start, end, rules, removed);
    for (pugi::xml_node cell : emptied) {
        std::vector<pugi::xml_node> content;
        for (pugi::xml_node child : cell.children())
            if (!rules.IsTableProperties(child))
                content.push_back(child);
        RemoveKeepingMarkers(content, start, end, rules, removed);
        rules.AddEmptyParagraph(cell);
    }
    return {};
}

}  // namespace

std::string ClearRange(pugi::xml_node start, pugi::xml_node end, const TStoryRules& rules,
                       const TMarkerRemoved& removed)
{
    pugi::xml_node first = ParagraphOf(start, rules);
    pugi::xml_node last = ParagraphOf(end, rules);
    if (!first || !last)
        return "The bookmark lies outside a paragraph.";
    if (IsAncestorOf(start, end) || IsAncestorOf(end, start))
        return "The bookmark is malformed.";
    if (first != last && first.parent() != last.parent())
        return ClearAcrossTables(start, end, first, last, rules, removed);

    const auto keep = [&](pugi::xml_node node) {
        return first != last && node.parent() == last && rules.IsParagraphProperties(node);
    };
    RemoveKeepingMarkers(NodesBetween(start, end, keep), start, end, rules, removed);
    if (first == last)
        return {};

    // What is left of the last paragraph joins the first one.
    rules.MergeParagraphProperties(first, last);
    for (pugi::xml_node child = last.first_child(); child;) {
        const pugi::xml_node next = child.next_sibling();
        if (!rules.IsParagraphProperties(child))
            first.append_move(child);
        child = next;
    }
    std::vector<TFoundMarker> rest;
    CollectMarkers(last, rules, rest);
    if (removed)
        for (const TFoundMarker& f : rest)
            removed(f.Node);
    last.parent().remove_child(last);
    return {};
}

std::size_t TBookmarkIndex::Add(TBookmarkOccurrence occurrence)
{
    const std::size_t index = occurrences_.size();
    byName_[occurrence.Name].push_back(index);
    byLowerName_[LowerAscii(occurrence.Name)].push_back(index);
    byMarker_[occurrence.Start.internal_object()] = index;
    occurrences_.push_back(std::move(occurrence));
    return index;
}

void TBookmarkIndex::SetEnd(std::size_t index, pugi::xml_node end)
{
    occurrences_[index].End = end;
    byMarker_[end.internal_object()] = index;
}

std::vector<std::size_t> TBookmarkIndex::Live(const std::vector<std::size_t>& indices) const
{
    std::vector<std::size_t> live;
    for (std::size_t index : indices)
        if (!occurrences_[index].Dead)
            live.push_back(index);
    return live;
}

std::vector<std::size_t> TBookmarkIndex::Find(const std::string& name) const
{
    auto it = byName_.find(name);
    return it == byName_.end() ? std::vector<std::size_t>() : Live(it->second);
}

std::vector<std::size_t> TBookmarkIndex::FindIgnoringCase(const std::string& name) const
{
    if (auto it = byName_.find(name); it != byName_.end())
        return Live(it->second);
    auto lower = byLowerName_.find(LowerAscii(name));
    return lower == byLowerName_.end() ? std::vector<std::size_t>() : Live(lower->second);
}

std::string TBookmarkIndex::FillEach(const std::vector<std::size_t>& found,
                                     const std::function<std::string(std::size_t index)>& fill)
{
    for (std::size_t index : found) {
        if (occurrences_[index].Dead)
            continue;
        const std::string error = fill(index);
        if (!error.empty())
            return error;
    }
    return {};
}

std::vector<std::string> TBookmarkIndex::Names() const
{
    std::vector<const TBookmarkOccurrence*> ordered;
    for (const TBookmarkOccurrence& occurrence : occurrences_)
        if (!occurrence.Dead)
            ordered.push_back(&occurrence);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const TBookmarkOccurrence* a, const TBookmarkOccurrence* b) { return a->Group < b->Group; });
    std::vector<std::string> names;
    std::set<std::string> seen;
    for (const TBookmarkOccurrence* occurrence : ordered)
        if (seen.insert(occurrence->Name).second)
            names.push_back(occurrence->Name);
    return names;
}

void TBookmarkIndex::Forget(pugi::xml_node marker)
{
    auto it = byMarker_.find(marker.internal_object());
    if (it == byMarker_.end())
        return;
    occurrences_[it->second].Dead = true;
    occurrences_[it->second].RemovedBy = cause_;
    byMarker_.erase(it);
}

std::string TBookmarkIndex::RemovalCause(const std::string& name) const
{
    const std::vector<std::size_t>* indices = nullptr;
    if (auto exact = byName_.find(name); exact != byName_.end())
        indices = &exact->second;
    else if (auto other = byLowerName_.find(LowerAscii(name)); other != byLowerName_.end())
        indices = &other->second;
    if (indices)
        for (std::size_t index : *indices)
            if (occurrences_[index].Dead)
                return occurrences_[index].RemovedBy.empty() ? "it was removed" : occurrences_[index].RemovedBy;
    return {};
}

void TRangePairing::Open(const TBookmarkOccurrence& occurrence, const std::string& key)
{
    open_[key].push_back(index_.Add(occurrence));
}

void TRangePairing::Close(pugi::xml_node end, const std::string& key)
{
    auto it = open_.find(key);
    if (it == open_.end() || it->second.empty())
        return;
    index_.SetEnd(it->second.back(), end);
    it->second.pop_back();
}
