#include "word/embedded/UWordOoxml.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>
#include <unordered_map>

namespace {

constexpr const char* kWordNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr const char* kWordNamespaceStrict = "http://purl.oclc.org/ooxml/wordprocessingml/main";
constexpr const char* kRelationshipsNamespace = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr const char* kOfficeRelationships = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
constexpr const char* kContentTypesPart = "[Content_Types].xml";

constexpr const char* kDocumentMain =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
constexpr const char* kTemplateMain =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml";
constexpr const char* kMacroDocumentMain = "application/vnd.ms-word.document.macroEnabled.main+xml";
constexpr const char* kMacroTemplateMain = "application/vnd.ms-word.template.macroEnabledTemplate.main+xml";
constexpr const char* kSettingsType = "application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml";

// Parts that only a macro-enabled file may hold.
const std::set<std::string>& MacroContentTypes()
{
    static const std::set<std::string> types = {
        "application/vnd.ms-office.vbaProject", "application/vnd.ms-word.vbaData+xml",
        "application/vnd.ms-word.keyMapCustomizations+xml", "application/vnd.ms-word.attachedToolbars"};
    return types;
}

// Settings that follow "updateFields" in the element order settings.xml must keep.
const std::set<std::string>& SettingsAfterUpdateFields()
{
    static const std::set<std::string> names = {"hdrShapeDefaults",
                                                "footnotePr",
                                                "endnotePr",
                                                "compat",
                                                "docVars",
                                                "rsids",
                                                "mathPr",
                                                "attachedSchema",
                                                "themeFontLang",
                                                "clrSchemeMapping",
                                                "doNotIncludeSubdocsInStats",
                                                "doNotAutoCompressPictures",
                                                "forceUpgrade",
                                                "captions",
                                                "readModeInkLockDown",
                                                "smartTagType",
                                                "schemaLibrary",
                                                "shapeDefaults",
                                                "doNotEmbedSmartTags",
                                                "decimalSymbol",
                                                "listSeparator"};
    return names;
}

const char* LocalName(pugi::xml_node node)
{
    const char* name = node.name();
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

// The last segment of a relationship type: "header", "officeDocument", "vbaProject".
std::string TypeName(const char* type)
{
    const char* slash = std::strrchr(type, '/');
    return slash ? slash + 1 : type;
}

std::string FolderOfPart(const std::string& part)
{
    const std::size_t slash = part.rfind('/');
    return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

std::string RelsPartOf(const std::string& part)
{
    const std::size_t slash = part.rfind('/');
    const std::string file = slash == std::string::npos ? part : part.substr(slash + 1);
    return FolderOfPart(part) + "_rels/" + file + ".rels";
}

// The package part a relationship target names, relative to the source's folder; empty
// when it leaves the package.
std::string ResolveTarget(const std::string& folder, const std::string& target)
{
    std::string path = !target.empty() && target.front() == '/' ? target.substr(1) : folder + target;
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos)
            slash = path.size();
        const std::string part = path.substr(start, slash - start);
        if (part == "..") {
            if (parts.empty())
                return {};
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = slash + 1;
    }
    std::string resolved;
    for (const std::string& part : parts)
        resolved += (resolved.empty() ? "" : "/") + part;
    return resolved;
}

// The element and attribute names of one story, built with the prefix the part uses.
struct TWNames {
    explicit TWNames(const std::string& w)
        : P(w + "p")
        , R(w + "r")
        , RPr(w + "rPr")
        , PPr(w + "pPr")
        , T(w + "t")
        , Br(w + "br")
        , Tab(w + "tab")
        , BookmarkStart(w + "bookmarkStart")
        , BookmarkEnd(w + "bookmarkEnd")
        , CommentStart(w + "commentRangeStart")
        , CommentEnd(w + "commentRangeEnd")
        , PermStart(w + "permStart")
        , PermEnd(w + "permEnd")
        , FldSimple(w + "fldSimple")
        , FldChar(w + "fldChar")
        , InstrText(w + "instrText")
        , FldData(w + "fldData")
        , SectPr(w + "sectPr")
        , PPrChange(w + "pPrChange")
        , Ins(w + "ins")
        , Del(w + "del")
        , MoveFrom(w + "moveFrom")
        , MoveTo(w + "moveTo")
        , RPrChange(w + "rPrChange")
        , UpdateFields(w + "updateFields")
        , Name(w + "name")
        , Id(w + "id")
        , Instr(w + "instr")
        , FldCharType(w + "fldCharType")
        , ColFirst(w + "colFirst")
        , ColLast(w + "colLast")
        , Val(w + "val")
        , FfData(w + "ffData")
        , CheckBox(w + "checkBox")
        , Checked(w + "checked")
        , DdList(w + "ddList")
        , Result(w + "result")
        , ListEntry(w + "listEntry")
        , Tbl(w + "tbl")
        , Tr(w + "tr")
        , Tc(w + "tc")
        , TblPr(w + "tblPr")
        , TblGrid(w + "tblGrid")
        , TrPr(w + "trPr")
        , TblPrEx(w + "tblPrEx")
        , TcPr(w + "tcPr")
    {
    }
    std::string P, R, RPr, PPr, T, Br, Tab, BookmarkStart, BookmarkEnd, CommentStart, CommentEnd, PermStart, PermEnd,
        FldSimple, FldChar, InstrText, FldData, SectPr, PPrChange, Ins, Del, MoveFrom, MoveTo, RPrChange, UpdateFields,
        Name, Id, Instr, FldCharType, ColFirst, ColLast, Val, FfData, CheckBox, Checked, DdList, Result, ListEntry, Tbl,
        Tr, Tc, TblPr, TblGrid, TrPr, TblPrEx, TcPr;
};

bool Is(pugi::xml_node node, const std::string& name)
{
    return node.type() == pugi::node_element && name == node.name();
}

class TOoxmlRules final : public TStoryRules {
public:
    explicit TOoxmlRules(const TWNames& w) : W(w) {}
    bool IsParagraph(pugi::xml_node node) const override { return Is(node, W.P); }
    bool IsParagraphProperties(pugi::xml_node node) const override { return Is(node, W.PPr); }
    bool MarkerOf(pugi::xml_node node, TRangeMarker& marker) const override
    {
        if (node.type() != pugi::node_element)
            return false;
        const char* kind = nullptr;
        bool start = false;
        if (W.BookmarkStart == node.name() || W.BookmarkEnd == node.name()) {
            kind = "b";
            start = W.BookmarkStart == node.name();
        } else if (W.CommentStart == node.name() || W.CommentEnd == node.name()) {
            kind = "c";
            start = W.CommentStart == node.name();
        } else if (W.PermStart == node.name() || W.PermEnd == node.name()) {
            kind = "p";
            start = W.PermStart == node.name();
        } else {
            return false;
        }
        marker.Key = std::string(kind) + node.attribute(W.Id.c_str()).value();
        marker.Start = start;
        marker.End = !start;
        return true;
    }
    // The joined paragraph ends with the second one's mark, so it carries its section.
    void MergeParagraphProperties(pugi::xml_node first, pugi::xml_node second) const override
    {
        pugi::xml_node firstProps = first.child(W.PPr.c_str());
        if (firstProps)
            firstProps.remove_child(W.SectPr.c_str());
        pugi::xml_node section = second.child(W.PPr.c_str()).child(W.SectPr.c_str());
        if (!section)
            return;
        if (!firstProps)
            firstProps = first.prepend_child(W.PPr.c_str());
        if (pugi::xml_node change = firstProps.child(W.PPrChange.c_str()))
            firstProps.insert_move_before(section, change);
        else
            firstProps.append_move(section);
    }

    bool IsTablePart(pugi::xml_node node) const override { return Is(node, W.Tbl) || Is(node, W.Tr) || Is(node, W.Tc); }
    bool IsCell(pugi::xml_node node) const override { return Is(node, W.Tc); }
    bool IsTableProperties(pugi::xml_node node) const override
    {
        return Is(node, W.TblPr) || Is(node, W.TblGrid) || Is(node, W.TrPr) || Is(node, W.TblPrEx) || Is(node, W.TcPr);
    }
    void AddEmptyParagraph(pugi::xml_node cell) const override { cell.append_child(W.P.c_str()); }

private:
    const TWNames& W;
};

// Reading order of the stories: headers, body, notes, footers.
enum TStoryGroup { GroupHeader, GroupBody, GroupFootnotes, GroupEndnotes, GroupFooter };

struct TStory {
    TStory(std::unique_ptr<TXmlPart> part, int group)
        : Part(std::move(part))
        , W(PrefixFor(Part->Doc.document_element(), kWordNamespace,
                      PrefixFor(Part->Doc.document_element(), kWordNamespaceStrict, "w:")))
        , Rules(W)
        , Group(group)
    {
    }
    std::unique_ptr<TXmlPart> Part;
    TWNames W;
    TOoxmlRules Rules;
    int Group;
};

// A field of begin, separate (optional) and end characters; the nodes are their runs.
struct TComplexField {
    pugi::xml_node Begin, Separate, End;
    pugi::xml_node FormData;  // the begin character's form-field data (w:ffData), if any
    std::string Instruction;
    bool Nested = false;
};

std::string FieldCharType(pugi::xml_node node, const TWNames& w)
{
    return Is(node, w.FldChar) ? node.attribute(w.FldCharType.c_str()).value() : std::string();
}

// The whole field whose begin character this is; false when its end is missing.
bool FieldFrom(pugi::xml_node begin, const TWNames& w, TComplexField& field)
{
    field = {};
    field.Begin = begin.parent();
    field.FormData = begin.child(w.FfData.c_str());
    int depth = 0;
    for (pugi::xml_node node = NextInOrder(begin); node; node = NextInOrder(node)) {
        const std::string type = FieldCharType(node, w);
        if (type == "begin") {
            ++depth;
        } else if (type == "separate" && depth == 0 && !field.Separate) {
            field.Separate = node.parent();
        } else if (type == "end") {
            if (depth-- == 0) {
                field.End = node.parent();
                return true;
            }
        } else if (Is(node, w.InstrText) && depth == 0 && !field.Separate) {
            field.Instruction += node.text().get();
        }
    }
    return false;
}

// The begin character of the field a separate or end character belongs to.
pugi::xml_node BeginOf(pugi::xml_node character, const TWNames& w)
{
    int depth = 0;
    for (pugi::xml_node node = PreviousInOrder(character); node; node = PreviousInOrder(node)) {
        const std::string type = FieldCharType(node, w);
        if (type == "end")
            ++depth;
        else if (type == "begin" && depth-- == 0)
            return node;
    }
    return {};
}

// The fields a range touches: those it holds whole and those it cuts (holding only some
// of their characters), each by its begin character, in document order.
struct TFieldsInRange {
    std::vector<pugi::xml_node> Whole, Cut;
};

TFieldsInRange FieldsInRange(pugi::xml_node start, pugi::xml_node end, const TWNames& w)
{
    TFieldsInRange fields;
    std::vector<pugi::xml_node> open;
    const auto cut = [&fields](pugi::xml_node begin) {
        if (begin && std::find(fields.Cut.begin(), fields.Cut.end(), begin) == fields.Cut.end())
            fields.Cut.push_back(begin);
    };
    for (pugi::xml_node node = NextInOrder(start); node && node != end; node = NextInOrder(node)) {
        const std::string type = FieldCharType(node, w);
        if (type == "begin") {
            open.push_back(node);
        } else if (type == "separate" && open.empty()) {
            cut(BeginOf(node, w));
        } else if (type == "end") {
            if (open.empty()) {
                cut(BeginOf(node, w));
            } else {
                fields.Whole.push_back(open.back());
                open.pop_back();
            }
        }
    }
    for (pugi::xml_node begin : open)
        cut(begin);
    return fields;
}

// Splits a field instruction into words; quoted words lose their quotes.
std::vector<std::string> InstructionWords(const std::string& instruction)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < instruction.size()) {
        while (i < instruction.size() && std::isspace(static_cast<unsigned char>(instruction[i])))
            ++i;
        if (i >= instruction.size())
            break;
        std::string word;
        if (instruction[i] == '"') {
            const std::size_t close = instruction.find('"', i + 1);
            word = instruction.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
            i = close == std::string::npos ? instruction.size() : close + 1;
        } else {
            while (i < instruction.size() && !std::isspace(static_cast<unsigned char>(instruction[i])))
                word += instruction[i++];
        }
        words.push_back(word);
    }
    return words;
}

