#include <algorithm>
#include <cmath>

#include "vekgrid/common/errors.h"
#include "vekgrid/common/text.h"
#include "vekgrid/control/vekgrid.h"

namespace vekgrid {

namespace {
constexpr int kParkedLeft = -50000;

}  // namespace

// The first item shown for a cell whose text is not in the list is only shown: passing through
// the cell must not write it there. Choosing an item, or typing, does.
std::string vekGRID::Combo_Choice(int k) {
    const std::string chosen = combo_editor_(k).Text();
    if (combo_picked_for_unlisted_ && chosen == *combo_picked_for_unlisted_)
        return Mask_Text(CurrentRow, CurrentCol);
    return chosen;
}

void vekGRID::Enter_Combo_Cell(int k) {
    Ignore_Errors([&] {
        Combo_Box& combo = combo_editor_(k);
        const int x = grid_.Left() + grid_.CellLeft(), y = grid_.Top() + grid_.CellTop();
        const std::string text = grid_.Text();
        const int width = std::max(0, grid_.CellWidth());
        if (!combo.Visible() || (combo.Left() != x && combo.Top() != y) || combo.Dropped_Down()) {
            combo.Move(x, y, width, combo.Height());
            combo.Visible(true);
            Ignore_Errors([&] { combo.SetFocus(); });
            combo.ZOrder(0);
        }
        // A text not in the list leaves the first item selected.
        combo_picked_for_unlisted_.reset();
        bool listed = false;
        for (int i = 0; i < combo.ListCount(); ++i) {
            combo.ListIndex(0);
            if (combo.List(i) == text) {
                combo.ListIndex(i);
                listed = true;
                break;
            }
        }
        if (!listed) combo_picked_for_unlisted_ = combo.Text();
        if (Column_Flag(Col_Attr::Read_Only, k)) {
            combo.Locked(true);
            combo.Enabled(true);
            combo.Left(kParkedLeft);
            Ignore_Errors([&] { grid_.SetFocus(); });
            grid_.FocusRect(1);
            return;
        }
        const int tpp = platform_.Twips_Per_Pixel_X();
        int widest = 0;
        for (const auto& item : combo.Items())
            widest = std::max(widest, platform_.Metrics().Text_Width(item, combo.Font()));
        auto list_width = static_cast<int>(
            std::nearbyint(static_cast<double>(widest) / tpp + (combo.ListCount() >= 9 ? 60 : 30)));
        if (list_width * tpp < combo.Width()) list_width = combo.Width() / tpp;
        combo.List_Min_Width(list_width);
        if (Column_Flag(Col_Attr::Combo_Includes_PopUp, k) && popup_editor_.Exists(k)) {
            Command_Button& button = popup_editor_(k);
            button.Left(x + combo.Width());
            button.Top(y);
            button.Visible(true);
            button.ZOrder(0);
        }
        if (combo.ListCount() >= 1 && !suppress_combo_dropdown_ && !combo.Dropped_Down() &&
            !adding_item_ && grid_.Visible())
            combo.Dropped_Down(true);
        combo_list_position_ = combo.ListIndex();
    });
}

Variant vekGRID::Update_Combo_Box_List(std::string& New_List, std::int16_t& Column_Index) {
    if (Column_Editor(Column_Index) != ComboBox) return Variant();
    try {
        Combo_Box& combo = combo_editor_(Column_Index);
        const std::string remembered = combo.Text();
        column_properties_(Col_Attr::Combo_List, Column_Index) = New_List;
        combo.Clear();
        for (auto& item : Split_List(New_List)) combo.AddItem(item);
        for (int i = 0; i < combo.ListCount(); ++i)
            if (combo.List(i) == remembered) {
                combo.ListIndex(i);
                break;
            }
    } catch (...) {
    }
    return Variant();
}

void vekGRID::Toggle_Check_Box() {
    const int r = CurrentRow, k = CurrentCol;
    const bool tick = grid_.TextMatrix(r, k) == "0";
    grid_.CellPicture(tick ? checkbox_on_->Picture() : checkbox_off_->Picture());
    grid_.TextMatrix(r, k, tick ? "1" : "0");
    if (r <= grid_.Rows() - 1) {
        std::string before = tick ? "0" : "1", after = tick ? "1" : "0";
        double row = r, col = k;
        Raise_Event([&](vekGRID_Events& l) { l.CellChanged(before, after, row, col); });
    }
}

void vekGRID::Reset_Row_Check_Boxes(std::int32_t& Row) {
    if (Row == 0) Row = static_cast<std::int32_t>(grid_.Rows() - 1);
    for (int k = 1; k <= column_properties_.Upper(2); ++k) {
        if (Column_Editor(k) != CheckBox) continue;
        Ignore_Errors([&] {
            grid_.FillStyle(1);
            Select(Row, k, Row, k);
            grid_.CellPictureAlignment(Align::Center);
            grid_.CellPicture(checkbox_off_->Picture());
            grid_.Text("0");
            grid_.CellForeColor(grid_.CellBackColor());
            grid_.CellAlignment(Align::Left);
            grid_.FillStyle(0);
        });
    }
}

void vekGRID::Enter_PopUp_Cell(int k) {
    const int x = grid_.Left() + grid_.CellLeft(), y = grid_.Top() + grid_.CellTop();
    const bool editable = Column_Flag(Col_Attr::PopUp_Cell_Editing, k);
    Ignore_Errors([&] { text_editor_->Text(grid_.Text()); });
    if (!Column_Flag(Col_Attr::Read_Only, k) && editable) {
        Ignore_Errors([&] {
            text_editor_->Move(x, y, grid_.CellWidth(), text_editor_->Height());
            text_editor_->ZOrder(0);
            text_editor_->Visible(true);
            text_editor_->SetFocus();
        });
    } else {
        Ignore_Errors([&] { text_editor_->Left(kParkedLeft); });
    }
    if (!editable) {
        Ignore_Errors([&] { grid_.SetFocus(); });
        grid_.FocusRect(1);
    }
    Ignore_Errors([&] {
        Command_Button& button = popup_editor_(k);
        button.Visible(true);
        button.Left(x + grid_.CellWidth());
        button.Top(y);
        button.ZOrder(0);
        Ignore_Errors([&] { button.SetFocus(); });
        grid_.SetFocus();
    });
}

void vekGRID::PopUpEditor_Click(int index) {
    const bool catchers_hidden = Catchers_Visible();
    if (catchers_hidden) Show_Catchers(false);
    try {
        Variant form_value = column_properties_(Col_Attr::PopUp_Form, index);
        if (form_value.Is_Object()) {
            if (auto form = std::dynamic_pointer_cast<Pop_Up_Form>(form_value.To_Object())) {
                const auto [px, py] = platform_.Cursor_Position();
                form->Hide();
                mouse_x_ = form->ScaleX_Pixels_To_Twips(px);
                mouse_y_ = form->ScaleX_Pixels_To_Twips(py);
                if (!form->Visible()) {
                    form->Left(static_cast<int>(mouse_x_ - 0.5 * form->Width()));
                    form->Top(static_cast<int>(mouse_y_ + 400));
                }
                form->Show();
                // Keep the whole form on the screen.
                if (form->Top() + form->Height() > platform_.Screen_Height())
                    form->Top(platform_.Screen_Height() - 400 - form->Height());
                if (form->Left() + form->Width() > platform_.Screen_Width())
                    form->Left(platform_.Screen_Width() - form->Width() - 400);
                if (form->Left() < 0) form->Left(0);
            }
        }
        std::int16_t col = static_cast<std::int16_t>(index);
        Raise_Event([&](vekGRID_Events& l) { l.PopUpClick(col, form_value); });
    } catch (...) {
    }
    if (catchers_hidden) Show_Catchers(true);
}

}  // namespace vekgrid
