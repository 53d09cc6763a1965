#include "vekgrid/common/errors.h"
#include "vekgrid/control/vekgrid.h"

namespace vekgrid {

namespace {
constexpr int kEnter = 13, kTab = 9, kSpace = 32, kPageUp = 33, kPageDown = 34;
constexpr int kLeft = 37, kUp = 38, kRight = 39, kDown = 40;
constexpr int kAlt = 4;
// Screen keys.
constexpr int kShift = 1, kCtrl = 2;
constexpr int kEscape = 27, kEnd = 35, kHome = 36, kF4 = 115;
constexpr int kPageRows = 20;
}  // namespace

bool vekGRID::Usable(int row, int col) const {
    return grid_.RowHeight(row) >= 1 && grid_.ColWidth(col) >= 1 && !Blocked(row, col);
}

void vekGRID::UserControl_KeyDown(std::int16_t& KeyCode, std::int16_t Shift) {
    const Catchers_Hidden catchers(*this);
    // A key's heading lives as long as the key: a move that entered no cell leaves none behind.
    struct Heading_Reset {
        Heading& heading;
        ~Heading_Reset() { heading = Heading::None; }
    } heading_reset{move_heading_};

    if ((CurrentRow == 0 || CurrentCol == 0) && (grid_.Rows() == 1 || grid_.Cols() == 1)) return;
    // Range, clipboard, fill, undo: a key used here is used up, so a front end does not hand
    // it on to the focused editor as well.
    if (Sheet_Key(KeyCode, Shift)) {
        KeyCode = 0;
        return;
    }
    const Undo_Step step(*this);  // all the key does is one undo step
    const int key = KeyCode;
    // Screen keys: what a person reaches for besides the arrows.
    if ((key == kF4 && Shift == 0) || (key == kDown && Shift == kAlt) ||
        ((key == kEnter || key == kSpace) && Shift == 0 && popup_editor_.Exists(CurrentCol) &&
         platform_.Focused() == &popup_editor_(CurrentCol))) {
        if (Key_Open_PopUp(key == kEnter || key == kSpace)) {
            KeyCode = 0;
            return;
        }
    }
    if (key == kEscape && Shift == 0) {
        Ignore_Errors([&] { Key_Escape(); });
        KeyCode = 0;
        return;
    }
    if (key == kTab && Shift == kShift) {
        Ignore_Errors([&] { Key_Back_Tab(); });
        KeyCode = 0;
        return;
    }
    if (Shift == kCtrl && Key_Jump(key)) {
        KeyCode = 0;
        return;
    }
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
            // The next typed key belongs to the new cell's editor.
            if (!Column_Flag(Col_Attr::Read_Only, CurrentCol))
                Ignore_Errors([&] { Shift_Focus_To_Visible_Grideditor(); });
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
    // From the grid's row offsets, not a walk over the rows below.
    const bool visible_below = grid_.Next_Shown_Row(grid_.Row() + 1) < grid_.Rows();
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
    Style_Column_One(false);
    Ignore_Errors([&] { pic_line_->Visible(false); });
}

void vekGRID::Add_Row_By_Enter() {
    Ignore_Errors([&] { GridEditor_LeaveCell(); });
    const bool redraw = grid_.Redraw();
    grid_.Rows(grid_.Rows() + 1);
    Resize_Equation_Mask(static_cast<std::int32_t>(grid_.Rows() - 1),
                         static_cast<std::int32_t>(grid_.Cols() - 1));
    updating_grid_ = true;
    Ignore_Errors([&] {
        grid_.Col(1);
        grid_.Row(grid_.Rows() - 2);
    });
    updating_grid_ = false;
    // The new row and its label; the labels above have their look already, and styling them
    // all again would make every Enter cost the whole grid.
    Format_Row(grid_.Rows() - 1, grid_.Rows() - 1);
    grid_.Redraw(redraw);
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
    // The new row's first cell takes the editor, or the first one after it that does.
    updating_grid_ = true;
    Ignore_Errors([&] {
        grid_.Row(grid_.Rows() - 1);
        grid_.Col(1);
    });
    updating_grid_ = false;
    move_heading_ = Heading::Right;
    Ignore_Errors([&] { GridEditor_EnterCell(); });
}

void vekGRID::Key_Right() {
    last_direction_ = "Right";
    const auto kind = Column_Editor(CurrentCol);
    const Text_Box& box = *text_editor_;
    const int length = static_cast<int>(box.Text().size());
    // Without an active editor there is no caret to keep the key.
    const bool caret_allows = CurrentRow == 0 || CurrentCol == 0 || box.SelStart() == length ||
                              box.SelLength() == length ||
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
    move_heading_ = Heading::Right;
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
    move_heading_ = Heading::Right;
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
    switch (CurrentRow == 0 || CurrentCol == 0 ? Divider : Column_Editor(CurrentCol)) {
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
    move_heading_ = Heading::Left;
    grid_.Col(found);
}

void vekGRID::Key_Vertical(bool down) {
    last_direction_ = down ? "Down" : "Up";
    const int col = grid_.Col(), start = grid_.Row();
    int r = start;
    // Shown rows are found from the grid's row offsets, so a run of hidden rows costs nothing;
    // only blocked cells are passed one by one.
    if (grid_.ColWidth(col) >= 1) {
        for (;;) {
            r = down ? grid_.Next_Shown_Row(r + 1) : Previous_Shown_Row(r);
            if (r < 1 || r >= grid_.Rows()) {
                r = start;
                break;
            }
            if (!Blocked(r, col)) break;
        }
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
    move_heading_ = down ? Heading::Down : Heading::Up;
    grid_.Row(r);
}

// The last row above `row` whose height is not 0, or 0. Row offsets never fall, and the rows
// between a shown row and the next one all start where the next one does.
int vekGRID::Previous_Shown_Row(int row) const {
    if (row <= 1) return 0;
    const long long at = grid_.RowPos(row);
    int lo = 1, hi = row;  // the first row in [lo, hi] that starts where `row` starts
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (grid_.RowPos(mid) < at)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo - 1;
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
    move_heading_ = found > grid_.Row() ? Heading::Down : Heading::Up;
    grid_.Row(found);
    Ignore_Errors([&] { grid_.SetFocus(); });
}

// --- Screen keys ---------------------------------------------------------------------------

bool vekGRID::Jump_Target(int row, int col) const {
    return Usable(row, col) && Column_Editor(col) != Divider;
}

bool vekGRID::Key_Jump(int key) {
    if (key != kHome && key != kEnd && key != kUp && key != kDown) return false;
    const int rows = grid_.Rows(), cols = grid_.Cols();
    if (rows < 2 || cols < 2) return true;
    const int col = grid_.Col();
    // Hidden rows are stepped over in one go from the top; from the bottom the first usable
    // row is normally the last one, so neither way depends on the number of rows.
    auto first_row = [&](auto usable) {
        for (int r = grid_.Next_Shown_Row(1); r < rows; r = grid_.Next_Shown_Row(r + 1))
            if (usable(r)) return r;
        return 0;
    };
    auto last_row = [&](auto usable) {
        for (int r = rows - 1; r >= 1; --r)
            if (usable(r)) return r;
        return 0;
    };
    int to_row = 0, to_col = col;
    if (key == kUp || key == kDown) {
        auto usable = [&](int r) { return Jump_Target(r, col); };
        to_row = key == kUp ? first_row(usable) : last_row(usable);
    } else {
        auto usable = [&](int r) {
            for (int c = 1; c < cols; ++c) {
                const int k = key == kHome ? c : cols - c;
                if (Jump_Target(r, k)) return to_col = k, true;
            }
            return false;
        };
        to_row = key == kHome ? first_row(usable) : last_row(usable);
    }
    if (to_row >= 1 && (to_row != grid_.Row() || to_col != col)) Move_To(to_row, to_col);
    return true;
}

void vekGRID::Move_To(int row, int col) {
    if (Column_Editor(CurrentCol) == ComboBox && combo_editor_.Exists(CurrentCol))
        Ignore_Errors([&] { combo_editor_(CurrentCol).Dropped_Down(false); });
    updating_grid_ = true;
    Ignore_Errors([&] {
        grid_.Row(row);
        grid_.Col(col);
    });
    updating_grid_ = false;
    Ignore_Errors([&] { GridEditor_LeaveCell(); });
    Ignore_Errors([&] { GridEditor_EnterCell(); });
}

void vekGRID::Key_Escape() {
    const int r = CurrentRow, k = CurrentCol;
    if (r < 1 || k < 1 || r >= grid_.Rows() || k >= grid_.Cols()) return;
    switch (Column_Editor(k)) {
        case TextBox:
        case ProgressBar:
        case PopUp: {
            // The editor was loaded from the formula source on entry; nothing is committed.
            const std::string entered =
                Column_Editor(k) == PopUp ? grid_.TextMatrix(r, k) : Mask_Text(r, k);
            if (text_editor_->Text() != entered) text_editor_->Text(entered);
            text_editor_->SelStart(0);
            text_editor_->SelLength(static_cast<int>(entered.size()));
            break;
        }
        case ComboBox: {
            if (!combo_editor_.Exists(k)) return;
            Combo_Box& combo = combo_editor_(k);
            if (combo.Dropped_Down()) combo.Dropped_Down(false);
            // The cell keeps its value until the cell is left, so it is what was entered.
            const std::string entered = grid_.TextMatrix(r, k);
            int index = -1;
            for (int i = 0; i < combo.ListCount() && index < 0; ++i)
                if (combo.List(i) == entered) index = i;
            if (index >= 0)
                combo.ListIndex(index);
            else
                combo.Text(entered);
            combo_list_position_ = combo.ListIndex();
            break;
        }
        default:
            break;
    }
}

bool vekGRID::Key_Open_PopUp(bool on_button) {
    const int k = CurrentCol;
    if (CurrentRow < 1 || k < 1 || k >= grid_.Cols()) return false;
    if (Column_Flag(Col_Attr::Read_Only, k)) return false;
    const auto kind = Column_Editor(k);
    const bool has_button = (kind == PopUp || Column_Flag(Col_Attr::Combo_Includes_PopUp, k)) &&
                            popup_editor_.Exists(k) && popup_editor_(k).Visible();
    if (!on_button && kind == ComboBox && combo_editor_.Exists(k)) {
        Combo_Box& combo = combo_editor_(k);
        if (!combo.Visible() || combo.ListCount() == 0) return false;
        combo.Dropped_Down(!combo.Dropped_Down());
        combo_list_position_ = combo.ListIndex();
        return true;
    }
    if (!has_button) return false;
    PopUpEditor_Click(k);
    return true;
}

void vekGRID::Key_Back_Tab() {
    const int cols = grid_.Cols(), row = grid_.Row(), start = grid_.Col();
    if (row < 1 || cols < 2) return;
    int c = start;
    for (int step = 0; step < cols - 1; ++step) {
        c = c <= 1 ? cols - 1 : c - 1;
        if (Jump_Target(row, c)) break;
    }
    if (c != start && Jump_Target(row, c)) Move_To(row, c);
    // The focus stays on the control: on the new cell's editor, else the grid.
    Shift_Focus_To_Visible_Grideditor();
}

std::int32_t vekGRID::pppKeyboardProc(std::int32_t, std::int32_t, std::int32_t) {
    return 0;
}

}  // namespace vekgrid