// The bookmark of a REF field whose result is the bookmark's text. Fields that show a
// paragraph number, a position or a formatted variant are left to the word processor.
bool RefTarget(const std::string& instruction, std::string& bookmark)
{
    const std::vector<std::string> words = InstructionWords(instruction);
    if (words.size() < 2 || LowerAscii(words[0]) != "ref")
        return false;
    bookmark = words[1];
    for (std::size_t i = 2; i < words.size(); ++i) {
        const std::string word = LowerAscii(words[i]);
        if (word == "\\h" || word == "\\f" || word == "\\t")
            continue;
        if (word == "\\*mergeformat" || word == "\\*charformat")
            continue;
        if (word == "\\*" && i + 1 < words.size() &&
            (LowerAscii(words[i + 1]) == "mergeformat" || LowerAscii(words[i + 1]) == "charformat")) {
            ++i;
            continue;
        }
        return false;
    }
    return true;
}

// The legacy form-field kind by its instruction.
TFormKind FormKindOf(const TComplexField& field)
{
    const std::vector<std::string> words = InstructionWords(field.Instruction);
    const std::string first = words.empty() ? std::string() : LowerAscii(words[0]);
    if (first == "formtext")
        return TFormKind::Text;
    if (first == "formcheckbox")
        return TFormKind::CheckBox;
    if (first == "formdropdown")
        return TFormKind::DropDown;
    return TFormKind::None;
}

