#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>
#include <unordered_map>

#include "vekgrid/common/errors.h"
#include "vekgrid/common/number_text.h"
#include "vekgrid/common/text.h"
#include "vekgrid/control/vekgrid.h"

namespace vekgrid {

namespace {
constexpr int kShownHeight = 240;

std::string Without_Spaces_Lower(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != ' ') out += Ascii_Lower(c);
    return out;
}

// n when label is n written plainly (no sign, no leading zero) with 0 < n < limit, else 0.
int Row_Number_Label(const std::string& label, int limit) {
    int n = 0;
    const char* end = label.data() + label.size();
    auto [at, error] = std::from_chars(label.data(), end, n);
    if (error != std::errc() || at != end || label[0] == '0' || n >= limit) return 0;
    return n;
}

// Whether phrase (already without spaces, lower case) occurs in text once the text's spaces
// are dropped and its letters lowered; done in place, as this runs for every cell.
bool Contains_Phrase(const std::string& text, const std::string& phrase) {
    if (phrase.empty()) return true;
    const char first = phrase[0];
    for (size_t i = 0; i < text.size(); ++i) {
        if (Ascii_Lower(text[i]) != first) continue;
        size_t t = i, p = 0;
        while (p < phrase.size() && t < text.size()) {
            if (text[t] == ' ') {
                ++t;
                continue;
            }
            if (Ascii_Lower(text[t]) != phrase[p]) break;
            ++t, ++p;
        }
        if (p == phrase.size()) return true;
    }
    return false;
}
}  // namespace

void vekGRID::Sort_Grid(std::int16_t Sort_By_Column) {
    const Undo_Step step(*this);  // one undo step
    const int rows = grid_.Rows();
    if (rows < 2 || grid_.Cols() < 2) return;
    const int key = Sort_By_Column == -1 ? grid_.MouseCol() : Sort_By_Column;
    if (key < 0 || key >= grid_.Cols()) return;  // no such column: nothing to sort by
    grid_.Visible(false);
    updating_grid_ = true;
    Ignore_Errors([&] { grid_.Col(key); });
    // Labels are nearly always the row numbers the last formatting wrote: then they map through
    // an array indexed by number, and only labels a host chose need the hash table.
    std::vector<int> numbers(static_cast<size_t>(rows), 0);
    bool numbered = true;
    for (int r = 1; r < rows && numbered; ++r) {
        const int n = Row_Number_Label(grid_.TextMatrix(r, 0), rows);
        numbered = n > 0 && !numbers[static_cast<size_t>(n)];
        if (numbered) numbers[static_cast<size_t>(n)] = r;
    }
    std::vector<std::string> labels;
    if (!numbered) {
        labels.reserve(static_cast<size_t>(rows));
        for (int r = 1; r < rows; ++r) labels.push_back(grid_.TextMatrix(r, 0));
    }
    const std::string first = grid_.TextMatrix(1, key), last = grid_.TextMatrix(rows - 1, key);
    updating_grid_ = false;

    auto sort = [&](int kind) {
        updating_grid_ = true;
        Ignore_Errors([&] {
            grid_.Row(1);
            grid_.Col(key);
            grid_.RowSel(rows - 1);
            grid_.Sort(kind);
        });
        updating_grid_ = false;
    };
    const auto first_number = Parse_Number(first), last_number = Parse_Number(last);
    if (first_number && last_number) {
        sort(*last_number >= *first_number ? Sort_Kind::Numeric_Descending
                                           : Sort_Kind::Numeric_Ascending);
    } else if (last > first) {
        sort(Sort_Kind::Generic_Ascending);
        if (grid_.TextMatrix(1, key) == first) sort(Sort_Kind::Generic_Descending);
    } else {
        sort(Sort_Kind::Generic_Descending);
        if (grid_.TextMatrix(1, key) == first) sort(Sort_Kind::Generic_Ascending);
    }

    // Rows are known by their labels; each old row's formulas go to the first row that now
    // carries its label.
    std::vector<std::pair<int, int>> moves;
    moves.reserve(static_cast<size_t>(rows));
    if (numbered) {
        // numbers[n] was the old row labelled n; the labels are distinct, so each has one row.
        for (int r = 1; r < rows; ++r) {
            const int n = Row_Number_Label(grid_.TextMatrix(r, 0), rows);
            if (n > 0) moves.emplace_back(numbers[static_cast<size_t>(n)], r);
        }
    } else {
        std::unordered_map<std::string_view, int> new_row_of;
        new_row_of.reserve(static_cast<size_t>(rows));
        for (int r = 1; r < rows; ++r) new_row_of.emplace(grid_.TextMatrix(r, 0), r);
        for (int i = 1; i < rows; ++i) {
            auto it = new_row_of.find(labels[static_cast<size_t>(i - 1)]);
            if (it != new_row_of.end()) moves.emplace_back(i, it->second);
        }
    }
    Ignore_Errors([&] { equation_mask_.Move_Rows(moves); });

    grid_.Visible(true);
    updating_grid_ = true;
    Ignore_Errors([&] {
        grid_.Col(CurrentCol);
        grid_.Row(CurrentRow);
    });
    updating_grid_ = false;
    Ignore_Errors([&] { GridEditor_EnterCell(); });
    updating_grid_ = true;
    // Row numbers read top to bottom again after the rows moved.
    std::int32_t renumber = 0;
    Format_All_Rows(renumber);
    updating_grid_ = false;
}

