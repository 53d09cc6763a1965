// Row operations of the control on large grids, with the row count as the range so that the
// growth shows: each should cost time linear in the rows it touches or moves.
#include <benchmark/benchmark.h>

#include <memory>

#include "vekgrid/control/vekgrid.h"
#include "vekgrid/platform/headless/headless_platform.h"

using namespace vekgrid;

namespace {

struct Grid_Fixture {
    explicit Grid_Fixture(int rows) : control(std::make_unique<vekGRID>(platform)) {
        control->InitProperties();
        for (int c = 0; c < 5; ++c) {
            vekColumn column;
            if (c == 1) column.Allow_Formula_Input(true);
            control->Add_Column(column);
        }
        control->Rows(rows + 1);
        Host_Grid& grid = control->GridEditor();
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= 5; ++c) grid.TextMatrix(r, c, std::to_string(r * c));
    }
    Headless_Platform platform;
    std::unique_ptr<vekGRID> control;
};

void BM_AddItem_At_Row_1(benchmark::State& state) {
    Grid_Fixture f(static_cast<int>(state.range(0)));
    for (auto _ : state) f.control->AddItem("\ta\tb", Variant(std::int32_t{1}));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_AddItem_At_Row_1)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_Delete_Row_1(benchmark::State& state) {
    Grid_Fixture f(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        f.control->Delete_Row(1, true);
        state.PauseTiming();
        f.control->AddItem("\ta\tb");  // keep the size
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_Delete_Row_1)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_Hide_Row(benchmark::State& state) {
    Grid_Fixture f(static_cast<int>(state.range(0)));
    for (auto _ : state) f.control->Hide_Row(1);  // the banding pass runs over every row
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_Hide_Row)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace

BENCHMARK_MAIN();
