// The data import of a file with many distinct categories: each value is
// looked up through an index, so the time grows with the rows, not rows x items.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "files/data_import.h"
#include "model/project.h"

namespace {

void BM_ImportDistinctCategories(benchmark::State& state) {
    const auto n = static_cast<int>(state.range(0));
    std::string text = "name,size,kind\n";
    for (int i = 0; i < n; ++i) text += "item" + std::to_string(i) + "," + std::to_string(i % 97) + "," + (i % 2 ? "a" : "b") + "\n";
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    for (auto _ : state) {
        ks::CProject p;
        ks::CDataImport import;
        p.NewImportedProject("bench", [&](ks::CProject& q) { import.ImportBytes(q, bytes); });
        benchmark::DoNotOptimize(p.m_inputs.m_items.front()->ItemCount());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

}  // namespace

BENCHMARK(BM_ImportDistinctCategories)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
