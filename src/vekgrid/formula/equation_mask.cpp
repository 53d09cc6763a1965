#include "vekgrid/formula/equation_mask.h"

#include <algorithm>
#include <vector>

#include "vekgrid/common/errors.h"
#include "vekgrid/hostgrid/host_grid.h"

namespace vekgrid {

namespace {
const std::string kEmpty;
}

void Equation_Mask::Check(int row, int col) const {
    if (row < 1 || row > rows_ || col < 1 || col > cols_) throw Subscript_Out_Of_Range();
}

bool Equation_Mask::In_Grid(int row, int col) const {
    return !empty_ && row < grid_.Rows() && col < grid_.Cols();
}

const std::string& Equation_Mask::Get(int row, int col) const {
    Check(row, col);
    if (!In_Grid(row, col)) {
        auto it = outside_.find({row, col});
        return it == outside_.end() ? kEmpty : it->second;
    }
    const std::string* source = grid_.Source(row, col);
    return source ? *source : grid_.TextMatrix(row, col);
}

void Equation_Mask::Set(int row, int col, const std::string& text, bool keep) {
    Check(row, col);
    if (!In_Grid(row, col)) {
        if (hooks_) hooks_->Source_Writing(row, col, text);
        if (text.empty())
            outside_.erase({row, col});
        else
            outside_[{row, col}] = text;
        return;
    }
    // The undo history hears of every change of what is stored, not only of the entry: a
    // source kept equal to its cell must come back as kept, or the value written next over
    // the cell would replace the entry when redone.
    const std::string* stored = grid_.Source(row, col);
    if (!keep && text == grid_.TextMatrix(row, col)) {
        if (!stored) return;
        if (hooks_) hooks_->Source_Writing(row, col, text);
        grid_.Erase_Source(row, col);
    } else {
        if (stored && *stored == text) return;
        if (hooks_) hooks_->Source_Writing(row, col, text);
        grid_.Set_Source(row, col, text);
    }
}

void Equation_Mask::Resize(int rows, int cols, int insert_row, int insert_col, int delete_row,
                           int delete_col) {
    if (rows <= 0 || cols == 0) {
        // Nothing of the grid is kept: the sources go, and the one entry left is empty.
        grid_.Erase_Sources_Outside(0, 0);
        outside_.clear();
        rows_ = cols_ = 1;
        empty_ = true;
        return;
    }
    if (cols < 0) throw Subscript_Out_Of_Range();
    const int old_rows = empty_ ? 0 : rows_, old_cols = empty_ ? 0 : cols_;
    const bool moves = insert_row >= 1 || insert_col >= 1 || delete_row >= 1 || delete_col >= 1;
    // A host may open or close a row or column of the store alone, apart from the grid: the
    // entries are read out, shifted and written back, so each cell keeps the entry that
    // moved onto it. The control itself never does this, as its rows carry their sources.
    std::vector<std::vector<std::string>> old;
    if (moves) {
        old.resize(static_cast<size_t>(old_rows));
        for (int i = 1; i <= old_rows; ++i)
            for (int j = 1; j <= old_cols; ++j)
                old[static_cast<size_t>(i - 1)].push_back(Get(i, j));
    }
    rows_ = rows;
    cols_ = cols;
    empty_ = false;
    if (!moves) {
        // Entries past the new bounds are dropped; cells that come back into the store later
        // start from their own text.
        if (rows < grid_.Rows() - 1 || cols < grid_.Cols() - 1)
            grid_.Erase_Sources_Outside(rows, cols);
        if (!outside_.empty()) {
            auto entries = std::move(outside_);
            outside_.clear();
            for (auto& [at, text] : entries)
                if (at.first <= rows && at.second <= cols)
                    Set(at.first, at.second, std::move(text), true);
        }
        return;
    }
    for (int i = 1; i <= rows; ++i) {
        int shift = 0;
        if (insert_row >= 1 && i > insert_row) shift = -1;
        if (delete_row >= 1 && i >= delete_row) shift = 1;
        int col_shift = 0;
        for (int j = 1; j <= cols; ++j) {
            if (insert_col >= 1 && j == insert_col) col_shift = -1;
            if (delete_col >= 1 && j == delete_col) col_shift = 1;
            std::string entry;
            const int from_row = std::max(1, i + shift), from_col = std::max(1, j + col_shift);
            if (i + shift <= old_rows && j + col_shift <= old_cols && i != insert_row &&
                j != insert_col)
                entry = old[static_cast<size_t>(from_row - 1)][static_cast<size_t>(from_col - 1)];
            Set(i, j, std::move(entry));
        }
    }
}

}  // namespace vekgrid
