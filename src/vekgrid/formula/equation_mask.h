#pragma once
#include <string>
#include <utility>
#include <vector>

#include "vekgrid/export.h"
#include "vekgrid/common/change_hooks.h"

namespace vekgrid {

// The source text of every formula cell, indexed with the grid's own numbers: rows 1..Rows,
// columns 1..Cols. Rows hold no storage until an entry in them is written, so a large grid
// with few formulas costs one small vector per row.
class VEKGRID_EXPORT Equation_Mask {
  public:
    Equation_Mask() = default;
    // Hears of every entry written (the undo history); null for none.
    void Set_Change_Hooks(Change_Hooks* hooks) { hooks_ = hooks; }
    int Rows() const { return rows_; }
    int Cols() const { return cols_; }
    // Out of range throws Subscript_Out_Of_Range, like the array it replaces.
    const std::string& Get(int row, int col) const;
    void Set(int row, int col, std::string text);
    // Reshapes to rows 1..rows by columns 1..cols keeping entries; a positive insert index
    // opens an empty row or column there, a positive delete index closes one.
    void Resize(int rows, int cols, int insert_row = 0, int insert_col = 0, int delete_row = 0,
                int delete_col = 0);

    // Writes each (from, to) row's entries to row `to`, in order, over a copy of the mask:
    // rows no move writes keep their entries.
    void Move_Rows(const std::vector<std::pair<int, int>>& moves);

  private:
    void Check(int row, int col) const;
    Change_Hooks* hooks_ = nullptr;  // not owned
    int rows_ = 1, cols_ = 1;
    std::vector<std::vector<std::string>> cells_ = std::vector<std::vector<std::string>>(1);
};

}  // namespace vekgrid
