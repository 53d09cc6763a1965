#include "vekgrid/common/errors.h"
#include "vekgrid/control/vekgrid.h"
#include "vekgrid/formula/math_parser.h"

namespace vekgrid {

std::string vekGRID::Mask_Text(int row, int col) const {
    if (row < 1 || col < 1 || row > equation_mask_.Rows() || col > equation_mask_.Cols()) return "";
    return equation_mask_.Get(row, col);
}

void vekGRID::Set_Mask_Text(int row, int col, const std::string& text) {
    equation_mask_.Set(row, col, text);
}

void vekGRID::Resize_Equation_Mask(std::int32_t Rows, std::int32_t Cols,
                                   std::int32_t Insert_New_Row_Index,
                                   std::int32_t Insert_New_Col_Index, std::int32_t Delete_Row_Index,
                                   std::int32_t Delete_Col_Index) {
    Ignore_Errors([&] {
        equation_mask_.Resize(Rows, Cols, Insert_New_Row_Index, Insert_New_Col_Index,
                              Delete_Row_Index, Delete_Col_Index);
    });
}

void vekGRID::Update_Grid_Equation_Mask(std::int32_t Row, std::int32_t Col) {
    equation_mask_.Set(Row, Col, text_editor_->Text());
}

void vekGRID::Update_User_Defined_Variable_List(const Variant& Variable_List_Array) {
    User_Defined_Variable_Array = Variable_List_Array;
    if (Variable_List_Array.Is_Array())  // keep a copy, not the host's array
        User_Defined_Variable_Array =
            Variant(std::make_shared<Variant_Array>(*Variable_List_Array.To_Array()));
    grid_.Visible(false);
    // Only columns that take formulas with variables in a text box are recomputed; the rows of
    // each such column are visited once.
    std::vector<int> columns;
    for (int c = 1; c < grid_.Cols(); ++c)
        if (Column_Flag(Col_Attr::Formula, c) && Column_Flag(Col_Attr::Variables, c) &&
            Column_Editor(c) == TextBox)
            columns.push_back(c);
    for (int r = 1; r < grid_.Rows(); ++r) {
        for (int c : columns) {
            std::string source = Mask_Text(r, c);
            if (source.empty()) continue;
            Ignore_Errors([&] {
                auto result =
                    Evaluate_Formula(source, platform_.Messages(), User_Defined_Variable_Array);
                grid_.TextMatrix(r, c, result[0]);
            });
        }
    }
    grid_.Visible(true);
}

}  // namespace vekgrid
