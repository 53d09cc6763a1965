#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "support/control_fixture.h"

namespace vekgrid::testing {
namespace {

// A grid with a plain id column, a formula column, a formula column with variables, a plain
// text column, a check box and a progress bar: every kind whose cells travel with their row.
class Rows_Store_Test : public Control_Test {
  protected:
    static constexpr int kId = 1, kFormula = 2, kVariables = 3, kText = 4, kCheck = 5, kBar = 6;
    Rows_Store_Test() {
        Add(TextBox, "Id");
        vekColumn formula;
        formula.Title("Formula");
        formula.Allow_Formula_Input(true);
        control->Add_Column(formula);
        vekColumn with_variables;
        with_variables.Title("Var");
        with_variables.Allow_Formula_Input(true);
        with_variables.Allow_User_Defined_Variables(true);
        control->Add_Column(with_variables);
        Add(TextBox, "Text");
        Add(CheckBox, "Done");
        vekColumn bar;
        bar.Title("Bar");
        bar.Editor_Type(ProgressBar);
        bar.ProgressBar_MinVal(0);
        bar.ProgressBar_MaxVal(100);
        control->Add_Column(bar);
        Variable("w", 2);
    }
    void Variable(const std::string& name, double value) {
        auto table = std::make_shared<Variant_Array>(1, 2, 1, 1);
        (*table)(1, 1) = name;
        (*table)(2, 1) = value;
        control->Update_User_Defined_Variable_List(Variant(Array_Ref(table)));
    }
    // Everything a row holds that a person or a host can see: shown texts, store entries,
    // check mark and bar pictures, and whether the row is hidden.
    std::string Row_Image(int r) {
        std::string image;
        for (int c = 1; c < grid().Cols(); ++c) {
            image += grid().TextMatrix(r, c) + "|" +
                     Internals_Of(*control).Equation_Mask().Get(r, c) + "|";
            if (c == kCheck) image += grid().Look(r, c).picture ? "pic|" : "none|";
        }
        image += grid().RowHeight(r) == 0 ? "hidden" : "shown";
        return image;
    }
    // The user types text into a cell and leaves it.
    void Enter(int r, int c, const std::string& text) {
        Type_Into(r, c, text);
        grid().Col(c == kId ? kText : kId);
    }
    std::map<std::string, std::string> Rows_By_Id() {
        std::map<std::string, std::string> rows;
        for (int r = 1; r < grid().Rows(); ++r) rows[grid().TextMatrix(r, kId)] = Row_Image(r);
        return rows;
    }
    std::vector<std::string> Column(int c) {
        std::vector<std::string> texts;
        for (int r = 1; r < grid().Rows(); ++r) texts.push_back(grid().TextMatrix(r, c));
        return texts;
    }
};

// Random grids under every kind of row label, formulas and hidden rows: a sort moves whole
// rows, store entries included, keeps every row, and the next sort reverses the key column.
TEST_F(Rows_Store_Test, SortCarriesEveryRowWholeUnderAnyLabelsAndTheNextSortReverses) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 40; ++round) {
        const int rows = 2 + static_cast<int>(random() % 12);
        control->Rows(rows + 1);
        const int labels = static_cast<int>(random() % 3);  // blank, repeated, numbered
        for (int r = 1; r <= rows; ++r) {
            control->Cell_Text(r, kId, "id" + std::to_string(r));
            const int v = static_cast<int>(random() % 5);
            switch (random() % 3) {
                case 0:
                    control->Cell_Text(r, kFormula, "=" + std::to_string(v) + "*3");
                    break;
                case 1:
                    control->Cell_Text(r, kFormula, std::to_string(v));
                    break;
                default:
                    control->Cell_Text(r, kFormula, "");
                    break;
            }
            control->Cell_Text(r, kVariables, random() % 2 ? "='w'*" + std::to_string(v) : "7");
            control->Cell_Text(r, kText, std::string(1, static_cast<char>('a' + random() % 4)));
            control->Cell_Text(r, kCheck, random() % 2 ? "1" : "0");
            control->Cell_Text(r, kBar, std::to_string(random() % 100));
            grid().TextMatrix(r, 0, labels == 0 ? "" : labels == 1 ? "same" : std::to_string(r));
        }
        for (int r = 1; r <= rows; ++r)
            if (random() % 4 == 0) control->Hide_Row(r);
        const auto before = Rows_By_Id();
        // Letters and check marks: keys whose order reverses exactly (mixed numbers and texts
        // order by the grid's generic rules, which need not).
        const int key = std::array{kText, kCheck}[random() % 2];
        // Labels and ids in grid order: the sort numbers the labels top to bottom, and its
        // undo puts rows and labels back as they were, whatever the labels held.
        auto order = [&] {
            std::vector<std::string> image;
            for (int r = 1; r <= rows; ++r)
                image.push_back(grid().TextMatrix(r, 0) + "/" + grid().TextMatrix(r, kId));
            return image;
        };
        const auto unsorted = order();
        control->Sort_Grid(random() % 2 ? std::int16_t{kFormula} : std::int16_t{kVariables});
        EXPECT_EQ(Rows_By_Id(), before) << "round " << round << ": every row kept whole";
        const auto sorted = order();
        for (int r = 1; r <= rows; ++r)
            EXPECT_EQ(grid().TextMatrix(r, 0), std::to_string(r)) << "round " << round;
        if (sorted != unsorted) {
            control->Undo();
            EXPECT_EQ(order(), unsorted) << "round " << round;
            control->Redo();
            EXPECT_EQ(order(), sorted) << "round " << round;
        }
        control->Sort_Grid(static_cast<std::int16_t>(key));
        EXPECT_EQ(Rows_By_Id(), before) << "round " << round << ": every row kept whole";
        const auto once = Column(key);
        const auto once_order = order();
        control->Sort_Grid(static_cast<std::int16_t>(key));
        EXPECT_EQ(Rows_By_Id(), before) << "round " << round;
        const auto twice_order = order();
        if (twice_order != once_order) {
            control->Undo();  // labels already numbered stayed in place through this sort
            EXPECT_EQ(order(), once_order) << "round " << round;
            control->Redo();
            EXPECT_EQ(order(), twice_order) << "round " << round;
        }
        auto twice = Column(key);
        std::reverse(twice.begin(), twice.end());
        EXPECT_EQ(twice, once) << "round " << round << ": the second sort reverses the first";
        EXPECT_EQ(Internals_Of(*control).Equation_Mask().Rows(), rows);
        EXPECT_EQ(Internals_Of(*control).Equation_Mask().Cols(), grid().Cols() - 1);
    }
}

