// Ranges, the system clipboard and the history, driven by a person's mouse and keys.
#include <QAccessible>
#include <QAccessibleInterface>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

#include "qt_grid_fixture.h"

namespace vekgrid::qt {
namespace {

class Qt_Clipboard_Test : public Qt_Grid_Test {
  protected:
    // Three text columns, five data rows: "r<row>c<col>".
    void Fill() {
        Add(TextBox, "A");
        Add(TextBox, "B");
        Add(TextBox, "C");
        grid().Rows(6);
        for (int r = 1; r <= 5; ++r)
            for (int c = 1; c <= 3; ++c)
                grid().Cell_Text(r, c, "r" + std::to_string(r) + "c" + std::to_string(c));
    }
    // A drag with the left button from one cell to another, as the hand does it.
    void Drag(int row1, int col1, int row2, int col2) {
        const QPoint from = Cell_Center(row1, col1), to = Cell_Center(row2, col2);
        QTest::mouseMove(Viewport(), from);
        QTest::mousePress(Viewport(), Qt::LeftButton, {}, from);
        for (int step = 1; step <= 3; ++step) {
            const QPoint at = from + (to - from) * step / 3;
            QMouseEvent move(QEvent::MouseMove, at, Viewport()->mapToGlobal(at), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(Viewport(), &move);
        }
        QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, to);
        Settle();
    }
    std::string Sel() {
        const vekGRID::Cell_Range r = grid().Selection();
        return std::to_string(r.Top_Row) + "," + std::to_string(r.Left_Col) + ":" +
               std::to_string(r.Bottom_Row) + "," + std::to_string(r.Right_Col);
    }
    QColor Back(int row, int col) { return Frame().pixelColor(Cell_Corner(row, col)); }
    static std::string Clipboard_Text() {
        return QGuiApplication::clipboard()->text().toStdString();
    }
    QMenu* Open_Menu(int row, int col) {
        const QPoint at = Cell_Center(row, col);
        QTest::mouseClick(Viewport(), Qt::RightButton, {}, at);
        QContextMenuEvent request(QContextMenuEvent::Mouse, at, Viewport()->mapToGlobal(at));
        QApplication::sendEvent(Viewport(), &request);
        Settle();
        return qobject_cast<QMenu*>(QApplication::activePopupWidget());
    }
    static QAction* Item(QMenu* menu, const char* text) {
        for (QAction* a : menu->actions())
            if (a->text().section('\t', 0, 0) == text) return a;
        return nullptr;
    }
};

TEST_F(Qt_Clipboard_Test, MouseGesturesSelectRangesDrawnInTheHighlight) {
    Fill();
    Show();
    const QColor plain = Back(4, 1), plain_1_3 = Back(1, 3), plain_2_2 = Back(2, 2),
                 plain_3_2 = Back(3, 2);
    Drag(1, 1, 3, 2);
    EXPECT_EQ(Sel(), "1,1:3,2");
    EXPECT_EQ(Cell(), "1,1") << "the pressed cell stays current";

    // Selected cells carry the theme's highlight over their own colour; others do not.
    const QColor mark = widget->view().palette().color(QPalette::Highlight);
    for (const auto& [r, c] : {std::pair{3, 2}, {2, 1}}) {
        const QColor seen = Back(r, c);
        EXPECT_NE(seen, plain) << r << "," << c;
        auto dist = [](const QColor& a, const QColor& b) {
            return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                   std::abs(a.blue() - b.blue());
        };
        EXPECT_LT(dist(seen, mark), dist(plain, mark)) << r << "," << c;
    }
    EXPECT_EQ(Back(4, 1), plain);
    EXPECT_EQ(Back(1, 3), plain_1_3);

    // Shift+click extends from the current cell; a plain click collapses the range.
    QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::ShiftModifier, Cell_Center(4, 3));
    Settle();
    EXPECT_EQ(Sel(), "1,1:4,3");
    Click(2, 2);
    EXPECT_EQ(Sel(), "2,2:2,2");
    EXPECT_EQ(Back(3, 2), plain_3_2);

    // A row label takes its row, a drag over labels the rows passed; Ctrl on a title the column.
    Click(3, 0);
    EXPECT_EQ(Sel(), "3,1:3,3");
    Drag(2, 0, 4, 0);
    EXPECT_EQ(Sel(), "2,1:4,3");
    QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::ControlModifier, Cell_Center(0, 2));
    Settle();
    EXPECT_EQ(Sel(), "1,2:5,2");

    // The control's own select-then-format work is not the person's range.
    Click(1, 1);
    grid().Cell_Back_Color(Variant(std::int32_t{2}), Variant(std::int32_t{3}), Color{0x0000FF});
    Settle();
    EXPECT_EQ(Sel(), "1,1:1,1");
    EXPECT_EQ(Back(2, 2), plain_2_2);
}

