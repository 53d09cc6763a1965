#include "vekgrid/hostgrid/host_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <numeric>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "vekgrid/common/errors.h"
#include "vekgrid/common/number_text.h"

namespace vekgrid {
namespace {

// Records notifications together with the current cell the grid shows at that moment.
class Recording_Listener : public Grid_Listener {
  public:
    explicit Recording_Listener(const Host_Grid& grid) : grid_(grid) {}
    void Grid_LeaveCell() override { Log("leave"); }
    void Grid_EnterCell() override { Log("enter"); }
    void Grid_Click() override { Log("click"); }
    void Grid_Scroll() override { events.push_back("scroll"); }
    std::vector<std::string> events;

  private:
    void Log(const char* what) {
        events.push_back(std::string(what) + " " + std::to_string(grid_.Row()) + "," +
                         std::to_string(grid_.Col()));
    }
    const Host_Grid& grid_;
};

// A grid of rows x cols whose cell (r, c) reads "r<r>c<c>".
void Fill(Host_Grid& grid, int rows, int cols) {
    grid.Rows(rows);
    grid.Cols(cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            grid.TextMatrix(r, c, "r" + std::to_string(r) + "c" + std::to_string(c));
}

std::vector<std::string> Column(const Host_Grid& grid, int col) {
    std::vector<std::string> texts;
    for (int r = 1; r < grid.Rows(); ++r) texts.push_back(grid.TextMatrix(r, col));
    return texts;
}

void Put_Column(Host_Grid& grid, int col, const std::vector<std::string>& texts) {
    grid.Rows(static_cast<int>(texts.size()) + 1);
    for (size_t i = 0; i < texts.size(); ++i)
        grid.TextMatrix(static_cast<int>(i) + 1, col, texts[i]);
}

void Select(Host_Grid& grid, int row, int col, int row_sel, int col_sel) {
    grid.Row(row);
    grid.Col(col);
    grid.RowSel(row_sel);
    grid.ColSel(col_sel);
}

// --- size ------------------------------------------------------------------------------

TEST(Host_Grid_Size, StartsAsClassicTwoByTwoWithOneFixedColumn) {
    Host_Grid grid;
    EXPECT_EQ(grid.Rows(), 2);
    EXPECT_EQ(grid.Cols(), 2);
    EXPECT_EQ(grid.FixedRows(), 1);
    EXPECT_EQ(grid.FixedCols(), 1);
    EXPECT_EQ(grid.TopRow(), 1);
    EXPECT_EQ(grid.LeftCol(), 1);
    EXPECT_EQ(grid.RowHeight(1), 240);
    EXPECT_EQ(grid.ColWidth(1), 960);
    EXPECT_EQ(grid.ColAlignment(1), Align::General);
    EXPECT_EQ(grid.TextMatrix(1, 1), "");
    EXPECT_EQ(grid.CellAlignment(), Align::General);
}

TEST(Host_Grid_Size, GrowingAddsEmptyDefaultCellsAndKeepsTexts) {
    Host_Grid grid;
    Fill(grid, 2, 2);
    grid.Rows(4);
    grid.Cols(3);
    EXPECT_EQ(grid.TextMatrix(1, 1), "r1c1");
    EXPECT_EQ(grid.TextMatrix(3, 2), "");
    EXPECT_EQ(grid.RowHeight(3), 240);
    EXPECT_EQ(grid.ColWidth(2), 960);
    EXPECT_EQ(grid.ColAlignment(2), Align::General);
    EXPECT_EQ(grid.Look(3, 2).back, grid.BackColor());
}

TEST(Host_Grid_Size, ShrinkingClampsCurrentCellSelectionAndScrollWithoutEvents) {
    Host_Grid grid;
    Fill(grid, 10, 6);
    Select(grid, 8, 5, 9, 4);
    grid.TopRow(7);
    grid.LeftCol(4);
    Recording_Listener listener(grid);
    grid.Set_Listener(&listener);
    grid.Rows(4);
    grid.Cols(3);
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(grid.RowSel(), 3);
    EXPECT_EQ(grid.Col(), 2);
    EXPECT_EQ(grid.ColSel(), 2);
    EXPECT_EQ(grid.TopRow(), 3);
    EXPECT_EQ(grid.LeftCol(), 2);
    EXPECT_TRUE(listener.events.empty());
    EXPECT_EQ(grid.Text(), "r3c2");
}

TEST(Host_Grid_Size, FixedColsFollowsColsAndRejectsBadCounts) {
    Host_Grid grid;
    grid.Cols(5);
    grid.FixedCols(3);
    EXPECT_EQ(grid.LeftCol(), 3);
    grid.Cols(2);
    EXPECT_EQ(grid.FixedCols(), 2);
    EXPECT_THROW(grid.FixedCols(3), Error);
    EXPECT_THROW(grid.FixedCols(-1), Error);
    EXPECT_THROW(grid.Rows(-1), Error);
    EXPECT_THROW(grid.Cols(-1), Error);
    grid.FixedCols(0);
    EXPECT_EQ(grid.FixedCols(), 0);
}

TEST(Host_Grid_Size, OutOfRangeIndicesThrowSubscriptOutOfRange) {
    Host_Grid grid;
    Fill(grid, 3, 3);
    EXPECT_THROW(grid.TextMatrix(3, 0), Subscript_Out_Of_Range);
    EXPECT_THROW(grid.TextMatrix(0, 3), Subscript_Out_Of_Range);
    EXPECT_THROW(grid.TextMatrix(-1, 0, "x"), Subscript_Out_Of_Range);
    EXPECT_THROW(grid.Row(3), Subscript_Out_Of_Range);
    EXPECT_THROW(grid.Col(-1), Subscript_Out_Of_Range);
    EXPECT_THROW(grid.RowSel(5), Subscript_Out_Of_Range);
    EXPECT_THROW(grid.ColSel(3), Subscript_Out_Of_Range);
    EXPECT_THROW(grid.RowHeight(3), Subscript_Out_Of_Range);
    EXPECT_THROW(grid.ColWidth(3, 100), Subscript_Out_Of_Range);
    EXPECT_THROW(grid.ColPos(3), Subscript_Out_Of_Range);
    EXPECT_THROW(grid.RowPos(-1), Subscript_Out_Of_Range);
    EXPECT_THROW(grid.Look(3, 3), Subscript_Out_Of_Range);
    EXPECT_EQ(grid.TextMatrix(2, 2), "r2c2");
}

// --- current cell and events -------------------------------------------------------------

TEST(Host_Grid_Events, LeaveSeesOldCellEnterSeesNewCell) {
    Host_Grid grid;
    Fill(grid, 5, 4);
    Recording_Listener listener(grid);
    grid.Set_Listener(&listener);
    grid.Row(3);
    grid.Col(2);
    EXPECT_EQ(listener.events,
              (std::vector<std::string>{"leave 1,1", "enter 3,1", "leave 3,1", "enter 3,2"}));
    EXPECT_EQ(grid.Text(), "r3c2");
}

TEST(Host_Grid_Events, NoEventsWhenCellUnchangedButSelectionStillCollapses) {
    Host_Grid grid;
    Fill(grid, 5, 4);
    Select(grid, 2, 1, 4, 3);
    Recording_Listener listener(grid);
    grid.Set_Listener(&listener);
    grid.Row(2);
    EXPECT_TRUE(listener.events.empty());
    EXPECT_EQ(grid.RowSel(), 2);
    EXPECT_EQ(grid.ColSel(), 1);
    grid.RowSel(4);
    grid.ColSel(3);
    EXPECT_TRUE(listener.events.empty());
    grid.Col(1);
    EXPECT_TRUE(listener.events.empty());
    EXPECT_EQ(grid.RowSel(), 2);
    EXPECT_EQ(grid.ColSel(), 1);
}

TEST(Host_Grid_Events, FailedMoveRaisesNothingAndKeepsCell) {
    Host_Grid grid;
    Fill(grid, 3, 3);
    grid.Row(2);
    Recording_Listener listener(grid);
    grid.Set_Listener(&listener);
    EXPECT_THROW(grid.Row(7), Subscript_Out_Of_Range);
    EXPECT_TRUE(listener.events.empty());
    EXPECT_EQ(grid.Row(), 2);
}

TEST(Host_Grid_Events, ScrollingClampsAndRaisesScrollOnlyOnChange) {
    Host_Grid grid;
    Fill(grid, 10, 5);
    Recording_Listener listener(grid);
    grid.Set_Listener(&listener);
    grid.TopRow(4);
    grid.TopRow(4);
    grid.TopRow(50);
    grid.TopRow(0);
    grid.LeftCol(3);
    grid.LeftCol(0);
    EXPECT_EQ(listener.events,
              (std::vector<std::string>{"scroll", "scroll", "scroll", "scroll", "scroll"}));
    EXPECT_EQ(grid.TopRow(), 1);
    EXPECT_EQ(grid.LeftCol(), 1);
    grid.TopRow(50);
    EXPECT_EQ(grid.TopRow(), 9);
}

// --- texts and formats over the selection ------------------------------------------------

TEST(Host_Grid_Fill, TextWritesCurrentCellOrWholeSelection) {
    Host_Grid grid;
    Fill(grid, 5, 4);
    Select(grid, 3, 3, 1, 1);  // corners given in reverse
    grid.Text("one");
    EXPECT_EQ(grid.TextMatrix(3, 3), "one");
    EXPECT_EQ(grid.TextMatrix(1, 1), "r1c1");
    grid.FillStyle(1);
    grid.Text("all");
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 4; ++c) {
            const bool inside = r >= 1 && r <= 3 && c >= 1 && c <= 3;
            const std::string old = "r" + std::to_string(r) + "c" + std::to_string(c);
            EXPECT_EQ(grid.TextMatrix(r, c), inside ? "all" : old) << r << "," << c;
        }
}

TEST(Host_Grid_Fill, FormatPutsFollowFillStyle) {
    Host_Grid grid;
    Fill(grid, 5, 4);
    Select(grid, 2, 1, 3, 2);
    grid.CellBackColor(0x0000FF);
    EXPECT_EQ(grid.Look(2, 1).back, 0x0000FFu);
    EXPECT_EQ(grid.Look(3, 2).back, grid.BackColor());
    grid.FillStyle(1);
    grid.CellForeColor(0x00FF00);
    grid.CellFontBold(true);
    grid.CellAlignment(Align::Center);
    for (int r = 1; r < 5; ++r)
        for (int c = 1; c < 4; ++c) {
            const bool inside = r >= 2 && r <= 3 && c <= 2;
            const auto look = grid.Look(r, c);
            EXPECT_EQ(look.fore, inside ? 0x00FF00u : grid.ForeColor()) << r << "," << c;
            EXPECT_EQ(look.font.bold, inside) << r << "," << c;
            EXPECT_EQ(look.alignment, inside ? Align::Center : Align::Left) << r << "," << c;
        }
    // The red cell kept its back colour when the rest of its look changed.
    EXPECT_EQ(grid.Look(2, 1).back, 0x0000FFu);
    EXPECT_EQ(grid.Look(2, 2).back, grid.BackColor());
    // Gets read the current cell only.
    grid.FillStyle(0);
    grid.Row(3);
    EXPECT_EQ(grid.CellForeColor(), 0x00FF00u);
    EXPECT_TRUE(grid.CellFontBold());
    EXPECT_EQ(grid.CellAlignment(), Align::Center);
    EXPECT_EQ(grid.CellBackColor(), grid.BackColor());
}

TEST(Host_Grid_Fill, UnsetPartsFollowTheGridDefaults) {
    Host_Grid grid;
    Fill(grid, 3, 3);
    EXPECT_EQ(grid.Look(0, 2).back, grid.BackColorFixed());
    EXPECT_EQ(grid.Look(2, 0).back, grid.BackColorFixed());
    EXPECT_EQ(grid.Look(2, 2).back, grid.BackColor());
    grid.Row(2);
    grid.Col(2);
    grid.CellFontItalic(true);
    vekgrid::Font big;
    big.name = "Arial";
    big.size = 12;
    grid.Font(big);
    grid.BackColor(0x123456);
    EXPECT_EQ(grid.CellFontName(), "Arial");
    EXPECT_DOUBLE_EQ(grid.CellFontSize(), 12);
    EXPECT_TRUE(grid.CellFontItalic());
    EXPECT_FALSE(grid.CellFontBold());
    EXPECT_EQ(grid.CellBackColor(), 0x123456u);
    grid.CellFontName("Courier");
    grid.CellFontSize(10);
    grid.CellFontUnderline(true);
    grid.CellFontStrikeThrough(true);
    const auto look = grid.Look(2, 2);
    EXPECT_EQ(look.font.name, "Courier");
    EXPECT_DOUBLE_EQ(look.font.size, 10);
    EXPECT_TRUE(look.font.underline);
    EXPECT_TRUE(look.font.strikethrough);
    EXPECT_EQ(grid.Look(1, 2).font, big);
    EXPECT_EQ(grid.CellPicture(), nullptr);
    EXPECT_EQ(grid.CellPictureAlignment(), 0);
}

TEST(Host_Grid_Fill, GeneralAlignmentResolvesByColumnThenByText) {
    Host_Grid grid;
    grid.Rows(3);
    grid.Cols(3);
    grid.TextMatrix(1, 1, "12.5");
    grid.TextMatrix(2, 1, "abc");
    grid.TextMatrix(1, 2, "7");
    EXPECT_EQ(grid.Look(1, 1).alignment, Align::Right);
    EXPECT_EQ(grid.Look(2, 1).alignment, Align::Left);
    grid.ColAlignment(2, Align::Center);
    EXPECT_EQ(grid.Look(1, 2).alignment, Align::Center);
    grid.Row(1);
    grid.Col(2);
    grid.CellAlignment(Align::Left);
    EXPECT_EQ(grid.Look(1, 2).alignment, Align::Left);
    EXPECT_EQ(grid.CellAlignment(), Align::Left);
}

TEST(Host_Grid_Fill, PicturesAreSharedByPointer) {
    Host_Grid grid;
    Fill(grid, 4, 3);
    auto image = std::make_shared<Image>();
    image->width = image->height = 1;
    image->pixels = {Colors::Black};
    Picture picture = image;
    Select(grid, 1, 1, 3, 2);
    grid.FillStyle(1);
    grid.CellPicture(picture);
    grid.CellPictureAlignment(Align::Center);
    EXPECT_EQ(grid.Look(3, 2).picture, picture);
    EXPECT_EQ(grid.Look(3, 2).picture_alignment, Align::Center);
    EXPECT_EQ(grid.Look(0, 1).picture, nullptr);
    grid.CellPicture(nullptr);
    EXPECT_EQ(grid.Look(2, 2).picture, nullptr);
    EXPECT_EQ(grid.Look(2, 2).picture_alignment, Align::Center);
}

TEST(Host_Grid_Fill, ClearEmptiesTextsButKeepsFormats) {
    Host_Grid grid;
    Fill(grid, 3, 3);
    grid.Row(1);
    grid.CellBackColor(0xABCDEF);
    grid.Clear();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(grid.TextMatrix(r, c), "");
    EXPECT_EQ(grid.Look(1, 1).back, 0xABCDEFu);
}

// Random style edits, banding, hidden rows, row inserts, deletes, moves and column changes,
// checked after every step against a plain model that keeps each cell's look by itself. Rows
// share and drop looks all the time here, so the shared per-row format lists are reused too.
TEST(Host_Grid_Fill, RandomEditsAndRowMovesKeepEveryCellsLookAsAPerCellModel) {
    // back: 0 unset, 1 fixed (odd), 2 by the row's parity, 3 by its place among shown rows
    struct Cell_Model {
        int back = 0;
        Color back_odd = 0, back_even = 0;
        bool fore = false;
        Color fore_odd = 0, fore_even = 0;
        int bold = -1;
        int alignment = Align::General;
    };
    struct Row_Model {
        int key;
        bool shown = true;
        std::vector<Cell_Model> cells;
    };
    const Color palette[] = {0x111111, 0x222222, 0x333333};
    const int aligns[] = {Align::Left, Align::Center, Align::Right};
    std::mt19937 rng(20261207);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int round = 0; round < 12; ++round) {
        Host_Grid grid;
        int cols = 4;
        grid.Cols(cols);
        grid.Rows(1);
        std::vector<Row_Model> rows{{0, true, std::vector<Cell_Model>(4)}};
        int next_key = 1;
        auto add_row = [&](int index) {
            grid.AddItem("\t" + std::to_string(next_key), index);
            rows.insert(rows.begin() + index,
                        Row_Model{next_key++, true, std::vector<Cell_Model>(cols)});
        };
        for (int i = 0; i < 12; ++i) add_row(grid.Rows());
        auto ordinal = [&](int r) {
            int n = 0;
            for (int i = 1; i <= r; ++i) n += rows[static_cast<size_t>(i)].shown;
            return n;
        };
        std::vector<Host_Grid::Cell_Style> last_odd, last_even;
        int last_c1 = 1;
        for (int step = 0; step < 300; ++step) {
            const int n_rows = grid.Rows();
            const int op = pick(0, 9);
            if (op <= 1) {  // a format put over a selection
                const int r1 = pick(0, n_rows - 1), r2 = pick(0, n_rows - 1);
                const int c1 = pick(0, cols - 1), c2 = pick(0, cols - 1);
                grid.FillStyle(1);
                Select(grid, r1, c1, r2, c2);
                const int what = pick(0, 3);
                const Color color = palette[pick(0, 2)];
                const bool bold = pick(0, 1) == 1;
                const int alignment = aligns[pick(0, 2)];
                if (what == 0) grid.CellBackColor(color);
                if (what == 1) grid.CellForeColor(color);
                if (what == 2) grid.CellFontBold(bold);
                if (what == 3) grid.CellAlignment(alignment);
                for (int r = std::min(r1, r2); r <= std::max(r1, r2); ++r)
                    for (int c = std::min(c1, c2); c <= std::max(c1, c2); ++c) {
                        Cell_Model& m = rows[static_cast<size_t>(r)].cells[static_cast<size_t>(c)];
                        if (what == 0) m.back = 1, m.back_odd = color;
                        if (what == 1) m.fore = true, m.fore_odd = m.fore_even = color;
                        if (what == 2) m.bold = bold;
                        if (what == 3) m.alignment = alignment;
                    }
            } else if (op <= 3) {  // styling rows by parity, often as the last time
                const int first = pick(1, n_rows - 1), last = pick(first, n_rows - 1);
                if (last_odd.empty() || last_c1 + static_cast<int>(last_odd.size()) > cols ||
                    pick(0, 1) == 0) {
                    last_c1 = pick(0, cols - 1);
                    const int n = pick(1, cols - last_c1);
                    last_odd.assign(static_cast<size_t>(n), {});
                    last_even.assign(static_cast<size_t>(n), {});
                    for (int k = 0; k < n; ++k) {
                        for (auto* style : {&last_odd[static_cast<size_t>(k)],
                                            &last_even[static_cast<size_t>(k)]}) {
                            if (pick(0, 2) == 0) style->back = palette[pick(0, 2)];
                            if (pick(0, 2) == 0) style->fore = palette[pick(0, 2)];
                            if (pick(0, 3) == 0) style->bold = pick(0, 1) == 1;
                            if (pick(0, 3) == 0) style->alignment = aligns[pick(0, 2)];
                        }
                        if (pick(0, 1) == 0) {  // the same but the colours: banded by parity
                            auto& even = last_even[static_cast<size_t>(k)];
                            even = last_odd[static_cast<size_t>(k)];
                            if (even.back) even.back = palette[pick(0, 2)];
                        }
                    }
                }
                grid.Style_Rows(first, last, last_c1, last_odd, last_even);
                for (int r = first; r <= last; ++r)
                    for (size_t k = 0; k < last_odd.size(); ++k) {
                        const auto &o = last_odd[k], &e = last_even[k];
                        const auto& style = r % 2 ? o : e;
                        Cell_Model& m =
                            rows[static_cast<size_t>(r)].cells[static_cast<size_t>(last_c1) + k];
                        if (style.alignment) m.alignment = *style.alignment;
                        if (style.bold) m.bold = *style.bold;
                        const bool place_free = o.alignment == e.alignment && o.bold == e.bold &&
                                                o.picture_alignment == e.picture_alignment &&
                                                o.back.has_value() == e.back.has_value() &&
                                                o.fore.has_value() == e.fore.has_value();
                        if (place_free) {
                            if (o.back) m.back = 2, m.back_odd = *o.back, m.back_even = *e.back;
                            if (o.fore) m.fore = true, m.fore_odd = *o.fore, m.fore_even = *e.fore;
                        } else {
                            if (style.back) m.back = 1, m.back_odd = *style.back;
                            if (style.fore) m.fore = true, m.fore_odd = m.fore_even = *style.fore;
                        }
                    }
            } else if (op == 4) {  // banding the shown rows
                const int first = pick(0, 1) ? 1 : pick(1, n_rows - 1);
                const int c1 = pick(0, cols - 1), c2 = pick(c1, cols - 1);
                const Color odd = palette[pick(0, 2)], even = palette[pick(0, 2)];
                grid.Band_Shown_Rows(first, c1, c2, odd, even);
                bool next_odd = true;
                for (int r = first; r < n_rows; ++r) {
                    Row_Model& row = rows[static_cast<size_t>(r)];
                    if (!row.shown) continue;
                    for (int c = c1; c <= c2; ++c) {
                        Cell_Model& m = row.cells[static_cast<size_t>(c)];
                        if (first == 1) {
                            m.back = 3, m.back_odd = odd, m.back_even = even;
                        } else {
                            m.back = 1, m.back_odd = next_odd ? odd : even;
                        }
                    }
                    next_odd = !next_odd;
                }
            } else if (op == 5) {  // hiding a row keeps the colour it showed with
                const int r = pick(1, n_rows - 1);
                Row_Model& row = rows[static_cast<size_t>(r)];
                const bool hide = row.shown && pick(0, 2) != 0;
                if (hide) {
                    const int at = ordinal(r);
                    for (Cell_Model& m : row.cells)
                        if (m.back == 3) m.back = 1, m.back_odd = at % 2 ? m.back_odd : m.back_even;
                }
                grid.RowHeight(r, hide ? 0 : -1);
                row.shown = !hide;
            } else if (op == 6) {
                add_row(pick(1, n_rows));
            } else if (op == 7 && n_rows > 3) {
                const int r = pick(1, n_rows - 1);
                grid.RemoveItem(r);
                rows.erase(rows.begin() + r);
            } else if (op == 8) {  // rows trade places, by a permutation or by a sort
                if (pick(0, 1)) {
                    const int first = pick(1, n_rows - 1), last = pick(first, n_rows - 1);
                    std::vector<int> from(static_cast<size_t>(last - first + 1));
                    std::iota(from.begin(), from.end(), first);
                    std::shuffle(from.begin(), from.end(), rng);
                    grid.Permute_Rows(first, from);
                    std::vector<Row_Model> moved;
                    for (int f : from) moved.push_back(rows[static_cast<size_t>(f)]);
                    std::copy(moved.begin(), moved.end(), rows.begin() + first);
                } else {
                    grid.FillStyle(0);
                    Select(grid, 1, 1, n_rows - 1, 1);
                    const bool down = pick(0, 1);
                    grid.Sort(down ? Sort_Kind::Numeric_Descending : Sort_Kind::Numeric_Ascending);
                    std::sort(rows.begin() + 1, rows.end(), [&](const auto& a, const auto& b) {
                        return down ? a.key > b.key : a.key < b.key;
                    });
                }
            } else if (op == 9) {
                cols = pick(3, 6);
                grid.Cols(cols);
                for (Row_Model& row : rows) row.cells.resize(static_cast<size_t>(cols));
            }
            ASSERT_EQ(grid.Rows(), static_cast<int>(rows.size()));
            for (int r = 0; r < grid.Rows(); ++r) {
                ASSERT_EQ(grid.TextMatrix(r, 1),
                          r ? std::to_string(rows[static_cast<size_t>(r)].key) : "");
                for (int c = 0; c < cols; ++c) {
                    const Cell_Model& m =
                        rows[static_cast<size_t>(r)].cells[static_cast<size_t>(c)];
                    const auto look = grid.Look(r, c);
                    const bool odd_place = m.back == 3 ? ordinal(r) % 2 == 1 : r % 2 == 1;
                    const Color back =
                        m.back == 0 ? (r < 1 || c < 1 ? grid.BackColorFixed() : grid.BackColor())
                        : m.back == 1 || odd_place ? m.back_odd
                                                   : m.back_even;
                    const Color fore = !m.fore ? grid.ForeColor()
                                       : r % 2 ? m.fore_odd
                                               : m.fore_even;
                    ASSERT_EQ(look.back, back)
                        << "round " << round << " step " << step << " cell " << r << "," << c;
                    ASSERT_EQ(look.fore, fore)
                        << "round " << round << " step " << step << " cell " << r << "," << c;
                    ASSERT_EQ(look.font.bold, m.bold == 1) << "round " << round << " step " << step;
                    if (m.alignment != Align::General) {
                        ASSERT_EQ(look.alignment, m.alignment);
                    }
                }
            }
        }
    }
}

// A row whose cells keep changing looks does not leave a trail of looks no row uses.
TEST(Host_Grid_Fill, RestylingOneRowOverAndOverKeepsMemoryFlat) {
    Host_Grid grid;
    grid.Rows(3);
    grid.Cols(9);
    std::mt19937 rng(7);
    const Color palette[] = {0x111111, 0x222222, 0x333333};
    auto restyle = [&](int times) {
        for (int i = 0; i < times; ++i) {
            grid.Row(1 + static_cast<int>(rng() % 2));
            grid.Col(1 + static_cast<int>(rng() % 8));
            grid.CellBackColor(palette[rng() % 3]);
        }
    };
    restyle(2000);
    const size_t early = grid.Memory_Bytes();
    restyle(20000);  // thousands of looks are within reach; two rows hold two at a time
    EXPECT_LE(grid.Memory_Bytes(), early + 256);
    grid.Row(1);
    grid.Col(2);
    grid.CellBackColor(0xABCDEF);
    EXPECT_EQ(grid.Look(1, 2).back, 0xABCDEFu);
}

// --- sort ----------------------------------------------------------------------------------

TEST(Host_Grid_Sort, GenericComparesNumbersAsNumbersAndTextWithoutCase) {
    Host_Grid grid;
    grid.Cols(2);
    Put_Column(grid, 1, {"10", "9", "-1.5", "100"});
    Select(grid, 1, 1, 4, 1);
    grid.Sort(Sort_Kind::Generic_Ascending);
    EXPECT_EQ(Column(grid, 1), (std::vector<std::string>{"-1.5", "9", "10", "100"}));
    grid.Sort(Sort_Kind::Generic_Descending);
    EXPECT_EQ(Column(grid, 1), (std::vector<std::string>{"100", "10", "9", "-1.5"}));

    Put_Column(grid, 1, {"banana", "Apple", "cherry", "apricot"});
    Select(grid, 4, 1, 1, 1);  // either order of the corners
    grid.Sort(Sort_Kind::Generic_Ascending);
    EXPECT_EQ(Column(grid, 1), (std::vector<std::string>{"Apple", "apricot", "banana", "cherry"}));
}

TEST(Host_Grid_Sort, NumericCountsNonNumbersAsZero) {
    Host_Grid grid;
    grid.Cols(2);
    Put_Column(grid, 1, {"5", "x", "-2", "", "1e1"});
    Select(grid, 1, 1, 5, 1);
    grid.Sort(Sort_Kind::Numeric_Ascending);
    EXPECT_EQ(Column(grid, 1), (std::vector<std::string>{"-2", "x", "", "5", "1e1"}));
    grid.Sort(Sort_Kind::Numeric_Descending);
    EXPECT_EQ(Column(grid, 1), (std::vector<std::string>{"1e1", "5", "x", "", "-2"}));
}

// Numbers of every sign and size, zeros of both signs, texts counting as zero, many repeats:
// each numeric sort gives the rows in the order a stable sort by value gives them.
TEST(Host_Grid_Sort, NumericOrderIsTheStableOrderOfTheValues) {
    const char* pool[] = {"0",     "-0",   "+0.0", "x",       "",       "-1",     "1",
                          "2.5",   "-2.5", "1e1",  "-1e-300", "1e308",  "-1e308", " 4 ",
                          "0.001", "-7",   "7",    "abc",     "1e-300", "3",      "-3"};
    std::mt19937 random(41);
    for (int round = 0; round < 30; ++round) {
        Host_Grid grid;
        grid.Cols(3);
        std::vector<std::string> keys, ids;
        const int n = 2 + static_cast<int>(random() % 300);
        for (int i = 0; i < n; ++i) {
            keys.push_back(random() % 4 ? pool[random() % std::size(pool)]
                                        : std::to_string(static_cast<int>(random() % 2001) - 1000));
            ids.push_back(std::to_string(i));
        }
        Put_Column(grid, 1, keys);
        Put_Column(grid, 2, ids);
        for (const bool down : {false, true, true, false}) {
            // The expected order from the rows as they stand before this sort.
            std::vector<std::pair<double, std::string>> rows;
            for (int r = 1; r <= n; ++r)
                rows.emplace_back(Parse_Number(grid.TextMatrix(r, 1)).value_or(0),
                                  grid.TextMatrix(r, 2));
            std::stable_sort(rows.begin(), rows.end(), [down](const auto& a, const auto& b) {
                return down ? a.first > b.first : a.first < b.first;
            });
            Select(grid, 1, 1, n, 1);
            grid.Sort(down ? Sort_Kind::Numeric_Descending : Sort_Kind::Numeric_Ascending);
            std::vector<std::string> want;
            for (const auto& row : rows) want.push_back(row.second);
            ASSERT_EQ(Column(grid, 2), want) << "round " << round << (down ? " down" : " up");
        }
    }
}

TEST(Host_Grid_Sort, IsStableInBothDirectionsAndMovesWholeRows) {
    Host_Grid grid;
    grid.Cols(3);
    Put_Column(grid, 1, {"b", "a", "b", "a", "c"});
    for (int r = 1; r <= 5; ++r) grid.TextMatrix(r, 2, std::to_string(r));
    grid.Row(3);  // the second "b": give it a look and a height that must travel with it
    grid.Col(2);
    grid.CellBackColor(0x00AAFF);
    grid.RowHeight(3, 500);
    Select(grid, 1, 1, 5, 1);
    grid.Sort(Sort_Kind::Generic_Ascending);
    EXPECT_EQ(Column(grid, 1), (std::vector<std::string>{"a", "a", "b", "b", "c"}));
    EXPECT_EQ(Column(grid, 2), (std::vector<std::string>{"2", "4", "1", "3", "5"}));
    EXPECT_EQ(grid.Look(4, 2).back, 0x00AAFFu);
    EXPECT_EQ(grid.Look(3, 2).back, grid.BackColor());
    EXPECT_EQ(grid.RowHeight(4), 500);
    EXPECT_EQ(grid.RowHeight(3), 240);
    EXPECT_EQ(grid.RowPos(5), grid.RowPos(4) + 500);

    grid.Sort(Sort_Kind::Generic_Descending);
    EXPECT_EQ(Column(grid, 1), (std::vector<std::string>{"c", "b", "b", "a", "a"}));
    EXPECT_EQ(Column(grid, 2), (std::vector<std::string>{"5", "1", "3", "2", "4"}));
}

TEST(Host_Grid_Sort, TouchesOnlySelectedRowsAndNeverTheHeader) {
    Host_Grid grid;
    grid.Cols(2);
    Put_Column(grid, 1, {"d", "c", "b", "a"});
    grid.TextMatrix(0, 1, "zzz");
    Select(grid, 0, 1, 3, 1);  // the header row in the range does not take part
    grid.Sort(Sort_Kind::Generic_Ascending);
    EXPECT_EQ(grid.TextMatrix(0, 1), "zzz");
    EXPECT_EQ(Column(grid, 1), (std::vector<std::string>{"b", "c", "d", "a"}));
    grid.Sort(99);  // unknown kinds do nothing
    EXPECT_EQ(Column(grid, 1), (std::vector<std::string>{"b", "c", "d", "a"}));
}

TEST(Host_Grid_Sort, LargeMixedColumnKeepsEveryRow) {
    // Numbers compare as numbers and mixed pairs as text, so no total order exists; the sort
    // must still permute the rows, and sort the numeric rows among themselves.
    Host_Grid grid;
    grid.Cols(2);
    std::mt19937 random(7);
    std::vector<std::string> texts;
    for (int i = 0; i < 2000; ++i)
        texts.push_back(i % 3 ? std::to_string(random() % 500) : "t" + std::to_string(i % 37));
    Put_Column(grid, 1, texts);
    Select(grid, 1, 1, grid.Rows() - 1, 1);
    grid.Sort(Sort_Kind::Generic_Ascending);
    auto sorted = Column(grid, 1);
    std::sort(texts.begin(), texts.end());
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, texts);
    grid.Sort(Sort_Kind::Numeric_Ascending);
    auto numeric = Column(grid, 1);
    for (size_t i = 1; i < numeric.size(); ++i) {
        auto value = [](const std::string& t) { return t[0] == 't' ? 0 : std::stoi(t); };
        EXPECT_LE(value(numeric[i - 1]), value(numeric[i])) << i;
    }
}

