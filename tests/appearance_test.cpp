#include <gtest/gtest.h>

#include "support/control_fixture.h"
#include "vekgrid/platform/headless/headless_platform.h"

namespace vekgrid::testing {
namespace {

class Appearance_Test : public Control_Test {
  protected:
    Appearance_Test() {
        for (int i = 0; i < 3; ++i) Add();
        control->Rows(4);
        grid().Row(1);
        grid().Col(1);
    }
};

TEST_F(Appearance_Test, RowColorColoursTheDataPartOrTheWholeRow) {
    control->Row_Color(3, Variant::From_Unsigned(0x0000FF));
    for (int c = 1; c <= 3; ++c) EXPECT_EQ(grid().Look(3, c).back, 0x0000FFu);
    EXPECT_EQ(grid().Look(3, 0).back, Colors::Header);
    control->Row_Color(2.9, Variant::From_Unsigned(0x00FF00), true);
    EXPECT_EQ(grid().Look(2, 0).back, 0x00FF00u) << "row numbers are truncated";
    EXPECT_EQ(grid().Row(), 1) << "the current cell stays where the person is editing";
    EXPECT_EQ(grid().Col(), 1);
    EXPECT_FALSE(Internals_Of(*control).Updating_Grid());
}

TEST_F(Appearance_Test, CellColoursRestoreTheCurrentCell) {
    events.lines.clear();
    control->Set_Cell_Color(2, 2, 0x112233);
    EXPECT_EQ(grid().Row(), 1);
    EXPECT_EQ(grid().Col(), 1);
    EXPECT_EQ(grid().Look(2, 2).back, 0x112233u);
    EXPECT_EQ(grid().Look(2, 3).back, 0xFFFFFFu);
    EXPECT_EQ(control->Cell_Back_Color(2, 2).To_Long(), 0x112233);
    EXPECT_TRUE(events.lines.empty()) << "moving the selection raises no cell events";
    EXPECT_TRUE(grid().Visible());
    EXPECT_TRUE(grid().Redraw());

    control->Set_Range_Cell_Color(1, 3, 1, 2, 0x445566);
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c)
            EXPECT_EQ(grid().Look(r, c).back == 0x445566u, c <= 2) << r << "," << c;
    control->Cell_Back_Color(3, 3, 0x778899);
    EXPECT_EQ(grid().Look(3, 3).back, 0x778899u);
}

TEST_F(Appearance_Test, CellBackColorOutsideTheGridReadsNothing) {
    EXPECT_TRUE(control->Cell_Back_Color(99, 1).Is_Empty());
    EXPECT_TRUE(control->Cell_Back_Color("x", 1).Is_Empty());
    control->Set_Cell_Color(99, 99, 0x1);  // ignored, and the grid comes back
    EXPECT_TRUE(grid().Visible());
    EXPECT_EQ(grid().Row(), 1);
}

TEST_F(Appearance_Test, CellFontAndFontColour) {
    Font font;
    font.name = "Courier";
    font.size = 10;
    font.bold = true;
    font.underline = true;
    control->Cell_Font(2, 3, font);
    control->Cell_Font_Color(2, 3, Variant::From_Unsigned(0x0000FF));
    auto look = grid().Look(2, 3);
    EXPECT_EQ(look.font, font);
    EXPECT_EQ(look.fore, 0x0000FFu);
    EXPECT_FALSE(grid().Look(2, 2).font.bold);
}

TEST_F(Appearance_Test, RowColourSettersOnlyStoreAndMark) {
    std::vector<std::string> marked;
    control->On_Property_Changed = [&](const std::string& n) { marked.push_back(n); };
    control->Row_Color_Odd(Variant::From_Unsigned(0x010101));
    control->Row_Color_Even(Variant::From_Unsigned(0x020202));
    EXPECT_EQ(control->Row_Color_Odd().To_Long(), 0x010101);
    EXPECT_EQ(grid().Look(1, 1).back, 0xCFFFFFu) << "nothing is repainted";
    EXPECT_EQ(marked, (std::vector<std::string>{"Row_Color_Odd", "Row_Color_Even"}));
}

TEST_F(Appearance_Test, WordWrapGrowsRowsToFitTheirText) {
    // Headless metrics: 90 twips a character, 195 a line; column width 1500 holds 16 characters.
    grid().TextMatrix(1, 2, "short");
    grid().TextMatrix(2, 2, "aaaaaaaaaaaaaaa bbbbbbbbbbbbbbb ccccccccccccccc");  // three lines
    grid().RowHeight(3, 2000);
    grid().TextMatrix(3, 2, "aaaaaaaaaaaaaaa bbbbbbbbbbbbbbb");
    control->Word_Wrap(2);
    EXPECT_TRUE(grid().WordWrap());
    EXPECT_EQ(grid().RowHeight(1), 240);
    EXPECT_EQ(grid().RowHeight(2), 4 * 195);
    EXPECT_EQ(grid().RowHeight(3), 2000) << "a taller row is never shrunk";
    EXPECT_EQ(Internals_Of(*control).Text1().Width(), 1500);
    EXPECT_EQ(grid().Row(), 1);
    EXPECT_TRUE(grid().Visible());

    grid().RowHeight(2, 240);
    control->Word_Wrap_Row(2);
    EXPECT_EQ(grid().RowHeight(2), 3 * 195);
    control->Word_Wrap(0);  // outside the data columns: nothing happens
    EXPECT_EQ(grid().RowHeight(2), 3 * 195);
}

TEST_F(Appearance_Test, GridLineModes) {
    control->Gridline_Draw(None);
    EXPECT_EQ(grid().GridLines(), 0);
    EXPECT_EQ(Internals_Of(*control).Vertical_Gridline().Count(), 1u);
    control->Gridline_Draw(Vertical_Only);
    EXPECT_EQ(grid().GridLines(), 0) << "vertical-only changes nothing";
    control->Gridline_Draw(Both);
    EXPECT_EQ(grid().GridLines(), 1);
    EXPECT_EQ(control->Gridline_Draw(), Both);
}

TEST(Grid_Lines, HorizontalOnlyLaysStripsAndReusesThem) {
    Headless_Platform platform;
    vekGRID control(platform);
    control.InitProperties();
    for (int i = 0; i < 3; ++i) {
        vekColumn column;
        control.Add_Column(column);
    }
    Internals_Of(control).GridEditor().Rows(3);
    control.Gridline_Draw(Horizontal_Only);
    auto& strips = Internals_Of(control).Vertical_Gridline();
    ASSERT_EQ(strips.Indices(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    Host_Grid& grid = Internals_Of(control).GridEditor();
    for (int c = 1; c <= 3; ++c) {
        EXPECT_EQ(strips(c).Left(), grid.ColPos(c) - 15) << c;
        EXPECT_EQ(strips(c).Height(), (3 - 1 - grid.TopRow()) * 240) << c;
        EXPECT_EQ(strips(c).BackColor(), 0xCFFFFFu);
        EXPECT_TRUE(strips(c).Visible());
    }
    const int full_width = grid.ColPos(3) + grid.ColWidth(3);
    EXPECT_EQ(strips(4).Top(), 450 + 240 - 15);
    EXPECT_EQ(strips(5).Top(), 450 + 480 - 15);
    for (int s : {4, 5}) {
        EXPECT_EQ(strips(s).Height(), 15);
        EXPECT_EQ(strips(s).Width(), full_width);
        EXPECT_EQ(strips(s).BackColor(), grid.GridColor());
    }
    control.Gridline_Draw(Horizontal_Only);
    EXPECT_EQ(strips.Indices().back(), 7) << "a second run adds strips 6 and 7";
    EXPECT_EQ(grid.GridLines(), 1);
}

TEST(Grid_Lines, VerticalStripsStopAtTheGridsBottom) {
    Headless_Platform platform;
    vekGRID control(platform);
    vekColumn column;
    control.Add_Column(column);
    Internals_Of(control).GridEditor().Rows(100);
    Internals_Of(control).GridEditor().Height(2000);
    control.Gridline_Draw(Horizontal_Only);
    EXPECT_EQ(Internals_Of(control).Vertical_Gridline()(1).Height(), 2000);
}

}  // namespace
}  // namespace vekgrid::testing
