#include "vekgrid/formula/equation_mask.h"

#include <algorithm>

#include "vekgrid/common/errors.h"

namespace vekgrid {

namespace {
const std::string kEmpty;
}

void Equation_Mask::Check(int row, int col) const {
    if (row < 1 || row > rows_ || col < 1 || col > cols_) throw Subscript_Out_Of_Range();
}

const std::string& Equation_Mask::Get(int row, int col) const {
    Check(row, col);
    const auto& line = cells_[static_cast<size_t>(row - 1)];
    return static_cast<size_t>(col - 1) < line.size() ? line[static_cast<size_t>(col - 1)] : kEmpty;
}

void Equation_Mask::Set(int row, int col, std::string text) {
    Check(row, col);
    auto& line = cells_[static_cast<size_t>(row - 1)];
    if (line.empty() && text.empty()) return;
    if (hooks_) hooks_->Source_Writing(row, col, text);
    if (line.size() < static_cast<size_t>(cols_)) line.resize(static_cast<size_t>(cols_));
    line[static_cast<size_t>(col - 1)] = std::move(text);
}

void Equation_Mask::Resize(int rows, int cols, int insert_row, int insert_col, int delete_row,
                           int delete_col) {
    if (rows <= 0 || cols == 0) {
        rows_ = cols_ = 1;
        cells_.assign(1, {});
        return;
    }
    if (cols < 0) throw Subscript_Out_Of_Range();
    const int old_rows = rows_, old_cols = cols_;
    std::vector<std::vector<std::string>> old = std::move(cells_);
    cells_.assign(static_cast<size_t>(rows), {});
    rows_ = rows;
    cols_ = cols;
    // Each new row takes at most one old row, and no old row is taken twice, so rows move.
    for (int i = 1; i <= rows; ++i) {
        int shift = 0;
        if (insert_row >= 1 && i > insert_row) shift = -1;
        if (delete_row >= 1 && i >= delete_row) shift = 1;
        if (i + shift > old_rows) break;
        if (i == insert_row) continue;
        auto& source = old[static_cast<size_t>(std::max(1, i + shift) - 1)];
        if (source.empty()) continue;
        auto& target = cells_[static_cast<size_t>(i - 1)];
        if (insert_col < 1 && delete_col < 1) {
            target = std::move(source);
            target.resize(static_cast<size_t>(std::min(cols, old_cols)));
            continue;
        }
        target.resize(static_cast<size_t>(cols));
        int col_shift = 0;
        for (int j = 1; j <= cols; ++j) {
            if (insert_col >= 1 && j == insert_col) col_shift = -1;
            if (delete_col >= 1 && j == delete_col) col_shift = 1;
            if (j + col_shift > old_cols || j == insert_col) continue;
            auto from = static_cast<size_t>(std::max(1, j + col_shift) - 1);
            if (from < source.size()) target[static_cast<size_t>(j - 1)] = source[from];
        }
    }
}

void Equation_Mask::Move_Rows(const std::vector<std::pair<int, int>>& moves) {
    if (hooks_) hooks_->Source_Rows_Moving(moves);
    // A permutation of rows (the usual case: unique row labels) moves them; anything else
    // works from a copy, so rows that no move writes keep their entries.
    std::vector<char> from_seen(cells_.size()), to_seen(cells_.size());
    bool permutation = true;
    for (auto [from, to] : moves) {
        Check(from, 1);
        Check(to, 1);
        auto& f = from_seen[static_cast<size_t>(from - 1)];
        auto& t = to_seen[static_cast<size_t>(to - 1)];
        permutation = permutation && !f && !t;
        f = t = 1;
    }
    if (permutation) {
        std::vector<std::vector<std::string>> moved(cells_.size());
        for (size_t i = 0; i < cells_.size(); ++i)
            if (!to_seen[i]) moved[i] = std::move(cells_[i]);
        for (auto [from, to] : moves)
            moved[static_cast<size_t>(to - 1)] = std::move(cells_[static_cast<size_t>(from - 1)]);
        cells_ = std::move(moved);
        return;
    }
    const auto copy = cells_;
    for (auto [from, to] : moves) {
        Check(from, 1);
        Check(to, 1);
        cells_[static_cast<size_t>(to - 1)] = copy[static_cast<size_t>(from - 1)];
    }
}

}  // namespace vekgrid