TEST_F(Qt_Clipboard_Test, ShiftArrowsThenCopyCutAndPasteThroughTheSystemClipboard) {
    Fill();
    grid().Cell_Text(1, 1, "a\tb");
    grid().Cell_Text(2, 1, "\"q");
    Show();
    Click(1, 1);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Sel(), "1,1:2,2");
    Key(Qt::Key_C, Qt::ControlModifier);
    // Spreadsheet quoting: a cell with a Tab or a leading quote is quoted, quotes doubled.
    EXPECT_EQ(Clipboard_Text(), "\"a\tb\"\tr1c2\n\"\"\"q\"\tr2c2\n");
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasHtml());
    EXPECT_NE(data->html().indexOf("<table"), -1);

    // A block from another program goes in from the current cell, one cell per field.
    QGuiApplication::clipboard()->setText("1\t2\n3\t4\n");
    Click(4, 2);
    events.lines.clear();
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(grid().Cell_Text(4, 2), "1");
    EXPECT_EQ(grid().Cell_Text(4, 3), "2");
    EXPECT_EQ(grid().Cell_Text(5, 2), "3");
    EXPECT_EQ(grid().Cell_Text(5, 3), "4");
    Lines changes;
    for (const std::string& line : events.lines)
        if (line.rfind("CellChanged", 0) == 0) changes.push_back(line);
    EXPECT_EQ(changes, (Lines{"CellChanged(r4c2,1,4,2)", "CellChanged(r4c3,2,4,3)",
                              "CellChanged(r5c2,3,5,2)", "CellChanged(r5c3,4,5,3)"}));

    // Ctrl+Z puts the cells back, Ctrl+Y brings the paste again.
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(grid().Cell_Text(4, 2), "r4c2");
    EXPECT_EQ(grid().Cell_Text(5, 3), "r5c3");
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(grid().Cell_Text(5, 3), "4");

    // Cut empties the range after copying it; Delete clears; both undo.
    Drag(1, 3, 2, 3);
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(Clipboard_Text(), "r1c3\nr2c3\n");
    EXPECT_EQ(grid().Cell_Text(1, 3), "");
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(grid().Cell_Text(1, 3), "r1c3");
    Drag(3, 1, 3, 2);
    Key(Qt::Key_Delete);
    EXPECT_EQ(grid().Cell_Text(3, 1), "");
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(grid().Cell_Text(3, 1), "r3c1");

    // Ctrl+D fills the top row down the range; Ctrl+A takes every data cell.
    Drag(1, 2, 3, 2);
    Key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(grid().Cell_Text(3, 2), "r1c2");
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(grid().Cell_Text(3, 2), "r3c2");
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Sel(), "1,1:5,3");
}

TEST_F(Qt_Clipboard_Test, EditorKeepsItsOwnTextKeysAndCommitsAreUndoable) {
    Fill();
    Show();
    Click(1, 1);
    ASSERT_EQ(QApplication::focusWidget(), Text_Editor());
    // One line on the clipboard goes into the open text box like typing.
    QGuiApplication::clipboard()->setText("xy");
    Text_Editor()->selectAll();
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Text_Editor()->text().toStdString(), "xy");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid().Cell_Text(1, 1), "xy");
    EXPECT_TRUE(grid().Can_Undo());
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(grid().Cell_Text(1, 1), "r1c1");

    // A host menu shortcut on Ctrl+C does not take the key from the grid.
    int host_copies = 0;
    QAction host_copy(widget.get());
    host_copy.setShortcut(QKeySequence::Copy);
    host_copy.setShortcutContext(Qt::WindowShortcut);
    widget->addAction(&host_copy);
    QObject::connect(&host_copy, &QAction::triggered, [&] { ++host_copies; });
    Drag(2, 1, 2, 2);
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(host_copies, 0);
    EXPECT_EQ(Clipboard_Text(), "r2c1\tr2c2\n");
}

TEST_F(Qt_Clipboard_Test, ContextMenuEditsTheRangeAndOffersUndoWhenThereIsSomething) {
    Fill();
    widget->setContextMenuEnabled(true);
    Show();
    QGuiApplication::clipboard()->clear();
    QMenu* menu = Open_Menu(2, 2);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(Item(menu, "Copy")->isEnabled());
    EXPECT_FALSE(Item(menu, "Paste")->isEnabled()) << "nothing on the clipboard";
    EXPECT_FALSE(Item(menu, "Undo")->isEnabled());
    Item(menu, "Delete")->trigger();
    menu->close();
    Settle();
    EXPECT_EQ(grid().Cell_Text(2, 2), "");

    menu = Open_Menu(2, 2);
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(Item(menu, "Undo")->isEnabled());
    EXPECT_FALSE(Item(menu, "Redo")->isEnabled());
    Item(menu, "Undo")->trigger();
    menu->close();
    Settle();
    EXPECT_EQ(grid().Cell_Text(2, 2), "r2c2");

    menu = Open_Menu(2, 2);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(Item(menu, "Redo")->isEnabled());
    Item(menu, "Copy")->trigger();
    menu->close();
    Settle();
    EXPECT_EQ(Clipboard_Text(), "r2c2\n");

    grid().ReadOnly(true);
    menu = Open_Menu(2, 2);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(Item(menu, "Copy")->isEnabled());
    for (const char* text : {"Cut", "Paste", "Delete", "Undo", "Redo"})
        EXPECT_FALSE(Item(menu, text)->isEnabled()) << text;
    menu->close();
    Settle();
}

TEST_F(Qt_Clipboard_Test, AccessibleTableReportsTheRange) {
    Fill();
    Show();
    int changes = 0;
    QObject::connect(widget.get(), &Grid_Widget::selectionChanged, [&] { ++changes; });
    Drag(2, 1, 3, 2);
    EXPECT_GE(changes, 1) << "a new range is told (and announced to assistive technology)";
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&widget->view());
    ASSERT_NE(table, nullptr);
    QAccessibleTableInterface* t = table->tableInterface();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->selectedCellCount(), 4);
    EXPECT_TRUE(t->cellAt(2, 1)->tableCellInterface()->isSelected());
    EXPECT_FALSE(t->cellAt(3, 1)->tableCellInterface()->isSelected());
    Click(3, 0);
    EXPECT_EQ(t->selectedRows(), QList<int>{2});
}

}  // namespace
}  // namespace vekgrid::qt
