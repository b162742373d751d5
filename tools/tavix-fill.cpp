// tavix-fill: makes word-processor documents from templates, document data or a CSV
// table without the window, and lists the bookmarks of a word-processor template.
//
//   tavix-fill FILE.TXL|FILE.DXL ... [-o OUT]
//   tavix-fill --csv ROWS.csv TEMPLATE.TXL [-o FOLDER]
//   tavix-fill --list-bookmarks WORDTEMPLATE
//   --backend embedded|libreoffice, --help
//
// It goes the window's way (the same template lookup, bookmark filling and log), but
// saves each document instead of opening it, so it needs no display. CSV values pass
// the very checks of the answer dialogs. Exit status: 0 all written, 1 some failed,
// 2 usage.
#include <unistd.h>

#include <exception>
#include <functional>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "config/USprache.h"
#include "core/UDokument.h"
#include "core/UEingabePruefung.h"
#include "core/UTAObjs.h"
#include "word/UWordBackend.h"
#include "word/UWordErzeugung.h"
#include "datetime/UClock.h"
#include "datetime/UDatumzeit.h"
#include "datetime/ULocale.h"
#include "env/UCodec.h"
#include "env/UDateien.h"
#include "env/VControl.h"
#include "tools/UCsvLeser.h"

namespace fs = std::filesystem;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr std::uintmax_t kMaxCsvBytes = 256ull * 1024 * 1024;

const char* const kUsage = "Usage:\n"
                           "  tavix-fill [--backend NAME] [--pdf|--pdf-only] FILE.TXL|FILE.DXL ... [-o OUT]\n"
                           "  tavix-fill [--backend NAME] [--pdf|--pdf-only] --csv ROWS.csv TEMPLATE.TXL [-o FOLDER]\n"
                           "  tavix-fill [--backend NAME] --list-bookmarks WORDTEMPLATE\n"
                           "  tavix-fill --help\n";

const char* const kHelp = "\n"
                          "Makes word-processor documents from Tavix templates (.TXL) and document data (.DXL):\n"
                          "every answer goes into the bookmark named by its field's ID, in a new document made\n"
                          "from the file's word-processor template. The documents are saved, never opened.\n"
                          "\n"
                          "  FILE ...              one document per file, named after the file\n"
                          "  --csv ROWS.csv        one document per row of a UTF-8 CSV table (RFC 4180) filled\n"
                          "                        into TEMPLATE.TXL: the header row names field IDs, fields\n"
                          "                        without a column keep the template's answers; every value\n"
                          "                        is checked like an answer typed in the program, and a row\n"
                          "                        that fails gives no document\n"
                          "  --list-bookmarks WORDTEMPLATE\n"
                          "                        prints the bookmarks of a word-processor template\n"
                          "                        (.dot, .dotx, .dotm, .ott; the extension may be left out)\n"
                          "  -o, --output OUT      the folder for the documents (default: the current folder),\n"
                          "                        or with one FILE the document's file name; existing files\n"
                          "                        in a folder are never replaced: \" (2)\", \" (3)\" ... are added\n"
                          "  --pdf                 writes a PDF of each document beside it (made by LibreOffice,\n"
                          "                        which must be installed; one office serves the whole run)\n"
                          "  --pdf-only            writes only the PDF of each document\n"
                          "  --backend NAME        the word processor for every template: embedded (needs no\n"
                          "                        office suite) or libreoffice; by default a binary .dot\n"
                          "                        template goes to LibreOffice and every other format to the\n"
                          "                        embedded engine\n"
                          "  -h, --help            shows this help\n"
                          "\n"
                          "The written files are printed on standard output, problems on standard error.\n"
                          "Exit status: 0 all documents written, 1 some failed, 2 usage error.\n";

// ---- Output ------------------------------------------------------------------------------

