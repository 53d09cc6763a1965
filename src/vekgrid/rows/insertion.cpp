#include <algorithm>

#include "vekgrid/common/errors.h"
#include "vekgrid/common/text.h"
#include "vekgrid/control/vekgrid.h"
#include "vekgrid/formula/math_parser.h"
#include "vekgrid/formula/text_to_double.h"

namespace vekgrid {

namespace {
Color As_Color(const Variant& v) {
    return static_cast<Color>(v.To_Long());
}
}  // namespace

// Data rows first..last as their columns want them: banding, plain font and each column's
// alignment and colours go in as one styled pass; only check-box pictures follow the texts.
void vekGRID::Format_Data_Rows(int first, int last, bool renumber, bool centre_pictures,
                               const std::optional<Host_Grid::Cell_Style>& labels,
                               bool boxes_left) {
    const int cols = grid_.Cols();
    if (first > last || (cols < 2 && !labels)) return;
    const bool was_updating = updating_grid_;
    updating_grid_ = true;
    std::vector<Host_Grid::Cell_Style> odd(static_cast<size_t>(cols - 1)), even;
    std::vector<int> check_boxes;
    for (int c = 1; c < cols; ++c) {
        Host_Grid::Cell_Style& style = odd[static_cast<size_t>(c - 1)];
        style.bold = false;
        if (c > column_properties_.Upper(2)) continue;
        style.alignment = column_properties_(Col_Attr::Alignment, c).To_Long();
        const auto kind = Column_Editor(c);
        if (kind == Divider) style.back = back_color_;
        const bool grey = Column_Flag(Col_Attr::Read_Only, c) && !read_only_;
        style.fore = grey ? Colors::Grey_Text : Colors::Black;
        if (kind != CheckBox) continue;
        check_boxes.push_back(c);
        if (boxes_left) style.alignment = Align::Left;
        if (centre_pictures) style.picture_alignment = Align::Center;
    }
    even = odd;
    const Color odd_back = As_Color(row_color_odd_), even_back = As_Color(row_color_even_);
    for (int c = 1; c < cols; ++c) {
        auto& o = odd[static_cast<size_t>(c - 1)];
        auto& e = even[static_cast<size_t>(c - 1)];
        if (!o.back) o.back = odd_back, e.back = even_back;
        // A check box's text is hidden in its own back colour; the picture shows the value.
        if (std::find(check_boxes.begin(), check_boxes.end(), c) != check_boxes.end())
            o.fore = o.back, e.fore = e.back;
    }
    if (labels) odd.insert(odd.begin(), *labels), even.insert(even.begin(), *labels);
    Ignore_Errors([&] {
        grid_.Style_Rows(first, last, labels ? 0 : 1, odd, even, renumber);
        for (int c : check_boxes)
            for (int r = first; r <= last; ++r) {
                Select(r, c, r, c);
                grid_.CellPicture(grid_.TextMatrix(r, c) == "1" ? checkbox_on_->Picture()
                                                                : checkbox_off_->Picture());
            }
        grid_.FillStyle(0);
    });
    updating_grid_ = was_updating;
}

void vekGRID::Format_All_Rows(std::int32_t& Renumber) {
    const bool was_updating = updating_grid_;
    updating_grid_ = true;
    const int row = grid_.Row(), col = grid_.Col();
    const int rows = grid_.Rows(), cols = grid_.Cols();
    const Host_Grid::Cell_Style labels = Label_Style();
    Ignore_Errors([&] {
        grid_.Style_Rows(0, 0, 0, {labels}, {labels});
        grid_.FillStyle(1);
        if (grid_.RowHeight(0) < 450) grid_.RowHeight(0, 450);
        if (cols > 1) {
            Select(0, 1, 0, cols - 1);
            grid_.CellAlignment(Align::Center);
        }
        grid_.FillStyle(0);
    });
    Format_Data_Rows(1, rows - 1, Renumber == 0, true, labels);
    Ignore_Errors([&] {
        grid_.Row(row);
        grid_.Col(col);
    });
    updating_grid_ = was_updating;
}

bool vekGRID::Editor_Open() const {
    if (CurrentRow < 1 || CurrentCol < 1 || CurrentRow >= grid_.Rows() ||
        CurrentCol >= grid_.Cols())
        return false;
    switch (Column_Editor(CurrentCol)) {
        case TextBox:
        case ProgressBar:
        case PopUp:
            return text_editor_->Visible();
        case ComboBox:
            return combo_editor_.Exists(CurrentCol) && combo_editor_(CurrentCol).Visible();
        default:
            return false;
    }
}

void vekGRID::Show_Entry_Value(int row, int col) {
    if (!Column_Flag(Col_Attr::Formula, col)) return;
    Ignore_Errors([&] {
        std::string entry = Mask_Text(row, col);
        if (entry.find('=') != std::string::npos) {
            const auto result =
                Column_Flag(Col_Attr::Variables, col)
                    ? Evaluate_Formula(entry, platform_.Messages(), User_Defined_Variable_Array)
                    : Evaluate_Formula(entry, platform_.Messages());
            grid_.TextMatrix(row, col, result[0]);
        } else if (entry.find('-') != std::string::npos && entry.find('-') >= 1) {
            grid_.TextMatrix(row, col, Convert_Feet_Inches(entry, platform_.Messages()).To_Text());
        }
    });
}

bool vekGRID::Has_Progress_Columns() const {
    for (int c = 1; c < grid_.Cols() && c <= column_properties_.Upper(2); ++c)
        if (Column_Editor(c) == ProgressBar) return true;
    return false;
}

void vekGRID::AddItem(const std::string& Item, const Variant& Index) {
    const Undo_Step step(*this);  // one undo step
    const bool catchers_hidden = Catchers_Visible();
    if (catchers_hidden) Show_Catchers(false);
    suppress_combo_dropdown_ = true;
    std::string old_value;
    Ignore_Errors([&] { old_value = Mask_Text(CurrentRow, CurrentCol); });
    Ignore_Errors([&] { GridEditor_LeaveCell(); });
    if (cell_change_pending_) {
        std::string new_value = Mask_Text(CurrentRow, CurrentCol);
        double r = CurrentRow, c = CurrentCol;
        if (CurrentRow <= grid_.Rows() - 1 && CurrentCol <= grid_.Cols() - 1)
            Raise_Event([&](vekGRID_Events& l) { l.CellChanged(old_value, new_value, r, c); });
        cell_change_pending_ = false;
    }
    adding_item_ = true;
    // Without an index the row goes to the bottom, as the last row.
    int index = grid_.Rows();
    try {
        if (!Index.Is_Blank()) index = Index.To_Long();
        grid_.AddItem(Item, index);
    } catch (...) {
        adding_item_ = suppress_combo_dropdown_ = false;
        if (catchers_hidden) Show_Catchers(true);
        return;
    }
    const std::vector<std::string> fields = Split(Item, '\t');
    if (index == 0 || index == grid_.Rows() - 1) {
        std::int32_t last = 0;
        Format_New_Row(last);
    } else {
        std::int32_t renumber = 0;
        Format_All_Rows(renumber);
    }
    // The new row brought its own (empty) store entry with it; the rows below kept theirs.
    Resize_Equation_Mask(static_cast<std::int32_t>(grid_.Rows() - 1),
                         static_cast<std::int32_t>(grid_.Cols() - 1));
    // The fields are entries as typed: a formula column shows their values, the entries stay.
    for (int c = 1; c < static_cast<int>(fields.size()) && c < grid_.Cols(); ++c) {
        Ignore_Errors([&] { Set_Mask_Text(index, c, grid_.TextMatrix(index, c)); });
        Show_Entry_Value(index, c);
    }
    // Formulas that may use variables are computed again, as a change of rows may change them.
    Recalculate_Variable_Formulas(false);
    if (Has_Progress_Columns()) Redraw_Progress_Columns();
    Ignore_Errors([&] {
        if (CurrentRow < 1 || CurrentCol < 1) return;
        const auto kind = Column_Editor(CurrentCol);
        if (kind == TextBox || kind == ProgressBar ||
            (kind == PopUp && Column_Flag(Col_Attr::PopUp_Cell_Editing, CurrentCol))) {
            const std::string mask = Mask_Text(CurrentRow, CurrentCol);
            text_editor_->Text(mask.empty() ? grid_.TextMatrix(CurrentRow, CurrentCol) : mask);
        } else if (kind == ComboBox) {
            Combo_Box& combo = combo_editor_(CurrentCol);
            const auto& items = combo.Items();
            auto it =
                std::find(items.begin(), items.end(), grid_.TextMatrix(CurrentRow, CurrentCol));
            if (it != items.end()) combo.ListIndex(static_cast<int>(it - items.begin()));
        }
    });
    double added = index;
    Raise_Event([&](vekGRID_Events& l) { l.RowAdded(added); });
    suppress_cell_events_ = true;
    Ignore_Errors([&] { GridEditor_EnterCell(); });
    suppress_cell_events_ = false;
    Shift_Focus_To_Visible_Grideditor();
    suppress_combo_dropdown_ = adding_item_ = false;
    if (catchers_hidden) Show_Catchers(true);
}

void vekGRID::RemoveItem(std::int32_t Index) {
    Delete_Row(Index, true);
}

}  // namespace vekgrid
