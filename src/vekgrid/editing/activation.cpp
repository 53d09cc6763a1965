#include "vekgrid/common/errors.h"
#include "vekgrid/control/vekgrid.h"

namespace vekgrid {

namespace {
constexpr int kParkedLeft = -50000;
constexpr int kHiddenLeft = -40000;
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

void vekGRID::Place_Text_Editor() {
    text_editor_->Move(grid_.Left() + grid_.CellLeft(), grid_.Top() + grid_.CellTop(),
                       grid_.CellWidth(), text_editor_->Height());
    text_editor_->Visible(true);
    text_editor_->ZOrder(0);
    Ignore_Errors([&] { text_editor_->SetFocus(); });
}

// Cell activation: the editor of the entered cell's column is placed over it and loaded.
void vekGRID::GridEditor_EnterCell() {
    if (ignore_cell_change_ || updating_grid_) return;
    if (grid_.Rows() == 1 || grid_.RowHeight(grid_.Row()) == 0) {
        Ignore_Errors([&] { Hide_Editors(); });
        return;
    }
    const bool catchers_hidden = Catchers_Visible();
    if (catchers_hidden) Show_Catchers(false);

    CurrentRow = static_cast<std::int16_t>(grid_.Row());
    CurrentCol = static_cast<std::int16_t>(grid_.Col());
    if (CurrentCol <= column_properties_.Upper(2)) {
        enter_new_row_ = CurrentRow != previous_row_;
        Ignore_Errors([&] {
            text_editor_->Locked(false);
            text_editor_->Enabled(true);
            text_editor_->Visible(false);
            grid_.FocusRect(0);
            grid_.HighLight(0);
        });
        const bool read_only = Column_Flag(Col_Attr::Read_Only, CurrentCol);
        switch (Column_Editor(CurrentCol)) {
            case TextBox:
            case ProgressBar:
                Ignore_Errors([&] { text_editor_->Text(Mask_Text(CurrentRow, CurrentCol)); });
                if (read_only) {
                    Ignore_Errors([&] {
                        text_editor_->Locked(true);
                        text_editor_->Left(kParkedLeft);
                        grid_.SetFocus();
                        grid_.FocusRect(1);
                    });
                } else if (Column_Editor(CurrentCol) == TextBox) {
                    Ignore_Errors([&] { Place_Text_Editor(); });
                }
                break;
            case CheckBox:
                Ignore_Errors([&] {
                    text_editor_->Left(kParkedLeft);
                    grid_.FocusRect(1);
                    grid_.ForeColorSel(grid_.BackColorSel());
                    grid_.SetFocus();
                });
                break;
            case Divider:
                Ignore_Errors([&] {
                    Hide_Editors();
                    grid_.SetFocus();
                    text_editor_->Left(kParkedLeft);
                });
                break;
            case ComboBox:
            case PopUp:
                // Their editors come with the drop-down and pop-up editing code.
                break;
            default:
                Ignore_Errors([&] { Place_Text_Editor(); });
                break;
        }
        if (grid_.Row() == 0) Ignore_Errors([&] { Hide_Editors(); });
        if (!suppress_cell_events_) {
            Raise_Event([](vekGRID_Events& l) { l.EnterCell(); });
            if (cell_change_pending_ && CurrentRow <= grid_.Rows() - 1) {
                std::string previous = pending_previous_value_;
                std::string current = Mask_Text(previous_row_, previous_col_);
                double row = previous_row_, col = previous_col_;
                Raise_Event([&](vekGRID_Events& l) { l.CellChanged(previous, current, row, col); });
            }
            cell_change_pending_ = false;
        }
    }
    if (catchers_hidden) Show_Catchers(true);
}

void vekGRID::GridEditor_Scroll() {
    // Editors follow the cell they edit when the grid scrolls.
    if (grid_.Rows() < 2 || !text_editor_->Visible()) return;
    if (CurrentRow == grid_.Row() && CurrentCol == grid_.Col())
        Ignore_Errors([&] { Place_Text_Editor(); });
}

}  // namespace vekgrid
