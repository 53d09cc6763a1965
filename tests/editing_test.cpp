#include <gtest/gtest.h>

#include <algorithm>

#include "support/control_fixture.h"

namespace vekgrid::testing {
namespace {

using Lines = std::vector<std::string>;

class Editing_Test : public Control_Test {
  protected:
    vekColumn& Column(ColumnEditor kind, std::function<void(vekColumn&)> set = {}) {
        columns.push_back(std::make_unique<vekColumn>());
        vekColumn& c = *columns.back();
        c.Editor_Type(kind);
        if (set) set(c);
        control->Add_Column(c);
        return c;
    }
    // A click on a cell as the user makes it: the pointer moves there, the button goes down
    // (which moves the current cell), and the grid reports the click.
    void Click(int row, int col) {
        const double x = grid().ColPos(col) + 10, y = grid().RowPos(row) + 10;
        grid().User_MouseMove(0, 0, x, y);
        Internals_Of(*control).Window_Message(grid().hWnd(), 513, 0);
        grid().User_MouseDown(1, 0, x, y);
        grid().User_Click(x, y);
    }
};

TEST_F(Editing_Test, TypedFormulaIsCommittedWhenTheUserMovesOn) {
    Column(TextBox, [](vekColumn& c) { c.Allow_Formula_Input(true); });
    Column(TextBox);
    control->Rows(3);
    grid().Row(1);
    grid().Col(1);
    EXPECT_EQ(Type_Keys("=2*3"), "");
    events.lines.clear();
    grid().Col(2);  // Enter under Changes_Col moves right
    EXPECT_EQ(grid().TextMatrix(1, 1), "6");
    EXPECT_EQ(events.lines, (Lines{"LeaveCell", "EnterCell", "CellChanged(,=2*3,1,1)"}));

    grid().Row(2);
    grid().Col(1);
    Type_Keys("5-6");
    grid().Row(1);
    EXPECT_EQ(grid().TextMatrix(2, 1), "66");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(2, 1), "5-6");
    grid().Row(2);  // the editor shows the entry; leaving the control untouched keeps the value
    events.lines.clear();
    Internals_Of(*control).UserControl_ExitFocus();
    EXPECT_EQ(grid().TextMatrix(2, 1), "66");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(2, 1), "5-6");
    EXPECT_EQ(std::count_if(events.lines.begin(), events.lines.end(),
                            [](const std::string& l) { return l.rfind("CellChanged", 0) == 0; }),
              0);
    Internals_Of(*control).UserControl_EnterFocus();
    Internals_Of(*control).TextEditor().Text("-5-3");
    grid().Row(1);
    EXPECT_EQ(grid().TextMatrix(2, 1), "-5-3") << "a leading sign is no length";
}

// The saved file separates cells by Tab and rows by line breaks: what the user types or pastes
// into the text box never brings them into a cell; what the host writes stays as written.
TEST_F(Editing_Test, TypedTabsAndLineBreaksBecomeSpaces) {
    Column(TextBox);
    Column(TextBox, [](vekColumn& c) { c.Allow_Formula_Input(true); });
    control->Rows(3);
    grid().Row(1);
    grid().Col(1);
    Internals_Of(*control).TextEditor().Text("a\tb\r\nc");  // a pasted block
    grid().Col(2);
    EXPECT_EQ(grid().TextMatrix(1, 1), "a b  c");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 1), "a b  c");
    EXPECT_EQ(events.lines.back(), "CellChanged(,a b  c,1,1)");

    Internals_Of(*control).TextEditor().Text("=1+\n2");
    EXPECT_EQ(control->TextMatrix(1, 2), "3") << "reading the edited cell commits it";
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 2), "=1+ 2");

    grid().Row(2);
    Internals_Of(*control).TextEditor().Text("x\ny");
    Internals_Of(*control).UserControl_ExitFocus();
    EXPECT_EQ(grid().TextMatrix(2, 2), "x y");

    control->Cell_Text(2, 1, "host\tvalue");
    EXPECT_EQ(grid().TextMatrix(2, 1), "host\tvalue");
    control->TextMatrix(1, 1, "kept\r\n");
    EXPECT_EQ(grid().TextMatrix(1, 1), "kept\r\n");
}

