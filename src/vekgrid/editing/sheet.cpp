// The user's range, clipboard text, fill and undo: the spreadsheet-like work on many cells.
#include <algorithm>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "vekgrid/common/errors.h"
#include "vekgrid/control/vekgrid.h"
#include "vekgrid/editing/cell_changes.h"

namespace vekgrid {

namespace {

// Progress columns written to are redrawn once each at the end.
void Note_Once(std::vector<int>& columns, int col) {
    if (std::find(columns.begin(), columns.end(), col) == columns.end()) columns.push_back(col);
}

bool Breaks_Field(char ch) {
    return ch == '\t' || ch == '\r' || ch == '\n';
}

// One plain loop: find_first_of with a set looks each character up in the set by a call.
size_t Field_End(std::string_view text, size_t from) {
    while (from < text.size() && !Breaks_Field(text[from])) ++from;
    return from;
}

bool Needs_Quotes(const std::string& text) {
    return !text.empty() && (text.front() == '"' || Field_End(text, 0) != text.size());
}

void Append_Field(std::string& out, const std::string& text) {
    if (!Needs_Quotes(text)) {
        out += text;
        return;
    }
    out += '"';
    for (char ch : text) {
        if (ch == '"') out += '"';
        out += ch;
    }
    out += '"';
}

// Clipboard cells held flat: the fields' texts one after another in one buffer, where each
// field ends, and each row's first field; a million cells cost a few allocations, not one each.
class Pasted_Cells {
  public:
    size_t Rows() const { return row_start_.size(); }
    size_t Fields(size_t row) const { return Row_End(row) - row_start_[row]; }
    std::string_view Field(size_t row, size_t j) const {
        const size_t k = row_start_[row] + j;
        const size_t begin = k == 0 ? 0 : field_end_[k - 1];
        return std::string_view(text_).substr(begin, field_end_[k] - begin);
    }
    void Reserve(size_t chars) { text_.reserve(chars); }
    std::string& Text() { return text_; }
    void End_Field() { field_end_.push_back(text_.size()); }
    void Start_Row() { row_start_.push_back(field_end_.size()); }

