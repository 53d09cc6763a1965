// Exchange and ordering on a 100,000-row x 10-column grid, each against a plain
// standard-library baseline measured in the same run; the counter "ratio" is ours / baseline.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "vekgrid/control/vekgrid.h"
#include "vekgrid/platform/headless/headless_platform.h"

using namespace vekgrid;
namespace fs = std::filesystem;

namespace {

constexpr int kRows = 100000, kCols = 10;

double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

fs::path Sample_File(int rows = kRows) {
    const fs::path path =
        fs::temp_directory_path() / ("vekgrid_bench_" + std::to_string(rows) + ".txt");
    if (fs::exists(path)) return path;
    std::ofstream out(path, std::ios::binary);
    for (int c = 0; c < kCols; ++c) out << (c ? "\t" : "") << "Col" << c;
    out << "\r\n";
    for (int r = 1; r <= rows; ++r) {
        for (int c = 0; c < kCols; ++c) out << (c ? "\t" : "") << "v" << (r * 7919 + c) % 100003;
        out << "\r\n";
    }
    return path;
}

std::vector<std::vector<std::string>> Read_And_Split(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::vector<std::string>> table;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> fields;
        size_t start = 0;
        for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(line.substr(start, tab - start));
        fields.push_back(line.substr(start));
        table.push_back(std::move(fields));
    }
    return table;
}

void BM_Load_File(benchmark::State& state) {
    const fs::path path = Sample_File(static_cast<int>(state.range(0)));
    double ours = 0, baseline = 0;
    for (auto _ : state) {
        Headless_Platform platform;
        vekGRID control(platform);
        ours += Seconds([&] { control.Load_File(path.string()); });
        baseline += Seconds([&] { benchmark::DoNotOptimize(Read_And_Split(path)); });
    }
    state.counters["ratio"] = ours / baseline;
}
BENCHMARK(BM_Load_File)->Arg(kRows)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_Write_File(benchmark::State& state) {
    const fs::path path = Sample_File();
    Headless_Platform platform;
    vekGRID control(platform);
    control.Load_File(path.string());
    const auto table = Read_And_Split(path);
    const fs::path out_path = fs::temp_directory_path() / "vekgrid_bench_out.txt";
    double ours = 0, baseline = 0;
    for (auto _ : state) {
        ours += Seconds([&] { control.Write_File(out_path.string(), Tab_Delimited); });
        baseline += Seconds([&] {
            std::ofstream out(out_path, std::ios::binary | std::ios::trunc);
            for (const auto& row : table) {
                for (size_t c = 0; c < row.size(); ++c) out << (c ? "\t" : "") << row[c];
                out << "\r\n";
            }
        });
    }
    fs::remove(out_path);
    state.counters["ratio"] = ours / baseline;
}
BENCHMARK(BM_Write_File)->Unit(benchmark::kMillisecond)->Iterations(3);

// Each round sorts a freshly loaded, unsorted grid; loading is not timed.
void BM_Sort_Grid(benchmark::State& state) {
    double ours = 0, baseline = 0;
    for (auto _ : state) {
        Headless_Platform platform;
        vekGRID control(platform);
        control.Load_File(Sample_File().string());
        std::vector<std::string> keys;
        for (int r = 1; r < control.GridEditor().Rows(); ++r)
            keys.push_back(control.GridEditor().TextMatrix(r, 2));
        ours += Seconds([&] { control.Sort_Grid(2); });
        baseline += Seconds([&] {
            std::stable_sort(keys.begin(), keys.end());
            benchmark::DoNotOptimize(keys.data());
        });
    }
    state.counters["ratio"] = ours / baseline;
}
BENCHMARK(BM_Sort_Grid)->Unit(benchmark::kMillisecond)->Iterations(3);

// Sorting the same column again flips its direction, the usual second click on a header.
void BM_Sort_Grid_Again(benchmark::State& state) {
    Headless_Platform platform;
    vekGRID control(platform);
    control.Load_File(Sample_File().string());
    control.Sort_Grid(2);
    std::vector<std::string> keys;
    for (int r = 1; r < control.GridEditor().Rows(); ++r)
        keys.push_back(control.GridEditor().TextMatrix(r, 2));
    double ours = 0, baseline = 0;
    bool descending = true;  // the first sort left the column ascending
    for (auto _ : state) {
        ours += Seconds([&] { control.Sort_Grid(2); });
        baseline += Seconds([&] {
            if (descending)
                std::stable_sort(keys.begin(), keys.end(), std::greater<>());
            else
                std::stable_sort(keys.begin(), keys.end());
            benchmark::DoNotOptimize(keys.data());
        });
        descending = !descending;
    }
    state.counters["ratio"] = ours / baseline;
}
BENCHMARK(BM_Sort_Grid_Again)->Unit(benchmark::kMillisecond)->Iterations(4);

void BM_Filter_Grid(benchmark::State& state) {
    Headless_Platform platform;
    vekGRID control(platform);
    control.Load_File(Sample_File().string());
    auto table = std::make_shared<Variant_Array>(1, 1, 1, 3);
    (*table)(1, 1) = "v12";
    (*table)(1, 2) = "INCLUDE";
    (*table)(1, 3) = "";
    const Variant filter{Array_Ref(table)};
    const Host_Grid& grid = control.GridEditor();
    double ours = 0, baseline = 0;
    for (auto _ : state) {
        ours += Seconds([&] { control.Filter_Grid(filter, Filter_All); });
        baseline += Seconds([&] {
            int shown = 0;
            for (int r = 1; r < grid.Rows(); ++r)
                for (int c = 1; c < grid.Cols(); ++c)
                    if (grid.TextMatrix(r, c).find("v12") != std::string::npos) {
                        ++shown;
                        break;
                    }
            benchmark::DoNotOptimize(shown);
        });
    }
    state.counters["ratio"] = ours / baseline;
}
BENCHMARK(BM_Filter_Grid)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
