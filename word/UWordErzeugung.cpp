#include "word/UWordErzeugung.h"

#include <exception>
#include <filesystem>
#include <set>

#include "config/UKonfig.h"
#include "config/USprache.h"
#include "core/UDokument.h"
#include "core/UTAObjs.h"
#include "env/UCodec.h"
#include "env/UDateien.h"
#include "env/VControl.h"

namespace {

constexpr const char* kUserTemplateKey = "VerzeichnisWordBenutzer";

// A word processor a query started is quit again; one that was running is left as it was.
void QuitIfStarted(TWordApp* app, bool attached)
{
    try {
        if (app && !attached)
            app->Quit();
    } catch (const std::exception&) {
        // Nothing more can be done about it here.
    }
}

std::string ErrorMarker()
{
    return UpperAscii(GetText("Basics", "Error")) + " : ";
}

bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The name without one of the template extensions; false for other files.
bool TemplateBaseName(const std::string& fileName, std::string& base)
{
    for (const std::string& extension : WordTemplateExtensions()) {
        if (fileName.size() > extension.size() && EndsWith(fileName, extension)) {
            base = fileName.substr(0, fileName.size() - extension.size());
            return true;
        }
    }
    return false;
}

}  // namespace

std::string WordTemplateFolderPart(const std::string& name)
{
    const std::size_t delimiter = name.find_last_of("/\\");
    return delimiter == std::string::npos ? std::string() : name.substr(0, delimiter + 1);
}

// Shows the busy cursor for the lifetime of the scope, however it is left.
class TWordSitzung::TBusyScope {
public:
    explicit TBusyScope(TWordSitzung& sitzung) : sitzung_(sitzung)
    {
        ++sitzung_.busyDepth_;
        if (sitzung_.busy_)
            sitzung_.busy_(true);
    }
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;
    ~TBusyScope()
    {
        --sitzung_.busyDepth_;
        if (sitzung_.busy_)
            sitzung_.busy_(false);
    }

private:
    TWordSitzung& sitzung_;
};

TWordSitzung::TWordSitzung(TDokument& dokument) : dokument_(dokument)
{
    dokument_.SetWordFolderSource([this] { return WordUserTemplateFolder(); });
}

TWordSitzung::~TWordSitzung()
{
    dokument_.SetWordFolderSource({});
}

// A message is no wait: the normal cursor is back while the user reads it.
void TWordSitzung::ShowError(const std::string& text)
{
    const int depth = busyDepth_;
    for (int i = 0; i < depth && busy_; ++i)
        busy_(false);
    MsgDlg(text, TMsgKind::Error, {TMsgButton::OK});
    for (int i = 0; i < depth && busy_; ++i)
        busy_(true);
}

void TWordSitzung::Log(const std::string& line) const
{
    if (log_)
        log_(line);
}

std::unique_ptr<TWordApp> TWordSitzung::MakeApp(std::string& error)
{
    error.clear();
    if (factory_)
        return factory_(backend_, error);
    return MakeWordApp(backend_, error, opener_);
}

// ---- The command ------------------------------------------------------------------------

TErzeugung TWordSitzung::GenerateDocument()
{
    TErzeugung result;
    TBusyScope busy(*this);
    if (!CheckWordTemplate())
        return result;
    // A tool takes the document over instead of the user: nothing is shown then.
    const bool show = !delivery_;
    bool attached = false;
    std::string error;
    std::unique_ptr<TWordApp> app = ConnectWord(show, attached, error);
    if (!app) {
        ShowError(error);
        return result;
    }
    // The last generation's document goes before the application it belongs to.
    wordDoc_.reset();
    wordApp_ = std::move(app);
    wordDoc_ = AddDocument(*wordApp_, resolvedTemplate_, show);
    // Without a document every bookmark would fail alike: the one message says it all.
    if (!wordDoc_)
        return result;
    result.FailedFields = FillBookmarks();
    error = wordDoc_->UpdateFields();
    if (!error.empty()) {
        result.UpdateFailed = true;
        ShowError(error);
    }
    error = DeliverDocument(result.WrittenFile);
    // A delivery reports what it wrote itself.
    if (!result.WrittenFile.empty() && !delivery_)
        Log(FormatMsg(TextOrFallback("FMHaupt", "DocumentWrittenMsg", "The document was saved as \"%s\"."),
                      {PathForDisplay(result.WrittenFile)}));
    if (!error.empty()) {
        ShowError(error);
        return result;
    }
    result.Generated = true;
    return result;
}