TEST_F(Editing_Test, KeysAreFilteredByDataTypeAndFormulaSettings) {
    Column(TextBox, [](vekColumn& c) { c.DataType(Numeric); });
    Column(TextBox, [](vekColumn& c) { c.DataType(Alphabetical); });
    Column(TextBox, [](vekColumn& c) { c.Allow_Formula_Input(true); });
    Column(TextBox, [](vekColumn& c) {
        c.Allow_Formula_Input(true);
        c.Allow_User_Defined_Variables(true);
    });
    Column(TextBox);
    control->Rows(2);
    auto rejected_in = [&](int col, const std::string& keys) {
        grid().Row(1);
        grid().Col(col);
        Internals_Of(*control).TextEditor().Text("");
        return Type_Keys(keys);
    };
    EXPECT_EQ(rejected_in(1, "12a=eE*x.-+/ "), "a*x ");
    EXPECT_EQ(rejected_in(2, "ab 1.2/-+Z"), "1.2/-+");
    EXPECT_EQ(rejected_in(3, "1*2=e'x'"), "'x'");
    EXPECT_EQ(rejected_in(4, "='rate'*2"), "");
    EXPECT_EQ(rejected_in(5, "anything 1"), "");
    for (int col = 1; col <= 5; ++col)
        for (std::int16_t key : {8, 13, 3, 22}) {
            grid().Col(col);
            std::int16_t k = key;
            Internals_Of(*control).TextEditor_KeyPress(k);
            EXPECT_EQ(k, key) << "column " << col;
        }
    std::int16_t tab = 9;
    grid().Col(1);
    Internals_Of(*control).TextEditor_KeyPress(tab);
    EXPECT_EQ(tab, 0) << "other control keys count as characters";
}

TEST_F(Editing_Test, FocusSelectsAllAndRightClickReportsMouseDown) {
    Column(TextBox);
    control->Rows(2);
    grid().Row(1);
    grid().Col(1);
    Internals_Of(*control).TextEditor().Text("hello");
    Internals_Of(*control).TextEditor_GotFocus();
    EXPECT_EQ(Internals_Of(*control).TextEditor().SelStart(), 0);
    EXPECT_EQ(Internals_Of(*control).TextEditor().SelLength(), 5);
    events.lines.clear();
    const int before = platform.events_processed;
    Internals_Of(*control).TextEditor_MouseDown(2, 0, 1, 1);
    Internals_Of(*control).TextEditor_MouseDown(1, 0, 1, 1);
    EXPECT_EQ(events.lines, (Lines{"MouseDown(2)"}));
    EXPECT_EQ(platform.events_processed, before + 1);
    EXPECT_TRUE(Internals_Of(*control).TextEditor().Enabled());
}

TEST_F(Editing_Test, EnteringAHiddenRowOrAHeaderOnlyGridRaisesNothing) {
    Column(TextBox);
    control->Rows(3);
    grid().RowHeight(2, 0);
    grid().Row(1);
    grid().Col(1);
    events.lines.clear();
    grid().Row(2);
    EXPECT_FALSE(Internals_Of(*control).TextEditor().Visible());
    EXPECT_EQ(events.lines, (Lines{"LeaveCell"}));
}

TEST_F(Editing_Test, ReadOnlyTextColumnShowsNoEditor) {
    Column(TextBox, [](vekColumn& c) { c.ReadOnly(true); });
    control->Rows(2);
    grid().Row(1);
    grid().Col(1);
    EXPECT_TRUE(Internals_Of(*control).TextEditor().Locked());
    EXPECT_EQ(Internals_Of(*control).TextEditor().Left(), -50000);
    EXPECT_EQ(grid().FocusRect(), 1);
}

TEST_F(Editing_Test, BlockedCellsArePassedOver) {
    for (int i = 0; i < 4; ++i) Column(TextBox);
    control->Rows(4);
    grid().Row(1);
    grid().Col(1);
    control->Set_Cell_Color(1, 2, grid().BackColor());  // blocked
    grid().Col(2);                                      // moving right onto it
    EXPECT_EQ(grid().Col(), 3);
    EXPECT_EQ(control->CurrentCol, 3);
    control->Set_Cell_Color(2, 3, grid().BackColor());
    grid().Row(2);  // moving down onto it
    EXPECT_EQ(grid().Row(), 3);
    EXPECT_EQ(grid().Col(), 3);
}

