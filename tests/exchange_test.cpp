#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/control_fixture.h"

namespace vekgrid::testing {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class Exchange_Test : public Control_Test {
  protected:
    Exchange_Test() {
        dir = fs::temp_directory_path() / ("vekgrid_exchange_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    ~Exchange_Test() override { fs::remove_all(dir); }
    void Three_Columns() {
        Add(TextBox, "A");
        vekColumn formula;
        formula.Title("B");
        formula.Allow_Formula_Input(true);
        control->Add_Column(formula);
        Add(TextBox, "C");
        control->Rows(3);
        control->TextMatrix(1, 1, "a");
        control->TextMatrix(2, 1, "b");
        control->TextMatrix(1, 2, "=2*3");
        grid().TextMatrix(1, 2, "6");
        control->TextMatrix(2, 3, "x;y");
    }
    std::vector<std::string> Lines(const Variant& v) {
        std::vector<std::string> out;
        const auto& a = *v.To_Array();
        for (int i = a.Lower(2); i <= a.Upper(2); ++i) out.push_back(a(0, i).To_Text());
        return out;
    }
    fs::path dir;
};

TEST_F(Exchange_Test, DumpsGiveCellsAndDelimitedLines) {
    Three_Columns();
    const Variant dump = control->Dump_Contents();  // keeps the array alive
    const auto& cells = *dump.To_Array();
    EXPECT_EQ(cells.Upper(1), 2);
    EXPECT_EQ(cells(1, 2).To_Text(), "6") << "displayed text";
    EXPECT_EQ(Lines(control->Dump_Into_Single_Array()),
              (std::vector<std::string>{"A\tB\tC", "a\t=2*3\t", "b\t\tx;y"}))
        << "formula columns give their sources";
    EXPECT_EQ(Lines(control->Dump_Into_Single_Array(Semi_Colon_Delimited))[0], "A;B;C");
    EXPECT_EQ(Lines(control->Dump_Into_Single_Array(7))[0], "ABC");
}

TEST_F(Exchange_Test, WriteAndLoadRoundTripWithFormulasEvaluated) {
    Three_Columns();
    const auto path = dir / "table.txt";
    control->Write_File(path.string(), Tab_Delimited);
    EXPECT_EQ(Read(path), "A\tB\tC\r\na\t=2*3\t\r\nb\t\tx;y\r\n");
    EXPECT_FALSE(fs::exists(dir / "table.txt.vekgrid-tmp"));
    control->TextMatrix(1, 1, "changed");
    control->Load_File(path.string());
    EXPECT_TRUE(platform.messages.calls.empty());
    EXPECT_EQ(grid().Cols(), 4);
    EXPECT_EQ(grid().TextMatrix(0, 2), "B");
    EXPECT_EQ(grid().TextMatrix(1, 1), "a");
    EXPECT_EQ(grid().TextMatrix(1, 2), "6");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 2), "=2*3");
    EXPECT_EQ(grid().TextMatrix(2, 3), "x;y");
    EXPECT_EQ(grid().Look(1, 1).alignment, Align::Left) << "the first column left-aligned";
    EXPECT_EQ(grid().Look(1, 3).alignment, Align::Center);
    EXPECT_EQ(grid().Look(2, 1).back, 0xFFFFFFu) << "loaded rows are banded";
    EXPECT_EQ(grid().Row(), 1);
    EXPECT_EQ(grid().Col(), 1);
}

// Everything in the folder but the named entries: a save leaves no temporary file behind.
std::vector<std::string> Others(const fs::path& dir, std::vector<std::string> expected) {
    std::vector<std::string> others;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (std::find(expected.begin(), expected.end(), name) == expected.end())
            others.push_back(name);
    }
    return others;
}

TEST_F(Exchange_Test, SaveGoesThroughLinksKeepsPermissionsAndLeavesNothingBehind) {
    Three_Columns();
    const auto target = dir / "private.txt";
    Write(target, "old");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("private.txt", dir / "link.txt");
    ASSERT_TRUE(control->Write_File((dir / "link.txt").string(), Tab_Delimited));
    EXPECT_EQ(control->Last_File_Error(), "");
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt")) << "the link stays a link";
    EXPECT_EQ(Read(target), "A\tB\tC\r\na\t=2*3\t\r\nb\t\tx;y\r\n") << "its target has the rows";
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write)
        << "a private file stays private";
    // A dangling link names the file to create.
    fs::create_symlink(dir / "made.txt", dir / "dangling.txt");
    ASSERT_TRUE(control->Write_File((dir / "dangling.txt").string(), Semi_Colon_Delimited));
    EXPECT_EQ(Read(dir / "made.txt").substr(0, 7), "A;B;C\r\n");
    EXPECT_TRUE(Others(dir, {"private.txt", "link.txt", "made.txt", "dangling.txt"}).empty());
    EXPECT_TRUE(platform.messages.calls.empty()) << "saving never shows a message";
}