void vekGRID::Filter_Grid(const Variant& Filter_Array, std::int32_t Filter_Command, bool Restore,
                          bool Match_On_All_Phrases) {
    struct Entry {
        std::string phrase;
        bool include;
        int column;  // 0: every data column; -1: nothing
    };
    std::vector<Entry> entries;
    if (!Restore) {
        try {
            const Variant_Array& table = *Filter_Array.To_Array();
            for (int k = table.Lower(1); k <= table.Upper(1); ++k) {
                Entry e;
                e.phrase = Without_Spaces_Lower(table(k, 1).To_Text());
                std::string word = table(k, 2).To_Text();
                std::transform(word.begin(), word.end(), word.begin(),
                               [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
                e.include = word == "INCLUDE";
                if (!e.include && word != "EXCLUDE") continue;
                const Variant& column = table(k, 3);
                e.column = column.Is_Blank() ? 0 : column.Is_Numeric() ? column.To_Long() : -1;
                entries.push_back(std::move(e));
            }
        } catch (...) {
            return;  // not a filter table
        }
    }
    grid_.FillStyle(1);
    updating_grid_ = true;
    grid_.Visible(false);
    const int rows = grid_.Rows(), cols = grid_.Cols();
    if (Restore) {
        for (int r = 1; r < rows; ++r) grid_.RowHeight(r, kShownHeight);
    } else {
        const auto phrases = static_cast<int>(entries.size());
        for (int r = 1; r < rows; ++r) {
            if (Filter_Command == Filter_Only_Visible && grid_.RowHeight(r) < 1) continue;
            grid_.RowHeight(r, 0);
            int matches = 0;
            for (const Entry& e : entries) {
                if (e.column < 0 || e.column >= cols) continue;
                bool match = false;
                const int from = e.column == 0 ? 1 : e.column,
                          to = e.column == 0 ? cols - 1 : e.column;
                for (int c = from; c <= to && !match; ++c)
                    match = Contains_Phrase(grid_.TextMatrix(r, c), e.phrase);
                if (!match) continue;
                if (!e.include) {
                    grid_.RowHeight(r, 0);
                } else if (!Match_On_All_Phrases || ++matches == phrases) {
                    grid_.RowHeight(r, kShownHeight);
                }
            }
        }
    }
    updating_grid_ = false;
    Band_Visible_Rows();
    Ignore_Errors([&] { grid_.FillStyle(0); });
    Redraw_Progress_Columns();
    Editor_Follows_Rows();
    grid_.Visible(true);
}

}  // namespace vekgrid
