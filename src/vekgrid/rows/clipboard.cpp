#include <algorithm>

#include "vekgrid/common/errors.h"
#include "vekgrid/common/text.h"
#include "vekgrid/control/vekgrid.h"

namespace vekgrid {

std::vector<std::string> vekGRID::Row_Fields(int row) const {
    std::vector<std::string> fields;
    for (int c = 1; c < grid_.Cols(); ++c) fields.push_back(Mask_Text(row, c));
    return fields;
}

// A row as the clipboard keeps it: a tab and the mask entry for every data column.
std::string vekGRID::Row_Item(const std::vector<std::string>& fields) {
    std::string text;
    for (const auto& field : fields) {
        text += '\t';
        text += field;
        std::replace(text.end() - static_cast<std::ptrdiff_t>(field.size()), text.end(), '\t', ' ');
    }
    return text;
}

void vekGRID::Put_Tabbed_Fields(int row, const std::vector<std::string>& fields) {
    if (row < 1 || row >= grid_.Rows()) return;
    for (size_t i = 0; i < fields.size() && static_cast<int>(i) + 1 < grid_.Cols(); ++i) {
        if (fields[i].find('\t') == std::string::npos) continue;
        const int c = static_cast<int>(i) + 1;
        Ignore_Errors([&] { TextMatrix(row, c, fields[i]); });
        Show_Entry_Value(row, c);
    }
}

Variant vekGRID::Copy_Row() {
    copied_row_index_ = grid_.Row();
    copied_row_text_.clear();
    copied_row_fields_.clear();
    if (grid_.Row() >= 1) {
        copied_row_fields_ = Row_Fields(grid_.Row());
        copied_row_text_ = Row_Item(copied_row_fields_);
    }
    return Variant();
}

Variant vekGRID::Cut_Row() {
    const Undo_Step step(*this);  // one undo step
    Copy_Row();
    Delete_Row(grid_.Row(), true);
    return Variant();
}

Variant vekGRID::Paste_Row() {
    const Undo_Step step(*this);  // one undo step
    const bool has_data = std::any_of(copied_row_text_.begin(), copied_row_text_.end(),
                                      [](char c) { return c != '\t'; });
    // The header row holds the column titles: with no data row to stand on (the only one was
    // cut) there is nowhere to paste, and the titles are not written over.
    if (has_data && grid_.Row() >= 1) {
        std::vector<std::string> fields{""};  // the item's leading Tab: an empty field 0
        fields.insert(fields.end(), copied_row_fields_.begin(), copied_row_fields_.end());
        // The host sees the row as an array (0, 0..n) and may change it before it is pasted.
        auto data = std::make_shared<Variant_Array>(0, 0, 0, static_cast<int>(fields.size()) - 1);
        for (size_t i = 0; i < fields.size(); ++i) (*data)(0, static_cast<int>(i)) = fields[i];
        Variant new_row_data{Array_Ref(data)};
        double row_id = grid_.Row();
        Raise_Event([&](vekGRID_Events& l) { l.BeforeRowPaste(row_id, new_row_data); });
        if (new_row_data.Is_Array()) {
            const Variant_Array& pasted = *new_row_data.To_Array();
            const int row = grid_.Row();
            for (int c = 1; c <= pasted.Upper(2) && c <= grid_.Cols() - 1; ++c) {
                paste_in_progress_ = true;
                Ignore_Errors([&] { TextMatrix(row, c, pasted(pasted.Lower(1), c).To_Text()); });
                paste_in_progress_ = false;
                // The entry was pasted as typed; a formula column shows its value.
                Show_Entry_Value(row, c);
            }
            if (Has_Progress_Columns()) Redraw_Progress_Columns();
        }
    }
    double copied = copied_row_index_, pasted_at = grid_.Row();
    Raise_Event([&](vekGRID_Events& l) { l.RowPasted(copied, pasted_at); });
    return Variant();
}

Variant vekGRID::Insert_Copied_Row() {
    const Undo_Step step(*this);  // one undo step
    const bool has_data = std::any_of(copied_row_text_.begin(), copied_row_text_.end(),
                                      [](char c) { return c != '\t'; });
    if (has_data) {
        const int row = grid_.Row() + 1;
        AddItem(copied_row_text_, Variant(std::int32_t{row}));
        Put_Tabbed_Fields(row, copied_row_fields_);
    }
    return Variant();
}

Variant vekGRID::Copy_Row_To_New_Row(const Variant& Row_Number_To_Copy,
                                     const Variant& New_Row_Index_Location) {
    const Undo_Step step(*this);  // one undo step
    int from = 0, to = 0;
    try {
        from = Row_Number_To_Copy.To_Long();
        to = New_Row_Index_Location.To_Long();
    } catch (...) {
        return Variant();
    }
    if (from < 1 || from > grid_.Rows() - 1 || grid_.Rows() < 2 || to < 1 || to > grid_.Rows())
        return Variant();
    const bool catchers_hidden = Catchers_Visible();
    if (catchers_hidden) Show_Catchers(false);
    Ignore_Errors([&] { GridEditor_LeaveCell(); });
    const bool redraw = grid_.Redraw(), was_visible = grid_.Visible();
    grid_.Redraw(false);
    grid_.Visible(false);
    updating_grid_ = true;
    const std::vector<std::string> fields = Row_Fields(from);
    AddItem(Row_Item(fields), Variant(std::int32_t{to}));
    Put_Tabbed_Fields(to, fields);
    grid_.Visible(was_visible);
    grid_.Redraw(redraw);
    updating_grid_ = false;
    Shift_Focus_To_Visible_Grideditor();
    if (catchers_hidden) Show_Catchers(true);
    return Variant();
}

Variant vekGRID::Delete_Row(std::int32_t Row_Number, bool Renumber_Rows) {
    const Undo_Step step(*this);  // one undo step
    if (Row_Number <= 0 || grid_.Rows() < 2 || Row_Number > grid_.Rows() - 1) return Variant();
    const bool catchers_hidden = Catchers_Visible();
    if (catchers_hidden) Show_Catchers(false);
    double row_id = Row_Number;
    Raise_Event([&](vekGRID_Events& l) { l.BeforeRowDelete(row_id); });
    const bool redraw = grid_.Redraw(), was_visible = grid_.Visible();
    grid_.Redraw(false);
    grid_.Visible(false);
    updating_grid_ = true;
    const int row = grid_.Row(), col = grid_.Col();
    Ignore_Errors([&] { Hide_Editors(); });
    Ignore_Errors([&] {
        if (grid_.Rows() == 2)
            grid_.Rows(1);
        else
            grid_.RemoveItem(Row_Number);
    });
    // The removed row took its store entries with it.
    Resize_Equation_Mask(static_cast<std::int32_t>(grid_.Rows() - 1),
                         static_cast<std::int32_t>(grid_.Cols() - 1));
    if (grid_.Rows() == 1) {
        Ignore_Errors([&] { text_editor_->Text(""); });
        Ignore_Errors([&] { Hide_Editors(); });
        CurrentRow = CurrentCol = 0;
    } else {
        Format_Data_Rows(1, grid_.Rows() - 1, Renumber_Rows, false);
        // The current cell stays on its row; a deleted current row gives way to the row that
        // took its place, or to the new last row.
        int new_row = row > Row_Number ? row - 1 : row;
        new_row = std::clamp(new_row, 1, grid_.Rows() - 1);
        Ignore_Errors([&] {
            grid_.Row(new_row);
            grid_.Col(col);
        });
        CurrentRow = grid_.Row();
        CurrentCol = grid_.Col();
        if (Has_Progress_Columns()) Redraw_Progress_Columns();
    }
    updating_grid_ = false;
    grid_.Visible(was_visible);
    grid_.Redraw(redraw);
    if (grid_.Rows() > 1) {
        // The editor takes the text of the cell it now stands on, so nothing stale is committed.
        suppress_cell_events_ = true;
        Ignore_Errors([&] { GridEditor_EnterCell(); });
        suppress_cell_events_ = false;
    }
    Raise_Event([&](vekGRID_Events& l) { l.RowDeleted(row_id); });
    if (catchers_hidden) Show_Catchers(true);
    return Variant();
}

}  // namespace vekgrid