TEST(Editing, TwoRowGridLandsOnTheFirstOpenColumn) {
    Headless_Platform platform;
    vekGRID control(platform);
    for (int i = 0; i < 3; ++i) {
        vekColumn column;
        control.Add_Column(column);
    }
    control.Rows(2);
    control.Set_Cell_Color(1, 1, Internals_Of(control).GridEditor().BackColor());
    Internals_Of(control).GridEditor().Col(3);
    Internals_Of(control).GridEditor().Row(0);
    Internals_Of(control).GridEditor().Row(1);
    Internals_Of(control).GridEditor().Col(
        1);  // neither the same row nor the same column as the last left
    EXPECT_EQ(Internals_Of(control).GridEditor().Row(), 1);
    EXPECT_EQ(Internals_Of(control).GridEditor().Col(), 3);
}

TEST_F(Editing_Test, DividersAreSkippedInTheDirectionOfTheMove) {
    Column(TextBox);
    Column(Divider);
    Column(TextBox);
    Column(TextBox);
    control->Rows(2);
    grid().Row(1);
    grid().Col(1);
    grid().Col(2);  // right, into the divider
    EXPECT_EQ(grid().Col(), 3);
    grid().Col(2);  // left, into the divider
    EXPECT_EQ(grid().Col(), 1);
    grid().ColWidth(4, 0);  // hidden: moving left from column 1 wraps past it
    grid().Col(3);
    grid().Col(1);
    EXPECT_EQ(grid().Col(), 1);
}

TEST_F(Editing_Test, DropDownSelectsTheCellsItemAndSizesItsList) {
    Column(ComboBox, [](vekColumn& c) { c.ComboBox_List("a,b,c"); });
    const std::string wide(30, 'w');  // 2700 twips, 180 pixels
    std::string eight_items = wide;
    for (int i = 1; i < 8; ++i) eight_items += "," + wide;
    Column(ComboBox, [&](vekColumn& c) { c.ComboBox_List(eight_items); });
    Column(ComboBox, [&](vekColumn& c) { c.ComboBox_List(eight_items + "," + wide); });
    control->Rows(3);
    grid().TextMatrix(1, 1, "b");
    grid().TextMatrix(2, 1, "x");
    grid().Row(1);
    grid().Col(1);
    Combo_Box& combo = Internals_Of(*control).ComboEditor()(1);
    EXPECT_EQ(combo.ListIndex(), 1);
    EXPECT_TRUE(combo.Visible());
    EXPECT_TRUE(combo.Dropped_Down());
    EXPECT_EQ(combo.Left(), grid().CellLeft());
    EXPECT_EQ(Internals_Of(*control).Combo_List_Position(), 1);
    grid().Row(2);
    EXPECT_EQ(combo.ListIndex(), 0) << "a text not in the list selects the first item";

    grid().Col(2);
    const int eight = Internals_Of(*control).ComboEditor()(2).List_Min_Width();
    grid().Col(3);
    const int nine = Internals_Of(*control).ComboEditor()(3).List_Min_Width();
    EXPECT_EQ(eight, 180 + 30);
    EXPECT_EQ(nine, 180 + 60);
    EXPECT_EQ(Internals_Of(*control).ComboEditor()(1).List_Min_Width(), 100)
        << "the editor's own width (1500 twips) wins over narrow items";

    // Committing takes the chosen text into the cell and the mask.
    grid().Col(1);
    combo.ListIndex(2);
    events.lines.clear();
    grid().Row(1);
    EXPECT_EQ(grid().TextMatrix(2, 1), "c");
    EXPECT_EQ(events.lines.back(), "CellChanged(x,c,2,1)")
        << "passing through the cell left its text not in the list as it was";
}

