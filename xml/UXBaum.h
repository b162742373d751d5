// The XML document tree and its writer.
//
// Every file the program stores or reads is held in memory as one TXBaum. Text is
// single-byte text (Windows-1252; files declare "ISO-8859-1") and is never converted.
// An element keeps all of its character data in one string, names are plain strings
// (only the local-name rule: the part after the first colon), and the writer produces
// a fixed tab-indented layout with CR LF after every node.
//
// Ownership: every list owns what it holds. A node belongs to exactly one list at a
// time; taking a node out of a list hands it back as a std::unique_ptr.
//
// Deep trees are walked with explicit stacks (writing, cloning, destroying), so the
// depth the parser allows never strains the call stack.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class TXElement;

// The most a tree is written as: more is no document of the program's (a deeply nested
// tree grows with the square of its depth), and Serialize refuses it with TXZuGross.
inline constexpr std::size_t kMaxSerializedBytes = std::size_t{64} << 20;

class TXZuGross : public std::length_error {
public:
    TXZuGross()
        : std::length_error("Das XML-Dokument w\xE4re gr\xF6\xDF"
                            "er als 64 MiB und wird nicht geschrieben.")
    {
    }
};

// Escape: "&" first, then '"', "'", "<", ">" (so "&amp;" becomes "&amp;amp;").
std::string XEscape(std::string_view text);
void XEscapeAppend(std::string& out, std::string_view text);
// LocalName: the part after the first colon (possibly empty), else the whole name.
std::string_view XLocalName(std::string_view name);

// Base of all nodes.
class TXKnoten {
public:
    TXKnoten() = default;
    TXKnoten(const TXKnoten&) = delete;
    TXKnoten& operator=(const TXKnoten&) = delete;
    virtual ~TXKnoten() = default;

    // The element whose child list holds this node; none for a top-level node.
    TXElement* Parent = nullptr;

    // 1 without a parent, else the parent's level + 1.
    int Level() const;
    // The unit repeated (Level - 1) times.
    std::string Indent(const std::string& unit) const;
    // The node's text in the file layout, every line ending in CR LF.
    virtual std::string Serialize(const std::string& unit, bool escape) const;
    virtual std::unique_ptr<TXKnoten> Clone() const = 0;

    virtual TXElement* AsElement() { return nullptr; }
    virtual const TXElement* AsElement() const { return nullptr; }

    // Writes a node without children at the given indentation. Elements are written by
    // the tree walker of Serialize, which descends into them without recursion.
    virtual void WriteLeaf(std::string& /*out*/, std::string_view /*indent*/, bool /*escape*/) const {}
};

// A value type: lists hold attributes by value, so nothing may derive from it.
class TXAttribut final {
public:
    TXAttribut() = default;
    TXAttribut(std::string name, std::string value) : Name(std::move(name)), Value(std::move(value)) {}
    TXAttribut(const TXAttribut&) = default;
    TXAttribut(TXAttribut&&) = default;
    TXAttribut& operator=(const TXAttribut&) = default;
    TXAttribut& operator=(TXAttribut&&) = default;

    std::string Name;
    std::string Value;  // decoded, without quotes

    std::string Serialize(bool escape) const;
    std::unique_ptr<TXAttribut> Clone() const;
};

// Attributes in document order; duplicates are kept. The list holds the attributes
// themselves (an attribute pointer is valid until the list changes).
class TXAttributListe {
public:
    TXAttributListe() = default;
    TXAttributListe(const TXAttributListe&) = delete;
    TXAttributListe& operator=(const TXAttributListe&) = delete;
    virtual ~TXAttributListe() = default;

    void Add(std::unique_ptr<TXAttribut> attribute);
    TXAttribut* Add(std::string name, std::string value);
    // Null when there is none; the attribute itself, unlike GetValue's copy.
    const TXAttribut* Find(std::string_view name) const;
    int Count() const { return static_cast<int>(items_.size()); }
    // None outside the range.
    TXAttribut* Item(int index);
    const TXAttribut* Item(int index) const;

    // The value of the first attribute with exactly this name; empty when there is none.
    virtual std::string GetValue(std::string_view name) const;
    // One space, then the attributes separated by spaces; empty for an empty list.
    virtual std::string Serialize(bool escape) const;
    void SerializeTo(std::string& out, bool escape) const;
    // Destroys the attribute at the index; an index outside the range does nothing.
    virtual void Delete(int index);
    virtual std::unique_ptr<TXAttributListe> Clone() const;

private:
    friend class TXElement;
    std::vector<TXAttribut> items_;
};

// An ordered list of nodes, with a search state for FindFirst/FindNext.
class TXKnotenListe {
public:
    explicit TXKnotenListe(TXElement* owner = nullptr) : Owner(owner) {}
    TXKnotenListe(const TXKnotenListe&) = delete;
    TXKnotenListe& operator=(const TXKnotenListe&) = delete;
    // Deletes the entries from the last to the first, without recursion.
    virtual ~TXKnotenListe();

    TXElement* Owner;

    // Sets the owner and the Parent of every entry to it.
    virtual void SetOwner(TXElement* owner);
    // Appends the node; its Parent becomes the list's Owner. Returns the node.
    virtual TXKnoten* Add(std::unique_ptr<TXKnoten> node);
    // Inserts before the index (appends when the index is outside 0..Count).
    virtual TXKnoten* Insert(int index, std::unique_ptr<TXKnoten> node);
    // Destroys the entry at the index; an index outside the range does nothing.
    virtual void Delete(int index);

