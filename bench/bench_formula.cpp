// One-shot formula evaluation: a new text is parsed and evaluated on every call. Where
// muparser is installed, the same expressions are timed with SetExpr + Eval on a reused parser,
// and the ratio ours / muparser is reported as the counter "ratio_vs_muparser".
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "vekgrid/formula/math_parser.h"
#include "vekgrid/platform/headless/recording_message_box.h"

#ifdef VEKGRID_HAVE_MUPARSER
#include <muParser.h>
#endif

using namespace vekgrid;

namespace {

struct Formula {
    const char* name;
    std::string ours;
    std::string muparser;
};

std::string Long_Formula(int terms) {
    std::string f = "=1";
    const char ops[] = {'+', '*', '-', '/'};
    for (int i = 1; i < terms; ++i) f += ops[i % 4] + std::to_string(i % 9 + 1);
    return f;
}

std::vector<Formula> Formulas() {
    std::vector<Formula> out = {
        {"short_2*3+4/5", "=2*3+4/5", "2*3+4/5"},
        {"short_(1+2)*(3-4)^2", "=(1+2)*(3-4)^2", "(1+2)*(3-4)^2"},
        {"short_1e3+1", "=1e3+1", "1e3+1"},
        {"short_vars", "='x'*2+'y'", "x*2+y"},
    };
    for (int terms : {100, 1000}) {
        std::string f = Long_Formula(terms);
        out.push_back({terms == 100 ? "long_100" : "long_1000", f, f.substr(1)});
    }
    return out;
}

Variant Variables() {
    auto table = std::make_shared<Variant_Array>(0, 2, 0, 2);
    (*table)(1, 1) = "x";
    (*table)(2, 1) = "3";
    (*table)(1, 2) = "y";
    (*table)(2, 2) = "4";
    return Variant(Array_Ref(table));
}

class Silent_Box : public Message_Box {
  public:
    int MsgBox(const std::string&, int, const std::string&) override { return Msg::Yes; }
};

double Ours_Seconds(const Formula& f, int iterations, bool rewriting) {
    Silent_Box box;
    Variant vars = Variables();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < iterations; ++i) {
        std::string text = f.ours;
        auto r = rewriting ? Evaluate_Formula_By_Rewriting(text, box, vars)
                           : Evaluate_Formula(text, box, vars);
        benchmark::DoNotOptimize(r);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

#ifdef VEKGRID_HAVE_MUPARSER
double Muparser_Seconds(const Formula& f, int iterations) {
    mu::Parser parser;
    double x = 3, y = 4;
    parser.DefineVar("x", &x);
    parser.DefineVar("y", &y);
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < iterations; ++i) {
        parser.SetExpr(f.muparser);
        benchmark::DoNotOptimize(parser.Eval());
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
#endif

void Bench_Ours(benchmark::State& state, Formula f) {
    Silent_Box box;
    Variant vars = Variables();
    for (auto _ : state) {
        std::string text = f.ours;
        benchmark::DoNotOptimize(Evaluate_Formula(text, box, vars));
    }
#ifdef VEKGRID_HAVE_MUPARSER
    // Both measured back to back in the same run, for the ratio.
    const int n = f.ours.size() > 200 ? 200 : 20000;
    state.counters["ratio_vs_muparser"] = Ours_Seconds(f, n, false) / Muparser_Seconds(f, n);
#endif
}

void Bench_Rewriting(benchmark::State& state, Formula f) {
    Silent_Box box;
    Variant vars = Variables();
    for (auto _ : state) {
        std::string text = f.ours;
        benchmark::DoNotOptimize(Evaluate_Formula_By_Rewriting(text, box, vars));
    }
}

#ifdef VEKGRID_HAVE_MUPARSER
void Bench_Muparser(benchmark::State& state, Formula f) {
    mu::Parser parser;
    double x = 3, y = 4;
    parser.DefineVar("x", &x);
    parser.DefineVar("y", &y);
    for (auto _ : state) {
        parser.SetExpr(f.muparser);
        benchmark::DoNotOptimize(parser.Eval());
    }
}
#endif

// Cost per term as formulas grow: near-constant means linear growth.
void Bench_Growth(benchmark::State& state) {
    Silent_Box box;
    const std::string f = Long_Formula(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::string text = f;
        benchmark::DoNotOptimize(Evaluate_Formula(text, box));
    }
    state.SetComplexityN(state.range(0));
}

const bool registered = [] {
    for (const auto& f : Formulas()) {
        benchmark::RegisterBenchmark((std::string("Evaluate_Formula/") + f.name).c_str(),
                                     Bench_Ours, f);
        benchmark::RegisterBenchmark((std::string("Rewriting/") + f.name).c_str(), Bench_Rewriting,
                                     f);
#ifdef VEKGRID_HAVE_MUPARSER
        benchmark::RegisterBenchmark((std::string("muparser/") + f.name).c_str(), Bench_Muparser,
                                     f);
#endif
    }
    benchmark::RegisterBenchmark("Evaluate_Formula/growth", Bench_Growth)
        ->RangeMultiplier(4)
        ->Range(64, 16384)
        ->Complexity();
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