// Whether the range holds text outside the field.
bool HasTextOutside(pugi::xml_node start, pugi::xml_node end, const TComplexField& field, const TWNames& w)
{
    for (pugi::xml_node node = NextInOrder(start); node && node != end; node = NextInOrder(node)) {
        if (node == field.Begin) {
            if (!Precedes(field.End, end))
                return false;  // the field runs on past the range: nothing of the range follows it
            node = field.End;
            continue;
        }
        if (Is(node, w.T) && *node.text().get())
            return true;
    }
    return false;
}

class TOoxmlContent final : public TWordContent {
public:
    std::string Load(TWordPackage& package);

    std::vector<std::string> Bookmarks() const override;
    bool HasBookmark(const std::string& name) const override { return !Bookmarks_.FindIgnoringCase(name).empty(); }
    std::string RemovalCause(const std::string& name) const override { return Bookmarks_.RemovalCause(name); }
    std::string Fill(const std::string& name, const std::vector<TTextPiece>& pieces) override;
    std::string UpdateFields() override;
    void Store(TWordPackage& package) override;
    std::string Extension() const override { return ".docx"; }

private:
    std::string ContentTypeOf(const std::string& part) const;
    void SetOverride(const std::string& part, const std::string& type);
    void RemoveOverride(const std::string& part);
    std::string DropMacros();
    void DropPart(const std::string& part, std::set<std::string>& seen);
    std::string LoadStories();
    void IndexStory(std::size_t storyIndex);
    std::string FillOccurrence(std::size_t index, const std::vector<TTextPiece>& pieces);
    // Widens the range over every field it cuts, or finds the form field it belongs to.
    std::string FitRangeToFields(TStory& story, const std::string& name, pugi::xml_node start, pugi::xml_node end,
                                 TComplexField& form) const;
    std::string FillFormField(TStory& story, TComplexField& field, const std::vector<TTextPiece>& pieces);
    std::string ReplaceFieldResult(TStory& story, TComplexField& field, const std::vector<TTextPiece>& pieces);
    // Inserts the text as one run into parent after the node (at its start when null).
    void InsertRun(TStory& story, pugi::xml_node parent, pugi::xml_node after, pugi::xml_node format,
                   const std::vector<TTextPiece>& pieces) const;
    void UpdateStoryFields(TStory& story);
    void UpdateComplexField(TStory& story, const TComplexField& field);
    void UpdateSettings();
    const std::vector<TTextPiece>* FilledText(const std::string& bookmark) const;

    TWordPackage* package_ = nullptr;
    std::unique_ptr<TXmlPart> ContentTypes_;
    std::unique_ptr<TXmlPart> MainRels_;
    std::unique_ptr<TXmlPart> Settings_;
    std::string MainPart_;
    std::string SettingsPart_;
    std::vector<std::unique_ptr<TStory>> Stories_;
    TBookmarkIndex Bookmarks_;
    std::unordered_map<std::string, std::vector<TTextPiece>> Filled_;  // by lower-case name
};

