#include "vekgrid/common/errors.h"
#include "vekgrid/common/number_text.h"
#include "vekgrid/control/vekgrid.h"

namespace vekgrid {

// The grid draws all of its lines or none; horizontal lines alone are made by covering the
// vertical ones with strips in the row colour and redrawing the horizontal ones across them.
void vekGRID::Draw_Grid_Lines() {
    switch (gridline_draw_) {
        case Both:
            Ignore_Errors([&] { grid_.GridLines(1); });
            return;
        case None:
            Ignore_Errors([&] { grid_.GridLines(0); });
            return;
        case Horizontal_Only:
            break;
        default:
            return;  // Vertical_Only: the grid keeps whatever lines it has
    }
    const Color odd = static_cast<Color>(row_color_odd_.To_Long());
    const int line_width = grid_.GridLineWidth();
    Ignore_Errors([&] { grid_.GridLines(1); });
    Ignore_Errors([&] {
        vertical_gridline_(0).BackColor(odd);
        vertical_gridline_(0).Width(line_width);
    });
    for (int c = 1; c < grid_.Cols(); ++c) {
        Ignore_Errors([&] {
            const int x =
                grid_.Left() + grid_.ColPos(c) - line_width * platform_.Twips_Per_Pixel_X();
            const int top = grid_.Top();
            int h = (grid_.Rows() - 1 - grid_.TopRow()) * grid_.RowHeight(grid_.TopRow());
            if (h > grid_.Height()) h = grid_.Height();
            Ignore_Errors([&] { vertical_gridline_.Load(c); });
            Picture_Box& strip = vertical_gridline_(c);
            strip.Visible(true);
            strip.BackColor(odd);
            strip.ForeColor(odd);
            strip.FillColor(odd);
            strip.Move(x, top, line_width, h);
            strip.ZOrder(0);
        });
    }
    int y = grid_.Top();
    Ignore_Errors([&] { y += grid_.RowHeight(0); });
    int s = vertical_gridline_.Indices().back();
    for (int r = 1; r < grid_.Rows(); ++r) {
        Ignore_Errors([&] {
            y += grid_.RowHeight(r);
            ++s;
            Picture_Box& strip = vertical_gridline_.Load(s);
            strip.Visible(true);
            strip.BackColor(grid_.GridColor());
            // A colour is 32 bits: a number past that range is an overflow, and is skipped.
            if (auto n = Parse_Number(grid_.Text());
                n && *n >= -2147483648.0 && *n <= 4294967295.0) {
                strip.ForeColor(static_cast<Color>(static_cast<std::int64_t>(*n)));
                strip.FillColor(static_cast<Color>(static_cast<std::int64_t>(*n)));
            }
            const int last = grid_.Cols() - 1;
            strip.Move(grid_.ColPos(1), y - line_width * platform_.Twips_Per_Pixel_Y(),
                       grid_.ColPos(last) + grid_.ColWidth(last), 15);
            strip.ZOrder(0);
        });
    }
}

}  // namespace vekgrid
