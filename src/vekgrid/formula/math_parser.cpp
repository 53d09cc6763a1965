#include "vekgrid/formula/math_parser.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

#include "vekgrid/common/number_text.h"

namespace vekgrid {

namespace {

constexpr int kErrorStyle = Msg::OK_Only | Msg::Critical | Msg::System_Modal;
constexpr int kCorrectionStyle = Msg::Yes_No | Msg::Question | Msg::System_Modal;
constexpr char kFormulaTitle[] = "Error in Formula...";

bool Is_Digit(char c) {
    return c >= '0' && c <= '9';
}
bool Is_E(char c) {
    return c == 'E' || c == 'e';
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}
std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// One left-to-right pass replacing every occurrence, like a classic Replace.
void Replace_All(std::string& s, std::string_view from, std::string_view to) {
    if (s.find(from) == std::string::npos) return;
    std::string out;
    out.reserve(s.size());
    size_t pos = 0;
    while (true) {
        size_t hit = s.find(from, pos);
        if (hit == std::string::npos) break;
        out.append(s, pos, hit - pos).append(to);
        pos = hit + from.size();
    }
    out.append(s, pos, std::string::npos);
    s = std::move(out);
}

void Remove_All(std::string& s, char c) {
    s.erase(std::remove(s.begin(), s.end(), c), s.end());
}

// "E+" becomes "E" whatever the case of the E.
void Drop_Exponent_Plus(std::string& s) {
    Replace_All(s, "E+", "E");
    Replace_All(s, "e+", "E");
}

void Sign_Pairs(std::string& s) {
    Replace_All(s, "+-", "-");
    Replace_All(s, "--", "+");
    Replace_All(s, "++", "+");
    Replace_All(s, "*+", "*");
}

// Operand readers around an operator at index op.
enum class Rule { Powers, Others };

size_t Left_Operand_Start(const std::string& s, size_t op, Rule rule) {
    size_t start = op;
    while (start > 0) {
        size_t k = start - 1;
        char c = s[k];
        bool take = Is_Digit(c) || c == '.' || (rule == Rule::Others && Is_E(c)) ||
                    (c == '-' && k == 0) || (c == '-' && k > 0 && Is_E(s[k - 1])) ||
                    (rule == Rule::Powers && Is_E(c) && k + 1 < s.size() && s[k + 1] == '-');
        if (!take) break;
        start = k;
    }
    return start;
}

size_t Right_Operand_End(const std::string& s, size_t op) {  // one past the end
    size_t end = op + 1;
    while (end < s.size()) {
        char c = s[end];
        bool take = Is_Digit(c) || c == '.' || Is_E(c) ||
                    ((c == '+' || c == '-') && (Is_E(s[end - 1]) || end == op + 1));
        if (!take) break;
        ++end;
    }
    return end;
}

std::optional<double> Finite(double v) {
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<double> Apply(char op, double a, double b) {
    switch (op) {
        case '^':
            return Finite(std::pow(a, b));
        case '*':
            return Finite(a * b);
        case '/':
            if (b == 0) return std::nullopt;
            return Finite(a / b);
        case '+':
            return Finite(a + b);
        default:
            return Finite(a - b);
    }
}

// Applies a sign rewrite that the rules apply at every position of a walk. A rewrite that
// changed nothing will change nothing again, so from then on it is skipped.
template <class Rewrite>
void Settle(std::string& s, bool& settled, Rewrite rewrite) {
    if (settled) return;
    const size_t before = s.size();
    rewrite(s);
    settled = s.size() == before;  // every rewrite that does something shortens the text
}

// One solving routine: repeatedly finds the leftmost operator of its kind at index 1 or
// later, normalising signs at every position of the search, and writes the value back.
template <class Is_Operator, class Give_Up>
std::string Solve(std::string& s, Rule rule, Is_Operator is_operator, Give_Up give_up) {
    while (true) {
        if (give_up(s)) return s;
        size_t op = std::string::npos;
        bool settled = false;
        for (size_t i = 1; i < s.size(); ++i) {
            Settle(s, settled, Normalise_Signs);
            if (i < s.size() && is_operator(s, i)) {
                op = i;
                break;
            }
        }
        if (op == std::string::npos) return s;
        size_t start = Left_Operand_Start(s, op, rule);
        size_t end = Right_Operand_End(s, op);
        auto left = Parse_Number(std::string_view(s).substr(start, op - start));
        auto right = Parse_Number(std::string_view(s).substr(op + 1, end - op - 1));
        if (!left || !right) return s = "";
        auto value = Apply(s[op], *left, *right);
        if (!value) return s = "";
        s.replace(start, end - start, Number_Text(*value));
        Normalise_Signs(s);
    }
}

bool Never(const std::string&) {
    return false;
}

// Nothing left to compute: no operator after the first character once exponent signs go.
bool Is_Plain_Number(std::string t) {
    Replace_All(t, "E-", "");
    Replace_All(t, "E+", "");
    Remove_All(t, '=');
    if (!t.empty()) t.erase(0, 1);
    return t.find_first_of("^/*-+") == std::string::npos;
}

struct Formula_Failure {
    std::string working;  // the working text when it failed
};

std::string Lines(std::initializer_list<std::string> lines) {
    std::string out;
    for (const auto& l : lines) {
        if (&l != lines.begin()) out += "\r\n";
        out += l;
    }
    return out;
}

void Show_General_Error(Message_Box& box, const std::string& formula, const std::string& working) {
    box.MsgBox(Lines({"The formula you entered contains an error and cannot be evaluated:", "",
                      formula, "", "Error in: " + working}),
               kErrorStyle, kFormulaTitle);
}

bool Accept_Correction(Message_Box& box, const std::string& corrected) {
    return box.MsgBox(Lines({"An error was found in the equation you entered.",
                             "Would you like to use the corrected equation shown below?", "",
                             corrected, "", "To accept these changes, select YES.",
                             "To correct the equation on your own, select NO."}),
                      kCorrectionStyle, "Equation Error") == Msg::Yes;
}

// The table, when present: a 2-D array whose bounds reach 1 in both dimensions.
const Variant_Array* Table_Of(const Variant& variables) {
    if (!variables.Is_Array()) return nullptr;
    const Variant_Array& table = *variables.To_Array();
    if (table.Upper(1) < 1 || table.Upper(2) < 1) return nullptr;
    return &table;
}

// The value of the first entry named name (upper case), or nothing.
const Variant* Lookup(const Variant_Array& table, const std::string& name) {
    for (int k = std::max(1, table.Lower(2)); k <= table.Upper(2); ++k) {
        if (!table.Contains(1, k) || !table.Contains(2, k)) continue;
        const Variant& entry = table(1, k);
        if (entry.Is_Object() || entry.Is_Array()) continue;
        if (Upper(entry.To_Text()) == name) return &table(2, k);
    }
    return nullptr;
}

// The implicit multiplications a user most likely meant: 2(3) is 2*(3), (1)(2) is (1)*(2),
// (2)3 is (2)*3.
std::string Implicit_Multiplication(const std::string& w) {
    std::string corrected = w;
    for (size_t i = 1; i < w.size(); ++i) {
        char c = w[i], before = w[i - 1];
        if (c == '(' && Is_Digit(before))
            Replace_All(corrected, std::string{before, '('}, std::string{before, '*', '('});
        if (c == '(' && before == ')') Replace_All(corrected, ")(", ")*(");
        if (c == ')' && i + 1 < w.size() && Is_Digit(w[i + 1]))
            Replace_All(corrected, std::string{')', w[i + 1]}, std::string{')', '*', w[i + 1]});
        if (c == ')' && i + 1 < w.size() && w[i + 1] == '(') Replace_All(corrected, ")(", ")*(");
    }
    return corrected;
}

}  // namespace

std::string Normalise_Signs(std::string& text) {
    Drop_Exponent_Plus(text);
    Sign_Pairs(text);
    return text;
}

std::string Solve_Powers(std::string& text) {
    return Solve(
        text, Rule::Powers, [](const std::string& s, size_t i) { return s[i] == '^'; }, Never);
}

std::string Solve_Products(std::string& text) {
    return Solve(
        text, Rule::Others,
        [](const std::string& s, size_t i) { return s[i] == '*' || s[i] == '/'; }, Never);
}

std::string Solve_Sums(std::string& text) {
    return Solve(
        text, Rule::Others,
        [](const std::string& s, size_t i) {
            return s[i] == '+' || (s[i] == '-' && s[i - 1] != 'E');
        },
        [](const std::string& s) {
            std::string t = s.empty() ? s : s.substr(1);
            Replace_All(t, "E-", "");
            Replace_All(t, "E+", "");
            return t.find_first_of("+-") == std::string::npos;
        });
}

std::string Expand_Exponents(std::string& text) {
    if (text.find('E') == std::string::npos) return text;
    int total = 0;
    size_t resume = 1;  // an "E" that a pass wrote back is not expanded again
    while (true) {
        size_t e = std::string::npos;
        bool settled = false;
        for (size_t i = resume; i < text.size(); ++i) {
            Settle(text, settled, Sign_Pairs);
            if (i < text.size() && text[i] == 'E') {
                e = i;
                break;
            }
        }
        if (e == std::string::npos) return text;
        size_t start = Left_Operand_Start(text, e, Rule::Others);
        size_t end = e + 1;
        while (end < text.size() &&
               (Is_Digit(text[end]) || text[end] == '.' || (text[end] == '-' && end == e + 1)))
            ++end;
        auto mantissa = Parse_Number(std::string_view(text).substr(start, e - start));
        auto exponent = Parse_Number(std::string_view(text).substr(e + 1, end - e - 1));
        if (!mantissa || !exponent) return text = "";
        auto value = Finite(*mantissa * std::pow(10.0, *exponent));
        if (!value) return text = "";
        std::string written = Number_Text(*value);
        Replace_All(written, "E+", "E");
        text.replace(start, end - start, written);
        resume = start + written.size();
        Sign_Pairs(text);
        total += static_cast<int>(std::count(text.begin(), text.end(), 'E'));
        if (total <= 1) return text;
    }
}

std::array<std::string, 2> Evaluate_Formula_By_Rewriting(std::string& formula_text,
                                                         Message_Box& messages,
                                                         const Variant& variable_table) {
    Remove_All(formula_text, ' ');
    if (formula_text.empty() || formula_text[0] != '=') return {"", ""};
    std::string working = Upper(formula_text);
    Remove_All(working, '=');
    std::string normalised = working;
    auto error_result = [&] {
        std::string stored = "=" + Lower(normalised);
        return std::array<std::string, 2>{stored, stored};
    };
    try {
        auto fail = [&] { throw Formula_Failure{working}; };
        if (std::count(formula_text.begin(), formula_text.end(), '=') > 1 &&
            !Accept_Correction(messages, working))
            fail();
        std::string corrected = Implicit_Multiplication(working);
        if (corrected.size() != working.size()) {
            if (!Accept_Correction(messages, corrected)) fail();
            working = normalised = corrected;
        }
        if (std::count(working.begin(), working.end(), '(') !=
            std::count(working.begin(), working.end(), ')'))
            fail();
        Remove_All(working, '=');
        working = "(" + working + ")";

        const Variant_Array* table = Table_Of(variable_table);
        if (table && working.find('\'') != std::string::npos) {
            if (std::count(working.begin(), working.end(), '\'') % 2 == 1 ||
                working.find("''") != std::string::npos) {
                messages.MsgBox(
                    Lines({"The formula you entered contains an error with VARIABLE definitions:",
                           "", formula_text, "", "Error in: " + working}),
                    kErrorStyle, kFormulaTitle);
                return error_result();
            }
            const size_t scan_length = working.size();
            for (size_t i = 0; i < scan_length && i < working.size(); ++i) {
                if (working[i] != '\'') continue;
                size_t close = working.find('\'', i + 1);
                std::string name = working.substr(
                    i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
                if (name.empty()) fail();
                const Variant* value = Lookup(*table, name);
                if (!value || value->Is_Object() || value->Is_Array() || !value->Is_Numeric())
                    fail();
                Replace_All(working, "'" + name + "'", value->To_Text());
            }
        }

        Normalise_Signs(working);
        Expand_Exponents(working);
        if (working.empty()) fail();
        if (working.find_first_not_of("1234567890.eE^+-/*()") != std::string::npos ||
            working.find("..") != std::string::npos)
            fail();

        while (true) {
            size_t open = std::string::npos, close = std::string::npos;
            const size_t walk_length = working.size();
            bool settled = false;
            for (size_t i = 0; i < walk_length && close == std::string::npos; ++i) {
                Settle(working, settled, Normalise_Signs);
                if (i >= working.size() || working[i] != '(') continue;
                for (size_t j = i + 1; j < working.size(); ++j) {
                    if (working[j] == '(') break;
                    if (working[j] == ')') {
                        open = i, close = j;
                        break;
                    }
                }
            }
            if (close == std::string::npos) break;
            const std::string group = working.substr(open, close - open + 1);
            std::string inner = group.substr(1, group.size() - 2);
            // Each round takes at least one operator; a round that takes none cannot end.
            for (size_t rounds = 0;; ++rounds) {
                std::string before = inner;
                Solve_Powers(inner);
                Solve_Products(inner);
                Solve_Sums(inner);
                if (inner.empty()) fail();
                if (Is_Plain_Number(inner)) break;
                if (inner == before || rounds > group.size()) fail();
            }
            Replace_All(working, group, inner);
        }
        Remove_All(working, '=');
        if (!Parse_Number(working)) fail();
        return {Lower(working), "=" + Lower(normalised)};
    } catch (const Formula_Failure& failure) {
        Show_General_Error(messages, formula_text, failure.working);
    } catch (const std::exception&) {
        Show_General_Error(messages, formula_text, working);
    }
    return error_result();
}

namespace {

// The direct evaluator for plain formulas: unsigned numbers (one of them may carry an exponent
// part), a leading "-" on a group's first number, variables whose values are plain numbers,
// binary operators and parentheses, strictly alternating. For those the rewriting rules reduce
// to ordinary precedence (powers, then products, then sums, each left to right) with every
// result rounded through its text, plus what a negative group does once its value is written
// into the text around it: after "+" or "-" its sign merges into the operator, after "*" or "/"
// it applies after the powers that follow ("3*(0-2)^2" is -12). Anything else, and every
// failure, is left to the rewriting evaluator: Run returns nothing.
class Direct_Evaluator {
  public:
    std::optional<std::array<std::string, 2>> Run(const std::string& formula,
                                                  const Variant_Array* table) {
        // formula: spaces removed, starts with '='.
        size_t i = 1;
        frames_.clear();
        frames_.emplace_back();
        bool expect_operand = true;
        bool exponent_seen = false;
        while (i < formula.size()) {
            char c = formula[i];
            if (expect_operand) {
                if (c == '(') {
                    frames_.emplace_back();
                    ++i;
                    continue;
                }
                Value v;
                bool negative = false;
                if (c == '-' && frames_.back().operands.empty() && i + 1 < formula.size() &&
                    (Is_Digit(formula[i + 1]) || formula[i + 1] == '.')) {
                    negative = true;  // a sign at the start of a group belongs to its number
                    c = formula[++i];
                }
                if (Is_Digit(c) || c == '.') {
                    size_t start = i;
                    if (!Read_Number(formula, i, v, exponent_seen)) return std::nullopt;
                    if (negative) {
                        if (v.computed) return std::nullopt;
                        v.number = -v.number;
                        v.text = "-" + std::string(formula, start, i - start);
                    }
                } else if (c == '\'' && !negative) {
                    if (!table) return std::nullopt;
                    size_t close = formula.find('\'', i + 1);
                    if (close == std::string::npos || close == i + 1) return std::nullopt;
                    std::string name = Upper(formula.substr(i + 1, close - i - 1));
                    for (char n : name)
                        if (!std::isalnum(static_cast<unsigned char>(n)) && n != '_')
                            return std::nullopt;
                    const Variant* value = Lookup(*table, name);
                    if (!value || value->Is_Object() || value->Is_Array()) return std::nullopt;
                    std::string text = value->To_Text();
                    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos)
                        return std::nullopt;
                    auto n = Parse_Number(text);
                    if (!n) return std::nullopt;
                    v = Value{*n, false, false, std::move(text)};
                    i = close + 1;
                } else {
                    return std::nullopt;
                }
                frames_.back().operands.push_back(std::move(v));
                expect_operand = false;
            } else {
                if (c == ')') {
                    if (frames_.size() < 2) return std::nullopt;
                    auto v = Reduce(frames_.back());
                    if (!v) return std::nullopt;
                    frames_.pop_back();
                    if (!Push_Group_Value(frames_.back(), std::move(*v))) return std::nullopt;
                    ++i;
                    continue;
                }
                if (c != '+' && c != '-' && c != '*' && c != '/' && c != '^') return std::nullopt;
                frames_.back().operators.push_back(c);
                expect_operand = true;
                ++i;
            }
        }
        if (expect_operand || frames_.size() != 1) return std::nullopt;
        auto result = Reduce(frames_.back());
        if (!result) return std::nullopt;
        std::string stored = Lower(formula);
        Remove_All(stored, '=');
        std::string value = result->computed ? Number_Text(result->number) : Lower(result->text);
        return std::array<std::string, 2>{value, "=" + stored};
    }

  private:
    struct Value {
        double number = 0;
        bool computed = false;             // false: still the number as written
        bool negate_after_powers = false;  // a negative group's sign, written after "*" or "/"
        std::string text;                  // as written, while not computed
    };
    struct Frame {
        std::vector<Value> operands;
        std::vector<char> operators;
    };

    // A number as typed. One number may carry an exponent part; it is expanded into its plain
    // value first, as the rewriting does, and counts as computed.
    static bool Read_Number(const std::string& f, size_t& i, Value& v, bool& exponent_seen) {
        const size_t start = i;
        bool dot = false;
        while (i < f.size() && (Is_Digit(f[i]) || f[i] == '.')) {
            if (f[i] == '.') {
                if (dot) return false;
                dot = true;
            }
            ++i;
        }
        const size_t mantissa_end = i;
        if (i < f.size() && Is_E(f[i])) {
            if (exponent_seen) return false;
            exponent_seen = true;
            size_t e = ++i;
            if (i < f.size() && (f[i] == '+' || f[i] == '-')) ++i;
            bool exponent_dot = false;
            while (i < f.size() && (Is_Digit(f[i]) || f[i] == '.')) {
                if (f[i] == '.') {
                    if (exponent_dot) return false;
                    exponent_dot = true;
                }
                ++i;
            }
            auto mantissa = Parse_Number(std::string_view(f).substr(start, mantissa_end - start));
            std::string_view exponent_text = std::string_view(f).substr(e, i - e);
            if (!exponent_text.empty() && exponent_text[0] == '+') exponent_text.remove_prefix(1);
            auto exponent = Parse_Number(exponent_text);
            if (!mantissa || !exponent ||
                (exponent_text.size() > 1 && exponent_text[0] == '-' && exponent_text[1] == '.'))
                return false;
            auto value = Finite(*mantissa * std::pow(10.0, *exponent));
            if (!value) return false;
            std::string written = Number_Text(*value);
            if (written.find('E') != std::string::npos) return false;
            v = Value{*Parse_Number(written), true, false, {}};
            return true;
        }
        auto n = Parse_Number(std::string_view(f).substr(start, i - start));
        if (!n) return false;
        v = Value{*n, false, false, f.substr(start, i - start)};
        return true;
    }

    static bool Push_Group_Value(Frame& f, Value v) {
        if (v.number < 0 && !f.operators.empty()) {
            char& op = f.operators.back();
            v.number = -v.number;
            if (op == '+')
                op = '-';
            else if (op == '-')
                op = '+';
            else if (op == '*' || op == '/')
                v.negate_after_powers = true;
            else
                return false;  // a negative exponent: the rewriting decides
        }
        f.operands.push_back(std::move(v));
        return true;
    }

    // Applies the operators of one kind left to right, compacting the frame in place.
    template <class Kind>
    static bool Pass(Frame& f, Kind is_kind) {
        size_t out = 0;
        size_t kept = 0;
        for (size_t k = 0; k < f.operators.size(); ++k) {
            char op = f.operators[k];
            if (!is_kind(op)) {
                f.operators[kept++] = op;
                f.operands[++out] = std::move(f.operands[k + 1]);
                continue;
            }
            auto value = Apply(op, f.operands[out].number, f.operands[k + 1].number);
            if (!value) return false;
            std::string text = Number_Text(*value);
            if (text.find('E') != std::string::npos) return false;
            const bool negate = f.operands[out].negate_after_powers;
            f.operands[out] = Value{*Parse_Number(text), true, negate, {}};
        }
        f.operands.resize(out + 1);
        f.operators.resize(kept);
        return true;
    }

    static std::optional<Value> Reduce(Frame& f) {
        if (f.operands.empty() || f.operands.size() != f.operators.size() + 1) return std::nullopt;
        if (!Pass(f, [](char op) { return op == '^'; })) return std::nullopt;
        for (Value& v : f.operands)
            if (v.negate_after_powers) v.number = -v.number, v.negate_after_powers = false;
        if (!Pass(f, [](char op) { return op == '*' || op == '/'; })) return std::nullopt;
        if (!Pass(f, [](char op) { return op == '+' || op == '-'; })) return std::nullopt;
        return std::move(f.operands[0]);
    }

    std::vector<Frame> frames_;
};

}  // namespace

std::array<std::string, 2> Evaluate_Formula(std::string& formula_text, Message_Box& messages,
                                            const Variant& variable_table) {
    Remove_All(formula_text, ' ');
    if (formula_text.empty() || formula_text[0] != '=') return {"", ""};
    Direct_Evaluator direct;
    if (auto result = direct.Run(formula_text, Table_Of(variable_table))) return *result;
    return Evaluate_Formula_By_Rewriting(formula_text, messages, variable_table);
}

}  // namespace vekgrid
