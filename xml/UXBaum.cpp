#include "xml/UXBaum.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <utility>

namespace {

constexpr std::string_view kLineEnd = "\r\n";
// How many siblings ahead the writer asks the memory for.
constexpr int kPrefetchedSiblings = 2;

// Characters that Escape replaces, for a quick scan of texts that need none.
constexpr std::array<bool, 256> MakeEscapeTable()
{
    std::array<bool, 256> table{};
    for (unsigned char c : std::string_view("&\"'<>"))
        table[c] = true;
    return table;
}
constexpr auto kNeedsEscape = MakeEscapeTable();

void AppendText(std::string& out, std::string_view text, bool escape)
{
    if (escape)
        XEscapeAppend(out, text);
    else
        out += text;
}

// Indentation strings by level, grown on demand, so writing stays linear in the output.
class IndentCache {
public:
    explicit IndentCache(const std::string& unit) : unit_(unit) {}
    std::string_view At(int level)
    {
        const size_t wanted = level > 1 ? static_cast<size_t>(level - 1) * unit_.size() : 0;
        while (buffer_.size() < wanted)
            buffer_ += unit_;
        return std::string_view(buffer_).substr(0, wanted);
    }

private:
    const std::string& unit_;
    std::string buffer_;
};

// The answer of an element's own xml:space attribute: 1 preserve, 0 default, -1 neither.
int OwnSpaceSetting(const TXElement& element)
{
    const TXAttribut* space = element.Attributes.Find("xml:space");
    if (!space)
        return -1;
    if (space->Value == "default")
        return 0;
    return space->Value == "preserve" ? 1 : -1;
}

bool InheritSpace(const TXElement& element, bool parentPreserved)
{
    const int own = OwnSpaceSetting(element);
    return own < 0 ? parentPreserved : own == 1;
}

// Appends to a buffer through a raw pointer: writing a document is a long series of
// short appends, and std::string's per-call checks would dominate. The buffer is one
// per thread and keeps its size between documents, so writing a large document again
// neither grows nor clears memory; the caller copies the written part out once.
class Writer {
public:
    Writer() : buffer_(Buffer()) {}
    ~Writer()
    {
        if (buffer_.size() > kKeptBytes)
            std::string().swap(buffer_);  // don't hold on to the memory of a huge document
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    std::string_view Written() const { return std::string_view(buffer_.data(), length_); }

    void Put(std::string_view text)
    {
        Room(text.size());
        PutUnchecked(text);
    }
    // Several pieces with one check for room.
    void Put(std::initializer_list<std::string_view> pieces)
    {
        size_t total = 0;
        for (const std::string_view piece : pieces)
            total += piece.size();
        Room(total);
        for (const std::string_view piece : pieces)
            PutUnchecked(piece);
    }
    void Put(char c)
    {
        Room(1);
        buffer_[length_++] = c;
    }
    void PutText(std::string_view text, bool escape)
    {
        if (!escape) {
            Put(text);
            return;
        }
        size_t start = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            if (!kNeedsEscape[static_cast<unsigned char>(text[i])])
                continue;
            Put(text.substr(start, i - start));
            Put(EntityOf(text[i]));
            start = i + 1;
        }
        Put(text.substr(start));
    }

private:
    static constexpr size_t kKeptBytes = 64u << 20;

    void PutUnchecked(std::string_view text)
    {
        if (text.empty())
            return;  // an empty view may have no data pointer at all
        std::memcpy(buffer_.data() + length_, text.data(), text.size());
        length_ += text.size();
    }

    static std::string& Buffer()
    {
        thread_local std::string buffer;
        return buffer;
    }
    static std::string_view EntityOf(char c)
    {
        switch (c) {
        case '&': return "&amp;";
        case '"': return "&quot;";
        case '\'': return "&apos;";
        case '<': return "&lt;";
        default: return "&gt;";
        }
    }
    void Room(size_t more)
    {
        if (length_ + more <= buffer_.size())
            return;
        // A deeply nested tree grows with the square of its depth when written: it
        // must not fill the memory or the disk.
        if (length_ + more > kMaxSerializedBytes)
            throw TXZuGross();
        buffer_.resize(std::min(std::max({length_ + more, 2 * buffer_.size(), size_t{4096}}), kMaxSerializedBytes));
    }

