#include <string>
#include <vector>

#include "vekgrid/common/errors.h"
#include "vekgrid/common/text.h"
#include "vekgrid/control/vekgrid.h"

namespace vekgrid {

namespace {
constexpr Color kDefaultBarColor = 0xFF8080;
constexpr int kDefaultWidth = 1500;
constexpr int kHeaderHeight = 450;

Color As_Color(const Variant& v) {
    return static_cast<Color>(v.To_Long());
}

}  // namespace

Variant vekGRID::Add_Column(vekColumn& NewColumn, bool Edit_Column) {
    // An edit of a column the table does not have fails before any state changes, so the
    // control stays usable after the error.
    if (Edit_Column &&
        (NewColumn.Display_Index() < 0 || NewColumn.Display_Index() > column_properties_.Upper(2)))
        throw Subscript_Out_Of_Range();
    text2_->Visible(platform_.Design_Mode());
    updating_grid_ = true;
    const int row = grid_.Row(), col = grid_.Col();

    int j;
    if (Edit_Column) {
        j = NewColumn.Display_Index();
    } else {
        column_properties_.Resize_Second(column_properties_.Upper(2) + 1);
        j = column_properties_.Upper(2);
    }
    Store_Column_Attributes(j, NewColumn, Edit_Column);
    if (read_only_) {
        column_properties_(Col_Attr::Read_Only, j) = true;
        column_properties_(Col_Attr::PopUp_Cell_Editing, j) = true;
        column_properties_(Col_Attr::Variables, j) = true;
    }

    if (!Edit_Column) grid_.Cols(grid_.Cols() + 1);
    if (j > grid_.Cols() - 1) j = grid_.Cols() - 1;
    if (grid_.Cols() >= 2) grid_.FixedCols(1);
    grid_.TextMatrix(0, j, column_properties_(Col_Attr::Title, j).To_Text());
    grid_.ColWidth(j, column_properties_(Col_Attr::Width, j).To_Long());
    grid_.ColAlignment(j, column_properties_(Col_Attr::Alignment, j).To_Long());
    Resize_Equation_Mask(static_cast<std::int32_t>(grid_.Rows() - 1),
                         static_cast<std::int32_t>(grid_.Cols() - 1));
    if (!Edit_Column) {
        Band_Columns(j, j);
        Style_Header(j);
    }
    Colour_Read_Only(j);

    switch (Column_Editor(j)) {
        case ComboBox:
            Prepare_Combo_Column(j, Edit_Column);
            break;
        case CheckBox:
            Prepare_Check_Box_Column(j);
            break;
        case PopUp:
            Ignore_Errors([&] { popup_editor_.Load(j); });
            break;
        case Divider:
            Prepare_Divider_Column(j);
            break;
        default:
            break;
    }

    Ignore_Errors([&] { grid_.Row(row); });
    Ignore_Errors([&] { grid_.Col(col); });
    updating_grid_ = false;
    if (Edit_Column) {
        // Rebuild the current cell's editor for the new settings, quietly.
        suppress_combo_dropdown_ = suppress_cell_events_ = true;
        Ignore_Errors([&] { GridEditor_LeaveCell(); });
        Ignore_Errors([&] { GridEditor_EnterCell(); });
        suppress_combo_dropdown_ = suppress_cell_events_ = false;
    }
    Ignore_Errors([&] { grid_.Visible(true); });
    return Variant();
}

void vekGRID::Store_Column_Attributes(int j, const vekColumn& c, bool edit) {
    auto& table = column_properties_;
    using namespace Col_Attr;
    table(Title, j) = c.Title().empty() ? "Column #" + std::to_string(j) : c.Title();
    if (Column_Editor(j) == Divider) table(Title, j) = "";
    table(Editor, j) = c.Editor_Type();
    table(Display_Index, j) = c.Display_Index() == 0 ? std::int16_t(j) : c.Display_Index();
    table(Data_Type, j) = c.DataType();
    table(Width, j) = c.ColumnWidth().Is_Blank() ? Variant(kDefaultWidth) : c.ColumnWidth();
    table(Read_Only, j) = c.ReadOnly();
    table(Combo_List, j) = c.ComboBox_List();
    if (c.PopUp_Form().Is_Object() && !edit) table(PopUp_Form, j) = c.PopUp_Form();
    table(Bound_Grid, j) = c.Bound_To_Grid();
    table(Bound_Column, j) = c.Bound_To_Column() == 0 ? Variant("") : Variant(c.Bound_To_Column());
    table(Alignment, j) = c.Cell_Alignment() == 0 ? std::int32_t{Right_Align} : c.Cell_Alignment();
    const Variant& bar = c.ProgressBar_Color();
    bool unset_bar = bar.Is_Empty() || (bar.Is_Numeric() && !bar.Is_Text() && bar.To_Double() == 0);
    table(Bar_Color, j) = unset_bar ? Variant::From_Unsigned(kDefaultBarColor) : bar;
    table(Gradient, j) = c.ProgressBar_Use_Gradient();
    table(Min, j) = c.ProgressBar_MinVal();
    table(Max, j) = c.ProgressBar_MaxVal();
    table(Auto_Range, j) = c.ProgressBar_AutoRange();
    table(PopUp_Cell_Editing, j) = c.PopUp_Allow_Cell_Editing();
    table(Combo_Includes_PopUp, j) = c.Combo_Includes_Popup();
    table(Formula, j) = c.Allow_Formula_Input();
    table(Variables, j) = c.Allow_Formula_Input() && c.Allow_User_Defined_Variables();
    table(Absolute_Range, j) = c.ProgressBar_Use_Absolute_Range();
}

void vekGRID::Band_Columns(int first, int last) {
    if (grid_.Rows() < 2 || first > last) return;
    // Odd rows take the odd colour, even rows the even one: one banded style over the columns,
    // not a selection and fill per even row.
    Host_Grid::Cell_Style odd, even;
    odd.back = As_Color(row_color_odd_);
    even.back = As_Color(row_color_even_);
    const auto width = static_cast<size_t>(last - first + 1);
    grid_.Style_Rows(1, grid_.Rows() - 1, first, std::vector(width, odd), std::vector(width, even));
}

Host_Grid::Cell_Style vekGRID::Label_Style() {
    Host_Grid::Cell_Style labels;
    labels.alignment = Align::Left;
    labels.bold = true;
    labels.back = Colors::Header;
    return labels;
}

void vekGRID::Style_Header(int j) {
    auto header_cell = [&](int k) {
        Select(0, k, 0, k);
        grid_.CellFontBold(true);
        grid_.CellBackColor(Colors::Header);
        grid_.RowHeight(0, kHeaderHeight);
    };
    header_cell(0);
    grid_.WordWrap(true);
    header_cell(j);
    // Every header cell centred; one fill over the header row does it for all columns.
    grid_.FillStyle(1);
    Select(0, 0, 0, grid_.Cols() - 1);
    grid_.CellAlignment(Align::Center);
    grid_.FillStyle(0);
}

void vekGRID::Colour_Read_Only(int j) {
    if (grid_.Rows() < 2) return;
    grid_.FillStyle(1);
    Select(1, j, grid_.Rows() - 1, j);
    bool grey = Column_Flag(Col_Attr::Read_Only, j) && !read_only_;
    grid_.CellForeColor(grey ? Colors::Grey_Text : Colors::Black);
    grid_.CellFontBold(grey);
    grid_.FillStyle(0);
}

void vekGRID::Prepare_Combo_Column(int j, bool edit) {
    std::vector<std::string> items;
    Ignore_Errors(
        [&] { items = Split_List(column_properties_(Col_Attr::Combo_List, j).To_Text()); });
    if (!edit) {
        Ignore_Errors([&] { combo_editor_.Load(j); });
        Ignore_Errors([&] { combo_editor_(j).TabIndex(4); });
        Ignore_Errors([&] { Install_Combo_Interception(j); });
    }
    Ignore_Errors([&] {
        Combo_Box& combo = combo_editor_(j);
        combo.Clear();
        int left = combo.Left();
        combo.Left(-100000);  // out of sight while the list fills
        for (auto& item : items) combo.AddItem(item);
        combo.Left(left);
    });
    if (Column_Flag(Col_Attr::Combo_Includes_PopUp, j) && !edit)
        Ignore_Errors([&] { popup_editor_.Load(j); });
}

void vekGRID::Prepare_Check_Box_Column(int j) {
    if (grid_.Rows() < 2) return;
    grid_.FillStyle(1);
    grid_.Col(j);
    grid_.ColSel(j);
    const Picture off = checkbox_off_->Picture();
    for (int r = 1; r <= grid_.Rows() - 1; ++r) {
        Select(r, j, r, j);
        grid_.CellAlignment(Align::Left);
        grid_.CellPictureAlignment(Align::Center);
        grid_.CellPicture(off);
        grid_.Text("0");
        grid_.CellForeColor(grid_.CellBackColor());  // the stored "0"/"1" stays unseen
    }
    grid_.FillStyle(0);
}

void vekGRID::Prepare_Divider_Column(int j) {
    grid_.FillStyle(1);
    Select(0, j, grid_.Rows() - 1, j);
    grid_.CellBackColor(back_color_);
    grid_.TextMatrix(0, j, "");
    grid_.FillStyle(0);
}

}  // namespace vekgrid