    int Count() const { return static_cast<int>(items_.size()); }
    // None outside the range.
    TXKnoten* Item(int index) const;
    // -1 when the node is not in this list.
    int IndexOf(const TXKnoten* node) const;
    // Takes the node out of the list without destroying it; none when it is not here.
    std::unique_ptr<TXKnoten> Remove(const TXKnoten* node);
    // Puts the node at the index and hands back the one that was there (none and no
    // change when the index is outside the range).
    std::unique_ptr<TXKnoten> Replace(int index, std::unique_ptr<TXKnoten> node);

    // The entries' text in list order.
    virtual std::string Serialize(const std::string& unit, bool escape) const;

    // Starts a search by element name: "*" matches every element; with ignorePrefix the
    // pattern is reduced to its local name and compared with each element's local name,
    // otherwise with the whole name. Case-sensitive, byte-wise. Returns the first match.
    virtual TXElement* FindFirst(std::string_view pattern, bool ignorePrefix);
    // The next match after the previous one; none when the entries are exhausted.
    virtual TXElement* FindNext();

    // A new list with clones of all entries and the same search state (no owner).
    std::unique_ptr<TXKnotenListe> Clone() const;

protected:
    // Called whenever a node leaves the list (removed, replaced or deleted).
    virtual void NodeLeaving(const TXKnoten* /*node*/) {}
    void CopySearchStateTo(TXKnotenListe& other) const;
    void AppendClonesOf(const TXKnotenListe& source);

private:
    friend class TXElement;
    friend class TXBaum;
    struct SearchState {
        std::string pattern;
        bool ignorePrefix = false;
        int position = 0;
    };

    std::vector<std::unique_ptr<TXKnoten>> items_;
    // Made by the first search: most lists are never searched.
    std::unique_ptr<SearchState> search_;
};

class TXElement : public TXKnoten {
public:
    TXElement() : Children(this) {}
    TXElement(std::string name, std::string text) : Name(std::move(name)), Text(std::move(text)), Children(this) {}

    std::string Name;  // the qualified name as written
    std::string Text;  // all character data of the element
    TXAttributListe Attributes;
    TXKnotenListe Children;  // Owner is this element

    std::string_view LocalName() const { return XLocalName(Name); }

    std::string Serialize(const std::string& unit, bool escape) const override;
    std::unique_ptr<TXKnoten> Clone() const override;
    // The element with its attributes and whole subtree, copied without recursion.
    std::unique_ptr<TXElement> CloneElement() const;
    // Inserts a new element at the index when it lies within the children, else appends.
    TXElement* AddElement(int index, std::string name, std::string text);
    // xml:space of the node, else of its nearest ancestor saying "default" or "preserve".
    bool SpacePreserved() const { return SpacePreserved(this); }
    static bool SpacePreserved(const TXElement* node);

    TXElement* AsElement() override { return this; }
    const TXElement* AsElement() const override { return this; }
};

class TXDeklaration : public TXKnoten {
public:
    std::string Version = "1.0";
    std::string Encoding = "ISO-8859-1";
    std::string Standalone;

    std::unique_ptr<TXKnoten> Clone() const override;
    void WriteLeaf(std::string& out, std::string_view indent, bool escape) const override;
};

class TXKommentar : public TXKnoten {
public:
    TXKommentar() = default;
    explicit TXKommentar(std::string text) : Text(std::move(text)) {}
    std::string Text;
    std::unique_ptr<TXKnoten> Clone() const override;
    void WriteLeaf(std::string& out, std::string_view indent, bool escape) const override;
};

class TXCData : public TXKnoten {
public:
    TXCData() = default;
    explicit TXCData(std::string text) : Text(std::move(text)) {}
    std::string Text;
    std::unique_ptr<TXKnoten> Clone() const override;
    void WriteLeaf(std::string& out, std::string_view indent, bool escape) const override;
};

class TXDocType : public TXKnoten {
public:
    TXDocType() = default;
    explicit TXDocType(std::string text) : Text(std::move(text)) {}
    std::string Text;
    std::unique_ptr<TXKnoten> Clone() const override;
    void WriteLeaf(std::string& out, std::string_view indent, bool escape) const override;
};

class TXProcInst : public TXKnoten {
public:
    TXProcInst() = default;
    TXProcInst(std::string target, std::string data) : Target(std::move(target)), Data(std::move(data)) {}
    std::string Target;
    std::string Data;
    std::unique_ptr<TXKnoten> Clone() const override;
    void WriteLeaf(std::string& out, std::string_view indent, bool escape) const override;
};

// The document: the top-level nodes in document order, with the declaration and the
// document element also reachable directly.
class TXBaum : public TXKnotenListe {
public:
    TXBaum() = default;
    ~TXBaum() override;

    TXDeklaration* Deklaration() const { return deklaration_; }
    TXElement* DocEl() const { return docEl_; }
    // Replaces the current one in place (appends when there is none; none removes it).
    void SetDeklaration(std::unique_ptr<TXDeklaration> deklaration);
    void SetDocEl(std::unique_ptr<TXElement> docEl);

    std::string Serialize(const std::string& unit, bool escape) const override;
    // Only the declaration and the document element are copied, in that order.
    std::unique_ptr<TXBaum> Clone() const;
    // Takes the element with its subtree out into a new tree; none when it is not in
    // this tree's structure.
    std::unique_ptr<TXBaum> Extract(TXElement* element);
    // Moves the source's document element into the parent's children at the index
    // (appends outside the range); the source's declaration is dropped.
    void InsertTree(TXElement* parent, int index, TXBaum& source);

protected:
    void NodeLeaving(const TXKnoten* node) override;

private:
    // Shared by both setters: replaces 'current' (an entry of this list) with 'node'.
    void ReplaceSpecial(TXKnoten*& current, std::unique_ptr<TXKnoten> node);

    TXDeklaration* deklaration_ = nullptr;
    TXElement* docEl_ = nullptr;
};
