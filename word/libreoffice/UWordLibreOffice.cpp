#include "word/libreoffice/UWordLibreOffice.h"

#include "env/UCodec.h"
#include "env/UDateien.h"
#include "word/UWordSchutz.h"
#include "word/embedded/UWordPackage.h"
#include "word/embedded/UWordXml.h"
#include "word/libreoffice/ULibreOfficeVerbindung.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <set>
#include <tuple>
#include <vector>

using namespace lo;

namespace {

std::string WindowlessOfficeText()
{
    return OfficeText("WindowlessMsg",
                      "LibreOffice is running without a window for another program (tavix-fill, for example), so "
                      "the document cannot be shown. Try again when that program has finished.");
}

std::string DocumentClosedText()
{
    return OfficeText("DocumentClosedMsg", "The document is closed.");
}

std::string TemplateUnusableText(const std::string& file, const std::string& reason)
{
    return OfficeText("TemplateUnusableMsg", "The template \"%s\" cannot be used: %s", {PathForDisplay(file), reason});
}

// Beyond this nesting (frames in tables in frames ...) a template is not walked further.
constexpr int kMaxStoryDepth = 16;

}  // namespace

// ---- The bookmarks in reading order ----------------------------------------------------------

namespace {

bool HasProperty(const Reference<css::beans::XPropertySet>& properties, const char* name)
{
    if (!properties.is())
        return false;
    Reference<css::beans::XPropertySetInfo> info = properties->getPropertySetInfo();
    return info.is() && info->hasPropertyByName(OUString::createFromAscii(name));
}

template <class T>
T PropertyOr(const Reference<css::beans::XPropertySet>& properties, const char* name, T fallback)
{
    if (!HasProperty(properties, name))
        return fallback;
    T value = fallback;
    properties->getPropertyValue(OUString::createFromAscii(name)) >>= value;
    return value;
}

// Visits the text portions of the stories as a reader meets them: the headers of the page
// styles in use, the body (tables cell by cell, row by row; a frame's text after the text
// it is anchored in), footnotes, endnotes, then the footers. The office's own lists are in
// its internal order, which puts headers, footers and frames before the body.
class TStoryWalk {
public:
    using TVisit = std::function<void(const Reference<css::beans::XPropertySet>& portion, const OUString& type)>;

    TStoryWalk(const Reference<css::uno::XInterface>& model, TVisit visit) : Model_(model), Visit_(std::move(visit)) {}

    void Run()
    {
        PageStories("Header");
        Reference<css::text::XTextDocument> text(Model_, UNO_QUERY_THROW);
        Story(text->getText(), 0);
        if (Reference<css::text::XFootnotesSupplier> footnotes(Model_, UNO_QUERY); footnotes.is())
            Notes(footnotes->getFootnotes());
        if (Reference<css::text::XEndnotesSupplier> endnotes(Model_, UNO_QUERY); endnotes.is())
            Notes(endnotes->getEndnotes());
        PageStories("Footer");
    }

private:
    void PageStories(const char* kind)
    {
        Reference<css::style::XStyleFamiliesSupplier> families(Model_, UNO_QUERY);
        if (!families.is())
            return;
        Reference<css::container::XNameAccess> styles(families->getStyleFamilies()->getByName("PageStyles"), UNO_QUERY);
        if (!styles.is())
            return;
        const std::string prefix = kind;
        for (const OUString& name : styles->getElementNames()) {
            Reference<css::style::XStyle> style(styles->getByName(name), UNO_QUERY);
            Reference<css::beans::XPropertySet> properties(style, UNO_QUERY);
            if (!style.is() || !style->isInUse() || !PropertyOr(properties, (prefix + "IsOn").c_str(), false))
                continue;
            for (const char* variant : {"TextFirst", "Text", "TextLeft", "TextRight"}) {
                const std::string property = prefix + variant;
                Reference<css::text::XText> text;
                if (HasProperty(properties, property.c_str()))
                    properties->getPropertyValue(OUString::createFromAscii(property.c_str())) >>= text;
                if (text.is())
                    Story(text, 1);
            }
        }
    }

    void Notes(const Reference<css::container::XIndexAccess>& notes)
    {
        if (!notes.is())
            return;
        for (sal_Int32 i = 0; i < notes->getCount(); ++i) {
            Reference<css::text::XText> text(notes->getByIndex(i), UNO_QUERY);
            if (text.is())
                Story(text, 1);
        }
    }

