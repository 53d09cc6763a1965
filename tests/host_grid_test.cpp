#include "vekgrid/hostgrid/host_grid.h"

#include <gtest/gtest.h>

#include "vekgrid/common/errors.h"

namespace vekgrid {
namespace {

class Recording_Listener : public Grid_Listener {
  public:
    explicit Recording_Listener(Host_Grid& grid) : grid_(grid) {}
    void Grid_LeaveCell() override { Log("leave"); }
    void Grid_EnterCell() override { Log("enter"); }
    void Grid_Click() override { log.push_back("click"); }
    void Grid_Scroll() override { log.push_back("scroll"); }
    std::vector<std::string> log;

  private:
    void Log(const char* what) {
        log.push_back(std::string(what) + " " + std::to_string(grid_.Row()) + "," +
                      std::to_string(grid_.Col()));
    }
    Host_Grid& grid_;
};

class Host_Grid_Test : public ::testing::Test {
  protected:
    Host_Grid_Test() : listener(grid) {
        grid.Rows(6);
        grid.Cols(4);
        grid.Set_Listener(&listener);
    }
    Host_Grid grid;
    Recording_Listener listener;
};

TEST_F(Host_Grid_Test, MovingTheCurrentCellRaisesLeaveThenEnterAtOnce) {
    grid.Row(2);
    grid.Col(3);
    grid.Col(3);  // no move, no events
    EXPECT_EQ(listener.log,
              (std::vector<std::string>{"leave 0,0", "enter 2,0", "leave 2,0", "enter 2,3"}));
    grid.RowSel(5);
    grid.ColSel(1);
    EXPECT_EQ(listener.log.size(), 4u) << "the selection's far corner moves quietly";
    grid.Row(4);
    EXPECT_EQ(grid.RowSel(), 4) << "moving collapses the selection";
    EXPECT_EQ(grid.ColSel(), 3);
    EXPECT_THROW(grid.Row(6), Subscript_Out_Of_Range);
    EXPECT_THROW(grid.Col(-1), Subscript_Out_Of_Range);
    EXPECT_EQ(grid.Row(), 4);
}

TEST_F(Host_Grid_Test, FormatsFillTheSelectionOnlyWithFillStyleOne) {
    grid.Row(1);
    grid.Col(1);
    grid.RowSel(3);
    grid.ColSel(2);
    grid.CellBackColor(0x0000FF);
    grid.Text("only");
    EXPECT_EQ(grid.Look(1, 1).back, 0x0000FFu);
    EXPECT_EQ(grid.Look(2, 2).back, grid.BackColor()) << "FillStyle 0: current cell only";
    EXPECT_EQ(grid.TextMatrix(2, 2), "");
    grid.FillStyle(1);
    grid.CellBackColor(0x00FF00);
    grid.CellFontBold(true);
    grid.Text("all");
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 2; ++c) {
            EXPECT_EQ(grid.Look(r, c).back, 0x00FF00u);
            EXPECT_TRUE(grid.Look(r, c).font.bold);
            EXPECT_EQ(grid.TextMatrix(r, c), "all");
        }
    EXPECT_EQ(grid.Look(4, 1).back, grid.BackColor());
    EXPECT_FALSE(grid.Look(1, 3).font.bold);
    EXPECT_THROW(grid.FillStyle(2), Invalid_Argument);
}

TEST_F(Host_Grid_Test, DefaultLooksAndAlignment) {
    EXPECT_EQ(grid.Look(0, 2).back, grid.BackColorFixed()) << "header row";
    EXPECT_EQ(grid.Look(3, 0).back, grid.BackColorFixed()) << "fixed column";
    EXPECT_EQ(grid.Look(3, 2).back, grid.BackColor());
    grid.TextMatrix(1, 1, "12.5");
    grid.TextMatrix(1, 2, "text");
    EXPECT_EQ(grid.Look(1, 1).alignment, Align::Right) << "general: numbers right";
    EXPECT_EQ(grid.Look(1, 2).alignment, Align::Left);
    grid.ColAlignment(2, Align::Center);
    EXPECT_EQ(grid.Look(1, 2).alignment, Align::Center);
    grid.Row(1);
    grid.Col(2);
    grid.CellAlignment(Align::Right);
    EXPECT_EQ(grid.Look(1, 2).alignment, Align::Right) << "the cell's own wins";
    auto picture = std::make_shared<Image>();
    grid.CellPicture(picture);
    grid.CellPictureAlignment(Align::Center);
    EXPECT_EQ(grid.CellPicture(), picture);
    EXPECT_EQ(grid.Look(1, 2).picture_alignment, Align::Center);
    EXPECT_EQ(grid.Look(1, 1).picture, nullptr);
}

TEST_F(Host_Grid_Test, SortKindsAreStableAndMoveWholeRows) {
    const char* keys[] = {"b", "10", "A", "9", "a"};
    grid.Col(1);
    for (int r = 1; r <= 5; ++r) {
        grid.TextMatrix(r, 1, keys[r - 1]);
        grid.TextMatrix(r, 2, std::to_string(r));
        grid.Row(r);
        grid.CellBackColor(static_cast<Color>(r));
    }
    auto order = [&] {
        std::string out;
        for (int r = 1; r <= 5; ++r) out += grid.TextMatrix(r, 2);
        return out;
    };
    grid.Row(1);
    grid.Col(1);
    grid.RowSel(5);
    grid.Sort(Sort_Kind::Generic_Ascending);
    EXPECT_EQ(order(), "42351") << "9 < 10 as numbers, then A = a in input order, then b";
    EXPECT_EQ(grid.Look(1, 1).back, 4u) << "formats move with their rows";
    grid.Row(1);
    grid.RowSel(5);
    grid.Sort(Sort_Kind::Generic_Descending);
    EXPECT_EQ(order(), "13524");
    grid.Row(5);
    grid.RowSel(1);  // either corner order
    grid.Sort(Sort_Kind::Numeric_Ascending);
    EXPECT_EQ(order(), "13542") << "texts count as 0, kept in order";
    grid.Row(1);
    grid.RowSel(5);
    grid.Sort(Sort_Kind::Numeric_Descending);
    EXPECT_EQ(order(), "24135");
    grid.Row(3);
    grid.RowSel(4);
    grid.Sort(Sort_Kind::Generic_Ascending);
    EXPECT_EQ(order(), "24315") << "only the selected rows move";
}

TEST_F(Host_Grid_Test, AddAndRemoveRows) {
    grid.TextMatrix(2, 1, "two");
    grid.AddItem("n\tnew\tmore\textra\tignored", 2);
    EXPECT_EQ(grid.Rows(), 7);
    EXPECT_EQ(grid.TextMatrix(2, 1), "new");
    EXPECT_EQ(grid.TextMatrix(2, 3), "extra");
    EXPECT_EQ(grid.TextMatrix(3, 1), "two");
    grid.AddItem("end");
    EXPECT_EQ(grid.TextMatrix(7, 0), "end");
    grid.RemoveItem(2);
    EXPECT_EQ(grid.TextMatrix(2, 1), "two");
    EXPECT_THROW(grid.AddItem("x", 0), Subscript_Out_Of_Range);
    EXPECT_THROW(grid.AddItem("x", 99), Subscript_Out_Of_Range);
    EXPECT_THROW(grid.RemoveItem(0), Subscript_Out_Of_Range);
    EXPECT_THROW(grid.RemoveItem(7), Subscript_Out_Of_Range);
    grid.Row(6);
    grid.Rows(3);
    EXPECT_EQ(grid.Row(), 2) << "shrinking keeps the current cell inside";
    grid.Clear();
    EXPECT_EQ(grid.TextMatrix(2, 1), "");
}

TEST_F(Host_Grid_Test, GeometryHitTestingAndScrollBars) {
    grid.ColWidth(0, 500);
    grid.RowHeight(0, 450);
    EXPECT_EQ(grid.ColPos(2), 500 + 960);
    EXPECT_EQ(grid.RowPos(3), 450 + 480);
    grid.RowHeight(2, 0);  // hidden
    EXPECT_EQ(grid.RowPos(3), 450 + 240);
    grid.Pointer_At(600, 450 + 250);
    EXPECT_EQ(grid.MouseRow(), 3) << "a hidden row takes no room";
    EXPECT_EQ(grid.MouseCol(), 1);
    grid.Pointer_At(100, 100);
    EXPECT_EQ(grid.MouseRow(), 0);
    EXPECT_EQ(grid.MouseCol(), 0);
    grid.TopRow(3);
    grid.LeftCol(2);
    EXPECT_EQ(listener.log, (std::vector<std::string>{"scroll", "scroll"}));
    EXPECT_EQ(grid.RowPos(3), 450);
    EXPECT_EQ(grid.ColPos(2), 500);
    grid.Pointer_At(600, 460);
    EXPECT_EQ(grid.MouseRow(), 3);
    EXPECT_EQ(grid.MouseCol(), 2);

    grid.Width(100000);
    grid.Height(100000);
    EXPECT_EQ(grid.Window_Style(), 0u);
    grid.Height(500);
    EXPECT_EQ(grid.Window_Style(), Window_Style_Bits::Vertical_Scroll);
    grid.Width(1000);
    EXPECT_EQ(grid.Window_Style(),
              Window_Style_Bits::Vertical_Scroll | Window_Style_Bits::Horizontal_Scroll);
    EXPECT_THROW(grid.ColWidth(9), Subscript_Out_Of_Range);
}

TEST_F(Host_Grid_Test, ClickMovesToTheCellUnderThePointer) {
    grid.User_Click(1000 + 960, 240 * 3 + 10);  // column 2, row 3
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(grid.Col(), 2);
    EXPECT_EQ(listener.log.back(), "click");
    grid.User_Click(10, 10);  // a fixed cell does not take the current cell
    EXPECT_EQ(grid.Row(), 3);
}

TEST(Host_Grid_Scale, AMillionCellsStayCompact) {
    Host_Grid grid;
    grid.Cols(10);
    grid.Rows(100001);
    for (int r = 1; r <= 100000; ++r)
        for (int c = 0; c < 10; ++c)
            grid.TextMatrix(r, c, "r" + std::to_string(r) + "c" + std::to_string(c));
    grid.FillStyle(1);
    grid.Row(1);
    grid.Col(1);
    grid.RowSel(100000);
    grid.ColSel(9);
    grid.CellBackColor(0xCFFFFF);
    for (int r = 2; r <= 100000; r += 2) {
        grid.Row(r);
        grid.RowSel(r);
        grid.ColSel(9);
        grid.CellBackColor(0xFFFFFF);
    }
    grid.FillStyle(0);
    EXPECT_EQ(grid.Look(99999, 5).back, 0xCFFFFFu);
    EXPECT_EQ(grid.Look(100000, 5).back, 0xFFFFFFu);
    EXPECT_EQ(grid.TextMatrix(54321, 7), "r54321c7");
    EXPECT_LT(grid.Memory_Bytes(), 200u * 1024 * 1024);
    for (int i = 0; i < 1000; ++i) grid.AddItem("x", 50000);
    for (int i = 0; i < 1000; ++i) grid.RemoveItem(50000);
    EXPECT_EQ(grid.TextMatrix(50000, 1), "r50000c1");
}

}  // namespace
}  // namespace vekgrid
