#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/control_fixture.h"
#include "vekgrid/common/errors.h"
#include "vekgrid/platform/file_property_bag.h"

namespace vekgrid::testing {
namespace {

const std::vector<std::string> kSaveOrder = {"Row_Color_Odd",
                                             "Row_Color_Even",
                                             "Current_Cell_Data0",
                                             "Current_Cell_Data",
                                             "Focus_Cell_Text0",
                                             "Focus_Cell_Text",
                                             "Cell_Text0",
                                             "Focus_Cell_Text0",
                                             "Get_Cell_Text0",
                                             "Cell_Text0",
                                             "Allow_New_Rows",
                                             "Rows",
                                             "TextEditor_Text",
                                             "Frame_visible",
                                             "Cols",
                                             "RowHeight0",
                                             "Gridline_Draw",
                                             "Enter_New_Row",
                                             "BackColor",
                                             "Cols",
                                             "ReadOnly",
                                             "ColWidth0",
                                             "TextMatrix0",
                                             "Cell_Back_Color",
                                             "Return_Key_Behavior",
                                             "Enabled",
                                             "GridColor",
                                             "GridColorFixed",
                                             "BackColorFixed"};

TEST_F(Control_Test, SavingWritesTheKeysInOrderAndSkipsDefaults) {
    Headless_Property_Bag bag;
    grid().GridColor(0x8000000F);
    grid().GridColorFixed(0x8000000F);
    grid().BackColorFixed(0x8000000F);
    control->WriteProperties(bag);
    EXPECT_EQ(bag.write_order, kSaveOrder);
    // A fresh grid differs from the defaults only where the grid model's own start differs.
    EXPECT_EQ(bag.Values().count("Row_Color_Odd"), 0u);
    EXPECT_EQ(bag.Values().count("Cols"), 0u)
        << "one column: the first write stores it, the second removes it";
    EXPECT_EQ(bag.Values().count("Rows"), 0u);
    EXPECT_EQ(bag.Values().count("GridColor"), 0u);
    EXPECT_EQ(bag.Values().count("BackColor"), 0u);
}

TEST_F(Control_Test, TwelveColumnsAreStoredByTheSecondColsWrite) {
    for (int i = 0; i < 11; ++i) Add();
    Headless_Property_Bag bag;
    control->WriteProperties(bag);
    EXPECT_EQ(bag.ReadProperty("Cols", 0).To_Long(), 12);
}

TEST_F(Control_Test, StartSettingsRoundTripThroughAFile) {
    File_Property_Bag bag;
    control->WriteProperties(bag);
    auto path = std::filesystem::temp_directory_path() / "vekgrid_persistence_test.props";
    bag.Save(path);
    File_Property_Bag loaded;
    loaded.Load(path);
    std::filesystem::remove(path);
    Headless_Platform other_platform;
    vekGRID restored(other_platform);
    restored.ReadProperties(loaded);
    EXPECT_EQ(Internals_Of(restored).GridEditor().Rows(), 1);
    EXPECT_EQ(Internals_Of(restored).GridEditor().Cols(), 1);
    EXPECT_EQ(restored.Row_Color_Odd().To_Long(), 0xCFFFFF);
    EXPECT_EQ(restored.Row_Color_Even().To_Long(), 0xFFFFFF);
    EXPECT_TRUE(restored.Allow_New_Rows());
    EXPECT_EQ(restored.Return_Key_Behavior(), Changes_Col);
    EXPECT_EQ(Internals_Of(restored).Control_Back_Color(), 0x80000004u)
        << "the default back colour is not stored, and loading falls back to another one";
}

TEST_F(Control_Test, LoadingFallsBackToDefaultsAndStopsAtTheFirstBadValue) {
    File_Property_Bag bag;
    bag.From_Text("Rows = i32:5\nCols = i32:3\nReadOnly = str:\"maybe\"\nEnabled = bool:False\n");
    std::vector<std::string> marked;
    control->On_Property_Changed = [&](const std::string& n) { marked.push_back(n); };
    control->ReadProperties(bag);
    EXPECT_EQ(grid().Rows(), 5);
    EXPECT_EQ(grid().Cols(), 3);
    EXPECT_EQ(Internals_Of(*control).Control_Back_Color(), 0x80000004u) << "no BackColor key";
    EXPECT_TRUE(grid().Enabled()) << "loading ended at ReadOnly";
    EXPECT_TRUE(marked.empty());
    EXPECT_EQ(Internals_Of(*control).Column_Properties().Upper(2), 0);
    EXPECT_EQ(platform.windows.Procedure(grid().hWnd()), Internals_Of(*control).Grid_Procedure());
}

TEST(Persistence, LoadingInDesignModeInstallsNoInterception) {
    Headless_Platform platform;
    platform.design_mode = true;
    vekGRID control(platform);
    File_Property_Bag bag;
    control.ReadProperties(bag);
    EXPECT_EQ(platform.windows.Replaced_Count(), 0u);
    EXPECT_EQ(Internals_Of(control).GridEditor().Cols(), 1);
}

TEST(File_Property_Bag, EveryValueTypeRoundTripsExactly) {
    File_Property_Bag bag;
    auto table = std::make_shared<Variant_Array>(0, 2, 1, 2);
    (*table)(1, 1) = "x";
    (*table)(2, 1) = 4.25;
    (*table)(0, 2) = true;
    const std::vector<std::pair<std::string, Variant>> values = {
        {"empty", Variant()},
        {"yes", true},
        {"small", std::int16_t{-7}},
        {"long", std::int32_t{-2147483647 - 1}},
        {"third", 1.0 / 3},
        {"tiny", 5e-324},
        {"text", "a \"quoted\" line\r\nand a\\tab\t"},
        {"table", Variant(Array_Ref(table))},
    };
    for (const auto& [name, value] : values) bag.WriteProperty(name, value, "unlikely default");
    File_Property_Bag copy;
    copy.From_Text(bag.To_Text());
    for (const auto& [name, value] : values) {
        Variant back = copy.ReadProperty(name, "missing");
        EXPECT_EQ(back.Value().index(), value.Value().index()) << name;
        if (!value.Is_Array()) {
            EXPECT_TRUE(back == value) << name;
        }
    }
    const auto& t = *copy.ReadProperty("table", 0).To_Array();
    EXPECT_EQ(t.Lower(2), 1);
    EXPECT_EQ(t(2, 1).To_Double(), 4.25);
    EXPECT_EQ(t(1, 1).To_Text(), "x");
    EXPECT_TRUE(t(0, 2).To_Bool());
    EXPECT_EQ(copy.ReadProperty("third", 0).To_Double(), 1.0 / 3);
}

TEST(File_Property_Bag, MalformedFilesAreRefusedWithTheirLine) {
    File_Property_Bag bag;
    bag.From_Text("A = i32:1\n");
    for (const char* bad : {"A = i32:x\n", "no equals sign\n", "B = str:\"open\n",
                            "C = i16:99999\n", "D = what:1\n", "E = f64:1 2\n"}) {
        try {
            bag.From_Text(std::string("# comment\n\n") + bad);
            ADD_FAILURE() << bad;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find("line 3"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(bag.ReadProperty("A", 0).To_Long(), 1) << "a refused text changes nothing";
    auto object = std::make_shared<Object>();
    EXPECT_THROW(File_Property_Bag::Encode(Variant(Object_Ref(object))), Error);
    EXPECT_THROW(bag.Load("/nonexistent/dir/file"), Error);
}

}  // namespace
}  // namespace vekgrid::testing
