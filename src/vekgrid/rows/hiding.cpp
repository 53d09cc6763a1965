#include <vector>

#include "vekgrid/common/errors.h"
#include "vekgrid/control/vekgrid.h"

namespace vekgrid {

namespace {
constexpr int kShownHeight = 240;
}

// Odd and even colours over the rows that show; hidden rows do not count. One pass over the
// rows in the grid model, with no selection moved per row.
void vekGRID::Band_Visible_Rows() {
    const int cols = grid_.Cols();
    if (cols < 2) return;
    const Color odd = static_cast<Color>(row_color_odd_.To_Long());
    const Color even = static_cast<Color>(row_color_even_.To_Long());
    Ignore_Errors([&] { grid_.Band_Shown_Rows(1, 1, cols - 1, odd, even); });
}

void vekGRID::Redraw_Progress_Columns() {
    for (int c = 1; c < grid_.Cols() && c <= column_properties_.Upper(2); ++c) {
        if (Column_Editor(c) != ProgressBar) continue;
        std::int16_t column = static_cast<std::int16_t>(c);
        Update_Progress_Column(column);
    }
}

Variant vekGRID::Hide_All_Rows() {
    grid_.Visible(false);
    if (grid_.Rows() > 1)
        Ignore_Errors([&] { grid_.Row_Heights(1, std::vector<int>(grid_.Rows() - 1, 0)); });
    grid_.Visible(true);
    Ignore_Errors([&] { Hide_Editors(); });
    return Variant();
}

Variant vekGRID::Show_All_Rows() {
    grid_.Visible(false);
    if (grid_.Rows() > 1)
        Ignore_Errors(
            [&] { grid_.Row_Heights(1, std::vector<int>(grid_.Rows() - 1, kShownHeight)); });
    const int row = grid_.Row(), col = grid_.Col();
    Band_Visible_Rows();
    Redraw_Progress_Columns();
    updating_grid_ = true;
    Ignore_Errors([&] {
        grid_.Row(row);
        grid_.Col(col);
    });
    updating_grid_ = false;
    Editor_Follows_Rows();
    grid_.Visible(true);
    return Variant();
}

void vekGRID::Editor_Follows_Rows() {
    if (CurrentRow < 1 || CurrentRow >= grid_.Rows()) return;
    if (grid_.RowHeight(CurrentRow) < 1) {
        Ignore_Errors([&] { Hide_Editors(); });
        return;
    }
    const auto kind = Column_Editor(CurrentCol);
    if (kind == TextBox || kind == ComboBox || kind == PopUp)
        Ignore_Errors([&] { Place_Active_Editor(); });
}

Variant vekGRID::Hide_Row(std::int32_t Row_Number) {
    grid_.Visible(false);
    Ignore_Errors([&] { grid_.RowHeight(Row_Number, 0); });
    Ignore_Errors([&] { Hide_Editors(); });
    if (grid_.Row() == Row_Number) {
        int target = -1;
        for (int r = Row_Number + 1; r < grid_.Rows() && target < 0; ++r)
            if (grid_.RowHeight(r) >= 1) target = r;
        for (int r = Row_Number - 1; r >= 1 && target < 0; --r)
            if (grid_.RowHeight(r) >= 1) target = r;
        if (target > 0) Ignore_Errors([&] { grid_.Row(target); });
    }
    Band_Visible_Rows();
    grid_.Visible(true);
    return Variant();
}

}  // namespace vekgrid
