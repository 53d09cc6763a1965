#include <gtest/gtest.h>

#include "support/control_fixture.h"

namespace vekgrid::testing {
namespace {

// What the user sees laid over the grid after operations that move rows under it.
class Overlay_Test : public Control_Test {
  protected:
    Overlay_Test() {
        Add(TextBox, "City");
        Add(CheckBox, "Done");
        Add(PopUp, "Pick");
        control->Rows(5);
        const char* cities[] = {"Oslo", "Bergen", "Oslo", "Tromso"};
        for (int r = 1; r <= 4; ++r) control->Cell_Text(r, 1, cities[r - 1]);
    }
    bool Editor_Over_Current_Cell() {
        const Text_Box& editor = Internals_Of(*control).TextEditor();
        return editor.Visible() && editor.Left() == grid().Left() + grid().CellLeft() &&
               editor.Top() == grid().Top() + grid().CellTop();
    }
};

TEST_F(Overlay_Test, EditorFollowsItsCellWhenRowsComeBackAndLeavesWithAFilteredRow) {
    grid().Row(3);
    grid().Col(1);
    ASSERT_TRUE(Editor_Over_Current_Cell());
    control->Hide_Row(2);
    control->Hide_Row(1);
    grid().Row(4);
    grid().Row(3);
    ASSERT_TRUE(Editor_Over_Current_Cell());
    control->Show_All_Rows();
    EXPECT_TRUE(Editor_Over_Current_Cell()) << "rows 1 and 2 came back above the cell";
    EXPECT_EQ(grid().Row(), 3);

    auto table = std::make_shared<Variant_Array>(1, 1, 1, 3);
    (*table)(1, 1) = "Bergen";
    (*table)(1, 2) = "INCLUDE";
    (*table)(1, 3) = "";
    control->Filter_Grid(Variant(Array_Ref(table)), Filter_All);
    ASSERT_EQ(grid().RowHeight(3), 0);
    EXPECT_FALSE(Internals_Of(*control).TextEditor().Visible() &&
                 Internals_Of(*control).TextEditor().Left() > -10000)
        << "no editor stays over a row that is not there";
    control->Filter_Grid(Variant(), Filter_All, true);
    grid().Row(2);
    EXPECT_TRUE(Editor_Over_Current_Cell());
}

TEST_F(Overlay_Test, RowColourKeepsCheckBoxDigitsUnseen) {
    control->Cell_Text(2, 2, "1");
    control->Row_Color(2, Variant::From_Unsigned(0x80FFFF));
    const auto look = grid().Look(2, 2);
    EXPECT_EQ(look.back, 0x80FFFFu);
    EXPECT_EQ(look.fore, look.back) << "the stored 1 is drawn in the back colour";
    EXPECT_EQ(grid().Look(2, 1).back, 0x80FFFFu);
    EXPECT_NE(grid().Look(2, 1).fore, look.back) << "text cells keep their text colour";
    EXPECT_EQ(grid().Row(), 0);
    EXPECT_EQ(grid().Col(), 0) << "the current cell is put back";
}

TEST_F(Overlay_Test, PopUpButtonIsASmallSquareRightOfTheCellAndBlinksAnArrow) {
    grid().Row(1);
    grid().Col(3);
    const Command_Button& button = Internals_Of(*control).PopUpEditor()(3);
    EXPECT_TRUE(button.Visible());
    EXPECT_EQ(button.Left(), grid().Left() + grid().CellLeft() + grid().CellWidth());
    EXPECT_EQ(button.Top(), grid().Top() + grid().CellTop());
    EXPECT_EQ(button.Height(), grid().CellHeight());
    EXPECT_LT(button.Width(), grid().CellWidth());
    control->ColWidth(3, 2000);
    EXPECT_EQ(button.Left(), grid().Left() + grid().CellLeft() + 2000) << "and stays there";

    Internals_Of(*control).Timer1().Tick();
    ASSERT_TRUE(button.Picture());
    const Image& green = *button.Picture();
    Internals_Of(*control).Timer1().Tick();
    ASSERT_TRUE(button.Picture());
    EXPECT_EQ(green.At(0, 0), 0x00FF00u);
    EXPECT_EQ(green.At(4, 4), Colors::Black) << "the arrow's middle";
    EXPECT_NE(button.Picture()->At(0, 0), green.At(0, 0));
    EXPECT_FALSE(Internals_Of(*control).PopUpEditor()(0).Visible())
        << "the template member never shows";
    EXPECT_FALSE(Internals_Of(*control).ComboEditor()(0).Visible());
}

}  // namespace
}  // namespace vekgrid::testing
