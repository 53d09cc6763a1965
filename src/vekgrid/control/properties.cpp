#include <algorithm>

#include "vekgrid/common/errors.h"
#include "vekgrid/control/vekgrid.h"
#include "vekgrid/formula/math_parser.h"

namespace vekgrid {

std::string vekGRID::Focus_Cell_Text() {
    return TextMatrix(CurrentRow, CurrentCol);
}

void vekGRID::Focus_Cell_Text(const std::string& text) {
    Ignore_Errors([&] { TextMatrix(grid_.Row(), grid_.Col(), text); });
    Mark_Changed("Cell_Text");
}

std::string vekGRID::Cell_Text(std::int32_t Row, std::int32_t Col) {
    return TextMatrix(Row, Col);
}

void vekGRID::Cell_Text(std::int32_t Row, std::int32_t Col, const std::string& text) {
    if (Column_Editor(Col) == Divider) return;  // dividers hold no text
    TextMatrix(Row, Col, text);
    if (Row == CurrentRow && Col == CurrentCol) {
        updating_grid_ = true;
        Ignore_Errors([&] { Select(Row, Col, Row, Col); });
        Ignore_Errors([&] { Current_Col(Col); });
        Ignore_Errors([&] { Current_Row(Row); });
        updating_grid_ = false;
        suppress_cell_events_ = true;
        Ignore_Errors([&] { GridEditor_EnterCell(); });
        suppress_cell_events_ = false;
    }
    if (Column_Editor(Col) == CheckBox) {
        updating_grid_ = true;
        const int row = grid_.Row(), col = grid_.Col();
        Ignore_Errors([&] {
            Select(Row, Col, Row, Col);
            grid_.CellPicture(text == "1" ? checkbox_on_->Picture() : checkbox_off_->Picture());
        });
        Ignore_Errors([&] { grid_.Row(row); });
        Ignore_Errors([&] { grid_.Col(col); });
        updating_grid_ = false;
    }
}

void vekGRID::Current_Col(std::int32_t col) {
    suppress_cell_events_ = true;
    Ignore_Errors([&] { grid_.Col(col); });
    Mark_Changed("Current_Col");
    suppress_cell_events_ = false;
}

void vekGRID::Current_Row(std::int32_t row) {
    suppress_cell_events_ = true;
    Ignore_Errors([&] { grid_.Row(row); });
    Mark_Changed("Current_Row");
    suppress_cell_events_ = false;
}

void vekGRID::Gridline_Draw(std::int32_t mode) {
    gridline_draw_ = mode;
    Mark_Changed("Gridline_Draw");
    Draw_Grid_Lines();
}

void vekGRID::Rows(std::int32_t n) {
    if (grid_.Rows() >= 3 && n == grid_.Rows()) return;
    // Whatever happens below, the grid and the focus catchers show again and Redraw is what
    // the host had: row formatting switches it on as it ends.
    const bool catchers_hidden = Catchers_Visible(), redraw = grid_.Redraw();
    if (catchers_hidden) Show_Catchers(false);
    grid_.Visible(false);
    auto restore = [&] {
        updating_grid_ = false;
        grid_.Redraw(redraw);
        grid_.Visible(true);
        if (catchers_hidden) Show_Catchers(true);
    };
    if (grid_.Cols() < 2 || n < 0) {
        restore();
        return;
    }
    try {
        if (n < 1) throw Invalid_Argument("Invalid Row value");
        if (grid_.Rows() > 1) {
            if (n <= grid_.Rows()) {
                grid_.Rows(n);
                updating_grid_ = true;
                grid_.Col(grid_.Col());
                grid_.Row(grid_.Rows() - 1);
                updating_grid_ = false;
                GridEditor_EnterCell();
                Hide_Editors();
            } else {
                // The new rows get what formatting each as it comes gives it (its row colour,
                // cell looks, label and number) in one pass over them; the fixed column's look,
                // which every new row's formatting gives rows 0 down to it, and the last row's
                // own formatting are given at the end, as row by row.
                const int old = grid_.Rows();
                grid_.Rows(n);
                const Host_Grid::Cell_Style labels = Label_Style();
                Format_Data_Rows(old, n - 1, true, false, labels, false);
                Format_Row(n - 1, 0);
            }
        } else {
            grid_.Rows(n);
            if (n > 1) Reformat_Grid();
        }
        Resize_Equation_Mask(static_cast<std::int32_t>(grid_.Rows() - 1),
                             static_cast<std::int32_t>(grid_.Cols() - 1));
        Mark_Changed("Rows");
        grid_.Redraw(redraw);
        grid_.Visible(true);
        GridEditor_EnterCell();
        restore();
    } catch (const std::exception& e) {
        restore();
        platform_.Messages().MsgBox(
            std::string("An error occured in the Rows Let function:\r\n") + e.what(),
            Msg::Exclamation | Msg::System_Modal, "VEKGrid Error");
    }
}

void vekGRID::Cols(std::int32_t n) {
    Ignore_Errors([&] { grid_.Cols(n); });
    Mark_Changed("Cols");
    Resize_Equation_Mask(static_cast<std::int32_t>(grid_.Rows() - 1),
                         static_cast<std::int32_t>(grid_.Cols() - 1));
}

void vekGRID::TextEditor_Text(const std::string& text) {
    Ignore_Errors([&] { text_editor_->Text(text); });
    Mark_Changed("TextEditor_Text");
}

void vekGRID::RowHeight(std::int32_t Index, std::int32_t height) {
    Ignore_Errors([&] { grid_.RowHeight(Index, height); });
    Mark_Changed("RowHeight");
    // The editor follows its row: moved with it, or hidden with it.
    if (Index >= 1 && Index <= CurrentRow) Editor_Follows_Rows();
}

void vekGRID::ColWidth(std::int32_t Index, std::int32_t width) {
    const bool catchers_hidden = Catchers_Visible();
    if (catchers_hidden) Show_Catchers(false);
    Ignore_Errors([&] { grid_.Visible(false); });
    Ignore_Errors([&] { grid_.ColWidth(Index, width); });
    Mark_Changed("ColWidth");
    // The editor follows its column: moved with it, or hidden with it.
    Ignore_Errors([&] {
        if (Index == CurrentCol && grid_.ColWidth(Index) < 1)
            Hide_Editors();
        else
            Place_Active_Editor();
    });
    Ignore_Errors([&] { grid_.Visible(true); });
    if (catchers_hidden) Show_Catchers(true);
}

void vekGRID::Place_Active_Editor() {
    if (CurrentRow < 1 || CurrentCol < 1 || CurrentRow != grid_.Row() || CurrentCol != grid_.Col())
        return;
    const int left = grid_.Left() + grid_.CellLeft(), top = grid_.Top() + grid_.CellTop();
    switch (Column_Editor(CurrentCol)) {
        case TextBox:
            if (text_editor_->Visible())
                text_editor_->Move(left, top, grid_.CellWidth(), text_editor_->Height());
            break;
        case ComboBox:
            if (combo_editor_.Exists(CurrentCol) && combo_editor_(CurrentCol).Visible())
                combo_editor_(CurrentCol)
                    .Move(left, top, grid_.CellWidth(), combo_editor_(CurrentCol).Height());
            break;
        case PopUp:
            // Just right of the cell, as on entry.
            if (popup_editor_.Exists(CurrentCol) && popup_editor_(CurrentCol).Visible()) {
                Command_Button& button = popup_editor_(CurrentCol);
                button.Move(left + grid_.CellWidth(), top, button.Width(), button.Height());
            }
            break;
        default:
            grid_.FocusRect(1);
            grid_.SetFocus();
            break;
    }
}

std::string vekGRID::TextMatrix(std::int32_t Row, std::int32_t Col) {
    // Reading the cell being edited reads what the user has typed so far.
    if (Row == grid_.Row() && Col == grid_.Col() && Row == CurrentRow && Col == CurrentCol &&
        Row > 0 && Col > 0 && Column_Editor(Col) == TextBox && text_editor_->Visible())
        Commit_Text(Row, Col, Typed_Text());
    return grid_.TextMatrix(Row, Col);
}

void vekGRID::TextMatrix(std::int32_t Row, std::int32_t Col, const std::string& text) {
    const std::string remembered = Mask_Text(Row, Col);
    Ignore_Errors([&] { grid_.TextMatrix(Row, Col, text); });
    Mark_Changed("TextMatrix");
    Ignore_Errors([&] { Set_Mask_Text(Row, Col, text); });
    if (Row == CurrentRow && Col == CurrentCol && text != remembered) {
        Ignore_Errors([&] {
            if (Column_Editor(Col) == TextBox) text_editor_->Text(grid_.TextMatrix(Row, Col));
            if (Column_Editor(Col) == ComboBox) {
                Combo_Box& combo = combo_editor_(Col);
                const auto& items = combo.Items();
                auto it = std::find(items.begin(), items.end(), grid_.TextMatrix(Row, Col));
                if (it != items.end()) combo.ListIndex(static_cast<int>(it - items.begin()));
            }
        });
    }
    if (Row == 0) return;
    if (Column_Flag(Col_Attr::Formula, Col) && Column_Flag(Col_Attr::Variables, Col) &&
        Column_Editor(Col) == TextBox && Mask_Text(Row, Col).find('=') != std::string::npos) {
        // Only a formula is computed: a number or a length shows as it was put.
        Ignore_Errors([&] {
            std::string source = Mask_Text(Row, Col);
            grid_.TextMatrix(
                Row, Col,
                Evaluate_Formula(source, platform_.Messages(), User_Defined_Variable_Array)[0]);
        });
    }
    if (Column_Editor(Col) == CheckBox) {
        updating_grid_ = true;
        const int row = grid_.Row(), col = grid_.Col();
        Ignore_Errors([&] {
            Select(Row, Col, Row, Col);
            if (grid_.Text() == "True") grid_.Text("1");
            if (grid_.Text() == "False") grid_.Text("0");
            grid_.CellPicture(grid_.Text() == "1" ? checkbox_on_->Picture()
                                                  : checkbox_off_->Picture());
        });
        Ignore_Errors([&] { grid_.Row(row); });
        Ignore_Errors([&] { grid_.Col(col); });
        updating_grid_ = false;
    }
}

void vekGRID::BackColor(Color color) {
    Ignore_Errors([&] { grid_.BackColorBkg(color); });
    back_color_ = color;
}

void vekGRID::GridColor(Color color) {
    grid_.GridColor(color);
    Mark_Changed("GridColor");
}

void vekGRID::GridColorFixed(Color color) {
    grid_.GridColorFixed(color);
    Mark_Changed("GridColorFixed");
}

void vekGRID::BackColorFixed(Color color) {
    grid_.BackColorFixed(color);
    Mark_Changed("BackColorFixed");
}

void vekGRID::Font_Bold(bool on) {
    Font font = grid_.Font();
    font.bold = on;
    grid_.Font(font);
}

void vekGRID::Grid_Font(const Font& font) {
    const bool catchers_hidden = Catchers_Visible();
    if (catchers_hidden) Show_Catchers(false);
    const int row = grid_.Row(), col = grid_.Col();
    const bool was_visible = grid_.Visible();
    bool redraw_switched = false;
    if (was_visible) {
        grid_.Visible(false);
    } else if (grid_.Redraw()) {
        grid_.Redraw(false);
        redraw_switched = true;
    }
    updating_grid_ = true;
    Ignore_Errors([&] {
        Select(0, 0, grid_.Rows() - 1, grid_.Cols() - 1);
        grid_.FillStyle(1);
        Put_Cell_Font(font);
    });
    Ignore_Errors([&] { grid_.Col(col); });
    Ignore_Errors([&] { grid_.Row(row); });
    Ignore_Errors([&] { grid_.FillStyle(0); });
    updating_grid_ = false;
    if (was_visible) grid_.Visible(true);
    if (redraw_switched) grid_.Redraw(true);
    if (catchers_hidden) Show_Catchers(true);
}

}  // namespace vekgrid