    std::string& buffer_;
    size_t length_ = 0;
};

void WriteStartTag(Writer& out, const TXElement& element, std::string_view indent, bool escape)
{
    out.Put({indent, "<", element.Name});
    for (int i = 0; i < element.Attributes.Count(); ++i) {
        const TXAttribut& attribute = *element.Attributes.Item(i);
        out.Put({" ", attribute.Name, "=\""});
        out.PutText(attribute.Value, escape);
        out.Put('"');
    }
}

// Writes a sequence of sibling nodes, descending into elements with an explicit stack.
// 'level' is the level of the siblings; 'preserved' the xml:space answer of their parent.
void WriteNodes(std::string& target, const std::vector<const TXKnoten*>& roots, const std::string& unit, bool escape,
                int level, bool preserved)
{
    struct Frame {
        const TXElement* element;
        int nextChild;
        int level;
        bool preserved;
    };
    IndentCache indents(unit);
    std::vector<Frame> stack;
    Writer out;

    // Writes one node; an element with content gets its start tag and text and is pushed.
    auto open = [&](const TXKnoten& node, int nodeLevel, bool parentPreserved) {
        const std::string_view indent = indents.At(nodeLevel);
        const TXElement* element = node.AsElement();
        if (!element) {
            std::string leaf;
            node.WriteLeaf(leaf, indent, escape);
            out.Put(leaf);
            return;
        }
        WriteStartTag(out, *element, indent, escape);
        if (element->Text.empty() && element->Children.Count() == 0) {
            out.Put({"/>", kLineEnd});
            return;
        }
        const bool own = InheritSpace(*element, parentPreserved);
        if (own) {
            out.Put('>');
            out.PutText(element->Text, escape);
        } else {
            out.Put({">", kLineEnd});
            if (!element->Text.empty()) {
                out.Put(indent);
                out.PutText(element->Text, escape);
                out.Put(kLineEnd);
            }
        }
        stack.push_back({element, 0, nodeLevel, own});
    };

    for (const TXKnoten* root : roots) {
        open(*root, level, preserved);
        while (!stack.empty()) {
            Frame& top = stack.back();
            if (top.nextChild < top.element->Children.Count()) {
                const TXKnoten* child = top.element->Children.Item(top.nextChild++);
                // The nodes lie apart on the heap: ask for the next siblings early.
                const int prefetchEnd = std::min(top.element->Children.Count(), top.nextChild + kPrefetchedSiblings);
                for (int ahead = top.nextChild; ahead < prefetchEnd; ++ahead)
                    __builtin_prefetch(top.element->Children.Item(ahead));
                const int childLevel = top.level + 1;
                const bool parentPreserved = top.preserved;
                open(*child, childLevel, parentPreserved);  // may reallocate the stack
                continue;
            }
            const std::string_view indent = top.preserved ? std::string_view() : indents.At(top.level);
            out.Put({indent, "</", top.element->Name, ">", kLineEnd});
            stack.pop_back();
        }
    }
    target.append(out.Written());
}

std::vector<const TXKnoten*> EntriesOf(const TXKnotenListe& list)
{
    std::vector<const TXKnoten*> entries;
    entries.reserve(static_cast<size_t>(list.Count()));
    for (int i = 0; i < list.Count(); ++i)
        entries.push_back(list.Item(i));
    return entries;
}

bool ParentPreserved(const TXKnoten& node)
{
    return node.Parent ? TXElement::SpacePreserved(node.Parent) : false;
}

}  // namespace

// --- text operations -------------------------------------------------------------