// --- rows added and removed -----------------------------------------------------------------

TEST(Host_Grid_Items, AddItemSplitsAtTabsAndInsertsWhereAsked) {
    Host_Grid grid;
    grid.Rows(1);
    grid.Cols(3);
    grid.AddItem("a\tb\tc\textra");
    grid.AddItem("z", 1);
    grid.AddItem("m\t\tn", 2);
    ASSERT_EQ(grid.Rows(), 4);
    EXPECT_EQ(Column(grid, 0), (std::vector<std::string>{"z", "m", "a"}));
    EXPECT_EQ(Column(grid, 1), (std::vector<std::string>{"", "", "b"}));
    EXPECT_EQ(Column(grid, 2), (std::vector<std::string>{"", "n", "c"}));
    grid.AddItem("end", 4);  // index Rows appends
    EXPECT_EQ(grid.TextMatrix(4, 0), "end");
    EXPECT_EQ(grid.RowHeight(4), 240);
    EXPECT_THROW(grid.AddItem("x", 0), Subscript_Out_Of_Range);
    EXPECT_THROW(grid.AddItem("x", 6), Subscript_Out_Of_Range);
    EXPECT_EQ(grid.Rows(), 5);
}

TEST(Host_Grid_Items, AddItemKeepsTheCurrentRowNumberAndDefaultLooks) {
    Host_Grid grid;
    Fill(grid, 4, 3);
    grid.Row(2);
    grid.FillStyle(1);
    Select(grid, 1, 1, 3, 2);
    grid.CellBackColor(0x111111);
    Recording_Listener listener(grid);
    grid.Set_Listener(&listener);
    grid.AddItem("new\tnew", 2);
    EXPECT_TRUE(listener.events.empty());
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.TextMatrix(2, 1), "new");
    EXPECT_EQ(grid.TextMatrix(3, 1), "r2c1");
    EXPECT_EQ(grid.Look(2, 1).back, grid.BackColor());
    EXPECT_EQ(grid.Look(3, 1).back, 0x111111u);
}

