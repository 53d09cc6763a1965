// Loading and saving files, each against a plain standard-library baseline measured in the same
// run. Every round loads into a fresh control on freshly trimmed memory, and the order of ours
// and the baseline alternates, so neither profits from memory the other left behind.
// Counters: "ratio" ours / baseline thread CPU time; "peak_MB" / "final_MB" resident-set growth
// during and after our load; "peak_over_final" their ratio; "base_peak_MB" the baseline's peak.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <ctime>
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

constexpr int kCols = 10;

long Status_Kb(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
    return 0;
}

// Thread CPU time, kernel time included (page faults count): steadier than the wall clock
// while other work shares the machine.
double Thread_Seconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Run {
    double seconds = 0, peak_mb = 0, final_mb = 0;
};

// Times work() and the memory it holds; what it returns is kept until the memory is read.
template <class Work>
Run Measure(Work work) {
    malloc_trim(0);
    const long before = Status_Kb("VmRSS:");
    std::ofstream("/proc/self/clear_refs") << "5";  // peak := current
    Run run;
    const double start = Thread_Seconds();
    auto kept = work();
    run.seconds = Thread_Seconds() - start;
    run.final_mb = static_cast<double>(Status_Kb("VmRSS:") - before) / 1024;
    run.peak_mb = static_cast<double>(Status_Kb("VmHWM:") - before) / 1024;
    benchmark::DoNotOptimize(kept);
    return run;
}

fs::path Bench_File(const std::string& name, const std::function<void(std::ofstream&)>& fill) {
    const fs::path path = fs::temp_directory_path() / ("vekgrid_bench_" + name + ".txt");
    if (fs::exists(path)) return path;
    std::ofstream out(path, std::ios::binary);
    fill(out);
    return path;
}

fs::path Table_File(int rows) {
    return Bench_File("table_" + std::to_string(rows), [rows](std::ofstream& out) {
        for (int c = 0; c < kCols; ++c) out << (c ? "\t" : "") << "Col" << c;
        out << "\r\n";
        for (int r = 1; r <= rows; ++r) {
            for (int c = 0; c < kCols; ++c)
                out << (c ? "\t" : "") << "v" << (r * 7919LL + c) % 100003;
            out << "\r\n";
        }
    });
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

struct Loaded {
    Headless_Platform platform;
    vekGRID control{platform};
};

// Alternates a load into a fresh control (prepared by `setup`, untimed) with read-and-split.
void Load_Against_Baseline(benchmark::State& state, const fs::path& path,
                           const std::function<void(vekGRID&)>& setup = {}) {
    Run ours_total, base_total;
    double peak_over_final = 0;
    int rounds = 0;
    for (auto _ : state) {
        auto ours = [&] {
            auto loaded = std::make_unique<Loaded>();
            if (setup) setup(loaded->control);
            Run run = Measure([&] {
                loaded->control.Load_File(path.string());
                return loaded.get();
            });
            loaded.reset();
            return run;
        };
        auto base = [&] { return Measure([&] { return Read_And_Split(path); }); };
        Run a, b;
        if (rounds % 2 == 0) {
            a = ours();
            b = base();
        } else {
            b = base();
            a = ours();
        }
        ++rounds;
        ours_total.seconds += a.seconds;
        base_total.seconds += b.seconds;
        ours_total.peak_mb = std::max(ours_total.peak_mb, a.peak_mb);
        ours_total.final_mb = std::max(ours_total.final_mb, a.final_mb);
        base_total.peak_mb = std::max(base_total.peak_mb, b.peak_mb);
        peak_over_final = std::max(peak_over_final, a.final_mb > 0 ? a.peak_mb / a.final_mb : 0);
    }
    state.counters["ratio"] = ours_total.seconds / base_total.seconds;
    state.counters["ours_s"] = ours_total.seconds / rounds;
    state.counters["base_s"] = base_total.seconds / rounds;
    state.counters["peak_MB"] = ours_total.peak_mb;
    state.counters["final_MB"] = ours_total.final_mb;
    state.counters["peak_over_final"] = peak_over_final;
    state.counters["base_peak_MB"] = base_total.peak_mb;
}

void BM_Load_File(benchmark::State& state) {
    Load_Against_Baseline(state, Table_File(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_Load_File)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(4);

// 1,000,000 fields on one line: more columns than the control takes, refused after reading.
void BM_Load_One_Wide_Line(benchmark::State& state) {
    Load_Against_Baseline(state, Bench_File("wide_line", [](std::ofstream& out) {
                              for (int f = 0; f < 1000000; ++f) out << (f ? "\t" : "") << f % 10;
                              out << "\r\n";
                          }));
}
BENCHMARK(BM_Load_One_Wide_Line)->Unit(benchmark::kMillisecond)->Iterations(4);

// 10 MiB of empty lines.
void BM_Load_Empty_Lines(benchmark::State& state) {
    Load_Against_Baseline(state, Bench_File("empty_lines", [](std::ofstream& out) {
                              out << std::string(size_t{10} << 20, '\n');
                          }));
}
BENCHMARK(BM_Load_Empty_Lines)->Unit(benchmark::kMillisecond)->Iterations(4);

// 100 formulas of 100,000 characters, in a column that evaluates them.
void BM_Load_Long_Formulas(benchmark::State& state) {
    const fs::path path = Bench_File("long_formulas", [](std::ofstream& out) {
        out << "Label\tValue\r\n";
        for (int r = 0; r < 100; ++r) {
            std::string formula = "=" + std::to_string(r);
            const char* ops[] = {"+", "-", "*", "/"};
            for (int k = 0; formula.size() < 100000; ++k)
                formula += ops[k % 4] + std::to_string(1 + (k * 7 + r) % 9);
            out << "row" << r << "\t" << formula.substr(0, 100000) << "\r\n";
        }
    });
    Load_Against_Baseline(state, path, [](vekGRID& control) {
        vekColumn label, value;
        value.Allow_Formula_Input(true);
        control.Add_Column(label);
        control.Add_Column(value);  // the load keeps the formula setting of this place
    });
}
BENCHMARK(BM_Load_Long_Formulas)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Write_File(benchmark::State& state) {
    const fs::path path = Table_File(100000);
    Headless_Platform platform;
    vekGRID control(platform);
    control.Load_File(path.string());
    const auto table = Read_And_Split(path);
    const fs::path out_path = fs::temp_directory_path() / "vekgrid_bench_out.txt";
    double ours = 0, baseline = 0;
    bool ours_first = true;
    for (auto _ : state) {
        auto write_ours = [&] {
            return Measure([&] { return control.Write_File(out_path.string(), Tab_Delimited); })
                .seconds;
        };
        // A plain write: no temporary file, no flush to disk.
        auto write_plain = [&] {
            return Measure([&] {
                       std::ofstream out(out_path, std::ios::binary | std::ios::trunc);
                       for (const auto& row : table) {
                           for (size_t c = 0; c < row.size(); ++c) out << (c ? "\t" : "") << row[c];
                           out << "\r\n";
                       }
                       return true;
                   })
                .seconds;
        };
        if (ours_first) {
            ours += write_ours();
            baseline += write_plain();
        } else {
            baseline += write_plain();
            ours += write_ours();
        }
        ours_first = !ours_first;
    }
    fs::remove(out_path);
    state.counters["ratio"] = ours / baseline;
}
BENCHMARK(BM_Write_File)->Unit(benchmark::kMillisecond)->Iterations(4);

}  // namespace

BENCHMARK_MAIN();