std::string TOoxmlContent::ContentTypeOf(const std::string& part) const
{
    const std::string partName = LowerAscii("/" + part);
    const pugi::xml_node types = ContentTypes_->Doc.document_element();
    for (pugi::xml_node node : types.children())
        if (std::strcmp(LocalName(node), "Override") == 0 && LowerAscii(node.attribute("PartName").value()) == partName)
            return node.attribute("ContentType").value();
    const std::size_t dot = part.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : LowerAscii(part.substr(dot + 1));
    for (pugi::xml_node node : types.children())
        if (std::strcmp(LocalName(node), "Default") == 0 &&
            LowerAscii(node.attribute("Extension").value()) == extension)
            return node.attribute("ContentType").value();
    return {};
}

void TOoxmlContent::SetOverride(const std::string& part, const std::string& type)
{
    const std::string partName = LowerAscii("/" + part);
    pugi::xml_node types = ContentTypes_->Doc.document_element();
    ContentTypes_->Changed = true;
    for (pugi::xml_node node : types.children())
        if (std::strcmp(LocalName(node), "Override") == 0 &&
            LowerAscii(node.attribute("PartName").value()) == partName) {
            node.attribute("ContentType").set_value(type.c_str());
            return;
        }
    const std::string prefix = PrefixFor(types, "http://schemas.openxmlformats.org/package/2006/content-types", "");
    pugi::xml_node node = types.append_child((prefix + "Override").c_str());
    node.append_attribute("PartName") = ("/" + part).c_str();
    node.append_attribute("ContentType") = type.c_str();
}

void TOoxmlContent::RemoveOverride(const std::string& part)
{
    const std::string partName = LowerAscii("/" + part);
    pugi::xml_node types = ContentTypes_->Doc.document_element();
    for (pugi::xml_node node = types.first_child(); node;) {
        const pugi::xml_node next = node.next_sibling();
        if (std::strcmp(LocalName(node), "Override") == 0 &&
            LowerAscii(node.attribute("PartName").value()) == partName) {
            types.remove_child(node);
            ContentTypes_->Changed = true;
        }
        node = next;
    }
}

std::string TOoxmlContent::Load(TWordPackage& package)
{
    package_ = &package;
    std::string error;
    ContentTypes_ = LoadXmlPart(package, kContentTypesPart, error);
    if (!ContentTypes_)
        return error;
    const auto rootRels = LoadXmlPart(package, "_rels/.rels", error);
    if (!rootRels)
        return error;
    for (pugi::xml_node rel : rootRels->Doc.document_element().children())
        if (TypeName(rel.attribute("Type").value()) == "officeDocument" &&
            std::strcmp(rel.attribute("TargetMode").value(), "External") != 0) {
            MainPart_ = ResolveTarget("", rel.attribute("Target").value());
            break;
        }
    if (MainPart_.empty())
        return "The package names no main document.";
    const std::string mainType = ContentTypeOf(MainPart_);
    const bool macros = mainType == kMacroDocumentMain || mainType == kMacroTemplateMain;
    if (mainType != kDocumentMain && mainType != kTemplateMain && !macros)
        return "The package is not a word-processing document (its main part is \"" + mainType + "\").";
    if (mainType != kDocumentMain)
        SetOverride(MainPart_, kDocumentMain);

    const std::string relsPart = RelsPartOf(MainPart_);
    if (package.Contains(relsPart)) {
        MainRels_ = LoadXmlPart(package, relsPart, error);
        if (!MainRels_)
            return error;
    }
    // A document of the plain type must not carry macros; they stay with the template.
    if (macros) {
        error = DropMacros();
        if (!error.empty())
            return error;
    }
    return LoadStories();
}

std::string TOoxmlContent::DropMacros()
{
    if (!MainRels_)
        return {};
    std::set<std::string> seen;
    const std::string folder = FolderOfPart(MainPart_);
    pugi::xml_node relationships = MainRels_->Doc.document_element();
    for (pugi::xml_node rel = relationships.first_child(); rel;) {
        const pugi::xml_node next = rel.next_sibling();
        const std::string type = TypeName(rel.attribute("Type").value());
        if (std::strcmp(rel.attribute("TargetMode").value(), "External") != 0) {
            const std::string target = ResolveTarget(folder, rel.attribute("Target").value());
            if (type == "vbaProject" || type == "keyMapCustomizations" || type == "attachedToolbars" ||
                MacroContentTypes().count(ContentTypeOf(target))) {
                DropPart(target, seen);
                relationships.remove_child(rel);
                MainRels_->Changed = true;
            }
        }
        rel = next;
    }
    return {};
}

void TOoxmlContent::DropPart(const std::string& part, std::set<std::string>& seen)
{
    if (part.empty() || !seen.insert(part).second)
        return;
    package_->Remove(part);
    RemoveOverride(part);
    const std::string relsPart = RelsPartOf(part);
    if (!package_->Contains(relsPart))
        return;
    std::string error;
    if (const auto rels = LoadXmlPart(*package_, relsPart, error))
        for (pugi::xml_node rel : rels->Doc.document_element().children()) {
            const std::string target = ResolveTarget(FolderOfPart(part), rel.attribute("Target").value());
            if (std::strcmp(rel.attribute("TargetMode").value(), "External") != 0 &&
                MacroContentTypes().count(ContentTypeOf(target)))
                DropPart(target, seen);
        }
    package_->Remove(relsPart);
}