// The progress bar on standard error; messages clear it and it is drawn again after them.
class TFortschritt {
public:
    void Start(int total)
    {
        total_ = total;
        done_ = 0;
        enabled_ = total > 1 && ::isatty(STDERR_FILENO) == 1;
        Draw();
    }
    void Step()
    {
        ++done_;
        Draw();
    }
    void Clear()
    {
        if (shown_)
            std::cerr << "\r\033[K" << std::flush;
        shown_ = false;
    }
    void Redraw()
    {
        if (enabled_)
            Draw();
    }
    void Finish()
    {
        Clear();
        enabled_ = false;
    }

private:
    void Draw()
    {
        if (!enabled_ || total_ <= 0)
            return;
        constexpr int kWidth = 30;
        const int filled = done_ * kWidth / total_;
        std::cerr << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
                  << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] " << done_ << "/" << total_
                  << std::flush;
        shown_ = true;
    }

    int total_ = 0;
    int done_ = 0;
    bool enabled_ = false;
    bool shown_ = false;
};

TFortschritt g_fortschritt;

// Texts of the program are single-byte; the terminal wants UTF-8 and "\n" line ends.
std::string ConsoleText(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            out += text[i];
    return Windows1252ToUtf8(out);
}

// A problem; context is a file name (file-system bytes) or empty.
void Report(const std::string& context, const std::string& utf8Text)
{
    g_fortschritt.Clear();
    std::cerr << "tavix-fill: " << (context.empty() ? "" : context + ": ") << utf8Text << "\n";
    g_fortschritt.Redraw();
}

void PrintWritten(const std::string& path)
{
    g_fortschritt.Clear();
    std::cout << path << std::endl;
    g_fortschritt.Redraw();
}

// Every message of the program goes to standard error, with the file being worked on.
class TKonsolenMeldungen : public TMeldungsZiel {
public:
    int MsgDlg(const std::string& text, TMsgKind kind, TMsgButtons buttons, int) override
    {
        Report(Context, ConsoleText(text));
        if (kind == TMsgKind::Error || kind == TMsgKind::Warning)
            ++Errors;
        return buttons.Contains(TMsgButton::OK) ? mrOk : mrCancel;
    }
    void StockMessage(const std::string& text, TStockIcon icon) override
    {
        Report(Context, ConsoleText(text));
        if (icon == TStockIcon::Error)
            ++Errors;
    }

    std::string Context;
    int Errors = 0;
};

// ---- The command line ---------------------------------------------------------------

enum class TModus { Files, Csv, ListBookmarks, Help };

struct TOptionen {
    TModus Modus = TModus::Files;
    std::vector<std::string> Inputs;
    std::string Csv;
    std::string WordTemplate;
    std::optional<std::string> Output;
    std::optional<TWordBackend> Backend;  // unset: each template's format decides
    bool Pdf = false;                     // a PDF of each document too
    bool PdfOnly = false;                 // only the PDF
};

// Reads the arguments; false with the complaint for a usage error.
bool ParseArguments(int argc, char** argv, TOptionen& options, std::string& problem)
{
    bool csv = false;
    bool list = false;
    bool backendGiven = false;
    bool onlyFiles = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (onlyFiles || arg == "-" || arg.empty() || arg[0] != '-') {
            options.Inputs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyFiles = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            options.Modus = TModus::Help;
            return true;
        }
        if (arg == "--pdf" || arg == "--pdf-only") {
            if (options.Pdf) {
                problem = "--pdf and --pdf-only are given more than once";
                return false;
            }
            options.Pdf = true;
            options.PdfOnly = arg == "--pdf-only";
            continue;
        }
        // Options with a value: "--name value" or "--name=value".
        std::string name = arg;
        std::optional<std::string> value;
        if (const std::size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        if (name != "-o" && name != "--output" && name != "--csv" && name != "--list-bookmarks" &&
            name != "--backend") {
            problem = "unknown option " + arg;
            return false;
        }
        if (!value) {
            if (i + 1 >= argc) {
                problem = name + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (value->empty()) {
            problem = name + " needs a value";
            return false;
        }
        if (name == "-o" || name == "--output") {
            if (options.Output) {
                problem = "-o is given twice";
                return false;
            }
            options.Output = *value;
        } else if (name == "--csv") {
            if (csv) {
                problem = "--csv is given twice";
                return false;
            }
            csv = true;
            options.Csv = *value;
        } else if (name == "--list-bookmarks") {
            if (list) {
                problem = "--list-bookmarks is given twice";
                return false;
            }
            list = true;
            options.WordTemplate = *value;
        } else {
            if (backendGiven) {
                problem = "--backend is given twice";
                return false;
            }
            backendGiven = true;
            TWordBackend backend = TWordBackend::Embedded;
            if (!WordBackendFromName(*value, backend)) {
                problem = "unknown back end \"" + *value + "\" (embedded or libreoffice)";
                return false;
            }
            options.Backend = backend;
        }
    }
    if (list && options.Pdf) {
        problem = "--list-bookmarks writes no documents, so no PDF either";
        return false;
    }
    if (csv && list) {
        problem = "--csv and --list-bookmarks cannot be combined";
        return false;
    }
    if (list) {
        options.Modus = TModus::ListBookmarks;
        if (!options.Inputs.empty() || options.Output) {
            problem = "--list-bookmarks takes no other files and no -o";
            return false;
        }
        return true;
    }
    if (csv) {
        options.Modus = TModus::Csv;
        if (options.Inputs.size() != 1) {
            problem = "--csv needs exactly one TEMPLATE.TXL";
            return false;
        }
        return true;
    }
    if (options.Inputs.empty()) {
        problem = "no file given";
        return false;
    }
    return true;
}

// ---- Saving ------------------------------------------------------------------------------

bool IsFolder(const std::string& path)
{
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool Exists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));  // a dangling link is taken too
}

