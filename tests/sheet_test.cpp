#include <gtest/gtest.h>

#include <random>

#include "support/control_fixture.h"

namespace vekgrid::testing {
namespace {

using Lines = std::vector<std::string>;
constexpr int kShift = 1, kCtrl = 2, kAlt = 4;
constexpr int kSpace = 32, kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kDelete = 46;
enum { kItem = 1, kQty, kDone, kKind, kGap, kNote };

// Everything a user can see of the data: texts with labels, formula sources, check marks and
// the current cell.
struct Sheet_State {
    std::vector<std::vector<std::string>> texts, sources;
    std::vector<bool> ticks;
    int row = 0, col = 0;
    bool operator==(const Sheet_State&) const = default;
};

void PrintTo(const Sheet_State& s, std::ostream* os) {
    *os << "current " << s.row << "," << s.col << "\n";
    for (size_t r = 0; r < s.texts.size(); ++r) {
        for (const auto& t : s.texts[r]) *os << "[" << t << "]";
        if (r > 0 && r - 1 < s.sources.size())
            for (const auto& t : s.sources[r - 1]) *os << "{" << t << "}";
        *os << "\n";
    }
}

// A takeoff sheet: text, formula, check box, drop-down, divider and read-only columns.
class Sheet_Test : public Control_Test {
  protected:
    Sheet_Test() {
        Column(TextBox, "Item");
        Column(TextBox, "Qty", [](vekColumn& c) { c.Allow_Formula_Input(true); });
        Column(CheckBox, "Done");
        Column(ComboBox, "Kind", [](vekColumn& c) { c.ComboBox_List("a,b,c"); });
        Column(Divider, "");
        Column(TextBox, "Note", [](vekColumn& c) { c.ReadOnly(true); });
        control->Rows(5);
        const char* items[] = {"bolts", "nuts", "Washers", "anchors"};
        for (int r = 1; r <= 4; ++r) {
            control->Cell_Text(r, kItem, items[r - 1]);
            control->Cell_Text(r, kQty, std::to_string(10 * (5 - r)));
            control->Cell_Text(r, kNote, "n" + std::to_string(r));
        }
        Go(2, kQty);
        Internals_Of(*control).TextEditor().Text("=6*7");  // typed, so that it is evaluated
        Go(1, 1);
        events.lines.clear();
    }
    void Column(ColumnEditor kind, const std::string& title,
                const std::function<void(vekColumn&)>& setup = {}) {
        columns.push_back(std::make_unique<vekColumn>());
        vekColumn& column = *columns.back();
        column.Editor_Type(kind);
        column.Title(title);
        if (setup) setup(column);
        control->Add_Column(column);
    }
    void Key(int code, int shift = 0) {
        std::int16_t k = static_cast<std::int16_t>(code);
        Internals_Of(*control).UserControl_KeyDown(k, static_cast<std::int16_t>(shift));
    }
    // A click on a cell, as the view reports it.
    void Go(int row, int col) {
        grid().Row(row);
        grid().Col(col);
    }
    vekGRID::Cell_Range Range(int r1, int c1, int r2, int c2) { return {r1, c1, r2, c2}; }
    Sheet_State State() {
        Sheet_State s;
        for (int r = 0; r < grid().Rows(); ++r) {
            s.texts.emplace_back();
            for (int c = 0; c < grid().Cols(); ++c)
                s.texts.back().push_back(grid().TextMatrix(r, c));
            if (r > 0) {
                s.ticks.push_back(grid().Look(r, kDone).picture ==
                                  Internals_Of(*control).CheckBox_On().Picture());
                s.sources.emplace_back();
                for (int c = 1; c < grid().Cols(); ++c)
                    s.sources.back().push_back(Internals_Of(*control).Equation_Mask().Get(r, c));
            }
        }
        s.row = grid().Row(), s.col = grid().Col();
        return s;
    }
    void Put_On_Clipboard(const std::string& text) {
        platform.System_Clipboard().Set_Text(text, "");
    }
};

TEST_F(Sheet_Test, ShiftArrowsExtendFromTheCurrentCellAndAPlainMoveCollapses) {
    Go(2, 2);
    EXPECT_EQ(control->Selection(), Range(2, 2, 2, 2));
    Key(kDown, kShift);
    Key(kDown, kShift);
    Key(kRight, kShift);
    EXPECT_EQ(control->Selection(), Range(2, 2, 4, 3));
    EXPECT_EQ(grid().Row(), 2) << "the current cell stays the anchor";
    EXPECT_TRUE(control->Is_Selected(4, 3));
    EXPECT_FALSE(control->Is_Selected(1, 2));
    Key(kUp, kShift | kCtrl);
    EXPECT_EQ(control->Selection(), Range(1, 2, 2, 3)) << "Shift+Ctrl goes to the edge";
    Key(kLeft, kShift);
    EXPECT_EQ(control->Selection(), Range(1, 2, 2, 2));

    // The control's own select-then-format work neither shows nor disturbs the range.
    Key(kDown, kShift);
    const auto before = control->Selection();
    control->Row_Color(3, Variant::From_Unsigned(0x00FF00));
    control->Cell_Back_Color(4, 1, 0x123456);
    EXPECT_EQ(control->Selection(), before);

    Go(3, 2);
    EXPECT_EQ(control->Selection(), Range(3, 2, 3, 2)) << "a plain move collapses the range";

    Key('A', kCtrl);
    EXPECT_EQ(control->Selection(), Range(1, 1, 4, 6));
    control->Select_Rows(2, 3);
    EXPECT_EQ(control->Selection(), Range(2, 1, 3, 6));
    control->Select_Cols(4, 4);
    EXPECT_EQ(control->Selection(), Range(1, 4, 4, 4));
    control->Select_Range(9, 9, 0, 0);
    EXPECT_EQ(control->Selection(), Range(1, 1, 4, 6)) << "kept inside the data cells";
    EXPECT_EQ(grid().Row(), 4);
    EXPECT_EQ(grid().Col(), 6);
}

TEST_F(Sheet_Test, CopyGivesSpreadsheetTextWithQuotingAndFormulaValues) {
    control->Cell_Text(1, kItem, "tab\there");
    control->Cell_Text(3, kItem, "two\nlines");
    control->Cell_Text(4, kItem, "\"quoted\" start");
    control->Cell_Text(1, kKind, "say \"hi\"");  // a quote inside needs no quoting
    control->Select_Range(1, kItem, 4, kKind);
    EXPECT_EQ(control->Copy_Selection_Text(),
              "\"tab\there\"\t40\t\tsay \"hi\"\n"
              "nuts\t42\t\t\n"
              "\"two\nlines\"\t20\t\t\n"
              "\"\"\"quoted\"\" start\"\t10\t\t\n");
    EXPECT_NE(control->Selection_Html().find("<td>say &quot;hi&quot;</td>"), std::string::npos);

    Key('C', kCtrl);
    EXPECT_EQ(platform.System_Clipboard().Text(), control->Copy_Selection_Text());
    // The copied block pasted elsewhere gives the same cells back.
    control->Allow_New_Rows(true);
    Go(5 - 1, kItem);
    Key('V', kCtrl);
    ASSERT_EQ(grid().Rows(), 8);
    EXPECT_EQ(grid().TextMatrix(4, kItem), "tab\there");
    EXPECT_EQ(grid().TextMatrix(6, kItem), "two\nlines");
    EXPECT_EQ(grid().TextMatrix(7, kItem), "\"quoted\" start");
    EXPECT_EQ(grid().TextMatrix(4, kKind), "say \"hi\"");
}

TEST_F(Sheet_Test, PasteSkipsCellsThatTakeNothingAndRaisesChangesAfterwards) {
    control->Cell_Back_Color(2, kItem, grid().BackColor());  // a blocked cell
    struct Checker : vekGRID_Events {
        vekGRID* grid = nullptr;
        Lines seen;
        void CellChanged(std::string& before, std::string& after, double& row,
                         double& col) override {
            // By the first event every pasted cell is in.
            seen.push_back(before + ">" + after + "@" + std::to_string(int(row)) + "," +
                           std::to_string(int(col)) + " last=" + grid->Cell_Text(3, kQty));
        }
    } checker;
    checker.grid = control.get();
    control->Add_Listener(checker);
    Go(1, kItem);
    control->Paste_Text("A\t=2*3\tTrue\tzz\tgap\tnote\r\nB\t5\tmaybe\tb\r\nC\t7\t0\n");
    EXPECT_EQ(grid().TextMatrix(1, kItem), "A");
    EXPECT_EQ(grid().TextMatrix(1, kQty), "6");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, kQty), "=2*3") << "the source is kept";
    EXPECT_EQ(grid().TextMatrix(1, kDone), "1");
    EXPECT_EQ(grid().Look(1, kDone).picture, Internals_Of(*control).CheckBox_On().Picture());
    EXPECT_EQ(grid().TextMatrix(1, kKind), "zz") << "a drop-down takes any text";
    EXPECT_EQ(grid().TextMatrix(1, kGap), "") << "dividers take nothing";
    EXPECT_EQ(grid().TextMatrix(1, kNote), "n1") << "read-only cells keep theirs";
    EXPECT_EQ(grid().TextMatrix(2, kItem), "nuts") << "blocked cells keep theirs";
    EXPECT_EQ(grid().TextMatrix(2, kDone), "") << "a check box takes only 1/0/True/False";
    EXPECT_EQ(grid().TextMatrix(3, kQty), "7");
    EXPECT_EQ(grid().Rows(), 5) << "a last line break adds no row";
    EXPECT_EQ(control->Selection(), Range(1, 1, 3, 6));
    EXPECT_EQ(checker.seen, (Lines{"bolts>A@1,1 last=7", "40>=2*3@1,2 last=7", ">1@1,3 last=7",
                                   ">zz@1,4 last=7", "=6*7>5@2,2 last=7", ">b@2,4 last=7",
                                   "Washers>C@3,1 last=7", "20>7@3,2 last=7", ">0@3,3 last=7"}));
    control->Remove_Listener(checker);

