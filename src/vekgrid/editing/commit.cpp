#include <algorithm>

#include "vekgrid/common/errors.h"
#include "vekgrid/control/vekgrid.h"
#include "vekgrid/formula/math_parser.h"
#include "vekgrid/formula/text_to_double.h"

namespace vekgrid {

// The text box is one line, and saved files separate cells by Tab and rows by line breaks: a
// pasted block would split its row on the next load. Those characters become spaces; the host's
// own writes (Cell_Text, TextMatrix) keep whatever it gives.
std::string vekGRID::Typed_Text() const {
    std::string text = text_editor_->Text();
    // Untouched, the editor holds the cell's own entry: a Tab or line break the host wrote
    // there stays the host's choice.
    if (CurrentRow >= 1 && CurrentCol >= 1 && text == Mask_Text(CurrentRow, CurrentCol))
        return text;
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return text;
}

void vekGRID::Commit_Text(int r, int k, const std::string& t) {
    Commit_Text(r, k, t, Column_Flag(Col_Attr::Formula, k), Column_Flag(Col_Attr::Variables, k));
}

void vekGRID::Commit_Text(int r, int k, const std::string& t, bool formula, bool variables) {
    // The cell takes its text first and the store the entry after it: the same end state as
    // entry first, but a plain text never makes the store keep a copy only to drop it again.
    Ignore_Errors([&] {
        if (formula && t.find('=') != std::string::npos) {
            std::string source = t;
            auto result = variables ? Evaluate_Formula(source, platform_.Messages(),
                                                       User_Defined_Variable_Array)
                                    : Evaluate_Formula(source, platform_.Messages());
            grid_.TextMatrix(r, k, result[0]);
        } else if (formula && t.find('-') != std::string::npos && t.find('-') >= 1) {
            grid_.TextMatrix(r, k, Convert_Feet_Inches(t, platform_.Messages()).To_Text());
        } else {
            grid_.TextMatrix(r, k, t);
        }
    });
    Ignore_Errors([&] { Set_Mask_Text(r, k, t); });
}

bool vekGRID::Change_Allowed(int row, int col, const std::string& previous,
                             const std::string& value) {
    // Quiet commits, made on the host's behalf, are neither reported nor asked about.
    if (suppress_cell_events_ || previous == value) return true;
    bool cancel = false;
    Raise_Event([&](vekGRID_Events& l) { l.BeforeCellChange(previous, value, row, col, cancel); });
    return !cancel;
}

// Commit of the left cell: the editor's text goes to the cell and the equation mask; formulas
// and feet-inch lengths are evaluated first. The change is reported on the next cell entry.
void vekGRID::GridEditor_LeaveCell() {
    if (ignore_cell_change_ || updating_grid_) return;
    std::string old_text, new_text;
    Ignore_Errors([&] { grid_.FocusRect(0); });
    const int r = CurrentRow, k = CurrentCol;
    if (r == 0 || k == 0) return;
    if (r >= grid_.Rows() || k >= grid_.Cols()) return;  // the cell is gone, see focus loss
    const std::string t = Typed_Text();
    switch (Column_Editor(k)) {
        case TextBox: {
            Ignore_Errors([&] { Hide_Editors(); });
            old_text = Mask_Text(r, k);
            new_text = t;
            if (Change_Allowed(r, k, old_text, new_text))
                Commit_Text(r, k, t);
            else
                new_text = old_text;
            break;
        }
        case ComboBox:
            Ignore_Errors([&] { Hide_Editors(); });
            old_text = Mask_Text(r, k);
            Ignore_Errors([&] {
                new_text = Combo_Choice(k);
                if (Change_Allowed(r, k, old_text, new_text)) {
                    grid_.TextMatrix(r, k, new_text);
                    Set_Mask_Text(r, k, grid_.TextMatrix(r, k));
                } else {
                    new_text = old_text;
                }
                if (Column_Flag(Col_Attr::Combo_Includes_PopUp, k)) popup_editor_(k).Visible(false);
            });
            break;
        case CheckBox:
            Ignore_Errors([&] { Set_Mask_Text(r, k, grid_.TextMatrix(r, k)); });
            break;
        case ProgressBar:
            old_text = Mask_Text(r, k);
            new_text = t;
            Ignore_Errors([&] {
                if (t == grid_.TextMatrix(r, k)) return;
                if (!Change_Allowed(r, k, old_text, new_text)) {
                    new_text = old_text;
                    return;
                }
                grid_.TextMatrix(r, k, t);
                std::int16_t column = static_cast<std::int16_t>(k);
                Update_Progress_Column(column);
            });
            break;
        case PopUp:
            Ignore_Errors([&] {
                Hide_Editors();
                grid_.TextMatrix(r, k, t);
                Set_Mask_Text(r, k, grid_.TextMatrix(r, k));
                popup_editor_(k).Visible(false);
            });
            break;
        default:
            break;
    }
    previous_row_ = r;
    previous_col_ = k;
    if (!suppress_cell_events_) {
        Raise_Event([](vekGRID_Events& l) { l.LeaveCell(); });
        if (new_text != old_text) {
            cell_change_pending_ = true;
            pending_previous_value_ = old_text;
        }
    }
}

}  // namespace vekgrid
