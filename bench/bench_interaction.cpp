// What one user action costs on grids of 10k, 100k and 1M rows: a click, an arrow key, a scroll
// step, a commit, Enter adding a row at the end and Right wrapping a row. Each action is the
// whole call a view or a host makes, timed on its own (thread CPU time) on grids built for the
// benchmark, the sizes taking turns within each iteration so that noise hits them alike. The
// counters give the median time per size and the ratio 1M / 10k, which should stay near 1.
// Building rows by typing reports the ratio of 100k rows to 10k rows, which should stay near 10.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vekgrid/control/internals.h"
#include "vekgrid/control/vekgrid.h"
#include "vekgrid/platform/headless/headless_platform.h"

using namespace vekgrid;

namespace {

constexpr int kEnter = 13, kLeft = 37, kUp = 38, kRight = 39, kDown = 40;
constexpr int kCols = 4;

double Thread_Seconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Grid {
    explicit Grid(int rows) : control(std::make_unique<vekGRID>(platform)) {
        control->InitProperties();
        control->Show();
        for (int c = 0; c < kCols; ++c) {
            vekColumn column;
            if (c == 1) column.Allow_Formula_Input(true);
            control->Add_Column(column);
        }
        control->Resize(9000, 6000);
        if (rows < 1) return;
        control->Rows(rows + 1);
        Host_Grid& g = grid();
        // Texts that differ from row to row, short as most cells are.
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= kCols; ++c) g.TextMatrix(r, c, std::to_string(r * 7 + c));
    }
    Host_Grid& grid() { return Internals_Of(*control).GridEditor(); }
    void Key(int code) {
        std::int16_t k = static_cast<std::int16_t>(code);
        Internals_Of(*control).UserControl_KeyDown(k, 0);
    }
    // The cell near the end of the grid, shown in the view as a user scrolled there.
    void Go(int row, int col) {
        grid().TopRow(std::max(1, row - 5));
        grid().Row(row);
        grid().Col(col);
    }
    void Click(int row, int col) {
        const double x = grid().ColPos(col) + 10, y = grid().RowPos(row) + 10;
        grid().User_MouseMove(0, 0, x, y);
        Internals_Of(*control).Window_Message(grid().hWnd(), 513, 0);
        grid().User_MouseDown(1, 0, x, y);
        grid().User_Click(x, y);
    }
    int Rows() { return grid().Rows(); }

    Headless_Platform platform;
    std::unique_ptr<vekGRID> control;
};

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

constexpr std::array<int, 3> kSizes{10000, 100000, 1000000};

// Runs `act` on the three grids in turn each iteration, `prepare` first and untimed. Reports
// the median microseconds per size and the 1M / 10k ratio.
void Run(benchmark::State& state, const std::function<void(Grid&)>& setup,
         const std::function<void(Grid&, int)>& prepare,
         const std::function<void(Grid&, int)>& act) {
    std::vector<std::unique_ptr<Grid>> grids;
    for (int n : kSizes) {
        grids.push_back(std::make_unique<Grid>(n));
        setup(*grids.back());
    }
    std::array<std::vector<double>, kSizes.size()> times;
    int i = 0;
    for (auto _ : state) {
        double total = 0;
        for (size_t s = 0; s < grids.size(); ++s) {
            // Alternate which size goes first.
            Grid& g = *grids[(s + static_cast<size_t>(i)) % grids.size()];
            const size_t slot = (s + static_cast<size_t>(i)) % grids.size();
            prepare(g, i);
            const double start = Thread_Seconds();
            act(g, i);
            const double spent = Thread_Seconds() - start;
            times[slot].push_back(spent);
            total += spent;
        }
        state.SetIterationTime(total);
        ++i;
    }
    const double t10k = Median(times[0]), t100k = Median(times[1]), t1m = Median(times[2]);
    state.counters["us_10k"] = t10k * 1e6;
    state.counters["us_100k"] = t100k * 1e6;
    state.counters["us_1M"] = t1m * 1e6;
    state.counters["ratio_1M_10k"] = t10k > 0 ? t1m / t10k : 0;
}

const auto kNothing = [](Grid&, int) {};

