// Document generation: "Dokument..." makes a new word-processor document from the
// template's word-processor template, writes every answer into the bookmark named by its
// field's ID, updates the fields and leaves the document with the user. The same
// connection answers the queries of the template commands: the word processor's
// user-template folder, the templates offered, the bookmarks of one template.
//
// Everything goes through the word-processor adapter (word/UWordAdapter.h). The main
// window owns one TWordSitzung, which holds the window's WordApp and WordDoc; the log,
// the busy cursor, the back end and the program that opens a finished document are
// seams, so the program, tests and the command-line tool each fill them their own way.
// Nothing here needs Qt.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "word/UWordBackend.h"

class TDokument;

// What one generation produced.
struct TErzeugung {
    bool Generated = false;     // a document was made and handed over (written, shown)
    int FailedFields = 0;       // rows whose bookmark could not be filled (each logged)
    bool UpdateFailed = false;  // the field update failed (shown)
    std::string WrittenFile;    // the file written, when the back end wrote one

    // Made, handed over and filled without a single failure.
    bool Complete() const { return Generated && FailedFields == 0 && !UpdateFailed; }
};

class TWordSitzung {
public:
    using TLog = std::function<void(const std::string& line)>;
    // Called with true before a wait and with false after it, always in pairs; a message
    // shown during the wait ends it for as long as the user reads it.
    using TBusy = std::function<void(bool busy)>;
    // A new, not yet connected application object of the back end; null with error when
    // unavailable.
    using TAppFactory = std::function<std::unique_ptr<TWordApp>(TWordBackend backend, std::string& error)>;
    // Takes the filled document over instead of showing it (a tool saves it) and reports
    // the file itself. Returns the error text; writtenFile names the file written.
    using TAblieferung = std::function<std::string(TWordDoc& doc, std::string& writtenFile)>;

    // Installs itself as the source of the default "VerzeichnisWord" of the document.
    explicit TWordSitzung(TDokument& dokument);
    TWordSitzung(const TWordSitzung&) = delete;
    TWordSitzung& operator=(const TWordSitzung&) = delete;
    ~TWordSitzung();

    // ---- Seams ---------------------------------------------------------------------------
    void SetLog(TLog log) { log_ = std::move(log); }
    void SetBusy(TBusy busy) { busy_ = std::move(busy); }
    // The back end MakeWordApp builds (the embedded engine unless set).
    // Set here, it holds for every template, and a template name is looked up among the
    // formats it reads; otherwise each template picks its own.
    void SetBackend(TWordBackend backend)
    {
        backend_ = backend;
        backendChosen_ = true;
    }
    TWordBackend Backend() const { return backend_; }
    // The program that opens a shown document (empty: the desktop's).
    void SetOpener(TFileOpener opener) { opener_ = std::move(opener); }
    // Replaces MakeWordApp (tests).
    void SetAppFactory(TAppFactory factory) { factory_ = std::move(factory); }
    // With a delivery the document is made hidden and handed to it instead of shown.
    void SetAblieferung(TAblieferung delivery) { delivery_ = std::move(delivery); }

    // ---- The command and its steps -------------------------------------------------------
    // "Dokument...", busy while it works: failures are shown (MsgDlg) or logged; the
    // result tells what was made.
    TErzeugung GenerateDocument();
    // Resolves the document's WordTemplate to an existing template file (ResolvedTemplate
    // afterwards); shows "TemplateNotFoundMsg" and returns false when there is none.
    bool CheckWordTemplate();
    const std::string& ResolvedTemplate() const { return resolvedTemplate_; }
    // Attaches to a running word processor or starts one; made visible when showIt and it
    // was not. Null with error when it cannot be reached.
    std::unique_ptr<TWordApp> ConnectWord(bool showIt, bool& attached, std::string& error);
    // A new document of app from the template; the error is shown and null returned on failure.
    std::unique_ptr<TWordDoc> AddDocument(TWordApp& app, const std::string& templateName, bool visible);
    // Fills one bookmark of WordDoc; the error text, empty on success. A "Memo" answer's
    // line breaks become vertical tabs, the word processor's manual line breaks.
    [[nodiscard]] std::string FillBookmark(const std::string& name, const std::string& value, int type);
    // FillBookmark for every row in order; each failure is logged and the next row filled.
    // Returns the number of rows that failed.
    int FillBookmarks();

    // ---- The queries of the template commands -----------------------------------------
    // Each connects on its own and leaves WordApp and WordDoc alone: the document of the
    // last generation stays with the application it came from. A word processor a query
    // started is quit again; one that was running is left as it was.
    // The word processor's user-template folder, ending with "/"; cached in
    // "VerzeichnisWordBenutzer". Empty when it cannot be learnt.
    std::string WordUserTemplateFolder();
    // The names (without extension, each once) of the templates in the folder of
    // "VerzeichnisWord", which folder receives; lock files ("~$") are left out.
    std::vector<std::string> ListWordTemplates(std::string& folder);
    // The bookmark names of a template (a path, with or without extension, or a bare
    // name looked up in the user-template folder), in reading order, split as
    // SplitBookmarkNames splits them; each name that cannot be a field's ID is logged.
    // A word processor that cannot start or read the template is an error message, and
    // ok false.
    struct TBookmarkListe : TBookmarkNamen {
        bool Ok = false;
    };
    TBookmarkListe ListBookmarks(const std::string& templateName);

    // ---- The window's connection ---------------------------------------------------------
    TWordApp* WordApp() const { return wordApp_.get(); }
    TWordDoc* WordDoc() const { return wordDoc_.get(); }

private:
    class TBusyScope;

    std::unique_ptr<TWordApp> MakeApp(std::string& error);
    void ShowError(const std::string& text);
    // The template file of a name without extension, or of a given file with its own
    // (empty when there is none that can be used: then error may say why), choosing the
    // back end for it.
    std::string FindTemplate(const std::string& base, std::string& error, bool givenFile = false);
    [[nodiscard]] std::string DeliverDocument(std::string& writtenFile);
    void Log(const std::string& line) const;

    TDokument& dokument_;
    TLog log_;
    TBusy busy_;
    TWordBackend backend_ = TWordBackend::Embedded;
    bool backendChosen_ = false;
    TFileOpener opener_;
    TAppFactory factory_;
    TAblieferung delivery_;
    std::string resolvedTemplate_;
    int busyDepth_ = 0;  // busy scopes open now
    // The application before the document: a document never outlives its application.
    std::unique_ptr<TWordApp> wordApp_;
    std::unique_ptr<TWordDoc> wordDoc_;
};

// The folder part of a stored template name: everything up to the last "/" or "\".
std::string WordTemplateFolderPart(const std::string& name);
