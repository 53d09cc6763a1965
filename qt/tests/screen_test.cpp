// Keys, editors, messages and the picture as a person meets them on screen.
#include <QAction>
#include <QDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>
#include <QWheelEvent>

#include "qt_grid_fixture.h"
#include "vekgrid/qt/popup_form.h"

namespace vekgrid::qt {
namespace {

bool Has_Line(const Lines& lines, const std::string& prefix) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

TEST_F(Qt_Grid_Test, ShiftTabFromRightOfADividerKeepsTheFocusAndTheKeys) {
    Add(TextBox, "Item");
    Add(TextBox, "Length");
    Add(Divider, "");
    Add(TextBox, "Cost", [](vekColumn& c) {
        c.Allow_Formula_Input(true);
        c.Allow_User_Defined_Variables(true);
    });
    grid().Rows(3);
    grid().Cell_Text(1, 4, "=4*16");
    Show();
    Click(1, 4);
    Key(Qt::Key_End);  // the caret at the end of the formula, as after typing
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Cell(), "1,2");
    ASSERT_EQ(QApplication::focusWidget(), Text_Editor()) << "the focus stays on the grid";
    Type("7");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid().Cell_Text(1, 2), "7") << "typed keys reach the cell";
    EXPECT_EQ(Cell(), "1,4");
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Cell(), "1,1");
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Cell(), "1,4") << "wraps to the row's last column";
    EXPECT_EQ(QApplication::focusWidget(), Text_Editor());
}

TEST_F(Qt_Grid_Test, AfterPageDownTheNextKeyTypesIntoTheNewCell) {
    Add(TextBox, "A");
    Add(TextBox, "B");
    grid().Rows(61);
    Show();
    Click(1, 1);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Cell(), "21,1");
    EXPECT_EQ(QApplication::focusWidget(), Text_Editor());
    Type("42");
    Key(Qt::Key_PageUp);
    EXPECT_EQ(Cell(), "1,1");
    Type("5");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid().Cell_Text(21, 1), "42");
    EXPECT_EQ(grid().Cell_Text(1, 1), "5");
}

TEST_F(Qt_Grid_Test, AltLettersReachTheHostsMenusUnlessTheControlOwnsThem) {
    Add(TextBox, "A");
    grid().Rows(4);
    grid().Cell_Text(1, 1, "one");
    Show();
    int file = 0, host_new = 0;
    QAction file_menu("&File"), new_row("New");
    file_menu.setShortcut(QKeySequence(Qt::ALT | Qt::Key_F));
    new_row.setShortcut(QKeySequence(Qt::ALT | Qt::Key_N));
    QObject::connect(&file_menu, &QAction::triggered, [&] { ++file; });
    QObject::connect(&new_row, &QAction::triggered, [&] { ++host_new; });
    widget->addAction(&file_menu);
    widget->addAction(&new_row);
    Click(1, 1);
    Key(Qt::Key_F, Qt::AltModifier);
    EXPECT_EQ(file, 1) << "Alt+F opens the host's menu";
    EXPECT_EQ(Text_Editor()->text().toStdString(), "one") << "and types nothing";
    Key(Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(host_new, 0) << "Alt+N is the control's";
    EXPECT_EQ(grid().Rows(), 5);
}

TEST_F(Qt_Grid_Test, CtrlHomeEndUpDownJumpToTheEdgesOfTheUsableCells) {
    Add(TextBox, "A");
    Add(TextBox, "B");
    Add(TextBox, "C");
    grid().Rows(200);
    grid().Hide_Row(199);  // the last usable row is 198
    Show();
    Click(5, 2);
    Type("x");
    events.lines.clear();
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Cell(), "198,3");
    EXPECT_EQ(QApplication::focusWidget(), Text_Editor());
    EXPECT_TRUE(Has_Line(events.lines, "CellChanged(,x,5,2)")) << "the left cell committed";
    EXPECT_LE(model().Row(), widget->view().Visible_Rows().second) << "and shows";
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(Cell(), "1,1");
    Key(Qt::Key_Right);
    Key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(Cell(), "198,2");
    Key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(Cell(), "1,2");
    Type("y");
    EXPECT_EQ(Text_Editor()->text().toStdString(), "y") << "the keys follow the cell";
}

