// Grid model costs against plain standard-library baselines. Each pair reports the same
// counters, so the ratio reads straight off the table: Fill vs Fill_Baseline, Sort vs
// Sort_Baseline. Memory per cell is a counter on the fill.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "vekgrid/common/number_text.h"
#include "vekgrid/hostgrid/host_grid.h"

namespace {

using vekgrid::Host_Grid;

constexpr int kRows = 100'000;
constexpr int kCols = 10;

std::string Cell_Text(int r, int c) {
    return "r" + std::to_string(r) + "c" + std::to_string(c);
}

void Fill_Grid(Host_Grid& grid, int rows, int cols) {
    grid.Rows(rows + 1);
    grid.Cols(cols);
    for (int r = 1; r <= rows; ++r)
        for (int c = 0; c < cols; ++c) grid.TextMatrix(r, c, Cell_Text(r, c));
}

void Select(Host_Grid& grid, int row, int col, int row_sel, int col_sel) {
    grid.Row(row);
    grid.Col(col);
    grid.RowSel(row_sel);
    grid.ColSel(col_sel);
}

void Fill(benchmark::State& state) {
    size_t bytes = 0;
    for (auto _ : state) {
        Host_Grid grid;
        Fill_Grid(grid, kRows, kCols);
        bytes = grid.Memory_Bytes();
        benchmark::DoNotOptimize(grid.TextMatrix(kRows / 2, 3).data());
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
    state.counters["bytes_per_cell"] = static_cast<double>(bytes) / (kRows * kCols);
    state.counters["MB"] = static_cast<double>(bytes) / (1 << 20);
}
BENCHMARK(Fill)->Unit(benchmark::kMillisecond);

void Fill_Baseline(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<std::vector<std::string>> cells(kRows + 1, std::vector<std::string>(kCols));
        for (int r = 1; r <= kRows; ++r)
            for (int c = 0; c < kCols; ++c) cells[r][c] = Cell_Text(r, c);
        benchmark::DoNotOptimize(cells[kRows / 2][3].data());
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
    state.counters["bytes_per_cell"] =
        static_cast<double>(sizeof(std::string) * kCols + sizeof(std::vector<std::string>)) / kCols;
}
BENCHMARK(Fill_Baseline)->Unit(benchmark::kMillisecond);

// One format put over a whole-column selection of kRows rows, alternating between two looks
// so every iteration really rewrites the cells.
void Format_Column(benchmark::State& state) {
    Host_Grid grid;
    Fill_Grid(grid, kRows, kCols);
    grid.FillStyle(1);
    Select(grid, 1, 2, kRows, 2);
    bool bold = false;
    for (auto _ : state) {
        bold = !bold;
        grid.CellFontBold(bold);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(Format_Column)->Unit(benchmark::kMicrosecond);

// Banded back colours: every even row of all columns, row by row as the control does it.
void Band_Rows(benchmark::State& state) {
    Host_Grid grid;
    Fill_Grid(grid, kRows, kCols);
    grid.FillStyle(1);
    vekgrid::Color color = 0xDDFFDD;
    for (auto _ : state) {
        color ^= 0x000011;
        for (int r = 2; r <= kRows; r += 2) {
            Select(grid, r, 1, r, kCols - 1);
            grid.CellBackColor(color);
        }
    }
    state.SetItemsProcessed(state.iterations() * (kRows / 2) * (kCols - 1));
}
BENCHMARK(Band_Rows)->Unit(benchmark::kMillisecond);

void AddItem_RemoveItem_Middle(benchmark::State& state) {
    Host_Grid grid;
    Fill_Grid(grid, kRows, kCols);
    for (auto _ : state) {
        grid.AddItem("a\tb\tc\td", kRows / 2);
        grid.RemoveItem(kRows / 2);
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(AddItem_RemoveItem_Middle)->Unit(benchmark::kMicrosecond);

std::vector<std::string> Sort_Keys() {
    std::mt19937 random(3);
    std::vector<std::string> keys(kRows);
    for (auto& key : keys) key = std::to_string(random() % 1'000'000);
    return keys;
}

// Generic ascending sort of kRows numeric texts; whole rows (10 cells) move.
void Sort(benchmark::State& state) {
    const auto keys = Sort_Keys();
    Host_Grid grid;
    Fill_Grid(grid, kRows, kCols);
    for (auto _ : state) {
        state.PauseTiming();
        for (int r = 1; r <= kRows; ++r) grid.TextMatrix(r, 1, keys[static_cast<size_t>(r - 1)]);
        Select(grid, 1, 1, kRows, 1);
        state.ResumeTiming();
        grid.Sort(vekgrid::Sort_Kind::Generic_Ascending);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(Sort)->Unit(benchmark::kMillisecond);

// The same keys through std::stable_sort with the same number-or-text comparison, keys only.
void Sort_Baseline(benchmark::State& state) {
    const auto keys = Sort_Keys();
    struct Key {
        const std::string* text;
        bool is_number;
        double number;
    };
    for (auto _ : state) {
        std::vector<Key> sorted;
        sorted.reserve(keys.size());
        for (const auto& k : keys) {
            auto n = vekgrid::Parse_Number(k);
            sorted.push_back({&k, n.has_value(), n.value_or(0)});
        }
        std::stable_sort(sorted.begin(), sorted.end(), [](const Key& a, const Key& b) {
            if (a.is_number && b.is_number) return a.number < b.number;
            return *a.text < *b.text;
        });
        benchmark::DoNotOptimize(sorted.data());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(Sort_Baseline)->Unit(benchmark::kMillisecond);

// Hit-testing near the scroll position of a big grid right after a row height changed.
void Pointer_After_Edit(benchmark::State& state) {
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
BENCHMARK(Pointer_After_Edit);

}  // namespace

BENCHMARK_MAIN();