// A link planted where a save might put its temporary file must not aim the save elsewhere.
TEST_F(Exchange_Test, SaveNeverFollowsALinkPlantedBesideTheTarget) {
    Three_Columns();
    const auto victim = dir / "victim.txt";
    Write(victim, "keep me");
    fs::create_symlink(victim, dir / "table.txt.vekgrid-tmp");
    fs::create_symlink(victim, dir / ".table.txt.tmp");
    ASSERT_TRUE(control->Write_File((dir / "table.txt").string(), Tab_Delimited));
    EXPECT_EQ(Read(victim), "keep me");
    EXPECT_EQ(Read(dir / "table.txt").substr(0, 7), "A\tB\tC\r\n");
}

TEST_F(Exchange_Test, SaveRefusesWhatIsNoRegularFileAndSaysWhy) {
    Three_Columns();
    const auto fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(control->Write_File(fifo.string(), Tab_Delimited));
    EXPECT_NE(control->Last_File_Error().find("not a regular file"), std::string::npos)
        << control->Last_File_Error();
    EXPECT_TRUE(fs::is_fifo(fifo)) << "left untouched";
    const auto folder = dir / "folder";
    fs::create_directory(folder);
    EXPECT_FALSE(control->Write_File(folder.string(), Tab_Delimited));
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_FALSE(control->Write_Csv(fifo.string()));
    EXPECT_TRUE(fs::is_fifo(fifo));

    EXPECT_FALSE(control->Write_File((dir / "missing" / "x.txt").string(), Tab_Delimited));
    EXPECT_NE(control->Last_File_Error(), "");
    EXPECT_FALSE(control->Write_File("", Tab_Delimited));
    EXPECT_TRUE(Others(dir, {"pipe", "folder"}).empty());
    EXPECT_TRUE(platform.messages.calls.empty());
    ASSERT_TRUE(control->Write_File((dir / "ok.txt").string(), Tab_Delimited));
    EXPECT_EQ(control->Last_File_Error(), "") << "a good save clears the reason";

    if (::geteuid() == 0) return;  // permissions do not bind the superuser
    const auto locked = dir / "locked";
    fs::create_directory(locked);
    Write(locked / "t.txt", "old");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(control->Write_File((locked / "t.txt").string(), Tab_Delimited));
    fs::permissions(locked, fs::perms::owner_all);
    EXPECT_EQ(Read(locked / "t.txt"), "old");
}

// Two hosts saving the same path at once: the file ends as one whole version or the other.
TEST_F(Exchange_Test, ConcurrentSavesLeaveOneWholeVersion) {
    const auto path = dir / "shared.txt";
    auto save = [&](const std::string& fill, std::string& written) {
        Headless_Platform own_platform;
        vekGRID own(own_platform);
        std::vector<std::string> lines = {"A\tB"};
        for (int r = 0; r < 20000; ++r) lines.push_back(fill + std::to_string(r) + "\t" + fill);
        std::int16_t left = 1;
        own.Load_Single_Array(lines, left);
        for (int i = 0; i < 10; ++i) own.Write_File(path.string(), Tab_Delimited);
        for (const auto& line : lines) written += line + "\r\n";
    };
    std::string first, second;
    std::thread a([&] { save("aaaa", first); });
    std::thread b([&] { save("bbbbbbbb", second); });
    a.join();
    b.join();
    const std::string result = Read(path);
    EXPECT_TRUE(result == first || result == second) << "size " << result.size();
    EXPECT_TRUE(Others(dir, {"shared.txt"}).empty());
}

