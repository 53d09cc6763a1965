#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "support/control_fixture.h"

namespace vekgrid::testing {
namespace {

namespace fs = std::filesystem;

class Csv_Test : public Control_Test {
  protected:
    Csv_Test() {
        dir = fs::temp_directory_path() / ("vekgrid_csv_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    ~Csv_Test() override { fs::remove_all(dir); }
    std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void Write(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    // Titles and cells, row by row.
    std::vector<std::vector<std::string>> Table() {
        std::vector<std::vector<std::string>> table;
        for (int r = 0; r < grid().Rows(); ++r) {
            table.emplace_back();
            for (int c = 1; c < grid().Cols(); ++c) table.back().push_back(grid().TextMatrix(r, c));
        }
        return table;
    }
    fs::path dir;
};

// Text as a spreadsheet writes it: quoted commas, doubled quotes, a line break inside a cell,
// empty and trailing empty fields, a byte-order mark.
TEST_F(Csv_Test, SpreadsheetTextLoadsCellForCell) {
    const auto path = dir / "sheet.csv";
    Write(path,
          "\xEF\xBB\xBFName,Note,Qty\r\n"
          "\"Smith, J\",\"said \"\"hi\"\"\",3\r\n"
          "\"two\r\nlines\",,\r\n"
          "caf\xC3\xA9,\"\",\"\"\"\"\n"
          "short\r\n");
    control->Load_Csv(path.string());
    ASSERT_TRUE(platform.messages.calls.empty()) << control->Last_File_Error();
    EXPECT_EQ(Table(), (std::vector<std::vector<std::string>>{{"Name", "Note", "Qty"},
                                                              {"Smith, J", "said \"hi\"", "3"},
                                                              {"two\r\nlines", "", ""},
                                                              {"caf\xC3\xA9", "", "\""},
                                                              {"short", "", ""}}));
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 2), "said \"hi\"");
}

TEST_F(Csv_Test, WritesQuotedFieldsCrLfAndFormulaSources) {
    Add(TextBox, "Name");
    vekColumn formula;
    formula.Title("Total, net");
    formula.Allow_Formula_Input(true);
    control->Add_Column(formula);
    control->Rows(3);
    control->TextMatrix(1, 1, "a \"b\"");
    control->TextMatrix(1, 2, "=2*3");
    grid().TextMatrix(1, 2, "6");
    control->TextMatrix(2, 1, "x\ny");
    const auto path = dir / "out.csv";
    ASSERT_TRUE(control->Write_Csv(path.string(), true));
    EXPECT_EQ(Read(path),
              "\xEF\xBB\xBFName,\"Total, net\"\r\n\"a \"\"b\"\"\",=2*3\r\n\"x\ny\",\r\n");
    ASSERT_TRUE(control->Write_Csv(path.string()));
    EXPECT_EQ(Read(path).substr(0, 5), "Name,") << "no byte-order mark unless asked";
    control->Load_Csv(path.string());
    EXPECT_EQ(grid().TextMatrix(1, 2), "6") << "formulas come back evaluated";
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 2), "=2*3");
    EXPECT_EQ(grid().TextMatrix(2, 1), "x\ny");
    // The control's own format is untouched by CSV: no quoting there.
    ASSERT_TRUE(control->Write_File(path.string(), Tab_Delimited));
    EXPECT_EQ(Read(path), "Name\tTotal, net\r\na \"b\"\t=2*3\r\nx\ny\t\r\n");
}

// Random grids of hostile texts go out and come back identical, with and without the mark.
TEST_F(Csv_Test, NastyContentRoundTripsIdentically) {
    const std::vector<std::string> pieces = {",",
                                             "\"",
                                             "\r",
                                             "\n",
                                             "\r\n",
                                             "\t",
                                             " ",
                                             "",
                                             "a",
                                             "=",
                                             "-",
                                             ";",
                                             "\xC3\xA9",
                                             "\xE2\x82\xAC",
                                             "\xF0\x9F\x98\x80",
                                             "\xEF\xBB\xBF",
                                             "\"\"",
                                             "x,y",
                                             "  lead"};
    std::mt19937 random(20261207);
    const auto path = dir / "round.csv";
    for (int round = 0; round < 60; ++round) {
        const int cols = 1 + static_cast<int>(random() % 5);
        const int rows = static_cast<int>(random() % 6);
        std::vector<std::string> lines(1);
        std::vector<std::vector<std::string>> expected(static_cast<size_t>(rows) + 1);
        auto text = [&] {
            std::string t;
            for (int n = static_cast<int>(random() % 4); n > 0; --n)
                t += pieces[random() % pieces.size()];
            return t;
        };
        // Columns and rows through host calls, so cells may hold anything a host can write.
        Headless_Platform fresh_platform;
        vekGRID fresh(fresh_platform);
        for (int c = 1; c <= cols; ++c) {
            vekColumn column;
            std::string title = "T" + std::to_string(c) + text();
            column.Title(title);
            fresh.Add_Column(column);
        }
        fresh.Rows(rows + 1);
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= cols; ++c) fresh.TextMatrix(r, c, text());
        for (int r = 0; r <= rows; ++r)
            for (int c = 1; c <= cols; ++c)
                expected[static_cast<size_t>(r)].push_back(
                    Internals_Of(fresh).GridEditor().TextMatrix(r, c));
        // Rows of empty cells at the end of a table with several columns still write commas.
        ASSERT_TRUE(fresh.Write_Csv(path.string(), round % 2 == 0)) << fresh.Last_File_Error();
        control->Load_Csv(path.string());
        ASSERT_TRUE(platform.messages.calls.empty()) << "round " << round;
        ASSERT_EQ(Table(), expected) << "round " << round << "\n" << Read(path);
    }
}

TEST_F(Csv_Test, OneColumnOfEmptyCellsKeepsItsRows) {
    Add(TextBox, "Only");
    control->Rows(4);
    control->TextMatrix(2, 1, "mid");
    const auto path = dir / "one.csv";
    ASSERT_TRUE(control->Write_Csv(path.string()));
    EXPECT_EQ(Read(path), "Only\r\n\"\"\r\nmid\r\n\"\"\r\n");
    control->Load_Csv(path.string());
    EXPECT_EQ(grid().Rows(), 4);
    EXPECT_EQ(grid().TextMatrix(2, 1), "mid");
    // Loading refuses what Load_File refuses, with its message.
    control->Load_Csv((dir / "missing.csv").string());
    ASSERT_EQ(platform.messages.calls.size(), 1u);
    EXPECT_EQ(grid().Rows(), 4) << "kept";
    Write(path, "");
    control->Load_Csv(path.string());
    EXPECT_EQ(platform.messages.calls.back().title, "Grid Error");
}

}  // namespace
}  // namespace vekgrid::testing
