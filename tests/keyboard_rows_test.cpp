#include <gtest/gtest.h>

#include "support/control_fixture.h"

namespace vekgrid::testing {
namespace {

using Lines = std::vector<std::string>;
constexpr int kEnter = 13, kLeft = 37, kUp = 38, kRight = 39, kDown = 40;
constexpr Color kOdd = 0xCFFFFF, kEven = 0xFFFFFF;

class Keyboard_Test : public Control_Test {
  protected:
    Keyboard_Test() {
        control->Show();
        vekColumn formula;
        formula.Allow_Formula_Input(true);
        control->Add_Column(formula);
        Add(TextBox, "B");
        Add(TextBox, "C");
        control->Rows(4);
        grid().Row(1);
        grid().Col(1);
        events.lines.clear();
    }
    void Key(int code, int shift = 0) {
        std::int16_t k = static_cast<std::int16_t>(code);
        Internals_Of(*control).UserControl_KeyDown(k, static_cast<std::int16_t>(shift));
    }
    void Type(const std::string& text) { Type_Keys(text); }
    std::string Cell() { return std::to_string(grid().Row()) + "," + std::to_string(grid().Col()); }
};

TEST_F(Keyboard_Test, EnterCommitsAFormulaAndMovesRight) {
    Type("=2*3");
    Key(kEnter);
    EXPECT_EQ(Cell(), "1,2");
    EXPECT_EQ(grid().TextMatrix(1, 1), "6");
    EXPECT_EQ(events.lines, (Lines{"LeaveCell", "EnterCell", "CellChanged(,=2*3,1,1)"}));
    EXPECT_EQ(Internals_Of(*control).Last_Direction(), "Right");
}

TEST_F(Keyboard_Test, ArrowsMoveOverUsableCellsAndWrapAtTheRowEnd) {
    control->Rows(5);  // data rows 1 to 4
    grid().Row(1);
    grid().Col(1);
    Key(kRight);
    Key(kRight);
    EXPECT_EQ(Cell(), "1,3");
    Key(kRight);  // from the last column to column 1 of the next row
    EXPECT_EQ(Cell(), "2,1");
    Key(kLeft);  // left wraps within the row
    EXPECT_EQ(Cell(), "2,3");
    grid().RowHeight(3, 0);
    Key(kDown);
    EXPECT_EQ(Cell(), "4,3") << "a hidden row is skipped";
    Key(kDown);
    EXPECT_EQ(Cell(), "4,3") << "nothing below the last row";
    Key(kUp);
    EXPECT_EQ(Cell(), "2,3");
    control->Set_Cell_Color(1, 3, grid().BackColor());
    Key(kUp);
    EXPECT_EQ(Cell(), "2,3") << "a blocked cell is no target";
}

TEST_F(Keyboard_Test, TheCaretKeepsArrowsInsideTheText) {
    Type("abc");
    Internals_Of(*control).TextEditor().SelStart(1);
    Key(kRight);
    Key(kLeft);
    EXPECT_EQ(Cell(), "1,1") << "the caret is inside the text";
    Internals_Of(*control).TextEditor().SelStart(3);
    Key(kRight);
    EXPECT_EQ(Cell(), "1,2");
}

TEST_F(Keyboard_Test, EnterInTheLastCellAddsARow) {
    grid().Row(3);
    grid().Col(3);
    events.lines.clear();
    Key(kEnter);
    EXPECT_EQ(grid().Rows(), 5);
    EXPECT_EQ(Cell(), "4,1");
    EXPECT_EQ(grid().TextMatrix(4, 0), "4");
    EXPECT_EQ(grid().Look(4, 2).back, kEven);
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Rows(), 4);
    ASSERT_FALSE(events.lines.empty());
    EXPECT_NE(std::find(events.lines.begin(), events.lines.end(), "RowAdded(4)"),
              events.lines.end());
}

TEST_F(Keyboard_Test, ChangesRowAddsARowOnTheLastRowEvenWithoutNewRows) {
    control->Return_Key_Behavior(Changes_Row);
    control->Allow_New_Rows(false);
    Key(kEnter);
    EXPECT_EQ(Cell(), "2,1") << "Enter moves down";
    grid().Row(3);
    Key(kEnter);
    EXPECT_EQ(grid().Rows(), 5);
    EXPECT_EQ(events.lines.back(), "EnterCell");
}

TEST_F(Keyboard_Test, AltDAsksBeforeDeleting) {
    grid().TextMatrix(2, 2, "second");
    grid().Row(2);
    platform.messages.answers = {Msg::No};
    Key('D', 4);
    ASSERT_EQ(platform.messages.calls.size(), 1u);
    EXPECT_EQ(platform.messages.calls[0].text, "Are you sure you want to delete this row?");
    EXPECT_EQ(platform.messages.calls[0].title, "Delete Row?");
    EXPECT_EQ(platform.messages.calls[0].style, 4132);
    EXPECT_EQ(grid().Rows(), 4);
    platform.messages.answers = {Msg::Yes};
    Key('D', 4);
    EXPECT_EQ(grid().Rows(), 3);
    EXPECT_NE(grid().TextMatrix(2, 2), "second");
    for (int r = 1; r < 3; ++r) EXPECT_EQ(grid().TextMatrix(r, 0), std::to_string(r));
}

TEST_F(Keyboard_Test, AltWithCtrlOrOnAReadOnlyGridIsAnOrdinaryKey) {
    Key('D', 4 | 2);
    control->ReadOnly(true);
    Key('D', 4);
    control->ReadOnly(false);
    control->Allow_Shortcut_Keys = false;
    Key('D', 4);
    EXPECT_TRUE(platform.messages.calls.empty());
    EXPECT_EQ(grid().Rows(), 4);
}

TEST_F(Keyboard_Test, AltNAddsARowUnderTheCurrentOne) {
    grid().TextMatrix(2, 2, "was two");
    control->TextMatrix(2, 2, "was two");
    Key('N', 4);
    EXPECT_EQ(grid().Rows(), 5);
    EXPECT_EQ(grid().TextMatrix(3, 2), "was two");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(3, 2), "was two")
        << "the mask moved with its row";
    EXPECT_EQ(grid().TextMatrix(3, 0), "3") << "rows renumbered";
    EXPECT_EQ(events.lines.back(), "RowAdded(2)");
}

