#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QTest>
#include <memory>

#include "support/control_fixture.h"
#include "vekgrid/qt/colors.h"
#include "vekgrid/qt/grid_widget.h"
#include "vekgrid/qt/qt_platform.h"

namespace vekgrid::qt {
namespace {

using Lines = std::vector<std::string>;

// Every event of the control as a line, the way a host's listener hears it.
class Listener_Log : public testing::Event_Log {
  public:
    void BeforeRowPaste(double& row, Variant&) override {
        lines.push_back("BeforeRowPaste(" + std::to_string(static_cast<int>(row)) + ")");
    }
    void RowPasted(double& copied, double& pasted) override {
        lines.push_back("RowPasted(" + std::to_string(static_cast<int>(copied)) + "," +
                        std::to_string(static_cast<int>(pasted)) + ")");
    }
    void BeforeRowDelete(double& row) override {
        lines.push_back("BeforeRowDelete(" + std::to_string(static_cast<int>(row)) + ")");
    }
    void RowDeleted(double& row) override {
        lines.push_back("RowDeleted(" + std::to_string(static_cast<int>(row)) + ")");
    }
};

// The same lines from the widget's signals.
Lines* Record_Signals(Grid_Widget& w, Lines& out) {
    auto n = [](auto v) { return std::to_string(static_cast<int>(v)); };
    QObject::connect(&w, &Grid_Widget::cellChanged,
                     [&out, n](int row, int col, const QString& previous, const QString& value) {
                         out.push_back("CellChanged(" + previous.toStdString() + "," +
                                       value.toStdString() + "," + n(row) + "," + n(col) + ")");
                     });
    QObject::connect(&w, &Grid_Widget::enterCell, [&out] { out.push_back("EnterCell"); });
    QObject::connect(&w, &Grid_Widget::leaveCell, [&out] { out.push_back("LeaveCell"); });
    QObject::connect(&w, &Grid_Widget::clicked, [&out] { out.push_back("Click"); });
    QObject::connect(&w, &Grid_Widget::doubleClicked, [&out] { out.push_back("DblClick"); });
    QObject::connect(
        &w, &Grid_Widget::mouseDown,
        [&out](Qt::MouseButton button, Qt::KeyboardModifiers, QPointF) {
            const int code = button == Qt::LeftButton ? 1 : button == Qt::RightButton ? 2 : 4;
            out.push_back("MouseDown(" + std::to_string(code) + ")");
        });
    QObject::connect(&w, &Grid_Widget::popUpClicked,
                     [&out, n](int col) { out.push_back("PopUpClick(" + n(col) + ",form)"); });
    QObject::connect(&w, &Grid_Widget::rowAdded,
                     [&out, n](int row) { out.push_back("RowAdded(" + n(row) + ")"); });
    QObject::connect(&w, &Grid_Widget::beforeRowPaste, [&out, n](int row, QStringList*) {
        out.push_back("BeforeRowPaste(" + n(row) + ")");
    });
    QObject::connect(&w, &Grid_Widget::rowPasted, [&out, n](int copied, int pasted) {
        out.push_back("RowPasted(" + n(copied) + "," + n(pasted) + ")");
    });
    QObject::connect(&w, &Grid_Widget::beforeRowDelete,
                     [&out, n](int row) { out.push_back("BeforeRowDelete(" + n(row) + ")"); });
    QObject::connect(&w, &Grid_Widget::rowDeleted,
                     [&out, n](int row) { out.push_back("RowDeleted(" + n(row) + ")"); });
    return &out;
}

class Qt_Sheet_Test : public ::testing::Test {
  protected:
    Qt_Sheet_Test() : widget(std::make_unique<Grid_Widget>()) {
        widget->resize(640, 320);
        grid().Add_Listener(events);
    }
    ~Qt_Sheet_Test() override {
        grid().Remove_Listener(events);
        widget.reset();
        QApplication::processEvents();
    }

