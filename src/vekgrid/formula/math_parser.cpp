#include "vekgrid/formula/math_parser.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
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

void Normalise(std::string& s) {
    Drop_Exponent_Plus(s);
    Sign_Pairs(s);
}

// The operators each solving routine takes, from the character and the one before it.
bool Is_Power_Operator(char c, char) {
    return c == '^';
}
bool Is_Product_Operator(char c, char) {
    return c == '*' || c == '/';
}
bool Is_Sum_Operator(char c, char before) {
    return c == '+' || (c == '-' && before != 'E');
}
using Operator_Test = bool (*)(char, char);

// Solve_Sums stops when only a leading sign or exponent signs are left.
bool Only_Signs_Left(const std::string& s) {
    std::string t = s.empty() ? s : s.substr(1);
    Replace_All(t, "E-", "");
    Replace_All(t, "E+", "");
    return t.find_first_of("+-") == std::string::npos;
}

// One solving routine, taken literally: repeatedly finds the leftmost operator of its kind at
// index 1 or later, normalising signs at every position of the search, and writes the value
// back. Every operation rescans and rewrites the whole text; the reference for the streaming
// form below, and what that form hands over to when the signs around a value need more than
// one normalisation.
std::string Solve_Literally(std::string& s, Rule rule, Operator_Test is_operator, bool sums) {
    while (true) {
        if (sums && Only_Signs_Left(s)) return s;
        size_t op = std::string::npos;
        bool settled = false;
        for (size_t i = 1; i < s.size(); ++i) {
            Settle(s, settled, Normalise);
            if (i < s.size() && is_operator(s[i], s[i - 1])) {
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
        Normalise(s);
    }
}

// "E" expansion from a given state (the running total and where the search resumes).
std::string Expand_Exponents_Literally(std::string& text, int total, size_t resume) {
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
        resume = start + written.size();  // an "E" that a pass wrote back is not expanded again
        Sign_Pairs(text);
        total += static_cast<int>(std::count(text.begin(), text.end(), 'E'));
        if (total <= 1) return text;
    }
}

// ---- Streaming: the same rewriting in one left-to-right sweep. ----
//
// The rules rewrite the whole text after every operation, but an operation only changes its
// own span and, through the sign rules, the run of sign characters around the value written.
// The streaming forms keep the text as a rewritten front (`out`) and an untouched rest, write
// each value at the end of the front and settle the signs around it locally. Where the signs
// there would take more than one normalisation (the rules' walks then rewrite in places the
// sweep has passed), the text as the rules have it at that moment goes to the literal form.

// Characters no sign rule reads: a run of sign characters ends at one of them.
bool Is_Inert(char c) {
    return c != '+' && c != '-' && c != '*' && c != 'E' && c != 'e';
}

struct Stream {
    std::string out;  // rewritten
    std::string src;  // from r on, as it was
    size_t r = 0;

    size_t size() const { return out.size() + src.size() - r; }
    char at(size_t k) const { return k < out.size() ? out[k] : src[r + k - out.size()]; }
    void Take_Until(size_t end) {  // moves the rest up to end into the front
        if (end <= out.size()) return;
        const size_t n = end - out.size();
        out.append(src, r, n);
        r += n;
    }
    std::string Whole() const {
        std::string w = out;
        w.append(src, r);
        return w;
    }
};

// A value was just written at the end of the front, from `from`. Applies `rewrite` once to the
// run of sign characters around it, which is what one application to the whole text does when
// the rest of it was already settled. Returns whether the text is settled again; when it is
// not, t.out holds the whole text after that one application and the rest is empty.
// `changed` is the first place that may differ from before.
template <class Rewrite>
bool Settle_Junction(Stream& t, size_t from, Rewrite rewrite, size_t& changed) {
    constexpr size_t kReach = 16;  // longer runs of sign characters go the literal way
    size_t a = from;
    bool bounded = true;
    while (a > 0 && !Is_Inert(t.out[a - 1]) && (bounded = from - a < kReach)) --a;
    for (size_t n = 0; bounded && t.r < t.src.size() && !Is_Inert(t.src[t.r]); ++n) {
        if (n == kReach) bounded = false;
        t.out += t.src[t.r++];
    }
    if (!bounded) {
        std::string whole = t.Whole();
        rewrite(whole);
        t.out = std::move(whole);
        t.src.clear();
        t.r = 0;
        changed = 0;
        return false;
    }
    changed = a;
    std::string run = t.out.substr(a);
    const size_t before = run.size();
    rewrite(run);
    if (run.size() == before) return true;
    std::string again = run;
    rewrite(again);
    t.out.resize(a);
    t.out += run;
    if (again.size() == run.size()) return true;
    t.out.append(t.src, t.r);
    t.src.clear();
    t.r = 0;
    return false;
}

std::string Solve_Streaming(std::string& s, Rule rule, Operator_Test is_operator, bool sums) {
    {
        std::string probe = s;
        Normalise(probe);
        // "EE-+": dropping the exponent sign joins the two E's into a new one that hides the
        // "+" from Only_Signs_Left while the search still finds it.
        if (probe != s || (sums && s.find("EE") != std::string::npos))
            return Solve_Literally(s, rule, is_operator, sums);
    }
    // Settled and without "EE": Only_Signs_Left holds only where the search finds no operator
    // either, and no value written back makes it so.
    Stream t;
    t.src = std::move(s);
    t.out.reserve(t.src.size());
    size_t i = 1;
    while (true) {
        size_t op = std::string::npos;
        for (const size_t n = t.size(); i < n; ++i) {
            if (is_operator(t.at(i), t.at(i - 1))) {
                op = i;
                break;
            }
        }
        if (op == std::string::npos) break;
        size_t end = op + 1;
        for (const size_t n = t.size(); end < n; ++end) {
            const char c = t.at(end);
            if (!(Is_Digit(c) || c == '.' || Is_E(c) ||
                  ((c == '+' || c == '-') && (Is_E(t.at(end - 1)) || end == op + 1))))
                break;
        }
        t.Take_Until(end);
        const size_t start = Left_Operand_Start(t.out, op, rule);
        auto left = Parse_Number(std::string_view(t.out).substr(start, op - start));
        auto right = Parse_Number(std::string_view(t.out).substr(op + 1, end - op - 1));
        if (!left || !right) return s = "";
        auto value = Apply(t.out[op], *left, *right);
        if (!value) return s = "";
        t.out.resize(start);
        t.out += Number_Text(*value);
        size_t changed = 0;
        if (!Settle_Junction(t, start, Normalise, changed)) {
            s = std::move(t.out);
            return Solve_Literally(s, rule, is_operator, sums);
        }
        // Nothing before `changed` moved, and no operator stood there.
        i = changed > 1 ? changed - 1 : 1;
    }
    return s = t.Whole();
}

std::string Expand_Exponents_Streaming(std::string& text) {
    if (text.find('E') == std::string::npos) return text;
    Stream t;
    t.src = text;
    Sign_Pairs(t.src);  // the search's first position settles the signs
    {
        std::string again = t.src;
        Sign_Pairs(again);
        if (again != t.src) return Expand_Exponents_Literally(text, 0, 1);
    }
    t.out.reserve(t.src.size());
    auto count_e = [](std::string_view v) {
        return static_cast<int>(std::count(v.begin(), v.end(), 'E'));
    };
    int e_count = count_e(t.src);
    int total = 0;
    size_t resume = 1;
    while (true) {
        size_t e = std::string::npos;
        for (size_t i = resume, n = t.size(); i < n; ++i) {
            if (t.at(i) == 'E') {
                e = i;
                break;
            }
        }
        if (e == std::string::npos) return text = t.Whole();
        size_t end = e + 1;
        for (const size_t n = t.size(); end < n; ++end) {
            const char c = t.at(end);
            if (!(Is_Digit(c) || c == '.' || (c == '-' && end == e + 1))) break;
        }
        t.Take_Until(end);
        const size_t start = Left_Operand_Start(t.out, e, Rule::Others);
        auto mantissa = Parse_Number(std::string_view(t.out).substr(start, e - start));
        auto exponent = Parse_Number(std::string_view(t.out).substr(e + 1, end - e - 1));
        if (!mantissa || !exponent) return text = "";
        auto value = Finite(*mantissa * std::pow(10.0, *exponent));
        if (!value) return text = "";
        std::string written = Number_Text(*value);
        Replace_All(written, "E+", "E");
        e_count += count_e(written) - count_e(std::string_view(t.out).substr(start));
        t.out.resize(start);
        t.out += written;
        resume = start + written.size();
        size_t changed = 0;
        const bool settled = Settle_Junction(t, start, Sign_Pairs, changed);
        total += e_count;
        if (total <= 1) return text = t.Whole();
        if (!settled) {
            text = std::move(t.out);
            return Expand_Exponents_Literally(text, total, resume);
        }
    }
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

const Variant* Numeric_Value(const Variant_Array& table, const std::string& name) {
    const Variant* value = Lookup(table, name);
    if (!value || value->Is_Object() || value->Is_Array() || !value->Is_Numeric()) return nullptr;
    return value;
}

// The rewriting evaluator, literally (every step over the whole text) or streaming.
class Rewriter {
  public:
    explicit Rewriter(bool literal) : literal_(literal) {}

    std::string Powers(std::string& s) const {
        return Solve(s, Rule::Powers, Is_Power_Operator, false);
    }
    std::string Products(std::string& s) const {
        return Solve(s, Rule::Others, Is_Product_Operator, false);
    }
    std::string Sums(std::string& s) const { return Solve(s, Rule::Others, Is_Sum_Operator, true); }
    std::string Exponents(std::string& s) const {
        if (!literal_) return Expand_Exponents_Streaming(s);
        if (s.find('E') == std::string::npos) return s;
        return Expand_Exponents_Literally(s, 0, 1);
    }

    std::array<std::string, 2> Evaluate(std::string& formula_text, Message_Box& messages,
                                        const Variant& variable_table) const;

  private:
    std::string Solve(std::string& s, Rule rule, Operator_Test op, bool sums) const {
        return literal_ ? Solve_Literally(s, rule, op, sums) : Solve_Streaming(s, rule, op, sums);
    }
    std::string Implicit_Multiplication(const std::string& w) const;
    void Substitute_Variables(std::string& working, const Variant_Array& table) const;
    void Substitute_Variables_Literally(std::string& working, const Variant_Array& table) const;
    void Reduce_Groups(std::string& working) const;
    void Reduce_Groups_Literally(std::string& working) const;
    // Powers, products and sums over a group's inside until a number is left.
    void Solve_Group(std::string& inner, size_t group_size, const std::string& working) const;

    bool literal_;
};

// The implicit multiplications a user most likely meant: 2(3) is 2*(3), (1)(2) is (1)*(2),
// (2)3 is (2)*3. Each pair seen in the text puts a "*" between every such pair.
std::string Rewriter::Implicit_Multiplication(const std::string& w) const {
    if (literal_) {
        std::string corrected = w;
        for (size_t i = 1; i < w.size(); ++i) {
            char c = w[i], before = w[i - 1];
            if (c == '(' && Is_Digit(before))
                Replace_All(corrected, std::string{before, '('}, std::string{before, '*', '('});
            if (c == '(' && before == ')') Replace_All(corrected, ")(", ")*(");
            if (c == ')' && i + 1 < w.size() && Is_Digit(w[i + 1]))
                Replace_All(corrected, std::string{')', w[i + 1]}, std::string{')', '*', w[i + 1]});
            if (c == ')' && i + 1 < w.size() && w[i + 1] == '(')
                Replace_All(corrected, ")(", ")*(");
        }
        return corrected;
    }
    // A "*" only ever goes between the two characters of a pair, so pairs never interfere.
    std::array<bool, 10> digit_open{}, close_digit{};
    bool close_open = false;
    for (size_t i = 1; i < w.size(); ++i) {
        const char c = w[i], before = w[i - 1];
        if (c == '(' && Is_Digit(before)) digit_open[before - '0'] = true;
        if (c == '(' && before == ')') close_open = true;
        if (c == ')' && i + 1 < w.size() && Is_Digit(w[i + 1])) close_digit[w[i + 1] - '0'] = true;
    }
    std::string corrected;
    corrected.reserve(w.size() + w.size() / 2);
    for (size_t i = 0; i < w.size(); ++i) {
        corrected += w[i];
        if (i + 1 == w.size()) break;
        const char a = w[i], b = w[i + 1];
        if ((b == '(' && Is_Digit(a) && digit_open[a - '0']) ||
            (a == ')' && b == '(' && close_open) ||
            (a == ')' && Is_Digit(b) && close_digit[b - '0']))
            corrected += '*';
    }
    return corrected;
}

void Rewriter::Substitute_Variables_Literally(std::string& working,
                                              const Variant_Array& table) const {
    // Scans the text as it was when the scan began; every occurrence of a name goes at once.
    const size_t scan_length = working.size();
    for (size_t i = 0; i < scan_length && i < working.size(); ++i) {
        if (working[i] != '\'') continue;
        size_t close = working.find('\'', i + 1);
        std::string name =
            working.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
        if (name.empty()) throw Formula_Failure{working};
        const Variant* value = Numeric_Value(table, name);
        if (!value) throw Formula_Failure{working};
        Replace_All(working, "'" + name + "'", value->To_Text());
    }
}

// The same in one sweep over the quoted names (the count of quotes is even and no two stand
// together). Where the text between two names could itself read as a name between quotes,
// replacing "every occurrence" reaches across names, and the literal form decides.
void Rewriter::Substitute_Variables(std::string& working, const Variant_Array& table) const {
    if (literal_) return Substitute_Variables_Literally(working, table);
    auto name_character = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    };
    struct Name {
        size_t open, close;
    };
    std::vector<Name> names;
    for (size_t open = working.find('\''); open != std::string::npos;) {
        const size_t close = working.find('\'', open + 1);
        names.push_back({open, close});
        for (size_t k = open + 1; k < close; ++k)
            if (!name_character(working[k])) return Substitute_Variables_Literally(working, table);
        open = working.find('\'', close + 1);
    }
    for (size_t k = 1; k < names.size(); ++k) {
        auto gap = std::string_view(working).substr(names[k - 1].close + 1,
                                                    names[k].open - names[k - 1].close - 1);
        if (std::all_of(gap.begin(), gap.end(), name_character))
            return Substitute_Variables_Literally(working, table);
    }
    const size_t scan_length = working.size();
    std::unordered_map<std::string, std::string> values;  // names replaced so far
    std::string out;
    out.reserve(working.size());
    size_t copied = 0;
    auto copy_through = [&](size_t k) {  // the rest of the text as the rewriting has it
        for (; k < names.size(); ++k) {
            out.append(working, copied, names[k].open - copied);
            std::string name =
                working.substr(names[k].open + 1, names[k].close - names[k].open - 1);
            auto known = values.find(name);
            if (known != values.end())
                out += known->second;
            else
                out.append(working, names[k].open, names[k].close - names[k].open + 1);
            copied = names[k].close + 1;
        }
        out.append(working, copied);
    };
    for (size_t k = 0; k < names.size(); ++k) {
        out.append(working, copied, names[k].open - copied);
        std::string name = working.substr(names[k].open + 1, names[k].close - names[k].open - 1);
        copied = names[k].close + 1;
        auto known = values.find(name);
        if (known != values.end()) {
            out += known->second;
            continue;
        }
        if (out.size() >= scan_length) {  // past where the scan ends: stays as written
            out.append(working, names[k].open, names[k].close - names[k].open + 1);
            continue;
        }
        const Variant* value = Numeric_Value(table, name);
        if (!value) {
            copied = names[k].open;
            copy_through(k);
            throw Formula_Failure{out};
        }
        out += values.emplace(name, value->To_Text()).first->second;
    }
    out.append(working, copied);
    working = std::move(out);
}

void Rewriter::Solve_Group(std::string& inner, size_t group_size,
                           const std::string& working) const {
    // Each round takes at least one operator; a round that takes none cannot end.
    for (size_t rounds = 0;; ++rounds) {
        std::string before = inner;
        Powers(inner);
        Products(inner);
        Sums(inner);
        if (inner.empty()) throw Formula_Failure{working};
        if (Is_Plain_Number(inner)) return;
        if (inner == before || rounds > group_size) throw Formula_Failure{working};
    }
}

// Repeatedly the first innermost group: its inside solved, and every copy of the group replaced
// by the result.
void Rewriter::Reduce_Groups_Literally(std::string& working) const {
    while (true) {
        size_t open = std::string::npos, close = std::string::npos;
        const size_t walk_length = working.size();
        bool settled = false;
        for (size_t i = 0; i < walk_length && close == std::string::npos; ++i) {
            Settle(working, settled, Normalise);
            if (i >= working.size() || working[i] != '(') continue;
            for (size_t j = i + 1; j < working.size(); ++j) {
                if (working[j] == '(') break;
                if (working[j] == ')') {
                    open = i, close = j;
                    break;
                }
            }
        }
        if (close == std::string::npos) return;
        const std::string group = working.substr(open, close - open + 1);
        std::string inner = group.substr(1, group.size() - 2);
        Solve_Group(inner, group.size(), working);
        Replace_All(working, group, inner);
    }
}

// The same with a stack of open parentheses: the first innermost group is always the last "("
// before the first ")" not yet reduced. Other copies of a group are reduced when the sweep
// reaches them, to the same value, as nothing rewrites inside a group before it is solved.
void Rewriter::Reduce_Groups(std::string& working) const {
    if (literal_) return Reduce_Groups_Literally(working);
    const std::string start = working;
    Stream t;
    t.src = working;
    Normalise(t.src);  // the walk's first position
    {
        std::string again = t.src;
        Normalise(again);
        if (again != t.src) return Reduce_Groups_Literally(working);
    }
    t.out.reserve(t.src.size());
    std::vector<size_t> opens;
    std::unordered_set<std::string> solved;  // groups reduced so far, as written
    // The rules reduce a group's later copies at once; whether any stand in the rest decides
    // whether the text as the sweep has it is the text as the rules have it.
    auto copies_ahead = [&] {
        for (size_t open = std::string::npos, k = t.r; k < t.src.size(); ++k) {
            if (t.src[k] == '(') open = k;
            if (t.src[k] == ')' && open != std::string::npos &&
                solved.count(t.src.substr(open, k - open + 1)))
                return true;
            if (t.src[k] == ')') open = std::string::npos;
        }
        return false;
    };
    while (t.r < t.src.size()) {
        const char c = t.src[t.r++];
        if (c == '(') opens.push_back(t.out.size());
        if (c != ')' || opens.empty()) {
            t.out += c;
            continue;
        }
        const size_t open = opens.back();
        opens.pop_back();
        std::string inner = t.out.substr(open + 1);
        const size_t group_size = inner.size() + 2;
        try {
            Solve_Group(inner, group_size, {});
        } catch (const Formula_Failure&) {
            if (copies_ahead()) {
                working = start;
                Reduce_Groups_Literally(working);  // fails the same way, with the rules' text
            }
            t.out += ')';
            throw Formula_Failure{t.Whole()};
        }
        solved.insert(t.out.substr(open) + ')');
        t.out.resize(open);
        t.out += inner;
        size_t changed = 0;
        if (!Settle_Junction(t, open, Normalise, changed)) {
            // The rules' next walk settles the signs further: go on literally from here.
            working = copies_ahead() ? start : std::move(t.out);
            return Reduce_Groups_Literally(working);
        }
    }
    working = std::move(t.out);
}

std::array<std::string, 2> Rewriter::Evaluate(std::string& formula_text, Message_Box& messages,
                                              const Variant& variable_table) const {
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
            Substitute_Variables(working, *table);
        }

        Normalise(working);
        Exponents(working);
        if (working.empty()) fail();
        if (working.find_first_not_of("1234567890.eE^+-/*()") != std::string::npos ||
            working.find("..") != std::string::npos)
            fail();

        Reduce_Groups(working);
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

}  // namespace

