#include <gtest/gtest.h>

#include "support/control_fixture.h"
#include "vekgrid/common/errors.h"

namespace vekgrid::testing {
namespace {

constexpr Color kOdd = 0xCFFFFF, kEven = 0xFFFFFF;

TEST_F(Control_Test, FreshControlHasOneHeaderCellAndAnEmptyColumnTable) {
    EXPECT_EQ(grid().Rows(), 1);
    EXPECT_EQ(grid().Cols(), 1);
    EXPECT_EQ(grid().FocusRect(), 0);
    EXPECT_EQ(Internals_Of(*control).Column_Properties().Upper(1), 21);
    EXPECT_EQ(Internals_Of(*control).Column_Properties().Upper(2), 0);
    EXPECT_TRUE(attr(Col_Attr::Title, 0).Is_Empty());
    EXPECT_EQ(Internals_Of(*control).Timer1().Interval(), 400);
    EXPECT_TRUE(Internals_Of(*control).Timer1().Enabled());
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(Internals_Of(*control).Tab_Focus(n).Left(), -10000);
    EXPECT_TRUE(control->Allow_Shortcut_Keys);
    EXPECT_EQ(Internals_Of(*control).ComboEditor().Count(), 1u);
    EXPECT_EQ(control->Row_Color_Odd().To_Long(), static_cast<std::int32_t>(kOdd));
    EXPECT_EQ(control->Return_Key_Behavior(), Changes_Col);
    EXPECT_EQ(Internals_Of(*control).Parent_Form(), &platform.form);
}

TEST_F(Control_Test, DesignModeShowsTheVersionBoxAndBindsNoForm) {
    platform.design_mode = true;
    vekGRID designed(platform);
    designed.Show();
    EXPECT_EQ(Internals_Of(designed).Parent_Form(), nullptr);
    vekColumn column;
    designed.Add_Column(column);
    EXPECT_TRUE(Internals_Of(designed).Text2().Visible());
    EXPECT_EQ(Internals_Of(designed).Text2().Text(), "003 v16");
    EXPECT_FALSE(Internals_Of(*control).Text2().Visible());
}

TEST_F(Control_Test, FirstColumnMakesTwoColumnGridWithStyledHeader) {
    Add(TextBox, "Name");
    EXPECT_EQ(grid().Cols(), 2);
    EXPECT_EQ(grid().FixedCols(), 1);
    EXPECT_EQ(grid().TextMatrix(0, 1), "Name");
    EXPECT_EQ(grid().RowHeight(0), 450);
    EXPECT_TRUE(grid().WordWrap());
    for (int c : {0, 1}) {
        auto look = grid().Look(0, c);
        EXPECT_TRUE(look.font.bold) << c;
        EXPECT_EQ(look.back, Colors::Header) << c;
        EXPECT_EQ(look.alignment, Align::Center) << c;
    }
    EXPECT_EQ(grid().ColWidth(1), 1500);
    EXPECT_EQ(grid().ColAlignment(1), Align::Right);
    EXPECT_FALSE(Internals_Of(*control).Updating_Grid());
}

TEST_F(Control_Test, UnsetColumnGetsTheReplacementValues) {
    Add();
    Add();
    vekColumn& third = Add();
    (void)third;
    EXPECT_EQ(attr(Col_Attr::Title, 3).To_Text(), "Column #3");
    EXPECT_EQ(attr(Col_Attr::Editor, 3).To_Long(), TextBox);
    EXPECT_EQ(attr(Col_Attr::Display_Index, 3).To_Long(), 3);
    EXPECT_EQ(attr(Col_Attr::Width, 3).To_Long(), 1500);
    EXPECT_EQ(attr(Col_Attr::Alignment, 3).To_Long(), Right_Align);
    EXPECT_EQ(attr(Col_Attr::Bar_Color, 3).To_Long(), 0xFF8080);
    EXPECT_EQ(attr(Col_Attr::Bound_Column, 3).To_Text(), "");
    EXPECT_TRUE(attr(Col_Attr::PopUp_Form, 3).Is_Empty());
    EXPECT_EQ(grid().TextMatrix(0, 3), "Column #3");
    EXPECT_EQ(grid().Cols(), 4);
}

TEST_F(Control_Test, ColumnValuesAreCopiedWithTheirRules) {
    vekColumn column;
    column.Cell_Alignment(Left_Align);
    column.ProgressBar_Color(Variant(std::int32_t{0}));  // black is replaced
    column.Allow_User_Defined_Variables(true);           // without formulas it means nothing
    column.ColumnWidth(Variant(std::int32_t{2222}));
    column.Bound_To_Column(4);
    auto form = std::make_shared<Object>();
    column.PopUp_Form(Variant(Object_Ref(form)));
    control->Add_Column(column);
    EXPECT_EQ(attr(Col_Attr::Alignment, 1).To_Long(), Left_Align);
    EXPECT_EQ(attr(Col_Attr::Bar_Color, 1).To_Long(), 0xFF8080);
    EXPECT_FALSE(attr(Col_Attr::Variables, 1).To_Bool());
    EXPECT_EQ(grid().ColWidth(1), 2222);
    EXPECT_EQ(grid().ColAlignment(1), Align::Left);
    EXPECT_EQ(attr(Col_Attr::Bound_Column, 1).To_Long(), 4);
    EXPECT_EQ(attr(Col_Attr::PopUp_Form, 1).To_Object(), form);

    column.Allow_Formula_Input(true);
    column.Display_Index(1);
    control->Add_Column(column, true);
    EXPECT_TRUE(attr(Col_Attr::Variables, 1).To_Bool());
    EXPECT_EQ(grid().Cols(), 2) << "editing a column adds none";
}

TEST_F(Control_Test, ReadOnlyGridMarksEveryColumnReadOnly) {
    control->ReadOnly(true);
    Add();
    EXPECT_TRUE(attr(Col_Attr::Read_Only, 1).To_Bool());
    EXPECT_TRUE(attr(Col_Attr::PopUp_Cell_Editing, 1).To_Bool());
    EXPECT_TRUE(attr(Col_Attr::Variables, 1).To_Bool());
}

TEST_F(Control_Test, NewColumnIsBandedOverExistingRows) {
    Add();
    grid().Rows(5);
    Add();
    EXPECT_EQ(grid().Look(1, 2).back, kOdd);
    EXPECT_EQ(grid().Look(2, 2).back, kEven);
    EXPECT_EQ(grid().Look(3, 2).back, kOdd);
    EXPECT_EQ(grid().Look(4, 2).back, kEven);
    EXPECT_EQ(grid().Row(), 0) << "the current cell is restored";
}

TEST_F(Control_Test, ReadOnlyColumnTextIsGreyBoldUnlessTheWholeGridIsReadOnly) {
    Add();
    grid().Rows(3);
    vekColumn& locked = Add();
    (void)locked;
    vekColumn column;
    column.ReadOnly(true);
    control->Add_Column(column);
    EXPECT_EQ(grid().Look(1, 3).fore, Colors::Grey_Text);
    EXPECT_TRUE(grid().Look(2, 3).font.bold);
    EXPECT_EQ(grid().Look(1, 2).fore, Colors::Black);

    control->ReadOnly(true);
    control->Add_Column(column);
    EXPECT_EQ(grid().Look(1, 4).fore, Colors::Black);
    EXPECT_FALSE(grid().Look(1, 4).font.bold);
}

TEST_F(Control_Test, ComboColumnGetsItsListAndWindowInterception) {
    vekColumn& column = Add(ComboBox);
    (void)column;
    vekColumn combo;
    combo.Editor_Type(ComboBox);
    combo.ComboBox_List("Red,Green,,Blue");
    combo.Combo_Includes_Popup(true);
    control->Add_Column(combo);
    Combo_Box& editor = Internals_Of(*control).ComboEditor()(2);
    ASSERT_EQ(editor.ListCount(), 4);
    EXPECT_EQ(editor.List(1), "Green");
    EXPECT_EQ(editor.List(2), "");
    EXPECT_EQ(editor.List(3), "Blue");
    EXPECT_EQ(editor.TabIndex(), 4);
    EXPECT_EQ(Internals_Of(*control).ComboEditor()(1).ListCount(), 0)
        << "an empty list has no items";
    EXPECT_TRUE(Internals_Of(*control).PopUpEditor().Exists(2));
    EXPECT_FALSE(Internals_Of(*control).PopUpEditor().Exists(1));

    EXPECT_EQ(Internals_Of(*control).Combo_Window_Handle(2), editor.hWnd());
    EXPECT_EQ(Internals_Of(*control).Combo_List_Window_Handle(2), editor.List_hWnd());
    EXPECT_NE(Internals_Of(*control).Combo_Old_Window_Procedure(2), 0);
    EXPECT_EQ(platform.windows.Procedure(editor.hWnd()), Internals_Of(*control).Combo_Procedure());
    EXPECT_NE(platform.windows.GetProp(editor.List_hWnd(), "nvVirtualLV"), 0);

    combo.ComboBox_List("One");
    combo.Display_Index(2);
    control->Add_Column(combo, true);
    ASSERT_EQ(editor.ListCount(), 1);
    EXPECT_EQ(editor.List(0), "One");
    EXPECT_EQ(editor.Left(), Internals_Of(*control).ComboEditor()(2).Left())
        << "its place is restored";
}

TEST_F(Control_Test, ClearGridUndoesColumnsWidgetsAndInterception) {
    Add(ComboBox);
    Add(ComboBox);
    Add(PopUp);
    ASSERT_EQ(Internals_Of(*control).ComboEditor().Count(), 3u);
    ASSERT_EQ(platform.windows.Property_Count(), 4u);
    control->Clear_Grid();
    EXPECT_EQ(Internals_Of(*control).ComboEditor().Count(), 1u);
    EXPECT_EQ(platform.windows.Property_Count(), 0u);
    EXPECT_EQ(platform.windows.Replaced_Count(), 0u);
    EXPECT_EQ(Internals_Of(*control).Combo_Old_Window_Procedure(1), 0);
    EXPECT_EQ(grid().Rows(), 1);
    EXPECT_EQ(grid().Cols(), 1);
    EXPECT_EQ(Internals_Of(*control).Column_Properties().Upper(2), 0);
    Add(ComboBox);
    EXPECT_EQ(Internals_Of(*control).ComboEditor().Count(), 2u) << "column 1 can be loaded again";
}

TEST_F(Control_Test, DestructionRemovesEveryInterception) {
    Add(ComboBox);
    Add(ComboBox);
    EXPECT_EQ(platform.windows.Replaced_Count(), 4u);
    control.reset();
    EXPECT_EQ(platform.windows.Property_Count(), 0u);
    EXPECT_EQ(platform.windows.Replaced_Count(), 0u);
}

TEST_F(Control_Test, ColumnsAboveTheInterceptionLimitStillWork) {
    control->Add_Column(*std::make_unique<vekColumn>());  // column 1
    for (int i = 2; i <= 1001; ++i) {
        vekColumn column;
        control->Add_Column(column);
    }
    vekColumn combo;
    combo.Editor_Type(ComboBox);
    combo.ComboBox_List("a,b");
    control->Add_Column(combo);
    int j = Internals_Of(*control).Column_Properties().Upper(2);
    ASSERT_GT(j, 1000);
    EXPECT_EQ(Internals_Of(*control).ComboEditor()(j).ListCount(), 2);
    EXPECT_EQ(platform.windows.Property_Count(), 0u);
}

TEST_F(Control_Test, DividerColumnHasNoTitleAndTheControlsBackColour) {
    Add();
    grid().Rows(3);
    Add(Divider, "ignored");
    EXPECT_EQ(grid().TextMatrix(0, 2), "");
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(grid().Look(r, 2).back, Internals_Of(*control).Control_Back_Color());
}

TEST_F(Control_Test, CheckBoxColumnStartsUntickedAndEditColumnUnticksAgain) {
    Add();
    grid().Rows(4);
    vekColumn& box = Add(CheckBox);
    for (int r = 1; r <= 3; ++r) {
        EXPECT_EQ(grid().TextMatrix(r, 2), "0");
        auto look = grid().Look(r, 2);
        EXPECT_EQ(look.picture, Internals_Of(*control).CheckBox_Off().Picture());
        EXPECT_EQ(look.fore, look.back) << "the stored text does not show";
        EXPECT_EQ(look.picture_alignment, Align::Center);
    }
    grid().TextMatrix(2, 2, "1");
    box.Display_Index(2);
    control->Add_Column(box, true);
    EXPECT_EQ(grid().TextMatrix(2, 2), "0");
    EXPECT_EQ(grid().Look(2, 2).picture, Internals_Of(*control).CheckBox_Off().Picture());
}

TEST_F(Control_Test, EditColumnOutsideTheTableReachesTheHost) {
    Add();
    vekColumn column;
    column.Display_Index(7);
    EXPECT_THROW(control->Add_Column(column, true), Subscript_Out_Of_Range);
    EXPECT_FALSE(Internals_Of(*control).Updating_Grid())
        << "the call fails before it changes anything";
    EXPECT_EQ(grid().Cols(), 2);
}

TEST_F(Control_Test, DisablingGreysEveryNonDividerCellAndEnablingRestoresTheBanding) {
    Add();
    grid().Rows(4);
    Add(Divider);
    Add();
    control->Enabled(false);
    EXPECT_FALSE(control->Enabled());
    for (int r = 0; r < 4; ++r) {
        for (int c : {0, 1, 3}) EXPECT_EQ(grid().Look(r, c).back, Colors::Inactive_Border);
        EXPECT_EQ(grid().Look(r, 2).back, Internals_Of(*control).Control_Back_Color());
    }
    EXPECT_FALSE(Internals_Of(*control).TextEditor().Visible());
    control->Enabled(true);
    EXPECT_EQ(grid().Look(0, 1).back, Colors::Header);
    EXPECT_EQ(grid().Look(1, 1).back, kOdd);
    EXPECT_EQ(grid().Look(2, 3).back, kEven);
    EXPECT_EQ(grid().Look(1, 2).back, Internals_Of(*control).Control_Back_Color());
    EXPECT_EQ(grid().ColWidth(0), 500);
}

TEST_F(Control_Test, ResizingWithColumnsWiderThanTheGridUnfreezesColumnOne) {
    for (int i = 0; i < 4; ++i) Add();
    control->Rows(3);
    control->Resize(3000, 2000);
    grid().Row(2);
    grid().Col(4);
    grid().LeftCol(3);  // column 1 scrolls out of view and freezes
    ASSERT_EQ(grid().FixedCols(), 2);
    ASSERT_TRUE(grid().Look(1, 1).font.bold);
    Add();  // a new column makes column 1 a plain column again, still grey and bold
    ASSERT_EQ(grid().FixedCols(), 1);
    grid().LeftCol(1);
    control->Resize(3000, 2000);
    EXPECT_EQ(grid().Width(), 3000);
    EXPECT_EQ(grid().Height(), 2000);
    EXPECT_EQ(grid().FixedCols(), 1);
    EXPECT_EQ(grid().Look(1, 1).fore, Colors::Black);
    EXPECT_FALSE(grid().Look(2, 1).font.bold);
    EXPECT_EQ(grid().Row(), 2);

    // A column 1 that is not frozen keeps what the host gave it, and a resize costs no pass
    // over the rows.
    control->Cell_Font_Color(2, 1, Variant(std::int32_t{0x0000FF}));
    control->Resize(3001, 2000);
    EXPECT_EQ(grid().Look(2, 1).fore, 0x0000FFu);
    control->Resize(20000, 2000);  // everything fits
    EXPECT_EQ(grid().Look(2, 1).fore, 0x0000FFu);
}

TEST_F(Control_Test, TypedFormulaIsCommittedAndReportedOnTheNextCell) {
    vekColumn formula;
    formula.Allow_Formula_Input(true);
    grid().Rows(3);
    Add();
    control->Add_Column(formula);
    events.lines.clear();
    Type_Into(1, 2, "=2*3");
    EXPECT_TRUE(Internals_Of(*control).TextEditor().Visible());
    EXPECT_EQ(Internals_Of(*control).TextEditor().Left(), grid().CellLeft());
    events.lines.clear();
    grid().Row(2);
    EXPECT_EQ(grid().TextMatrix(1, 2), "6");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 2), "=2*3");
    EXPECT_EQ(events.lines,
              (std::vector<std::string>{"LeaveCell", "EnterCell", "CellChanged(,=2*3,1,2)"}));
    // Coming back shows the source, and leaving it unchanged reports nothing.
    grid().Row(1);
    EXPECT_EQ(Internals_Of(*control).TextEditor().Text(), "=2*3");
    events.lines.clear();
    grid().Row(2);
    EXPECT_EQ(events.lines, (std::vector<std::string>{"LeaveCell", "EnterCell"}));
}