    // Past the last row: rows are added only while Allow_New_Rows is on.
    control->Allow_New_Rows(false);
    Go(4, kItem);
    control->Paste_Text("x\ny\nz");
    EXPECT_EQ(grid().Rows(), 5);
    EXPECT_EQ(grid().TextMatrix(4, kItem), "x");
    control->Allow_New_Rows(true);
    events.lines.clear();
    control->Paste_Text("p\nq\nr");
    EXPECT_EQ(grid().Rows(), 7);
    EXPECT_EQ(grid().TextMatrix(6, kItem), "r");
    Lines added;
    for (const auto& line : events.lines)
        if (line.rfind("RowAdded", 0) == 0) added.push_back(line);
    EXPECT_EQ(added, (Lines{"RowAdded(5)", "RowAdded(6)"}));
    control->ReadOnly(true);
    control->Paste_Text("nothing");
    EXPECT_EQ(grid().TextMatrix(4, kItem), "p");
}

TEST_F(Sheet_Test, OneLineOfTextPastesIntoTheOpenEditorAndDeleteClearsARange) {
    Go(1, kItem);
    Put_On_Clipboard("single\n");
    std::int16_t key = 'V';
    Internals_Of(*control).UserControl_KeyDown(key, kCtrl);
    EXPECT_EQ(grid().TextMatrix(1, kItem), "bolts") << "left to the text box";
    Key(kDown, kShift);
    Key(kRight, kShift);
    Key(kRight, kShift);
    Key(kDelete);
    EXPECT_EQ(grid().TextMatrix(1, kItem), "");
    EXPECT_EQ(grid().TextMatrix(2, kQty), "");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(2, kQty), "");
    EXPECT_EQ(grid().TextMatrix(3, kItem), "Washers");
    Key('Z', kCtrl);
    EXPECT_EQ(grid().TextMatrix(1, kItem), "bolts");
    EXPECT_EQ(grid().TextMatrix(2, kQty), "42");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(2, kQty), "=6*7");
    Key('X', kCtrl);  // cut: copied, then cleared
    EXPECT_EQ(platform.System_Clipboard().Text(), "bolts\t40\t\nnuts\t42\t\n");
    EXPECT_EQ(grid().TextMatrix(2, kItem), "");
}

