// The LibreOffice back end beside the embedded engine, in one run, from the same ".dotx"
// (the Invoice example): 20 documents through an office that is already running and
// 1,000 through the embedded engine, each one made from the template, every bookmark
// filled, its fields updated, written as ".docx" and closed. Prints milliseconds per
// document for each and their ratio. Run: build/bin/bench_libreoffice
//
// The office runs headless on a private profile in a temporary folder, on a pipe of its
// own, and is ended at the end.
#include "word/embedded/UWordEmbedded.h"
#include "word/libreoffice/UWordLibreOffice.h"

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace {

constexpr int kOfficeDocuments = 20;
constexpr int kEmbeddedDocuments = 1000;
const std::string kTemplate = std::string(TAVIX_SOURCE_DIR) + "/data/Examples/Invoice.dotx";

// One document: every bookmark gets an answer of two lines.
std::string MakeDocument(TWordApp& app, const std::string& target)
{
    std::string error;
    std::unique_ptr<TWordDoc> doc = app.AddDocument(kTemplate, false, error);
    if (!doc)
        return error;
    for (const std::string& name : doc->Bookmarks()) {
        error = doc->FillBookmark(name, name + " \xE4\xF6\xFC\v2. " + name);
        if (!error.empty())
            return error;
    }
    error = doc->UpdateFields();
    if (error.empty())
        error = doc->SaveAs(target, true);
    doc->Close();
    return error;
}

// Milliseconds per document; negative after a failure (reported).
double MillisecondsPerDocument(const char* what, int count, const std::function<std::string(int)>& make)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        const std::string error = make(i);
        if (!error.empty()) {
            std::fprintf(stderr, "%s, document %d: %s\n", what, i + 1, error.c_str());
            return -1;
        }
    }
    const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / count;
}

}  // namespace

int main()
{
    std::string folder = (std::filesystem::temp_directory_path() / "tavix-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    // The office keeps its settings under the home folder: not the user's.
    ::setenv("HOME", folder.c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    std::filesystem::create_directories(folder + "/profile/user");
    std::ofstream(folder + "/profile/user/registrymodifications.xcu")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
           "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
           "<item oor:path=\"/org.openoffice.Setup/Product\"><prop oor:name=\"ooSetupLastVersion\" oor:op=\"fuse\">"
           "<value>7.4</value></prop></item>\n</oor:items>\n";

    int result = 0;
    {
        TLibreOfficeOptions options;
        options.UserInstallation = folder + "/profile";
        options.Pipe = "tavix_bench_" + std::to_string(::getpid());
        options.Headless = true;
        TWordLibreOfficeApp office(options);
        bool attached = false;
        std::string error = office.Connect(attached);
        // The first document warms the office up (filters, fonts); it is not counted.
        if (error.empty())
            error = MakeDocument(office, folder + "/warm.docx");
        if (!error.empty()) {
            std::fprintf(stderr, "LibreOffice: %s\n", error.c_str());
            result = 1;
        }
        const double officeMs = result != 0 ? -1 : MillisecondsPerDocument("LibreOffice", kOfficeDocuments, [&](int i) {
            return MakeDocument(office, folder + "/office-" + std::to_string(i % 2) + ".docx");
        });
        office.Quit();

        TWordEmbeddedApp embedded([](const std::string&) { return std::string(); });
        const double embeddedMs = MillisecondsPerDocument("Embedded engine", kEmbeddedDocuments, [&](int i) {
            return MakeDocument(embedded, folder + "/embedded-" + std::to_string(i % 2) + ".docx");
        });

        if (officeMs > 0)
            std::printf("LibreOffice (running office):  %4d documents, %8.2f ms per document\n", kOfficeDocuments,
                        officeMs);
        if (embeddedMs > 0)
            std::printf("Embedded engine:               %4d documents, %8.2f ms per document\n", kEmbeddedDocuments,
                        embeddedMs);
        if (officeMs > 0 && embeddedMs > 0)
            std::printf("Ratio LibreOffice / embedded:  %.0f\n", officeMs / embeddedMs);
        else
            result = 1;
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return result;
}