TEST_F(Rows_Store_Test, SortOfRowsWithoutLabelsKeepsEachFormulaOnItsRow) {
    control->Rows(4);
    const char* fruit[] = {"pear", "apple", "fig"};
    const char* sources[] = {"=1+1", "=2*5", "=3^2"};
    for (int r = 1; r <= 3; ++r) {
        control->Cell_Text(r, kId, fruit[r - 1]);
        Enter(r, kFormula, sources[r - 1]);
        grid().TextMatrix(r, 0, "");  // rows made by Rows(n) carry no label
    }
    control->Sort_Grid(kId);
    std::vector<std::string> got;
    for (int r = 1; r <= 3; ++r)
        got.push_back(grid().TextMatrix(r, kId) + " " +
                      Internals_Of(*control).Equation_Mask().Get(r, kFormula) + " " +
                      grid().TextMatrix(r, kFormula));
    EXPECT_EQ(got, (std::vector<std::string>{"apple =2*5 10", "fig =3^2 9", "pear =1+1 2"}));
}

TEST_F(Rows_Store_Test, SortCommitsTheTextBeingTypedIntoItsOwnRowFirst) {
    control->Rows(4);
    for (int r = 1; r <= 3; ++r) control->Cell_Text(r, kId, "id" + std::to_string(r));
    control->Cell_Text(1, kText, "b");
    control->Cell_Text(2, kText, "a");
    control->Cell_Text(3, kText, "c");
    Type_Into(1, kFormula, "=6*7");  // on row id1, still in the editor
    events.lines.clear();
    control->Sort_Grid(kText);
    for (int r = 1; r <= 3; ++r) {
        const bool edited = grid().TextMatrix(r, kId) == "id1";
        EXPECT_EQ(grid().TextMatrix(r, kFormula), edited ? "42" : "") << "row " << r;
        EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(r, kFormula), edited ? "=6*7" : "");
    }
    EXPECT_NE(std::find(events.lines.begin(), events.lines.end(), "CellChanged(,=6*7,1,2)"),
              events.lines.end())
        << "the host hears of the edit in the row it was typed into";
}