// A Save shortcut while a cell is being edited keeps what was typed, as leaving the cell would.
TEST_F(Exchange_Test, SaveCommitsTheCellBeingEdited) {
    Three_Columns();
    Type_Into(2, 1, "typed");
    events.lines.clear();
    const auto path = dir / "edit.txt";
    ASSERT_TRUE(control->Write_File(path.string(), Tab_Delimited));
    EXPECT_EQ(Read(path), "A\tB\tC\r\na\t=2*3\t\r\ntyped\t\tx;y\r\n");
    EXPECT_EQ(grid().TextMatrix(2, 1), "typed");
    EXPECT_EQ(events.lines, (std::vector<std::string>{"CellChanged(b,typed,2,1)"}));
    grid().Col(3);
    EXPECT_EQ(std::count(events.lines.begin(), events.lines.end(), "CellChanged(b,typed,2,1)"), 1)
        << "the change is reported once";
    Type_Into(1, 2, "=7*6");
    ASSERT_TRUE(control->Write_Csv(path.string()));
    EXPECT_EQ(Read(path), "A,B,C\r\na,=7*6,\r\ntyped,,x;y\r\n") << "formula source written";
    EXPECT_EQ(grid().TextMatrix(1, 2), "42");
    // A host's own write to the current cell is not undone by a stale editor.
    Internals_Of(*control).TextEditor().Visible(false);
    grid().TextMatrix(1, 1, "host");
    ASSERT_TRUE(control->Write_File(path.string(), Tab_Delimited));
    EXPECT_EQ(Read(path).substr(7, 5), "host\t");
}

// A host's handler may load a file while a cell is being edited. When the load leaves that
// cell out, what its editor held goes nowhere: not into a cell a later row brings back.
TEST_F(Exchange_Test, AnEditOfACellALoadRemovedGoesNowhere) {
    Three_Columns();
    Type_Into(1, 1, "=1;/;");
    const auto path = dir / "titles.txt";
    Write(path, "A\tB\tC\r\n\r\n\r\n");
    control->Load_File(path.string());
    ASSERT_EQ(grid().Rows(), 1) << "titles only";
    Internals_Of(*control).UserControl_ExitFocus();
    grid().Row(0);  // the grid moves on as after a click
    control->Rows(3);
    for (int r = 1; r < grid().Rows(); ++r)
        for (int c = 1; c < grid().Cols(); ++c) {
            EXPECT_EQ(grid().TextMatrix(r, c), "") << r << "," << c;
            EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(r, c), "") << r << "," << c;
        }
}

TEST_F(Exchange_Test, DelimiterDetectionAndLineEndings) {
    const auto path = dir / "in.txt";
    Write(path, "\xEF\xBB\xBFx;y\tz\nnone\r\n1;2\t3");  // one ";" and one Tab: Tab wins
    control->Load_File(path.string());
    EXPECT_EQ(grid().Cols(), 3);
    EXPECT_EQ(grid().TextMatrix(0, 1), "x;y") << "the byte-order mark is dropped";
    EXPECT_EQ(grid().TextMatrix(2, 2), "3") << "a last line without an ending";
    EXPECT_EQ(grid().TextMatrix(1, 1), "none") << "ragged lines fill what they have";
    Write(path, "a;b;c\tz\n1;2;3\n");  // two ";" beat one Tab
    control->Load_File(path.string());
    EXPECT_EQ(grid().Cols(), 4);
    EXPECT_EQ(grid().TextMatrix(1, 3), "3");
    EXPECT_TRUE(platform.messages.calls.empty());
}

TEST_F(Exchange_Test, BadFilesShowTheLoadMessageAndKeepTheGrid) {
    Three_Columns();
    control->Load_File((dir / "nope.txt").string());
    control->Load_File(dir.string());
    const auto fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    control->Load_File(fifo.string());  // refused, not waited on
    ASSERT_EQ(platform.messages.calls.size(), 3u);
    EXPECT_EQ(
        platform.messages.calls[0].text,
        "An error occured while attempting to read in the file.  Load_File() function of vekGRID.");
    EXPECT_NE(control->Last_File_Error(), "");
    EXPECT_EQ(grid().TextMatrix(2, 3), "x;y") << "a file that cannot be read wipes nothing";
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 2), "=2*3");

    // An empty file has no line, as an array without one.
    const auto empty = dir / "empty.txt";
    for (const std::string text : {"", "\xEF\xBB\xBF"}) {
        platform.messages.calls.clear();
        Write(empty, text);
        control->Load_File(empty.string());
        ASSERT_EQ(platform.messages.calls.size(), 1u) << "said once";
        EXPECT_EQ(platform.messages.calls[0].title, "Grid Error");
        EXPECT_EQ(platform.messages.calls[0].text,
                  "An error occured in the Load_Single_Array() procedure of the vekGRID "
                  "control.\r\nPlease contact VEK for support.");
        EXPECT_EQ(grid().Rows(), 1);
        EXPECT_EQ(Internals_Of(*control).Column_Properties().Upper(2), grid().Cols() - 1);
    }
    const auto binary = dir / "binary.bin";
    Write(binary, std::string("\0\x01\xFF\tq\n\0\0", 8));
    control->Load_File(binary.string());
    EXPECT_EQ(grid().Cols(), 3);
    std::int16_t left = 0;
    control->Load_Single_Array(Variant("not an array"), left);
    EXPECT_EQ(platform.messages.calls.back().title, "Grid Error");
    EXPECT_EQ(left, 1) << "no count given becomes 1";
}

