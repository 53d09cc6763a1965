// Opening a big file in the Qt widget: Load_File of 1,000,000 rows x 10 columns into a shown,
// fresh Grid_Widget and the first frame painted after it, against a plain read-and-split of
// the same file (std::getline and find of tabs into vectors of strings), alternated in one run.
//
// Counters: total_s our load plus first frame (target: at most 1.5 s), load_s and frame_s its
// parts, base_s the read-and-split, ratio total_s / base_s, under_1_5s whether the target holds.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "vekgrid/qt/grid_widget.h"

namespace {

namespace fs = std::filesystem;
constexpr int kRows = 1'000'000, kCols = 10;

// Mixed cells: names with spaces, numbers of several shapes, dates, codes, some empty; no
// two neighbouring rows alike, so nothing is cheaper for being repeated.
fs::path Table_File() {
    const fs::path path = fs::temp_directory_path() / "vekgrid_bench_qt_load_1M_x10.txt";
    if (fs::exists(path)) return path;
    std::ofstream out(path, std::ios::binary);
    for (int c = 0; c < kCols; ++c) out << (c ? "\t" : "") << "Column " << c;
    out << "\r\n";
    for (int r = 1; r <= kRows; ++r) {
        unsigned h = static_cast<unsigned>(r) * 2654435761u;
        for (int c = 0; c < kCols; ++c) {
            h ^= h >> 13, h *= 0x5bd1e995u, h ^= h >> 15;
            if (c) out << '\t';
            switch ((c + static_cast<int>(h % 3)) % 6) {
                case 0:
                    out << "Item " << h % 100003 << " of lot " << (h >> 7) % 977;
                    break;
                case 1:
                    out << (h % 200000) / 100.0;
                    break;
                case 2:
                    out << 2000 + h % 30 << '-' << 1 + h % 12 << '-' << 1 + h % 28;
                    break;
                case 3:
                    out << "K" << h;
                    break;
                case 4:
                    if (h % 4) out << static_cast<int>(h % 9999) - 5000;
                    break;
                default:
                    out << "x";
                    break;
            }
        }
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

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

void BM_Qt_Load_And_First_Frame(benchmark::State& state) {
    const fs::path path = Table_File();
    double load = 0, frame = 0, base = 0;
    int rounds = 0;
    for (auto _ : state) {
        // A fresh widget on screen, as a host has it before the person opens a file (untimed).
        auto widget = std::make_unique<vekgrid::qt::Grid_Widget>();
        widget->resize(1280, 800);
        widget->show();
        Settle();
        auto start = std::chrono::steady_clock::now();
        widget->grid().Load_File(path.string());
        load += Since(start);
        start = std::chrono::steady_clock::now();
        Settle();  // the view's sync after the burst of changes
        const QImage first = widget->grab().toImage();
        frame += Since(start);
        benchmark::DoNotOptimize(first.constBits());
        if (widget->grid().Rows() != kRows + 1) state.SkipWithError("the file did not load whole");
        widget.reset();
        Settle();

        start = std::chrono::steady_clock::now();
        auto table = Read_And_Split(path);
        base += Since(start);
        benchmark::DoNotOptimize(table.data());
        if (table.size() != kRows + 1) state.SkipWithError("baseline read short");
        ++rounds;
    }
    const double total = (load + frame) / rounds;
    state.counters["total_s"] = total;
    state.counters["load_s"] = load / rounds;
    state.counters["frame_s"] = frame / rounds;
    state.counters["base_s"] = base / rounds;
    state.counters["ratio"] = total / (base / rounds);
    state.counters["under_1_5s"] = total <= 1.5 ? 1 : 0;
}
BENCHMARK(BM_Qt_Load_And_First_Frame)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
