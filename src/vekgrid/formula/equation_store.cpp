#include <vector>

#include "vekgrid/common/errors.h"
#include "vekgrid/control/vekgrid.h"
#include "vekgrid/formula/math_parser.h"

namespace vekgrid {

std::string vekGRID::Mask_Text(int row, int col) const {
    if (row < 1 || col < 1 || row > equation_mask_.Rows() || col > equation_mask_.Cols()) return "";
    return equation_mask_.Get(row, col);
}

void vekGRID::Set_Mask_Text(int row, int col, const std::string& text) {
    // A formula (or, in a formula column, a length) is about to be replaced by its value, so
    // its source is kept even while the cell still shows the same text.
    const bool keep = text.find('=') != std::string::npos ||
                      (text.find('-') != std::string::npos && Column_Flag(Col_Attr::Formula, col));
    equation_mask_.Set(row, col, text, keep);
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
    equation_mask_.Set(Row, Col, text_editor_->Text(), true);
}

void vekGRID::Recalculate_Variable_Formulas(bool text_box_only) {
    std::vector<int> columns;
    for (int c = 1; c < grid_.Cols(); ++c)
        if (Column_Flag(Col_Attr::Formula, c) && Column_Flag(Col_Attr::Variables, c) &&
            (!text_box_only || Column_Editor(c) == TextBox))
            columns.push_back(c);
    if (columns.empty()) return;
    // Only formulas are computed again: a number or a length keeps what its commit showed.
    // Cells whose entry is their own text hold no formula, so only stored sources are read.
    for (int r = 1; r < grid_.Rows(); ++r) {
        for (int c : columns) {
            const std::string* stored = grid_.Source(r, c);
            const std::string& entry = stored ? *stored : grid_.TextMatrix(r, c);
            if (entry.find('=') == std::string::npos) continue;
            std::string source = entry;  // the evaluator rewrites its argument
            Ignore_Errors([&] {
                if (!stored) equation_mask_.Set(r, c, source, true);
                auto result =
                    Evaluate_Formula(source, platform_.Messages(), User_Defined_Variable_Array);
                grid_.TextMatrix(r, c, result[0]);
            });
        }
    }
}

void vekGRID::Update_User_Defined_Variable_List(const Variant& Variable_List_Array) {
    User_Defined_Variable_Array = Variable_List_Array;
    if (Variable_List_Array.Is_Array())  // keep a copy, not the host's array
        User_Defined_Variable_Array =
            Variant(std::make_shared<Variant_Array>(*Variable_List_Array.To_Array()));
    grid_.Visible(false);
    // Only columns that take formulas with variables in a text box are recomputed.
    Recalculate_Variable_Formulas(true);
    grid_.Visible(true);
}

}  // namespace vekgrid