TEST_F(Qt_Grid_Test, EscapeGivesBackWhatTheCellHadAndASecondEscapeDoesNothing) {
    Add(TextBox, "Name");
    Add(ComboBox, "Kind", [](vekColumn& c) { c.ComboBox_List("Board,Beam,Post"); });
    Add(TextBox, "Note");
    grid().Rows(3);
    grid().Cell_Text(1, 1, "abc");
    grid().Cell_Text(1, 2, "Beam");
    Show();
    Click(1, 1);
    events.lines.clear();
    Type("zzz");
    Key(Qt::Key_Escape);
    EXPECT_EQ(Text_Editor()->text().toStdString(), "abc");
    Key(Qt::Key_Escape);
    EXPECT_EQ(Text_Editor()->text().toStdString(), "abc");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid().Cell_Text(1, 1), "abc");
    EXPECT_FALSE(Has_Line(events.lines, "CellChanged")) << "nothing was committed";

    // An open list closes and the value the cell had comes back.
    ASSERT_EQ(Cell(), "1,2");
    QComboBox* combo = Combo(2);
    ASSERT_TRUE(combo->view()->isVisible());
    Key(Qt::Key_Down);
    EXPECT_EQ(combo->currentText(), "Post");
    Key(Qt::Key_Escape);
    EXPECT_FALSE(combo->view()->isVisible());
    EXPECT_EQ(combo->currentText(), "Beam");
    Key(Qt::Key_Escape);
    EXPECT_EQ(combo->currentText(), "Beam");
    Click(2, 1);
    EXPECT_EQ(grid().Cell_Text(1, 2), "Beam");
    EXPECT_FALSE(Has_Line(events.lines, "CellChanged"));
}

TEST_F(Qt_Grid_Test, ThePopUpButtonOpensFromTheKeyboard) {
    QDialog dialog;
    dialog.resize(200, 120);
    auto form = std::make_shared<Qt_Pop_Up_Form>(&dialog);
    Add(TextBox, "A");
    Add(PopUp, "Pick", [&](vekColumn& c) { c.PopUp_Form(Variant(Object_Ref(form))); });
    Add(ComboBox, "Kind", [](vekColumn& c) { c.ComboBox_List("Board,Beam"); });
    grid().Rows(3);
    Show();
    auto* button = qobject_cast<QPushButton*>(
        widget->platform().Qt_Widget_Of(Internals_Of(grid()).PopUpEditor()(2)));
    ASSERT_NE(button, nullptr);
    int opened = 0;
    for (auto press : std::vector<std::function<void()>>{[] { Key(Qt::Key_F4); },
                                                         [] { Key(Qt::Key_Down, Qt::AltModifier); },
                                                         [&] {
                                                             button->setFocus();
                                                             Settle();
                                                             Key(Qt::Key_Space);
                                                         },
                                                         [&] {
                                                             button->setFocus();
                                                             Settle();
                                                             Key(Qt::Key_Return);
                                                         }}) {
        Click(1, 2);
        events.lines.clear();
        press();
        EXPECT_TRUE(dialog.isVisible()) << "press " << opened;
        EXPECT_EQ(events.lines, (Lines{"PopUpClick(2,form)"})) << "press " << opened;
        dialog.hide();
        widget->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(widget.get()));
        Settle();
        ++opened;
    }
    // On a drop-down, F4 closes and opens its list.
    Click(1, 3);
    ASSERT_TRUE(Combo(3)->view()->isVisible());
    Key(Qt::Key_F4);
    EXPECT_FALSE(Combo(3)->view()->isVisible());
    Key(Qt::Key_F4);
    EXPECT_TRUE(Combo(3)->view()->isVisible());
}

TEST_F(Qt_Grid_Test, TheWheelNeverChangesADropDownsValue) {
    Add(TextBox, "Name");
    Add(ComboBox, "Size", [](vekColumn& c) { c.ComboBox_List("2x4,2x6,2x8,2x10"); });
    grid().Rows(41);
    for (int r = 1; r < 41; ++r) grid().Cell_Text(r, 2, "2x6");
    Show();
    Click(2, 2);
    QComboBox* combo = Combo(2);
    Key(Qt::Key_Escape);  // the list closes; the box stays, with the focus
    ASSERT_FALSE(combo->view()->isVisible());
    events.lines.clear();
    auto wheel = [](QWidget* over) {
        const QPoint at = over->rect().center();
        QWheelEvent down(at, over->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton, {},
                         Qt::NoScrollPhase, false);
        QApplication::sendEvent(over, &down);
        Settle();
    };
    wheel(combo);
    wheel(combo);
    EXPECT_EQ(combo->currentText(), "2x6");
    EXPECT_GT(model().TopRow(), 1) << "the grid scrolled";
    // Over the grid too: each cell entered would open its list under the next notch.
    wheel(Viewport());
    wheel(Viewport());
    Click(1, 1);
    EXPECT_FALSE(Has_Line(events.lines, "CellChanged")) << "no value changed by itself";
    for (int r = 1; r < 41; ++r) EXPECT_EQ(grid().Cell_Text(r, 2), "2x6") << r;
}