// Writes into folder as base + extension by write, which must not replace a file; an
// existing file is never replaced (" (2)", " (3)" ... are added).
std::string WriteNumbered(const std::string& folder, const std::string& base, const std::string& extension,
                          const std::function<std::string(const std::string& path)>& write, std::string& written)
{
    for (int number = 1; number <= kMaxNumberedName; ++number) {
        const std::string path = NumberedName(folder, base, extension, number);
        if (Exists(path))
            continue;
        const std::string error = write(path);
        if (error.empty()) {
            written = path;
            return {};
        }
        if (!Exists(path))  // else another program was quicker: the next number
            return error;
    }
    return "The folder \"" + folder + "\" has too many documents named \"" + base + "\".";
}

std::string SaveNumbered(TWordDoc& doc, const std::string& folder, const std::string& base, std::string& written)
{
    return WriteNumbered(
        folder, base, doc.Extension(), [&doc](const std::string& path) { return doc.SaveAs(path, false); }, written);
}

// Saves to exactly this file (replacing it, as asked for); a name without the
// document's extension gets it, one with another extension is refused.
std::string SaveToFile(TWordDoc& doc, const std::string& path, std::string& written)
{
    const std::string extension = doc.Extension();
    std::string target = path;
    const std::string given = fs::path(path).extension().string();
    if (given.empty())
        target += extension;
    else if (LowerAscii(given) != extension)
        return "The document is a \"" + extension + "\" file; \"" + path + "\" names another kind.";
    const std::string error = doc.SaveAs(target, true);
    if (error.empty())
        written = target;
    return error;
}

std::string Stem(const std::string& path)
{
    return fs::path(path).stem().string();
}

// Where the documents go: a folder (numbered names) or, for one FILE, a file.
struct TZiel {
    std::string Folder;
    std::string File;  // set: exactly this file
};

bool PrepareFolder(const std::string& folder)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (IsFolder(folder))
        return true;
    Report(folder, "the folder cannot be made" + (ec ? ": " + ec.message() : std::string()));
    return false;
}

// ---- One document --------------------------------------------------------------------

std::string NeverOpen(const std::string&)
{
    return {};
}

// One LibreOffice for the whole run: the first document that needs it starts it through
// a connection held here, so that every further document only attaches, and it ends with
// that connection when the run is over.
class TOfficeForTheRun {
public:
    std::unique_ptr<TWordApp> MakeApp(TWordBackend backend, std::string& error)
    {
        if (backend == TWordBackend::LibreOffice && !keeper_) {
            keeper_ = MakeWordApp(backend, error, NeverOpen);
            bool attached = false;
            // Without it each document starts its own office and reports why that fails.
            if (keeper_ && !keeper_->Connect(attached).empty())
                keeper_.reset();
        }
        return MakeWordApp(backend, error, NeverOpen);
    }
    void Release() { keeper_.reset(); }

private:
    std::unique_ptr<TWordApp> keeper_;
};

