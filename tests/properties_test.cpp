#include <gtest/gtest.h>

#include "support/control_fixture.h"
#include "vekgrid/common/errors.h"

namespace vekgrid::testing {
namespace {

constexpr Color kOdd = 0xCFFFFF, kEven = 0xFFFFFF;

class Properties_Test : public Control_Test {
  protected:
    Properties_Test() {
        control->On_Property_Changed = [this](const std::string& name) { marked.push_back(name); };
    }
    std::vector<std::string> marked;
};

TEST_F(Properties_Test, RowsPutFormatsEveryNewRow) {
    Add(TextBox, "A");
    vekColumn box;
    box.Editor_Type(CheckBox);
    control->Add_Column(box);
    control->Rows(3);
    control->Rows(6);
    EXPECT_EQ(control->Rows(), 6);
    for (int r = 1; r < 6; ++r) {
        if (r >= 3) {
            EXPECT_EQ(grid().TextMatrix(r, 0), std::to_string(r)) << "new row " << r;
        }
        EXPECT_EQ(grid().Look(r, 1).back, r % 2 ? kOdd : kEven) << r;
        EXPECT_EQ(grid().Look(r, 0).back, Colors::Header) << r;
        EXPECT_TRUE(grid().Look(r, 0).font.bold);
        EXPECT_EQ(grid().Look(r, 2).picture, Internals_Of(*control).CheckBox_Off().Picture()) << r;
    }
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Rows(), 5);
    EXPECT_EQ(marked.back(), "Rows");
    EXPECT_TRUE(grid().Visible());
}

TEST_F(Properties_Test, RowsPutEarlyReturns) {
    control->Rows(4);
    EXPECT_EQ(grid().Rows(), 1) << "no column yet: nothing changes";
    Add();
    control->Rows(4);
    marked.clear();
    control->Rows(4);
    EXPECT_TRUE(marked.empty()) << "the same count on 3 or more rows does nothing";
    control->Rows(2);
    EXPECT_EQ(grid().Rows(), 2);
    EXPECT_EQ(grid().Row(), 1);
    EXPECT_TRUE(platform.messages.calls.empty());
}

TEST_F(Properties_Test, RowsPutFailureShowsItsMessage) {
    Add();
    control->Rows(3);
    control->Rows(0);
    ASSERT_EQ(platform.messages.calls.size(), 1u);
    EXPECT_EQ(platform.messages.calls[0].text,
              "An error occured in the Rows Let function:\r\nInvalid Row value");
    EXPECT_EQ(platform.messages.calls[0].title, "VEKGrid Error");
    EXPECT_EQ(platform.messages.calls[0].style, Msg::Exclamation | Msg::System_Modal);
    EXPECT_EQ(grid().Rows(), 3);
    EXPECT_FALSE(Internals_Of(*control).Updating_Grid());
}

TEST_F(Properties_Test, TextMatrixPutKeepsMaskAndCheckBoxesInStep) {
    Add();
    vekColumn box;
    box.Editor_Type(CheckBox);
    control->Add_Column(box);
    control->Rows(3);
    control->TextMatrix(1, 2, "True");
    EXPECT_EQ(grid().TextMatrix(1, 2), "1");
    EXPECT_EQ(grid().Look(1, 2).picture, Internals_Of(*control).CheckBox_On().Picture());
    control->TextMatrix(2, 2, "yes");
    EXPECT_EQ(grid().TextMatrix(2, 2), "yes");
    EXPECT_EQ(grid().Look(2, 2).picture, Internals_Of(*control).CheckBox_Off().Picture());
    control->TextMatrix(1, 1, "hello");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 1), "hello");
    EXPECT_EQ(marked.back(), "TextMatrix");
}

TEST_F(Properties_Test, TextMatrixPutReevaluatesFormulaCellsWithVariables) {
    vekColumn formula;
    formula.Allow_Formula_Input(true);
    formula.Allow_User_Defined_Variables(true);
    control->Add_Column(formula);
    control->Rows(3);
    auto table = std::make_shared<Variant_Array>(0, 2, 0, 1);
    (*table)(1, 1) = "w";
    (*table)(2, 1) = "3";
    control->User_Defined_Variable_Array = Variant(Array_Ref(table));
    control->TextMatrix(1, 1, "='w'*2");
    EXPECT_EQ(grid().TextMatrix(1, 1), "6");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 1), "='w'*2");
}