TEST(Host_Grid_Items, AddItemAppendsToAnEmptyGrid) {
    Host_Grid grid;
    grid.Rows(0);
    grid.AddItem("head\tline");
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.TextMatrix(0, 1), "line");
}

TEST(Host_Grid_Items, RemoveItemDeletesRowsAndClampsTheCurrentCell) {
    Host_Grid grid;
    Fill(grid, 4, 2);
    grid.Row(3);
    grid.RemoveItem(1);
    EXPECT_EQ(Column(grid, 1), (std::vector<std::string>{"r2c1", "r3c1"}));
    EXPECT_EQ(grid.Row(), 2);
    grid.RemoveItem(2);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Text(), "r2c1");
    grid.RemoveItem(1);  // the last data row may go too
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.Row(), 0);
    EXPECT_THROW(grid.RemoveItem(0), Subscript_Out_Of_Range);
    EXPECT_THROW(grid.RemoveItem(1), Subscript_Out_Of_Range);
    EXPECT_THROW(grid.RemoveItem(-1), Subscript_Out_Of_Range);
    EXPECT_EQ(grid.TextMatrix(0, 1), "r0c1");
}

// --- geometry and hit-testing ----------------------------------------------------------------

TEST(Host_Grid_Geometry, PositionsFollowScrollingAndHiddenRows) {
    Host_Grid grid;
    Fill(grid, 10, 5);
    grid.ColWidth(0, 300);
    grid.RowHeight(0, 200);
    EXPECT_EQ(grid.ColPos(0), 0);
    EXPECT_EQ(grid.ColPos(1), 300);
    EXPECT_EQ(grid.ColPos(3), 300 + 2 * 960);
    grid.LeftCol(3);
    EXPECT_EQ(grid.ColPos(3), 300);
    EXPECT_EQ(grid.ColPos(4), 300 + 960);
    EXPECT_EQ(grid.ColPos(0), 0);
    EXPECT_EQ(grid.ColPos(1), 300 - 2 * 960);

    EXPECT_EQ(grid.RowPos(4), 200 + 3 * 240);
    grid.RowHeight(2, 0);  // hidden
    EXPECT_EQ(grid.RowPos(4), 200 + 2 * 240);
    EXPECT_EQ(grid.RowPos(3), grid.RowPos(2));
    grid.TopRow(4);
    EXPECT_EQ(grid.RowPos(4), 200);
    EXPECT_EQ(grid.RowPos(6), 200 + 2 * 240);
    EXPECT_EQ(grid.RowPos(1), 200 - 2 * 240);
    grid.RowHeight(5, 1000);
    EXPECT_EQ(grid.RowPos(6), 200 + 240 + 1000);

    grid.Row(6);
    grid.Col(4);
    EXPECT_EQ(grid.CellLeft(), 300 + 960);
    EXPECT_EQ(grid.CellTop(), 200 + 240 + 1000);
    EXPECT_EQ(grid.CellWidth(), 960);
    EXPECT_EQ(grid.CellHeight(), 240);
}