TEST_F(Control_Test, LengthsAndPlainTextAreCommittedAsTyped) {
    vekColumn formula;
    formula.Allow_Formula_Input(true);
    grid().Rows(3);
    control->Add_Column(formula);
    Add();
    Type_Into(1, 1, "5'-3-1/2\"");
    Type_Into(1, 2, "=2*3");  // a text column keeps formulas as text
    Type_Into(2, 1, "-4");    // a leading sign is no length
    grid().Row(1);
    EXPECT_EQ(grid().TextMatrix(1, 1), "63.5");
    EXPECT_EQ(grid().TextMatrix(1, 2), "=2*3");
    EXPECT_EQ(grid().TextMatrix(2, 1), "-4");
    EXPECT_TRUE(platform.messages.calls.empty());
}

TEST_F(Control_Test, EquationMaskFollowsResizes) {
    control->Resize_Equation_Mask(2, 2);
    Internals_Of(*control).TextEditor().Text("=1");
    control->Update_Grid_Equation_Mask(1, 1);
    Internals_Of(*control).TextEditor().Text("=4");
    control->Update_Grid_Equation_Mask(2, 2);
    control->Resize_Equation_Mask(2, 2);
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 1), "=1");
    control->Resize_Equation_Mask(4, 3);
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 1), "=1");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(2, 2), "=4");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(4, 3), "");
    control->Resize_Equation_Mask(1, 1);
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 1), "=1");
    EXPECT_THROW(Internals_Of(*control).Equation_Mask().Get(2, 2), Subscript_Out_Of_Range);
    control->Resize_Equation_Mask(0, 5);
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Rows(), 1);
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 1), "");
}