std::string Normalise_Signs(std::string& text) {
    Normalise(text);
    return text;
}

std::string Solve_Powers(std::string& text) {
    return Rewriter(false).Powers(text);
}

std::string Solve_Products(std::string& text) {
    return Rewriter(false).Products(text);
}

std::string Solve_Sums(std::string& text) {
    return Rewriter(false).Sums(text);
}

std::string Expand_Exponents(std::string& text) {
    return Rewriter(false).Exponents(text);
}

std::array<std::string, 2> Evaluate_Formula_By_Rewriting(std::string& formula_text,
                                                         Message_Box& messages,
                                                         const Variant& variable_table) {
    return Rewriter(false).Evaluate(formula_text, messages, variable_table);
}

namespace detail {

std::array<std::string, 2> Evaluate_Formula_Literally(std::string& formula_text,
                                                      Message_Box& messages,
                                                      const Variant& variable_table) {
    return Rewriter(true).Evaluate(formula_text, messages, variable_table);
}

std::string Step_Literally(std::string& text, char kind) {
    Rewriter literal(true);
    switch (kind) {
        case '^':
            return literal.Powers(text);
        case '*':
            return literal.Products(text);
        case '+':
            return literal.Sums(text);
        default:
            return literal.Exponents(text);
    }
}

}  // namespace detail

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
        // The outer frame can hold every operand; a group's frame keeps its room for the next
        // group at its depth, so long formulas do not grow vectors one operand at a time.
        const size_t operators =
            static_cast<size_t>(std::count_if(formula.begin(), formula.end(), [](char c) {
                return c == '+' || c == '-' || c == '*' || c == '/' || c == '^';
            }));
        depth_ = 0;
        if (frames_.empty()) frames_.emplace_back();
        Open_Frame(operators + 1);
        bool expect_operand = true;
        bool exponent_seen = false;
        while (i < formula.size()) {
            char c = formula[i];
            if (expect_operand) {
                if (c == '(') {
                    ++depth_;
                    if (depth_ == frames_.size()) frames_.emplace_back();
                    Open_Frame(0);
                    ++i;
                    continue;
                }
                Value v;
                bool negative = false;
                if (c == '-' && Top().operands.empty() && i + 1 < formula.size() &&
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
                Top().operands.push_back(std::move(v));
                expect_operand = false;
            } else {
                if (c == ')') {
                    if (depth_ == 0) return std::nullopt;
                    auto v = Reduce(Top());
                    if (!v) return std::nullopt;
                    --depth_;
                    if (!Push_Group_Value(Top(), std::move(*v))) return std::nullopt;
                    ++i;
                    continue;
                }
                if (c != '+' && c != '-' && c != '*' && c != '/' && c != '^') return std::nullopt;
                Top().operators.push_back(c);
                expect_operand = true;
                ++i;
            }
        }
        if (expect_operand || depth_ != 0) return std::nullopt;
        auto result = Reduce(Top());
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

    Frame& Top() { return frames_[depth_]; }
    void Open_Frame(size_t room) {
        Frame& f = Top();
        f.operands.clear();
        f.operators.clear();
        f.operands.reserve(room);
        f.operators.reserve(room);
    }

    std::vector<Frame> frames_;  // frames_[0..depth_] are open; the rest keep their room
    size_t depth_ = 0;
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
