#pragma once

namespace vekgrid::qt {

class Grid_View;

// Assistive technology sees the painted grid as a table, as it does a QTableView: role Table,
// the data rows and columns, each cell's text with its column title and row label as headers,
// the current cell as the focused child and the selection.

// Installs the factory that gives every Grid_View its table interface; once per process,
// before the first view is asked for its interface.
void Install_Grid_Accessibility();
// Tells assistive technology that the current cell moved: a focus event on its cell, while
// the grid widget holds the keyboard focus.
void Announce_Current_Cell(Grid_View& view);
// Tells assistive technology that the selected cells changed.
void Announce_Selection(Grid_View& view);

}  // namespace vekgrid::qt
