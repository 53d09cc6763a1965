#include "vekgrid/common/errors.h"
#include "vekgrid/control/vekgrid.h"

namespace vekgrid {

namespace {
int Whole(double v) {
    return static_cast<int>(v);
}  // truncation, as the callers expect
}  // namespace

// Select the target, write its format, put the current cell back; the user sees no jump and
// the cell handlers stay quiet. Visibility and Redraw come back even when a step fails, to
// what they were, so the protocol can run inside other bulk changes.
template <class Format>
void vekGRID::Format_Cell(int row1, int col1, int row2, int col2, bool fill, Format format) {
    const int row = grid_.Row(), col = grid_.Col();
    const bool was_visible = grid_.Visible(), redraw = grid_.Redraw();
    if (was_visible) grid_.Visible(false);
    grid_.Redraw(false);
    const bool was_updating = updating_grid_;
    updating_grid_ = true;
    Ignore_Errors([&] {
        grid_.Col(col1);
        grid_.Row(row1);
        grid_.RowSel(row2);
        grid_.ColSel(col2);
        if (fill) grid_.FillStyle(1);
        format();
    });
    Ignore_Errors([&] { grid_.FillStyle(0); });
    Ignore_Errors([&] { grid_.Col(col); });
    Ignore_Errors([&] { grid_.Row(row); });
    updating_grid_ = was_updating;
    grid_.Visible(was_visible);
    grid_.Redraw(redraw);
    Resettle_Editor();  // the cell being edited may be blocked now
}

void vekGRID::Put_Cell_Font(const Font& font) {
    grid_.CellFontBold(font.bold);
    grid_.CellFontItalic(font.italic);
    grid_.CellFontName(font.name);
    grid_.CellFontSize(font.size);
    grid_.CellFontStrikeThrough(font.strikethrough);
    grid_.CellFontUnderline(font.underline);
}

// Unlike the cell operations this short form has no steps to put the current cell back, which
// leaves the grid's current cell on the coloured row while the editor, and what the person is
// typing, stays on its own cell: the next commit or move would work on a cell nobody chose.
// The current cell is put back like the others do; the colours are the same.
void vekGRID::Row_Color(double RowNumber, const Variant& RowColor, bool ColorFirstColumn) {
    const int row = grid_.Row(), col = grid_.Col();
    const bool was_updating = updating_grid_;
    updating_grid_ = true;
    Ignore_Errors([&] {
        grid_.FillStyle(1);
        grid_.Col(ColorFirstColumn ? 0 : 1);
        grid_.Row(Whole(RowNumber));
        grid_.ColSel(grid_.Cols() - 1);
        grid_.RowSel(Whole(RowNumber));
        grid_.CellBackColor(static_cast<Color>(RowColor.To_Long()));
    });
    Ignore_Errors([&] { grid_.FillStyle(0); });
    // A check box keeps its "0" or "1" unseen: the text takes the new back colour too.
    for (int k = 1; k < grid_.Cols(); ++k) {
        if (Column_Editor(k) != CheckBox) continue;
        Ignore_Errors([&] {
            Select(Whole(RowNumber), k, Whole(RowNumber), k);
            grid_.CellForeColor(static_cast<Color>(RowColor.To_Long()));
        });
    }
    Ignore_Errors([&] { grid_.Col(col); });
    Ignore_Errors([&] { grid_.Row(row); });
    updating_grid_ = was_updating;
    Resettle_Editor();  // the cell being edited may be blocked now
}

void vekGRID::Set_Cell_Color(double Row, double Column, Color Cell_Color) {
    const int r = Whole(Row), c = Whole(Column);
    Format_Cell(r, c, r, c, false, [&] { grid_.CellBackColor(Cell_Color); });
}

void vekGRID::Set_Range_Cell_Color(std::int32_t Start_Row, std::int32_t End_Row,
                                   std::int32_t Start_Col, std::int32_t End_Col, Color CellColor) {
    Format_Cell(Start_Row, Start_Col, End_Row, End_Col, true,
                [&] { grid_.CellBackColor(CellColor); });
}

Variant vekGRID::Cell_Back_Color(const Variant& Row, const Variant& Column) {
    Variant result;
    int r = 0, c = 0;
    try {
        r = Row.To_Long();
        c = Column.To_Long();
    } catch (...) {
        return result;
    }
    const int top = grid_.TopRow();
    Format_Cell(r, c, r, c, false, [&] {
        if (r == grid_.Row() && c == grid_.Col())
            result = Variant::From_Unsigned(grid_.CellBackColor());
    });
    Ignore_Errors([&] { grid_.TopRow(top); });
    return result;
}

void vekGRID::Cell_Back_Color(const Variant& Row, const Variant& Column, Color color) {
    int r = 0, c = 0;
    try {
        r = Row.To_Long();
        c = Column.To_Long();
    } catch (...) {
        return;
    }
    Format_Cell(r, c, r, c, false, [&] { grid_.CellBackColor(color); });
}

void vekGRID::Cell_Font(double Row, double Column, const Font& CellFont) {
    const int r = Whole(Row), c = Whole(Column);
    Format_Cell(r, c, r, c, true, [&] { Put_Cell_Font(CellFont); });
}

void vekGRID::Cell_Font_Color(double Row, double Column, const Variant& FontColor) {
    const int r = Whole(Row), c = Whole(Column);
    Format_Cell(r, c, r, c, true,
                [&] { grid_.CellForeColor(static_cast<Color>(FontColor.To_Long())); });
}

void vekGRID::Row_Color_Odd(const Variant& color) {
    row_color_odd_ = color;
    Mark_Changed("Row_Color_Odd");
}

void vekGRID::Row_Color_Even(const Variant& color) {
    row_color_even_ = color;
    Mark_Changed("Row_Color_Even");
}

}  // namespace vekgrid
