// The open document: the fields of a template or document-data file with its title,
// word-processor template and file state, and the reading and writing of both kinds of
// file (they share one XML format; only the save dialog's settings differ).
//
// The main window owns one TDokument, lists its rows (question and answer per field)
// and learns of every change through a TDokumentBeobachter. Messages go through MsgDlg;
// the save dialog is reached through TSpeicherDialog, so nothing here needs Qt.
//
// Saving replaces the file atomically (temporary file in the same folder, flushed to
// disk, renamed over the old one): a failed save leaves the previous file as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/UTAObjs.h"
#include "env/UDateien.h"

class TXBaum;
class TXElement;

enum class TSaveResult { Saved, Cancelled, Failed };

// Files larger than this are not templates; they are refused before being read.
inline constexpr std::uint64_t kMaxTemplateBytes = kMaxTextFileBytes;

// The name an unnamed document is first saved under (the dialog proposes it).
inline constexpr const char* kUnnamedFile = "NEU";

// What the save dialog is opened with. The dialog prompts before overwriting, hides
// read-only files and insists on an existing folder.
struct TSpeicherAnfrage {
    std::string Title;       // language text "SaveTitle"
    std::string Filter;      // language text "SaveFilter": document data first, templates second
    int FilterIndex = 1;     // 1 document data, 2 templates
    std::string InitialDir;  // ends with a separator
    std::string FileName;    // proposed name, without folder
    std::string DefaultExt;  // "DXL" or "TXL", without the dot
};

class TSpeicherDialog {
public:
    TSpeicherDialog() = default;
    TSpeicherDialog(const TSpeicherDialog&) = delete;
    TSpeicherDialog& operator=(const TSpeicherDialog&) = delete;
    virtual ~TSpeicherDialog() = default;

    // Shows the dialog; true with the chosen full name, false when cancelled.
    virtual bool Execute(const TSpeicherAnfrage& request, std::string& fileName) = 0;
};

// Told of every change of the document, after it happened.
class TDokumentBeobachter {
public:
    TDokumentBeobachter() = default;
    TDokumentBeobachter(const TDokumentBeobachter&) = delete;
    TDokumentBeobachter& operator=(const TDokumentBeobachter&) = delete;
    virtual ~TDokumentBeobachter() = default;

    virtual void RowsReset() {}  // the whole list was replaced or cleared
    virtual void RowInserted(int /*row*/) {}
    virtual void RowRemoved(int /*row*/) {}
    virtual void RowChanged(int /*row*/) {}  // question or answer may show differently
    virtual void TitleChanged() {}
    virtual void StateChanged() {}  // FileName, Changed or WordTemplate
};

class TDokument {
public:
    TDokument() = default;
    TDokument(const TDokument&) = delete;
    TDokument& operator=(const TDokument&) = delete;
    ~TDokument();

    // ---- Collaborators (not owned; none is fine) -------------------------------------
    void SetBeobachter(TDokumentBeobachter* observer) { observer_ = observer; }
    void SetSpeicherDialog(TSpeicherDialog* dialog) { saveDialog_ = dialog; }
    // The word processor's own template folder, the default of "VerzeichnisWord".
    void SetWordFolderSource(std::function<std::string()> source) { wordFolderSource_ = std::move(source); }