TOfficeForTheRun g_office;

// The PDFs of the run, made by LibreOffice from the written documents: one office for
// the whole run, started with the first PDF.
class TPdfAusgabe {
public:
    std::string Write(const std::string& document, const std::string& pdf, bool overwrite)
    {
        std::string error;
        if (!app_) {
            app_ = g_office.MakeApp(TWordBackend::LibreOffice, error);
            if (!app_)
                return "A PDF needs LibreOffice: " + error;
        }
        const std::unique_ptr<TWordDoc> doc = app_->AddDocument(document, false, error);
        if (!doc)
            return error;
        error = doc->SaveAs(pdf, overwrite);
        doc->Close();
        return error;
    }
    void Release() { app_.reset(); }

private:
    std::unique_ptr<TWordApp> app_;
};

TPdfAusgabe g_pdf;

// Where a document goes: into Folder as Base (numbered, never replacing a file), or to
// exactly File.
struct TAblage {
    std::string Folder;
    std::string Base;
    std::string File;
};

// A folder of the run's own for the documents that only lead to a PDF; removed at the end.
class TArbeitsordner {
public:
    ~TArbeitsordner()
    {
        if (!path_.empty()) {
            std::error_code ignored;
            fs::remove_all(path_, ignored);
        }
    }
    const std::string& Path()
    {
        if (path_.empty()) {
            std::string pattern = (fs::temp_directory_path() / "tavix-fill-XXXXXX").string();
            if (::mkdtemp(pattern.data()))
                path_ = pattern;
        }
        return path_;
    }

private:
    std::string path_;
};

TArbeitsordner g_arbeitsordner;

// The PDF of a written document: beside it under its name, or exactly at file.
std::string WritePdf(const std::string& document, const TAblage& ablage, std::string& pdf)
{
    if (ablage.File.empty())
        return WriteNumbered(
            ablage.Folder, ablage.Base, ".pdf",
            [&](const std::string& path) { return g_pdf.Write(document, path, false); }, pdf);
    // The file asked for, as SaveToFile takes it: "out", "out.pdf", or the document's "out.docx".
    const std::string given = LowerAscii(fs::path(ablage.File).extension().string());
    if (given.empty())
        pdf = ablage.File + ".pdf";
    else if (given == ".pdf")
        pdf = ablage.File;
    else if (given == LowerAscii(fs::path(document).extension().string()))
        pdf = fs::path(ablage.File).replace_extension(".pdf").string();
    else
        return "The document is a PDF; \"" + ablage.File + "\" names another kind.";
    return g_pdf.Write(document, pdf, true);
}

// Saves the document where ablage says and makes its PDF as asked; prints what it wrote.
std::string Deliver(TWordDoc& doc, const TAblage& ablage, const TOptionen& options, std::string& written)
{
    std::string error;
    if (options.PdfOnly) {
        // The document itself goes to the run's own folder and is gone with its PDF.
        const std::string& folder = g_arbeitsordner.Path();
        if (folder.empty())
            return "No temporary folder can be made for the document.";
        std::string document;
        error = SaveNumbered(doc, folder, ablage.Base, document);
        if (error.empty())
            error = WritePdf(document, ablage, written);
        std::error_code ignored;
        fs::remove(document, ignored);
    } else {
        error = ablage.File.empty() ? SaveNumbered(doc, ablage.Folder, ablage.Base, written)
                                    : SaveToFile(doc, ablage.File, written);
        if (error.empty())
            PrintWritten(written);
        if (error.empty() && options.Pdf) {
            const std::string document = written;
            const TAblage beside{fs::path(document).parent_path().string(), Stem(document),
                                 ablage.File.empty() ? std::string() : document};
            error = WritePdf(document, beside, written);
        } else if (error.empty()) {
            return {};
        }
    }
    if (error.empty())
        PrintWritten(written);
    return error;
}