    void Story(const Reference<css::text::XText>& text, int depth)
    {
        Reference<css::container::XEnumerationAccess> access(text, UNO_QUERY);
        if (!access.is() || depth > kMaxStoryDepth)
            return;
        Reference<css::container::XEnumeration> paragraphs = access->createEnumeration();
        while (paragraphs.is() && paragraphs->hasMoreElements()) {
            const Any element = paragraphs->nextElement();
            Reference<css::text::XTextTable> table(element, UNO_QUERY);
            if (table.is()) {
                for (const OUString& cell : table->getCellNames())
                    Story(Reference<css::text::XText>(table->getCellByName(cell), UNO_QUERY), depth + 1);
                continue;
            }
            Portions(Reference<css::container::XEnumerationAccess>(element, UNO_QUERY), depth);
            Anchored(Reference<css::container::XContentEnumerationAccess>(element, UNO_QUERY), depth);
        }
    }

    void Portions(const Reference<css::container::XEnumerationAccess>& paragraph, int depth)
    {
        if (!paragraph.is())
            return;
        Reference<css::container::XEnumeration> portions = paragraph->createEnumeration();
        while (portions.is() && portions->hasMoreElements()) {
            Reference<css::beans::XPropertySet> portion(portions->nextElement(), UNO_QUERY);
            if (!portion.is())
                continue;
            OUString type;
            portion->getPropertyValue("TextPortionType") >>= type;
            if (type == "Frame")
                Anchored(Reference<css::container::XContentEnumerationAccess>(portion, UNO_QUERY), depth);
            else
                Visit_(portion, type);
        }
    }

    void Anchored(const Reference<css::container::XContentEnumerationAccess>& anchor, int depth)
    {
        if (!anchor.is())
            return;
        Reference<css::container::XEnumeration> contents =
            anchor->createContentEnumeration("com.sun.star.text.TextContent");
        while (contents.is() && contents->hasMoreElements()) {
            Reference<css::lang::XServiceInfo> content(contents->nextElement(), UNO_QUERY);
            if (content.is() && content->supportsService("com.sun.star.text.TextFrame"))
                Story(Reference<css::text::XText>(content, UNO_QUERY), depth + 1);
        }
    }