TEST_F(Sheet_Test, FillDownCopiesTheTopRowWithItsSourcesAsOneStep) {
    Go(1, kQty);
    Internals_Of(*control).TextEditor().Text("=1+1");
    Go(1, kItem);
    EXPECT_TRUE(control->Can_Undo());
    control->Cell_Text(4, kQty, "host");
    EXPECT_FALSE(control->Can_Undo()) << "a host's own write starts a fresh history";
    control->Select_Range(1, kItem, 3, kNote);
    Key('D', kCtrl);
    for (int r = 2; r <= 3; ++r) {
        EXPECT_EQ(grid().TextMatrix(r, kItem), "bolts");
        EXPECT_EQ(grid().TextMatrix(r, kQty), "2");
        EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(r, kQty), "=1+1");
        EXPECT_EQ(grid().TextMatrix(r, kNote), "n" + std::to_string(r)) << "read-only";
    }
    EXPECT_EQ(grid().TextMatrix(4, kItem), "anchors");
    EXPECT_EQ(grid().TextMatrix(4, kQty), "host");
    Key('Z', kCtrl);
    EXPECT_EQ(grid().TextMatrix(2, kItem), "nuts");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(2, kQty), "=6*7");
    EXPECT_FALSE(control->Can_Undo());
    EXPECT_EQ(grid().TextMatrix(1, kQty), "2") << "only the fill was undone";
}

