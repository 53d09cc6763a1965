#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "support/control_fixture.h"
#include "vekgrid/common/errors.h"

namespace vekgrid::testing {
namespace {

namespace fs = std::filesystem;

// A headless control placed and shown as a host would.
struct Placed {
    Placed() : control(platform) {
        control.InitProperties();
        control.Show();
    }
    Headless_Platform platform;
    vekGRID control;
};

// Everything a host sees of a grid: cells, formula sources, row heights, column widths, cell
// looks and the column table.
void Expect_Same_Grid(vekGRID& a, vekGRID& b, const std::string& what) {
    SCOPED_TRACE(what);
    ASSERT_EQ(a.Rows(), b.Rows());
    ASSERT_EQ(a.Cols(), b.Cols());
    const Host_Grid& ga = Internals_Of(a).GridEditor();
    const Host_Grid& gb = Internals_Of(b).GridEditor();
    for (int r = 0; r < a.Rows(); ++r) {
        EXPECT_EQ(a.RowHeight(r), b.RowHeight(r)) << "row " << r;
        for (int c = 0; c < a.Cols(); ++c) {
            EXPECT_EQ(a.Cell(r, c), b.Cell(r, c)) << r << "," << c;
            EXPECT_EQ(a.Source(r, c), b.Source(r, c)) << r << "," << c;
            EXPECT_EQ(ga.Look(r, c).back, gb.Look(r, c).back) << r << "," << c;
            EXPECT_EQ(ga.Look(r, c).fore, gb.Look(r, c).fore) << r << "," << c;
            EXPECT_EQ(ga.Look(r, c).alignment, gb.Look(r, c).alignment) << r << "," << c;
        }
    }
    for (int c = 0; c < a.Cols(); ++c) EXPECT_EQ(a.ColWidth(c), b.ColWidth(c)) << "col " << c;
    const Variant_Array& pa = Internals_Of(a).Column_Properties();
    const Variant_Array& pb = Internals_Of(b).Column_Properties();
    ASSERT_EQ(pa.Upper(2), pb.Upper(2));
    for (int c = pa.Lower(2); c <= pa.Upper(2); ++c)
        for (int k = pa.Lower(1); k <= pa.Upper(1); ++k)
            EXPECT_EQ(pa(k, c).To_Text(), pb(k, c).To_Text()) << "attribute " << k << ", col " << c;
}

// The same three columns through each surface: text, numeric with formulas and variables,
// drop-down.
void Columns_Original(vekGRID& g) {
    vekColumn name;
    name.Title("Name");
    name.Cell_Alignment(Left_Align);
    g.Add_Column(name);
    vekColumn qty;
    qty.Title("Qty");
    qty.DataType(Numeric);
    qty.Allow_Formula_Input(true);
    qty.Allow_User_Defined_Variables(true);
    qty.ColumnWidth(Variant(std::int32_t{1500}));
    g.Add_Column(qty);
    vekColumn pick;
    pick.Title("Pick");
    pick.Editor_Type(ComboBox);
    pick.ComboBox_List("a,b,c");
    pick.ReadOnly(true);
    g.Add_Column(pick);
}

void Columns_Typed(vekGRID& g) {
    EXPECT_EQ(g.Add_Column({.title = "Name", .alignment = Text_Alignment::Left}), 1);
    EXPECT_EQ(g.Add_Column({.title = "Qty",
                            .width = 1500,
                            .data = Data_Kind::Numeric,
                            .formulas = true,
                            .variables = true}),
              2);
    EXPECT_EQ(g.Add_Column(Column_Spec{
                  .title = "Pick", .editor = ComboBox, .read_only = true, .combo_list = "a,b,c"}),
              3);
}

void Rows_Original(vekGRID& g) {
    for (const char* row : {"\tpear\t3", "\tapple\t=2*5", "\tfig\t7", "\tkiwi\t1"}) g.AddItem(row);
}

void Rows_Typed(vekGRID& g) {
    EXPECT_EQ(g.Add_Row({"", "pear", "3"}), 1);
    EXPECT_EQ(g.Add_Row({"", "apple", "=2*5"}), 2);
    EXPECT_EQ(g.Add_Row({"", "fig", "7"}), 3);
    EXPECT_EQ(g.Add_Row({"", "kiwi", "1"}), 4);
}

// Every typed member takes literals and temporaries.
TEST(Typed_Api, TakesLiteralsAndTemporaries) {
    Placed p;
    vekGRID& g = p.control;
    EXPECT_EQ(g.Add_Column(vekColumn()), 1);
    EXPECT_EQ(g.Add_Column({.title = "Bar", .editor = ProgressBar, .bar_max = 10}), 2);
    EXPECT_EQ(g.Add_Column(Column_Spec{.title = "List", .editor = ComboBox}), 3);
    g.Edit_Column(1, {.title = "Text"});
    g.Update_Combo_Box_List("x,y", 3);
    g.Update_Combo_Box_List(std::string("x,y,z"), 3);
    g.Update_Progress_Column(2);
    EXPECT_EQ(g.Add_Row({"", "a", "5", "x"}), 1);
    g.Cell(1, 1, "b");
    g.Cell(1, 1, std::string("c"));
    g.Set_Variables({{"x", 2.0}, {std::string("y"), 3}});
    g.Filter({{"c"}, {.phrase = "zz", .include = false, .column = 1}});
    g.Clear_Filter();
    g.Sort(1, Sort_Direction::Descending);
    g.Row_Color(1, {255, 0, 0});
    g.Cell_Color(1, 1, Rgb{0, 128, 0});
    g.Range_Color(1, 1, 1, 2, {1, 2, 3});
    g.Band_Colors({255, 255, 255}, {240, 240, 240});
    g.Messages({{"Grid Error", "Fehler"}});
    EXPECT_FALSE(g.Load("/nonexistent/file.txt"));
    EXPECT_EQ(g.Cell(1, 1), "c");
    EXPECT_EQ(Internals_Of(g).Column_Properties()(Col_Attr::Title, 1).To_Text(), "Text");
    EXPECT_TRUE(p.platform.messages.calls.empty());
}

TEST(Typed_Api, ColumnsRowsAndCellsMatchTheOriginal) {
    Placed a, b;
    Columns_Original(a.control);
    Columns_Typed(b.control);
    Expect_Same_Grid(a.control, b.control, "columns");
    Rows_Original(a.control);
    Rows_Typed(b.control);
    Expect_Same_Grid(a.control, b.control, "rows");
    EXPECT_EQ(b.control.Cell(2, 2), "10");
    EXPECT_EQ(b.control.Source(2, 2), "=2*5");

    a.control.Cell_Text(3, 1, "plum");
    b.control.Cell(3, 1, "plum");
    a.control.AddItem("\tlime\t2", Variant(std::int32_t{2}));
    EXPECT_EQ(b.control.Add_Row({"", "lime", "2"}, 2), 2);
    Expect_Same_Grid(a.control, b.control, "cells and an inserted row");

    a.control.Copy_Row_To_New_Row(Variant(std::int32_t{1}), Variant(std::int32_t{3}));
    EXPECT_TRUE(b.control.Duplicate_Row(1, 3));
    a.control.Delete_Row(2, true);
    EXPECT_TRUE(b.control.Delete_Row_At(2, true));
    a.control.Hide_Row(4);
    EXPECT_TRUE(b.control.Hide_Row_At(4));
    EXPECT_TRUE(b.control.Row_Hidden(4));
    EXPECT_FALSE(b.control.Row_Hidden(3));
    Expect_Same_Grid(a.control, b.control, "row operations");

    // A missing row changes nothing and says so.
    EXPECT_FALSE(b.control.Delete_Row_At(99));
    EXPECT_FALSE(b.control.Duplicate_Row(99, 1));
    EXPECT_FALSE(b.control.Hide_Row_At(0));
    Expect_Same_Grid(a.control, b.control, "missing rows");

    a.control.Show_All_Rows();
    b.control.Show_Rows();
    Expect_Same_Grid(a.control, b.control, "rows shown");

    vekColumn edit;
    edit.Title("Label");
    edit.Display_Index(1);
    edit.Cell_Alignment(Center_Align);
    a.control.Add_Column(edit, true);
    b.control.Edit_Column(1, {.title = "Label", .alignment = Text_Alignment::Center});
    Expect_Same_Grid(a.control, b.control, "edited column");
    EXPECT_THROW(b.control.Edit_Column(9, {}), Subscript_Out_Of_Range);
    EXPECT_THROW((void)b.control.Source(99, 1), Subscript_Out_Of_Range);
}

// Reading a cell leaves the edit the user has open alone; the original getter commits it.
TEST(Typed_Api, CellGetterDoesNotCommitTheOpenEdit) {
    Placed p;
    vekGRID& g = p.control;
    Columns_Typed(g);
    Rows_Typed(g);
    Internals_Of(g).GridEditor().Row(1);
    Internals_Of(g).GridEditor().Col(1);
    Internals_Of(g).TextEditor().Text("typed");
    ASSERT_TRUE(Internals_Of(g).TextEditor().Visible());
    EXPECT_EQ(g.Cell(1, 1), "pear");
    EXPECT_EQ(Internals_Of(g).TextEditor().Text(), "typed");
    EXPECT_EQ(g.Cell_Text(1, 1), "typed");
}

TEST(Typed_Api, SortTakesTheAskedDirectionWhateverTheOrderBefore) {
    for (int col : {1, 2}) {
        for (auto direction : {Sort_Direction::Ascending, Sort_Direction::Descending}) {
            Placed typed, original;
            for (Placed* p : {&typed, &original}) {
                p->control.Add_Column({.title = "Name"});
                p->control.Add_Column({.title = "N", .data = Data_Kind::Numeric});
                for (const char* name : {"pear", "apple", "fig", "kiwi", "Fig"})
                    p->control.Add_Row({"", name, std::to_string(p->control.Rows() * 37 % 11)});
            }
            // Twice in a row: the second call keeps the order the first one made.
            typed.control.Sort(col, direction);
            typed.control.Sort(col, direction);
            std::vector<std::string> seen;
            for (int r = 1; r < typed.control.Rows(); ++r)
                seen.push_back(typed.control.Cell(r, col));
            const bool ascending = direction == Sort_Direction::Ascending;
            auto in_order = [&](const std::string& x, const std::string& y) {
                if (col == 2)
                    return ascending ? std::stod(x) < std::stod(y) : std::stod(x) > std::stod(y);
                std::string fx = x, fy = y;
                for (auto* f : {&fx, &fy})
                    for (char& c : *f)
                        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                return ascending ? fx < fy : fx > fy;
            };
            EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end(), in_order))
                << "column " << col << ": " << ::testing::PrintToString(seen);

            // The same grid as the toggling sort gives when it lands on that direction.
            original.control.Sort_Grid(static_cast<std::int16_t>(col));
            if (original.control.Cell(1, col) != typed.control.Cell(1, col))
                original.control.Sort_Grid(static_cast<std::int16_t>(col));
            Expect_Same_Grid(original.control, typed.control, "sorted");
        }
    }
}

