#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <random>

#include "vekgrid/formula/math_parser.h"
#include "vekgrid/formula/text_to_double.h"
#include "vekgrid/platform/headless/recording_message_box.h"

namespace vekgrid {
namespace {

constexpr int kCritical = Msg::OK_Only | Msg::Critical | Msg::System_Modal;

Variant Table(std::initializer_list<std::pair<const char*, Variant>> entries) {
    auto table = std::make_shared<Variant_Array>(0, 2, 0, static_cast<int>(entries.size()));
    int k = 1;
    for (auto& [name, value] : entries) {
        (*table)(1, k) = name;
        (*table)(2, k++) = value;
    }
    return Variant(Array_Ref(table));
}

std::string General_Error(const std::string& formula, const std::string& working) {
    return "The formula you entered contains an error and cannot be evaluated:\r\n\r\n" + formula +
           "\r\n\r\nError in: " + working;
}

std::string Lower_Copy(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

struct Evaluation {
    std::array<std::string, 2> result;
    std::string text_after;
    std::vector<Recording_Message_Box::Call> messages;
};

Evaluation Evaluate(std::string text, const Variant& table = Variant(),
                    std::deque<int> answers = {}) {
    Recording_Message_Box box;
    box.answers = std::move(answers);
    auto result = Evaluate_Formula(text, box, table);
    return {result, text, box.calls};
}

TEST(Evaluate_Formula, ValuesAndStoredFormulas) {
    struct Case {
        const char* input;
        const char* value;
        const char* stored;
    };
    for (auto [input, value, stored] : std::initializer_list<Case>{
             {"=2*3", "6", "=2*3"},
             {"= 2 + 3", "5", "=2+3"},
             {"=-2^2", "4", "=-2^2"},
             {"=3*-2^2", "-12", "=3*-2^2"},
             {"=2--3", "5", "=2--3"},
             {"=2*-3", "-6", "=2*-3"},
             {"=2^3^2", "64", "=2^3^2"},
             {"=8/2*2", "8", "=8/2*2"},
             {"=2-3-4", "-5", "=2-3-4"},
             {"=1e3+1", "1001", "=1e3+1"},
             {"=1E-3*2", "0.002", "=1e-3*2"},
             {"=1/3", "0.333333333333333", "=1/3"},
             {"=1/3*3", "0.999999999999999", "=1/3*3"},
             {"=3e-5/2", "1.5e-05", "=3e-5/2"},
             {"=((2+3)*(4-1))/5", "3", "=((2+3)*(4-1))/5"},
             {"=(((7)))", "7", "=(((7)))"},
             {"=007", "007", "=007"},
             {"=2*(1-3)", "-4", "=2*(1-3)"},
             {"=(1-3)^2", "4", "=(1-3)^2"},
             {"=1+(1-3)^2", "-3", "=1+(1-3)^2"},  // the group's sign is read as an operator
             {"=(1+2)*(3-4)^2", "-3", "=(1+2)*(3-4)^2"},
             {"=1e20*1e20", "1e40", "=1e20*1e20"},
         }) {
        auto e = Evaluate(input);
        EXPECT_EQ(e.result[0], value) << input;
        EXPECT_EQ(e.result[1], stored) << input;
        EXPECT_TRUE(e.messages.empty()) << input;
    }
}

TEST(Evaluate_Formula, TextWithoutEqualsSignIsPlainData) {
    auto e = Evaluate("5+3");
    EXPECT_EQ(e.result, (std::array<std::string, 2>{"", ""}));
    EXPECT_TRUE(e.messages.empty());
    EXPECT_EQ(Evaluate(" 5 + 3").text_after, "5+3") << "spaces go even then";
    EXPECT_EQ(Evaluate("").result[0], "");
}

TEST(Evaluate_Formula, FailuresShowTheGeneralErrorWithTheWorkingText) {
    struct Case {
        const char* input;
        const char* working;
    };
    for (auto [input, working] : std::initializer_list<Case>{
             {"=1/0", "(1/0)"},
             {"=(1+2", "(1+2"},
             {"=1+2)", "1+2)"},
             {"=1..5", "(1..5)"},
             {"=2a", "(2A)"},
             {"=1,5", "(1,5)"},
             {"=()", "(())"},
             {"=2*", "(2*)"},
             {"=", "()"},
             {"=10^400", "(10^400)"},
             {"='x'*2", "('X'*2)"},
         }) {
        auto e = Evaluate(input);
        std::string stored = "=" + std::string(input + 1);
        for (char& c : stored) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(e.result[0], stored) << input;
        EXPECT_EQ(e.result[1], stored) << input;
        ASSERT_EQ(e.messages.size(), 1u) << input;
        EXPECT_EQ(e.messages[0].text, General_Error(input, working)) << input;
        EXPECT_EQ(e.messages[0].title, "Error in Formula...");
        EXPECT_EQ(e.messages[0].style, kCritical);
    }
}

TEST(Evaluate_Formula, ImplicitMultiplicationIsProposedAndNeedsTheUsersYes) {
    const std::string proposal =
        "An error was found in the equation you entered.\r\nWould you like to use the corrected "
        "equation shown below?\r\n\r\n2*(3)\r\n\r\nTo accept these changes, select YES.\r\nTo "
        "correct the equation on your own, select NO.";
    auto yes = Evaluate("=2(3)", Variant(), {Msg::Yes});
    EXPECT_EQ(yes.result, (std::array<std::string, 2>{"6", "=2*(3)"}));
    ASSERT_EQ(yes.messages.size(), 1u);
    EXPECT_EQ(yes.messages[0].text, proposal);
    EXPECT_EQ(yes.messages[0].title, "Equation Error");
    EXPECT_EQ(yes.messages[0].style, Msg::Yes_No | Msg::Question | Msg::System_Modal);

    auto no = Evaluate("=2(3)", Variant(), {Msg::No});
    EXPECT_EQ(no.result, (std::array<std::string, 2>{"=2(3)", "=2(3)"}));
    ASSERT_EQ(no.messages.size(), 2u);
    EXPECT_EQ(no.messages[1].text, General_Error("=2(3)", "2(3)"));

    auto both_sides = Evaluate("=(1)(2)3", Variant(), {Msg::Yes});
    EXPECT_EQ(both_sides.result, (std::array<std::string, 2>{"6", "=(1)*(2)*3"}));
    auto second_equals = Evaluate("=2=3", Variant(), {Msg::Yes});
    EXPECT_EQ(second_equals.result, (std::array<std::string, 2>{"23", "=23"}));
}

TEST(Evaluate_Formula, VariablesBetweenQuotes) {
    Variant table = Table({{"x", "4"}, {"Y", 0.5}, {"word", "abc"}, {"x", "99"}});
    auto e = Evaluate("='X'*2", table);
    EXPECT_EQ(e.result, (std::array<std::string, 2>{"8", "='x'*2"}));
    EXPECT_TRUE(e.messages.empty());
    EXPECT_EQ(Evaluate("='x'*2+'y'", table).result[0], "8.5");
    EXPECT_EQ(Evaluate("='x'", table).result[0], "4");

    for (const char* bad : {"=''*2", "='X*2"}) {
        auto v = Evaluate(bad, table);
        ASSERT_EQ(v.messages.size(), 1u) << bad;
        EXPECT_EQ(v.messages[0].text.substr(0, 68),
                  "The formula you entered contains an error with VARIABLE definitions:")
            << bad;
        EXPECT_EQ(v.result[0], v.result[1]);
    }
    auto unknown = Evaluate("='z'+1", table);
    ASSERT_EQ(unknown.messages.size(), 1u);
    EXPECT_EQ(unknown.messages[0].text, General_Error("='z'+1", "('Z'+1)"));
    EXPECT_EQ(Evaluate("='word'+1", table).messages.size(), 1u) << "a value must be numeric";
    auto empty_table = std::make_shared<Variant_Array>(0, 2, 0, 0);
    EXPECT_EQ(Evaluate("='x'*2", Variant(Array_Ref(empty_table))).messages.size(), 1u);
}

TEST(Evaluate_Formula, LongFormulasEvaluate) {
    std::string sum = "=1";
    for (int i = 0; i < 999; ++i) sum += "+1";
    EXPECT_EQ(Evaluate(sum).result[0], "1000");
    std::string nested = "=";
    for (int i = 0; i < 200; ++i) nested += "(";
    nested += "2";
    for (int i = 0; i < 200; ++i) nested += "*1)";
    EXPECT_EQ(Evaluate(nested).result[0], "2");
    std::string long_number(300, '1');
    EXPECT_TRUE(Evaluate("=" + long_number).result[0] == long_number) << "kept as written";
    auto too_big = Evaluate("=" + std::string(400, '9'));
    EXPECT_EQ(too_big.messages.size(), 1u) << "beyond a double's range";
}

TEST(Rewriting_Steps, SignsAndExponents) {
    std::string s = "1E+5+-2--3++4*+5---6";
    EXPECT_EQ(Normalise_Signs(s), "1E5-2+3+4*5+-6");
    std::string e = "(2E3*1E-2)";  // one "E" left on the first pass is left to the solvers
    EXPECT_EQ(Expand_Exponents(e), "(2000*1E-2)");
    std::string three = "(1E1+2E1+3E1)";
    EXPECT_EQ(Expand_Exponents(three), "(10+20+30)");
    std::string big = "(1E20+1E20)";  // written back with exponents again, and still ends
    EXPECT_EQ(Expand_Exponents(big), "(1E20+1E20)");
    std::string bad = "(E5)";
    EXPECT_EQ(Expand_Exponents(bad), "");
    std::string p = "2^3^2";
    EXPECT_EQ(Solve_Powers(p), "64");
    std::string q = "6/0";
    EXPECT_EQ(Solve_Products(q), "");
    std::string r = "-5";
    EXPECT_EQ(Solve_Sums(r), "-5");
}

// Formulas of every shape, well formed or not, from a fixed seed: signs after operators and in
// runs, exponent forms, implicit products, variables, stray characters and parentheses.
std::string Random_Formula(std::mt19937& rng, int max_terms = 8, int max_depth = 4) {
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    static const char* atoms[] = {"0",   "1",     "2",   "3",        "7",    "10",   "0.5",
                                  ".25", "12.75", "1e3", "2E-2",     "1e20", "'x'",  "'y'",
                                  "'z'", "007",   "1.",  "99999999", "1E+2", "3e-5", "'neg'"};
    static const char* ops[] = {"+", "-", "*", "/", "^", "+", "-", "*", "*-", "+-", "--", "/+"};
    static const char* signs[] = {"-", "+", "--", "-+", "+-", "---"};
    std::string f = pick(10) == 0 ? "" : "=";
    int depth = 0;
    int terms = 1 + pick(max_terms);
    for (int t = 0; t < terms; ++t) {
        if (pick(4) == 0) f += signs[pick(pick(8) == 0 ? 6 : 2)];
        while (pick(3) == 0 && depth < max_depth) f += "(", ++depth;
        f += atoms[pick(std::size(atoms))];
        while (depth > 0 && pick(3) == 0) {
            f += ")", --depth;
            if (pick(12) == 0) f += pick(2) ? "2" : "(1)";  // an implicit product
        }
        if (t + 1 < terms) f += ops[pick(pick(5) == 0 ? std::size(ops) : 8)];
        if (pick(40) == 0) f += " ";
    }
    while (depth > 0 && pick(6) != 0) f += ")", --depth;
    switch (pick(30)) {
        case 0:
            f.insert(f.size() / 2, "(");
            break;
        case 1:
            f += "2";
            f.insert(1, "3(");
            break;
        case 2:
            f += "a";
            break;
        case 3:
            f.insert(1, "..");
            break;
        case 4:
            f += "=1";
            break;
        default:
            break;
    }
    return f;
}

// The fast evaluator, the streaming rewriting and the rules taken literally give the same
// results, leave the caller the same text and show the same messages, answered the same way.
void Expect_Same_As_Literal(const std::string& formula, const Variant& variables,
                            std::deque<int> answers) {
    Recording_Message_Box literal;
    literal.answers = answers;
    std::string reference_text = formula;
    auto reference = detail::Evaluate_Formula_Literally(reference_text, literal, variables);
    for (bool direct : {true, false}) {
        Recording_Message_Box box;
        box.answers = answers;
        std::string text = formula;
        auto result = direct ? Evaluate_Formula(text, box, variables)
                             : Evaluate_Formula_By_Rewriting(text, box, variables);
        ASSERT_EQ(result, reference) << formula << (direct ? " (direct)" : " (rewriting)");
        ASSERT_EQ(text, reference_text) << formula;
        ASSERT_EQ(box.calls.size(), literal.calls.size()) << formula;
        for (size_t m = 0; m < box.calls.size(); ++m) {
            ASSERT_EQ(box.calls[m].text, literal.calls[m].text) << formula;
            ASSERT_EQ(box.calls[m].style, literal.calls[m].style) << formula;
        }
    }
}

TEST(Evaluate_Formula, EveryPathAgreesWithTheRulesTakenLiterally) {
    std::mt19937 rng(20261206);
    Variant table = Table({{"x", "4"}, {"y", 2.5}, {"neg", "-3"}});
    const Variant none;
    for (int i = 0; i < 30000; ++i) {
        std::string formula = Random_Formula(rng);
        for (const Variant* variables : {static_cast<const Variant*>(&table), &none}) {
            Expect_Same_As_Literal(formula, *variables, {rng() % 2 ? Msg::Yes : Msg::No, Msg::Yes});
            if (HasFatalFailure()) return;
        }
    }
    // Long and deeply nested ones, still short enough for the literal rules.
    for (int i = 0; i < 60; ++i) {
        std::string formula = Random_Formula(rng, 400, i % 3 == 0 ? 60 : 6);
        if (formula.empty() || formula[0] != '=') formula.insert(0, "=");
        Expect_Same_As_Literal(formula, table, {Msg::Yes, Msg::Yes});
        if (HasFatalFailure()) return;
    }
}

TEST(Rewriting_Steps, AgreeWithTheStepsTakenLiterally) {
    // Any text over the characters the steps read, signs in runs included.
    std::mt19937 rng(7);
    const std::string alphabet = "0123456789.E+-*/^e--++";
    for (int i = 0; i < 40000; ++i) {
        std::string text;
        for (int n = 1 + static_cast<int>(rng() % 24); n > 0; --n)
            text += alphabet[rng() % alphabet.size()];
        for (char kind : {'^', '*', '+', 'E'}) {
            std::string fast = text, literal = text;
            switch (kind) {
                case '^':
                    Solve_Powers(fast);
                    break;
                case '*':
                    Solve_Products(fast);
                    break;
                case '+':
                    Solve_Sums(fast);
                    break;
                default:
                    Expand_Exponents(fast);
            }
            detail::Step_Literally(literal, kind);
            ASSERT_EQ(fast, literal) << kind << " of " << text;
        }
    }
}

TEST(Evaluate_Formula, FormulasOfAHundredThousandCharacters) {
    // Plain terms go the direct way; a sign after an operator and implicit products go through
    // the rewriting; both in one sweep.
    std::string plain = "=1", signs = "=1", products = "=1", nested = "=";
    while (plain.size() < 100000) plain += "+1";
    while (signs.size() < 100000) signs += "*-1*-1";
    while (products.size() < 100000) products += "+2(1)";
    for (int i = 0; i < 25000; ++i) nested += "(";
    nested += "1";
    for (int i = 0; i < 25000; ++i) nested += "+1)";
    EXPECT_EQ(Evaluate(plain).result[0], "50000");
    auto sign_result = Evaluate(signs);
    EXPECT_EQ(sign_result.result[0], "1");
    EXPECT_EQ(sign_result.result[1], Lower_Copy(signs));
    auto product_result = Evaluate(products, Variant(), {Msg::Yes});
    EXPECT_EQ(product_result.result[0], std::to_string(1 + 2 * (products.size() - 2) / 5));
    ASSERT_EQ(product_result.messages.size(), 1u) << "the correction is proposed once";
    EXPECT_EQ(Evaluate(nested).result[0], "25001");

    std::string rewritten = signs;
    Recording_Message_Box box;
    EXPECT_EQ(Evaluate_Formula_By_Rewriting(rewritten, box)[0], "1");
    std::string exponents = "=1";
    while (exponents.size() < 100000) exponents += "+1E1";
    EXPECT_EQ(Evaluate_Formula_By_Rewriting(exponents, box)[0],
              std::to_string(1 + 10 * ((exponents.size() - 2) / 4)));
    EXPECT_TRUE(box.calls.empty());
}

TEST(Text_To_Double, ReadsNumbersOutOfAnyText) {
    EXPECT_EQ(Text_To_Double("abc"), 0);
    EXPECT_EQ(Text_To_Double(""), 0);
    EXPECT_EQ(Text_To_Double("-3.5"), -3.5);
    EXPECT_EQ(Text_To_Double("12.5 mm"), 12.5);
    EXPECT_EQ(Text_To_Double("1e3"), 1000);
    EXPECT_EQ(Text_To_Double("--"), 0);
}

struct Comma_Decimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

TEST(Text_To_Double, FollowsTheLocalesDecimalSeparator) {
    std::locale previous =
        std::locale::global(std::locale(std::locale::classic(), new Comma_Decimal));
    EXPECT_EQ(Locale_Decimal_Separator(), ',');
    EXPECT_EQ(Text_To_Double("2,5"), 2.5);
    EXPECT_EQ(Text_To_Double("12.5 mm"), 12.5) << "a '.' is still read";
    EXPECT_EQ(Text_To_Double("x 3,25 kg"), 3.25);
    std::locale::global(previous);
    EXPECT_EQ(Locale_Decimal_Separator(), '.');
}

TEST(Convert_Feet_Inches, LengthsInInches) {
    Recording_Message_Box box;
    EXPECT_EQ(Convert_Feet_Inches("5'-3-1/2\"", box).To_Double(), 63.5);
    EXPECT_EQ(Convert_Feet_Inches("2-6", box).To_Double(), 30);
    EXPECT_EQ(Convert_Feet_Inches("1-0-0", box).To_Double(), 12);
    EXPECT_EQ(Convert_Feet_Inches("0-0-3/4", box).To_Double(), 0.75);
    EXPECT_EQ(Convert_Feet_Inches("1-2-3-4", box).To_Double(), 17)
        << "parts past the third are ignored";
    Variant plain = Convert_Feet_Inches("12", box);
    EXPECT_TRUE(plain.Is_Text());
    EXPECT_EQ(plain.To_Text(), "12");
    EXPECT_TRUE(box.calls.empty());
}

TEST(Convert_Feet_Inches, UnreadablePartsAreReported) {
    for (const char* bad : {"-5", "a-1", "1-x", "1-2-1/0"}) {
        Recording_Message_Box box;
        Variant result = Convert_Feet_Inches(bad, box);
        EXPECT_EQ(result.To_Text(), bad);
        ASSERT_EQ(box.calls.size(), 1u) << bad;
        EXPECT_EQ(box.calls[0].text,
                  std::string("The following conversion contains an error and cannot be "
                              "evaluated:\r\n\r\n") +
                      bad);
        EXPECT_EQ(box.calls[0].title, "Error in Formula...");
        EXPECT_EQ(box.calls[0].style, kCritical);
    }
}

}  // namespace
}  // namespace vekgrid
