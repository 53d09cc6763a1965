// The grid model at scale: a million cells filled, banded and edited, each next to a plain
// standard-library baseline measured in the same run. Counters: bytes per cell held by the
// grid, and the ratio to the baseline where there is one.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "vekgrid/common/number_text.h"
#include "vekgrid/hostgrid/host_grid.h"

using namespace vekgrid;

namespace {

constexpr int kRows = 100000, kCols = 10;

std::string Cell_Text(int r, int c) {
    return "r" + std::to_string(r) + "c" + std::to_string(c);
}

double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Fill_Grid(Host_Grid& grid) {
    grid.Cols(kCols);
    grid.Rows(kRows + 1);
    for (int r = 1; r <= kRows; ++r)
        for (int c = 0; c < kCols; ++c) grid.TextMatrix(r, c, Cell_Text(r, c));
}

void Band(Host_Grid& grid) {
    grid.FillStyle(1);
    grid.Row(1);
    grid.Col(1);
    grid.RowSel(kRows);
    grid.ColSel(kCols - 1);
    grid.CellBackColor(0xCFFFFF);
    for (int r = 2; r <= kRows; r += 2) {
        grid.Row(r);
        grid.RowSel(r);
        grid.ColSel(kCols - 1);
        grid.CellBackColor(0xFFFFFF);
    }
    grid.FillStyle(0);
}

void BM_Fill_Million_Cells(benchmark::State& state) {
    double ours = 0, baseline = 0;
    size_t bytes = 0;
    for (auto _ : state) {
        ours += Seconds([&] {
            Host_Grid grid;
            Fill_Grid(grid);
            bytes = grid.Memory_Bytes();
            benchmark::DoNotOptimize(grid.TextMatrix(kRows, 1));
        });
        baseline += Seconds([&] {
            std::vector<std::vector<std::string>> table(kRows + 1, std::vector<std::string>(kCols));
            for (int r = 1; r <= kRows; ++r)
                for (int c = 0; c < kCols; ++c) table[r][c] = Cell_Text(r, c);
            benchmark::DoNotOptimize(table[kRows][1]);
        });
    }
    state.counters["ratio_vs_vectors"] = ours / baseline;
    state.counters["bytes_per_cell"] = static_cast<double>(bytes) / (kRows * kCols);
    state.counters["MB"] = static_cast<double>(bytes) / (1024 * 1024);
}
BENCHMARK(BM_Fill_Million_Cells)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Band_Million_Cells(benchmark::State& state) {
    Host_Grid grid;
    Fill_Grid(grid);
    for (auto _ : state) Band(grid);
    state.counters["bytes_per_cell"] = static_cast<double>(grid.Memory_Bytes()) / (kRows * kCols);
}
BENCHMARK(BM_Band_Million_Cells)->Unit(benchmark::kMillisecond);

void BM_Format_Whole_Column(benchmark::State& state) {
    Host_Grid grid;
    Fill_Grid(grid);
    Color color = 0;
    for (auto _ : state) {
        grid.FillStyle(1);
        grid.Row(1);
        grid.Col(3);
        grid.RowSel(kRows);
        grid.CellBackColor(++color);
        grid.CellFontBold(color % 2);
        grid.FillStyle(0);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_Format_Whole_Column)->Unit(benchmark::kMillisecond);

void BM_AddItem_RemoveItem_Middle(benchmark::State& state) {
    Host_Grid grid;
    Fill_Grid(grid);
    std::vector<std::vector<std::string>> baseline(kRows + 1, std::vector<std::string>(kCols));
    double ours = 0, plain = 0;
    for (auto _ : state) {
        ours += Seconds([&] {
            grid.AddItem("a\tb\tc", kRows / 2);
            grid.RemoveItem(kRows / 2);
        });
        plain += Seconds([&] {
            baseline.insert(baseline.begin() + kRows / 2, std::vector<std::string>(kCols));
            baseline.erase(baseline.begin() + kRows / 2);
        });
    }
    state.counters["ratio_vs_vector_insert"] = ours / plain;
}
BENCHMARK(BM_AddItem_RemoveItem_Middle)->Unit(benchmark::kMicrosecond);

void BM_Sort_Rows(benchmark::State& state) {
    Host_Grid grid;
    grid.Cols(kCols);
    grid.Rows(kRows + 1);
    std::vector<std::string> keys;
    for (int r = 1; r <= kRows; ++r) {
        keys.push_back(std::to_string((r * 7919) % 100003));
        grid.TextMatrix(r, 1, keys.back());
    }
    double ours = 0, plain = 0;
    for (auto _ : state) {
        ours += Seconds([&] {
            grid.Row(1);
            grid.Col(1);
            grid.RowSel(kRows);
            grid.Sort(state.iterations() % 2 ? Sort_Kind::Numeric_Ascending
                                             : Sort_Kind::Numeric_Descending);
        });
        plain += Seconds([&] {
            std::vector<double> numbers;
            numbers.reserve(keys.size());
            for (const auto& k : keys) numbers.push_back(std::stod(k));
            std::stable_sort(numbers.begin(), numbers.end());
            benchmark::DoNotOptimize(numbers.data());
        });
    }
    state.counters["ratio_vs_stable_sort"] = ours / plain;
}
BENCHMARK(BM_Sort_Rows)->Unit(benchmark::kMillisecond);

// Generic sort of numeric texts: the grid (keys read from the cells, whole rows moved) against
// std::stable_sort of the same texts with the same number-or-text comparison.
void BM_Sort_Generic(benchmark::State& state) {
    Host_Grid grid;
    grid.Cols(kCols);
    grid.Rows(kRows + 1);
    std::vector<std::string> keys;
    for (int r = 1; r <= kRows; ++r) keys.push_back(std::to_string((r * 7919) % 100003));
    struct Key {
        const std::string* text;
        bool is_number;
        double number;
    };
    double ours = 0, plain = 0;
    for (auto _ : state) {
        for (int r = 1; r <= kRows; ++r) grid.TextMatrix(r, 1, keys[static_cast<size_t>(r - 1)]);
        ours += Seconds([&] {
            grid.Row(1);
            grid.Col(1);
            grid.RowSel(kRows);
            grid.Sort(Sort_Kind::Generic_Ascending);
        });
        plain += Seconds([&] {
            std::vector<Key> sorted;
            sorted.reserve(keys.size());
            for (const auto& k : keys) {
                auto n = Parse_Number(k);
                sorted.push_back({&k, n.has_value(), n.value_or(0)});
            }
            std::stable_sort(sorted.begin(), sorted.end(), [](const Key& a, const Key& b) {
                if (a.is_number && b.is_number) return a.number < b.number;
                return *a.text < *b.text;
            });
            benchmark::DoNotOptimize(sorted.data());
        });
    }
    state.counters["ratio_vs_stable_sort"] = ours / plain;
}
BENCHMARK(BM_Sort_Generic)->Unit(benchmark::kMillisecond);

// Hit-testing near the scroll position of a million-row grid right after a row height changed
// there: the row sums are redone only from the changed row to the hit.
void BM_Pointer_After_Height_Change(benchmark::State& state) {
    Host_Grid grid;
    grid.Rows(kRows * 10);
    grid.Cols(2);
    grid.TopRow(kRows * 5);
    int flip = 0;
    for (auto _ : state) {
        grid.RowHeight(kRows * 5 + 3, (flip ^= 1) ? 0 : 240);
        grid.Pointer_At(1000, 2000);
        benchmark::DoNotOptimize(grid.MouseRow());
    }
}
BENCHMARK(BM_Pointer_After_Height_Change);

}  // namespace

BENCHMARK_MAIN();