    vekGRID& grid() { return widget->grid(); }
    Host_Grid& model() { return Internals_Of(grid()).GridEditor(); }
    void Add(const std::string& title, ColumnEditor kind = TextBox, bool formula = false) {
        columns.push_back(std::make_unique<vekColumn>());
        vekColumn& c = *columns.back();
        c.Editor_Type(kind);
        c.Title(title);
        c.Allow_Formula_Input(formula);
        grid().Add_Column(c);
    }
    void Show() {
        widget->show();
        widget->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(widget.get()));
        Settle();
    }
    static void Settle() {
        for (int i = 0; i < 4; ++i) QApplication::processEvents();
    }
    QWidget* Viewport() { return widget->view().viewport(); }
    QPoint Cell_Center(int row, int col) {
        return {(model().ColPos(col) + model().ColWidth(col) / 2) / kTwipsPerPixel,
                (model().RowPos(row) + model().RowHeight(row) / 2) / kTwipsPerPixel};
    }
    // The right border of a column's title, in the viewport's pixels.
    QPoint Border(int col) {
        return {(model().ColPos(col) + model().ColWidth(col)) / kTwipsPerPixel,
                model().RowHeight(0) / kTwipsPerPixel / 2};
    }
    void Click(int row, int col, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseMove(Viewport(), Cell_Center(row, col));
        QTest::mouseClick(Viewport(), button, {}, Cell_Center(row, col));
        Settle();
    }
    static void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, key, modifiers);
        Settle();
    }
    static void Type(const char* text) {
        QTest::keyClicks(QApplication::focusWidget(), text);
        Settle();
    }
    QLineEdit* Text_Editor() {
        return qobject_cast<QLineEdit*>(
            widget->platform().Qt_Widget_Of(Internals_Of(grid()).TextEditor()));
    }
    std::string Column(int col) {
        std::string text;
        for (int r = 1; r < grid().Rows(); ++r) text += model().TextMatrix(r, col) + " ";
        return text;
    }
    // Right-clicks a cell and asks for the menu as the platform would.
    QMenu* Open_Menu(int row, int col) {
        Click(row, col, Qt::RightButton);
        const QPoint at = Cell_Center(row, col);
        QContextMenuEvent request(QContextMenuEvent::Mouse, at, Viewport()->mapToGlobal(at));
        QApplication::sendEvent(Viewport(), &request);
        Settle();
        return qobject_cast<QMenu*>(QApplication::activePopupWidget());
    }

    std::unique_ptr<Grid_Widget> widget;
    Listener_Log events;
    std::vector<std::unique_ptr<vekColumn>> columns;
};

TEST_F(Qt_Sheet_Test, SignalsMatchTheListenerEventsInOrderAndArguments) {
    Add("Length", TextBox, true);
    Add("Note");
    grid().Rows(3);
    Lines signalled;
    Record_Signals(*widget, signalled);
    events.lines.clear();
    QObject::connect(widget.get(), &Grid_Widget::beforeRowPaste, [](int, QStringList* cells) {
        ASSERT_EQ(cells->size(), 3);
        (*cells)[2] = "from the host";
    });
    Show();
    grid().Cell_Text(2, 1, "two");
    grid().Cell_Text(2, 2, "row two");
    Click(1, 1);
    Type("=2*3");
    Key(Qt::Key_Return);  // to (1, 2)
    Type("a");
    Key(Qt::Key_Return);  // to (2, 1)
    Click(2, 2, Qt::RightButton);
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, Cell_Center(2, 2));
    Settle();
    Key(Qt::Key_C, Qt::AltModifier);  // copies row 2
    Click(1, 2);
    Key(Qt::Key_V, Qt::AltModifier);  // pastes it over row 1, the host's change included
    Key(Qt::Key_N, Qt::AltModifier);  // a new row under row 1
    grid().Cell_Text(2, 1, "gone");
    grid().Delete_Row(2);

    EXPECT_FALSE(events.lines.empty());
    EXPECT_EQ(signalled, events.lines);
    auto has = [&](const std::string& line) {
        return std::find(signalled.begin(), signalled.end(), line) != signalled.end();
    };
    EXPECT_TRUE(has("CellChanged(,=2*3,1,1)"));
    EXPECT_TRUE(has("CellChanged(,a,1,2)"));
    EXPECT_TRUE(has("MouseDown(2)"));
    EXPECT_TRUE(has("DblClick"));
    EXPECT_TRUE(has("RowPasted(2,1)"));
    EXPECT_TRUE(has("RowAdded(2)"));
    EXPECT_TRUE(has("RowDeleted(2)"));
    EXPECT_EQ(grid().Cell_Text(1, 2), "from the host");
    EXPECT_EQ(grid().Cell_Text(1, 1), "two") << "the rest of the row as copied";
}

