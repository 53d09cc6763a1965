#pragma once
#include <map>
#include <string>
#include <utility>

#include "vekgrid/common/change_hooks.h"
#include "vekgrid/export.h"

namespace vekgrid {

class Host_Grid;

// The text of every data cell as typed, for a formula its source, indexed with the grid's own
// numbers: rows 1..Rows, columns 1..Cols. Only what differs from the cell's text is stored, in
// the grid's row records (Host_Grid::Source), so the store follows rows through insertion,
// deletion and sorting without being moved; an entry without a source of its own is the text
// the cell shows.
class VEKGRID_EXPORT Equation_Mask {
  public:
    explicit Equation_Mask(Host_Grid& grid) : grid_(grid) {}
    Equation_Mask(const Equation_Mask&) = delete;
    Equation_Mask& operator=(const Equation_Mask&) = delete;
    // Hears of every entry written (the undo history); null for none.
    void Set_Change_Hooks(Change_Hooks* hooks) { hooks_ = hooks; }

    int Rows() const { return rows_; }
    int Cols() const { return cols_; }
    // Out of range throws Subscript_Out_Of_Range.
    const std::string& Get(int row, int col) const;
    // The entry becomes text; stored only when the cell does not show it. keep: stored even
    // when the cell shows it now, as the caller is about to write the value in its place.
    void Set(int row, int col, const std::string& text, bool keep = false);
    // Reshapes to rows 1..rows by columns 1..cols keeping entries; a positive insert index
    // opens an empty row or column there, a positive delete index closes one. Entries beyond
    // the new bounds are dropped.
    void Resize(int rows, int cols, int insert_row = 0, int insert_col = 0, int delete_row = 0,
                int delete_col = 0);

  private:
    void Check(int row, int col) const;
    bool In_Grid(int row, int col) const;
    Host_Grid& grid_;
    Change_Hooks* hooks_ = nullptr;  // not owned
    int rows_ = 1, cols_ = 1;
    bool empty_ = true;  // the 1 x 1 mask of a grid without data: its one entry is empty
    // Entries a host wrote for cells the grid does not have (the store may be reshaped apart
    // from the grid); they move into the grid's rows when it grows over them.
    std::map<std::pair<int, int>, std::string> outside_;
};

}  // namespace vekgrid