TEST_F(Properties_Test, TextMatrixGetReadsWhatIsBeingTyped) {
    vekColumn formula;
    formula.Allow_Formula_Input(true);
    control->Add_Column(formula);
    control->Rows(3);
    Type_Into(2, 1, "=4/8");
    EXPECT_EQ(control->TextMatrix(2, 1), "0.5");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(2, 1), "=4/8");
    EXPECT_EQ(control->Focus_Cell_Text(), "0.5");
}

TEST_F(Properties_Test, CellTextSkipsDividersAndRefreshesTheEditor) {
    Add();
    Add(Divider);
    control->Rows(3);
    control->Cell_Text(1, 2, "lost");
    EXPECT_EQ(grid().TextMatrix(1, 2), "");
    Type_Into(1, 1, "");
    events.lines.clear();
    control->Cell_Text(1, 1, "new");
    EXPECT_EQ(Internals_Of(*control).TextEditor().Text(), "new");
    EXPECT_EQ(control->Cell_Text(1, 1), "new");
    EXPECT_TRUE(events.lines.empty()) << "refreshing the editor raises nothing";
}

TEST_F(Properties_Test, FocusCellTextWritesTheGridsCellAndReadsTheEditorsCell) {
    Add();
    Add();
    control->Rows(3);
    grid().TextMatrix(0, 0, "corner");
    Type_Into(2, 1, "");
    control->CurrentRow = 0;  // no editor active
    control->CurrentCol = 0;
    control->Focus_Cell_Text("written");
    EXPECT_EQ(grid().TextMatrix(2, 1), "written") << "put: the grid's current cell";
    EXPECT_EQ(control->Focus_Cell_Text(), "corner") << "get: the editor's cell";
    EXPECT_EQ(marked.back(), "Cell_Text");
}

TEST_F(Properties_Test, CurrentCellPutsRaiseNoEnterCell) {
    Add();
    Add();
    control->Rows(3);
    events.lines.clear();
    marked.clear();
    control->Current_Row(2);
    control->Current_Col(2);
    EXPECT_EQ(control->Current_Row(), 2);
    EXPECT_EQ(control->Current_Col(), 2);
    EXPECT_EQ(control->CurrentRow, 2);
    for (const auto& line : events.lines) EXPECT_NE(line, "EnterCell");
    EXPECT_EQ(marked, (std::vector<std::string>{"Current_Row", "Current_Col"}));
}

TEST_F(Properties_Test, ColWidthMovesTheTextEditorWithItsCell) {
    Add();
    Add();
    control->Rows(3);
    Type_Into(1, 2, "x");
    const int before = Internals_Of(*control).TextEditor().Left();
    control->ColWidth(1, 3000);
    EXPECT_EQ(Internals_Of(*control).TextEditor().Left(), before + 1500);
    EXPECT_EQ(grid().ColWidth(1), 3000);
    EXPECT_EQ(marked.back(), "ColWidth");
}

TEST_F(Properties_Test, GridFontChangesCellFontsOnly) {
    Add();
    control->Rows(3);
    Font font;
    font.name = "Arial";
    font.size = 12;
    font.italic = true;
    control->Grid_Font(font);
    EXPECT_EQ(grid().Look(2, 1).font, font);
    EXPECT_EQ(grid().Look(0, 0).font, font);
    EXPECT_EQ(grid().Font().name, "MS Sans Serif");
    EXPECT_TRUE(grid().Visible());
}

TEST_F(Properties_Test, SimpleSettersPassThroughAndMarkChanges) {
    control->GridColor(0x123456);
    control->BackColorFixed(0x654321);
    control->BackColor(0x00FF00);
    control->Font_Bold(true);
    control->RowHeight(0, 600);
    control->TextEditor_Text("typed");
    EXPECT_EQ(grid().GridColor(), 0x123456u);
    EXPECT_EQ(grid().BackColorFixed(), 0x654321u);
    EXPECT_EQ(grid().BackColorBkg(), 0x00FF00u);
    EXPECT_EQ(Internals_Of(*control).Control_Back_Color(), 0x00FF00u);
    EXPECT_TRUE(control->Font_Bold());
    EXPECT_EQ(control->RowHeight(0), 600);
    EXPECT_EQ(control->TextEditor_Text(), "typed");
    EXPECT_EQ(marked, (std::vector<std::string>{"GridColor", "BackColorFixed", "RowHeight",
                                                "TextEditor_Text"}));
}

TEST_F(Properties_Test, ColsPutResizesTheMaskButNotTheColumnTable) {
    Add();
    control->Rows(3);
    control->Cols(4);
    EXPECT_EQ(grid().Cols(), 4);
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Cols(), 3);
    EXPECT_EQ(Internals_Of(*control).Column_Properties().Upper(2), 1);
}

}  // namespace
}  // namespace vekgrid::testing
