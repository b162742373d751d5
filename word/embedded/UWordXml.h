// XML parts of a word-processor package for the embedded engine (pugixml): loading and
// writing them without changing what is not edited, document-order helpers, the
// removal of a range of content that keeps the ends of other ranges (bookmarks,
// comments) that reach into it, and the index of a file's bookmark occurrences.
#pragma once

#include "env/VControl.h"
#include "word/embedded/UWordPackage.h"

#include <pugixml.hpp>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

struct TXmlPart {
    std::string Name;
    std::string Buffer;  // the part's bytes, which the tree was parsed in (it points into them)
    pugi::xml_document Doc;
    bool Bom = false;
    std::string AfterDeclaration;  // the line end after "<?xml ...?>", which the parser drops
    bool Changed = false;
};

// Reads and parses a part. Null with error when it is missing, too large (alone, or with
// the parts read from the package before it) or not well-formed.
std::unique_ptr<TXmlPart> LoadXmlPart(const TWordPackage& package, const std::string& name, std::string& error);
// The part as UTF-8 bytes: no reformatting, no added declaration.
std::string SerializeXmlPart(const TXmlPart& part);
// Puts a changed part back into the package.
void StoreXmlPart(TWordPackage& package, const TXmlPart& part);

// The prefix with colon ("w:") the root declares for uri; "" for the default
// namespace; fallback when the namespace is not declared on the root.
std::string PrefixFor(pugi::xml_node root, const char* uri, const std::string& fallback);

// The node after node in document order (start tags), null at the end.
pugi::xml_node NextInOrder(pugi::xml_node node);
// The node before node in document order (start tags), null before the root element.
pugi::xml_node PreviousInOrder(pugi::xml_node node);
// Whether a's start tag comes before b's.
bool Precedes(pugi::xml_node a, pugi::xml_node b);
bool IsAncestorOf(pugi::xml_node ancestor, pugi::xml_node node);

// The end of a range (a bookmark, a comment) found in content that is removed.
struct TRangeMarker {
    std::string Key;  // what pairs the start and the end of one range
    bool Start = false;
    bool End = false;  // both for a point (a collapsed range)
};

// How the stories of one file format are built.
class TStoryRules {
public:
    virtual ~TStoryRules() = default;
    virtual bool IsParagraph(pugi::xml_node node) const = 0;
    // Whether the node is the paragraph's property element, which removal keeps.
    virtual bool IsParagraphProperties(pugi::xml_node node) const = 0;
    virtual bool MarkerOf(pugi::xml_node node, TRangeMarker& marker) const = 0;
    // Called before second, joined into first, is removed (to keep a section break).
    virtual void MergeParagraphProperties(pugi::xml_node first, pugi::xml_node second) const = 0;
    // Tables: a table, a row (or group of rows) or a cell; a cell; and the elements that
    // describe a table, row or cell (its properties, its grid), which a removal keeps.
    virtual bool IsTablePart(pugi::xml_node node) const = 0;
    virtual bool IsCell(pugi::xml_node node) const = 0;
    virtual bool IsTableProperties(pugi::xml_node node) const = 0;
    // Gives a cell whose content was removed the paragraph every cell holds.
    virtual void AddEmptyParagraph(pugi::xml_node cell) const = 0;
};

// Called for every marker node that is destroyed with the content around it.
using TMarkerRemoved = std::function<void(pugi::xml_node marker)>;

// The innermost paragraph around node (node itself when it is one); null if none.
pugi::xml_node ParagraphOf(pugi::xml_node node, const TStoryRules& rules);

// The answer as the pieces a story is built from: text (UTF-8), manual line breaks
// (vertical tab, CR LF, CR, LF) and tabs. Other control characters cannot stand in XML
// and are dropped.
struct TTextPiece {
    enum TKind { Text, Break, Tab };
    TKind Kind = Text;
    std::string Utf8;
};
std::vector<TTextPiece> SplitAnswer(const std::string& windows1252);
// The pieces as one line: breaks and tabs become blanks.
std::string PiecesAsLine(const std::vector<TTextPiece>& pieces);
// Word's legacy form fields: a text field, a check box, a drop-down.
enum class TFormKind { None, Text, CheckBox, DropDown };
// Answers that check a check box (a form field's), in either language of the program.
bool IsYesLike(const std::string& utf8);

// Removes the nodes (none inside another). Markers of ranges that reach out of them are
// kept: ends are moved before start, starts after end; the others are reported.
void RemoveKeepingMarkers(const std::vector<pugi::xml_node>& nodes, pugi::xml_node start, pugi::xml_node end,
                          const TStoryRules& rules, const TMarkerRemoved& removed);