std::string TOoxmlContent::LoadStories()
{
    std::vector<std::pair<std::string, int>> parts = {{MainPart_, GroupBody}};
    if (MainRels_) {
        const std::string folder = FolderOfPart(MainPart_);
        for (pugi::xml_node rel : MainRels_->Doc.document_element().children()) {
            if (std::strcmp(rel.attribute("TargetMode").value(), "External") == 0)
                continue;
            const std::string type = TypeName(rel.attribute("Type").value());
            const std::string target = ResolveTarget(folder, rel.attribute("Target").value());
            if (type == "settings")
                SettingsPart_ = target;
            else if (type == "header")
                parts.emplace_back(target, GroupHeader);
            else if (type == "footer")
                parts.emplace_back(target, GroupFooter);
            else if (type == "footnotes")
                parts.emplace_back(target, GroupFootnotes);
            else if (type == "endnotes")
                parts.emplace_back(target, GroupEndnotes);
        }
    }
    if (!SettingsPart_.empty() && package_->Contains(SettingsPart_)) {
        std::string error;
        Settings_ = LoadXmlPart(*package_, SettingsPart_, error);
        if (!Settings_)
            return error;
    }
    std::stable_sort(parts.begin(), parts.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    std::set<std::string> loaded;
    for (const auto& [name, group] : parts) {
        if (name.empty() || !loaded.insert(name).second)
            continue;
        std::string error;
        auto part = LoadXmlPart(*package_, name, error);
        if (!part)
            return error;
        Stories_.push_back(std::make_unique<TStory>(std::move(part), group));
        IndexStory(Stories_.size() - 1);
    }
    return {};
}

void TOoxmlContent::IndexStory(std::size_t storyIndex)
{
    const TStory& story = *Stories_[storyIndex];
    const TWNames& w = story.W;
    TRangePairing ranges(Bookmarks_);
    for (pugi::xml_node node = story.Part->Doc.document_element(); node; node = NextInOrder(node)) {
        if (Is(node, w.BookmarkStart))
            ranges.Open({.Story = storyIndex,
                         .Group = story.Group,
                         .Name = node.attribute(w.Name.c_str()).value(),
                         .Start = node},
                        node.attribute(w.Id.c_str()).value());
        else if (Is(node, w.BookmarkEnd))
            ranges.Close(node, node.attribute(w.Id.c_str()).value());
    }
}

std::vector<std::string> TOoxmlContent::Bookmarks() const
{
    return Bookmarks_.Names();
}

namespace {

// The outermost alternative-content element around the node (a drawing written twice,
// for programs that do and do not read its newer form), or null.
pugi::xml_node AlternateContentOf(pugi::xml_node node)
{
    pugi::xml_node outermost;
    for (node = node.parent(); node; node = node.parent()) {
        const std::string_view name = node.name();
        if (name == "AlternateContent" || name.ends_with(":AlternateContent"))
            outermost = node;
    }
    return outermost;
}

}  // namespace

// Word treats bookmark names without regard to case; an exact match wins. Of several
// bookmarks of one name (files of other programs have them) the first is the bookmark,
// as in Word, with its copies in the alternative forms of the drawing that holds it.
std::string TOoxmlContent::Fill(const std::string& name, const std::vector<TTextPiece>& pieces)
{
    std::vector<std::size_t> found = Bookmarks_.FindIgnoringCase(name);
    if (!found.empty()) {
        const pugi::xml_node alternate = AlternateContentOf(Bookmarks_[found.front()].Start);
        const std::size_t first = found.front();
        const auto other = [&](std::size_t index) {
            return index != first && (!alternate || AlternateContentOf(Bookmarks_[index].Start) != alternate);
        };
        const auto left = std::count_if(found.begin(), found.end(), other);
        found.erase(std::remove_if(found.begin(), found.end(), other), found.end());
        if (left > 0)
            notices_.push_back("The template has " + std::to_string(left + 1) + " bookmarks named \"" + name +
                               "\"; only the first was filled, the others were left as they are.");
    }
    Bookmarks_.SetCause("it lay inside the bookmark \"" + name + "\", which was filled before it");
    const std::string error =
        Bookmarks_.FillEach(found, [&](std::size_t index) { return FillOccurrence(index, pieces); });
    if (!error.empty())
        return error;
    Filled_[LowerAscii(name)] = pieces;
    return {};
}

namespace {

pugi::xml_node FirstParagraphAfter(pugi::xml_node node, const TStoryRules& rules)
{
    for (node = NextInOrder(node); node; node = NextInOrder(node))
        if (rules.IsParagraph(node))
            return node;
    return {};
}

// The paragraph whose end comes last within top.
pugi::xml_node LastParagraphIn(pugi::xml_node top, const TStoryRules& rules)
{
    if (rules.IsParagraph(top))
        return top;
    pugi::xml_node node = top.last_child();
    while (node) {
        if (rules.IsParagraph(node))
            return node;
        if (node.last_child()) {
            node = node.last_child();
            continue;
        }
        while (node != top && !node.previous_sibling())
            node = node.parent();
        if (node == top)
            return {};
        node = node.previous_sibling();
    }
    return {};
}

pugi::xml_node LastParagraphBefore(pugi::xml_node node, const TStoryRules& rules)
{
    for (; node; node = node.parent())
        for (pugi::xml_node sibling = node.previous_sibling(); sibling; sibling = sibling.previous_sibling())
            if (pugi::xml_node paragraph = LastParagraphIn(sibling, rules))
                return paragraph;
    return {};
}

bool HasText(pugi::xml_node run, const TWNames& w)
{
    return run.child(w.T.c_str());
}

// The run whose formatting the new text takes: the first replaced run with text, else
// the run before the bookmark, else the run after it in its paragraph.
pugi::xml_node FormatRun(pugi::xml_node start, pugi::xml_node end, const TWNames& w, const TStoryRules& rules)
{
    for (pugi::xml_node node = NextInOrder(start); node && node != end; node = NextInOrder(node))
        if (Is(node, w.R) && HasText(node, w))
            return node;
    const pugi::xml_node paragraph = ParagraphOf(start, rules);
    pugi::xml_node before;
    for (pugi::xml_node node = NextInOrder(paragraph); node && node != start; node = NextInOrder(node))
        if (Is(node, w.R) && HasText(node, w))
            before = node;
    if (before)
        return before;
    const pugi::xml_node endParagraph = ParagraphOf(end, rules);
    for (pugi::xml_node node = NextInOrder(end); node && IsAncestorOf(endParagraph, node); node = NextInOrder(node))
        if (Is(node, w.R) && HasText(node, w))
            return node;
    return {};
}

void MoveIntoParagraphStart(pugi::xml_node node, pugi::xml_node paragraph, const TWNames& w)
{
    if (pugi::xml_node props = paragraph.child(w.PPr.c_str()))
        paragraph.insert_move_after(node, props);
    else
        paragraph.prepend_move(node);
}

}  // namespace

std::string TOoxmlContent::FillOccurrence(std::size_t index, const std::vector<TTextPiece>& pieces)
{
    const TBookmarkOccurrence& occurrence = Bookmarks_[index];
    TStory& story = *Stories_[occurrence.Story];
    const TWNames& w = story.W;
    const TStoryRules& rules = story.Rules;
    pugi::xml_node start = occurrence.Start;
    pugi::xml_node end = occurrence.End;
    if (!end) {
        end = start.parent().insert_child_after(w.BookmarkEnd.c_str(), start);
        end.append_attribute(w.Id.c_str()) = start.attribute(w.Id.c_str()).value();
        Bookmarks_.SetEnd(index, end);
    }
    // Bookmarks around table rows or between paragraphs are brought into the paragraphs
    // they enclose, where text can stand.
    if (!ParagraphOf(start, rules)) {
        const pugi::xml_node paragraph = FirstParagraphAfter(start, rules);
        if (!paragraph)
            return "The bookmark has no paragraph to hold text.";
        start.remove_attribute(w.ColFirst.c_str());
        start.remove_attribute(w.ColLast.c_str());
        MoveIntoParagraphStart(start, paragraph, w);
    }
    if (!ParagraphOf(end, rules)) {
        pugi::xml_node paragraph = LastParagraphBefore(end, rules);
        if (paragraph && !Precedes(paragraph, ParagraphOf(start, rules)))
            paragraph.append_move(end);
        else
            start.parent().insert_move_after(end, start);
    }
    if (Precedes(end, start))
        start.parent().insert_move_after(end, start);

    TComplexField form;
    if (std::string error = FitRangeToFields(story, occurrence.Name, start, end, form); !error.empty())
        return error;
    if (form.Begin)
        return FillFormField(story, form, pieces);

    const pugi::xml_node format = FormatRun(start, end, w, rules);
    pugi::xml_node formatProps;
    pugi::xml_document keeper;  // holds the formatting while its run is removed
    if (format && format.child(w.RPr.c_str()))
        formatProps = keeper.append_copy(format.child(w.RPr.c_str()));
    else if (!format)
        formatProps = keeper.append_copy(ParagraphOf(start, rules).child(w.PPr.c_str()).child(w.RPr.c_str()));

    const std::string error = ClearRange(start, end, rules, Bookmarks_.Forgetter());
    if (!error.empty())
        return error;
    InsertRun(story, start.parent(), start, formatProps, pieces);
    story.Part->Changed = true;
    return {};
}

std::string TOoxmlContent::FitRangeToFields(TStory& story, const std::string& name, pugi::xml_node start,
                                            pugi::xml_node end, TComplexField& form) const
{
    const TWNames& w = story.W;
    // Each round takes in whole fields; a field that cannot be taken in whole (its end is
    // missing, or a marker sits inside one of its runs) stops the fill, not the document.
    constexpr int kMaxRounds = 100;
    for (int round = 0; round < kMaxRounds; ++round) {
        const TFieldsInRange fields = FieldsInRange(start, end, w);
        // A bookmark around a legacy form field, or just inside it as Word writes them,
        // names the form field: it keeps its field and takes the answer as its value.
        std::vector<TComplexField> forms;
        for (const std::vector<pugi::xml_node>* list : {&fields.Whole, &fields.Cut})
            for (pugi::xml_node begin : *list) {
                TComplexField field;
                if (FieldFrom(begin, w, field) && FormKindOf(field) != TFormKind::None)
                    forms.push_back(field);
            }
        if (forms.size() == 1) {
            const TComplexField& field = forms.front();
            const std::string formName = field.FormData.child(w.Name.c_str()).attribute(w.Val.c_str()).value();
            if (LowerAscii(formName) == LowerAscii(name) || !HasTextOutside(start, end, field, w)) {
                form = field;
                return {};
            }
        }
        if (fields.Cut.empty())
            return {};
        for (pugi::xml_node begin : fields.Cut) {
            TComplexField field;
            if (!FieldFrom(begin, w, field))
                return "The bookmark covers part of a field that has no end; the template is damaged there.";
            if (Precedes(field.Begin, start))
                field.Begin.parent().insert_move_before(start, field.Begin);
            if (Precedes(end, field.End))
                field.End.parent().insert_move_after(end, field.End);
        }
    }
    return "The bookmark covers part of a field that cannot be replaced as a whole.";
}

std::string TOoxmlContent::FillFormField(TStory& story, TComplexField& field, const std::vector<TTextPiece>& pieces)
{
    const TWNames& w = story.W;
    story.Part->Changed = true;
    pugi::xml_node data = field.FormData;
    if (!data)
        data = field.Begin.child(w.FldChar.c_str()).append_child(w.FfData.c_str());
    const std::string answer = PiecesAsLine(pieces);
    switch (FormKindOf(field)) {
    case TFormKind::CheckBox: {
        pugi::xml_node box = data.child(w.CheckBox.c_str());
        if (!box)
            box = data.append_child(w.CheckBox.c_str());
        while (box.remove_child(w.Checked.c_str())) {
        }
        box.append_child(w.Checked.c_str()).append_attribute(w.Val.c_str()) = IsYesLike(answer) ? "1" : "0";
        return {};
    }
    case TFormKind::DropDown: {
        pugi::xml_node list = data.child(w.DdList.c_str());
        int index = -1;
        for (pugi::xml_node entry : list.children(w.ListEntry.c_str())) {
            ++index;
            const std::string value = entry.attribute(w.Val.c_str()).value();
            if (LowerAscii(value) != LowerAscii(answer))
                continue;
            pugi::xml_node result = list.child(w.Result.c_str());
            if (!result)
                result = list.prepend_child(w.Result.c_str());
            result.remove_attribute(w.Val.c_str());
            result.append_attribute(w.Val.c_str()) = index;
            // The shown entry follows the choice, where the field shows one.
            return field.Separate ? ReplaceFieldResult(story, field, {{TTextPiece::Text, value}}) : std::string();
        }
        return ReplaceFieldResult(story, field, pieces);
    }
    default: return ReplaceFieldResult(story, field, pieces);
    }
}

std::string TOoxmlContent::ReplaceFieldResult(TStory& story, TComplexField& field,
                                              const std::vector<TTextPiece>& pieces)
{
    const TWNames& w = story.W;
    if (!field.Separate) {
        field.Separate = field.End.parent().insert_child_before(w.R.c_str(), field.End);
        field.Separate.append_child(w.FldChar.c_str()).append_attribute(w.FldCharType.c_str()) = "separate";
    }
    pugi::xml_node format = field.Begin;
    for (pugi::xml_node node = NextInOrder(field.Separate); node && node != field.End; node = NextInOrder(node))
        if (Is(node, w.R) && HasText(node, w)) {
            format = node;
            break;
        }
    pugi::xml_document keeper;
    const pugi::xml_node props = keeper.append_copy(format.child(w.RPr.c_str()));
    if (std::string error = ClearRange(field.Separate, field.End, story.Rules, Bookmarks_.Forgetter()); !error.empty())
        return error;
    InsertRun(story, field.Separate.parent(), field.Separate, props, pieces);
    story.Part->Changed = true;
    return {};
}

void TOoxmlContent::InsertRun(TStory& story, pugi::xml_node parent, pugi::xml_node after, pugi::xml_node format,
                              const std::vector<TTextPiece>& pieces) const
{
    if (pieces.empty())
        return;
    const TWNames& w = story.W;
    pugi::xml_node run = after ? parent.insert_child_after(w.R.c_str(), after) : parent.prepend_child(w.R.c_str());
    if (format) {
        pugi::xml_node props = run.append_copy(format);
        props.set_name(w.RPr.c_str());
        // Revision marks of the paragraph mark or of a format change do not belong to new text.
        for (const std::string* name : {&w.Ins, &w.Del, &w.MoveFrom, &w.MoveTo, &w.RPrChange})
            while (props.remove_child(name->c_str())) {
            }
        if (!props.first_child())
            run.remove_child(props);
    }
    for (const TTextPiece& piece : pieces) {
        if (piece.Kind == TTextPiece::Break) {
            run.append_child(w.Br.c_str());
        } else if (piece.Kind == TTextPiece::Tab) {
            run.append_child(w.Tab.c_str());
        } else {
            pugi::xml_node text = run.append_child(w.T.c_str());
            text.append_attribute("xml:space") = "preserve";
            text.text().set(piece.Utf8.c_str());
        }
    }
}

const std::vector<TTextPiece>* TOoxmlContent::FilledText(const std::string& bookmark) const
{
    auto it = Filled_.find(LowerAscii(bookmark));
    return it == Filled_.end() ? nullptr : &it->second;
}

std::string TOoxmlContent::UpdateFields()
{
    Bookmarks_.SetCause("it lay inside a field whose result was updated");
    for (const auto& story : Stories_)
        UpdateStoryFields(*story);
    UpdateSettings();
    return {};
}

void TOoxmlContent::UpdateStoryFields(TStory& story)
{
    const TWNames& w = story.W;
    std::vector<pugi::xml_node> simple;
    std::vector<TComplexField> open;
    std::vector<TComplexField> complete;
    for (pugi::xml_node node = story.Part->Doc.document_element(); node; node = NextInOrder(node)) {
        if (Is(node, w.FldSimple)) {
            simple.push_back(node);
        } else if (Is(node, w.FldChar)) {
            const std::string type = node.attribute(w.FldCharType.c_str()).value();
            if (type == "begin") {
                for (TComplexField& outer : open)
                    outer.Nested = true;
                TComplexField field;
                field.Begin = node.parent();
                open.push_back(field);
            } else if (type == "separate" && !open.empty()) {
                open.back().Separate = node.parent();
            } else if (type == "end" && !open.empty()) {
                open.back().End = node.parent();
                complete.push_back(open.back());
                open.pop_back();
            }
        } else if (Is(node, w.InstrText) && !open.empty() && !open.back().Separate) {
            open.back().Instruction += node.text().get();
        }
    }
    // Only results that hold no other field are replaced, so that no update removes a
    // field that is still to come.
    const auto isField = [&w](pugi::xml_node node) { return Is(node, w.FldSimple) || Is(node, w.FldChar); };
    for (pugi::xml_node field : simple) {
        if (field.find_node(isField))
            continue;
        std::string bookmark;
        const std::vector<TTextPiece>* text = nullptr;
        if (!RefTarget(field.attribute(w.Instr.c_str()).value(), bookmark) || !(text = FilledText(bookmark)))
            continue;
        pugi::xml_document keeper;
        pugi::xml_node format = keeper.append_copy(field.child(w.R.c_str()).child(w.RPr.c_str()));
        std::vector<pugi::xml_node> result;
        for (pugi::xml_node child : field.children())
            if (!Is(child, w.FldData))
                result.push_back(child);
        RemoveKeepingMarkers(result, field, field, story.Rules, Bookmarks_.Forgetter());
        InsertRun(story, field, field.child(w.FldData.c_str()), format, *text);
        story.Part->Changed = true;
    }
    for (const TComplexField& field : complete)
        UpdateComplexField(story, field);
}

void TOoxmlContent::UpdateComplexField(TStory& story, const TComplexField& field)
{
    const TWNames& w = story.W;
    std::string bookmark;
    const std::vector<TTextPiece>* text = nullptr;
    if (field.Nested || !field.Separate || !field.End || field.Separate == field.End ||
        !RefTarget(field.Instruction, bookmark) || !(text = FilledText(bookmark)))
        return;
    // A result that runs over paragraphs is left to the word processor's own update.
    if (ParagraphOf(field.Separate, story.Rules) != ParagraphOf(field.End, story.Rules) ||
        !Precedes(field.Separate, field.End))
        return;
    pugi::xml_node format;
    for (pugi::xml_node node = NextInOrder(field.Separate); node && node != field.End; node = NextInOrder(node)) {
        if (Is(node, w.FldSimple))
            return;
        if (!format && Is(node, w.R) && HasText(node, w))
            format = node;
    }
    if (!format)
        format = field.Begin;
    pugi::xml_document keeper;
    const pugi::xml_node props = keeper.append_copy(format.child(w.RPr.c_str()));
    if (!ClearRange(field.Separate, field.End, story.Rules, Bookmarks_.Forgetter()).empty())
        return;
    InsertRun(story, field.Separate.parent(), field.Separate, props, *text);
    story.Part->Changed = true;
}

// Has the word processor update every field (page numbers, dates, tables of contents)
// when it opens the document.
void TOoxmlContent::UpdateSettings()
{
    if (!Settings_) {
        SettingsPart_ = FolderOfPart(MainPart_) + "settings.xml";
        if (package_->Contains(SettingsPart_))
            return;  // an unrelated part of that name: left alone
        Settings_ = std::make_unique<TXmlPart>();
        Settings_->Name = SettingsPart_;
        Settings_->Doc.load_string(("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                                    "<w:settings xmlns:w=\"" +
                                    std::string(kWordNamespace) + "\"/>")
                                       .c_str(),
                                   pugi::parse_default | pugi::parse_declaration);
        SetOverride(SettingsPart_, kSettingsType);
        if (!MainRels_) {
            MainRels_ = std::make_unique<TXmlPart>();
            MainRels_->Name = RelsPartOf(MainPart_);
            MainRels_->Doc.load_string(("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                                        "<Relationships xmlns=\"" +
                                        std::string(kRelationshipsNamespace) + "\"/>")
                                           .c_str(),
                                       pugi::parse_default | pugi::parse_declaration);
        }
        pugi::xml_node relationships = MainRels_->Doc.document_element();
        std::string id = "rIdTavixSettings";
        for (int n = 2; relationships.find_child_by_attribute("Id", id.c_str()); ++n)
            id = "rIdTavixSettings" + std::to_string(n);
        pugi::xml_node rel = relationships.append_child(
            (PrefixFor(relationships, kRelationshipsNamespace, "") + "Relationship").c_str());
        rel.append_attribute("Id") = id.c_str();
        rel.append_attribute("Type") = (std::string(kOfficeRelationships) + "settings").c_str();
        rel.append_attribute("Target") = SettingsPart_.substr(FolderOfPart(MainPart_).size()).c_str();
        MainRels_->Changed = true;
    }
    pugi::xml_node root = Settings_->Doc.document_element();
    const TWNames w(PrefixFor(root, kWordNamespace, PrefixFor(root, kWordNamespaceStrict, "w:")));
    pugi::xml_node update = root.child(w.UpdateFields.c_str());
    if (!update) {
        pugi::xml_node before;
        for (pugi::xml_node child : root.children())
            if (child.type() == pugi::node_element && SettingsAfterUpdateFields().count(LocalName(child))) {
                before = child;
                break;
            }
        update = before ? root.insert_child_before(w.UpdateFields.c_str(), before)
                        : root.append_child(w.UpdateFields.c_str());
    }
    if (!update.attribute(w.Val.c_str()))
        update.append_attribute(w.Val.c_str());
    update.attribute(w.Val.c_str()).set_value("true");
    Settings_->Changed = true;
}

void TOoxmlContent::Store(TWordPackage& package)
{
    for (const auto& story : Stories_)
        if (story->Part->Changed)
            StoreXmlPart(package, *story->Part);
    if (ContentTypes_->Changed)
        StoreXmlPart(package, *ContentTypes_);
    if (MainRels_ && MainRels_->Changed)
        StoreXmlPart(package, *MainRels_);
    if (Settings_ && Settings_->Changed)
        StoreXmlPart(package, *Settings_);
}

}  // namespace

std::unique_ptr<TWordContent> OpenOoxml(TWordPackage& package, std::string& error)
{
    auto content = std::make_unique<TOoxmlContent>();
    error = content->Load(package);
    if (!error.empty())
        return nullptr;
    return content;
}