void XEscapeAppend(std::string& out, std::string_view text)
{
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!kNeedsEscape[c])
            continue;
        out.append(text.data() + start, i - start);
        switch (c) {
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        case '<': out += "&lt;"; break;
        default: out += "&gt;"; break;
        }
        start = i + 1;
    }
    out.append(text.data() + start, text.size() - start);
}

std::string XEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    XEscapeAppend(out, text);
    return out;
}

std::string_view XLocalName(std::string_view name)
{
    const size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// --- TXKnoten ----------------------------------------------------------------------

int TXKnoten::Level() const
{
    int level = 1;
    for (const TXElement* p = Parent; p; p = p->Parent)
        ++level;
    return level;
}

std::string TXKnoten::Indent(const std::string& unit) const
{
    std::string indent;
    for (int i = 1; i < Level(); ++i)
        indent += unit;
    return indent;
}

std::string TXKnoten::Serialize(const std::string& unit, bool escape) const
{
    std::string out;
    WriteNodes(out, {this}, unit, escape, Level(), ParentPreserved(*this));
    return out;
}

// --- attributes ----------------------------------------------------------------------

std::string TXAttribut::Serialize(bool escape) const
{
    std::string out = Name;
    out += "=\"";
    AppendText(out, Value, escape);
    out += '"';
    return out;
}

std::unique_ptr<TXAttribut> TXAttribut::Clone() const
{
    return std::make_unique<TXAttribut>(Name, Value);
}

void TXAttributListe::Add(std::unique_ptr<TXAttribut> attribute)
{
    if (attribute)
        items_.push_back(std::move(*attribute));
}

TXAttribut* TXAttributListe::Add(std::string name, std::string value)
{
    if (items_.empty())
        items_.reserve(2);
    return &items_.emplace_back(std::move(name), std::move(value));
}

TXAttribut* TXAttributListe::Item(int index)
{
    return index >= 0 && index < Count() ? &items_[static_cast<size_t>(index)] : nullptr;
}

const TXAttribut* TXAttributListe::Item(int index) const
{
    return index >= 0 && index < Count() ? &items_[static_cast<size_t>(index)] : nullptr;
}

const TXAttribut* TXAttributListe::Find(std::string_view name) const
{
    for (const auto& attribute : items_)
        if (attribute.Name == name)
            return &attribute;
    return nullptr;
}

std::string TXAttributListe::GetValue(std::string_view name) const
{
    const TXAttribut* attribute = Find(name);
    return attribute ? attribute->Value : std::string();
}

void TXAttributListe::SerializeTo(std::string& out, bool escape) const
{
    for (const auto& attribute : items_) {
        out += ' ';
        out += attribute.Name;
        out += "=\"";
        AppendText(out, attribute.Value, escape);
        out += '"';
    }
}

std::string TXAttributListe::Serialize(bool escape) const
{
    std::string out;
    SerializeTo(out, escape);
    return out;
}

void TXAttributListe::Delete(int index)
{
    if (index >= 0 && index < Count())
        items_.erase(items_.begin() + index);
}

std::unique_ptr<TXAttributListe> TXAttributListe::Clone() const
{
    auto copy = std::make_unique<TXAttributListe>();
    copy->items_ = items_;
    return copy;
}

// --- TXKnotenListe -------------------------------------------------------------------

TXKnotenListe::~TXKnotenListe()
{
    // Destroying a deep tree recursively could exhaust the stack: collect the nodes on a
    // work list instead, emptying each element's children before the element goes.
    std::vector<std::unique_ptr<TXKnoten>> pending;
    while (!items_.empty()) {
        pending.push_back(std::move(items_.back()));
        items_.pop_back();
    }
    while (!pending.empty()) {
        std::unique_ptr<TXKnoten> node = std::move(pending.back());
        pending.pop_back();
        if (TXElement* element = node->AsElement()) {
            auto& children = element->Children.items_;
            while (!children.empty()) {
                pending.push_back(std::move(children.back()));
                children.pop_back();
            }
        }
    }
}

void TXKnotenListe::SetOwner(TXElement* owner)
{
    if (owner == Owner)
        return;
    Owner = owner;
    for (auto& node : items_)
        node->Parent = owner;
}

TXKnoten* TXKnotenListe::Add(std::unique_ptr<TXKnoten> node)
{
    if (!node)
        return nullptr;
    node->Parent = Owner;
    if (items_.empty())
        items_.reserve(4);  // most elements with children have a few
    items_.push_back(std::move(node));
    return items_.back().get();
}

TXKnoten* TXKnotenListe::Insert(int index, std::unique_ptr<TXKnoten> node)
{
    if (!node)
        return nullptr;
    if (index < 0 || index > Count())
        return Add(std::move(node));
    node->Parent = Owner;
    TXKnoten* raw = node.get();
    items_.insert(items_.begin() + index, std::move(node));
    return raw;
}

void TXKnotenListe::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    NodeLeaving(items_[static_cast<size_t>(index)].get());
    // Hand the node to a temporary list so a deep subtree is destroyed without recursion.
    TXKnotenListe doomed;
    doomed.items_.push_back(std::move(items_[static_cast<size_t>(index)]));
    items_.erase(items_.begin() + index);
}