TEST(Host_Grid_Geometry, PointerFindsFixedThenScrolledCells) {
    Host_Grid grid;
    Fill(grid, 10, 5);
    grid.TopRow(5);
    grid.LeftCol(3);
    grid.Pointer_At(10, 10);
    EXPECT_EQ(grid.MouseRow(), 0);
    EXPECT_EQ(grid.MouseCol(), 0);
    grid.Pointer_At(960 + 10, 240 + 10);
    EXPECT_EQ(grid.MouseRow(), 5);
    EXPECT_EQ(grid.MouseCol(), 3);
    grid.Pointer_At(2 * 960 + 959, 2 * 240 + 239);
    EXPECT_EQ(grid.MouseRow(), 6);
    EXPECT_EQ(grid.MouseCol(), 4);
    grid.RowHeight(6, 0);
    grid.ColWidth(4, 0);
    grid.Pointer_At(2 * 960 + 10, 2 * 240 + 10);
    EXPECT_EQ(grid.MouseRow(), 7);  // the hidden row takes no room
    EXPECT_EQ(grid.MouseCol(), 3);  // past the last shown column
    grid.RowHeight(9, 0);
    grid.Pointer_At(1e6, 1e6);
    EXPECT_EQ(grid.MouseRow(), 8);  // the last shown row
    EXPECT_EQ(grid.MouseCol(), 3);
}