TEST_F(Editing_Test, ComboListStaysShutWhileSuppressedAndUpdatesKeepTheText) {
    Column(ComboBox, [](vekColumn& c) { c.ComboBox_List("a,b"); });
    Column(TextBox);
    control->Rows(2);
    grid().Row(1);
    grid().Col(2);
    Combo_Box& combo = Internals_Of(*control).ComboEditor()(1);
    combo.Text("b");
    std::string list = "x, b,b";
    std::int16_t column = 1;
    control->Update_Combo_Box_List(list, column);
    ASSERT_EQ(combo.ListCount(), 3);
    EXPECT_EQ(combo.List(1), " b") << "no trimming";
    EXPECT_EQ(combo.ListIndex(), 2);
    EXPECT_EQ(Internals_Of(*control).Column_Properties()(Col_Attr::Combo_List, 1).To_Text(),
              "x, b,b");
    std::int16_t text_column = 2;
    control->Update_Combo_Box_List(list, text_column);
    EXPECT_EQ(Internals_Of(*control).Column_Properties()(Col_Attr::Combo_List, 2).To_Text(), "");
}

TEST_F(Editing_Test, ClickingACheckBoxTogglesItAndReportsTheChange) {
    Column(TextBox);
    Column(CheckBox);
    control->Rows(3);
    grid().TextMatrix(2, 2, "");
    events.lines.clear();
    Click(2, 2);
    EXPECT_EQ(grid().TextMatrix(2, 2), "0");
    EXPECT_EQ(grid().Look(2, 2).picture, Internals_Of(*control).CheckBox_Off().Picture());
    EXPECT_EQ(events.lines.back(), "CellChanged(1,0,2,2)");
    Click(2, 2);
    EXPECT_EQ(grid().TextMatrix(2, 2), "1");
    EXPECT_EQ(grid().Look(2, 2).picture, Internals_Of(*control).CheckBox_On().Picture());
    EXPECT_EQ(events.lines.back(), "CellChanged(0,1,2,2)");
    EXPECT_EQ(grid().ForeColorSel(), grid().BackColorSel());
}

TEST_F(Editing_Test, ClickingAHeaderOnlyGridMakesTheFirstRow) {
    Column(TextBox);
    events.lines.clear();
    grid().User_Click(10, 10);
    EXPECT_EQ(grid().Rows(), 2);
    EXPECT_EQ(grid().Row(), 1);
    EXPECT_EQ(control->CurrentRow, 1);
    EXPECT_EQ(grid().TextMatrix(1, 0), "1");
    EXPECT_EQ(events.lines.front(), "Click");
    EXPECT_EQ(events.lines.back(), "RowAdded(1)");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Rows(), 1);
}

TEST_F(Editing_Test, RightClicksOnDataAndHeaderRows) {
    Column(TextBox);
    Column(TextBox);
    control->Rows(3);
    grid().Row(1);
    grid().Col(1);
    Internals_Of(*control).TextEditor().Text("typed");
    events.lines.clear();
    const double x = grid().ColPos(2) + 10, y = grid().RowPos(2) + 10;
    grid().User_MouseDown(2, 0, x, y);
    EXPECT_EQ(grid().TextMatrix(1, 1), "typed");
    EXPECT_EQ(grid().Row(), 2);
    EXPECT_EQ(grid().Col(), 2);
    EXPECT_EQ(events.lines.back(), "MouseDown(2)");
    events.lines.clear();
    grid().User_MouseDown(2, 0, x, 10);  // header row
    for (const auto& line : events.lines) EXPECT_NE(line.substr(0, 9), "MouseDown");
}

