#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QWheelEvent>
#include <memory>

#include "qt_grid_fixture.h"
#include "support/control_fixture.h"
#include "vekgrid/qt/grid_view.h"
#include "vekgrid/qt/grid_widget.h"
#include "vekgrid/qt/popup_form.h"
#include "vekgrid/qt/qt_platform.h"

namespace vekgrid::qt {
namespace {

TEST_F(Qt_Grid_Test, PaintsHeaderBandingAndProgressBars) {
    Add(TextBox, "Name");
    Add(CheckBox, "Done");
    Add(ProgressBar, "Progress", [](vekColumn& c) {
        c.ProgressBar_MinVal(0);
        c.ProgressBar_MaxVal(100);
        c.ColumnWidth(2000);
    });
    grid().Rows(4);
    grid().Cell_Text(1, 1, "first");
    grid().Cell_Text(1, 2, "1");
    grid().Cell_Text(2, 2, "0");
    grid().Cell_Text(1, 3, "25");
    grid().Cell_Text(2, 3, "100");
    std::int16_t progress = 3;
    grid().Update_Progress_Column(progress);
    Show();
    const QImage frame = Frame();

    EXPECT_EQ(frame.pixelColor(Cell_Corner(0, 1)), To_QColor(Colors::Header));
    EXPECT_EQ(frame.pixelColor(Cell_Corner(1, 1)), To_QColor(0xCFFFFF));
    EXPECT_EQ(frame.pixelColor(Cell_Corner(2, 1)), To_QColor(0xFFFFFF));
    EXPECT_NE(frame.pixelColor(Cell_Corner(1, 1)), frame.pixelColor(Cell_Corner(2, 1)));

    // A bar's length follows its value: 25 of 100 is a quarter of the full one.
    auto bar_length = [&](int row) {
        const int y = model().RowPos(row) / kTwipsPerPixel + 1;  // above the number's glyphs
        const int x0 = model().ColPos(3) / kTwipsPerPixel;
        const QColor bar = frame.pixelColor(x0 + 1, y);
        int n = 1;
        while (frame.pixelColor(x0 + 1 + n, y) == bar) ++n;
        return n;
    };
    const int full = bar_length(2), quarter = bar_length(1);
    EXPECT_GT(full, 60);
    EXPECT_NEAR(quarter, full / 4.0, 3.0);
}

TEST_F(Qt_Grid_Test, GridLineModesShowInThePicture) {
    Add(TextBox, "A");
    Add(TextBox, "B");
    grid().Rows(4);
    Show();
    // Under the first data row, mid-cell; and the right edge of column 1, mid-row.
    auto lines = [&] {
        const QImage frame = Frame();
        const int bottom = (model().RowPos(1) + model().RowHeight(1)) / kTwipsPerPixel - 1;
        const int right = (model().ColPos(1) + model().ColWidth(1)) / kTwipsPerPixel - 1;
        return std::make_pair(
            frame.pixelColor(Cell_Center(1, 1).x(), bottom) == To_QColor(model().GridColor()),
            frame.pixelColor(right, Cell_Center(2, 1).y()) == To_QColor(model().GridColor()));
    };
    EXPECT_EQ(lines(), std::make_pair(true, true)) << "both";
    grid().Gridline_Draw(Vertical_Only);
    Settle();
    EXPECT_EQ(lines(), std::make_pair(false, true)) << "vertical only";
    grid().Gridline_Draw(None);
    Settle();
    EXPECT_EQ(lines(), std::make_pair(false, false)) << "none";
}

TEST_F(Qt_Grid_Test, TypedFormulaShowsItsValueAndRaisesEventsInOrder) {
    Add(TextBox, "Length", [](vekColumn& c) { c.Allow_Formula_Input(true); });
    Add(TextBox, "Note");
    grid().Rows(3);
    Show();
    Click(1, 1);
    ASSERT_EQ(QApplication::focusWidget(), Text_Editor());
    events.lines.clear();
    Type("=2*3");
    EXPECT_EQ(grid().TextEditor_Text(), "=2*3");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid().Cell_Text(1, 1), "6");
    EXPECT_EQ(Internals_Of(grid()).Equation_Mask().Get(1, 1), "=2*3");
    EXPECT_EQ(Cell(), "1,2");
    EXPECT_EQ(events.lines, (Lines{"LeaveCell", "EnterCell", "CellChanged(,=2*3,1,1)"}));
    EXPECT_TRUE(Text_Editor()->isVisible());
    EXPECT_EQ(Text_Editor()->geometry().topLeft(),
              QPoint(model().ColPos(2) / kTwipsPerPixel, model().RowPos(1) / kTwipsPerPixel));

