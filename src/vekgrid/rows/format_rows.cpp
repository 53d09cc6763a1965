#include "vekgrid/common/errors.h"
#include "vekgrid/control/vekgrid.h"

namespace vekgrid {

namespace {
constexpr int kStandardRowHeight = 240;
constexpr char kDefaultTitle[] = "Vekgrid_Lib";  // a message box without a title of its own
}  // namespace

void vekGRID::Format_Column_Cell(int row, int col, bool centre_picture) {
    Select(row, col, row, col);
    grid_.CellAlignment(column_properties_(Col_Attr::Alignment, col).To_Long());
    const auto kind = Column_Editor(col);
    if (kind == Divider) grid_.CellBackColor(back_color_);
    const bool grey = Column_Flag(Col_Attr::Read_Only, col) && !read_only_;
    grid_.CellForeColor(grey ? Colors::Grey_Text : Colors::Black);
    if (kind == CheckBox) {
        grid_.CellForeColor(grid_.CellBackColor());
        grid_.CellPicture(grid_.TextMatrix(row, col) == "1" ? checkbox_on_->Picture()
                                                            : checkbox_off_->Picture());
        if (centre_picture) grid_.CellPictureAlignment(Align::Center);
    }
}

void vekGRID::Format_New_Row(std::int32_t& Row) {
    if (Row == 0) Row = static_cast<std::int32_t>(grid_.Rows() - 1);
    Format_Row(Row, 0);
}

void vekGRID::Format_Row(int row, int first_fixed_row) {
    updating_grid_ = true;
    const bool redraw = grid_.Redraw();  // given back as the host had it
    grid_.Redraw(false);
    const bool catchers_hidden = Catchers_Visible();
    if (catchers_hidden) Show_Catchers(false);
    const bool was_visible = grid_.Visible();
    grid_.Visible(false);
    try {
        grid_.FillStyle(1);
        Select(first_fixed_row, 0, row, 0);
        // The labels' look as one styling pass, which skips the rows that already have it.
        const Host_Grid::Cell_Style labels = Label_Style();
        grid_.Style_Rows(first_fixed_row, row, 0, {labels}, {labels});
        if (grid_.Cols() > 1) {
            Select(row, 1, row, grid_.Cols() - 1);
            grid_.CellFontBold(false);
            grid_.CellBackColor(
                static_cast<Color>((row % 2 == 1 ? row_color_odd_ : row_color_even_).To_Long()));
        }
        if (grid_.RowHeight(row) < 451) grid_.RowHeight(row, kStandardRowHeight);
        if (row != 0) grid_.TextMatrix(row, 0, std::to_string(row));
        grid_.FillStyle(0);
        for (int c = 1; c < grid_.Cols() && c <= column_properties_.Upper(2); ++c)
            Format_Column_Cell(row, c, false);
    } catch (...) {
        Ignore_Errors([&] {
            platform_.Messages().MsgBox(
                "An error occured while formatting the new row - Format_New_Row procedure.",
                Msg::OK_Only, kDefaultTitle);
        });
        if (catchers_hidden) Show_Catchers(true);
        Ignore_Errors([&] { grid_.FillStyle(0); });
        grid_.Visible(was_visible);
        grid_.Redraw(redraw);
        updating_grid_ = false;
        return;
    }
    grid_.FillStyle(0);
    grid_.Visible(was_visible);
    grid_.Redraw(redraw);
    if (catchers_hidden) Show_Catchers(true);
    updating_grid_ = false;
}

}  // namespace vekgrid