// Generates the document of the loaded dokument and delivers it. True when it was written
// with every bookmark filled.
bool Generate(TDokument& dokument, const TOptionen& options, const std::string& context, const TAblage& ablage)
{
    TWordSitzung sitzung(dokument);
    if (options.Backend)
        sitzung.SetBackend(*options.Backend);
    sitzung.SetAppFactory([](TWordBackend kind, std::string& error) { return g_office.MakeApp(kind, error); });
    sitzung.SetLog([&context](const std::string& line) { Report(context, ConsoleText(line)); });
    sitzung.SetAblieferung([&](TWordDoc& doc, std::string& written) { return Deliver(doc, ablage, options, written); });
    try {
        return sitzung.GenerateDocument().Complete();
    } catch (const std::exception& failure) {
        Report(context, failure.what());
        return false;
    }
}

// ---- Files ----------------------------------------------------------------------------

int RunFiles(const TOptionen& options, TKonsolenMeldungen& meldungen)
{
    TZiel ziel;
    ziel.Folder = ".";
    if (options.Output) {
        const std::string& out = *options.Output;
        if (IsFolder(out) || out.back() == '/' || options.Inputs.size() > 1)
            ziel.Folder = out;
        else
            ziel.File = out;
    }
    if (ziel.File.empty() && !PrepareFolder(ziel.Folder))
        return kExitFailed;
    int failed = 0;
    g_fortschritt.Start(static_cast<int>(options.Inputs.size()));
    for (const std::string& input : options.Inputs) {
        meldungen.Context = input;
        TDokument dokument;
        bool ok = dokument.LoadFile(input);
        if (ok) {
            ok = Generate(dokument, options, input, {ziel.Folder, Stem(input), ziel.File});
        }
        if (!ok)
            ++failed;
        g_fortschritt.Step();
    }
    g_fortschritt.Finish();
    meldungen.Context.clear();
    if (failed > 0 && options.Inputs.size() > 1)
        Report("", std::to_string(failed) + " of " + std::to_string(options.Inputs.size()) + " documents failed");
    return failed == 0 ? kExitOk : kExitFailed;
}

// ---- CSV ----------------------------------------------------------------------------------