    // Left from an empty editor goes back a column; the formula column's filter keeps
    // letters and quote marks out, and feet-inches-fraction converts to inches.
    Key(Qt::Key_Left);
    EXPECT_EQ(Cell(), "1,1");
    Text_Editor()->clear();
    Type("5'-3-1/2\"x");
    EXPECT_EQ(Text_Editor()->text().toStdString(), "5-3-1/2");
    Key(Qt::Key_Down);
    EXPECT_EQ(Cell(), "2,1");
    EXPECT_EQ(grid().Cell_Text(1, 1), "63.5");
    EXPECT_EQ(Internals_Of(grid()).Equation_Mask().Get(1, 1), "5-3-1/2");
}

TEST_F(Qt_Grid_Test, ClickingACellWithTextSelectsItSoTypingReplacesIt) {
    Add(TextBox, "A", [](vekColumn& c) { c.Allow_Formula_Input(true); });
    Add(TextBox, "B");
    grid().Rows(3);
    grid().Cell_Text(1, 1, "11");
    grid().Cell_Text(2, 1, "22");
    Show();
    Click(2, 2);
    Click(1, 1);
    EXPECT_EQ(Text_Editor()->selectedText().toStdString(), "11");
    Type("=2*3");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid().Cell_Text(1, 1), "6");
    Click(2, 1);
    EXPECT_EQ(Text_Editor()->selectedText().toStdString(), "22");
}

TEST_F(Qt_Grid_Test, ClickTogglesACheckBoxAndSpaceTogglesItBack) {
    Add(TextBox, "Name");
    Add(CheckBox, "Done");
    grid().Rows(3);
    grid().Cell_Text(1, 2, "0");
    Show();
    Click(1, 1);
    events.lines.clear();
    Click(1, 2);
    EXPECT_EQ(grid().Cell_Text(1, 2), "1");
    EXPECT_NE(std::find(events.lines.begin(), events.lines.end(), "CellChanged(0,1,1,2)"),
              events.lines.end());
    events.lines.clear();
    Key(Qt::Key_Space);
    EXPECT_EQ(grid().Cell_Text(1, 2), "0");
    EXPECT_EQ(events.lines, (Lines{"CellChanged(1,0,1,2)"}));
}

TEST_F(Qt_Grid_Test, DropDownOpensOnEntryAndKeysOrTheMousePickAnItem) {
    Add(TextBox, "Name");
    Add(ComboBox, "Kind", [](vekColumn& c) { c.ComboBox_List("Board,Beam,Post"); });
    Add(TextBox, "Note");
    grid().Rows(3);
    Show();
    Click(1, 1);
    Key(Qt::Key_Return);
    ASSERT_EQ(Cell(), "1,2");
    auto* combo = qobject_cast<QComboBox*>(
        widget->platform().Qt_Widget_Of(Internals_Of(grid()).ComboEditor()(2)));
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->isVisible());
    EXPECT_TRUE(combo->view()->isVisible()) << "the list opens on entry";
    EXPECT_GE(combo->view()->minimumWidth(), model().ColWidth(2) / kTwipsPerPixel);
    // The control may place the box after the list opened (an entry that scrolls): the open
    // list goes with the box.
    Combo_Box& box = Internals_Of(grid()).ComboEditor()(2);
    box.Left(box.Left() + 600);
    Settle();
    ASSERT_TRUE(combo->view()->isVisible());
    EXPECT_NEAR(combo->view()->window()->geometry().left(), combo->mapToGlobal(QPoint()).x(), 2);
    box.Left(box.Left() - 600);
    Settle();
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(combo->currentText(), "Post");
    Key(Qt::Key_Up);
    EXPECT_EQ(combo->currentText(), "Beam");
    events.lines.clear();
    Key(Qt::Key_Return);
    EXPECT_EQ(grid().Cell_Text(1, 2), "Beam");
    EXPECT_EQ(Cell(), "1,3");
    EXPECT_FALSE(combo->view()->isVisible());
    EXPECT_EQ(events.lines.back(), "CellChanged(,Beam,1,2)");

    // The mouse: a click on the cell opens the list again, a click on an item picks it.
    Click(2, 2);
    ASSERT_TRUE(combo->view()->isVisible());
    QAbstractItemView* list = combo->view();
    const QPoint post = list->visualRect(combo->model()->index(2, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, post);
    Settle();
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(Internals_Of(grid()).ComboEditor()(2).Text(), "Post");
    Click(2, 1);
    EXPECT_EQ(grid().Cell_Text(2, 2), "Post");
}

