// Smoothness of the Qt front end: the time to paint one full 1280 x 800 frame of a grid of a
// million rows, at the top, in the middle and while paging down, next to a QTableView over a
// QStandardItemModel holding the same data, measured in the same run.
//
// Counters: frame_ms is the median frame of a run, baseline_ms the QTableView's median for the
// same frame, timed alternately with ours in the same loop, vs_qtableview their ratio (below 1 is
// faster) and under_16ms whether the frame fits a 60 Hz refresh. The build time and memory of both
// data sets are printed with the run's context.
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise. With
// VEKGRID_BENCH_DUMP=<dir>, the first frame of each benchmark is saved there as a PNG.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "vekgrid/control/internals.h"
#include "vekgrid/qt/grid_view.h"
#include "vekgrid/qt/grid_widget.h"
#include "vekgrid/qt/qt_platform.h"

namespace {

constexpr int kDataRows = 1'000'000, kCols = 8;
constexpr int kWidth = 1280, kHeight = 800;
constexpr int kMiddleRow = 500'000;
constexpr double kFrameBudgetMs = 16.0;

using Row_Texts = std::array<std::string, kCols>;

// A plausible order line, the same for a row every time it is asked for.
Row_Texts Row_Data(int row) {
    static constexpr std::array<const char*, 12> kFirst = {"Anna", "Ben",   "Clara", "David",
                                                           "Emma", "Felix", "Greta", "Hugo",
                                                           "Ida",  "Jonas", "Lena",  "Max"};
    static constexpr std::array<const char*, 10> kLast = {"Schmidt", "Meyer",    "Weber", "Wagner",
                                                          "Becker",  "Hoffmann", "Koch",  "Richter",
                                                          "Klein",   "Wolf"};
    static constexpr std::array<const char*, 8> kCity = {
        "Berlin", "Hamburg", "Munich", "Cologne", "Frankfurt", "Stuttgart", "Leipzig", "Dresden"};
    static constexpr std::array<const char*, 5> kStatus = {"Open", "Shipped", "Paid", "Returned",
                                                           "Cancelled"};
    auto h = static_cast<unsigned>(row) * 2654435761u;
    h ^= h >> 15;
    const unsigned qty = 1 + h % 48;
    const unsigned cents = 199 + (h >> 8) % 49'800;
    char buffer[32];
    Row_Texts texts;
    std::snprintf(buffer, sizeof buffer, "C%07d", row);
    texts[0] = buffer;
    texts[1] = std::string(kFirst[h % kFirst.size()]) + " " + kLast[(h >> 4) % kLast.size()];
    texts[2] = kCity[(h >> 12) % kCity.size()];
    std::snprintf(buffer, sizeof buffer, "2023-%02u-%02u", 1 + (h >> 3) % 12, 1 + (h >> 7) % 28);
    texts[3] = buffer;
    texts[4] = std::to_string(qty);
    std::snprintf(buffer, sizeof buffer, "%u.%02u", cents / 100, cents % 100);
    texts[5] = buffer;
    const unsigned long long amount = static_cast<unsigned long long>(qty) * cents;
    std::snprintf(buffer, sizeof buffer, "%llu.%02llu", amount / 100, amount % 100);
    texts[6] = buffer;
    texts[7] = kStatus[(h >> 20) % kStatus.size()];
    return texts;
}

constexpr std::array<const char*, kCols> kTitles = {"Customer", "Name",  "City",   "Date",
                                                    "Qty",      "Price", "Amount", "Status"};
constexpr std::array<int, kCols> kWidthsPx = {100, 220, 160, 110, 70, 100, 120, 110};

double Resident_MB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) /
           (1024.0 * 1024.0);
}

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Runs what the event loop has queued (our view's deferred sync, layout requests) without
// timing it, so a timed frame starts from a settled widget.
void Settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// The two widgets over the same data, shown at the same size. The model is declared first so
// it outlives the view that shows it.
class Scene {
  public:
    Scene() {
        Build_Ours();
        Build_Table();
        for (QWidget* widget : {static_cast<QWidget*>(&ours_), static_cast<QWidget*>(&table_)}) {
            widget->resize(kWidth, kHeight);
            widget->show();
        }
        Settle();
        Internals_Of(ours_.grid()).GridEditor().TopRow(1);
        Settle();
    }

    vekgrid::qt::Grid_Widget& ours() { return ours_; }
    QTableView& table() { return table_; }
    QImage& image() { return image_; }

    // Both show data row `row` (1-based) first.
    void Scroll_Ours(int row) { Internals_Of(ours_.grid()).GridEditor().TopRow(row); }
    void Scroll_Table(int row) { table_.verticalScrollBar()->setValue(row - 1); }
    // Data rows a page moves, taken from the table so both move the same distance.
    int Page_Rows() const { return std::max(1, table_.verticalScrollBar()->pageStep()); }

    double Frame_Ours() {
        return Seconds([&] { ours_.render(&image_); });
    }
    double Frame_Table() {
        return Seconds([&] { table_.render(&image_); });
    }

    // Rows drawn in a frame, to show both do the same work.
    int Rows_Drawn_Ours() {
        const auto [first, last] = ours_.view().Visible_Rows();
        return first ? last - first + 1 : 0;
    }
    int Rows_Drawn_Table() {
        const int first = table_.rowAt(0);
        int last = table_.rowAt(table_.viewport()->height() - 1);
        if (last < 0) last = table_.model()->rowCount() - 1;
        return first < 0 ? 0 : last - first + 1;
    }

    void Dump(const char* name) {
        const QByteArray dir = qgetenv("VEKGRID_BENCH_DUMP");
        if (dir.isEmpty()) return;
        QDir().mkpath(QString::fromLocal8Bit(dir));
        image_.save(QString::fromLocal8Bit(dir) + "/" + QString::fromLatin1(name) + ".png");
    }

    void Add_Context() const {
        const double cells = double{kDataRows} * kCols;
        benchmark::AddCustomContext(
            "data", std::to_string(kDataRows) + " rows x " + std::to_string(kCols) + " columns, " +
                        std::to_string(kWidth) + "x" + std::to_string(kHeight) + " frames");
        benchmark::AddCustomContext("vekgrid_build_s", std::to_string(ours_build_s_));
        benchmark::AddCustomContext("vekgrid_rss_MB", std::to_string(ours_rss_mb_));
        benchmark::AddCustomContext("vekgrid_model_MB", std::to_string(ours_model_mb_));
        benchmark::AddCustomContext("vekgrid_bytes_per_cell",
                                    std::to_string(ours_rss_mb_ * 1024 * 1024 / cells));
        benchmark::AddCustomContext("qstandarditemmodel_build_s", std::to_string(table_build_s_));
        benchmark::AddCustomContext("qstandarditemmodel_rss_MB", std::to_string(table_rss_mb_));
        benchmark::AddCustomContext("qstandarditemmodel_bytes_per_item",
                                    std::to_string(table_rss_mb_ * 1024 * 1024 / cells));
    }

  private:
    void Build_Ours() {
        const double before = Resident_MB();
        ours_build_s_ = Seconds([&] {
            vekgrid::vekGRID& grid = ours_.grid();
            for (int c = 0; c < kCols; ++c) {
                vekgrid::vekColumn column;
                column.Title(kTitles[c]);
                column.ColumnWidth(std::int32_t{kWidthsPx[c] * vekgrid::qt::kTwipsPerPixel});
                grid.Add_Column(column);
            }
            grid.Redraw(false);
            grid.Rows(kDataRows + 1);
            vekgrid::Host_Grid& cells = Internals_Of(grid).GridEditor();
            for (int r = 1; r <= kDataRows; ++r) {
                const Row_Texts texts = Row_Data(r);
                for (int c = 0; c < kCols; ++c) cells.TextMatrix(r, c + 1, texts[c]);
            }
            grid.Redraw(true);
        });
        ours_rss_mb_ = Resident_MB() - before;
        ours_model_mb_ =
            static_cast<double>(Internals_Of(ours_.grid()).GridEditor().Memory_Bytes()) /
            (1024.0 * 1024.0);
    }

    void Build_Table() {
        const double before = Resident_MB();
        table_build_s_ = Seconds([&] {
            model_.setColumnCount(kCols);
            model_.setRowCount(kDataRows);
            for (int c = 0; c < kCols; ++c)
                model_.setHeaderData(c, Qt::Horizontal, QString::fromLatin1(kTitles[c]));
            for (int r = 0; r < kDataRows; ++r) {
                const Row_Texts texts = Row_Data(r + 1);
                for (int c = 0; c < kCols; ++c)
                    model_.setItem(r, c, new QStandardItem(QString::fromStdString(texts[c])));
            }
        });
        table_rss_mb_ = Resident_MB() - before;
        table_.setModel(&model_);
        // Same geometry as ours: same columns, same row height, so a frame holds the same cells.
        const int row_px =
            Internals_Of(ours_.grid()).GridEditor().RowHeight(1) / vekgrid::qt::kTwipsPerPixel;
        table_.verticalHeader()->setMinimumSectionSize(1);
        table_.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        table_.verticalHeader()->setDefaultSectionSize(row_px);
        for (int c = 0; c < kCols; ++c) table_.setColumnWidth(c, kWidthsPx[c]);
    }

    QStandardItemModel model_;
    QTableView table_;
    vekgrid::qt::Grid_Widget ours_;
    QImage image_{kWidth, kHeight, QImage::Format_ARGB32_Premultiplied};
    double ours_build_s_ = 0, ours_rss_mb_ = 0, ours_model_mb_ = 0;
    double table_build_s_ = 0, table_rss_mb_ = 0;
};

void Report(benchmark::State& state, const std::vector<double>& frames, double baseline_s) {
    const double median = Median(frames);
    state.counters["frame_ms"] = median * 1e3;
    state.counters["under_16ms"] = median * 1e3 < kFrameBudgetMs ? 1 : 0;
    if (baseline_s > 0) {
        state.counters["baseline_ms"] = baseline_s * 1e3;
        state.counters["vs_qtableview"] = median / baseline_s;
    }
}

// One frame painted again and again at a fixed scroll position.
void Frame_Table(benchmark::State& state, Scene& scene, int top_row, const char* name) {
    scene.Scroll_Table(top_row);
    Settle();
    scene.Frame_Table();
    scene.Dump(name);
    std::vector<double> frames;
    for (auto _ : state) frames.push_back(scene.Frame_Table());
    Report(state, frames, 0);
    state.counters["rows_drawn"] = scene.Rows_Drawn_Table();
}

void Frame_Ours(benchmark::State& state, Scene& scene, int top_row, const char* name) {
    scene.Scroll_Table(top_row);
    scene.Scroll_Ours(top_row);
    Settle();
    scene.Frame_Ours();
    scene.Dump(name);
    // The reference frame is timed between ours with the clock paused, so both see the same
    // machine load.
    std::vector<double> frames, baseline;
    for (auto _ : state) {
        state.PauseTiming();
        baseline.push_back(scene.Frame_Table());
        state.ResumeTiming();
        frames.push_back(scene.Frame_Ours());
    }
    Report(state, frames, Median(baseline));
    state.counters["rows_drawn"] = scene.Rows_Drawn_Ours();
}

// Paging down: each frame follows a scroll of one page, with the scroll's own work (our
// deferred sync, the table's layout) inside the time. Wraps to the top near the end.
int Next_Page(const Scene& scene, int top) {
    const int next = top + scene.Page_Rows();
    return next > kDataRows - 1000 ? 1 : next;
}

double Page_Table(Scene& scene, int& top) {
    top = Next_Page(scene, top);
    return Seconds([&] {
        scene.Scroll_Table(top);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        scene.table().render(&scene.image());
    });
}

double Page_Ours(Scene& scene, int& top) {
    top = Next_Page(scene, top);
    return Seconds([&] {
        scene.Scroll_Ours(top);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        scene.ours().render(&scene.image());
    });
}

void Scroll_Table(benchmark::State& state, Scene& scene) {
    int top = 1;
    scene.Scroll_Table(top);
    Settle();
    std::vector<double> frames;
    for (auto _ : state) frames.push_back(Page_Table(scene, top));
    Settle();
    Report(state, frames, 0);
    state.counters["page_rows"] = scene.Page_Rows();
}

void Scroll_Ours(benchmark::State& state, Scene& scene) {
    int top = 1, table_top = 1;
    scene.Scroll_Table(top);
    scene.Scroll_Ours(top);
    Settle();
    std::vector<double> frames, baseline;
    for (auto _ : state) {
        state.PauseTiming();
        baseline.push_back(Page_Table(scene, table_top));
        state.ResumeTiming();
        frames.push_back(Page_Ours(scene, top));
    }
    Settle();
    Report(state, frames, Median(baseline));
    state.counters["page_rows"] = scene.Page_Rows();
}

// A filter left 20 rows of the million: a frame (with the scroll-bar sync before it) steps over
// the hidden rows, so its cost is set against our own frame of the unfiltered grid.
void Frame_Ours_Filtered(benchmark::State& state, Scene& scene) {
    vekgrid::Host_Grid& grid = Internals_Of(scene.ours().grid()).GridEditor();
    scene.Scroll_Ours(1);
    Settle();
    auto frame = [&] {
        return Seconds([&] {
            scene.ours().view().Sync();
            scene.ours().render(&scene.image());
        });
    };
    std::vector<double> unfiltered;
    for (int i = 0; i < 5; ++i) unfiltered.push_back(frame());
    for (int r = 1; r <= kDataRows; ++r) grid.RowHeight(r, r % 50'000 == 0 ? 240 : 0);
    Settle();
    scene.Dump("vekgrid_filtered");
    std::vector<double> frames;
    for (auto _ : state) frames.push_back(frame());
    const double median = Median(frames);
    state.counters["frame_ms"] = median * 1e3;
    state.counters["under_16ms"] = median * 1e3 < kFrameBudgetMs ? 1 : 0;
    state.counters["vs_unfiltered"] = median / Median(unfiltered);
    for (int r = 1; r <= kDataRows; ++r) grid.RowHeight(r, 240);
    Settle();
}

void Register(Scene& scene) {
    auto tune = [](benchmark::internal::Benchmark* bench) {
        bench->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
    };
    tune(benchmark::RegisterBenchmark("Frame/QTableView/top", [&scene](benchmark::State& s) {
        Frame_Table(s, scene, 1, "qtableview_top");
    }));
    tune(benchmark::RegisterBenchmark("Frame/vekGRID/top", [&scene](benchmark::State& s) {
        Frame_Ours(s, scene, 1, "vekgrid_top");
    }));
    tune(benchmark::RegisterBenchmark("Frame/QTableView/middle", [&scene](benchmark::State& s) {
        Frame_Table(s, scene, kMiddleRow, "qtableview_middle");
    }));
    tune(benchmark::RegisterBenchmark("Frame/vekGRID/middle", [&scene](benchmark::State& s) {
        Frame_Ours(s, scene, kMiddleRow, "vekgrid_middle");
    }));
    tune(benchmark::RegisterBenchmark("Scroll_Page/QTableView",
                                      [&scene](benchmark::State& s) { Scroll_Table(s, scene); }));
    tune(benchmark::RegisterBenchmark("Scroll_Page/vekGRID",
                                      [&scene](benchmark::State& s) { Scroll_Ours(s, scene); }));
    tune(benchmark::RegisterBenchmark("Frame/vekGRID/filtered", [&scene](benchmark::State& s) {
        Frame_Ours_Filtered(s, scene);
    }));
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // Destroyed before the application, as widgets must be.
    Scene scene;
    scene.Add_Context();
    Register(scene);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