    Reference<css::uno::XInterface> Model_;
    TVisit Visit_;
};

// ---- Form fields ------------------------------------------------------------------------------

// The API marks XFormField deprecated but has no other access to a field mark's type and
// parameters.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
OUString FieldTypeOf(const Reference<css::text::XFormField>& field)
{
    return field->getFieldType();
}

Reference<css::container::XNameContainer> ParametersOf(const Reference<css::text::XFormField>& field)
{
    return field->getParameters();
}
#pragma GCC diagnostic pop

// Word's legacy form fields, as the office keeps them (field marks of these types). The
// office names the mark of a text form field after the bookmark Word gives it, and a
// mark it has no name for after itself.
TFormKind FormKindOf(const Reference<css::text::XFormField>& field)
{
    if (!field.is())
        return TFormKind::None;
    const OUString type = FieldTypeOf(field);
    if (type == "vnd.oasis.opendocument.field.FORMTEXT")
        return TFormKind::Text;
    if (type == "vnd.oasis.opendocument.field.FORMCHECKBOX")
        return TFormKind::CheckBox;
    if (type == "vnd.oasis.opendocument.field.FORMDROPDOWN")
        return TFormKind::DropDown;
    return TFormKind::None;
}

bool IsFieldStart(const OUString& portionType)
{
    return portionType == "TextFieldStart" || portionType == "TextFieldStartEnd";
}

// The form field the portion starts; null for any other portion.
Reference<css::text::XFormField> FormFieldStartingAt(const Reference<css::beans::XPropertySet>& portion,
                                                     const OUString& type)
{
    if (!IsFieldStart(type))
        return {};
    Reference<css::text::XFormField> field(portion->getPropertyValue("Bookmark"), UNO_QUERY);
    return FormKindOf(field) == TFormKind::None ? Reference<css::text::XFormField>() : field;
}

// The name a user gave the form field; empty for one the office named itself.
OUString FormFieldName(const Reference<css::text::XFormField>& field)
{
    Reference<css::container::XNamed> named(field, UNO_QUERY);
    const OUString name = named.is() ? named->getName() : OUString();
    return name.startsWith("__Fieldmark__") ? OUString() : name;
}

// The form field of that name (Word's names ignore case, as for bookmarks). Without one,
// unnamed tells whether the document holds form fields the office keeps no name for: on
// import it drops the bookmark that Word sets inside a drop-down or check box.
Reference<css::text::XFormField> FindFormField(const Reference<css::uno::XInterface>& model, const OUString& name,
                                               bool& unnamed)
{
    Reference<css::text::XFormField> exact, other;
    unnamed = false;
    TStoryWalk(model, [&](const Reference<css::beans::XPropertySet>& portion, const OUString& type) {
        const Reference<css::text::XFormField> field = exact.is() ? nullptr : FormFieldStartingAt(portion, type);
        if (!field.is())
            return;
        const OUString fieldName = FormFieldName(field);
        unnamed = unnamed || fieldName.isEmpty();
        if (fieldName == name)
            exact = field;
        else if (!other.is() && !fieldName.isEmpty() && fieldName.equalsIgnoreAsciiCase(name))
            other = field;
    }).Run();
    return exact.is() ? exact : other;
}

// The text portions of a range, paragraph by paragraph.
template <class TVisit>
void PortionsOfRange(const Reference<css::text::XText>& story, const Reference<css::text::XTextRange>& range,
                     TVisit visit)
{
    Reference<css::container::XEnumerationAccess> selection(story->createTextCursorByRange(range), UNO_QUERY_THROW);
    Reference<css::container::XEnumeration> paragraphs = selection->createEnumeration();
    while (paragraphs->hasMoreElements()) {
        Reference<css::container::XEnumerationAccess> paragraph(paragraphs->nextElement(), UNO_QUERY);
        if (!paragraph.is())
            return visit(Reference<css::beans::XPropertySet>(), OUString());  // a table: no form field alone
        Reference<css::container::XEnumeration> portions = paragraph->createEnumeration();
        while (portions->hasMoreElements()) {
            Reference<css::beans::XPropertySet> portion(portions->nextElement(), UNO_QUERY_THROW);
            OUString type;
            portion->getPropertyValue("TextPortionType") >>= type;
            visit(portion, type);
        }
    }
}

// The form field a bookmark is set around, with nothing else in it but the bookmark's
// own marks and empty text: Word writes the bookmark of a form field that way.
Reference<css::text::XFormField> FormFieldAlone(const Reference<css::text::XText>& story,
                                                const Reference<css::text::XTextRange>& range)
{
    Reference<css::text::XFormField> found;
    bool alone = true;
    int depth = 0;  // inside the result of a field
    PortionsOfRange(story, range, [&](const Reference<css::beans::XPropertySet>& portion, const OUString& type) {
        if (!alone)
            return;
        const bool opens = IsFieldStart(type);
        if (opens && depth == 0) {
            const Reference<css::text::XFormField> field = FormFieldStartingAt(portion, type);
            alone = !found.is() && field.is();
            found = field;
        }
        if (type == "TextFieldStart")
            ++depth;
        else if (type == "TextFieldEnd")
            alone = --depth >= 0;
        else if (type == "Text")
            alone = depth > 0 || Reference<css::text::XTextRange>(portion, UNO_QUERY_THROW)->getString().isEmpty();
        else if (!opens && type != "TextFieldSeparator" && type != "Bookmark" && type != "SoftPageBreak")
            alone = false;
    });
    return alone && depth == 0 ? found : Reference<css::text::XFormField>();
}

// Writes the answer where the cursor stands and selects it.
void InsertAnswer(const Reference<css::text::XText>& story, const Reference<css::text::XTextCursor>& cursor,
                  const std::vector<TTextPiece>& pieces)
{
    Reference<css::text::XTextRange> at(cursor, UNO_QUERY_THROW);
    sal_Int32 length = 0;
    for (const TTextPiece& piece : pieces) {
        if (piece.Kind == TTextPiece::Break) {
            story->insertControlCharacter(at, css::text::ControlCharacter::LINE_BREAK, false);
            ++length;
        } else {
            const OUString part = piece.Kind == TTextPiece::Tab ? OUString("\t") : FromUtf8(piece.Utf8);
            story->insertString(at, part, false);
            length += part.getLength();
        }
    }
    // The cursor stands after the inserted text: it takes the text in again.
    for (sal_Int32 left = length; left > 0; left -= 32767)
        cursor->goLeft(static_cast<sal_Int16>(std::min<sal_Int32>(left, 32767)), true);
}

void SetParameter(const Reference<css::container::XNameContainer>& parameters, const char* name, const Any& value)
{
    const OUString key = OUString::createFromAscii(name);
    if (parameters->hasByName(key))
        parameters->replaceByName(key, value);
    else
        parameters->insertByName(key, value);
}

// A drop-down shows the entry it selects: an answer that is none of them becomes one.
void SelectEntry(const Reference<css::text::XFormField>& field, const OUString& answer)
{
    const Reference<css::container::XNameContainer> parameters = ParametersOf(field);
    Sequence<OUString> entries;
    if (parameters->hasByName("Dropdown_ListEntry"))
        parameters->getByName("Dropdown_ListEntry") >>= entries;
    sal_Int32 index = 0;
    while (index < entries.getLength() && !entries[index].equalsIgnoreAsciiCase(answer))
        ++index;
    if (index == entries.getLength()) {
        entries.realloc(index + 1);
        entries.getArray()[index] = answer;
        SetParameter(parameters, "Dropdown_ListEntry", Any(entries));
    }
    SetParameter(parameters, "Dropdown_Selected", Any(index));
}

// A text form field gets the answer as its result, between its separator and its end.
void ReplaceResult(const Reference<css::text::XFormField>& field, const std::vector<TTextPiece>& pieces)
{
    const Reference<css::text::XTextRange> whole =
        Reference<css::text::XTextContent>(field, UNO_QUERY_THROW)->getAnchor();
    const Reference<css::text::XText> story = whole->getText();
    // The range starts with the field's own start; fields in its result nest.
    Reference<css::text::XTextRange> separator, end;
    int depth = 0;
    PortionsOfRange(story, whole, [&](const Reference<css::beans::XPropertySet>& portion, const OUString& type) {
        if (end.is())
            return;
        if (type == "TextFieldStart")
            ++depth;
        else if (type == "TextFieldSeparator" && depth == 1)
            separator.set(portion, UNO_QUERY);
        else if (type == "TextFieldEnd" && --depth == 0)
            end.set(portion, UNO_QUERY);
    });
    if (!end.is())
        throw css::uno::RuntimeException("the form field has no end", {});
    Reference<css::text::XTextCursor> cursor =
        story->createTextCursorByRange(separator.is() ? separator->getEnd() : end->getStart());
    cursor->gotoRange(end->getStart(), true);
    cursor->setString(OUString());
    InsertAnswer(story, cursor, pieces);
}

void FillFormField(const Reference<css::text::XFormField>& field, const std::vector<TTextPiece>& pieces)
{
    switch (FormKindOf(field)) {
    case TFormKind::CheckBox:
        Reference<css::beans::XPropertySet>(field, UNO_QUERY_THROW)
            ->setPropertyValue("Checked", Any(IsYesLike(PiecesAsLine(pieces))));
        return;
    case TFormKind::DropDown: SelectEntry(field, FromUtf8(PiecesAsLine(pieces))); return;
    default: ReplaceResult(field, pieces); return;
    }
}

// The names of the bookmarks and of the form fields a user named, in reading order.
std::vector<OUString> BookmarksInReadingOrder(const Reference<css::uno::XInterface>& model)
{
    std::vector<OUString> names;
    std::set<OUString> seen;
    const auto add = [&](const OUString& name) {
        if (!name.isEmpty() && seen.insert(name).second)
            names.push_back(name);
    };
    TStoryWalk(model, [&](const Reference<css::beans::XPropertySet>& portion, const OUString& type) {
        if (type == "Bookmark") {
            bool start = false, collapsed = false;
            portion->getPropertyValue("IsStart") >>= start;
            portion->getPropertyValue("IsCollapsed") >>= collapsed;
            Reference<css::container::XNamed> bookmark(portion->getPropertyValue("Bookmark"), UNO_QUERY);
            if ((start || collapsed) && bookmark.is())
                add(bookmark->getName());
        } else if (const Reference<css::text::XFormField> field = FormFieldStartingAt(portion, type); field.is()) {
            add(FormFieldName(field));
        }
    }).Run();
    // Whatever the walk could not reach (text in drawing shapes) comes last.
    Reference<css::text::XBookmarksSupplier> supplier(model, UNO_QUERY_THROW);
    for (const OUString& name : supplier->getBookmarks()->getElementNames())
        add(name);
    return names;
}

// The bookmark of that name; Word's names ignore case, so a name of other case is taken
// when there is no exact one.
Reference<css::text::XTextContent> FindBookmark(const Reference<css::container::XNameAccess>& bookmarks,
                                                const OUString& name)
{
    if (bookmarks->hasByName(name))
        return Reference<css::text::XTextContent>(bookmarks->getByName(name), UNO_QUERY);
    for (const OUString& other : bookmarks->getElementNames())
        if (other.equalsIgnoreAsciiCase(name))
            return Reference<css::text::XTextContent>(bookmarks->getByName(other), UNO_QUERY);
    return {};
}

// The import filter the office read a document with; empty when it does not say.
std::string LoadedFilter(const Reference<css::uno::XInterface>& document)
{
    Reference<css::frame::XModel> model(document, UNO_QUERY);
    if (!model.is())
        return {};
    for (const css::beans::PropertyValue& argument : model->getArgs())
        if (argument.Name == "FilterName") {
            OUString filter;
            argument.Value >>= filter;
            return ToUtf8(filter);
        }
    return {};
}

// A compound file or an OpenDocument package protected with a password (templates are
// small: only their first megabytes are looked at).
bool IsProtectedFile(const std::string& file)
{
    std::string bytes = ReadFileHead(file, 16 << 20).Bytes;
    if (IsCompoundFile(bytes))
        return CompoundFileProtection(bytes) != TWordSchutz::None;
    if (bytes.compare(0, 2, "PK") != 0)
        return false;
    std::string ignored;
    const std::unique_ptr<TWordPackage> package = TWordPackage::Open(std::move(bytes), ignored);
    if (!package)
        return false;
    const TPackageBytes manifest = package->Read("META-INF/manifest.xml");
    return manifest && ManifestEncrypts(manifest.Bytes);
}

bool IsTextFile(const std::string& file)
{
    const std::string extension = LowerExtension(file);
    return extension == ".txt" || extension == ".csv";
}

// ---- A document ------------------------------------------------------------------------------

class TWordLibreOfficeDoc final : public TWordDoc {
public:
    TWordLibreOfficeDoc(std::shared_ptr<TSession> session, Reference<css::uno::XInterface> model,
                        std::string templateFile, bool visible)
        : session_(std::move(session))
        , Model_(std::move(model))
        , Template_(std::move(templateFile))
        , visible_(visible)
    {
    }

