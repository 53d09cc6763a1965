// Moves of the current cell as a user makes them (keys, Tab, clicks) over dividers, blocked
// cells and hidden rows and columns: what the host hears, where the editor lands, and that the
// control stays whole whatever the grid's shape.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support/control_fixture.h"

namespace vekgrid::testing {
namespace {

using Lines = std::vector<std::string>;
constexpr int kEnter = 13, kTab = 9, kSpace = 32, kPageUp = 33, kPageDown = 34;
constexpr int kLeft = 37, kUp = 38, kRight = 39, kDown = 40;

class Cell_Moves_Test : public Control_Test {
  protected:
    void Key(int code, int shift = 0) {
        std::int16_t k = static_cast<std::int16_t>(code);
        Internals_Of(*control).UserControl_KeyDown(k, static_cast<std::int16_t>(shift));
    }
    // A left click at a point of the grid, as the view reports it: the pointer moves there, the
    // button goes down, then comes up.
    void Click_At(double x, double y) {
        grid().User_MouseMove(0, 0, x, y);
        Internals_Of(*control).Window_Message(grid().hWnd(), 513, 0);
        grid().User_MouseDown(1, 0, x, y);
        grid().User_Click(x, y);
    }
    void Click(int row, int col) { Click_At(grid().ColPos(col) + 10, grid().RowPos(row) + 10); }
    std::string Cell() { return std::to_string(grid().Row()) + "," + std::to_string(grid().Col()); }
    // The events that tell the host about cells, in order.
    Lines Cell_Events() {
        Lines out;
        for (const auto& line : events.lines)
            if (line != "Click" && line.rfind("MouseDown", 0) != 0) out.push_back(line);
        return out;
    }
    void Edit(int row, int col, const std::string& text) {
        grid().Row(row);
        grid().Col(col);
        ASSERT_EQ(Cell(), std::to_string(row) + "," + std::to_string(col));
        Internals_Of(*control).TextEditor().Text(text);
        Internals_Of(*control).TextEditor().SelStart(
            0);  // all selected: Left and Right leave the cell
        Internals_Of(*control).TextEditor().SelLength(static_cast<int>(text.size()));
        events.lines.clear();
    }
    bool Editor_Active() { return control->CurrentRow != 0 && control->CurrentCol != 0; }
};

TEST_F(Cell_Moves_Test, LeavingAcrossDividersAndBlockedCellsReportsTheEditedCell) {
    Add(TextBox);
    Add(Divider);
    Add(Divider);
    Add(TextBox);
    Add(TextBox);
    control->Rows(3);
    const Lines expected_a{"LeaveCell", "EnterCell", "CellChanged(,a,1,1)"};

    Edit(1, 1, "a");
    Key(kRight);
    EXPECT_EQ(Cell(), "1,4");
    EXPECT_EQ(Cell_Events(), expected_a) << "Right over two dividers";

    Edit(1, 4, "b");
    Key(kLeft);
    EXPECT_EQ(Cell(), "1,1");
    EXPECT_EQ(Cell_Events(), (Lines{"LeaveCell", "EnterCell", "CellChanged(,b,1,4)"}));

    Edit(1, 1, "c");
    Key(kEnter);
    EXPECT_EQ(Cell(), "1,4");
    EXPECT_EQ(Cell_Events(), (Lines{"LeaveCell", "EnterCell", "CellChanged(a,c,1,1)"}));

    Edit(1, 1, "d");
    Internals_Of(*control).Tab_Focus_GotFocus(3);  // Tab
    EXPECT_EQ(Cell(), "1,4");
    EXPECT_EQ(Cell_Events(), (Lines{"LeaveCell", "EnterCell", "CellChanged(c,d,1,1)"}));

    // A blocked cell behind the dividers is passed over too.
    control->Set_Cell_Color(1, 4, grid().BackColor());
    Edit(1, 1, "e");
    Key(kRight);
    EXPECT_EQ(Cell(), "1,5");
    EXPECT_EQ(Cell_Events(), (Lines{"LeaveCell", "EnterCell", "CellChanged(d,e,1,1)"}));

    // A click on the blocked cell, left of the edited one, lands where Left would.
    Edit(1, 5, "f");
    Click(1, 4);
    EXPECT_EQ(Cell(), "1,1");
    EXPECT_EQ(control->CurrentCol, 1);
    EXPECT_EQ(Cell_Events(), (Lines{"LeaveCell", "EnterCell", "CellChanged(,f,1,5)"}));
    EXPECT_EQ(grid().TextMatrix(1, 5), "f");
    EXPECT_EQ(grid().TextMatrix(1, 2), "") << "nothing is written into a divider";
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 3), "");
}