TEST(Host_Grid_Geometry, PointerMatchesAWalkOverRandomHeights) {
    Host_Grid grid;
    grid.Rows(3000);
    grid.Cols(2);
    std::mt19937 random(11);
    std::vector<int> heights(3000);
    for (int r = 0; r < 3000; ++r) {
        heights[static_cast<size_t>(r)] =
            random() % 4 == 0 ? 0 : 100 + static_cast<int>(random() % 300);
        grid.RowHeight(r, heights[static_cast<size_t>(r)]);
    }
    for (int trial = 0; trial < 300; ++trial) {
        const int top = 1 + static_cast<int>(random() % 2999);
        grid.TopRow(top);
        if (trial % 7 == 0) {  // edits between hit-tests
            const int r = 1 + static_cast<int>(random() % 2999);
            heights[static_cast<size_t>(r)] = static_cast<int>(random() % 400);
            grid.RowHeight(r, heights[static_cast<size_t>(r)]);
        }
        const double y = static_cast<double>(random() % 20000);
        int expected = -1;
        double edge = heights[0];
        if (y < edge) expected = 0;
        for (int r = top; r < 3000 && expected < 0; ++r) {
            edge += heights[static_cast<size_t>(r)];
            if (y < edge && heights[static_cast<size_t>(r)] > 0) expected = r;
        }
        if (expected < 0) {
            expected = 2999;
            while (expected > top && heights[static_cast<size_t>(expected)] == 0) --expected;
        }
        grid.Pointer_At(10, y);
        ASSERT_EQ(grid.MouseRow(), expected) << "top " << top << " y " << y;
        const int probe = std::min(2999, top + static_cast<int>(random() % 50));
        double pos = heights[0];
        for (int r = top; r < probe; ++r) pos += heights[static_cast<size_t>(r)];
        ASSERT_EQ(grid.RowPos(probe), static_cast<int>(pos));
    }
}