TEST_F(Qt_Sheet_Test, CellChangingVetoKeepsTheCellAsItWas) {
    Add("Length", TextBox, true);
    Add("Kind");
    grid().Rows(4);
    grid().Cell_Text(1, 1, "=2*3");
    model().TextMatrix(1, 1, "6");
    Lines signalled;
    Record_Signals(*widget, signalled);
    std::vector<std::string> asked;
    QObject::connect(
        widget.get(), &Grid_Widget::cellChanging,
        [&](int row, int col, const QString& previous, const QString& value, bool* accept) {
            asked.push_back(std::to_string(row) + "," + std::to_string(col) + ":" +
                            previous.toStdString() + ">" + value.toStdString());
            *accept = !value.contains("99");
        });
    Show();
    Click(1, 1);
    Text_Editor()->selectAll();
    Type("99");
    Key(Qt::Key_Down);
    EXPECT_EQ(asked, (Lines{"1,1:=2*3>99"}));
    EXPECT_EQ(grid().Cell_Text(1, 1), "6") << "the value still shows";
    EXPECT_EQ(Internals_Of(grid()).Equation_Mask().Get(1, 1), "=2*3") << "and its formula is kept";
    EXPECT_EQ(std::count_if(signalled.begin(), signalled.end(),
                            [](const std::string& l) { return l.rfind("CellChanged", 0) == 0; }),
              0);

    // An accepted edit goes in as before and is reported.
    Type("=1+1");
    Key(Qt::Key_Down);
    EXPECT_EQ(grid().Cell_Text(2, 1), "2");
    EXPECT_EQ(signalled.back(), "CellChanged(,=1+1,2,1)");
    EXPECT_EQ(asked.back(), "2,1:>=1+1");

    // Leaving the control commits through the same question.
    Click(3, 2);
    Type("99 luck");
    asked.clear();
    widget->close();
    EXPECT_EQ(asked, (Lines{"3,2:>99 luck"}));
    EXPECT_EQ(model().TextMatrix(3, 2), "");
    EXPECT_EQ(grid().TextEditor_Text(), "") << "the refused text is not left to go in later";
}

TEST(Qt_Colors, OleAndSystemColoursMeetThePalette) {
    QPalette palette;
    palette.setColor(QPalette::Button, QColor(10, 20, 30));
    palette.setColor(QPalette::Highlight, QColor(1, 2, 3));
    EXPECT_EQ(To_QColor(0x0000FF, palette), QColor(255, 0, 0)) << "&H00BBGGRR: red";
    EXPECT_EQ(To_QColor(0xFF0000, palette), QColor(0, 0, 255));
    EXPECT_EQ(To_QColor(Colors::Button_Face, palette), QColor(10, 20, 30));
    EXPECT_EQ(To_QColor(0x8000000D, palette), QColor(1, 2, 3));
    EXPECT_EQ(To_Ole_Color(QColor(0x12, 0x34, 0x56)), 0x563412u);
    for (Color c : {0x000000u, 0xFFFFFFu, 0x00C0FFu, 0x123456u})
        EXPECT_EQ(To_Ole_Color(To_QColor(c, palette)), c);
    for (auto role : {QPalette::Button, QPalette::Base, QPalette::Text, QPalette::Highlight,
                      QPalette::HighlightedText, QPalette::ButtonText}) {
        const auto system = System_Color(role);
        ASSERT_TRUE(system.has_value());
        EXPECT_EQ(To_QColor(*system, palette), palette.color(role));
    }
    EXPECT_EQ(System_Color(QPalette::Button), std::optional<Color>(Colors::Button_Face));
    EXPECT_EQ(To_Twips(10), 150);
    EXPECT_EQ(To_Pixels(150), 10);
    EXPECT_EQ(To_Pixels(To_Twips(37)), 37);
}

