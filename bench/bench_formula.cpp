// One-shot formula evaluation: a new text is parsed and evaluated on every call. Where
// muparser is installed, the same expressions are timed with SetExpr + Eval on a reused parser,
// and the ratio ours / muparser is reported as the counter "ratio_vs_muparser".
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <string>
#include <vector>

#include "vekgrid/formula/math_parser.h"
#include "vekgrid/formula/text_to_double.h"
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

// ---- Growth: formulas of 1k, 10k and 100k terms of every syntax the evaluator accepts. ----
//
// Each case is timed at the three sizes in the same run (rounds alternate the sizes, medians
// taken), on the path named: "direct" is Evaluate_Formula (which hands what it does not take
// to the rewriting), "rewriting" is Evaluate_Formula_By_Rewriting. Counters: growth_10k_1k and
// growth_100k_10k, the time ratio per 10x terms (linear is 10, the target at most 12), and
// ratio_vs_muparser at 1k terms where muparser reads the same expression (it refuses
// expressions of more than a few thousand characters).

struct Syntax {
    const char* name;
    std::string (*term)(int i);  // the i-th term, with the operator before it (none for i 0)
    bool muparser;               // muparser reads it once "=" goes and 'x' becomes x
};

const char* Operator(int i) {
    static const char* ops[] = {"+", "*", "-", "/"};
    return i == 0 ? "" : ops[i % 4];
}
std::string Digit(int i) {
    return std::to_string(i % 9 + 1);
}

const Syntax kSyntaxes[] = {
    {"plain", [](int i) { return Operator(i) + Digit(i); }, true},
    {"signs", [](int i) { return Operator(i) + std::string(i % 2 ? "-" : "") + Digit(i); }, true},
    {"implicit_products", [](int i) { return Operator(i) + Digit(i) + "(" + Digit(i + 1) + ")"; },
     false},
    {"parentheses",
     [](int i) {
         // groups two deep: ((a+b)*c)
         return std::string(Operator(i)) + (i % 3 == 0 ? "((" : "") + Digit(i) +
                (i % 3 == 0 ? "" : ")");
     },
     true},
    {"exponent", [](int i) { return Operator(i) + Digit(i) + (i % 2 ? "E-1" : "e1"); }, true},
    {"variables", [](int i) { return Operator(i) + std::string(i % 2 ? "'x'" : "'y'"); }, true},
};

std::string Formula_Of(const Syntax& syntax, int terms) {
    std::string f = "=";
    for (int i = 0; i < terms; ++i) f += syntax.term(i);
    // close what the last terms opened
    auto open = std::count(f.begin(), f.end(), '(') - std::count(f.begin(), f.end(), ')');
    return f + std::string(static_cast<size_t>(open), ')');
}

std::string For_Muparser(std::string f) {
    f.erase(0, 1);
    f.erase(std::remove(f.begin(), f.end(), '\''), f.end());
    for (char& c : f)
        if (c == 'E') c = 'e';
    return f;
}

// Seconds per evaluation of one formula, repeated `repeat` times.
template <class Evaluate>
double Seconds_Per_Call(const std::string& formula, int repeat, Evaluate evaluate) {
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < repeat; ++i) evaluate(formula);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / repeat;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Bench_Growth(benchmark::State& state, const Syntax* syntax, bool rewriting) {
    Silent_Box box;
    Variant vars = Variables();
    auto ours = [&](const std::string& formula) {
        std::string text = formula;
        auto r = rewriting ? Evaluate_Formula_By_Rewriting(text, box, vars)
                           : Evaluate_Formula(text, box, vars);
        benchmark::DoNotOptimize(r);
    };
    const std::string f1k = Formula_Of(*syntax, 1000), f10k = Formula_Of(*syntax, 10000),
                      f100k = Formula_Of(*syntax, 100000);
    for (auto _ : state) ours(f100k);  // the time shown: one formula of 100k terms

    std::vector<double> t1k, t10k, t100k, mu1k;
    for (int round = 0; round < 5; ++round) {  // sizes and baseline alternate within a round
        t1k.push_back(Seconds_Per_Call(f1k, 100, ours));
        t10k.push_back(Seconds_Per_Call(f10k, 10, ours));
        t100k.push_back(Seconds_Per_Call(f100k, 1, ours));
#ifdef VEKGRID_HAVE_MUPARSER
        if (syntax->muparser) {
            mu::Parser parser;
            double x = 3, y = 4;
            parser.DefineVar("x", &x);
            parser.DefineVar("y", &y);
            const std::string expression = For_Muparser(f1k);
            mu1k.push_back(Seconds_Per_Call(expression, 100, [&](const std::string& e) {
                parser.SetExpr(e);
                benchmark::DoNotOptimize(parser.Eval());
            }));
        }
#endif
    }
    state.counters["growth_10k_1k"] = Median(t10k) / Median(t1k);
    state.counters["growth_100k_10k"] = Median(t100k) / Median(t10k);
    if (!mu1k.empty()) state.counters["ratio_vs_muparser"] = Median(t1k) / Median(mu1k);
}

// Lengths: feet, inches and a fraction whose part is solved as products.
void Bench_Length_Growth(benchmark::State& state) {
    Silent_Box box;
    auto length = [](int terms) {
        std::string f = "5'-3-1";
        for (int i = 1; i < terms; ++i) f += std::string(i % 2 ? "/" : "*") + Digit(i);
        return f;
    };
    auto ours = [&](const std::string& text) {
        benchmark::DoNotOptimize(Convert_Feet_Inches(text, box));
    };
    const std::string l1k = length(1000), l10k = length(10000), l100k = length(100000);
    for (auto _ : state) ours(l100k);
    std::vector<double> t1k, t10k, t100k;
    for (int round = 0; round < 5; ++round) {
        t1k.push_back(Seconds_Per_Call(l1k, 100, ours));
        t10k.push_back(Seconds_Per_Call(l10k, 10, ours));
        t100k.push_back(Seconds_Per_Call(l100k, 1, ours));
    }
    state.counters["growth_10k_1k"] = Median(t10k) / Median(t1k);
    state.counters["growth_100k_10k"] = Median(t100k) / Median(t10k);
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
    for (const Syntax& syntax : kSyntaxes) {
        for (bool rewriting : {false, true})
            benchmark::RegisterBenchmark(
                (std::string("Growth/") + syntax.name + (rewriting ? "/rewriting" : "/direct"))
                    .c_str(),
                Bench_Growth, &syntax, rewriting)
                ->Iterations(3)
                ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("Growth/lengths/rewriting", Bench_Length_Growth)
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