TXKnoten* TXKnotenListe::Item(int index) const
{
    return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)].get() : nullptr;
}

int TXKnotenListe::IndexOf(const TXKnoten* node) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == node)
            return static_cast<int>(i);
    return -1;
}

std::unique_ptr<TXKnoten> TXKnotenListe::Remove(const TXKnoten* node)
{
    const int index = IndexOf(node);
    if (index < 0)
        return nullptr;
    NodeLeaving(node);
    std::unique_ptr<TXKnoten> taken = std::move(items_[static_cast<size_t>(index)]);
    items_.erase(items_.begin() + index);
    taken->Parent = nullptr;
    return taken;
}

std::unique_ptr<TXKnoten> TXKnotenListe::Replace(int index, std::unique_ptr<TXKnoten> node)
{
    if (index < 0 || index >= Count() || !node)
        return nullptr;
    auto& slot = items_[static_cast<size_t>(index)];
    NodeLeaving(slot.get());
    node->Parent = Owner;
    std::unique_ptr<TXKnoten> old = std::exchange(slot, std::move(node));
    old->Parent = nullptr;
    return old;
}

std::string TXKnotenListe::Serialize(const std::string& unit, bool escape) const
{
    std::string out;
    const int level = Owner ? Owner->Level() + 1 : 1;
    const bool preserved = Owner ? TXElement::SpacePreserved(Owner) : false;
    WriteNodes(out, EntriesOf(*this), unit, escape, level, preserved);
    return out;
}

TXElement* TXKnotenListe::FindFirst(std::string_view pattern, bool ignorePrefix)
{
    if (!search_)
        search_ = std::make_unique<SearchState>();
    search_->pattern = ignorePrefix ? XLocalName(pattern) : pattern;
    search_->ignorePrefix = ignorePrefix;
    search_->position = 0;
    return FindNext();
}

TXElement* TXKnotenListe::FindNext()
{
    if (!search_)
        return nullptr;
    SearchState& search = *search_;
    const bool any = search.pattern == "*";
    while (search.position < Count()) {
        TXElement* element = items_[static_cast<size_t>(search.position++)]->AsElement();
        if (!element)
            continue;
        if (any)
            return element;
        const std::string_view name = search.ignorePrefix ? element->LocalName() : element->Name;
        if (name == search.pattern)
            return element;
    }
    return nullptr;
}

void TXKnotenListe::CopySearchStateTo(TXKnotenListe& other) const
{
    other.search_ = search_ ? std::make_unique<SearchState>(*search_) : nullptr;
}

void TXKnotenListe::AppendClonesOf(const TXKnotenListe& source)
{
    for (const auto& node : source.items_)
        Add(node->Clone());
}