TEST_F(Keyboard_Test, ReadOnlyColumnsTakeNoTyping) {
    vekColumn locked;
    locked.ReadOnly(true);
    locked.Display_Index(2);
    control->Add_Column(locked, true);
    grid().Col(2);
    std::int16_t letter = 'x';
    Internals_Of(*control).UserControl_KeyPress(letter);
    EXPECT_EQ(letter, 0);
    std::int16_t arrow = kRight;
    Internals_Of(*control).UserControl_KeyPress(arrow);
    EXPECT_EQ(arrow, kRight);
    std::int16_t enter = kEnter;
    grid().Col(1);
    Internals_Of(*control).UserControl_KeyPress(enter);
    EXPECT_EQ(enter, 0) << "Enter never reaches an editor";
}

TEST_F(Keyboard_Test, SpaceTogglesACheckBox) {
    vekColumn box;
    box.Editor_Type(CheckBox);
    box.Display_Index(3);
    control->Add_Column(box, true);
    grid().Col(3);
    events.lines.clear();
    Key(32);
    EXPECT_EQ(grid().TextMatrix(1, 3), "1");
    EXPECT_EQ(events.lines, (Lines{"CellChanged(0,1,1,3)"}));
    Key(32);
    EXPECT_EQ(grid().TextMatrix(1, 3), "0");
}

TEST_F(Keyboard_Test, PageKeysJumpTwentyRowsToTheNearestUsableOne) {
    control->Rows(60);
    grid().Row(1);
    Key(34);
    EXPECT_EQ(grid().Row(), 21);
    grid().RowHeight(41, 0);
    Key(34);
    EXPECT_EQ(grid().Row(), 42);
    Key(33);
    EXPECT_EQ(grid().Row(), 22);
    Key(33);
    EXPECT_EQ(grid().Row(), 2);
    Key(33);
    EXPECT_EQ(grid().Row(), 1);
}

TEST_F(Keyboard_Test, OpenListsTakeUpAndDown) {
    vekColumn combo;
    combo.Editor_Type(ComboBox);
    combo.ComboBox_List("a,b,c");
    control->Add_Column(combo);
    grid().Col(4);
    Combo_Box& editor = Internals_Of(*control).ComboEditor()(4);
    ASSERT_TRUE(editor.Dropped_Down());
    Key(kDown);
    EXPECT_EQ(editor.ListIndex(), 1);
    EXPECT_EQ(grid().Row(), 1);
    Key(kDown);
    Key(kDown);
    EXPECT_EQ(editor.ListIndex(), 2);
    EXPECT_EQ(platform.sent_keys, (std::vector<std::string>{"{DOWN}"}));
    Key(kDown);  // the simulated key comes back and is skipped once
    EXPECT_EQ(editor.ListIndex(), 2);
}

TEST_F(Keyboard_Test, TabAndShiftTabMoveColumns) {
    Internals_Of(*control).Tab_Focus(3).SetFocus();  // Tab
    EXPECT_EQ(Cell(), "1,2");
    Internals_Of(*control).Tab_Focus(2).SetFocus();  // Shift+Tab
    EXPECT_EQ(Cell(), "1,1");
    EXPECT_EQ(control->pppKeyboardProc(1, 2, 3), 0);
}