TEST_F(Qt_Grid_Test, ARefusedKeySaysWhatTheColumnTakes) {
    Add(TextBox, "Qty", [](vekColumn& c) { c.DataType(Numeric); });
    grid().Rows(3);
    Show();
    Click(1, 1);
    QToolTip::hideText();
    Type("1a");
    EXPECT_EQ(Text_Editor()->text().toStdString(), "1");
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_TRUE(QToolTip::text().contains("numbers")) << QToolTip::text().toStdString();
    QToolTip::hideText();
}

TEST_F(Qt_Grid_Test, FormulaErrorsOfOneActionShowOneBoxWithTheRestInItsDetails) {
    Add(TextBox, "Cost", [](vekColumn& c) {
        c.Allow_Formula_Input(true);
        c.Allow_User_Defined_Variables(true);
    });
    grid().Rows(5);
    Qt_Message_Box& messages = widget->platform().Qt_Messages();
    struct Shown {
        std::string text, details;
    };
    std::vector<Shown> shown;
    messages.Exec_With = [&](QMessageBox& box) {
        shown.push_back({box.text().toStdString(), box.detailedText().toStdString()});
        return static_cast<int>(QMessageBox::Ok);
    };
    auto prices = [](const char* name) {
        auto table = std::make_shared<Variant_Array>(0, 2, 0, 1);
        (*table)(1, 1) = name;
        (*table)(2, 1) = 2.0;
        return Variant(Array_Ref(table));
    };
    grid().Update_User_Defined_Variable_List(prices("price"));
    for (int r = 1; r <= 3; ++r) grid().Cell_Text(r, 1, "=" + std::to_string(r) + "*'price'");
    Show();
    ASSERT_TRUE(shown.empty()) << shown[0].text;
    messages.calls.clear();
    // The variable goes: every cell using it fails in the one update.
    grid().Update_User_Defined_Variable_List(prices("other"));
    const size_t reported = messages.calls.size();
    EXPECT_GE(reported, 3u) << "the core reports every failing cell";
    EXPECT_TRUE(shown.empty()) << "nothing shows in the middle of the operation";
    Settle();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, messages.calls[0].text);
    EXPECT_NE(shown[0].details.find("'price'"), std::string::npos);
    EXPECT_NE(shown[0].details.find(std::to_string(reported - 1) + " more"), std::string::npos);

    // A question is still asked on the spot.
    messages.Exec_With = [&](QMessageBox& box) {
        shown.push_back({box.text().toStdString(), {}});
        return static_cast<int>(QMessageBox::No);
    };
    Click(2, 1);
    Key(Qt::Key_D, Qt::AltModifier);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text, "Are you sure you want to delete this row?");
    EXPECT_EQ(grid().Rows(), 5);
}

