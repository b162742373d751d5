#include "core/UDokument.h"

#include "config/UKonfig.h"
#include "config/USprache.h"
#include "core/UZahlen.h"
#include "datetime/ULocale.h"
#include "env/UDateien.h"
#include "env/UCodec.h"
#include "env/VControl.h"
#include "xml/UXBaum.h"
#include "xml/UXParser.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>

namespace {

const TMsgButtons kOk{TMsgButton::OK};

void ShowError(const std::string& text)
{
    MsgDlg(text, TMsgKind::Error, kOk);
}

// Bytes XML cannot carry at all (not even as a character reference): the C0 controls
// other than tab, line feed and carriage return.
bool IsUnstorableByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 && b != '\t' && b != '\n' && b != '\r';
}

// Whether the bytes are text (nothing IsUnstorableByte refuses); crLfLines tells
// whether every line already ends with CR LF, the last one included.
bool ScanText(const std::string& bytes, bool& crLfLines)
{
    const std::size_t n = bytes.size();
    crLfLines = n == 0 || (n >= 2 && bytes[n - 2] == '\r' && bytes[n - 1] == '\n');
    for (std::size_t i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x20 || b == '\t')
            continue;
        if (b == '\r') {
            crLfLines = crLfLines && i + 1 < n && bytes[i + 1] == '\n';
        } else if (b == '\n') {
            crLfLines = crLfLines && i > 0 && bytes[i - 1] == '\r';
        } else {
            return false;
        }
    }
    return true;
}

// The text with every line break made CR LF, as the file's lines end.
std::string CrLfText(const std::string& text)
{
    if (text.find_first_of("\r\n") == std::string::npos)
        return text;
    std::string lines = ToCrLfLines(text);
    const bool endsWithBreak = text.back() == '\n' || text.back() == '\r';
    if (!endsWithBreak)
        lines.resize(lines.size() - 2);  // ToCrLfLines ends every text with a line break
    return lines;
}

// A text element as the file holds it. Elements are read whitespace-normalized, so a
// text that normalizing would change (line breaks, outer or doubled blanks) is marked
// to be kept as it is; a memo's answer always is.
TXElement* AddTextElement(TXElement& parent, const char* name, const std::string& text, bool preserve = false)
{
    std::string stored = CrLfText(text);
    preserve = preserve || TXParser::Normalize(stored) != stored;
    TXElement* element = parent.AddElement(-1, name, std::move(stored));
    if (preserve)
        element->Attributes.Add("xml:space", "preserve");
    return element;
}

bool IsBlankText(const std::string& text)
{
    return Trimmed(text).empty();
}

// A limit as the file holds it. Files carry the writer's decimal separator; a file from
// a machine with the other one ("." or ",") would otherwise lose its limits silently,
// and saving it again would drop them for good.
double ReadNumber(const std::string& text, double fallback)
{
    double value = fallback;
    if (TextToNumber(text, value))
        return value;
    const char own = DecimalSeparator();
    const char other = own == ',' ? '.' : (own == '.' ? ',' : '\0');
    if (other == '\0' || text.find(other) == std::string::npos || text.find(own) != std::string::npos)
        return fallback;
    std::string converted = text;
    std::replace(converted.begin(), converted.end(), other, own);
    return TextToNumber(converted, value) ? value : fallback;
}

// The child's text into target; false (target untouched) when there is no such child.
bool ChildText(TXElement& parent, const char* name, std::string& target)
{
    const TXElement* child = parent.Children.FindFirst(name, true);
    if (!child)
        return false;
    target = child->Text;
    return true;
}

std::string WriteError(const std::string& path, const char* reason)
{
    return "Cannot write \"" + path + "\": " + reason;
}

// Only plain files are replaced: renaming over a device, a pipe or a folder would
// destroy it (or fail half-way).
std::string WriteTarget(const std::string& path, const std::string& bytes)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return WriteError(path, S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "not a regular file");
    return WriteFileAtomic(path, bytes);
}

}  // namespace

TDokument::~TDokument() = default;

void TDokument::Notify(const std::function<void(TDokumentBeobachter&)>& call) const
{
    if (observer_)
        call(*observer_);
}

// ---- State -------------------------------------------------------------------------

