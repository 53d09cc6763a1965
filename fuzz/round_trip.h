#pragma once
// A randomised round trip: a grid of text, formula, variable-formula, check-box and
// progress-bar columns, with blank, repeated or numbered row labels and some hidden rows, goes
// through random sorts, row commands, variable updates, edits and save-and-reload, and after
// every step each row must hold what a plain model of the rows says: the text each cell shows
// and, in formula columns, the source behind it.
#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host_driver.h"

namespace vekgrid::fuzz {

class Round_Trip {
  public:
    static constexpr int Cols = 5;  // text, formula, formula with variables, check box, progress
    static constexpr int Max_Rows = 24;

    Round_Trip(Choices& in, std::filesystem::path scratch)
        : in_(in), scratch_(std::move(scratch)), control_(platform_) {
        control_.InitProperties();
        control_.Show();
        auto add = [&](auto set) {
            auto column = std::make_unique<vekColumn>();
            column->Title("T" + std::to_string(columns_.size() + 1));
            set(*column);
            control_.Add_Column(*column);
            columns_.push_back(std::move(column));
        };
        add([](vekColumn&) {});
        add([](vekColumn& c) { c.Allow_Formula_Input(true); });
        add([](vekColumn& c) {
            c.Allow_Formula_Input(true);
            c.Allow_User_Defined_Variables(true);
        });
        add([](vekColumn& c) { c.Editor_Type(Variant(std::int32_t{CheckBox})); });
        add([](vekColumn& c) {
            c.Editor_Type(Variant(std::int32_t{ProgressBar}));
            c.ProgressBar_MaxVal(100);
        });
        Set_Rate(in_.Range(1, 9));
        const int n = in_.Range(1, 10);
        control_.Rows(n + 1);
        rows_.resize(static_cast<size_t>(n));
        for (int r = 1; r <= n; ++r) Fill(r);
        Label_Rows();
        for (int k = in_.Range(0, 2); k > 0; --k) Hide(in_.Range(1, n));
        trace_.push_back("start: " + std::to_string(n) + " rows");
        Check();
    }

    bool Step();
    const std::string& Failure() const { return failure_; }
    const std::vector<std::string>& Trace() const { return trace_; }
    vekGRID& Control() { return control_; }

  private:
    // What a row must hold: the source typed or written into each cell (the shown text follows
    // from it and the variable's value).
    struct Row {
        std::array<std::string, Cols> source;
    };

    void Fail(const std::string& what) {
        if (failure_.empty()) failure_ = what + " (after " + trace_.back() + ")";
    }
    template <class F>
    void Call(const std::string& what, F action) {
        trace_.push_back(what);
        try {
            action();
        } catch (const Error&) {
        } catch (...) {
            Fail(what + " let a foreign exception escape");
        }
    }

