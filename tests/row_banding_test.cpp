// Row commands over many random steps, checked against a plain model that relabels and
// re-bands every row the simple way: labels, texts and back colours as a person sees them,
// undo and redo included.
#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <random>

#include "support/control_fixture.h"

namespace vekgrid::testing {
namespace {

struct Model_Row {
    std::string label, key;
    Color back = 0;
    bool shown = true;
};
using Model = std::vector<Model_Row>;  // data rows; index 0 is row 1

class Row_Banding_Test : public Control_Test, public ::testing::WithParamInterface<unsigned> {
  protected:
    Color Band(bool odd) {
        return static_cast<Color>(
            (odd ? control->Row_Color_Odd() : control->Row_Color_Even()).To_Long());
    }
    void By_Index(Model& m) {
        for (size_t i = 0; i < m.size(); ++i) m[i].back = Band(i % 2 == 0);
    }
    void By_Shown_Rows(Model& m) {
        bool odd = true;
        for (auto& row : m)
            if (row.shown) row.back = Band(odd), odd = !odd;
    }
    void Renumber(Model& m) {
        for (size_t i = 0; i < m.size(); ++i) m[i].label = std::to_string(i + 1);
    }
    void Expect_Seen(const Model& m, const std::string& step) {
        ASSERT_EQ(grid().Rows() - 1, static_cast<int>(m.size())) << step;
        for (int r = 1; r < grid().Rows(); ++r) {
            const Model_Row& want = m[static_cast<size_t>(r - 1)];
            ASSERT_EQ(grid().TextMatrix(r, 0), want.label) << step << " row " << r;
            ASSERT_EQ(grid().TextMatrix(r, 1), want.key) << step << " row " << r;
            for (int c = 1; c < grid().Cols(); ++c)
                ASSERT_EQ(grid().Look(r, c).back, want.back) << step << " row " << r;
        }
    }
};

TEST_P(Row_Banding_Test, RowCommandsKeepLabelsTextsAndBandingAsRecomputed) {
    std::mt19937 random(GetParam());
    Add(TextBox, "A");
    Add(TextBox, "B");
    control->Rows(13);
    Model m;
    for (int r = 1; r < grid().Rows(); ++r) {
        grid().TextMatrix(r, 1, "k" + std::to_string(r));
        m.push_back({grid().TextMatrix(r, 0), "k" + std::to_string(r)});
    }
    control->Show_All_Rows();
    By_Shown_Rows(m);
    Expect_Seen(m, "start");
    std::vector<std::pair<Model, Model>> undo, redo;  // labels and texts before / after a step
    int next_key = 100;
    for (int step = 0; step < 80; ++step) {
        const int rows = static_cast<int>(m.size());
        const int pick = 1 + static_cast<int>(random() % static_cast<unsigned>(rows));
        std::string what;
        const Model before = m;
        bool recorded = false;
        switch (random() % 7) {
            case 0: {  // inside the grid: every row is relabelled and re-banded
                const std::string key = "k" + std::to_string(next_key++);
                control->AddItem("\t" + key, Variant(std::int32_t{pick}));
                m.insert(m.begin() + (pick - 1), Model_Row{"", key});
                Renumber(m);
                By_Index(m);
                recorded = true;
                what = "AddItem at " + std::to_string(pick);
                break;
            }
            case 1: {  // at the end: only the new row is formatted
                const std::string key = "k" + std::to_string(next_key++);
                control->AddItem("\t" + key);
                m.push_back(Model_Row{std::to_string(m.size() + 1), key});
                m.back().back = Band(m.size() % 2 == 1);
                recorded = true;
                what = "AddItem at the end";
                break;
            }
            case 2:
            case 3: {
                if (rows < 3) continue;
                const bool renumber = random() % 2;
                control->Delete_Row(pick, renumber);
                m.erase(m.begin() + (pick - 1));
                if (renumber) Renumber(m);
                By_Index(m);
                recorded = true;
                what = "Delete_Row " + std::to_string(pick) + (renumber ? " renumbered" : "");
                break;
            }
            case 4:
                control->Hide_Row(pick);
                m[static_cast<size_t>(pick - 1)].shown = false;
                By_Shown_Rows(m);
                what = "Hide_Row " + std::to_string(pick);
                break;
            case 5:
            case 6: {
                const bool back = random() % 3 != 0;
                auto& from = back ? undo : redo;
                if (from.empty()) continue;
                control->Show_All_Rows();  // hidden rows would keep their looks
                auto [was, now] = from.back();
                from.pop_back();
                (back ? redo : undo).push_back({was, now});
                if (back)
                    control->Undo();
                else
                    control->Redo();
                m = back ? was : now;
                for (int r = 1; r < grid().Rows() && r <= static_cast<int>(m.size()); ++r)
                    m[static_cast<size_t>(r - 1)].shown = grid().RowHeight(r) > 0;
                By_Index(m);
                what = back ? "Undo" : "Redo";
                break;
            }
        }
        if (recorded) {
            undo.push_back({before, m});
            redo.clear();
        }
        Expect_Seen(m, "step " + std::to_string(step) + ": " + what);
        if (HasFatalFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, Row_Banding_Test, ::testing::Range(1u, 21u));

// Rows(n) on a grid that has rows formats all new rows in one pass; they must look exactly as
// rows added one at a time do, whatever the column kinds.
TEST(Rows_Growth, ManyRowsAtOnceLookAsRowsAddedOneByOne) {
    struct Sheet {
        Headless_Platform platform;
        vekGRID control{platform};
        std::vector<std::unique_ptr<vekColumn>> columns;
        Sheet() {
            control.InitProperties();
            control.Show();
            const ColumnEditor kinds[] = {TextBox, CheckBox, Divider, ComboBox, TextBox, PopUp};
            for (size_t k = 0; k < std::size(kinds); ++k) {
                columns.push_back(std::make_unique<vekColumn>());
                columns.back()->Editor_Type(kinds[k]);
                columns.back()->Cell_Alignment(k % 2 ? Center_Align : Left_Align);
                columns.back()->ReadOnly(k == 4);
                control.Add_Column(*columns.back());
            }
            control.Rows(4);
            control.Cell_Text(1, 1, "kept");
            control.Cell_Text(2, 2, "1");
        }
        std::vector<std::string> Seen() {
            Host_Grid& grid = Internals_Of(control).GridEditor();
            std::vector<std::string> seen;
            for (int r = 0; r < grid.Rows(); ++r)
                for (int c = 0; c < grid.Cols(); ++c) {
                    const auto look = grid.Look(r, c);
                    seen.push_back(std::to_string(r) + "," + std::to_string(c) + " " +
                                   grid.TextMatrix(r, c) + " back " + std::to_string(look.back) +
                                   " fore " + std::to_string(look.fore) + " align " +
                                   std::to_string(look.alignment) + " bold " +
                                   std::to_string(look.font.bold) + " picture " +
                                   std::to_string(look.picture != nullptr) + "/" +
                                   std::to_string(look.picture_alignment) + " height " +
                                   std::to_string(grid.RowHeight(r)));
                }
            return seen;
        }
    } at_once, one_by_one;
    at_once.control.Rows(41);
    for (int n = 5; n <= 41; ++n) one_by_one.control.Rows(n);
    EXPECT_EQ(at_once.Seen(), one_by_one.Seen());
    EXPECT_EQ(Internals_Of(at_once.control).GridEditor().TextMatrix(40, 0), "40");
    EXPECT_EQ(at_once.control.Cell_Text(1, 1), "kept");

    // A column added to the grown grid takes the row colours by parity, like its neighbours.
    at_once.control.Row_Color_Even(Variant(std::int32_t{0x00E0E0}));
    vekColumn added;
    at_once.control.Add_Column(added);
    const Host_Grid& grid = Internals_Of(at_once.control).GridEditor();
    const int last = grid.Cols() - 1;
    for (int r = 1; r < grid.Rows(); ++r)
        ASSERT_EQ(grid.Look(r, last).back,
                  static_cast<Color>(r % 2 ? at_once.control.Row_Color_Odd().To_Long() : 0x00E0E0))
            << "row " << r;
}

}  // namespace
}  // namespace vekgrid::testing