TEST_F(Editing_Test, HeaderClicksAreIgnoredAndTheWheelSendsArrowKeys) {
    Column(TextBox);
    control->Rows(3);
    grid().Row(1);
    grid().Col(1);
    grid().User_MouseMove(0, 0, 10, 10);  // over the header
    Internals_Of(*control).Window_Message(grid().hWnd(), 513, 0);
    EXPECT_TRUE(Internals_Of(*control).Ignore_Cell_Change());
    grid().User_MouseDown(1, 0, 10, 10);
    EXPECT_FALSE(Internals_Of(*control).Ignore_Cell_Change());
    EXPECT_EQ(grid().Row(), 1);

    Internals_Of(*control).Window_Message(grid().hWnd(), 522, 120 << 16);
    Internals_Of(*control).Window_Message(grid().hWnd(), 522,
                                          static_cast<std::int32_t>(0xFF880000u));
    EXPECT_EQ(platform.sent_keys, (std::vector<std::string>{"{UP 3}", "{DOWN 3}"}));
    grid().Col(0);
    Internals_Of(*control).Window_Message(grid().hWnd(), 522, 120 << 16);
    EXPECT_EQ(platform.sent_keys.size(), 2u) << "nothing with the grid on column 0";
}

TEST_F(Editing_Test, ClickOutsideAnOpenListReachesWhatIsUnderTheCursor) {
    Column(ComboBox, [](vekColumn& c) { c.ComboBox_List("a,b,c"); });
    control->Rows(2);
    grid().Row(1);
    grid().Col(1);
    Combo_Box& combo = Internals_Of(*control).ComboEditor()(1);
    ASSERT_TRUE(combo.Dropped_Down());
    platform.cursor = {(combo.Left() + 30) / 15, (combo.Top() + combo.Height() + 30) / 15};
    Internals_Of(*control).Window_Message(combo.hWnd(), 513, 0);
    EXPECT_TRUE(platform.synthesized_clicks.empty()) << "inside the list";
    platform.cursor = {2000, 2000};
    Internals_Of(*control).Window_Message(combo.hWnd(), 513, 0);
    EXPECT_EQ(platform.synthesized_clicks, (std::vector<std::string>{"click"}));
}

TEST_F(Editing_Test, PopUpButtonShowsTheFormInsideTheScreen) {
    auto form = std::make_shared<Pop_Up_Form>();
    Column(PopUp, [&](vekColumn& c) { c.PopUp_Form(Variant(Object_Ref(form))); });
    control->Rows(2);
    grid().Row(1);
    grid().Col(1);
    Command_Button& button = Internals_Of(*control).PopUpEditor()(1);
    EXPECT_TRUE(button.Visible());
    EXPECT_EQ(button.Left(), grid().CellLeft() + grid().CellWidth());
    EXPECT_EQ(Internals_Of(*control).TextEditor().Left(), -50000) << "no cell editing by default";

    events.lines.clear();
    platform.cursor = {1910, 500};  // near the right edge
    Internals_Of(*control).PopUpEditor_Click(1);
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(form->Left(), platform.Screen_Width() - form->Width() - 400);
    EXPECT_EQ(form->Top(), 500 * 15 + 400);
    EXPECT_EQ(events.lines, (Lines{"PopUpClick(1,form)"}));

    form->Hide();
    platform.cursor = {5, 1075};  // near the bottom left corner
    Internals_Of(*control).PopUpEditor_Click(1);
    EXPECT_EQ(form->Left(), 0);
    EXPECT_EQ(form->Top(), platform.Screen_Height() - 400 - form->Height());
}

class Progress_Test : public Editing_Test {
  protected:
    Progress_Test() {
        Column(ProgressBar, [](vekColumn& c) {
            c.ProgressBar_MaxVal(100);
            c.ColumnWidth(Variant(std::int32_t{1000}));
        });
        Column(ProgressBar, [](vekColumn& c) {
            c.ProgressBar_MaxVal(100);
            c.ProgressBar_Use_Gradient(true);
            c.ColumnWidth(Variant(std::int32_t{1000}));
        });
        Column(ProgressBar, [](vekColumn& c) {
            c.ProgressBar_AutoRange(true);
            c.ColumnWidth(Variant(std::int32_t{1000}));
        });
        control->Rows(6);
    }
    void Fill(int col, std::vector<std::string> values) {
        for (size_t i = 0; i < values.size(); ++i)
            grid().TextMatrix(static_cast<int>(i) + 1, col, values[i]);
        std::int16_t c = static_cast<std::int16_t>(col);
        control->Update_Progress_Column(c);
    }
    Picture Bar(int row, int col) { return grid().Look(row, col).picture; }
};