TEST_F(Control_Test, EquationMaskInsertAndDeletePositionsOpenAndCloseRowsAndColumns) {
    // A host reshapes the store alone, over a grid whose cells hold other texts.
    for (int k = 0; k < 3; ++k) Add();
    control->Rows(6);
    auto fill = [&] {
        control->Resize_Equation_Mask(5, 3);
        for (int r = 1; r <= 5; ++r)
            for (int c = 1; c <= 3; ++c) {
                grid().TextMatrix(r, c, "cell");
                Internals_Of(*control).TextEditor().Text(std::to_string(r) + std::to_string(c));
                control->Update_Grid_Equation_Mask(r, c);
            }
    };
    const auto& mask = Internals_Of(*control).Equation_Mask();
    fill();
    control->Resize_Equation_Mask(6, 3, 3);
    EXPECT_EQ(mask.Get(2, 1), "21");
    EXPECT_EQ(mask.Get(3, 1), "");
    EXPECT_EQ(mask.Get(4, 2), "32");
    EXPECT_EQ(mask.Get(6, 3), "53") << "past the grid's rows";

    fill();
    control->Resize_Equation_Mask(4, 3, 0, 0, 3);
    EXPECT_EQ(mask.Get(2, 2), "22");
    EXPECT_EQ(mask.Get(3, 2), "42");
    EXPECT_EQ(mask.Get(4, 3), "53");

    fill();
    control->Resize_Equation_Mask(5, 4, 0, 2);
    EXPECT_EQ(mask.Get(1, 1), "11");
    EXPECT_EQ(mask.Get(1, 2), "");
    EXPECT_EQ(mask.Get(1, 3), "12");
    EXPECT_EQ(mask.Get(5, 4), "53");
    control->Resize_Equation_Mask(5, 3, 0, 0, 0, 2);
    EXPECT_EQ(mask.Get(1, 2), "12");
    EXPECT_EQ(mask.Get(4, 3), "43");
    EXPECT_EQ(grid().TextMatrix(4, 3), "cell") << "the cells keep their texts";
}

