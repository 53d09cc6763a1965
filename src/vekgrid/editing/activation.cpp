#include <cstdlib>
#include <tuple>
#include <utility>

#include "vekgrid/common/errors.h"
#include "vekgrid/control/vekgrid.h"

namespace vekgrid {

namespace {
constexpr int kParkedLeft = -50000;  // out of sight, by the activation
constexpr int kHiddenLeft = -40000;  // out of sight, by Hide_Editors
constexpr int kLeftButtonDown = 513;
constexpr int kMouseWheel = 522;
}  // namespace

void vekGRID::Hide_Editors() {
    // Every loaded member, not only those of today's columns: a load that replaced the columns
    // may have left a member of a column that is gone.
    for (int k : combo_editor_.Indices()) {
        if (k == 0) continue;
        Combo_Box& combo = combo_editor_(k);
        combo.Visible(false);
        combo.Left(kHiddenLeft);
    }
    for (int k : popup_editor_.Indices()) {
        if (k == 0) continue;
        Command_Button& button = popup_editor_(k);
        button.Visible(false);
        button.Left(kHiddenLeft);
        button.ZOrder(1);
    }
    text_editor_->Visible(false);
    text_editor_->Left(kHiddenLeft);
}

void vekGRID::Show_Editors() {
    if (grid_.Rows() < 2 || CurrentRow == 0 || CurrentCol == 0) return;
    if (CurrentRow >= grid_.Rows() || CurrentCol >= grid_.Cols() ||
        grid_.RowHeight(CurrentRow) < 1 || grid_.ColWidth(CurrentCol) < 1)
        return;  // a hidden cell takes no editor
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
                // A read-only column's box stays parked: the grid shows the cell. A column hidden
                // since the entry takes none either.
                if (CurrentCol < 1 || grid_.Row() < 1 || grid_.RowHeight(grid_.Row()) == 0 ||
                    grid_.ColWidth(CurrentCol) < 1 ||
                    Column_Flag(Col_Attr::Read_Only, CurrentCol)) {
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
    return grid_.Back_Look(row, col) == grid_.BackColor();
}

bool vekGRID::Takes_Editor(int row, int col) const {
    if (row < 1 || col < 1 || row >= grid_.Rows() || col >= grid_.Cols()) return false;
    if (col > column_properties_.Upper(2)) return false;  // a column without a definition
    return grid_.RowHeight(row) >= 1 && grid_.ColWidth(col) >= 1 && Column_Editor(col) != Divider &&
           !Blocked(row, col);
}

// Dividers, hidden columns and blocked cells take no editor: an entry goes on to the next cell
// that does, the way the move was going. Each way is one bounded scan, where passing the cells
// on one at a time through the grid's own notifications could go round for ever on a grid with
// no such cell, and would report every cell passed as left.
std::optional<std::pair<int, int>> vekGRID::Landing(int row, int col, Heading heading) const {
    const int rows = grid_.Rows(), cols = grid_.Cols();
    const int pr = previous_row_, pc = previous_col_;
    const bool passing_column = Column_Editor(col) == Divider || grid_.ColWidth(col) < 1;
    if (passing_column && (heading == Heading::Up || heading == Heading::Down))
        heading = Heading::None;  // a column passed over is passed sideways
    if (heading == Heading::None) {
        if (passing_column) {
            // A vertical move into a divider would land on the fixed column, which takes no
            // editor: it goes right instead.
            heading = pc > col ? Heading::Left : Heading::Right;
        } else if (row == pr) {
            heading = pc < col ? Heading::Right : Heading::Left;
        } else if (col == pc) {
            heading = pr < row ? Heading::Down : Heading::Up;
        } else if (rows == 2 || pr >= rows) {
            // The only data row, or the row left is gone: the row's first open cell.
            for (int k = 1; k < cols; ++k)
                if (Takes_Editor(row, k)) return std::pair{row, k};
            return std::nullopt;
        } else if (Takes_Editor(pr, pc)) {
            // Back to the cell left, which takes its editor again.
            return std::pair{pr, pc};
        } else {
            heading = Heading::Right;
        }
    }
    auto fallback = [&]() -> std::optional<std::pair<int, int>> {
        if (Takes_Editor(pr, pc)) return std::pair{pr, pc};
        return std::nullopt;
    };
    switch (heading) {
        case Heading::Right:
        case Heading::Left:
            // Round the row, as Right and Left search it.
            for (int step = 0, k = col; step < cols - 1; ++step) {
                if (heading == Heading::Right)
                    k = k >= cols - 1 ? 1 : k + 1;
                else
                    k = k <= 1 ? cols - 1 : k - 1;
                if (Takes_Editor(row, k)) return std::pair{row, k};
            }
            return fallback();
        case Heading::Down:
            for (int r = row + 1; r < rows; ++r)
                if (Takes_Editor(r, col)) return std::pair{r, col};
            return fallback();
        case Heading::Up:
            for (int r = row - 1; r >= 1; --r)
                if (Takes_Editor(r, col)) return std::pair{r, col};
            return fallback();
        default:
            return fallback();
    }
}

void vekGRID::No_Active_Editor() {
    Ignore_Errors([&] { Hide_Editors(); });
    Ignore_Errors([&] { text_editor_->Left(kParkedLeft); });
    CurrentRow = 0;
    CurrentCol = 0;
    // The edit left behind is reported now: no cell entry is coming to report it.
    if (cell_change_pending_ && !suppress_cell_events_) {
        cell_change_pending_ = false;
        if (previous_row_ >= 1 && previous_row_ < grid_.Rows() && previous_col_ >= 1 &&
            previous_col_ < grid_.Cols()) {
            std::string previous = pending_previous_value_;
            std::string current = Mask_Text(previous_row_, previous_col_);
            double r = previous_row_, c = previous_col_;
            Raise_Event([&](vekGRID_Events& l) { l.CellChanged(previous, current, r, c); });
        }
    }
}

void vekGRID::Resettle_Editor() {
    if (updating_grid_ || ignore_cell_change_ || CurrentRow < 1 || CurrentCol < 1) return;
    const int row = grid_.Row(), col = grid_.Col();
    const bool moved = row != CurrentRow || col != CurrentCol;
    if (!moved && Takes_Editor(row, col)) return;
    Ignore_Errors([&] { Commit_Open_Edit(); });
    if (moved && Takes_Editor(row, col)) {
        suppress_cell_events_ = true;
        Ignore_Errors([&] { GridEditor_EnterCell(); });
        suppress_cell_events_ = false;
    } else {
        No_Active_Editor();
    }
}

// Cell activation: the editor of the entered cell's column is placed over it and loaded.
void vekGRID::GridEditor_EnterCell() {
    if (ignore_cell_change_ || updating_grid_) return;
    const Heading heading = std::exchange(move_heading_, Heading::None);
    if (grid_.Rows() == 1 || grid_.RowHeight(grid_.Row()) == 0) {
        // No event: a hidden row is no cell to edit.
        No_Active_Editor();
        return;
    }
    const Catchers_Hidden catchers(*this);

    int row = grid_.Row(), col = grid_.Col();
    if (row >= 1 && col >= 1 && !Takes_Editor(row, col)) {
        const auto landing = Landing(row, col, heading);
        if (!landing) {
            No_Active_Editor();
            return;
        }
        std::tie(row, col) = *landing;
        updating_grid_ = true;
        Ignore_Errors([&] {
            grid_.Row(row);
            grid_.Col(col);
        });
        updating_grid_ = false;
    }

    CurrentRow = grid_.Row();
    CurrentCol = grid_.Col();
    if (CurrentCol > column_properties_.Upper(2)) {
        // A column the host made with Cols has no editor; the text of the cell left must not
        // be committed into it.
        No_Active_Editor();
        return;
    }
    enter_new_row_ = CurrentRow != previous_row_;
    Ignore_Errors([&] {
        text_editor_->Locked(false);
        text_editor_->Enabled(true);
        text_editor_->Visible(false);
        grid_.FocusRect(0);
        grid_.HighLight(0);
    });
    const bool read_only = Column_Flag(Col_Attr::Read_Only, CurrentCol);
    const bool fixed = CurrentRow == 0 || CurrentCol == 0;
    const auto kind = Column_Editor(CurrentCol);
    switch (fixed ? Divider : kind) {
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
            // Fixed cells (a header cell, the row labels) take no editor either.
            Ignore_Errors([&] {
                Hide_Editors();
                grid_.SetFocus();
                text_editor_->Left(kParkedLeft);
            });
            break;
        default:
            Ignore_Errors([&] { Place_Text_Editor(); });
            break;
    }
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

long long vekGRID::Rows_Bottom() const {
    const int last = grid_.Rows() - 1;
    return static_cast<long long>(grid_.RowPos(last)) + grid_.RowHeight(last);
}

void vekGRID::Grid_Click() {
    const Undo_Step step(*this, true);  // with the cell move the click made
    Raise_Event([](vekGRID_Events& l) { l.Click(); });
    const bool catchers_hidden = Catchers_Visible();
    if (catchers_hidden) Show_Catchers(false);
    if (grid_.Rows() == 1) {
        // A click on a grid with only its header makes the first data row.
        const bool redraw = grid_.Redraw();
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
        grid_.Redraw(redraw);
        suppress_combo_dropdown_ = true;
        Ignore_Errors([&] { GridEditor_EnterCell(); });
        suppress_combo_dropdown_ = false;
        Resize_Equation_Mask(static_cast<std::int32_t>(grid_.Rows() - 1),
                             static_cast<std::int32_t>(grid_.Cols() - 1));
        double added = 1;
        Raise_Event([&](vekGRID_Events& l) { l.RowAdded(added); });
        Shift_Focus_To_Visible_Grideditor();
    } else if (static_cast<long long>(mouse_y_) < Rows_Bottom() &&
               grid_.MouseRow() == grid_.Row() && grid_.MouseCol() == grid_.Col() &&
               CurrentRow == grid_.Row() && CurrentCol == grid_.Col()) {
        // The press already entered the cell under the pointer. The release acts only on that
        // cell: not below the last row (measured in view, after scrolling), not on a divider
        // or header the press ignored, not where a blocked cell sent the press on.
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
    if (grid_.Cols() < 2 || grid_.Rows() < 2) {
        // The press's ignore lasts until this MouseDown, whatever the grid's size; left set it
        // would silence every later cell entry.
        ignore_cell_change_ = false;
        return;
    }
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
        } else if (button == 2 && static_cast<long long>(y) < Rows_Bottom()) {
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
    const int f = Column_Editor(2) == Divider ? 3 : 2;
    if (!left_col_always_visible_ ||
        (grid_.LeftCol() == f && grid_.FixedCols() == 2 && grid_.Col() == f)) {
        Style_Column_One(false);
        Ignore_Errors([&] { pic_line_->Visible(false); });
    } else if (grid_.Cols() > 1 && grid_.ColPos(1) < 0) {
        Style_Column_One(true);
    }

    Ignore_Errors([&] {
        // A cell of a column held in view (fixed, left of LeftCol) is on screen.
        if (CurrentRow < grid_.TopRow() ||
            (CurrentCol < grid_.LeftCol() && CurrentCol >= grid_.FixedCols()) ||
            grid_.RowHeight(CurrentRow) < 1) {
            Hide_Editors();
            return;
        }
        const bool vertical_bar = grid_.Window_Style() & Window_Style_Bits::Vertical_Scroll;
        const bool horizontal_bar = grid_.Window_Style() & Window_Style_Bits::Horizontal_Scroll;
        const int bar = platform_.System_Metric(9) * platform_.Twips_Per_Pixel_X();
        const int visible_width = grid_.Width() - grid_.ColWidth(0) - (vertical_bar ? bar : 0);
        const int visible_height = grid_.Height() - grid_.RowHeight(0) - (horizontal_bar ? bar : 0);
        long long width_extent = grid_.ColWidth(1);
        for (int c = grid_.LeftCol(); c <= CurrentCol; ++c) width_extent += grid_.ColWidth(c);
        // The rows from TopRow to the current one, from the grid's row offsets.
        const long long height_extent = static_cast<long long>(grid_.RowPos(CurrentRow)) +
                                        grid_.RowHeight(CurrentRow) - grid_.RowHeight(0);
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

// Column 1 stays in view when the grid scrolls right: it becomes a second fixed column, grey and
// bold, and gets its plain look back when released. Only a change of state restyles the
// column over its rows, so moves that find it released cost nothing per row.
void vekGRID::Style_Column_One(bool frozen) {
    const int fixed = frozen ? 2 : 1;
    if (frozen == column_one_frozen_ && grid_.FixedCols() == fixed) return;
    const int row = grid_.Row(), col = grid_.Col();
    const bool was_updating = updating_grid_;
    updating_grid_ = true;
    Ignore_Errors([&] {
        grid_.FixedCols(fixed);
        grid_.FillStyle(1);
        grid_.Col(1);
        grid_.Row(1);
        grid_.RowSel(grid_.Rows() - 1);
        grid_.CellForeColor(frozen ? Color{0xC0C0C0} : Colors::Black);
        grid_.CellFontBold(frozen);
        column_one_frozen_ = frozen;
    });
    Ignore_Errors([&] { grid_.FillStyle(0); });
    Ignore_Errors([&] {
        grid_.Row(row);
        grid_.Col(col);
    });
    updating_grid_ = was_updating;
}

}  // namespace vekgrid