// Shapes that once took minutes or gigabytes: a wide header, empty lines, short lines under a
// wide header. Wide files load whole; what no grid could hold is refused before the grid is
// touched.
TEST_F(Exchange_Test, WideAndHollowFilesLoadRightOrAreRefused) {
    const auto path = dir / "wide.txt";
    std::string text;
    for (int c = 1; c <= 20000; ++c) text += (c > 1 ? "\t" : "") + ("T" + std::to_string(c));
    text += "\r\n";
    for (int c = 1; c <= 20000; ++c) text += (c > 1 ? "\t" : "") + std::to_string(c * 3);
    text += "\r\nlast\r\n";
    Write(path, text);
    control->Load_File(path.string(), 2);
    ASSERT_TRUE(platform.messages.calls.empty());
    ASSERT_EQ(grid().Cols(), 20001);
    EXPECT_EQ(grid().Rows(), 3);
    EXPECT_EQ(grid().TextMatrix(0, 20000), "T20000");
    EXPECT_EQ(grid().TextMatrix(1, 19999), "59997");
    EXPECT_EQ(grid().TextMatrix(2, 1), "last");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Cols(), 20000);
    EXPECT_EQ(Internals_Of(*control).Column_Properties().Upper(2), 20000);
    // Header and columns look as columns added one by one do.
    Headless_Platform reference_platform;
    vekGRID reference(reference_platform);
    reference.InitProperties();
    reference.Show();
    for (int c = 1; c <= 3; ++c) {
        vekColumn column;
        column.Title("T" + std::to_string(c));
        column.Cell_Alignment(c <= 2 ? Left_Align : Center_Align);
        reference.Add_Column(column);
    }
    reference.Rows(3);
    const Host_Grid& added = Internals_Of(reference).GridEditor();
    for (int c : {1, 2, 3, 20000}) {  // column 0 is the load's row labels
        const int like = std::min(c, 3);
        for (int r : {0, 1, 2}) {
            EXPECT_EQ(grid().Look(r, c).font, added.Look(r, like).font) << r << "," << c;
            EXPECT_EQ(grid().Look(r, c).back, added.Look(r, like).back) << r << "," << c;
            EXPECT_EQ(grid().Look(r, c).alignment, added.Look(r, like).alignment) << r << "," << c;
        }
        EXPECT_EQ(grid().ColWidth(c), added.ColWidth(like)) << c;
        for (int a : {Col_Attr::Title, Col_Attr::Alignment, Col_Attr::Width, Col_Attr::Editor}) {
            if (a == Col_Attr::Title && c > 3) continue;
            EXPECT_EQ(attr(a, c).To_Text(),
                      Internals_Of(reference).Column_Properties()(a, like).To_Text())
                << a << "," << c;
        }
    }
    EXPECT_EQ(grid().Look(1, 2).alignment, Align::Left) << "two left-aligned columns";
    EXPECT_EQ(grid().Look(1, 3).alignment, Align::Center);
    EXPECT_EQ(grid().RowHeight(0), 450);

    // Empty lines at the end make no rows; inside the table they are rows.
    Write(path, "A\tB\r\n1\t2\r\n\r\n3\t4\n" + std::string(100000, '\n') + "\r\n\r\n");
    control->Load_File(path.string());
    EXPECT_EQ(grid().Rows(), 4);
    EXPECT_EQ(grid().TextMatrix(3, 2), "4");
    Write(path, std::string(200000, '\n'));
    control->Load_File(path.string());
    EXPECT_TRUE(platform.messages.calls.empty());
    EXPECT_EQ(grid().Rows(), 1) << "no line holds a cell: no rows";
    EXPECT_EQ(grid().Cols(), 2);

    // More columns than a column number can name, or far more cells than the file's text.
    Write(path, "T1\t" + std::string(40000, '\t') + "\r\nx\r\n");
    control->Load_File(path.string());
    EXPECT_EQ(platform.messages.calls.size(), 1u);
    EXPECT_NE(control->Last_File_Error().find("columns"), std::string::npos);
    std::string hollow = std::string(2000, '\t') + "\n";
    for (int r = 0; r < 5000; ++r) hollow += "x\n";
    Write(path, hollow);
    control->Load_File(path.string());
    EXPECT_EQ(platform.messages.calls.size(), 2u);
    EXPECT_EQ(grid().Rows(), 1) << "the grid before the refused loads is kept";
    EXPECT_EQ(grid().Cols(), 2);
}