TEST_F(Qt_Sheet_Test, TheViewIsATableToAssistiveTechnology) {
    Add("Item");
    Add("Quantity");
    grid().Rows(4);
    grid().Cell_Text(1, 1, "Bolts");
    grid().Cell_Text(1, 2, "12");
    grid().Cell_Text(2, 1, "Nuts");
    Show();
    Click(1, 2);

    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&widget->view());
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->role(), QAccessible::Table);
    QAccessibleTableInterface* t = table->tableInterface();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->rowCount(), 3);
    EXPECT_EQ(t->columnCount(), 2);
    EXPECT_EQ(t->columnDescription(1).toStdString(), "Quantity");
    QAccessibleInterface* cell = t->cellAt(0, 1);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->role(), QAccessible::Cell);
    EXPECT_EQ(cell->text(QAccessible::Name).toStdString(), "12");
    QAccessibleTableCellInterface* c = cell->tableCellInterface();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->rowIndex(), 0);
    EXPECT_EQ(c->columnIndex(), 1);
    ASSERT_EQ(c->columnHeaderCells().size(), 1);
    EXPECT_EQ(c->columnHeaderCells()[0]->text(QAccessible::Name).toStdString(), "Quantity");
    EXPECT_EQ(c->columnHeaderCells()[0]->role(), QAccessible::ColumnHeader);
    ASSERT_EQ(c->rowHeaderCells().size(), 1);
    EXPECT_EQ(c->rowHeaderCells()[0]->role(), QAccessible::RowHeader);
    EXPECT_EQ(t->cellAt(1, 0)->text(QAccessible::Name).toStdString(), "Nuts");
    EXPECT_EQ(t->cellAt(3, 0), nullptr);
    // The current cell: the focused child, selected, where the person sees it.
    EXPECT_EQ(table->focusChild(), cell);
    EXPECT_TRUE(cell->state().focused);
    EXPECT_TRUE(c->isSelected());
    EXPECT_EQ(t->selectedCellCount(), 1);
    EXPECT_EQ(t->selectedCells().value(0), cell);
    EXPECT_EQ(table->child(table->indexOfChild(cell)), cell);
    EXPECT_TRUE(cell->rect().contains(Viewport()->mapToGlobal(Cell_Center(1, 2))));
    EXPECT_EQ(table->childAt(cell->rect().center().x(), cell->rect().center().y()), cell);

    // The focused child follows the current cell as the keys and the mouse move it.
    Key(Qt::Key_Down);
    EXPECT_EQ(table->focusChild(), t->cellAt(1, 1));
    EXPECT_FALSE(cell->state().focused);
    Click(1, 1);
    EXPECT_EQ(table->focusChild(), t->cellAt(0, 0));
}

