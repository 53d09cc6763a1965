#pragma once
// Checks shared by the control fuzz targets: the grid the host sees must stay consistent after
// every call, whatever the input.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "vekgrid/control/internals.h"
#include "vekgrid/control/vekgrid.h"

namespace vekgrid::fuzz {

[[noreturn]] inline void Violation(const char* what) {
    std::fprintf(stderr, "invariant violated: %s\n", what);
    std::abort();
}

// Every CellChanged must name a cell of the grid as it is when the event is raised (a host
// that puts the current cell on the header row may see the header named).
class Event_Checker : public vekGRID_Events {
  public:
    explicit Event_Checker(vekGRID& control) : control_(control) {}
    void CellChanged(std::string&, std::string&, double& row, double& col) override {
        if (row < 0 || row >= control_.Rows() || col < 0 || col >= control_.Cols()) {
            std::fprintf(stderr, "CellChanged(%g, %g) on a %dx%d grid\n", row, col, control_.Rows(),
                         control_.Cols());
            Violation("CellChanged names no cell of the grid");
        }
        ++changes;
    }
    int changes = 0;

  private:
    vekGRID& control_;
};

inline void Check_Grid(vekGRID& control) {
    const Host_Grid& grid = Internals_Of(control).GridEditor();
    const int rows = grid.Rows(), cols = grid.Cols();
    if (rows < 1 || cols < 1) Violation("the grid lost its header cell");
    // The mask covers the data cells; a grid without any keeps a single empty entry.
    const bool data = rows > 1 && cols > 1;
    const int mask_rows = data ? rows - 1 : 1, mask_cols = data ? cols - 1 : 1;
    if (Internals_Of(control).Equation_Mask().Rows() != mask_rows ||
        Internals_Of(control).Equation_Mask().Cols() != mask_cols)
        Violation("equation mask and grid differ in shape");
    if (grid.Row() < 0 || grid.Row() >= rows || grid.Col() < 0 || grid.Col() >= cols)
        Violation("current cell outside the grid");
    if (grid.RowSel() < 0 || grid.RowSel() >= rows || grid.ColSel() < 0 || grid.ColSel() >= cols)
        Violation("selection outside the grid");
    // An editor on show sits over the current cell, which must be a visible row.
    const bool editor_shown = Internals_Of(control).TextEditor().Visible() &&
                              Internals_Of(control).TextEditor().Left() > -1000;
    if (editor_shown && grid.Row() >= 1 && grid.RowHeight(grid.Row()) == 0)
        Violation("text editor placed over a hidden row");
    for (int index : Internals_Of(control).ComboEditor().Indices()) {
        if (index == 0) continue;
        const Combo_Box& combo = Internals_Of(control).ComboEditor()(index);
        if (combo.Visible() && combo.Left() > -1000 && grid.Row() >= 1 &&
            grid.RowHeight(grid.Row()) == 0)
            Violation("drop-down placed over a hidden row");
    }
    for (int index : Internals_Of(control).PopUpEditor().Indices()) {
        if (index == 0) continue;
        const Command_Button& button = Internals_Of(control).PopUpEditor()(index);
        if (button.Visible() && button.Left() > -1000 && grid.Row() >= 1 &&
            grid.RowHeight(grid.Row()) == 0)
            Violation("pop-up button placed over a hidden row");
    }
}

}  // namespace vekgrid::fuzz