TEST(Host_Grid_Geometry, ShownRowsAndLastTopRowMatchAWalkAfterEdits) {
    Host_Grid grid;
    const int rows = 2000;
    grid.Rows(rows);
    std::mt19937 random(5);
    std::vector<int> heights(rows);
    auto set = [&](int r, int h) {
        heights[static_cast<size_t>(r)] = h;
        grid.RowHeight(r, h);
    };
    for (int r = 0; r < rows; ++r) set(r, random() % 3 == 0 ? 240 : 0);  // mostly filtered out
    for (int trial = 0; trial < 400; ++trial) {
        if (trial % 5 == 0)
            set(1 + static_cast<int>(random() % (rows - 1)), static_cast<int>(random() % 2) * 240);
        const int from = static_cast<int>(random() % (rows + 10));
        int expected = std::max(from, 0);
        while (expected < rows && heights[static_cast<size_t>(expected)] == 0) ++expected;
        ASSERT_EQ(grid.Next_Shown_Row(from), std::min(expected, rows)) << "from " << from;

        const long long room = static_cast<long long>(random() % 40000);
        long long sum = 0;
        int r = rows - 1;
        for (; r >= 1; --r) {
            sum += heights[static_cast<size_t>(r)];
            if (sum > room) break;
        }
        ASSERT_EQ(grid.Last_Top_Row(room), std::clamp(r + 1, 1, rows - 1)) << "room " << room;
    }
    Host_Grid tiny;
    tiny.Rows(1);
    EXPECT_EQ(tiny.Next_Shown_Row(1), 1);
    EXPECT_EQ(tiny.Last_Top_Row(1000), 1);
}

