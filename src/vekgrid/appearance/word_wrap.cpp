#include "vekgrid/common/errors.h"
#include "vekgrid/control/vekgrid.h"

namespace vekgrid {

namespace {
// Lines and line height of the current cell's text broken at the given width, measured with
// the hidden text box given the cell's font.
std::pair<int, int> Measure(Host_Grid& grid, Text_Box& box, const Text_Metrics& metrics,
                            int width) {
    box.Width(width);
    Font font;
    font.name = grid.CellFontName();
    font.size = grid.CellFontSize();
    font.bold = grid.CellFontBold();
    font.italic = grid.CellFontItalic();
    font.strikethrough = grid.CellFontStrikeThrough();
    font.underline = grid.CellFontUnderline();
    box.Font(font);
    box.Text(grid.Text());
    const int line_height = metrics.Text_Height("A", font);
    return {metrics.Line_Count(box.Text(), font, width), line_height};
}
}  // namespace

void vekGRID::Wrap_Cells(const std::vector<std::pair<int, int>>& cells, bool extra_line) {
    grid_.WordWrap(true);
    const int row = grid_.Row(), col = grid_.Col();
    // Painting pauses for the pass and comes back as the host had it.
    const bool was_visible = grid_.Visible(), redraw = grid_.Redraw();
    grid_.Visible(false);
    grid_.Redraw(false);
    updating_grid_ = true;
    for (auto [r, c] : cells) {
        Ignore_Errors([&, r = r, c = c] {
            grid_.Row(r);
            grid_.Col(c);
            auto [lines, line_height] =
                Measure(grid_, *text1_, platform_.Metrics(), grid_.ColWidth(c));
            if (grid_.RowHeight(r) < lines * line_height)
                grid_.RowHeight(r, (lines + (extra_line ? 1 : 0)) * line_height);
        });
    }
    grid_.Visible(was_visible);
    grid_.Redraw(redraw);
    Ignore_Errors([&] { grid_.Row(row); });
    Ignore_Errors([&] { grid_.Col(col); });
    updating_grid_ = false;
}

// Every data row grows to fit its cell in the column, with a line to spare.
void vekGRID::Word_Wrap(std::int16_t Column_For_Word_Wrap) {
    const int c = Column_For_Word_Wrap;
    if (c < 1 || c > grid_.Cols() - 1) return;
    std::vector<std::pair<int, int>> cells;
    for (int r = 1; r < grid_.Rows(); ++r) cells.emplace_back(r, c);
    Wrap_Cells(cells, true);
}

// The row grows to fit its tallest cell exactly.
void vekGRID::Word_Wrap_Row(std::int32_t Row_to_Word_Wrap) {
    const int r = Row_to_Word_Wrap;
    if (r < 0 || r > grid_.Rows() - 1) return;
    std::vector<std::pair<int, int>> cells;
    for (int c = 0; c < grid_.Cols(); ++c) cells.emplace_back(r, c);
    Wrap_Cells(cells, false);
}

}  // namespace vekgrid