TEST_F(Cell_Moves_Test, AClickIsHandledOnce) {
    Add(TextBox);
    Add(TextBox);
    Add(TextBox);
    Add(Divider);
    Add(TextBox);
    control->Rows(4);
    control->Set_Cell_Color(1, 2, grid().BackColor());

    Edit(1, 1, "x");
    Click(1, 2);  // blocked: lands where Right from column 1 lands
    EXPECT_EQ(Cell(), "1,3");
    EXPECT_EQ(control->CurrentCol, 3);
    EXPECT_EQ(Cell_Events(), (Lines{"LeaveCell", "EnterCell", "CellChanged(,x,1,1)"}));
    EXPECT_EQ(events.lines.back(), "Click");

    Edit(1, 3, "y");
    Click(2, 4);  // a divider: nothing changes, the edit stays open
    EXPECT_EQ(Cell(), "1,3");
    EXPECT_EQ(events.lines, (Lines{"Click"}));
    EXPECT_TRUE(Internals_Of(*control).TextEditor().Visible());
    EXPECT_EQ(Internals_Of(*control).TextEditor().Text(), "y");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 3), "");

    const double below = grid().RowPos(3) + grid().RowHeight(3) + 100;
    Click_At(grid().ColPos(2) + 10, below);
    EXPECT_EQ(Cell(), "1,3") << "a click below the last row changes nothing";
    EXPECT_EQ(Cell_Events(), Lines{});
    EXPECT_EQ(Internals_Of(*control).TextEditor().Text(), "y");

    events.lines.clear();
    Click(3, 5);
    EXPECT_EQ(Cell(), "3,5");
    EXPECT_EQ(Cell_Events(), (Lines{"LeaveCell", "EnterCell", "CellChanged(,y,1,3)"}));
    EXPECT_EQ(std::count(events.lines.begin(), events.lines.end(), "Click"), 1);
    EXPECT_EQ(Internals_Of(*control).TextEditor().Left(), grid().Left() + grid().CellLeft());
}

