// Sorting and filtering 100,000 rows, each round on a fresh grid, ours and a plain
// standard-library baseline alternated in the same run; the counter "ratio" is ours / baseline.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <functional>
#include <memory>
#include <random>
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

// Random words of letters a..y in both cases (no 'z', so "zz" never matches); column 5 holds
// a tag: "TagA" in every tenth row, "tagB" in nine rows of ten, spread at random.
std::vector<std::vector<std::string>> Table(unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::vector<std::string>> table(kRows, std::vector<std::string>(kCols));
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kCols; ++c) {
            std::string word;
            const int length = 5 + static_cast<int>(random() % 8);
            for (int i = 0; i < length; ++i) {
                const char letter = static_cast<char>('a' + random() % 25);
                word += random() % 3 ? letter : static_cast<char>(letter - 'a' + 'A');
            }
            table[static_cast<size_t>(r)][static_cast<size_t>(c)] = std::move(word);
        }
        table[static_cast<size_t>(r)][5] += random() % 10 == 0 ? "TagA" : "tagB";
    }
    return table;
}

struct Grid {
    explicit Grid(const std::vector<std::vector<std::string>>& table)
        : control(std::make_unique<vekGRID>(platform)) {
        control->InitProperties();
        for (int c = 0; c < kCols; ++c) {
            vekColumn column;
            if (c == 3) column.Allow_Formula_Input(true);
            control->Add_Column(column);
        }
        control->Rows(kRows + 1);
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c)
                control->Cell_Text(r + 1, c + 1,
                                   table[static_cast<size_t>(r)][static_cast<size_t>(c)]);
        // A few formula cells, whose sources must travel with their rows.
        for (int r = 1; r <= kRows; r += 97)
            control->Cell_Text(r, 4, "=" + std::to_string(r) + "*2");
    }
    Headless_Platform platform;
    std::unique_ptr<vekGRID> control;
};

// Text keys: random words with the case mixed, so the first bytes alone do not decide.
void BM_Sort_Grid_Text(benchmark::State& state) {
    double ours = 0, baseline = 0;
    unsigned seed = 1;
    for (auto _ : state) {
        state.PauseTiming();
        const auto table = Table(seed++);
        Grid grid(table);
        std::vector<std::string> keys;
        keys.reserve(kRows);
        for (const auto& row : table) keys.push_back(row[1]);
        state.ResumeTiming();
        auto run_ours = [&] { ours += Seconds([&] { grid.control->Sort_Grid(2); }); };
        auto run_baseline = [&] {
            baseline += Seconds([&] {
                std::stable_sort(keys.begin(), keys.end());
                benchmark::DoNotOptimize(keys.data());
            });
        };
        if (seed % 2)
            run_ours(), run_baseline();
        else
            run_baseline(), run_ours();
    }
    state.counters["ratio"] = ours / baseline;
}
BENCHMARK(BM_Sort_Grid_Text)->Unit(benchmark::kMillisecond)->Iterations(4);

// Numeric keys: the baseline parses the texts too, then sorts the numbers.
void BM_Sort_Grid_Numeric(benchmark::State& state) {
    double ours = 0, baseline = 0;
    unsigned seed = 1;
    for (auto _ : state) {
        state.PauseTiming();
        auto table = Table(seed++);
        std::mt19937 random(seed);
        for (auto& row : table)
            row[1] = std::to_string(static_cast<double>(random() % 1000000) / 100);
        Grid grid(table);
        std::vector<std::string> texts;
        texts.reserve(kRows);
        for (const auto& row : table) texts.push_back(row[1]);
        state.ResumeTiming();
        auto run_ours = [&] { ours += Seconds([&] { grid.control->Sort_Grid(2); }); };
        auto run_baseline = [&] {
            baseline += Seconds([&] {
                std::vector<double> keys;
                keys.reserve(texts.size());
                for (const auto& t : texts) {
                    double v = 0;
                    std::from_chars(t.data(), t.data() + t.size(), v);
                    keys.push_back(v);
                }
                std::stable_sort(keys.begin(), keys.end());
                benchmark::DoNotOptimize(keys.data());
            });
        };
        if (seed % 2)
            run_ours(), run_baseline();
        else
            run_baseline(), run_ours();
    }
    state.counters["ratio"] = ours / baseline;
}
BENCHMARK(BM_Sort_Grid_Numeric)->Unit(benchmark::kMillisecond)->Iterations(4);

// Phrases matching 0 %, 10 % and 90 % of the rows; the baseline is a case-blind substring
// scan over the same texts held in plain vectors, read without bounds checks.
void BM_Filter_Grid(benchmark::State& state) {
    const char* phrases[] = {"zzq", "taga", "tagb"};
    const std::string phrase = phrases[state.range(0)];
    const auto table = Table(7);
    Grid grid(table);
    auto filter_table = std::make_shared<Variant_Array>(1, 1, 1, 3);
    (*filter_table)(1, 1) = phrase;
    (*filter_table)(1, 2) = "INCLUDE";
    (*filter_table)(1, 3) = "";
    const Variant filter{Array_Ref(filter_table)};
    auto blind_equal = [](char a, char b) {
        return (a | 0x20) == b;  // letters only: b is lower case already
    };
    double ours = 0, baseline = 0;
    int round = 0;
    for (auto _ : state) {
        auto run_ours = [&] {
            ours += Seconds([&] { grid.control->Filter_Grid(filter, Filter_All); });
        };
        auto run_baseline = [&] {
            baseline += Seconds([&] {
                std::vector<int> heights(table.size(), 0);
                for (size_t r = 0; r < table.size(); ++r)
                    for (const std::string& cell : table[r])
                        if (std::search(cell.begin(), cell.end(), phrase.begin(), phrase.end(),
                                        blind_equal) != cell.end()) {
                            heights[r] = 240;
                            break;
                        }
                benchmark::DoNotOptimize(heights.data());
            });
        };
        if (++round % 2)
            run_ours(), run_baseline();
        else
            run_baseline(), run_ours();
    }
    state.counters["ratio"] = ours / baseline;
    int shown = 0;
    for (int r = 1; r < Internals_Of(*grid.control).GridEditor().Rows(); ++r)
        shown += Internals_Of(*grid.control).GridEditor().RowHeight(r) > 0;
    state.counters["shown"] = shown;
}
BENCHMARK(BM_Filter_Grid)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