TEST(Typed_Api, FilterAndVariablesMatchTheirTables) {
    Placed a, b;
    Columns_Original(a.control);
    Rows_Original(a.control);
    Columns_Typed(b.control);
    Rows_Typed(b.control);

    auto table = std::make_shared<Variant_Array>(1, 2, 1, 3);
    (*table)(1, 1) = "P";
    (*table)(1, 2) = "include";
    (*table)(2, 1) = "pear";
    (*table)(2, 2) = "EXCLUDE";
    (*table)(2, 3) = std::int32_t{1};
    a.control.Filter_Grid(Variant(table), Filter_All);
    b.control.Filter({{"P"}, {.phrase = "pear", .include = false, .column = 1}});
    Expect_Same_Grid(a.control, b.control, "filtered");
    EXPECT_TRUE(b.control.Row_Hidden(1)) << "pear is excluded";
    EXPECT_FALSE(b.control.Row_Hidden(2)) << "apple holds a p";
    EXPECT_TRUE(b.control.Row_Hidden(3)) << "fig holds none";

    a.control.Filter_Grid(Variant(), Filter_All, true);
    b.control.Clear_Filter();
    Expect_Same_Grid(a.control, b.control, "filter cleared");

    a.control.Cell_Text(3, 2, "='x'*3");
    b.control.Cell(3, 2, "='x'*3");
    auto variables = std::make_shared<Variant_Array>(0, 2, 0, 2);
    (*variables)(1, 1) = "x";
    (*variables)(2, 1) = 4.0;
    (*variables)(1, 2) = "y";
    (*variables)(2, 2) = 0.5;
    a.control.Update_User_Defined_Variable_List(Variant(variables));
    b.control.Set_Variables({{"x", 4}, {"y", 0.5}});
    Expect_Same_Grid(a.control, b.control, "variables");
    EXPECT_EQ(b.control.Cell(3, 2), "12");
    EXPECT_EQ(b.control.Variable_Values(), (Variable_Table{{"x", 4}, {"y", 0.5}}));
}

