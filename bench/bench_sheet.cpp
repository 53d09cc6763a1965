// Clipboard and undo on large grids, each against a baseline measured in the same run; the
// counter "ratio" is ours / baseline.
//  - paste of 100,000 x 10 cells against the host writing the same cells through Cell_Text;
//  - copy of those cells against reading them through Cell_Text and joining them;
//  - undo of a sort of 1,000,000 rows against the sort itself.
#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vekgrid/control/internals.h"
#include "vekgrid/control/vekgrid.h"
#include "vekgrid/platform/headless/headless_platform.h"

using namespace vekgrid;

namespace {

constexpr int kRows = 100000, kCols = 10;

double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A grid of text columns (one a formula column, whose cells hold plain numbers here), filled
// through the grid model so that the set-up is quick and not timed.
struct Sheet {
    Sheet(int rows, int cols) : control(std::make_unique<vekGRID>(platform)) {
        control->InitProperties();
        for (int c = 0; c < cols; ++c) {
            vekColumn column;
            if (c == 1) column.Allow_Formula_Input(true);
            control->Add_Column(column);
        }
        control->Rows(rows + 1);
        Host_Grid& grid = Internals_Of(*control).GridEditor();
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= cols; ++c)
                grid.TextMatrix(r, c,
                                "old" + std::to_string((r * 7919LL + c * 104729LL) % 1000003));
        grid.Row(1);
        grid.Col(1);
    }
    Headless_Platform platform;
    std::unique_ptr<vekGRID> control;
};

// Values of mixed length and kind, in no order; a few need quoting.
std::string Value(int r, int c) {
    const int v = static_cast<int>((r * 31337LL + c * 7919LL) % 1000003);
    switch (v % 5) {
        case 0:
            return std::to_string(v);
        case 1:
            return "item " + std::to_string(v) + " of the takeoff";
        case 2:
            return "-" + std::to_string(v % 1000) + "." + std::to_string(v % 97);
        case 3:
            return "two\tfields " + std::to_string(v);
        default:
            return "x" + std::to_string(v);
    }
}

void BM_Paste_100k_x_10(benchmark::State& state) {
    std::vector<std::vector<std::string>> values(kRows);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) values[static_cast<size_t>(r)].push_back(Value(r, c));
    // The text a spreadsheet would put on the clipboard for those cells.
    std::string text;
    {
        Sheet source(kRows, kCols);
        Host_Grid& grid = Internals_Of(*source.control).GridEditor();
        for (int r = 1; r <= kRows; ++r)
            for (int c = 1; c <= kCols; ++c)
                grid.TextMatrix(r, c,
                                values[static_cast<size_t>(r - 1)][static_cast<size_t>(c - 1)]);
        source.control->Select_All();
        text = source.control->Copy_Selection_Text();
    }
    double ours = 0, baseline = 0;
    bool ours_first = true;
    for (auto _ : state) {
        Sheet a(kRows, kCols), b(kRows, kCols);
        auto paste = [&] { ours += Seconds([&] { a.control->Paste_Text(text); }); };
        auto write = [&] {
            baseline += Seconds([&] {
                for (int r = 1; r <= kRows; ++r)
                    for (int c = 1; c <= kCols; ++c)
                        b.control->Cell_Text(
                            r, c, values[static_cast<size_t>(r - 1)][static_cast<size_t>(c - 1)]);
            });
        };
        // Alternated, so neither always runs on the memory the other just freed.
        if (ours_first)
            paste(), write();
        else
            write(), paste();
        ours_first = !ours_first;
        if (Internals_Of(*a.control).GridEditor().TextMatrix(kRows, kCols) !=
            Internals_Of(*b.control).GridEditor().TextMatrix(kRows, kCols))
            state.SkipWithError("the paste and the writes differ");
    }
    state.counters["ratio"] = ours / baseline;
}
BENCHMARK(BM_Paste_100k_x_10)->Unit(benchmark::kMillisecond)->Iterations(6);

void BM_Copy_100k_x_10(benchmark::State& state) {
    Sheet sheet(kRows, kCols);
    Host_Grid& grid = Internals_Of(*sheet.control).GridEditor();
    for (int r = 1; r <= kRows; ++r)
        for (int c = 1; c <= kCols; ++c) grid.TextMatrix(r, c, Value(r, c));
    sheet.control->Select_All();
    double ours = 0, baseline = 0;
    for (auto _ : state) {
        std::string copied, joined;
        ours += Seconds([&] { copied = sheet.control->Copy_Selection_Text(); });
        baseline += Seconds([&] {
            for (int r = 1; r <= kRows; ++r) {
                for (int c = 1; c <= kCols; ++c) {
                    if (c > 1) joined += '\t';
                    joined += sheet.control->Cell_Text(r, c);
                }
                joined += '\n';
            }
        });
        benchmark::DoNotOptimize(copied.data());
        benchmark::DoNotOptimize(joined.data());
    }
    state.counters["ratio"] = ours / baseline;
}
BENCHMARK(BM_Copy_100k_x_10)->Unit(benchmark::kMillisecond)->Iterations(3);

// The sort is the baseline; its undo puts every row back by the recorded permutation.
void BM_Undo_Sort_1M(benchmark::State& state) {
    constexpr int kBig = 1000000;
    double ours = 0, baseline = 0;
    for (auto _ : state) {
        Sheet sheet(kBig, 3);
        bool sorted = false;
        baseline += Seconds([&] {
            sheet.control->Sort_Grid(2);
            sorted = sheet.control->Can_Undo();
        });
        if (!sorted) state.SkipWithError("the sort left nothing to undo");
        ours += Seconds([&] { sheet.control->Undo(); });
    }
    state.counters["ratio"] = ours / baseline;
}
BENCHMARK(BM_Undo_Sort_1M)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