TEST_F(Exchange_Test, SortingReversesTheOrderAndCarriesFormulas) {
    vekColumn n;
    n.Allow_Formula_Input(true);
    control->Add_Column(n);
    Add();
    control->Rows(4);
    const char* values[] = {"1", "2", "3"};
    for (int r = 1; r <= 3; ++r) {
        grid().TextMatrix(r, 0, std::to_string(r));  // rows are known by their labels
        control->TextMatrix(r, 1, values[r - 1]);
        control->TextMatrix(r, 2, "row" + std::to_string(r));
    }
    control->TextMatrix(2, 2, "=1+1");
    grid().TextMatrix(2, 2, "2");
    control->Sort_Grid(1);
    EXPECT_EQ(grid().TextMatrix(1, 1), "3");
    EXPECT_EQ(grid().TextMatrix(3, 1), "1");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(2, 2), "=1+1")
        << "the middle row stayed in the middle";
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 2), "row3");
    EXPECT_EQ(grid().TextMatrix(1, 0), "1") << "row numbers read top to bottom again";
    control->Sort_Grid(1);
    EXPECT_EQ(grid().TextMatrix(1, 1), "1");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 2), "row1");

    control->TextMatrix(1, 2, "a");
    control->TextMatrix(2, 2, "c");
    control->TextMatrix(3, 2, "b");
    control->Sort_Grid(2);
    EXPECT_EQ(grid().TextMatrix(1, 2), "c");
    EXPECT_EQ(grid().TextMatrix(2, 2), "b");
    EXPECT_EQ(grid().TextMatrix(3, 2), "a");
}

// Keys share long prefixes and differ in case only; equal keys must keep their order both ways.
TEST_F(Exchange_Test, SortingIsCaseBlindAndStableInBothDirections) {
    Add();
    Add();
    control->Rows(6);
    const char* keys[] = {"Item-00010b", "item-00010A", "Item-00002", "b", "item-00010a"};
    for (int r = 1; r <= 5; ++r) {
        control->TextMatrix(r, 1, keys[r - 1]);
        control->TextMatrix(r, 2, "r" + std::to_string(r));
    }
    auto order = [&] {
        std::string out;
        for (int r = 1; r <= 5; ++r) out += grid().TextMatrix(r, 2);
        return out;
    };
    control->Sort_Grid(1);
    EXPECT_EQ(order(), "r4r3r2r5r1");
    control->Sort_Grid(1);
    EXPECT_EQ(order(), "r1r2r5r3r4") << "equal keys r2 and r5 are not swapped by reversing";
    control->Sort_Grid(1);
    EXPECT_EQ(order(), "r4r3r2r5r1");
}