TEST_F(Progress_Test, FixedRangeBarsScaleWithTheColumnWidth) {
    Fill(1, {"50", "100", "0", "12 mm", "150"});
    ASSERT_TRUE(Bar(1, 1));
    EXPECT_EQ(Internals_Of(*control).Picture1().BackColor(), 0xFF8080u);
    EXPECT_EQ(Bar(1, 1)->width * 15, 525);
    EXPECT_EQ(Bar(1, 1)->At(0, 0), 0xFF8080u);
    EXPECT_EQ(Bar(2, 1)->width * 15, 1050);
    EXPECT_EQ(Bar(4, 1), nullptr) << "a text that is no number gets no bar";
    grid().TextMatrix(4, 1, "abc");  // reads as 0: a bar of no length
    std::int16_t column = 1;
    control->Update_Progress_Column(column);
    ASSERT_TRUE(Bar(4, 1));
    EXPECT_EQ(Bar(4, 1)->width, 0);
    EXPECT_EQ(Bar(5, 1)->width * 15, 1575) << "no clamp without a gradient";
    grid().TextMatrix(5, 1, "1e12");  // far past the range: the image stops at 4,096 pixels
    control->Update_Progress_Column(column);
    ASSERT_TRUE(Bar(5, 1));
    EXPECT_EQ(Bar(5, 1)->width, 4096);
    EXPECT_EQ(grid().Look(1, 1).picture_alignment, Align::Left);
    EXPECT_TRUE(grid().Visible());
    EXPECT_FALSE(Internals_Of(*control).Updating_Grid());
}

TEST_F(Progress_Test, GradientColoursFollowTheValue) {
    Fill(2, {"25", "50", "100", "0", "150"});
    EXPECT_EQ(Bar(1, 2)->At(0, 0), 0xFFFF00u) << "(0, 255, 255)";
    EXPECT_EQ(Bar(2, 2)->At(0, 0), 0x00FF00u) << "(0, 255, 0)";
    EXPECT_EQ(Bar(3, 2)->At(0, 0), 0x0000FFu) << "(255, 0, 0)";
    EXPECT_EQ(Bar(4, 2), nullptr) << "the minimum gets no bar";
    EXPECT_EQ(Bar(5, 2)->width * 15, 1050) << "clamped at 1.05 column widths";
}

TEST_F(Progress_Test, AutoRangeLeavesHiddenRowsOut) {
    Fill(3, {"0", "50", "100"});
    EXPECT_EQ(Bar(2, 3)->width * 15, 525);
    grid().RowHeight(3, 0);
    std::int16_t c = 3;
    control->Update_Progress_Column(c);
    EXPECT_EQ(Bar(2, 3)->width * 15, 1050) << "the visible maximum is now 50";
    EXPECT_EQ(Bar(3, 3), nullptr);
}

TEST_F(Progress_Test, AZeroRangeDrawsNothingAndSaysNothing) {
    Fill(3, {"7", "7", "7", "7", "7"});
    for (int r = 1; r <= 5; ++r) EXPECT_EQ(Bar(r, 3), nullptr);
    EXPECT_TRUE(platform.messages.calls.empty());
}

TEST_F(Progress_Test, EditingAProgressCellRedrawsItsColumn) {
    grid().Row(1);
    grid().Col(1);
    Internals_Of(*control).TextEditor().Text("50");
    grid().Row(2);
    ASSERT_TRUE(Bar(1, 1));
    EXPECT_EQ(Bar(1, 1)->width * 15, 525);
    EXPECT_FALSE(Internals_Of(*control).TextEditor().Visible())
        << "progress cells keep the editor hidden";
}

}  // namespace
}  // namespace vekgrid::testing