    // Each column's texts, and what they show: the formulas give whole numbers, so the shown
    // text is plain to write down.
    std::string Shown(int c, const std::string& source) const {
        if (c == 2 || c == 3) {
            if (source == "=2*3") return "6";
            if (source == "=4*12") return "48";
            if (source == "=3^2") return "9";
            if (source == "=2*5") return "10";
            if (source == "='rate'*2") return std::to_string(rate_ * 2);
            if (source == "='Rate'+1") return std::to_string(rate_ + 1);
        }
        return source;
    }
    std::string Pick_Source(int c) {
        static const char* const text[] = {"", "apple", "pear", "fig", "x y", "12", "apple"};
        static const char* const formula[] = {"", "5", "=2*3", "=4*12", "=3^2", "=2*5", "7"};
        static const char* const variables[] = {"", "3", "='rate'*2", "='Rate'+1", "=2*3", "=4*12"};
        static const char* const check[] = {"0", "1"};
        static const char* const progress[] = {"0", "25", "100", "60"};
        switch (c) {
            case 1:
                return in_.Pick(text);
            case 2:
                return in_.Pick(formula);
            case 3:
                return in_.Pick(variables);
            case 4:
                return in_.Pick(check);
            default:
                return in_.Pick(progress);
        }
    }
    // The host writes plain cells; formulas are typed by the user and committed by a move.
    void Put(int r, int c, const std::string& source) {
        Host_Grid& g = Internals_Of(control_).GridEditor();
        if (c == 2 || c == 3) {
            g.Row(r);
            g.Col(c);
            Internals_Of(control_).TextEditor().Text(source);
            g.Col(c == 2 ? 3 : 2);
        } else {
            control_.Cell_Text(r, c, source);
        }
        rows_[static_cast<size_t>(r - 1)].source[static_cast<size_t>(c - 1)] = source;
    }
    void Fill(int r) {
        for (int c = 1; c <= Cols; ++c) Put(r, c, Pick_Source(c));
    }
    void Label_Rows() {
        const int how = in_.Range(0, 3);
        static const char* const names[] = {"blank", "repeated", "numbered", "mixed"};
        for (int r = 1; r <= static_cast<int>(rows_.size()); ++r) {
            std::string label = how == 0   ? ""
                                : how == 1 ? "A"
                                : how == 2 ? std::to_string(r)
                                           : in_.Pick({"", "A", "3", "B"});
            control_.TextMatrix(r, 0, label);
        }
        trace_.push_back(std::string("labels ") + names[how]);
    }
    void Hide(int r) {
        Call("Hide_Row(" + std::to_string(r) + ")", [&] { control_.Hide_Row(r); });
    }
    void Set_Rate(int value) {
        rate_ = value;
        auto table = std::make_shared<Variant_Array>(1, 2, 1, 1);
        (*table)(1, 1) = "rate";
        (*table)(2, 1) = Variant(std::int32_t{value});
        control_.Update_User_Defined_Variable_List(Variant(Array_Ref(table)));
    }
    std::string Key(const Row& row) const {
        std::string key;
        for (int c = 1; c <= Cols; ++c) key += row.source[static_cast<size_t>(c - 1)] + '\x1f';
        return key;
    }
    std::string Mask_Of(int r, int c) const {
        const auto& mask = Internals_Of(control_).Equation_Mask();
        return r <= mask.Rows() && c <= mask.Cols() ? mask.Get(r, c) : "";
    }
    std::string Grid_Key(int r) const {
        Row row;
        const auto& mask = Internals_Of(control_).Equation_Mask();
        for (int c = 1; c <= Cols; ++c)
            row.source[static_cast<size_t>(c - 1)] =
                (c == 2 || c == 3) && r <= mask.Rows() && c <= mask.Cols()
                    ? mask.Get(r, c)
                    : Internals_Of(control_).GridEditor().TextMatrix(r, c);
        return Key(row);
    }
    void Check();
    int Any_Row() { return in_.Range(1, static_cast<int>(rows_.size())); }
    // The current cell never rests on a hidden row, so what a host or user does there is done
    // on a row that shows.
    std::optional<int> Shown_Row() {
        const int r = Any_Row();
        if (Internals_Of(control_).GridEditor().RowHeight(r) == 0) return std::nullopt;
        return r;
    }