TEST_F(Qt_Grid_Test, TabAndShiftTabMoveBetweenColumnsThroughTheCatchers) {
    Add(TextBox, "A");
    Add(TextBox, "B");
    Add(TextBox, "C");
    grid().Rows(3);
    Show();
    Click(1, 1);
    Key(Qt::Key_Tab);
    EXPECT_EQ(Cell(), "1,2");
    Key(Qt::Key_Tab);
    EXPECT_EQ(Cell(), "1,3");
    Key(Qt::Key_Tab);
    EXPECT_EQ(Cell(), "2,1") << "from the last column on to the next row";
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Cell(), "2,3") << "Shift+Tab wraps within the row";
    EXPECT_EQ(QApplication::focusWidget(), Text_Editor()) << "the focus is back on the editor";
}

TEST_F(Qt_Grid_Test, AltDAsksAndDeletesTheRowOnYes) {
    Add(TextBox, "A");
    grid().Rows(4);
    for (int r = 1; r <= 3; ++r) grid().Cell_Text(r, 1, "row " + std::to_string(r));
    Show();
    auto& messages = widget->platform().Qt_Messages();
    int answer = Msg::No;
    messages.Answer_With = [&](const std::string&, int, const std::string&) { return answer; };
    Click(2, 1);
    Key(Qt::Key_D, Qt::AltModifier);
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_EQ(messages.calls[0].text, "Are you sure you want to delete this row?");
    EXPECT_EQ(messages.calls[0].title, "Delete Row?");
    EXPECT_EQ(messages.calls[0].style, 4132);
    EXPECT_EQ(grid().Rows(), 4);
    answer = Msg::Yes;
    Key(Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(grid().Rows(), 3);
    EXPECT_EQ(grid().Cell_Text(2, 1), "row 3");
}

// A host's translation, as a .qm file would give it: the control's texts in context "vekgrid".
class German : public QTranslator {
  public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* = nullptr,
                      int = -1) const override {
        if (QByteArrayView(context) != "vekgrid") return {};
        if (QByteArrayView(source) == "Are you sure you want to delete this row?")
            return QString::fromUtf8("Diese Zeile wirklich l\xc3\xb6schen?");
        if (QByteArrayView(source) == "Delete Row?")
            return QString::fromUtf8("Zeile l\xc3\xb6schen?");
        return {};
    }
};

TEST_F(Qt_Grid_Test, AnInstalledTranslatorReplacesMessageTextsUntilItIsRemoved) {
    Add(TextBox, "A");
    grid().Rows(3);
    Show();
    auto& messages = widget->platform().Qt_Messages();
    messages.Answer_With = [](const std::string&, int, const std::string&) { return Msg::No; };
    German german;
    ASSERT_TRUE(QCoreApplication::installTranslator(&german));
    Click(1, 1);
    Key(Qt::Key_D, Qt::AltModifier);
    QCoreApplication::removeTranslator(&german);
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_EQ(messages.calls[0].text, "Diese Zeile wirklich l\xc3\xb6schen?");
    EXPECT_EQ(messages.calls[0].title, "Zeile l\xc3\xb6schen?");
    EXPECT_EQ(grid().Rows(), 3) << "the answer still means No";

    Key(Qt::Key_D, Qt::AltModifier);
    ASSERT_EQ(messages.calls.size(), 2u);
    EXPECT_EQ(messages.calls[1].text, "Are you sure you want to delete this row?")
        << "without the translator the control's own text is back";
    EXPECT_EQ(messages.calls[1].title, "Delete Row?");
}

