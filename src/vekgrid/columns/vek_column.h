#pragma once
#include <cstdint>
#include <string>

#include "vekgrid/common/variant.h"
#include "vekgrid/export.h"

namespace vekgrid {

enum ColumnEditor : std::int32_t {
    TextBox = 0,
    ComboBox = 1,
    CheckBox = 2,
    ProgressBar = 3,
    PopUp = 4,
    Divider = 5,
};

enum Data_Type_Options : std::int32_t { AlphaNumeric = 0, Alphabetical = 1, Numeric = 2 };

enum Cell_Alignment_Options : std::int32_t { Left_Align = 1, Center_Align = 4, Right_Align = 7 };

/// A host's description of one column. A plain carrier: every value is stored as given and
/// read back unchanged; Add_Column copies the values and keeps no reference.
class VEKGRID_EXPORT vekColumn {
  public:
    /// The header text.
    const std::string& Title() const { return title_; }
    void Title(std::string v) { title_ = std::move(v); }
    /// ColumnEditor: the editor laid over the column's cells.
    std::int32_t Editor_Type() const { return editor_type_.To_Long(); }
    void Editor_Type(Variant v) { editor_type_ = std::move(v); }
    /// Cells show but take no typing; navigation keys still act.
    bool ReadOnly() const { return read_only_; }
    void ReadOnly(bool v) { read_only_ = v; }
    /// Width in twips; empty gives the default width.
    const Variant& ColumnWidth() const { return column_width_; }
    void ColumnWidth(Variant v) { column_width_ = std::move(v); }
    /// The host's Pop_Up_Form object a PopUp column shows.
    const Variant& PopUp_Form() const { return popup_form_; }
    void PopUp_Form(Variant v) { popup_form_ = std::move(v); }
    /// Formulas may name variables of the variable table between single quotes.
    bool Allow_User_Defined_Variables() const { return allow_variables_; }
    void Allow_User_Defined_Variables(bool v) { allow_variables_ = v; }
    /// Cells take "=" formulas and feet-inch lengths; the cell shows the value.
    bool Allow_Formula_Input() const { return allow_formula_; }
    void Allow_Formula_Input(bool v) { allow_formula_ = v; }
    /// A drop-down column also gets a pop-up button.
    bool Combo_Includes_Popup() const { return combo_includes_popup_; }
    void Combo_Includes_Popup(bool v) { combo_includes_popup_ = v; }
    /// The column Add_Column(column, true) edits.
    std::int16_t Display_Index() const { return display_index_; }
    void Display_Index(std::int16_t v) { display_index_ = v; }
    /// A column of another grid this one is bound to, and that grid; stored only.
    std::int16_t Bound_To_Column() const { return bound_to_column_; }
    void Bound_To_Column(std::int16_t v) { bound_to_column_ = v; }
    const std::string& Bound_To_Grid() const { return bound_to_grid_; }
    void Bound_To_Grid(std::string v) { bound_to_grid_ = std::move(v); }
    /// The drop-down's items, comma-separated ("a,b,c").
    const std::string& ComboBox_List() const { return combo_list_; }
    void ComboBox_List(std::string v) { combo_list_ = std::move(v); }
    /// Cell_Alignment_Options; 0 gives Right_Align.
    std::int32_t Cell_Alignment() const { return cell_alignment_; }
    void Cell_Alignment(std::int32_t v) { cell_alignment_ = v; }
    /// Data_Type_Options: which keys the text editor lets through.
    std::int32_t DataType() const { return data_type_; }
    void DataType(std::int32_t v) { data_type_ = v; }
    /// The values an empty and a full bar stand for.
    double ProgressBar_MinVal() const { return min_val_; }
    void ProgressBar_MinVal(double v) { min_val_ = v; }
    double ProgressBar_MaxVal() const { return max_val_; }
    void ProgressBar_MaxVal(double v) { max_val_ = v; }
    /// Bar look: a gradient fill and the bar colour.
    bool ProgressBar_Use_Gradient() const { return use_gradient_; }
    void ProgressBar_Use_Gradient(bool v) { use_gradient_ = v; }
    const Variant& ProgressBar_Color() const { return bar_color_; }
    void ProgressBar_Color(Variant v) { bar_color_ = std::move(v); }
    /// The range follows the column's smallest and largest values.
    bool ProgressBar_AutoRange() const { return auto_range_; }
    void ProgressBar_AutoRange(bool v) { auto_range_ = v; }
    /// A PopUp column's cells also take typing.
    bool PopUp_Allow_Cell_Editing() const { return popup_cell_editing_; }
    void PopUp_Allow_Cell_Editing(bool v) { popup_cell_editing_ = v; }
    /// A variable table of the column's own.
    const Variant& Variable_Definitions() const { return variable_definitions_; }
    void Variable_Definitions(Variant v) { variable_definitions_ = std::move(v); }
    /// Bars measure the values' magnitudes, so negative values draw like positive ones.
    bool ProgressBar_Use_Absolute_Range() const { return absolute_range_; }
    void ProgressBar_Use_Absolute_Range(bool v) { absolute_range_ = v; }

  private:
    std::string title_;
    Variant editor_type_ = Variant(std::int32_t{TextBox});
    bool read_only_ = false;
    Variant column_width_;
    Variant popup_form_;
    bool allow_variables_ = false;
    bool allow_formula_ = false;
    bool combo_includes_popup_ = false;
    std::int16_t display_index_ = 0;
    std::int16_t bound_to_column_ = 0;
    std::string bound_to_grid_;
    std::string combo_list_;
    std::int32_t cell_alignment_ = 0;
    std::int32_t data_type_ = AlphaNumeric;
    double min_val_ = 0, max_val_ = 0;
    bool use_gradient_ = false;
    Variant bar_color_;
    bool auto_range_ = false;
    bool popup_cell_editing_ = false;
    Variant variable_definitions_;
    bool absolute_range_ = false;
};

/// Attributes of the column table, indexed (attribute, column).
namespace Col_Attr {
enum : int {
    Title = 1,
    Editor = 2,
    Display_Index = 3,
    Data_Type = 4,
    Width = 5,
    Read_Only = 6,
    Combo_List = 7,
    PopUp_Form = 8,
    Bound_Grid = 9,
    Bound_Column = 10,
    Alignment = 11,
    Bar_Color = 12,
    Gradient = 13,
    Min = 14,
    Max = 15,
    Auto_Range = 16,
    PopUp_Cell_Editing = 17,
    Combo_Includes_PopUp = 18,
    Formula = 19,
    Variables = 20,
    Absolute_Range = 21,
    Last = 21,
};
}  // namespace Col_Attr

}  // namespace vekgrid
