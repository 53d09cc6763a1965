#include "vekgrid/common/errors.h"
#include "vekgrid/control/vekgrid.h"
#include "vekgrid/formula/math_parser.h"

namespace vekgrid {

// The four catchers hand the focus straight back: 1 and 4 to the current cell's editor when
// the focus comes from outside, 2 (Shift+Tab) and 3 (Tab) move one column left or right.
void vekGRID::Tab_Focus_GotFocus(int n, bool mouse_button_down, bool tab_key_down) {
    if (grid_.Rows() < 2 || grid_.Cols() < 2) return;
    auto to_grid_and_enter = [&] {
        Ignore_Errors([&] { grid_.SetFocus(); });
        Ignore_Errors([&] { GridEditor_EnterCell(); });
    };
    auto visible_combo = [&]() -> Combo_Box* {
        if (Column_Editor(CurrentCol) != ComboBox || !combo_editor_.Exists(CurrentCol))
            return nullptr;
        Combo_Box& combo = combo_editor_(CurrentCol);
        return combo.Visible() ? &combo : nullptr;
    };
    auto move = [&](int key) {
        Ignore_Errors([&] { grid_.SetFocus(); });
        std::int16_t code = static_cast<std::int16_t>(key);
        UserControl_KeyDown(code, 0);
    };
    switch (n) {
        case 1:
            if (Combo_Box* combo = visible_combo())
                Ignore_Errors([&] { combo->SetFocus(); });
            else
                to_grid_and_enter();
            break;
        case 2:
            if (mouse_button_down)
                to_grid_and_enter();
            else
                move(37);
            break;
        case 3:
            if (!tab_key_down && mouse_button_down)
                to_grid_and_enter();
            else
                move(39);
            break;
        default:
            if (mouse_button_down)
                to_grid_and_enter();
            else if (Combo_Box* combo = visible_combo())
                Ignore_Errors([&] { combo->SetFocus(); });
            else
                to_grid_and_enter();
            break;
    }
}

void vekGRID::UserControl_EnterFocus() {
    control_has_focus_ = true;
}

void vekGRID::UserControl_ExitFocus() {
    control_has_focus_ = false;
    Commit_On_Focus_Loss();
}

void vekGRID::Form_Closing() {
    Commit_On_Focus_Loss();
}

// What the current cell's editor holds goes into the cell and the mask, and a change is
// reported at once: there is no next cell entry to report it.
void vekGRID::Commit_On_Focus_Loss() {
    const int r = CurrentRow, k = CurrentCol;
    if (r == 0 || k == 0) return;
    // The cell is gone (a load or a host's handler left fewer rows or columns): what its
    // editor held belongs to no cell, and must not become an entry of one made later.
    if (r >= grid_.Rows() || k >= grid_.Cols()) return;
    const std::string old_value = Mask_Text(r, k);
    std::string text;
    bool has_text = false;
    Ignore_Errors([&] {
        switch (Column_Editor(k)) {
            case TextBox:
            case ProgressBar:
                text = Typed_Text(), has_text = true;
                break;
            case PopUp:
                if (Column_Flag(Col_Attr::PopUp_Cell_Editing, k))
                    text = Typed_Text(), has_text = true;
                break;
            case ComboBox:
                text = Combo_Choice(k), has_text = true;
                break;
            default:
                break;
        }
    });
    if (!has_text) return;
    if (!Change_Allowed(r, k, old_value, text)) {
        // Refused: the editor shows the cell again, so the text cannot go in later unasked.
        if (Column_Editor(k) != ComboBox) Ignore_Errors([&] { text_editor_->Text(old_value); });
        return;
    }
    // An editor left untouched holds the cell's entry: a length in a formula column shows its
    // value, which writing the entry back as the text would undo just by leaving the control.
    const bool untouched = text == old_value && text.find('=') == std::string::npos;
    if (untouched && Column_Flag(Col_Attr::Formula, k) && r < grid_.Rows() && k < grid_.Cols() &&
        grid_.TextMatrix(r, k) != text)
        return;
    Ignore_Errors([&] {
        Set_Mask_Text(r, k, text);
        if (!text.empty() && text[0] == '=' && Column_Flag(Col_Attr::Formula, k)) {
            std::string source = text;
            grid_.TextMatrix(
                r, k,
                Evaluate_Formula(source, platform_.Messages(), User_Defined_Variable_Array)[0]);
        } else {
            grid_.TextMatrix(r, k, text);
        }
        if (Column_Editor(k) == ProgressBar) {
            std::int16_t column = static_cast<std::int16_t>(k);
            Update_Progress_Column(column);
        }
    });
    std::string new_value = Mask_Text(r, k);
    if (new_value != old_value && r <= grid_.Rows() - 1 && k <= grid_.Cols() - 1) {
        std::string previous = old_value;
        double row = r, col = k;
        Raise_Event([&](vekGRID_Events& l) { l.CellChanged(previous, new_value, row, col); });
    }
}

void vekGRID::Timer1_Timer() {
    Ignore_Errors([&] {
        if (!popup_editor_.Exists(CurrentCol) || CurrentCol == 0) return;
        Command_Button& button = popup_editor_(CurrentCol);
        if (button.BackColor() == Colors::Button_Face) {
            button.BackColor(0x00FF00);
            button.Picture(arrow_green_->Picture());
        } else {
            button.BackColor(Colors::Button_Face);
            button.Picture(arrow_gray_->Picture());
        }
    });
}

}  // namespace vekgrid
