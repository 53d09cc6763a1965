#include <algorithm>
#include <cctype>
#include <cstring>
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

// Whether phrase (already without spaces, lower case) occurs in text once the text's spaces
// are dropped and its letters lowered; done in place, as this runs for every cell. The
// phrase's first letter is looked for with memchr in both cases, so most of a cell is
// skipped without a comparison per character.
bool Contains_Phrase(const std::string& text, const std::string& phrase) {
    if (phrase.empty()) return true;
    if (text.size() < phrase.size()) return false;
    const char lower = phrase[0];
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(lower)));
    const char* data = text.data();
    const size_t size = text.size();
    auto matches_at = [&](size_t i) {
        size_t t = i + 1, p = 1;
        while (p < phrase.size() && t < size) {
            if (data[t] == ' ') {
                ++t;
                continue;
            }
            if (Ascii_Lower(data[t]) != phrase[p]) return false;
            ++t, ++p;
        }
        return p == phrase.size();
    };
    for (size_t i = 0; i < size;) {
        const void* a = std::memchr(data + i, lower, size - i);
        const void* b = upper != lower ? std::memchr(data + i, upper, size - i) : nullptr;
        const char* hit = static_cast<const char*>(!a ? b : !b ? a : std::min(a, b));
        if (!hit) return false;
        const auto at = static_cast<size_t>(hit - data);
        if (matches_at(at)) return true;
        i = at + 1;
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
    // What is being typed belongs to the row it was typed into, so it is committed (and the
    // host told) before that row moves away from under the editor.
    if (Editor_Open()) Commit_Open_Edit();
    grid_.Visible(false);
    const std::string first = grid_.TextMatrix(1, key), last = grid_.TextMatrix(rows - 1, key);

    // Each row record carries its cells, its height and its formula sources, so the grid's
    // own sort moves everything a row holds. Rows are not matched up again by their labels
    // afterwards: labels may be blank, repeated or renumbered, and would send several rows'
    // formulas to one row.
    auto sort = [&](int kind) {
        updating_grid_ = true;
        Ignore_Errors([&] {
            grid_.Row(1);
            grid_.Col(key);
            grid_.RowSel(rows - 1);
            grid_.Sort(kind, true);
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
    if (Has_Progress_Columns()) Redraw_Progress_Columns();
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
    // The new heights are worked out first and set in one change.
    std::vector<int> heights(static_cast<size_t>(std::max(rows - 1, 0)), kShownHeight);
    if (!Restore) {
        const auto phrases = static_cast<int>(entries.size());
        for (int r = 1; r < rows; ++r) {
            int& height = heights[static_cast<size_t>(r - 1)];
            height = grid_.RowHeight(r);
            if (Filter_Command == Filter_Only_Visible && height < 1) continue;
            height = 0;
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
                    height = 0;
                } else if (!Match_On_All_Phrases || ++matches == phrases) {
                    height = kShownHeight;
                }
            }
        }
    }
    Ignore_Errors([&] { grid_.Row_Heights(1, heights); });
    updating_grid_ = false;
    Band_Visible_Rows();
    Ignore_Errors([&] { grid_.FillStyle(0); });
    Redraw_Progress_Columns();
    Editor_Follows_Rows();
    grid_.Visible(true);
}

}  // namespace vekgrid
