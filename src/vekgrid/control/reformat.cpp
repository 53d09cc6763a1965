#include "vekgrid/common/errors.h"
#include "vekgrid/control/vekgrid.h"

namespace vekgrid {

// Restores the normal look of the whole grid: header, banding and each column's own format.
void vekGRID::Reformat_Grid() {
    updating_grid_ = true;
    const bool was_visible = grid_.Visible(), redraw = grid_.Redraw();
    grid_.Visible(false);
    grid_.Redraw(false);
    const int col = grid_.Col(), row = grid_.Row();
    const int rows = grid_.Rows(), cols = grid_.Cols();

    Ignore_Errors([&] {
        grid_.FillStyle(1);
        Select(0, 0, rows - 1, 0);
        grid_.CellAlignment(Align::Left);
        grid_.CellFontBold(true);
        grid_.CellBackColor(Colors::Header);
        if (grid_.RowHeight(0) < 450) grid_.RowHeight(0, 450);
        grid_.ColWidth(0, 500);
    });
    Ignore_Errors([&] {
        Select(0, 0, 0, cols - 1);
        grid_.CellAlignment(Align::Center);
        grid_.CellFontBold(true);
        grid_.CellBackColor(Colors::Header);
    });
    if (rows >= 2 && cols >= 2) {
        Ignore_Errors([&] { Band_Columns(1, cols - 1); });
    }
    Ignore_Errors([&] { grid_.FillStyle(0); });
    Ignore_Errors([&] {
        grid_.FillStyle(1);
        Select(0, 0, 0, cols - 1);
        grid_.CellFontBold(true);
        grid_.CellBackColor(Colors::Header);
        if (grid_.RowHeight(0) < 450) grid_.RowHeight(0, 450);
        grid_.WordWrap(true);
        grid_.FillStyle(0);
    });
    for (int c = 1; c < cols && c <= column_properties_.Upper(2); ++c) {
        Ignore_Errors([&] { Colour_Read_Only(c); });
        Ignore_Errors(
            [&] { grid_.ColAlignment(c, column_properties_(Col_Attr::Alignment, c).To_Long()); });
        switch (Column_Editor(c)) {
            case Divider:
                Ignore_Errors([&] { Prepare_Divider_Column(c); });
                break;
            case CheckBox:
                Ignore_Errors([&] {
                    grid_.FillStyle(1);
                    for (int r = 1; r < rows; ++r) {
                        Select(r, c, r, c);
                        grid_.CellAlignment(Align::Left);
                        grid_.CellPictureAlignment(Align::Center);
                        grid_.CellPicture(grid_.TextMatrix(r, c) == "1" ? checkbox_on_->Picture()
                                                                        : checkbox_off_->Picture());
                        grid_.CellForeColor(grid_.CellBackColor());
                    }
                    grid_.FillStyle(0);
                });
                break;
            default:
                break;
        }
    }
    Ignore_Errors([&] { grid_.FillStyle(0); });
    Ignore_Errors([&] { grid_.Col(col); });
    Ignore_Errors([&] { grid_.Row(row); });
    if (was_visible) grid_.Visible(true);
    updating_grid_ = false;
    grid_.Redraw(redraw);  // as the host had it
}

}  // namespace vekgrid