TEST_F(Keyboard_Test, TabbingInPutsTheFocusBackInADropDown) {
    vekColumn combo;
    combo.Editor_Type(ComboBox);
    combo.ComboBox_List("a,b");
    control->Add_Column(combo);
    grid().Col(4);
    Internals_Of(*control).Tab_Focus(1).SetFocus();
    EXPECT_EQ(platform.Focused(), &Internals_Of(*control).ComboEditor()(4));
}

TEST_F(Keyboard_Test, ClosingTheFormMidEditReportsTheChange) {
    Type("=1+1");
    events.lines.clear();
    platform.form.Close();
    EXPECT_EQ(grid().TextMatrix(1, 1), "2");
    EXPECT_EQ(events.lines, (Lines{"CellChanged(,=1+1,1,1)"}));
    events.lines.clear();
    Internals_Of(*control).UserControl_EnterFocus();
    EXPECT_TRUE(Internals_Of(*control).Control_Has_Focus());
    Internals_Of(*control).UserControl_ExitFocus();  // nothing changed since
    EXPECT_FALSE(Internals_Of(*control).Control_Has_Focus());
    EXPECT_TRUE(events.lines.empty());
}

TEST_F(Keyboard_Test, TimerBlinksThePopUpButton) {
    vekColumn popup;
    popup.Editor_Type(PopUp);
    control->Add_Column(popup);
    grid().Col(4);
    Command_Button& button = Internals_Of(*control).PopUpEditor()(4);
    Internals_Of(*control).Timer1().Tick();
    EXPECT_EQ(button.BackColor(), 0x00FF00u);
    Internals_Of(*control).Timer1().Tick();
    EXPECT_EQ(button.BackColor(), Colors::Button_Face);
}

class Clipboard_Test : public Keyboard_Test {
  protected:
    struct Paste_Host : vekGRID_Events {
        void BeforeRowPaste(double&, Variant& data) override {
            if (change) (*data.To_Array())(0, 2) = "changed";
            seen = data;
        }
        void RowPasted(double& copied, double& pasted) override {
            lines.push_back("RowPasted(" + std::to_string(int(copied)) + "," +
                            std::to_string(int(pasted)) + ")");
        }
        void BeforeRowDelete(double& r) override {
            lines.push_back("BeforeRowDelete(" + std::to_string(int(r)) + ")");
        }
        void RowDeleted(double& r) override {
            lines.push_back("RowDeleted(" + std::to_string(int(r)) + ")");
        }
        bool change = false;
        Variant seen;
        Lines lines;
    } host;
    Clipboard_Test() {
        control->Add_Listener(host);
        control->TextMatrix(1, 1, "=2*5");
        control->TextMatrix(1, 2, "one");
        control->TextMatrix(2, 2, "two");
        control->TextMatrix(3, 2, "three");
    }
};

TEST_F(Clipboard_Test, CopyPasteCarriesFormulas) {
    grid().Row(1);
    control->Copy_Row();
    grid().Row(3);
    control->Paste_Row();
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(3, 1), "=2*5");
    EXPECT_EQ(grid().TextMatrix(3, 2), "one");
    EXPECT_EQ(host.lines, (Lines{"RowPasted(1,3)"}));
    EXPECT_EQ(host.seen.To_Array()->Upper(2), 3)
        << "a field per data column after the leading empty one";
}

// A Tab inside an entry (a file loaded with semicolons, a host's text) is no field break.
TEST_F(Clipboard_Test, EveryRowCommandKeepsAnEntryThatHoldsATab) {
    control->TextMatrix(2, 1, "0.\t19");
    control->TextMatrix(2, 2, "two\tparts");
    control->TextMatrix(2, 3, "last");
    const std::vector<std::string> row{"0.\t19", "two\tparts", "last"};
    auto entries = [&](int r) {
        return std::vector<std::string>{Internals_Of(*control).Equation_Mask().Get(r, 1),
                                        grid().TextMatrix(r, 2), grid().TextMatrix(r, 3)};
    };
    grid().Row(2);
    control->Copy_Row();
    grid().Row(3);
    control->Paste_Row();
    EXPECT_EQ(entries(3), row) << "pasted";
    EXPECT_EQ(host.seen.To_Array()->Upper(2), 3) << "the host still sees one field a column";
    grid().Row(1);
    control->Insert_Copied_Row();
    EXPECT_EQ(entries(2), row) << "inserted";
    control->Copy_Row_To_New_Row(2, 5);
    EXPECT_EQ(entries(5), row) << "copied to a new row";
    // Passing through the cell with its editor commits nothing new: the host's Tab stays.
    grid().Row(5);
    grid().Col(2);
    grid().Col(3);
    EXPECT_EQ(entries(5), row) << "passed through";
}