TEST(Host_Grid_Geometry, ClickMovesToDataCellsThenReportsClick) {
    Host_Grid grid;
    Fill(grid, 6, 4);
    Recording_Listener listener(grid);
    grid.Set_Listener(&listener);
    auto click = [&](double x, double y) {
        grid.User_MouseDown(1, 0, x, y);
        grid.User_Click(x, y);
    };
    click(2 * 960 + 5, 3 * 240 + 5);
    EXPECT_EQ(listener.events, (std::vector<std::string>{"leave 1,1", "enter 3,2", "click 3,2"}));
    listener.events.clear();
    click(5, 4 * 240 + 5);              // the fixed column: no move
    click(2 * 960 + 5, 5);              // the header row: no move
    click(2 * 960 + 5, 6 * 240 + 50);   // below the last row: no move
    grid.User_Click(960 + 5, 240 + 5);  // a release alone moves nothing
    EXPECT_EQ(listener.events,
              (std::vector<std::string>{"click 3,2", "click 3,2", "click 3,2", "click 3,2"}));
    EXPECT_EQ(grid.MouseRow(), 1);
    EXPECT_EQ(grid.MouseCol(), 1);
}

TEST(Host_Grid_Geometry, WindowStyleReportsNeededScrollBars) {
    Host_Grid grid;
    grid.Width(4000);
    grid.Height(2000);
    grid.Rows(5);  // 1200 twips high
    grid.Cols(3);  // 2880 twips wide
    EXPECT_EQ(grid.Window_Style(), 0u);
    grid.Rows(20);
    EXPECT_EQ(grid.Window_Style(), Window_Style_Bits::Vertical_Scroll);
    grid.Rows(5);
    grid.Cols(6);
    EXPECT_EQ(grid.Window_Style(), Window_Style_Bits::Horizontal_Scroll);
    grid.Rows(20);
    EXPECT_EQ(grid.Window_Style(),
              Window_Style_Bits::Vertical_Scroll | Window_Style_Bits::Horizontal_Scroll);
    for (int r = 1; r < 20; ++r) grid.RowHeight(r, 0);  // hidden rows need no room
    EXPECT_EQ(grid.Window_Style(), Window_Style_Bits::Horizontal_Scroll);
    EXPECT_NE(grid.hWnd(), Host_Grid().hWnd());
}