TEST_F(Qt_Grid_Test, RowLabelsAreNeverCut) {
    Add(TextBox, "A");
    grid().Rows(100'001);
    for (int r = 99'950; r <= 100'000; ++r) model().TextMatrix(r, 0, std::to_string(r));
    Show();
    QScrollBar* bar = widget->view().verticalScrollBar();
    bar->setValue(bar->maximum());
    Settle();
    ASSERT_EQ(widget->view().Visible_Rows().second, 100'000);
    const QFontMetrics metrics(To_QFont(model().Look(100'000, 0).font));
    EXPECT_GE(Px(model().ColWidth(0)), metrics.horizontalAdvance("100000") + 4);
    // The first data column starts right after it, and the editor with it.
    Click(100'000, 1);
    EXPECT_EQ(Text_Editor()->x(), Px(model().ColWidth(0)));
}

TEST_F(Qt_Grid_Test, CheckBoxesAreDrawnSharpAtTwiceTheResolution) {
    Add(TextBox, "Name");
    Add(CheckBox, "Done", [](vekColumn& c) { c.ColumnWidth(900); });
    grid().Rows(3);
    grid().Cell_Text(1, 2, "1");
    grid().Cell_Text(2, 2, "0");
    Show();
    const QSize size = widget->view().viewport()->size();
    QImage twice(size * 2, QImage::Format_ARGB32);
    twice.setDevicePixelRatio(2);
    {
        QPainter painter(&twice);
        widget->view().Paint(painter, QRect(QPoint(0, 0), size));
    }
    // A bitmap drawn at twice its size is made of 2x2 blocks of one colour; a box drawn at
    // the device's resolution has edges inside the blocks.
    auto sharp = [&](int row) {
        const int x0 = Px(model().ColPos(2)) * 2, y0 = Px(model().RowPos(row)) * 2;
        const int w = Px(model().ColWidth(2)) * 2, h = Px(model().RowHeight(row)) * 2;
        int split = 0;
        for (int y = y0 + 2; y + 1 < y0 + h - 2; y += 2)
            for (int x = x0 + 2; x + 1 < x0 + w - 2; x += 2) {
                const QRgb a = twice.pixel(x, y);
                split += twice.pixel(x + 1, y) != a || twice.pixel(x, y + 1) != a ||
                         twice.pixel(x + 1, y + 1) != a;
            }
        return split;
    };
    EXPECT_GT(sharp(1), 0) << "ticked";
    // Ticked and empty differ, and the cell's "0" / "1" does not show as text.
    const QImage frame = Frame();
    const QPoint tick = Cell_Center(1, 2), empty = Cell_Center(2, 2);
    int differ = 0;
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx)
            differ += frame.pixel(tick + QPoint(dx, dy)) != frame.pixel(empty + QPoint(dx, dy));
    EXPECT_GT(differ, 3);
}

TEST_F(Qt_Grid_Test, SystemColoursComeFromThePalette) {
    Add(TextBox, "A");
    grid().Rows(2);
    QPalette dark = widget->palette();
    dark.setColor(QPalette::Button, QColor(0x30, 0x30, 0x30));
    dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x24));
    dark.setColor(QPalette::Text, QColor(0xEE, 0xEE, 0xEE));
    widget->setPalette(dark);
    model().BackColorBkg(Colors::Button_Face);
    grid().Cell_Back_Color(Variant(std::int32_t{1}), Variant(std::int32_t{1}), Colors::Window);
    Show();
    const QImage frame = Frame();
    // Below the last row: the grid's background, a system colour.
    EXPECT_EQ(frame.pixelColor(5, frame.height() - 5), QColor(0x30, 0x30, 0x30));
    EXPECT_EQ(frame.pixelColor(Cell_Corner(1, 1)), QColor(0x20, 0x20, 0x24));
}

TEST_F(Qt_Grid_Test, ScrollingSidewaysKeepsTitlesAndTheFrozenColumnReadable) {
    for (const char* title : {"Item", "Size", "Species", "Qty", "Length", "Cost"})
        Add(TextBox, title, [](vekColumn& c) { c.ColumnWidth(2400); });
    grid().Rows(6);
    for (int r = 1; r < 6; ++r) grid().Cell_Text(r, 1, "Joist");
    Show();
    Click(1, 2);
    for (int i = 0; i < 4; ++i) Key(Qt::Key_Right);
    ASSERT_EQ(Cell(), "1,6");
    ASSERT_GT(model().LeftCol(), 2) << "scrolled sideways";
    const QImage frame = Frame();
    // Every title in the window is drawn: dark glyph pixels in its header cell.
    auto has_ink = [&](int row, int col, int darker_than) {
        const int x0 = std::max(0, Px(model().ColPos(col))), y0 = Px(model().RowPos(row));
        const int x1 = std::min(frame.width(), x0 + Px(model().ColWidth(col)));
        for (int y = y0 + 2; y < y0 + Px(model().RowHeight(row)) - 2; ++y)
            for (int x = x0 + 3; x < x1 - 3; ++x)
                if (frame.pixelColor(x, y).lightness() < darker_than) return true;
        return false;
    };
    for (int c = model().LeftCol(); c < model().Cols(); ++c) {
        if (Px(model().ColPos(c)) >= frame.width()) break;
        EXPECT_TRUE(has_ink(0, c, 100)) << "title of column " << c;
    }
    // The frozen first column keeps its text readable.
    ASSERT_EQ(model().FixedCols(), 2) << "the first column is frozen";
    for (int r = 1; r < 6; ++r) EXPECT_TRUE(has_ink(r, 1, 150)) << "frozen row " << r;

    // ... and clickable: the click edits the frozen cell where it is drawn, without a jump.
    const int left = model().LeftCol();
    Click(3, 1);
    ASSERT_EQ(Cell(), "3,1");
    EXPECT_EQ(model().LeftCol(), left);
    Type("Header");
    Key(Qt::Key_Down);
    EXPECT_EQ(grid().Cell_Text(3, 1), "Header") << "typed over the selected text";
}

}  // namespace
}  // namespace vekgrid::qt