void BM_Click(benchmark::State& state) {
    Run(
        state, [](Grid& g) { g.Go(g.Rows() - 3, 1); }, kNothing,
        [](Grid& g, int i) {
            // Two cells near the end of the grid in turn; the one left is committed.
            Internals_Of(*g.control).TextEditor().Text(std::to_string(i));
            g.Click(g.Rows() - 3 + i % 2, 1 + i % 2);
        });
}
BENCHMARK(BM_Click)->UseManualTime()->Iterations(400)->Unit(benchmark::kMicrosecond);

void BM_Arrow_Key(benchmark::State& state) {
    Run(
        state, [](Grid& g) { g.Go(g.Rows() - 4, 2); }, kNothing,
        [](Grid& g, int i) { g.Key(i % 2 ? kUp : kDown); });
}
BENCHMARK(BM_Arrow_Key)->UseManualTime()->Iterations(400)->Unit(benchmark::kMicrosecond);

void BM_Scroll_Step(benchmark::State& state) {
    // The current cell near the bottom, the view scrolled a row at a time near the top: the
    // editor's place is worked out from TopRow down to the current row.
    Run(
        state, [](Grid& g) { g.Go(g.Rows() - 2, 2); }, kNothing,
        [](Grid& g, int i) { g.grid().TopRow(1 + i % 2); });
}
BENCHMARK(BM_Scroll_Step)->UseManualTime()->Iterations(400)->Unit(benchmark::kMicrosecond);

void BM_Commit(benchmark::State& state) {
    // A formula typed into a cell near the end, committed by leaving the cell.
    Run(
        state, [](Grid& g) { g.Go(g.Rows() - 3, 2); },
        [](Grid& g, int i) {
            if (g.grid().Col() != 2) g.grid().Col(2);
            Internals_Of(*g.control).TextEditor().Text("=" + std::to_string(i) + "*3");
        },
        [](Grid& g, int) { g.Key(kRight); });
}
BENCHMARK(BM_Commit)->UseManualTime()->Iterations(400)->Unit(benchmark::kMicrosecond);

void BM_Right_Wrapping_A_Row(benchmark::State& state) {
    Run(
        state, [](Grid& g) { g.Go(g.Rows() - 4, kCols); },
        [](Grid& g, int) {
            g.grid().Row(g.Rows() - 4);
            g.grid().Col(kCols);
        },
        [](Grid& g, int) { g.Key(kRight); });
}
BENCHMARK(BM_Right_Wrapping_A_Row)->UseManualTime()->Iterations(400)->Unit(benchmark::kMicrosecond);

void BM_Enter_Adding_A_Row(benchmark::State& state) {
    // Enter in the last cell of the last row adds a row (the grid grows by one per iteration,
    // which is nothing against its size).
    Run(
        state, [](Grid& g) { g.Go(g.Rows() - 1, kCols); },
        [](Grid& g, int i) {
            g.grid().Row(g.Rows() - 1);
            g.grid().Col(kCols);
            Internals_Of(*g.control).TextEditor().Text(std::to_string(i));
        },
        [](Grid& g, int) { g.Key(kEnter); });
}
BENCHMARK(BM_Enter_Adding_A_Row)->UseManualTime()->Iterations(60)->Unit(benchmark::kMicrosecond);

// A person's way of filling a grid: type a value, Enter, and at the end of the row Enter makes
// the next row. 10x the rows should take about 10x the time.
void BM_Typing_Rows(benchmark::State& state) {
    auto type_rows = [](int rows) {
        Grid g(0);
        g.control->Rows(2);
        g.grid().Row(1);
        g.grid().Col(1);
        const double start = Thread_Seconds();
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= kCols; ++c) {
                Internals_Of(*g.control).TextEditor().Text(std::to_string(r + c));
                g.Key(kEnter);
            }
        const double spent = Thread_Seconds() - start;
        benchmark::DoNotOptimize(g.Rows());
        return spent;
    };
    std::vector<double> small, large;
    int i = 0;
    for (auto _ : state) {
        const bool small_first = i++ % 2 == 0;
        double t_small = 0, t_large = 0;
        if (small_first) t_small = type_rows(10000);
        t_large = type_rows(100000);
        if (!small_first) t_small = type_rows(10000);
        small.push_back(t_small);
        large.push_back(t_large);
        state.SetIterationTime(t_small + t_large);
    }
    const double s = Median(small), l = Median(large);
    state.counters["ms_10k_rows"] = s * 1e3;
    state.counters["ms_100k_rows"] = l * 1e3;
    state.counters["ratio_100k_10k"] = s > 0 ? l / s : 0;
}
BENCHMARK(BM_Typing_Rows)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
