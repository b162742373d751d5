// Opening a template of 10,000 fields in the main window, from the start of the window
// until every row is in the list. Runs offscreen in a temporary home folder.
// Run: build/bin/bench_app
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/FHaupt.h"
#include "config/USprache.h"

namespace {

constexpr int kFields = 10000;

// Messages would wait for a human; a benchmark has none.
class TSilentMessages : public TMeldungsZiel {
public:
    int MsgDlg(const std::string&, TMsgKind, TMsgButtons, int) override { return mrCancel; }
    void StockMessage(const std::string&, TStockIcon) override {}
};

std::string MakeTemplate(const std::filesystem::path& folder)
{
    TDokument dokument;
    dokument.SetTitle("Benchmark");
    for (int i = 0; i < kFields; ++i) {
        TTAFeld* field = dokument.Field(dokument.NewField(-1));
        field->ID = "Field" + std::to_string(i);
        field->Question = "What is the value of field " + std::to_string(i) + "?";
        field->Answer = "Answer " + std::to_string(i);
    }
    const std::string path = (folder / "Large.TXL").string();
    std::ofstream(path, std::ios::binary) << dokument.FileText();
    return path;
}

void BM_OpenLargeTemplate(benchmark::State& state)
{
    const std::filesystem::path home = std::filesystem::temp_directory_path() / "tavix-bench-app";
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    TSilentMessages messages;
    SetMeldungsZiel(&messages);
    const std::string path = MakeTemplate(home);

    for (auto _ : state) {
        auto window = std::make_unique<TFMHaupt>(std::vector<std::string>{path});
        const auto* list = window->findChild<QTreeWidget*>("LV");
        if (list->topLevelItemCount() != kFields)
            state.SkipWithError("not every row is listed");
        state.PauseTiming();  // closing the window is not part of opening
        window.reset();
        state.ResumeTiming();
    }
    SetMeldungsZiel(nullptr);
    std::filesystem::remove_all(home);
}

}  // namespace

BENCHMARK(BM_OpenLargeTemplate)->Unit(benchmark::kMillisecond)->Iterations(10);

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