std::unique_ptr<TXKnotenListe> TXKnotenListe::Clone() const
{
    auto copy = std::make_unique<TXKnotenListe>();
    copy->AppendClonesOf(*this);
    CopySearchStateTo(*copy);
    return copy;
}

// --- TXElement -----------------------------------------------------------------------

std::string TXElement::Serialize(const std::string& unit, bool escape) const
{
    return TXKnoten::Serialize(unit, escape);
}

std::unique_ptr<TXKnoten> TXElement::Clone() const
{
    return CloneElement();
}

std::unique_ptr<TXElement> TXElement::CloneElement() const
{
    // Copies the subtree level by level with an explicit stack of (source, copy) pairs.
    auto shallow = [](const TXElement& source) {
        auto copy = std::make_unique<TXElement>(source.Name, source.Text);
        copy->Attributes.items_ = source.Attributes.items_;
        source.Children.CopySearchStateTo(copy->Children);
        return copy;
    };
    auto root = shallow(*this);
    std::vector<std::pair<const TXElement*, TXElement*>> stack{{this, root.get()}};
    while (!stack.empty()) {
        const auto [source, copy] = stack.back();
        stack.pop_back();
        for (const auto& child : source->Children.items_) {
            if (const TXElement* element = child->AsElement()) {
                auto* added = static_cast<TXElement*>(copy->Children.Add(shallow(*element)));
                stack.emplace_back(element, added);
            } else {
                copy->Children.Add(child->Clone());
            }
        }
    }
    return root;
}

TXElement* TXElement::AddElement(int index, std::string name, std::string text)
{
    auto element = std::make_unique<TXElement>(std::move(name), std::move(text));
    if (index >= 0 && index < Children.Count())
        return static_cast<TXElement*>(Children.Insert(index, std::move(element)));
    return static_cast<TXElement*>(Children.Add(std::move(element)));
}

bool TXElement::SpacePreserved(const TXElement* node)
{
    for (; node; node = node->Parent) {
        const int own = OwnSpaceSetting(*node);
        if (own >= 0)
            return own == 1;
    }
    return false;
}

// --- the other nodes -----------------------------------------------------------------

std::unique_ptr<TXKnoten> TXDeklaration::Clone() const
{
    auto copy = std::make_unique<TXDeklaration>();
    copy->Version = Version;
    copy->Encoding = Encoding;
    copy->Standalone = Standalone;
    return copy;
}

void TXDeklaration::WriteLeaf(std::string& out, std::string_view, bool) const
{
    out += "<?xml version=\"";
    out += Version;
    out += '"';
    if (!Encoding.empty()) {
        out += " encoding=\"";
        out += Encoding;
        out += '"';
    }
    if (!Standalone.empty()) {
        out += " standalone=\"";
        out += Standalone;
        out += '"';
    }
    out += " ?>";
    out += kLineEnd;
}

std::unique_ptr<TXKnoten> TXKommentar::Clone() const
{
    return std::make_unique<TXKommentar>(Text);
}

void TXKommentar::WriteLeaf(std::string& out, std::string_view indent, bool escape) const
{
    out += indent;
    out += "<!--";
    AppendText(out, Text, escape);
    out += "-->";
    out += kLineEnd;
}

std::unique_ptr<TXKnoten> TXCData::Clone() const
{
    return std::make_unique<TXCData>(Text);
}

void TXCData::WriteLeaf(std::string& out, std::string_view, bool escape) const
{
    out += "<![CDATA[";
    AppendText(out, Text, escape);
    out += "]]>";
    out += kLineEnd;
}

std::unique_ptr<TXKnoten> TXDocType::Clone() const
{
    return std::make_unique<TXDocType>(Text);
}

