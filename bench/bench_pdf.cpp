// tavix-fill on a 50-row CSV table into the Invoice example (embedded engine): documents
// per second for the documents alone and for their PDFs (--pdf-only, one LibreOffice for
// the run). Each run is the whole command, office start included, as a user runs it.
// Run: build/bin/bench_pdf
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kRows = 50;
const std::string kExamples = std::string(TAVIX_SOURCE_DIR) + "/data/Examples/";

// A private home (the office's profile lives there) with the table and the questionnaire.
class TBankplatz {
public:
    TBankplatz()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavix-bench-pdf-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        Folder = pattern;
        std::ofstream csv(Folder + "/rows.csv", std::ios::binary);
        csv << "InvoiceNo\r\n";
        for (int row = 1; row <= kRows; ++row)
            csv << "2026-" << row << "\r\n";
        std::filesystem::copy_file(kExamples + "Invoice.TXL", Folder + "/Invoice.TXL");
        std::filesystem::copy_file(kExamples + "Invoice.dotx", Folder + "/Invoice.dotx");
        std::filesystem::copy_file(kExamples + "Invoice.dot", Folder + "/Invoice.dot");
    }
    ~TBankplatz() { std::filesystem::remove_all(Folder); }

    // The tool on the table into a fresh output folder; false when it failed.
    bool Run(const std::string& options) const
    {
        std::filesystem::remove_all(Folder + "/out");
        const std::string command = "cd '" + Folder + "' && env -u DISPLAY -u WAYLAND_DISPLAY HOME='" + Folder + "' '" +
            TAVIX_FILL + "' --backend embedded " + options +
            " --csv rows.csv Invoice.TXL -o out > /dev/null 2> tool.err";
        return std::system(command.c_str()) == 0;
    }

    std::string Folder;
};

void RunTable(benchmark::State& state, const std::string& options)
{
    static const TBankplatz bankplatz;
    // The first run sets the office's profile up, which a user's office has done long ago.
    if (!bankplatz.Run(options)) {
        state.SkipWithError("tavix-fill failed (see tool.err)");
        return;
    }
    for (auto _ : state)
        if (!bankplatz.Run(options))
            state.SkipWithError("tavix-fill failed");
    state.counters["documents_per_s"] = benchmark::Counter(
        static_cast<double>(kRows) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_CsvToDocuments(benchmark::State& state)
{
    RunTable(state, "");
}

void BM_CsvToPdf(benchmark::State& state)
{
    RunTable(state, "--pdf-only");
}

BENCHMARK(BM_CsvToDocuments)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CsvToPdf)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
