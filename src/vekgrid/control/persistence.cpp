#include "vekgrid/common/errors.h"
#include "vekgrid/control/vekgrid.h"

namespace vekgrid {

namespace {
constexpr std::int32_t kDefaultOdd = 0xCFFFFF, kDefaultEven = 0xFFFFFF;
const Variant kSystemButtonFace = Variant(2147483663.0);  // &H8000000F held as a double
Variant Colour(Color c) {
    return Variant(static_cast<double>(c));
}
Color As_Color(const Variant& v) {
    return static_cast<Color>(static_cast<std::int64_t>(v.To_Double()));
}
}  // namespace

void vekGRID::InitProperties() {
    row_color_odd_ = Variant(kDefaultOdd);
    row_color_even_ = Variant(kDefaultEven);
    current_cell_data_ = Variant(std::int16_t{0});
    focus_cell_text_.assign(1, '"');
    allow_new_rows_ = true;
    read_only_ = false;
    enter_new_row_ = false;
    gridline_draw_ = Both;
    cell_back_color_ = Variant(std::int16_t{0});
    return_key_behavior_ = Changes_Col;
}

// The keys and their order are the saved format; several keys repeat, and the bag keeps one
// value a name.
void vekGRID::WriteProperties(Property_Bag& bag) {
    const std::string corner = grid_.Rows() > 0 && grid_.Cols() > 0 ? grid_.TextMatrix(0, 0) : "";
    bag.WriteProperty("Row_Color_Odd", row_color_odd_, kDefaultOdd);
    bag.WriteProperty("Row_Color_Even", row_color_even_, kDefaultEven);
    bag.WriteProperty("Current_Cell_Data0", corner, "0");
    bag.WriteProperty("Current_Cell_Data", current_cell_data_, std::int16_t{0});
    bag.WriteProperty("Focus_Cell_Text0", corner, "0");
    bag.WriteProperty("Focus_Cell_Text", focus_cell_text_, "\"");
    bag.WriteProperty("Cell_Text0", corner, "0");
    bag.WriteProperty("Focus_Cell_Text0", corner, "0");
    bag.WriteProperty("Get_Cell_Text0", corner, "0");
    bag.WriteProperty("Cell_Text0", corner, "0");
    bag.WriteProperty("Allow_New_Rows", allow_new_rows_, true);
    bag.WriteProperty("Rows", grid_.Rows(), std::int32_t{1});
    bag.WriteProperty("TextEditor_Text", text_editor_->Text(), "");
    bag.WriteProperty("Frame_visible", frame_visible_, true);
    bag.WriteProperty("Cols", grid_.Cols(), std::int32_t{12});
    bag.WriteProperty("RowHeight0", grid_.Rows() > 0 ? grid_.RowHeight(0) : 0, std::int32_t{0});
    bag.WriteProperty("Gridline_Draw", gridline_draw_, std::int32_t{0});
    bag.WriteProperty("Enter_New_Row", enter_new_row_, false);
    bag.WriteProperty("BackColor", Colour(back_color_), kSystemButtonFace);
    bag.WriteProperty("Cols", grid_.Cols(), std::int32_t{1});
    bag.WriteProperty("ReadOnly", read_only_, false);
    bag.WriteProperty("ColWidth0", grid_.Cols() > 0 ? grid_.ColWidth(0) : 0, std::int32_t{0});
    bag.WriteProperty("TextMatrix0", corner, "");
    bag.WriteProperty("Cell_Back_Color", cell_back_color_, std::int16_t{0});
    bag.WriteProperty("Return_Key_Behavior", return_key_behavior_, std::int32_t{1});
    bag.WriteProperty("Enabled", grid_.Enabled(), true);
    bag.WriteProperty("GridColor", Colour(grid_.GridColor()), kSystemButtonFace);
    bag.WriteProperty("GridColorFixed", Colour(grid_.GridColorFixed()), kSystemButtonFace);
    bag.WriteProperty("BackColorFixed", Colour(grid_.BackColorFixed()), kSystemButtonFace);
}

// Values go straight into the grid and the fields: nothing is marked changed, the column
// table and the equation store are left alone. The first value that fails ends the loading.
void vekGRID::ReadProperties(Property_Bag& bag) {
    if (!platform_.Design_Mode()) Install_Grid_Interception();
    try {
        row_color_odd_ = bag.ReadProperty("Row_Color_Odd", kDefaultOdd);
        row_color_even_ = bag.ReadProperty("Row_Color_Even", kDefaultEven);
        allow_new_rows_ = bag.ReadProperty("Allow_New_Rows", true).To_Bool();
        allow_new_rows_ = bag.ReadProperty("Allow_New_Rows", true).To_Bool();
        frame_visible_ = bag.ReadProperty("Frame_visible", true).To_Bool();
        grid_.Rows(bag.ReadProperty("Rows", std::int32_t{1}).To_Long());
        text_editor_->Text(bag.ReadProperty("TextEditor_Text", "").To_Text());
        grid_.Cols(bag.ReadProperty("Cols", std::int32_t{12}).To_Long());
        grid_.RowHeight(0, bag.ReadProperty("RowHeight0", std::int32_t{0}).To_Long());
        gridline_draw_ = bag.ReadProperty("Gridline_Draw", std::int32_t{0}).To_Long();
        enter_new_row_ = bag.ReadProperty("Enter_New_Row", false).To_Bool();
        back_color_ = As_Color(bag.ReadProperty("BackColor", Variant::From_Unsigned(0x80000004)));
        grid_.Cols(bag.ReadProperty("Cols", std::int32_t{1}).To_Long());
        read_only_ = bag.ReadProperty("ReadOnly", false).To_Bool();
        grid_.ColWidth(0, bag.ReadProperty("ColWidth0", std::int32_t{0}).To_Long());
        grid_.TextMatrix(0, 0, bag.ReadProperty("TextMatrix0", "").To_Text());
        cell_back_color_ = bag.ReadProperty("Cell_Back_Color", std::int16_t{0});
        return_key_behavior_ = bag.ReadProperty("Return_Key_Behavior", std::int32_t{1}).To_Long();
        grid_.Enabled(bag.ReadProperty("Enabled", true).To_Bool());
        grid_.GridColor(As_Color(bag.ReadProperty("GridColor", kSystemButtonFace)));
        grid_.GridColorFixed(As_Color(bag.ReadProperty("GridColorFixed", kSystemButtonFace)));
        grid_.BackColorFixed(As_Color(bag.ReadProperty("BackColorFixed", kSystemButtonFace)));
    } catch (...) {
        // What was read before the failing value stays in force.
    }
}

}  // namespace vekgrid