// Removes everything between start and end (start before end). When they lie in two
// sibling paragraphs, the paragraphs between are removed and the rest of the second
// joined to the first. When they lie in different cells or tables, as a word processor
// does: rows and tables wholly inside go, cells wholly inside keep only an empty
// paragraph, and the two paragraphs keep what is outside the range. The markers of
// ranges that reach out of the removed content are kept at its edges: ends before
// start, starts after end. Returns an error text when the range crosses the border of
// anything else (a text box, a frame, a content control).
[[nodiscard]] std::string ClearRange(pugi::xml_node start, pugi::xml_node end, const TStoryRules& rules,
                                     const TMarkerRemoved& removed);

// One occurrence of a bookmark: its markers in one story.
struct TBookmarkOccurrence {
    std::size_t Story = 0;  // the story's place in the content's list
    int Group = 0;          // lower groups come first in reading order
    std::string Name;
    pugi::xml_node Start;
    pugi::xml_node End{};     // null for a point bookmark
    bool Dead = false;        // a marker was removed with the content around it
    std::string RemovedBy{};  // then: what removed it (UTF-8)
};

// The bookmark occurrences of one opened file, found by name and by marker node, so
// that an edit that destroys a marker retires its occurrence.
class TBookmarkIndex {
public:
    // Indexes the occurrence and its start marker; returns its index.
    std::size_t Add(TBookmarkOccurrence occurrence);
    // Gives a range its end marker, once found or made.
    void SetEnd(std::size_t index, pugi::xml_node end);
    TBookmarkOccurrence& operator[](std::size_t index) { return occurrences_[index]; }

    // The live occurrences of the name, in the order added.
    std::vector<std::size_t> Find(const std::string& name) const;
    // As Find; without an exact match, those whose name differs only in case.
    std::vector<std::size_t> FindIgnoringCase(const std::string& name) const;
    // Calls fill for each of the occurrences that is still live when its turn comes
    // (filling one may destroy another); stops at the first error text.
    [[nodiscard]] std::string FillEach(const std::vector<std::size_t>& found,
                                       const std::function<std::string(std::size_t index)>& fill);
    // The names of the live occurrences by group, within a group in the order added;
    // each once.
    std::vector<std::string> Names() const;

    // Retires the occurrence whose start or end marker is destroyed, with the cause set last.
    void Forget(pugi::xml_node marker);
    // What the edits from now on are (for the log of a bookmark they destroy).
    void SetCause(std::string cause) { cause_ = std::move(cause); }
    // What destroyed the bookmark of this name (as FindIgnoringCase finds it); empty when
    // no occurrence of it was destroyed.
    std::string RemovalCause(const std::string& name) const;
    // Forget, for the edits that remove content.
    TMarkerRemoved Forgetter()
    {
        return [this](pugi::xml_node marker) { Forget(marker); };
    }

private:
    std::vector<std::size_t> Live(const std::vector<std::size_t>& indices) const;

    std::vector<TBookmarkOccurrence> occurrences_;
    std::unordered_map<std::string, std::vector<std::size_t>> byName_;
    std::unordered_map<std::string, std::vector<std::size_t>> byLowerName_;
    std::unordered_map<const void*, std::size_t> byMarker_;
    std::string cause_;
};

// Pairs the ends of one story's bookmark ranges with their starts by a key (a name, an
// id): an end closes the range last opened under its key; an end without one is ignored.
class TRangePairing {
public:
    explicit TRangePairing(TBookmarkIndex& index) : index_(index) {}
    // Adds the occurrence to the index as a range open under key.
    void Open(const TBookmarkOccurrence& occurrence, const std::string& key);
    void Close(pugi::xml_node end, const std::string& key);

private:
    TBookmarkIndex& index_;
    std::unordered_map<std::string, std::vector<std::size_t>> open_;
};

// The editable stories of one opened file: bookmarks and fields. Names are UTF-8.
class TWordContent {
public:
    virtual ~TWordContent() = default;
    // Bookmark names in reading order, each once.
    virtual std::vector<std::string> Bookmarks() const = 0;
    virtual bool HasBookmark(const std::string& name) const = 0;
    // Replaces the bookmark's content; an error text names no bookmark.
    [[nodiscard]] virtual std::string Fill(const std::string& name, const std::vector<TTextPiece>& pieces) = 0;
    [[nodiscard]] virtual std::string UpdateFields() = 0;
    // Puts the changed parts back into the package.
    virtual void Store(TWordPackage& package) = 0;
    virtual std::string Extension() const = 0;
    // What destroyed a bookmark that no longer exists; empty when it never did.
    virtual std::string RemovalCause(const std::string& name) const = 0;
    // The notes for the log gathered since the last call (UTF-8).
    std::vector<std::string> TakeNotices() { return std::exchange(notices_, {}); }

protected:
    std::vector<std::string> notices_;
};