TEST_F(Qt_Sheet_Test, DraggingATitleBorderResizesTheColumnAndTheEditorFollows) {
    Add("Name");
    Add("Note");
    grid().Rows(600);
    grid().Cell_Text(2, 1, "a rather longer text in view");
    grid().Cell_Text(500, 1, "a text out of view that is very much longer than the others");
    Show();
    Click(1, 1);
    std::vector<std::pair<int, int>> resized;
    QObject::connect(widget.get(), &Grid_Widget::columnResized,
                     [&](int col, int twips) { resized.emplace_back(col, twips); });

    // The pointer over a border shows that it can be dragged, and off it does not.
    QTest::mouseMove(Viewport(), Border(1));
    EXPECT_EQ(Viewport()->cursor().shape(), Qt::SplitHCursor);
    QTest::mouseMove(Viewport(), Border(1) + QPoint(-20, 0));
    EXPECT_NE(Viewport()->cursor().shape(), Qt::SplitHCursor);

    const int before = grid().ColWidth(1);
    const QPoint from = Border(1);
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(Viewport(), from + QPoint(25, 0));
    QTest::mouseMove(Viewport(), from + QPoint(40, 0));
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, from + QPoint(40, 0));
    Settle();
    EXPECT_EQ(grid().ColWidth(1), before + 40 * kTwipsPerPixel);
    EXPECT_EQ(resized, (std::vector<std::pair<int, int>>{{1, before + 40 * kTwipsPerPixel}}));
    EXPECT_EQ(Text_Editor()->width(), grid().ColWidth(1) / kTwipsPerPixel);
    EXPECT_EQ(grid().Current_Row(), 1) << "the drag did not move the current cell";

    // Narrowing stops short of losing the border.
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, Border(2));
    QTest::mouseMove(Viewport(), Border(2) - QPoint(500, 0));
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, Border(2) - QPoint(500, 0));
    EXPECT_GT(grid().ColWidth(2), 0);

    // A double-click fits the widest text among the rows in view.
    events.lines.clear();
    resized.clear();
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, Border(1));
    Settle();
    const QFontMetrics metrics(To_QFont(model().Look(2, 1).font));
    const int text = metrics.horizontalAdvance("a rather longer text in view");
    const int fitted = grid().ColWidth(1) / kTwipsPerPixel;
    EXPECT_GE(fitted, text + 4);
    EXPECT_LE(fitted, text + 12);
    ASSERT_EQ(resized.size(), 1u);
    EXPECT_EQ(resized[0].second, grid().ColWidth(1));
    EXPECT_EQ(events.lines, Lines{}) << "the gesture is not a click on the grid";
}

TEST_F(Qt_Sheet_Test, ClickOnATitleSortsWhenTheHostOptsIn) {
    Add("Name");
    Add("Count");
    grid().Rows(4);
    const char* names[] = {"pear", "apple", "fig"};
    const char* counts[] = {"3", "10", "2"};
    for (int r = 1; r <= 3; ++r) {
        grid().Cell_Text(r, 1, names[r - 1]);
        grid().Cell_Text(r, 2, counts[r - 1]);
    }
    Show();
    auto title_click = [&](int col) {
        QTest::mouseClick(Viewport(), Qt::LeftButton, {}, Cell_Center(0, col));
        Settle();
    };
    // Where the arrow sits: the right end of the title, mid-height.
    auto arrow_pixel = [&](int col) {
        const QImage frame = widget->view().viewport()->grab().toImage();
        const QPoint border = Border(col);
        QColor darkest(Qt::white);
        for (int x = border.x() - 14; x < border.x() - 2; ++x)
            for (int y = border.y() - 4; y <= border.y() + 4; ++y)
                if (frame.pixelColor(x, y).lightness() < darkest.lightness())
                    darkest = frame.pixelColor(x, y);
        return darkest.lightness();
    };
    const int plain = arrow_pixel(2);
    title_click(2);
    EXPECT_EQ(Column(2), "3 10 2 ") << "off unless the host asks";

    widget->setSortOnHeaderClick(true);
    EXPECT_TRUE(widget->sortOnHeaderClick());
    title_click(2);
    EXPECT_EQ(Column(2), "3 10 2 ") << "rows without labels could not take their formulas along";
    for (int r = 1; r <= 3; ++r) model().TextMatrix(r, 0, std::to_string(r));
    Click(3, 1);
    Type("kiwi");  // replaces "fig", still open in the editor
    title_click(2);
    EXPECT_EQ(Column(2), "2 3 10 ") << "numbers as numbers";
    EXPECT_EQ(Column(1), "kiwi pear apple ") << "whole rows move, the typed text with its row";
    EXPECT_LT(arrow_pixel(2), plain - 60) << "an arrow shows in the title";
    const QImage ascending = Viewport()->grab().toImage();
    title_click(2);
    EXPECT_EQ(Column(2), "10 3 2 ");
    EXPECT_NE(Viewport()->grab().toImage(), ascending) << "the arrow turns";
    title_click(1);
    // Sort_Grid's toggle: "apple" already leads, so the order is the other one.
    EXPECT_EQ(Column(1), "pear kiwi apple ");
    EXPECT_GT(arrow_pixel(2), plain - 20) << "only the sorted column has an arrow";
    EXPECT_LT(arrow_pixel(1), plain - 60);
    grid().Clear_Grid();
    Add("Other");
    Add("Columns");
    Settle();
    EXPECT_GT(arrow_pixel(1), plain - 20) << "new columns are not sorted";
}