// Grids where no cell can take the editor: every column a divider, the only text column hidden
// beside dividers, every data cell blocked. Clicks, keys and row commands must neither recurse
// nor leave an editor showing.
TEST_F(Cell_Moves_Test, GridsWhereNoCellTakesTheEditorHaveNoActiveEditor) {
    // shape builds the grid; keep_shape runs again after each action (new rows come open).
    auto exercise = [&](const std::function<void()>& shape, const std::function<void()>& keep_shape,
                        const char* name) {
        SCOPED_TRACE(name);
        control = std::make_unique<vekGRID>(platform);
        control->InitProperties();
        control->Show();
        columns.clear();
        shape();
        const std::vector<std::function<void()>> actions{
            [&] { Click(1, 1); },
            [&] { Click(2, 2); },
            [&] { control->AddItem("x"); },
            [&] { control->AddItem("y", Variant(std::int32_t{1})); },
            [&] { Key(kRight); },
            [&] { Key(kLeft); },
            [&] { Key(kDown); },
            [&] { Key(kUp); },
            [&] { Key(kEnter); },
            [&] { Key(kPageDown); },
            [&] { Key(kSpace); },
            [&] { Internals_Of(*control).Tab_Focus_GotFocus(3); },
            [&] { Internals_Of(*control).Tab_Focus_GotFocus(2); },
            [&] { control->Rows(2); },
            [&] { control->Rows(5); },
            [&] { control->Current_Row(1); },
        };
        for (size_t i = 0; i < actions.size(); ++i) {
            actions[i]();
            keep_shape();
            grid().Row(0);  // the grid moves on as the user would
            grid().Row(1);
            EXPECT_FALSE(Editor_Active()) << "action " << i;
            EXPECT_FALSE(Internals_Of(*control).TextEditor().Visible()) << "action " << i;
            EXPECT_TRUE(grid().Visible()) << "action " << i;
        }
    };
    exercise(
        [this] {
            for (int i = 0; i < 3; ++i) Add(Divider);
            grid().User_Click(10, 10);  // a header-only grid makes its first row
            control->Rows(3);
        },
        [] {}, "all dividers");
    exercise(
        [this] {
            Add(TextBox);
            Add(Divider);
            Add(Divider);
            control->Rows(3);
            control->ColWidth(1, 0);
        },
        [] {}, "the text column hidden");
    exercise(
        [this] {
            Add(TextBox);
            Add(TextBox);
            control->Rows(4);
        },
        [this] { control->Set_Range_Cell_Color(1, grid().Rows() - 1, 1, 2, grid().BackColor()); },
        "every cell blocked");
}

TEST_F(Cell_Moves_Test, HostCallsLeaveTheGridShownAndRedrawAsTheyFoundIt) {
    Add(TextBox);
    Add(TextBox);
    control->Rows(4);
    ASSERT_TRUE(Internals_Of(*control).Tab_Focus(1).Visible());
    control->Rows(0);
    ASSERT_EQ(platform.messages.calls.size(), 1u);
    EXPECT_EQ(platform.messages.calls[0].title, "VEKGrid Error");
    EXPECT_TRUE(grid().Visible());
    EXPECT_TRUE(Internals_Of(*control).Tab_Focus(1).Visible());
    EXPECT_EQ(grid().Rows(), 4);

    control->Redraw(false);
    control->Rows(8);
    EXPECT_FALSE(control->Redraw());
    grid().Row(7);
    grid().Col(2);
    Key(kEnter);  // a new row
    EXPECT_EQ(grid().Rows(), 9);
    EXPECT_FALSE(control->Redraw());
    control->Rows(3);
    EXPECT_FALSE(control->Redraw());
    control->Enabled(false);
    control->Enabled(true);
    EXPECT_FALSE(control->Redraw());
    EXPECT_TRUE(grid().Visible());
    control->Redraw(true);

    // The editor never stays over a row the host hides.
    grid().Row(1);
    grid().Row(2);
    grid().Col(1);
    ASSERT_TRUE(Internals_Of(*control).TextEditor().Visible());
    control->RowHeight(2, 0);
    EXPECT_FALSE(Internals_Of(*control).TextEditor().Visible());
}