std::string TWordSitzung::DeliverDocument(std::string& writtenFile)
{
    writtenFile.clear();
    if (delivery_)
        return delivery_(*wordDoc_, writtenFile);
    // The finished document goes beside the document data it was made from.
    const std::string folder = dokument_.FolderSetting("VerzeichnisDokumente");
    std::error_code ignored;  // a folder that cannot be made shows as the write's error
    if (!folder.empty())
        std::filesystem::create_directories(folder, ignored);
    return wordDoc_->ShowDocument(folder, BaseName(dokument_.FileName()), writtenFile);
}

// The one place a template name without extension becomes a file.
std::string TWordSitzung::FindTemplate(const std::string& base, std::string& error, bool givenFile)
{
    // A stored name is looked up with the template extensions only, a file the user names
    // as it is too; then the file and the back end that can read it are chosen among the
    // formats found.
    std::error_code ignored;
    if (FindWordTemplateFile(base).empty() && !(givenFile && std::filesystem::is_regular_file(base, ignored)))
        return {};
    const TWordTemplateChoice choice = !backendChosen_ ? ChooseWordTemplate(base)
        : backend_ == TWordBackend::LibreOffice        ? ChooseWordTemplate(base, "LibreOffice", LibreOfficeAvailable())
                                                       : ChooseWordTemplate(base, "Embedded", false);
    if (choice.File.empty()) {
        if (!choice.Error.empty())
            error = choice.Error;
        return {};
    }
    if (!backendChosen_)
        backend_ = choice.Backend;
    return choice.File;
}

bool TWordSitzung::CheckWordTemplate()
{
    resolvedTemplate_.clear();
    const std::string name = dokument_.WordTemplate();
    std::string exampleName;
    std::string file;      // the ".dot" name the message shows
    std::string found;     // the template file that exists
    std::string unusable;  // why an existing template cannot be used here
    if (WordTemplateFolderPart(name).empty()) {
        // A bare name lives in the user-template folder; a stale cached folder is asked again.
        std::string folder = WordUserTemplateFolder();
        if (!folder.empty())
            found = FindTemplate(folder + name, unusable);
        if (found.empty()) {
            if (Konf())
                Konf()->SetDefault(kUserTemplateKey, "");
            folder = WordUserTemplateFolder();
            // Without a folder a bare name would be looked up in the working folder.
            if (!folder.empty())
                found = FindTemplate(folder + name, unusable);
        }
        file = folder + name + ".dot";
    } else if (SplitExamplesMarker(name, exampleName)) {
        // The full path is kept, so that a later save stores where the file really is.
        dokument_.SetWordTemplate(ExampleFolder() + exampleName);
        file = dokument_.WordTemplate() + ".dot";
        found = FindTemplate(dokument_.WordTemplate(), unusable);
    } else {
        file = name + ".dot";
        found = FindTemplate(name, unusable);
    }
    if (found.empty()) {
        ShowError(unusable.empty() ? FormatMsg(GetText("FMHaupt", "TemplateNotFoundMsg"), {PathForDisplay(file)})
                                   : unusable);
        return false;
    }
    resolvedTemplate_ = found;
    return true;
}

std::unique_ptr<TWordApp> TWordSitzung::ConnectWord(bool showIt, bool& attached, std::string& error)
{
    attached = false;
    std::unique_ptr<TWordApp> app = MakeApp(error);
    if (!app) {
        if (error.empty())
            error = "The word processor cannot be started.";
        return nullptr;
    }
    error = app->Connect(attached);
    if (!error.empty())
        return nullptr;
    // A word processor the user already runs keeps its visibility unless it is hidden.
    const bool wasVisible = attached && app->Visible();
    if (showIt && !wasVisible)
        app->Show();
    return app;
}

std::unique_ptr<TWordDoc> TWordSitzung::AddDocument(TWordApp& app, const std::string& templateName, bool visible)
{
    std::string error;
    std::unique_ptr<TWordDoc> doc;
    try {
        doc = app.AddDocument(templateName, visible, error);
    } catch (const std::exception& failure) {
        doc.reset();
        error = failure.what();
    }
    if (!doc) {
        if (error.empty())
            error = "The document cannot be created from \"" + PathForDisplay(templateName) + "\".";
        ShowError(error);
    }
    return doc;
}

std::string TWordSitzung::FillBookmark(const std::string& name, const std::string& value, int type)
{
    if (!wordDoc_)
        return "No document is open.";
    return wordDoc_->FillBookmark(name, type == ftMemo ? LineBreaksToVT(value) : value);
}

