#include "vekgrid/common/errors.h"
#include "vekgrid/control/vekgrid.h"

namespace vekgrid {

namespace {
constexpr int kEnter = 13, kTab = 9, kSpace = 32, kPageUp = 33, kPageDown = 34;
constexpr int kLeft = 37, kUp = 38, kRight = 39, kDown = 40;
constexpr int kAlt = 4;
constexpr int kPageRows = 20;
}  // namespace

bool vekGRID::Usable(int row, int col) const {
    return grid_.RowHeight(row) >= 1 && grid_.ColWidth(col) >= 1 && !Blocked(row, col);
}

void vekGRID::UserControl_KeyDown(std::int16_t& KeyCode, std::int16_t Shift) {
    const Catchers_Hidden catchers(*this);

    if ((CurrentRow == 0 || CurrentCol == 0) && (grid_.Rows() == 1 || grid_.Cols() == 1)) return;
    if (Sheet_Key(KeyCode, Shift)) return;  // range, clipboard, fill, undo
    const Undo_Step step(*this);           // all the key does is one undo step
    const int key = KeyCode;
    if (!read_only_ && Shift == kAlt && Allow_Shortcut_Keys) {
        switch (key) {
            case 'V':
                Paste_Row();
                break;
            case 'C':
                Copy_Row();
                break;
            case 'I':
                Insert_Copied_Row();
                break;
            case 'X':
                Cut_Row();
                break;
            case 'N':
                AddItem(" ", Variant(std::int32_t{grid_.Row() + 1}));
                break;
            case 'D':
                if (platform_.Messages().MsgBox("Are you sure you want to delete this row?",
                                                Msg::Yes_No | Msg::Question | Msg::System_Modal,
                                                "Delete Row?") == Msg::Yes)
                    Delete_Row(grid_.Row(), true);
                break;
            default:
                break;
        }
        return;
    }
    if (skip_next_key_) {
        skip_next_key_ = false;
        return;
    }
    const bool navigation = key == kEnter || key == kRight || key == kUp || key == kDown ||
                            key == kLeft || key == kTab || key == kPageDown || key == kPageUp;
    if (!navigation && Column_Flag(Col_Attr::Read_Only, CurrentCol)) return;

    switch (key) {
        case kEnter:
            Ignore_Errors([&] { Key_Enter(); });
            break;
        case kRight:
            Ignore_Errors([&] { Key_Right(); });
            break;
        case kLeft:
            Ignore_Errors([&] { Key_Left(); });
            break;
        case kDown:
            Ignore_Errors([&] { Key_Vertical(true); });
            break;
        case kUp:
            Ignore_Errors([&] {
                if (Column_Editor(CurrentCol) == ComboBox && combo_editor_.Exists(CurrentCol) &&
                    combo_editor_(CurrentCol).Dropped_Down())
                    KeyCode = 0;  // the list steps; the drop-down must not step it again
                Key_Vertical(false);
            });
            break;
        case kSpace:
            if (Column_Editor(CurrentCol) == CheckBox) {
                Ignore_Errors([&] {
                    updating_grid_ = true;
                    const int row = grid_.Row(), col = grid_.Col();
                    Select(CurrentRow, CurrentCol, CurrentRow, CurrentCol);
                    const std::string old_text = grid_.Text();
                    const bool tick = old_text == "0";
                    grid_.CellPicture(tick ? checkbox_on_->Picture() : checkbox_off_->Picture());
                    grid_.Text(tick ? "1" : "0");
                    grid_.Row(row);
                    grid_.Col(col);
                    updating_grid_ = false;
                    if (CurrentRow <= grid_.Rows() - 1) {
                        std::string before = tick ? "0" : "1", after = tick ? "1" : "0";
                        double r = CurrentRow, c = CurrentCol;
                        Raise_Event([&](vekGRID_Events& l) { l.CellChanged(before, after, r, c); });
                    }
                });
                updating_grid_ = false;
                suppress_cell_events_ = true;
                Ignore_Errors([&] { GridEditor_LeaveCell(); });
                Ignore_Errors([&] { GridEditor_EnterCell(); });
                suppress_cell_events_ = false;
            }
            break;
        case kPageDown:
        case kPageUp:
            Ignore_Errors([&] { Key_Page(key == kPageDown); });
            break;
        default:
            break;
    }
}

void vekGRID::UserControl_KeyPress(std::int16_t& KeyAscii) {
    if (KeyAscii == kEnter) {
        KeyAscii = 0;
        return;
    }
    const int k = KeyAscii;
    if (k == kRight || k == kUp || k == kDown || k == kLeft || k == kTab) return;
    if (Column_Flag(Col_Attr::Read_Only, CurrentCol)) KeyAscii = 0;
}

void vekGRID::Key_Enter() {
    bool visible_below = false;
    for (int i = grid_.Row() + 1; i < grid_.Rows() && !visible_below; ++i)
        visible_below = grid_.RowHeight(i) >= 1;
    const bool last_row = CurrentRow == grid_.Rows() - 1;
    if (allow_new_rows_ && last_row && CurrentCol == grid_.Cols() - 1) {
        Add_Row_By_Enter();
    } else if (return_key_behavior_ == Changes_Col) {
        Key_Right();
    } else if ((allow_new_rows_ && last_row) || !visible_below) {
        Add_Row_By_Enter();
    } else {
        Key_Vertical(true);
    }
}

void vekGRID::Unfreeze_Column_One() {
    Ignore_Errors([&] {
        grid_.FixedCols(1);
        grid_.FillStyle(1);
        grid_.Col(1);
        grid_.Row(1);
        grid_.RowSel(grid_.Rows() - 1);
        grid_.CellForeColor(Colors::Black);
        grid_.CellFontBold(false);
        grid_.FillStyle(0);
    });
    Ignore_Errors([&] { pic_line_->Visible(false); });
}

void vekGRID::Add_Row_By_Enter() {
    Ignore_Errors([&] { GridEditor_LeaveCell(); });
    grid_.Rows(grid_.Rows() + 1);
    Resize_Equation_Mask(static_cast<std::int32_t>(grid_.Rows() - 1),
                         static_cast<std::int32_t>(grid_.Cols() - 1));
    updating_grid_ = true;
    Ignore_Errors([&] {
        grid_.Col(1);
        grid_.Row(grid_.Rows() - 2);
    });
    updating_grid_ = false;
    std::int32_t last = 0;
    Format_New_Row(last);
    if (!Column_Flag(Col_Attr::Read_Only, 1)) {
        CurrentRow = static_cast<std::int32_t>(grid_.Rows() - 1);
        CurrentCol = 1;
        grid_.Visible(false);
        updating_grid_ = true;
        const int row = grid_.Row();
        Unfreeze_Column_One();
        Ignore_Errors([&] { grid_.Row(row); });
        updating_grid_ = false;
        grid_.Visible(true);
    }
    double added = grid_.Rows() - 1;
    Raise_Event([&](vekGRID_Events& l) { l.RowAdded(added); });
    // The new row's first cell takes the editor.
    updating_grid_ = true;
    Ignore_Errors([&] {
        grid_.Row(grid_.Rows() - 1);
        grid_.Col(1);
    });
    updating_grid_ = false;
    Ignore_Errors([&] { GridEditor_EnterCell(); });
}

void vekGRID::Key_Right() {
    last_direction_ = "Right";
    const auto kind = Column_Editor(CurrentCol);
    const Text_Box& box = *text_editor_;
    const int length = static_cast<int>(box.Text().size());
    const bool caret_allows = box.SelStart() == length || box.SelLength() == length ||
                              Column_Flag(Col_Attr::Read_Only, CurrentCol) ||
                              Column_Flag(Col_Attr::PopUp_Cell_Editing, CurrentCol);
    switch (kind) {
        case TextBox:
        case ProgressBar:
            if (!caret_allows) return;
            break;
        case CheckBox:
        case Divider:
            Ignore_Errors([&] { grid_.SetFocus(); });
            break;
        case PopUp:
            Ignore_Errors([&] { popup_editor_(CurrentCol).Visible(false); });
            Ignore_Errors([&] { grid_.SetFocus(); });
            if (!caret_allows) return;
            break;
        default:
            break;
    }
    const int cols = grid_.Cols(), row = grid_.Row(), start = grid_.Col();
    int c = start, found = -1;
    for (int step = 0; step < cols - 1; ++step) {
        c = c >= cols - 1 ? 1 : c + 1;
        if (grid_.ColWidth(c) >= 1 && !Blocked(row, c)) {
            found = c;
            break;
        }
    }
    if (found < 0 || found == start) return;
    if (start != cols - 1) {
        grid_.Col(found);
        return;
    }
    // From the last column the cell wraps to column 1 of the next row.
    grid_.Visible(false);
    updating_grid_ = true;
    const int top = grid_.TopRow();
    const bool last_row = !(grid_.Row() < grid_.Rows() - 2);
    Ignore_Errors([&] {
        grid_.Col(1);
        grid_.Row(last_row ? grid_.Rows() - 1 : grid_.Row() + 1);
    });
    updating_grid_ = false;
    Ignore_Errors([&] { GridEditor_LeaveCell(); });
    Ignore_Errors([&] { GridEditor_EnterCell(); });
    updating_grid_ = true;
    const int now_row = grid_.Row(), now_col = grid_.Col();
    Unfreeze_Column_One();
    Ignore_Errors([&] {
        grid_.Row(now_row);
        grid_.Col(now_col);
        if (last_row) grid_.TopRow(top);
    });
    updating_grid_ = false;
    grid_.Visible(true);
}

void vekGRID::Key_Left() {
    last_direction_ = "Left";
    const int cols = grid_.Cols(), row = grid_.Row(), start = grid_.Col();
    int c = start, found = -1;
    for (int step = 0; step < cols - 1 && found < 0; ++step) {
        if (c == 1) {
            c = cols - 1;
            if (grid_.ColWidth(c) >= 1 && !Blocked(row, c)) found = c;
        } else if (grid_.ColWidth(c - 1) >= 1 && !Blocked(row, c - 1) &&
                   Column_Editor(c - 1) != Divider) {
            found = c - 1;
        } else {
            --c;
        }
    }
    if (found < 0 || found == start) return;
    const Text_Box& box = *text_editor_;
    switch (Column_Editor(CurrentCol)) {
        case TextBox:
            if (box.SelStart() != 0 && box.SelLength() != static_cast<int>(box.Text().size()))
                return;
            break;
        case ComboBox:
            Ignore_Errors([&] { combo_editor_(CurrentCol).Visible(false); });
            break;
        case PopUp:
            Ignore_Errors([&] { popup_editor_(CurrentCol).Visible(false); });
            break;
        default:
            break;
    }
    Ignore_Errors([&] { grid_.SetFocus(); });
    grid_.Col(found);
}

void vekGRID::Key_Vertical(bool down) {
    last_direction_ = down ? "Down" : "Up";
    const int col = grid_.Col(), start = grid_.Row();
    int r = start;
    if (down) {
        while (r < grid_.Rows() - 1) {
            ++r;
            if (Usable(r, col)) break;
        }
        if (!Usable(r, col)) r = start;
    } else {
        while (r > 1) {
            --r;
            if (Usable(r, col)) break;
        }
        if (!Usable(r, col)) r = start;
    }
    const auto kind = Column_Editor(CurrentCol);
    if (kind == ComboBox && combo_editor_.Exists(CurrentCol) &&
        combo_editor_(CurrentCol).Dropped_Down()) {
        // An open list takes the key: it steps the list, not the row.
        Combo_Box& combo = combo_editor_(CurrentCol);
        const int position = static_cast<int>(combo_list_position_);
        if (down) {
            if (position < combo.ListCount() - 1) {
                combo.ListIndex(position + 1);
            } else {
                combo.ListIndex(combo.ListCount() - 1);
                skip_next_key_ = true;
                platform_.Send_Keys("{DOWN}");
            }
        } else {
            if (position > 0) {
                combo.ListIndex(position - 1);
            } else {
                skip_next_key_ = true;
                platform_.Send_Keys("{UP}");
            }
        }
        combo_list_position_ = combo.ListIndex();
        return;
    }
    if (r == start) return;
    if (kind == PopUp) {
        Ignore_Errors([&] { popup_editor_(CurrentCol).Visible(false); });
        Ignore_Errors([&] { grid_.SetFocus(); });
    }
    grid_.Row(r);
}

void vekGRID::Key_Page(bool down) {
    const auto kind = Column_Editor(CurrentCol);
    if (kind != TextBox && kind != ProgressBar) return;
    last_direction_ = "Down";
    const int rows = grid_.Rows(), col = grid_.Col();
    if (rows < 2) return;
    const int target = std::clamp(grid_.Row() + (down ? kPageRows : -kPageRows), 1, rows - 1);
    // The nearest usable row to the target, looking away from the current row first.
    int found = -1;
    for (int distance = 0; distance < rows && found < 0; ++distance) {
        for (int r : {down ? target + distance : target - distance,
                      down ? target - distance : target + distance})
            if (r >= 1 && r < rows && Usable(r, col)) {
                found = r;
                break;
            }
    }
    if (found < 0) return;
    grid_.Row(found);
    Ignore_Errors([&] { grid_.SetFocus(); });
}

std::int32_t vekGRID::pppKeyboardProc(std::int32_t, std::int32_t, std::int32_t) {
    return 0;
}

}  // namespace vekgrid