// Random host calls, keys and clicks on grids of every column kind, with the control's
// promises checked after each step.
TEST_F(Cell_Moves_Test, RandomUseKeepsTheCurrentCellAndTheEditorInStep) {
    std::mt19937 random(20261207);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const std::vector<ColumnEditor> kinds{TextBox, TextBox, Divider, CheckBox, ComboBox, PopUp};
    int steps_with_editor = 0;
    for (int round = 0; round < 60; ++round) {
        control = std::make_unique<vekGRID>(platform);
        control->InitProperties();
        control->Show();
        control->Add_Listener(events);
        columns.clear();
        const int cols = pick(1, 5);
        for (int c = 0; c < cols; ++c) {
            vekColumn column;
            column.Editor_Type(kinds[static_cast<size_t>(pick(0, 5))]);
            column.ComboBox_List("a,b");
            column.Allow_Formula_Input(pick(0, 1) == 0);
            if (pick(0, 4) == 0) column.ReadOnly(true);
            control->Add_Column(column);
        }
        control->Rows(pick(1, 6));
        for (int step = 0; step < 120; ++step) {
            const int rows = grid().Rows(), width = grid().Cols();
            std::string what;
            switch (pick(0, 12)) {
                case 0:
                case 1:
                    what = "key";
                    Key(std::vector<int>{kEnter, kLeft, kUp, kRight, kDown, kPageUp, kPageDown,
                                         kSpace}[static_cast<size_t>(pick(0, 7))]);
                    break;
                case 2:
                    what = "tab";
                    Internals_Of(*control).Tab_Focus_GotFocus(pick(2, 3));
                    break;
                case 3:
                case 4:
                    what = "click";
                    Click_At(pick(0, 12000), pick(0, 3000));
                    break;
                case 5:
                    what = "type";
                    Internals_Of(*control).TextEditor().Text(pick(0, 1) ? "a\tb\nc" : "=1+2");
                    break;
                case 6:
                    what = "rows";
                    control->Rows(pick(0, 7));
                    break;
                case 7:
                    what = "additem";
                    control->AddItem("n\tm",
                                     pick(0, 1) ? Variant() : Variant(std::int32_t{pick(0, rows)}));
                    break;
                case 8:
                    what = "colwidth";
                    if (width > 1) control->ColWidth(pick(1, width - 1), pick(0, 1) ? 0 : -1);
                    break;
                case 9:
                    what = "rowheight";
                    if (rows > 1) control->RowHeight(pick(1, rows - 1), pick(0, 1) ? 0 : 240);
                    break;
                case 10:
                    what = "block";
                    if (rows > 1 && width > 1)
                        control->Set_Cell_Color(pick(1, rows - 1), pick(1, width - 1),
                                                pick(0, 1) ? grid().BackColor() : Color{0xCFFFFF});
                    break;
                case 11:
                    what = "cell text";
                    if (rows > 1 && width > 1)
                        control->Cell_Text(pick(1, rows - 1), pick(1, width - 1), "host");
                    break;
                default:
                    what = "current cell";
                    if (rows > 1 && width > 1) {
                        control->Current_Row(pick(1, rows - 1));
                        control->Current_Col(pick(1, width - 1));
                    }
                    break;
            }
            SCOPED_TRACE("round " + std::to_string(round) + " step " + std::to_string(step) + " " +
                         what);
            ASSERT_TRUE(grid().Visible());
            ASSERT_TRUE(grid().Redraw());
            ASSERT_TRUE(Internals_Of(*control).Tab_Focus(1).Visible());
            ASSERT_FALSE(Internals_Of(*control).Updating_Grid());
            ASSERT_FALSE(Internals_Of(*control).Suppress_Cell_Events());
            const Text_Box& box = Internals_Of(*control).TextEditor();
            if (Editor_Active()) {
                ASSERT_EQ(control->CurrentRow, grid().Row());
                ASSERT_EQ(control->CurrentCol, grid().Col());
                ASSERT_NE(Internals_Of(*control)
                              .Column_Properties()(Col_Attr::Editor, grid().Col())
                              .To_Long(),
                          Divider);
            }
            if (box.Visible()) {
                ++steps_with_editor;
                ASSERT_TRUE(Editor_Active());
                ASSERT_GT(grid().RowHeight(grid().Row()), 0) << "never over a hidden row";
                ASSERT_GT(grid().ColWidth(grid().Col()), 0);
                ASSERT_EQ(box.Left(), grid().Left() + grid().CellLeft());
                ASSERT_EQ(box.Top(), grid().Top() + grid().CellTop());
            }
            for (int r = 1; r < grid().Rows(); ++r)
                for (int c = 1; c < grid().Cols(); ++c)
                    ASSERT_EQ(grid().TextMatrix(r, c).find_first_of("\t\r\n"), std::string::npos)
                        << "typed text holds no Tab or line break";
        }
    }
    EXPECT_GT(steps_with_editor, 500) << "the driver reaches editing states";
}

}  // namespace
}  // namespace vekgrid::testing