// --- a large grid ------------------------------------------------------------------------------

TEST(Host_Grid_Large, MillionBandedCellsStayCompact) {
    constexpr int kRows = 100'001, kCols = 10;
    Host_Grid grid;
    grid.Rows(kRows);
    grid.Cols(kCols);
    for (int r = 1; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c)
            grid.TextMatrix(r, c, "r" + std::to_string(r) + "c" + std::to_string(c));
    grid.FillStyle(1);
    Select(grid, 1, 1, kRows - 1, kCols - 1);
    grid.CellBackColor(0xEEEEEE);
    for (int r = 2; r < kRows; r += 2) {
        Select(grid, r, 1, r, kCols - 1);
        grid.CellBackColor(0xDDFFDD);
    }
    Select(grid, 1, 3, kRows - 1, 3);
    grid.CellFontBold(true);

    const size_t bytes = grid.Memory_Bytes();
    EXPECT_LT(bytes, size_t{200} << 20);
    EXPECT_GT(bytes, size_t{kRows} * kCols * sizeof(std::string));  // the estimate counts cells
    EXPECT_EQ(grid.TextMatrix(54321, 7), "r54321c7");
    EXPECT_EQ(grid.Look(54321, 7).back, 0xEEEEEEu);
    EXPECT_EQ(grid.Look(54322, 7).back, 0xDDFFDDu);
    EXPECT_TRUE(grid.Look(54322, 3).font.bold);
    EXPECT_FALSE(grid.Look(54322, 4).font.bold);
    EXPECT_EQ(grid.Look(54322, 0).back, grid.BackColorFixed());

    grid.TopRow(99'990);
    grid.Pointer_At(960 + 1, 240 + 3 * 240 + 1);
    EXPECT_EQ(grid.MouseRow(), 99'993);
    EXPECT_EQ(grid.RowPos(100'000), 240 + 10 * 240);
}

// --- the same operations on one shared six-by-four grid --------------------------------------

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
    EXPECT_EQ(listener.events,
              (std::vector<std::string>{"leave 1,1", "enter 2,1", "leave 2,1", "enter 2,3"}));
    grid.RowSel(5);
    grid.ColSel(1);
    EXPECT_EQ(listener.events.size(), 4u) << "the selection's far corner moves quietly";
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
    EXPECT_EQ(listener.events, (std::vector<std::string>{"scroll", "scroll"}));
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
    grid.User_MouseDown(1, 0, 1000 + 960, 240 * 3 + 10);  // column 2, row 3
    grid.User_Click(1000 + 960, 240 * 3 + 10);
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(grid.Col(), 2);
    EXPECT_EQ(listener.events.back(), "click 3,2");
    grid.User_MouseDown(1, 0, 10, 10);  // a fixed cell does not take the current cell
    EXPECT_EQ(grid.Row(), 3);
}

TEST(Host_Grid_Large, AMillionCellsSurviveInsertsAndRemovesInTheMiddle) {
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
