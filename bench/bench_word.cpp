// The embedded word-processor engine: 1,000 documents from a template with 50 bookmarks
// (the example offer's letterhead and styles with bookmarks in the header, paragraphs,
// a table, multi-line answers, cross-references), each one read from the file, filled, its fields updated and the
// document written. Goal: 5 ms or less per document. Run: build/bin/bench_word
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "word/embedded/UWordEmbedded.h"
#include "word/embedded/UWordPackage.h"

namespace {

constexpr int kBookmarks = 50;
constexpr int kDocuments = 1000;

std::string Name(int i)
{
    return "Feld" + std::to_string(i);
}

// The example template with its text between open and close (the first of each after
// open) replaced by inner.
void Splice(TWordPackage& package, const std::string& part, const std::string& open, const std::string& close,
            const std::string& inner)
{
    TPackageBytes read = package.Read(part);
    std::string& xml = read.Bytes;
    const std::size_t start = xml.find(open);
    const std::size_t end = start == std::string::npos ? start : xml.find(close, start + open.size());
    if (!read || end == std::string::npos)
        throw std::runtime_error("the example's " + part + " has no " + open + " ... " + close);
    xml.replace(start + open.size(), end - start - open.size(), inner);
    package.Put(part, std::move(xml));
}

std::string ExampleWithParts(const char* example,
                             const std::vector<std::tuple<const char*, const char*, const char*, std::string>>& parts)
{
    std::ifstream in(std::string(TAVIX_EXAMPLES) + example, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string error;
    const std::unique_ptr<TWordPackage> package = TWordPackage::Open(std::move(bytes), error);
    if (!package)
        throw std::runtime_error(std::string(example) + ": " + error);
    for (const auto& [part, open, close, inner] : parts)
        Splice(*package, part, open, close, inner);
    TPackageBytes written = package->Write();
    if (!written)
        throw std::runtime_error(written.Error);
    return std::move(written.Bytes);
}

// The example letter's letterhead, styles and page set-up around 5 bookmarks in the
// header, 25 in paragraphs (10 of them multi-line), 20 in a table, 5 cross-references,
// and some plain text around them.
std::string BenchDotx()
{
    const auto run = [](const std::string& text) {
        return "<w:r><w:rPr><w:rFonts w:ascii=\"Arial\"/><w:sz w:val=\"22\"/></w:rPr><w:t xml:space=\"preserve\">" +
            text + "</w:t></w:r>";
    };
    const auto bookmark = [&](int i) {
        return "<w:bookmarkStart w:id=\"" + std::to_string(i) + "\" w:name=\"" + Name(i) + "\"/>" + run("[Frage") +
            run(" " + std::to_string(i) + "]") + "<w:bookmarkEnd w:id=\"" + std::to_string(i) + "\"/>";
    };
    std::string header;
    for (int i = 0; i < 5; ++i)
        header += "<w:p>" + run("Kopf ") + bookmark(i) + "</w:p>";
    std::string body;
    for (int i = 5; i < 30; ++i)
        body += "<w:p><w:pPr><w:spacing w:after=\"60\"/></w:pPr>" + run("Absatz mit etwas Text vor der Marke: ") +
            bookmark(i) + run(" und danach.") + "</w:p>";
    body += "<w:tbl><w:tblPr><w:tblW w:w=\"9000\" w:type=\"dxa\"/></w:tblPr>";
    for (int i = 30; i < kBookmarks; ++i)
        body += "<w:tr><w:tc><w:p>" + run("Frage " + std::to_string(i)) + "</w:p></w:tc><w:tc><w:p>" + bookmark(i) +
            "</w:p></w:tc></w:tr>";
    body += "</w:tbl>";
    for (int i = 0; i < 5; ++i)
        body += "<w:p>" + run("Siehe ") +
            "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>"
            " REF " +
            Name(10 + i) + " \\h </w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>" + run("alt") +
            "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r></w:p>";
    // The body keeps the example's section properties, which name its header.
    return ExampleWithParts("Angebot.dotx",
                            {{"word/document.xml", "<w:body>", "<w:sectPr", body},
                             {"word/header1.xml", "<w:p>", "</w:hdr>", "</w:p>" + header}});
}

std::string BenchOtt()
{
    const auto bookmark = [](int i) {
        return "<text:bookmark-start text:name=\"" + Name(i) + "\"/><text:span text:style-name=\"T1\">[Frage " +
            std::to_string(i) + "]</text:span><text:bookmark-end text:name=\"" + Name(i) + "\"/>";
    };
    std::string header;
    for (int i = 0; i < 5; ++i)
        header += "<text:p>Kopf " + bookmark(i) + "</text:p>";
    std::string body;
    for (int i = 5; i < 30; ++i)
        body += "<text:p text:style-name=\"Standard\">Absatz mit etwas Text vor der Marke: " + bookmark(i) +
            " und danach.</text:p>";
    body += "<table:table table:name=\"T\"><table:table-column table:number-columns-repeated=\"2\"/>";
    for (int i = 30; i < kBookmarks; ++i)
        body += "<table:table-row><table:table-cell><text:p>Frage " + std::to_string(i) +
            "</text:p></table:table-cell><table:table-cell><text:p>" + bookmark(i) +
            "</text:p></table:table-cell></table:table-row>";
    body += "</table:table>";
    for (int i = 0; i < 5; ++i)
        body += "<text:p>Siehe <text:bookmark-ref text:reference-format=\"text\" text:ref-name=\"" + Name(10 + i) +
            "\">alt</text:bookmark-ref></text:p>";
    return ExampleWithParts("Angebot.ott",
                            {{"content.xml", "<office:text>", "</office:text>", body},
                             {"styles.xml", "<style:header>", "</style:header>", header}});
}

// A private folder for the template and the documents, removed at the end.
class TFolder {
public:
    TFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavix-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp");
        Path = pattern + "/";
    }
    ~TFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
    std::string Path;
};

// One document: template file in, filled document file out (a new file each time, as
// the program writes it; without the flush to disk that replacing a file would take).
void FillDocuments(benchmark::State& state, const std::string& templateBytes, const char* extension)
{
    TFolder folder;
    const std::string templateFile = folder.Path + "Vorlage" + extension;
    std::ofstream(templateFile, std::ios::binary) << templateBytes;
    TWordEmbeddedApp app([](const std::string&) { return std::string(); });
    std::vector<std::string> answers;
    for (int i = 0; i < kBookmarks; ++i)
        answers.push_back(i % 5 == 0 ? "Zeile eins " + std::to_string(i) + "\vZeile zwei\vZeile drei"
                                     : "Antwort M\xFCller " + std::to_string(i));
    int number = 0;
    for (auto _ : state) {
        std::string error;
        auto doc = app.AddDocument(templateFile, true, error);
        if (!doc) {
            state.SkipWithError(error.c_str());
            return;
        }
        for (int i = 0; i < kBookmarks; ++i)
            if (!doc->FillBookmark(Name(i), answers[static_cast<std::size_t>(i)]).empty())
                state.SkipWithError("fill failed");
        if (!doc->UpdateFields().empty())
            state.SkipWithError("update failed");
        error = doc->SaveAs(folder.Path + "Dokument" + std::to_string(++number) + doc->Extension(), false);
        if (!error.empty())
            state.SkipWithError(error.c_str());
    }
    state.counters["documents"] = static_cast<double>(state.iterations());
}

void BM_WordEmbeddedDocx(benchmark::State& state)
{
    FillDocuments(state, BenchDotx(), ".dotx");
}
void BM_WordEmbeddedOdt(benchmark::State& state)
{
    FillDocuments(state, BenchOtt(), ".ott");
}

BENCHMARK(BM_WordEmbeddedDocx)->Iterations(kDocuments)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WordEmbeddedOdt)->Iterations(kDocuments)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