TEST_F(Clipboard_Test, TheHostMayChangeThePastedData) {
    host.change = true;
    grid().Row(1);
    control->Copy_Row();
    grid().Row(2);
    control->Paste_Row();
    EXPECT_EQ(grid().TextMatrix(2, 2), "changed");
}

TEST_F(Clipboard_Test, PasteWithNothingCopiedOnlyReports) {
    grid().Row(0);
    control->Copy_Row();  // the header empties the buffer
    grid().Row(2);
    control->Paste_Row();
    EXPECT_EQ(grid().TextMatrix(2, 2), "two");
    EXPECT_EQ(host.lines, (Lines{"RowPasted(0,2)"}));
}

TEST_F(Clipboard_Test, CutAndInsertCopiedMoveARow) {
    grid().Row(1);
    control->Cut_Row();
    EXPECT_EQ(grid().Rows(), 3);
    EXPECT_EQ(grid().TextMatrix(1, 2), "two");
    EXPECT_EQ(grid().TextMatrix(2, 0), "2");
    EXPECT_EQ(host.lines, (Lines{"BeforeRowDelete(1)", "RowDeleted(1)"}));
    grid().Row(2);
    control->Insert_Copied_Row();
    EXPECT_EQ(grid().Rows(), 4);
    EXPECT_EQ(grid().TextMatrix(3, 2), "one");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(3, 1), "=2*5");
    EXPECT_EQ(grid().TextMatrix(3, 1), "10") << "an inserted formula shows its value";
    control->Copy_Row_To_New_Row(1, 4);
    EXPECT_EQ(grid().Rows(), 5);
    EXPECT_EQ(grid().TextMatrix(4, 2), "two");
    control->Copy_Row_To_New_Row(9, 1);  // out of range: nothing
    EXPECT_EQ(grid().Rows(), 5);
}

TEST_F(Clipboard_Test, DeletingRowsKeepsMaskAndCurrentCell) {
    grid().Row(2);
    grid().Col(2);
    control->Delete_Row(1, true);
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 2), "two");
    EXPECT_EQ(grid().Row(), 1) << "the current cell stays on its row";
    EXPECT_EQ(Internals_Of(*control).TextEditor().Text(), "two");
    control->Delete_Row(2, false);
    EXPECT_EQ(grid().Rows(), 2);
    control->Delete_Row(1);
    EXPECT_EQ(grid().Rows(), 1);
    EXPECT_EQ(host.lines.back(), "RowDeleted(1)");
    control->Delete_Row(1);  // nothing left to delete
    EXPECT_EQ(host.lines.size(), 6u);
    control->RemoveItem(0);
    EXPECT_EQ(host.lines.size(), 6u);
}

TEST_F(Clipboard_Test, AddItemCommitsFirstAndShiftsTheMask) {
    grid().Row(2);
    grid().Col(2);
    Type("!");
    events.lines.clear();
    control->AddItem("\tnew\tfresh", Variant(std::int32_t{2}));
    EXPECT_EQ(grid().TextMatrix(2, 1), "new");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(2, 2), "fresh");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(3, 2), "two!");
    ASSERT_GE(events.lines.size(), 2u);
    EXPECT_EQ(events.lines[0], "LeaveCell");
    EXPECT_EQ(events.lines[1], "CellChanged(two,two!,2,2)");
    EXPECT_EQ(events.lines.back(), "RowAdded(2)");
    control->AddItem("\tlast");
    EXPECT_EQ(grid().TextMatrix(grid().Rows() - 1, 1), "last");
    EXPECT_EQ(grid().TextMatrix(grid().Rows() - 1, 0), std::to_string(grid().Rows() - 1));
}

TEST_F(Keyboard_Test, HidingRowsKeepsTheBandingOverTheRowsThatShow) {
    control->Rows(5);
    grid().Row(2);
    control->Hide_Row(2);
    EXPECT_EQ(grid().Row(), 3) << "the current row moves to the next one that shows";
    EXPECT_EQ(grid().Look(1, 1).back, kOdd);
    EXPECT_EQ(grid().Look(3, 1).back, kEven);
    EXPECT_EQ(grid().Look(4, 1).back, kOdd);
    grid().Row(4);
    control->Hide_Row(4);
    EXPECT_EQ(grid().Row(), 3) << "or above when none shows below";
    grid().RowHeight(1, 600);
    control->Show_All_Rows();
    for (int r = 1; r < 5; ++r) {
        EXPECT_EQ(grid().RowHeight(r), 240);
        EXPECT_EQ(grid().Look(r, 1).back, r % 2 ? kOdd : kEven);
    }
    control->Hide_All_Rows();
    for (int r = 1; r < 5; ++r) EXPECT_EQ(grid().RowHeight(r), 0);
    EXPECT_FALSE(Internals_Of(*control).TextEditor().Visible());
}

}  // namespace
}  // namespace vekgrid::testing