// Every row command leaves a formula column showing values and bars drawn, and a pasted or
// copied row equals its original in every kind of column.
TEST_F(Rows_Store_Test, RowCommandsShowValuesAndCopiesEqualTheirOriginals) {
    control->Rows(3);
    control->Cell_Text(1, kId, "one");
    Enter(1, kFormula, "=4*12");
    Enter(1, kVariables, "='w'*10");
    control->Cell_Text(1, kText, "text");
    control->Cell_Text(1, kCheck, "1");
    control->Cell_Text(1, kBar, "50");
    control->Cell_Text(2, kBar, "100");
    ASSERT_EQ(grid().TextMatrix(1, kFormula), "48");
    const std::string original = Row_Image(1);

    grid().Row(1);
    control->Copy_Row();
    grid().Row(2);
    control->Paste_Row();
    EXPECT_EQ(Row_Image(2), original) << "Paste_Row";
    EXPECT_TRUE(grid().Look(2, kBar).picture) << "the pasted bar is drawn";

    grid().Row(2);
    control->Insert_Copied_Row();
    EXPECT_EQ(Row_Image(3), original) << "Insert_Copied_Row";
    control->Copy_Row_To_New_Row(Variant(std::int32_t{1}), Variant(std::int32_t{1}));
    EXPECT_EQ(Row_Image(1), original) << "Copy_Row_To_New_Row";
    control->AddItem("\ttwo\t=1+2\t='w'+1", Variant(std::int32_t{1}));
    EXPECT_EQ(grid().TextMatrix(1, kFormula), "3");
    EXPECT_EQ(grid().TextMatrix(1, kVariables), "3");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, kFormula), "=1+2");
    for (int r = 1; r < grid().Rows(); ++r) {
        if (grid().TextMatrix(r, kBar).empty()) continue;
        EXPECT_TRUE(grid().Look(r, kBar).picture) << "bar of row " << r << " after the commands";
    }
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Rows(), grid().Rows() - 1);
    control->Delete_Row(1, true);
    EXPECT_EQ(Row_Image(1), original) << "the row below moved up whole";
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Rows(), grid().Rows() - 1);
}

TEST_F(Rows_Store_Test, RecalculationKeepsNumbersAndLengthsAsTheirCommitShowedThem) {
    control->Rows(4);
    Type_Into(1, kVariables, "5");
    grid().Row(2);  // commits
    Type_Into(2, kVariables, "='w'*3");
    grid().Row(3);
    ASSERT_EQ(grid().TextMatrix(1, kVariables), "5");
    ASSERT_EQ(grid().TextMatrix(2, kVariables), "6");
    Variable("w", 10);
    EXPECT_EQ(grid().TextMatrix(1, kVariables), "5") << "a number is not a formula";
    EXPECT_EQ(grid().TextMatrix(2, kVariables), "30");
    control->AddItem("\tnew", Variant(std::int32_t{1}));
    EXPECT_EQ(grid().TextMatrix(2, kVariables), "5");
    EXPECT_EQ(grid().TextMatrix(3, kVariables), "30");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(2, kVariables), "5");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(3, kVariables), "='w'*3");
}

TEST_F(Rows_Store_Test, PasteAfterCuttingTheOnlyRowLeavesTheTitles) {
    control->Rows(2);
    control->Cell_Text(1, kId, "only");
    grid().Row(1);
    control->Cut_Row();
    ASSERT_EQ(grid().Rows(), 1);
    control->Paste_Row();
    EXPECT_EQ(grid().TextMatrix(0, kId), "Id");
    EXPECT_EQ(grid().TextMatrix(0, kFormula), "Formula");
    EXPECT_EQ(grid().Rows(), 1);
}

// The store keeps only what a cell does not show: a host filling cells adds nothing to it,
// and what it keeps goes with rows and columns as they go.
TEST_F(Rows_Store_Test, StoreKeepsOnlyWhatCellsDoNotShow) {
    control->Rows(101);
    for (int r = 1; r <= 100; ++r)
        for (int c = 1; c < grid().Cols(); ++c) control->Cell_Text(r, c, std::to_string(r));
    Enter(50, kFormula, "=2+2");
    EXPECT_EQ(grid().Source_Count(), 1u);
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(7, kText), "7");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(50, kFormula), "=2+2");
    control->Rows(40);
    EXPECT_EQ(grid().Source_Count(), 0u) << "the row holding the source is gone";
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Rows(), 39);
}

}  // namespace
}  // namespace vekgrid::testing