std::string Trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// Every line break as CR LF, as the memo dialog stores them.
std::string CrLfLines(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            out += "\r\n";
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// A date or time typed as text, read by the field's format (or the regional one).
bool ReadDateTime(const std::string& text, const std::vector<std::string>& patterns, double& value)
{
    for (const std::string& pattern : patterns) {
        int error = 0;
        const double read = DTStrToDateTime(text, pattern, error);
        if (error == 0) {
            value = read;
            return true;
        }
    }
    return false;
}

// The value a CSV cell gives the field, checked by the rule of its answer dialog; the
// problem (UTF-8) when it is refused. What a dialog offers to pick (a date, an entry) is
// read off the text first; a one-line edit cannot take a line break.
std::optional<std::string> CheckValue(const TTAFeld& field, const std::string& utf8, std::string& answer)
{
    if (const TPruefung problem = CheckRepresentable(utf8))
        return ConsoleText(problem->Text());
    std::string text;
    Utf8ToWindows1252(utf8, text);
    TAntwort given{.Text = text};
    switch (field.Type) {
    case ftMemo: given.Text = CrLfLines(text); break;
    case ftDatum:
    case ftZeit: {
        const bool date = field.Type == ftDatum;
        const std::string keyword = GetText("Basics", date ? "Today" : "Now");
        const std::vector<std::string> patterns = !field.Format.empty() ? std::vector<std::string>{field.Format}
            : date                                                      ? std::vector<std::string>{"ddddd"}
                                                                        : std::vector<std::string>{"tt", "t"};
        if (text == keyword)
            given.Value = CurrentDateTime();
        else if (!ReadDateTime(text, patterns, given.Value))
            return ConsoleText(Quoted(text) + " is not a " + (date ? "date" : "time") + " of the form " +
                               Quoted(ExpandFormat(patterns.front())));
        given.Value = date ? DatePart(given.Value) : TimePart(given.Value);
        given.Text = date ? field.DateText(given.Value) : field.TimeText(given.Value);
        break;
    }
    case ftAuswahl:
        given.Choice = FindChoice(field.VList, text);
        if (given.Choice >= 0)
            given.Text = field.VList[static_cast<std::size_t>(given.Choice)];
        break;
    default:
        if (text.find_first_of("\r\n") != std::string::npos)
            return std::string("a one-line answer cannot hold a line break");
        break;
    }
    if (const TPruefung problem = CheckAnswer(RulesOf(field), given))
        return ConsoleText(problem->Text() + (field.Type == ftAuswahl ? " (" + Quoted(text) + ")" : std::string()));
    answer = given.Text;
    return std::nullopt;
}

bool ReadFile(const std::string& path, std::string& bytes, std::string& problem)
{
    TFileBytes file = ReadFileBytes(path, kMaxCsvBytes);
    switch (file.Failure) {
    case TReadFailure::None: bytes = std::move(file.Bytes); return true;
    case TReadFailure::Open: problem = file.Error == ENOENT ? "no such file" : "cannot be read"; return false;
    case TReadFailure::NotRegular: problem = "not a file"; return false;
    case TReadFailure::TooLarge: problem = "larger than 256 MiB"; return false;
    case TReadFailure::Read: break;
    }
    problem = "cannot be read";
    return false;
}

// The rows of the template each header cell fills; false after reporting a bad header.
bool MapHeader(const std::string& csv, const TCsvZeile& header, const TDokument& dokument,
               std::vector<std::vector<int>>& columns)
{
    std::map<std::string, int> seen;
    bool ok = true;
    const std::string where = csv + ":" + std::to_string(header.Line);
    for (std::size_t c = 0; c < header.Cells.size(); ++c) {
        const std::string utf8 = Trimmed(header.Cells[c]);
        const std::string column = "column " + std::to_string(c + 1);
        std::string id;
        if (utf8.empty() || !Utf8ToWindows1252(utf8, id)) {
            Report(where, column + ": " + (utf8.empty() ? "no field ID" : "not a field ID: " + Quoted(utf8)));
            ok = false;
            continue;
        }
        if (!seen.emplace(id, static_cast<int>(c)).second) {
            Report(where, column + ": " + Quoted(utf8) + " is named twice");
            ok = false;
            continue;
        }
        std::vector<int> rows;
        for (int r = 0; r < dokument.RowCount(); ++r)
            if (dokument.Field(r)->ID == id)
                rows.push_back(r);
        if (rows.empty()) {
            Report(where, column + ": the template has no field " + Quoted(utf8));
            ok = false;
        }
        columns.push_back(std::move(rows));
    }
    return ok;
}

int RunCsv(const TOptionen& options, TKonsolenMeldungen& meldungen)
{
    const std::string& templateFile = options.Inputs.front();
    std::string bytes;
    std::string problem;
    if (!ReadFile(options.Csv, bytes, problem)) {
        Report(options.Csv, problem);
        return kExitFailed;
    }
    std::vector<TCsvZeile> rows;
    int errorLine = 0;
    if (!ParseCsv(bytes, rows, errorLine, problem)) {
        Report(options.Csv + ":" + std::to_string(errorLine), problem);
        return kExitFailed;
    }
    std::string().swap(bytes);
    if (rows.empty() || IsBlank(rows.front())) {
        Report(options.Csv, "the first row must name the field IDs");
        return kExitFailed;
    }
    TDokument dokument;
    meldungen.Context = templateFile;
    if (!dokument.LoadFile(templateFile))
        return kExitFailed;
    {
        // A missing word template is told once, not once per row.
        TWordSitzung sitzung(dokument);
        if (!sitzung.CheckWordTemplate())
            return kExitFailed;
    }
    meldungen.Context.clear();
    std::vector<std::vector<int>> columns;
    if (!MapHeader(options.Csv, rows.front(), dokument, columns))
        return kExitFailed;
    const std::string folder = options.Output.value_or(".");
    if (!PrepareFolder(folder))
        return kExitFailed;

    std::vector<const TCsvZeile*> data;
    for (std::size_t r = 1; r < rows.size(); ++r)
        if (!IsBlank(rows[r]))
            data.push_back(&rows[r]);
    const std::string base = Stem(templateFile);
    int failed = 0;
    g_fortschritt.Start(static_cast<int>(data.size()));
    for (std::size_t d = 0; d < data.size(); ++d) {
        const TCsvZeile& row = *data[d];
        const std::string number = std::to_string(d + 1);
        const std::string where = options.Csv + ":" + std::to_string(row.Line);
        bool ok = row.Cells.size() == columns.size();
        if (!ok)
            Report(where,
                   "row " + number + " has " + std::to_string(row.Cells.size()) + " values, the header " +
                       std::to_string(columns.size()));
        std::vector<std::string> answers(columns.size());
        // Every refused value of the row is named, not only the first.
        for (std::size_t c = 0; row.Cells.size() == columns.size() && c < columns.size(); ++c) {
            // Fields of one ID share the column; the first one's rules decide.
            const TTAFeld& field = *dokument.Field(columns[c].front());
            if (const auto refused = CheckValue(field, row.Cells[c], answers[c])) {
                Report(where, "row " + number + ", field " + Quoted(ConsoleText(field.ID)) + ": " + *refused);
                ok = false;
            }
        }
        if (ok) {
            for (std::size_t c = 0; c < columns.size(); ++c)
                for (int r : columns[c])
                    dokument.Field(r)->Answer = answers[c];
            meldungen.Context = where;
            ok = Generate(dokument, options, where, {folder, base + " " + number, {}});
            meldungen.Context.clear();
        }
        if (!ok)
            ++failed;
        g_fortschritt.Step();
    }
    g_fortschritt.Finish();
    if (failed > 0)
        Report("", std::to_string(failed) + " of " + std::to_string(data.size()) + " rows failed");
    return failed == 0 ? kExitOk : kExitFailed;
}

// ---- Bookmarks ----------------------------------------------------------------------------

int RunListBookmarks(const TOptionen& options, TKonsolenMeldungen& meldungen)
{
    // A name without a folder is a file here, not one in the word processor's folder.
    std::string file = options.WordTemplate;
    if (WordTemplateFolderPart(file).empty())
        file = "./" + file;
    TDokument dokument;
    TWordSitzung sitzung(dokument);
    if (options.Backend)
        sitzung.SetBackend(*options.Backend);
    sitzung.SetOpener([](const std::string&) { return std::string(); });
    meldungen.Context = options.WordTemplate;
    const int errorsBefore = meldungen.Errors;
    const TWordSitzung::TBookmarkListe names = sitzung.ListBookmarks(file);
    for (const std::string& name : names.Usable)
        std::cout << ConsoleText(name) << "\n";
    std::cout << std::flush;
    for (const std::string& utf8 : names.Unusable)
        Report(options.WordTemplate,
               "warning: the bookmark \"" + utf8 +
                   "\" is not listed: its name has characters that a field's ID cannot hold");
    return names.Ok && meldungen.Errors == errorsBefore ? kExitOk : kExitFailed;
}

}  // namespace