TEST_F(Exchange_Test, SortedRowsAreBandedAgainAndKeepTheirFormulasUnderAnyLabels) {
    vekColumn n;
    n.Allow_Formula_Input(true);
    control->Add_Column(n);
    Add(CheckBox);
    Add(Divider);
    control->Rows(5);
    const char* labels[] = {"x", "y", "x", "z"};  // chosen by the host, one used twice
    for (int r = 1; r <= 4; ++r) {
        grid().TextMatrix(r, 0, labels[r - 1]);
        control->TextMatrix(r, 1, "=" + std::to_string(10 * r) + "+0");
        grid().TextMatrix(r, 1, std::to_string(10 * r));
    }
    grid().TextMatrix(2, 2, "1");
    control->Sort_Grid(1);  // 10 20 30 40 -> descending
    EXPECT_EQ(grid().TextMatrix(1, 1), "40");
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(1, 1), "=40+0")
        << "label z moved to the top";
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(3, 1), "=20+0") << "label y";
    for (int r = 1; r <= 4; ++r) {
        EXPECT_EQ(grid().TextMatrix(r, 0), std::to_string(r)) << "renumbered";
        EXPECT_EQ(grid().Look(r, 1).back, r % 2 ? 0xCFFFFFu : 0xFFFFFFu) << "banded, row " << r;
        EXPECT_EQ(grid().Look(r, 0).back, Colors::Header);
        EXPECT_TRUE(grid().Look(r, 0).font.bold);
        EXPECT_EQ(grid().Look(r, 3).back, Internals_Of(*control).Control_Back_Color()) << "divider";
        const auto box = grid().Look(r, 2);
        EXPECT_EQ(box.fore, box.back) << "check-box text stays hidden";
        EXPECT_EQ(box.picture, r == 3 ? Internals_Of(*control).CheckBox_On().Picture()
                                      : Internals_Of(*control).CheckBox_Off().Picture())
            << "row " << r;
    }
}

TEST_F(Exchange_Test, FilteringShowsMatchingRowsAndRestores) {
    Add(TextBox, "City");
    Add(TextBox, "Note");
    control->Rows(5);
    const char* cities[] = {"NewYork City", "Boston", "new york", "Paris"};
    for (int r = 1; r <= 4; ++r) control->TextMatrix(r, 1, cities[r - 1]);
    control->TextMatrix(3, 2, "closed");
    auto table = std::make_shared<Variant_Array>(1, 2, 1, 3);
    (*table)(1, 1) = "new york";
    (*table)(1, 2) = "include";
    (*table)(1, 3) = "";
    (*table)(2, 1) = "closed";
    (*table)(2, 2) = "EXCLUDE";
    (*table)(2, 3) = std::int32_t{2};
    control->Filter_Grid(Variant(Array_Ref(table)), Filter_All);
    EXPECT_EQ(grid().RowHeight(1), 240);
    EXPECT_EQ(grid().RowHeight(2), 0);
    EXPECT_EQ(grid().RowHeight(3), 0) << "excluded after it was included";
    EXPECT_EQ(grid().RowHeight(4), 0);
    EXPECT_EQ(grid().Look(1, 1).back, 0xCFFFFFu);
    control->Filter_Grid(Variant(), Filter_All, true);
    for (int r = 1; r <= 4; ++r) EXPECT_EQ(grid().RowHeight(r), 240);
    EXPECT_EQ(grid().Look(2, 1).back, 0xFFFFFFu);

    grid().RowHeight(1, 0);
    (*table)(2, 2) = "INCLUDE";
    control->Filter_Grid(Variant(Array_Ref(table)), Filter_Only_Visible, false, true);
    EXPECT_EQ(grid().RowHeight(1), 0) << "hidden rows are not tested";
    EXPECT_EQ(grid().RowHeight(3), 240) << "matches both phrases";
    EXPECT_EQ(grid().RowHeight(2), 0);
}

}  // namespace
}  // namespace vekgrid::testing

namespace vekgrid::testing {
namespace {

TEST_F(Control_Test, GridsPastThirtyTwoThousandRowsLoadAndEdit) {
    std::vector<std::string> lines = {"A\tB"};
    for (int r = 1; r <= 40000; ++r) lines.push_back(std::to_string(r) + "\tx");
    std::int16_t left = 1;
    control->Load_Single_Array(lines, left);
    ASSERT_TRUE(platform.messages.calls.empty());
    EXPECT_EQ(grid().Rows(), 40001);
    EXPECT_EQ(Internals_Of(*control).Equation_Mask().Get(40000, 1), "40000");
    grid().Row(39999);
    grid().Col(2);
    Internals_Of(*control).TextEditor().Text("edited");
    grid().Row(40000);
    EXPECT_EQ(grid().TextMatrix(39999, 2), "edited");
    EXPECT_EQ(control->CurrentRow, 40000);
    control->Delete_Row(35000, true);
    EXPECT_EQ(grid().TextMatrix(35000, 1), "35001");
    EXPECT_EQ(grid().TextMatrix(35000, 0), "35000");
}

}  // namespace
}  // namespace vekgrid::testing