TEST_F(Qt_Sheet_Test, ContextMenuOffersWhatCanActOnTheRowUnderThePointer) {
    Add("Name");
    Add("Note");
    grid().Rows(4);
    for (int r = 1; r <= 3; ++r) grid().Cell_Text(r, 1, "row " + std::to_string(r));
    Show();
    EXPECT_EQ(Open_Menu(1, 1), nullptr) << "off unless the host asks";

    widget->setContextMenuEnabled(true);
    QMenu* menu = Open_Menu(2, 1);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(grid().Current_Row(), 2) << "the right click moved to the row";
    auto state = [](QMenu* m) {
        std::vector<std::string> items;
        for (QAction* a : m->actions())
            if (!a->isSeparator())
                items.push_back((a->isEnabled() ? "+" : "-") +
                                a->text().section('\t', 0, 0).toStdString());
        return items;
    };
    auto find = [](QMenu* m, const char* text) -> QAction* {
        for (QAction* a : m->actions())
            if (a->text().section('\t', 0, 0) == text) return a;
        return nullptr;
    };
    EXPECT_EQ(state(menu),
              (Lines{"+Cut", "+Copy", "-Paste", "+Delete", "+Cut row", "+Copy row", "-Paste row",
                     "-Insert copied row", "+New row", "+Delete row", "-Undo", "-Redo"}));
    find(menu, "Copy row")->trigger();
    menu->close();
    Settle();

    Lines signalled;
    Record_Signals(*widget, signalled);
    menu = Open_Menu(3, 1);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(find(menu, "Paste row")->isEnabled()) << "a row was copied";
    find(menu, "Insert copied row")->trigger();
    menu->close();
    Settle();
    EXPECT_EQ(grid().Rows(), 5);
    EXPECT_EQ(Column(1), "row 1 row 2 row 3 row 2 ");
    EXPECT_EQ(signalled.back(), "RowAdded(4)");

    // Delete row asks first; No keeps the row.
    auto& messages = widget->platform().Qt_Messages();
    messages.Answer_With = [](const std::string&, int, const std::string&) { return Msg::No; };
    menu = Open_Menu(1, 1);
    ASSERT_NE(menu, nullptr);
    find(menu, "Delete row")->trigger();
    menu->close();
    Settle();
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_EQ(messages.calls[0].title, "Delete Row?");
    EXPECT_EQ(grid().Rows(), 5);

    grid().ReadOnly(true);
    menu = Open_Menu(1, 1);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(state(menu),
              (Lines{"-Cut", "+Copy", "-Paste", "-Delete", "-Cut row", "+Copy row", "-Paste row",
                     "-Insert copied row", "-New row", "-Delete row", "-Undo", "-Redo"}));
    menu->close();
    Settle();

    // The keyboard's menu key in the cell's editor opens the grid's menu, not the editor's.
    grid().ReadOnly(false);
    Click(2, 1);
    ASSERT_EQ(QApplication::focusWidget(), Text_Editor());
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(2, 2),
                          Text_Editor()->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(Text_Editor(), &key);
    Settle();
    menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_NE(find(menu, "New row"), nullptr);
    menu->close();
    Settle();
}

}  // namespace
}  // namespace vekgrid::qt
