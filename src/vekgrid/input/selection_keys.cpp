// Keys of the user's range, the clipboard, fill and undo.
#include <algorithm>

#include "vekgrid/common/errors.h"
#include "vekgrid/control/vekgrid.h"

namespace vekgrid {

namespace {
constexpr int kShift = 1, kCtrl = 2;
constexpr int kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kDelete = 46;
}  // namespace

void vekGRID::Extend_Selection(int key, bool to_edge) {
    const Cell_Range all = Data_Range();
    if (all.Top_Row == 0) return;
    const auto [row, col] = Anchor();
    int far_row = row, far_col = col;
    if (row == sel_cursor_row_ && col == sel_cursor_col_) {
        far_row = std::clamp(sel_far_row_, 1, all.Bottom_Row);
        far_col = std::clamp(sel_far_col_, 1, all.Right_Col);
    }
    // One shown row or column at a time, or to the last one that shows.
    auto step_row = [&](int from, int dir) {
        int best = from;
        for (int r = from + dir; r >= 1 && r <= all.Bottom_Row; r += dir) {
            if (grid_.RowHeight(r) < 1) continue;
            best = r;
            if (!to_edge) break;
        }
        return best;
    };
    auto step_col = [&](int from, int dir) {
        int best = from;
        for (int c = from + dir; c >= 1 && c <= all.Right_Col; c += dir) {
            if (grid_.ColWidth(c) < 1) continue;
            best = c;
            if (!to_edge) break;
        }
        return best;
    };
    switch (key) {
        case kUp:
            far_row = step_row(far_row, -1);
            break;
        case kDown:
            far_row = step_row(far_row, 1);
            break;
        case kLeft:
            far_col = step_col(far_col, -1);
            break;
        case kRight:
            far_col = step_col(far_col, 1);
            break;
        default:
            return;
    }
    Select_Range(row, col, far_row, far_col);
}

bool vekGRID::Sheet_Key(std::int16_t& KeyCode, std::int16_t Shift) {
    const int key = KeyCode;
    const bool arrow = key == kLeft || key == kUp || key == kRight || key == kDown;
    if (arrow && (Shift == kShift || Shift == (kShift | kCtrl))) {
        Ignore_Errors([&] { Extend_Selection(key, Shift & kCtrl); });
        KeyCode = 0;
        return true;
    }
    if (!(key == kDelete && Shift == 0) && Shift != kCtrl && Shift != (kCtrl | kShift))
        return false;
    const Cell_Range range = Selection();
    const bool one_cell = range.Top_Row == range.Bottom_Row && range.Left_Col == range.Right_Col;
    // A single cell whose text box is open keeps its own text keys: copy, cut and paste of
    // the text (the formula's source) and Delete of characters.
    const bool editing = one_cell && CurrentCol >= 1 && Column_Editor(CurrentCol) == TextBox &&
                         text_editor_->Visible();
    const bool writable = !read_only_;
    if (key == kDelete && Shift == 0) {
        if (editing || !writable) return false;
        Ignore_Errors([&] { Clear_Selection(); });
        return true;
    }
    if (Shift == (kCtrl | kShift)) {
        if (key != 'Z') return false;
        Ignore_Errors([&] { Redo(); });
        return true;
    }
    switch (key) {
        case 'A':
            Ignore_Errors([&] { Select_All(); });
            return true;
        case 'C':
            if (editing && text_editor_->SelLength() > 0) return false;
            Ignore_Errors([&] { Copy_To_Clipboard(); });
            return true;
        case 'X':
            if (editing && text_editor_->SelLength() > 0) return false;
            if (!writable) return false;
            Ignore_Errors([&] { Cut_To_Clipboard(); });
            return true;
        case 'V': {
            if (!writable) return false;
            const std::string text = platform_.System_Clipboard().Text();
            // One line of text goes into the open text box like typing.
            const size_t line_end = text.find_first_of("\r\n");
            const bool one_field = text.find('\t') == std::string::npos &&
                                   (line_end == std::string::npos ||
                                    text.find_first_not_of("\r\n", line_end) == std::string::npos);
            if (editing && one_field) return false;
            Ignore_Errors([&] { Paste_Text(text); });
            return true;
        }
        case 'D':
            if (!writable) return false;
            Ignore_Errors([&] { Fill_Down(); });
            return true;
        case 'Z':
            Ignore_Errors([&] { Undo(); });
            return true;
        case 'Y':
            Ignore_Errors([&] { Redo(); });
            return true;
        default:
            return false;
    }
}

}  // namespace vekgrid