void TDokument::SetTitle(const std::string& title)
{
    title_ = title;
    Notify([](TDokumentBeobachter& o) { o.TitleChanged(); });
}

void TDokument::SetFileName(const std::string& fileName)
{
    fileName_ = fileName;
    nameChosen_ = !fileName.empty();
    Notify([](TDokumentBeobachter& o) { o.StateChanged(); });
}

void TDokument::SetProvisionalFileName(const std::string& fileName)
{
    SetFileName(fileName);
    nameChosen_ = false;
}

void TDokument::SetChanged(bool changed)
{
    changed_ = changed;
    Notify([](TDokumentBeobachter& o) { o.StateChanged(); });
}

void TDokument::SetWordTemplate(const std::string& wordTemplate)
{
    wordTemplate_ = wordTemplate;
    Notify([](TDokumentBeobachter& o) { o.StateChanged(); });
}

void TDokument::ApplyLanguage()
{
    newName_ = GetText("Basics", "New");
}

// ---- Rows --------------------------------------------------------------------------

TTAFeld* TDokument::Field(int row)
{
    if (row < 0 || row >= RowCount())
        return nullptr;
    return rows_[static_cast<std::size_t>(row)].get();
}

const TTAFeld* TDokument::Field(int row) const
{
    return row < 0 || row >= RowCount() ? nullptr : rows_[static_cast<std::size_t>(row)].get();
}

std::string TDokument::QuestionText(int row) const
{
    const TTAFeld* field = Field(row);
    if (!field)
        return {};
    return field->Question.empty() ? field->ID : field->QuestionDisplay();
}

std::string TDokument::AnswerText(int row) const
{
    const TTAFeld* field = Field(row);
    return field ? field->AnswerDisplay() : std::string();
}

int TDokument::InsertField(int row, std::unique_ptr<TTAFeld> field)
{
    if (!field)
        return -1;
    if (row < 0 || row > RowCount())
        row = RowCount();
    rows_.insert(rows_.begin() + row, std::move(field));
    Notify([row](TDokumentBeobachter& o) { o.RowInserted(row); });
    SetChanged(true);
    return row;
}

int TDokument::NewField(int row)
{
    auto field = std::make_unique<TTAFeld>();
    field->ID = GetText("Basics", "New");
    field->Question = field->ID;
    return InsertField(row, std::move(field));
}

bool TDokument::DeleteField(int row)
{
    if (!Field(row))
        return false;
    rows_.erase(rows_.begin() + row);
    Notify([row](TDokumentBeobachter& o) { o.RowRemoved(row); });
    SetChanged(true);
    return true;
}

void TDokument::FieldEdited(int row)
{
    if (!Field(row))
        return;
    Notify([row](TDokumentBeobachter& o) { o.RowChanged(row); });
    SetChanged(true);
}

bool TDokument::EditRow(int row, bool editDefinition, TScreenPoint position, int width)
{
    TTAFeld* field = Field(row);
    if (!field)
        return false;
    // A field's help may name a file beside its template.
    std::string helpFolder;
    FolderOf(loadedFrom_, "", helpFolder);
    // A failure inside the dialog reaches the command that asked, which shows it.
    const bool confirmed = editDefinition ? field->EditDefinition(position, width, helpFolder)
                                          : field->EditAnswer(position, width, helpFolder);
    if (confirmed)
        FieldEdited(row);
    return confirmed;
}

void TDokument::ClearFields()
{
    rows_.clear();
    Notify([](TDokumentBeobachter& o) { o.RowsReset(); });
}

// ---- Loading -----------------------------------------------------------------------