int main(int argc, char** argv)
{
    TOptionen options;
    std::string problem;
    if (!ParseArguments(argc, argv, options, problem)) {
        std::cerr << "tavix-fill: " << problem << "\n" << kUsage << "Try 'tavix-fill --help'.\n";
        return kExitUsage;
    }
    if (options.Modus == TModus::Help) {
        std::cout << kUsage << kHelp;
        return kExitOk;
    }

    InitLocaleSettings();
    TKonsolenMeldungen meldungen;
    SetMeldungsZiel(&meldungen);
    // The messages are the program's own, in English.
    TSprache sprache;
    sprache.Load("ENGLISH.SPR");
    SetSprache(&sprache);

    int result = kExitFailed;
    std::string error;
    // A back end asked for by name must be there before any work starts.
    if (options.Backend && !MakeWordApp(*options.Backend, error, NeverOpen)) {
        Report("", error);
    } else {
        try {
            switch (options.Modus) {
            case TModus::Files: result = RunFiles(options, meldungen); break;
            case TModus::Csv: result = RunCsv(options, meldungen); break;
            case TModus::ListBookmarks: result = RunListBookmarks(options, meldungen); break;
            case TModus::Help: break;
            }
        } catch (const std::exception& failure) {
            g_fortschritt.Finish();
            Report("", failure.what());
            result = kExitFailed;
        }
    }
    g_pdf.Release();
    g_office.Release();
    SetSprache(nullptr);
    SetMeldungsZiel(nullptr);
    return result;
}