TEST(Typed_Api, ColoursConvertAndPaintAsTheOriginal) {
    constexpr Rgb orange{255, 128, 0};
    static_assert(orange.To_Ole() == 0x0080FF);
    static_assert(Rgb::From_Ole(0x0080FF) == orange);
    static_assert(Rgb::From_Ole(Colors::Window) == Rgb{255, 255, 255});
    static_assert(Rgb::From_Ole(Colors::Button_Face) == Rgb{240, 240, 240});
    static_assert(Rgb::Is_System(Rgb::System(15)) && Rgb::System(15) == Colors::Button_Face);
    for (Color c : {0x000000u, 0x123456u, 0xFFFFFFu, 0xABCDEFu})
        EXPECT_EQ(Rgb::From_Ole(c).To_Ole(), c);
    EXPECT_EQ(Rgb::From_Ole(0x800000FFu), Rgb{}) << "an unknown system colour";

    Placed a, b;
    for (Placed* p : {&a, &b}) {
        Columns_Typed(p->control);
        Rows_Typed(p->control);
    }
    a.control.Set_Cell_Color(1, 1, 0x0080FF);
    b.control.Cell_Color(1, 1, orange);
    a.control.Set_Range_Cell_Color(2, 3, 1, 2, 0x00FF00);
    b.control.Range_Color(2, 3, 1, 2, {0, 255, 0});
    a.control.Row_Color(4, Variant::From_Unsigned(0xFF0000), true);
    b.control.Row_Color(4, {0, 0, 255}, true);
    Expect_Same_Grid(a.control, b.control, "painted");

    a.control.Row_Color_Odd(Variant::From_Unsigned(0xEEEEEE));
    a.control.Row_Color_Even(Variant::From_Unsigned(0xDDDDDD));
    b.control.Band_Colors({0xEE, 0xEE, 0xEE}, {0xDD, 0xDD, 0xDD});
    a.control.AddItem("\tnew\t1");
    b.control.Add_Row({"", "new", "1"});
    Expect_Same_Grid(a.control, b.control, "banded");
    EXPECT_EQ(b.control.Cell_Color(1, 1), orange);
    EXPECT_EQ(b.control.Cell_Color(4, 1), (Rgb{0, 0, 255}));
    EXPECT_EQ(b.control.Cell_Color(1, 99), std::nullopt);
}