// Each kind of step, undone and redone: the states before and after must come back exactly.
TEST_F(Sheet_Test, EveryKindOfStepUndoesAndRedoesExactly) {
    control->Allow_New_Rows(true);
    // setup moves to where the step starts; act is the step.
    auto check = [&](const std::string& what, const std::function<void()>& setup,
                     const std::function<void()>& act) {
        setup();
        const Sheet_State before = State();
        act();
        const Sheet_State after = State();
        EXPECT_NE(after, before) << what << " changed nothing";
        ASSERT_TRUE(control->Can_Undo()) << what;
        control->Undo();
        EXPECT_EQ(State(), before) << what << " undone";
        ASSERT_TRUE(control->Can_Redo()) << what;
        control->Redo();
        EXPECT_EQ(State(), after) << what << " redone";
        EXPECT_FALSE(control->Can_Redo());
    };
    check(
        "an edit", [&] { Go(2, kQty); },
        [&] {
            Internals_Of(*control).TextEditor().Text("=2*4");
            Key(kDown);
        });
    check(
        "a check box", [&] { Go(3, kDone); }, [&] { Key(kSpace); });
    check(
        "a drop-down pick", [&] { Go(1, kKind); },
        [&] {
            Internals_Of(*control).ComboEditor()(kKind).ListIndex(2);
            Go(2, kKind);
        });
    check(
        "a paste", [&] { Go(3, kItem); }, [&] { control->Paste_Text("x\t=5*5\n\ty\nz\n"); });
    check(
        "a clear", [&] { control->Select_Range(1, kItem, 2, kKind); }, [&] { Key(kDelete); });
    check(
        "a fill", [&] { control->Select_Range(2, kItem, 4, kQty); }, [&] { Key('D', kCtrl); });
    check(
        "a cut row", [&] { Go(2, kItem); }, [&] { Key('X', kAlt); });
    check(
        "a row paste",
        [&] {
            Go(1, kItem);
            Key('C', kAlt);
            Go(3, kItem);
        },
        [&] { Key('V', kAlt); });
    check(
        "an inserted row",
        [&] {
            Go(2, kItem);
            Key('C', kAlt);
        },
        [&] { Key('I', kAlt); });
    check(
        "a new row", [&] { Go(1, kItem); }, [&] { Key('N', kAlt); });
    check(
        "a deleted row", [&] { Go(3, kQty); },
        [&] {
            platform.messages.answers = {Msg::Yes};
            Key('D', kAlt);
        });
    check(
        "a sort", [] {}, [&] { control->Sort_Grid(kItem); });
    check(
        "a new row by Enter", [&] { Go(grid().Rows() - 1, kNote); }, [&] { Key(13); });
    check(
        "every row deleted in one host step", [] {},
        [&] {
            const vekGRID::Undo_Step step(*control);
            while (grid().Rows() > 1) control->Delete_Row(grid().Rows() - 1, true);
        });
}

TEST_F(Sheet_Test, WhatAHandlerWroteIsUndoneWithTheAction) {
    struct Host : vekGRID_Events {
        vekGRID* grid = nullptr;
        void CellChanged(std::string&, std::string& after, double& row, double&) override {
            grid->Cell_Text(static_cast<std::int32_t>(row), kItem, "changed to " + after);
        }
    } host;
    host.grid = control.get();
    control->Add_Listener(host);
    Go(2, kQty);
    const Sheet_State before = State();
    Internals_Of(*control).TextEditor().Text("7");
    Key(kDown);
    EXPECT_EQ(grid().TextMatrix(2, kItem), "changed to 7");
    Key('Z', kCtrl);
    EXPECT_EQ(State(), before);
    Key('Z', kCtrl | kShift);
    EXPECT_EQ(grid().TextMatrix(2, kItem), "changed to 7");
    EXPECT_EQ(grid().TextMatrix(2, kQty), "7");
    control->Remove_Listener(host);
}