  private:
    size_t Row_End(size_t row) const {
        return row + 1 < row_start_.size() ? row_start_[row + 1] : field_end_.size();
    }
    std::string text_;
    std::vector<size_t> field_end_, row_start_;
};

// Tab-separated text as spreadsheets put it on the clipboard: lines end at LF or CR LF (a
// lone CR too); a field that starts with a quote runs to its closing quote, "" inside being
// one quote, and may hold Tabs and line breaks. A last line break adds no row.
Pasted_Cells Parse_Cells(std::string_view text) {
    Pasted_Cells cells;
    cells.Reserve(text.size());
    std::string& out = cells.Text();
    size_t i = 0;
    const size_t n = text.size();
    bool row_open = false;
    while (i < n) {
        if (!row_open) cells.Start_Row();
        row_open = true;
        if (text[i] == '"') {
            ++i;
            while (i < n) {
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        out += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                out += text[i++];
            }
        }
        // Up to the end of the field (after a closing quote, any stray text is kept).
        const size_t stop = Field_End(text, i);
        out.append(text.substr(i, stop - i));
        i = stop;
        cells.End_Field();
        if (i >= n) break;
        if (text[i] == '\t') {
            ++i;
            if (i == n) cells.End_Field();  // a Tab at the very end opens an empty field
            continue;
        }
        // A line break ends the row.
        if (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
        ++i;
        row_open = false;
    }
    return cells;
}

void Append_Html(std::string& out, const std::string& text) {
    for (char ch : text) {
        switch (ch) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\n':
                out += "<br>";
                break;
            case '\r':
                break;
            default:
                out += ch;
        }
    }
}

}  // namespace

// --- the range ------------------------------------------------------------------------

vekGRID::Cell_Range vekGRID::Data_Range() const {
    if (grid_.Rows() < 2 || grid_.Cols() < 2) return {};
    return {1, 1, grid_.Rows() - 1, grid_.Cols() - 1};
}

std::pair<int, int> vekGRID::Anchor() const {
    // The editor's cell: the control's own select-then-format work moves the grid's current
    // cell behind its back (and not always back), but never this one.
    const Cell_Range all = Data_Range();
    const bool editor = CurrentRow >= 1 && CurrentCol >= 1;
    return {std::clamp(editor ? CurrentRow : grid_.Row(), 1, all.Bottom_Row),
            std::clamp(editor ? CurrentCol : grid_.Col(), 1, all.Right_Col)};
}

vekGRID::Cell_Range vekGRID::Selection() const {
    const Cell_Range all = Data_Range();
    if (all.Top_Row == 0) return {};
    const auto [row, col] = Anchor();
    if (row != sel_cursor_row_ || col != sel_cursor_col_) return {row, col, row, col};
    Cell_Range r = sel_range_;
    r.Top_Row = std::clamp(r.Top_Row, 1, all.Bottom_Row);
    r.Bottom_Row = std::clamp(r.Bottom_Row, r.Top_Row, all.Bottom_Row);
    r.Left_Col = std::clamp(r.Left_Col, 1, all.Right_Col);
    r.Right_Col = std::clamp(r.Right_Col, r.Left_Col, all.Right_Col);
    return r;
}

bool vekGRID::Is_Selected(std::int32_t Row, std::int32_t Col) const {
    const Cell_Range r = Selection();
    return r.Top_Row > 0 && Row >= r.Top_Row && Row <= r.Bottom_Row && Col >= r.Left_Col &&
           Col <= r.Right_Col;
}

void vekGRID::Select_Range(std::int32_t Row1, std::int32_t Col1, std::int32_t Row2,
                           std::int32_t Col2) {
    const Cell_Range all = Data_Range();
    if (all.Top_Row == 0) return;
    Row1 = std::clamp(Row1, 1, all.Bottom_Row), Row2 = std::clamp(Row2, 1, all.Bottom_Row);
    Col1 = std::clamp(Col1, 1, all.Right_Col), Col2 = std::clamp(Col2, 1, all.Right_Col);
    if (Anchor() != std::pair<int, int>(Row1, Col1) || grid_.Row() != Row1 || grid_.Col() != Col1) {
        const Undo_Step step(*this);
        suppress_cell_events_ = true;
        Ignore_Errors([&] { grid_.Col(Col1); });
        Ignore_Errors([&] { grid_.Row(Row1); });
        suppress_cell_events_ = false;
    }
    // Where the cell could not go (a blocked cell), the range starts where it stands.
    std::tie(sel_cursor_row_, sel_cursor_col_) = Anchor();
    Row1 = sel_cursor_row_, Col1 = sel_cursor_col_;
    sel_far_row_ = Row2, sel_far_col_ = Col2;
    sel_range_ = {std::min(Row1, Row2), std::min(Col1, Col2), std::max(Row1, Row2),
                  std::max(Col1, Col2)};
    grid_.Redraw(grid_.Redraw());  // views repaint the range
}

void vekGRID::Select_All() {
    const Cell_Range all = Data_Range();
    if (all.Top_Row == 0) return;
    const auto [row, col] = Anchor();
    Select_Range(row, col, row, col);
    sel_range_ = all;
    sel_far_row_ = all.Bottom_Row, sel_far_col_ = all.Right_Col;
}

void vekGRID::Select_Rows(std::int32_t First_Row, std::int32_t Last_Row) {
    const Cell_Range all = Data_Range();
    if (all.Top_Row == 0) return;
    const int col = Anchor().second;
    Select_Range(First_Row, col, Last_Row, col);
    sel_range_.Left_Col = 1, sel_range_.Right_Col = all.Right_Col;
    sel_far_col_ = col == all.Right_Col ? 1 : all.Right_Col;
}

void vekGRID::Select_Cols(std::int32_t First_Col, std::int32_t Last_Col) {
    const Cell_Range all = Data_Range();
    if (all.Top_Row == 0) return;
    const int row = Anchor().first;
    Select_Range(row, First_Col, row, Last_Col);
    sel_range_.Top_Row = 1, sel_range_.Bottom_Row = all.Bottom_Row;
    sel_far_row_ = row == all.Bottom_Row ? 1 : all.Bottom_Row;
}

// --- copy -----------------------------------------------------------------------------

std::string vekGRID::Copy_Selection_Text() const {
    const Cell_Range r = Selection();
    std::string out;
    if (r.Top_Row == 0) return out;
    for (int row = r.Top_Row; row <= r.Bottom_Row; ++row) {
        for (int col = r.Left_Col; col <= r.Right_Col; ++col) {
            if (col > r.Left_Col) out += '\t';
            Append_Field(out, grid_.TextMatrix(row, col));
        }
        out += '\n';
    }
    return out;
}

std::string vekGRID::Selection_Html() const {
    const Cell_Range r = Selection();
    if (r.Top_Row == 0) return "";
    std::string out = "<table>\n";
    for (int row = r.Top_Row; row <= r.Bottom_Row; ++row) {
        out += "<tr>";
        for (int col = r.Left_Col; col <= r.Right_Col; ++col) {
            out += "<td>";
            Append_Html(out, grid_.TextMatrix(row, col));
            out += "</td>";
        }
        out += "</tr>\n";
    }
    out += "</table>\n";
    return out;
}

// --- writing many cells ---------------------------------------------------------------

void vekGRID::Commit_Open_Editor() {
    // Typing not yet committed goes in first, so the operation works on what the user sees.
    if (CurrentRow < 1 || CurrentCol < 1 || CurrentRow >= grid_.Rows() ||
        CurrentCol >= grid_.Cols())
        return;
    if (Column_Editor(CurrentCol) != TextBox || !text_editor_->Visible()) return;
    if (text_editor_->Text() == Mask_Text(CurrentRow, CurrentCol)) return;
    Commit_Text(CurrentRow, CurrentCol, text_editor_->Text());
}

void vekGRID::Set_Check_Image(int row, int col) {
    const bool was_updating = updating_grid_;
    updating_grid_ = true;
    const int r = grid_.Row(), c = grid_.Col();
    Ignore_Errors([&] {
        Select(row, col, row, col);
        grid_.CellPicture(grid_.TextMatrix(row, col) == "1" ? checkbox_on_->Picture()
                                                            : checkbox_off_->Picture());
    });
    Ignore_Errors([&] { grid_.Row(r); });
    Ignore_Errors([&] { grid_.Col(c); });
    updating_grid_ = was_updating;
}

std::vector<vekGRID::Column_Facts> vekGRID::Facts_Of_Columns(int first, int last) const {
    std::vector<Column_Facts> facts;
    for (int c = first; c <= last; ++c)
        facts.push_back({Column_Editor(c), Column_Flag(Col_Attr::Read_Only, c),
                         Column_Flag(Col_Attr::Formula, c), Column_Flag(Col_Attr::Variables, c)});
    return facts;
}

bool vekGRID::Put_User_Text(int row, int col, const std::string& text, const Column_Facts& column,
                            Cell_Changes& changes) {
    const std::int32_t kind = column.editor;
    if (kind == Divider || column.read_only || Blocked(row, col)) return false;
    std::string check;
    if (kind == CheckBox) {
        if (text == "1" || text == "True" || text == "TRUE" || text == "true")
            check = "1";
        else if (text == "0" || text == "False" || text == "FALSE" || text == "false")
            check = "0";
        else
            return false;  // a check box holds nothing else
    }
    const std::string& entry = kind == CheckBox ? check : text;
    // What the cell holds as typed: its source, or its text where no source was kept.
    auto typed = [&]() -> const std::string& {
        const bool stored =
            row >= 1 && col >= 1 && row <= equation_mask_.Rows() && col <= equation_mask_.Cols();
        const std::string* source = stored ? &equation_mask_.Get(row, col) : nullptr;
        return source && !source->empty() ? *source : grid_.TextMatrix(row, col);
    };
    changes.Begin(row, col, typed(), grid_.TextMatrix(row, col));
    switch (kind) {
        case TextBox:
            Commit_Text(row, col, entry, column.formula, column.variables);
            break;
        case CheckBox:
            grid_.TextMatrix(row, col, entry);
            Set_Mask_Text(row, col, entry);
            if (entry != changes.Shown()) Set_Check_Image(row, col);
            break;
        default:
            grid_.TextMatrix(row, col, entry);
            Set_Mask_Text(row, col, entry);
            break;
    }
    const std::string& after = typed();
    if (after == changes.Before() && grid_.TextMatrix(row, col) == changes.Shown()) {
        changes.Drop();
        return false;
    }
    changes.Keep(after);
    return true;
}

void vekGRID::Finish_Cell_Writes(const Cell_Changes& changes,
                                 const std::vector<int>& progress_columns) {
    for (int col : progress_columns) {
        std::int16_t column = static_cast<std::int16_t>(col);
        Ignore_Errors([&] { Update_Progress_Column(column); });
    }
    // The editor shows its cell's new text.
    if (CurrentRow >= 1 && CurrentCol >= 1 && CurrentRow < grid_.Rows() &&
        CurrentCol < grid_.Cols() && CurrentRow == grid_.Row() && CurrentCol == grid_.Col()) {
        suppress_cell_events_ = true;
        Ignore_Errors([&] { GridEditor_EnterCell(); });
        suppress_cell_events_ = false;
    }
    for (size_t i = 0; i < changes.Size() && !listeners_.empty(); ++i) {
        const Cell_Changes::Change change = changes[i];
        std::string before(change.before), after(change.after);
        double r = change.row, c = change.col;
        Raise_Event([&](vekGRID_Events& l) { l.CellChanged(before, after, r, c); });
    }
}

void vekGRID::Paste_Text(const std::string& text) {
    const Cell_Range at = Selection();
    if (read_only_ || at.Top_Row == 0 || text.empty()) return;
    const Pasted_Cells rows = Parse_Cells(text);
    if (rows.Rows() == 0) return;
    const Undo_Step step(*this);
    const Catchers_Hidden catchers(*this);
    Commit_Open_Editor();
    const int top = at.Top_Row, left = at.Left_Col;
    const int wanted_last = top + static_cast<int>(rows.Rows()) - 1;
    const int old_rows = grid_.Rows();
    if (wanted_last > old_rows - 1 && allow_new_rows_) {
        Rows(wanted_last + 1);
        for (int r = old_rows; r < grid_.Rows(); ++r) {
            double added = r;
            Raise_Event([&](vekGRID_Events& l) { l.RowAdded(added); });
        }
    }
    const int last = std::min(wanted_last, grid_.Rows() - 1);
    Cell_Changes changes;
    changes.Reserve(static_cast<size_t>(std::max(last - top + 1, 0)) * rows.Fields(0));
    std::vector<int> progress_columns;
    const auto facts = Facts_Of_Columns(left, grid_.Cols() - 1);
    int right = left;
    std::string field;
    for (int r = top; r <= last; ++r) {
        const auto row = static_cast<size_t>(r - top);
        for (size_t j = 0; j < rows.Fields(row); ++j) {
            const int c = left + static_cast<int>(j);
            if (c >= grid_.Cols()) break;
            right = std::max(right, c);
            bool changed = false;
            field.assign(rows.Field(row, j));
            Ignore_Errors([&] { changed = Put_User_Text(r, c, field, facts[j], changes); });
            if (changed && facts[j].editor == ProgressBar) Note_Once(progress_columns, c);
        }
    }
    // The pasted cells become the range, as in a spreadsheet.
    if (last >= top) {
        std::tie(sel_cursor_row_, sel_cursor_col_) = Anchor();
        sel_range_ = {top, left, last, right};
        sel_far_row_ = sel_cursor_row_ == last ? top : last;
        sel_far_col_ = sel_cursor_col_ == right ? left : right;
    }
    Finish_Cell_Writes(changes, progress_columns);
}

void vekGRID::Clear_Selection() {
    const Cell_Range r = Selection();
    if (read_only_ || r.Top_Row == 0) return;
    const Undo_Step step(*this);
    const Catchers_Hidden catchers(*this);
    Commit_Open_Editor();
    Cell_Changes changes;
    std::vector<int> progress_columns;
    const auto facts = Facts_Of_Columns(r.Left_Col, r.Right_Col);
    for (int row = r.Top_Row; row <= r.Bottom_Row; ++row)
        for (int col = r.Left_Col; col <= r.Right_Col; ++col) {
            const Column_Facts& column = facts[static_cast<size_t>(col - r.Left_Col)];
            bool changed = false;
            const std::string empty = column.editor == CheckBox ? "0" : "";
            Ignore_Errors([&] { changed = Put_User_Text(row, col, empty, column, changes); });
            if (changed && column.editor == ProgressBar) Note_Once(progress_columns, col);
        }
    Finish_Cell_Writes(changes, progress_columns);
}

std::string vekGRID::Cut_Selection() {
    std::string text = Copy_Selection_Text();
    Clear_Selection();
    return text;
}

void vekGRID::Fill_Down() {
    const Cell_Range r = Selection();
    if (read_only_ || r.Top_Row == 0 || r.Bottom_Row == r.Top_Row) return;
    const Undo_Step step(*this);
    const Catchers_Hidden catchers(*this);
    Commit_Open_Editor();
    // What the top row holds as typed: a formula's source, else the text.
    std::vector<std::string> top;
    for (int col = r.Left_Col; col <= r.Right_Col; ++col) {
        std::string source = Mask_Text(r.Top_Row, col);
        top.push_back(source.empty() ? grid_.TextMatrix(r.Top_Row, col) : source);
    }
    Cell_Changes changes;
    std::vector<int> progress_columns;
    const auto facts = Facts_Of_Columns(r.Left_Col, r.Right_Col);
    for (int row = r.Top_Row + 1; row <= r.Bottom_Row; ++row)
        for (int col = r.Left_Col; col <= r.Right_Col; ++col) {
            const auto k = static_cast<size_t>(col - r.Left_Col);
            bool changed = false;
            Ignore_Errors([&] { changed = Put_User_Text(row, col, top[k], facts[k], changes); });
            if (changed && facts[k].editor == ProgressBar) Note_Once(progress_columns, col);
        }
    Finish_Cell_Writes(changes, progress_columns);
}

void vekGRID::Copy_To_Clipboard() {
    platform_.System_Clipboard().Set_Text(Copy_Selection_Text(), Selection_Html());
}

void vekGRID::Cut_To_Clipboard() {
    Copy_To_Clipboard();
    Clear_Selection();
}

void vekGRID::Paste_From_Clipboard() {
    Paste_Text(platform_.System_Clipboard().Text());
}

// --- undo -----------------------------------------------------------------------------

void vekGRID::Undo() {
    if (journal_.In_Step()) return;  // not from inside an action
    Undo_Journal::Replay replay;
    if (!journal_.Undo(replay)) return;
    Apply_Replay(replay);
}

void vekGRID::Redo() {
    if (journal_.In_Step()) return;
    Undo_Journal::Replay replay;
    if (!journal_.Redo(replay)) return;
    Apply_Replay(replay);
}

void vekGRID::Apply_Replay(const Undo_Journal::Replay& replay) {
    // What follows brings looks and editors in step; it changes no data, and must not count
    // as a change made outside any step.
    const Undo_Journal::Hold hold(journal_);
    const Catchers_Hidden catchers(*this);
    Ignore_Errors([&] { Hide_Editors(); });
    const Cell_Range all = Data_Range();
    if (replay.rows_changed && all.Top_Row != 0) {
        Format_Data_Rows(1, all.Bottom_Row, false, false);
    } else {
        for (const auto& cell : replay.cells)
            if (cell.row >= 1 && cell.row < grid_.Rows() && cell.col >= 1 &&
                cell.col < grid_.Cols() && Column_Editor(cell.col) == CheckBox)
                Set_Check_Image(cell.row, cell.col);
    }
    for (int col = 1; col < grid_.Cols(); ++col) {
        if (Column_Editor(col) != ProgressBar) continue;
        std::int16_t column = static_cast<std::int16_t>(col);
        Ignore_Errors([&] { Update_Progress_Column(column); });
    }
    cell_change_pending_ = false;
    if (all.Top_Row == 0) {
        CurrentRow = CurrentCol = 0;
        Ignore_Errors([&] { text_editor_->Text(""); });
        return;
    }
    const int row = std::clamp(replay.current.row, 1, all.Bottom_Row);
    const int col = std::clamp(replay.current.col, 1, all.Right_Col);
    updating_grid_ = true;
    Ignore_Errors([&] {
        grid_.Row(row);
        grid_.Col(col);
    });
    updating_grid_ = false;
    CurrentRow = grid_.Row();
    CurrentCol = grid_.Col();
    suppress_cell_events_ = true;
    Ignore_Errors([&] { GridEditor_EnterCell(); });
    suppress_cell_events_ = false;
}

}  // namespace vekgrid
