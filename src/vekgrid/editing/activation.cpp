#include <cstdlib>

#include "vekgrid/common/errors.h"
#include "vekgrid/control/vekgrid.h"

namespace vekgrid {

namespace {
constexpr int kParkedLeft = -50000;  // out of sight, by the activation
constexpr int kHiddenLeft = -40000;  // out of sight, by Hide_Editors
constexpr int kLeftButtonDown = 513;
constexpr int kMouseWheel = 522;
constexpr int kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40;
}  // namespace

void vekGRID::Hide_Editors() {
    for (int k = 1; k <= column_properties_.Upper(2); ++k) {
        if (combo_editor_.Exists(k)) {
            Combo_Box& combo = combo_editor_(k);
            combo.Visible(false);
            combo.Left(kHiddenLeft);
        }
        if (popup_editor_.Exists(k)) {
            Command_Button& button = popup_editor_(k);
            button.Visible(false);
            button.Left(kHiddenLeft);
            button.ZOrder(1);
        }
    }
    text_editor_->Visible(false);
    text_editor_->Left(kHiddenLeft);
}

void vekGRID::Show_Editors() {
    if (grid_.Rows() < 2 || CurrentRow == 0 || CurrentCol == 0) return;
    auto show = [](Widget& w) {
        w.Visible(true);
        Ignore_Errors([&] { w.SetFocus(); });
    };
    Ignore_Errors([&] {
        switch (Column_Editor(CurrentCol)) {
            case TextBox:
                show(*text_editor_);
                break;
            case ComboBox:
                show(combo_editor_(CurrentCol));
                break;
            case PopUp:
                show(popup_editor_(CurrentCol));
                break;
            default:
                break;
        }
    });
}

void vekGRID::Shift_Focus_To_Visible_Grideditor() {
    Ignore_Errors([&] {
        switch (Column_Editor(CurrentCol)) {
            case CheckBox:
            case ProgressBar:
                grid_.SetFocus();
                return;
            case TextBox:
                // Only over a data cell that shows: the fixed column and hidden rows take none
                // (rows inserted above the current one may have moved a hidden row under it).
                if (CurrentCol < 1 || grid_.Row() < 1 || grid_.RowHeight(grid_.Row()) == 0) {
                    Hide_Editors();
                    grid_.SetFocus();
                    return;
                }
                text_editor_->Visible(true);
                text_editor_->ZOrder(0);
                text_editor_->SetFocus();
                return;
            default:
                break;
        }
        if (text_editor_->Visible()) {
            text_editor_->SetFocus();
            return;
        }
        for (int k = 1; k <= column_properties_.Upper(2); ++k) {
            if (combo_editor_.Exists(k) && combo_editor_(k).Visible()) {
                combo_editor_(k).SetFocus();
                return;
            }
            if (popup_editor_.Exists(k) && popup_editor_(k).Visible()) {
                popup_editor_(k).SetFocus();
                return;
            }
        }
    });
}

void vekGRID::Place_Text_Editor() {
    text_editor_->Move(grid_.Left() + grid_.CellLeft(), grid_.Top() + grid_.CellTop(),
                       grid_.CellWidth(), text_editor_->Height());
    text_editor_->Visible(true);
    text_editor_->ZOrder(0);
    Ignore_Errors([&] { text_editor_->SetFocus(); });
}

bool vekGRID::Blocked(int row, int col) const {
    return grid_.Look(row, col).back == grid_.BackColor();
}

// A blocked cell is passed over the way the arrow key would pass it.
void vekGRID::Step_Off_Blocked_Cell(int key) {
    std::int16_t code = static_cast<std::int16_t>(key);
    UserControl_KeyDown(code, 0);
}

// Divider columns take no editor: the move goes on to the next column that shows, in its
// direction; a vertical move into a divider goes to column 0.
void vekGRID::Skip_Divider() {
    const int cols = grid_.Cols(), now = grid_.Col();
    int k = 0;
    if (previous_col_ > now) {
        k = now >= 2 ? now - 1 : cols - 1;
        for (int guard = 0; grid_.ColWidth(k) < 1 && guard <= cols; ++guard) {
            if (k <= 1) {
                k = cols - 1;
                if (grid_.ColWidth(k) >= 1) break;
            } else if (grid_.ColWidth(k - 1) >= 1) {
                --k;
                if (Column_Editor(k) != Divider) break;
            } else {
                --k;
            }
        }
    } else if (previous_col_ < now) {
        k = now < cols - 1 ? now + 1 : 1;
        for (int guard = 0; grid_.ColWidth(k) < 1 && guard <= cols; ++guard) {
            if (k >= cols - 1) {
                k = 1;
                if (grid_.ColWidth(k) >= 1) break;
            } else {
                ++k;
                if (grid_.ColWidth(k) >= 1) break;
            }
        }
    }
    grid_.Col(k);
}

// Cell activation: the editor of the entered cell's column is placed over it and loaded.
void vekGRID::GridEditor_EnterCell() {
    if (ignore_cell_change_ || updating_grid_) return;
    if (grid_.Rows() == 1 || grid_.RowHeight(grid_.Row()) == 0) {
        Ignore_Errors([&] { Hide_Editors(); });
        return;
    }
    const Catchers_Hidden catchers(*this);

    const int row = grid_.Row(), col = grid_.Col();
    if (Blocked(row, col)) {
        Ignore_Errors([&] { text_editor_->Left(kParkedLeft); });
        auto first_open_column = [&](int r) {
            for (int k = 1; k < grid_.Cols(); ++k)
                if (!Blocked(r, k)) return k;
            return 0;
        };
        if (row == previous_row_) {
            Ignore_Errors(
                [&] { Step_Off_Blocked_Cell(previous_col_ < col ? kKeyRight : kKeyLeft); });
            return;
        }
        if (col == previous_col_) {
            Ignore_Errors([&] { Step_Off_Blocked_Cell(previous_row_ < row ? kKeyDown : kKeyUp); });
            return;
        }
        if (grid_.Rows() == 2) {
            if (int k = first_open_column(1)) {
                Ignore_Errors([&] {
                    grid_.Row(1);
                    grid_.Col(k);
                    Hide_Editors();
                });
                return;
            }
        } else if (previous_row_ >= grid_.Rows()) {
            if (int k = first_open_column(row)) {
                Ignore_Errors([&] {
                    grid_.Col(k);
                    Hide_Editors();
                });
                return;
            }
        } else {
            updating_grid_ = true;
            Ignore_Errors([&] {
                grid_.Row(previous_row_);
                grid_.Col(previous_col_);
            });
            updating_grid_ = false;
            Ignore_Errors([&] { Hide_Editors(); });
            return;
        }
    }

    CurrentRow = grid_.Row();
    CurrentCol = grid_.Col();
    if (CurrentCol > column_properties_.Upper(2)) return;
    enter_new_row_ = CurrentRow != previous_row_;
    Ignore_Errors([&] {
        text_editor_->Locked(false);
        text_editor_->Enabled(true);
        text_editor_->Visible(false);
        grid_.FocusRect(0);
        grid_.HighLight(0);
    });
    const bool read_only = Column_Flag(Col_Attr::Read_Only, CurrentCol);
    const auto kind = Column_Editor(CurrentCol);
    switch (kind) {
        case TextBox:
        case ProgressBar:
            Ignore_Errors([&] { text_editor_->Text(Mask_Text(CurrentRow, CurrentCol)); });
            if (read_only) {
                Ignore_Errors([&] {
                    text_editor_->Locked(true);
                    text_editor_->Enabled(true);
                    text_editor_->Left(kParkedLeft);
                    grid_.SetFocus();
                    grid_.FocusRect(1);
                });
            } else if (kind == TextBox) {
                Ignore_Errors([&] { Place_Text_Editor(); });
            }
            break;
        case ComboBox:
            Enter_Combo_Cell(CurrentCol);
            break;
        case CheckBox:
            Ignore_Errors([&] {
                text_editor_->Left(kParkedLeft);
                grid_.FocusRect(1);
                grid_.ForeColorSel(grid_.BackColorSel());
                grid_.SetFocus();
            });
            break;
        case PopUp:
            Enter_PopUp_Cell(CurrentCol);
            break;
        case Divider:
            Ignore_Errors([&] {
                Hide_Editors();
                grid_.SetFocus();
                text_editor_->Left(kParkedLeft);
            });
            // The move into the divider raises its own leave and enter on the way out.
            Ignore_Errors([&] { Skip_Divider(); });
            return;
        default:
            Ignore_Errors([&] { Place_Text_Editor(); });
            break;
    }
    if (grid_.Row() == 0) Ignore_Errors([&] { Hide_Editors(); });
    if (suppress_cell_events_) return;
    Raise_Event([](vekGRID_Events& l) { l.EnterCell(); });
    // The edited cell may have gone with rows removed since its commit: no event for it then.
    if (cell_change_pending_ && CurrentRow <= grid_.Rows() - 1 &&
        previous_row_ <= grid_.Rows() - 1 && previous_col_ <= grid_.Cols() - 1) {
        std::string previous = pending_previous_value_;
        std::string current = Mask_Text(previous_row_, previous_col_);
        double r = previous_row_, c = previous_col_;
        Raise_Event([&](vekGRID_Events& l) { l.CellChanged(previous, current, r, c); });
    }
    cell_change_pending_ = false;
}

void vekGRID::Grid_Click() {
    const Undo_Step step(*this, true);  // with the cell move the click made
    Raise_Event([](vekGRID_Events& l) { l.Click(); });
    const bool catchers_hidden = Catchers_Visible();
    if (catchers_hidden) Show_Catchers(false);
    if (grid_.Rows() == 1) {
        // A click on a grid with only its header makes the first data row.
        Ignore_Errors([&] {
            grid_.Rows(2);
            CurrentRow = 1;
            CurrentCol = 1;
            std::int32_t row = 1;
            Format_New_Row(row);
            updating_grid_ = true;
            grid_.Row(1);
            grid_.Col(1);
            updating_grid_ = false;
        });
        updating_grid_ = false;
        suppress_combo_dropdown_ = true;
        Ignore_Errors([&] { GridEditor_EnterCell(); });
        suppress_combo_dropdown_ = false;
        Resize_Equation_Mask(static_cast<std::int32_t>(grid_.Rows() - 1),
                             static_cast<std::int32_t>(grid_.Cols() - 1));
        double added = 1;
        Raise_Event([&](vekGRID_Events& l) { l.RowAdded(added); });
        Shift_Focus_To_Visible_Grideditor();
    } else {
        long long total = 0;
        for (int r = 0; r < grid_.Rows(); ++r) total += grid_.RowHeight(r);
        if (mouse_y_ <= static_cast<double>(total)) {
            CurrentRow = grid_.Row();
            CurrentCol = grid_.Col();
            switch (Column_Editor(CurrentCol)) {
                case ComboBox:
                    Ignore_Errors([&] { GridEditor_EnterCell(); });
                    break;
                case CheckBox:
                    if (grid_.MouseCol() != 0 && grid_.MouseRow() != 0)
                        Ignore_Errors([&] { Toggle_Check_Box(); });
                    break;
                case TextBox:
                    if (!text_editor_->Visible())
                        Ignore_Errors([&] { GridEditor_EnterCell(); });
                    else
                        Ignore_Errors([&] { text_editor_->SetFocus(); });
                    break;
                default:
                    break;
            }
        }
    }
    if (catchers_hidden) Show_Catchers(true);
}

void vekGRID::Grid_DblClick() {
    Raise_Event([](vekGRID_Events& l) { l.DblClick(); });
}

void vekGRID::Grid_MouseMove(int, int, double x, double y) {
    mouse_x_ = x;
    mouse_y_ = y;
}

void vekGRID::Grid_MouseDown(int button, int shift, double x, double y) {
    const Undo_Step step(*this, true, true);  // with the cell move the press made
    if (grid_.Cols() < 2 || grid_.Rows() < 2) return;
    const bool catchers_hidden = Catchers_Visible();
    if (catchers_hidden) Show_Catchers(false);
    auto back_to_previous = [&] {
        updating_grid_ = true;
        Ignore_Errors([&] {
            grid_.Row(previous_row_);
            grid_.Col(previous_col_);
        });
        updating_grid_ = false;
    };
    std::int16_t b = static_cast<std::int16_t>(button), s = static_cast<std::int16_t>(shift);
    float fx = static_cast<float>(x), fy = static_cast<float>(y);
    if (ignore_cell_change_) {
        updating_grid_ = true;
        Ignore_Errors([&] {
            grid_.Row(CurrentRow);
            grid_.Col(CurrentCol);
        });
        updating_grid_ = false;
        Ignore_Errors([&] { grid_.FocusRect(0); });
        ignore_cell_change_ = false;
    } else {
        if (Column_Editor(grid_.Col()) == Divider) back_to_previous();
        if (button == 2 && grid_.MouseRow() == 0) {
            back_to_previous();
            Ignore_Errors([&] { GridEditor_EnterCell(); });
        } else if (button == 2) {
            Ignore_Errors([&] { GridEditor_LeaveCell(); });
            updating_grid_ = true;
            Ignore_Errors([&] {
                grid_.Col(grid_.MouseCol());
                grid_.Row(grid_.MouseRow());
            });
            updating_grid_ = false;
            Ignore_Errors([&] { GridEditor_EnterCell(); });
            Raise_Event([&](vekGRID_Events& l) { l.MouseDown(b, s, fx, fy); });
        } else {
            Raise_Event([&](vekGRID_Events& l) { l.MouseDown(b, s, fx, fy); });
        }
    }
    if (catchers_hidden) Show_Catchers(true);
}

void vekGRID::Window_Message(std::intptr_t window, int message, std::int32_t wparam) {
    if (message == kLeftButtonDown && window == grid_.hWnd()) {
        Ignore_Errors([&] {
            grid_.Pointer_At(mouse_x_, mouse_y_);
            const int r = grid_.MouseRow(), c = grid_.MouseCol();
            if (r == 0 || c == 0 || grid_.Look(r, c).back == back_color_) {
                grid_.FocusRect(0);
                ignore_cell_change_ = true;
            }
        });
        return;
    }
    if (message == kMouseWheel && (window == Self() || window == grid_.hWnd())) {
        const auto delta =
            static_cast<std::int16_t>((static_cast<std::uint32_t>(wparam) >> 16) & 0xFFFF);
        if (grid_.Col() == 0) return;
        platform_.Send_Keys(delta / 120 >= 0 ? "{UP 3}" : "{DOWN 3}");
        return;
    }
    if (message == kLeftButtonDown) {
        // A press on a drop-down editor while its list is open.
        for (int k : combo_editor_.Indices()) {
            if (k == 0 || k > Max_Intercepted_Column || combo_window_handle_[Slot(k)] != window)
                continue;
            Combo_Box& combo = combo_editor_(k);
            if (!combo.Dropped_Down()) return;
            const int tpp = platform_.Twips_Per_Pixel_X();
            const auto [px, py] = platform_.Cursor_Position();
            const int x = px * tpp, y = py * platform_.Twips_Per_Pixel_Y();
            const int list_left = combo.Left(), list_top = combo.Top() + combo.Height();
            const int list_width = std::max(combo.Width(), combo.List_Min_Width() * tpp);
            const int list_bottom = list_top + combo.Height() * std::min(8, combo.ListCount());
            const bool inside =
                x >= list_left && x < list_left + list_width && y >= list_top && y < list_bottom;
            if (!inside) platform_.Synthesize_Click(Column_Flag(Col_Attr::Combo_Includes_PopUp, k));
            return;
        }
    }
}

void vekGRID::GridEditor_Scroll() {
    if (grid_.Rows() < 2) return;
    const bool catchers_hidden = Catchers_Visible();
    if (catchers_hidden) Show_Catchers(false);
    const bool was_visible = grid_.Visible();
    grid_.Visible(false);
    const int row = grid_.Row(), col = grid_.Col();
    auto style_column_one = [&](int fixed, Color fore, bool bold) {
        updating_grid_ = true;
        Ignore_Errors([&] {
            grid_.FixedCols(fixed);
            grid_.FillStyle(1);
            grid_.Col(1);
            grid_.Row(1);
            grid_.RowSel(grid_.Rows() - 1);
            grid_.CellForeColor(fore);
            grid_.CellFontBold(bold);
            grid_.FillStyle(0);
        });
        Ignore_Errors([&] {
            grid_.Row(row);
            grid_.Col(col);
        });
        updating_grid_ = false;
    };
    const int f = Column_Editor(2) == Divider ? 3 : 2;
    if (!left_col_always_visible_ ||
        (grid_.LeftCol() == f && grid_.FixedCols() == 2 && grid_.Col() == f)) {
        style_column_one(1, Colors::Black, false);
        Ignore_Errors([&] { pic_line_->Visible(false); });
    } else if (grid_.Cols() > 1 && grid_.ColPos(1) < 0) {
        style_column_one(2, 0xC0C0C0, true);
    }

    Ignore_Errors([&] {
        if (CurrentRow < grid_.TopRow() || CurrentCol < grid_.LeftCol()) {
            Hide_Editors();
            return;
        }
        const bool vertical_bar = grid_.Window_Style() & Window_Style_Bits::Vertical_Scroll;
        const bool horizontal_bar = grid_.Window_Style() & Window_Style_Bits::Horizontal_Scroll;
        const int bar = platform_.System_Metric(9) * platform_.Twips_Per_Pixel_X();
        const int visible_width = grid_.Width() - grid_.ColWidth(0) - (vertical_bar ? bar : 0);
        const int visible_height = grid_.Height() - grid_.RowHeight(0) - (horizontal_bar ? bar : 0);
        int width_extent = grid_.ColWidth(1), height_extent = 0;
        for (int c = grid_.LeftCol(); c <= CurrentCol; ++c) width_extent += grid_.ColWidth(c);
        for (int r = grid_.TopRow(); r <= CurrentRow; ++r) height_extent += grid_.RowHeight(r);
        const auto kind = Column_Editor(CurrentCol);
        if (width_extent >= visible_width || height_extent >= visible_height) {
            if (kind == PopUp) Hide_Editors();
            if (kind == CheckBox) {
                grid_.SetFocus();
                grid_.FocusRect(0);
            }
            return;
        }
        if (CurrentRow != grid_.Row() || CurrentCol != grid_.Col()) return;
        if (kind == ComboBox)
            Enter_Combo_Cell(CurrentCol);
        else if (kind == PopUp)
            Enter_PopUp_Cell(CurrentCol);
        else if (kind == TextBox && !Column_Flag(Col_Attr::Read_Only, CurrentCol))
            Place_Text_Editor();
    });
    grid_.Visible(was_visible);
    if (catchers_hidden) Show_Catchers(true);
}

}  // namespace vekgrid