TEST_F(Sheet_Test, HistoryHoldsAHundredStepsAndStartsAfreshOnLoadOrClear) {
    Go(1, kItem);
    for (int i = 0; i < 130; ++i) control->Paste_Text(std::to_string(i));
    int undone = 0;
    while (control->Can_Undo()) {
        control->Undo();
        ++undone;
    }
    EXPECT_EQ(undone, 100);
    EXPECT_EQ(grid().TextMatrix(1, kItem), "29");
    control->Redo();
    EXPECT_EQ(grid().TextMatrix(1, kItem), "30");
    control->Clear_Grid();
    EXPECT_FALSE(control->Can_Undo());
    EXPECT_FALSE(control->Can_Redo());
}

// Random user actions (fixed seed): undoing them all gives back the start exactly, and
// redoing them all the end.
TEST_F(Sheet_Test, UndoingEveryRandomActionGivesBackTheStartAndRedoTheEnd) {
    control->Allow_New_Rows(true);
    std::mt19937 random(2026);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    auto data = [&] {
        Sheet_State s = State();
        s.row = s.col = 0;
        return s;
    };
    const char* names[] = {"edit",    "tick",       "fill", "paste",      "clear",
                           "new row", "delete row", "sort", "insert copy"};
    for (int round = 0; round < 3; ++round) {
        if (grid().Rows() < 3) control->Rows(3);
        Go(1, 1);
        const Sheet_State start = data();
        int steps = 0;
        for (int i = 0; i < 30 && grid().Rows() > 1; ++i) {
            // Text, formula and check-box cells: a click on a drop-down opens its list,
            // which a later key would step and the next click commit, outside the action.
            const Sheet_State before = data();
            const int row = 1 + pick(grid().Rows() - 1), col = 1 + pick(3);  // in this order
            Go(row, col);
            const int action = pick(9);
            SCOPED_TRACE("round " + std::to_string(round) + " action " + std::to_string(i) + " " +
                         names[action]);
            switch (action) {
                case 0:
                    Internals_Of(*control).TextEditor().Text(pick(2) ? "=3*" + std::to_string(i)
                                                                     : "t" + std::to_string(i));
                    Key(kDown);
                    break;
                case 1:
                    Key(kSpace);
                    break;
                case 2:
                    Key(kDown, kShift);
                    Key(kRight, kShift);
                    Key('D', kCtrl);
                    break;
                case 3:
                    control->Paste_Text("p" + std::to_string(i) + "\t=1+" + std::to_string(i) +
                                        "\n\t1\n");
                    break;
                case 4:
                    Key(kRight, kShift);
                    Key(kDelete, 0);
                    break;
                case 5:
                    Key('N', kAlt);
                    break;
                case 6:
                    platform.messages.answers = {Msg::Yes};
                    Key('D', kAlt);
                    break;
                case 7:
                    control->Sort_Grid(static_cast<std::int16_t>(1 + pick(2)));
                    break;
                case 8:
                    Key('C', kAlt);
                    Key('I', kAlt);
                    break;
            }
            const Sheet_State after = data();
            if (after == before) continue;  // nothing to undo
            // The click may be a step of its own: leaving a cell brings its source in step.
            int undone = 0;
            while (data() != before && undone < 2 && control->Can_Undo()) {
                control->Undo();
                ++undone;
            }
            ASSERT_EQ(data(), before);
            for (int k = 0; k < undone; ++k) control->Redo();
            ASSERT_EQ(data(), after);
            steps += undone;
        }
        const Sheet_State end = data();
        for (int i = 0; i < steps; ++i) control->Undo();
        ASSERT_EQ(data(), start) << "round " << round;
        EXPECT_GT(steps, 10);
        for (int i = 0; i < steps; ++i) control->Redo();
        EXPECT_FALSE(control->Can_Redo());
        ASSERT_EQ(data(), end) << "round " << round;
    }
}

}  // namespace
}  // namespace vekgrid::testing