namespace vekgrid::testing {
namespace {

TEST_F(Editing_Test, ScrollingColumnOneOutOfViewFreezesIt) {
    for (int i = 0; i < 6; ++i) Column(TextBox);
    control->Rows(4);
    grid().Width(4000);
    grid().Row(1);
    grid().Col(4);
    grid().LeftCol(3);  // column 1 scrolls out of sight
    EXPECT_EQ(grid().FixedCols(), 2);
    EXPECT_EQ(grid().Look(2, 1).fore, 0xC0C0C0u);
    EXPECT_TRUE(grid().Look(2, 1).font.bold);
    EXPECT_EQ(grid().Row(), 1) << "the current cell is put back";
    EXPECT_EQ(grid().Col(), 4);
    EXPECT_TRUE(grid().Visible());

    // The frozen column stays clickable and editable where it is drawn.
    Click(2, 1);
    EXPECT_EQ(grid().Row(), 2);
    EXPECT_EQ(grid().Col(), 1);
    EXPECT_EQ(grid().LeftCol(), 3) << "no jump";
    ASSERT_TRUE(Internals_Of(*control).TextEditor().Visible());
    EXPECT_EQ(Internals_Of(*control).TextEditor().Left(), grid().Left() + grid().ColWidth(0));
    Internals_Of(*control).TextEditor().Text("kept");
    Click(3, 4);
    EXPECT_EQ(grid().TextMatrix(2, 1), "kept");

    control->Left_Col_Always_Visible(false);
    grid().LeftCol(4);
    EXPECT_EQ(grid().FixedCols(), 1);
    EXPECT_EQ(grid().Look(2, 1).fore, Colors::Black);
}

TEST_F(Editing_Test, ShowEditorsAndFocusShiftByColumnKind) {
    Column(TextBox);
    Column(ComboBox, [](vekColumn& c) { c.ComboBox_List("a"); });
    Column(CheckBox);
    control->Rows(2);
    grid().Row(1);
    grid().Col(2);
    control->Hide_Editors();
    EXPECT_FALSE(Internals_Of(*control).ComboEditor()(2).Visible());
    EXPECT_EQ(Internals_Of(*control).ComboEditor()(2).Left(), -40000);
    control->Show_Editors();
    EXPECT_TRUE(Internals_Of(*control).ComboEditor()(2).Visible());
    EXPECT_EQ(platform.Focused(), &Internals_Of(*control).ComboEditor()(2));
    grid().Col(3);
    control->Shift_Focus_To_Visible_Grideditor();
    EXPECT_TRUE(grid().Has_Focus());
    grid().Col(1);
    control->Hide_Editors();
    control->Shift_Focus_To_Visible_Grideditor();
    EXPECT_TRUE(Internals_Of(*control).TextEditor().Visible());
    EXPECT_EQ(platform.Focused(), &Internals_Of(*control).TextEditor());
}

TEST_F(Editing_Test, EditablePopUpCellsCommitTheirText) {
    Column(PopUp, [](vekColumn& c) { c.PopUp_Allow_Cell_Editing(true); });
    Column(TextBox);
    control->Rows(2);
    grid().Row(1);
    grid().Col(1);
    EXPECT_TRUE(Internals_Of(*control).TextEditor().Visible());
    EXPECT_EQ(Internals_Of(*control).TextEditor().Left(), grid().CellLeft());
    Internals_Of(*control).TextEditor().Text("picked");
    events.lines.clear();
    grid().Col(2);
    EXPECT_EQ(grid().TextMatrix(1, 1), "picked");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 1), "picked");
    EXPECT_FALSE(Internals_Of(*control).PopUpEditor()(1).Visible());
    EXPECT_EQ(events.lines, (Lines{"LeaveCell", "EnterCell"})) << "pop-up edits report no change";
    grid().User_DblClick();
    EXPECT_EQ(events.lines.back(), "DblClick");
}

TEST_F(Progress_Test, AbsoluteRangeMeasuresMagnitudes) {
    columns.push_back(std::make_unique<vekColumn>());
    vekColumn& c = *columns.back();
    c.Editor_Type(ProgressBar);
    c.ProgressBar_AutoRange(true);
    c.ProgressBar_Use_Absolute_Range(true);
    c.ColumnWidth(Variant(std::int32_t{1000}));
    control->Add_Column(c);
    Fill(4, {"0", "-50", "100", "-100"});
    EXPECT_EQ(Bar(2, 4)->width * 15, 525) << "-50 counts as 50 of 0..100";
    EXPECT_EQ(Bar(4, 4)->width * 15, 1050);
}

}  // namespace
}  // namespace vekgrid::testing
