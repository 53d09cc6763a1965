// What each public operation does with bad arguments, as a host sees it: the error type it
// throws (if any), the message box it shows (if any), and a grid that stays consistent and
// usable afterwards.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/control_fixture.h"
#include "vekgrid/common/errors.h"
#include "vekgrid/formula/math_parser.h"
#include "vekgrid/formula/text_to_double.h"

namespace vekgrid::testing {
namespace {

namespace fs = std::filesystem;

enum class Thrown { Nothing, Subscript_Out_Of_Range, Invalid_Argument };

struct Bad_Call {
    const char* name;
    std::function<void(vekGRID&)> call;
    Thrown thrown;
    const char* message_title;  // nullptr: no message box
};

const char kGridError[] = "Grid Error";
const char kLoadTitle[] = "Vekgrid_Lib";

class Bad_Input_Test : public Control_Test {
  protected:
    Bad_Input_Test() {
        Set_Up_Columns();
        dir = fs::temp_directory_path() / ("vekgrid-bad-input-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    ~Bad_Input_Test() override { fs::remove_all(dir); }

    // Name (text), Qty (formula), Pick (drop-down), Done (progress bar); two data rows.
    void Set_Up_Columns() {
        vekColumn name, qty, pick, done;
        name.Title("Name");
        qty.Title("Qty");
        qty.Allow_Formula_Input(true);
        pick.Title("Pick");
        pick.Editor_Type(ComboBox);
        pick.ComboBox_List("a,b");
        done.Title("Done");
        done.Editor_Type(ProgressBar);
        for (vekColumn* column : {&name, &qty, &pick, &done}) control->Add_Column(*column);
        control->Rows(3);
    }

    // The grid the host sees is whole: sizes agree, the current cell is inside, and the
    // control still takes an edit and reports it.
    void Expect_Consistent(const std::string& context) {
        const int rows = grid().Rows(), cols = grid().Cols();
        const bool data = rows > 1 && cols > 1;
        EXPECT_EQ(Internals_Of(*control).Equation_Mask().Rows(), data ? rows - 1 : 1) << context;
        EXPECT_EQ(Internals_Of(*control).Equation_Mask().Cols(), data ? cols - 1 : 1) << context;
        EXPECT_TRUE(grid().Row() >= 0 && grid().Row() < rows) << context;
        EXPECT_TRUE(grid().Col() >= 0 && grid().Col() < cols) << context;
        EXPECT_FALSE(Internals_Of(*control).Updating_Grid()) << context;
        EXPECT_FALSE(Internals_Of(*control).Suppress_Cell_Events()) << context;
        if (!data) return;
        events.lines.clear();
        Type_Into(1, 1, "edited");
        grid().Row(rows > 2 ? 2 : 1);
        grid().Col(cols > 2 ? 2 : 1);
        EXPECT_EQ(control->Cell_Text(1, 1), "edited") << context;
    }

    fs::path dir;
};

TEST_F(Bad_Input_Test, EachOperationRefusesBadArgumentsTheDocumentedWay) {
    const std::string huge(8 << 20, 'x');
    const std::vector<Bad_Call> table = {
        {"Cell_Text put, row past the end", [](vekGRID& c) { c.Cell_Text(99, 1, "x"); },
         Thrown::Nothing, nullptr},
        {"Cell_Text put, negative row", [](vekGRID& c) { c.Cell_Text(-1, 1, "x"); },
         Thrown::Nothing, nullptr},
        {"Cell_Text get, column past the end", [](vekGRID& c) { (void)c.Cell_Text(1, 99); },
         Thrown::Subscript_Out_Of_Range, nullptr},
        {"TextMatrix get, negative column", [](vekGRID& c) { (void)c.TextMatrix(1, -3); },
         Thrown::Subscript_Out_Of_Range, nullptr},
        {"Cell_Text put, empty text", [](vekGRID& c) { c.Cell_Text(2, 1, ""); }, Thrown::Nothing,
         nullptr},
        {"Cell_Text put, 8 MB text", [&](vekGRID& c) { c.Cell_Text(2, 1, huge); }, Thrown::Nothing,
         nullptr},
        {"Rows negative", [](vekGRID& c) { c.Rows(-5); }, Thrown::Nothing, nullptr},
        {"Cols negative", [](vekGRID& c) { c.Cols(-1); }, Thrown::Nothing, nullptr},
        {"RowHeight of a missing row", [](vekGRID& c) { c.RowHeight(99, 300); }, Thrown::Nothing,
         nullptr},
        {"ColWidth negative width", [](vekGRID& c) { c.ColWidth(1, -50); }, Thrown::Nothing,
         nullptr},
        {"Current_Row past the end", [](vekGRID& c) { c.Current_Row(99); }, Thrown::Nothing,
         nullptr},
        {"Current_Col negative", [](vekGRID& c) { c.Current_Col(-1); }, Thrown::Nothing, nullptr},
        {"RemoveItem of a missing row", [](vekGRID& c) { c.RemoveItem(99); }, Thrown::Nothing,
         nullptr},
        {"Delete_Row negative", [](vekGRID& c) { c.Delete_Row(-1); }, Thrown::Nothing, nullptr},
        {"Hide_Row of a missing row", [](vekGRID& c) { c.Hide_Row(99); }, Thrown::Nothing, nullptr},
        {"Copy_Row_To_New_Row from a missing row",
         [](vekGRID& c) { c.Copy_Row_To_New_Row(Variant(99), Variant(1)); }, Thrown::Nothing,
         nullptr},
        {"AddItem at a negative index", [](vekGRID& c) { c.AddItem("x", Variant(-4)); },
         Thrown::Nothing, nullptr},
        {"Filter_Grid with no array", [](vekGRID& c) { c.Filter_Grid(Variant(), Filter_All); },
         Thrown::Nothing, nullptr},
        {"Set_Cell_Color outside", [](vekGRID& c) { c.Set_Cell_Color(99, 99, 0xFF); },
         Thrown::Nothing, nullptr},
        {"Row_Color of a missing row", [](vekGRID& c) { c.Row_Color(99, Variant(0xFF)); },
         Thrown::Nothing, nullptr},
        {"Word_Wrap of a missing column", [](vekGRID& c) { c.Word_Wrap(99); }, Thrown::Nothing,
         nullptr},
        {"Word_Wrap_Row of a missing row", [](vekGRID& c) { c.Word_Wrap_Row(99); }, Thrown::Nothing,
         nullptr},
        {"Gridline_Draw unknown mode", [](vekGRID& c) { c.Gridline_Draw(99); }, Thrown::Nothing,
         nullptr},
        {"Update_Combo_Box_List of a missing column",
         [](vekGRID& c) {
             std::string list = "x,y";
             std::int16_t col = 99;
             c.Update_Combo_Box_List(list, col);
         },
         Thrown::Nothing, nullptr},
        {"Update_Progress_Column of a missing column",
         [](vekGRID& c) {
             std::int16_t col = -2;
             c.Update_Progress_Column(col);
         },
         Thrown::Nothing, nullptr},
        {"Update_User_Defined_Variable_List with no array",
         [](vekGRID& c) { c.Update_User_Defined_Variable_List(Variant(std::string("x"))); },
         Thrown::Nothing, nullptr},
        {"Load_Single_Array with no array",
         [](vekGRID& c) {
             std::int16_t align = 0;
             c.Load_Single_Array(Variant(), align);
         },
         Thrown::Nothing, kGridError},
        {"Load_Single_Array with no lines",
         [](vekGRID& c) {
             std::int16_t align = 0;
             c.Load_Single_Array(std::vector<std::string>{}, align);
         },
         Thrown::Nothing, kGridError},
        {"Add_Column editing Display_Index past the table",
         [](vekGRID& c) {
             vekColumn column;
             column.Display_Index(50);
             c.Add_Column(column, true);
         },
         Thrown::Subscript_Out_Of_Range, nullptr},
        {"Add_Column editing a negative Display_Index",
         [](vekGRID& c) {
             vekColumn column;
             column.Display_Index(-1);
             c.Add_Column(column, true);
         },
         Thrown::Subscript_Out_Of_Range, nullptr},
        {"Load_File of a folder", [&](vekGRID& c) { c.Load_File(dir.string()); }, Thrown::Nothing,
         kLoadTitle},
        {"Load_File of a missing file", [&](vekGRID& c) { c.Load_File((dir / "no").string()); },
         Thrown::Nothing, kLoadTitle},
        {"Write_File into a folder", [&](vekGRID& c) { c.Write_File(dir.string()); },
         Thrown::Nothing, nullptr},
        {"Write_File to an empty path", [](vekGRID& c) { c.Write_File(""); }, Thrown::Nothing,
         nullptr},
    };
    for (const Bad_Call& bad : table) {
        SCOPED_TRACE(bad.name);
        control = std::make_unique<vekGRID>(platform);  // a fresh grid for each call
        columns.clear();
        control->InitProperties();
        control->Show();
        control->Add_Listener(events);
        Set_Up_Columns();
        platform.messages.calls.clear();

        Thrown thrown = Thrown::Nothing;
        try {
            bad.call(*control);
        } catch (const Subscript_Out_Of_Range&) {
            thrown = Thrown::Subscript_Out_Of_Range;
        } catch (const Invalid_Argument&) {
            thrown = Thrown::Invalid_Argument;
        }
        EXPECT_EQ(thrown, bad.thrown);
        if (bad.message_title) {
            ASSERT_EQ(platform.messages.calls.size(), 1u);
            EXPECT_EQ(platform.messages.calls[0].title, bad.message_title);
        } else {
            EXPECT_TRUE(platform.messages.calls.empty()) << platform.messages.calls.front().text;
        }
        Expect_Consistent(bad.name);
    }
}

// Sort_Grid by a column the grid does not have throws with Updating_Grid left set and the grid
// hidden, so the control ignores the user from then on. Enable once Sort_Grid checks the column
// before it hides the grid.
TEST_F(Bad_Input_Test, SortGridByAMissingColumnLeavesTheControlUsable) {
    EXPECT_NO_THROW(control->Sort_Grid(99));
    EXPECT_TRUE(grid().Visible());
    Expect_Consistent("after Sort_Grid(99)");
}

TEST_F(Bad_Input_Test, HugeTextIsKeptWholeAndExportedWhole) {
    const std::string huge(8 << 20, 'y');
    control->Cell_Text(2, 1, huge);
    EXPECT_EQ(control->Cell_Text(2, 1).size(), huge.size());
    const Variant lines = control->Dump_Into_Single_Array();
    EXPECT_EQ((*lines.To_Array())(0, 3).To_Text().substr(0, huge.size()), huge);
}

// A formula of 100,000 characters is evaluated in one pass, not refused.
TEST_F(Bad_Input_Test, FormulaOfAHundredThousandCharacters) {
    std::string sum = "=1";
    while (sum.size() < 100000) sum += "+1";
    std::string text = sum;
    Recording_Message_Box messages;
    const auto result = Evaluate_Formula(text, messages);
    EXPECT_EQ(result[0], std::to_string((sum.size() - 1) / 2 + 1));
    EXPECT_TRUE(messages.calls.empty());

    std::string nested = "=" + std::string(50000, '(') + "2" + std::string(49999, ')');
    std::string unbalanced = nested;
    const auto bad = Evaluate_Formula(unbalanced, messages);
    EXPECT_EQ(messages.calls.size(), 1u) << "a missing bracket is reported once";
    EXPECT_EQ(bad[0], bad[1]);

    // Typed into a formula cell it ends up as the value, its source in the mask.
    Type_Into(1, 2, sum);
    grid().Row(2);
    EXPECT_EQ(control->Cell_Text(1, 2), result[0]);
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 2), sum);
}

TEST_F(Bad_Input_Test, NumberTextsOfAnyShapeReadWithoutFailing) {
    Recording_Message_Box messages;
    EXPECT_EQ(Text_To_Double(""), 0);
    EXPECT_NO_THROW((void)Text_To_Double(std::string(100000, '9')));
    EXPECT_EQ(Convert_Feet_Inches("", messages).To_Text(), "");
    EXPECT_TRUE(messages.calls.empty());
    EXPECT_EQ(Convert_Feet_Inches(std::string(100000, '-'), messages).To_Text(),
              std::string(100000, '-'));
    EXPECT_EQ(messages.calls.size(), 1u) << "a length that does not read is reported";
}

// Files past 256 MiB are refused before anything is read: a sparse 1 GB file costs nothing.
TEST_F(Bad_Input_Test, FileOfAGigabyteIsRefusedUpFront) {
    const fs::path big = dir / "big.txt";
    {
        std::ofstream out(big, std::ios::binary);
        out << "A\tB\r\n";
    }
    fs::resize_file(big, std::uintmax_t{1} << 30);
    const int rows = grid().Rows(), cols = grid().Cols();
    control->Load_File(big.string());
    ASSERT_EQ(platform.messages.calls.size(), 1u);
    EXPECT_EQ(platform.messages.calls[0].text,
              "An error occured while attempting to read in the file.  Load_File() function of "
              "vekGRID.");
    EXPECT_EQ(grid().Rows(), rows) << "a refused file leaves the grid as it was";
    EXPECT_EQ(grid().Cols(), cols);
    Expect_Consistent("after the refused file");
}

// A long line is within the limit and loads as one column; 4 MB stands for the 100 MB a file
// under the limit may hold, the work being linear in the line's length.
TEST_F(Bad_Input_Test, OneLongLineLoadsAsOneColumn) {
    const fs::path path = dir / "long.txt";
    const std::string line(4 << 20, 'z');
    {
        std::ofstream out(path, std::ios::binary);
        out << "Title\r\n" << line << "\r\n";
    }
    control->Load_File(path.string());
    EXPECT_TRUE(platform.messages.calls.empty());
    EXPECT_EQ(grid().Cols(), 2);
    EXPECT_EQ(control->Cell_Text(1, 1).size(), line.size());
}

TEST_F(Bad_Input_Test, FileWithoutReadPermission) {
    const fs::path path = dir / "locked.txt";
    {
        std::ofstream out(path, std::ios::binary);
        out << "A\tB\r\n1\t2\r\n";
    }
    fs::permissions(path, fs::perms::none);
    if (std::ifstream(path).good()) {
        fs::permissions(path, fs::perms::owner_all);
        GTEST_SKIP() << "this user reads files without read permission (root)";
    }
    control->Load_File(path.string());
    fs::permissions(path, fs::perms::owner_all);
    ASSERT_EQ(platform.messages.calls.size(), 1u);
    EXPECT_EQ(platform.messages.calls[0].title, kLoadTitle);
    Expect_Consistent("after the unreadable file");
}

}  // namespace
}  // namespace vekgrid::testing