TEST_F(Control_Test, VariableChangeRecomputesOnlyFormulaCellsThatUseVariables) {
    vekColumn with_variables;
    with_variables.Allow_Formula_Input(true);
    with_variables.Allow_User_Defined_Variables(true);
    vekColumn without;
    without.Allow_Formula_Input(true);
    grid().Rows(3);
    control->Add_Column(with_variables);
    control->Add_Column(without);
    control->Resize_Equation_Mask(2, 2);
    for (auto [r, c, text] : {std::tuple{1, 1, "='x'*2"}, {1, 2, "='x'*3"}}) {
        Internals_Of(*control).TextEditor().Text(text);
        control->Update_Grid_Equation_Mask(static_cast<std::int16_t>(r),
                                           static_cast<std::int16_t>(c));
        grid().TextMatrix(r, c, "old");
    }
    grid().TextMatrix(2, 1, "plain");
    auto table = std::make_shared<Variant_Array>(0, 2, 0, 1);
    (*table)(1, 1) = "x";
    (*table)(2, 1) = "4";
    control->Update_User_Defined_Variable_List(Variant(Array_Ref(table)));
    EXPECT_EQ(grid().TextMatrix(1, 1), "8");
    EXPECT_EQ(grid().TextMatrix(1, 2), "old");
    EXPECT_EQ(grid().TextMatrix(2, 1), "plain");
    EXPECT_TRUE(grid().Visible());
    (*table)(2, 1) = "5";  // the control keeps its own copy
    EXPECT_EQ((*control->User_Defined_Variable_Array.To_Array())(2, 1).To_Text(), "4");
}

}  // namespace
}  // namespace vekgrid::testing