int TWordSitzung::FillBookmarks()
{
    int failed = 0;
    for (int row = 0; row < dokument_.RowCount(); ++row) {
        const TTAFeld* field = dokument_.Field(row);
        if (!field)
            continue;
        try {
            const std::string error = FillBookmark(field->ID, field->Answer, field->Type);
            if (!error.empty()) {
                ++failed;
                Log(ErrorMarker() + field->ID + "," + field->Question + "," + field->Answer);
                // A missing bookmark is the user's to mend; any other cause is the engine's to tell.
                Log(error == MissingBookmarkError(field->ID)
                        ? FormatMsg(GetText("FMHaupt", "TextmarkeMsg"), {field->ID})
                        : error);
            }
            for (const std::string& notice : wordDoc_->TakeNotices())
                Log(notice);
        } catch (const std::exception& failure) {
            ++failed;
            Log(ErrorMarker() + GetText("FMHaupt", "Document"));
            Log(failure.what());
        }
    }
    return failed;
}

// ---- Queries ----------------------------------------------------------------------------

std::string TWordSitzung::WordUserTemplateFolder()
{
    std::string folder = Konf() ? Konf()->GetDefault(kUserTemplateKey) : std::string();
    if (!folder.empty())
        return folder;
    TBusyScope busy(*this);
    try {
        bool attached = false;
        std::string error;
        std::unique_ptr<TWordApp> app = ConnectWord(false, attached, error);
        if (!app)
            return folder;
        folder = app->UserTemplateFolder();
        // An unknown folder stays empty: "/" would send bare names to the root folder.
        if (!folder.empty() && folder.back() != '/')
            folder += '/';
        if (Konf() && !folder.empty())
            Konf()->SetDefault(kUserTemplateKey, folder);
        if (!attached)
            app->Quit();
    } catch (const std::exception&) {
        // The folder stays as far as it got; the caller copes with an empty one.
    }
    return folder;
}

std::vector<std::string> TWordSitzung::ListWordTemplates(std::string& folder)
{
    std::vector<std::string> names;
    folder.clear();
    std::unique_ptr<TWordApp> app;
    bool attached = false;
    try {
        std::string error;
        // The files are listed even when the word processor cannot be reached.
        app = ConnectWord(false, attached, error);
        folder = dokument_.FolderSetting("VerzeichnisWord");
        if (folder.empty())
            return names;
        std::set<std::string> seen;
        for (const std::string& file : ListFiles(folder, "*", false, true)) {
            std::string base;
            // "~$" names are the lock files of documents open elsewhere.
            if (!TemplateBaseName(file, base) || base.rfind("~$", 0) == 0)
                continue;
            // A name in two formats is one template: the first extension wins when used.
            if (seen.insert(base).second)
                names.push_back(base);
        }
    } catch (const std::exception&) {
        // What was listed so far is the answer.
    }
    QuitIfStarted(app.get(), attached);
    return names;
}

TWordSitzung::TBookmarkListe TWordSitzung::ListBookmarks(const std::string& templateName)
{
    TBookmarkListe names;
    std::string file = templateName;
    std::string exampleName;
    if (SplitExamplesMarker(templateName, exampleName)) {
        file = ExampleFolder() + exampleName;
    } else if (WordTemplateFolderPart(templateName).empty()) {
        const std::string folder = WordUserTemplateFolder();
        if (!folder.empty())
            file = folder + templateName;
    }
    std::string error;
    if (const std::string resolved = FindTemplate(file, error, true); !resolved.empty())
        file = resolved;
    bool attached = false;
    std::unique_ptr<TWordApp> app;
    try {
        app = ConnectWord(false, attached, error);
        if (!app) {
            ShowError(error);
            return names;
        }
        if (std::unique_ptr<TWordDoc> doc = AddDocument(*app, file, false)) {
            static_cast<TBookmarkNamen&>(names) = SplitBookmarkNames(doc->BookmarkNames());
            names.Ok = true;
            doc->Close();
        }
    } catch (const std::exception& failure) {
        ShowError(failure.what());
    }
    for (const std::string& unusable : names.Unusable)
        Log(FormatMsg(TextOrFallback("FMHaupt", "UnusableBookmarkMsg",
                                     "The bookmark \"%s\" was left out: its name has characters that a field's ID "
                                     "cannot hold."),
                      {PathForDisplay(unusable)}));
    QuitIfStarted(app.get(), attached);
    return names;
}