// The file's bytes as CR LF lines. Refuses, with a message naming the file, what cannot
// be a template: a missing file, one too large to hold in memory sensibly, anything but
// a plain text file.
bool TDokument::ReadFileText(const std::string& path, std::string& text) const
{
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        ShowError(FormatMsg(GetText("Basics", "FileNotFound"), {PathForDisplay(path)}));
        return false;
    }
    const std::string shown = PathForDisplay(path);  // messages are single-byte text
    const std::string notText = FormatMsg(
        TextOrFallback("FMHaupt", "FileNotTextMsg", "The file \"%s\" is not a text file and cannot be opened."),
        {shown});
    const std::string tooLarge = FormatMsg(
        TextOrFallback("FMHaupt", "FileTooLargeMsg", "The file \"%s\" is larger than 256 MB and cannot be opened."),
        {shown});
    TFileBytes file = ReadFileBytes(path, kMaxTemplateBytes);
    switch (file.Failure) {
    case TReadFailure::None: break;
    case TReadFailure::NotRegular: ShowError(notText); return false;
    case TReadFailure::TooLarge: ShowError(tooLarge); return false;
    case TReadFailure::Open:
    case TReadFailure::Read:
        ShowError(FormatMsg(GetText("FMHaupt", "FileMsg"), {shown, std::strerror(file.Error)}));
        return false;
    }
    std::string& bytes = file.Bytes;
    bool crLfLines = true;
    if (!ScanText(bytes, crLfLines)) {
        ShowError(notText);
        return false;
    }
    // Files the program wrote are CR LF lines already; only others need converting.
    text = crLfLines ? std::move(bytes) : ToCrLfLines(bytes);
    return true;
}

void TDokument::AppendLoadedFields(TXElement& docEl)
{
    for (TXElement* element = docEl.Children.FindFirst("Field", true); element; element = docEl.Children.FindNext()) {
        rows_.push_back(FieldFromElement(*element));
    }
}

bool TDokument::LoadFile(const std::string& path)
{
    ClearFields();
    std::string text;
    if (!ReadFileText(path, text))
        return false;
    bool loaded = false;
    try {
        TXParseResult parsed = TXParser::Read(text);
        std::string().swap(text);
        if (!parsed) {
            ShowError(FormatMsg(GetText("FMHaupt", "FileMsg"), {PathForDisplay(path), parsed.ErrorText}));
            return false;
        }
        const std::unique_ptr<TXBaum> tree = std::move(parsed.Tree);
        if (TXElement* docEl = tree->DocEl()) {
            std::string title;
            if (ChildText(*docEl, "Title", title))
                SetTitle(title);
            std::string wordTemplate = "Normal";
            ChildText(*docEl, "WTemplate", wordTemplate);
            wordTemplate_ = wordTemplate;
            AppendLoadedFields(*docEl);
        } else {
            wordTemplate_ = "Normal";
        }
        fileName_ = path;
        nameChosen_ = true;
        changed_ = false;
        loadedFrom_ = path;
        loaded = true;
    } catch (const std::exception& e) {
        ShowError(e.what());  // the rows read so far stay
    }
    Notify([](TDokumentBeobachter& o) {
        o.RowsReset();
        o.StateChanged();
    });
    return loaded;
}

// ---- The "Field" element -----------------------------------------------------------

std::unique_ptr<TXBaum> TDokument::FieldToTree(const TTAFeld& field)
{
    auto tree = std::make_unique<TXBaum>();
    tree->SetDeklaration(std::make_unique<TXDeklaration>());
    tree->SetDocEl(std::make_unique<TXElement>("Field", ""));
    TXElement& element = *tree->DocEl();
    AddTextElement(element, "ID", field.ID);
    AddTextElement(element, "Question", field.Question);
    AddTextElement(element, "Default", field.Answer, field.Type == ftMemo);
    element.AddElement(-1, "MaxChar", IntegerToText(field.MaxChar));
    if (TTAFeld::HasRows(field.Type))
        element.AddElement(-1, "MaxRow", IntegerToText(field.MaxRow));
    TXElement* checks = element.AddElement(-1, "Checks", "");
    checks->AddElement(-1, "Type", field.GetTypeName());
    if (TTAFeld::HasLimits(field.Type)) {
        if (!IsNoLowerLimit(field.Minimum))
            checks->AddElement(-1, "Minimum", NumberToText(field.Minimum));
        if (!IsNoUpperLimit(field.Maximum))
            checks->AddElement(-1, "Maximum", NumberToText(field.Maximum));
    }
    if (TTAFeld::HasFormat(field.Type) && !field.Format.empty())
        AddTextElement(*checks, "Format", field.Format);
    if (!field.VList.empty()) {
        TXElement* list = checks->AddElement(-1, "VList", "");
        for (const std::string& value : field.VList)
            AddTextElement(*list, "V", value);
    }
    AddTextElement(element, "Help", field.Help);
    return tree;
}