    Choices& in_;
    std::filesystem::path scratch_;
    Headless_Platform platform_;
    vekGRID control_;
    std::vector<std::unique_ptr<vekColumn>> columns_;
    std::vector<Row> rows_;
    std::optional<Row> copied_;
    int rate_ = 1;
    std::string failure_;
    std::vector<std::string> trace_;
};

inline bool Round_Trip::Step() {
    if (!failure_.empty()) return false;
    Host_Grid& g = Internals_Of(control_).GridEditor();
    const int n = static_cast<int>(rows_.size());
    switch (in_.Range(0, 9)) {
        case 0:
        case 1: {  // sort: rows move whole; which order is the sort's business
            const int c = in_.Range(1, Cols);
            Call("Sort_Grid(" + std::to_string(c) + ")",
                 [&] { control_.Sort_Grid(static_cast<std::int16_t>(c)); });
            std::multimap<std::string, Row> left;
            for (const Row& row : rows_) left.emplace(Key(row), row);
            std::vector<Row> now;
            for (int r = 1; r < g.Rows(); ++r) {
                auto it = left.find(Grid_Key(r));
                if (it == left.end()) break;
                now.push_back(it->second);
                left.erase(it);
            }
            if (static_cast<int>(now.size()) == n) {
                rows_ = std::move(now);
            } else {
                const int r = static_cast<int>(now.size()) + 1;
                std::string sources;
                for (int c = 1; c <= Cols; ++c)
                    sources += " \"" + Internals_Of(control_).GridEditor().TextMatrix(r, c) +
                               "\"/\"" + Mask_Of(r, c) + "\"";
                Fail("after the sort row " + std::to_string(r) + " (shown/source:" + sources +
                     ") is none of the rows the grid had");
            }
            break;
        }
        case 2: {  // copy a row and paste it over another
            const auto shown_from = Shown_Row(), shown_to = Shown_Row();
            if (!shown_from || !shown_to) break;
            const int from = *shown_from, to = *shown_to;
            Call("Copy_Row at " + std::to_string(from) + ", Paste_Row at " + std::to_string(to),
                 [&] {
                     control_.Current_Row(from);
                     control_.Copy_Row();
                     control_.Current_Row(to);
                     control_.Paste_Row();
                 });
            copied_ = rows_[static_cast<size_t>(from - 1)];
            rows_[static_cast<size_t>(to - 1)] = *copied_;
            break;
        }
        case 3: {  // insert the copied row under the current one
            const auto shown = Shown_Row();
            if (!copied_ || n >= Max_Rows || !shown) break;
            const int at = *shown;
            bool blank = true;
            for (const auto& s : copied_->source) blank = blank && s.empty();
            Call("Insert_Copied_Row under " + std::to_string(at), [&] {
                control_.Current_Row(at);
                control_.Insert_Copied_Row();
            });
            if (!blank) rows_.insert(rows_.begin() + at, *copied_);
            break;
        }
        case 4: {
            if (n >= Max_Rows) break;
            const int from = Any_Row(), to = in_.Range(1, n + 1);
            Call("Copy_Row_To_New_Row(" + std::to_string(from) + ", " + std::to_string(to) + ")",
                 [&] {
                     control_.Copy_Row_To_New_Row(Variant(std::int32_t{from}),
                                                  Variant(std::int32_t{to}));
                 });
            const Row copy = rows_[static_cast<size_t>(from - 1)];
            rows_.insert(rows_.begin() + (to - 1), copy);
            break;
        }
        case 5: {
            if (n <= 1) break;
            const int r = Any_Row();
            Call("Delete_Row(" + std::to_string(r) + ")", [&] { control_.Delete_Row(r); });
            rows_.erase(rows_.begin() + (r - 1));
            break;
        }
        case 6: {
            const int value = in_.Range(1, 9);
            Call("rate = " + std::to_string(value), [&] { Set_Rate(value); });
            break;
        }
        case 7: {  // save and load back
            const auto path = scratch_ / "round-trip.txt";
            const int delimiter = in_.Bool() ? Tab_Delimited : Semi_Colon_Delimited;
            Call(std::string("Write_File and Load_File, ") + (delimiter ? "semicolons" : "tabs"),
                 [&] {
                     control_.Write_File(path.string(), delimiter);
                     control_.Load_File(path.string(), 1);
                 });
            break;
        }
        case 8: {  // the user edits a cell
            const auto shown = Shown_Row();
            if (!shown) break;
            const int r = *shown, c = in_.Range(1, Cols);
            const std::string source = Pick_Source(c);
            Call("edit (" + std::to_string(r) + ", " + std::to_string(c) + ") = \"" + source + "\"",
                 [&] { Put(r, c, source); });
            break;
        }
        default:
            if (in_.Bool())
                Hide(Any_Row());
            else
                Call("Show_All_Rows", [&] { control_.Show_All_Rows(); });
            break;
    }
    Check();
    return failure_.empty();
}

inline void Round_Trip::Check() {
    if (!failure_.empty()) return;
    const Host_Grid& g = Internals_Of(control_).GridEditor();
    const int n = static_cast<int>(rows_.size());
    if (g.Rows() != n + 1 || g.Cols() != Cols + 1)
        return Fail("the grid is " + std::to_string(g.Rows()) + "x" + std::to_string(g.Cols()) +
                    ", the rows need " + std::to_string(n + 1) + "x" + std::to_string(Cols + 1));
    const auto& mask = Internals_Of(control_).Equation_Mask();
    for (int r = 1; r <= n; ++r) {
        const Row& row = rows_[static_cast<size_t>(r - 1)];
        for (int c = 1; c <= Cols; ++c) {
            const std::string& source = row.source[static_cast<size_t>(c - 1)];
            const std::string where = "row " + std::to_string(r) + ", column " + std::to_string(c);
            if (g.TextMatrix(r, c) != Shown(c, source))
                return Fail(where + " shows \"" + g.TextMatrix(r, c) + "\", not \"" +
                            Shown(c, source) + "\" (its source \"" + source + "\")");
            if ((c == 2 || c == 3) && mask.Get(r, c) != source)
                return Fail(where + " keeps the source \"" + mask.Get(r, c) + "\", not \"" +
                            source + "\"");
        }
    }
}

}  // namespace vekgrid::fuzz
