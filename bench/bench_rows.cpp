// Row operations of the control on large grids. Each is timed as the whole host call, next to
// a plain std::vector doing the same to the same rows' cells, alternated in one run; the
// counter "ratio" is ours / baseline. Memory is measured as resident-set growth.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vekgrid/control/internals.h"
#include "vekgrid/control/vekgrid.h"
#include "vekgrid/platform/headless/headless_platform.h"

using namespace vekgrid;

namespace {

constexpr int kCols = 5;

double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

size_t Resident_Bytes() {
    std::ifstream statm("/proc/self/statm");
    size_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4096;
}

struct Grid_Fixture {
    explicit Grid_Fixture(int rows) : control(std::make_unique<vekGRID>(platform)) {
        control->InitProperties();
        for (int c = 0; c < kCols; ++c) {
            vekColumn column;
            if (c == 1) column.Allow_Formula_Input(true);
            control->Add_Column(column);
        }
        control->Rows(rows + 1);
        Host_Grid& grid = Internals_Of(*control).GridEditor();
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= kCols; ++c) grid.TextMatrix(r, c, std::to_string(r * c));
    }
    Headless_Platform platform;
    std::unique_ptr<vekGRID> control;
};

using Table = std::vector<std::vector<std::string>>;
Table Plain_Table(int rows) {
    Table table(static_cast<size_t>(rows) + 1, std::vector<std::string>(kCols + 1));
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= kCols; ++c) table[r][c] = std::to_string(r * c);
    return table;
}

// 1,000,000 short cells written by the host through Cell_Text: resident-set growth per cell,
// the grid and its formula store together. Runs first, on a fresh heap.
void BM_Cell_Text_Memory(benchmark::State& state) {
    constexpr int kRows = 100000, kWide = 10;
    double per_cell = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const size_t before = Resident_Bytes();
        {
            Headless_Platform platform;
            vekGRID control(platform);
            control.InitProperties();
            for (int c = 0; c < kWide; ++c) {
                vekColumn column;
                if (c % 3 == 0) column.Allow_Formula_Input(true);
                control.Add_Column(column);
            }
            control.Rows(kRows + 1);
            for (int r = 1; r <= kRows; ++r)
                for (int c = 1; c <= kWide; ++c)
                    control.Cell_Text(r, c, "r" + std::to_string(r) + "c" + std::to_string(c));
            per_cell = static_cast<double>(Resident_Bytes() - before) / (kRows * kWide);
        }
        malloc_trim(0);
    }
    state.counters["rss_bytes_per_cell"] = per_cell;
}
BENCHMARK(BM_Cell_Text_Memory)->Unit(benchmark::kMillisecond)->Iterations(1);

// One row inserted at row 1 and removed again, so the grid keeps its size whatever the
// iteration count; the row's removal is not timed.
void BM_AddItem_At_Row_1(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    Grid_Fixture f(rows);
    Table table = Plain_Table(rows);
    double ours = 0, baseline = 0;
    for (auto _ : state) {
        ours += Seconds([&] { f.control->AddItem("\ta\tb", Variant(std::int32_t{1})); });
        baseline += Seconds([&] {
            table.insert(table.begin() + 1, std::vector<std::string>{"", "a", "b", "", "", ""});
            benchmark::DoNotOptimize(table.data());
        });
        state.PauseTiming();
        f.control->Delete_Row(1, true);
        table.erase(table.begin() + 1);
        state.ResumeTiming();
    }
    state.counters["ratio"] = ours / baseline;
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_AddItem_At_Row_1)
    ->RangeMultiplier(10)
    ->Range(10000, 1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_Delete_Row_1(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    Grid_Fixture f(rows);
    Table table = Plain_Table(rows);
    double ours = 0, baseline = 0;
    for (auto _ : state) {
        ours += Seconds([&] { f.control->Delete_Row(1, true); });
        baseline += Seconds([&] {
            table.erase(table.begin() + 1);
            benchmark::DoNotOptimize(table.data());
        });
        state.PauseTiming();
        f.control->AddItem("\ta\tb");  // keep the size
        table.push_back(std::vector<std::string>(kCols + 1));
        state.ResumeTiming();
    }
    state.counters["ratio"] = ours / baseline;
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_Delete_Row_1)
    ->RangeMultiplier(10)
    ->Range(10000, 1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// Hiding row 1 re-bands the rows below it; the baseline erases row 1's cells from a vector.
void BM_Hide_Row(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    Grid_Fixture f(rows);
    Table table = Plain_Table(rows);
    double ours = 0, baseline = 0;
    for (auto _ : state) {
        ours += Seconds([&] { f.control->Hide_Row(1); });
        baseline += Seconds([&] {
            table.erase(table.begin() + 1);
            benchmark::DoNotOptimize(table.data());
        });
        state.PauseTiming();
        f.control->Show_All_Rows();
        table.push_back(std::vector<std::string>(kCols + 1));
        state.ResumeTiming();
    }
    state.counters["ratio"] = ours / baseline;
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_Hide_Row)
    ->RangeMultiplier(10)
    ->Range(10000, 1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// Columns added to a grid that has rows: one column, then ten one by one on a fresh grid of
// the same size; the baseline appends one empty cell to every row of a vector table. Counters:
// ratio (one column / baseline), ten_over_one (target: at most 10).
void BM_Add_Column(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    double one = 0, ten = 0, baseline = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Grid_Fixture a(rows), b(rows);
        Table table = Plain_Table(rows);
        state.ResumeTiming();
        baseline += Seconds([&] {
            for (auto& row : table) row.emplace_back();
            benchmark::DoNotOptimize(table.data());
        });
        one += Seconds([&] { a.control->Add_Column(vekColumn()); });
        ten += Seconds([&] {
            for (int k = 0; k < 10; ++k) b.control->Add_Column(vekColumn());
        });
    }
    state.counters["ratio"] = one / baseline;
    state.counters["ten_over_one"] = ten / one;
    state.counters["one_ms"] = one * 1000 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Add_Column)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(2);

// Rows(n) adding 100,000 rows to a grid that already has 100,000, against adding them to an
// empty grid: "ratio" is the first over the second.
void BM_Rows_Grow(benchmark::State& state) {
    constexpr int kAdded = 100000;
    double onto_rows = 0, from_empty = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Grid_Fixture full(kAdded), empty(0);
        state.ResumeTiming();
        onto_rows += Seconds([&] { full.control->Rows(2 * kAdded + 1); });
        from_empty += Seconds([&] { empty.control->Rows(kAdded + 1); });
    }
    state.counters["ratio"] = onto_rows / from_empty;
    state.counters["onto_rows_ms"] = onto_rows * 1000 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Rows_Grow)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