std::unique_ptr<TTAFeld> TDokument::FieldFromElement(TXElement& element)
{
    auto field = std::make_unique<TTAFeld>();
    ChildText(element, "ID", field->ID);
    ChildText(element, "Question", field->Question);
    if (field->Question.empty())
        field->Question = field->ID;
    ChildText(element, "Default", field->Answer);
    std::string text;
    if (ChildText(element, "MaxChar", text))
        TextToInteger(text, field->MaxChar);  // unreadable: the default stays
    if (ChildText(element, "MaxRow", text))
        TextToInteger(text, field->MaxRow);
    if (TXElement* checks = element.Children.FindFirst("Checks", true)) {
        // This order, whatever the file's: a "Format" overrides the one "Integer" sets.
        if (ChildText(*checks, "Type", text))
            field->SetTypeName(text);
        ChildText(*checks, "Format", field->Format);
        if (ChildText(*checks, "Minimum", text))
            field->Minimum = ReadNumber(text, NoLowerLimit);
        if (ChildText(*checks, "Maximum", text))
            field->Maximum = ReadNumber(text, NoUpperLimit);
        if (TXElement* list = checks->Children.FindFirst("VList", true))
            field->VList = ReadValueList(*list);
        ChildText(*checks, "Function", field->Function);
    }
    ChildText(element, "Help", field->Help);
    field->ApplyDefaultKeywords();
    return field;
}

std::vector<std::string> TDokument::ReadValueList(TXElement& element)
{
    std::vector<std::string> values;
    for (const TXElement* v = element.Children.FindFirst("V", true); v; v = element.Children.FindNext())
        values.push_back(v->Text);
    return values;
}

// ---- Saving ------------------------------------------------------------------------

std::unique_ptr<TXBaum> TDokument::BuildTree() const
{
    auto tree = std::make_unique<TXBaum>();
    tree->SetDeklaration(std::make_unique<TXDeklaration>());
    tree->SetDocEl(std::make_unique<TXElement>("Dialog", ""));
    TXElement* dialog = tree->DocEl();
    AddTextElement(*dialog, "Title", title_);
    AddTextElement(*dialog, "WTemplate", wordTemplate_);
    for (const auto& field : rows_) {
        const std::unique_ptr<TXBaum> fieldTree = FieldToTree(*field);
        tree->InsertTree(dialog, -1, *fieldTree);
    }
    return tree;
}

// Every text in the tree has CR LF line breaks and the writer ends every node with
// CR LF, so the serialized tree is the file's CR LF lines as it stands.
std::string TDokument::FileText() const
{
    return BuildTree()->Serialize("\t", true);
}

std::size_t TDokument::FindUnstorable(const std::string& text)
{
    const auto it = std::find_if(text.begin(), text.end(), IsUnstorableByte);
    return it == text.end() ? std::string::npos : static_cast<std::size_t>(it - text.begin());
}

std::string TDokument::CheckStorable() const
{
    auto documentText = [this](const char* element) {
        return FormatMsg(TextOrFallback("FMHaupt", "UnstorableMsg",
                                        "The file \"%s\" was not saved: \"%s\" holds a control character "
                                        "that the file cannot store."),
                         {PathForDisplay(fileName_), element});
    };
    if (FindUnstorable(title_) != std::string::npos)
        return documentText("Title");
    if (FindUnstorable(wordTemplate_) != std::string::npos)
        return documentText("WTemplate");
    for (const auto& field : rows_) {
        const std::pair<const char*, const std::string*> texts[] = {
            {"ID", &field->ID},         {"Question", &field->Question}, {"Default", &field->Answer},
            {"Format", &field->Format}, {"Help", &field->Help},
        };
        const char* culprit = nullptr;
        for (const auto& [element, text] : texts) {
            if (!culprit && FindUnstorable(*text) != std::string::npos)
                culprit = element;
        }
        for (const std::string& value : field->VList) {
            if (!culprit && FindUnstorable(value) != std::string::npos)
                culprit = "VList";
        }
        if (culprit) {
            return FormatMsg(TextOrFallback("FMHaupt", "UnstorableFieldMsg",
                                            "The file \"%s\" was not saved: \"%s\" of the field \"%s\" holds a "
                                            "control character that the file cannot store."),
                             {PathForDisplay(fileName_), culprit, field->ID});
        }
    }
    return {};
}