    // ---- State -------------------------------------------------------------------------
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);
    const std::string& FileName() const { return fileName_; }
    // A name chosen by the user or derived from a loaded file (empty: none).
    void SetFileName(const std::string& fileName);
    // A name proposed for an unnamed document: saving it always asks for the real one.
    void SetProvisionalFileName(const std::string& fileName);
    bool Changed() const { return changed_; }
    void SetChanged(bool changed);
    const std::string& WordTemplate() const { return wordTemplate_; }
    void SetWordTemplate(const std::string& wordTemplate);
    // The name used for unnamed files; ApplyLanguage sets it from "New" of "Basics".
    const std::string& NewName() const { return newName_; }
    void SetNewName(const std::string& newName) { newName_ = newName; }
    void ApplyLanguage();
    // The file the current rows were last loaded from (empty before the first load);
    // FileName may since have been redirected to the document-data folder.
    const std::string& LoadedFrom() const { return loadedFrom_; }

    // ---- Rows --------------------------------------------------------------------------
    int RowCount() const { return static_cast<int>(rows_.size()); }
    // None outside the range.
    TTAFeld* Field(int row);
    const TTAFeld* Field(int row) const;
    std::string QuestionText(int row) const;  // the list's first column
    std::string AnswerText(int row) const;    // the list's second column
    // Inserts before row (appends outside 0..RowCount); returns the row it landed in.
    // Changed becomes true.
    int InsertField(int row, std::unique_ptr<TTAFeld> field);
    // A new field named after NewName, inserted as InsertField does.
    int NewField(int row);
    // Destroys the row's field; false outside the range. Changed becomes true.
    bool DeleteField(int row);
    // After the row's field was edited: observers refresh the row, Changed becomes true.
    void FieldEdited(int row);
    // Opens the answer dialog (editDefinition false) or the field editor on the row's
    // field; on a confirmed edit the row is refreshed and Changed becomes true.
    bool EditRow(int row, bool editDefinition, TScreenPoint position, int width);
    // Destroys every field and empties the list.
    void ClearFields();

    // ---- Files -------------------------------------------------------------------------
    // Replaces the rows, title, WordTemplate, FileName and Changed by the file's content;
    // reports failures itself (the list is empty after a failure). True on success.
    bool LoadFile(const std::string& path);
    // SaveFile with a dialog when there is no FileName yet.
    TSaveResult Save();
    TSaveResult SaveFile(bool askName, bool asTemplate);
    // The request SaveFile opens the dialog with for the current FileName.
    TSpeicherAnfrage SaveRequest(bool asTemplate) const;
    // The document as the file holds it (declaration and "Dialog").
    std::unique_ptr<TXBaum> BuildTree() const;
    // The exact bytes Save writes.
    std::string FileText() const;
    // The document-data folder + BaseName(name) + ".DXL" (NewName for an empty base name).
    std::string DocumentDataName(const std::string& name) const;
    // The configured folder of the key or its built-in default; ends with "/" unless empty.
    std::string FolderSetting(const std::string& key) const;
    // The built-in folder of the key, used while none is configured (empty when unknown).
    std::string DefaultFolder(const std::string& key) const;

    // ---- The "Field" element -----------------------------------------------------------
    static std::unique_ptr<TXBaum> FieldToTree(const TTAFeld& field);
    static std::unique_ptr<TTAFeld> FieldFromElement(TXElement& element);
    static std::vector<std::string> ReadValueList(TXElement& element);

    // The first character the file cannot hold (a control character other than tab,
    // line feed and carriage return), or npos.
    static std::size_t FindUnstorable(const std::string& text);
    // Empty when every text the file would hold can be stored, else the message naming
    // what cannot.
    [[nodiscard]] std::string CheckStorable() const;

private:
    void Notify(const std::function<void(TDokumentBeobachter&)>& call) const;
    bool ReadFileText(const std::string& path, std::string& text) const;
    void AppendLoadedFields(TXElement& docEl);
    bool WriteDocument();
    // Makes the folder when it is one of the built-in default folders.
    void CreateDefaultFolder(const std::string& folder) const;

    std::vector<std::unique_ptr<TTAFeld>> rows_;
    std::string title_ = "Tavix";
    std::string fileName_;
    bool nameChosen_ = false;  // fileName_ came from the user or a loaded file
    bool changed_ = false;
    std::string wordTemplate_;
    std::string newName_;
    std::string loadedFrom_;

    TDokumentBeobachter* observer_ = nullptr;
    TSpeicherDialog* saveDialog_ = nullptr;
    std::function<std::string()> wordFolderSource_;
};