void TXDocType::WriteLeaf(std::string& out, std::string_view, bool escape) const
{
    out += "<!DOCTYPE";
    AppendText(out, Text, escape);
    // The reader takes an internal subset ("[" before any ">") up to "]>" and keeps the
    // text without that "]": it is written back, or the file could not be read again.
    const std::size_t subset = Text.find('[');
    out += subset != std::string::npos && subset < Text.find('>') ? "]>" : ">";
    out += kLineEnd;
}

std::unique_ptr<TXKnoten> TXProcInst::Clone() const
{
    return std::make_unique<TXProcInst>(Target, Data);
}

void TXProcInst::WriteLeaf(std::string& out, std::string_view, bool escape) const
{
    out += "<?";
    out += Target;
    out += ' ';
    AppendText(out, Data, escape);
    out += " ?>";
    out += kLineEnd;
}

// --- TXBaum --------------------------------------------------------------------------

TXBaum::~TXBaum()
{
    deklaration_ = nullptr;
    docEl_ = nullptr;
}

void TXBaum::NodeLeaving(const TXKnoten* node)
{
    if (node == deklaration_)
        deklaration_ = nullptr;
    if (node == docEl_)
        docEl_ = nullptr;
}

void TXBaum::ReplaceSpecial(TXKnoten*& current, std::unique_ptr<TXKnoten> node)
{
    if (node.get() == current) {
        (void)node.release();  // already ours: setting the same value changes nothing
        return;
    }
    TXKnoten* fresh = node.get();
    if (current) {
        TXKnoten* old = current;
        const int index = IndexOf(old);
        std::unique_ptr<TXKnoten> leaving;
        if (!fresh)
            leaving = Remove(old);
        else if (index >= 0)
            leaving = Replace(index, std::move(node));
        else
            Add(std::move(node));
        // 'leaving' destroys the old node here; a node no longer in the list is not ours.
    } else if (fresh) {
        Add(std::move(node));
    }
    current = fresh;
}

void TXBaum::SetDeklaration(std::unique_ptr<TXDeklaration> deklaration)
{
    TXKnoten* current = deklaration_;
    TXDeklaration* fresh = deklaration.get();
    ReplaceSpecial(current, std::move(deklaration));
    deklaration_ = fresh;
}

void TXBaum::SetDocEl(std::unique_ptr<TXElement> docEl)
{
    TXKnoten* current = docEl_;
    TXElement* fresh = docEl.get();
    ReplaceSpecial(current, std::move(docEl));
    docEl_ = fresh;
}

std::string TXBaum::Serialize(const std::string& unit, bool escape) const
{
    std::string out;
    WriteNodes(out, EntriesOf(*this), unit, escape, 1, false);
    return out;
}

std::unique_ptr<TXBaum> TXBaum::Clone() const
{
    auto copy = std::make_unique<TXBaum>();
    if (deklaration_)
        copy->SetDeklaration(
            std::unique_ptr<TXDeklaration>(static_cast<TXDeklaration*>(deklaration_->Clone().release())));
    if (docEl_)
        copy->SetDocEl(docEl_->CloneElement());
    return copy;
}

std::unique_ptr<TXBaum> TXBaum::Extract(TXElement* element)
{
    if (!element)
        return nullptr;
    std::unique_ptr<TXKnoten> taken;
    if (element == docEl_)
        taken = Remove(element);
    else if (element->Parent)
        taken = element->Parent->Children.Remove(element);
    if (!taken)
        return nullptr;
    auto tree = std::make_unique<TXBaum>();
    taken->Parent = nullptr;
    tree->SetDocEl(std::unique_ptr<TXElement>(static_cast<TXElement*>(taken.release())));
    return tree;
}

void TXBaum::InsertTree(TXElement* parent, int index, TXBaum& source)
{
    if (source.deklaration_)
        source.SetDeklaration(nullptr);
    if (!parent || !source.docEl_)
        return;
    std::unique_ptr<TXKnoten> moved = source.Remove(source.docEl_);
    if (index >= 0 && index < parent->Children.Count())
        parent->Children.Insert(index, std::move(moved));
    else
        parent->Children.Add(std::move(moved));
}