void TDokument::CreateDefaultFolder(const std::string& folder) const
{
    // The built-in folders below the document folder exist only once something is saved
    // there: the first "Save" after opening a template must not fail for want of them,
    // and the save dialog must not open somewhere else for want of its folder.
    if (folder.empty() ||
        (folder != FolderSetting("VerzeichnisDokumente") && folder != FolderSetting("VerzeichnisVorlagen")))
        return;
    std::error_code ignored;  // a folder that cannot be made shows as the write's error
    std::filesystem::create_directories(folder, ignored);
}

bool TDokument::WriteDocument()
{
    const std::string problem = CheckStorable();
    if (!problem.empty()) {
        ShowError(problem);
        return false;
    }
    std::string folder;
    FolderOf(fileName_, "", folder);
    CreateDefaultFolder(folder);
    std::string error;
    try {
        error = WriteTarget(fileName_, FileText());
    } catch (const std::exception& e) {
        error = e.what();
    }
    if (!error.empty()) {
        ShowError(PathForDisplay(error));  // the file routines name the file in its own bytes
        return false;
    }
    SetChanged(false);
    return true;
}

TSaveResult TDokument::Save()
{
    return SaveFile(fileName_.empty(), false);
}

TSaveResult TDokument::SaveFile(bool askName, bool asTemplate)
{
    if (fileName_.empty())
        SetProvisionalFileName(kUnnamedFile);  // stays even when the dialog is cancelled
    // A name nobody chose (the placeholder, or NewName in a language since switched)
    // would be written into the working folder: it always goes through the dialog.
    if (askName || !nameChosen_ || BaseName(fileName_) == newName_) {
        if (!saveDialog_) {
            ShowError(TextOrFallback("Basics", "NoDialogMsg", "No dialog is available for this command."));
            return TSaveResult::Cancelled;
        }
        const TSpeicherAnfrage request = SaveRequest(asTemplate);
        CreateDefaultFolder(request.InitialDir);
        std::string chosen;
        if (!saveDialog_->Execute(request, chosen) || chosen.empty())
            return TSaveResult::Cancelled;
        SetFileName(chosen);
    }
    return WriteDocument() ? TSaveResult::Saved : TSaveResult::Failed;
}

TSpeicherAnfrage TDokument::SaveRequest(bool asTemplate) const
{
    TSpeicherAnfrage request;
    request.Title = GetText("FMHaupt", "SaveTitle");
    request.Filter = GetText("FMHaupt", "SaveFilter");
    const std::string base = BaseName(fileName_);
    if (asTemplate) {
        const std::string templates = FolderSetting("VerzeichnisVorlagen");
        // A document-data file's folder is no place for a template.
        if (ExtensionOf(fileName_) == ".DXL")
            request.InitialDir = templates;
        else
            FolderOf(fileName_, templates, request.InitialDir);
        request.DefaultExt = "TXL";
        request.FileName = base + ".TXL";
        request.FilterIndex = 2;
    } else {
        FolderOf(fileName_, FolderSetting("VerzeichnisDokumente"), request.InitialDir);
        request.DefaultExt = "DXL";
        request.FileName = base + ".DXL";
        request.FilterIndex = 1;
    }
    return request;
}

std::string TDokument::DocumentDataName(const std::string& name) const
{
    std::string base = BaseName(name);
    if (base.empty())
        base = newName_;
    return FolderSetting("VerzeichnisDokumente") + base + ".DXL";
}

std::string TDokument::DefaultFolder(const std::string& key) const
{
    if (key == "VerzeichnisVorlagen")
        return DocumentFolder() + GetText("Directories", "TemplateDirName");
    if (key == "VerzeichnisDokumente")
        return DocumentFolder() + GetText("Directories", "DocDirName");
    if (key == "VerzeichnisWord" && wordFolderSource_)
        return wordFolderSource_();
    return {};
}

std::string TDokument::FolderSetting(const std::string& key) const
{
    std::string folder = Konf() ? Konf()->GetDefault(key) : std::string();
    if (IsBlankText(folder))
        folder = DefaultFolder(key);
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}