class Typed_Files : public ::testing::Test {
  protected:
    Typed_Files() {
        dir = fs::temp_directory_path() / ("vekgrid_typed_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        Columns_Typed(grid.control);
        Rows_Typed(grid.control);
    }
    ~Typed_Files() override { fs::remove_all(dir); }
    fs::path dir;
    Placed grid, twin;
};

TEST_F(Typed_Files, FailuresSayWhyShowNothingAndLeaveTheGrid) {
    Columns_Typed(twin.control);
    Rows_Typed(twin.control);
    fs::create_directories(dir / "folder");
    const std::string big = (dir / "big.txt").string();
    { std::ofstream(big) << "a\tb\r\n"; }
    fs::resize_file(big, (std::uintmax_t{256} << 20) + 1);
    struct Case {
        std::string path, says;
    } cases[] = {{(dir / "missing.txt").string(), "no such file"},
                 {(dir / "folder").string(), "folder"},
                 {"/dev/null", "not a regular file"},
                 {big, "256 MiB"},
                 {(dir / "empty.txt").string(), "empty"}};
    { std::ofstream(dir / "empty.txt"); }
    for (const auto& c : cases) {
        for (auto format : {File_Format::Tab_Delimited, File_Format::Csv}) {
            const Result result = grid.control.Load(c.path, format);
            EXPECT_FALSE(result.Ok()) << c.path;
            EXPECT_NE(result.Message().find(c.says), std::string::npos) << result.Message();
            Expect_Same_Grid(twin.control, grid.control, c.path);
        }
    }
    const Result save = grid.control.Save((dir / "folder").string());
    EXPECT_FALSE(save);
    EXPECT_FALSE(save.Message().empty());
    const Result nowhere = grid.control.Save((dir / "no" / "such" / "dir.txt").string());
    EXPECT_FALSE(nowhere);
    EXPECT_TRUE(grid.platform.messages.calls.empty());

    // A file with no line past its byte-order mark reaches the loader, which says so in the
    // result, not in a box.
    { std::ofstream(dir / "mark.csv", std::ios::binary) << "\xEF\xBB\xBF"; }
    const Result mark = grid.control.Load((dir / "mark.csv").string(), File_Format::Csv);
    EXPECT_FALSE(mark);
    EXPECT_EQ(mark.Message(), "no lines");
    ASSERT_EQ(mark.notices.size(), 1u) << "the box the loader would have shown";
    EXPECT_NE(mark.notices[0].find("Load_Single_Array"), std::string::npos) << mark.notices[0];
    EXPECT_TRUE(grid.platform.messages.calls.empty());
}

TEST_F(Typed_Files, SaveAndLoadGiveTheOriginalsGrid) {
    for (auto format : {File_Format::Tab_Delimited, File_Format::Semicolon_Delimited,
                        File_Format::Csv, File_Format::Csv_With_Byte_Order_Mark}) {
        const bool csv =
            format == File_Format::Csv || format == File_Format::Csv_With_Byte_Order_Mark;
        const std::string path = (dir / (csv ? "grid.csv" : "grid.txt")).string();
        const Result saved = grid.control.Save(path, format);
        ASSERT_TRUE(saved) << saved.Message();
        Placed typed, original;
        ASSERT_TRUE(typed.control.Load(path, format, 2));
        if (csv)
            original.control.Load_Csv(path, 2);
        else
            original.control.Load_File(path, 2);
        Expect_Same_Grid(original.control, typed.control, path);
        EXPECT_EQ(typed.control.Cell(2, 1), "apple");
        EXPECT_TRUE(typed.platform.messages.calls.empty());
    }
}

TEST(Message_Catalogue, DefaultsStayWordForWordAndAHostReplacesLinesAndTitles) {
    const std::string error = "The formula you entered contains an error and cannot be evaluated:";
    for (bool translated : {false, true}) {
        Placed p;
        vekGRID& g = p.control;
        Columns_Typed(g);
        Rows_Typed(g);
        if (translated)
            g.Messages({{error, "Die Formel enthält einen Fehler:"},
                        {"Error in: ", "Fehler in: "},
                        {"Error in Formula...", "Formelfehler"}});
        Internals_Of(g).GridEditor().Row(1);
        Internals_Of(g).GridEditor().Col(2);
        Internals_Of(g).TextEditor().Text("=2*(3");
        Internals_Of(g).GridEditor().Row(2);  // leaving the cell commits the formula
        ASSERT_EQ(p.platform.messages.calls.size(), 1u);
        const auto& call = p.platform.messages.calls[0];
        const std::string expected_start =
            (translated ? "Die Formel enthält einen Fehler:" : error) + "\r\n\r\n=2*(3\r\n\r\n";
        EXPECT_EQ(call.text.substr(0, expected_start.size()), expected_start) << call.text;
        const size_t last = call.text.rfind("\r\n") + 2;
        EXPECT_EQ(call.text.substr(last), (translated ? "Fehler in: " : "Error in: ") +
                                              call.text.substr(call.text.find(": ", last) + 2));
        EXPECT_TRUE(call.text.substr(last).starts_with(translated ? "Fehler in: " : "Error in: "));
        EXPECT_EQ(call.title, translated ? "Formelfehler" : "Error in Formula...");
    }
    Message_Catalogue catalogue;
    catalogue.Set("a", "b");
    EXPECT_EQ(catalogue.Text("a\r\nx\r\na"), "b\r\nx\r\nb");
    EXPECT_EQ(catalogue.Text("ax"), "ax") << "only whole lines, or keys ending in a space";
}

}  // namespace
}  // namespace vekgrid::testing