    // A document still hidden was never anyone's: it goes with this object. A shown one
    // stays with the user.
    ~TWordLibreOfficeDoc() override
    {
        if (!visible_)
            Close();
    }

    std::string FillBookmark(const std::string& name, const std::string& text) override;
    std::string UpdateFields() override;
    std::vector<std::string> BookmarkNames() const override;
    std::string Extension() const override { return DocumentExtensionFor(Template_); }
    std::string ShowDocument(const std::string& folder, const std::string& baseName, std::string& writtenFile) override;
    std::string SaveAs(const std::string& path, bool overwrite) override;
    void Close() override;
    bool Visible() const override { return visible_; }

private:
    std::shared_ptr<TSession> session_;
    Reference<css::uno::XInterface> Model_;
    std::string Template_;
    bool visible_ = false;
};

std::string TWordLibreOfficeDoc::FillBookmark(const std::string& name, const std::string& text)
{
    if (!Model_.is())
        return DocumentClosedText();
    bool missing = false, unnamedFields = false;
    const std::vector<TTextPiece> pieces = SplitAnswer(text);
    const std::string error = session_->Call(session_->Options.CallSeconds, [&] {
        Reference<css::text::XBookmarksSupplier> supplier(Model_, UNO_QUERY_THROW);
        Reference<css::text::XTextContent> bookmark = FindBookmark(supplier->getBookmarks(), FromText(name));
        if (!bookmark.is()) {
            // The office keeps the bookmark of a text form field as the field's name.
            const Reference<css::text::XFormField> field = FindFormField(Model_, FromText(name), unnamedFields);
            if (field.is())
                FillFormField(field, pieces);
            missing = !field.is();
            return std::string();
        }
        const OUString realName = Reference<css::container::XNamed>(bookmark, UNO_QUERY_THROW)->getName();
        Reference<css::text::XTextRange> anchor = bookmark->getAnchor();
        Reference<css::text::XText> story = anchor->getText();
        if (const Reference<css::text::XFormField> field = FormFieldAlone(story, anchor); field.is()) {
            FillFormField(field, pieces);
            return std::string();
        }
        Reference<css::text::XTextCursor> cursor = story->createTextCursorByRange(anchor);
        Reference<css::text::XTextRange> at(cursor, UNO_QUERY_THROW);
        // Writing into the old bookmark would leave a point bookmark empty with the text
        // after it; a new bookmark over the new text keeps it around in every case.
        story->removeTextContent(bookmark);
        cursor->setString(OUString());
        InsertAnswer(story, cursor, pieces);
        Reference<css::lang::XMultiServiceFactory> factory(Model_, UNO_QUERY_THROW);
        Reference<css::text::XTextContent> renewed(factory->createInstance("com.sun.star.text.Bookmark"),
                                                   UNO_QUERY_THROW);
        Reference<css::container::XNamed>(renewed, UNO_QUERY_THROW)->setName(realName);
        story->insertTextContent(at, renewed, true);
        return std::string();
    });
    if (missing && unnamedFields)
        return MissingBookmarkError(name) + " " +
            OfficeText("UnnamedFieldsMsg",
                       "LibreOffice reads the template without the names of some of its form fields (drop-downs or "
                       "check boxes whose bookmark starts inside the field); the built-in engine fills them in a "
                       ".docx template.");
    if (missing)
        return MissingBookmarkError(name);
    if (!error.empty())
        return OfficeText("FillMsg", "The bookmark \"%s\" cannot be filled: %s", {name, error});
    return {};
}

std::string TWordLibreOfficeDoc::UpdateFields()
{
    if (!Model_.is())
        return DocumentClosedText();
    const std::string error = session_->Call(session_->Options.CallSeconds, [&] {
        Reference<css::text::XTextFieldsSupplier> fields(Model_, UNO_QUERY_THROW);
        Reference<css::util::XRefreshable>(fields->getTextFields(), UNO_QUERY_THROW)->refresh();
        return std::string();
    });
    return error.empty() ? error : OfficeText("UpdateMsg", "The fields cannot be updated: %s", {error});
}

std::vector<std::string> TWordLibreOfficeDoc::BookmarkNames() const
{
    std::vector<std::string> names;
    if (!Model_.is())
        return names;
    std::vector<OUString> found;
    // An office that does not answer has no bookmarks to offer.
    std::ignore = session_->Call(session_->Options.CallSeconds, [&] {
        found = BookmarksInReadingOrder(Model_);
        return std::string();
    });
    for (const OUString& utf16 : found)
        names.push_back(ToUtf8(utf16));
    return names;
}

std::string TWordLibreOfficeDoc::ShowDocument(const std::string&, const std::string&, std::string& writtenFile)
{
    // The document stays in the office, unsaved, for the user to finish there.
    writtenFile.clear();
    if (!Model_.is())
        return DocumentClosedText();
    if (session_->Headless)
        return session_->Process
            ? OfficeText("NoDisplayMsg",
                         "LibreOffice runs without a window here (no display): the document cannot be shown.")
            : WindowlessOfficeText();
    const std::string error = session_->Call(session_->Options.CallSeconds, [&] {
        BringToFront(Model_);
        return std::string();
    });
    if (!error.empty())
        return OfficeText("ShowMsg", "The document cannot be shown: %s", {error});
    visible_ = true;
    session_->MarkShown(Model_);
    return {};
}

std::string TWordLibreOfficeDoc::SaveAs(const std::string& path, bool overwrite)
{
    if (!Model_.is())
        return DocumentClosedText();
    const std::string filter = FilterFor(path);
    if (filter.empty())
        return OfficeText("NoFilterMsg",
                          "The document \"%s\" cannot be written: LibreOffice is not asked to write \"%s\" files.",
                          {PathForDisplay(path), PathForDisplay(LowerExtension(path))});
    if (!overwrite && FileExists(path))
        return OfficeText("ExistsMsg", "The document \"%s\" exists already.", {PathForDisplay(path)});
    const std::string error = session_->Call(session_->Options.LoadSeconds, [&] {
        const Sequence<css::beans::PropertyValue> arguments = Properties({
            Property("FilterName", Value(OUString::createFromAscii(filter.c_str()))),
            Property("Overwrite", Value(overwrite)),
        });
        Reference<css::frame::XStorable>(Model_, UNO_QUERY_THROW)->storeToURL(FileUrl(path), arguments);
        return std::string();
    });
    if (!error.empty())
        return OfficeText("WriteMsg", "The document \"%s\" cannot be written: %s", {PathForDisplay(path), error});
    return {};
}

void TWordLibreOfficeDoc::Close()
{
    if (!Model_.is())
        return;
    const Reference<css::uno::XInterface> model = Model_;
    Model_.clear();
    session_->Forget(model);
    if (session_->Lost)
        return;
    // A document that cannot be closed went with its office.
    std::ignore = session_->Call(session_->Options.CallSeconds, [&] {
        Reference<css::util::XCloseable> closeable(model, UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
        else
            Reference<css::lang::XComponent>(model, UNO_QUERY_THROW)->dispose();
        return std::string();
    });
}

}  // namespace

// ---- The application ---------------------------------------------------------------------------

std::string LibreOfficePipeName()
{
    return "tavix_" + std::to_string(::getuid());
}

bool LibreOfficeInstalled()
{
    return ::access(DefaultProgram().c_str(), X_OK) == 0;
}

TWordLibreOfficeApp::TWordLibreOfficeApp(TLibreOfficeOptions options) : options_(std::move(options))
{
    if (options_.Program.empty())
        options_.Program = DefaultProgram();
    if (options_.Pipe.empty())
        options_.Pipe = LibreOfficePipeName();
}

TWordLibreOfficeApp::~TWordLibreOfficeApp()
{
    if (!session_ || !session_->Owned())
        return;
    // An office nobody sees goes with the object that started it. One that showed
    // documents goes with the program's last connection to it, unless it still holds
    // something of the user's (Shutdown looks).
    const bool unseen = session_->Headless || !session_->AnyShown;
    const bool lastConnection = session_.use_count() == 1;
    if ((started_ && unseen) || lastConnection)
        session_->Shutdown(this);
}

void TWordLibreOfficeApp::Release()
{
    if (!session_)
        return;
    // An office that went away: what is left of one started here that nobody sees is
    // ended; one with the user's windows is left to the user.
    if (started_ && session_->Lost && session_->Process && (session_->Headless || !session_->AnyShown))
        session_->Process->Kill();
    session_.reset();
    started_ = false;
}

std::string TWordLibreOfficeApp::Connect(bool& attached)
{
    attached = false;
    ReapOrphans();
    if (session_ && session_->Alive()) {
        attached = true;
        return {};
    }
    Release();
    if (std::shared_ptr<TSession> shared = SessionOf(options_.Pipe); shared && shared->Alive()) {
        session_ = shared;
        attached = true;
        return {};
    }
    auto session = std::make_shared<TSession>(options_);
    std::string error;
    switch (session->Attach(options_.Pipe, options_.CallSeconds, error)) {
    case TSession::TAttach::Attached:
        session->Headless = FindOfficeOnPipe(options_.Pipe).Headless;
        session_ = session;
        Register(options_.Pipe, session);
        attached = true;
        return {};
    case TSession::TAttach::Failed:
        // An office that is just going away may still take a connection: a new one is
        // started. One that does not answer is reported, since a start would meet it.
        if (session->TimedOut)
            return error;
        break;
    case TSession::TAttach::NotListening: break;
    }
    error = StartOffice();
    if (!error.empty())
        return error;
    Register(options_.Pipe, session_);
    started_ = session_->Process != nullptr;
    attached = !started_;  // handed over to the office the user runs
    return {};
}

std::string TWordLibreOfficeApp::StartOffice()
{
    if (::access(options_.Program.c_str(), X_OK) != 0)
        return OfficeText("NotInstalledMsg",
                          "LibreOffice is not installed (\"%s\" is missing): install LibreOffice Writer.",
                          {PathForDisplay(options_.Program)});
    auto session = std::make_shared<TSession>(options_);
    session->Headless = options_.Headless || !HasDisplay();
    std::vector<std::string> arguments = {options_.Program};
    if (!options_.UserInstallation.empty())
        arguments.push_back("-env:UserInstallation=" + ToUtf8(FileUrl(options_.UserInstallation)));
    arguments.insert(arguments.end(), {"--nologo", "--norestore"});
    // Without a window of its own: a document appears only when it is loaded visible.
    arguments.push_back(session->Headless ? "--headless" : "--invisible");
    arguments.push_back("--accept=pipe,name=" + options_.Pipe + ";urp;StarOffice.ComponentContext");
    auto process = std::make_shared<TOfficeProcess>();
    std::string error = process->Start(arguments);
    if (!error.empty())
        return error;

    const auto deadline = TClock::now() + std::chrono::seconds(options_.StartSeconds);
    bool handedOver = false;
    std::string lastError;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::seconds>(deadline - TClock::now()).count();
        const TSession::TAttach result = session->Attach(
            options_.Pipe, static_cast<int>(std::clamp<long long>(left, 1, options_.CallSeconds)), error);
        if (result == TSession::TAttach::Attached)
            break;
        // An office still starting up may take a connection and drop it again.
        if (result == TSession::TAttach::Failed)
            lastError = error;
        // A launcher that ends at once with success has handed the start over to an office
        // the user already runs; that one opens the pipe in a moment.
        if (!handedOver && !process->Running()) {
            if (process->ExitStatus() != 0)
                return OfficeText("EndedAtStartMsg", "LibreOffice ended right after its start (exit status %s).",
                                  {std::to_string(process->ExitStatus())});
            handedOver = true;
        }
        if (TClock::now() >= deadline) {
            process->Kill();
            return OfficeText("StartTimeoutMsg", "LibreOffice did not answer within %s seconds of its start%s.",
                              {std::to_string(options_.StartSeconds), lastError.empty() ? "" : " (" + lastError + ")"});
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!handedOver && process->Running())
        session->Process = process;
    else
        session->Headless = FindOfficeOnPipe(options_.Pipe).Headless;
    session_ = session;
    return {};
}

bool TWordLibreOfficeApp::Visible() const
{
    if (session_ && !session_->Process)
        return !session_->Headless;  // an office of someone else's, as it was started
    return wantVisible_ && !(session_ && session_->Headless);
}

void TWordLibreOfficeApp::Show()
{
    wantVisible_ = true;
}

std::unique_ptr<TWordDoc> TWordLibreOfficeApp::AddDocument(const std::string& templateFile, bool visible,
                                                           std::string& error)
{
    error.clear();
    std::string file = templateFile;
    if (!FileExists(file)) {
        const std::string found = FindWordTemplateFile(templateFile);
        if (!found.empty())
            file = found;
    }
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        error = OfficeText("TemplateReadMsg", "The template \"%s\" cannot be read: %s.",
                           {PathForDisplay(file), std::strerror(errno)});
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        error = OfficeText("TemplateNotFileMsg", "The template \"%s\" is not a file.", {PathForDisplay(file)});
        return nullptr;
    }
    // The office would ask for the password in a dialog nobody may see.
    if (IsProtectedFile(file)) {
        error = TemplateUnusableText(file, ProtectedTemplateReason());
        return nullptr;
    }
    if (!session_ || session_->Lost) {
        bool attached = false;
        error = Connect(attached);
        if (!error.empty())
            return nullptr;
    }
    if (visible && session_->Headless && !session_->Process && HasDisplay()) {
        error = ReplaceWindowlessOffice();
        if (!error.empty())
            return nullptr;
    }
    Reference<css::uno::XInterface> model;
    bool textDocument = true;
    std::shared_ptr<TSession> session = session_;
    error = session->Call(options_.LoadSeconds, [&] {
        // A new untitled document from the template, and no macro of it runs.
        const Sequence<css::beans::PropertyValue> arguments = Properties({
            Property("AsTemplate", Value(true)),
            Property("Hidden", Value(!visible)),
            Property("MacroExecutionMode", Value(css::document::MacroExecMode::NEVER_EXECUTE)),
        });
        Reference<css::frame::XComponentLoader> loader(session->Desktop, UNO_QUERY_THROW);
        Reference<css::lang::XComponent> component =
            loader->loadComponentFromURL(FileUrl(file), "_blank", 0, arguments);
        if (!component.is())
            return OfficeText("CannotOpenMsg", "LibreOffice cannot open it.");
        model.set(component, UNO_QUERY);
        if (!Reference<css::text::XTextDocument>(component, UNO_QUERY).is()) {
            textDocument = false;
            Reference<css::util::XCloseable> closeable(component, UNO_QUERY);
            if (closeable.is())
                closeable->close(true);
            return std::string();
        }
        // A file no filter recognises is read as plain text: that is no template.
        if (const std::string filter = LoadedFilter(model); filter.rfind("Text", 0) == 0 && !IsTextFile(file)) {
            Reference<css::util::XCloseable> closeable(component, UNO_QUERY);
            if (closeable.is())
                closeable->close(true);
            model.clear();
            return OfficeText("PlainTextMsg",
                              "LibreOffice can read it only as plain text; it is damaged or no word-processor file.");
        }
        if (visible && !session->Headless)
            BringToFront(model);
        return std::string();
    });
    if (error.empty() && !textDocument)
        error = OfficeText("NotTextMsg", "it is not a text document.");
    if (!error.empty()) {
        error = TemplateUnusableText(file, error);
        return nullptr;
    }
    session->Remember(model, this);
    if (visible)
        session->MarkShown(model);
    return std::make_unique<TWordLibreOfficeDoc>(session, model, file, visible);
}