TEST_F(Qt_Grid_Test, ScrollBarsFollowTheGridAndHitTestingFollowsTheScroll) {
    Add(TextBox, "A");
    Add(TextBox, "B");
    grid().Rows(10'001);
    for (int r = 1; r < grid().Rows(); ++r) model().TextMatrix(r, 1, std::to_string(r));
    Show();
    QScrollBar* bar = widget->view().verticalScrollBar();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->minimum(), 1);
    EXPECT_GT(bar->maximum(), 9'900);
    bar->setValue(5'000);
    Settle();
    EXPECT_EQ(model().TopRow(), 5'000);
    EXPECT_EQ(widget->view().Visible_Rows().first, 5'000);
    QTest::mouseMove(Viewport(), Cell_Center(5'003, 1));
    Settle();
    EXPECT_EQ(grid().MouseRow(), 5'003);
    EXPECT_EQ(grid().MouseCol(), 1);

    // The keyboard moving the current cell past the window's bottom scrolls the grid.
    Click(5'000, 1);
    const int last = widget->view().Visible_Rows().second;
    for (int r = 5'000; r < last + 2; ++r) Key(Qt::Key_Down);
    EXPECT_EQ(model().Row(), last + 2);
    EXPECT_GT(model().TopRow(), 5'000);
    EXPECT_LE(model().Row(), widget->view().Visible_Rows().second);
    EXPECT_TRUE(Text_Editor()->isVisible());
    EXPECT_EQ(Text_Editor()->y(), model().RowPos(model().Row()) / kTwipsPerPixel);
}

TEST_F(Qt_Grid_Test, PopUpButtonShowsTheHostsDialogAndReportsIt) {
    QDialog dialog;
    dialog.resize(200, 120);
    auto form = std::make_shared<Qt_Pop_Up_Form>(&dialog);
    Add(TextBox, "A");
    Add(PopUp, "Pick", [&](vekColumn& c) { c.PopUp_Form(Variant(Object_Ref(form))); });
    grid().Rows(3);
    Show();
    Click(1, 2);
    auto* button = qobject_cast<QPushButton*>(
        widget->platform().Qt_Widget_Of(Internals_Of(grid()).PopUpEditor()(2)));
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isVisible());
    events.lines.clear();
    QTest::mouseClick(button, Qt::LeftButton);
    Settle();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(events.lines, (Lines{"PopUpClick(2,form)"}));
    dialog.hide();
}

TEST_F(Qt_Grid_Test, ClosingTheWindowCommitsTheOpenEdit) {
    Add(TextBox, "A");
    grid().Rows(3);
    Show();
    Click(1, 1);
    Type("abc");
    events.lines.clear();
    widget->close();
    EXPECT_EQ(events.lines, (Lines{"CellChanged(,abc,1,1)"}));
    EXPECT_EQ(grid().Cell_Text(1, 1), "abc");
}

TEST_F(Qt_Grid_Test, MouseButtonsAndTheWheelReachTheHost) {
    Add(TextBox, "A");
    Add(TextBox, "B");
    grid().Rows(12);
    Show();
    Click(2, 1);
    events.lines.clear();
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, Cell_Center(2, 1));
    Settle();
    EXPECT_NE(std::find(events.lines.begin(), events.lines.end(), "DblClick"), events.lines.end());
    events.lines.clear();
    QTest::mouseClick(Viewport(), Qt::RightButton, {}, Cell_Center(3, 2));
    Settle();
    EXPECT_EQ(events.lines.back(), "MouseDown(2)");
    EXPECT_EQ(Cell(), "3,2") << "a right click moves to the cell under it";

    // The wheel moves the current cell three rows, through keystrokes posted to the editor.
    const QPoint at = Cell_Center(3, 2);
    QWheelEvent down(at, Viewport()->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton, {},
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(Viewport(), &down);
    Settle();
    EXPECT_EQ(Cell(), "6,2");
}

TEST_F(Qt_Grid_Test, DesignPropertiesRoundTripThroughAFile) {
    QTemporaryDir dir;
    const std::filesystem::path path = dir.filePath("grid.properties").toStdString();
    grid().Row_Color_Odd(Variant::From_Unsigned(0xE0FFE0));
    grid().Return_Key_Behavior(Changes_Row);
    widget->Save_Properties(path);

    Grid_Widget other;
    other.Load_Properties(path);
    EXPECT_EQ(other.grid().Return_Key_Behavior(), Changes_Row);
    vekColumn a;
    a.Title("A");
    other.grid().Add_Column(a);
    other.grid().Rows(3);
    other.resize(300, 120);
    other.show();
    Settle();
    const QImage frame = other.grab().toImage();
    Host_Grid& g = Internals_Of(other.grid()).GridEditor();
    EXPECT_EQ(frame.pixelColor(g.ColPos(1) / kTwipsPerPixel + 1, g.RowPos(1) / kTwipsPerPixel + 1),
              To_QColor(0xE0FFE0));
    EXPECT_THROW(other.Load_Properties(dir.filePath("missing").toStdString()), Error);
}

}  // namespace
}  // namespace vekgrid::qt
