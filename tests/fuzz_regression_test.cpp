// Faults the fuzz targets found, each replayed the way a host meets it.
#include <gtest/gtest.h>

#include "support/control_fixture.h"

namespace vekgrid::testing {
namespace {

std::vector<std::string> Lines(const Variant& v) {
    std::vector<std::string> out;
    const auto& a = *v.To_Array();
    for (int i = a.Lower(2); i <= a.Upper(2); ++i) out.push_back(a(0, i).To_Text());
    return out;
}

using Fuzz_Regression = Control_Test;

// Clear_Grid kept the formula sources, so the next formula column exported them for cells
// that were empty.
TEST_F(Fuzz_Regression, ClearGridForgetsTheFormulaSources) {
    vekColumn first;
    first.Title("A");
    first.Allow_Formula_Input(true);
    control->Add_Column(first);
    control->Rows(3);
    Type_Into(1, 1, "=2*3");
    grid().Row(2);
    ASSERT_EQ(control->Cell_Text(1, 1), "6");

    control->Clear_Grid();
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Rows(), 1);
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Cols(), 1);
    vekColumn again;
    again.Title("B");
    again.Allow_Formula_Input(true);
    control->Add_Column(again);
    control->Rows(3);
    EXPECT_EQ(control->Cell_Text(1, 1), "");
    EXPECT_EQ(Lines(control->Dump_Into_Single_Array()), (std::vector<std::string>{"B", "", ""}));
}

// An edit left pending for a row that Rows then removed came out later as a CellChanged for a
// row the grid no longer had.
TEST_F(Fuzz_Regression, NoCellChangedForARowThatIsGone) {
    Add(TextBox, "A");
    Add(TextBox, "B");
    control->Rows(4);
    grid().Row(3);
    grid().Col(1);
    ASSERT_EQ(control->CurrentRow, 3);
    control->Hide_All_Rows();
    control->Rows(3);
    Internals_Of(*control).TextEditor().Text("x");
    grid().Row(1);
    control->Show_All_Rows();
    grid().Row(2);
    grid().Col(2);
    for (const auto& line : events.lines)
        EXPECT_EQ(line.find("CellChanged"), std::string::npos) << line;
    EXPECT_EQ(grid().Rows(), 3);
}

// After Clear_Grid a click and a key gave the grid a row but no column, with the editor's cell
// still at (1, 1); losing the focus then reported a change of that missing column.
TEST_F(Fuzz_Regression, NoCellChangedForAColumnThatIsGone) {
    Add(TextBox, "A");
    control->Rows(3);
    control->Clear_Grid();
    const double x = grid().ColPos(0) + 10, y = grid().RowPos(0) + 10;
    grid().User_MouseMove(0, 0, x, y);
    Internals_Of(*control).Window_Message(grid().hWnd(), 513, 0);
    grid().User_MouseDown(1, 0, x, y);
    grid().User_Click(x, y);
    for (std::int16_t key : {13, 39, 40}) {
        std::int16_t k = key;
        Internals_Of(*control).UserControl_KeyDown(k, 0);
    }
    Internals_Of(*control).TextEditor().Text("typed");
    Internals_Of(*control).UserControl_EnterFocus();
    Internals_Of(*control).UserControl_ExitFocus();
    for (const auto& line : events.lines)
        EXPECT_EQ(line.find("CellChanged"), std::string::npos)
            << line << " on a grid of " << grid().Rows() << "x" << grid().Cols();
}

// Horizontal-only grid lines take their strip colour from the current cell's number; a number
// past 32 bits was converted anyway, which is undefined (make asan reports it).
TEST_F(Fuzz_Regression, HugeNumberInTheCurrentCellIsNoStripColour) {
    Add(TextBox, "A");
    Add(TextBox, "B");
    control->Rows(3);
    grid().Row(1);
    grid().Col(1);
    grid().Text("7e167");
    control->Gridline_Draw(Horizontal_Only);
    ASSERT_GT(Internals_Of(*control).Vertical_Gridline().Count(), 1u);
    const int last = Internals_Of(*control).Vertical_Gridline().Indices().back();
    EXPECT_TRUE(Internals_Of(*control).Vertical_Gridline()(last).Visible());
    grid().Text("255");
    control->Gridline_Draw(Horizontal_Only);
    EXPECT_EQ(Internals_Of(*control)
                  .Vertical_Gridline()(Internals_Of(*control).Vertical_Gridline().Indices().back())
                  .ForeColor(),
              Color{255});
}

}  // namespace
}  // namespace vekgrid::testing