std::string TWordLibreOfficeApp::ReplaceWindowlessOffice()
{
    const TOfficeOnPipe office = FindOfficeOnPipe(options_.Pipe);
    std::shared_ptr<TSession> session = session_;
    bool idle = false;
    std::string error = session->Call(options_.CallSeconds, [&] {
        const Reference<css::container::XEnumerationAccess> components = session->Desktop->getComponents();
        idle = !components.is() || !components->createEnumeration()->hasMoreElements();
        return std::string();
    });
    if (!error.empty())
        return error;
    if (!idle || office.OwnedByTavix)
        return WindowlessOfficeText();
    // It may go before it answers: what counts is that it goes.
    std::ignore = session->Call(options_.CallSeconds, [&] {
        session->Desktop->terminate();
        return std::string();
    });
    Release();
    const auto deadline = TClock::now() + std::chrono::seconds(kShutdownSeconds);
    while (FindOfficeOnPipe(options_.Pipe).Pid != 0) {
        if (TClock::now() >= deadline)
            return WindowlessOfficeText();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    bool attached = false;
    return Connect(attached);
}

std::string TWordLibreOfficeApp::UserTemplateFolder()
{
    if (!session_ || session_->Lost) {
        bool attached = false;
        if (!Connect(attached).empty())
            return {};
    }
    std::string folder;
    std::shared_ptr<TSession> session = session_;
    const std::string error = session->Call(options_.CallSeconds, [&] {
        Reference<css::beans::XPropertySet> paths(session->Context->getServiceManager()->createInstanceWithContext(
                                                      "com.sun.star.util.PathSettings", session->Context),
                                                  UNO_QUERY_THROW);
        OUString url;
        paths->getPropertyValue("Template_writable") >>= url;
        if (!PathOfFileUrl(url, folder))
            folder.clear();
        return std::string();
    });
    if (!error.empty() || folder.empty())
        return {};
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

void TWordLibreOfficeApp::Quit()
{
    if (session_ && started_ && session_->Owned())
        session_->Shutdown(this);
    Release();
    wantVisible_ = false;
}

int TWordLibreOfficeApp::StartedProcessGroup() const
{
    return session_ && started_ && session_->Owned() ? static_cast<int>(session_->Process->Pid()) : 0;
}
