#include <gtest/gtest.h>

#include "vekgrid/common/errors.h"
#include "vekgrid/common/number_text.h"
#include "vekgrid/common/variant.h"
#include "vekgrid/control/widget_array.h"
#include "vekgrid/platform/headless/headless_platform.h"

namespace vekgrid {
namespace {

TEST(Number_Text, FifteenSignificantDigitsAndExponentFormAtTheEnds) {
    struct Case {
        double value;
        const char* text;
    };
    for (auto [value, text] : std::initializer_list<Case>{
             {0, "0"},
             {6, "6"},
             {-3, "-3"},
             {0.5, "0.5"},
             {1.0 / 3, "0.333333333333333"},
             {0.1 + 0.2, "0.3"},
             {1001, "1001"},
             {123456789012345.0, "123456789012345"},
             {1e15, "1E+15"},
             {2.5e20, "2.5E+20"},
             {0.0001, "0.0001"},
             {1.5e-5, "1.5E-05"},
             {-1e-100, "-1E-100"},
             {99999999999999.99, "100000000000000"},
             {1234567.8901234567, "1234567.89012346"},
             {999999999999999.9, "1E+15"},
         }) {
        EXPECT_EQ(Number_Text(value), text) << value;
    }
}

TEST(Parse_Number, AcceptsSignDigitsOnePointAndExponent) {
    EXPECT_EQ(Parse_Number("-3.5"), -3.5);
    EXPECT_EQ(Parse_Number(" 1e3 "), 1000);
    EXPECT_EQ(Parse_Number(".5"), 0.5);
    EXPECT_EQ(Parse_Number("2."), 2);
    EXPECT_EQ(Parse_Number("1E-2"), 0.01);
    for (const char* bad : {"", "-", ".", "1..2", "1e", "1e+", "abc", "1,5", "2a", "1e999"})
        EXPECT_FALSE(Parse_Number(bad).has_value()) << bad;
}

TEST(Variant, EmptyDiffersFromEmptyTextButBothAreBlank) {
    Variant empty, text("");
    EXPECT_TRUE(empty.Is_Empty());
    EXPECT_FALSE(text.Is_Empty());
    EXPECT_TRUE(empty.Is_Blank() && text.Is_Blank());
    EXPECT_EQ(empty.To_Text(), "");
    EXPECT_EQ(empty.To_Double(), 0);
    EXPECT_THROW(text.To_Double(), Type_Mismatch);
}

TEST(Variant, ConversionsBetweenNumbersTextsAndBooleans) {
    EXPECT_TRUE(Variant("12.5").Is_Numeric());
    EXPECT_FALSE(Variant("12.5 mm").Is_Numeric());
    EXPECT_EQ(Variant("12.5").To_Double(), 12.5);
    EXPECT_EQ(Variant(0.1 + 0.2).To_Text(), "0.3");
    EXPECT_EQ(Variant(true).To_Text(), "True");
    EXPECT_EQ(Variant(true).To_Long(), -1);
    EXPECT_TRUE(Variant("True").To_Bool());
    EXPECT_EQ(Variant(2.5).To_Long(), 2) << "half to even";
    EXPECT_EQ(Variant(3.5).To_Long(), 4);
    EXPECT_EQ(Variant::From_Unsigned(0x80000011).To_Long(), static_cast<std::int32_t>(0x80000011));
    EXPECT_THROW(Variant(1e12).To_Long(), Error);
    EXPECT_TRUE(Variant(std::int16_t{3}) == Variant(3.0));
    auto object = std::make_shared<Object>();
    EXPECT_TRUE(Variant(Object_Ref(object)) == Variant(Object_Ref(object)));
    EXPECT_THROW(Variant(Object_Ref(object)).To_Text(), Type_Mismatch);
}

TEST(Variant_Array, BoundsAndGrowingTheSecondDimensionKeepsValues) {
    Variant_Array table(0, 21, 0, 0);
    table(5, 0) = 1500;
    table.Resize_Second(3);
    table(1, 3) = "Column #3";
    EXPECT_EQ(table(5, 0).To_Long(), 1500);
    EXPECT_EQ(table(1, 3).To_Text(), "Column #3");
    EXPECT_THROW(table(22, 0), Subscript_Out_Of_Range);
    EXPECT_THROW(table(0, 4), Subscript_Out_Of_Range);
}

TEST(Widget_Array, LoadingAnExistingMemberOrUnloadingTheFirstFails) {
    Headless_Platform platform;
    Widget_Array<Combo_Box> combos(
        [&](int i) { return platform.Create_Combo_Box(std::to_string(i)); });
    EXPECT_TRUE(combos.Exists(0));
    combos.Load(3);
    EXPECT_THROW(combos.Load(3), Error);
    EXPECT_THROW(combos.Unload(0), Error);
    combos.Unload(3);
    EXPECT_THROW(combos(3), Error);
    EXPECT_EQ(combos.Count(), 1u);
}

TEST(Headless_Platform, MessageBoxesAreRecordedAndAnsweredFromTheScript) {
    Headless_Platform platform;
    Message_Box& box = platform.Messages();
    EXPECT_EQ(box.MsgBox("Sure?", Msg::Yes_No | Msg::Question, "Delete Row?"), Msg::Yes);
    EXPECT_EQ(box.MsgBox("Sure?", Msg::Yes_No | Msg::Default_Button2, "t"), Msg::No);
    platform.messages.answers.push_back(Msg::No);
    EXPECT_EQ(box.MsgBox("Again?", Msg::Yes_No, "t"), Msg::No);
    EXPECT_EQ(box.MsgBox("Done", Msg::OK_Only | Msg::Critical, "t"), Msg::OK);
    ASSERT_EQ(platform.messages.calls.size(), 4u);
    EXPECT_EQ(platform.messages.calls[0].title, "Delete Row?");
    EXPECT_EQ(platform.messages.calls[3].style, Msg::Critical);
}

TEST(Headless_Platform, FocusMovesBetweenWidgetsAndForgetsDestroyedOnes) {
    Headless_Platform platform;
    auto a = platform.Create_Text_Box("a");
    auto b = platform.Create_Text_Box("b");
    std::vector<std::string> log;
    a->On_LostFocus = [&] { log.push_back("a lost"); };
    b->On_GotFocus = [&] { log.push_back("b got"); };
    a->SetFocus();
    b->SetFocus();
    EXPECT_EQ(platform.Focused(), b.get());
    EXPECT_FALSE(a->Has_Focus());
    EXPECT_EQ(log, (std::vector<std::string>{"a lost", "b got"}));
    a->Visible(false);
    EXPECT_THROW(a->SetFocus(), Error);
    b.reset();
    EXPECT_EQ(platform.Focused(), nullptr);
}

TEST(Headless_Text_Metrics, WidthsAndLineBreaksAreDeterministic) {
    Headless_Text_Metrics metrics;
    Font font;
    EXPECT_EQ(metrics.Text_Width("abcd", font), 360);
    EXPECT_EQ(metrics.Text_Height("a\nb", font), 390);
    EXPECT_EQ(metrics.Line_Count("aa bb cc", font, 450), 2);  // 5 characters a line
    EXPECT_EQ(metrics.Line_Count("abcdefghijk", font, 450), 3);
    EXPECT_EQ(metrics.Line_Count("", font, 450), 1);
    font.size = 16.5;
    EXPECT_EQ(metrics.Text_Width("ab", font), 360);
}

TEST(Headless_Property_Bag, AWriteEqualToItsDefaultStoresNothing) {
    Headless_Property_Bag bag;
    bag.WriteProperty("ReadOnly", false, false);
    bag.WriteProperty("Rows", std::int32_t{5}, std::int32_t{2});
    EXPECT_EQ(bag.Values().count("ReadOnly"), 0u);
    EXPECT_EQ(bag.ReadProperty("Rows", std::int32_t{2}).To_Long(), 5);
    EXPECT_EQ(bag.ReadProperty("Missing", "x").To_Text(), "x");
    EXPECT_EQ(bag.write_order, (std::vector<std::string>{"ReadOnly", "Rows"}));
}

}  // namespace
}  // namespace vekgrid
