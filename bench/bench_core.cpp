// Loading and saving a template of 10,000 fields through the document class, as the
// main window does it: read, parse, build the fields / build the tree, serialize,
// write atomically (flushed to disk). Goal: under 100 ms each. Run: build/bin/bench_core
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "core/UDokument.h"

namespace {

constexpr int kFields = 10000;

// Every type in turn, with limits, formats, value lists, help and a two-line memo.
std::unique_ptr<TTAFeld> MakeField(int i)
{
    auto field = std::make_unique<TTAFeld>();
    const std::string n = std::to_string(i);
    field->ID = "Feld" + n;
    field->Question = "Frage " + n + ": Menge < 100 & Preis > 0?";
    field->Type = i % 7;
    field->Answer = field->Type == ftMemo ? "  Zeile eins\r\nZeile zwei " + n : "Antwort " + n;
    field->MaxRow = 5;
    if (TTAFeld::HasLimits(field->Type)) {
        field->Minimum = 1;
        field->Maximum = 36526.75;
    }
    if (TTAFeld::HasFormat(field->Type))
        field->Format = field->Type == ftReal ? "0.2" : "dd.mm.yyyy";
    if (TTAFeld::HasValueList(field->Type))
        field->VList = {"eins", "zwei", "drei " + n};
    field->Help = "Hilfe zu Feld " + n;
    return field;
}

struct TBenchFile {
    TBenchFile()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavix-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            folder = pattern + "/";
        path = folder + "Vorlage.TXL";
        TDokument doc;
        doc.SetTitle("Benchmark");
        doc.SetWordTemplate("Normal");
        for (int i = 0; i < kFields; ++i)
            doc.InsertField(-1, MakeField(i));
        doc.SetFileName(path);
        ok = !folder.empty() && doc.Save() == TSaveResult::Saved;
    }
    ~TBenchFile()
    {
        std::error_code ec;
        if (!folder.empty())
            std::filesystem::remove_all(folder, ec);
    }
    std::string folder;
    std::string path;
    bool ok = false;
};

TBenchFile& File()
{
    static TBenchFile file;
    return file;
}

void BM_LoadTemplate(benchmark::State& state)
{
    TBenchFile& file = File();
    if (!file.ok) {
        state.SkipWithError("could not write the template");
        return;
    }
    for (auto _ : state) {
        TDokument doc;
        if (!doc.LoadFile(file.path) || doc.RowCount() != kFields)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(doc.RowCount());
        state.PauseTiming();  // destroying the fields is not part of loading
        doc.ClearFields();
        state.ResumeTiming();
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file.path));
}

void BM_SaveTemplate(benchmark::State& state)
{
    TBenchFile& file = File();
    TDokument doc;
    if (!file.ok || !doc.LoadFile(file.path)) {
        state.SkipWithError("could not load the template");
        return;
    }
    for (auto _ : state) {
        doc.SetChanged(true);
        if (doc.Save() != TSaveResult::Saved)
            state.SkipWithError("save failed");
    }
}

}  // namespace

BENCHMARK(BM_LoadTemplate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveTemplate)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
